// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The page side of the web desktop: it builds each window the game loads out of the page's own
// elements, applies every change the game makes, queues what the player does (keys, clicks,
// touches) for the game's loop to take, fits the windows to the screen, plays the sounds with
// Web Audio, keeps the run for a download, and keeps itself for playing offline.

'use strict';

const skyvanePage = (() => {
    const params = new URLSearchParams(location.search);
    const desktop = document.getElementById('desktop');
    // The windows stand on a stage that is zoomed as a whole to fit the desktop.
    const stage = document.createElement('div');
    stage.id = 'sv-stage';
    desktop.appendChild(stage);
    // The largest file a recorded run writes; the native game refuses any larger by its size.
    const kMaxReplayBytes = 128 * 1024 * 1024;
    const page = {
        windows: new Map(),
        events: [],
        trace: [],
        recording: [],
        played: false,
        replayBytes: null,
        replayName: null,
        activeForm: null,
        boxOpen: false,
        state: 'loading',
        summary: null,
        error: null,
        zoom: 1,
    };
    let stacking = 1;
    let settingFocus = false;

    page.option = (name) => params.has(name) && params.get(name) !== '0';
    // The language of the game's texts: Japanese, the game's own, unless ?lang= asks for another
    // (the game refuses one it does not speak), or the player chose another last time (kept in
    // the browser, so the bare address and the installed app open in it; a replay plays in its
    // own unless the address asks).
    const languageKey = 'skyvane.language';
    const chosen = (() => {
        try {
            const l = localStorage.getItem(languageKey);
            return l && typeof skyvaneTexts === 'object' && skyvaneTexts[l] ? l : null;
        } catch {
            return null;
        }
    })();
    page.languageAsked = params.has('lang') || (chosen !== null && !params.has('replay'));
    page.language = params.get('lang') || (page.languageAsked && chosen) || 'ja';
    document.documentElement.lang = page.language;
    // The page's own words in the page's language (texts.js, written from the catalogs), the
    // game's own Japanese being their source.
    const tr = (source) => (typeof skyvaneTexts === 'object' && skyvaneTexts[page.language]?.[source]) || source;
    page.tr = tr;
    // The game's texts, byte for byte (a NUL stays): one decoder for all of them.
    const decoder = new TextDecoder();
    page.decode = (bytes) => {
        // The readouts' digits, 64 times a second: ASCII needs no decoder.
        if (bytes.length <= 16) {
            let text = '';
            for (let i = 0; i < bytes.length; i++) {
                if (bytes[i] >= 0x80) return decoder.decode(bytes);
                text += String.fromCharCode(bytes[i]);
            }
            return text;
        }
        return decoder.decode(bytes);
    };
    // The pace a replay is watched at, as written (?speed=2, 4, 0.5 or 1/2): the game reads it as
    // the native game reads --speed.
    page.speed = () => params.get('speed');
    // The pace of live play that a test sets for its pilot before the page loads; never a player.
    page.testPace = () => (typeof window.skyvaneTestPace === 'string' ? window.skyvaneTestPace : null);
    // The game takes the replay's bytes once; the page keeps no copy.
    page.takeReplayBytes = () => {
        const bytes = page.replayBytes;
        page.replayBytes = null;
        return bytes;
    };
    // A Tab the game has not taken yet: until it has moved the focus, the keys that follow are
    // the game's, in order, whichever element the page's own focus still is on.
    let tabsWaiting = 0;
    page.nextEvent = () => {
        const event = page.events.length ? page.events.shift() : null;
        if (event?.startsWith('tab ')) tabsWaiting--;
        return event;
    };
    const queue = (event) => {
        if (page.state === 'playing') page.events.push(event);
    };
    // A hidden page holds the game (see the web desktop); a test may hide it for a while.
    page.hiddenForTest = false;
    page.hidden = () => document.hidden || page.hiddenForTest;

    // A name as the game takes it: printable ASCII but space and % as they are, every other byte
    // of its UTF-8 as %XX.
    const encodeText = (text) => {
        let out = '';
        for (const b of new TextEncoder().encode(text)) {
            if (b > 0x20 && b < 0x7f && b !== 0x25) out += String.fromCharCode(b);
            else out += '%' + b.toString(16).toUpperCase().padStart(2, '0');
        }
        return out;
    };
    // For display only: a carriage return, alone or before a line feed, breaks the line.
    const display = (text) => text.replace(/\r\n?/g, '\n');
    // A text box of the page cannot hold a carriage return, a line feed or a NUL, which a name
    // may: the box shows each control character as its picture (␍, ␀) and gives it back as itself.
    // eslint-disable-next-line no-control-regex
    const toBox = (text) => text.replace(/[\u0000-\u0008\u000a-\u001f]/g, (c) => String.fromCharCode(0x2400 + c.charCodeAt(0)));
    const fromBox = (text) => text.replace(/[\u2400-\u2408\u240a-\u241f]/g, (c) => String.fromCharCode(c.charCodeAt(0) - 0x2400));

    const make = (tag, className, parent) => {
        const el = document.createElement(tag);
        if (className) el.className = className;
        if (parent) parent.appendChild(el);
        return el;
    };
    const fontOf = (el, font) => {
        const families = font.families.map((f, i) => (i === 0 ? `"Skyvane ${f}", "${f}"` : `"${f}"`));
        el.style.fontFamily = families.join(', ') + ', sans-serif';
        el.style.fontSize = font.px + 'px';
        el.style.fontWeight = font.bold ? 'bold' : 'normal';
        if (font.crisp) el.classList.add('sv-crisp');
    };

    // ---- Shapes, drawn as the Qt desktop draws them: the border inside the bounds ----
    const drawShape = (item) => {
        const { def, canvas } = item;
        const ctx = canvas.getContext('2d');
        const w = canvas.width, h = canvas.height;
        ctx.clearRect(0, 0, w, h);
        const bw = Math.max(1, def.borderWidth);
        let ox = 0, oy = 0, ow = w, oh = h;
        if (def.shape === 'circle') {
            const d = Math.min(w, h);
            ox = (w - d) / 2; oy = (h - d) / 2; ow = d; oh = d;
        }
        const path = (x, y, pw, ph, inset) => {
            const p = new Path2D();
            const ix = x + inset, iy = y + inset, iw = pw - 2 * inset, ih = ph - 2 * inset;
            if (iw <= 0 || ih <= 0) return null;
            if (def.shape === 'circle') {
                p.ellipse(ix + iw / 2, iy + ih / 2, iw / 2, ih / 2, 0, 0, 2 * Math.PI);
            } else if (def.shape === 'rounded') {
                const r = Math.max(0, Math.min(pw, ph) / 6 - inset);
                p.roundRect(ix, iy, iw, ih, r);
            } else {
                p.rect(ix, iy, iw, ih);
            }
            return p;
        };
        const outer = path(ox, oy, ow, oh, 0);
        const inner = path(ox, oy, ow, oh, bw);
        if (inner && def.fillStyle !== 'transparent') {
            ctx.fillStyle = def.fillStyle === 'opaque' ? def.back : item.fill;
            ctx.fill(inner);
        }
        const ring = new Path2D();
        ring.addPath(outer);
        if (inner) ring.addPath(inner);
        ctx.fillStyle = def.borderColour;
        ctx.fill(ring, 'evenodd');
        if (item.view) redraw(item);
        else item.el.src = canvas.toDataURL();
    };

    // ---- Windows ----
    page.openWindow = (form, layout) => {
        const root = make('section', 'sv-window', stage);
        root.hidden = true;
        root.dataset.form = form;
        const bar = make('div', 'sv-caption', root);
        const icon = make('img', '', bar);
        icon.alt = '';
        if (layout.icon) icon.src = layout.icon;
        const title = make('span', 'sv-title', bar);
        title.textContent = display(layout.caption);
        root.setAttribute('aria-label', display(layout.caption));
        // The minimise and maximise boxes are drawn and never pressed: nothing to a reader.
        for (const [what, shown] of [['_', layout.minButton], ['□', layout.maxButton]]) {
            if (!shown) continue;
            const d = make('span', 'sv-deco', bar);
            d.textContent = what;
            d.setAttribute('aria-hidden', 'true');
        }
        const close = make('button', 'sv-close', bar);
        close.type = 'button';
        close.tabIndex = -1;
        close.textContent = '×';
        close.setAttribute('aria-label', tr('ウィンドウを閉じる'));
        close.addEventListener('click', () => queue(`close ${form}`));
        const client = make('div', 'sv-client', root);
        client.tabIndex = -1;
        client.style.width = layout.width + 'px';
        client.style.height = layout.height + 'px';
        client.style.background = layout.background;
        const win = { root, title, client, elements: new Map(), placed: false, caption: layout.caption,
            width: layout.width, height: layout.height, focus: null, moved: new Set(), stale: new Set() };
        const containers = new Map([['', client]]);
        const n = layout.elements.length;
        const place = (el, s) => {
            el.style.left = s.x + 'px';
            el.style.top = s.y + 'px';
            el.style.width = s.w + 'px';
            el.style.height = s.h + 'px';
        };
        // Frames first, so that the elements they hold have somewhere to go.
        for (const s of layout.elements.filter((s) => s.kind === 'frame')) {
            const el = make('div', 'sv-el sv-frame', client);
            place(el, s);
            el.style.background = s.back;
            el.style.zIndex = 100000 + n - s.index;
            el.hidden = !s.visible;
            el.dataset.name = s.name;
            containers.set(s.name, el);
            win.elements.set(s.name, { el, def: s });
        }
        for (const s of layout.elements) {
            if (s.kind === 'frame' || s.kind === 'timer') continue;
            const parent = containers.get(s.container) || client;
            let el;
            const item = { def: s };
            // Within a container the first element is in front; buttons and the text box lie
            // above everything drawn.
            const windowed = s.kind === 'button' || s.kind === 'textbox';
            if (s.kind === 'label') {
                el = make('div', 'sv-el sv-label', parent);
                el.textContent = display(s.caption);
                el.style.color = s.fore;
                if (s.opaque) el.style.background = s.back;
                el.style.textAlign = s.align;
                if (s.border) el.classList.add('sunken');
                fontOf(el, s.font);
                item.fore = s.fore;
                item.caption = s.caption;
            } else if (s.kind === 'image') {
                el = make('div', 'sv-el sv-image', parent);
                if (s.stretch) el.classList.add('stretch');
                item.img = make('img', '', el);
                item.img.alt = '';
                if (s.picture) item.img.src = s.picture;
                else item.img.hidden = true;
            } else if (s.kind === 'shape') {
                // Drawn into a canvas of its own and shown as the picture it makes: a canvas in
                // the page is a layer of its own for the browser, and a dozen of them, with the
                // labels over them lifted into layers too, cost the flight more than it draws.
                el = make('img', 'sv-el sv-shape', parent);
                item.canvas = document.createElement('canvas');
                item.canvas.width = s.w;
                item.canvas.height = s.h;
                item.fill = s.fill;
            } else if (s.kind === 'button') {
                el = make('button', 'sv-el sv-button', parent);
                el.type = 'button';
                el.textContent = display(s.caption);
                el.tabIndex = -1;
                fontOf(el, s.font);
                // The game presses the button: a click or a tap, or Return and Space through its
                // keys.
                el.addEventListener('mousedown', (e) => e.preventDefault());
                el.addEventListener('click', (e) => {
                    e.preventDefault();
                    queue(`click ${form} ${s.name}`);
                });
            } else if (s.kind === 'textbox') {
                el = make('input', 'sv-el sv-textbox', parent);
                el.type = 'text';
                el.value = toBox(s.text);
                el.tabIndex = -1;
                el.spellcheck = false;
                el.autocomplete = 'off';
                fontOf(el, s.font);
                const edited = () => queue(`text ${form} ${s.name} =${encodeText(fromBox(el.value))}`);
                el.addEventListener('input', edited);
                // Pasted text keeps its carriage returns and NULs, which the box would drop.
                el.addEventListener('paste', (e) => {
                    const text = e.clipboardData?.getData('text/plain');
                    if (text === undefined) return;
                    e.preventDefault();
                    el.setRangeText(toBox(text), el.selectionStart, el.selectionEnd, 'end');
                    edited();
                });
                el.addEventListener('focus', () => {
                    if (!settingFocus) queue(`focus ${form} ${s.name}`);
                });
            }
            place(el, s);
            el.style.zIndex = (windowed ? 100000 : 0) + n - s.index;
            el.hidden = !s.visible;
            el.dataset.name = s.name;
            el.id = `sv-${form}-${s.name}`;
            item.el = el;
            win.elements.set(s.name, item);
        }
        for (const s of layout.elements.filter((s) => s.kind === 'frame')) {
            const held = [...win.elements.values()].filter((item) => item.def.container === s.name);
            if (held.length && held.every((item) => item.canvas || item.img)) makeView(win, containers.get(s.name), s, held);
        }
        // Once the views are known: a shape in a view is drawn into it, not made a picture.
        for (const item of win.elements.values()) if (item.canvas) drawShape(item);
        // A reader reads each container's elements row by row, whatever order they stack in.
        const items = [...win.elements.values()].sort((a, b) => a.def.readAt - b.def.readAt);
        for (const item of items) {
            (containers.get(item.def.container) || client).appendChild(item.el);
            speak(item, item.def.spoken);
        }
        // A button is described by what its design names (the message line, the tribute): an
        // outcome that gives it the focus is heard with it.
        for (const item of items)
            if (item.def.describedBy)
                item.el.setAttribute('aria-describedby', item.def.describedBy.split(' ').map((n) => `sv-${form}-${n}`).join(' '));
        root.addEventListener('mousedown', () => {
            page.activeForm = form;
            root.style.zIndex = stacking++;
        });
        page.windows.set(form, win);
    };

    // ---- Views: a frame of pictures and shapes only, drawn into one canvas ----
    // A sprite moved in the page changes how the browser must stack what it paints, and it made
    // its list of layers again at nearly every frame of a flight; drawn into its view's canvas,
    // a move is new pixels in one layer. The elements stay where the layout put them, unseen,
    // for what a reader reads of them.
    const makeView = (win, frame, def, held) => {
        const canvas = make('canvas', 'sv-view', frame);
        canvas.width = def.w;
        canvas.height = def.h;
        canvas.setAttribute('aria-hidden', 'true');
        frame.classList.add('sv-drawn');
        // Drawn back to front: within a container the first element is in front.
        const view = { ctx: canvas.getContext('2d'), items: held.sort((a, b) => b.def.index - a.def.index),
            due: false, win, touched: new Set(), drawn: new Map() };
        for (const item of held) {
            item.view = view;
            item.img?.addEventListener('load', () => redraw(item));
        }
        drawView(view, true);
    };
    // Where an element of a view stands and how large it is drawn, or null if it is not drawn.
    const boundsOf = (item) => {
        if (item.el.hidden) return null;
        const { def } = item, x = item.left ?? def.x, y = item.top ?? def.y;
        if (item.canvas) return [x, y, item.canvas.width, item.canvas.height];
        const img = item.img;
        if (img.hidden || !img.complete || !img.naturalWidth) return null;
        if (def.stretch) return [x, y, def.w, def.h];
        // At its own size from the box's corner, cut by the box.
        return [x, y, Math.min(img.naturalWidth, def.w), Math.min(img.naturalHeight, def.h)];
    };
    // A picture stretched to its box, drawn once at the box's size: stretched anew into a part of
    // the view, the browser picks its pixels from the picture otherwise than for the whole.
    const stretched = (item) => {
        const { img, def } = item;
        if (item.stretched?.src !== img.currentSrc) {
            const canvas = Object.assign(document.createElement('canvas'), { width: def.w, height: def.h });
            const ctx = canvas.getContext('2d');
            ctx.imageSmoothingEnabled = false;
            ctx.drawImage(img, 0, 0, def.w, def.h);
            item.stretched = { src: img.currentSrc, canvas };
        }
        return item.stretched.canvas;
    };
    const meets = (a, b) => a[0] < b[0] + b[2] && b[0] < a[0] + a[2] && a[1] < b[1] + b[3] && b[1] < a[1] + a[3];
    // A sprite moved a pixel is a few hundred pixels new of a view of fifty thousand: only where
    // the changed elements stood and stand now is cleared and drawn again, back to front.
    const drawView = (view, whole = false) => {
        view.due = false;
        const { ctx } = view;
        const changed = whole ? view.items : [...view.touched];
        view.touched.clear();
        const areas = [];
        if (whole) areas.push([0, 0, ctx.canvas.width, ctx.canvas.height]);
        for (const item of changed) {
            const now = boundsOf(item);
            for (const r of [view.drawn.get(item), now]) {
                if (!r || whole) continue;
                // Overlapping areas are drawn as one: each area the growing one meets is taken in.
                const x0 = Math.floor(r[0]), y0 = Math.floor(r[1]);
                let area = [x0, y0, Math.ceil(r[0] + r[2]) - x0, Math.ceil(r[1] + r[3]) - y0];
                for (let i; (i = areas.findIndex((a) => meets(a, area))) >= 0;) {
                    const [other] = areas.splice(i, 1);
                    const x = Math.min(area[0], other[0]), y = Math.min(area[1], other[1]);
                    area = [x, y, Math.max(area[0] + area[2], other[0] + other[2]) - x,
                        Math.max(area[1] + area[3], other[1] + other[3]) - y];
                }
                areas.push(area);
            }
            view.drawn.set(item, now);
        }
        ctx.imageSmoothingEnabled = false;
        // A sprite flown out of its view changes nothing there: the canvas is left as it is.
        const bounds = [0, 0, ctx.canvas.width, ctx.canvas.height];
        for (const area of areas.filter((a) => meets(a, bounds))) {
            ctx.save();
            ctx.beginPath();
            ctx.rect(...area);
            ctx.clip();
            ctx.clearRect(...area);
            for (const item of view.items) {
                const r = view.drawn.get(item);
                if (!r || !meets(r, area)) continue;
                const [x, y, w, h] = r;
                if (item.canvas) ctx.drawImage(item.canvas, x, y);
                else if (item.def.stretch) ctx.drawImage(stretched(item), x, y);
                else ctx.drawImage(item.img, 0, 0, w, h, x, y, w, h);
            }
            ctx.restore();
        }
    };
    // Drawn once when the game's turn is over, however many of its elements it changed.
    const redraw = (item) => {
        const view = item.view;
        view.touched.add(item);
        if (view.win.root.hidden) {
            view.win.stale.add(view);
            return;
        }
        if (view.due) return;
        view.due = true;
        queueMicrotask(() => drawView(view));
    };
    // For the tests: each view drawn whole, to compare with what its changes drew.
    page.drawViewsWhole = () => {
        for (const win of page.windows.values())
            for (const view of new Set([...win.elements.values()].map((item) => item.view).filter(Boolean))) drawView(view, true);
    };
    // Where the page shows an element, in the window's pixels from its container's corner.
    page.placeOf = (form, name) => {
        const item = page.windows.get(form)?.elements.get(name);
        return item && { x: item.left ?? item.def.x, y: item.top ?? item.def.y };
    };

    page.closeWindow = (form) => {
        const win = page.windows.get(form);
        if (!win) return;
        win.root.remove();
        page.windows.delete(form);
        if (page.activeForm === form) page.activeForm = null;
        fit();
    };

    page.showWindow = (form, visible) => {
        const win = page.windows.get(form);
        if (!win) return;
        win.root.hidden = !visible;
        if (!visible) {
            fit();
            return;
        }
        win.root.style.zIndex = stacking++;
        for (const item of win.moved) translate(item);
        win.moved.clear();
        for (const view of win.stale) drawView(view, true);
        win.stale.clear();
        page.activeForm = form;
        document.title = display(win.caption) || 'Skyvane';
        fit();
        applyFocus(win);
        // For the benchmark: the moment the first window showed, from the page's navigation.
        if (page.firstShownAt === undefined) page.firstShownAt = performance.now();
    };

    page.setCaption = (form, caption) => {
        const win = page.windows.get(form);
        if (!win) return;
        win.caption = caption;
        win.title.textContent = display(caption);
        win.root.setAttribute('aria-label', display(caption));
        if (page.activeForm === form) document.title = display(caption) || 'Skyvane';
    };

    // A window the game keeps hidden goes on changing (the title's prologue scrolls on under the
    // mission): what it moves and draws waits until it shows.
    const translate = (item) => {
        const dx = (item.left ?? item.def.x) - item.def.x;
        const dy = (item.top ?? item.def.y) - item.def.y;
        item.el.style.transform = dx || dy ? `translate(${dx}px, ${dy}px)` : '';
    };
    page.set = (form, name, property, value) => {
        const win = page.windows.get(form);
        const item = win?.elements.get(name);
        if (!item) return;
        const el = item.el;
        switch (property) {
            // A move is a translation from where the layout placed it: nothing is laid out
            // again. Only moves come here: the game's sets to where a sprite stands stay behind.
            case 'left':
            case 'top': {
                item[property] = Number(value);
                if (item.view) redraw(item);
                else if (win.root.hidden) win.moved.add(item);
                else translate(item);
                break;
            }
            case 'visible':
                el.hidden = value !== '1';
                // The focus given to a button while it was hidden shows when it does.
                if (!el.hidden && win.focus === name) applyFocus(win);
                if (item.def.kind === 'button' || item.def.kind === 'textbox') placeHits();
                if (item.view) redraw(item);
                break;
            case 'picture':
                if (value) {
                    item.img.src = value;
                    item.img.hidden = false;
                } else {
                    item.img.removeAttribute('src');
                    item.img.hidden = true;
                }
                if (item.view) redraw(item);
                break;
            case 'caption': setCaption(item, value); break;
            case 'text': if (fromBox(el.value) !== value) el.value = toBox(value); break;
            case 'fore':
                item.fore = value;
                el.style.color = value;
                if (item.text) drawText(item);
                break;
            case 'back': if (item.def.opaque) el.style.background = value; break;
            case 'fill': item.fill = value; drawShape(item); break;
            case 'spoken': speak(item, value); break;
        }
    };

    // ---- Labels whose text changes as the game goes (the readouts) ----
    // A label's text laid out by the page makes the browser lay the page out again, and look
    // again at what lies under the pointer, at every change: 64 times a second for a readout.
    // A line of text that fits its label is drawn into a canvas of its own instead, at the
    // screen's own resolution, where the label's text would stand; the label keeps it as its
    // name for screen readers. Text with a line break, or longer than its label, is laid out.
    const baselineOf = (item) => {
        if (item.baseline === undefined) {
            const el = item.el;
            // Measured once the label is on the screen: a hidden window has no layout to measure.
            if (el.getClientRects().length === 0) return undefined;
            const probe = make('span', '', el);
            probe.style.cssText = 'display:inline-block;width:0;height:0;vertical-align:baseline';
            const style = getComputedStyle(el);
            item.baseline = probe.offsetTop;
            item.inner = { left: el.clientLeft + parseFloat(style.paddingLeft), width: el.clientWidth -
                parseFloat(style.paddingLeft) - parseFloat(style.paddingRight) };
            item.fontCss = `${style.fontWeight} ${style.fontSize} ${style.fontFamily}`;
            probe.remove();
        }
        return item.baseline;
    };
    const drawText = (item) => {
        const { canvas } = item.text;
        const scale = page.zoom * (devicePixelRatio || 1);
        const width = Math.ceil(item.def.w * scale), height = Math.ceil(item.def.h * scale);
        const ctx = item.text.ctx;
        // The context keeps how it draws from one text to the next (set again, the font and the
        // kerning cost more than the text), until a new scale resets it or the colour changes (a
        // new scale may leave the canvas its size, and the text must be drawn at the new scale).
        if (item.text.scale !== scale || item.text.fore !== item.fore) {
            canvas.width = width;
            canvas.height = height;
            ctx.setTransform(scale, 0, 0, scale, 0, 0);
            ctx.font = item.fontCss;
            ctx.fontKerning = 'none';
            ctx.fillStyle = item.fore;
            ctx.textBaseline = 'alphabetic';
            ctx.textAlign = item.def.align === 'right' ? 'right' : item.def.align === 'center' ? 'center' : 'left';
            item.text.fore = item.fore;
            item.text.scale = scale;
        }
        ctx.clearRect(0, 0, item.def.w, item.def.h);
        const { left, width: inner } = item.inner;
        const x = item.def.align === 'right' ? left + inner : item.def.align === 'center' ? left + inner / 2 : left;
        // The pictures for this label's font, colour and scale, looked up once for each of them.
        if (item.text.glyphScale !== scale || item.text.glyphFore !== item.fore) {
            item.text.glyphs = glyphsFor(item, scale);
            item.text.glyphScale = scale;
            item.text.glyphFore = item.fore;
        }
        const glyphs = !page.wholeLines && numberLine.test(item.caption) && item.text.glyphs;
        if (glyphs) {
            drawGlyphs(ctx, glyphs, item.caption, x, item.baseline, scale, item.def.align);
            page.glyphLines++;
        } else {
            ctx.fillText(item.caption, x, item.baseline);
        }
    };
    // ---- A readout's digits, drawn from pictures of them ----
    // The browser shapes every line of text it has not drawn lately afresh, and a readout's
    // number is new at nearly every period: most of the page's drawing in flight was shaping
    // digits. Each digit is drawn once into a picture of its own at the canvas's resolution and
    // copied to where the line would put it, at the quarter of a pixel the browser puts it. The
    // copies are checked against the line drawn whole, once for each font, colour and scale; a
    // browser that places glyphs otherwise (between pixels, or kerned) gets its lines drawn whole.
    const glyphSets = new Map();
    // A readout's number: digits, a minus, spaces; no font kerns or joins them here.
    const numberLine = /^[-0-9 ]{1,32}$/;
    // For the tests: every line drawn whole, and how many were drawn from the pictures.
    page.wholeLines = false;
    page.glyphLines = 0;
    const probeLine = '-0123456789 9876543210';
    const glyphsFor = (item, scale) => {
        const key = `${item.fontCss}|${item.fore}|${scale}`;
        let set = glyphSets.get(key);
        if (set === undefined) {
            // A browser without what the pictures need draws its lines whole.
            try {
                set = makeGlyphs(item.fontCss, item.fore, scale);
            } catch {
                set = null;
            }
            // A window resized by hand passes through many scales.
            if (glyphSets.size >= 16) glyphSets.clear();
            glyphSets.set(key, set);
        }
        return set;
    };
    const textContext = (width, height, font, fore) => {
        const canvas = typeof OffscreenCanvas === 'function' ? new OffscreenCanvas(width, height) :
            Object.assign(document.createElement('canvas'), { width, height });
        const ctx = canvas.getContext('2d', { willReadFrequently: true });
        ctx.font = font;
        ctx.fontKerning = 'none';
        ctx.fillStyle = fore;
        ctx.textBaseline = 'alphabetic';
        return ctx;
    };
    const makeGlyphs = (font, fore, scale) => {
        const measure = textContext(1, 1, font, fore);
        const box = measure.measureText('0');
        const set = { chars: new Map(), origin: Math.ceil(box.fontBoundingBoxAscent * scale) + 2 };
        const size = set.origin + Math.ceil(box.fontBoundingBoxDescent * scale) + 2;
        // A glyph stands a whole pixel, or a quarter, a half or three quarters past one.
        for (const c of new Set(probeLine)) {
            const width = measure.measureText(c).width;
            const pad = Math.ceil(scale) + 2;
            const phases = [0, 0.25, 0.5, 0.75].map((phase) => {
                const ctx = textContext(Math.ceil(width * scale) + 2 * pad + 1, size, font, fore);
                ctx.setTransform(scale, 0, 0, scale, pad + phase, set.origin);
                ctx.fillText(c, 0, 0);
                // A picture that never changes: copied without the browser taking a snapshot each time.
                return ctx.canvas.transferToImageBitmap?.() ?? ctx.canvas;
            });
            set.chars.set(c, { phases, width, pad });
        }
        // The check: the probe line drawn whole and from the pictures, at a few places between pixels.
        const w = Math.ceil(measure.measureText(probeLine).width * scale) + 8;
        for (const shift of [0, 0.25, 0.5, 0.75]) {
            const whole = textContext(w, size, font, fore), copied = textContext(w, size, font, fore);
            whole.setTransform(scale, 0, 0, scale, 0, 0);
            whole.fillText(probeLine, 2 + shift, set.origin / scale);
            drawGlyphs(copied, set, probeLine, 2 + shift, set.origin / scale, scale, 'left');
            const a = whole.getImageData(0, 0, w, size).data, b = copied.getImageData(0, 0, w, size).data;
            for (let i = 0; i < a.length; i++) if (a[i] !== b[i]) return null;
        }
        return set;
    };
    const drawGlyphs = (ctx, set, line, x, baseline, scale, align) => {
        let width = 0;
        for (const c of line) width += set.chars.get(c).width;
        let at = align === 'right' ? x - width : align === 'center' ? x - width / 2 : x;
        const y = Math.round(baseline * scale) - set.origin;
        ctx.setTransform(1, 0, 0, 1, 0, 0);
        for (const c of line) {
            const g = set.chars.get(c);
            const quarters = Math.floor(at * scale * 4 + 0.5);
            ctx.drawImage(g.phases[quarters & 3], (quarters >> 2) - g.pad, y);
            at += g.width;
        }
        ctx.setTransform(scale, 0, 0, scale, 0, 0);
    };
    // Whether a line fits its label. A readout's number is new at almost every tick, and
    // measuring text is the dearest thing the page does in flight: a line of digits, which no
    // font kerns or joins here, is the sum of its digits' widths, measured once each; only a sum
    // within a pixel of the edge is measured whole.
    const fitsLine = (item, value) => {
        const ctx = item.text.ctx;
        // Setting the font is itself dear: only for a text to measure.
        let fontSet = false;
        const measure = (text) => {
            if (!fontSet) ctx.font = item.fontCss;
            fontSet = true;
            return ctx.measureText(text).width;
        };
        if (numberLine.test(value)) {
            if (!item.digits) item.digits = new Map();
            let sum = 0;
            for (const c of value) {
                let w = item.digits.get(c);
                if (w === undefined) item.digits.set(c, w = measure(c));
                sum += w;
            }
            if (Math.abs(sum - item.inner.width) > 1) return sum <= item.inner.width;
        }
        return measure(value) <= item.inner.width;
    };
    const setCaption = (item, value) => {
        item.caption = value;
        const el = item.el;
        // The message line is laid out: it changes seldom, and a reader reads it, and the
        // buttons it describes, by its text.
        const oneLine = !/[\r\n]/.test(value) && item.def.reading !== 'live';
        if (oneLine && baselineOf(item) !== undefined) {
            if (!item.text) {
                const canvas = document.createElement('canvas');
                canvas.className = 'sv-text';
                item.text = { canvas, ctx: canvas.getContext('2d') };
            }
            // Whether a text fits, once per text: a readout shows the same few again and again.
            if (!item.fits) item.fits = new Map();
            let fits = item.fits.get(value);
            if (fits === undefined) {
                fits = fitsLine(item, value);
                if (item.fits.size > 4096) item.fits.clear();
                item.fits.set(value, fits);
            }
            if (fits) {
                if (el.firstChild !== item.text.canvas || el.childNodes.length !== 1) {
                    el.replaceChildren(item.text.canvas);
                    speak(item, item.spoken);
                }
                drawText(item);
                return;
            }
        }
        el.textContent = display(value);
        item.said = null;
        speak(item, item.spoken);
    };
    // ---- What a screen reader says ----
    // The game says how each element is read (page.set 'spoken'), when it says it (a change at
    // most twice a second): by its own text, as a readout named by its caption and its value,
    // as a picture named for what it shows, or not at all. A label drawn into a canvas is read
    // by the canvas's fallback text. The message line's news and the answers to questions are
    // said in the page's live region (page.say).
    const speak = (item, spoken) => {
        if (!item.el || spoken === undefined) return;
        item.spoken = spoken;
        const { el, def } = item;
        const hidden = def.reading === 'hidden' || (def.reading === 'named' && !spoken);
        if (hidden) el.setAttribute('aria-hidden', 'true');
        else el.removeAttribute('aria-hidden');
        if (hidden) return;
        if (def.kind === 'frame' || (def.kind === 'textbox' && spoken)) {
            if (def.kind === 'frame') el.setAttribute('role', 'group');
            el.setAttribute('aria-label', spoken);
        } else if (def.reading === 'named') {
            el.setAttribute('role', 'img');
            el.setAttribute('aria-label', spoken);
        } else if (def.kind === 'label') {
            const canvas = item.text?.canvas;
            if (canvas && el.firstChild === canvas) {
                if (canvas.textContent !== spoken) canvas.textContent = spoken;
            } else if (def.reading === 'readout') {
                // Laid out: the value shows, its caption and value are read.
                if (!item.said) {
                    const value = make('span', '', null);
                    value.textContent = el.textContent;
                    value.setAttribute('aria-hidden', 'true');
                    item.said = make('span', 'sv-said', null);
                    el.replaceChildren(value, item.said);
                }
                item.said.textContent = spoken;
            }
        }
    };
    const said = document.getElementById('sv-said');
    page.said = [];
    page.say = (form, words) => {
        page.said.push(words);
        // The same words again are news again: the region is emptied first.
        said.textContent = '';
        setTimeout(() => { said.textContent = display(words).replace(/\n/g, ' '); }, 50);
    };

    // What a label shows now, drawn or laid out.
    page.textOf = (form, name) => {
        const item = page.windows.get(form)?.elements.get(name);
        return item?.caption ?? item?.el.textContent ?? null;
    };
    page.redrawTexts = () => {
        for (const win of page.windows.values())
            for (const item of win.elements.values())
                if (item.text && item.el.firstChild === item.text.canvas) drawText(item);
    };

    // The element the game gave the focus to, or the window itself; the page's own focus follows
    // it whenever the element can take it.
    const applyFocus = (win) => {
        if (win.root.hidden || page.boxOpen) return;
        const target = win.focus ? win.elements.get(win.focus)?.el : win.client;
        if (!target || target.hidden) return;
        settingFocus = true;
        target.focus({ preventScroll: true, focusVisible: true });
        settingFocus = false;
    };
    page.setFocus = (form, name) => {
        const win = page.windows.get(form);
        if (!win) return;
        win.focus = name || null;
        applyFocus(win);
    };

    // ---- Fitting the windows to the screen ----
    // The windows keep their own sizes in pixels and are zoomed as a whole to fit what the page
    // leaves them (beside or below the touch controls): the text is laid out again at that size,
    // so it stays crisp, and the pictures keep sharp pixels.
    const fit = () => {
        const shown = [...page.windows.values()].filter((w) => !w.root.hidden);
        const area = desktop.getBoundingClientRect();
        // The windows' own sizes, caption and border too, as laid out on the stage.
        const size = (w) => ({ width: w.root.offsetWidth || w.width + 2, height: w.root.offsetHeight || w.height + 23 });
        let zoom = 8;
        for (const w of shown) zoom = Math.min(zoom, area.width / size(w).width, area.height / size(w).height);
        if (!shown.length || !Number.isFinite(zoom) || zoom <= 0) zoom = 1;
        page.zoom = zoom;
        stage.style.zoom = zoom;
        stage.style.width = area.width / zoom + 'px';
        stage.style.height = area.height / zoom + 'px';
        for (const w of shown) {
            const { width, height } = size(w);
            w.root.style.left = Math.max(0, (area.width / zoom - width) / 2) + 'px';
            w.root.style.top = Math.max(0, (area.height / zoom - height) / 2) + 'px';
        }
        if (modal) placeBox();
        placeHits();
        if (zoom !== fit.zoom) {
            fit.zoom = zoom;
            page.redrawTexts();
        }
    };
    addEventListener('resize', fit);

    // ---- A thumb's reach: about 44 by 44 CSS pixels ----
    // Each control the game shows (its buttons, the name box, a box's OK, the close boxes) gets
    // an invisible area at least that big around it, which overlaps no other control nor its
    // area, nor the touch keys and the bar; a tap there presses the control. Nothing the game
    // draws moves or grows. Laid out again whenever the windows, the zoom or a control change.
    const kThumb = 44;
    const hits = make('div', '', document.body);
    hits.id = 'sv-hits';
    const placeHits = () => {
        hits.replaceChildren();
        if (!document.body.classList.contains('sv-touch')) return;
        const scope = modal ? [modal] : [...page.windows.values()].filter((w) => !w.root.hidden).map((w) => w.root);
        const controls = scope.flatMap((root) => [...root.querySelectorAll('.sv-button, .sv-textbox, .sv-close')])
            .filter((el) => !el.closest('[hidden]') && el.getClientRects().length);
        const rects = controls.map((el) => el.getBoundingClientRect());
        const keep = [...document.querySelectorAll('#sv-touch [data-key], #bar button, #bar label')]
            .filter((el) => el.getClientRects().length).map((el) => el.getBoundingClientRect());
        const meets = (a, b) => a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
        controls.forEach((el, i) => {
            const r = rects[i];
            const w = Math.max(kThumb, r.width), h = Math.max(kThumb, r.height);
            const others = [...rects.filter((_, j) => j !== i), ...keep];
            let area = null;
            // Centred on the control if it can be, else against one of its sides.
            for (const top of [r.top + (r.height - h) / 2, r.top, r.bottom - h]) {
                for (const left of [r.left + (r.width - w) / 2, r.left, r.right - w]) {
                    const a = { left, top, right: left + w, bottom: top + h };
                    if (!others.some((o) => meets(a, o))) {
                        area = a;
                        break;
                    }
                }
                if (area) break;
            }
            if (!area) return;  // the control alone, as it is
            keep.push(area);
            const hit = make('div', 'sv-hit', hits);
            Object.assign(hit.style, { left: area.left + 'px', top: area.top + 'px', width: w + 'px', height: h + 'px' });
            hit.addEventListener('click', (e) => {
                e.preventDefault();
                if (el.tagName === 'INPUT') el.focus();
                else el.click();
            });
            hit.control = el;
        });
    };
    page.placeHits = placeHits;
    // The bar's height, which the desktop leaves it.
    new ResizeObserver(() => {
        document.documentElement.style.setProperty('--bar', document.getElementById('bar').offsetHeight + 'px');
        fit();
    }).observe(document.getElementById('bar'));

    // ---- Message boxes ----
    let modal = null;
    let focusBeforeBox = null;
    const elide = (line) => (line.length > 400 ? line.slice(0, 180) + '…' + line.slice(-180) : line);
    const placeBox = () => {
        const inner = modal.firstChild;
        inner.style.zoom = page.zoom;
        inner.style.width = innerWidth / page.zoom + 'px';
        inner.style.height = innerHeight / page.zoom + 'px';
        const box = inner.firstChild;
        box.style.left = Math.max(0, (innerWidth / page.zoom - box.offsetWidth) / 2) + 'px';
        box.style.top = Math.max(0, (innerHeight / page.zoom - box.offsetHeight) / 2) + 'px';
    };
    page.openBox = (text, title) => {
        focusBeforeBox = document.activeElement;
        modal = make('div', '', document.body);
        modal.id = 'sv-modal';
        const box = make('section', 'sv-window sv-box', make('div', 'sv-stage', modal));
        box.setAttribute('role', 'alertdialog');
        box.setAttribute('aria-modal', 'true');
        const bar = make('div', 'sv-caption', box);
        const t = make('span', 'sv-title', bar);
        t.textContent = display(title);
        const close = make('button', 'sv-close', bar);
        close.type = 'button';
        close.tabIndex = -1;
        close.textContent = '×';
        close.addEventListener('click', () => queue('box'));
        const client = make('div', 'sv-client', box);
        client.innerHTML = '<svg width="32" height="32" viewBox="0 0 32 32" role="img" aria-label="' + tr('情報') + '">' +
            '<circle cx="16" cy="16" r="15" fill="#2d6ec7" stroke="#1b4a8c"/>' +
            '<rect x="14" y="13" width="4" height="12" fill="#fff"/><rect x="14" y="7" width="4" height="4" fill="#fff"/></svg>';
        const message = make('div', 'sv-text', client);
        message.textContent = display(text).split('\n').map(elide).join('\n');
        message.id = 'sv-box-text';
        box.setAttribute('aria-labelledby', 'sv-box-text');
        const ok = make('button', 'sv-button sv-ok', client);
        ok.type = 'button';
        ok.textContent = 'OK';
        ok.addEventListener('click', () => queue('box'));
        box.style.zIndex = stacking++;
        placeBox();
        page.boxOpen = true;
        placeHits();
        ok.focus({ focusVisible: true });
    };
    page.closeBox = () => {
        if (modal) modal.remove();
        modal = null;
        page.boxOpen = false;
        placeHits();
        if (focusBeforeBox && document.contains(focusBeforeBox)) {
            settingFocus = true;
            focusBeforeBox.focus({ preventScroll: true });
            settingFocus = false;
        }
    };

    // ---- The player's keys ----
    const formOf = (el) => el?.closest?.('.sv-window')?.dataset.form || null;
    // F6 moves between the game and the bar, both ways; within a window Tab goes round its own
    // buttons and box, as on the desktop.
    const bar = document.getElementById('bar');
    let backToGame = null;
    const toBar = () => {
        backToGame = document.activeElement;
        const first = [...bar.querySelectorAll('button, select, input')].find((c) => !c.closest('[hidden]'));
        first?.focus({ focusVisible: true });
    };
    const toGame = () => {
        const win = page.windows.get(page.activeForm);
        if (backToGame && document.contains(backToGame) && !backToGame.closest('[hidden]')) {
            backToGame.focus({ focusVisible: true });
        } else if (win) {
            applyFocus(win);
        }
    };
    addEventListener('keydown', (e) => {
        if (e.code !== 'F6' || page.boxOpen) return;
        e.preventDefault();
        e.stopImmediatePropagation();
        if (bar.contains(document.activeElement)) toGame();
        else toBar();
    }, true);
    const key = (e, down) => {
        if (page.state !== 'playing' || e.code === 'F6') return;
        // The bar's own controls take their keys as any page's do.
        if (bar.contains(e.target)) return;
        if (page.boxOpen) {
            if (down && !e.repeat && ['Enter', 'NumpadEnter', 'Space', 'Escape'].includes(e.code)) queue('box');
            e.preventDefault();
            return;
        }
        const form = formOf(e.target) || page.activeForm;
        if (!form) return;
        // Keys typed into the name box are the box's own; but a key that went down before the box
        // took the focus still goes up in the game (the game lets go only of keys it holds).
        if (e.target?.classList?.contains('sv-textbox') && e.code !== 'Tab' && !tabsWaiting) {
            if (!down) queue(`kup ${form} ${e.code || 'Unidentified'}`);
            return;
        }
        e.preventDefault();
        if (e.code === 'Tab') {
            if (down) {
                queue(`tab ${form} ${e.shiftKey ? -1 : 1}`);
                tabsWaiting++;
            }
            return;
        }
        // The browser's own repeats never reach the game, which makes its own.
        if (e.repeat) return;
        queue(`${down ? 'kdown' : 'kup'} ${form} ${e.code || 'Unidentified'}`);
    };
    addEventListener('keydown', (e) => key(e, true), true);
    addEventListener('keyup', (e) => key(e, false), true);
    // The page losing the keyboard lets go of every key held in it.
    addEventListener('blur', () => queue('lostkeys'));
    document.addEventListener('visibilitychange', () => {
        if (document.hidden) queue('lostkeys');
        sound.hidden(document.hidden);
    });

    // ---- A gamepad (the Gamepad API), looked at once a frame from its first press on: the game
    // reads its buttons and stick as keys (the web desktop's PadMapper, as natively) ----
    let padsLooked = false;
    const lookAtPads = () => {
        const pad = [...(navigator.getGamepads?.() || [])].find((p) => p && p.connected);
        if (pad && page.activeForm && page.state === 'playing' && !page.boxOpen) {
            let buttons = 0;
            pad.buttons.forEach((b, i) => { if (b.pressed || b.value > 0.5) buttons |= 1 << i; });
            const axis = (i) => Math.round(Math.max(-1, Math.min(1, pad.axes[i] || 0)) * 100);
            const state = `${page.activeForm} ${buttons >>> 0} ${axis(0)} ${axis(1)}`;
            if (state !== lookAtPads.last) queue(`pad ${state}`);
            lookAtPads.last = state;
        }
        requestAnimationFrame(lookAtPads);
    };
    addEventListener('gamepadconnected', () => {
        if (padsLooked) return;
        padsLooked = true;
        requestAnimationFrame(lookAtPads);
    });

    // ---- Touch: the five keys on the screen, once the screen has been touched ----
    // Each finger holds the key under it, and slides from one arrow to the next as a thumb does;
    // they reach the game as the keyboard's downs and ups, to the window in front.
    const touch = document.getElementById('sv-touch');
    const fingers = new Map();  // touch identifier -> the key code it holds
    const keyUnder = (t) => document.elementFromPoint(t.clientX, t.clientY)?.closest?.('[data-key]')?.dataset.key || null;
    const holding = (code) => [...fingers.values()].includes(code);
    const press = (id, code) => {
        const was = fingers.get(id) ?? null;
        if (was === code) return;
        fingers.delete(id);
        if (was && !holding(was)) {
            touch.querySelector(`[data-key=${was}]`)?.classList.remove('held');
            if (page.activeForm) queue(`kup ${page.activeForm} ${was} touch`);
        }
        if (!code) return;
        const first = !holding(code);
        fingers.set(id, code);
        touch.querySelector(`[data-key=${code}]`)?.classList.add('held');
        if (first && page.activeForm) queue(`kdown ${page.activeForm} ${code} touch`);
    };
    const onTouch = (e) => {
        // A move the browser has begun to scroll cannot be taken back, and saying so is an error.
        if (e.cancelable) e.preventDefault();
        for (const t of e.changedTouches)
            press(t.identifier, e.type === 'touchend' || e.type === 'touchcancel' ? null : keyUnder(t));
    };
    for (const type of ['touchstart', 'touchmove', 'touchend', 'touchcancel'])
        touch.addEventListener(type, onTouch, { passive: false });
    const showTouch = () => {
        if (!touch.hidden) return;
        touch.hidden = false;
        document.body.classList.add('sv-touch');
        fit();
    };
    // Once the first touch is over: the windows make room for the controls, and the tap that
    // brought them has pressed what it was aimed at first.
    addEventListener('touchend', () => setTimeout(showTouch, 400), { capture: true, passive: true });

    // ---- Sound: Web Audio, started by the first gesture, as browsers ask ----
    const soundBase = params.get('sounds') || 'sounds/';
    const sound = {
        context: null,
        buffers: new Map(),
        chime: null,
        source: null,
        wanted: null,
        ready: false,
        calls: [],   // what the game asked for
        played: [],  // what Web Audio was made to do
        cues: null,  // the audio guide's, as the game last set them
        play(name, flags) {
            const loop = (flags & 8) !== 0;
            this.calls.push(name ? `${loop ? 'loop' : 'once'} ${name}` : 'stop');
            this.wanted = name ? { name, loop } : null;
            this.apply();
        },
        apply() {
            if (this.source) {
                try { this.source.stop(); } catch (e) { /* already ended */ }
                this.source = null;
                this.played.push('stop');
            }
            if (!this.wanted || !this.ready) return;
            const { name, loop } = this.wanted;
            let buffer = this.buffers.get(name);
            if (!buffer) {
                buffer = this.chime;
                this.played.push(`chime for ${name}`);
            } else {
                this.played.push(`${loop ? 'loop' : 'once'} ${name}`);
            }
            if (!buffer) return;
            const source = this.context.createBufferSource();
            source.buffer = buffer;
            source.loop = loop;
            source.connect(this.context.destination);
            source.onended = () => {
                if (this.source === source) {
                    this.source = null;
                    this.wanted = null;
                }
            };
            source.start();
            this.source = source;
        },
        // ---- The audio guide: the flight in sounds, drawn as they play (see GuideVoice) ----
        guide(cues) {
            this.cues = cues;
            this.applyGuide();
        },
        applyGuide() {
            if (!this.ready || !this.cues) return;
            const ctx = this.context, g = this.cues, at = ctx.currentTime;
            if (!this.tone) {
                this.tone = ctx.createOscillator();
                this.toneGain = ctx.createGain();
                this.toneGain.gain.value = 0;
                this.tone.connect(this.toneGain).connect(ctx.destination);
                this.tone.start();
                this.last = { tick: 0, blip: 0, bell: 0 };
                setInterval(() => this.guideBeats(), 10);
                this.played.push('guide');
            }
            this.tone.frequency.setTargetAtTime(220 * 2 ** (g.height / 12), at, 0.01);
            this.toneGain.gain.setTargetAtTime(g.flying ? 0.1 : 0, at, 0.01);
        },
        // A short note at `hz`, dying away over `seconds`, placed across by `pan` (-1 to 1).
        ping(hz, seconds, gain, pan = 0, type = 'sine') {
            const ctx = this.context, at = ctx.currentTime;
            const osc = ctx.createOscillator(), level = ctx.createGain(), place = ctx.createStereoPanner();
            osc.type = type;
            osc.frequency.value = hz;
            level.gain.setValueAtTime(gain, at);
            level.gain.linearRampToValueAtTime(0, at + seconds);
            place.pan.value = pan;
            osc.connect(level).connect(place).connect(ctx.destination);
            osc.start(at);
            osc.stop(at + seconds);
        },
        // The ticks, the alarm, the beacon and the bell, as their cues say.
        guideBeats() {
            const g = this.cues;
            if (!g?.flying || !this.ready || this.context.state !== 'running') return;
            const now = this.context.currentTime, last = this.last;
            if (g.warning) {
                if (now - last.tick >= 0.25) {
                    this.ping(Math.floor(now / 0.25) % 2 ? 740 : 988, 0.25, 0.15, 0, 'square');
                    last.tick = now;
                }
            } else if (g.tickEvery && now - last.tick >= g.tickEvery / 64) {
                this.ping(g.rising ? 1760 : 587, 0.02, 0.22);
                last.tick = now;
            }
            if (now - last.blip >= 0.75) {
                this.ping(880 * 2 ** (-g.depth / 24), 0.06, 0.22, g.pan / 32);
                last.blip = now;
            }
            if (g.inZone && now - last.bell >= 0.5) {
                this.ping(1319, 0.3, 0.16);
                this.ping(2637, 0.3, 0.08);
                last.bell = now;
            }
        },
        // While the page is hidden the game holds, and so does its sound.
        hidden(hidden) {
            if (!this.context) return;
            (hidden ? this.context.suspend() : this.context.resume()).catch(() => {});
            this.played.push(hidden ? 'suspend' : 'resume');
        },
        async unlock() {
            // A browser without Web Audio plays the game silently.
            if (this.context || typeof AudioContext !== 'function') return;
            this.context = new AudioContext();
            const load = async (url) => {
                try {
                    const response = await fetch(url);
                    if (!response.ok) return null;
                    return await this.context.decodeAudioData(await response.arrayBuffer());
                } catch (e) {
                    return null;
                }
            };
            this.chime = await load('sounds/default.wav');
            for (const name of ['HERI3.wav', 'BAKU.wav']) {
                const buffer = await load(soundBase + name);
                if (buffer) this.buffers.set(name, buffer);
            }
            try { await this.context.resume(); } catch (e) { /* no device: silence */ }
            this.ready = true;
            this.apply();
            this.applyGuide();
        },
    };
    page.sound = sound;
    for (const gesture of ['pointerdown', 'keydown', 'touchend'])
        addEventListener(gesture, () => sound.unlock(), true);

    // ---- The page around the game ----
    const status = document.getElementById('status');
    const download = document.getElementById('download');
    const again = document.getElementById('again');
    again.addEventListener('click', () => location.reload());
    // The page's words, in the page's language.
    again.textContent = tr('もう一度遊ぶ');
    download.textContent = tr('記録を保存する');
    document.querySelector('#language span').textContent = tr('言語');
    document.querySelector('#open span').textContent = tr('記録を見る');
    document.querySelector('#sv-touch .sv-lift span').textContent = tr('上昇');
    document.querySelector('#sv-touch .sv-turn').textContent = tr('横向きにすると遊びやすくなります。');
    const notice = document.getElementById('notice');
    page.showSummary = (line) => {
        page.summary = line;
        // Where the trace stood as the run ended, for comparing it with a headless replay's.
        page.traceAtSummary = page.trace.length;
        document.getElementById('summary').textContent = line;
    };
    // Something the player must know before anything plays: said in the middle of the page.
    // The game's reader says why it refuses a file in English, as the native game does; the
    // page's own words are in the page's language.
    page.showError = (text, lang = 'en') => {
        page.error = text;
        const error = document.getElementById('error');
        error.textContent = text;
        error.lang = lang;
    };
    const stop = (text, what, lang = page.language) => {
        page.state = 'stopped';
        page.showError(text, lang);
        notice.hidden = false;
        notice.querySelector('.what').textContent = text;
        notice.querySelector('.todo').textContent = what;
    };
    // The choice of language, in the bar: each language by its own name; choosing one loads the
    // page again in it, with the rest of the address kept.
    // The game's own language calls itself 日本語; every other, by its catalog's Language-Name.
    const languageName = (l) => (l === 'ja' ? '日本語' : (typeof skyvaneTexts === 'object' && skyvaneTexts[l]?.['']) || l);
    page.setLanguages = (spoken, current) => {
        page.language = current;
        document.documentElement.lang = current;
        const choice = document.getElementById('language');
        const select = choice.querySelector('select');
        select.replaceChildren(...spoken.map((l) => {
            const option = document.createElement('option');
            option.value = l;
            option.textContent = languageName(l);
            option.lang = l;
            option.selected = l === current;
            return option;
        }));
        choice.hidden = spoken.length < 2;
        select.onchange = () => {
            try {
                if (select.value === 'ja') localStorage.removeItem(languageKey);
                else localStorage.setItem(languageKey, select.value);
            } catch {
                // A browser that keeps nothing still loads the page in the language chosen.
            }
            const to = new URL(location.href);
            if (select.value === 'ja') to.searchParams.delete('lang');
            else to.searchParams.set('lang', select.value);
            location.assign(to.href);
        };
    };
    // The audio guide, chosen in the bar: the page loads again with it, or without.
    const guideChoice = document.getElementById('guide');
    guideChoice.querySelector('span').textContent = tr('音声ガイド');
    page.guided = false;
    page.setGuided = (guided) => {
        page.guided = guided;
        const box = guideChoice.querySelector('input');
        box.checked = guided;
        box.onchange = () => {
            const to = new URL(location.href);
            if (box.checked) to.searchParams.set('guide', '1');
            else to.searchParams.delete('guide');
            location.assign(to.href);
        };
    };
    // The run as a replay file: the header, the language if it is not the game's own, the guide
    // if it played, the inputs.
    page.recordedFile = () => ['skyvane-replay 1', ...(page.language !== 'ja' ? [`language ${page.language}`] : []),
        ...(page.guided ? ['guide on'] : []), ...page.recording].join('\n') + '\n';
    page.record = (line) => {
        page.recording.push(line);
        // A run to keep once the game has taken something of the player's (a stall is the
        // machine's).
        if (!page.played && !/^\d+ skip /.test(line)) {
            page.played = true;
            if (page.replayName === null) download.hidden = false;
        }
    };
    page.ended = () => {
        page.state = 'ended';
        for (const win of page.windows.values()) win.root.hidden = true;
        if (modal) page.closeBox();
        document.body.classList.add('sv-ended');
        status.textContent = tr('ゲームは終わりました。');
        // What to do next has the focus: play again.
        again.hidden = false;
        again.focus({ focusVisible: true });
        sound.wanted = null;
        sound.apply();
    };
    download.addEventListener('click', () => {
        const text = page.recordedFile();
        const a = document.createElement('a');
        a.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
        a.download = 'skyvane.replay';
        a.click();
        setTimeout(() => URL.revokeObjectURL(a.href), 1000);
    });
    // As the native game refuses a file by its size.
    const tooLarge = (bytes) => `is ${Math.floor(bytes / 1048576)} MB, larger than any recorded run (128 MB); not read`;
    // A refusal in the words of the native game's reader, which are English.
    const refusal = (text) => Object.assign(new Error(text), { lang: 'en' });

    // A file chosen to watch waits for the page to load again in the browser's own storage, as
    // the bytes the file holds (a session's storage takes text, and only a few megabytes).
    const store = (mode, work) => new Promise((resolve, reject) => {
        const open = indexedDB.open('skyvane', 1);
        open.onupgradeneeded = () => open.result.createObjectStore('replays');
        open.onerror = () => reject(open.error);
        open.onsuccess = () => {
            const tx = open.result.transaction('replays', mode);
            const request = work(tx.objectStore('replays'));
            tx.oncomplete = () => resolve(request.result);
            tx.onerror = () => reject(tx.error);
        };
    });
    document.getElementById('replay-file').addEventListener('change', async (e) => {
        const file = e.target.files[0];
        if (!file) return;
        if (file.size > kMaxReplayBytes) {
            page.showError(`${file.name}: ${tooLarge(file.size)}`);
            return;
        }
        try {
            const bytes = await file.arrayBuffer();
            await store('readwrite', (s) => s.put({ name: file.name, bytes }, 'watch'));
        } catch (err) {
            page.showError(`${file.name}: ${tr('見るために取っておけません')}: ${err.message}`, page.language);
            return;
        }
        const search = new URLSearchParams(location.search);
        search.set('replay', 'local');
        location.search = '?' + search.toString();
    });

    // A replay from an address, read as it arrives and refused by its size before it is whole.
    const fetchReplay = async (url) => {
        let response;
        try {
            response = await fetch(url);
        } catch (e) {
            throw new Error(tr('記録を取り寄せられません。サーバーが応えないか、このページに読ませません（ほかのサイトの記録は、それを許していなければなりません）。ファイルをダウンロードして「記録を見る」で開いてください'));
        }
        if (!response.ok) throw new Error(`${tr('記録を取り寄せられません')}: ${response.status} ${response.statusText}`);
        const length = Number(response.headers.get('Content-Length'));
        if (length > kMaxReplayBytes) {
            response.body?.cancel();
            throw refusal(tooLarge(length));
        }
        const reader = response.body.getReader();
        const chunks = [];
        let size = 0;
        for (;;) {
            const { done, value } = await reader.read();
            if (done) break;
            size += value.length;
            if (size > kMaxReplayBytes) {
                reader.cancel();
                throw refusal('is larger than any recorded run (128 MB); not read further');
            }
            chunks.push(value);
        }
        const bytes = new Uint8Array(size);
        let at = 0;
        for (const c of chunks) {
            bytes.set(c, at);
            at += c.length;
        }
        return bytes;
    };

    // ---- Kept for playing offline ----
    // The service worker keeps every file of this build; a new build is taken as the page
    // starts, before anything is played (once a run is under way, the page says so and takes it
    // the next time).
    page.registerOffline = async () => {
        if (!('serviceWorker' in navigator) || !location.protocol.startsWith('http')) return;
        // A new build that did not arrive whole is not taken: this one goes on, and says so.
        navigator.serviceWorker.addEventListener('message', (e) => {
            if (!e.data?.updateFailed) return;
            page.updateFailed = e.data.updateFailed;
            status.textContent = `${tr('新しい版は届ききらず、取り込みませんでした。今の版で遊べます')}: ${e.data.updateFailed}`;
        });
        try {
            const registration = await navigator.serviceWorker.register('sw.js');
            const take = (worker) => {
                if (!worker || !navigator.serviceWorker.controller) return;
                if (!page.played && page.replayName === null) {
                    navigator.serviceWorker.addEventListener('controllerchange', () => location.reload(), { once: true });
                    worker.postMessage('take over');
                } else {
                    status.textContent = tr('新しい版が届きました。ページを読み込み直すと遊べます。');
                }
            };
            const whenInstalled = (worker) => {
                if (!worker) return;
                if (worker.state === 'installed') take(worker);
                else worker.addEventListener('statechange', () => worker.state === 'installed' && take(worker));
            };
            whenInstalled(registration.waiting || registration.installing);
            registration.addEventListener('updatefound', () => whenInstalled(registration.installing));
            page.offlineReady = registration.active !== null;
            navigator.serviceWorker.ready.then(() => { page.offlineReady = true; });
        } catch (e) {
            // No offline play (a private window, say); the game plays as ever.
        }
    };

    page.start = async () => {
        const replay = params.get('replay');
        if (replay === 'local') {
            page.replayName = 'the run chosen';
            try {
                const kept = await store('readwrite', (s) => s.get('watch'));
                await store('readwrite', (s) => s.delete('watch'));
                if (kept) {
                    page.replayBytes = new Uint8Array(kept.bytes);
                    page.replayName = kept.name;
                }
            } catch (e) { /* nothing kept */ }
            if (!page.replayBytes) {
                stop(tr('見る記録がありません。選んだファイルは、一度見ると残りません。'),
                    tr('「記録を見る」で記録のファイルを選ぶか、?replay=local を外して遊んでください。'));
                return;
            }
        } else if (replay) {
            page.replayName = replay;
            try {
                page.replayBytes = await fetchReplay(replay);
            } catch (e) {
                stop(`${replay}: ${e.message}`, tr('アドレスを確かめるか、アドレスなしで遊んでください。'), e.lang);
                return;
            }
        }
        // The faces first, so that nothing is drawn in a fallback font and then again.
        await Promise.all(['IPAPGothic', 'IPAGothic', 'IPAMincho'].map(
            (f) => document.fonts.load(`12px "Skyvane ${f}"`))).catch(() => {});
        const watching = page.replayBytes !== null;
        status.textContent = watching ? tr('記録を再生中') : 'Skyvane';
        page.state = 'playing';
        Module.callMain([]);
    };

    page.failed = (why) => {
        if (page.state === 'failed') return;
        stop(`${tr('ゲームを読み込めませんでした')}: ${why}`, tr('ページを読み込み直してください。直らなければ、キャッシュを消してからもう一度開いてください。'));
        page.state = 'failed';
    };
    // Opened from the disk, the page can load neither the game nor its pictures.
    if (location.protocol === 'file:') {
        stop(tr('このページはウェブサーバーから開いてください。ブラウザーはディスクから開いたページのゲームを動かしません。'),
            tr('./play.sh --web を実行して http://localhost:8000/ を開くか、build-web/site をウェブサーバーに置いてください。'));
    } else {
        page.registerOffline();
        const orientation = matchMedia('(orientation: portrait) and (pointer: coarse)');
        const turn = () => document.body.classList.toggle('sv-portrait', orientation.matches);
        orientation.addEventListener('change', turn);
        turn();
    }
    return page;
})();

var Module = {
    noInitialRun: true,
    onRuntimeInitialized: () => {
        if (skyvanePage.state === 'loading') skyvanePage.start();
    },
    // The game's program did not load or start (a file cut short, a browser without
    // WebAssembly): said, never a black page.
    onAbort: (why) => skyvanePage.failed(String(why)),
};
