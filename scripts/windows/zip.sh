#!/usr/bin/env bash
# Packs the operator's zip from a Windows build: the game, its sprite sheet, the stand-in font,
# the licences, README.txt (Japanese) and README-en.txt. Refuses a game that needs any DLL beyond
# the system's own, and READMEs that are not in step.
#   zip.sh BUILD_DIR ZIP
#   zip.sh --check-readmes   (the READMEs' checks alone)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

# The operator's README is kept as Notepad shows it on every Windows 10 and 11: UTF-8 with a
# byte-order mark (else older Notepads take it for the ANSI code page) and CR LF line ends.
readme=$root/scripts/windows/README.txt
readme_en=$root/scripts/windows/README-en.txt
if [ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" != efbbbf ] || grep -qv $'\r$' "$readme"; then
  echo "zip: $readme must be UTF-8 with a byte-order mark and CR LF line ends" >&2
  exit 1
fi
# Its lines break only after 、 or 。, so that Notepad's word wrap never leaves half a word at a
# line's end: a line of Japanese runs on into the next only after one of them, unless a blank
# line or a heading's underline follows.
unwrapped=$(LC_ALL=C awk '{ sub(/\r$/, "") }
  NR > 1 && prev ~ /[\200-\377]/ && prev !~ /(\343\200\201|\343\200\202)$/ &&
    $0 != "" && $0 !~ /^[-=]+$/ { print "  line " NR - 1 ": " prev }
  { prev = $0 }' "$readme")
if [ -n "$unwrapped" ]; then
  printf 'zip: %s must break its lines only after 、 or 。:\n%s\n' "$readme" "$unwrapped" >&2
  exit 1
fi
# The two READMEs tell the same things in the same order: their sections, by the underlined
# headings, pair up one for one.
sections=(
  'Starting=起動'
  'The size of the picture=絵の大きさ'
  'Keys=キー'
  'Quitting and the files=終わり方とファイル'
  "The operator's screen (F2)=オペレーター画面（F2）"
  'If the game crashes or the power fails=ゲームが落ちたとき、停電のとき'
  'Booth mode: kavrel-booth.exe=ブースモード（kavrel-booth.exe）'
  'The ranking tool: kavrel-ranking.exe=ランキングのツール kavrel-ranking.exe'
  "The day's report=一日のまとめ"
  'Starting a new day and backing up=新しい日の始め方とバックアップ'
  'Fonts=フォント'
  'Licences=ライセンス'
)
headings() {
  awk '{ sub(/\r$/, "") } /^-+$/ && prev != "" { print prev } { prev = $0 }' "$1"
}
expected_en=$(printf '%s\n' "${sections[@]}" | sed 's/=.*//')
expected_ja=$(printf '%s\n' "${sections[@]}" | sed 's/^[^=]*=//')
if [ "$(headings "$readme_en")" != "$expected_en" ] ||
  [ "$(headings "$readme")" != "$expected_ja" ]; then
  {
    echo "zip: README-en.txt and README.txt must have these sections, in this order:"
    printf '  %s\n' "${sections[@]}"
    echo "README-en.txt has:"
    headings "$readme_en" | sed 's/^/  /'
    echo "README.txt has:"
    headings "$readme" | sed 's/^/  /'
  } >&2
  exit 1
fi
[ "${1:-}" = --check-readmes ] && exit 0

build=$1
zip=$2
src=$build/deps/src

# The DLLs every 64-bit Windows 10 and 11 has.
system_dlls='^(advapi32|gdi32|imm32|kernel32|msvcrt|ole32|oleaut32|setupapi|shell32|user32|version|winmm|comctl32|comdlg32|dwmapi|shcore|uxtheme|hid|cfgmgr32)\.dll$'
for exe in kavrel.exe kavrel-ranking.exe kavrel-booth.exe; do
  imports=$(x86_64-w64-mingw32-objdump -p "$build/$exe" | awk '/DLL Name:/ {print tolower($3)}')
  if grep -Evq "$system_dlls" <<<"$imports"; then
    echo "zip: $exe needs DLLs that Windows does not have:" $(grep -Ev "$system_dlls" <<<"$imports") >&2
    exit 1
  fi
done

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dir=$stage/kavrel
mkdir -p "$dir/licences"
x86_64-w64-mingw32-strip -o "$dir/kavrel.exe" "$build/kavrel.exe"
# The operator's console tool for the ranking and the record, beside the game and its data.
x86_64-w64-mingw32-strip -o "$dir/kavrel-ranking.exe" "$build/kavrel-ranking.exe"
# Booth mode: double-clicked for a day that runs itself; it starts kavrel.exe again after a crash.
x86_64-w64-mingw32-strip -o "$dir/kavrel-booth.exe" "$build/kavrel-booth.exe"
cp "$root/assets/kavrel.bmp" "$dir/"
cp /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf "$dir/"
cp /usr/share/doc/fonts-ipafont-gothic/copyright "$dir/licences/IPAfont-license.txt"
cp /usr/share/doc/fonts-ipafont-gothic/Readme_IPAfont00303.txt "$dir/licences/IPAfont-readme.txt"
sdl=$(find "$src" -maxdepth 1 -type d -name 'libsdl2-*' | head -1)
freetype=$(find "$src" -maxdepth 1 -type d -name 'freetype-*' | head -1)
cp "$sdl/LICENSE.txt" "$dir/licences/SDL2-license.txt"
cp "$freetype/LICENSE.TXT" "$dir/licences/FreeType-license.txt"
cp "$freetype/docs/FTL.TXT" "$dir/licences/FreeType-FTL.txt"
cp /usr/share/doc/libz-mingw-w64/copyright "$dir/licences/zlib-copyright.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$dir/licences/mingw-w64-runtime-copyright.txt"
cp "$readme" "$dir/README.txt"
# The English one is ASCII; Windows' own editor shows CR LF text best.
sed 's/$/\r/' "$readme_en" >"$dir/README-en.txt"

mkdir -p "$(dirname "$zip")"
rm -f "$zip"
(cd "$stage" && zip -qrX "$zip" kavrel)
echo "zip: wrote $zip ($(du -k "$zip" | cut -f1) KB)"
