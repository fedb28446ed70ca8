// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Figures of the page (./play.sh --web builds it), in Debian's headless Chromium on localhost:
// what it transfers, gzip-compressed; the time from navigation to the title screen (median of
// 10); the main thread's CPU over 20 s in flight with Shift held, against a bare page that
// changes one label 64 times a second, in the same run; and the pacing of the timer grid at the
// title over 30 s. A benchmark, not a test. Needs tests/web's packages (npm ci there).
// Usage: node bench/web_bench.js [SITE]

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

    const cpu = async (page, seconds) => {
        const session = await page.createCDPSession();
        await session.send('Performance.enable');
        const read = async () => (await session.send('Performance.getMetrics')).metrics
            .find((m) => m.name === 'TaskDuration').value;
        const a = await read();
        await sleep(seconds * 1000);
        return (await read()) - a;
    };
    const game = await browser.newPage();
    await game.setViewport({ width: 1024, height: 700 });
    await game.goto(base, { waitUntil: 'load' });
    await game.waitForSelector('[data-form=Form2]:not([hidden])');
    await game.click('[data-form=Form2]:not([hidden]) [data-name=Command1]');
    await game.waitForSelector('[data-form=Form1]:not([hidden])');
    await game.keyboard.press('Enter');
    await game.keyboard.down('Shift');
    await sleep(1000);
    const gameCpu = await cpu(game, 20);
    await game.close();
    const bare = await browser.newPage();
    await bare.setContent(barePage);
    await sleep(1000);
    const bareCpu = await cpu(bare, 20);
    await bare.close();

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
    console.log(`| main-thread CPU over 20 s in flight, Shift held | ${(gameCpu * 1000).toFixed(0)} ms |`);
    console.log(`| the same for a bare page changing one label at 64 Hz | ${(bareCpu * 1000).toFixed(0)} ms (ratio ${(gameCpu / bareCpu).toFixed(2)}) |`);
    console.log(`| pacing at the title over 30 s: periods delivered per period due | ${(delivered / due).toFixed(4)} |`);
})();
