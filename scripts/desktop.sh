#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# A private desktop for the scripts that drive the real program: an X display under Xvfb with a
# window manager, a PulseAudio server with a null sink, and a way to find the game's windows.
# Sourced by test.sh, bench.sh and the scripts in tests/ and tools/; each stops what it started.

# Starts Xvfb of that size, and openbox unless told not to, and exports DISPLAY. The pids go into
# SKYVANE_DISPLAY_PIDS.
skyvane_display() {  # WORK_DIR SIZE [nowm]
    local fd="$1/display.fd"
    : >"$fd"
    Xvfb -displayfd 3 -screen 0 "$2x24" -nolisten tcp -noreset 3>"$fd" >/dev/null 2>&1 &
    SKYVANE_DISPLAY_PIDS=($!)
    for _ in $(seq 100); do [ -s "$fd" ] && break; sleep 0.05; done
    export DISPLAY=":$(cat "$fd")"
    if [ "${3:-}" != nowm ]; then
        openbox >/dev/null 2>&1 &
        SKYVANE_DISPLAY_PIDS+=($!)
        sleep 0.5
    fi
}

skyvane_stop_display() {
    for pid in "${SKYVANE_DISPLAY_PIDS[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    SKYVANE_DISPLAY_PIDS=()
}

# Starts a PulseAudio server of its own with the null sink SINK as its default, and exports
# PULSE_SERVER; the pid is SKYVANE_PULSE_PID. Fails, saying why, if the server does not answer.
skyvane_sound_server() {  # WORK_DIR SINK
    export PULSE_RUNTIME_PATH="$1/pulse" XDG_RUNTIME_DIR="$1/pulse"
    mkdir -p "$1/pulse"
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --system=false \
        --load="module-null-sink sink_name=$2 rate=44100" \
        --load="module-native-protocol-unix socket=$1/pulse/native auth-anonymous=1" \
        >"$1/pulse/log" 2>&1 &
    SKYVANE_PULSE_PID=$!
    export PULSE_SERVER="unix:$1/pulse/native"
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    if ! pactl set-default-sink "$2" >/dev/null 2>&1; then
        echo "PulseAudio did not start:"
        cat "$1/pulse/log"
        return 1
    fi
}

# The id of the game's shown window whose title (the one window managers show, _NET_WM_NAME)
# contains TEXT; fails after the timeout.
skyvane_window() {  # TEXT [TIMEOUT_MS]
    local until=$(($(date +%s%3N) + ${2:-5000}))
    # Looked for once at least, however long a busy machine took to get here.
    while :; do
        for w in $(xdotool search --onlyvisible --class skyvane 2>/dev/null); do
            case "$(xdotool getwindowname "$w" 2>/dev/null)" in *"$1"*) echo "$w" && return 0 ;; esac
        done
        [ "$(date +%s%3N)" -lt "$until" ] || return 1
        sleep 0.05
    done
}

# Waits for a message box of the game's to show: a dialog window of its class. Fails after the
# timeout.
skyvane_box() {  # [TIMEOUT_MS]
    local until=$(($(date +%s%3N) + ${1:-5000}))
    while [ "$(date +%s%3N)" -lt "$until" ]; do
        for w in $(xdotool search --onlyvisible --class skyvane 2>/dev/null); do
            xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q DIALOG && echo "$w" && return 0
        done
        sleep 0.05
    done
    return 1
}

# Waits for the end line of a replay the program watches in its windows, started with
# SKYVANE_TRACE_PACE=1 so that its stderr (ERR) tells each period it plays: as long as the
# periods go on, however slowly a loaded machine plays them. Gives up, saying why, once no
# period has come for 60 s, or once the program has played ten times the periods the replay
# needs (PERIODS, where its headless replay ended) and a second more, with no end line.
skyvane_wait_end_line() {  # PID OUT ERR PERIODS
    local pid="$1" out="$2" err="$3" most=$((10 * $4 + 64)) period=0 last=-1 since
    since=$(date +%s)
    while kill -0 "$pid" 2>/dev/null && [ ! -s "$out" ]; do
        period=$(tail -c 4096 "$err" 2>/dev/null | grep -a '^skyvane: tick ' | tail -n 1 | cut -d' ' -f3)
        period=${period:-0}
        if [ "$period" != "$last" ]; then
            last=$period
            since=$(date +%s)
        elif [ $(($(date +%s) - since)) -ge 60 ]; then
            echo "no period for 60 s after period $period, and no end line"
            return 1
        fi
        if [ "$period" -gt "$most" ]; then
            echo "no end line by period $period; the replay ends by period $4"
            return 1
        fi
        sleep 0.1
    done
}
