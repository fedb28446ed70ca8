#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# What a screen reader reads of the real game, through AT-SPI (Debian's python3-pyatspi): every
# element of each screen named and with its role, the readouts as caption and value, the name
# box by its caption, nothing unnamed or decorative in the tree, the focus on an element it
# reads; and the message line's announcements as a recorded run lands, wins and crashes.
# Run inside a D-Bus session with the accessibility bus (tests/accessibility.sh).
# Usage: read_tree.py SKYVANE LANGUAGE SCRIPTED_REPLAYS
import os
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

exe, language, replays = sys.argv[1:4]
failures = []

WORDS = {
    'ja': dict(title='SV（災害救助シュミレーション）', join='ミッションに参加する', home='いなかに帰る',
               name='NAME', pilot='ＳＶ  パイロット\u3000', altitude='高度', climb='昇降速度', fuel='燃料',
               rescued='救助人数', aboard='搭乗', go='ＧＯ', close='閉じる', heli='ヘリコプター',
               good='ＯＫ！', crash='爆発炎上中', win_box='ありがとう！', side='高度図', target='目標地点□'),
    'en': dict(title='SV (Disaster Rescue Simulation)', join='Join the mission', home='Go home', name='NAME',
               pilot='SV  Pilot ', altitude='Altitude', climb='Climb', fuel='Fuel', rescued='Rescued', aboard='On',
               go='GO', close='Close', heli='helicopter', good='OK!', crash='Exploded in flames',
               win_box='Thank you!', side='Side view', target='target □'),
}[language]


def check(ok, what):
    print(('ok: ' if ok else 'FAIL: ') + what)
    if not ok:
        failures.append(what)


def app(pid):
    for a in pyatspi.Registry.getDesktop(0):
        try:
            if a and a.get_process_id() == pid:
                return a
        except Exception:
            pass
    return None


def wait_for(find, what, seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        found = find()
        if found:
            return found
        time.sleep(0.1)
    raise SystemExit(f'FAIL: {what} never came')


def walk(acc):
    yield acc
    for child in acc:
        if child is not None:
            yield from walk(child)


def frame(pid, title):
    a = app(pid)
    if not a:
        return None
    for f in a:
        if f is not None and f.getRoleName() == 'frame' and f.name.startswith(title):
            return f
    return None


def tree(f):
    return [(n.getRoleName(), n.name, n.getState().contains(pyatspi.STATE_FOCUSED)) for n in walk(f)][1:]


def every_element_named(nodes, screen):
    unnamed = [role for role, name, _ in nodes if not name.strip()]
    check(not unnamed, f'{screen}: every element has a name ({len(nodes)} elements; unnamed: {unnamed})')
    focused = [(role, name) for role, name, focus in nodes if focus]
    check(len(focused) == 1 and focused[0][0] in ('push button', 'text'),
          f'{screen}: the focus is on one element a reader reads: {focused}')


def xdo(*args):
    subprocess.run(['xdotool', *args], check=False)


# ---- The screens, live ----
env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1')
game = subprocess.Popen([exe, '--language', language], env=env)
title = wait_for(lambda: frame(game.pid, WORDS['title']), 'the title screen')
nodes = tree(title)
print('\n'.join(f'  [{r}] {n[:60]!r}' for r, n, _ in nodes))
check(('text', WORDS['name'], False) in nodes or ('text', WORDS['name'], True) in nodes,
      'title: the name box is named by its caption')
check(any(r == 'push button' and n == WORDS['join'] for r, n, _ in nodes), 'title: the join button by its text')
check(any(r == 'image' and len(n) > 200 for r, n, _ in nodes), 'title: the prologue is read as its words')
check(not any(r == 'label' and n == WORDS['name'] for r, n, _ in nodes), 'title: the NAME caption is not read twice')
every_element_named(nodes, 'title')

xdo('search', '--sync', '--name', re.escape(WORDS['title']), 'windowactivate', '--sync')
xdo('key', 'Tab', 'Tab')
xdo('type', '--delay', '20', 'Kite')
xdo('key', 'shift+Tab', 'shift+Tab', 'Return')
mission = wait_for(lambda: frame(game.pid, WORDS['pilot'] + 'Kite'), 'the mission screen')
time.sleep(0.3)
nodes = tree(mission)
print('\n'.join(f'  [{r}] {n[:60]!r}' for r, n, _ in nodes))
for caption in ('altitude', 'climb', 'fuel', 'rescued', 'aboard'):
    check(any(r == 'label' and re.fullmatch(re.escape(WORDS[caption]) + r' -?\d+', n) for r, n, _ in nodes),
          f'mission: the {caption} readout is read as its caption and value')
check(not any(n == WORDS['fuel'] for r, n, _ in nodes), 'mission: a readout caption is not read alone')
check(any(r == 'status bar' and n for r, n, _ in nodes), 'mission: the message line is a status bar with the orders')
check(any(r == 'image' and n == WORDS['heli'] for r, n, _ in nodes), 'mission: the helicopter is named')
check(any(r == 'panel' and n.startswith(WORDS['side']) for r, n, _ in nodes), 'mission: the side view is a named group')
check(any(r == 'image' and n == WORDS['target'] for r, n, _ in nodes), 'mission: the target is named')
every_element_named(nodes, 'mission')
game.kill()
game.wait()


# ---- Announcements, as recorded runs play in the window ----
def announced(replay, wanted, seconds=60):
    said = []
    state = {}

    def heard(event):
        try:
            if event.source.getRoleName() == 'status bar' and event.source.name:
                said.append(event.source.name)
        except Exception:
            return
        if any(wanted in s for s in said):
            pyatspi.Registry.stop()

    def begin():
        state['game'] = subprocess.Popen([exe, '--replay', os.path.join(replays, replay), '--speed', '4',
                                          '--language', language], env=env, stdout=subprocess.DEVNULL)
        return False

    pyatspi.Registry.registerEventListener(heard, 'object:property-change:accessible-name')
    GLib.idle_add(begin)
    GLib.timeout_add_seconds(seconds, lambda: pyatspi.Registry.stop() or False)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(heard, 'object:property-change:accessible-name')
    state['game'].kill()
    state['game'].wait()
    return said


said = announced('five-trips-and-the-win.replay', WORDS['good'])
check(any(WORDS['good'] in s for s in said), f'a landing is announced: {said[:3]}')
said = announced('a-crash.replay', WORDS['crash'])
check(any(WORDS['crash'] in s for s in said), f'a crash is announced: {said[-1:]}')

if failures:
    sys.exit(1)
print(f'every element read as it should be ({language})')
