#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Installs the game into an empty prefix, checks what a desktop expects to find there, that
# uninstall takes all of it away again, and plays
# the installed game from an empty working directory under Xvfb: after GO the rotor, found in
# the installed data, loops on the test sound server.
# Usage: install_test.sh BUILD_DIR LISTEN
set -uo pipefail
build="$(realpath "$1")"
listen="$(realpath "$2")"
for tool in Xvfb xdotool desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
. "$(dirname "$0")/../scripts/desktop.sh"
work="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done; skyvane_stop_display; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null || fail "cmake --install"
for f in bin/skyvane share/skyvane/HERI3.wav share/skyvane/BAKU.wav \
    share/applications/org.skyvane.Skyvane.desktop share/metainfo/org.skyvane.Skyvane.metainfo.xml \
    share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/org.skyvane.Skyvane.png \
    share/icons/hicolor/scalable/apps/org.skyvane.Skyvane.svg share/man/man6/skyvane.6.gz \
    share/doc/skyvane/copyright; do
    [ -e "$work/prefix/$f" ] || fail "$f is not installed"
done
desktop-file-validate "$work/prefix/share/applications/org.skyvane.Skyvane.desktop" ||
    fail "the launcher entry"
appstreamcli validate "$work/prefix/share/metainfo/org.skyvane.Skyvane.metainfo.xml" >/dev/null ||
    fail "the AppStream metadata"
echo "ok: installed, the launcher entry and the AppStream metadata valid"

# Uninstalling leaves the prefix as it was: empty.
cp -a "$work/prefix" "$work/installed"
cmake --build "$build" --target uninstall >/dev/null || fail "the uninstall target"
left=$(find "$work/prefix" -mindepth 1)
[ -z "$left" ] || fail "uninstall left: $left"
rm -rf "$work/prefix"
mv "$work/installed" "$work/prefix"
echo "ok: uninstall removes every file and folder it put there"

[ -n "${SKYVANE_TEST_SINK:-}" ] || { echo "skipped: no test sound server; test.sh starts one"; exit 77; }
skyvane_display "$work" 1024x768 nowm
export QT_QPA_PLATFORM=xcb
mkdir "$work/empty"
(cd "$work/empty" && exec "$work/prefix/bin/skyvane") >"$work/out" 2>&1 &
game=$!
pids+=("$game")
title=$(skyvane_window "SV" 5000) || fail "the installed game shows no title screen"
xdotool windowfocus --sync "$title"
xdotool key --clearmodifiers Return  # join, as 名無し
mission=$(skyvane_window "パイロット" 10000) || fail "Return at the title showed no mission screen"
xdotool windowfocus --sync "$mission"
xdotool key --clearmodifiers Return  # GO
xdotool keydown shift  # and up, or it falls and the explosion ends the rotor
loudness() { "$listen" "$SKYVANE_TEST_SINK" "$1" | sed 's/loud=\([0-9.]*\).*/\1/'; }
# Whenever the rotor starts on a busy machine, it loops while the helicopter climbs: two seconds
# after it is first heard it is still heard. (A missing file's default sound would loop too: the
# files' places are checked above.)
for _ in $(seq 40); do
    awk -v l="$(loudness 0.5)" 'BEGIN { exit !(l > 0) }' && break
done
loud=$(loudness 2)
xdotool keyup shift
kill -TERM "$game"
wait "$game" 2>/dev/null
awk -v l="$loud" 'BEGIN { exit !(l > 0.6) }' || fail "no rotor after GO (loud $loud)"
echo "ok: the installed game, started from an empty folder, loops the rotor after GO (loud $loud)"
