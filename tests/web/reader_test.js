// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The page as a screen reader and a keyboard-only player meet it, in every language: Chromium's
// accessibility tree (the names the native game gives over AT-SPI, the readouts as caption and
// value in reading order, each button described by the message line), what the live region
// says (each message once, the crash with the focus it moves), axe-core in every state, the bar
// reached with F6 and left again, the end told with the focus on what comes next, and the
// blinking texts held still for a player who asks for no motion.

'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./harness');
const { shown } = h;

const axe = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
const { entries } = require('../../platform/web/make_texts.js');
// The game's texts in a language, from its catalog (the page's own words the page translates).
const catalog = (language) => {
    const po = path.join(h.root, 'po', `${language}.po`);
    const game = new Map(fs.existsSync(po) ? entries(fs.readFileSync(po, 'utf8')).filter(([c]) => !c).map(([, id, str]) => [id, str]) : []);
    return (source) => game.get(source) ?? source;
};
const languages = require('node:child_process').execFileSync(h.native, ['--languages'], { encoding: 'utf8' }).split('\n').filter((l) => l);

// The window's part of the tree, flattened into [role, name, focused, description] in reading
// order; the nodes that only hold others (generic, none) are passed through.
async function readWindow(page, form) {
    const root = await page.$(`${shown(form)}`);
    const tree = await page.accessibility.snapshot({ root, interestingOnly: false });
    const nodes = [];
    (function walk(n) {
        if (!['generic', 'none', 'InlineTextBox'].includes(n.role)) nodes.push([n.role, n.name || '', !!n.focused, n.description || '']);
        for (const c of n.children || []) walk(c);
    })(tree);
    return nodes.slice(1);
}

// axe-core's findings: none but the contrast of the game's own colours (its blue title and
// captions on black), which stay as the game draws them.
async function axeFindings(page, state) {
    if (!(await page.evaluate(() => typeof axe === 'object'))) await page.evaluate(axe);
    const { violations } = await page.evaluate(() => axe.run(document));
    const faults = violations.flatMap((v) => v.nodes
        .filter((n) => !(v.id === 'color-contrast' && n.target.every((t) => String(t).startsWith('#sv-Form'))))
        .map((n) => `${state}: ${v.id} at ${n.target}`));
    assert.deepEqual(faults, []);
}

// What the live region said from the n-th words on.
const saidSince = (page, n) => page.evaluate((from) => skyvanePage.said.slice(from), n);

for (const language of languages) {
    test(`${language}: named, described, told once, free of faults, reached by keys alone`, async () => {
        const page = await h.open(language === 'ja' ? '' : `lang=${language}`);
        const tr = (source) => page.evaluate((s) => skyvanePage.tr(s), source);
        const game = catalog(language);
        await page.waitForSelector(shown('Form2'));
        let nodes = await readWindow(page, 'Form2');
        assert.ok(nodes.some(([r, n]) => r === 'textbox' && n === 'NAME'), 'the name box is named by its caption');
        assert.ok(nodes.some(([r, n]) => r === 'image' && n.length > 200), 'the prologue is read as its words');
        assert.deepEqual(nodes.filter(([r, n]) => ['image', 'group', 'textbox', 'button'].includes(r) && !n), []);
        await axeFindings(page, 'title');

        // Keys alone: F6 to the bar, its controls by Tab, F6 back to the name box, and on.
        await page.focus(`${shown('Form2')} [data-name=Command1]`);
        await page.keyboard.press('F6');
        assert.ok(await page.evaluate(() => document.getElementById('bar').contains(document.activeElement)), 'F6 reaches the bar');
        await page.keyboard.press('Tab');
        assert.ok(await page.evaluate(() => document.getElementById('bar').contains(document.activeElement)), 'Tab goes on in the bar');
        await page.keyboard.press('F6');
        assert.equal(await page.evaluate(() => document.activeElement.dataset.name), 'Command1', 'F6 comes back to the game');
        if (language === 'ja') {
            const english = await page.evaluate(() => [...document.querySelectorAll('#bar *, #sv-touch *')]
                .filter((e) => /[A-Za-z]{3,}/.test([...e.childNodes].filter((c) => c.nodeType === 3).map((c) => c.data).join(''))
                    && e.closest('[lang]').lang === 'ja' && !/^(Skyvane|Shift)$/.test(e.textContent.trim()))
                .map((e) => e.textContent));
            assert.deepEqual(english, [], 'no Latin words in the Japanese page but where they are marked with their language');
        }
        await page.keyboard.press('Enter'); // join
        await page.waitForSelector(shown('Form1'));
        nodes = await readWindow(page, 'Form1');
        const briefing = await page.evaluate(() => skyvanePage.textOf('Form1', 'Label9'));
        const go = nodes.find(([r, , focused]) => r === 'button' && focused);
        assert.ok(go?.[3].startsWith(briefing.slice(0, 8)), `the focused GO is described by the orders: ${JSON.stringify(go)}`);
        await axeFindings(page, 'briefing');

        const before = (await saidSince(page, 0)).length;
        await page.keyboard.press('Enter'); // GO
        await page.keyboard.down('Shift');
        await page.waitForFunction(() => Number(skyvanePage.textOf('Form1', 'Label8')) > 100, { timeout: 20000 });
        await page.keyboard.press('KeyA'); // a question: how high
        await page.waitForFunction((n) => skyvanePage.said.length > n + 1, { timeout: 20000 }, before);
        nodes = await readWindow(page, 'Form1');
        const at = (k) => nodes.findIndex(([r, n]) => r === 'StaticText' && new RegExp(`^${k} -?\\d+$`).test(n));
        const captions = ['高　　度', '昇降速度', '燃　　料', '救助人数', '搭乗'].map(game);
        const order = captions.map((c) => at(c.replace(/\u3000/g, '')));
        assert.ok(order.every((i) => i >= 0), `every readout read as caption and value: ${JSON.stringify(nodes)}`);
        assert.deepEqual([...order].sort((a, b) => a - b), order, 'the readouts in reading order');
        await axeFindings(page, 'flight');
        await page.keyboard.up('Shift');
        // Down it comes: the crash is heard with the focus it gives 閉じる, not said again.
        await page.waitForFunction(() => skyvanePage.sound.calls.includes('once BAKU.wav'), { timeout: 30000 });
        await page.waitForFunction(() => document.activeElement?.dataset?.name === 'Command2');
        nodes = await readWindow(page, 'Form1');
        const crash = game('爆発炎上中！！　昇降速度が速すぎました！').replace(/\u3000/g, '');
        const close = nodes.find(([r, , focused]) => r === 'button' && focused);
        assert.ok(close[3].replace(/\s+/g, '').startsWith(crash.replace(/\s+/g, '')), JSON.stringify(close));
        const said = await saidSince(page, before);
        const order0 = game('昇降速度20以内で、目標地点□に着陸し、取り残された人を救出せよ！');
        assert.deepEqual(said.filter((w) => w === order0), [order0], `the orders said once: ${JSON.stringify(said)}`);
        assert.ok(said.some((w) => w.startsWith(captions[0].replace(/\u3000/g, ''))), 'the question answered');
        assert.ok(!said.some((w) => w.replace(/\s+/g, '').startsWith(crash.replace(/\s+/g, ''))), 'the crash not said twice');
        await axeFindings(page, 'crashed');

        // Leaving: the farewell box holds the focus; then the end is told, and the focus is on
        // playing again.
        await page.keyboard.press('Enter');
        await page.waitForSelector('#sv-modal');
        assert.equal(await page.evaluate(() => document.activeElement.closest('[role=alertdialog]') !== null), true);
        await axeFindings(page, 'box');
        await page.keyboard.press('Enter');
        await page.waitForFunction(() => skyvanePage.state === 'ended');
        assert.equal(await page.$eval('#status', (e) => e.getAttribute('role') + ' ' + e.textContent),
            `status ${await tr('ゲームは終わりました。')}`);
        assert.equal(await page.evaluate(() => document.activeElement.id), 'again');
        await axeFindings(page, 'ended');
        assert.deepEqual(page.errors, []);
        await page.closeAll();
    });
}

// A player who asks for no motion: the title holds its blue, the fuel warning stands (watched in
// a run that runs dry); the game and its trace are the same.
test('no motion: the title holds its blue and the fuel warning stands', async () => {
    const page = await h.open('speed=8', fs.readFileSync(path.join(h.scripted, 'running-dry.replay'), 'utf8'), undefined,
        undefined, [{ name: 'prefers-reduced-motion', value: 'reduce' }]);
    await page.evaluate(() => {
        window.seen = { title: new Set(), line: [] };
        const watch = (form, name, what) => {
            const el = document.getElementById(`sv-${form}-${name}`);
            if (el) new MutationObserver(() => what(el)).observe(el, { attributes: true, childList: true, subtree: true, characterData: true });
        };
        const look = setInterval(() => {
            if (!document.getElementById('sv-Form2-Label2') || !document.getElementById('sv-Form1-Label9')) return;
            clearInterval(look);
            watch('Form2', 'Label2', (el) => window.seen.title.add(getComputedStyle(el).color));
            watch('Form1', 'Label9', () => window.seen.line.push(skyvanePage.textOf('Form1', 'Label9')));
        }, 10);
    });
    await page.waitForFunction(() => skyvanePage.summary, { timeout: 60000 });
    const seen = await page.evaluate(() => ({ title: [...window.seen.title], line: window.seen.line }));
    assert.ok(seen.title.every((c) => c === 'rgb(0, 0, 255)'), JSON.stringify(seen.title));
    const warned = seen.line.indexOf('ENPTY!');
    assert.ok(warned >= 0 && !seen.line.slice(warned).includes(''), JSON.stringify(seen.line.slice(-5)));
    await page.closeAll();
});
