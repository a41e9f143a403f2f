#!/usr/bin/env bash
# Builds Velmora and the test adapter and starts both in a network namespace that has only
# loopback: the adapter on 127.0.0.1 at a free port, Velmora with "127.0.0.1:<port>" as its
# command line, so discovery works without hardware and nothing it sends can leave the machine.
# The adapter holds a sample configuration (tools/make_sample_image: network settings, type 42
# of the sample description, three parameter entries) and VIN 00421007, without a password.
# It needs a display: run it from a desktop session (or under Xvfb).
#   bash scripts/run.sh [ADAPTER OPTION...]
#   bash scripts/run.sh --help      this text and the test adapter's options
# Options go to the test adapter after the sample's and so override them (for example
# --firmware 0x205 --flags 0x48, or --image FILE).
#   BUILD_DIR   build folder (default: build)
#   BUILD_TYPE  CMake build type (default: RelWithDebInfo)
#   NO_BUNDLE   when set, runs a copy of the program without Tovrin.rcc beside it, so that the
#               interface follows the user's language: NO_BUNDLE=1 LANGUAGE=ru for Russian
# Without the bundle the interface is Russian or English as the user's language is Russian or
# not: the first language of LANGUAGE, or else the locale of the first of LC_ALL, LC_MESSAGES
# and LANG that is set. LANGUAGE counts only beside a locale other than C or POSIX, so where the
# locale is C, POSIX or none this script gives the program C.UTF-8 (the same locale in UTF-8),
# and LANGUAGE chooses there too.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
adapter=$BUILD_DIR/tests/support/tarnel_test_adapter

# Everything this script writes for a run goes here and goes with it, however it ends.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

build() {
  bash scripts/install-deps.sh
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}"
  cmake --build "$BUILD_DIR" -j "$(nproc)" --target "$@"
}

for arg in "$@"; do
  if [ "$arg" = --help ] || [ "$arg" = -h ]; then
    sed -n '2,/^set -euo pipefail$/{/^set /d; s/^# \{0,1\}//; p}' "$0"
    if [ ! -x "$adapter" ] && ! build tarnel_test_adapter >"$tmp/build.log" 2>&1; then
      cat "$tmp/build.log" >&2
      exit 1
    fi
    echo
    echo "The test adapter's options:"
    "$adapter" --help 2>&1
    exit 0
  fi
done

build velmora tarnel_test_adapter sample_settings_image

# Inside the namespace: start the adapter, read its port from the line it prints once it
# serves, run Velmora against it, and stop the adapter when Velmora ends.
serve_and_run() {
  set -eu
  adapter=$1 velmora=$2 log=$3
  shift 3
  "$adapter" "$@" >"$log" &
  adapter_pid=$!
  trap "kill $adapter_pid 2>/dev/null || true" EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
  port=
  for _ in $(seq 50); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$log")
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
}
export -f serve_and_run

program=$BUILD_DIR/src/ui/velmora
if [ -n "${NO_BUNDLE:-}" ]; then
  mkdir "$tmp/program"
  cp "$program" "$BUILD_DIR/src/ui/TeleDescFile.bin" "$tmp/program/"
  program=$tmp/program/velmora
fi
case "${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}" in
  "" | C | POSIX) export LC_ALL=C.UTF-8 ;;
esac
bash scripts/loopback.sh bash -c 'serve_and_run "$@"' run.sh \
  "$adapter" "$program" "$tmp/adapter.log" \
  --image "$BUILD_DIR/data/sample_settings.bin" --vin 00421007 "$@"
