#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# The Debian packages that packaging/build-deb.sh made, source and binary: lintian --pedantic
# says nothing of them, the package holds what a player and a packager need, and, as root, its
# own tests (debian/tests) pass on this machine with autopkgtest's null runner, after which it is
# purged and leaves nothing behind.
# Usage: packaging/check-package.sh BUILD_DEB_DIR
set -uo pipefail
deb=$(ls "$1"/skyvane_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "skipped: no package in $1 (packaging/build-deb.sh makes it)"; exit 77; }
command -v lintian >/dev/null || { echo "skipped: lintian is not installed"; exit 77; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

changes=$(ls "$1"/skyvane_*.changes 2>/dev/null | head -n 1)
tags=$(lintian --pedantic --display-info "$changes" 2>&1 | grep -v 'running with root privileges')
[ -z "$tags" ] || { echo "$tags" | sed "s/^/lintian: /"; fail "lintian has something to say"; }

contents=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
for f in ./usr/games/skyvane ./usr/share/games/skyvane/HERI3.wav ./usr/share/games/skyvane/BAKU.wav \
    ./usr/share/man/man6/skyvane.6.gz ./usr/share/doc/skyvane/copyright \
    ./usr/share/doc/skyvane/changelog.gz ./usr/share/applications/org.skyvane.Skyvane.desktop \
    ./usr/share/metainfo/org.skyvane.Skyvane.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/org.skyvane.Skyvane.svg \
    ./usr/share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/org.skyvane.Skyvane.png; do
    grep -qxF "$f" <<<"$contents" || fail "the package lacks $f"
done
version=$(dpkg-deb -f "$deb" Version)
[ "$version" = "$(sed -n 's/^project(Skyvane VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../CMakeLists.txt")" ] ||
    fail "the package's version is $version"
dpkg-deb -f "$deb" Recommends | grep -q fonts-ipafont-gothic || fail "the fonts are not recommended"
if [ "$(id -u)" -eq 0 ] && command -v autopkgtest >/dev/null && [ "$failures" -eq 0 ]; then
    log="$1/autopkgtest.log"
    if autopkgtest "$deb" "$1/skyvane-$version/" -- null >"$log" 2>&1; then
        grep -E '^(ok|[a-z]+ +PASS)' "$log" | sort -u
    else
        tail -n 30 "$log"
        fail "autopkgtest"
    fi
    files=$(dpkg -L skyvane 2>/dev/null)
    apt-get purge -y -qq skyvane >/dev/null 2>&1 || fail "cannot purge"
    left=$(while read -r f; do [ -f "$f" ] && echo "$f"; done <<<"$files")
    [ -z "$left" ] || fail "purging left behind: $left"
fi
[ "$failures" -eq 0 ] && echo "ok: $(basename "$deb"), version $version, lintian says nothing"
[ "$failures" -eq 0 ]
