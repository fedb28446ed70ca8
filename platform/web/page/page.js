// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The page side of the web desktop: it builds each window the game loads out of the page's own
// elements, applies every change the game makes, queues what the player does for the game's
// loop to take, plays the sounds with Web Audio, and keeps the run for a download.

'use strict';

const skyvanePage = (() => {
    const params = new URLSearchParams(location.search);
    const desktop = document.getElementById('desktop');
    const page = {
        windows: new Map(),
        events: [],
        trace: [],
        recording: [],
        replayBytes: null,
        replayName: null,
        activeForm: null,
        boxOpen: false,
        state: 'loading',
        summary: null,
        error: null,
    };
    let stacking = 1;
    let settingFocus = false;

    page.option = (name) => params.has(name) && params.get(name) !== '0';
    // The pace a replay is watched at: ?speed=2, 4, 0.5 or 1/2.
    page.speed = () => {
        const [a, b] = (params.get('speed') || '1').split('/').map(Number);
        const v = b === undefined ? a : a / b;
        return Number.isFinite(v) && v > 0 ? v : 1;
    };
    // The game takes the replay's bytes once; the page keeps no copy.
    page.takeReplayBytes = () => {
        const bytes = page.replayBytes;
        page.replayBytes = null;
        return bytes;
    };
    page.nextEvent = () => (page.events.length ? page.events.shift() : null);
    const queue = (event) => {
        if (page.state === 'playing') page.events.push(event);
    };

    // A name as the replay files write it: printable ASCII but space and % as they are, every
    // other byte of its UTF-8 as %XX.
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
    };

    // ---- Windows ----
    page.openWindow = (form, layout) => {
        const root = make('section', 'sv-window', desktop);
        root.hidden = true;
        root.dataset.form = form;
        const bar = make('div', 'sv-caption', root);
        const icon = make('img', '', bar);
        icon.alt = '';
        if (layout.icon) icon.src = layout.icon;
        const title = make('span', 'sv-title', bar);
        title.textContent = display(layout.caption);
        for (const [what, shown, enabled] of [['_', layout.minButton, false], ['□', layout.maxButton, false],
                                              ['×', true, true]]) {
            if (!shown) continue;
            const b = make('button', '', bar);
            b.type = 'button';
            b.tabIndex = -1;
            b.textContent = what;
            b.disabled = !enabled;
            if (what === '×') {
                b.className = 'sv-close';
                b.setAttribute('aria-label', 'close');
                b.addEventListener('click', () => queue(`close ${form}`));
            }
        }
        const client = make('div', 'sv-client', root);
        client.tabIndex = -1;
        client.style.width = layout.width + 'px';
        client.style.height = layout.height + 'px';
        client.style.background = layout.background;
        const win = { root, title, client, elements: new Map(), placed: false, caption: layout.caption };
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
            } else if (s.kind === 'image') {
                el = make('div', 'sv-el sv-image', parent);
                if (s.stretch) el.classList.add('stretch');
                item.img = make('img', '', el);
                item.img.alt = '';
                if (s.picture) item.img.src = s.picture;
                else item.img.hidden = true;
            } else if (s.kind === 'shape') {
                el = make('canvas', 'sv-el sv-shape', parent);
                el.width = s.w;
                el.height = s.h;
                item.canvas = el;
                item.fill = s.fill;
            } else if (s.kind === 'button') {
                el = make('button', 'sv-el sv-button', parent);
                el.type = 'button';
                el.textContent = display(s.caption);
                el.tabIndex = -1;
                fontOf(el, s.font);
                // The game presses the button: a click, or Return and Space through its keys.
                el.addEventListener('mousedown', (e) => e.preventDefault());
                el.addEventListener('click', (e) => {
                    e.preventDefault();
                    queue(`click ${form} ${s.name}`);
                });
            } else if (s.kind === 'textbox') {
                el = make('input', 'sv-el sv-textbox', parent);
                el.type = 'text';
                el.value = s.text;
                el.tabIndex = -1;
                el.spellcheck = false;
                el.autocomplete = 'off';
                fontOf(el, s.font);
                el.addEventListener('input', () => queue(`text ${form} ${s.name} =${encodeText(el.value)}`));
                el.addEventListener('focus', () => {
                    if (!settingFocus) queue(`focus ${form} ${s.name}`);
                });
            }
            place(el, s);
            el.style.zIndex = (windowed ? 100000 : 0) + n - s.index;
            el.hidden = !s.visible;
            el.dataset.name = s.name;
            if (s.role) el.title = s.role;
            item.el = el;
            win.elements.set(s.name, item);
            if (item.canvas) drawShape(item);
        }
        root.addEventListener('mousedown', () => {
            page.activeForm = form;
            root.style.zIndex = stacking++;
        });
        page.windows.set(form, win);
    };

    page.closeWindow = (form) => {
        const win = page.windows.get(form);
        if (!win) return;
        win.root.remove();
        page.windows.delete(form);
        if (page.activeForm === form) page.activeForm = null;
    };

    page.showWindow = (form, visible) => {
        const win = page.windows.get(form);
        if (!win) return;
        win.root.hidden = !visible;
        if (!visible) return;
        // Centred on the desktop the first time; one larger than it keeps its title bar on it.
        if (!win.placed) {
            win.placed = true;
            const left = Math.max(0, (desktop.clientWidth - win.root.offsetWidth) / 2);
            const top = Math.max(0, (desktop.clientHeight - win.root.offsetHeight) / 2);
            win.root.style.left = Math.round(left) + 'px';
            win.root.style.top = Math.round(top) + 'px';
        }
        win.root.style.zIndex = stacking++;
        page.activeForm = form;
        document.title = display(win.caption) || 'Skyvane';
        // For the benchmark: the moment the first window showed, from the page's navigation.
        if (page.firstShownAt === undefined) page.firstShownAt = performance.now();
    };

    page.setCaption = (form, caption) => {
        const win = page.windows.get(form);
        if (!win) return;
        win.caption = caption;
        win.title.textContent = display(caption);
        if (page.activeForm === form) document.title = display(caption) || 'Skyvane';
    };

    page.set = (form, name, property, value) => {
        const item = page.windows.get(form)?.elements.get(name);
        if (!item) return;
        const el = item.el;
        switch (property) {
            // A move is a translation from where the layout placed it: the compositor moves the
            // element's own layer, and nothing is laid out or painted again.
            case 'left':
            case 'top': {
                item[property] = Number(value);
                const dx = (item.left ?? item.def.x) - item.def.x;
                const dy = (item.top ?? item.def.y) - item.def.y;
                el.style.transform = dx || dy ? `translate(${dx}px, ${dy}px)` : '';
                break;
            }
            case 'visible': el.hidden = value !== '1'; break;
            case 'picture':
                if (value) {
                    item.img.src = value;
                    item.img.hidden = false;
                } else {
                    item.img.removeAttribute('src');
                    item.img.hidden = true;
                }
                break;
            case 'caption': el.textContent = display(value); break;
            case 'text': if (el.value !== value) el.value = value; break;
            case 'fore': el.style.color = value; break;
            case 'back': if (item.def.opaque) el.style.background = value; break;
            case 'fill': item.fill = value; drawShape(item); break;
        }
    };

    page.setFocus = (form, name) => {
        const win = page.windows.get(form);
        if (!win) return;
        const target = name ? win.elements.get(name)?.el : win.client;
        if (!target || win.root.hidden) return;
        settingFocus = true;
        target.focus({ preventScroll: true });
        settingFocus = false;
    };

    // ---- Message boxes ----
    let modal = null;
    let focusBeforeBox = null;
    const elide = (line) => (line.length > 400 ? line.slice(0, 180) + '…' + line.slice(-180) : line);
    page.openBox = (text, title) => {
        focusBeforeBox = document.activeElement;
        modal = make('div', '', document.body);
        modal.id = 'sv-modal';
        const box = make('section', 'sv-window sv-box', modal);
        box.setAttribute('role', 'alertdialog');
        const bar = make('div', 'sv-caption', box);
        const t = make('span', 'sv-title', bar);
        t.textContent = display(title);
        const close = make('button', 'sv-close', bar);
        close.type = 'button';
        close.tabIndex = -1;
        close.textContent = '×';
        close.addEventListener('click', () => queue('box'));
        const client = make('div', 'sv-client', box);
        client.innerHTML = '<svg width="32" height="32" viewBox="0 0 32 32" aria-label="information">' +
            '<circle cx="16" cy="16" r="15" fill="#2d6ec7" stroke="#1b4a8c"/>' +
            '<rect x="14" y="13" width="4" height="12" fill="#fff"/><rect x="14" y="7" width="4" height="4" fill="#fff"/></svg>';
        const message = make('div', 'sv-text', client);
        message.textContent = display(text).split('\n').map(elide).join('\n');
        const ok = make('button', 'sv-button sv-ok', client);
        ok.type = 'button';
        ok.textContent = 'OK';
        ok.addEventListener('click', () => queue('box'));
        box.style.left = Math.max(0, (innerWidth - box.offsetWidth) / 2) + 'px';
        box.style.top = Math.max(0, (innerHeight - box.offsetHeight) / 2) + 'px';
        box.style.zIndex = stacking++;
        page.boxOpen = true;
        ok.focus();
    };
    page.closeBox = () => {
        if (modal) modal.remove();
        modal = null;
        page.boxOpen = false;
        if (focusBeforeBox && document.contains(focusBeforeBox)) {
            settingFocus = true;
            focusBeforeBox.focus({ preventScroll: true });
            settingFocus = false;
        }
    };

    // ---- The player's keys ----
    const formOf = (el) => el?.closest?.('.sv-window')?.dataset.form || null;
    const key = (e, down) => {
        if (page.state !== 'playing') return;
        if (page.boxOpen) {
            if (down && !e.repeat && ['Enter', 'NumpadEnter', 'Space', 'Escape'].includes(e.code)) queue('box');
            e.preventDefault();
            return;
        }
        const form = formOf(e.target) || page.activeForm;
        if (!form) return;
        // Keys typed into the name box are the box's own.
        if (e.target?.classList?.contains('sv-textbox') && e.code !== 'Tab') return;
        e.preventDefault();
        if (e.code === 'Tab') {
            if (down) queue(`tab ${form} ${e.shiftKey ? -1 : 1}`);
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
    });

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
        async unlock() {
            if (this.context) return;
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
        },
    };
    page.sound = sound;
    for (const gesture of ['pointerdown', 'keydown']) addEventListener(gesture, () => sound.unlock(), true);

    // ---- The page around the game ----
    const status = document.getElementById('status');
    const download = document.getElementById('download');
    page.showSummary = (line) => {
        page.summary = line;
        // Where the trace stood as the run ended, for comparing it with a headless replay's.
        page.traceAtSummary = page.trace.length;
        document.getElementById('summary').textContent = line;
    };
    page.showError = (text) => {
        page.error = text;
        document.getElementById('error').textContent = text;
    };
    page.ended = () => {
        page.state = 'ended';
        for (const win of page.windows.values()) win.root.hidden = true;
        if (modal) page.closeBox();
        document.body.classList.add('sv-ended');
        status.textContent = 'The game has ended. Reload the page to play again.';
        sound.wanted = null;
        sound.apply();
    };
    download.addEventListener('click', () => {
        const text = ['skyvane-replay 1', ...page.recording].join('\n') + '\n';
        const a = document.createElement('a');
        a.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
        a.download = 'skyvane.replay';
        a.click();
        setTimeout(() => URL.revokeObjectURL(a.href), 1000);
    });
    document.getElementById('replay-file').addEventListener('change', async (e) => {
        const file = e.target.files[0];
        if (!file) return;
        sessionStorage.setItem('skyvane-replay', await file.text());
        sessionStorage.setItem('skyvane-replay-name', file.name);
        location.search = '?replay=local';
    });

    page.start = async () => {
        const replay = params.get('replay');
        if (replay === 'local') {
            const text = sessionStorage.getItem('skyvane-replay');
            if (text !== null) page.replayBytes = new TextEncoder().encode(text);
            page.replayName = sessionStorage.getItem('skyvane-replay-name') || 'the replay';
        } else if (replay) {
            try {
                const response = await fetch(replay);
                if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
                page.replayBytes = new Uint8Array(await response.arrayBuffer());
                page.replayName = replay;
            } catch (e) {
                page.showError(`${replay}: cannot fetch the replay: ${e.message}`);
                return;
            }
        }
        const watching = page.replayBytes !== null;
        // The faces first, so that nothing is drawn in a fallback font and then again.
        await Promise.all(['IPAPGothic', 'IPAGothic', 'IPAMincho'].map(
            (f) => document.fonts.load(`12px "Skyvane ${f}"`))).catch(() => {});
        status.textContent = watching ? 'Watching a recorded run' : 'Skyvane';
        download.hidden = watching;
        page.state = 'playing';
        Module.callMain([]);
    };
    return page;
})();

var Module = {
    noInitialRun: true,
    onRuntimeInitialized: () => skyvanePage.start(),
};
