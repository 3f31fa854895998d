#!/usr/bin/env bash
# Builds the Debian package: a build with the package preset (Release, under /usr) in
# build-pkg (or $BUILD_DIR), then cpack -G DEB. Prints the path of the .deb. Extra arguments go to cmake.
# Needs dpkg-shlibdeps and dpkg-buildflags (Debian: dpkg-dev).
#
# The package is reproducible: the same commit gives the same bytes whatever the
# source and build directories. Every file time is the last commit's time (or
# $SOURCE_DATE_EPOCH when set), and no build path reaches the binaries.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
build_dir=${BUILD_DIR:-build-pkg}
mkdir -p "$build_dir"
build_abs=$(cd "$build_dir" && pwd)

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$src" log -1 --format=%ct 2>/dev/null) || {
        echo "package.sh: not a git checkout; set SOURCE_DATE_EPOCH" >&2
        exit 1
    }
fi
export SOURCE_DATE_EPOCH

# Debian's own hardening flags (stack protector, fortified functions, full RELRO,
# immediate binding). Their -g and -O2 are left out: the build type sets the
# optimisation, and the package is stripped anyway.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { dpkg-buildflags --get "$1" | tr ' ' '\n' | grep -vxE -- '-g|-O2|-ffile-prefix-map=.*' | xargs; }
prefix_maps="-ffile-prefix-map=$src=. -ffile-prefix-map=$build_abs=."
cxxflags="$(flags CPPFLAGS) $(flags CXXFLAGS) $prefix_maps"
ldflags=$(flags LDFLAGS)

cmake --preset package -B "$build_dir" \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "$@" >&2
cmake --build "$build_dir" -j"$(nproc)" >&2
# Only the package just made is reported, not one left from an earlier run.
rm -f "$build_dir"/*.deb
(cd "$build_dir" && cpack -G DEB >&2)
debs=("$build_dir"/*.deb)
[ -f "${debs[0]}" ] || { echo "cpack made no .deb" >&2; exit 1; }
realpath "${debs[@]}"
