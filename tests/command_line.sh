#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# The command line behaves like a Unix program's, and what cannot be a recorded run is refused
# before any window opens, at once, saying why: each case runs with no display at all, so the
# refusal is the only thing that can happen. A replay that is too big for any run is refused,
# and a big one that is valid costs at most about twice its size in memory.
# Usage: command_line.sh SKYVANE
set -uo pipefail
exe="$(realpath "$1")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
cd "$work"

printf 'skyvane-replay 1\n5 click Form2 Command1\nnonsense\n' >bad.replay
printf 'skyvane-replay 01\n' >zero.replay
printf 'skyvane-replay 1\n0 skip 100\n50 wait\n' >back.replay
mkfifo pipe.replay
mkdir folder.replay
truncate -s 200M huge.replay
printf 'skyvane-replay 1\n' | dd of=huge.replay conv=notrunc status=none
: >taken.replay

# expected status | what stderr or stdout must hold | arguments
cases=(
    "0|skyvane 1|--version"
    "0|usage: skyvane|--help"
    "0|usage: skyvane|-h"
    "2|did you mean --replay my-flight.replay?|my-flight.replay"
    "2|unknown option '--bogus'|--bogus"
    "2|unknown option '-x'|-x"
    "2|--record needs a file name|--record"
    "2|--headless plays a recorded run|--headless"
    "2|cannot go together|--record a.replay --replay bad.replay"
    "2|bad.replay:3: cannot read this input|--replay bad.replay"
    "2|bad.replay:3: cannot read this input|--replay bad.replay --headless"
    "2|zero.replay:1: not a Skyvane replay|--replay zero.replay --headless"
    "2|back.replay:3: period 50 comes after the run reached period 100|--replay back.replay --headless"
    "2|pipe.replay: is not a regular file|--replay pipe.replay"
    "2|folder.replay: is a directory|--replay folder.replay --headless"
    "2|/dev/zero: is not a regular file|--replay /dev/zero --headless"
    "2|huge.replay: is 200 MB, larger than any recorded run|--replay huge.replay --headless"
    "2|missing.replay: cannot open the replay: No such file|--replay missing.replay"
    "2|pipe.replay: cannot record into it: not a regular file|--record pipe.replay"
    "2|folder.replay: cannot record into it: Is a directory|--record folder.replay"
    "2|/dev/null: cannot record into it: not a regular file|--record /dev/null"
    "2|no/such/a.replay: cannot record into it: No such file|--record no/such/a.replay"
    "2|cannot write the trace|--trace no/such/trace --replay bad.replay --headless"
)
for c in "${cases[@]}"; do
    IFS='|' read -r want says args <<<"$c"
    # shellcheck disable=SC2086
    said=$(DISPLAY= WAYLAND_DISPLAY= timeout 5 "$exe" $args 2>&1)
    status=$?
    if [ "$status" -eq "$want" ] && [[ "$said" == *"$says"* ]]; then
        echo "ok: skyvane $args: status $status, '$(head -n 1 <<<"$said")'"
    else
        echo "FAIL: skyvane $args: status $status, said '$said'; wanted $want and '$says'"
        failures=$((failures + 1))
    fi
done

# A second recorder of the same file is refused while the first holds it.
flock -n taken.replay sleep 3 &
sleep 0.2
said=$(DISPLAY= "$exe" --record taken.replay 2>&1)
status=$?
wait
if [ "$status" -eq 2 ] && [[ "$said" == *"another Skyvane is recording into it"* ]]; then
    echo "ok: a second recorder of one file: '$said'"
else
    echo "FAIL: a second recorder of one file: status $status, '$said'"
    failures=$((failures + 1))
fi

# A valid recording of 100 MB: read and played, its peak memory at most about twice the file.
{
    echo "skyvane-replay 1"
    echo "0 down Form2 16"
    awk 'BEGIN { for (p = 32; p < 9000000; p += 2) print p " repeat Form2 16" }'
} >long.replay
size_kib=$(($(stat -c %s long.replay) / 1024))
"$exe" --replay long.replay --headless >long.out 2>&1 &
game=$!
peak=0
while kill -0 "$game" 2>/dev/null; do
    now=$(awk '/VmHWM/ { print $2 }' "/proc/$game/status" 2>/dev/null)
    [ -n "$now" ] && peak=$now
    sleep 0.01
done
wait "$game"
status=$?
# Under AddressSanitizer memory is the sanitizer's: only the play is judged there.
[ -n "${ASAN_OPTIONS:-}" ] && peak=0
if [ "$status" -eq 0 ] && [ "$peak" -le $((size_kib * 2 + 40000)) ]; then
    echo "ok: a valid replay of $((size_kib / 1024)) MB plays with a peak of $((peak / 1024)) MB: $(cat long.out)"
else
    echo "FAIL: a valid replay of $((size_kib / 1024)) MB: status $status, peak $((peak / 1024)) MB: $(cat long.out)"
    failures=$((failures + 1))
fi

[ "$failures" -eq 0 ]
