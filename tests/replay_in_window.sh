#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Replays watched in the game's own windows under Xvfb end where their headless replays end,
# with the same trace: the recorded runs, the scripted ones, and random files drawn afresh each
# run (SKYVANE_SEED=N draws the same again). Each is watched at the fastest pace; the program
# says its end line the moment the replay ends, and keeps the last frame until the player
# closes it: here, once the line is there, a SIGTERM.
# Usage: replay_in_window.sh SKYVANE MAKE_REPLAYS REPLAYS_DIR...
set -uo pipefail
exe="$(realpath "$1")"
make_replays="$(realpath "$2")"
shift 2
replay_dirs=()
for d in "$@"; do replay_dirs+=("$(realpath "$d")"); done
command -v Xvfb >/dev/null || { echo "skipped: Xvfb is not installed"; exit 77; }

. "$(dirname "$0")/../scripts/desktop.sh"
work="$(mktemp -d)"
trap 'jobs -p | xargs -r kill 2>/dev/null; skyvane_stop_display; rm -rf "$work"' EXIT
skyvane_display "$work" 1024x768 nowm
export QT_QPA_PLATFORM=xcb
export SDL_AUDIODRIVER=dummy  # the test sound server's sink belongs to the sound tests
seed="${SKYVANE_SEED:-$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}"
mkdir -p "$work/random"
"$make_replays" "$seed" 40 "$work/random"

# Watches one file in the windows and headless: FILE N. Waits for the end line as long as the
# windows go on playing, however slowly a loaded machine plays them.
play() {
    local file="$1" out="$work/$2" periods game
    "$exe" --replay "$file" --headless --trace "$out.headless.trace" >"$out.headless" 2>>"$out.err"
    periods=$(sed -n 's/.* period=\([0-9]*\).*/\1/p' "$out.headless")
    (cd "$work" && SKYVANE_TRACE_PACE=1 exec "$exe" --replay "$file" --speed 64 \
        --trace "$out.window.trace") >"$out.window" 2>"$out.err" &
    game=$!
    skyvane_wait_end_line "$game" "$out.window" "$out.err" "${periods:-0}" >>"$out.why"
    kill -TERM "$game" 2>/dev/null
    wait "$game" 2>/dev/null
}

files=()
for dir in "${replay_dirs[@]}" "$work/random"; do
    for file in "$dir"/*.replay; do files+=("$file"); done
done
# Four at a time; Xvfb is a job of this shell too, so each is waited for by its own pid.
players=()
for i in "${!files[@]}"; do
    play "${files[$i]}" "$i" &
    players+=($!)
    [ "${#players[@]}" -ge 4 ] && wait "${players[-4]}"
done
wait "${players[@]}"

failures=0
for i in "${!files[@]}"; do
    file="${files[$i]}"
    name="$(basename "$file")"
    window=$(head -n 1 "$work/$i.window")
    headless=$(cat "$work/$i.headless")
    expected=$(sed -n 's/^# expect: //p' "$file")
    if [ "$window" != "$headless" ] || { [ -n "$expected" ] && [ "$window" != "$expected" ]; }; then
        echo "FAIL: $name in the windows printed '$window', headless '$headless'${expected:+, its expect line '$expected'}"
        cat "$work/$i.why" 2>/dev/null
        grep -av '^skyvane: tick ' "$work/$i.err"
        failures=$((failures + 1))
    elif ! cmp -s "$work/$i.window.trace" "$work/$i.headless.trace"; then
        echo "FAIL: $name: the traces part at $(cmp "$work/$i.window.trace" "$work/$i.headless.trace" 2>&1 | head -n 1)"
        failures=$((failures + 1))
    else
        echo "ok: $name in the windows: $window, $(wc -l <"$work/$i.window.trace") trace lines as headless"
    fi
done
[ "$failures" -eq 0 ] || echo "$failures of ${#files[@]} failed; the random files were drawn with SKYVANE_SEED=$seed"
[ "$failures" -eq 0 ]
