// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The page for every player: a phone or a tablet by touch, any screen from 320x480 to 4K, with
// no network once it has been loaded, and a page that reads a replay's bytes as the native game
// does and says what went wrong when something does.

'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const h = require('./harness');
const { sleep, shown } = h;

const phone = (width, height) => ({ width, height, hasTouch: true, isMobile: true });

// Fingers on the screen through Chromium's own touch events, each by its number: put down,
// slid to another place, let go; the others stay where they are.
class Fingers {
    constructor(page) {
        this.page = page;
        this.touches = new Map();
    }
    async init() {}
    async put(id, point) {
        const touch = this.touches.get(id);
        if (touch) await touch.move(point.x, point.y);
        else this.touches.set(id, await this.page.touchscreen.touchStart(point.x, point.y));
    }
    async lift(id) {
        const touch = this.touches.get(id);
        if (!touch) return;
        this.touches.delete(id);
        await touch.end();
    }
    async liftAll() {
        for (const id of [...this.touches.keys()]) await this.lift(id);
    }
}

// The middle of an element on the screen.
async function centre(page, selector) {
    const box = await (await page.$(selector)).boundingBox();
    return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

// What a pilot reads off the page: the readouts, and where the sprites stand in their views, in
// the layout's twips (fifteen to a pixel of the window).
async function look(page) {
    return page.evaluate(() => {
        const win = document.querySelector('[data-form=Form1]');
        const of = (name) => win.querySelector(`[data-name=${name}]`);
        const map = skyvanePage.placeOf('Form1', 'Image3');
        const [x, z] = [map.x * 15, map.y * 15];
        const shows = (name) => !of(name).hidden;
        return {
            t: performance.now(), x, z,
            altitude: Number(skyvanePage.textOf('Form1', 'Label8')),
            speed: Number(skyvanePage.textOf('Form1', 'Label5')),
            go: shows('Command1'), back: shows('Command3'), close: shows('Command2'),
            rescued: Number(skyvanePage.textOf('Form1', 'Label18')),
        };
    });
}

test('on a phone, by touch: join, GO, up, land on the target and deliver; the run replays the same', async () => {
    // The game is paced for the pilot, a closed loop that sees late on a busy machine: an eighth
    // of the real speed, the slowest there is (at half, and then at a quarter, a load of 6 to 7
    // on two cores still crashed it now and then), which the recording does not show.
    const pace = 0.125, period = 15.625 / pace;
    const page = await h.open('trace', null, phone(844, 390), h.base, [], pace);
    const fingers = new Fingers(page);
    await fingers.init();
    // The controls show only once the screen is touched.
    assert.equal(await page.$eval('#sv-touch', (e) => e.hidden), true);
    await page.waitForSelector(shown('Form2'));
    await page.touchscreen.tap(...Object.values(await centre(page, `${shown('Form2')} [data-name=Command1]`)));
    await page.waitForSelector(shown('Form1'));
    await page.waitForSelector('#sv-touch:not([hidden])');
    const at = {
        lift: await centre(page, '#sv-touch [data-key=ShiftLeft]'),
        ArrowLeft: await centre(page, '#sv-touch [data-key=ArrowLeft]'),
        ArrowRight: await centre(page, '#sv-touch [data-key=ArrowRight]'),
        ArrowUp: await centre(page, '#sv-touch [data-key=ArrowUp]'),
        ArrowDown: await centre(page, '#sv-touch [data-key=ArrowDown]'),
    };
    // A thumb slides from one arrow to the next: the first goes up, the next goes down.
    await fingers.put(2, at.ArrowLeft);
    await fingers.put(2, at.ArrowUp);
    await fingers.lift(2);
    await page.waitForFunction(() => skyvanePage.recording.filter((l) => / (down|up) /.test(l)).length >= 4);
    const slid = (await page.evaluate(() => skyvanePage.recording)).filter((l) => / (down|up) /.test(l));
    assert.deepEqual(slid.map((l) => l.split(' ').slice(1).join(' ')),
        ['down Form1 37', 'up Form1 37', 'down Form1 38', 'up Form1 38']);

    await page.touchscreen.tap(...Object.values(await centre(page, `${shown('Form1')} [data-name=Command1]`)));  // GO
    // The pilot: one finger on lift, one on an arrow of each axis, from what the page shows.
    const held = { 1: null, 2: null, 3: null };
    const hold = async (id, key) => {
        if (held[id] === key) return;
        held[id] = key;
        if (key) await fingers.put(id, at[key]);
        else await fingers.lift(id);
    };
    const history = [];
    const fly = async (tx, tz, until) => {
        const started = Date.now();
        while (Date.now() - started < 120000 / pace) {
            const s = await look(page);
            if (until(s)) return s;
            if (s.close && !s.go) {
                const stalls = await page.evaluate(() => skyvanePage.recording.filter((l) => / skip /.test(l)));
                const passed = stalls.reduce((n, l) => n + Number(l.split(' ')[2]) - Number(l.split(' ')[0]), 0);
                throw new Error(`the helicopter was lost at ${JSON.stringify(s)}; the game passed over ${passed} periods in ${stalls.length} stalls`);
            }
            history.push(s);
            while (history.length > 2 && s.t - history[1].t > 6 * period) history.shift();
            const then = history[0];
            const periods = Math.max(1, (s.t - then.t) / period);
            const vx = (s.x - then.x) / periods, vz = (s.z - then.z) / periods;
            // The gauge reads the speed; which way it goes, the altitude says (GO climbs).
            const down = history.length > 1 && s.altitude < then.altitude ? s.speed
                : history.length > 1 && s.altitude > then.altitude ? -s.speed : -s.speed;
            // Towards the mark while a release now would still stop short of it, never fast.
            const axis = (error, v, less, more) => {
                const stop = (v * Math.abs(v)) / 6;
                const push = Math.abs(error) > 30 && Math.sign(error) * stop < Math.abs(error) - 40 && Math.abs(v) < 40;
                return push ? (error < 0 ? less : more) : null;
            };
            await hold(2, axis(tx - s.x, vx, 'ArrowLeft', 'ArrowRight'));
            await hold(3, axis(tz - s.z, vz, 'ArrowUp', 'ArrowDown'));
            const over = Math.abs(tx - s.x) < 60 && Math.abs(tz - s.z) < 60 && Math.abs(vx) < 8 && Math.abs(vz) < 8;
            let wanted = Math.max(-15, Math.min(15, (s.altitude - 780) / 10));
            if (over) wanted = s.altitude > 300 ? 15 : 8;
            await hold(1, down > wanted ? 'lift' : null);
            await sleep(5);
        }
        throw new Error('no landing within two minutes');
    };
    const landed = await fly(600, 1150, (s) => s.back);
    await fingers.liftAll();
    for (const id of [1, 2, 3]) held[id] = null;
    history.length = 0;
    // After the landing BACK has the focus, and shows it.
    assert.equal(await page.evaluate(() => document.activeElement?.dataset.name), 'Command3');
    assert.ok(landed.back);
    await page.touchscreen.tap(...Object.values(await centre(page, `${shown('Form1')} [data-name=Command3]`)));
    const delivered = await fly(3590, 2360, (s) => s.go && !s.back);
    await fingers.liftAll();
    assert.equal(delivered.rescued, 2);
    // Once the fingers are off, the game has every key up.
    for (let i = 0; i < 100 && h.keyFaults((await h.recorded(page)).split('\n'), true).length; i++) await sleep(100);

    // The run the touches made records and replays like any other.
    const { file, trace } = await h.snapshot(page);
    const again = h.headless(file);
    assert.equal(again.trace.length, trace.length, h.firstDifference(again.trace, trace));
    assert.deepEqual(again.trace, trace);
    assert.match(again.summary, /^phase=base rescued=2 /);
    assert.deepEqual(h.keyFaults(file.split('\n'), true), []);
    await page.closeAll();
});

// The screens people play on: the windows whole on the screen, never under the controls, and
// as large as the screen lets them be.
// A pad (the test's own, as navigator.getGamepads gives it) presses GO with A on the focused
// button, and lifts with its trigger; the pad, a finger and the keyboard hold the lift
// together, let go in every order, and the game hears one down and one up for each hold.
test('a pad presses GO and lifts; pad, finger and keyboard hold the lift together until the last lets go', async () => {
    const page = await h.open('trace', null, phone(844, 390));
    await page.evaluate(() => {
        const button = () => ({ pressed: false, value: 0 });
        window.testPad = { connected: true, index: 0, id: 'test', mapping: 'standard', axes: [0, 0, 0, 0],
            buttons: Array.from({ length: 17 }, button) };
        navigator.getGamepads = () => [window.testPad];
        dispatchEvent(new Event('gamepadconnected'));
    });
    const pad = (i, down) => page.evaluate((b, d) => { window.testPad.buttons[b] = { pressed: d, value: d ? 1 : 0 }; }, i, down);
    const fingers = new Fingers(page);
    await page.waitForSelector(shown('Form2'));
    await page.touchscreen.tap(...Object.values(await centre(page, `${shown('Form2')} [data-name=Command1]`)));
    await page.waitForSelector(shown('Form1'));
    await page.waitForSelector('#sv-touch:not([hidden])');
    await pad(0, true);  // A, on the focused GO
    await page.waitForFunction(() => skyvanePage.trace.some((l) => l.endsWith('Form1 Command1_Click')));
    await pad(0, false);
    const lift = await centre(page, '#sv-touch [data-key=ShiftLeft]');
    const sources = {
        pad: (down) => pad(7, down),
        finger: (down) => (down ? fingers.put(1, lift) : fingers.lift(1)),
        keyboard: (down) => (down ? page.keyboard.down('Shift') : page.keyboard.up('Shift')),
    };
    // Counted in the recording, which holds a down and an up a hold (the game's own repeats of a
    // long hold are lines of their own).
    const count = (what) => page.evaluate((w) => skyvanePage.recording.filter((l) => l.endsWith(` ${w} Form1 16`)).length, what);
    for (const order of [['pad', 'finger', 'keyboard'], ['keyboard', 'pad', 'finger'], ['finger', 'keyboard', 'pad']]) {
        const [d0, u0] = [await count('down'), await count('up')];
        for (const s of order) await sources[s](true);
        await page.waitForFunction((n) => skyvanePage.recording.filter((l) => l.endsWith(' down Form1 16')).length > n, {}, d0);
        for (const [i, s] of order.entries()) {
            await sources[s](false);
            if (i < 2) {
                // Let go of by one source, held by another: nothing reaches the game. (What the
                // page queued is taken at the next period.)
                const period = await page.evaluate(() => skyvanePage.trace.length);
                await page.waitForFunction((n) => skyvanePage.trace.length > n + 20, {}, period);
                assert.equal(await count('up'), u0, `${order}: up after ${s}`);
            }
        }
        await page.waitForFunction((n) => skyvanePage.recording.filter((l) => l.endsWith(' up Form1 16')).length > n, {}, u0);
        assert.equal(await count('down'), d0 + 1, `${order}: one down`);
        assert.equal(await count('up'), u0 + 1, `${order}: one up`);
    }
    assert.deepEqual(page.errors, []);
    await page.closeAll();
});

test('every screen from 320x480 to 4K shows the whole window, beside or below the controls', async () => {
    const shots = process.env.SKYVANE_SCREENSHOTS;
    const sizes = [[320, 480, true], [390, 844, true], [844, 390, true], [768, 1024, true], [1920, 1080, false],
        [3840, 2160, false]];
    for (const [width, height, touch] of sizes) {
        const page = await h.open('', null, touch ? phone(width, height) : { width, height });
        await page.waitForSelector(shown('Form2'));
        if (touch) {
            await page.touchscreen.tap(2, 2);
            await page.waitForSelector('#sv-touch:not([hidden])');
        }
        await h.join(page, 'Ace');
        const boxes = await page.evaluate(() => {
            const r = (e) => {
                const b = e.getBoundingClientRect();
                return { left: b.left, top: b.top, right: b.right, bottom: b.bottom };
            };
            return {
                window: r(document.querySelector('[data-form=Form1]:not([hidden])')),
                controls: [...document.querySelectorAll('#sv-touch:not([hidden]) [data-key]')].map(r),
                bar: r(document.getElementById('bar')),
            };
        });
        const w = boxes.window;
        const what = `${width}x${height}`;
        assert.ok(w.left >= -1 && w.top >= -1 && w.right <= width + 1 && w.bottom <= boxes.bar.top + 1, `${what}: ${JSON.stringify(w)}`);
        for (const c of boxes.controls)
            assert.ok(c.right <= w.left || c.left >= w.right || c.bottom <= w.top || c.top >= w.bottom,
                `${what}: a control over the window`);
        // As large as it can be: it fills the room on one side or the other.
        const room = { width: width - (touch && width > height ? 286 : 0), height: boxes.bar.top - (touch && width <= height ? 170 : 0) };
        assert.ok(w.right - w.left >= room.width - 3 || w.bottom - w.top >= room.height - 3,
            `${what}: ${JSON.stringify(w)} in ${JSON.stringify(room)}`);
        assert.equal(await page.$eval('.sv-turn', (e) => getComputedStyle(e).display !== 'none'), touch && height > width);
        if (shots) await page.screenshot({ path: path.join(shots, `web-${what}.png`) });
        await page.closeAll();
    }
});

// A thumb needs about 44 by 44 CSS pixels: every control the game shows has an area that big of
// its own, which no other control's meets, and a tap at its farthest corner presses it; the
// bar's controls are never cut, at any width from 320.
test('at 320x480 and 390x844 every control is within a thumb\'s reach of its own; the bar is never cut', async () => {
    for (const [width, height] of [[320, 480], [390, 844]]) {
        const page = await h.open('', null, phone(width, height));
        await page.touchscreen.tap(1, 1);
        await page.waitForFunction(() => document.body.classList.contains('sv-touch'));
        const areas = () => page.evaluate(() => [...document.querySelectorAll('.sv-hit')].map((hit) => {
            const a = hit.getBoundingClientRect(), c = hit.control.getBoundingClientRect();
            return { name: hit.control.dataset.name || hit.control.className, a: [a.left, a.top, a.right, a.bottom],
                c: [(c.left + c.right) / 2, (c.top + c.bottom) / 2] };
        }));
        const reach = async (state, name) => {
            // Measured once the page stands still: a focused name box scrolls into view.
            let all = await areas();
            for (let i = 0; i < 100; i++) {
                await sleep(50);
                const again = await areas();
                if (JSON.stringify(again) === JSON.stringify(all)) break;
                all = again;
            }
            for (const { name: n, a } of all) assert.ok(a[2] - a[0] >= 44 && a[3] - a[1] >= 44, `${width}: ${state}: ${n} ${a}`);
            for (const x of all) for (const y of all)
                if (x !== y) assert.ok(x.a[2] <= y.a[0] || y.a[2] <= x.a[0] || x.a[3] <= y.a[1] || y.a[3] <= x.a[1], `${state}: ${x.name} meets ${y.name}`);
            const it = all.find((x) => x.name === name || x.name.includes(name));
            assert.ok(it, `${state}: an area for ${name} among ${all.map((x) => x.name)}`);
            const [l, t, r, b] = it.a, [cx, cy] = it.c;
            await page.touchscreen.tap(cx < (l + r) / 2 ? r - 2 : l + 2, cy < (t + b) / 2 ? b - 2 : t + 2);
        };
        await page.waitForSelector(shown('Form2'));
        await reach('title', 'Text1');
        await page.waitForFunction(() => document.activeElement?.dataset?.name === 'Text1');
        await reach('title', 'Command1');
        await page.waitForSelector(shown('Form1'));
        await reach('briefing', 'Command1');
        await page.waitForFunction(() => skyvanePage.sound.calls.includes('once BAKU.wav'), { timeout: 20000 });
        await page.waitForSelector(`${shown('Form1')} [data-name=Command2]:not([hidden])`);
        await reach('crashed', 'Command2');
        await page.waitForSelector('#sv-modal');
        await reach('box', 'sv-ok');
        await page.waitForFunction(() => skyvanePage.state === 'ended');
        assert.deepEqual(page.errors, []);
        // The bar at every width, with every control it can show.
        await page.evaluate(() => {
            for (const id of ['again', 'download', 'language']) document.getElementById(id).hidden = false;
        });
        for (let w = 320; w <= 1024; w += 16) {
            await page.setViewport({ width: w, height: 480, hasTouch: true, isMobile: true });
            const cut = await page.evaluate(() => [...document.querySelectorAll('#bar > button, #bar > label')]
                .filter((e) => !e.hidden).map((e) => [e.id, e.getBoundingClientRect()])
                .filter(([, r]) => r.left < 0 || r.right > innerWidth || r.bottom > innerHeight || r.width === 0).map(([id]) => id));
            assert.deepEqual(cut, [], `at ${w}`);
        }
        await page.closeAll();
    }
});

test('after one visit the game loads and plays with no network, and a new build is taken on the next load', async () => {
    // A copy of the site, so that a new build can be made of it.
    const copy = path.join(h.work, 'site');
    fs.cpSync(h.site, copy, { recursive: true });
    const server = await h.serve(copy);
    const page = await h.open('trace', null, { width: 1024, height: 700 }, server.base);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null || skyvanePage.offlineReady, { timeout: 30000 });
    await page.waitForFunction(async () => (await navigator.serviceWorker.ready).active.state === 'activated');
    await page.reload({ waitUntil: 'load' });
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
    await page.setOfflineMode(true);
    await page.reload({ waitUntil: 'load' });
    await page.waitForFunction(() => skyvanePage.state === 'playing');
    await h.join(page, 'Offline');
    await page.keyboard.press('Enter');  // GO, and down it comes
    await page.waitForFunction(() => skyvanePage.sound.calls.includes('once BAKU.wav'), { timeout: 20000 });
    assert.match(await page.evaluate(() => skyvanePage.textOf('Form1', 'Label9')), /爆発/);
    assert.deepEqual(page.errors, []);

    // New builds that do not arrive whole: a cut wasm, a missing font, a file whose bytes are not
    // those its build wrote. None is taken; the build that plays goes on, online and offline,
    // and says why.
    await page.setOfflineMode(false);
    const makeBuild = (tag) => {
        fs.appendFileSync(path.join(copy, 'skyvane.css'), `\n/* ${tag} */\n`);
        execFileSync(process.execPath, [path.join(h.root, 'platform/web/make_sw.js'), copy, 'test',
            path.join(h.root, 'platform/web/sw.js.in')]);
    };
    const kept = await page.evaluate(() => caches.keys());
    const good = new Map(['skyvane.wasm', 'fonts/ipam.woff2', 'page.js'].map((f) => [f, fs.readFileSync(path.join(copy, f))]));
    for (const [tag, harm] of [
        ['a cut wasm', () => fs.writeFileSync(path.join(copy, 'skyvane.wasm'), good.get('skyvane.wasm').subarray(0, 300000))],
        ['a missing font', () => fs.rmSync(path.join(copy, 'fonts/ipam.woff2'))],
        ['changed bytes', () => fs.appendFileSync(path.join(copy, 'page.js'), '\n// not the build\'s\n')]]) {
        makeBuild(tag);
        harm();
        await page.goto(server.base, { waitUntil: 'load' });
        await h.settled(page, () => skyvanePage.updateFailed !== undefined && skyvanePage.state === 'playing');
        assert.match(await page.$eval('#status', (e) => e.textContent), /skyvane\.wasm|ipam|page\.js/, tag);
        assert.deepEqual(await page.evaluate(() => caches.keys()), kept, tag);
        await page.setOfflineMode(true);
        await page.reload({ waitUntil: 'load' });
        await page.waitForFunction(() => skyvanePage.state === 'playing');
        await page.setOfflineMode(false);
        for (const [f, bytes] of good) fs.writeFileSync(path.join(copy, f), bytes);
    }

    // A good build: one file changed, and a service worker that names the new set.
    makeBuild('build two');
    const before = await page.evaluate(() => caches.keys());
    await page.goto(server.base, { waitUntil: 'load' });
    // Taken as the page starts, before anything is played: the page loads again by itself (which
    // may cut short a look at it).
    // On a busy machine the new build may finish installing only after the page started: it is
    // then taken on the load after.
    let taken = false;
    for (let load = 0; load < 2 && !taken; load++) {
        if (load) await page.reload({ waitUntil: 'load' }).catch(() => {});
        for (let i = 0; i < 300 && !taken; i++) {
            taken = await page.evaluate(async () => (await (await fetch('skyvane.css')).text()).includes('build two'))
                .catch(() => false);
            if (!taken) await sleep(100);
        }
    }
    // What the page holds is asked only when the build was not taken: the page may be loading
    // itself again just now.
    if (!taken) {
        assert.fail(`the new build was not taken: ${await page.evaluate(async () => {
            const r = await navigator.serviceWorker.getRegistration();
            return JSON.stringify({ status: document.getElementById('status').textContent, played: skyvanePage.played,
                active: r?.active?.state, waiting: r?.waiting?.state, installing: r?.installing?.state,
                caches: await caches.keys() });
        })}`);
    }
    // The page may still be loading itself again under the new build (a minute: beside two busy
    // loops this once took longer than 30 s, and said nothing of why).
    await h.settled(page, async () => skyvanePage.state === 'playing' && (await caches.keys()).length === 1,
        60000, async () => {
            const r = await navigator.serviceWorker.getRegistration();
            return { state: skyvanePage.state, error: skyvanePage.error, status: document.getElementById('status').textContent,
                caches: await caches.keys(), active: r?.active?.state, waiting: r?.waiting?.state,
                installing: r?.installing?.state, controlled: !!navigator.serviceWorker.controller };
        });
    const after = await page.evaluate(() => caches.keys());
    assert.equal(after.length, 1, JSON.stringify(after));
    assert.notDeepEqual(after, before);
    assert.match(after[0], /^skyvane-test-/);
    // A worker whose cache a newer build deleted answers from the network and makes no cache.
    assert.deepEqual(await page.evaluate(async (name) => {
        await caches.delete(name);
        await fetch('skyvane.css');
        return caches.keys();
    }, after[0]), []);
    await page.closeAll();
    server.stop();
});

// A server of the test's own, on another port and so another site, for replays the page fetches.
async function replayServer(routes) {
    const server = http.createServer((request, response) => {
        const route = routes[new URL(request.url, 'http://x').pathname];
        if (!route) {
            response.writeHead(404).end();
            return;
        }
        route(request, response);
    });
    await new Promise((r) => server.listen(0, '127.0.0.1', r));
    const stop = () => {
        server.closeAllConnections();
        server.close();
    };
    h.stops.push(stop);
    return { url: (p) => `http://127.0.0.1:${server.address().port}${p}`, stop };
}

test('the page reads a replay\'s bytes as the native game does, and says what went wrong', async () => {
    const head = 'skyvane-replay 1\n0 click Form2 Command1\n';
    let lines = '';
    for (let p = 1; p <= 600; p++) lines += `${p} wait\n`;
    const cases = [
        ['a zero byte at line 603', Buffer.from(head + lines + '601 wa\0it\n602 wait\n')],
        ['random bytes', Buffer.from(Array.from({ length: 300 }, (_, i) => (i * 97 + 13) % 256))],
        ['a file cut short', Buffer.from(head + '5 click Form1 Comm')],
    ];
    for (const [what, bytes] of cases) {
        const native = h.refusal(bytes);
        assert.ok(native, `${what}: the native game plays it`);
        const page = await h.open('', bytes.toString('latin1'));
        await page.waitForFunction(() => skyvanePage.error !== null);
        const said = await page.evaluate(() => skyvanePage.error);
        // The same refusal, file and line and why, with the name the page knows the file by.
        const why = native.said.trim().replace(/^skyvane: [^:]*:/, '');
        assert.ok(said.endsWith(why), `${what}: the page says '${said}', the native game '${native.said}'`);
        assert.equal(await page.evaluate(() => skyvanePage.summary), null, what);
        await page.closeAll();
    }
    // A pace the native game refuses, the page refuses in its words.
    for (const speed of ['-1', 'NaN', '1/0', 'inf/inf', '<b>2</b>', '1000']) {
        const file = path.join(h.work, 'paced.replay');
        fs.writeFileSync(file, head + '30 wait\n');
        let native = '';
        try {
            execFileSync(h.native, ['--replay', file, '--speed', speed], { stdio: ['ignore', 'ignore', 'pipe'] });
        } catch (e) {
            native = String(e.stderr).split('\n')[0].replace(/^skyvane: /, '');
        }
        const paced = await h.open(`speed=${encodeURIComponent(speed)}`, head + '30 wait\n');
        await paced.waitForFunction(() => skyvanePage.error !== null);
        assert.equal(await paced.evaluate(() => skyvanePage.error), `speed=${speed}: ${native}`, speed);
        await paced.closeAll();
    }
    // A zero byte in a comment is a comment's.
    const page = await h.open('', head + '# a \0 in a comment\n30 wait\n');
    await page.waitForFunction(() => skyvanePage.summary !== null);
    assert.equal(await page.evaluate(() => skyvanePage.summary), h.headless(head + '30 wait\n').summary);
    await page.closeAll();
});

test('a run of 20 MB is watched from the disk, and one of 200 MB is refused as its bytes arrive', async () => {
    // 20 MB, most of it what the player wrote about the run: too much for a session's storage,
    // not for the page.
    const note = `# ${'a long story of the flight '.repeat(37)}\n`;
    const big = 'skyvane-replay 1\n' + note.repeat(Math.ceil(20 * 1048576 / note.length)) +
        '0 click Form2 Command1\n40 end\n';
    const page = await h.open('speed=64', big);
    await page.waitForFunction(() => skyvanePage.summary !== null || skyvanePage.error !== null, { timeout: 120000 });
    assert.equal(await page.evaluate(() => skyvanePage.error), null);
    assert.match(await page.evaluate(() => skyvanePage.summary), /^phase=ended /);
    await page.closeAll();

    let sent = 0;
    const stream = (withLength) => (request, response) => {
        response.writeHead(200, {
            'Content-Type': 'text/plain', 'Access-Control-Allow-Origin': '*',
            ...(withLength ? { 'Content-Length': 200 * 1048576 } : {}),
        });
        const block = Buffer.alloc(1048576, '0 wait\n');
        let n = 0;
        const more = () => {
            while (n < 200) {
                n++;
                sent += block.length;
                if (!response.write(block)) return response.once('drain', more);
            }
            response.end();
        };
        response.on('close', () => { n = 200; });
        more();
    };
    const server = await replayServer({ '/sized.replay': stream(true), '/unsized.replay': stream(false),
        '/closed.replay': (q, r) => r.writeHead(200).end('skyvane-replay 1\n') });
    for (const [name, says] of [['sized', /is 200 MB, larger than any recorded run \(128 MB\); not read/],
        ['unsized', /larger than any recorded run \(128 MB\); not read further/],
        ['closed', /does not let this page read it/]]) {
        sent = 0;
        const p = await h.open(`lang=en&replay=${encodeURIComponent(server.url(`/${name}.replay`))}`);
        await p.waitForFunction(() => skyvanePage.error !== null, { timeout: 60000 });
        assert.match(await p.evaluate(() => skyvanePage.error), says, name);
        // Refused before the end came: how far the browser's network read ahead of the page
        // meanwhile is the browser's (about 128 MB idle, up to 190 MB on a busy machine).
        assert.ok(sent < 200 * 1048576, `${name}: ${sent} bytes sent before the refusal`);
        // Said where the game would be, and nothing plays.
        assert.equal(await p.$eval('#notice', (e) => e.hidden), false);
        assert.equal(await p.$(shown('Form2')), null);
        await p.closeAll();
    }
    server.stop();
});

test('the page says what happened and what to do: from the disk, nothing to watch, nothing to download yet', async () => {
    const context = await h.browser.createBrowserContext();
    const disk = await context.newPage();
    await disk.goto('file://' + path.join(h.site, 'index.html') + '?lang=en', { waitUntil: 'load' });
    await disk.waitForFunction(() => skyvanePage.error !== null);
    assert.match(await disk.$eval('#notice', (e) => e.textContent), /web server.*play\.sh --web/s);
    await context.close();

    // A game that cannot start (its wasm cut short, with no worker to fall back on) is said.
    const cut = path.join(h.work, 'cut');
    fs.cpSync(h.site, cut, { recursive: true });
    fs.truncateSync(path.join(cut, 'skyvane.wasm'), 300000);
    const cutServer = await h.serve(cut);
    const broken = await h.open('lang=en', null, undefined, cutServer.base);
    await broken.waitForFunction(() => skyvanePage.state === 'failed', { timeout: 30000 });
    assert.equal(await broken.$eval('#notice', (e) => e.hidden), false);
    assert.match(await broken.$eval('#notice', (e) => e.textContent), /could not be loaded.*Load the page again/s);
    await broken.closeAll();
    cutServer.stop();

    const nothing = await h.open('lang=en&replay=local');
    await nothing.waitForFunction(() => skyvanePage.error !== null);
    assert.match(await nothing.evaluate(() => skyvanePage.error), /no run to watch/);
    assert.equal(await nothing.$(shown('Form2')), null);
    await nothing.closeAll();

    const fresh = await h.open();
    await fresh.waitForSelector(shown('Form2'));
    assert.equal(await fresh.$eval('#download', (e) => e.hidden), true, 'nothing to download before any play');
    await h.join(fresh, 'Ace');
    assert.equal(await fresh.$eval('#download', (e) => e.hidden), false);
    await fresh.closeAll();
});

test('a name keeps its carriage return and its NUL, in the caption, the farewell and the recording', async () => {
    const page = await h.open();
    await page.waitForSelector(shown('Form2'));
    const input = `${shown('Form2')} input`;
    await page.click(input);
    await page.evaluate((sel) => {
        const box = document.querySelector(sel);
        const data = new DataTransfer();
        data.setData('text/plain', 'one\rtwo\0three');
        box.dispatchEvent(new ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true }));
    }, input);
    await page.click(`${shown('Form2')} [data-name=Command1]`);
    await page.waitForSelector(shown('Form1'));
    const recording = await page.evaluate(() => skyvanePage.recording);
    assert.ok(recording.some((l) => l.endsWith('text Form2 Text1 =one%0Dtwo%00three')), recording.join('\n'));
    await page.click(`${shown('Form1')} [data-name=Command2]`);
    await page.waitForSelector('#sv-modal');
    const text = await page.$eval('#sv-modal .sv-text', (e) => e.textContent);
    assert.ok(text.endsWith('「one\ntwo\0three」の勇気には心より敬意を表します'), JSON.stringify(text));
    await page.closeAll();
});

// A hidden page holds the game, with sound or without: nothing moves while the player is away,
// the keys are let go, and the time away is a stall the recording keeps.
test('a hidden page holds the game, whatever the sound does', async () => {
    for (const sound of [true, false]) {
        const page = await h.open('trace');
        if (!sound) await page.evaluateOnNewDocument(() => { window.AudioContext = undefined; });
        if (!sound) await page.reload({ waitUntil: 'load' });
        await h.join(page, 'Away');
        await page.keyboard.press('Enter');  // GO
        await page.keyboard.down('Shift');
        await sleep(300);
        if (sound) await page.waitForFunction(() => skyvanePage.sound.ready);
        const hide = (hidden) => page.evaluate((hidden) => {
            skyvanePage.hiddenForTest = hidden;
            Object.defineProperty(document, 'hidden', { configurable: true, get: () => hidden });
            document.dispatchEvent(new Event('visibilitychange'));
        }, hidden);
        await hide(true);
        await page.waitForFunction(() => skyvanePage.recording.some((l) => / lostkeys$/.test(l)));
        const fuel = () => page.evaluate(() => skyvanePage.textOf('Form1', 'Label16'));
        const traced = () => page.evaluate(() => skyvanePage.trace.length);
        const away = { fuel: await fuel(), trace: await traced() };
        await sleep(2000);
        assert.equal(await fuel(), away.fuel, `sound ${sound}: the fuel ran while the page was hidden`);
        assert.equal(await traced(), away.trace, `sound ${sound}: the game ran while the page was hidden`);
        await page.keyboard.up('Shift');
        await hide(false);
        await page.waitForFunction(() => skyvanePage.recording
            .slice(skyvanePage.recording.findIndex((l) => / lostkeys$/.test(l))).some((l) => / skip /.test(l)));
        const recording = await page.evaluate(() => skyvanePage.recording);
        const lost = recording.findIndex((l) => / lostkeys$/.test(l));
        const skip = recording.slice(lost).filter((l) => / skip /.test(l))
            .map((l) => l.split(' ')).sort((a, b) => (b[2] - b[0]) - (a[2] - a[0]))[0];
        assert.ok(Number(skip[2]) - Number(skip[0]) >= 100, `sound ${sound}: ${skip.join(' ')}`);
        if (sound) assert.ok((await page.evaluate(() => skyvanePage.sound.played)).includes('suspend'));
        // What the page took, the stall included, replays the same natively.
        await sleep(500);
        const { file, trace } = await h.snapshot(page);
        const again = h.headless(file);
        assert.deepEqual(again.trace, trace, h.firstDifference(again.trace, trace));
        await page.closeAll();
    }
});
