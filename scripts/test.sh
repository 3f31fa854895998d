#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test: the
# lint of the shell scripts; through ctest's presets, the unit, widget and install tests
# (offscreen), the seeded random actions over both windows, the check through the
# accessibility bus (on X11 and on Wayland) and a memcheck run of the program; the fuzz
# corpora; the sanitizer build of the whole suite; and lintian on the Debian package.
# Last, the build, ctest and the accessibility checks again in a fresh Debian 13 root.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
# deps.sh installed every tool the checks need: a check that skips would be a fault.
export BMI_NO_SKIP=1

echo "== shellcheck over the scripts"
shellcheck scripts/*.sh bench/*.sh

echo "== build (warnings are errors), then the tests by label"
cmake --preset default
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"
ctest --preset soak
ctest --preset a11y
ctest --preset memcheck

echo "== fuzz targets on their corpora"
scripts/fuzz.sh 10

echo "== sanitizer build of the whole test suite"
scripts/sanitize.sh

echo "== Debian package, checked by lintian"
deb=$(scripts/package.sh)
# --fail-on also fails on warnings; the info level stays quiet.
lintian --fail-on error,warning "$deb"
echo "lintian: no errors and no warnings on $(basename "$deb")"

# Every change is also built and checked on the current stable release, in a fresh root.
# Inside such a root (scripts/check_release.sh runs this script there) it is not nested.
if [ -z "${BMI_IN_RELEASE_ROOT:-}" ]; then
    echo "== build, ctest and the assistive-technology checks in a fresh Debian 13 root"
    scripts/check_release.sh --stage trixie
fi
echo "All test stages passed."
