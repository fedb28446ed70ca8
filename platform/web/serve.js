// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// A small static server for the page: node serve.js FOLDER [PORT] serves the folder on
// http://localhost:PORT/ (8000 by default), with the types a browser needs for WebAssembly, and
// the text, the wasm and the fonts compressed for a browser that takes them so (brotli, else
// gzip), each compressed once and kept while its file is unchanged. Any other web server does as
// well; this one needs nothing but node.

'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');

const root = path.resolve(process.argv[2] || '.');
const port = Number(process.argv[3] || 8000);
const types = {
    '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8', '.wasm': 'application/wasm', '.png': 'image/png',
    '.svg': 'image/svg+xml', '.wav': 'audio/wav', '.woff2': 'font/woff2',
    '.replay': 'text/plain; charset=utf-8', '.json': 'application/json', '.webmanifest': 'application/manifest+json',
};

// WOFF2 fonts are compressed in themselves.
const compressible = new Set(['.html', '.js', '.css', '.wasm', '.svg', '.json', '.webmanifest']);
const packed = new Map();

const server = http.createServer((request, response) => {
    let file;
    try {
        const url = new URL(request.url, 'http://localhost');
        file = path.join(root, decodeURIComponent(url.pathname));
    } catch (e) {
        response.writeHead(400).end();
        return;
    }
    if (!file.startsWith(root)) {
        response.writeHead(403).end();
        return;
    }
    if (file.endsWith(path.sep)) file = path.join(file, 'index.html');
    fs.stat(file, (error, stat) => {
        if (error || !stat.isFile()) {
            response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
            return;
        }
        const type = types[path.extname(file)] || 'application/octet-stream';
        const accepts = String(request.headers['accept-encoding'] || '');
        const encoding = !compressible.has(path.extname(file)) ? null
            : /\bbr\b/.test(accepts) ? 'br' : /\bgzip\b/.test(accepts) ? 'gzip' : null;
        if (!encoding) {
            response.writeHead(200, { 'Content-Type': type, 'Content-Length': stat.size, 'Cache-Control': 'no-cache' });
            fs.createReadStream(file).pipe(response);
            return;
        }
        const key = `${file} ${encoding}`;
        let kept = packed.get(key);
        if (!kept || kept.mtime !== stat.mtimeMs || kept.size !== stat.size) {
            const bytes = fs.readFileSync(file);
            kept = { mtime: stat.mtimeMs, size: stat.size, body: encoding === 'br' ? zlib.brotliCompressSync(bytes) : zlib.gzipSync(bytes) };
            packed.set(key, kept);
        }
        response.writeHead(200, { 'Content-Type': type, 'Content-Encoding': encoding, 'Content-Length': kept.body.length,
            'Vary': 'Accept-Encoding', 'Cache-Control': 'no-cache' });
        response.end(kept.body);
    });
});
server.listen(port, '127.0.0.1', () => {
    console.log(`Skyvane is served on http://localhost:${server.address().port}/`);
});
