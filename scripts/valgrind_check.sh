#!/usr/bin/env bash
# The real program under valgrind's memcheck, driven from outside as a user drives it:
# on a private X display, with a private session bus (scripts/with_session.sh), xdotool
# types a height and a weight and calculates, opens the feet-and-inches dialog and
# presses its Enter button, asks for Help (the viewer is a separate process and runs
# natively, not under valgrind), and closes the window with Escape. Registered with
# ctest (label memcheck).
#
# Fails when memcheck reports any error (invalid reads or writes, uses of uninitialised
# values, bad frees) or a definite leak that tests/valgrind.supp does not cover, when the
# program crashes or ends with a failure status, and when a step of the script does not
# happen in time (a window that never shows, a program that never ends). Skips (exit 77)
# when valgrind or xdotool is not installed, unless BMI_NO_SKIP is set.
#
#   scripts/valgrind_check.sh
#
# Environment:
#   BUILD_DIR      the build whose bin/ holds the program, its viewer and its help file
#                  (default build)
#   VG_GEN_SUPP=1  print a suppression for every leak reported, to help maintain the
#                  suppressions file (each one still needs narrowing by hand)
#   VG_DRY_RUN=1   the same scripted run without valgrind, to check the driving itself
# The full memcheck log is kept in BUILD_DIR/valgrind-memcheck.log.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/missing_tools.sh
. "$root/scripts/missing_tools.sh"
build="$(realpath -m "${BUILD_DIR:-$root/build}")"
exe="$build/bin/BMI-Trevala"
log="$build/valgrind-memcheck.log"
supp="$root/tests/valgrind.supp"

main_title='Body Mass Index Calculator - '
dialog_title='Feet to Inches Calcualtor'
help_title='BMI-Trevala Help'

# Under memcheck the program runs 20 to 50 times slower than natively, and more on a
# machine busy with other builds; these bound every wait so that a hang fails the run
# instead of stalling it.
window_timeout=${VG_WINDOW_TIMEOUT:-240}
exit_timeout=${VG_EXIT_TIMEOUT:-240}

# Outside the session: what the run needs, then the run itself inside one.
if [[ -z "${BMI_SESSION_DIR:-}" ]]; then
    missing=()
    for tool in valgrind xdotool timeout; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    [[ ${#missing[@]} -eq 0 ]] || end_for_missing_tools valgrind_check.sh "${missing[@]}"
    if [[ ! -x "$exe" ]]; then
        echo "valgrind_check.sh: $exe is not built" >&2
        exit 1
    fi
    exec "$root/scripts/with_session.sh" --screen 1280x1024x24 -- "${BASH_SOURCE[0]}" "$@"
fi

started=$SECONDS
work="$BMI_SESSION_DIR"
program_pid=""
viewer_pids=()

cleanup() {
    local pid
    for pid in "$program_pid" "${viewer_pids[@]}"; do
        if [[ -n "$pid" ]]; then kill "$pid" 2>/dev/null || true; fi
    done
    if [[ -n "$program_pid" ]]; then wait "$program_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
    echo "valgrind_check.sh: $*" >&2
    if [[ -s "$work/program.out" ]]; then
        echo "--- program output" >&2
        tail -n 40 "$work/program.out" >&2
    fi
    if [[ -z "${VG_DRY_RUN:-}" && -s "$log" ]]; then
        echo "--- end of $log" >&2
        tail -n 40 "$log" >&2
    fi
    exit 1
}

program_running() { kill -0 "$program_pid" 2>/dev/null; }

# The id of the first visible window whose name matches, waiting for it (bounded) and
# giving up early if the program has ended.
wait_window() {
    local pattern=$1 deadline=$((SECONDS + $2)) id
    while ((SECONDS < deadline)); do
        id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n1 || true)
        if [[ -n "$id" ]]; then
            echo "$id"
            return 0
        fi
        program_running || return 1
        sleep 0.5
    done
    return 1
}

wait_window_gone() {
    local pattern=$1 deadline=$((SECONDS + $2))
    while ((SECONDS < deadline)); do
        xdotool search --onlyvisible --name "$pattern" >/dev/null 2>&1 || return 0
        program_running || return 0
        sleep 0.5
    done
    return 1
}

# Keys go through XTEST to the window that holds the input focus when the server takes
# them, so the window is focused first and every key waits for the one before it. There
# is no window manager on the display to do the focusing.
keys_to() {
    local window=$1
    shift
    timeout 30 xdotool windowfocus --sync "$window" || fail "window $window took no focus"
    timeout 30 xdotool key --delay 150 "$@" || fail "xdotool could not send $*"
}

# A private home and caches keep the run away from the machine's settings; the viewer
# keeps one instance per help file through a local socket in the session's private
# runtime and temporary directories.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/cache"
mkdir -p "$HOME" "$XDG_CACHE_HOME"
# The program draws with the raster engine; leaving the GL integration unloaded keeps the
# driver stack (and its own allocations) out of a run that never uses it.
export QT_XCB_GL_INTEGRATION=none

# ---- the program -----------------------------------------------------------------------

if [[ -n "${VG_DRY_RUN:-}" ]]; then
    runner=()
else
    runner=(valgrind --tool=memcheck --error-exitcode=99 --leak-check=full
        --errors-for-leak-kinds=definite --show-leak-kinds=definite
        --suppressions="$supp" --num-callers=40 --log-file="$log"
        # Help starts the viewer as a child process; valgrind would follow it to its
        # exec, and a leak check there would see every other thread's memory as lost.
        --child-silent-after-fork=yes)
    [[ -n "${VG_GEN_SUPP:-}" ]] && runner+=(--gen-suppressions=all)
    rm -f "$log"
fi
echo "== starting $exe on $DISPLAY${runner:+ under memcheck}"
(cd "$work" && exec "${runner[@]}" "$exe") >"$work/program.out" 2>&1 &
program_pid=$!

main=$(wait_window "^$main_title" "$window_timeout") || fail "the main window did not show"
echo "   main window shown after $((SECONDS - started)) s"

# Focus starts in the height box. Tab Tab passes the height's unit list to the weight
# box; Enter from any control clicks Calculate. 70 inches and 154 pounds are valid
# entries, so no message box opens.
echo "== height 70, weight 154, Enter"
keys_to "$main" 7 0 Tab Tab 1 5 4 Return

# From the weight box, the tab order runs: weight unit list, Calculate, Help, Home Page,
# Close, the scale's slider, the feet-and-inches button. Space clicks it.
echo "== feet-and-inches dialog, Enter"
keys_to "$main" Tab Tab Tab Tab Tab Tab Tab space
dialog=$(wait_window "^$dialog_title\$" "$window_timeout") ||
    fail "the feet-and-inches dialog did not open"
# The dialog opens on its feet list; Enter acts only on the Enter button, two tabs on.
keys_to "$dialog" Tab Tab Return
wait_window_gone "^$dialog_title\$" "$window_timeout" ||
    fail "the feet-and-inches dialog did not close"
program_running || fail "the program ended with the dialog"

echo "== Help"
keys_to "$main" alt+h
# Without a viewer the program would show a message box instead, and Escape would close
# only that: the run would not be the one described above.
# The viewer's title names the topic first: "<topic> - BMI-Trevala Help".
viewer=$(wait_window "$help_title\$" 60) || fail "the help viewer did not show"
pid=$(xdotool getwindowpid "$viewer" 2>/dev/null || true)
[[ -n "$pid" ]] && viewer_pids+=("$pid")

echo "== Escape"
keys_to "$main" Escape
rc=0
deadline=$((SECONDS + exit_timeout))
while program_running && ((SECONDS < deadline)); do
    sleep 0.5
done
if program_running; then
    fail "the program did not end within ${exit_timeout} s of Escape"
fi
wait "$program_pid" || rc=$?
program_pid=""
elapsed=$((SECONDS - started))

# ---- the verdict ---------------------------------------------------------------------

if [[ -n "${VG_DRY_RUN:-}" ]]; then
    ((rc == 0)) || fail "the program ended with status $rc"
    echo "Scripted run passed without valgrind in ${elapsed} s."
    exit 0
fi

[[ -s "$log" ]] || fail "memcheck wrote no log"
if grep -q "Process terminating with default action of signal" "$log" || ((rc > 128)); then
    fail "the program crashed (status $rc)"
fi
# Error headers as memcheck writes them; suppressed ones are not in the log.
count() { grep -cE "^==[0-9]+== ($1)" "$log" || true; }
invalid=$(count "Invalid (read|write) of size")
other=$(count "Invalid free|Mismatched free|Conditional jump|Use of uninitialised|Syscall param|Source and destination overlap|Argument .* of function")
leaks=$(count "[0-9,]+ (\([0-9,]+ direct, [0-9,]+ indirect\) )?bytes in [0-9,]+ blocks are definitely lost")
summary=$(grep -E "ERROR SUMMARY:" "$log" | tail -n1 | sed 's/^==[0-9]*== *//')
echo "   invalid reads and writes:       $invalid"
echo "   other memory errors:            $other"
echo "   definite leaks, not suppressed: $leaks"
echo "   $summary"
echo "   log: $log"
if ((rc == 99)) || ((invalid + other + leaks > 0)); then
    grep -E -A30 "^==[0-9]+== (Invalid|Mismatched|Conditional|Use of|Syscall|Source and|Argument|[0-9,]+ .*definitely lost)" \
        "$log" | head -n 150 >&2 || true
    fail "memcheck reported errors"
fi
((rc == 0)) || fail "the program ended with status $rc"
echo "valgrind memcheck run passed in ${elapsed} s."
