#!/usr/bin/env bash
# The program as assistive tools meet it: starts the built BMI-Trevala on a private
# display, with its own D-Bus session and accessibility bus, and lets
# tests/atspi/atspi_check.py drive it over AT-SPI alone. Skips (exit 0) only when the
# tools for that are not installed; otherwise it passes, or fails with a non-zero exit.
#   scripts/atspi_check.sh            on a virtual X server (Xvfb)
#   scripts/atspi_check.sh --wayland  natively on a headless Wayland compositor (weston)
# Either way it also checks that the window names the program's desktop entry, the
# one identity a desktop shell matches it by: on X11 its WM_CLASS is the entry's
# StartupWMClass, on Wayland the app id the client announces is the entry's id.
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

# The desktop entry names the identity both window systems must show.
entry=$(ls "$root"/packaging/*.desktop)
export BMI_ATSPI_APP_ID
BMI_ATSPI_APP_ID=$(basename "$entry" .desktop)
export BMI_ATSPI_WM_CLASS
BMI_ATSPI_WM_CLASS=$(sed -n 's/^StartupWMClass=//p' "$entry")

# Lines of the Wayland protocol trace (WAYLAND_DEBUG) start with a bracketed timestamp.
protocol_line='^\[ *[0-9]+\.[0-9]+\] '
# The request that names a window's app id. The trace writes an object as
# interface@id up to libwayland 1.22 and as interface#id from 1.23 (Debian 13) on.
app_id_request='xdg_toplevel[@#][0-9]+\.set_app_id\('

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
    if [ -n "${WAYLAND_DISPLAY:-}" ]; then
        # The client's side of the protocol goes to the log: it shows the app id.
        QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
            "$BMI_ATSPI_PROGRAM" >"$work/program.log" 2>&1 &
    else
        QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
            "$BMI_ATSPI_PROGRAM" >"$work/program.log" 2>&1 &
    fi
    app=$!
    status=0
    if [ -z "${WAYLAND_DISPLAY:-}" ]; then
        # Shells match an X11 window to its desktop entry by the class in WM_CLASS.
        window=$(timeout 10 xdotool search --sync --onlyvisible --pid "$app" 2>/dev/null \
            | head -n 1) || true
        wm_class=""
        [ -n "$window" ] && wm_class=$(xprop -id "$window" WM_CLASS 2>/dev/null)
        # WM_CLASS(STRING) = "instance", "class"
        class=$(printf '%s\n' "$wm_class" | sed -n 's/^WM_CLASS([A-Z_]*) = ".*", "\(.*\)"$/\1/p')
        if [ "$class" = "$BMI_ATSPI_WM_CLASS" ]; then
            say "ok: WM_CLASS class is the entry's StartupWMClass: $class"
        else
            say "FAIL: WM_CLASS is '${wm_class:-not found}', the entry's StartupWMClass is" \
                "'$BMI_ATSPI_WM_CLASS'"
            status=1
        fi
    fi
    if [ "$status" -eq 0 ]; then
        timeout --kill-after=2 "$BMI_ATSPI_BUDGET" "$python" "$BMI_ATSPI_CHECKER" "$app" \
            || status=$?
    fi
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
    if [ -n "${WAYLAND_DISPLAY:-}" ]; then
        # The help viewer's window belongs to the same entry: it is started on its own
        # with the help file beside the program, and stopped once it has announced itself.
        : >"$work/viewer.log"
        bin=$(dirname "$BMI_ATSPI_PROGRAM")
        if [ -x "$bin/BMI-Trevala-help" ] && [ -f "$bin/BMI-Trevala.chm" ]; then
            QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client \
                "$bin/BMI-Trevala-help" "$bin/BMI-Trevala.chm" >"$work/viewer.log" 2>&1 &
            viewer=$!
            for _ in $(seq 100); do
                grep -qE "$app_id_request" "$work/viewer.log" && break
                kill -0 "$viewer" 2>/dev/null || break
                sleep 0.1
            done
            kill "$viewer" 2>/dev/null || true
            wait "$viewer" 2>/dev/null || true
            grep -qE "$app_id_request" "$work/viewer.log" || {
                say "FAIL: the help viewer announced no app id"
                status=1
            }
        else
            say "the help viewer or its help file is not beside the program; not checked"
        fi
        ids=$(grep -ohE "$app_id_request"'"[^"]*"\)' \
            "$work/program.log" "$work/viewer.log" | sed 's/.*set_app_id("\(.*\)")/\1/' | sort -u)
        if [ "$ids" = "$BMI_ATSPI_APP_ID" ]; then
            say "ok: every window announced the app id $ids"
        else
            say "FAIL: the windows announced the app ids '${ids//$'\n'/ }', not" \
                "'$BMI_ATSPI_APP_ID' alone"
            status=1
        fi
    fi
    if [ "$status" -ne 0 ] && grep -qvE "$protocol_line" "$work/program.log"; then
        say "the program's output:"
        grep -vE "$protocol_line" "$work/program.log" | sed 's/^/    /'
    fi
    exit "$status"
fi

wayland=0
[ "${1:-}" = "--wayland" ] && wayland=1

missing=()
if [ "$wayland" -eq 1 ]; then
    command -v weston >/dev/null 2>&1 || missing+=(weston)
    qt_plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /nonexistent)
    # One libqwayland.so in Qt 6.11; libqwayland-generic.so and its kin in 6.4 and 6.8.
    compgen -G "$qt_plugins/platforms/libqwayland*.so" >/dev/null || missing+=(qt6-wayland)
else
    command -v Xvfb >/dev/null 2>&1 || missing+=(xvfb)
    { command -v xdotool && command -v xprop; } >/dev/null 2>&1 || missing+=(xdotool x11-utils)
fi
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
weston_pid=""
session_pid=""
# shellcheck disable=SC2317,SC2329 # run by the EXIT trap
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
    for server in "$xvfb_pid" "$weston_pid"; do
        [ -n "$server" ] || continue
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -m 700 "$work/runtime"
display_env=()
if [ "$wayland" -eq 1 ]; then
    # The compositor's socket lives in the private runtime directory, so the name is free.
    socket=bmi-wayland
    XDG_RUNTIME_DIR="$work/runtime" weston --backend=headless-backend.so --socket="$socket" \
        --idle-time=0 --log="$work/weston.log" >/dev/null 2>&1 &
    weston_pid=$!
    for _ in $(seq 150); do
        [ -S "$work/runtime/$socket" ] && break
        kill -0 "$weston_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -S "$work/runtime/$socket" ]; then
        say "FAIL: the Wayland compositor did not start"
        sed 's/^/    /' "$work/weston.log"
        exit 1
    fi
    say "headless Wayland compositor, socket $socket"
    display_env=(-u DISPLAY WAYLAND_DISPLAY="$socket")
else
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
    display_env=(-u WAYLAND_DISPLAY DISPLAY=":$display")
fi

status=0
env -u QT_QPA_PLATFORM -u QT_SCALE_FACTOR -u QT_ACCESSIBILITY -u WAYLAND_DEBUG \
    -u DBUS_SESSION_BUS_ADDRESS -u AT_SPI_BUS_ADDRESS \
    "${display_env[@]}" XDG_RUNTIME_DIR="$work/runtime" \
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
