#!/usr/bin/env bash
# Builds every benchmark (Release) and runs each; extra arguments go to every run,
# e.g. scripts/bench.sh --benchmark_filter=typical
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-bench"

cd "$root"
cmake --preset bench >/dev/null
cmake --build --preset bench -j2

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
ran=0
for binary in "$build"/bin/bench_*; do
    [[ -x "$binary" && -f "$binary" ]] || continue
    echo "== $(basename "$binary")"
    "$binary" "$@"
    ran=$((ran + 1))
done
if [[ $ran -eq 0 ]]; then
    echo "bench.sh: no benchmarks built" >&2
    exit 1
fi

# Start-up time and memory against the toolkit's and the machine's floors, on Xvfb.
echo "== bench/startup.sh"
BUILD_DIR="$build" "$root/bench/startup.sh"
