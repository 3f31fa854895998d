#!/usr/bin/env bash
# Screenshots of every window under a dark and a high-contrast desktop palette, for
# docs/palettes/: the calculator with a result, the feet-and-inches dialog and the help
# viewer. The palettes come through qt6ct, as on a desktop that uses it: its "darker"
# scheme, and scripts/palettes/high-contrast.conf (light text on black, yellow links).
#   scripts/palette_shots.sh [OUTPUT-DIR]    (default docs/palettes)
# Needs a build (build/bin), qt6ct, Xvfb and xdotool; runs on a display of its own.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
self="$root/scripts/palette_shots.sh"
exe="$root/build/bin/BMI-Trevala"

say() { echo "palette_shots: $*"; }
fail() {
    say "FAIL: $*" >&2
    exit 1
}

if [ -z "${BMI_SESSION_DIR:-}" ]; then
    out=$(mkdir -p "${1:-$root/docs/palettes}" && cd "${1:-$root/docs/palettes}" && pwd)
    [ -x "$exe" ] || fail "no program at $exe; build it first"
    [ -f /usr/share/qt6ct/colors/darker.conf ] || fail "qt6ct is not installed"
    BMI_SHOTS_OUT="$out" exec "$root/scripts/with_session.sh" --screen 1024x768x24 -- "$self"
fi

# The window of that title, once it is shown.
window_named() {
    local id=""
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || fail "no window named '$1'"
    echo "$id"
}

shot() {
    say "taking $2"
    sleep 0.7 # let the window finish drawing
    import -window "$1" "$2"
    say "$2"
}

for scheme in darker:dark "$root/scripts/palettes/high-contrast.conf:high-contrast"; do
    file=${scheme%:*}
    name=${scheme##*:}
    [ "$file" = darker ] && file=/usr/share/qt6ct/colors/darker.conf
    config="$BMI_SESSION_DIR/config-$name"
    mkdir -p "$config/qt6ct"
    printf '[Appearance]\ncolor_scheme_path=%s\ncustom_palette=true\nstyle=Fusion\n' "$file" \
        >"$config/qt6ct/qt6ct.conf"
    XDG_CONFIG_HOME="$config" QT_QPA_PLATFORMTHEME=qt6ct "$exe" &
    app=$!
    main=$(window_named "Body Mass Index Calculator")
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    xdotool type --window "$main" --delay 30 70
    xdotool key --window "$main" Tab Tab
    xdotool type --window "$main" --delay 30 154
    xdotool key --window "$main" Return
    shot "$main" "$BMI_SHOTS_OUT/$name-calculator.png"
    # The picture button beside the height's unit list opens the dialog.
    xdotool mousemove --window "$main" 282 60 click 1
    dialog=$(window_named "Feet to Inches Calcualtor")
    shot "$dialog" "$BMI_SHOTS_OUT/$name-dialog.png"
    xdotool key Escape || true # clicks Enter, which closes the dialog
    sleep 0.5
    xdotool mousemove --window "$main" 401 161 click 1 # Help
    viewer=$(window_named "BMI-Trevala Help")
    shot "$viewer" "$BMI_SHOTS_OUT/$name-help.png"
    pkill -f BMI-Trevala-help || true
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
done
