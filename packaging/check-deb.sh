#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get into a fresh Debian 12 root made with
# debootstrap, and starts the installed game there under Xvfb until the title screen shows.
# Needs root (debootstrap, chroot) and the Debian mirror. Not part of test.sh.
# Usage: packaging/check-deb.sh [ROOT_DIR]   (default: build/deb-root, made anew)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
[ "$(id -u)" -eq 0 ] || { echo "check-deb.sh needs root for debootstrap and chroot"; exit 1; }
skyvane_install "${SKYVANE_BUILD_PACKAGES[@]}" debootstrap dpkg-dev
started=$(date +%s)

# The package, from a release build.
SKYVANE_BUILD_TYPE=Release skyvane_configure build-release
skyvane_build build-release skyvane
(cd build-release && cpack -G DEB >/dev/null)
deb=$(ls build-release/skyvane_*.deb)
mkdir -p build
cp "$deb" build/
deb="build/$(basename "$deb")"
echo "package: $deb"
dpkg-deb -f "$deb" Depends

# A fresh Debian 12.
root="$(realpath -m "${1:-build/deb-root}")"
cleanup() {
    for m in dev/pts dev proc sys tmp; do umount "$root/$m" 2>/dev/null || true; done
}
trap cleanup EXIT
cleanup
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

# apt-get works out the package's dependencies from the archive.
cp "$deb" "$root/tmp/"
in_root() { chroot "$root" env DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"; }
in_root apt-get update -qq
in_root apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" xvfb xdotool \
    >/dev/null
in_root dpkg -s skyvane | grep -E '^(Package|Version|Status)'

# The installed game, started from an empty folder, shows its title screen.
cat >"$root/tmp/start.sh" <<'IN_ROOT'
set -u
Xvfb :7 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
mkdir -p /tmp/empty && cd /tmp/empty
DISPLAY=:7 QT_QPA_PLATFORM=xcb skyvane >/tmp/game.log 2>&1 &
game=$!
for _ in $(seq 100); do
    name=$(DISPLAY=:7 xdotool search --onlyvisible --class skyvane getwindowname 2>/dev/null | head -n 1)
    [ -n "$name" ] && break
    sleep 0.1
done
kill "$game" "$xvfb" 2>/dev/null
wait "$game" 2>/dev/null
echo "title screen: ${name:-none}"
[ "$name" = "SV（災害救助シュミレーション）" ]
IN_ROOT
in_root bash /tmp/start.sh
echo "checked in $(($(date +%s) - started)) s"
