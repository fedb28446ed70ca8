#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Builds what playing Skyvane needs, where needed, and starts it. Arguments go to the game.
# With --web it builds the page instead (build-web/site) and serves it on
# http://localhost:8000/ (another port: ./play.sh --web 8080).
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
if [ "${1:-}" = "--web" ]; then
    skyvane_install "${SKYVANE_WEB_PACKAGES[@]}"
    skyvane_build_web
    exec node platform/web/serve.js build-web/site "${2:-8000}"
fi
skyvane_install "${SKYVANE_BUILD_PACKAGES[@]}"
skyvane_configure build
skyvane_build build skyvane
exec ./build/skyvane "$@"
