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
const { execFileSync } = require('node:child_process');
const h = require('./harness');
const { shown } = h;

const textOf = (page, form, name) => page.evaluate((f, n) => skyvanePage.textOf(f, n), form, name);
// The languages, from the game itself, and each one's words from its own catalog.
const languages = execFileSync(h.native, ['--languages'], { encoding: 'utf8' }).split('\n').filter(Boolean);
const others = languages.filter((l) => l !== 'ja');
const word = (language, japanese) => {
    const po = fs.readFileSync(path.join(__dirname, '../../po', `${language}.po`), 'utf8');
    const at = po.indexOf(`\nmsgid "${japanese}"\nmsgstr "`);
    assert.ok(at >= 0, `${language}.po: ${japanese}`);
    return po.slice(at).split('\n')[2].slice(8, -1);
};

test('?lang=: the game in each language, recorded in it, replayed natively in it', async () => {
    for (const language of others) {
        const page = await h.open(`lang=${language}&trace`);
        await page.waitForSelector(shown('Form2'));
        assert.equal(await page.evaluate(() => document.documentElement.lang), language);
        assert.equal(await page.$eval(`${shown('Form2')} [data-name=Command1]`, (e) => e.textContent),
            word(language, 'ミッションに参加する'));
        assert.match(await page.$eval(`${shown('Form2')} [data-name=Image1] img`, (e) => e.src),
            new RegExp(`prologue\\.${language}\\.png$`));
        assert.equal(await page.$eval('#language select', (e) => e.value), language);
        await h.join(page, 'Kite');
        assert.equal(await page.evaluate(() => skyvanePage.windows.get('Form1').caption),
            `${word(language, 'ＳＶ  パイロット　')}Kite`);
        await page.keyboard.press('Enter'); // GO, and down it comes
        await page.waitForFunction(() => skyvanePage.sound.calls.includes('once BAKU.wav'), { timeout: 20000 });
        const crashed = word(language, '爆発炎上中！！　昇降速度が速すぎました！');
        assert.equal(await textOf(page, 'Form1', 'Label9'), crashed);
        const { file, trace } = await h.snapshot(page);
        assert.ok(file.startsWith(`skyvane-replay 1\nlanguage ${language}\n`), file.slice(0, 40));
        const native = h.headless(file);
        assert.equal(h.firstDifference(native.trace, trace), 'none');
        assert.ok(native.trace.some((l) => l.endsWith(` Form1.Label9 ${crashed}`)));
        assert.deepEqual(page.errors, []);
        await page.closeAll();
    }
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

test('a language the game does not speak is refused with those it does; the one chosen is kept', async () => {
    const page = await h.open('lang=xx');
    await page.waitForFunction(() => document.getElementById('error').textContent !== '');
    assert.equal(await page.$eval('#error', (e) => e.textContent), `no language 'xx'; the game speaks ${languages.join(', ')}`);
    assert.equal(await page.$(shown('Form2')), null);
    await page.closeAll();

    const chooser = await h.open('');
    const goHome = () => chooser.$eval(`${shown('Form2')} [data-name=Command2]`, (e) => e.textContent);
    await chooser.waitForSelector(shown('Form2'));
    assert.equal(await chooser.evaluate(() => document.documentElement.lang), 'ja');
    assert.deepEqual(await chooser.$$eval('#language option', (os) => os.map((o) => o.value)), languages);
    for (const language of [...others, 'ja']) {
        const name = language === 'ja' ? '日本語'
            : /Language-Name: (.*)\\n/.exec(fs.readFileSync(path.join(__dirname, '../../po', `${language}.po`), 'utf8'))[1];
        assert.equal(await chooser.$eval(`#language option[value=${language}]`, (o) => o.textContent), name);
        await Promise.all([chooser.waitForNavigation({ waitUntil: 'load' }), chooser.select('#language select', language)]);
        await chooser.waitForSelector(shown('Form2'));
        assert.equal(await goHome(), language === 'ja' ? 'いなかに帰る' : word(language, 'いなかに帰る'));
        // The bare address, as the installed app opens it, in the language last chosen; an
        // address that names one still wins.
        await chooser.goto(h.base, { waitUntil: 'load' });
        await chooser.waitForSelector(shown('Form2'));
        assert.equal(await chooser.evaluate(() => document.documentElement.lang), language);
        await chooser.goto(`${h.base}?lang=ja`, { waitUntil: 'load' });
        await chooser.waitForSelector(shown('Form2'));
        assert.equal(await goHome(), 'いなかに帰る');
        await chooser.goto(h.base, { waitUntil: 'load' });
        await chooser.waitForSelector(shown('Form2'));
    }
    assert.equal(await chooser.evaluate(() => document.documentElement.lang), 'ja');
    await chooser.closeAll();
});
