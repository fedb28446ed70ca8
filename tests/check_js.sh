#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# The page's JavaScript, its server and its tests pass Debian's eslint with its recommended
# rules (tests/eslintrc.json), as the C++ passes clang-tidy.
# Usage: check_js.sh SOURCE_DIR
set -uo pipefail
root="$(realpath "$1")"
command -v eslint >/dev/null || { echo "skipped: eslint is not installed"; exit 77; }
cd "$root"
# Debian's eslint finds its modules through NODE_PATH; the unix formatter needs nothing more.
NODE_PATH=/usr/share/nodejs eslint --no-eslintrc -c tests/eslintrc.json -f unix \
    platform/web/page/page.js platform/web/make_sw.js platform/web/serve.js tests/web/*.js \
    bench/web_bench.js tools/web_screenshots.js
