#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Builds what playing Skyvane needs, where needed, and starts it. Arguments go to the game.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
skyvane_install "${SKYVANE_BUILD_PACKAGES[@]}"
skyvane_configure build
skyvane_build build skyvane
exec ./build/skyvane "$@"
