#!/usr/bin/env bash
# Runs a command as a desktop session would run it, kept apart from the machine's own:
# on a display of its own and with a private D-Bus session bus (dbus-run-session).
#
#   scripts/with_session.sh [--wayland] [--screen WxHxD] [--dpi N] -- COMMAND [ARG...]
#
# The display is a virtual X server (Xvfb, which picks a free display number itself),
# or with --wayland a headless Wayland compositor (weston) whose socket lives in the
# session's private runtime directory. The command finds in its environment:
#   DISPLAY or WAYLAND_DISPLAY    the other one unset; QT_QPA_PLATFORM names the same
#   DBUS_SESSION_BUS_ADDRESS      the private bus; AT_SPI_BUS_ADDRESS unset, so that the
#                                 accessibility bus is the one this bus starts
#   XDG_RUNTIME_DIR, TMPDIR       empty private directories
#   BMI_SESSION_DIR               the session's scratch directory, removed afterwards
# Exits with the command's status, or 77 when the display or the bus is not installed
# (ctest reads 77 as a skip); with BMI_NO_SKIP set, a missing tool fails instead.
# Whatever the command leaves running in the session is ended on the way out.
set -euo pipefail
# shellcheck source=scripts/missing_tools.sh
. "$(dirname "${BASH_SOURCE[0]}")/missing_tools.sh"

# Run by dbus-run-session: the bus daemon keeps the stderr it was started with (the
# session's log); the command gets the caller's stderr back, passed down on fd 3.
if [ "${1:-}" = --inner ]; then
    shift
    if { true >&3; } 2>/dev/null; then
        exec 2>&3 3>&-
    fi
    exec "$@"
fi

say() { echo "with_session: $*" >&2; }
usage() {
    echo "usage: scripts/with_session.sh [--wayland] [--screen WxHxD] [--dpi N] -- COMMAND [ARG...]" >&2
    exit 2
}

self=$(realpath "${BASH_SOURCE[0]}")
wayland=0
screen=1280x1024x24
dpi=()
while [ $# -gt 0 ]; do
    case "$1" in
    --wayland) wayland=1 ;;
    --screen) screen=${2:-} && shift ;;
    --dpi) dpi=(-dpi "${2:-}") && shift ;;
    --) shift && break ;;
    *) usage ;;
    esac
    shift
done
[ $# -gt 0 ] || usage

missing=()
if [ "$wayland" -eq 1 ]; then
    command -v weston >/dev/null || missing+=(weston)
else
    command -v Xvfb >/dev/null || missing+=(xvfb)
fi
command -v dbus-run-session >/dev/null || missing+=(dbus)
[ ${#missing[@]} -eq 0 ] || end_for_missing_tools with_session "${missing[@]}"

dir=$(mktemp -d "${TMPDIR:-/tmp}/bmi-session.XXXXXX")
server_pid=""
session_pid=""
# shellcheck disable=SC2317,SC2329 # run by the EXIT trap
cleanup() {
    # The session runs in a process group of its own: this ends the bus daemons and
    # whatever they started along with anything of the command's still running there.
    if [ -n "$session_pid" ]; then
        kill -TERM -- "-$session_pid" 2>/dev/null || true
        wait "$session_pid" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 -- "-$session_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL -- "-$session_pid" 2>/dev/null || true
    fi
    # A daemon that left the group still carries the session's directory in its
    # environment.
    local left=()
    mapfile -t left < <(grep -lzxF "BMI_SESSION_DIR=$dir" /proc/[0-9]*/environ 2>/dev/null |
        sed 's|^/proc/||; s|/environ$||')
    if [ ${#left[@]} -gt 0 ]; then
        say "ending ${#left[@]} process(es) the session left behind: ${left[*]}"
        kill -KILL "${left[@]}" 2>/dev/null || true
    fi
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -m 700 "$dir/runtime" "$dir/tmp"
if [ "$wayland" -eq 1 ]; then
    # The socket is in the private runtime directory, so the name is always free.
    socket=bmi-wayland
    XDG_RUNTIME_DIR="$dir/runtime" weston --backend=headless-backend.so --socket="$socket" \
        --idle-time=0 --log="$dir/server.log" >/dev/null 2>&1 &
    server_pid=$!
    for _ in $(seq 150); do
        [ -S "$dir/runtime/$socket" ] && break
        kill -0 "$server_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -S "$dir/runtime/$socket" ]; then
        say "FAIL: the Wayland compositor did not start"
        sed 's/^/    /' "$dir/server.log" >&2
        exit 1
    fi
    display_env=(-u DISPLAY WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland)
else
    # The server writes the display number it picked once it accepts connections;
    # -noreset keeps it up when its last client leaves.
    mkfifo "$dir/displayfd"
    Xvfb -displayfd 3 -screen 0 "$screen" "${dpi[@]}" -nolisten tcp -noreset \
        3>"$dir/displayfd" >"$dir/server.log" 2>&1 &
    server_pid=$!
    display=""
    read -r -t 30 display <"$dir/displayfd" || true
    if [ -z "$display" ]; then
        say "FAIL: the virtual X server did not start"
        sed 's/^/    /' "$dir/server.log" >&2
        exit 1
    fi
    display_env=(-u WAYLAND_DISPLAY DISPLAY=":$display" QT_QPA_PLATFORM=xcb)
fi

status=0
env -u DBUS_SESSION_BUS_ADDRESS -u AT_SPI_BUS_ADDRESS -u QT_SCALE_FACTOR \
    -u QT_ACCESSIBILITY -u WAYLAND_DEBUG "${display_env[@]}" \
    XDG_RUNTIME_DIR="$dir/runtime" TMPDIR="$dir/tmp" BMI_SESSION_DIR="$dir" \
    setsid dbus-run-session -- "$self" --inner "$@" 3>&2 2>"$dir/session.log" &
session_pid=$!
wait "$session_pid" || status=$?
if [ "$status" -ne 0 ] && [ "$status" -ne 77 ] && [ -s "$dir/session.log" ]; then
    say "the session bus's log:"
    sed 's/^/    /' "$dir/session.log" >&2
fi
exit "$status"
