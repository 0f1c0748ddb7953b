#!/usr/bin/env bash
# Builds and runs the frame benchmarks, then prints one table: the median of each figure, and the
# heaviest frame against the floor (a 640 x 480 copy plus a 640 x 480 palette lookup).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
csv=$("$root/build/kavrel_bench" --benchmark_repetitions=9 --benchmark_report_aggregates_only=true \
  --benchmark_format=csv 2>/dev/null)
echo "$csv" | awk -F, '
  /_median"?,/ {
    name=$1; gsub(/"/, "", name); sub(/_median$/, "", name); sub(/^BM_/, "", name)
    t=$3; unit=$5; gsub(/"/, "", unit)
    us = (unit == "ns") ? t / 1000 : (unit == "ms") ? t * 1000 : t
    v[name] = us; order[++n] = name
  }
  END {
    printf "%-16s %12s\n", "figure", "median (us)"
    for (i = 1; i <= n; i++) printf "%-16s %12.3f\n", order[i], v[order[i]]
    floor = v["FloorCopy"] + v["FloorLookup"]
    printf "%-16s %12.3f\n", "Floor", floor
    if (floor > 0) printf "%-16s %12.2f\n", "Heaviest/Floor", v["HeaviestFrame"] / floor
  }'
