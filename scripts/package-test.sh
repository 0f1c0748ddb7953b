#!/usr/bin/env bash
# The Debian package from end to end. Needs root: it installs the package into the system and
# removes it again, also when a check fails. Builds it with package.sh (lintian included),
# checks its files and dependencies, plays a moved `cmake --install` tree, installs the package
# with dpkg and plays the installed `kavrel` under Xvfb with a temporary HOME.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-package}
started=$SECONDS

fail() {
  echo "package-test: FAILED: $*" >&2
  exit 1
}

# An installed package would hide a moved tree that cannot find its files. On CI it can only be
# left over from a run that was killed; elsewhere it may be an operator's, so it is not touched.
if dpkg-query -W -f='${Status}' kavrel 2>/dev/null | grep -q 'install ok installed'; then
  [[ ${CI:-} == true ]] || fail "kavrel is installed on this machine already; remove it first (dpkg -r kavrel)"
  echo "package-test: removing a kavrel package left over from an earlier run"
  dpkg -P kavrel >/dev/null
fi
"$root/scripts/setup.sh" package-test
"$root/scripts/package.sh"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$root/dist/kavrel_${version}_amd64.deb

tmp=$(mktemp -d /tmp/kavrel-package-XXXXXX)
installed=false
xvfb_pid=
game_pid=
cleanup() {
  [ -z "$game_pid" ] || kill -9 "$game_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  if $installed; then dpkg -P kavrel >/dev/null || echo "package-test: could not remove kavrel" >&2; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

# ---- What the package holds ------------------------------------------------------------------
echo "package-test: contents and dependencies"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort >"$tmp/files"
{
  echo usr/games/kavrel
  echo usr/games/kavrel-replay
  echo usr/games/kavrel-ranking
  echo usr/lib/kavrel/kavrel
  echo usr/share/applications/kavrel.desktop
  echo usr/share/applications/kavrel-booth.desktop
  echo usr/share/doc/kavrel/changelog.gz
  echo usr/share/doc/kavrel/copyright
  for size in 16 32 48 64 128 256; do echo "usr/share/icons/hicolor/${size}x$size/apps/kavrel.png"; done
  echo usr/share/kavrel/kavrel.bmp
  echo usr/share/man/man6/kavrel-replay.6.gz
  echo usr/share/man/man6/kavrel.6.gz
  echo usr/share/man/man6/kavrel-ranking.6.gz
  echo usr/share/man/ja/man6/kavrel.6.gz
  echo usr/share/man/ja/man6/kavrel-ranking.6.gz
} | sort >"$tmp/expected"
diff -u "$tmp/expected" "$tmp/files" || fail "the package's files differ from the layout"
cmp -s <(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/kavrel/kavrel.bmp) \
  "$root/assets/kavrel.bmp" || fail "the packaged sheet is not assets/kavrel.bmp"

# Every library a program links must come from a package the package depends on.
depends=$(dpkg-deb -f "$deb" Depends)
depend_names=$(tr ',' '\n' <<<"$depends" | awk '{print $1}')
grep -qxF fonts-ipafont-gothic <<<"$depend_names" || fail "no dependency on fonts-ipafont-gothic"
[ "$(dpkg-deb -f "$deb" Recommends)" = xfonts-base ] || fail "xfonts-base is not recommended"
dpkg-deb -x "$deb" "$tmp/unpacked"
for program in usr/games/kavrel usr/games/kavrel-replay usr/games/kavrel-ranking usr/lib/kavrel/kavrel; do
  for lib in $(readelf -d "$tmp/unpacked/$program" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
    path=$(ldconfig -p | awk -v lib="$lib" '$1 == lib && /x86-64/ && !n++ {print $NF}')
    # dpkg knows a library by the path it was unpacked to, before or after /usr was merged.
    owner=$( (dpkg -S "$path" || dpkg -S "$(readlink -f "$path")") 2>/dev/null | head -1 | cut -d: -f1) || true
    [ -n "$owner" ] || fail "no package found for $lib of $program"
    grep -qxF "$owner" <<<"$depend_names" || fail "$program links $lib of $owner: not in Depends: $depends"
  done
done

# ---- An X server and a player -----------------------------------------------------------------
# Wider than twice the frame, so that a window at scale 2 does not fill it. Kept up between
# games: by default the server resets when its last client leaves, and refuses clients meanwhile.
Xvfb -displayfd 3 -screen 0 1400x1000x24 -nolisten tcp -noreset 3>"$tmp/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do grep -q . "$tmp/display" 2>/dev/null && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$tmp/display")
[ "$DISPLAY" != ":" ] || fail "Xvfb did not start"

# The id of the first window titled exactly $1 (mapped, when $2 is "viewable"), within 10 s.
find_window() {
  local id
  for _ in $(seq 100); do
    id=$(timeout 10 xwininfo -root -tree | awk -v t="\"$1\":" '$2 == t && !n++ {print $1}')
    if [ -n "$id" ] && { [ "${2:-}" != viewable ] || timeout 10 xwininfo -id "$id" | grep -q IsViewable; }; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Runs a command line as the player's start of the game: answers the start-up box, notes the
# window's size in $window_size, quits with Q and expects the game to end with status 0.
play_and_quit() {
  local log=$tmp/game.log box window status
  "$@" >"$log" 2>&1 &
  game_pid=$!
  box=$(find_window INFORMATION) || { cat "$log"; fail "no start-up box from: $*"; }
  timeout 10 xdotool windowfocus "$box" key Return
  window=$(find_window Vostrel viewable) || { cat "$log"; fail "no game window from: $*"; }
  window_size=$(timeout 10 xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
  sleep 0.5  # the attract screen polls its keys once it runs
  timeout 10 xdotool windowfocus "$window" keydown q sleep 0.3 keyup q
  for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
  status=0
  wait "$game_pid" || status=$?
  game_pid=
  [ "$status" -eq 0 ] || { cat "$log"; fail "exit status $status from: $*"; }
}

# Both data files of an orderly quit, and the sheet, in directory $1.
expect_data() {
  for f in kavrel.bmp kavrel.dat kv_rank.dat; do [ -s "$1/$f" ] || fail "no $f in $1"; done
}

# ---- A cmake --install tree, moved elsewhere, in a window ------------------------------------
echo "package-test: a moved install tree"
cmake --install "$build" --prefix "$tmp/first" >/dev/null
mv "$tmp/first" "$tmp/moved"
play_and_quit "$tmp/moved/games/kavrel" --window --data-dir "$tmp/moved-data"
expect_data "$tmp/moved-data"
cmp -s "$tmp/moved-data/kavrel.bmp" "$root/assets/kavrel.bmp" || fail "the sheet copied is not the installed one"
[ "$window_size" = 1280x960 ] || fail "--window gave a $window_size window on a 1400x1000 screen"

# ---- The installed package -------------------------------------------------------------------
echo "package-test: dpkg -i $(basename "$deb")"
installed=true
dpkg -i "$deb" >/dev/null
export PATH=$PATH:/usr/games
out=$(kavrel --version) && [ "$out" = "kavrel $version" ] || fail "--version said '$out'"
status=0; out=$(kavrel --no-such-option 2>&1) || status=$?
[ "$status" -eq 2 ] && [ "$(wc -l <<<"$out")" -eq 1 ] || fail "unknown option: status $status, '$out'"
# The launcher speaks the operator's language, chosen from the environment alone: this machine
# need not have the Japanese locale.
english=(env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=C)
japanese=(env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=ja_JP.UTF-8)
status=0; out=$("${english[@]}" env -u DISPLAY kavrel 2>&1) || status=$?
[ "$status" -ne 0 ] && [ "$(wc -l <<<"$out")" -eq 1 ] && grep -q "X display" <<<"$out" ||
  fail "no display: status $status, '$out'"
status=0; out=$("${japanese[@]}" env -u DISPLAY kavrel 2>&1) || status=$?
[ "$status" -ne 0 ] && [ "$(wc -l <<<"$out")" -eq 1 ] && grep -q "X ディスプレイ" <<<"$out" ||
  fail "no display, in Japanese: status $status, '$out'"
"${english[@]}" kavrel --help | grep -q "^Usage: kavrel" || fail "LANG=C kavrel --help is not English"
"${japanese[@]}" kavrel --help | grep -q "^使い方: kavrel" ||
  fail "LANG=ja_JP.UTF-8 kavrel --help is not Japanese"

echo "package-test: manual pages and the menu entry"
# Every page renders without a warning from man or groff, as lintian renders it.
for page in /usr/share/man/man6/kavrel*.6.gz /usr/share/man/ja/man6/kavrel*.6.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done
for page in kavrel kavrel-ranking; do
  LC_ALL=C.UTF-8 MANWIDTH=80 man -l "/usr/share/man/ja/man6/$page.6.gz" 2>/dev/null | grep -q "^名前" ||
    fail "the Japanese $page(6) does not render in Japanese"
  # man finds the Japanese page for a Japanese reader, the English one otherwise.
  [ "$(man -L ja -w "$page")" = "/usr/share/man/ja/man6/$page.6.gz" ] ||
    fail "man -L ja does not find the Japanese $page(6)"
  [ "$(man -L C -w "$page")" = "/usr/share/man/man6/$page.6.gz" ] ||
    fail "man -L C does not find the English $page(6)"
done
desktop-file-validate /usr/share/applications/kavrel.desktop || fail "the menu entry is not valid"
grep -q '^Name\[ja\]=' /usr/share/applications/kavrel.desktop || fail "the menu entry has no Japanese name"
desktop-file-validate /usr/share/applications/kavrel-booth.desktop || fail "the booth mode's menu entry is not valid"
grep -q '^Exec=/usr/games/kavrel --booth$' /usr/share/applications/kavrel-booth.desktop ||
  fail "the booth mode's menu entry does not start the game with --booth"
# One entry for booth mode, named in the words of the documents and the Windows shortcut.
[ "$(grep -l -- '--booth' /usr/share/applications/kavrel*.desktop)" = /usr/share/applications/kavrel-booth.desktop ] ||
  fail "booth mode has more than one menu entry: $(grep -- '--booth' /usr/share/applications/kavrel*.desktop)"
grep -qx 'Name\[ja\]=Kavrel（ブースモード）' /usr/share/applications/kavrel-booth.desktop ||
  fail "the booth mode's menu entry is not named Kavrel（ブースモード）"

echo "package-test: the menu entry's command under Xvfb"
home=$tmp/home
mkdir "$home"
# The entry's own command, not its action's (--controls).
command=$(sed -n '/^\[Desktop Entry\]/,/^\[/s/^Exec=//p' /usr/share/applications/kavrel.desktop)
play_and_quit env -u XDG_DATA_HOME HOME="$home" $command
expect_data "$home/.local/share/kavrel"
[ "$window_size" = 1400x1000 ] || fail "full screen gave a $window_size window on a 1400x1000 screen"
[ "$(sed -n 3p "$home/.local/share/kavrel/kavrel.dat" | tr -d '\r')" = 2 ] || fail "kavrel.dat after one quit: $(cat "$home/.local/share/kavrel/kavrel.dat")"
# The ranking tool finds the launcher's data directory by itself.
out=$(env -u XDG_DATA_HOME HOME="$home" kavrel-ranking list 2>&1) && grep -q "DEFAULT_" <<<"$out" ||
  fail "kavrel-ranking list in the default data directory: $out"

echo "package-test: --data-dir with a sheet placed by hand"
booth=$tmp/booth
mkdir "$booth"
# The installed sheet with its first colour changed: still a sheet, but not the installed one.
cp /usr/share/kavrel/kavrel.bmp "$booth/kavrel.bmp"
printf '\x10\x20\x30' | dd of="$booth/kavrel.bmp" bs=1 seek=54 conv=notrunc status=none
cp "$booth/kavrel.bmp" "$tmp/own.bmp"
cp "$home/.local/share/kavrel/kavrel.dat" "$tmp/default.dat"
play_and_quit env -u XDG_DATA_HOME HOME="$home" kavrel --data-dir "$booth"
expect_data "$booth"
cmp -s "$booth/kavrel.bmp" "$tmp/own.bmp" || fail "the sheet placed by hand was replaced"
cmp -s "$home/.local/share/kavrel/kavrel.dat" "$tmp/default.dat" || fail "--data-dir wrote to the default directory"

echo "package-test: 1 passed, 0 failed ($((SECONDS - started)) s)"
