#!/usr/bin/env bash
# Installs what building, running and testing need, on Debian 12, 13 and unstable, on
# a desktop as on a bare (minbase) root. Only missing packages are fetched; as root
# directly, otherwise through sudo.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git ca-certificates
    qt6-base-dev qt6-base-dev-tools libgl-dev qt6-qpa-plugins
    libgtest-dev libgmock-dev libbenchmark-dev
    libmspack-dev fp-utils shellcheck
    clang
    xdg-utils xvfb xauth x11-utils xdotool imagemagick
    fonts-liberation fonts-dejavu-core
    desktop-file-utils appstream
    python3 python3-pil python3-pyatspi at-spi2-core dbus dbus-x11
    valgrind time dpkg-dev file
    weston qt6-wayland lintian debootstrap
    libx11-dev
)

# The fuzzers and sanitizers link clang's runtime, which comes in a package named for
# clang's major version: the one of the clang installed, or of the clang the release
# would install. Without an argument this asks the installed clang.
clang_runtime() {
    local major=""
    if [ "${1:-}" = candidate ]; then
        # "Depends: clang-19" from the clang metapackage the release offers.
        major=$(apt-cache depends clang 2>/dev/null |
            sed -n 's/^ *Depends: clang-\([0-9][0-9]*\)$/\1/p' | head -n 1)
    elif command -v clang >/dev/null; then
        # /usr/bin/clang leads to /usr/lib/llvm-N/bin/clang.
        major=$(readlink -f "$(command -v clang)" | sed -n 's|.*/llvm-\([0-9][0-9]*\)/.*|\1|p')
    fi
    [ -n "$major" ] && echo "libclang-rt-$major-dev"
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

runtime=$(clang_runtime) || true
[ -n "$runtime" ] && packages+=("$runtime")
missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
if [ -z "$runtime" ]; then
    runtime=$(clang_runtime candidate) || {
        echo "deps.sh: this release offers no clang package" >&2
        exit 1
    }
    missing+=("$runtime")
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get install -y -qq "${missing[@]}"
