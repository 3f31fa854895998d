#!/usr/bin/env bash
# Proves that the Debian package is reproducible: exports the last commit (or the one
# named) twice, into source trees at different paths, builds the package from each in
# a build directory of a different name, and compares the two .deb files byte for
# byte. Exits 0 when they are identical. Compiler caches are turned off, so that a
# cached object cannot hide a difference. Takes two full builds.
#   scripts/check_reproducible.sh [COMMIT]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse --verify "${1:-HEAD}^{commit}")
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH CCACHE_DISABLE=1

say() { echo "check_reproducible: $*"; }
work=$(mktemp -d "${TMPDIR:-/tmp}/bmi-repro.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Different depths and names, so that any path that leaks into a binary shows up.
trees=("$work/a/src" "$work/second/source-tree")
builds=(build-pkg out/deb-build)
debs=()
for i in 0 1; do
    mkdir -p "${trees[$i]}"
    git -C "$root" archive --format=tar "$commit" | tar -x -C "${trees[$i]}"
    say "build $((i + 1)) of 2 in ${trees[$i]}/${builds[$i]}"
    deb=$(cd "${trees[$i]}" && BUILD_DIR="${builds[$i]}" scripts/package.sh \
        -DCMAKE_CXX_COMPILER_LAUNCHER= 2>"$work/build$i.log") || {
        tail -n 30 "$work/build$i.log"
        say "FAIL: build $((i + 1)) failed"
        exit 1
    }
    debs+=("$deb")
done

if cmp -s "${debs[0]}" "${debs[1]}"; then
    say "ok: $(basename "${debs[0]}") is byte-identical across both builds" \
        "($(sha256sum <"${debs[0]}" | cut -d' ' -f1))"
    exit 0
fi
say "FAIL: the two packages differ"
if command -v diffoscope >/dev/null 2>&1; then
    diffoscope "${debs[@]}" || true
else
    # Without diffoscope: which files in the packages differ.
    for i in 0 1; do
        mkdir -p "$work/x$i"
        dpkg-deb -R "${debs[$i]}" "$work/x$i"
    done
    diff -r "$work/x0" "$work/x1" || true
fi
exit 1
