#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Builds the Debian package into build-deb/: a release build with the flags Debian builds its
# packages with (dpkg-buildflags, hardening=+all), laid out as Debian lays out a game
# (/usr/games, /usr/share/games), packed by cpack. Prints the package's path.
# Usage: packaging/build-deb.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
skyvane_install "${SKYVANE_BUILD_PACKAGES[@]}" dpkg-dev
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
SKYVANE_BUILD_TYPE=Release skyvane_configure build-deb -DSKYVANE_DEBIAN=ON -DSKYVANE_HARDEN=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_FLAGS_RELEASE="$CPPFLAGS $CXXFLAGS" \
    -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" -DCMAKE_SKIP_RPATH=ON
skyvane_build build-deb skyvane documents >/dev/null
(cd build-deb && rm -f skyvane_*.deb && cpack -G DEB >/dev/null)
ls "$SKYVANE_ROOT"/build-deb/skyvane_*.deb
