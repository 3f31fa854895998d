#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-pkg (or $BUILD_DIR), then
# cpack -G DEB. Prints the path of the .deb. Extra arguments go to cmake.
# Needs dpkg-shlibdeps (Debian: dpkg-dev) to work out the package's dependencies.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build-pkg}
generator=()
command -v ninja >/dev/null && [ ! -f "$build_dir/Makefile" ] && generator=(-G Ninja)
cmake -S . -B "$build_dir" "${generator[@]}" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBMI_BUILD_TESTS=OFF "$@"
cmake --build "$build_dir" -j"$(nproc)"
# Only the package just made is reported, not one left from an earlier run.
rm -f "$build_dir"/*.deb
(cd "$build_dir" && cpack -G DEB >&2)
debs=("$build_dir"/*.deb)
[ -f "${debs[0]}" ] || { echo "cpack made no .deb" >&2; exit 1; }
realpath "${debs[@]}"
