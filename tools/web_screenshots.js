// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Takes the README's screenshots of the page (./play.sh --web builds it) in Debian's headless
// Chromium: the title screen, the mission in flight and the closing screen, each window with
// its caption bar. The flight and the closing screen come from the scripted winning run the
// native build writes, watched in the page. Needs tests/web's packages (npm ci there).
// Usage: node tools/web_screenshots.js [OUTPUT_DIR]   (default: docs/screenshots)

'use strict';
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const puppeteer = require(path.join(__dirname, '../tests/web/node_modules/puppeteer-core'));

const root = path.resolve(__dirname, '..');
const out = path.resolve(process.argv[2] || path.join(root, 'docs/screenshots'));
const won = fs.readFileSync(path.join(root, 'build/fuzz/scripted-replays/five-trips-and-the-win.replay'), 'utf8');
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

(async () => {
    const server = spawn(process.execPath, [path.join(root, 'platform/web/serve.js'), path.join(root, 'build-web/site'), '0']);
    const base = await new Promise((resolve) => server.stdout.on('data', (d) => {
        const m = /localhost:(\d+)/.exec(String(d));
        if (m) resolve(`http://localhost:${m[1]}/`);
    }));
    const browser = await puppeteer.launch({
        executablePath: process.env.SKYVANE_CHROMIUM || '/usr/bin/chromium', headless: true,
        args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
            '--disable-component-update', '--disable-sync', '--no-first-run'],
    });
    const shot = async (page, form, file) => {
        const el = await page.$(`[data-form=${form}]:not([hidden])`);
        await el.screenshot({ path: path.join(out, file) });
    };
    const watch = async (upTo) => {
        const page = await browser.newPage();
        await page.setViewport({ width: 1024, height: 700 });
        // The run up to that period, watched at its own pace from there on.
        const lines = won.split('\n').filter((l) => l.startsWith('skyvane') || Number(l.split(' ')[0]) <= upTo);
        await page.evaluateOnNewDocument((t) => sessionStorage.setItem('skyvane-replay', t), lines.join('\n') + '\n');
        await page.goto(base + '?replay=local&fast', { waitUntil: 'load' });
        await page.waitForFunction(() => skyvanePage.summary !== null, { timeout: 60000 });
        return page;
    };
    const title = await browser.newPage();
    await title.setViewport({ width: 1024, height: 700 });
    await title.goto(base, { waitUntil: 'load' });
    await title.waitForSelector('[data-form=Form2]:not([hidden])');
    await sleep(1700);
    await shot(title, 'Form2', 'web-title.png');
    const flight = await watch(1500);
    await shot(flight, 'Form1', 'web-mission.png');
    const closing = await watch(1e9);
    await shot(closing, 'Form3', 'web-closing.png');
    await browser.close();
    server.kill();
})();
