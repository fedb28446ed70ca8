#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# The real program in a hostile environment, under Xvfb with a private PulseAudio server:
# signals in every state, a sound server that stops answering, strange wave files, no sound
# server, no fonts, LANG=C, a tiny screen, no window manager, a display that goes away, a
# folder whose name is not UTF-8, a very long name, and a storm of keys and clicks.
# Usage: hostile_test.sh SKYVANE LISTEN
set -uo pipefail
exe="$(realpath "$1")"
export QT_QPA_PLATFORM=xcb  # test.sh runs everything else offscreen
listen="$(realpath "$2")"
for tool in Xvfb openbox xdotool wmctrl xwininfo xprop pulseaudio pactl parec; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

. "$(dirname "$0")/../scripts/desktop.sh"
work="$(mktemp -d)"
pids=()
cleanup() {
    [ -n "${pulse_pid:-}" ] && kill -CONT "$pulse_pid" 2>/dev/null
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
    skyvane_stop_display
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }
now() { date +%s%3N; }

# ---- The sound server: our own, so that stopping it touches no other test ----
start_pulse() {
    skyvane_sound_server "$work" hostile || exit 1
    pulse_pid=$SKYVANE_PULSE_PID
    pids+=("$pulse_pid")
}
start_pulse
# The share of the next few seconds that holds sound.
loudness() { "$listen" hostile "$1" | sed 's/loud=\([0-9.]*\).*/\1/'; }
silent() { awk -v l="$(loudness 0.6)" 'BEGIN { exit !(l < 0.05) }'; }

# ---- Displays ----
start_display() {  # SIZE [nowm]
    skyvane_stop_display
    skyvane_display "$work" "$@"
}
stop_display() { skyvane_stop_display; }

# ---- The game ----
game=""
started=0
launch() {  # launch DIR [VAR=VALUE...] -- starts the game in DIR with the environment given
    local dir="$1"
    shift
    # A game a failed case left running would lend the next its windows.
    if [ -n "$game" ] && kill -0 "$game" 2>/dev/null; then kill -9 "$game"; wait "$game" 2>/dev/null; fi
    started=$(now)
    (cd "$dir" && exec env "$@" "$exe") >"$work/out" 2>&1 &
    game=$!
    pids+=("$game")
}
find_window() { skyvane_window "$@"; }  # NAME TIMEOUT_MS
# Waits for the game to end; its status in $status, the time it took in $took.
wait_end() {  # TIMEOUT_MS
    local from
    from=$(now)
    local until=$((from + $1))
    while kill -0 "$game" 2>/dev/null && [ "$(now)" -lt "$until" ]; do sleep 0.02; done
    took=$(($(now) - from))
    if kill -0 "$game" 2>/dev/null; then
        kill -9 "$game" 2>/dev/null
        wait "$game" 2>/dev/null
        status=timeout
        return 1
    fi
    wait "$game"
    status=$?
    return 0
}
peak_kib() { awk '/VmHWM/ { print $2 }' "/proc/$game/status" 2>/dev/null || echo 0; }
focus() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1" 2>/dev/null; sleep 0.2; }
# The limits on waiting are ten times what each thing needs on an idle machine, so that a busy
# one does not trip them; a limit that trips says so.
# Title up, then join as NAME; the mission window's id in $mission.
title_then_join() {  # NAME
    title=$(find_window "SV（災害救助シュミレーション）" 10000) || { fail "$case: no title screen within ten seconds"; return 1; }
    title_ms=$(($(now) - started))
    focus "$title"
    xdotool key --clearmodifiers Tab Tab
    xdotool type --delay 20 "$1"
    xdotool key --clearmodifiers shift+Tab shift+Tab Return
    mission=$(find_window "パイロット" 10000) || { fail "$case: joining opened no mission screen within ten seconds"; return 1; }
    focus "$mission"
}
go() { xdotool key --clearmodifiers Return; sleep 0.4; }  # GO holds the focus
# A replay that joins as a pilot whose name is SIZE letters A, then does what LAST says.
name_replay() {  # SIZE LAST
    echo "skyvane-replay 1"
    printf '10 text Form2 Text1 ='
    head -c "$1" /dev/zero | tr '\0' 'A'
    echo
    echo "10 click Form2 Command1"
    echo "$2"
}

start_display 1024x768

# ---- Signals end the game, in the briefing, in flight and behind a message box ----
for sig in INT TERM HUP; do
    for state in briefing flight box; do
        case="SIG$sig in the $state"
        launch "$work"
        title_then_join "Sig" || { kill -9 "$game"; continue; }
        case $state in
            flight) go ;;
            box)
                xdotool key --clearmodifiers Tab Return  # the close button: the farewell box
                skyvane_box 10000 || fail "$case: no farewell box within ten seconds"
                ;;
        esac
        kill -"$sig" "$game"
        if ! wait_end 10000; then
            fail "$case: still running ten seconds after the signal"
            continue
        fi
        number=$(kill -l "$sig")
        [ "$status" -eq $((128 + number)) ] || fail "$case: status $status, not $((128 + number))"
        silent || fail "$case: a sound still plays"
        ok "$case: ended in ${took} ms with status $status"
    done
done

# ---- A sound server that stops answering, at the start and in flight ----
case="a stopped sound server at the start"
kill -STOP "$pulse_pid"
launch "$work"
if title_then_join "Stall"; then
    ok "$case: title in ${title_ms} ms"
    go
    wmctrl -i -c "$mission"
    wait_end 10000 && ok "$case: closed in ${took} ms" || fail "$case: still running ten seconds after closing"
fi
kill -CONT "$pulse_pid"
sleep 0.5

case="a sound server that stops in flight"
launch "$work"
if title_then_join "Stall"; then
    go
    kill -STOP "$pulse_pid"
    sleep 0.3
    wmctrl -i -c "$mission"
    wait_end 10000 && ok "$case: closed in ${took} ms" || fail "$case: still running ten seconds after closing"
fi
kill -CONT "$pulse_pid"
sleep 0.5

case="a sound server that dies in flight"
launch "$work"
if title_then_join "Gone"; then
    go
    kill -9 "$pulse_pid"
    wait "$pulse_pid" 2>/dev/null
    sleep 1
    if ! kill -0 "$game" 2>/dev/null; then
        wait "$game"
        fail "$case: the game went with the server (status $?): $(tail -c 300 "$work/out")"
    elif [ -z "$(find_window "パイロット" 10000)" ]; then
        fail "$case: the game runs on without its mission window"
    else
        wmctrl -i -c "$mission"
        wait_end 10000 && ok "$case: flies on silently, closed in ${took} ms" ||
            fail "$case: still running ten seconds after closing"
    fi
fi
start_pulse

# ---- Strange files named like the wave files in the working directory ----
strange() {  # NAME MAKE-COMMAND
    case="HERI3.wav $1"
    local dir="$work/strange"
    rm -rf "$dir"
    mkdir -p "$dir"
    (cd "$dir" && eval "$2")
    launch "$dir"
    if title_then_join "Odd"; then
        go
        sleep 0.5
        local peak
        peak=$(peak_kib)
        [ "$peak" -lt 150000 ] || fail "$case: $peak KiB at its peak"
        wmctrl -i -c "$mission"
        if wait_end 10000; then
            ok "$case: plays on, peak ${peak} KiB, closed in ${took} ms"
        else
            fail "$case: still running ten seconds after closing"
        fi
    fi
}
strange "as a pipe" "mkfifo HERI3.wav"
strange "as a link to /dev/zero" "ln -s /dev/zero HERI3.wav"
strange "as 4 GB of sparse zeros" "truncate -s 4G HERI3.wav"
strange "as 200 MB" "truncate -s 200M HERI3.wav"
strange "as a folder" "mkdir HERI3.wav"
strange "as a link to itself" "ln -s HERI3.wav HERI3.wav"
strange "as random bytes" "head -c 30000 /dev/urandom >HERI3.wav"
strange "empty" ": >HERI3.wav"
strange "cut short" "head -c 2000 '$(dirname "$exe")/assets/HERI3.wav' >HERI3.wav"

# ---- No sound server, no fonts, LANG=C ----
case="no sound server"
launch "$work" PULSE_SERVER=unix:/nonexistent/socket
title_then_join "Mute" && go && wmctrl -i -c "$mission" && wait_end 10000 &&
    ok "$case: plays silently, closed in ${took} ms" || fail "$case"

case="no fonts at all"
printf '<?xml version="1.0"?>\n<fontconfig></fontconfig>\n' >"$work/nofonts.conf"
launch "$work" FONTCONFIG_FILE="$work/nofonts.conf"
title_then_join "Bare" && go && wmctrl -i -c "$mission" && wait_end 10000 &&
    ok "$case: plays, closed in ${took} ms" || fail "$case"

case="LANG=C"
launch "$work" LANG=C LC_ALL=C
if title_then_join "Plain"; then
    name=$(xdotool getwindowname "$mission")
    [ "$name" = "ＳＶ  パイロット　Plain" ] || fail "$case: the caption reads '$name'"
    wmctrl -i -c "$mission"
    wait_end 10000 && ok "$case: captions as ever" || fail "$case: did not end"
fi

# ---- A folder whose name is not UTF-8: the installed sounds are still found ----
# The sounds installed there are silent ones (the rotor, and the crash that follows when no one
# lifts): found, they are silence; not found, the game's own default sound plays in their place.
# Silence holds on a starved mixer, where a count of loud moments does not.
case="installed under a folder whose name is not UTF-8"
odd="$work/$(printf 'spiel\xff\xfe')"
mkdir -p "$odd/bin" "$odd/share/skyvane" "$work/empty"
cp "$exe" "$odd/bin/skyvane"
for wave in "$(dirname "$exe")/assets/"*.wav; do
    # Each file's own 44-byte header, then zeros for its samples.
    { head -c 44 "$wave"; head -c $(($(stat -c %s "$wave") - 44)) /dev/zero; } \
        >"$odd/share/skyvane/$(basename "$wave")"
done
saved_exe="$exe"
exe="$odd/bin/skyvane"
launch "$work/empty"
if title_then_join "Bytes"; then
    go
    loud=$(loudness 2)
    awk -v l="$loud" 'BEGIN { exit !(l < 0.05) }' && ok "$case: its own (silent) sounds play (loud $loud)" ||
        fail "$case: its sounds were not found: the default sound plays (loud $loud)"
    wmctrl -i -c "$mission"
    wait_end 10000 || fail "$case: did not end"
fi
exe="$saved_exe"

# ---- A name of 100,000 characters, through a replay ----
case="a name of 100,000 characters"
name_replay 100000 "40 click Form1 Command2" >"$work/long.replay"
started=$(now)
(cd "$work" && exec "$exe" --replay "$work/long.replay") >"$work/out" 2>&1 &
game=$!
pids+=("$game")
if mission=$(find_window "パイロット" 50000) && box=$(skyvane_box 10000); then
    eval "$(xdotool getwindowgeometry --shell "$box" 2>/dev/null)"
    if [ "${HEIGHT:-9999}" -le 768 ] && [ "${WIDTH:-9999}" -le 1024 ]; then
        ok "$case: the farewell box is ${WIDTH}x${HEIGHT}, within the screen"
    else
        fail "$case: the farewell box is ${WIDTH:-?}x${HEIGHT:-?}"
    fi
    kill -TERM "$game"
    wait_end 10000 || fail "$case: did not end"
else
    fail "$case: the replay opened no mission screen and farewell box"
fi

# ---- A storm of keys and clicks ----
case="a storm of keys and clicks"
launch "$work"
if title_then_join "Storm"; then
    go
    keys=(shift Left Right Up Down Return space Tab Escape a 1 F1 ctrl alt)
    until=$(($(now) + ${SKYVANE_STORM_SECONDS:-10} * 1000))
    while [ "$(now)" -lt "$until" ] && kill -0 "$game" 2>/dev/null; do
        xdotool key --clearmodifiers "${keys[RANDOM % ${#keys[@]}]}" \
            mousemove --window "$mission" $((RANDOM % 615)) $((RANDOM % 400)) click 1 2>/dev/null
    done
    if kill -0 "$game" 2>/dev/null; then
        kill -TERM "$game"
        wait_end 10000 && ok "$case: still answering, ended by SIGTERM" || fail "$case: hung"
    else
        wait "$game"
        status=$?
        [ "$status" -eq 0 ] && ok "$case: the storm closed the game itself, status 0" ||
            fail "$case: died with status $status"
    fi
fi

# ---- A full disk under a recording: said at once, the game plays on, the file replays ----
case="a recording that fills the disk"
: >"$work/cut.replay"
# The system's limit on a file's size makes the disk full for this game alone.
started=$(now)
(cd "$work" && ulimit -f 1 && exec "$exe" --record cut.replay) >"$work/out" 2>&1 &
game=$!
pids+=("$game")
if title_then_join "Full"; then
    go
    xdotool keydown shift
    sleep 3
    xdotool keyup shift
    said=$(grep 'recording stopped' "$work/out")
    [ -n "$said" ] || fail "$case: nothing said when the disk filled"
    kill -0 "$game" 2>/dev/null || fail "$case: the game did not play on"
    wmctrl -i -c "$mission"
    wait_end 10000 || fail "$case: did not end"
    [ "$status" -ne 0 ] || fail "$case: ended with status 0"
    replayed=$("$exe" --replay "$work/cut.replay" --headless 2>&1)
    [[ "$replayed" == phase=* ]] || fail "$case: the cut file does not replay: $replayed"
    ok "$case: '$said', status $status, the file replays: $replayed"
fi

# ---- A window destroyed by another program ends the game as its close box would ----
case="the title window destroyed by another program"
launch "$work"
if title=$(find_window "SV（災害救助シュミレーション）" 10000); then
    xdotool windowclose "$title"
    wait_end 10000 && [ "$status" -eq 0 ] && ok "$case: ended in ${took} ms" ||
        fail "$case: status $status after ${took} ms"
else
    fail "$case: no title screen"
fi
case="the mission window destroyed in flight by another program"
launch "$work"
if title_then_join "Gone"; then
    go
    xdotool windowclose "$mission"
    wait_end 10000 && [ "$status" -eq 0 ] && ok "$case: ended in ${took} ms" ||
        fail "$case: status $status after ${took} ms"
fi

# ---- A signal while a handler holds the loop: a name of 15 MB lays out for seconds ----
case="SIGTERM while the game lays out a name of 15 MB"
name_replay 15000000 "600 wait" >"$work/busy.replay"
started=$(now)
(cd "$work" && exec "$exe" --replay "$work/busy.replay") >"$work/out" 2>&1 &
game=$!
pids+=("$game")
sleep 1
kill -TERM "$game"
wait_end 10000 && [ "$status" -eq 143 ] && ok "$case: ended in ${took} ms, status 143" ||
    fail "$case: status $status after ${took} ms"

# ---- A display that goes away ----
case="the display goes away"
launch "$work"
if title_then_join "Gone"; then
    go
    stop_display
    wait_end 20000 && ok "$case: ended in ${took} ms (status $status)" ||
        fail "$case: still running twenty seconds after the display went"
fi

# ---- A screen smaller than the windows ----
case="a 320x240 screen"
start_display 320x240
launch "$work"
if title_then_join "Tiny"; then
    for w in "$title" "$mission"; do
        # The client's corner, below its title bar: the frame's corner is on the screen.
        X=$(xwininfo -id "$w" | awk '/Absolute upper-left X/ { print $4 }')
        Y=$(xwininfo -id "$w" | awk '/Absolute upper-left Y/ { print $4 }')
        top=$(xprop -id "$w" _NET_FRAME_EXTENTS | awk -F', ' '{ print $3 }')
        [ "${X:-0}" -ge 0 ] && [ "$((Y - ${top:-0}))" -ge 0 ] ||
            fail "$case: window $(xdotool getwindowname "$w") placed at $X,$Y"
    done
    ok "$case: the mission window's client corner at $X,$Y, under a title bar of ${top} px"
    wmctrl -i -c "$mission"
    wait_end 10000 || fail "$case: did not end"
fi

# ---- No window manager ----
case="no window manager"
start_display 1024x768 nowm
launch "$work"
if title_then_join "Alone"; then
    go
    kill -TERM "$game"
    wait_end 10000 && ok "$case: plays, and ends by SIGTERM" || fail "$case: did not end"
fi
stop_display

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "all hostile cases held"
