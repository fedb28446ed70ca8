#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
"""Mutation testing, on demand: how many small faults do the tests catch?

Each mutant changes one spot of a source file the way a slip of the keyboard would (a
comparison flipped, `+ 1` made `+ 2`, `true` made `false`, `&&` made `||`, a call dropped, a
number one more: the flight's lines and zones, the limits, the counts; a layout's measure a
pixel more), is built in build-mutate/, and is run against the C++ suites (`ctest -L fast`,
and for the sound and the signals the suites that play sound or send signals). A mutant the
suites fail is caught; one they pass lives, and either a test is missing or the change does
not change what the game does (an equivalent mutant), which a person decides.

    tools/mutate.py [--count N] [--seed S] [FILE...]
    tools/mutate.py --list FILE          # every mutant the file offers, numbered
    tools/mutate.py --only FILE:K ...    # just those mutants

Without files it samples every file of every layer the fast suites build (app/ and the web
desktop are tested by the slower suites). Without --seed it draws one, and prints it first. The
run takes twenty to thirty seconds a mutant on two cores. Not part of test.sh.
"""

import argparse
import json
import os
import random
import re
import resource
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build-mutate")
LAYERS = ["platform", "platform/headless", "platform/qt", "layouts", "mission", "screens", "replay"]
# The programs the fast suites run, found once the build is made: a suite left out would run
# without the mutant, or not at all.
SUITES = []


def default_files():
    """The game's own sources, every layer the fast suites build."""
    files = []
    for layer in LAYERS:
        for name in sorted(os.listdir(os.path.join(ROOT, layer))):
            if name.endswith((".cpp", ".h")):
                files.append(f"{layer}/{name}")
    return files
# Files whose faults only suites beyond the fast ones can see: the targets to build and the
# tests to run as well. The sound plays into a private sound server the script starts.
BEYOND = {
    "platform/qt/sdl_sound.cpp": (["sound_test"], ["-L", "sound"]),
    "platform/qt/sdl_library.cpp": (["sound_test"], ["-L", "sound"]),
    "platform/qt/signal_watcher.cpp": (["skyvane", "listen"], ["-R", "^hostile_environment$"]),
}
# A layout's measures are twips, 15 to a pixel, rounded: one more twip is mostly the same
# picture, so a measure there moves by a pixel.
PIXEL_STEP = {"layouts": 15}

# Each test process may take this much memory and no more: a mutant that grows without end must
# not take the machine with it.
MEMORY = 4 << 30

# (pattern, replacement, what it is); each match is one mutant.
SWAPS = [
    (r"(?<=[\s(])<(?=[\s])", "<=", "< to <="),
    (r"(?<=[\s(])<=(?=[\s])", "<", "<= to <"),
    (r"(?<=[\s(])>(?=[\s])", ">=", "> to >="),
    (r"(?<=[\s(])>=(?=[\s])", ">", ">= to >"),
    (r"(?<=[\s(])==(?=[\s])", "!=", "== to !="),
    (r"(?<=[\s(])!=(?=[\s])", "==", "!= to =="),
    (r"(?<=[\s(])&&(?=[\s])", "||", "&& to ||"),
    (r"(?<=[\s(])\|\|(?=[\s])", "&&", "|| to &&"),
    (r"\+ 1\b", "+ 2", "+ 1 to + 2"),
    (r"- 1\b", "- 2", "- 1 to - 2"),
    (r"\btrue\b", "false", "true to false"),
    (r"\bfalse\b", "true", "false to true"),
    (r"\+\+", "--", "++ to --"),
]
# A whole number in the code, one more. Not in an include, a bit mask or a version.
NUMBER = re.compile(r"(?<![\w.'\\])(\d+)(?![\w.'])")
# A statement that calls something, dropped whole.
CALL = re.compile(r"^(\s*)([A-Za-z_][\w.:>\-]*\([^;]*\);)\s*$")


def mutants(path):
    """Every mutant of the file: (line number, new line, what)."""
    out = []
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        lines = f.read().split("\n")
    for n, line in enumerate(lines):
        code = line.split("//")[0]
        stripped = code.strip()
        if not stripped or stripped.startswith(("#", "*", "/*")) or "static_assert" in code:
            continue
        for pattern, repl, what in SWAPS:
            for m in re.finditer(pattern, code):
                # Template brackets and stream operators are no comparisons.
                if what.startswith(("<", ">")) and re.search(r"\w<|>\w|<<|>>", code[m.start() - 1:m.end() + 1]):
                    continue
                out.append((n, line[:m.start()] + repl + line[m.end():], what))
        step = PIXEL_STEP.get(os.path.dirname(path), 1)
        if "'" not in code and '"' not in code:
            for m in NUMBER.finditer(code):
                if "<<" in code or "0x" in code:
                    continue
                bigger = str(int(m.group(1)) + step)
                out.append((n, line[:m.start()] + bigger + line[m.end():], f"{m.group(1)} to {bigger}"))
        call = CALL.match(code)
        if call and not stripped.startswith(("return", "throw")):
            out.append((n, call.group(1) + ";  // dropped", "dropped " + call.group(2)))
    # One mutant a change: `+ 1` to `+ 2` is also 1 to 2.
    seen, unique = set(), []
    for n, new, what in out:
        if (n, new) not in seen:
            seen.add((n, new))
            unique.append((n, new, what))
    return lines, unique


def build_dir():
    if not os.path.exists(os.path.join(BUILD, "build.ninja")):
        subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=RelWithDebInfo"], check=True, stdout=subprocess.DEVNULL)
    # The whole build once: the seeds and scripted replays come from the game as it is, and a
    # mutant is then held to the runs the real game makes.
    subprocess.run(["cmake", "--build", BUILD], check=True, stdout=subprocess.DEVNULL)
    listed = json.loads(subprocess.run(["ctest", "-L", "fast", "--show-only=json-v1"], cwd=BUILD,
                                       capture_output=True, text=True, check=True).stdout)
    programs = {os.path.basename(t["command"][0]) for t in listed["tests"] if t.get("command")}
    SUITES[:] = sorted(p for p in programs if p.endswith("_test"))


def sound_server():
    """A private sound server for the sound suites, as test.sh starts one."""
    folder = tempfile.mkdtemp(prefix="skyvane-mutate-")
    out = subprocess.run(["bash", "-c", '. scripts/desktop.sh && skyvane_sound_server "$0" skyvane_test '
                          '&& echo "$SKYVANE_PULSE_PID $PULSE_SERVER"', folder],
                         cwd=ROOT, capture_output=True, text=True, check=True).stdout.split()
    os.environ.update(PULSE_SERVER=out[1], PULSE_RUNTIME_PATH=f"{folder}/pulse",
                      XDG_RUNTIME_DIR=f"{folder}/pulse", SKYVANE_TEST_SINK="skyvane_test")
    return int(out[0])


def limited():
    resource.setrlimit(resource.RLIMIT_AS, (MEMORY, MEMORY))


def run_mutant(path, lines, n, new):
    full = os.path.join(ROOT, path)
    original = "\n".join(lines)
    mutated = lines[:n] + [new] + lines[n + 1:]
    try:
        with open(full, "w", encoding="utf-8") as f:
            f.write("\n".join(mutated))
        targets, beyond = BEYOND.get(path, ([], []))
        b = subprocess.run(["cmake", "--build", BUILD, "--target"] + SUITES + targets,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if b.returncode != 0:
            return "does not build"
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        try:
            for suites, timeout in ((["-L", "fast"], 60), (beyond, 600)):
                if not suites:
                    continue
                t = subprocess.run(["ctest"] + suites + [f"-j{os.cpu_count() or 2}", "--stop-on-failure",
                                   "--timeout", str(timeout)], cwd=BUILD, env=env, preexec_fn=limited,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=1200)
                if t.returncode != 0:
                    return "caught"
            return "LIVES"
        except subprocess.TimeoutExpired:
            return "caught"  # the suites hung: as good as failed
    finally:
        with open(full, "w", encoding="utf-8") as f:
            f.write(original)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("files", nargs="*")
    ap.add_argument("--count", type=int, default=45)
    ap.add_argument("--seed", type=int, default=None)
    ap.add_argument("--list", action="store_true")
    ap.add_argument("--only", nargs="*", default=[])
    args = ap.parse_args()

    chosen = []
    if args.only:
        for target in args.only:
            path, k = target.rsplit(":", 1)
            lines, ms = mutants(path)
            n, new, what = ms[int(k)]
            chosen.append((path, int(k), lines, n, new, what))
    else:
        files = args.files or default_files()
        pool = []
        for path in files:
            lines, ms = mutants(path)
            if args.list:
                for k, (n, new, what) in enumerate(ms):
                    print(f"{path}:{k} line {n + 1}, {what}: {new.strip()}")
                continue
            pool += [(path, k, lines, n, new, what) for k, (n, new, what) in enumerate(ms)]
        if args.list:
            return 0
        seed = args.seed if args.seed is not None else random.SystemRandom().randrange(1 << 31)
        print(f"seed {seed}: {len(pool)} mutants in {len(files)} files, {args.count} drawn", flush=True)
        random.Random(seed).shuffle(pool)
        chosen = pool[:args.count]

    build_dir()
    pulse = sound_server() if any(c[0] in BEYOND for c in chosen) else None
    tally = {}
    started = time.time()
    for path, k, lines, n, new, what in chosen:
        result = run_mutant(path, lines, n, new)
        tally[result] = tally.get(result, 0) + 1
        print(f"{result:15} {path}:{k} line {n + 1}, {what}: {new.strip()}", flush=True)
    if pulse:
        os.kill(pulse, signal.SIGTERM)
    subprocess.run(["cmake", "--build", BUILD, "--target"] + SUITES, stdout=subprocess.DEVNULL)
    built = tally.get("caught", 0) + tally.get("LIVES", 0)
    print(f"\n{len(chosen)} mutants in {time.time() - started:.0f} s: {built} built, "
          f"{tally.get('caught', 0)} caught, {tally.get('LIVES', 0)} live, "
          f"{tally.get('does not build', 0)} do not build")
    if built:
        print(f"score: {100 * tally.get('caught', 0) / built:.0f} % of the mutants that built")
    return 0


if __name__ == "__main__":
    sys.exit(main())
