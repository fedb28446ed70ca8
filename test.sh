#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Builds Skyvane and runs every test: the logic in simulated time, the Qt adapter offscreen,
# real sound on a private PulseAudio server, the real program under Xvfb, the same suites
# under AddressSanitizer and UndefinedBehaviorSanitizer, that both builds draw one seed's
# random replays alike, the fuzzers for a minute, and the linters. Arguments go to the first ctest run (for example -R Mission).
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
skyvane_install "${SKYVANE_BUILD_PACKAGES[@]}" "${SKYVANE_TEST_PACKAGES[@]}"

# The build CI asks for: warnings are errors.
skyvane_configure build -DSKYVANE_WERROR=ON
skyvane_build build all tools
# clang with ASan, UBSan and libFuzzer.
CC=clang CXX=clang++ skyvane_configure build-san -DSKYVANE_WERROR=ON -DSKYVANE_SANITIZE=ON \
    -DSKYVANE_FUZZ=ON
skyvane_build build-san
# The Debian package, which a test holds to lintian.
packaging/build-deb.sh >/dev/null
# The page, built with emscripten, and the browser tests' own packages (no browser download:
# they drive Debian's Chromium).
skyvane_install "${SKYVANE_WEB_PACKAGES[@]}" "${SKYVANE_WEB_TEST_PACKAGES[@]}"
command -v npm >/dev/null || skyvane_install npm
skyvane_build_web
(cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund >/dev/null)

# A private sound server with a null sink, whose monitor the sound tests record.
. scripts/desktop.sh
scratch="$(mktemp -d)"
cleanup() {
    [ -n "${SKYVANE_PULSE_PID:-}" ] && kill "$SKYVANE_PULSE_PID" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
export HOME="${HOME:-/root}"
skyvane_sound_server "$scratch" skyvane_test
export SKYVANE_TEST_SINK=skyvane_test
export QT_QPA_PLATFORM=offscreen

# Most tests wait on real time rather than the processor: four at a time. A suite that fails
# does not stop the others: every suite and fuzzer runs, and the failures are told at the end.
failed=()
echo "== Tests"
(cd build && ctest --output-on-failure -j4 "$@") || failed+=("the tests in build/")

# The same again under the sanitizers, but the checks of the sources and launcher files (the
# same files), the page (which the first run tests), and the hostile environment, the smoke
# test, the installed game, the storm of real keys and the screen reader's tree (the same
# program the round trips drive, for much longer; the last through D-Bus and AT-SPI's own
# libraries, whose leaks are not the game's).
echo "== Tests under ASan and UBSan"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$SKYVANE_ROOT/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-san && ctest --output-on-failure -j4 -LE 'lint|web|package' \
    -E 'hostile_environment|smoke_under_xvfb|installed_game_plays|key_storm|accessibility') ||
    failed+=("the tests under ASan and UBSan in build-san/")

echo "== One seed, one set of replay files from either build"
# A failing test prints its seed for a developer to draw the same files again, in either build.
seed=$((RANDOM * 32768 + RANDOM))
mkdir "$scratch/gcc" "$scratch/clang"
build/fuzz/make_replays "$seed" 300 "$scratch/gcc"
build-san/fuzz/make_replays "$seed" 300 "$scratch/clang"
diff -r -q "$scratch/gcc" "$scratch/clang" >/dev/null ||
    failed+=("the random replays of seed $seed, which differ between build/ and build-san/")

echo "== Fuzzing for a minute"
for target in fuzz_game fuzz_replay; do
    mkdir -p "$scratch/$target"
    build-san/fuzz/$target -max_total_time=60 -print_final_stats=1 \
        -artifact_prefix="$scratch/$target-" "$scratch/$target" \
        $(if [ $target = fuzz_game ]; then echo build-san/fuzz/seeds; else echo tests/replays build-san/fuzz/scripted-replays; fi) >"$scratch/$target.log" 2>&1 &
    eval "${target}_pid=$!"
done
for target in fuzz_game fuzz_replay; do
    pid_var="${target}_pid"
    if ! wait "${!pid_var}"; then
        failed+=("$target")
        echo "$target found a fault:"
        tail -n 40 "$scratch/$target.log"
        ls "$scratch/$target-"* 2>/dev/null || true
    fi
    grep -E 'stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' \
        "$scratch/$target.log" | sed "s/^/$target /"
done
if [ "${#failed[@]}" -gt 0 ]; then
    echo "FAILED: $(printf '%s; ' "${failed[@]}")see above."
    exit 1
fi
echo "All tests passed."
