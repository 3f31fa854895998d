#!/usr/bin/env bash
# The last commit on a Debian release as a new user meets it, each step in a fresh
# minbase root made with debootstrap:
#
#   scripts/check_release.sh RELEASE          (bookworm, trixie or sid)
#       clones the commit into one root and runs scripts/test.sh there; then installs the
#       package it built into a second root with --no-install-recommends, starts the
#       program on Xvfb, opens Help and saves a screenshot (its path is printed).
#   scripts/check_release.sh --stage RELEASE
#       only the build with warnings as errors, ctest and the AT-SPI checks (X11 and
#       Wayland); scripts/test.sh ends with this on trixie.
#   scripts/check_release.sh --install PACKAGE.deb RELEASE
#       only the second part, for a package built before (on that release).
#
# Needs root (otherwise it asks sudo), debootstrap and a Debian mirror.
#   BMI_MIRROR       the mirror (default http://deb.debian.org/debian)
#   BMI_CACHE        keeps each release's pristine root as a tarball and the packages
#                    fetched into the roots (default /var/cache/bmi-trevala); every run
#                    still unpacks a fresh root from it. BMI_REFRESH=1 bootstraps anew.
#   BMI_RELEASE_OUT  where the logs, the package and the screenshot go
#                    (default build-release/RELEASE, beside the scripts)
set -euo pipefail

args=("$@")
repo=$(cd "$(dirname "$0")/.." && pwd)
mode=full
deb=""
if [ "${1:-}" = --stage ]; then
    mode=stage
    shift
elif [ "${1:-}" = --install ] && [ $# -ge 2 ]; then
    mode=install
    deb=$(realpath "$2")
    shift 2
fi
release=${1:-}
case "$release" in
bookworm | trixie | sid) ;;
*)
    echo "usage: scripts/check_release.sh [--stage | --install PACKAGE.deb]" \
        "bookworm|trixie|sid" >&2
    exit 2
    ;;
esac

if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=BMI_MIRROR,BMI_CACHE,BMI_REFRESH,BMI_RELEASE_OUT "$0" "${args[@]}"
fi
for tool in debootstrap git chroot findmnt flock; do
    command -v "$tool" >/dev/null || {
        echo "check_release.sh: $tool is missing (scripts/deps.sh installs it)" >&2
        exit 1
    }
done

mirror=${BMI_MIRROR:-http://deb.debian.org/debian}
cache=${BMI_CACHE:-/var/cache/bmi-trevala}
out=${BMI_RELEASE_OUT:-$repo/build-release/$release}
# The repository may belong to the user who called sudo.
git=(git -c safe.directory='*' -C "$repo")
commit=$("${git[@]}" rev-parse HEAD)
mkdir -p "$cache/apt-$release" "$out"
out=$(cd "$out" && pwd)
pristine="$cache/$release-minbase.tar"

say() { echo "check_release($release): $*"; }
fail() {
    say "FAIL: $*" >&2
    exit 1
}
started=$SECONDS
lap=$SECONDS
took() {
    say "$1 took $((SECONDS - lap)) s"
    lap=$SECONDS
}

work=$(mktemp -d /var/tmp/bmi-release.XXXXXX)
roots=()

# Ends what still runs inside a root (a daemon a test left behind), undoes every mount
# below it, deepest first, and only then deletes it: a mount left in place would let
# the removal reach into the machine's own /dev.
drop_root() {
    local dir=$1 proc mounts
    for proc in /proc/[0-9]*; do
        if [ "$(readlink "$proc/root" 2>/dev/null)" = "$dir" ]; then
            kill -KILL "${proc#/proc/}" 2>/dev/null || true
        fi
    done
    mapfile -t mounts < <(findmnt -rn -o TARGET | grep -F "$dir/" | sort -r)
    for m in "${mounts[@]}"; do
        umount "$m" 2>/dev/null || umount -l "$m" || true
    done
    if findmnt -rn -o TARGET | grep -qF "$dir/"; then
        echo "check_release.sh: mounts left below $dir; not deleting it" >&2
        return 1
    fi
    rm -rf --one-file-system "$dir"
}

# shellcheck disable=SC2317,SC2329 # run by the EXIT trap
cleanup() {
    local dir status=0
    for dir in "${roots[@]}"; do
        [ -d "$dir" ] && { drop_root "$dir" || status=1; }
    done
    [ "$status" -eq 0 ] && rm -rf --one-file-system "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# The pristine root is made once per release; a second run waits for the first.
exec {lock}>"$cache/$release.lock"
flock "$lock"
if [ ! -s "$pristine" ] || [ -n "${BMI_REFRESH:-}" ]; then
    say "bootstrapping a minbase root from $mirror"
    boot="$work/bootstrap"
    if ! debootstrap --variant=minbase "$release" "$boot" "$mirror" \
        >"$out/debootstrap.log" 2>&1; then
        tail -n 20 "$out/debootstrap.log" >&2
        fail "debootstrap failed (log: $out/debootstrap.log)"
    fi
    tar --numeric-owner -C "$boot" -cf "$pristine.part" .
    mv "$pristine.part" "$pristine"
    rm -rf --one-file-system "$boot"
    took "debootstrap"
fi
flock -u "$lock"
# The packages fetched are shared with later runs, but apt locks its cache: a run that
# finds another one using it fetches its own.
exec {apt_lock}>"$cache/apt-$release.lock"
shared_apt_cache=0
flock -n "$apt_lock" && shared_apt_cache=1

# A fresh root from the pristine one, with /proc, /sys and /dev of the machine and, when
# free, the package cache shared between runs.
new_root() {
    local dir="$work/$1"
    mkdir "$dir"
    roots+=("$dir")
    tar --numeric-owner -C "$dir" -xf "$pristine"
    cp -L /etc/resolv.conf "$dir/etc/resolv.conf" 2>/dev/null || true
    cp /etc/hosts "$dir/etc/hosts"
    # A root that is thrown away starts no services from package scripts and needs no
    # sync after every file dpkg writes.
    printf '#!/bin/sh\nexit 101\n' >"$dir/usr/sbin/policy-rc.d"
    chmod 755 "$dir/usr/sbin/policy-rc.d"
    echo force-unsafe-io >"$dir/etc/dpkg/dpkg.cfg.d/bmi-unsafe-io"
    if [ "$release" = sid ]; then
        # The mirror may serve a snapshot of unstable whose index has passed its date.
        echo 'Acquire::Check-Valid-Until "false";' >"$dir/etc/apt/apt.conf.d/99bmi-valid-until"
    fi
    mount -t proc proc "$dir/proc"
    mount -t sysfs sysfs "$dir/sys"
    mount --rbind /dev "$dir/dev"
    mount --make-rslave "$dir/dev"
    if [ "$shared_apt_cache" -eq 1 ]; then
        mount --bind "$cache/apt-$release" "$dir/var/cache/apt/archives"
    fi
}

in_root() {
    local dir=$1
    shift
    chroot "$dir" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

# The committed tree only, as a clone: what is not committed is not checked.
clone_into() {
    local dir=$1
    mkdir -p "$dir/src"
    "${git[@]}" clone -q --no-hardlinks --no-checkout "$repo" "$dir/src/bmi-trevala"
    git -C "$dir/src/bmi-trevala" checkout -q --detach "$commit"
}

if [ "$mode" = install ]; then
    [ -f "$deb" ] || fail "no package at $deb"
    cp "$deb" "$out/"
    deb="$out/$(basename "$deb")"
else
    say "commit $("${git[@]}" log -1 --format='%h %s' "$commit")"
    build_root=$work/build
    new_root build
    clone_into "$build_root"
    took "a fresh root"
fi

if [ "$mode" = stage ]; then
    cat >"$build_root/tmp/stage.sh" <<'EOF'
#!/bin/bash
set -euo pipefail
cd /src/bmi-trevala
scripts/deps.sh
# Here everything the checks need is installed: a check that skipped would be a fault
# of deps.sh.
export QT_QPA_PLATFORM=offscreen BMI_NO_SKIP=1
step=$SECONDS
echo "== build (warnings are errors)"
cmake --preset default
cmake --build --preset default -j"$(nproc)"
echo "build took $((SECONDS - step)) s"
step=$SECONDS
ctest --preset default -j"$(nproc)"
ctest --preset soak
echo "ctest took $((SECONDS - step)) s"
echo "== assistive-technology checks on X11 and on Wayland"
ctest --preset a11y
EOF
    chmod 755 "$build_root/tmp/stage.sh"
    in_root "$build_root" /tmp/stage.sh 2>&1 | tee "$out/stage.log" ||
        fail "the build, ctest or the AT-SPI checks failed (log: $out/stage.log)"
    took "build, ctest and the AT-SPI checks"
    say "passed in $((SECONDS - started)) s"
    exit 0
fi

if [ "$mode" = full ]; then
    # The README's test command, as a user runs it; the nested stage on trixie is what
    # this script does itself.
    in_root "$build_root" BMI_IN_RELEASE_ROOT=1 bash -c 'cd /src/bmi-trevala && scripts/test.sh' \
        2>&1 | tee "$out/test.log" || fail "scripts/test.sh failed (log: $out/test.log)"
    took "scripts/test.sh"
    debs=("$build_root"/src/bmi-trevala/build-pkg/*.deb)
    [ -f "${debs[0]}" ] || fail "scripts/test.sh left no package in build-pkg/"
    deb="$out/$(basename "${debs[0]}")"
    cp "${debs[0]}" "$deb"
    drop_root "$build_root"
fi

depends=$(dpkg-deb -f "$deb" Depends)
say "Depends: $depends"
# A dependency on one exact Qt build would make the package uninstallable at the next
# point release of Qt in the archive.
if grep -qE -- '-abi \(= ' <<<"$depends"; then
    fail "the package is locked to one build of a library"
fi

install_root=$work/install
new_root install
cp "$deb" "$install_root/tmp/"
in_root "$install_root" bash -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends /tmp/$(basename "$deb")" \
    >"$out/install.log" 2>&1 || {
    tail -n 30 "$out/install.log" >&2
    fail "the package did not install (log: $out/install.log)"
}
took "installing the package"
# The program and its viewer have to find every library they need before anything else
# is installed.
if in_root "$install_root" sh -c 'ldd /usr/bin/BMI-Trevala /usr/lib/bmi-trevala/*' |
    grep 'not found'; then
    fail "the installed program misses libraries"
fi
# Only the virtual display and the means to drive and photograph it come after.
in_root "$install_root" bash -c 'DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends xvfb xauth xdotool imagemagick' >>"$out/install.log" 2>&1 ||
    fail "the display tools did not install (log: $out/install.log)"

cat >"$install_root/tmp/shot.sh" <<'EOF'
#!/bin/bash
# The installed program on a virtual display: its window, then Help, then a picture.
set -euo pipefail
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work TMPDIR=$work
chmod 700 "$work"
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/displayfd" \
    >"$work/xvfb.log" 2>&1 &
xvfb=$!
display=""
read -r -t 15 display <"$work/displayfd" || { cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$display"
BMI-Trevala >"$work/program.log" 2>&1 &
app=$!
main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Body Mass Index Calculator' |
    head -n 1) || { echo "no main window"; cat "$work/program.log"; exit 1; }
echo "main window shown"
sleep 1
timeout 10 xdotool windowfocus --sync "$main"
xdotool key alt+h
if viewer=$(timeout 30 xdotool search --sync --onlyvisible --name 'BMI-Trevala Help$' |
    head -n 1); then
    echo "Help opened"
else
    echo "Help did not open"
    cat "$work/program.log"
    exit 1
fi
sleep 2
import -window root /tmp/screenshot.png
viewer_pid=$(xdotool getwindowpid "$viewer" || true)
kill "$app" ${viewer_pid:+"$viewer_pid"} "$xvfb" 2>/dev/null || true
EOF
chmod 755 "$install_root/tmp/shot.sh"
in_root "$install_root" /tmp/shot.sh 2>&1 | tee "$out/screenshot.log" ||
    fail "the installed program did not start or open Help (log: $out/screenshot.log)"
cp "$install_root/tmp/screenshot.png" "$out/screenshot.png"
took "starting the installed program"
say "passed in $((SECONDS - started)) s; the screenshot: $out/screenshot.png"
