#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Installs what building and running Skyvane needs, where it is missing, and configures and
# builds it. Sourced by play.sh, test.sh and bench.sh.
set -euo pipefail

SKYVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

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

# To build and play.
SKYVANE_BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev
    libgl-dev libsdl2-mixer-dev fonts-ipafont-gothic fonts-ipafont-mincho)
# To test: GoogleTest, clang with its sanitizers and libFuzzer, the linters, the desktop the
# real program is driven on (XTEST for the pilot that flies it), a sound server, the checkers
# of the launcher files, the Debian package and the translations, and a screen reader with what
# it needs (a D-Bus session, the accessibility bus, Orca, pyatspi).
SKYVANE_TEST_PACKAGES=(libgtest-dev clang libclang-rt-14-dev llvm clang-format clang-tidy
    libx11-dev libxtst-dev xvfb openbox xdotool wmctrl x11-utils imagemagick pulseaudio
    pulseaudio-utils desktop-file-utils appstream lintian dpkg-dev gettext dbus-daemon
    at-spi2-core python3-pyatspi orca eslint)

# To build the page (./play.sh --web): emscripten with its acorn, and what makes the page's
# pictures, fonts and its server (ImageMagick, fontTools with brotli, node).
SKYVANE_WEB_PACKAGES=(emscripten node-acorn nodejs cmake ninja-build imagemagick fonttools
    python3-brotli fonts-ipafont-gothic fonts-ipafont-mincho)
# To test it: Debian's Chromium, which puppeteer-core drives (npm, which installs it, comes
# with node; where it does not, test.sh installs Debian's).
SKYVANE_WEB_TEST_PACKAGES=(chromium)

# Configures a build folder; CMake's own words are shown only when it fails.
skyvane_configure() {  # FOLDER [CMAKE ARGS...]
    local dir="$1"
    shift
    local log
    log="$(mktemp)"
    if ! cmake -S "$SKYVANE_ROOT" -B "$SKYVANE_ROOT/$dir" -G Ninja \
        -DCMAKE_BUILD_TYPE="${SKYVANE_BUILD_TYPE:-RelWithDebInfo}" "$@" >"$log" 2>&1; then
        cat "$log"
        rm -f "$log"
        echo "Configuring $dir failed."
        return 1
    fi
    rm -f "$log"
}

# The page, built with emscripten into build-web/site. Emscripten's scripts find acorn through
# NODE_PATH.
skyvane_build_web() {
    export NODE_PATH=/usr/share/nodejs
    local log
    log="$(mktemp)"
    if ! emcmake cmake -S "$SKYVANE_ROOT" -B "$SKYVANE_ROOT/build-web" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release >"$log" 2>&1; then
        cat "$log"
        rm -f "$log"
        echo "Configuring build-web failed."
        return 1
    fi
    rm -f "$log"
    cmake --build "$SKYVANE_ROOT/build-web"
}

skyvane_build() {  # FOLDER [TARGETS...]
    local dir="$1"
    shift
    local targets=()
    for t in "$@"; do targets+=(--target "$t"); done
    cmake --build "$SKYVANE_ROOT/$dir" "${targets[@]}"
}
