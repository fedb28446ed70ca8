#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# The Debian package that packaging/build-deb.sh made: lintian finds no error and no warning
# (--pedantic shows the rest), and the package holds what a player and a packager need.
# Usage: packaging/check-package.sh BUILD_DEB_DIR
set -uo pipefail
deb=$(ls "$1"/skyvane_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "skipped: no package in $1 (packaging/build-deb.sh makes it)"; exit 77; }
command -v lintian >/dev/null || { echo "skipped: lintian is not installed"; exit 77; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

tags=$(lintian --pedantic --display-info "$deb" 2>&1 | grep -v 'running with root privileges')
[ -n "$tags" ] && echo "$tags" | sed "s/^/lintian: /"
echo "$tags" | grep -qE '^[EW]: ' && fail "lintian reports errors or warnings"

contents=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
for f in ./usr/games/skyvane ./usr/share/games/skyvane/HERI3.wav ./usr/share/games/skyvane/BAKU.wav \
    ./usr/share/man/man6/skyvane.6.gz ./usr/share/doc/skyvane/copyright \
    ./usr/share/doc/skyvane/changelog.Debian.gz ./usr/share/applications/org.skyvane.Skyvane.desktop \
    ./usr/share/metainfo/org.skyvane.Skyvane.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/org.skyvane.Skyvane.svg \
    ./usr/share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/org.skyvane.Skyvane.png; do
    grep -qxF "$f" <<<"$contents" || fail "the package lacks $f"
done
version=$(dpkg-deb -f "$deb" Version)
[ "$version" = "$(sed -n 's/^project(Skyvane VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../CMakeLists.txt")-1" ] ||
    fail "the package's version is $version"
dpkg-deb -f "$deb" Recommends | grep -q fonts-ipafont-gothic || fail "the fonts are not recommended"
[ "$failures" -eq 0 ] && echo "ok: $(basename "$deb"), version $version, lintian-clean"
[ "$failures" -eq 0 ]
