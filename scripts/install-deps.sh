#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Idempotent: packages already present are left alone. With --packaging it also installs the
# tools that build and check the Debian package (scripts/check-package.sh).
set -euo pipefail

packages=(
  cmake g++ clang libclang-rt-14-dev pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libcli11-dev
  qt6-base-dev libfluidsynth-dev fluid-soundfont-gm timgm6mb-soundfont librtmidi-dev libasound2-dev
  fonts-ipafont-gothic fp-utils libchm-dev librsvg2-bin midicsv
  lilypond
)
if [ "${1:-}" = "--packaging" ]; then
  packages+=(dpkg-dev file lintian appstream desktop-file-utils man-db)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
