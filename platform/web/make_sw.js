// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Writes the page's service worker for one build: every file of the site with the hash of its
// bytes, and a cache named after the game's version and a hash of the files' names and bytes.
// Usage: node make_sw.js SITE VERSION TEMPLATE

'use strict';
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');

const [site, version, template] = process.argv.slice(2);
const files = [];
const walk = (dir) => {
    for (const entry of fs.readdirSync(dir, { withFileTypes: true }).sort((a, b) => (a.name < b.name ? -1 : 1))) {
        const p = path.join(dir, entry.name);
        if (entry.isDirectory()) walk(p);
        else if (p !== path.join(site, 'sw.js')) files.push(path.relative(site, p).split(path.sep).join('/'));
    }
};
walk(site);
const hash = crypto.createHash('sha256');
for (const f of files) hash.update(f).update('\0').update(fs.readFileSync(path.join(site, f))).update('\0');
const cache = `skyvane-${version}-${hash.digest('hex').slice(0, 16)}`;
// Each file with the hash of its bytes (subresource integrity), which the worker checks before it
// keeps anything; the page's address stands for its index.html.
const integrity = (f) => `sha256-${crypto.createHash('sha256').update(fs.readFileSync(path.join(site, f))).digest('base64')}`;
const entries = [['./', integrity('index.html')], ...files.map((f) => [f, integrity(f)])];
const text = fs.readFileSync(template, 'utf8')
    .replace('@CACHE@', cache)
    .replace('@FILES@', JSON.stringify(entries));
fs.writeFileSync(path.join(site, 'sw.js'), text);
console.log(`${cache}: ${files.length} files`);
