#!/usr/bin/env bash
# Builds the benchmarks in a release build with warnings as errors and runs each of them in a
# loopback-only namespace.
#   BUILD_DIR   build folder (default: build-bench)
#   arguments   passed to every benchmark program, e.g. --benchmark_min_time=0.001
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build-bench}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON \
  -DVELMORA_WERROR=ON
cmake --build "$BUILD_DIR" -j "$(nproc)" --target velmora_bench_core velmora_bench_ui list_memory
args=$(printf " %q" "$@")
bash scripts/loopback.sh sh -c "'$BUILD_DIR/bench/velmora_bench_core'$args &&
  QT_QPA_PLATFORM=offscreen '$BUILD_DIR/bench/velmora_bench_ui'$args &&
  QT_QPA_PLATFORM=offscreen '$BUILD_DIR/bench/list_memory' 10000"
