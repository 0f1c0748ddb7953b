#!/usr/bin/env bash
# Builds the game (Release, Debian's hardening flags) and writes the Debian package
# dist/kavrel_<version>_amd64.deb, then checks it with lintian, which must report no errors.
# The build lives in build-package/ (or $BUILD_DIR); the version is the project's version in
# CMakeLists.txt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-package}
dist=$root/dist

"$root/scripts/setup.sh" package

# Debian's hardening: stack protector, fortified functions, read-only relocations, bind now.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cflags="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DKAVREL_TESTS=OFF -DKAVREL_BENCH=OFF -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_STRIP="$root/packaging/strip.sh" >/dev/null
# Only what is installed.
cmake --build "$build" --target kavrel_dist -j"$(nproc)"

mkdir -p "$dist"
(cd "$build" && cpack -G DEB -D CPACK_OUTPUT_FILE_PREFIX="$dist" >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$dist/kavrel_${version}_amd64.deb
[ -f "$deb" ] || { echo "package: $deb was not written" >&2; exit 1; }

echo "package: lintian $(basename "$deb")"
lintian --fail-on error --display-info "$deb"
echo "package: wrote $deb ($(du -k "$deb" | cut -f1) KiB)"
