#!/usr/bin/env bash
# Installs the Debian 12 packages that one use of the project needs, when any is missing:
#
#   scripts/setup.sh [SET...]      (default: game)
#
#   game         build and run the game (compiler, CMake, SDL2, FreeType, fontconfig, the IPAGothic
#                face, and the X core fonts that SDL's own start-up box draws with)
#   test         the game plus the tests: GoogleTest, libpng, Xvfb and the X tools they drive,
#                and Chromium and poppler-utils (the day's report page, rendered and printed)
#   sanitize     the same as test
#   fuzz         the game's libraries plus clang and libFuzzer
#   screenshots  the game's libraries plus libpng, python3 and Chromium (the report page)
#   bench        the game's libraries plus Google Benchmark
#   perf         the game plus Xvfb, the X tools, ImageMagick and GNU time
#   package      the game and its tools plus what builds and checks the Debian package
#                (dpkg-shlibdeps, file, lintian)
#   package-test the package set plus Xvfb and the X tools that play the installed game, and
#                desktop-file-validate for the menu entry
#   windows      the Windows build: mingw-w64 (posix threads), its zlib, what unpacks Debian's
#                sources, GoogleTest's sources, the IPAGothic face and zip
#   windows-test the windows set plus Wine (64-bit), Xvfb, the X tools, the Linux replay, and
#                fontTools (the stand-in system font)
#
# Runs apt-get as root, or through sudo for another user. Quick when everything is in place.
set -euo pipefail

game=(build-essential cmake pkg-config libsdl2-dev libfreetype-dev libfontconfig-dev
  fonts-ipafont-gothic xfonts-base)
xtools=(xvfb xdotool x11-utils imagemagick openbox wmctrl)
package=(libpng-dev libx11-dev dpkg-dev file lintian)
windows=(cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  dpkg-dev googletest fonts-ipafont-gothic zip)

packages=()
for set in "${@:-game}"; do
  case $set in
    game) packages+=("${game[@]}") ;;
    test | sanitize) packages+=("${game[@]}" libgtest-dev libpng-dev "${xtools[@]}" chromium poppler-utils) ;;
    fuzz) packages+=("${game[@]}" libpng-dev clang libclang-rt-14-dev) ;;
    screenshots) packages+=("${game[@]}" libpng-dev python3 chromium) ;;
    bench) packages+=("${game[@]}" libbenchmark-dev) ;;
    perf) packages+=("${game[@]}" libpng-dev "${xtools[@]}" time) ;;
    package) packages+=("${game[@]}" "${package[@]}") ;;
    package-test) packages+=("${game[@]}" "${package[@]}" xvfb xdotool x11-utils desktop-file-utils) ;;
    windows) packages+=("${windows[@]}") ;;
    windows-test) packages+=("${windows[@]}" wine wine64 "${xtools[@]}" python3 python3-fonttools "${game[@]}" libpng-dev) ;;
    *)
      echo "setup: unknown set '$set' (game test sanitize fuzz screenshots bench perf package package-test windows windows-test)" >&2
      exit 2
      ;;
  esac
done

# One query for all of them; a package dpkg does not know is missing too.
mapfile -t packages < <(printf '%s\n' "${packages[@]}" | sort -u)
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null |
  awk '$NF == "installed" {print $1}' || true)
missing=()
for p in "${packages[@]}"; do
  grep -qxF "$p" <<<"$installed" || missing+=("$p")
done
((${#missing[@]})) || exit 0

echo "setup: installing ${missing[*]}"
as_root=()
if [[ $(id -u) -ne 0 ]]; then
  if ! command -v sudo >/dev/null; then
    echo "setup: these packages are missing and installing them needs root (or sudo): ${missing[*]}" >&2
    exit 1
  fi
  as_root=(sudo)
fi
# The variable is given to apt-get itself: sudo would drop it from its own environment.
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
