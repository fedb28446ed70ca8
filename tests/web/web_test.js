// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The game in a real browser, judged by the native program: every recorded run ends in the browser
// where it ends headless, with the same trace; a run played in the browser and recorded by the
// page replays headless to the same trace; the screens are probed at the points the Qt tests
// probe; the key rules, the boxes, the ways out and the Web Audio calls are those of the native
// game; a storm of real keys leaves every key paired.

'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./harness');
const { sleep, shown } = h;
const open = h.open, join = h.join, headless = h.headless, firstDifference = h.firstDifference;
const root = h.root;

test('every recorded run ends in the browser where it ends headless, with the same trace', async () => {
    const files = [];
    for (const dir of [path.join(root, 'tests/replays'), h.scripted])
        for (const f of fs.readdirSync(dir)) if (f.endsWith('.replay')) files.push(path.join(dir, f));
    assert.ok(files.length >= 10, `only ${files.length} replays`);
    for (const file of files) {
        const text = fs.readFileSync(file, 'utf8');
        const expected = headless(text);
        const page = await open('trace&speed=64', text);
        await page.waitForFunction(() => skyvanePage.summary !== null, { timeout: 60000 });
        const got = await page.evaluate(() => ({
            summary: skyvanePage.summary,
            trace: skyvanePage.trace.slice(0, skyvanePage.traceAtSummary),
        }));
        const name = path.basename(file);
        assert.equal(got.summary, expected.summary, name);
        assert.equal(got.trace.length, expected.trace.length,
            `${name}: ${firstDifference(got.trace, expected.trace)}`);
        assert.deepEqual(got.trace, expected.trace, name);
        assert.deepEqual(page.errors, [], name);
        await page.closeAll();
    }
});

test('a run played in the browser, as the page recorded it, replays headless to the same trace', async () => {
    const page = await open('trace');
    await join(page, 'Hana 太郎 <b>&amp;</b> [*]');
    await sleep(200);
    await page.keyboard.press('Enter'); // GO
    await page.keyboard.down('Shift');
    await sleep(400);
    await page.keyboard.down('ArrowLeft');
    await sleep(700);
    await page.keyboard.up('ArrowLeft');
    await page.keyboard.up('Shift');
    await sleep(2500); // down it comes
    await page.waitForSelector(`${shown('Form1')} [data-name=Command2]:not([hidden])`);
    await page.keyboard.press('Enter'); // close: the farewell
    await page.waitForSelector('#sv-modal');
    await sleep(300);
    await page.keyboard.press('Enter'); // OK
    await page.waitForFunction(() => skyvanePage.state === 'ended');
    const run = await page.evaluate(() => ({
        file: skyvanePage.recordedFile(),
        trace: skyvanePage.trace,
    }));
    const again = headless(run.file);
    assert.ok(run.trace.length > 500);
    assert.equal(again.trace.length, run.trace.length, firstDifference(again.trace, run.trace));
    assert.deepEqual(again.trace, run.trace);
    assert.match(again.summary, /^phase=ended /);
    await page.closeAll();
});

// The client area's pixels as the screen shows them, scaled back by the page's zoom.
async function clientPixels(page) {
    // Once every picture shown has its pixels: a busy machine decodes them late.
    await page.waitForFunction(() => [...document.querySelectorAll('[data-form=Form1] img')]
        .every((i) => i.hidden || !i.getAttribute('src') || (i.complete && i.naturalWidth > 0)));
    const client = await page.$(`${shown('Form1')} .sv-client`);
    const png = await client.screenshot({ encoding: 'base64' });
    const pixels = await page.evaluate(async (data) => {
        const img = new Image();
        img.src = 'data:image/png;base64,' + data;
        await img.decode();
        const c = document.createElement('canvas');
        c.width = img.width;
        c.height = img.height;
        const ctx = c.getContext('2d');
        ctx.drawImage(img, 0, 0);
        return { width: img.width, height: img.height, data: Array.from(ctx.getImageData(0, 0, img.width, img.height).data) };
    }, png);
    pixels.at = (x, y) => pixels.data.slice((y * pixels.width + x) * 4, (y * pixels.width + x) * 4 + 3);
    return pixels;
}

test('the screens at the points the Qt desktop is probed at, and sharp at twice the size', async () => {
    // A window just the mission's size: the page shows it at its own size.
    const page = await open('', null, { width: 617, height: 451 });
    await join(page, 'Ace');
    assert.equal(await page.evaluate(() => skyvanePage.zoom), 1);
    const pixels = await clientPixels(page);
    assert.equal(pixels.width, 615);
    assert.equal(pixels.height, 400);
    const probes = fs.readFileSync(path.join(root, 'tests/mission_probes.txt'), 'utf8')
        .split('\n').filter((l) => l && !l.startsWith('#'));
    assert.ok(probes.length >= 16);
    for (const line of probes) {
        const [x, y, r, g, b, ...what] = line.split(' ');
        assert.deepEqual(pixels.at(+x, +y), [+r, +g, +b], what.join(' '));
    }
    // The elements sit where the layout puts them: the altitude readout, the map, GO.
    const place = await page.evaluate(() => {
        const client = document.querySelector('[data-form=Form1] .sv-client').getBoundingClientRect();
        const of = (name) => {
            const r = document.querySelector(`[data-form=Form1] [data-name=${name}]`).getBoundingClientRect();
            return [r.left - client.left, r.top - client.top, r.width, r.height];
        };
        return { Label8: of('Label8'), Frame1: of('Frame1'), Command1: of('Command1') };
    });
    assert.deepEqual(place.Label8, [96, 8, 73, 25]);
    assert.deepEqual(place.Frame1, [320, 136, 290, 193]);

    // At twice the size each pixel of a picture is a square of four: the helicopter on the base,
    // where the probes say the pictures are, is as sharp as at its own size.
    await page.setViewport({ width: 1234, height: 902 });
    await page.waitForFunction(() => skyvanePage.zoom === 2);
    const twice = await clientPixels(page);
    assert.equal(twice.width, 1230);
    for (const line of probes) {
        const [x, y, r, g, b, ...what] = line.split(' ');
        for (const [dx, dy] of [[0, 0], [1, 0], [0, 1], [1, 1]])
            assert.deepEqual(twice.at(2 * x + dx, 2 * y + dy), [+r, +g, +b], `${what.join(' ')}, twice the size`);
    }
    await page.closeAll();
});

// A readout drawn from pictures of its digits must be the line the browser draws whole, to the
// pixel: numbers drawn from the seed, at the zooms and pixel ratios players have, shrunk to the
// shortest that still differs.
test('a readout drawn from its digits\' pictures is the line drawn whole, pixel for pixel', async () => {
    const seed = h.seed();
    const rnd = h.random(seed);
    const numbers = Array.from({ length: 60 }, () => (rnd() < 0.2 ? '-' : '') + Math.floor(rnd() * 10 ** (1 + Math.floor(rnd() * 5))));
    const page = await open('', null, { width: 617, height: 451 });
    await join(page, 'Ace');
    await page.evaluate(() => { skyvanePage.hiddenForTest = true; });
    for (const [width, height, deviceScaleFactor] of [[617, 451, 1], [1000, 700, 1], [390, 844, 3], [1234, 902, 1.5]]) {
        await page.setViewport({ width, height, deviceScaleFactor });
        const { differ, drawn, shown } = await page.evaluate((numbers) => {
            let shown = 0;
            const before = skyvanePage.glyphLines;
            // The number drawn from the pictures, then whole: the same pixels, or not shown in a canvas at all.
            const differs = (name, value) => [false, true].map((whole) => {
                skyvanePage.wholeLines = whole;
                skyvanePage.set('Form1', name, 'caption', value);
                skyvanePage.wholeLines = false;
                const canvas = document.querySelector(`#sv-Form1-${name} canvas`);
                if (canvas && !whole) shown++;
                return canvas && canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data.join();
            }).reduce((a, b) => a !== b);
            for (const name of ['Label5', 'Label8', 'Label16']) {
                for (let value of numbers) {
                    if (!differs(name, value)) continue;
                    for (let i = 0; i < value.length;) {
                        const shorter = value.slice(0, i) + value.slice(i + 1);
                        if (shorter && differs(name, shorter)) value = shorter;
                        else i++;
                    }
                    return { differ: `${name} ${JSON.stringify(value)} at ${skyvanePage.zoom * devicePixelRatio}` };
                }
            }
            return { drawn: skyvanePage.glyphLines - before, shown };
        }, numbers);
        assert.equal(differ, undefined, `SKYVANE_SEED=${seed}`);
        // Every number shown in a canvas was drawn from the pictures, not whole.
        assert.ok(shown > numbers.length && drawn === shown, `${drawn} of ${shown} lines from pictures at ${width}x${height}x${deviceScaleFactor}`);
    }
    await page.closeAll();
});

// A view draws again only where its elements changed: after any changes (moves in and out of
// the view, shown and hidden, new pictures and fills, several in one turn) it is the view drawn
// whole, pixel for pixel. A differing turn is shrunk to the fewest changes that still differ.
test('a view drawn where it changed is the view drawn whole, pixel for pixel', async () => {
    const seed = h.seed();
    const rnd = h.random(seed);
    const pick = (xs) => xs[Math.floor(rnd() * xs.length)];
    const page = await open('', null, { width: 617, height: 451 });
    await join(page, 'Ace');
    await page.evaluate(() => { skyvanePage.hiddenForTest = true; });
    const items = await page.evaluate(() => [...skyvanePage.windows.get('Form1').elements.values()]
        .filter((i) => i.view).map((i) => ({ name: i.def.name, shape: !!i.canvas, picture: i.img?.getAttribute('src'),
            left: i.def.x, top: i.def.y })));
    const pictures = [...new Set(items.map((i) => i.picture).filter(Boolean)), ''];
    // Sprites move as the game moves them, a few pixels at a time, now and then far or onto
    // another (where one is drawn over the other, in part).
    const move = (item, what) => {
        const r = rnd();
        const to = r < 0.1 ? Math.floor(rnd() * 360) - 40 : r < 0.4 ? pick(items)[what] + Math.floor(rnd() * 41) - 20
            : item[what] + Math.floor(rnd() * 17) - 8;
        return (item[what] = to);
    };
    const turns = Array.from({ length: 200 }, () => Array.from({ length: 1 + Math.floor(rnd() * 6) }, () => {
        const item = pick(items), what = pick(['left', 'top', 'left', 'top', 'visible', item.shape ? 'fill' : 'picture']);
        const value = what === 'visible' ? pick(['0', '1', '1']) : what === 'fill' ? pick(['#ff0000', '#00ff80', '#0000ff'])
            : what === 'picture' ? pick(pictures) : String(move(item, what));
        return [item.name, what, value];
    }));
    const differ = await page.evaluate(async (turns) => {
        const win = skyvanePage.windows.get('Form1');
        const views = [...win.client.querySelectorAll('canvas.sv-view')];
        const pixels = () => views.map((c) => c.getContext('2d').getImageData(0, 0, c.width, c.height).data.join()).join('|');
        const settled = async () => {
            for (const img of win.client.querySelectorAll('img'))
                if (!img.complete) await new Promise((r) => { img.onload = img.onerror = r; });
            await new Promise((r) => setTimeout(r, 0));
        };
        const apply = async (changes) => {
            for (const [name, what, value] of changes) skyvanePage.set('Form1', name, what, value);
            await settled();
            const drawn = pixels();
            skyvanePage.drawViewsWhole();
            return drawn !== pixels();
        };
        const state = () => [...win.elements.values()].filter((i) => i.view).flatMap((i) => [
            [i.def.name, 'left', String(i.left ?? i.def.x)], [i.def.name, 'top', String(i.top ?? i.def.y)],
            [i.def.name, 'visible', i.el.hidden ? '0' : '1'],
            i.canvas ? [i.def.name, 'fill', i.fill] : [i.def.name, 'picture', i.img.getAttribute('src') ?? '']]);
        for (const turn of turns) {
            const before = state();
            if (!await apply(turn)) continue;
            let changes = turn;
            for (let i = 0; i < changes.length;) {
                const fewer = changes.filter((_, k) => k !== i);
                await apply(before);
                if (await apply(fewer)) changes = fewer;
                else i++;
            }
            return JSON.stringify(changes);
        }
        return null;
    }, turns);
    assert.equal(differ, null, `SKYVANE_SEED=${seed}`);
    await page.closeAll();
});

test('names are shown as typed, in the caption and the farewell', async () => {
    const names = ['<b>bold</b>', 'a & b && c', 'x[*]y', 'שלום abc', 'ヘリ🚁', '   '];
    for (const name of names) {
        const page = await open();
        await join(page, name);
        const caption = await page.$eval(`${shown('Form1')} .sv-title`, (e) => e.textContent);
        assert.equal(caption, `ＳＶ  パイロット　${name}`);
        await page.click(`${shown('Form1')} [data-name=Command2]`);
        await page.waitForSelector('#sv-modal');
        const text = await page.$eval('#sv-modal .sv-text', (e) => e.textContent);
        assert.ok(text.includes(`「${name}」`), text);
        await page.closeAll();
    }
});

test('with no key after GO the helicopter crashes when and where the native game says', async () => {
    const page = await open('trace');
    await join(page, null);
    await sleep(100);
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => skyvanePage.sound.calls.includes('once BAKU.wav'), { timeout: 10000 });
    // The periods the grid ran from GO to the explosion: the landing rules' ticks between them
    // (a period a stalled page passed over ticks nothing, in either game).
    const ticks = (trace) => {
        const go = trace.findIndex((l) => / Form1 Command1_Click$/.test(l));
        const boom = trace.findIndex((l) => /sound BAKU.wav 1$/.test(l));
        return trace.slice(go, boom).filter((l) => / Form1 Timer5_Timer$/.test(l)).length;
    };
    // The page's run, its trace and its readouts at one moment.
    const readouts = await page.evaluate(() => ({
        fuel: skyvanePage.textOf('Form1', 'Label16'),
        altitude: skyvanePage.textOf('Form1', 'Label8'),
    }));
    const { file, trace } = await h.snapshot(page);
    // The native game, given what the page took (a busy machine's stalls included), crashes at
    // the same tick with the same readouts.
    const expected = headless(file);
    assert.equal(ticks(trace), ticks(expected.trace));
    assert.ok(ticks(trace) > 10, `${ticks(trace)} periods`);
    assert.match(expected.summary, new RegExp(`^phase=crashed rescued=0 fuel=${readouts.fuel} altitude=${readouts.altitude} `));
    await page.closeAll();
});

test('keys: one press a hold, the game repeats, the browser does not; a lost page lets go', async () => {
    const page = await open('trace');
    await join(page, 'Key');
    await page.keyboard.press('Enter');
    await page.keyboard.down('ArrowLeft');
    await page.keyboard.down('ArrowLeft'); // the browser's own repeat
    await page.keyboard.down('Shift');
    await sleep(100);
    await page.keyboard.up('ArrowLeft');
    // Shift, pressed last, repeats after Left went.
    await page.waitForFunction(() => skyvanePage.recording.filter((l) => / repeat Form1 16$/.test(l)).length >= 5,
        { timeout: 10000 });
    await page.evaluate(() => dispatchEvent(new Event('blur'))); // the page loses the keyboard
    await page.waitForFunction(() => skyvanePage.recording.some((l) => / lostkeys$/.test(l)), { timeout: 10000 });
    const rec = await page.evaluate(() => skyvanePage.recording);
    const trace = await page.evaluate(() => skyvanePage.trace);
    assert.equal(rec.filter((l) => / down Form1 37$/.test(l)).length, 1);
    assert.equal(rec.filter((l) => / repeat Form1 16$/.test(l)).length >= 5, true, rec.join('\n'));
    assert.ok(rec.some((l) => / lostkeys$/.test(l)));
    const lost = Number(rec.find((l) => / lostkeys$/.test(l)).split(' ')[0]);
    assert.ok(trace.some((l) => l.startsWith(`${lost} `) && / Form_KeyUp 16$/.test(l)), 'Shift let go');
    await page.closeAll();
});

test('behind a message box every click and key is refused; its OK closes it', async () => {
    const page = await open('trace');
    await join(page, 'Box');
    await page.click(`${shown('Form1')} [data-name=Command2]`);
    await page.waitForSelector('#sv-modal');
    const before = await page.evaluate(() => skyvanePage.trace.filter((l) => /_(Click|KeyDown|KeyUp)( |$)/.test(l)).length);
    // Behind the box: the modal layer takes the mouse; keys go to the box alone.
    await page.mouse.click(300, 300);
    await page.keyboard.press('ArrowLeft');
    await sleep(200);
    const afterInputs = await page.evaluate(() => skyvanePage.trace.filter((l) => /_(Click|KeyDown|KeyUp)( |$)/.test(l)).length);
    assert.equal(afterInputs, before);
    assert.equal(await page.evaluate(() => skyvanePage.state), 'playing');
    await page.click('#sv-modal .sv-ok');
    await page.waitForFunction(() => skyvanePage.state === 'ended');
    assert.equal(await page.$eval('#status', (e) => e.textContent), await page.evaluate(() => skyvanePage.tr('ゲームは終わりました。')));
    await page.closeAll();
});

test('the ways out: the title close box, going home, the closing screen', async () => {
    let page = await open();
    await page.waitForSelector(shown('Form2'));
    await page.click(`${shown('Form2')} .sv-close`);
    await page.waitForFunction(() => skyvanePage.state === 'ended');
    await page.closeAll();

    page = await open();
    await page.waitForSelector(shown('Form2'));
    await page.click(`${shown('Form2')} [data-name=Command2]`);
    await page.waitForSelector('#sv-modal');
    await page.keyboard.press('Space');
    await page.waitForFunction(() => skyvanePage.state === 'ended');
    await page.closeAll();
});

test('Web Audio: the rotor loops, the explosion plays once, a stop is a stop, a file that cannot play is the chime', async () => {
    for (const [query, rotor] of [['', 'loop HERI3.wav'], ['sounds=nowhere/', 'chime for HERI3.wav']]) {
        const page = await open(query);
        await join(page, 'Sound'); // the clicks are the gesture that starts the audio
        await page.waitForFunction(() => skyvanePage.sound.ready);
        await page.keyboard.press('Enter');
        await page.waitForFunction(() => skyvanePage.sound.calls.includes('once BAKU.wav'), { timeout: 10000 });
        const played = await page.evaluate(() => skyvanePage.sound.played);
        assert.equal(played[0], rotor, played.join(', '));
        assert.ok(played.includes('stop'), played.join(', '));
        assert.equal(played[played.length - 1], query ? 'chime for BAKU.wav' : 'once BAKU.wav', played.join(', '));
        await page.closeAll();
    }
});

test('keys faster than the game go in order: a name, Tab and Return join the mission', async () => {
    // Sent together, at the slowest pace: Return comes before the game has moved the focus on
    // from the name box, and is the game's, not the box's.
    const page = await h.open('trace', null, undefined, h.base, [], 0.125);
    await page.waitForSelector(shown('Form2'));
    await page.focus(`${shown('Form2')} [data-name=Text1]`);
    await page.keyboard.type('Swift');
    await Promise.all(['Tab', 'Enter'].flatMap((k) => [page.keyboard.down(k), page.keyboard.up(k)]));
    await page.waitForSelector(shown('Form1'));
    const recording = await page.evaluate(() => skyvanePage.recording.join('\n'));
    assert.match(recording, /=Swift\n(.*\n)*.* focus Form2 Command1\n(.* skip .*\n)?.* down Form2 13\n/);
    assert.deepEqual(page.errors, []);
    await page.closeAll();
});

test('a storm of real keys, through the name box, the buttons and the boxes, leaves every key paired', async () => {
    const seed = h.seed();
    const rnd = h.random(seed);
    const pick = (list) => list[Math.floor(rnd() * list.length)];
    const keys = ['Shift', 'ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown', 'Enter', 'Space', 'Tab', 'KeyA', 'KeyK'];
    const targets = ['input', '[data-name=Command1]', '[data-name=Command2]', '[data-name=Command3]', '.sv-client',
        '#sv-modal .sv-ok'];
    for (let storm = 0; storm < 6; storm++) {
        const page = await open('trace');
        await page.waitForSelector(shown('Form2'));
        if (storm % 2) await join(page, 'Storm');
        const held = new Set();
        const until = Date.now() + 4000;
        while (Date.now() < until && (await page.evaluate(() => skyvanePage.state)) === 'playing') {
            const r = rnd();
            if (r < 0.35) {
                const key = pick(keys);
                if (!held.has(key)) {
                    await page.keyboard.down(key);
                    held.add(key);
                }
            } else if (r < 0.6 && held.size) {
                const key = pick([...held]);
                await page.keyboard.up(key);
                held.delete(key);
            } else if (r < 0.75) {
                const el = await page.$(`#sv-modal .sv-ok, .sv-window:not([hidden]) ${pick(targets)}:not([hidden])`);
                if (el) await el.click().catch(() => {});
            } else if (r < 0.85) {
                await sleep(500 + rnd() * 500); // the game's repeats come
            }
            await sleep(rnd() * 80);
        }
        for (const key of held) await page.keyboard.up(key);
        const playing = (await page.evaluate(() => skyvanePage.state)) === 'playing';
        if (playing) {
            // Once every key is let go, the game lets go of them too.
            await page.waitForFunction((released) => {
                const held = new Set();
                for (const l of skyvanePage.recording) {
                    const [, verb, , key] = l.split(' ');
                    if (verb === 'down') held.add(key);
                    if (verb === 'up') held.delete(key);
                    if (verb === 'lostkeys') held.clear();
                }
                return held.size === 0 || !released;
            }, { timeout: 10000 }, true).catch(() => {});
        }
        const recording = await page.evaluate(() => skyvanePage.recording);
        assert.deepEqual(h.keyFaults(recording, playing), [], `storm ${storm}, SKYVANE_SEED=${seed}`);
        assert.deepEqual(page.errors, [], `storm ${storm}, SKYVANE_SEED=${seed}`);
        await page.closeAll();
    }
});
