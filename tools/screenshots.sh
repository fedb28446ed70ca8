#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Takes the README's screenshots from the real program under Xvfb with a window manager: the
# title screen, the mission in flight and the closing screen, each window with its frame. The
# flight and the closing screen come from the scripted winning run the build writes.
# Usage: tools/screenshots.sh [OUTPUT_DIR]   (default: docs/screenshots)
# SKYVANE_LANGUAGE=en takes them in English, into title-en.png, mission-en.png, closing-en.png.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
skyvane_install "${SKYVANE_BUILD_PACKAGES[@]}" xvfb openbox xdotool x11-utils imagemagick
skyvane_configure build
skyvane_build build skyvane
out="$(realpath -m "${1:-docs/screenshots}")"
mkdir -p "$out"

. scripts/desktop.sh
work="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; skyvane_stop_display; rm -rf "$work"' EXIT
skyvane_display "$work" 1024x768
export QT_QPA_PLATFORM=xcb PULSE_SERVER=unix:/nonexistent
window_named() { skyvane_window "$1" 10000; }
# The window with its frame: the frame is the window manager's parent of the client.
shoot() {  # WINDOW FILE
    local frame
    frame=$(xwininfo -children -id "$1" | awk '/Parent window id/ { print $4 }')
    import -window "${frame:-$1}" "$2"
    echo "$2: $(identify -format '%wx%h' "$2")"
}

language="${SKYVANE_LANGUAGE:-ja}"
suffix=$([ "$language" = ja ] || printf -- "-%s" "$language")
titled=$([ "$language" = ja ] && echo "SV（" || echo "SV (")
piloted=$([ "$language" = ja ] && echo "パイロット" || echo "Pilot")

# The title, with the prologue partly scrolled in.
(cd "$work" && exec "$SKYVANE_ROOT/build/skyvane" --language "$language") >/dev/null 2>&1 &
pids+=($!)
title=$(window_named "$titled")
sleep 1.7  # the title in its blue phase, the prologue coming in
shoot "$title" "$out/title$suffix.png"
kill "${pids[-1]}"

# The winning run: in flight after a few seconds, then the closing screen at its end.
(cd "$work" && exec "$SKYVANE_ROOT/build/skyvane" --language "$language" \
    --replay "$SKYVANE_ROOT/build/fuzz/scripted-replays/five-trips-and-the-win.replay") >/dev/null 2>&1 &
pids+=($!)
mission=$(window_named "$piloted")
sleep 3.2
shoot "$mission" "$out/mission$suffix.png"
closing=$(for _ in $(seq 80); do
    w=$(xdotool search --onlyvisible --class skyvane 2>/dev/null | while read -r w; do
        [ "$(xdotool getwindowname "$w")" = "SV" ] && echo "$w"; done | head -n 1)
    [ -n "$w" ] && echo "$w" && break
    sleep 0.5
done)
sleep 0.5
shoot "$closing" "$out/closing$suffix.png"
