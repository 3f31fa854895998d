#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for SECONDS (default 10).
# First the committed seed corpus of each target is replayed; then the target fuzzes
# with a working corpus under build-fuzz/ in front of the committed one, so that new
# inputs land there and fuzz/corpus/ stays as committed. Findings are written to
# build-fuzz/artifacts/. Exits non-zero when any target fails.
#
# usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail

seconds="${1:-10}"
shift || true
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-fuzz"

cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2

if [[ $# -gt 0 ]]; then
    targets=("$@")
else
    targets=()
    for binary in "$build"/bin/fuzz_*; do
        [[ -x "$binary" && -f "$binary" ]] && targets+=("$(basename "$binary")")
    done
fi
if [[ ${#targets[@]} -eq 0 ]]; then
    echo "fuzz.sh: no fuzz targets built" >&2
    exit 1
fi

mkdir -p "$build/artifacts"
failed=()
for name in "${targets[@]}"; do
    binary="$build/bin/$name"
    seeds="$root/fuzz/corpus/$name"
    work="$build/corpus/$name"
    mkdir -p "$work"
    seed_args=()
    [[ -d "$seeds" ]] && seed_args=("$seeds")
    # The readers of topics' markup start from the help topics themselves as well, so
    # that no copy of them has to be kept in their corpora.
    case "$name" in
    fuzz_help_search | fuzz_topic_limits) seed_args+=("$root/help") ;;
    esac
    log="$build/$name.log"

    echo "== $name: replaying seeds, then fuzzing ${seconds}s"
    if ! "$binary" -runs=0 "${seed_args[@]}" >"$log" 2>&1 ||
        ! "$binary" -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="$build/artifacts/$name-" "$work" "${seed_args[@]}" >>"$log" 2>&1; then
        echo "!! $name FAILED, see $log and $build/artifacts/"
        tail -n 30 "$log"
        failed+=("$name")
        continue
    fi
    grep -E '^(Done|stat::number_of_executed_units)' "$log" | tail -n 2 || true
done

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "fuzz.sh: failed: ${failed[*]}" >&2
    exit 1
fi
echo "fuzz.sh: all ${#targets[@]} targets ran clean"
