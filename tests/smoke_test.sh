#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# The real program under Xvfb and a window manager, driven with the keyboard: it starts on the
# title screen, joining opens the mission screen with the pilot's name in its caption, and
# closing that window during a flight ends the program with status 0 and no sound playing.
set -uo pipefail
exe="$1"
for tool in Xvfb openbox xdotool wmctrl; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

. "$(dirname "$0")/../scripts/desktop.sh"
work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    skyvane_stop_display
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

skyvane_display "$work" 1024x768

# The sound test server, when test.sh runs one, shows whether the rotor plays.
streams() { pactl list short sink-inputs 2>/dev/null | wc -l; }

QT_QPA_PLATFORM=xcb "$exe" >"$work/out" 2>&1 &
game=$!
pids+=($game)

title=$(skyvane_window "SV（災害救助シュミレーション）" 10000) || fail "no title screen"
xdotool windowactivate --sync "$title" 2>/dev/null || xdotool windowfocus --sync "$title"
sleep 0.5
# Focus starts on the join button; the name box is two tabs on.
xdotool key --clearmodifiers Tab Tab
xdotool type --delay 30 "Smoke"
xdotool key --clearmodifiers shift+Tab shift+Tab
sleep 0.2
xdotool key --clearmodifiers Return

mission=$(skyvane_window "パイロット" 10000) || fail "joining opened no mission screen"
name=$(xdotool getwindowname "$mission")
[ "$name" = "ＳＶ  パイロット　Smoke" ] || fail "mission caption is '$name'"
echo "mission screen: $name"

xdotool windowactivate --sync "$mission" 2>/dev/null || true
sleep 0.3
xdotool key --clearmodifiers Return  # GO has the focus
sleep 1
if [ -n "${PULSE_SERVER:-}" ]; then
    [ "$(streams)" -ge 1 ] || fail "no rotor sound in flight"
fi

wmctrl -i -c "$mission"
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game" 2>/dev/null && fail "still running after the mission window was closed"
wait "$game"
status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
if [ -n "${PULSE_SERVER:-}" ]; then
    [ "$(streams)" -eq 0 ] || fail "a sound is still playing"
fi
[ -s "$work/out" ] && { echo "the program printed:"; cat "$work/out"; }
echo "ok: title, join, caption, flight, close, exit status 0"
