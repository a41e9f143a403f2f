#!/usr/bin/env bash
# Builds the libFuzzer target with clang and runs it for the given number of seconds (default 60).
# Seeds come from the description-file writer; a crash fails with a non-zero exit code.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
seconds=${1:-60}
BUILD_DIR=${BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELMORA_FUZZ=ON -DVELMORA_UI=OFF -DVELMORA_TESTS=OFF
# Only the fuzzer and its seed writer: the rest of the tree is built and tested by scripts/test.sh.
cmake --build "$BUILD_DIR" -j "$(nproc)" --target fuzz_tele_desc desc_seeds
corpus="$BUILD_DIR/fuzz-corpus"
mkdir -p "$corpus"
"$BUILD_DIR/fuzz/desc_seeds" "$corpus"
unshare -n sh -c "ip link set lo up && '$BUILD_DIR/fuzz/fuzz_tele_desc' -max_total_time=$seconds \
  -rss_limit_mb=2048 -malloc_limit_mb=1024 -print_final_stats=1 '$corpus'"
