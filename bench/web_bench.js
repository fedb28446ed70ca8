// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Figures of the page (./play.sh --web builds it), in Debian's headless Chromium on localhost:
// what it transfers, gzip-compressed; the time from navigation to the title screen (median of
// 10); the main thread's CPU in flight with Shift held, against a bare page that changes one
// label 64 times a second and against the floor of the game's job (its rotor sounding too), in
// turns in the same run, the game joined at once and as a player joins, seconds after the title
// shows; and the pacing of the timer grid at the title over 30 s. A benchmark,
// not a test. Needs tests/web's packages (npm ci there).
// Usage: node bench/web_bench.js [SITE]
// SKYVANE_BENCH_ROUNDS=N measures the pages in N rounds rather than five: the medians of more
// rounds move less from run to run.

'use strict';
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const zlib = require('node:zlib');
const puppeteer = require(path.join(__dirname, '../tests/web/node_modules/puppeteer-core'));

const root = path.resolve(__dirname, '..');
const site = path.resolve(process.argv[2] || path.join(root, 'build-web/site'));
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const median = (xs) => {
    const s = [...xs].sort((a, b) => a - b);
    return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
};

function transfer(dir) {
    let plain = 0, gzipped = 0;
    for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
        const p = path.join(dir, entry.name);
        if (entry.isDirectory()) {
            const t = transfer(p);
            plain += t.plain;
            gzipped += t.gzipped;
        } else {
            const bytes = fs.readFileSync(p);
            plain += bytes.length;
            gzipped += zlib.gzipSync(bytes, { level: 9 }).length;
        }
    }
    return { plain, gzipped };
}

const barePage = `<!DOCTYPE html><body style="background:#000;color:#ff0"><div id="l">0</div><script>
let n = 0; const start = performance.now();
function tick() { document.getElementById('l').textContent = ++n;
  setTimeout(tick, Math.max(0, start + (n + 1) * 15.625 - performance.now())); }
tick();</script></body>`;

// The floor of the game's job, drawn the cheapest way a page can: the three readouts and the two
// views' sprites (the helicopter in the side view and on the map) changed 64 times a second, with
// no layout at all, in canvases as large as the game's at the bench's 1024x700 (its views are
// drawn at the window's pixels and shown scaled to fit, its readouts at the screen's); and the
// rotor's wave looped through Web Audio from the first click, as the game plays it (the native
// floor loops it too).
const floorPage = (wave) => `<!DOCTYPE html><body style="margin:0;background:#c0c0c0">
<canvas id="side" width="289" height="193" style="width:460px;height:307px"></canvas>
<canvas id="map" width="290" height="193" style="width:462px;height:307px"></canvas>
<canvas id="panel" width="326" height="41"></canvas>
<script>
const views = ['side', 'map'].map((id) => document.getElementById(id).getContext('2d'));
const panel = document.getElementById('panel').getContext('2d');
const sprite = new OffscreenCanvas(32, 16); const sc = sprite.getContext('2d');
sc.fillStyle = '#0000ff'; sc.fillRect(0, 4, 32, 8); sc.fillRect(12, 0, 8, 4);
let n = 0; const start = performance.now();
function tick() {
  ++n;
  views.forEach((view, i) => {
    view.fillStyle = '#00c0ff'; view.fillRect(0, 0, 290, 193);
    view.drawImage(sprite, 20 + (n * (i + 1)) % 250, 170 - (n % 150));
  });
  panel.fillStyle = '#c0c0c0'; panel.fillRect(0, 0, 326, 41);
  panel.fillStyle = '#000'; panel.font = '24px sans-serif';
  for (let i = 0; i < 3; i++) panel.fillText(String(n * (i + 1) % 10000), 10 + i * 109, 30);
  setTimeout(tick, Math.max(0, start + (n + 1) * 15.625 - performance.now()));
}
tick();
addEventListener('pointerdown', async () => {
  if (window.rotor) return;
  const context = window.rotor = new AudioContext();
  const bytes = Uint8Array.from(atob('${wave.toString('base64')}'), (c) => c.charCodeAt(0));
  const source = context.createBufferSource();
  source.buffer = await context.decodeAudioData(bytes.buffer);
  source.loop = true;
  source.connect(context.destination);
  source.start();
  await context.resume();
});</script></body>`;

(async () => {
    const server = spawn(process.execPath, [path.join(root, 'platform/web/serve.js'), site, '0']);
    const base = await new Promise((resolve) => server.stdout.on('data', (d) => {
        const m = /localhost:(\d+)/.exec(String(d));
        if (m) resolve(`http://localhost:${m[1]}/`);
    }));
    const browser = await puppeteer.launch({
        executablePath: process.env.SKYVANE_CHROMIUM || '/usr/bin/chromium', headless: true,
        args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
            '--disable-component-update', '--disable-sync', '--no-first-run'],
    });
    const size = transfer(site);

    const starts = [];
    for (let i = 0; i < 10; i++) {
        const page = await browser.newPage();
        await page.goto(base, { waitUntil: 'load' });
        await page.waitForFunction(() => skyvanePage.firstShownAt !== undefined);
        starts.push(await page.evaluate(() => skyvanePage.firstShownAt));
        await page.close();
    }

    // The page's main thread's CPU time (ThreadTime), and its whole renderer's (ProcessTime, with
    // the compositor's and the painters' threads): CPU, not the tasks' time on the clock, which a
    // machine's other work stretches.
    const cpu = async (page, seconds) => {
        const session = await page.createCDPSession();
        await session.send('Performance.enable');
        const read = async () => Object.fromEntries((await session.send('Performance.getMetrics')).metrics
            .map((m) => [m.name, m.value]));
        const a = await read();
        await sleep(seconds * 1000);
        const b = await read();
        return { main: b.ThreadTime - a.ThreadTime, all: b.ProcessTime - a.ProcessTime };
    };
    // The pages in turns, five rounds unless told, and the median of each page's figures and of the
    // ratios within a round: a machine's other work comes and goes, and a single long measure
    // of each page after the other took it into one page's figure and not another's. Each page
    // is measured twice, 10 s from a second after it starts and the 10 s after: in the first,
    // the browser is still compiling the game's code that flight runs often (once a page load).
    // Joined the moment the title shows, or as a player joins: after some seconds at the title,
    // where the name is typed, and where the browser compiles anew the code of the game's turn
    // that flight runs too (which the first joins pay in flight).
    const flight = (atTitleMs) => async () => {
        const game = await browser.newPage();
        await game.setViewport({ width: 1024, height: 700 });
        await game.goto(base, { waitUntil: 'load' });
        await game.waitForSelector('[data-form=Form2]:not([hidden])');
        await sleep(atTitleMs);
        await game.click('[data-form=Form2]:not([hidden]) [data-name=Command1]');
        await game.waitForSelector('[data-form=Form1]:not([hidden])');
        await game.keyboard.press('Enter');
        await game.keyboard.down('Shift');
        await sounding(game, () => skyvanePage.sound.source?.loop && skyvanePage.sound.context.state);
        return game;
    };
    // Both play the rotor, or the figures compare a silent page with a sounding one.
    const sounding = async (page, state) => {
        await page.waitForFunction(state, { timeout: 10000 }).catch(() => {});
        const now = await page.evaluate(state);
        if (now !== 'running') throw new Error(`the rotor is not heard: ${now}`);
    };
    const content = (html, withSound) => async () => {
        const page = await browser.newPage();
        await page.setContent(html);
        if (withSound) {
            await page.mouse.click(5, 5);
            await sounding(page, () => window.rotor?.currentTime > 0 && window.rotor.state);
        }
        return page;
    };
    const floor = content(floorPage(fs.readFileSync(path.join(site, 'sounds/HERI3.wav'))), true);
    const rounds = { game: [], player: [], bare: [], floor: [] };
    const turns = Number(process.env.SKYVANE_BENCH_ROUNDS) || 5;
    for (let round = 0; round < turns; round++) {
        for (const [name, open] of [['game', flight(0)], ['player', flight(3000)], ['bare', content(barePage)],
            ['floor', floor]]) {
            const page = await open();
            await sleep(1000);
            const first = await cpu(page, 10);
            rounds[name].push({ first, steady: await cpu(page, 10) });
            await page.close();
        }
    }
    // Per 20 s, and the ratios within a round.
    const figures = (which, phase, game = 'game') => {
        const of = (name) => rounds[name].map((r) => r[phase][which] * 2);
        const ratio = (name) => median(of(game).map((g, i) => g / of(name)[i])).toFixed(2);
        return { game: median(of(game)), bare: median(of('bare')), floor: median(of('floor')),
            bareRatio: ratio('bare'), floorRatio: ratio('floor') };
    };
    const ms = (s) => `${(s * 1000).toFixed(0)} ms`;

    const paced = await browser.newPage();
    await paced.goto(base + '?trace', { waitUntil: 'load' });
    await paced.waitForSelector('[data-form=Form2]:not([hidden])');
    await sleep(1000);
    const count = () => paced.evaluate(() => skyvanePage.trace.filter((l) => / Form2 Timer2_Timer$/.test(l)).length);
    const t0 = Date.now(), c0 = await count();
    await sleep(30000);
    const delivered = (await count()) - c0, due = (Date.now() - t0) / 15.625;
    await paced.close();

    await browser.close();
    server.kill();
    console.log(`| transfer size of the page, gzip (all ${(size.plain / 1024).toFixed(0)} KiB as files) | ${(size.gzipped / 1024).toFixed(0)} KiB |`);
    console.log(`| navigation to the title screen shown, median of 10 | ${median(starts).toFixed(0)} ms |`);
    for (const [phase, when] of [['first', 'from 1 s to 11 s'], ['steady', 'from 11 s to 21 s']]) {
        const main = figures('main', phase), all = figures('all', phase);
        console.log(`| CPU per 20 s in flight, Shift held, ${when} (median of ${turns} turns): main thread; whole renderer | ${ms(main.game)}; ${ms(all.game)} |`);
        console.log(`| the same for a bare page changing one label at 64 Hz | ${ms(main.bare)} (ratio ${main.bareRatio}); ${ms(all.bare)} (ratio ${all.bareRatio}) |`);
        console.log(`| the same for the floor: three readouts and two sprites drawn in canvases of the game's sizes at 64 Hz, the rotor looped | ${ms(main.floor)} (ratio ${main.floorRatio}); ${ms(all.floor)} (ratio ${all.floorRatio}) |`);
        const pmain = figures('main', phase, 'player'), pall = figures('all', phase, 'player');
        console.log(`| the same in flight joined after 3 s at the title, against the bare page; against the floor | ${ms(pmain.game)} (${pmain.bareRatio}; ${pmain.floorRatio}); ${ms(pall.game)} (${pall.bareRatio}; ${pall.floorRatio}) |`);
    }
    console.log(`| pacing at the title over 30 s: periods delivered per period due | ${(delivered / due).toFixed(4)} |`);
})();
