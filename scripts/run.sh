#!/usr/bin/env bash
# Builds Velmora and starts it in a network namespace that has only loopback, with 127.0.0.1 as
# its target, so nothing it sends can leave the machine. It needs a display: run it from a
# desktop session (or under Xvfb).
#   BUILD_DIR   build folder (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo}
cmake --build "$BUILD_DIR" -j "$(nproc)" --target velmora
unshare -n sh -c "ip link set lo up && '$BUILD_DIR/src/ui/velmora' 127.0.0.1"
