#!/usr/bin/env bash
# Installs what the project needs, builds it and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target ZamritDiceGame measures helpfile
# The game reads its measure files from the folder it is started in.
cd "$build/measures"
exec ../app/ZamritDiceGame "$@"
