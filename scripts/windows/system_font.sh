# shellcheck shell=bash disable=SC2154  # work, here, build and the rest are test.sh's
# The system's gothic face; sourced by test.sh once the game's attract screen has been compared
# with the replay's picture (it uses that part's helpers, Xvfb and the picture in linux-q).
# On Windows the game draws in "MS Gothic" of msgothic.ttc in the system's font folder, and in the
# ipag.ttf beside it only when that is missing. Wine has no such file, so a stand-in
# (standin_msgothic.py) holds IPAGothic under "MS Gothic", which is not its first face, and the
# proportional IPAPGothic under its cousins' names. A copy of the game with no ipag.ttf beside it
# must draw ipag.ttf's pixels; with the faces swapped it must draw the proportional face's pixels
# instead, so that a wrong face cannot pass.
font_started=$SECONDS
mkdir -p "$work/font-right" "$work/font-swapped"
# Debian's python3, which has fontTools, whatever python3 comes first on the path.
/usr/bin/python3 "$here/standin_msgothic.py" "$work/font-right/msgothic.ttc"
/usr/bin/python3 "$here/standin_msgothic.py" "$work/font-swapped/msgothic.ttc" --swapped

# The proportional face's picture: the Linux replay finds "MS Gothic" in the swapped stand-in
# through a fontconfig configuration that knows no other font.
cat >"$work/font-swapped.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig><dir>$work/font-swapped</dir><cachedir>$work/font-cache</cachedir></fontconfig>
CONF
pass_files_dir "$work/linux-font-swapped"
(cd "$work/linux-font-swapped" && FONTCONFIG_FILE=$work/font-swapped.conf "$linux_replay" \
  ../q.replay --png shots --png-frames 5 >/dev/null) || true

# A prefix of the test's own, so that the shared one never holds the stand-in: hard links to
# Wine's program files (only an update of the prefix writes them, and the runs above brought it up
# to date), copies of everything else (the registry, settings). A whole copy (about 700 MB) where
# the temporary folder is on another file system.
shared_prefix=$WINEPREFIX
timeout 20 wineserver -k 2>/dev/null || true
cp -al "$shared_prefix" "$work/font-prefix" 2>/dev/null ||
  { rm -rf "$work/font-prefix" && cp -a "$shared_prefix" "$work/font-prefix"; }
(cd "$shared_prefix" && find . -type f ! -iname '*.dll' ! -iname '*.exe' ! -iname '*.drv' \
  ! -iname '*.sys' -exec cp -p --parents --remove-destination -t "$work/font-prefix" {} +)
export WINEPREFIX=$work/font-prefix

for font_faces in right swapped; do
  # The game asks for the known folder Fonts: C:\windows\Fonts, under Wine too.
  cp "$work/font-$font_faces/msgothic.ttc" "$WINEPREFIX/drive_c/windows/Fonts/"
  font_dir=$work/win-font-$font_faces
  pass_files_dir "$font_dir"
  cp "$build/kavrel.exe" "$font_dir/"
  if start_game "$font_dir" "$font_dir/kavrel.exe"; then
    what="game without ipag.ttf, the system's msgothic.ttc"
    if [[ $font_faces == right ]]; then
      if attract_matches "$work/linux-q/shots/000005.png"; then
        pass "$what: \"MS Gothic\" draws ipag.ttf's pixels"
      else
        fail "$what: \"MS Gothic\" does not draw ipag.ttf's pixels ($diff differ)"
      fi
    # Once the screen matches it is settled, so one look tells it from ipag.ttf's picture.
    elif attract_matches "$work/linux-font-swapped/shots/000005.png" &&
      ! attract_matches "$work/linux-q/shots/000005.png" 1; then
      pass "$what, faces swapped: a proportional \"MS Gothic\" draws its own pixels"
    else
      fail "$what, faces swapped: not the proportional face's pixels, or ipag.ttf's"
    fi
    press q
    wait_game "$font_dir" >/dev/null
  else
    fail "game without ipag.ttf: no start-up box appeared ($font_faces stand-in)"
  fi
  timeout 20 wineserver -k 2>/dev/null || true
done
export WINEPREFIX=$shared_prefix
echo "windows: the system font runs took $((SECONDS - font_started)) s"
