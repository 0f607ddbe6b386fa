#!/usr/bin/env bash
# Runs every test program of a build three times over, each time in a new random order, so
# that no test depends on what ran before it. The first argument is the build folder
# (default: build); the GUI tests get the offscreen platform, as under ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$PWD/$build/tests/gui/xdg-runtime"
export ASAN_OPTIONS="${ASAN_OPTIONS:-allocator_may_return_null=1}"

mapfile -t programs < <(find "$build/tests" -type f -executable -name '*_tests' | sort)
if [ ${#programs[@]} -eq 0 ]; then
  echo "shuffle-tests: no test programs in $build/tests" >&2
  exit 1
fi
for program in "${programs[@]}"; do
  echo "== $program (shuffled, 3 repeats)"
  "$program" --gtest_shuffle --gtest_repeat=3 --gtest_brief=1
done
