#!/usr/bin/env bash
# Cross-builds the libraries the Windows build links statically (SDL2, FreeType, libpng and
# GoogleTest) from Debian's own sources into PREFIX. Each library is built once: a stamp naming
# its source version skips it on later runs.
#   deps.sh DEPS_DIR TOOLCHAIN_FILE
set -euo pipefail
deps=$1
toolchain=$2
prefix=$deps/prefix
export KAVREL_WINDOWS_DEPS=$prefix
mkdir -p "$deps/src" "$prefix"

# The Debian mirror apt already uses, from either form of the sources list.
debian_mirror() {
  local uri
  uri=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
    awk '/^URIs:/ {u=$2} /^Suites:/ {for (i=2;i<=NF;i++) if ($i !~ /-/) {print u; exit}}')
  if [[ -z $uri ]]; then
    uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      awk '$1=="deb" && $3 !~ /-/ {for (i=2;i<=NF;i++) if ($i ~ /^(https?|file):/) {print $i; exit}}')
  fi
  echo "${uri:-http://deb.debian.org/debian}"
}

# Fetches and unpacks the source packages once, with a sources list of our own so that /etc/apt
# is left alone.
fetch_sources() {
  local src=$deps/src
  if [[ -f $src/fetched.stamp ]]; then return; fi
  local codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  echo "deb-src $(debian_mirror) $codename main" >"$src/sources.list"
  mkdir -p "$src/lists/partial"
  local opts=(-o "Dir::Etc::sourcelist=$src/sources.list" -o "Dir::Etc::sourceparts=-"
    -o "Dir::State::Lists=$src/lists" -o "APT::Get::List-Cleanup=0")
  # As root, apt would hand the download to its _apt user, who cannot write here.
  [[ $(id -u) -ne 0 ]] || opts+=(-o "APT::Sandbox::User=root")
  echo "windows: fetching Debian sources of SDL2, FreeType and libpng"
  apt-get "${opts[@]}" -qq update
  (cd "$src" && apt-get "${opts[@]}" -qq source --download-only libsdl2 freetype libpng1.6)
  local dsc
  for dsc in "$src"/*.dsc; do
    (cd "$src" && dpkg-source --no-check -x "$(basename "$dsc")" >/dev/null)
  done
  touch "$src/fetched.stamp"
}

# The unpacked source directory of a package (its name, then "-version").
source_dir() {
  find "$deps/src" -maxdepth 1 -mindepth 1 -type d -name "$1-[0-9]*" | sort | tail -1
}

# cmake_dep NAME SOURCE_DIR [cmake options...]: a static release build installed into PREFIX.
cmake_dep() {
  local name=$1 source=$2
  shift 2
  local stamp="$prefix/$name.stamp"
  local version=${DEP_VERSION:-$(basename "$source")}
  local key="$version $*"  # a change of version or options builds it again
  if [[ -f $stamp && $(cat "$stamp") == "$key" ]]; then return; fi
  echo "windows: building $version"
  local started=$SECONDS
  rm -rf "$deps/build/$name"
  cmake -S "$source" -B "$deps/build/$name" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@" >"$deps/build/$name.log" 2>&1 ||
    { tail -30 "$deps/build/$name.log"; exit 1; }
  cmake --build "$deps/build/$name" -j2 --target install >>"$deps/build/$name.log" 2>&1 ||
    { tail -30 "$deps/build/$name.log"; exit 1; }
  echo "$key" >"$stamp"
  echo "windows: $version built in $((SECONDS - started)) s"
}

fetch_sources
mkdir -p "$deps/build"

# FreeType takes zlib from Debian's libz-mingw-w64-dev (its own copy would clash with libpng's).
cmake_dep freetype "$(source_dir freetype)" \
  -DFT_REQUIRE_ZLIB=ON -DZLIB_USE_STATIC_LIBS=ON -DZLIB_ROOT=/usr/x86_64-w64-mingw32 \
  -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON

cmake_dep sdl2 "$(source_dir libsdl2)" \
  -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_STATIC_PIC=OFF

# zlib comes from Debian's libz-mingw-w64-dev.
cmake_dep libpng "$(source_dir libpng1.6)" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF \
  -DZLIB_USE_STATIC_LIBS=ON -DZLIB_ROOT=/usr/x86_64-w64-mingw32

DEP_VERSION=googletest-$(dpkg-query -W -f='${Version}' googletest) \
  cmake_dep googletest /usr/src/googletest -DINSTALL_GTEST=ON -DBUILD_GMOCK=OFF \
  -Dgtest_disable_pthreads=OFF
