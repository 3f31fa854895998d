#!/usr/bin/env bash
# Start-up and memory benchmark, never a test: it prints how the figures stand against
# their targets but fails on none of them.
#
#   bench/startup.sh [ROUNDS]         ROUNDS defaults to 15 (or $ROUNDS)
#   bench/startup.sh --phases [RUNS]  step-by-step breakdown of the program's start-up
#   bench/startup.sh --instructions   instructions to the first frame, once each under
#                                     callgrind: repeatable whatever else the machine does
#
# On a private Xvfb with a private session bus it starts, in fresh processes and
# interleaved round by round (program, qt_floor, qt_text, xlib_floor, viewer, program, ...):
#   program     bin/BMI-Trevala
#   qt_floor    bench-tools/bench_min_qt_window: QApplication + one empty 611x281 QWidget
#   qt_text     the same window showing one QLabel: the floor of any window with text
#   xlib_floor  bench-tools/bench_min_xlib_window: one raw X window, drawn on its first Expose
#   viewer      bin/BMI-Trevala-help "bin/BMI-Trevala.chm>Main", when it is built
# and takes for each run the time from just before fork to the first frame drawn by the
# X server, the CPU time the process used up to then (less disturbed by other load on
# the machine than the wall time), and the peak resident set size (/usr/bin/time -f %M).
# The Qt programs are observed from outside by the preloaded paint probe; the Xlib window
# stamps itself. Prints medians and the ratios against the floors; the raw figures go to
# $BUILD_DIR/startup-results.txt.
#
# Environment: BUILD_DIR (default build-bench; configured with BMI_BUILD_BENCH=ON if it
# does not exist), BENCH_NO_BUILD=1 to measure what is there without building,
# BASELINE_BIN=<dir> to measure, in the same rounds, the BMI-Trevala and BMI-Trevala-help
# (with its help file) of another build as base_program and base_viewer: a before and
# after within one run.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
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

for tool in Xvfb dbus-daemon /usr/bin/time; do
    if ! command -v "$tool" >/dev/null; then
        echo "startup.sh: $tool is missing (scripts/deps.sh installs it)" >&2
        exit 1
    fi
done

if [[ -z "${BENCH_NO_BUILD:-}" ]]; then
    if [[ ! -f "$build/CMakeCache.txt" ]]; then
        cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBMI_BUILD_BENCH=ON \
            -DBMI_BUILD_TESTS=OFF >/dev/null
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

work="$(mktemp -d /tmp/bmi-startup.XXXXXX)"
xvfb_pid=""
bus_pid=""
# Every process started here carries TMPDIR=$work/tmp; whatever still does at the end
# was left behind by a run (a daemon escapes the launcher's process group) and goes.
sweep() {
    local left=() p
    for p in /proc/[0-9]*; do
        p=${p#/proc/}
        [[ $p == "$$" ]] && continue
        if { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qxF "TMPDIR=$work/tmp"; then
            left+=("$p")
        fi
    done
    if [[ ${#left[@]} -gt 0 ]]; then
        echo "startup.sh: ending ${#left[@]} process(es) left behind by the runs: ${left[*]}" >&2
        kill "${left[@]}" 2>/dev/null || true
    fi
}
cleanup() {
    sweep
    for p in "$bus_pid" "$xvfb_pid"; do
        if [[ -n "$p" ]]; then
            kill "$p" 2>/dev/null || true
            wait "$p" 2>/dev/null || true
        fi
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and names it once it accepts connections.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp -noreset 3>"$work/displayfd" \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display_number=""
if ! read -r -t 30 display_number <"$work/displayfd" || [[ -z "$display_number" ]]; then
    echo "startup.sh: Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi

# A desktop has a session bus. Without one, every Qt program on an X display would
# autolaunch a bus daemon of its own (spending tens of milliseconds, and outliving it).
dbus-daemon --session --nofork --nopidfile --address="unix:path=$work/bus" \
    >"$work/bus.log" 2>&1 &
bus_pid=$!
for _ in $(seq 100); do
    [[ -S "$work/bus" ]] && break
    sleep 0.05
done
if [[ ! -S "$work/bus" ]]; then
    echo "startup.sh: the session bus did not start:" >&2
    cat "$work/bus.log" >&2
    exit 1
fi

# Every run sees the same clean environment: our display and bus, X11 through Qt's xcb
# plugin (scripts/bench.sh sets offscreen for the in-process benches), private runtime
# and temporary directories (the help viewer keeps its instance socket there).
export DISPLAY=":$display_number"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/bus"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY LD_PRELOAD BMI_PROBE_OUT
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir "$work/tmp"

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
            awk -v v="$variant" 'NF == 2 {print v "\tfork to first frame (launcher)\t" $1 "\t" $2; next}
                {n = NF; label = $1; for (i = 2; i <= n - 5; i++) label = label " " $i
                 print v "\t" label "\t" $(n - 4) "\t" $(n - 2)}' "$work/run" >>"$work/phases"
        done
    done
    for variant in program floor; do
        echo
        label=bench_startup_phases
        [[ $variant == floor ]] && label+=" --floor"
        echo "$label: medians of $rounds runs"
        printf '%-46s %10s %10s\n' step "wall (ms)" "CPU (ms)"
        awk -F'\t' -v v="$variant" '$1 == v {
                if (!($2 in n)) order[++k] = $2
                i = ++n[$2]; w[$2, i] = $3; c[$2, i] = $4
            }
            function med(a, key, cnt,    x, y, t, j, l) {
                for (j = 1; j <= cnt; j++) x[j] = a[key, j]
                for (j = 2; j <= cnt; j++) { t = x[j]; for (l = j - 1; l >= 1 && x[l] > t; l--) x[l + 1] = x[l]; x[l + 1] = t }
                return cnt % 2 ? x[(cnt + 1) / 2] : (x[cnt / 2] + x[cnt / 2 + 1]) / 2
            }
            END { for (j = 1; j <= k; j++) printf "%-46s %10.2f %10.2f\n", order[j], med(w, order[j], n[order[j]]), med(c, order[j], n[order[j]]) }' \
            "$work/phases"
    done
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
            awk '/Collected :/ {print $NF}')
    done
    for name in "${!ir[@]}"; do
        printf '%-13s %14s  %5s x qt_text\n' "$name" "${ir[$name]:-failed}" \
            "$(awk -v a="${ir[$name]:-0}" -v b="${ir[qt_text]:-0}" 'BEGIN {if (b > 0) printf "%.2f", a / b; else print "-"}')"
    done | sort
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

median() { # name, column (2 wall ms, 3 CPU ms, 4 KiB)
    awk -v n="$1" -v c="$2" '$1 == n {print $c}' "$results" | sort -g |
        awk '{v[NR] = $1} END {if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
spread() { # name: min-max of the wall times
    awk -v n="$1" '$1 == n {print $2}' "$results" | sort -g |
        awk 'NR == 1 {lo = $1} {hi = $1} END {if (NR) printf "%.1f-%.1f", lo, hi}'
}
count() { awk -v n="$1" '$1 == n' "$results" | wc -l; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
diff_mib() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%+.1f", (a - b) / 1024}'; }
verdict() { awk -v v="$1" -v l="$2" 'BEGIN {print (v + 0 <= l + 0) ? "met" : "MISSED"}'; }

declare -A t c m
echo
echo "Start-up to first frame on Xvfb: $rounds interleaved rounds, medians"
printf '%-11s %5s %10s %14s %10s %10s\n' "" runs "wall (ms)" "wall range" "CPU (ms)" "RSS (MiB)"
for name in "${names[@]}"; do
    t[$name]=$(median "$name" 2)
    c[$name]=$(median "$name" 3)
    m[$name]=$(median "$name" 4)
    printf '%-11s %5s %10.1f %14s %10.1f %10.1f\n' "$name" "$(count "$name")" "${t[$name]}" \
        "$(spread "$name")" "${c[$name]}" "$(awk -v k="${m[$name]}" 'BEGIN {print k / 1024}')"
done

echo
against_text() { # name, time target, RSS target (MiB above qt_text)
    local w cpu d
    w=$(ratio "${t[$1]}" "${t[qt_text]}")
    cpu=$(ratio "${c[$1]}" "${c[qt_text]}")
    d=$(diff_mib "${m[$1]}" "${m[qt_text]}")
    printf '%-22s wall %sx (target <= %sx: %s), CPU %sx (%s), RSS %s MiB (target <= +%s: %s)\n' \
        "$1 / qt_text:" "$w" "$2" "$(verdict "$w" "$2")" "$cpu" "$(verdict "$cpu" "$2")" \
        "$d" "$3" "$(verdict "$d" "$3")"
}
against_text program 1.15 2
[[ -n "${t[base_program]:-}" ]] && against_text base_program 1.15 2
[[ -n "${t[viewer]:-}" ]] && against_text viewer 1.50 6
[[ -n "${t[base_viewer]:-}" ]] && against_text base_viewer 1.50 6
echo "program / qt_floor:    wall $(ratio "${t[program]}" "${t[qt_floor]}")x, CPU $(ratio "${c[program]}" "${c[qt_floor]}")x, RSS $(diff_mib "${m[program]}" "${m[qt_floor]}") MiB"
echo "program / xlib_floor:  wall $(ratio "${t[program]}" "${t[xlib_floor]}")x, CPU $(ratio "${c[program]}" "${c[xlib_floor]}")x, RSS $(ratio "${m[program]}" "${m[xlib_floor]}")x ($(diff_mib "${m[program]}" "${m[xlib_floor]}") MiB)"
echo "qt_floor / xlib_floor: wall $(ratio "${t[qt_floor]}" "${t[xlib_floor]}")x, RSS $(diff_mib "${m[qt_floor]}" "${m[xlib_floor]}") MiB"
echo "host: $(nproc) cores, $(sed -n 's/^PRETTY_NAME=//p' /etc/os-release | tr -d '"'), load average $(cut -d' ' -f1-3 /proc/loadavg)"

cp "$results" "$build/startup-results.txt"
echo "raw figures (name, wall ms, CPU ms, peak RSS KiB): $build/startup-results.txt"
if [[ $failures -gt 0 ]]; then
    echo "startup.sh: $failures run(s) failed" >&2
    exit 1
fi
