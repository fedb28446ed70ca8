#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# A day of game time on the headless desktop (5.5 million periods, or the number given), with
# every rule of the fuzzer checked and the resident memory sampled; fails if memory grows by more
# than a megabyte. Not part of test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
skyvane_install "${SKYVANE_BUILD_PACKAGES[@]}"
skyvane_configure build
skyvane_build build soak
exec ./build/fuzz/soak "$@"
