#!/usr/bin/env bash
# The program as assistive tools meet it: starts the built BMI-Trevala on a private
# virtual X server, with its own D-Bus session and accessibility bus, and lets
# tests/atspi/atspi_check.py drive it over AT-SPI alone. Skips (exit 0) only when the
# tools for that are not installed; otherwise it passes, or fails with a non-zero exit.
#   BMI_PROGRAM        the program to check (default: build/bin/BMI-Trevala)
#   BMI_ATSPI_TIMEOUT  seconds the whole check may take once the program runs (default 25)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
self="$root/scripts/atspi_check.sh"
python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher
export BMI_ATSPI_PROGRAM="${BMI_PROGRAM:-$root/build/bin/BMI-Trevala}"
export BMI_ATSPI_CHECKER="${BMI_ATSPI_CHECKER:-$root/tests/atspi/atspi_check.py}"
export BMI_ATSPI_BUDGET="${BMI_ATSPI_TIMEOUT:-25}"

say() { echo "atspi_check: $*"; }

# Inside the private D-Bus session, on the virtual display: the program and the checker.
if [ "${1:-}" = "--in-session" ]; then
    exec 2>&1 # the session's own bus daemon keeps the log; our messages go to the caller
    work="$2"
    # Bring the accessibility bus up before the program, so its bridge finds it at once.
    if ! dbus-send --session --print-reply --reply-timeout=10000 --dest=org.a11y.Bus \
        /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null; then
        say "FAIL: the accessibility bus did not start"
        exit 1
    fi
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
        "$BMI_ATSPI_PROGRAM" >"$work/program.log" 2>&1 &
    app=$!
    status=0
    timeout --kill-after=2 "$BMI_ATSPI_BUDGET" "$python" "$BMI_ATSPI_CHECKER" "$app" || status=$?
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        say "FAIL: the check took longer than ${BMI_ATSPI_BUDGET} s"
    fi
    if [ "$status" -eq 0 ]; then
        # The checker's last step pressed Close: the program must end, and cleanly.
        for _ in $(seq 50); do
            kill -0 "$app" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$app" 2>/dev/null; then
            say "FAIL: the program still runs 5 s after Close"
            status=1
        elif wait "$app"; then
            say "ok: the program exited with status 0"
        else
            say "FAIL: the program exited with status $?"
            status=1
        fi
    fi
    if kill -0 "$app" 2>/dev/null; then
        kill "$app" 2>/dev/null || true
        wait "$app" 2>/dev/null || true
    fi
    if [ "$status" -ne 0 ] && [ -s "$work/program.log" ]; then
        say "the program's output:"
        sed 's/^/    /' "$work/program.log"
    fi
    exit "$status"
fi

missing=()
command -v Xvfb >/dev/null 2>&1 || missing+=(xvfb)
{ command -v dbus-run-session && command -v dbus-send; } >/dev/null 2>&1 || missing+=(dbus)
[ -x "$launcher" ] || missing+=(at-spi2-core)
"$python" -c 'import pyatspi' >/dev/null 2>&1 || missing+=(python3-pyatspi)
if [ ${#missing[@]} -gt 0 ]; then
    say "skipped: not installed: ${missing[*]} (scripts/deps.sh installs them)"
    exit 0
fi
if [ ! -x "$BMI_ATSPI_PROGRAM" ]; then
    say "FAIL: no program at $BMI_ATSPI_PROGRAM; build it first"
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/bmi-atspi.XXXXXX")
xvfb_pid=""
session_pid=""
# shellcheck disable=SC2317 # run by the EXIT trap
cleanup() {
    # The session runs in a process group of its own: this ends the bus daemons and
    # whatever they started along with anything of ours still running there.
    if [ -n "$session_pid" ]; then
        kill -TERM -- "-$session_pid" 2>/dev/null || true
        wait "$session_pid" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 -- "-$session_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL -- "-$session_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A free display, picked by the server itself; it writes the number once it listens.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1024x768x24 \
    3>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display=""
read -r -t 15 display <"$work/displayfd" || true
if [ -z "$display" ]; then
    say "FAIL: the virtual X server did not start"
    sed 's/^/    /' "$work/xvfb.log"
    exit 1
fi
say "virtual display :$display"

mkdir -m 700 "$work/runtime"
status=0
env -u QT_QPA_PLATFORM -u QT_SCALE_FACTOR -u QT_ACCESSIBILITY -u WAYLAND_DISPLAY \
    -u DBUS_SESSION_BUS_ADDRESS -u AT_SPI_BUS_ADDRESS \
    DISPLAY=":$display" XDG_RUNTIME_DIR="$work/runtime" \
    setsid dbus-run-session -- "$self" --in-session "$work" 2>"$work/session.log" &
session_pid=$!
wait "$session_pid" || status=$?
if [ "$status" -ne 0 ]; then
    say "the session's bus log:"
    sed 's/^/    /' "$work/session.log"
    say "FAILED"
else
    say "passed"
fi
exit "$status"
