#!/usr/bin/env bash
# Builds the fuzz targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer, libFuzzer) and
# runs each for SECONDS (default 60) over its committed corpus. New inputs go to a scratch corpus
# beside the build, never into the repository. FUZZ_RUNS=N runs N inputs per target instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
"$root/scripts/setup.sh" fuzz
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKAVREL_FUZZ=ON -DKAVREL_SANITIZE=ON -DKAVREL_TESTS=OFF -DKAVREL_TOOLS=ON \
  -DKAVREL_BENCH=OFF >/dev/null
targets=(fuzz_bitmap fuzz_record_file fuzz_ranking_file fuzz_script fuzz_play_log)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
mkdir -p "$build/findings"
status=0
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  mkdir -p "$work"
  log="$build/$t.log"
  if [[ -n "${FUZZ_RUNS:-}" ]]; then limit=-runs=$FUZZ_RUNS; else limit=-max_total_time=$seconds; fi
  if ! "$build/$t" "$limit" -print_final_stats=1 -max_len=8192 \
      -artifact_prefix="$build/findings/$t-" "$work" "$root/tests/fuzz/corpus/$t" >"$log" 2>&1; then
    echo "fuzz: $t found a fault (input in $build/findings):" >&2
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" >&2 || tail -n 20 "$log" >&2
    status=1
  fi
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' || echo '?')
  echo "fuzz: $t ran $runs inputs"
done
exit $status
