#!/usr/bin/env bash
# Builds the Debian package and checks it as the distribution's tools do: the AppStream
# metainfo, the desktop entry, lintian, the package's contents, and the installed programs
# started from an unpacked root. BUILD_DIR chooses the build folder (default: build-package).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh --packaging
build="${BUILD_DIR:-build-package}"
# The distribution's own compiler and linker flags: fortified functions, stack protector,
# full RELRO with immediate binding.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -DZAMRIT_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_INSTALL_PREFIX=/usr -DZAMRIT_BUILD_TESTS=OFF -DZAMRIT_BUILD_BENCH=OFF "$@"
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/zamrit-dice-game_*.deb
cmake --build "$build" --target package
deb=$(ls "$build"/zamrit-dice-game_*_amd64.deb)
echo "== $deb: $(stat -c %s "$deb") bytes"
dpkg-deb --field "$deb" Package Version Installed-Size Depends Recommends

work=$(mktemp -d)
game=""
cleanup() {
  if [ -n "$game" ]; then kill "$game" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The files the package holds, unpacked into a root of their own.
root="$work/root"
dpkg-deb -x "$deb" "$root"
dpkg-deb -c "$deb" >"$work/contents"
expect_file() {
  grep -q " \./usr/$1\$" "$work/contents" || { echo "missing from the package: /usr/$1" >&2; exit 1; }
}
expect_file games/ZamritDiceGame
expect_file bin/zamrit-dice
expect_file share/zamrit-dice-game/ZamritDiceGame.chm
expect_file share/applications/org.zamrit.dicegame.desktop
expect_file share/metainfo/org.zamrit.dicegame.metainfo.xml
expect_file share/icons/hicolor/scalable/apps/org.zamrit.dicegame.svg
for size in 16 32 48 64 128 256; do
  expect_file "share/icons/hicolor/${size}x${size}/apps/org.zamrit.dicegame.png"
done
expect_file share/man/man1/zamrit-dice.1.gz
expect_file share/man/man6/ZamritDiceGame.6.gz
expect_file share/bash-completion/completions/zamrit-dice
expect_file share/zsh/vendor-completions/_zamrit-dice
expect_file share/doc/zamrit-dice-game/copyright
expect_file share/doc/zamrit-dice-game/changelog.gz
measures=$(grep -c ' \./usr/share/zamrit-dice-game/measures/.*\.dat$' "$work/contents")
[ "$measures" -eq 448 ] || { echo "the package holds $measures measure files, not 448" >&2; exit 1; }

# The validators of the software centres, the menus and the archive.
# Each must pass without a single remark, down to the pedantic ones; the desktop entry's
# validator may give hints, but no warning.
only_success() {
  local output
  output=$("$@" 2>&1) || { echo "$output" >&2; return 1; }
  echo "$output"
  [ "$output" = "✔ Validation was successful." ] || { echo "not clean: $*" >&2; return 1; }
}
echo "== appstreamcli validate"
only_success appstreamcli validate --pedantic --no-net --explain \
  "$root/usr/share/metainfo/org.zamrit.dicegame.metainfo.xml"
only_success appstreamcli validate-tree --pedantic --no-net "$root"
echo "== desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/org.zamrit.dicegame.desktop" | tee "$work/desktop"
if grep -q ': \(warning\|error\): ' "$work/desktop"; then exit 1; fi
echo "== lintian"
lintian --fail-on error,warning --info "$deb"
echo "== man"
for page in man1/zamrit-dice.1.gz man6/ZamritDiceGame.6.gz; do
  warnings=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
done

# The same install rules into a temporary prefix: every file the package holds is installed.
stage="$work/stage"
DESTDIR="$stage" cmake --install "$build" >/dev/null
(cd "$root" && find . -type f | sort) >"$work/packaged"
(cd "$stage" && find . -type f | sort) >"$work/installed"
grep -v '^\./usr/share/doc/\|^\./usr/share/lintian/' "$work/packaged" | diff - \
  <(grep -v '^\./usr/share/doc/\|^\./usr/share/lintian/' "$work/installed")
diff <(sed "s|^$stage||" "$build/install_manifest.txt" | sort) <(sed 's|^\.||' "$work/installed")

# The installed programs, started from the unpacked root.
echo "== $("$root/usr/bin/zamrit-dice" --version)"
"$root/usr/bin/zamrit-dice" --version | grep -qx "zamrit-dice $(dpkg-deb --field "$deb" Version)"
(cd "$root/usr/share/zamrit-dice-game/measures" &&
  "$root/usr/bin/zamrit-dice" midi --form minuet --seed 1 >/dev/null)

# The game in its measure folder, as the desktop entry starts it, on Qt's offscreen platform
# with no sound device: it must come up and keep running until the check ends it.
measureDir=$(sed -n 's/^Path=//p' "$root/usr/share/applications/org.zamrit.dicegame.desktop")
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/org.zamrit.dicegame.desktop")
mkdir -m 0700 "$work/runtime"
(cd "$root$measureDir" &&
  exec env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" ZAMRIT_MIDI_OUT=none \
    "$root$exec_line" >"$work/game.log" 2>&1) &
game=$!
sleep 5
if ! kill -0 "$game" 2>/dev/null; then
  echo "the game ended by itself:" >&2
  cat "$work/game.log" >&2
  exit 1
fi
kill -TERM "$game"
status=0
wait "$game" || status=$?
game=""
[ "$status" -eq 143 ] || { echo "the game ended with status $status" >&2; cat "$work/game.log" >&2; exit 1; }
if [ -s "$work/game.log" ]; then
  echo "the game wrote:" >&2
  cat "$work/game.log" >&2
  exit 1
fi
echo "== the package passes"
