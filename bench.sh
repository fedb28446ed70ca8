#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Measures the game against two floors built by the same script, under Xvfb with a window
# manager: the floor of the same job (a plain window that draws the instrument panel's texts in
# the same fonts, changes its readouts 64 times a second and loops the rotor through
# SDL2_mixer) and the toolkit's own (a bare Qt Widgets window). It prints one table with the
# machine it ran on:
# start-up to the first painted frame (median of 10, with and without a sound server), peak
# memory, CPU at the title and in flight, the instructions and time of one period of the game's
# timers, and the pacing of the real program. Takes about twelve minutes. Not part of test.sh.
# SKYVANE_BENCH_GAME and SKYVANE_BENCH_PERIOD measure another build of the game instead.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
skyvane_install "${SKYVANE_BUILD_PACKAGES[@]}" libbenchmark-dev valgrind xvfb openbox xdotool \
    pulseaudio pulseaudio-utils
SKYVANE_BUILD_TYPE=Release skyvane_configure build-bench -DSKYVANE_BENCH=ON
skyvane_build build-bench skyvane bare_window floor_window period_instructions period_bench seeds \
    >/dev/null

# Measuring from here on: a figure that cannot be taken shows empty rather than stopping the run.
set +e
# Another build of the game (an older one, to compare) can stand in for this one.
game="${SKYVANE_BENCH_GAME:-$SKYVANE_ROOT/build-bench/skyvane}"
period_instructions="${SKYVANE_BENCH_PERIOD:-$SKYVANE_ROOT/build-bench/bench/period_instructions}"
bare="$SKYVANE_ROOT/build-bench/bench/bare_window"
floor="$SKYVANE_ROOT/build-bench/bench/floor_window"
wave="$SKYVANE_ROOT/assets/HERI3.wav"
work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
now_ns() { date +%s%N; }

# ---- A desktop and a sound server of our own ----
. scripts/desktop.sh
skyvane_display "$work" 1024x768
pids+=("${SKYVANE_DISPLAY_PIDS[@]}")
export QT_QPA_PLATFORM=xcb
skyvane_sound_server "$work" bench
pids+=("$SKYVANE_PULSE_PID")
server="$PULSE_SERVER"
sleep 1

# ---- Helpers ----
median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
launch() {  # PULSE_SERVER COMMAND...  -> $pid
    local pulse="$1"
    shift
    (cd "$work" && exec env PULSE_SERVER="$pulse" SKYVANE_TRACE_STARTUP=1 "$@") \
        >/dev/null 2>"$work/err" &
    pid=$!
}
# Builds from before the game handled signals ignore SIGTERM: a second later, SIGKILL.
stop() {
    kill "$pid" 2>/dev/null
    for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
}
first_frame_ms() {  # PULSE_SERVER COMMAND...
    local t0
    t0=$(now_ns)
    launch "$@"
    for _ in $(seq 500); do grep -q "first frame" "$work/err" && break; sleep 0.01; done
    local t1
    t1=$(sed -n 's/.*first frame \([0-9]*\).*/\1/p' "$work/err" | head -n 1)
    stop
    echo $(((t1 - t0) / 1000000))
}
# The game and the floors in turn, so a machine that slows down slows all alike.
startup_pair() {  # PULSE_SERVER -> "game-median bare-median floor-median"
    for _ in $(seq 10); do
        echo "$(first_frame_ms "$1" "$game") $(first_frame_ms "$1" "$bare") $(first_frame_ms "$1" "$floor")"
        sleep 0.2
    done >"$work/pairs"
    echo "$(cut -d' ' -f1 "$work/pairs" | median) $(cut -d' ' -f2 "$work/pairs" | median)" \
        "$(cut -d' ' -f3 "$work/pairs" | median)"
}
hwm_mib() { awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status"; }
cpu_ms() { awk '{ print ($14 + $15) * 1000 / '"$(getconf CLK_TCK)"' }' "/proc/$pid/stat"; }
cpu_over() {  # SECONDS -> CPU milliseconds of $pid over that time
    local a b
    a=$(cpu_ms)
    sleep "$1"
    b=$(cpu_ms)
    echo $((${b%.*} - ${a%.*}))
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf (b > 0 ? "%.2f" : "-"), a / b }'; }
join_and_go() {
    local w
    w=$(skyvane_window "SV" 5000)
    xdotool windowactivate --sync "$w" 2>/dev/null || xdotool windowfocus --sync "$w" 2>/dev/null
    sleep 0.3
    xdotool key --clearmodifiers Return  # join
    sleep 1
    xdotool key --clearmodifiers Return  # GO
}

echo "Measuring start-up (10 runs each)..." >&2
read -r start_none start_bare_none start_floor_none < <(startup_pair unix:/nonexistent/socket)
read -r start_pulse start_bare start_floor < <(startup_pair "$server")

echo "Measuring the title screen: pacing for 30 s, memory..." >&2
(cd "$work" && exec env PULSE_SERVER="$server" SKYVANE_TRACE_PACE=1 "$game") \
    >/dev/null 2>"$work/pace" &
pid=$!
sleep 32
hwm_title=$(hwm_mib)
stop
read -r pace_ratio pace_p99 < <(awk '/ tick / { t[n++] = $4 } END {
    due = (t[n - 1] - t[0]) / 15625000 + 1
    for (i = 1; i < n; i++) g[i - 1] = (t[i] - t[i - 1]) / 1e6
    m = n - 1
    for (i = 0; i < m; i++) for (j = i + 1; j < m; j++) if (g[j] < g[i]) { x = g[i]; g[i] = g[j]; g[j] = x }
    printf "%.4f %.2f\n", n / due, g[int(m * 0.99)]
}' "$work/pace")
launch "$server" "$bare"
sleep 2
hwm_bare=$(hwm_mib)
stop
launch "$server" "$floor"
sleep 2
hwm_floor_title=$(hwm_mib)
stop

# CPU is noisy on a shared machine: three rounds, the game and the bare window in turn, and the
# median of each.
echo "Measuring CPU: three rounds of 20 s at the title, in flight with Shift held, and bare..." >&2
: >"$work/cpu"
for round in 1 2 3; do
    launch "$server" "$game"
    sleep 2
    title=$(cpu_over 20)
    stop
    launch "$server" "$game"
    join_and_go
    xdotool keydown shift
    sleep 1
    flight=$(cpu_over 20)
    xdotool keyup shift
    if [ "$round" -eq 1 ]; then
        sleep 39  # a minute of play: the tank runs dry, the helicopter comes down
        hwm_flight=$(hwm_mib)
    fi
    stop
    launch "$server" "$bare" --tick
    sleep 1
    tick=$(cpu_over 20)
    if [ "$round" -eq 1 ]; then
        sleep 39
        hwm_tick=$(hwm_mib)
    fi
    stop
    launch "$server" "$floor" --tick --sound "$wave"
    sleep 1
    floor_flight=$(cpu_over 20)
    if [ "$round" -eq 1 ]; then
        sleep 39
        hwm_floor=$(hwm_mib)
    fi
    stop
    echo "$title $flight $tick $floor_flight" >>"$work/cpu"
done
cpu_title=$(cut -d' ' -f1 "$work/cpu" | median)
cpu_flight=$(cut -d' ' -f2 "$work/cpu" | median)
cpu_tick=$(cut -d' ' -f3 "$work/cpu" | median)
cpu_floor=$(cut -d' ' -f4 "$work/cpu" | median)
cpu_bare=$cpu_tick

echo "Counting the instructions of a period..." >&2
valgrind --tool=callgrind --callgrind-out-file="$work/cg" \
    --toggle-collect='skyvane::DesktopBase::runPeriod()' \
    "$period_instructions" 6400 >/dev/null 2>"$work/cg.log"
instructions=$(awk '/Collected/ { print int($4 / 6400) }' "$work/cg.log")
period_ns=$("$SKYVANE_ROOT/build-bench/bench/period_bench" --benchmark_filter=PeriodInFlight \
    --benchmark_format=csv 2>/dev/null | awk -F, '/PeriodInFlight/ { printf "%.0f", $3 }')
won_ms=$("$SKYVANE_ROOT/build-bench/bench/period_bench" --benchmark_filter=WonMission \
    --benchmark_format=csv 2>/dev/null | awk -F, '/WonMission/ { printf "%.2f", $3 }')

cpu=$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1)
cat <<TABLE

Skyvane against the floor of its job and a bare Qt Widgets window, $(date -u +%Y-%m-%d)
Machine: ${cpu:-unknown CPU}, $(nproc) cores, $(uname -sr); Qt $(pkg-config --modversion Qt6Widgets), Release build, Xvfb with openbox.

| figure | game | floor of the job | bare Qt window | game / floor | game / bare |
|---|---|---|---|---|---|
| start-up to the first painted frame, no sound server (median of 10) | ${start_none} ms | ${start_floor_none} ms | ${start_bare_none} ms | $(ratio "$start_none" "$start_floor_none") | $(ratio "$start_none" "$start_bare_none") |
| start-up to the first painted frame, PulseAudio running (median of 10) | ${start_pulse} ms | ${start_floor} ms | ${start_bare} ms | $(ratio "$start_pulse" "$start_floor") | $(ratio "$start_pulse" "$start_bare") |
| peak memory (VmHWM) at the title screen | ${hwm_title} MiB | ${hwm_floor_title} MiB | ${hwm_bare} MiB | $(ratio "$hwm_title" "$hwm_floor_title") | $(ratio "$hwm_title" "$hwm_bare") |
| peak memory after a minute of play (the floors ticking, the floor looping the rotor) | ${hwm_flight} MiB | ${hwm_floor} MiB | ${hwm_tick} MiB | $(ratio "$hwm_flight" "$hwm_floor") | $(ratio "$hwm_flight" "$hwm_tick") |
| CPU over 20 s at the title, median of 3 (the bare window updating a label at 64 Hz) | ${cpu_title} ms | | ${cpu_bare} ms | | $(ratio "$cpu_title" "$cpu_bare") |
| CPU over 20 s in flight, Shift held, median of 3 (the floor: readouts at 64 Hz and the rotor) | ${cpu_flight} ms | ${cpu_floor} ms | ${cpu_tick} ms | $(ratio "$cpu_flight" "$cpu_floor") | $(ratio "$cpu_flight" "$cpu_tick") |
| one period of the timers in flight, headless (callgrind) | ${instructions} instructions | | |
| one period of the timers in flight, headless (Google Benchmark) | ${period_ns} ns | | |
| a whole won mission replayed headless | ${won_ms} ms | | |
| pacing at the title over 30 s: periods delivered per period due | ${pace_ratio} | | |
| pacing: 99th percentile of the gap between ticks (15.625 ms due) | ${pace_p99} ms | | |
TABLE
