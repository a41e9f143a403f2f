#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one of them, or all side by side (one per
# core), for the given number of seconds each (default 60):
#   bash scripts/fuzz.sh [SECONDS] [TARGET]
# Targets: fuzz_tele_desc, fuzz_dispatch, fuzz_settings_read, fuzz_device_key, fuzz_targets.
# Seeds come from the description-file writer and the test adapter. A finding (crash input in
# $BUILD_DIR/fuzz-artifacts) fails with a non-zero exit code; FUZZ_FLAGS adds libFuzzer flags.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
seconds=${1:-60}
only=${2:-}
all_targets="fuzz_tele_desc fuzz_dispatch fuzz_settings_read fuzz_device_key fuzz_targets"
targets=${only:-$all_targets}
for t in $targets; do
  case " $all_targets " in *" $t "*) ;; *) echo "fuzz.sh: unknown target $t" >&2; exit 2 ;; esac
done
BUILD_DIR=${BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELMORA_FUZZ=ON -DVELMORA_UI=OFF -DVELMORA_TESTS=OFF
# Only the fuzzers and their seed writers: the rest of the tree is built and tested by
# scripts/test.sh.
cmake --build "$BUILD_DIR" -j "$(nproc)" --target $targets desc_seeds link_seeds
corpus="$BUILD_DIR/fuzz-corpus"
logs="$BUILD_DIR/fuzz-logs"
artifacts="$BUILD_DIR/fuzz-artifacts"
mkdir -p "$corpus/fuzz_tele_desc" "$logs" "$artifacts"
"$BUILD_DIR/fuzz/desc_seeds" "$corpus/fuzz_tele_desc"
"$BUILD_DIR/fuzz/link_seeds" "$corpus"

# Every target in its own process, all in one loopback-only namespace.
run_all() {
  local pids=() status=0 t
  for t in $targets; do
    "$BUILD_DIR/fuzz/$t" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=1024 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$t-" ${FUZZ_FLAGS:-} "$corpus/$t" \
      >"$logs/$t.log" 2>&1 &
    pids+=($!)
  done
  local i=0
  for t in $targets; do
    if wait "${pids[$i]}"; then
      echo "$t: $(grep -m1 -o 'stat::number_of_executed_units: [0-9]*' "$logs/$t.log" || true)"
    else
      status=1
      echo "$t: FINDING (log $logs/$t.log)"
      grep -E 'invariant broken|ERROR: |SUMMARY: ' "$logs/$t.log" | head -5
    fi
    i=$((i + 1))
  done
  return $status
}
export -f run_all
export BUILD_DIR seconds targets corpus logs artifacts FUZZ_FLAGS
bash scripts/loopback.sh bash -c run_all
