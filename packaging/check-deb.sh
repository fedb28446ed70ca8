#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Builds the Debian package (packaging/build-deb.sh), installs it with apt-get into a fresh
# Debian 12 root made with debootstrap, starts the installed game there under Xvfb until the title
# screen shows, then purges it and checks that it left nothing behind. The root is removed at
# the end. Needs root (debootstrap, chroot) and the Debian mirror. Not part of test.sh.
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
    for m in dev/pts dev proc sys tmp; do umount "$root/$m" 2>/dev/null || true; done
}
cleanup() {
    unmount
    # Only a root that is ours, with nothing mounted in it any more.
    if ! grep -q " $root/" /proc/mounts; then rm -rf "$root" "$root.log" "$root.files"; fi
}
trap cleanup EXIT
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

# The installed game, started from an empty folder, shows its title screen.
cat >"$root/tmp/start.sh" <<'IN_ROOT'
set -u
exec 3>/tmp/display
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s /tmp/display ] && break; sleep 0.05; done
export DISPLAY=":$(cat /tmp/display)"
mkdir -p /tmp/empty && cd /tmp/empty
# As the launcher starts it, with the PATH a player logs in with.
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/org.skyvane.Skyvane.desktop)
PATH=/usr/local/bin:/usr/bin:/bin:/usr/games QT_QPA_PLATFORM=xcb $exec_line >/tmp/game.log 2>&1 &
game=$!
for _ in $(seq 100); do
    name=$(xdotool search --onlyvisible --class skyvane getwindowname 2>/dev/null | head -n 1)
    [ -n "$name" ] && break
    sleep 0.1
done
kill "$game" "$xvfb" 2>/dev/null
wait "$game" 2>/dev/null
echo "title screen: ${name:-none}"
[ "$name" = "SV（災害救助シュミレーション）" ] || { echo "on display $DISPLAY the game said:"; cat /tmp/game.log; exit 1; }
IN_ROOT
in_root bash /tmp/start.sh
in_root man -w skyvane >/dev/null 2>&1 || in_root test -f /usr/share/man/man6/skyvane.6.gz

# Purged, the game leaves nothing behind: of all it installed, only folders another package
# also owns are still there.
in_root dpkg -L skyvane >"$root.files"
in_root apt-get purge -y -qq --autoremove skyvane >/dev/null
left=""
while read -r f; do
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
