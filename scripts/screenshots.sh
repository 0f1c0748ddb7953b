#!/usr/bin/env bash
# Plays one whole challenger pass through the headless replay and keeps one picture of every
# screen in docs/screenshots/<screen>.png; then renders the day's report page of the fixed play
# log (tests/report/) in headless Chromium, as the operator's Japanese page, into
# docs/screenshots/report.png.
#
#   scripts/screenshots.sh [BUILD_DIR]
#
# BUILD_DIR holds kavrel-replay and kavrel-ranking (default: build, else the first build-* that
# has them; when none has, they are built in build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" screenshots

replay=""
for dir in "${1:-}" "$root/build" "$root"/build-*; do
  if [[ -n "$dir" && -x "$dir/kavrel-replay" && -x "$dir/kavrel-ranking" ]]; then
    replay="$(cd "$dir" && pwd)/kavrel-replay"
    break
  fi
done
if [[ -z "$replay" ]]; then
  options=(-DKAVREL_TOOLS=ON)
  [[ -f $root/build/CMakeCache.txt ]] || options+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVREL_TESTS=OFF)
  cmake -S "$root" -B "$root/build" "${options[@]}" >/dev/null
  cmake --build "$root/build" -j"$(nproc)" --target kavrel-replay kavrel-ranking >/dev/null
  replay=$root/build/kavrel-replay
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/assets/kavrel.bmp" "$work/"

# The pass (see scripts/pass.replay); the wind-up picture is caught just before its launch.
launch=4400
cp "$root/scripts/pass.replay" "$work/pass.replay"

cd "$work"
status=0
"$replay" pass.replay --trace trace.jsonl >/dev/null || status=$?
if ((status != 3)); then
  echo "screenshots.sh: the replay ended with status $status instead of at its end time" >&2
  exit 1
fi

# One frame per screen: the last one shown of its last visit, except the wind-up, which is
# caught just before the launch while the band is stretched.
frames=$(python3 - "$launch" <<'PY'
import json, sys
launch = int(sys.argv[1])
chosen = {}
for line in open("trace.jsonl"):
    rec = json.loads(line)
    if rec.get("ev") != "frame" or not rec["shown"]:
        continue
    if rec["screen"] == "windup" and rec["tick"] >= launch:
        continue
    chosen[rec["screen"]] = rec["n"]
for screen, n in sorted(chosen.items()):
    print(f"{screen} {n}")
PY
)
list=$(echo "$frames" | awk '{print $2}' | paste -sd, -)
"$replay" pass.replay --png png --png-frames "$list" >/dev/null || true

mkdir -p "$root/docs/screenshots"
missing=0
for screen in attract windup run standby ball results name ranking farewell; do
  n=$(echo "$frames" | awk -v s="$screen" '$1 == s {print $2}')
  png="png/$(printf '%06d' "${n:-0}").png"
  if [[ -z "$n" || ! -f "$png" ]]; then
    echo "screenshots.sh: no picture of the $screen screen" >&2
    missing=1
    continue
  fi
  cp "$png" "$root/docs/screenshots/$screen.png"
  echo "docs/screenshots/$screen.png  (frame $n)"
done

# The day's report page of the fixed log, as an A4 sheet on a screen of 96 dots an inch.
ranking=$(dirname "$replay")/kavrel-ranking
mkdir -p "$work/booth"
cp "$root/tests/report/kv_plays.csv" "$root/tests/report/kv_plays.csv.pending" "$work/booth/"
# With the records and the top five as the booth holds them after that day.
printf '3125.000000\r\n2866.250000\r\n24\r\n' >"$work/booth/kavrel.dat"
printf '%s\r\n' 120 YESTERDY 108 '<b>&amp;' 99 ACE_____ 91 NEWCOMER 88 DAY1BEST \
  >"$work/booth/kv_rank.dat"
LANGUAGE=ja "$ranking" --data-dir "$work/booth" report --date 2026-12-08 \
  --html "$work/report.html" >/dev/null
timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync --hide-scrollbars \
  --user-data-dir="$work/profile" --window-size=794,1123 --screenshot="$work/report.png" \
  "file://$work/report.html" >/dev/null 2>&1 || true
if [[ -f $work/report.png ]]; then
  cp "$work/report.png" "$root/docs/screenshots/report.png"
  echo "docs/screenshots/report.png  (the report page of tests/report/kv_plays.csv)"
else
  echo "screenshots.sh: Chromium drew no picture of the report page" >&2
  missing=1
fi
exit $missing
