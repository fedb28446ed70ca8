#!/usr/bin/env bash
# Installs what building and running Skyvane needs, where it is missing, then configures and
# builds into build/. Sourced by play.sh and test.sh.
set -euo pipefail

skyvane_install() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

SKYVANE_BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev
    libgl-dev libsdl2-mixer-dev fonts-ipafont-gothic fonts-ipafont-mincho)

skyvane_build() {
    local root
    root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE="${SKYVANE_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
    cmake --build "$root/build"
}
