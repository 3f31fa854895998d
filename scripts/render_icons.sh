#!/usr/bin/env bash
# Renders the desktop icon from its drawing, resources/bmi-trevala.svg, at each size the
# hicolor theme lists, into packaging/icons/<size>.png. The PNGs are committed so that
# the build needs no SVG renderer; run this again whenever the drawing changes.
# Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
for size in 16 24 32 48 64 128 256; do
    # Drawn afresh at every size, not scaled from one bitmap, so each stays sharp.
    rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio \
        --output "packaging/icons/$size.png" resources/bmi-trevala.svg
done
