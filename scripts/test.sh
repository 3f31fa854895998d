#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test: the
# lint of the shell scripts, the unit and widget tests (offscreen), the fuzz corpora, a
# memcheck run of the program, the sanitizer build, the check through the
# accessibility bus (on X11 and on Wayland), and lintian on the Debian package; last,
# the build, ctest and the accessibility checks again in a fresh Debian 13 root.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== shellcheck over the scripts"
shellcheck scripts/*.sh bench/*.sh

echo "== build and test (warnings are errors)"
BUILD_DIR=build scripts/build.sh -DBMI_WERROR=ON
ctest --test-dir build --output-on-failure -j"$jobs"

if [ -x scripts/fuzz.sh ]; then
    echo "== fuzz targets on their corpora"
    scripts/fuzz.sh 10
fi

echo "== memcheck on a scripted run of the program"
BUILD_DIR=build VG_NO_BUILD=1 scripts/valgrind_check.sh

if [ -x scripts/sanitize.sh ]; then
    echo "== sanitizer build of the whole test suite"
    scripts/sanitize.sh
fi

if [ -x scripts/atspi_check.sh ]; then
    echo "== assistive-technology check"
    scripts/atspi_check.sh
    echo "== assistive-technology check, native on Wayland"
    scripts/atspi_check.sh --wayland
fi

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
