#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Builds the Debian source package and the binary package from it into build-deb/, as Debian
# would: a clean export of the tree (the files git knows, and new ones it does not ignore), then
# dpkg-buildpackage -us -uc there, offline. Prints the binary package's path.
# Usage: packaging/build-deb.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
skyvane_install dpkg-dev debhelper cmake ninja-build pkgconf qt6-base-dev libsdl2-dev libsdl2-mixer-dev
out="$SKYVANE_ROOT/build-deb"
rm -rf "$out"
mkdir -p "$out/skyvane-1.0"
git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
    tar --null -T - -cf - | tar -xf - -C "$out/skyvane-1.0"
(cd "$out/skyvane-1.0" && dpkg-buildpackage -us -uc >"$out/build.log" 2>&1) ||
    { tail -n 30 "$out/build.log"; exit 1; }
ls "$out"/skyvane_*.deb
