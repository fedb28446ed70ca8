#!/usr/bin/env bash
# Builds Skyvane where needed and starts it.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
skyvane_install "${SKYVANE_BUILD_PACKAGES[@]}"
skyvane_build
exec ./build/skyvane "$@"
