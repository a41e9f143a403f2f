#!/usr/bin/env bash
# Builds Velmora and the test adapter and starts both in a network namespace that has only
# loopback: the adapter on 127.0.0.1 at a free port, Velmora with "127.0.0.1:<port>" as its
# command line, so discovery works without hardware and nothing it sends can leave the machine.
# The adapter holds a sample configuration (tools/make_sample_image: network settings, type 42
# of the sample description, three parameter entries) and VIN 00421007, without a password.
# It needs a display: run it from a desktop session (or under Xvfb). Extra arguments go to the
# test adapter after the sample's and so override them (for example --firmware 0x205 --flags
# 0x48 or --image FILE; see tarnel_test_adapter --help).
#   BUILD_DIR   build folder (default: build)
#   NO_BUNDLE   when set, runs a copy of the program without Tovrin.rcc beside it, so that the
#               interface follows the user's language (NO_BUNDLE=1 LANGUAGE=ru for Russian)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo}
cmake --build "$BUILD_DIR" -j "$(nproc)" --target velmora tarnel_test_adapter \
  sample_settings_image

# Inside the namespace: start the adapter, read its port from the line it prints once it
# serves, run Velmora against it, and stop the adapter when Velmora ends.
inner='
set -eu
adapter=$1 velmora=$2
shift 2
log=$(mktemp)
"$adapter" "$@" >"$log" &
adapter_pid=$!
trap "kill $adapter_pid 2>/dev/null; rm -f \"$log\"" EXIT
port=
for _ in $(seq 50); do
  port=$(sed -n "s/^listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p" "$log")
  [ -n "$port" ] && break
  kill -0 "$adapter_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "run.sh: the test adapter did not start" >&2
  cat "$log" >&2
  exit 1
fi
echo "test adapter on 127.0.0.1:$port"
"$velmora" "127.0.0.1:$port"
'
program=$BUILD_DIR/src/ui/velmora
if [ -n "${NO_BUNDLE:-}" ]; then
  copy=$(mktemp -d)
  trap 'rm -rf "$copy"' EXIT
  cp "$program" "$BUILD_DIR/src/ui/TeleDescFile.bin" "$copy/"
  program=$copy/velmora
fi
bash scripts/loopback.sh bash -c "$inner" run.sh "$BUILD_DIR/tests/support/tarnel_test_adapter" \
  "$program" --image "$BUILD_DIR/data/sample_settings.bin" --vin 00421007 "$@"
