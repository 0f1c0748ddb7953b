#!/usr/bin/env bash
# The Windows build, made on Debian 12 with mingw-w64:
#   ./scripts/windows.sh        installs what it needs, cross-builds SDL2, FreeType, libpng and
#                               GoogleTest once (cached in build-windows/deps), builds
#                               build-windows/kavrel.exe, kavrel-replay.exe and the test programs,
#                               and packs dist/kavrel-windows-x64.zip
#   ./scripts/windows.sh test   the same, then the Windows tests under Wine and Xvfb
# WINDOWS_BUILD_DIR overrides build-windows/. The Linux build needs none of this.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${WINDOWS_BUILD_DIR:-$root/build-windows}
mode=${1:-build}
case $mode in build | test) ;; *) echo "usage: $0 [test]" >&2; exit 2 ;; esac

# Only the tests need Wine (about 1.6 GB) and the Linux replay they compare with.
"$root/scripts/setup.sh" "$( [[ $mode == test ]] && echo windows-test || echo windows)"
# mingw's compilers come in two thread models; only the posix one has std::mutex and threads.
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  echo "windows: x86_64-w64-mingw32-g++-posix is missing" >&2
  exit 1
fi

toolchain=$root/cmake/mingw-w64-x86_64.cmake
export KAVREL_WINDOWS_DEPS=$build/deps/prefix
started=$SECONDS
"$root/scripts/windows/deps.sh" "$build/deps" "$toolchain"

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_PREFIX_PATH="$KAVREL_WINDOWS_DEPS" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKAVREL_BENCH=OFF >/dev/null
cmake --build "$build" -j2
# The stand-in face beside the programs, where the game and the tests look for it.
cp -u /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf "$build/"

"$root/scripts/windows/zip.sh" "$build" "$root/dist/kavrel-windows-x64.zip"
echo "windows: built in $((SECONDS - started)) s"

if [[ $mode == test ]]; then
  "$root/scripts/windows/test.sh" "$build"
fi
