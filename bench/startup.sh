#!/usr/bin/env bash
# Start-up and memory benchmark, never a test: it prints how the figures stand against
# their targets but fails on none of them.
#
#   bench/startup.sh [ROUNDS]         ROUNDS defaults to 15 (or $ROUNDS)
#   bench/startup.sh --phases [RUNS]  step-by-step breakdown of the program's start-up
#   bench/startup.sh --instructions   instructions to the first frame, once each under
#                                     callgrind: repeatable whatever else the machine does
#
# On a private Xvfb with a private session bus (scripts/with_session.sh) it starts, in
# fresh processes and interleaved round by round (program, qt_floor, qt_text, xlib_floor, viewer, program, ...):
#   program     bin/BMI-Trevala
#   qt_floor    bench-tools/bench_min_qt_window: QApplication + one empty 611x281 QWidget
#   qt_text     the same window showing one QLabel: the floor of any window with text
#   xlib_floor  bench-tools/bench_min_xlib_window: one raw X window, drawn on its first Expose
#   viewer      bin/BMI-Trevala-help "bin/BMI-Trevala.chm>Main", when it is built
# and takes for each run the time from just before fork to the first frame drawn by the
# X server, the CPU time the process used up to then (less disturbed by other load on
# the machine than the wall time), and the peak resident set size (/usr/bin/time -f %M).
# The Qt programs are observed from outside by the preloaded paint probe; the Xlib window
# stamps itself. Prints medians and the ratios against the floors (bench/startup_stats.py);
# the raw figures go to $BUILD_DIR/startup-results.txt.
#
# Environment: BUILD_DIR (default build-bench; configured with BMI_BUILD_BENCH=ON if it
# does not exist), BENCH_NO_BUILD=1 to measure what is there without building,
# BASELINE_BIN=<dir> to measure, in the same rounds, the BMI-Trevala and BMI-Trevala-help
# (with its help file) of another build as base_program and base_viewer: a before and
# after within one run.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
script_args=("$@")
stats="$root/bench/startup_stats.py"
build="$(realpath -m "${BUILD_DIR:-$root/build-bench}")"
mode=rounds
if [[ "${1:-}" == --phases ]]; then
    mode=phases
    shift
elif [[ "${1:-}" == --instructions ]]; then
    mode=instructions
    shift
fi
rounds="${1:-${ROUNDS:-$([[ $mode == phases ]] && echo 5 || echo 15)}}"
if ! [[ "$rounds" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: bench/startup.sh [ROUNDS] | --phases [RUNS] | --instructions" >&2
    exit 1
fi
bin="$build/bin"
tools="$build/bench-tools"

for tool in Xvfb dbus-run-session /usr/bin/time; do
    if ! command -v "$tool" >/dev/null; then
        echo "startup.sh: $tool is missing (scripts/deps.sh installs it)" >&2
        exit 1
    fi
done

if [[ -z "${BENCH_NO_BUILD:-}" ]]; then
    if [[ ! -f "$build/CMakeCache.txt" ]]; then
        (cd "$root" && cmake --preset bench -B "$build" >/dev/null)
    else
        cmake -S "$root" -B "$build" -DBMI_BUILD_BENCH=ON >/dev/null
    fi
    cmake --build "$build" -j2 --target startup_bench
    if [[ $mode != phases ]]; then
        cmake --build "$build" -j2 --target BMI-Trevala-help help_file ||
            echo "startup.sh: the help viewer or its help file did not build; measuring without it" >&2
    fi
fi

launcher="$tools/bench_launch_timer"
probe="$tools/libbench_paint_probe.so"
for f in "$bin/BMI-Trevala" "$tools/bench_min_qt_window" "$tools/bench_min_xlib_window" \
    "$tools/bench_startup_phases" "$launcher" "$probe"; do
    if [[ ! -f "$f" ]]; then
        echo "startup.sh: $f is missing; build the target startup_bench in $build" >&2
        exit 1
    fi
done

# Every run sees the same clean environment: a display of its own (96 dpi) and a
# private session bus (without one, every Qt program on an X display would autolaunch a
# bus daemon of its own, spending tens of milliseconds, and outliving it), X11 through
# Qt's xcb plugin (scripts/bench.sh sets offscreen for the in-process benches), private
# runtime and temporary directories (the help viewer keeps its instance socket there).
# Whatever a run leaves behind is ended with the session.
if [[ -z "${BMI_SESSION_DIR:-}" ]]; then
    BENCH_NO_BUILD=1 exec "$root/scripts/with_session.sh" --screen 1280x1024x24 --dpi 96 \
        -- "${BASH_SOURCE[0]}" "${script_args[@]}"
fi
work="$BMI_SESSION_DIR"
unset LD_PRELOAD BMI_PROBE_OUT

if [[ $mode == phases ]]; then
    # Each step's median over the runs, wall and CPU, for the program and the Qt floor.
    : >"$work/phases"
    for ((r = 0; r <= rounds; r++)); do # run 0 warms the caches and is not kept
        for variant in program floor; do
            args=()
            [[ $variant == floor ]] && args=(--floor)
            TMPDIR="$work/tmp" "$launcher" "$work/stamp" -- "$tools/bench_startup_phases" \
                "${args[@]}" >"$work/run" || continue
            [[ $r -eq 0 ]] && continue
            "$stats" phase-rows "$variant" <"$work/run" >>"$work/phases"
        done
    done
    "$stats" phases "$work/phases" "$rounds"
    exit 0
fi

names=()
declare -A command preload
measure() { # name, program, 1 when it takes the first-frame probe
    names+=("$1")
    command[$1]=$2
    preload[$1]=$3
}
measure program "$bin/BMI-Trevala" 1
measure qt_floor "$tools/bench_min_qt_window" 1
measure qt_text "$tools/bench_min_qt_window" 1
measure xlib_floor "$tools/bench_min_xlib_window" 0
if [[ -x "$bin/BMI-Trevala-help" && -f "$bin/BMI-Trevala.chm" ]]; then
    measure viewer "$bin/BMI-Trevala-help" 1
else
    echo "startup.sh: no help viewer or help file in $bin; measuring without it" >&2
fi
if [[ -n "${BASELINE_BIN:-}" ]]; then
    measure base_program "$BASELINE_BIN/BMI-Trevala" 1
    if [[ -x "$BASELINE_BIN/BMI-Trevala-help" && -f "$BASELINE_BIN/BMI-Trevala.chm" ]]; then
        measure base_viewer "$BASELINE_BIN/BMI-Trevala-help" 1
    fi
fi
target_of() { # name: the command line to start
    target=("${command[$1]}")
    [[ "$1" == viewer ]] && target+=("$bin/BMI-Trevala.chm>Main")
    [[ "$1" == base_viewer ]] && target+=("$BASELINE_BIN/BMI-Trevala.chm>Main")
    [[ "$1" == qt_text ]] && target+=(--text)
    return 0
}

if [[ $mode == instructions ]]; then
    if ! command -v valgrind >/dev/null; then
        echo "startup.sh: valgrind is missing (scripts/deps.sh installs it)" >&2
        exit 1
    fi
    # The instructions each Qt program executes from exec to its first frame (the probe
    # ends it there), counted by callgrind: unlike times, the same on a busy machine.
    echo
    echo "Instructions to the first frame on Xvfb (callgrind, one run each)"
    declare -A ir
    for name in "${names[@]}"; do
        [[ "${preload[$name]}" == 1 ]] || continue
        target_of "$name"
        find "$work/tmp" -mindepth 1 -delete
        ir[$name]=$(TMPDIR="$work/tmp" BMI_PROBE_OUT="$work/stamp" LD_PRELOAD="$probe" \
            valgrind --tool=callgrind --callgrind-out-file=/dev/null "${target[@]}" 2>&1 |
            sed -n 's/.*Collected : *//p')
    done
    counts=()
    for name in "${!ir[@]}"; do counts+=("$name=${ir[$name]}"); done
    "$stats" instructions "${counts[@]}"
    exit 0
fi

results="$work/results"
: >"$results"
failures=0

run_one() { # name, record (1) or warm-up (0)
    local name=$1 record=$2 times rss
    local args=(--timeout 30)
    [[ "${preload[$name]}" == 1 ]] && args+=(--preload "$probe")
    local target
    target_of "$name"
    find "$work/tmp" -mindepth 1 -delete
    if times=$(TMPDIR="$work/tmp" /usr/bin/time -f %M -o "$work/rss" \
        "$launcher" "${args[@]}" "$work/stamp" -- "${target[@]}" 2>"$work/err"); then
        rss=$(tail -n1 "$work/rss")
        [[ "$record" == 1 ]] && echo "$name $times $rss" >>"$results"
    else
        echo "startup.sh: $name run failed: $(grep -hv '^Command exited' "$work/err" "$work/rss" | head -n3)" >&2
        failures=$((failures + 1))
    fi
    return 0
}

# One unrecorded round first: the first start after a build reads everything from disk
# and fills the font cache, which no user start sees twice.
for name in "${names[@]}"; do run_one "$name" 0; done
for ((r = 1; r <= rounds; r++)); do
    for name in "${names[@]}"; do run_one "$name" 1; done
done

"$stats" rounds "$results" "$rounds" "${names[@]}"
echo "host: $(nproc) cores, $(sed -n 's/^PRETTY_NAME=//p' /etc/os-release | tr -d '"'), load average $(cut -d' ' -f1-3 /proc/loadavg)"

cp "$results" "$build/startup-results.txt"
echo "raw figures (name, wall ms, CPU ms, peak RSS KiB): $build/startup-results.txt"
if [[ $failures -gt 0 ]]; then
    echo "startup.sh: $failures run(s) failed" >&2
    exit 1
fi
