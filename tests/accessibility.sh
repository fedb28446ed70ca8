#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# The real game as a screen reader reads it and says it, in every language: under Xvfb and a
# window manager, in a D-Bus session of its own with the accessibility bus, tests/read_tree.py
# reads the tree through AT-SPI and hears what Orca says.
# Usage: accessibility.sh SKYVANE SCRIPTED_REPLAYS
set -uo pipefail
exe="$(realpath "$1")"
scripted="$(realpath "$2")"
here="$(cd "$(dirname "$0")" && pwd)"
launcher=/usr/libexec/at-spi-bus-launcher
for tool in Xvfb openbox xdotool dbus-run-session orca "$launcher"; do
    command -v "$tool" >/dev/null || [ -x "$tool" ] || { echo "skipped: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "skipped: python3-pyatspi is not installed"; exit 77; }
# Orca runs once for a user; another one (the player's own) is never replaced.
pgrep -u "$(id -u)" -x orca >/dev/null && { echo "skipped: an Orca of this user is running"; exit 77; }
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
# Orca speaks to nobody: the test sound server belongs to the sound tests, which its speech
# would fill.
export PULSE_SERVER=unix:/nonexistent/skyvane-reader-tests
. "$here/../scripts/desktop.sh"
work="$(mktemp -d)"
trap 'jobs -p | xargs -r kill 2>/dev/null; rm -rf "$work"' EXIT
skyvane_display "$work" 1024x768
status=0
for language in $("$exe" --languages); do
    mkdir -p "$work/$language/home"
    # Orca speaks its own words in English, and keeps its settings in a home of its own; its
    # speech is taken from its log, once it has said that it is on.
    HOME="$work/$language/home" LANG=C.UTF-8 dbus-run-session -- bash -c \
        '"$1" --launch-immediately & /usr/bin/python3 -u "$2" "$3" "$4" "$5" "$6" "$7"' \
        _ "$launcher" "$here/read_tree.py" "$exe" "$language" "$scripted" "$here/replays" "$work/$language" 2>&1 |
        grep --line-buffered -v -e 'Failed to set fd limit' -e 'Activating service' -e 'Successfully activated' \
            -e 'SpiRegistry daemon'
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
done
skyvane_stop_display
exit "$status"
