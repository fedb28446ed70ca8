#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Runs the browser tests on the page build-web/site holds, judged by the native program.
# Usage: tests/web/run.sh NATIVE_SKYVANE SCRIPTED_REPLAYS
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
[ -f "$root/build-web/site/skyvane.wasm" ] || { echo "skipped: no page in build-web (./play.sh --web builds it)"; exit 77; }
[ -d "$here/node_modules/puppeteer-core" ] || { echo "skipped: no puppeteer-core (npm ci in tests/web)"; exit 77; }
command -v chromium >/dev/null || { echo "skipped: chromium is not installed"; exit 77; }
# The browser's sound goes nowhere: the test sound server's sink belongs to the sound tests, and
# the tests read what Web Audio was asked to do, not what a device played.
export PULSE_SERVER=unix:/nonexistent/skyvane-web-tests
SKYVANE_SITE="$root/build-web/site" SKYVANE_NATIVE="$1" SKYVANE_SCRIPTED_REPLAYS="$2" \
    SKYVANE_CHROMIUM="$(command -v chromium)" node --test "$here"/*_test.js
