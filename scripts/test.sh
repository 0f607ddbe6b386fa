#!/usr/bin/env bash
# Installs what the project needs, builds everything with warnings as errors and runs every
# test. Extra arguments go to CMake (for example -DZAMRIT_SANITIZE=address,undefined);
# BUILD_DIR chooses the build folder (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -DZAMRIT_WERROR=ON "$@"
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" -j"$(nproc)" --output-on-failure
