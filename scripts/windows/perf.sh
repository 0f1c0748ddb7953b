#!/usr/bin/env bash
# Windows figures, measured under Wine on a 1280 x 960 Xvfb: the game's processor share on the
# attract screen (utime + stime of the game's process over 10 s, with Wine's server and the X
# server apart), and the time to present one frame (present_probe: the game's own Present on a
# full-screen window, 300 frames at 30 a second); then the same processor share on a 1920 x 1080
# desktop of its own, where the picture fills 1440 x 1080. Needs a build from
# ./scripts/windows.sh test.
#   perf.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build-windows}" && pwd)
work=$(mktemp -d)
export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
[[ -f $WINEPREFIX/kavrel-ready ]] || { echo "perf: run ./scripts/windows.sh test first" >&2; exit 1; }
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x960x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
hd_xvfb=
cleanup() {
  timeout 20 wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  [[ -n $hd_xvfb ]] && kill "$hd_xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
timeout 20 wineserver -k 2>/dev/null || true

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# The newest process whose name matches PATTERN, of this Wine prefix: other prefixes on the
# machine (other builds' tests) may run a kavrel.exe or a wineserver of their own.
own() {
  local p found=
  for p in $(pgrep "$1"); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && found=$p
  done
  echo "$found"
}
hz=$(getconf CLK_TCK)

cp "$root/assets/kavrel.bmp" "$work/"
(cd "$work" && timeout 60 wine "$build/kavrel.exe" >/dev/null 2>&1) &
for _ in $(seq 300); do
  id=$(xdotool search --name '^INFORMATION$' 2>/dev/null | head -1) && [[ -n $id ]] && break
  sleep 0.1
done
xdotool windowfocus --sync "$id" key Return
sleep 3  # the attract screen settles
game=$(own '^kavrel\.exe$')
server=$(own '^wineserver')
g0=$(ticks "$game") s0=$(ticks "$server") x0=$(ticks "$xvfb_pid")
sleep 10
g1=$(ticks "$game") s1=$(ticks "$server") x1=$(ticks "$xvfb_pid")
share() { awk -v a="$1" -v b="$2" -v hz="$hz" 'BEGIN {printf "%.1f %%", (b - a) / hz / 10 * 100}'; }
attract_share="$(share "$g0" "$g1") of a core (wineserver $(share "$s0" "$s1"), Xvfb $(share "$x0" "$x1"))"
xdotool key q
sleep 2
timeout 20 wineserver -k 2>/dev/null || true

(cd "$work" && timeout 120 wine "$build/present_probe.exe" 300 >probe.txt 2>/dev/null) || true
timeout 20 wineserver -k 2>/dev/null || true

# The attract screen filling a 1920 x 1080 desktop (explorer /desktop: the prefix's own desktop
# keeps its size), on an X server of that size.
display=:$((${display#:} + 1))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
hd_xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
(cd "$work" && timeout 60 wine explorer /desktop=KavrelPerf,1920x1080 \
  "$(winepath -w "$build/kavrel.exe")" >/dev/null 2>&1) &
id=
for _ in $(seq 300); do
  id=$(xdotool search --name '^INFORMATION$' 2>/dev/null | head -1) && [[ -n $id ]] && break
  sleep 0.1
done
xdotool windowfocus --sync "$id" key Return
sleep 3
game=$(own '^kavrel\.exe$')
server=$(own '^wineserver')
g0=$(ticks "$game") s0=$(ticks "$server") x0=$(ticks "$hd_xvfb")
sleep 10
g1=$(ticks "$game") s1=$(ticks "$server") x1=$(ticks "$hd_xvfb")
hd_share="$(share "$g0" "$g1") of a core (wineserver $(share "$s0" "$s1"), Xvfb $(share "$x0" "$x1"))"
xdotool key q
sleep 2
timeout 20 wineserver -k 2>/dev/null || true

echo "Windows build under Wine 8 and Xvfb (1280 x 960), load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "| figure | measured under Wine |"
echo "|---|---|"
echo "| game: processor, attract screen | $attract_share |"
echo "| present a frame (convert, enlarge twice, update the window) | $(sed 's/^present: //' "$work/probe.txt") |"
echo "| game: processor, attract screen filling 1920 x 1080 (target < 10 %) | $hd_share |"
