# shellcheck shell=bash disable=SC2154  # work, build, display and the rest are test.sh's
# Booth mode; sourced by test.sh once the game's runs on Xvfb are done (it uses their helpers and
# the files of linux-q). kavrel-booth.exe starts the game; after its first start-up box is
# answered, the game is killed from outside (as Task Manager would, and as a crash leaves it):
# the supervisor starts it again by itself, the restarted start-up box answers itself after 10 s,
# no crash dialog or debugger comes up, and kv_booth.log says all of it. Q held ends the day in
# order, with the files Q writes. The waits are generous: only what happens is checked, not when.
booth_started=$SECONDS
pass_files_dir "$work/win-booth"
(cd "$work/win-booth" && rc=0 && { WINE_TIMEOUT=400 w "$build/kavrel-booth.exe" >/dev/null \
  2>&1 || rc=$?; } && echo $rc >exit-code) &
game_pid() { # the game of this Wine prefix (another test's may run beside it)
  local p
  for p in $(pgrep -f '^kavrel\.exe --booth' || true); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
      echo "$p" && return 0
  done
  return 0
}
booth_ok=1 booth_why=
booth_fail() {
  booth_ok=0
  booth_why+="$*; "
}
# The first start's box waits for the operator, as always.
if id=$(find_box); then
  sleep 0.2
  timeout 5 xdotool windowfocus --sync "$id" key Return 2>/dev/null || true
else
  booth_fail "no first start-up box"
fi
first=
for _ in $(seq 600); do
  first=$(game_pid)
  [[ -n $first ]] && ! xdotool search --name '^INFORMATION$' >/dev/null 2>&1 && break
  sleep 0.1
done
[[ -n $first ]] || booth_fail "no game"
sleep 2
kill -9 "$first" 2>/dev/null || booth_fail "the game could not be killed"
killed_at=$SECONDS
again=
for _ in $(seq 900); do
  again=$(game_pid)
  [[ -n $again && $again != "$first" ]] && break
  again=
  sleep 0.1
done
[[ -n $again ]] || booth_fail "the killed game was not started again"
# Its start-up box comes, and goes by itself after 10 s.
box_seen=0
for _ in $(seq 600); do
  xdotool search --name '^INFORMATION$' >/dev/null 2>&1 && { box_seen=1; break; }
  sleep 0.1
done
box_gone=0
if ((box_seen)); then
  for _ in $(seq 900); do
    xdotool search --name '^INFORMATION$' >/dev/null 2>&1 || { box_gone=1; break; }
    sleep 0.1
  done
fi
((box_seen && box_gone)) || booth_fail "the restarted start-up box (seen $box_seen) did not go"
back_after=$((SECONDS - killed_at))
# Nothing else on the screen: no crash dialog, no debugger.
if xwininfo -root -tree | grep -E '"(Program Error|INFORMATION)"|winedbg' >/dev/null; then
  booth_fail "a dialog is up: $(xwininfo -root -tree | grep -E '"' | grep -v 'has no name' | tr -s ' ')"
fi
for _ in $(seq 100); do
  xdotool search --onlyvisible --name '^Vostrel$' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
attract_matches "$work/linux-q/shots/000005.png" || booth_fail "the attract screen is not back"
# Q held (booth mode) ends the day: the supervisor ends with the game's 0.
xdotool keydown q
sleep 3
xdotool keyup q
code=$(wait_game "$work/win-booth")
[[ $code == 0 ]] || booth_fail "kavrel-booth.exe ended with $code"
same_files "$work/linux-q" "$work/win-booth" kavrel.dat kv_rank.dat ||
  booth_fail "the files differ from Q's"
# Wine ends a process killed from Linux with 0, Windows one ended by Task Manager with 1: either
# is a plain exit, but not one the game said.
# Wine here has no sound device: each start of the game notes that once (no-sound), left aside.
booth_log=$(cut -d, -f4- "$work/win-booth/kv_booth.log" 2>/dev/null | tr -d '\r' | tail -n +2 |
  grep -v '^no-sound,' | tr "\n" "|" || true)
expected_log='^start,first\|abnormal-end,exit [01] unsaid\|restart,1\|start,restart\|'
expected_log+='box,Ｃｌｉｃｋ Ｔｏ Ｓｔａｒｔ\|end,0 Q\|$'
[[ $booth_log =~ $expected_log ]] || booth_fail "kv_booth.log holds: $booth_log"
if ((booth_ok)); then
  pass "booth: a killed game is back at the attract screen ${back_after} s later, no click, no dialog, all in kv_booth.log"
else
  fail "booth: $booth_why"
fi
timeout 20 wineserver -k 2>/dev/null || true

# A crash: the supervisor's table against the stand-ins, again on the display, where Wine's crash
# dialog would wait for a click (without a display its debugger only writes to the console).
rm -f "$work/booth-dialogs"
(cd "$build" && WINE_TIMEOUT=300 w ./supervisor_test.exe --gtest_filter='Supervisor.Restarts*' \
  >"$work/booth-table.log" 2>&1 && echo 0 >"$work/booth-table.code" ||
  echo $? >"$work/booth-table.code") &
for _ in $(seq 3000); do
  [[ -s $work/booth-table.code ]] && break
  xwininfo -root -tree | grep -E '"Program Error"|winedbg' >>"$work/booth-dialogs" || true
  sleep 0.1
done
if [[ $(cat "$work/booth-table.code" 2>/dev/null) == 0 && ! -s $work/booth-dialogs ]]; then
  pass "booth: crashing stand-ins on a display bring up no dialog, and the supervisor's table holds"
else
  fail "booth: crashing stand-ins on a display: exit $(cat "$work/booth-table.code" 2>/dev/null), dialogs: $(sort -u "$work/booth-dialogs" | head -3)"
fi
timeout 20 wineserver -k 2>/dev/null || true
echo "windows: booth mode took $((SECONDS - booth_started)) s"
