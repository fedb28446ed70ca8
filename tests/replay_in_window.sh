#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Replays in the game's own windows under Xvfb end where their headless replays end. The
# recorded runs with a box
# opened inside a replayed period pin a bug: the grid stopped behind such a box and the replay
# waited for ever.
# Usage: replay_in_window.sh SKYVANE REPLAYS_DIR...
set -uo pipefail
exe="$(realpath "$1")"
shift
replay_dirs=()
for d in "$@"; do replay_dirs+=("$(realpath "$d")"); done
command -v Xvfb >/dev/null || { echo "skipped: Xvfb is not installed"; exit 77; }

. "$(dirname "$0")/../scripts/desktop.sh"
work="$(mktemp -d)"
trap 'skyvane_stop_display; rm -rf "$work"' EXIT
skyvane_display "$work" 1024x768 nowm
export QT_QPA_PLATFORM=xcb
export SDL_AUDIODRIVER=dummy  # the test sound server's sink belongs to the sound tests
failures=0

# One window replay beside the other: each keeps its own time.
play() {  # FILE OUT
    local file="$1" last
    last=$(grep -v '^#' "$file" | tail -n 1 | cut -d' ' -f1)
    # A run that ends by itself closes the windows; one that stops where it was recorded stays
    # on the screen until the player closes it, here a SIGTERM after its last period.
    if grep -v '^#' "$file" | tail -n 1 | grep -q ' end$'; then
        (cd "$work" && timeout $((last / 64 + 10)) "$exe" --replay "$file") >"$2" 2>"$2.err"
    else
        (cd "$work" && timeout -s TERM $((last / 64 + 2)) "$exe" --replay "$file") >"$2" 2>"$2.err"
    fi
}
files=()
players=()
for dir in "${replay_dirs[@]}"; do
    for file in "$dir"/*.replay; do
        last=$(grep -v '^#' "$file" | tail -n 1 | cut -d' ' -f1)
        [ "$last" -le 1000 ] || continue  # the long ones are played headless only
        files+=("$file")
        play "$file" "$work/${#files[@]}.out" &
        players+=($!)
    done
done
wait "${players[@]}"
for i in "${!files[@]}"; do
    file="${files[$i]}"
    expected=$(sed -n 's/^# expect: //p' "$file")
    got=$(cat "$work/$((i + 1)).out")
    if [ "$got" = "$expected" ]; then
        echo "ok: $(basename "$file") in the windows: $got"
    else
        echo "FAIL: $(basename "$file") in the windows printed '$got', not '$expected'"
        cat "$work/$((i + 1)).out.err"
        failures=$((failures + 1))
    fi
done

[ "$failures" -eq 0 ]
