#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Every key the fingers make reaches the game once, through every element. The real program,
# under Xvfb and a window manager, takes a storm of real key presses from XTEST (xdotool): the
# keys the game names, letters, Tab, Return and Space, held for random times and several at
# once, with the focus moved by Tab and by clicks on the name box, the buttons and anywhere in
# the windows, over the title screen, the mission screen and its message boxes. Its recording
# must pair every key (tests/keys_pair.awk): no second down without an up, no up without its
# down, no repeat of a key that is up or was not pressed last, nothing held once every key is
# let go; and it must replay headless to the run's own trace. The storms run on an idle
# machine, then beside two busy loops. The storm is drawn from a seed, printed on a failure
# (SKYVANE_SEED=N draws the same again).
# Usage: key_storm.sh SKYVANE
set -uo pipefail
exe="$(realpath "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
export QT_QPA_PLATFORM=xcb
export SDL_AUDIODRIVER=dummy  # the test sound server's sink belongs to the sound tests
for tool in Xvfb openbox xdotool; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
. "$here/../scripts/desktop.sh"
work="$(mktemp -d)"
busy=()
trap 'kill "${busy[@]}" 2>/dev/null; jobs -p | xargs -r kill 2>/dev/null; rm -rf "$work"' EXIT
seed="${SKYVANE_SEED:-$(od -An -N2 -tu2 /dev/urandom | tr -d ' ')}"
RANDOM=$seed
failures=0

# What a click may aim at, in pixels of the client area: the name box and the buttons of each
# screen, found by a word of its title.
targets_of() {  # TITLE
    case "$1" in
        *"SV（"*) echo "228,97 128,124 272,124 200,40" ;;   # Text1, join, go home, the frame
        *"パイロット"*) echo "308,372 472,372 100,200 450,230" ;;  # GO/BACK, close, the views
        *) echo "152,180 100,100" ;;
    esac
}

keys=(shift Left Right Up Down Return space Tab a k z)
# One storm: presses, holds, releases, taps and clicks, for SECONDS, on the active window.
storm() {  # SECONDS
    local until=$(($(date +%s) + $1)) held=() key window
    while [ "$(date +%s)" -lt "$until" ] && kill -0 "$game" 2>/dev/null; do
        window=$(xdotool getactivewindow 2>/dev/null) || window=""
        case $((RANDOM % 12)) in
            0 | 1 | 2 | 3)
                key=${keys[RANDOM % ${#keys[@]}]}
                if [[ " ${held[*]} " != *" $key "* ]]; then
                    xdotool keydown "$key"
                    held+=("$key")
                    echo "down $key" >>"$dir/storm"
                fi
                ;;
            4 | 5)
                if [ "${#held[@]}" -gt 0 ]; then
                    local i=$((RANDOM % ${#held[@]}))
                    xdotool keyup "${held[$i]}"
                    echo "up ${held[$i]}" >>"$dir/storm"
                    held=("${held[@]:0:$i}" "${held[@]:$((i + 1))}")
                fi
                ;;
            6) xdotool key "$( ((RANDOM % 2)) && echo Tab || echo shift+Tab)" ;;
            7)
                if [ -n "$window" ]; then
                    local t=($(targets_of "$(xdotool getwindowname "$window" 2>/dev/null)"))
                    local at=${t[RANDOM % ${#t[@]}]}
                    xdotool mousemove --window "$window" "${at%,*}" "${at#*,}" click 1 2>/dev/null
                    echo "click $at" >>"$dir/storm"
                fi
                ;;
            8)
                local taps=(a b Return space)
                xdotool key "${taps[RANDOM % 4]}"
                ;;
            9) sleep "0.$((5 + RANDOM % 10))" ;;  # long enough for the game's repeats
            *) ;;
        esac
        sleep "0.0$((RANDOM % 10))"
    done
    for key in "${held[@]}"; do xdotool keyup "$key"; done
    echo "let go of ${held[*]:-nothing}" >>"$dir/storm"
}

# Starts a game recording into $dir; with "mission", joins and takes off first.
run() {  # NAME START SECONDS
    dir="$work/$1"
    mkdir -p "$dir"
    (cd "$dir" && exec "$exe" --record run.replay --trace live.trace) >"$dir/out" 2>&1 &
    game=$!
    local title mission
    title=$(skyvane_window "SV（災害救助シュミレーション）" 20000) || { echo "$1: FAIL: no title screen"; return 1; }
    xdotool windowactivate --sync "$title" 2>/dev/null
    if [ "$2" = mission ]; then
        xdotool key Tab Tab
        xdotool type --delay 20 "Storm"
        xdotool key shift+Tab shift+Tab Return
        mission=$(skyvane_window "パイロット" 20000) || { echo "$1: FAIL: joining opened no mission screen"; return 1; }
        xdotool windowactivate --sync "$mission" 2>/dev/null
        ((RANDOM % 2)) && xdotool key Return  # GO
    fi
    storm "$3"
    # Once every key is let go, the game lets go of them too: wait for the recording to say so,
    # up to ten seconds; then the game is ended from outside.
    local released=0
    if kill -0 "$game" 2>/dev/null; then
        released=1
        for _ in $(seq 200); do
            awk -v released=1 -f "$here/keys_pair.awk" "$dir/run.replay" >/dev/null && break
            sleep 0.05
        done
        kill -TERM "$game" 2>/dev/null
    fi
    wait "$game" 2>/dev/null
    local inputs
    inputs=$(grep -cE ' (down|up|repeat|lostkeys) ' "$dir/run.replay")
    if ! awk -v released=$released -f "$here/keys_pair.awk" "$dir/run.replay" >"$dir/faults"; then
        echo "$1: FAIL: the keys do not pair (SKYVANE_SEED=$seed):"
        head -n 5 "$dir/faults"
        echo "what the fingers did, last:"
        tail -n 12 "$dir/storm"
        failures=$((failures + 1))
        return
    fi
    "$exe" --replay "$dir/run.replay" --headless --trace "$dir/replayed.trace" >"$dir/replayed" 2>&1
    if ! cmp -s "$dir/live.trace" "$dir/replayed.trace"; then
        echo "$1: FAIL: the recording replays to another trace: $(cmp "$dir/live.trace" "$dir/replayed.trace" 2>&1 | head -n 1)"
        failures=$((failures + 1))
        return
    fi
    echo "ok: $1: $inputs key inputs, every key paired$([ $released = 1 ] && echo ", none held once let go"), replayed to the same trace; $(cat "$dir/replayed")"
}

skyvane_display "$work" 1024x768
for n in 1 2 3 4; do run "idle-title-$n" title 6; run "idle-mission-$n" mission 6; done
# At the lowest priority: the machine is busy, but the tests beside this one are not starved.
for _ in 1 2; do
    nice -n 19 sh -c 'while :; do :; done' &
    busy+=($!)
done
for n in 1 2; do run "busy-title-$n" title 6; run "busy-mission-$n" mission 6; done
kill "${busy[@]}" 2>/dev/null
skyvane_stop_display
[ "$failures" -eq 0 ] || { echo "$failures storms failed; SKYVANE_SEED=$seed draws them again"; exit 1; }
echo "every storm paired its keys (SKYVANE_SEED=$seed)"
