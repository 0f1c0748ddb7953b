#!/usr/bin/env bash
# Measures what the frame benchmarks cannot, and prints one table:
#   - the game on a private X server (Xvfb, 1280 x 960, so the frame is shown at scale 2):
#     processor use of its process over 10 s of the attract screen, its peak resident memory, the
#     time from launch to the start-up box and from answering the box to the first picture;
#   - the same processor use on a 1920 x 1080 screen, where the picture fills 1440 x 1080 sharply;
#   - the headless replay: a whole challenger pass against the wall clock (with a trace file), its
#     peak resident memory, and the time from its start to its first frame record;
#   - the recovery copies written between two visitors, 200 times in a directory on the disk of
#     the build directory (the time they hold back the next attract screen's first frame);
#   - the day's report of a season's play log (100,000 lines), against wc -l of the same file.
#
#   scripts/perf.sh [BUILD_DIR]      (default: build; kavrel and kavrel-replay are built there)
#
# Processor use is read from /proc/PID/stat (utime + stime): the X server's own work of copying
# the window to its screen is not the game's and is shown on a line of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${BUILD_DIR:-$root/build}}
"$root/scripts/setup.sh" perf
# A build directory set up before keeps its other options; a new one builds no tests.
options=(-DKAVREL_TOOLS=ON)
[[ -f $build/CMakeCache.txt ]] || options+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVREL_TESTS=OFF)
cmake -S "$root" -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target kavrel kavrel-replay copy_probe \
  kavrel-ranking >/dev/null
build=$(cd "$build" && pwd)
game=$build/kavrel
replay=$build/kavrel-replay

work=$(mktemp -d)
pids=()
cleanup() {
  # Only what this script started, the game before its X server.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

now_ms() { date +%s%3N; }
# utime + stime in clock ticks; the fields after the command name, which may hold spaces.
cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }
hwm_kb() { awk '/^VmHWM/ {print $2}' "/proc/$1/status"; }
hz=$(getconf CLK_TCK)
load_start=$(cut -d' ' -f1-3 /proc/loadavg)
rows=()
row() { rows+=("$(printf '%-34s %12s  %s' "$1" "$2" "$3")"); }

# ---- The game under Xvfb ----------------------------------------------------------------------
Xvfb -displayfd 3 -screen 0 1280x960x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xpid=$!
pids+=("$xpid")
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.05; done
[[ -s $work/display ]] || { echo "perf.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"

mkdir "$work/game"
cp "$root/assets/kavrel.bmp" "$work/game/"
window_of() { xwininfo -root -tree 2>/dev/null | awk -v t="\"$1\":" '$2 == t {print $1; exit}'; }
# True when the probed pixel is lit; the header line of ImageMagick's text form is skipped.
pixel_lit() {
  local p
  p=$(import -window root -crop 1x1+300+300 txt:- 2>/dev/null | tail -1)
  [[ $p == 0,0:* && $p != *'#000000'* ]]
}

# The start-up times come from a probe loaded into the game (scripts/perf/startup_probe.c): the
# moments SDL is asked to raise the box, returns from it, and updates the window.
probe=""
if command -v cc >/dev/null &&
  cc -O2 -shared -fPIC -o "$work/probe.so" "$root/scripts/perf/startup_probe.c" -ldl 2>/dev/null; then
  probe=$work/probe.so
fi
t_launch_ns=$(date +%s%N)
t_launch=$((t_launch_ns / 1000000))
(cd "$work/game" && KAVREL_PROBE_LOG="$work/probe.log" LD_PRELOAD="$probe" exec "$game") \
  >"$work/game.log" 2>&1 &
gpid=$!
pids+=("$gpid")
box=""
for _ in $(seq 100); do
  sleep 0.1  # seldom: each look starts a process that would slow the game's start
  box=$(window_of INFORMATION)
  [[ -n $box ]] && break
done
[[ -n $box ]] || { echo "perf.sh: no start-up box" >&2; cat "$work/game.log" >&2; exit 1; }
sleep 0.5  # let the box settle before it is answered
t_answer=$(now_ms)  # before the key is sent: xdotool's own time counts against the game
xdotool windowfocus "$box" key Return
for _ in $(seq 200); do pixel_lit && break; done
t_first=$(now_ms)
# What one look at the screen costs: the resolution of the figure above.
t0=$(now_ms); pixel_lit || true; poll_ms=$(($(now_ms) - t0))

sleep 2  # past the first frames
c0=$(cpu_ticks "$gpid"); x0=$(cpu_ticks "$xpid"); w0=$(now_ms)
sleep 10
c1=$(cpu_ticks "$gpid"); x1=$(cpu_ticks "$xpid"); w1=$(now_ms)
game_hwm=$(hwm_kb "$gpid")
secs=$(awk -v a="$w0" -v b="$w1" 'BEGIN {print (b - a) / 1000}')
game_cpu=$(awk -v t=$((c1 - c0)) -v hz="$hz" -v s="$secs" 'BEGIN {printf "%.1f", 100 * t / hz / s}')
x_cpu=$(awk -v t=$((x1 - x0)) -v hz="$hz" -v s="$secs" 'BEGIN {printf "%.1f", 100 * t / hz / s}')

row "game: processor, attract screen" "$game_cpu %" "of one core over ${secs} s (target <= 10 %)"
row "  (Xvfb copying the window)" "$x_cpu %" "the X server's, not the game's"
row "game: peak resident memory" "$((game_hwm / 1024)) MB" "VmHWM after 12 s (target <= 80 MB)"
if [[ -n $probe && -s $work/probe.log ]]; then
  # The first update after the box shows the window black; the second is the first frame.
  read -r p_box p_answered p_frame < <(awk '
    $1 == "box" && !box { box = $2 }
    $1 == "answered" && box && !answered { answered = $2 }
    $1 == "update" && answered && ++updates == 2 { frame = $2 }
    END { print box, answered, frame }' "$work/probe.log")
  if [[ -n ${p_frame:-} ]]; then
    up=$(((p_box - t_launch_ns) / 1000000))
    down=$(((p_frame - p_answered) / 1000000))
    row "game: launch to start-up box" "$up ms" "probe: launch to the box being raised"
    row "game: box answered to 1st frame" "$down ms" "probe: box closed to the first frame updated"
    row "game: start to 1st frame, no box" "$((up + down)) ms" "the two above (target <= 200 ms)"
  fi
fi
row "  (seen on screen: picture)" "$((t_first - t_answer)) ms" \
  "key sent to a lit pixel seen; one look costs ${poll_ms} ms"

kill "$gpid" 2>/dev/null || true
wait "$gpid" 2>/dev/null || true

# ---- The game filling a 1920 x 1080 screen ------------------------------------------------------
# The sharp enlargement to 1440 x 1080, 30 times a second, and its window updates.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display-hd" >/dev/null 2>&1 &
xpid=$!
pids+=("$xpid")
for _ in $(seq 100); do [[ -s $work/display-hd ]] && break; sleep 0.05; done
[[ -s $work/display-hd ]] || { echo "perf.sh: Xvfb (1920 x 1080) did not start" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display-hd")"
mkdir "$work/game-hd"
cp "$root/assets/kavrel.bmp" "$work/game-hd/"
(cd "$work/game-hd" && exec "$game") >"$work/game-hd.log" 2>&1 &
gpid=$!
pids+=("$gpid")
box=""
for _ in $(seq 100); do
  sleep 0.1
  box=$(window_of INFORMATION)
  [[ -n $box ]] && break
done
[[ -n $box ]] || { echo "perf.sh: no start-up box (1920 x 1080)" >&2; cat "$work/game-hd.log" >&2; exit 1; }
sleep 0.5
xdotool windowfocus "$box" key Return
sleep 2  # past the first frames
c0=$(cpu_ticks "$gpid"); x0=$(cpu_ticks "$xpid"); w0=$(now_ms)
sleep 10
c1=$(cpu_ticks "$gpid"); x1=$(cpu_ticks "$xpid"); w1=$(now_ms)
secs=$(awk -v a="$w0" -v b="$w1" 'BEGIN {print (b - a) / 1000}')
hd_cpu=$(awk -v t=$((c1 - c0)) -v hz="$hz" -v s="$secs" 'BEGIN {printf "%.1f", 100 * t / hz / s}')
hd_x=$(awk -v t=$((x1 - x0)) -v hz="$hz" -v s="$secs" 'BEGIN {printf "%.1f", 100 * t / hz / s}')
row "game: processor, 1920 x 1080" "$hd_cpu %" "filled to 1440 x 1080, over ${secs} s (target < 10 %)"
row "  (Xvfb copying the window)" "$hd_x %" "the X server's, not the game's"
kill "$gpid" 2>/dev/null || true
wait "$gpid" 2>/dev/null || true

# ---- The replay ---------------------------------------------------------------------------------
# One whole challenger pass: every screen, 64 s of virtual time.
mkdir "$work/replay"
cp "$root/assets/kavrel.bmp" "$work/replay/"
cp "$root/scripts/pass.replay" "$work/replay/pass.replay"
printf 'end 1\n' >"$work/replay/first.replay"
virtual_ms=64000

cd "$work/replay"
runs=()
for _ in 1 2 3 4 5; do
  rm -f kavrel.dat kv_rank.dat
  t0=$(date +%s%N)
  status=0
  "$replay" pass.replay --trace trace.jsonl >/dev/null || status=$?
  runs+=($((($(date +%s%N) - t0) / 1000)))
  ((status == 3)) || { echo "perf.sh: the pass ended with $status, not at its end" >&2; exit 1; }
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
pass_us=$(median "${runs[@]}")
frames=$(grep -c '"ev":"frame"' trace.jsonl)
# GNU time's maximum resident set size is the peak (VmHWM) of the process.
replay_hwm=$( (/usr/bin/time -f %M "$replay" pass.replay --trace trace.jsonl >/dev/null) 2>&1 || true)
replay_hwm=$(tail -1 <<<"$replay_hwm")
firsts=()
for _ in 1 2 3 4 5; do
  t0=$(date +%s%N)
  "$replay" first.replay --trace first.jsonl >/dev/null || true
  firsts+=($((($(date +%s%N) - t0) / 1000)))
done
first_us=$(median "${firsts[@]}")

row "replay: one pass, with trace" "$((pass_us / 1000)) ms" \
  "median of 5; ${virtual_ms} ms virtual, ${frames} frames"
row "replay: faster than real time" \
  "$(awk -v v="$virtual_ms" -v w="$pass_us" 'BEGIN {printf "%.0f x", v * 1000 / w}')" "(target >= 300 x)"
row "replay: peak resident memory" "$((replay_hwm / 1024)) MB" "max RSS (target <= 80 MB)"
row "replay: start to first frame" "$((first_us / 1000)) ms" \
  "whole run of a one-frame script, median of 5 (target <= 200 ms)"

copies_dir=$(mktemp -d "$build/copies.XXXXXX")
copies=$("$build/copy_probe" "$copies_dir" 200)
rmdir "$copies_dir"
row "recovery copies after a pass" "$(awk '{print $4, "/", $7, "ms"}' <<<"$copies")" \
  "median / longest of 200 (target: longest <= 33 ms, one attract frame)"

# ---- The day's report ------------------------------------------------------------------------
# A season's play log: the test log's lines repeated to 100,000. The whole report of every day,
# start to exit, against a plain line count of the same file: processor time of ten runs each.
season=$work/season
mkdir "$season"
tail -n +2 "$root/tests/report/kv_plays.csv" >"$season/more"
while (($(wc -l <"$season/more") < 100000)); do
  cat "$season/more" "$season/more" >"$season/twice"
  mv "$season/twice" "$season/more"
done
{ head -n 1 "$root/tests/report/kv_plays.csv"; head -n 99999 "$season/more"; } >"$season/kv_plays.csv"
rm "$season/more"
ten_runs() { # COMMAND...: user + system seconds of ten runs
  local TIMEFORMAT='%U %S'
  { time (for _ in 1 2 3 4 5 6 7 8 9 10; do "$@" >/dev/null; done); } 2>&1 |
    awk '{printf "%.3f", $1 + $2}'
}
report_s=$(ten_runs "$build/kavrel-ranking" --data-dir "$season" report --all)
count_s=$(ten_runs wc -l "$season/kv_plays.csv")
row "report: a season's log, every day" "$(awk -v r="$report_s" 'BEGIN {printf "%.0f ms", r * 100}')" \
  "processor a run, 100,000 lines (target well under 1 s)"
row "  as plain line counts (wc -l)" \
  "$(awk -v r="$report_s" -v c="$count_s" 'BEGIN {printf "%.0f x", (c > 0 ? r / c : 0)}')" \
  "wc -l: $(awk -v c="$count_s" 'BEGIN {printf "%.1f", c * 100}') ms a run"

echo "load average at the start: $load_start; at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-34s %12s  %s\n' "figure" "value" "note"
printf '%s\n' "${rows[@]}"
