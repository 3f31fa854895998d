#!/usr/bin/env bash
# Installs what is missing, builds, and starts BMI-Trevala. Without a display it starts
# the program on a virtual one (Xvfb), saves a screenshot of its window as a PNG and
# prints where.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
exe="$PWD/build/bin/BMI-Trevala"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$exe"
fi

fail() {
    echo "run.sh: $*" >&2
    exit 1
}
command -v Xvfb >/dev/null || fail "Xvfb is missing (scripts/deps.sh installs it)"

shot="${SCREENSHOT:-$PWD/build/BMI-Trevala-screenshot.png}"
work=$(mktemp -d "${TMPDIR:-/tmp}/bmi-run.XXXXXX")
xvfb_pid=""
app_pid=""
bus_pid=""
# shellcheck disable=SC2317,SC2329 # run by the EXIT trap
cleanup() {
    local pid
    for pid in "$app_pid" "$bus_pid" "$xvfb_pid"; do
        if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A free display, picked by the server itself, which writes its number once it listens.
# A display number of our own choosing could be someone else's.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
    3>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display=""
read -r -t 15 display <"$work/displayfd" || true
if [ -z "$display" ]; then
    echo "run.sh: the virtual X server did not start; its output:" >&2
    sed 's/^/    /' "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$display"
# A private session bus: without one the toolkit would autolaunch a bus daemon that
# outlives this script.
if command -v dbus-launch >/dev/null; then
    eval "$(dbus-launch --sh-syntax)"
    bus_pid="$DBUS_SESSION_BUS_PID"
fi

"$exe" &
app_pid=$!
window=""
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name "Body Mass Index Calculator" 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || fail "BMI-Trevala did not open its window"
sleep 0.5
geometry=$(xdotool getwindowgeometry --shell "$window" |
    awk -F= '/WIDTH/{w=$2}/HEIGHT/{h=$2}/^X/{x=$2}/^Y/{y=$2}END{print w"x"h"+"x"+"y}')
import -window root -crop "$geometry" "$shot"
echo "No display here: BMI-Trevala ran on a virtual display; its window is in $shot"
