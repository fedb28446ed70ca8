#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# The command line behaves like a Unix program's, and what cannot be a recorded run is refused
# before any window opens, at once, saying why; no file of the player's is emptied or written
# into by a run that could not start, or that names it twice. A replay that is too big for any
# run is refused, and a big one that is valid costs at most about twice its size in memory.
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
printf 'skyvane-replay 1\n0 click Form2 Command1\n0 click Form1 Command1\n1 down Form1 16\n33 repeat Form1 16\n' >run.replay
cp run.replay mine.replay
languages=($("$exe" --languages))
spoken=$(IFS=,; echo "${languages[*]}" | sed 's/,/, /g')
for l in "${languages[@]}"; do sed "1a language $l" run.replay >"in-$l.replay"; done
sed '1a language xx' run.replay >foreign.replay
printf 'a trace the player keeps\n' >kept.trace
mkfifo pipe.replay
mkdir folder.replay
truncate -s 200M huge.replay
printf 'skyvane-replay 1\n' | dd of=huge.replay conv=notrunc status=none
: >taken.replay

# Every language plays every run, the run's own or the one asked for, to the same end.
ran="phase=flight rescued=0 fuel=984 altitude=2674 period=33"
language_cases=()
for l in "${languages[@]}"; do
    language_cases+=("0|$ran|none|--replay in-$l.replay --headless|"
        "0|$ran|none|--replay run.replay --headless --language $l|"
        "0|$ran|none|--replay foreign.replay --headless --language $l|")
done

# Each row: the status wanted | what stderr or stdout must hold | where it runs (none: no display
# at all; offscreen: Qt's screen without one) | the arguments | a file whose bytes must be the
# same after the run as before.
cases=(
    "0|skyvane 1|none|--version|"
    "0|usage: skyvane|none|--help|"
    "0|usage: skyvane|none|-h|"
    "2|did you mean --replay my-flight.replay?|none|my-flight.replay|"
    "2|unknown option '--bogus'|none|--bogus|"
    "2|unknown option '-x'|none|-x|"
    "2|--record needs a file name|none|--record|"
    "2|--headless plays a recorded run|none|--headless|"
    "2|cannot go together|none|--record a.replay --replay bad.replay|"
    "2|--speed takes a number from 0.125 to 64|none|--replay run.replay --speed 100|"
    "2|--speed is the pace of a replay watched|none|--replay run.replay --headless --speed 2|"
    "2|no language 'xx'; the game speaks $spoken|none|--language xx|"
    "2|cannot write the trace into it: the run reads or writes it already|offscreen|--record new.replay --trace ./new.replay|new.replay"
    "2|Qt takes its option as two words: -platform nowhere|offscreen|-platform=nowhere --record mine.replay|mine.replay"
    "2|the platform takes no display; name it with -display|offscreen|-platform xcb:display=:77 --record mine.replay|mine.replay"
    "2|--language needs a language|none|--language|"
    "2|foreign.replay: recorded in the language 'xx', which this game does not speak (it speaks $spoken)|none|--replay foreign.replay --headless|"
    "2|bad.replay:3: cannot read this input|none|--replay bad.replay|"
    "2|bad.replay:3: cannot read this input|none|--replay bad.replay --headless|"
    "2|zero.replay:1: not a Skyvane replay|none|--replay zero.replay --headless|"
    "2|back.replay:3: period 50 comes after the run reached period 100|none|--replay back.replay --headless|"
    "2|pipe.replay: is not a regular file|none|--replay pipe.replay|"
    "2|folder.replay: is a directory|none|--replay folder.replay --headless|"
    "2|/dev/zero: is not a regular file|none|--replay /dev/zero --headless|"
    "2|huge.replay: is 200 MB, larger than any recorded run|none|--replay huge.replay --headless|"
    "2|missing.replay: cannot open the replay: No such file|none|--replay missing.replay|"
    "2|/proc/kmsg: |none|--replay /proc/kmsg --headless|"
    "2|pipe.replay: cannot record into it: not a regular file|offscreen|--record pipe.replay|"
    "2|folder.replay: cannot record into it: Is a directory|offscreen|--record folder.replay|"
    "2|/dev/null: cannot record into it: not a regular file|offscreen|--record /dev/null|"
    "2|no/such/a.replay: cannot record into it: No such file|offscreen|--record no/such/a.replay|"
    "2|cannot write the trace into it|none|--trace no/such/trace --replay run.replay --headless|"
    "2|pipe.replay: cannot write the trace into it: not a regular file|none|--replay run.replay --headless --trace pipe.replay|"
    "2|/dev/full: cannot write the trace into it: not a regular file|none|--replay run.replay --headless --trace /dev/full|"
    "2|run.replay: cannot write the trace into it: the run reads or writes it already|none|--replay run.replay --headless --trace run.replay|run.replay"
    "2|run.replay: cannot write the trace into it: the run reads or writes it already|offscreen|--replay run.replay --trace run.replay|run.replay"
    "2|mine.replay: cannot write the trace into it: the run reads or writes it already|offscreen|--record mine.replay --trace ./mine.replay|mine.replay"
    "1|no window can open: there is no display|none|--record mine.replay|mine.replay"
    "1|no window can open: could not connect to display :99999|none|-display :99999 --replay run.replay --trace kept.trace|kept.trace"
    "1|no window can open: Could not find the Qt platform plugin \"nowhere\"|none|-platform nowhere --record mine.replay|mine.replay"
    "0|phase=flight rescued=0 fuel=984 altitude=2674 period=33|offscreen|--replay run.replay|run.replay"
    "0|phase=flight rescued=0 fuel=984 altitude=2674 period=33|offscreen|--replay run.replay --speed 64|"
    "0|phase=flight rescued=0 fuel=984 altitude=2674 period=33|none|--replay run.replay --headless|run.replay"
)
for c in "${cases[@]}" "${language_cases[@]}"; do
    IFS='|' read -r want says where args keep <<<"$c"
    # (A file that is not there must not be there after either: a refused run makes nothing.)
    before=""
    [ -n "$keep" ] && before=$(sha256sum "$keep" 2>/dev/null)
    # shellcheck disable=SC2086
    if [ "$where" = offscreen ]; then
        said=$(QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy timeout 20 "$exe" $args 2>&1)
    else
        said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$exe" $args 2>&1)
    fi
    status=$?
    after=""
    [ -n "$keep" ] && after=$(sha256sum "$keep" 2>/dev/null)
    if [ "$status" -eq "$want" ] && [[ "$said" == *"$says"* ]] && [ "$before" = "$after" ]; then
        echo "ok: skyvane $args ($where): status $status, '$(head -n 1 <<<"$said")'${keep:+, $keep untouched}"
    else
        echo "FAIL: skyvane $args ($where): status $status, said '$said'; wanted $want and '$says'${keep:+; $keep was $([ "$before" = "$after" ] && echo untouched || echo changed)}"
        failures=$((failures + 1))
    fi
done

# A trace where the end line goes (standard output, here a file) is refused, and the file is
# left as it was.
said=$("$exe" --replay run.replay --headless --trace /dev/stdout 2>&1 >out.txt)
if [ $? -eq 2 ] && [[ "$said" == *"end line is printed there"* ]] && [ ! -s out.txt ]; then
    echo "ok: a trace on standard output beside the end line: refused"
else
    echo "FAIL: a trace on standard output beside the end line: '$said', out.txt holds $(wc -c <out.txt) bytes"
    failures=$((failures + 1))
fi

# A trace the disk cannot hold is said at once, with the system's reason, and the run ends with
# status 1; the file keeps the trace up to its last whole line.
said=$( (ulimit -f 2; "$exe" --replay run.replay --headless --trace full.trace) 2>&1)
status=$?
if [ "$status" -eq 1 ] && [[ "$said" == *"full.trace: the trace stopped: File too large"* ]] &&
    [ "$(tail -c 1 full.trace | od -An -c | tr -d ' ')" = '\n' ]; then
    echo "ok: a trace the disk cannot hold: status 1, '$(head -n 1 <<<"$said")'"
else
    echo "FAIL: a trace the disk cannot hold: status $status, '$said'"
    failures=$((failures + 1))
fi

# A file another Skyvane writes into (here the lock it would hold) is neither recorded nor traced
# into by a second one, and keeps its bytes.
printf 'skyvane-replay 1\n' >taken.replay
before=$(sha256sum taken.replay)
exec 9<taken.replay
flock -x 9
for args in "--record taken.replay" "--trace taken.replay" "--replay run.replay --headless --trace taken.replay"; do
    # shellcheck disable=SC2086
    said=$(QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy timeout 20 "$exe" $args 2>&1)
    status=$?
    if [ "$status" -eq 2 ] && [[ "$said" == *"another Skyvane is writing into it"* ]] &&
        [ "$(sha256sum taken.replay)" = "$before" ]; then
        echo "ok: skyvane $args beside another writer: '$(head -n 1 <<<"$said")', the file untouched"
    else
        echo "FAIL: skyvane $args beside another writer: status $status, '$said'"
        failures=$((failures + 1))
    fi
done
exec 9<&-

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
