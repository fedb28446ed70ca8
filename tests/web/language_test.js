// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The page in English on request, as the native game: the texts from the same catalog, a run
// that records its language and replays natively in it, a recorded run that plays in the
// language it was recorded in, and a language the game does not speak refused.

'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./harness');
const { shown } = h;

const textOf = (page, form, name) => page.evaluate((f, n) => skyvanePage.textOf(f, n), form, name);

test('?lang=en: the game in English, recorded in English, replayed natively in English', async () => {
    const page = await h.open('lang=en&trace');
    await page.waitForSelector(shown('Form2'));
    assert.equal(await page.evaluate(() => document.documentElement.lang), 'en');
    assert.equal(await page.$eval(`${shown('Form2')} [data-name=Command1]`, (e) => e.textContent), 'Join the mission');
    assert.match(await page.$eval(`${shown('Form2')} [data-name=Image1] img`, (e) => e.src), /prologue\.en\.png$/);
    assert.equal(await page.$eval('#language select', (e) => e.value), 'en');
    await h.join(page, 'Kite');
    assert.match(await page.evaluate(() => skyvanePage.windows.get('Form1').caption), /^SV {2}Pilot Kite$/);
    await page.keyboard.press('Enter'); // GO, and down it comes
    await page.waitForFunction(() => skyvanePage.sound.calls.includes('once BAKU.wav'), { timeout: 20000 });
    assert.match(await textOf(page, 'Form1', 'Label9'), /^Exploded in flames/);
    const { file, trace } = await h.snapshot(page);
    assert.match(file, /^skyvane-replay 1\nlanguage en\n/);
    const native = h.headless(file);
    assert.equal(h.firstDifference(native.trace, trace), 'none');
    assert.ok(native.trace.some((l) => / Form1\.Label9 Exploded in flames/.test(l)));
    assert.deepEqual(page.errors, []);
    await page.closeAll();
});

test('a run recorded in English plays in English, to the win, whatever the page was asked', async () => {
    const win = fs.readFileSync(path.join(h.scripted, 'five-trips-and-the-win.replay'), 'utf8');
    const english = win.replace(/^(skyvane-replay 1\n)/, '$1language en\n');
    const page = await h.open('', english);
    await page.waitForFunction(() => /phase=won/.test(document.getElementById('summary').textContent),
        { timeout: 60000 });
    assert.equal(await page.$eval('#summary', (e) => e.textContent), h.headless(english).summary);
    // The closing screen thanks the pilot in English.
    assert.equal(await page.evaluate(() => document.documentElement.lang), 'en');
    assert.equal(await textOf(page, 'Form3', 'Label3'), 'Thanks,');
    assert.match(await textOf(page, 'Form3', 'Label1'), /^Your courage and skill/);
    await page.closeAll();
});

test('a language the game does not speak is refused with those it does; the choice reloads in another', async () => {
    const page = await h.open('lang=xx');
    await page.waitForFunction(() => document.getElementById('error').textContent !== '');
    assert.equal(await page.$eval('#error', (e) => e.textContent), "no language 'xx'; the game speaks ja, en");
    assert.equal(await page.$(shown('Form2')), null);
    await page.closeAll();

    const chooser = await h.open('');
    await chooser.waitForSelector(shown('Form2'));
    assert.equal(await chooser.evaluate(() => document.documentElement.lang), 'ja');
    await Promise.all([chooser.waitForNavigation({ waitUntil: 'load' }), chooser.select('#language select', 'en')]);
    assert.match(chooser.url(), /\?lang=en$/);
    await chooser.waitForSelector(shown('Form2'));
    assert.equal(await chooser.$eval(`${shown('Form2')} [data-name=Command2]`, (e) => e.textContent), 'Go home');
    await chooser.closeAll();
});
