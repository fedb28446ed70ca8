// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Writes the page's own words in every language the game speaks, from the catalogs' entries in
// the context "page" (the page's bar, its keys and its messages): the page reads them before the
// game is loaded, and when it cannot be. Each language's name as it calls itself is the entry
// of its catalog's header, "Language-Name".
// Usage: node make_texts.js OUT PO...

'use strict';
const fs = require('node:fs');
const path = require('node:path');

// A PO file's entries as gettext reads them: [context, id, translation], wrapped strings joined.
function entries(text) {
    const found = [];
    let entry = {}, field = null;
    // The escapes a catalog holds (\" \\ \n \r \t) are JSON's too.
    const unquote = (s) => JSON.parse(s);
    const done = () => {
        if (entry.msgstr !== undefined && !entry.fuzzy) found.push([entry.msgctxt || '', entry.msgid, entry.msgstr]);
        entry = {};
        field = null;
    };
    for (const line of text.split('\n')) {
        const m = /^(msgctxt|msgid|msgstr) (".*")$/.exec(line);
        if (m) {
            if (m[1] !== 'msgstr' && entry.msgstr !== undefined) done();
            field = m[1];
            entry[field] = unquote(m[2]);
        } else if (/^".*"$/.test(line) && field) {
            entry[field] += unquote(line);
        } else if (/^#,.*\bfuzzy\b/.test(line)) {
            entry.fuzzy = true;
        } else if (!line.trim()) {
            done();
        }
    }
    done();
    return found;
}

module.exports = { entries };
if (require.main !== module) return;

const [out, ...catalogs] = process.argv.slice(2);
const texts = {};
for (const file of catalogs) {
    const language = path.basename(file, '.po');
    const words = {};
    for (const [context, id, str] of entries(fs.readFileSync(file, 'utf8'))) {
        if (context === 'page') words[id] = str;
        if (id === '') words[''] = /^Language-Name: (.*)$/m.exec(str)?.[1] ?? language;
    }
    texts[language] = words;
}
fs.writeFileSync(out, `// Written by make_texts.js from po/: the page's own words.\nvar skyvaneTexts = ${JSON.stringify(texts)};\n`);
