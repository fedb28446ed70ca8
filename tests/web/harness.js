// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// What the browser tests share: Debian's Chromium, headless, driven by puppeteer-core, on the
// page that build-web/site holds, served by platform/web/serve.js; and the native program, which
// judges what the page did.
//
// Environment: SKYVANE_SITE (build-web/site), SKYVANE_NATIVE (build/skyvane),
// SKYVANE_SCRIPTED_REPLAYS (build/fuzz/scripted-replays), SKYVANE_CHROMIUM (/usr/bin/chromium).

'use strict';
const { before, after } = require('node:test');
const { spawn, execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const root = path.resolve(__dirname, '../..');
const site = process.env.SKYVANE_SITE || path.join(root, 'build-web/site');
const native = process.env.SKYVANE_NATIVE || path.join(root, 'build/skyvane');
const scripted = process.env.SKYVANE_SCRIPTED_REPLAYS || path.join(root, 'build/fuzz/scripted-replays');
const chromium = process.env.SKYVANE_CHROMIUM || '/usr/bin/chromium';
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'skyvane-web-'));
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Whatever a test starts, stopped when the file's tests end, passed or failed: a server left
// running would keep the test file from ever ending.
const stops = [];
// A server of the page's own for a folder; its address and a way to stop it.
async function serve(folder) {
    const server = spawn(process.execPath, [path.join(root, 'platform/web/serve.js'), folder, '0']);
    const stop = () => server.kill();
    stops.push(stop);
    const base = await new Promise((resolve, reject) => {
        server.stdout.on('data', (d) => {
            const m = /localhost:(\d+)/.exec(String(d));
            if (m) resolve(`http://localhost:${m[1]}/`);
        });
        server.on('exit', () => reject(new Error('the server did not start')));
    });
    return { base, stop };
}

const h = { root, site, native, scripted, work, sleep, serve, stops };

before(async () => {
    h.server = await serve(site);
    h.base = h.server.base;
    h.browser = await puppeteer.launch({
        executablePath: chromium,
        headless: true,
        args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
            '--disable-component-update', '--disable-sync', '--no-first-run',
            '--autoplay-policy=no-user-gesture-required', '--font-render-hinting=none'],
    });
});

after(async () => {
    if (h.browser) await h.browser.close();
    for (const stop of stops) stop();
    fs.rmSync(work, { recursive: true, force: true });
});

// A page of the game, in a context of its own (nothing kept from another test: no service
// worker, no storage); with a replay's text, it watches that run, chosen with "Watch a run" as a
// player chooses one.
// A live pilot's test may pace the game for it (PACE times the real speed), as the tests pace
// the native game; no player can.
h.open = async (query = '', replayText = null, viewport = { width: 1024, height: 700 }, base = h.base, media = [],
    pace = null) => {
    const context = await h.browser.createBrowserContext();
    const page = await context.newPage();
    if (pace !== null) await page.evaluateOnNewDocument((p) => { window.skyvaneTestPace = p; }, String(pace));
    if (media.length) await page.emulateMediaFeatures(media);
    page.closeAll = () => context.close();
    await page.setViewport(viewport);
    const errors = [];
    page.on('pageerror', (e) => errors.push(e.message));
    page.errors = errors;
    const q = query ? '?' + query : '';
    await page.goto(base + q, { waitUntil: 'load' });
    if (replayText !== null) {
        await page.waitForFunction(() => skyvanePage.state !== 'loading' || skyvanePage.error);
        const file = path.join(work, `watch-${process.hrtime.bigint()}.replay`);
        fs.writeFileSync(file, replayText);
        const input = await page.$('#replay-file');
        await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), input.uploadFile(file)]);
    }
    await page.waitForFunction(() => skyvanePage.state !== 'loading' || skyvanePage.error);
    return page;
};

// Waits for `fn` to hold in the page, through any loads the page makes of itself on the way;
// if it never does, says what `seen` (a function of the page's) saw last.
h.settled = async (page, fn, limit = 30000, seen = null) => {
    for (const until = Date.now() + limit; ;) {
        try {
            if (await page.evaluate(fn)) return;
        } catch (e) {
            if (!/context was destroyed|navigat|Target closed|detached/i.test(e.message)) throw e;
        }
        if (Date.now() > until) {
            const saw = seen && await page.evaluate(seen).then(JSON.stringify, (e) => e.message);
            throw new Error(`never held: ${fn}${saw ? `; the page had ${saw}` : ''}`);
        }
        await sleep(100);
    }
};

h.shown = (form) => `[data-form=${form}]:not([hidden])`;
h.join = async (page, name) => {
    await page.waitForSelector(h.shown('Form2'));
    if (name !== null) {
        await page.click(`${h.shown('Form2')} input`);
        await page.keyboard.type(name);
    }
    await page.click(`${h.shown('Form2')} [data-name=Command1]`);
    await page.waitForSelector(h.shown('Form1'));
};

h.native = native;
// The native game's headless replay of a text: its summary and its trace.
h.headless = (text) => {
    const file = path.join(work, `run-${process.hrtime.bigint()}.replay`);
    const trace = file + '.trace';
    fs.writeFileSync(file, text);
    const summary = execFileSync(native, ['--replay', file, '--headless', '--trace', trace], {
        encoding: 'utf8',
        stdio: ['ignore', 'pipe', 'ignore'],
    }).trim();
    return { summary, trace: fs.readFileSync(trace, 'utf8').split('\n').filter((l) => l) };
};
// The native game's refusal of a file, as it says it on stderr.
h.refusal = (bytes) => {
    const file = path.join(work, `refused-${process.hrtime.bigint()}.replay`);
    fs.writeFileSync(file, bytes);
    try {
        execFileSync(native, ['--replay', file, '--headless'], { stdio: ['ignore', 'ignore', 'pipe'] });
        return null;
    } catch (e) {
        return { file, said: String(e.stderr) };
    }
};

h.firstDifference = (a, b) => {
    for (let i = 0; i < Math.max(a.length, b.length); i++)
        if (a[i] !== b[i]) return `line ${i + 1}: '${a[i]}' against '${b[i]}'`;
    return 'none';
};
// The page's run as a replay file.
h.recorded = (page) => page.evaluate(() => skyvanePage.recordedFile());
// The run and its trace at one moment, and the run as a file that ends there: a headless replay
// of `file` writes `trace`.
h.snapshot = (page) => page.evaluate(() => {
    const trace = [...skyvanePage.trace];
    const upTo = trace.length ? trace[trace.length - 1].split(' ')[0] : '0';
    return { trace, file: `${skyvanePage.recordedFile()}${upTo} wait\n` };
});

// The keys of a recording pair: no second down without its up, no up without its down, no repeat
// of a key that is up or was not pressed last; with `released`, nothing held at the end.
h.keyFaults = (lines, released) => {
    const held = new Set();
    let last = null;
    const faults = [];
    for (const line of lines) {
        const [, verb, , key] = line.split(' ');
        if (verb === 'down') {
            if (held.has(key)) faults.push(`a second down without its up: ${line}`);
            held.add(key);
            last = key;
        } else if (verb === 'up') {
            if (!held.has(key)) faults.push(`an up whose down the game never took: ${line}`);
            held.delete(key);
            if (key === last) last = null;
        } else if (verb === 'repeat') {
            if (!held.has(key)) faults.push(`a repeat after its up: ${line}`);
            else if (key !== last) faults.push(`a repeat of a key not pressed last: ${line}`);
        } else if (verb === 'lostkeys') {
            held.clear();
            last = null;
        }
    }
    if (released) for (const key of held) faults.push(`key ${key} still down once every key was let go`);
    return faults;
};

// A small generator of the tests' own, so that a seed draws the same again.
h.random = (seed) => {
    let a = seed >>> 0;
    return () => {
        a = (a + 0x6d2b79f5) >>> 0;
        let t = a;
        t = Math.imul(t ^ (t >>> 15), t | 1);
        t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
        return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
    };
};
h.seed = () => Number(process.env.SKYVANE_SEED || Math.floor(Math.random() * 2 ** 31));

module.exports = h;
