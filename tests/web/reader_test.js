// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The page as a screen reader reads it, through Chromium's accessibility tree, in both
// languages: the names the native game gives over AT-SPI (tests/read_tree.py), the readouts as
// caption and value in reading order as they change, the message line a live region, the
// message box an alert dialog holding the focus, and nothing unnamed or decorative.

'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const h = require('./harness');
const { sleep, shown } = h;

const WORDS = {
    ja: { join: 'ミッションに参加する', altitude: '高度', climb: '昇降速度', fuel: '燃料', rescued: '救助人数',
        aboard: '搭乗', heli: 'ヘリコプター', side: '高度図（側面からの視点）', crash: '爆発炎上中', close: '閉じる',
        regret: '残念ながら' },
    en: { join: 'Join the mission', altitude: 'Altitude', climb: 'Climb', fuel: 'Fuel', rescued: 'Rescued',
        aboard: 'On', heli: 'helicopter', side: 'Side view: altitude', crash: 'Exploded in flames', close: 'Close',
        regret: 'We deeply regret' },
};

// The window's part of the tree, flattened into [role, name, focused] in reading order; the
// nodes that only hold others (generic, none) are passed through.
async function readWindow(page, caption) {
    const tree = await page.accessibility.snapshot({ interestingOnly: false });
    const region = (function find(n) {
        if (n.role === 'region' && n.name.startsWith(caption.replace(/ +/g, ' '))) return n; // names' spaces collapse
        for (const c of n.children || []) {
            const found = find(c);
            if (found) return found;
        }
        return null;
    })(tree);
    assert.ok(region, `a window named ${caption}`);
    const nodes = [];
    (function walk(n) {
        if (!['generic', 'none', 'InlineTextBox'].includes(n.role)) nodes.push([n.role, n.name || '', !!n.focused]);
        for (const c of n.children || []) walk(c);
    })(region);
    return nodes.slice(1);
}

for (const language of ['ja', 'en']) {
    const w = WORDS[language];
    test(`${language}: every element named and in reading order, the readouts as they change, the line and the box told`,
        async () => {
            const page = await h.open(language === 'en' ? 'lang=en' : '');
            await page.waitForSelector(shown('Form2'));
            let nodes = await readWindow(page, language === 'en' ? 'SV (' : 'SV（');
            assert.ok(nodes.some(([r, n]) => r === 'textbox' && n === 'NAME'), 'the name box is named by its caption');
            assert.ok(nodes.some(([r, n]) => r === 'button' && n === w.join));
            assert.ok(nodes.some(([r, n]) => r === 'image' && n.length > 200), 'the prologue is read as its words');
            assert.deepEqual(nodes.filter(([r, n]) => ['image', 'group', 'textbox', 'button'].includes(r) && !n), []);

            await h.join(page, 'Kite');
            const caption = language === 'en' ? 'SV  Pilot Kite' : 'ＳＶ  パイロット　Kite';
            await page.keyboard.press('Enter'); // GO
            await page.keyboard.down('Shift');
            await page.waitForFunction(() => Number(skyvanePage.textOf('Form1', 'Label8')) > 100, { timeout: 20000 });
            // A readout's words follow its value a few times a second: the reader hears the climb
            // within a second at most (ten times what it needs).
            const altitudeRead = new RegExp(`^${w.altitude} (\\d+)$`);
            for (let tries = 0; tries < 40; tries++) {
                nodes = await readWindow(page, caption);
                if (nodes.some(([, n]) => Number(altitudeRead.exec(n)?.[1]) > 100)) break;
                await sleep(250);
            }
            const at = (word) => nodes.findIndex(([r, n]) => r === 'StaticText' && new RegExp(`^${word} -?\\d+$`).test(n));
            const order = ['altitude', 'climb', 'fuel', 'rescued', 'aboard'].map((k) => at(w[k]));
            assert.ok(order.every((i) => i >= 0), `every readout read as caption and value: ${JSON.stringify(nodes)}`);
            assert.deepEqual([...order].sort((a, b) => a - b), order, 'the readouts in reading order');
            // The value read is the value shown, as it changes.
            const altitude = Number(nodes[order[0]][1].split(' ').pop());
            assert.ok(altitude > 100, `${altitude}`);
            assert.ok(!nodes.some(([, n]) => n === w.fuel), 'a caption is not read alone');
            assert.ok(nodes.some(([r, n]) => r === 'group' && n === w.side));
            assert.ok(nodes.some(([r, n]) => r === 'image' && n === w.heli));
            assert.ok(nodes.some(([r]) => r === 'status'), 'the message line is a live region');
            assert.deepEqual(nodes.filter(([r, n]) => ['image', 'group', 'button'].includes(r) && !n), []);
            await page.keyboard.up('Shift');
            // Down it comes: the crash is told in the live region.
            await page.waitForFunction(() => skyvanePage.sound.calls.includes('once BAKU.wav'), { timeout: 30000 });
            await sleep(100);
            nodes = await readWindow(page, caption);
            const status = nodes.findIndex(([r]) => r === 'status');
            assert.ok(nodes.slice(status).some(([r, n]) => r === 'StaticText' && n.startsWith(w.crash)),
                JSON.stringify(nodes.slice(status, status + 3)));
            // Leaving: the farewell is an alert dialog that holds the focus.
            await page.click(`${shown('Form1')} [data-name=Command2]`);
            await page.waitForSelector('#sv-modal');
            const tree = await page.accessibility.snapshot({ interestingOnly: false });
            const dialog = (function find(n) {
                if (n.role === 'alertdialog') return n;
                for (const c of n.children || []) {
                    const found = find(c);
                    if (found) return found;
                }
                return null;
            })(tree);
            assert.ok(dialog && dialog.name.startsWith(w.regret), JSON.stringify(dialog?.name));
            assert.ok(JSON.stringify(dialog).includes('"focused":true'), 'the focus is in the box');
            assert.deepEqual(page.errors, []);
            await page.closeAll();
        });
}
