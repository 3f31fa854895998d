#!/usr/bin/env bash
# Installs what building, running and testing need, on Debian 12. Only missing packages
# are fetched; as root directly, otherwise through sudo.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-private-dev qt6-base-dev-tools libgl-dev qt6-qpa-plugins
    libgtest-dev libgmock-dev libbenchmark-dev
    libmspack-dev fp-utils shellcheck
    clang libclang-rt-14-dev
    xdg-utils xvfb xauth x11-utils xdotool imagemagick
    fonts-liberation fonts-dejavu-core
    desktop-file-utils appstream
    python3 python3-pil python3-pyatspi at-spi2-core dbus dbus-x11
    valgrind time dpkg-dev file
    weston qt6-wayland lintian
    libx11-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}"
