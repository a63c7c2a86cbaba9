#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) into build/fuzz and runs each for N seconds in turn.
# Usage: scripts/fuzz.sh [seconds per target, default 30] [target names...]
# The corpora grow in build/fuzz/corpus/<target> (seeded by fuzz_seeds); a finding is written to
# build/fuzz/findings/ and makes the script exit non-zero after the remaining targets have run.
# VELMIRA_FUZZ_JOBS=2 runs two targets at a time (one per core on the build machine).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
shift || true
build=${VELMIRA_FUZZ_BUILD:-$root/build/fuzz}
jobs=${VELMIRA_FUZZ_JOBS:-1}

# A machine without the fuzzer runtime must fail here, loudly, rather than skip the fuzzers.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2>"$probe/log"; then
  cat "$probe/log" >&2
  echo "fuzz.sh: clang++ cannot link -fsanitize=fuzzer (is libclang-rt-14-dev installed? scripts/setup-deps.sh)" >&2
  exit 1
fi

# Every library of this tree carries the fuzzer's coverage instrumentation; the fuzz targets add its main().
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVELMIRA_FUZZ=ON -DVELMIRA_TESTS=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --target velmira_fuzzers

fuzzdir=$build/tests/fuzz
mapfile -t targets < <(if [ $# -gt 0 ]; then printf '%s\n' "$@"; else cat "$fuzzdir/targets.txt"; fi)
seeds=$build/seeds
rm -rf "$seeds"
"$fuzzdir/fuzz_seeds" "$seeds"
mkdir -p "$build/findings" "$build/logs"

# Largest input worth trying: pictures need room for headers, tables and some rows; texts are short.
max_len() {
  case $1 in
    bmp_decoder_fuzz | jpeg_decoder_fuzz) echo 65536 ;;
    spi_picture_fuzz) echo 4096 ;;
    *) echo 1024 ;;
  esac
}

run_one() {
  local t=$1
  mkdir -p "$build/corpus/$t" "$seeds/$t"
  if "$fuzzdir/$t" -max_total_time="$seconds" -max_len="$(max_len "$t")" -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$build/findings/$t-" \
      "$build/corpus/$t" "$seeds/$t" >"$build/logs/$t.log" 2>&1; then
    echo "$t: ok ($(grep -E '^stat::number_of_executed_units' "$build/logs/$t.log" | awk '{print $2}') execs," \
      "$(grep -oE 'cov: [0-9]+' "$build/logs/$t.log" | tail -1))"
  else
    echo "$t: FINDING, see $build/logs/$t.log and $build/findings/" >&2
    tail -n 30 "$build/logs/$t.log" >&2
    return 1
  fi
}

status=0
running=0
pids=()
for t in "${targets[@]}"; do
  run_one "$t" &
  pids+=($!)
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
    running=$((running - 1))
  fi
done
for p in "${pids[@]}"; do wait "$p" || status=1; done
exit $status
