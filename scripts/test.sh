#!/usr/bin/env bash
# Checks the core's layers, builds Velmora and runs every test in a network namespace that has
# only loopback.
#   BUILD_DIR       build folder (default: build)
#   CMAKE_ARGS      extra configure arguments, e.g. "-DVELMORA_UI=OFF" or "-DVELMORA_SANITIZE=ON"
#   NO_LAYER_CHECK  when set, skips the layer check (for runs after the first on the same tree)
set -euo pipefail
cd "$(dirname "$0")/.."
[ -n "${NO_LAYER_CHECK:-}" ] || bash scripts/check_layers.sh
bash scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
# shellcheck disable=SC2086
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} ${CMAKE_ARGS:-}
cmake --build "$BUILD_DIR" -j "$(nproc)"
bash scripts/loopback.sh ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
