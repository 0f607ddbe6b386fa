#!/usr/bin/env bash
# Builds the fuzz targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer and
# runs each for a bounded time on a copy of its committed corpus (fuzz/corpus for the reader
# and the pipeline, fuzz/score-corpus for the score; both are left as they are). Inputs that crash are written to BUILD_DIR/fuzz-artifacts/ and fail the run.
#   FUZZ_SECONDS   seconds per target (default 60)
#   BUILD_DIR      the build folder (default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
build="${BUILD_DIR:-build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
targets=(mfi_fuzzer pipeline_fuzzer score_fuzzer)
declare -A corpusOf=([mfi_fuzzer]=fuzz/corpus [pipeline_fuzzer]=fuzz/corpus [score_fuzzer]=fuzz/score-corpus)

CC=clang CXX=clang++ cmake -S . -B "$build" -DZAMRIT_WERROR=ON -DZAMRIT_BUILD_FUZZ=ON \
  -DZAMRIT_SANITIZE=address,undefined -DZAMRIT_BUILD_TESTS=OFF -DZAMRIT_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

mkdir -p "$build/fuzz-artifacts"
for target in "${targets[@]}"; do
  corpus="$build/fuzz-corpus/$target"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  cp "${corpusOf[$target]}"/* "$corpus/"
  echo "== $target for ${seconds} s"
  "$build/fuzz/$target" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-artifacts/$target-" "$corpus"
done
