#!/usr/bin/env bash
# The Windows tests, under Wine (and Xvfb for the game's window), against the Linux build:
#   1. every test suite that needs no real window;
#   2. kavrel-replay.exe against the Linux replay: the whole-pass script's trace (to a file and to
#      standard output), data files, play log and exit status, byte for byte; the play log's
#      booth's-day rows, and a log held open as a spreadsheet holds it; kavrel-ranking.exe against
#      the Linux tool, its day's report and page included;
#   3. kavrel.exe: its boxes (text, caption, owner) against the Linux replay's, the attract
#      screen's static regions against the replay's picture (also when drawn in "MS Gothic" of a
#      stand-in for the system's msgothic.ttc: system_font.sh), Q writing both files exactly as the
#      Linux build does, Alt+F4 closing nothing, ESC writing nothing, the picture filling a
#      1366 x 768 desktop sharply,
#      a bad --scale refused in a box, a second game in the same folder refused, the end of the
#      session saving as Q does, and hostile sprite sheets and data files;
#   4. booth mode: kavrel-booth.exe starting a killed game again, its boxes answering themselves,
#      no crash dialog (booth.sh).
#   test.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
here=$root/scripts/windows
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# The Linux replay the Windows build is compared with, built beside it.
cmake -S "$root" -B "$build/linux" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVREL_TESTS=OFF \
  -DKAVREL_BENCH=OFF >/dev/null
cmake --build "$build/linux" -j2 --target kavrel-replay >/dev/null
linux_replay=$build/linux/kavrel-replay

work=$(mktemp -d)
export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
# The play log's dates and times in Japan's time: glibc and the Windows C runtime both read TZ.
export TZ=JST-9
xvfb_pid=
cleanup() {
  timeout 20 wineserver -k 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# Every wine command runs under a timeout: a box nobody answers blocks for ever.
w() { timeout "${WINE_TIMEOUT:-120}" wine "$@"; }

# The Wine prefix, made once: a Japanese face under the game's font names for the boxes, and a
# virtual desktop (without a window manager every closed window would cost about 2 s).
if [[ ! -f $WINEPREFIX/kavrel-ready ]]; then
  started=$SECONDS
  rm -rf "$WINEPREFIX"
  timeout 20 wineserver -k 2>/dev/null || true
  timeout 180 wineboot -i >/dev/null 2>&1
  {
    printf '\xff\xfe'
    sed 's/$/\r/' <<'EOF' | iconv -f UTF-8 -t UTF-16LE
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ ゴシック"="IPAGothic"
"MS Gothic"="IPAGothic"
"MS UI Gothic"="IPAGothic"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1280x960"
EOF
  } >"$work/setup.reg"
  w regedit /S "$(winepath -w "$work/setup.reg")" >/dev/null 2>&1
  timeout 20 wineserver -w || true
  touch "$WINEPREFIX/kavrel-ready"
  echo "windows: Wine prefix made in $((SECONDS - started)) s"
fi
timeout 20 wineserver -k 2>/dev/null || true

# 1. The test suites.
started=$SECONDS
for t in "$build"/*_test.exe; do
  name=$(basename "$t" .exe)
  if (cd "$build" && WINE_TIMEOUT=600 w "$t" --gtest_brief=1 >"$work/$name.log" 2>&1); then
    pass "$name"
  else
    fail "$name"
    grep -E "Failure|FAILED|^/" "$work/$name.log" | head -20 >&2 || true
  fi
done
echo "windows: test suites under Wine took $((SECONDS - started)) s"

# 2. The replay. Each run gets a directory with the sprite sheet and, optionally, data files.
started=$SECONDS
fresh_dir() {
  rm -rf "$1"
  mkdir -p "$1"
  cp "$root/assets/kavrel.bmp" "$1/"
}
same_files() { # DIR_A DIR_B FILES...: what is there, and its bytes, agree
  local a=$1 b=$2 f ok=0
  shift 2
  for f in "$@"; do
    if [[ -e $a/$f || -e $b/$f ]] && ! cmp -s "$a/$f" "$b/$f"; then
      ok=1
      echo "  differs: $f (${a##*/} and ${b##*/})" >&2
      # A differing text file's first differing lines say why, should it happen only now and then.
      [[ -f $a/$f && -f $b/$f ]] && diff "$a/$f" "$b/$f" 2>/dev/null | head -6 >&2
    fi
  done
  return $ok
}
# A run directory holding the data files the whole pass left (made below, in linux-plain).
pass_files_dir() {
  fresh_dir "$1"
  cp "$work/linux-plain/kavrel.dat" "$work/linux-plain/kv_rank.dat" "$1/"
}
# The whole pass, then Q on the attract screen, so that the data files are written too.
sed '/^end /d' "$root/scripts/pass.replay" >"$work/pass-q.replay"
echo "tap 64000 Q 100" >>"$work/pass-q.replay"
# Hand-edited files with extreme values and a name byte (0x80) that is no Shift-JIS character.
hostile_record=$'1e400\r\n-12.5\r\n2147483647\r\n'
hostile_ranking=$'-99999\r\n\x80ABC\x81 _D\r\n2147483647\r\n  SPACE \r\n7\nLF_ONLY_\n'

for case in plain hostile; do
  fresh_dir "$work/linux-$case"
  fresh_dir "$work/win-$case"
  if [[ $case == hostile ]]; then
    for d in "$work/linux-$case" "$work/win-$case"; do
      printf '%s' "$hostile_record" >"$d/kavrel.dat"
      printf '%s' "$hostile_ranking" >"$d/kv_rank.dat"
    done
  fi
  linux_code=0 win_code=0
  # The sound's mix too: the same samples from the same integer arithmetic.
  (cd "$work/linux-$case" && "$linux_replay" ../pass-q.replay --trace trace.jsonl --wav mix.wav) ||
    linux_code=$?
  # Backslashes and a relative script path, as a Windows user would write them.
  (cd "$work/win-$case" && w "$build/kavrel-replay.exe" '..\pass-q.replay' --trace 'trace.jsonl' \
    --wav mix.wav) || win_code=$?
  if [[ $linux_code == "$win_code" ]] && same_files "$work/linux-$case" "$work/win-$case" \
    trace.jsonl kavrel.dat kv_rank.dat kv_plays.csv mix.wav && [[ -s $work/win-$case/mix.wav ]]; then
    pass "replay, whole pass and Q ($case files): trace, data files, log, WAV mix and exit $win_code agree"
  else
    fail "replay, whole pass and Q ($case files): exit $linux_code/$win_code or files differ"
  fi
done
# The committed script as it stands (it ends by its end time), its trace on standard output.
fresh_dir "$work/linux-pass"
fresh_dir "$work/win-pass"
linux_code=0 win_code=0
(cd "$work/linux-pass" && "$linux_replay" "$root/scripts/pass.replay" --trace - >trace.jsonl) ||
  linux_code=$?
(cd "$work/win-pass" && w "$build/kavrel-replay.exe" "$(winepath -w "$root/scripts/pass.replay")" \
  --trace - >trace.jsonl) || win_code=$?
if [[ $linux_code == 3 && $win_code == 3 ]] && same_files "$work/linux-pass" "$work/win-pass" \
  trace.jsonl kavrel.dat kv_rank.dat; then
  pass "replay of scripts/pass.replay: the trace on standard output is the same bytes (LF)"
else
  fail "replay of scripts/pass.replay on standard output: exit $linux_code/$win_code or trace differs"
fi
# A read-only ranking file (the attribute, as Wine shows a file without write permission) is not
# replaced: the record file is saved, one line on standard error names the other, exit 255.
pass_files_dir "$work/win-readonly"
chmod a-w "$work/win-readonly/kv_rank.dat"
echo "tap 500 Q 100" >"$work/q.replay"
win_code=0
(cd "$work/win-readonly" && w "$build/kavrel-replay.exe" ../q.replay 2>err.txt) || win_code=$?
if [[ $win_code == 255 ]] && cmp -s "$work/linux-plain/kv_rank.dat" "$work/win-readonly/kv_rank.dat" &&
  ! cmp -s "$work/linux-plain/kavrel.dat" "$work/win-readonly/kavrel.dat" &&
  [[ $(wc -l <"$work/win-readonly/err.txt") == 1 ]] &&
  grep -q "kv_rank.dat not saved: Permission denied" "$work/win-readonly/err.txt"; then
  pass "replay: a read-only ranking file is left as it was, the other saved, exit 255"
else
  fail "replay: read-only ranking file: exit $win_code, $(cat "$work/win-readonly/err.txt")"
fi

# The play log's rows of the booth's day, through both replays: each row's directories are made
# fresh, then each step either plays a script in both (exit codes, traces, data files, log and
# side file compared; a folder in a file's place in both is passed over) or, written ":COMMAND",
# runs COMMAND in both.
log_row() { # DIR WHAT STEP...
  local dir=$1 what=$2 step ok=0 linux_code win_code file files
  shift 2
  fresh_dir "$work/linux-$dir"
  fresh_dir "$work/win-$dir"
  for step in "$@"; do
    if [[ $step == :* ]]; then
      (cd "$work/linux-$dir" && eval "${step#:}") && (cd "$work/win-$dir" && eval "${step#:}")
      continue
    fi
    linux_code=0 win_code=0
    (cd "$work/linux-$dir" && "$linux_replay" "$step" --trace trace.jsonl 2>/dev/null) ||
      linux_code=$?
    (cd "$work/win-$dir" && w "$build/kavrel-replay.exe" "$(winepath -w "$step")" \
      --trace trace.jsonl 2>/dev/null) || win_code=$?
    if [[ $linux_code != "$win_code" ]]; then
      ok=1
      echo "  exit $linux_code (Linux) and $win_code (Wine) after ${step##*/}" >&2
    fi
    files=()
    for file in trace.jsonl kavrel.dat kv_rank.dat kv_plays.csv kv_plays.csv.pending; do
      [[ -d $work/linux-$dir/$file && -d $work/win-$dir/$file ]] || files+=("$file")
    done
    same_files "$work/linux-$dir" "$work/win-$dir" "${files[@]}" || ok=1
  done
  [[ -s $work/linux-$dir/kv_plays.csv ]] || ok=1
  if ((ok == 0)); then
    pass "replay, play log: $what: the same log, side file, trace and exit codes as Linux"
  else
    fail "replay, play log: $what: differs from Linux"
  fi
}
for end in "crash 61000" "down 61000 ESC" "tap 61000 Q 50"; do
  sed '/^end /d' "$root/scripts/pass.replay" >"$work/pass-${end%% *}.replay"
  echo "$end" >>"$work/pass-${end%% *}.replay"
done
log_row names "three passes and their names" "$root/tests/scripts/three_passes.replay"
log_row torn "a crash after a pass, on a line torn before" \
  ":printf '\xef\xbb\xbfx\r\n1970-01-01,09:0' >kv_plays.csv" "$work/pass-crash.replay" \
  "$work/q.replay"
log_row esc "ESC" "$work/pass-down.replay"
log_row unwritable "a log that cannot be written, and later can" ":mkdir kv_plays.csv" \
  "$work/pass-tap.replay" ":rmdir kv_plays.csv" "$work/pass-tap.replay"

# A log the operator has open in a spreadsheet (held for reading, sharing reading only): the pass
# ends as usual, its line goes to the side file with one box, and the next Q moves it into the log.
fresh_dir "$work/win-held"
cp "$work/linux-esc/kv_plays.csv" "$work/win-held/"
tail -n 1 "$work/linux-esc/kv_plays.csv" >"$work/held-line"
cat "$work/linux-esc/kv_plays.csv" "$work/held-line" >"$work/held-log"
(cd "$work/win-held" && w "$build/hold_open.exe" kv_plays.csv 60 >held.txt 2>/dev/null) &
holder=$!
for _ in $(seq 300); do grep -q held "$work/win-held/held.txt" 2>/dev/null && break; sleep 0.1; done
win_code=0
(cd "$work/win-held" && w "$build/kavrel-replay.exe" ../pass-tap.replay --trace trace.jsonl \
  2>/dev/null) || win_code=$?
held_ok=0
cmp -s "$work/linux-esc/kv_plays.csv" "$work/win-held/kv_plays.csv" || held_ok=1
cmp -s "$work/held-line" "$work/win-held/kv_plays.csv.pending" || held_ok=1
held_boxes=$(grep -c '"ev":"msgbox".*kv_plays.csv' "$work/win-held/trace.jsonl" || true)
timeout 20 wineserver -k 2>/dev/null || true
wait "$holder" 2>/dev/null || true
q_code=0
(cd "$work/win-held" && w "$build/kavrel-replay.exe" ../q.replay 2>/dev/null) || q_code=$?
cmp -s "$work/held-log" "$work/win-held/kv_plays.csv" || held_ok=1
if [[ $win_code == 0 && $q_code == 0 && $held_ok == 0 && $held_boxes == 1 ]] &&
  [[ ! -e $work/win-held/kv_plays.csv.pending ]]; then
  pass "replay, play log held open as a spreadsheet holds it: side file, one box, moved at Q"
else
  fail "replay, play log held open: exit $win_code/$q_code, files $held_ok, boxes $held_boxes"
fi
echo "windows: replay comparisons took $((SECONDS - started)) s"

# kavrel-ranking.exe against the Linux tool, on the whole pass's files: list's lines (CR LF aside)
# and remove 1's file and exit code.
cmake --build "$build/linux" -j2 --target kavrel-ranking >/dev/null
for cmd in list "remove 1"; do
  pass_files_dir "$work/linux-ranking"
  pass_files_dir "$work/win-ranking"
  linux_code=0 win_code=0
  "$build/linux/kavrel-ranking" --data-dir "$work/linux-ranking" $cmd >"$work/linux-ranking.out" ||
    linux_code=$?
  w "$build/kavrel-ranking.exe" --data-dir "$(winepath -w "$work/win-ranking")" $cmd \
    >"$work/win-ranking.out" || win_code=$?
  if [[ $linux_code == 0 && $win_code == 0 ]] &&
    cmp -s "$work/linux-ranking.out" <(tr -d '\r' <"$work/win-ranking.out") &&
    same_files "$work/linux-ranking" "$work/win-ranking" kavrel.dat kv_rank.dat; then
    pass "kavrel-ranking.exe $cmd: the Linux tool's output and files"
  else
    fail "kavrel-ranking.exe $cmd: exit $linux_code/$win_code, or the output or files differ"
  fi
done
# A read-only ranking file: reset all changes neither file, and says why in one line.
pass_files_dir "$work/win-ranking"
chmod a-w "$work/win-ranking/kv_rank.dat"
win_code=0
w "$build/kavrel-ranking.exe" --data-dir "$(winepath -w "$work/win-ranking")" reset all \
  2>"$work/win-ranking.err" || win_code=$?
if [[ $win_code == 1 && $(wc -l <"$work/win-ranking.err") == 1 ]] &&
  same_files "$work/linux-plain" "$work/win-ranking" kavrel.dat kv_rank.dat; then
  pass "kavrel-ranking.exe reset all: a read-only ranking file leaves both files as they were"
else
  fail "kavrel-ranking.exe reset all, read-only ranking: exit $win_code, $(cat "$work/win-ranking.err")"
fi
# The day's report of the fixed play log (tests/report/): the terminal form and the page, byte for
# byte; the date is given, so the clock and the time zone play no part. Sent to a file, the Windows
# tool writes CR LF in the system's code page (1252 in this prefix, as the C locale gives it; 932 on
# a Japanese Windows), so the Linux form is compared as that code page would write it.
for os in linux win; do
  rm -rf "$work/$os-report"
  mkdir -p "$work/$os-report"
  cp "$root/tests/report/kv_plays.csv" "$root/tests/report/kv_plays.csv.pending" "$work/$os-report/"
done
linux_code=0 win_code=0
(cd "$work/linux-report" && "$build/linux/kavrel-ranking" --data-dir . report --date 2026-12-08 \
  --html day.html >report.txt) || linux_code=$?
(cd "$work/win-report" && w "$build/kavrel-ranking.exe" --data-dir . report --date 2026-12-08 \
  --html day.html >report.txt) || win_code=$?
if [[ $linux_code == 0 && $win_code == 0 ]] &&
  python3 -c 'import sys; a, b = (open(f, "rb").read() for f in sys.argv[1:])
sys.exit(a.decode().replace("\n", "\r\n").encode("cp1252", "replace") != b)' \
    "$work/linux-report/report.txt" "$work/win-report/report.txt" &&
  same_files "$work/linux-report" "$work/win-report" day.html kv_plays.csv kv_plays.csv.pending; then
  pass "kavrel-ranking.exe report: the Linux tool's report and page, byte for byte"
else
  fail "kavrel-ranking.exe report: exit $linux_code/$win_code, or the report or the page differ"
fi

# 3. The game in a window. Wine's desktop process must start anew, on the X display.
started=$SECONDS
timeout 20 wineserver -k 2>/dev/null || true
# The X server takes the first free display and says which (a number picked at random may be
# taken by another test).
start_xvfb() { # SIZE: starts Xvfb of that screen size; sets xvfb_display and last_xvfb
  rm -f "$work/xvfb-display"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$work/xvfb-display" >/dev/null 2>&1 &
  last_xvfb=$!
  for _ in $(seq 100); do [[ -s $work/xvfb-display ]] && break; sleep 0.1; done
  xvfb_display=:$(head -1 "$work/xvfb-display")
}
start_xvfb 1280x960x24
xvfb_pid=$last_xvfb
display=$xvfb_display
export DISPLAY=$display

find_box() { # waits up to 60 s for a message box (the first start of Wine is slow); prints its id
  local id
  for _ in $(seq 600); do
    id=$(xdotool search --name '^(INFORMATION|Error|CCDraw Error|TM4GV)$' 2>/dev/null | head -1)
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# Starts the game (PROGRAM, by default the build's) in DIR, answers every box, waits for the
# attract screen.
start_game() {
  local dir=$1 program=${2:-$build/kavrel.exe}
  # The exit code is kept whether or not the shell would stop at a failing command here.
  (cd "$dir" && rc=0 && { WINEDEBUG=-all,trace+win WINE_TIMEOUT=120 w "$program" 2>wine.log \
    >/dev/null || rc=$?; } && echo $rc >exit-code) &
  local id quiet=0
  id=$(find_box) || return 1
  # Every box is answered, until none has come for about 1.5 s: on a loaded machine the next box
  # of a broken sprite sheet may come well after the one before was answered.
  while ((quiet < 5)); do
    if [[ -n $id ]]; then
      quiet=0
      sleep 0.2
      timeout 5 xdotool windowfocus --sync "$id" key Return 2>/dev/null || true
    else
      quiet=$((quiet + 1))
    fi
    sleep 0.3
    id=$(xdotool search --name '^(INFORMATION|Error|CCDraw Error|TM4GV)$' 2>/dev/null | head -1) || true
  done
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^Vostrel$' >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 1  # the first frames
}
press() { # KEY: held for a few frames
  xdotool keydown "$1"
  sleep 0.15
  xdotool keyup "$1"
}
wait_game() { # the game's exit code, "none" when its run kept none (a check fails, not the script)
  # Called as $(wait_game DIR), a subshell of which the game is no child: `wait` would return at
  # once, before a game still saving has written its code. Its file is waited for instead, as
  # long as the longest Wine timeout of a game.
  for _ in $(seq 2000); do
    [[ -s $1/exit-code ]] && break
    sleep 0.1
  done
  cat "$1/exit-code" 2>/dev/null || echo none
}
boxes_agree() { # DIR LINUX_TRACE: the boxes shown under Wine are the Linux replay's, in order
  python3 - "$1/wine.log" "$2" "$here/wine_boxes.py" <<'EOF'
import json, subprocess, sys
shown = [json.loads(l) for l in subprocess.run([sys.executable, sys.argv[3], sys.argv[1]],
         capture_output=True, text=True, check=True).stdout.splitlines()]
want = [json.loads(l) for l in open(sys.argv[2], encoding="utf-8") if '"ev":"msgbox"' in l]
got = [(b["caption"], b["text"]) for b in shown]
expected = [(b["caption"], b["text"]) for b in want]
# The start-up box comes while the window is made and has no owner; the others are owned by the
# game's window, so that they stay in front of it.
owners = [b["owned"] for b in shown] == [i > 0 for i in range(len(shown))]
if got != expected or not owners:
    print("boxes shown:", shown, "\nexpected:", expected, file=sys.stderr)
    sys.exit(1)
EOF
}

# Whether the static regions of the attract screen (tiles, caption of the word of the day, the
# previous player, the quit prompt and the challenger line; the banner, the word and the SPACE
# prompt tremble at random), in the window at twice the size, are those of the replay's picture
# PNG. A screenshot may catch a frame half drawn, so a few (TRIES) are tried; diff holds the last
# count.
attract_matches() {
  convert "$1" -scale 200% "$work/expected.png"
  local all region
  for _ in $(seq "${2:-5}"); do
    import -window root "$work/shown.png"
    all=1
    for region in 1280x156+0+180 1280x350+0+380 1280x190+0+770; do
      convert "$work/expected.png" -crop "$region" +repage "$work/a.png"
      convert "$work/shown.png" -crop "$region" +repage "$work/b.png"
      diff=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
      [[ $diff == 0 ]] || all=0
    done
    ((all)) && return 0
    sleep 0.3
  done
  return 1
}

# Q, from the data files of the whole pass: the attract screen's picture, the boxes and the
# files against the Linux replay.
pass_files_dir "$work/linux-q"
pass_files_dir "$work/win-q"
(cd "$work/linux-q" && "$linux_replay" ../q.replay --trace trace.jsonl --png shots \
  --png-frames 5 >/dev/null) || true
if start_game "$work/win-q"; then
  attract_matches "$work/linux-q/shots/000005.png" &&
    pass "game: the attract screen's static regions are the replay's pixels" ||
    fail "game: the attract screen differs from the replay's picture (last difference: $diff pixels)"
  press q
  code=$(wait_game "$work/win-q")
  if [[ $code == 0 ]] && same_files "$work/linux-q" "$work/win-q" kavrel.dat kv_rank.dat; then
    pass "game: Q ends with 0 and writes both files as the Linux build does"
  else
    fail "game: Q ended with $code or the files differ from the Linux build's"
  fi
  boxes_agree "$work/win-q" "$work/linux-q/trace.jsonl" && pass "game: the start-up box and its text" ||
    fail "game: the start-up box"
else
  fail "game: no start-up box appeared"
fi
timeout 20 wineserver -k 2>/dev/null || true
source "$here/system_font.sh"

# ESC writes nothing: neither new files nor changes to the old ones.
pass_files_dir "$work/win-esc"
(cd "$work/win-esc" && ls -l --time-style=full-iso >../esc-before)
if start_game "$work/win-esc"; then
  # Alt+F4 does not close the game in full screen (nor does it reach a window manager).
  xdotool key alt+F4
  sleep 1
  [[ -s $work/win-esc/exit-code ]] && fail "game: Alt+F4 closed the game" ||
    pass "game: Alt+F4 leaves the game running"
  press Escape
  code=$(wait_game "$work/win-esc")
  (cd "$work/win-esc" && rm -f wine.log exit-code && ls -l --time-style=full-iso >../esc-after)
  if [[ $code == 1 ]] && cmp -s "$work/esc-before" "$work/esc-after" &&
    same_files "$work/linux-plain" "$work/win-esc" kavrel.dat kv_rank.dat; then
    pass "game: ESC ends with 1 and writes nothing"
  else
    fail "game: ESC ended with $code or touched the files"
  fi
else
  fail "game: no start-up box appeared (ESC run)"
fi
timeout 20 wineserver -k 2>/dev/null || true

# The picture fills a 1366 x 768 screen: 1024 x 768 in the middle, black beside it, and read back
# at 640 x 480 it agrees with the replay's picture (fill_check.py). A desktop of that size of its
# own (explorer /desktop), on an X server of that size, so that the prefix's stays as it is.
start_xvfb 1366x768x24
fill_display=$xvfb_display
fill_xvfb=$last_xvfb
pass_files_dir "$work/win-fill"
fill_result="no start-up box appeared, or the check did not run"
(
  export DISPLAY=$fill_display
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  (cd "$work/win-fill" && WINE_TIMEOUT=120 w explorer /desktop=KavrelFill,1366x768 \
    "$(winepath -w "$build/kavrel.exe")" >/dev/null 2>&1) &
  id=$(find_box) || exit 1
  sleep 0.2
  timeout 5 xdotool windowfocus --sync "$id" key Return 2>/dev/null || true
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^Vostrel$' >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 1  # the first frames
  convert "$work/linux-q/shots/000005.png" -depth 8 "rgb:$work/fill-picture.rgb"
  # A screenshot may catch a frame half drawn: a few are tried.
  for _ in 1 2 3 4 5; do
    import -window root -depth 8 "rgb:$work/fill-shot.rgb"
    python3 "$here/fill_check.py" "$work/fill-shot.rgb" 1366 768 "$work/fill-picture.rgb" \
      >"$work/fill-result" && { echo ok >"$work/fill-result"; break; }
    sleep 0.3
  done
  press q
  for _ in $(seq 50); do pgrep -x kavrel.exe >/dev/null || break; sleep 0.2; done
  timeout 20 wineserver -k 2>/dev/null || true  # the desktop of its own ends with it
  wait
) || true
[[ -s $work/fill-result ]] && fill_result=$(cat "$work/fill-result")
if [[ $fill_result == ok ]]; then
  pass "game: on a 1366 x 768 desktop the picture fills 1024 x 768, sharp, with the replay's pixels"
else
  fail "game: on a 1366 x 768 desktop: $fill_result"
fi
timeout 20 wineserver -k 2>/dev/null || true
kill "$fill_xvfb" 2>/dev/null || true

# A bad --scale (a typing mistake in a shortcut): one box saying so and exit 2, before any window.
fresh_dir "$work/win-scale"
(cd "$work/win-scale" && rc=0 && { WINEDEBUG=-all,trace+win w "$build/kavrel.exe" --scale big \
  2>wine.log >/dev/null || rc=$?; } && echo $rc >exit-code) &
game_pid=$!
if id=$(find_box); then
  sleep 0.2
  timeout 5 xdotool windowfocus --sync "$id" key Return 2>/dev/null || true
fi
code=$(wait_game "$work/win-scale")
scale_box=$(python3 "$here/wine_boxes.py" "$work/win-scale/wine.log" 2>/dev/null || true)
if [[ $code == 2 && $(grep -c caption <<<"$scale_box") == 1 ]] &&
  grep -q '"caption": "Error"' <<<"$scale_box" && grep -q 'fill or whole (given: big)' <<<"$scale_box" &&
  [[ ! -e $work/win-scale/kavrel.dat ]]; then
  pass "game: --scale big shows one box and ends with 2"
else
  fail "game: --scale big: exit $code, boxes: $scale_box"
fi
timeout 20 wineserver -k 2>/dev/null || true

# One game per folder: a second kavrel.exe started while the first still shows its start-up box
# says so in one box and ends with 5, touching nothing; the first then plays on and quits.
answer_box() { # TITLE: answers the box of that title, waiting up to 60 s for it to come
  local id= tries
  for _ in $(seq 600); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -1) || true
    [[ -n $id ]] && break
    sleep 0.1
  done
  # With two boxes up, the focus may take a moment to move to this one.
  for tries in $(seq 20); do
    [[ -n $id ]] || return 0
    timeout 5 xdotool windowfocus --sync "$id" key Return 2>/dev/null || true
    sleep 0.5
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -1) || true
  done
  return 1
}
pass_files_dir "$work/win-twice"
mkdir -p "$work/win-twice/second"
(cd "$work/win-twice" && rc=0 && { WINEDEBUG=-all WINE_TIMEOUT=180 w "$build/kavrel.exe" \
  >/dev/null 2>&1 || rc=$?; } && echo $rc >exit-code) &
second_code=none
if find_box >/dev/null; then
  (cd "$work/win-twice" && rc=0 && { WINEDEBUG=-all,trace+win WINE_TIMEOUT=180 \
    w "$build/kavrel.exe" 2>second/wine.log >/dev/null || rc=$?; } && echo $rc >second/exit-code) &
  second_pid=$!
  answer_box Error || true
  wait "$second_pid" || true
  second_code=$(cat "$work/win-twice/second/exit-code" 2>/dev/null || echo none)
  answer_box INFORMATION || true
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^Vostrel$' >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 1
  press q
fi
first_code=$(wait_game "$work/win-twice")
second_box=$(python3 "$here/wine_boxes.py" "$work/win-twice/second/wine.log" 2>/dev/null || true)
if [[ $second_code == 5 && $first_code == 0 ]] &&
  grep -q 'すでにゲームが動いています' <<<"$second_box" &&
  [[ $(grep -c caption <<<"$second_box") == 1 ]] &&
  same_files "$work/linux-q" "$work/win-twice" kavrel.dat kv_rank.dat &&
  [[ -f $work/win-twice/.kavrel.lock && ! -e $work/win-twice/kavrel.lock ]]; then
  pass "game: a second game in the same folder shows one box, ends with 5 and touches nothing"
else
  fail "game: second game in the folder: exit $second_code (first $first_code), boxes: $second_box"
fi
timeout 20 wineserver -k 2>/dev/null || true

# A shutdown or log-off (Wine's end of session sends the same window messages as Windows)
# saves both files as Q does.
pass_files_dir "$work/win-end"
if start_game "$work/win-end"; then
  WINE_TIMEOUT=30 w wineboot --end-session >/dev/null 2>&1 || true
  code=$(wait_game "$work/win-end")
  if [[ $code == 0 ]] && same_files "$work/linux-q" "$work/win-end" kavrel.dat kv_rank.dat; then
    pass "game: the end of the session saves both files as Q does"
  else
    fail "game: at the end of the session the game ended with $code or the files differ from Q's"
  fi
else
  fail "game: no start-up box appeared (end of session)"
fi
timeout 20 wineserver -k 2>/dev/null || true

# Hostile sprite sheets and data files: the same boxes and files as the Linux build.
python3 - "$work" <<'EOF'
import struct, sys
# An 8-bit bitmap header claiming 100000 x 4 pixels, with a colour table and nothing more.
header = struct.pack("<2sIHHI", b"BM", 54 + 1024, 0, 0, 54 + 1024)
info = struct.pack("<IiiHHIIiiII", 40, 100000, 4, 1, 8, 0, 0, 0, 0, 256, 0)
open(sys.argv[1] + "/wide.bmp", "wb").write(header + info + bytes(1024))
open(sys.argv[1] + "/empty.bmp", "wb").close()
EOF
for sheet in missing empty wide; do
  fresh_dir "$work/linux-$sheet"
  fresh_dir "$work/win-$sheet"
  for d in "$work/linux-$sheet" "$work/win-$sheet"; do
    rm "$d/kavrel.bmp"
    [[ $sheet == missing ]] || cp "$work/$sheet.bmp" "$d/kavrel.bmp"
    printf '%s' "$hostile_record" >"$d/kavrel.dat"
    printf '%s' "$hostile_ranking" >"$d/kv_rank.dat"
  done
  (cd "$work/linux-$sheet" && "$linux_replay" ../q.replay --trace trace.jsonl >/dev/null) || true
  if start_game "$work/win-$sheet"; then
    press q
    code=$(wait_game "$work/win-$sheet")
    if [[ $code == 0 ]] && same_files "$work/linux-$sheet" "$work/win-$sheet" kavrel.dat kv_rank.dat &&
      boxes_agree "$work/win-$sheet" "$work/linux-$sheet/trace.jsonl"; then
      pass "game: $sheet sprite sheet and hostile data files: the same boxes, exit 0 and files"
    else
      fail "game: $sheet sprite sheet: exit $code, or the boxes or files differ from Linux"
    fi
  else
    fail "game: no start-up box appeared ($sheet sprite sheet)"
  fi
  timeout 20 wineserver -k 2>/dev/null || true
done
echo "windows: game runs under Wine and Xvfb took $((SECONDS - started)) s"
source "$here/booth.sh"

if ((failures)); then
  echo "windows: $failures Windows test(s) failed" >&2
  exit 1
fi
echo "windows: every Windows test passed"
