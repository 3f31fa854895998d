#!/usr/bin/env bash
# The program as assistive tools meet it: starts the built BMI-Trevala on a private
# display, with its own D-Bus session and accessibility bus (scripts/with_session.sh),
# and lets tests/atspi/atspi_check.py drive it over AT-SPI alone. Registered with ctest
# (label a11y). Skips (exit 77) only when the tools for that are not installed, and
# with BMI_NO_SKIP set not even then; otherwise it passes, or fails with another
# non-zero exit.
#   scripts/atspi_check.sh            on a virtual X server (Xvfb)
#   scripts/atspi_check.sh --wayland  natively on a headless Wayland compositor (weston)
# Either way it also checks that the window names the program's desktop entry, the
# one identity a desktop shell matches it by: on X11 its WM_CLASS is the entry's
# StartupWMClass, on Wayland the app id the client announces is the entry's id.
#   BMI_PROGRAM        the program to check (default: build/bin/BMI-Trevala)
#   BMI_ATSPI_TIMEOUT  seconds the whole check may take once the program runs (default 25)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/missing_tools.sh
. "$root/scripts/missing_tools.sh"
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

# Outside the session: what the check needs, then the check itself inside one.
if [ -z "${BMI_SESSION_DIR:-}" ]; then
    wayland=()
    [ "${1:-}" = "--wayland" ] && wayland=(--wayland)
    missing=()
    if [ ${#wayland[@]} -gt 0 ]; then
        qt_plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /nonexistent)
        # One libqwayland.so in Qt 6.11; libqwayland-generic.so and its kin in 6.4 and 6.8.
        compgen -G "$qt_plugins/platforms/libqwayland*.so" >/dev/null || missing+=(qt6-wayland)
    else
        { command -v xdotool && command -v xprop; } >/dev/null 2>&1 || missing+=(xdotool x11-utils)
    fi
    command -v dbus-send >/dev/null 2>&1 || missing+=(dbus)
    [ -x "$launcher" ] || missing+=(at-spi2-core)
    "$python" -c 'import pyatspi' >/dev/null 2>&1 || missing+=(python3-pyatspi)
    [ ${#missing[@]} -eq 0 ] || end_for_missing_tools atspi_check "${missing[@]}"
    if [ ! -x "$BMI_ATSPI_PROGRAM" ]; then
        say "FAIL: no program at $BMI_ATSPI_PROGRAM; build it first"
        exit 1
    fi
    exec "$root/scripts/with_session.sh" "${wayland[@]}" --screen 1024x768x24 -- "$self" "$@"
fi

# Inside the private D-Bus session, on the display of its own: the program and the checker.
work=$BMI_SESSION_DIR
if [ -n "${WAYLAND_DISPLAY:-}" ]; then
    say "headless Wayland compositor, socket $WAYLAND_DISPLAY"
else
    say "virtual display $DISPLAY"
fi
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
    # The feet-and-inches dialog is kept with the calculator: its toplevel names a parent.
    dialog=$(grep -oE 'xdg_toplevel[@#][0-9]+\.set_title\("Feet to Inches Calcualtor"\)' \
        "$work/program.log" | head -n 1 | grep -oE '^xdg_toplevel[@#][0-9]+') || true
    if [ -n "$dialog" ] &&
        grep -qE "${dialog}\.set_parent\(xdg_toplevel[@#][0-9]+\)" "$work/program.log"; then
        say "ok: the dialog's toplevel names the calculator's as its parent"
    else
        say "FAIL: the dialog's toplevel (${dialog:-not found}) names no parent"
        status=1
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
if [ "$status" -eq 0 ]; then
    say "passed"
else
    say "FAILED"
fi
exit "$status"
