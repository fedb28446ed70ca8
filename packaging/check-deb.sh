#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Builds the Debian package (packaging/build-deb.sh), installs it with apt-get into a fresh
# Debian 12 root made with debootstrap, starts the installed game there under Xvfb until the title
# screen shows, then purges it and checks that it left nothing behind. The root is removed at
# the end, and whatever was mounted in it is unmounted on every exit, signals included. Needs
# root (debootstrap, chroot) and the Debian mirror; test.sh runs the package's own tests on the
# host instead (autopkgtest), which is quicker.
# Usage: packaging/check-deb.sh [ROOT_DIR]   (default: a new folder under /tmp)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
[ "$(id -u)" -eq 0 ] || { echo "check-deb.sh needs root for debootstrap and chroot"; exit 1; }
skyvane_install "${SKYVANE_BUILD_PACKAGES[@]}" debootstrap dpkg-dev
started=$(date +%s)

deb=$(packaging/build-deb.sh | tail -n 1)
echo "package: $deb"
dpkg-deb -f "$deb" Depends Recommends

# A fresh Debian 12, removed when the check ends.
root="$(realpath -m "${1:-$(mktemp -d /tmp/skyvane-deb-root.XXXXXX)}")"
unmount() {
    # Whatever still runs in the root holds its mounts: it goes first.
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && kill -9 "${p#/proc/}" 2>/dev/null
    done
    for m in tmp sys proc dev/pts dev; do
        mountpoint -q "$root/$m" 2>/dev/null && { umount "$root/$m" || umount -l "$root/$m"; }
    done
    return 0
}
cleanup() {
    unmount
    # Only a root that is ours, with nothing mounted in it any more.
    if ! grep -q " $root/" /proc/mounts; then rm -rf "$root" "$root.log" "$root.files"; fi
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
unmount
rm -rf "$root"
# The mirror this machine's apt uses, from its sources (one-line or deb822 form).
mirror=$(grep -hE '^(deb |URIs:)' /etc/apt/sources.list /etc/apt/sources.list.d/* 2>/dev/null |
    grep -oE 'https?://[^ ]+/debian/?( |$)' | grep -v security | head -n 1 | tr -d ' ' || true)
debootstrap --variant=minbase bookworm "$root" "${mirror:-http://deb.debian.org/debian}" >"$root.log" 2>&1 ||
    { tail -n 20 "$root.log"; exit 1; }
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount -t tmpfs tmp "$root/tmp"
cp /etc/resolv.conf "$root/etc/resolv.conf"

# apt-get works out the package's dependencies from the archive; the recommended fonts come too.
cp "$deb" "$root/tmp/"
in_root() { chroot "$root" env DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"; }
in_root apt-get update -qq
in_root apt-get install -y -qq xvfb xdotool >/dev/null
in_root apt-get install -y -qq "/tmp/$(basename "$deb")" >/dev/null
in_root dpkg -s skyvane | grep -E '^(Package|Version|Status)'

# Every Exec line of the launcher, actions included, shows the game's first window there.
in_root apt-get install -y -qq xauth >/dev/null
cp debian/tests/launcher "$root/tmp/launcher"
in_root sh /tmp/launcher
in_root man -w skyvane >/dev/null 2>&1 || in_root test -f /usr/share/man/man6/skyvane.6.gz

# Purged, the game leaves nothing behind: of all it installed, only folders another package
# also owns are still there.
in_root dpkg -L skyvane >"$root.files"
in_root apt-get purge -y -qq --autoremove skyvane >/dev/null
left=""
while read -r f; do
    [ "$f" = "/." ] && continue  # dpkg lists the root itself
    [ -e "$root$f" ] || continue
    [ -d "$root$f" ] && in_root dpkg -S "$f" >/dev/null 2>&1 && continue
    left+="$f"$'\n'
done <"$root.files"
rm -f "$root.files"
if [ -n "$left" ]; then
    echo "purging left behind:"
    echo "$left"
    exit 1
fi
echo "purged: nothing left behind"
echo "checked in $(($(date +%s) - started)) s"
