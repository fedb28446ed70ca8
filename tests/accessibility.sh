#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# The real game as a screen reader reads it, in both languages: under Xvfb and a window manager,
# in a D-Bus session of its own with the accessibility bus, tests/read_tree.py reads the tree
# through AT-SPI and listens for the message line's announcements.
# Usage: accessibility.sh SKYVANE SCRIPTED_REPLAYS
set -uo pipefail
exe="$(realpath "$1")"
replays="$(realpath "$2")"
here="$(cd "$(dirname "$0")" && pwd)"
launcher=/usr/libexec/at-spi-bus-launcher
for tool in Xvfb openbox xdotool dbus-run-session "$launcher"; do
    command -v "$tool" >/dev/null || [ -x "$tool" ] || { echo "skipped: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "skipped: python3-pyatspi is not installed"; exit 77; }
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
. "$here/../scripts/desktop.sh"
work="$(mktemp -d)"
trap 'jobs -p | xargs -r kill 2>/dev/null; rm -rf "$work"' EXIT
skyvane_display "$work" 1024x768
status=0
for language in ja en; do
    dbus-run-session -- bash -c '"$1" --launch-immediately & sleep 1; /usr/bin/python3 "$2" "$3" "$4" "$5"' \
        _ "$launcher" "$here/read_tree.py" "$exe" "$language" "$replays" 2>&1 |
        grep -v -e 'Failed to set fd limit' -e 'Activating service' -e 'Successfully activated' -e 'SpiRegistry daemon'
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
done
skyvane_stop_display
exit "$status"
