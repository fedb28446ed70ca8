#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# What a screen reader makes of the real game. The tree, through AT-SPI (Debian's
# python3-pyatspi): every element named and with its role, the readouts as caption and value,
# nothing unnamed or decorative. What it says, heard from Orca itself (its debug log's speech):
# the window and the orders at joining, the orders at GO, the answers to the question keys, the
# crash with the focus, a landing, the thank-you box, the fuel warning once, a sinking and the
# closing screen; no flood over a whole won mission; no key held for the reader.
# Run inside a D-Bus session with the accessibility bus and Orca (tests/accessibility.sh).
# Usage: read_tree.py SKYVANE LANGUAGE SCRIPTED_REPLAYS RECORDED_REPLAYS WORK
import ast
import atexit
import datetime
import os
import pty
import re
import signal
import subprocess
import sys
import threading
import time

import pyatspi

exe, language, scripted, recorded, work = sys.argv[1:6]
failures = []

# Orca, its speech in English and its braille off; its log written to a terminal, which it writes
# line by line (into a file it holds lines back), and kept in a file as they come.
orca_log = os.path.join(work, 'orca.log')
master, terminal = pty.openpty()
orca = subprocess.Popen(['orca', '--disable', 'braille', '--disable', 'braille-monitor', '--debug',
                         f'--debug-file={os.ttyname(terminal)}'], stdout=open(orca_log + '.out', 'w'),
                        stderr=subprocess.STDOUT)


def keep_log():
    with open(orca_log, 'ab') as log:
        while True:
            try:
                chunk = os.read(master, 65536)
            except OSError:
                return
            if not chunk:
                return
            log.write(chunk)
            log.flush()


def stop_orca():
    orca.terminate()
    try:
        orca.wait(timeout=5)
    except subprocess.TimeoutExpired:
        orca.kill()


open(orca_log, 'w').close()
threading.Thread(target=keep_log, daemon=True).start()
atexit.register(stop_orca)


def catalog():
    """The language's translations, from its PO file: the test says the game's own words."""
    if language == 'ja':
        return {}
    entries, entry, field = {}, {}, None
    path = os.path.join(os.path.dirname(__file__), '..', 'po', f'{language}.po')
    for line in open(path, encoding='utf-8').read().splitlines() + ['']:
        keyword, _, rest = line.partition(' ')
        if keyword in ('msgid', 'msgstr', 'msgctxt'):
            field, line = keyword, rest
        if line.startswith('"') and field:
            entry[field] = entry.get(field, '') + ast.literal_eval(line)
        elif not line.strip():
            if entry.get('msgstr') and 'msgctxt' not in entry:
                entries[entry['msgid']] = entry['msgstr']
            entry, field = {}, None
    return entries


TR = catalog()


def spaced(text):
    return re.sub(r'\s+', ' ', text).strip()


def words(source):
    """What a reader hears of a text: the full-width spaces that space out captions go, a line
    break is a space."""
    return spaced(TR.get(source, source).replace('\u3000', '').replace('\r', ' '))


W = dict(title=words('SV（災害救助シュミレーション）'), join=words('ミッションに参加する'), name='NAME',
         pilot=spaced(TR.get('ＳＶ  パイロット\u3000', 'ＳＶ  パイロット\u3000')) + ' ', altitude=words('高　　度'),
         vspeed=words('昇降速度'), fuel=words('燃　　料'), rescued=words('救助人数'), aboard=words('搭乗'),
         go=words('ＧＯ'), back=words('ＢＡＣＫ'), close=words('閉じる'), heli=words('ヘリコプター'),
         side=words('高度図（側面からの視点）'), target=words('目標地点□'),
         briefing=words('昇降速度20以内で、基地と目的地を往復し取り残された１０名を救出せよ！\r'
                        'なお、１回に救助できる人数は２名である'),
         go_order=words('昇降速度20以内で、目標地点□に着陸し、取り残された人を救出せよ！'),
         back_order=words('昇降速度20以内で、基地○に帰還せよ！'), good=words('ＯＫ！　　　ＧＯＯＤ！！'),
         crash=words('爆発炎上中！！　昇降速度が速すぎました！'), sunk=words('失敗！！海に沈みました！'),
         empty=words('ENPTY!'),
         thanks=words('ありがとう！\rあなたのすばらしい操縦による救助活動により、多くの人命が救われた！').split(' ')[0],
         tribute=words('君の勇気と操縦技術により、今回の災害被害は最小限にとどめられた。\r\n'
                       '君の名前はこの国の歴史に残り、人々は、君のことを永遠に忘れないことだろう・・\r\n\r')[:12])


def check(ok, what):
    print(('ok: ' if ok else 'FAIL: ') + what)
    if not ok:
        failures.append(what)


def wait_for(find, what, seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        found = find()
        if found:
            return found
        time.sleep(0.05)
    raise SystemExit(f'FAIL: {what} never came\n' + '\n'.join(f'  heard {t}' for _, t in heard(0)))


# ---- What Orca says ----
def heard(since):
    """Orca's speech after byte `since` of its log: (seconds of the day, words)."""
    with open(orca_log, 'rb') as log:
        log.seek(since)
        text = log.read().decode('utf-8', 'replace')
    said = []
    for h, m, s, words_ in re.findall(r"(\d\d):(\d\d):(\d\d\.\d+) - SPEECH OUTPUT: '(.*?)' ?[{<]", text, re.S):
        said.append((int(h) * 3600 + int(m) * 60 + float(s), spaced(words_)))
    return said


def mark():
    return os.path.getsize(orca_log)


def hears(since, *wanted, seconds=30):
    """Waits until Orca has said each of `wanted` in this order (a pair (a, b) is one utterance
    of two lines, a then b at once: a focus and its description); the moments it said them."""
    def find():
        said, at, moments = heard(since), 0, []
        for want in wanted:
            first, second = want if isinstance(want, tuple) else (want, None)
            while at < len(said) and not (first in said[at][1] and (
                    second is None or (at + 1 < len(said) and second in said[at + 1][1]))):
                at += 1
            if at == len(said):
                return None
            moments.append(said[at][0])
            at += 1
        return moments
    end = time.time() + seconds
    while time.time() < end:
        found = find()
        if found:
            check(True, f'Orca says {wanted}')
            return found
        time.sleep(0.05)
    check(False, f'Orca says {wanted}; it said {[w for _, w in heard(since)]}')
    return None


def day_seconds(ns):
    t = datetime.datetime.fromtimestamp(ns / 1e9)
    return t.hour * 3600 + t.minute * 60 + t.second + t.microsecond / 1e6


# ---- The tree ----
def app(pid):
    for a in pyatspi.Registry.getDesktop(0):
        try:
            if a and a.get_process_id() == pid:
                return a
        except Exception:
            pass
    return None


def walk(acc):
    yield acc
    for child in acc:
        if child is not None:
            yield from walk(child)


def frame(pid, title):
    a = app(pid)
    for f in a or []:
        if f is not None and f.getRoleName() == 'frame' and spaced(f.name).startswith(spaced(title)):
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


def lines(path):
    return open(path, encoding='utf-8', errors='replace').read().splitlines() if os.path.exists(path) else []


wait_for(lambda: b'Screen reader on' in open(orca_log, 'rb').read() or orca.poll() is not None, 'Orca', 60)
if orca.poll() is not None:
    raise SystemExit('FAIL: Orca did not start: ' + open(orca_log + '.out').read())

# ---- Live: the screens, joining, GO with the reader stopped, the questions, the crash ----
env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', SKYVANE_TRACE_PACE='1')
trace, record, err = (os.path.join(work, f'live.{x}') for x in ('trace', 'replay', 'err'))
start = mark()
game = subprocess.Popen([exe, '--language', language, '--trace', trace, '--record', record], env=env,
                        stderr=open(err, 'w'))
title = wait_for(lambda: frame(game.pid, W['title']), 'the title screen')
# The focus comes a moment after the window: on a busy machine, a good while after.
nodes = wait_for(lambda: (lambda t: t if any(f for *_, f in t) else None)(tree(title)), 'the focus on the title')
print('\n'.join(f'  [{r}] {n[:60]!r}' for r, n, _ in nodes))
check(any(r == 'text' and n == W['name'] for r, n, _ in nodes), 'title: the name box is named by its caption')
check(any(r == 'push button' and n == W['join'] for r, n, _ in nodes), 'title: the join button by its text')
check(any(r == 'image' and len(n) > 200 for r, n, _ in nodes), 'title: the prologue is read as its words')
check(not any(r == 'label' and n == W['name'] for r, n, _ in nodes), 'title: the NAME caption is not read twice')
every_element_named(nodes, 'title')

xdo('search', '--sync', '--name', re.escape(W['title']), 'windowactivate', '--sync')
xdo('key', 'Tab', 'Tab')
xdo('type', '--delay', '20', 'Kite')
xdo('key', 'shift+Tab', 'shift+Tab', 'Return')
mission = wait_for(lambda: frame(game.pid, W['pilot'] + 'Kite'), 'the mission screen')
hears(start, W['pilot'] + 'Kite', (W['go'], W['briefing']))
nodes = tree(mission)
print('\n'.join(f'  [{r}] {n[:60]!r}' for r, n, _ in nodes))
for caption in ('altitude', 'vspeed', 'fuel', 'rescued', 'aboard'):
    check(any(r == 'label' and re.fullmatch(re.escape(W[caption]) + r' -?\d+', n) for r, n, _ in nodes),
          f'mission: the {caption} readout is read as its caption and value')
check(any(r == 'status bar' and n for r, n, _ in nodes), 'mission: the message line is a status bar with the orders')
check(any(r == 'image' and n == W['heli'] for r, n, _ in nodes), 'mission: the helicopter is named')
check(any(r == 'panel' and n.startswith(W['side']) for r, n, _ in nodes), 'mission: the side view is a named group')
check(any(r == 'image' and n == W['target'] for r, n, _ in nodes), 'mission: the target is named')
every_element_named(nodes, 'mission')

go_button = next(n for n in walk(mission) if n.getRoleName() == 'push button' and n.name == W['go'])
# GO: the key is the game's at once, and the reader never hears it, so it never waits on it.
at_go = mark()
sent = time.time()
xdo('key', 'Return')
click = wait_for(lambda: next((int(l.split()[0]) for l in lines(trace) if 'Form1 Command1_Click' in l), None), 'GO')


def tick(period):
    return int(re.search(rf'^skyvane: tick {period} (\d+)$', open(err).read(), re.M)[1]) / 1e9


print(f'GO took effect {tick(click) - sent:.3f} s after its key')
hears(at_go, 'notification ' + W['go_order'])
# A reader that catches up on GO's focus after it hid reads nothing there: not the order, which
# is told once, nor whatever the message line says by then.
check(not go_button.description.strip(), f'the hidden GO describes nothing: {go_button.description!r}')
for key, caption in (('a', 'altitude'), ('v', 'vspeed'), ('f', 'fuel')):
    xdo('key', key)
    hears(at_go, 'notification ' + W[caption])
said = hears(at_go, (W['close'], W['crash']))
game.terminate()
game.wait()
with open(orca_log, 'rb') as log:
    log.seek(at_go)
    keys = re.findall(rb'event_string=\((\w+)\)', log.read())
check(not keys, f"the game's keys never wait on the reader, which never hears them: {keys[:4]}")
check(not re.search(r'^\d+ (down|up) Form1 (65|70|86)$', open(record).read(), re.M),
      'the question keys are no input of the run')
check(not any(w.startswith('notification ' + W['crash']) for _, w in heard(at_go)), 'the crash is said once, with the focus')
crash_period = next(int(l.split()[0]) for l in lines(trace) if W['crash'][:4] in l.replace('\u3000', ''))
if said:
    print(f'the crash was said {said[0] - day_seconds(tick(crash_period) * 1e9):.3f} s after it happened')


# ---- Recorded runs, watched in the window ----
def watch(replay, *wanted, speed='4', rules=None, seconds=30):
    since = mark()
    path = os.path.join(work, 'watched.replay')
    with open(replay, encoding='utf-8') as f:
        kept = [line for line in f if not (rules and rules(line))]
    open(path, 'w', encoding='utf-8').writelines(kept)
    watched = subprocess.Popen([exe, '--replay', path, '--speed', speed, '--language', language], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    hears(since, *wanted, seconds=seconds)
    watched.terminate()
    watched.wait()
    return since


def before(period):
    return lambda line: re.match(r'\d+ ', line) and int(line.split()[0]) >= period


five = os.path.join(scripted, 'five-trips-and-the-win.replay')
watch(five, (W['back'], W['good']), rules=before(324))
watch(five, 'alert', W['thanks'], rules=lambda line: line.startswith('2290 box'))
since = watch(os.path.join(scripted, 'running-dry.replay'), 'notification ' + W['empty'], (W['close'], W['crash']))
check(sum(W['empty'] in w for _, w in heard(since)) == 1, 'the fuel warning is said once, not at each blink')
watch(os.path.join(scripted, 'a-sinking.replay'), (W['close'], W['sunk']))
# The whole mission flown through XTEST, but for the closing screen's button, which ends the game,
# watched at the pace it was flown: at four times it a busy machine's Orca let orders go unsaid.
since = watch(os.path.join(recorded, 'a-won-mission-flown-through-x.replay'), (W['close'], W['tribute']),
              speed='1', rules=before(2909), seconds=450)
with open(orca_log, 'rb') as log:
    log.seek(since)
    told = log.read()
# In flight: from the first order on.
flight = told[told.find(('notification ' + W['go_order']).encode()):]
floods = re.findall(rb'[^\n]*(?:FLOOD|deluge)[^\n]*', flight)
check(not floods, f'a whole won mission never floods the reader in flight: {floods[:2]}')
renamed = len(re.findall(rb'EVENT MANAGER: object:property-change:accessible-name', told))
print(f'{renamed} name changes over the mission watched at its own pace')
orders = [(round(t, 2), w[:40]) for t, w in heard(since) if W['go_order'] in w or W['back_order'] in w]
check(len(orders) == 10, f'each of the ten orders is said once ({len(orders)}: {orders})')

if language == 'ja':
    notes = [w for _, w in heard(start) if re.search(r'[a-z]{2,} [a-z]{2,} [a-z]{2,}', w) and 'reader on' not in w]
    check(not notes, f'a Japanese player hears no English notes: {notes[:3]}')

if failures:
    sys.exit(1)
print(f'the game read and heard as it should be ({language})')
