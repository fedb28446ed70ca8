// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// A small static server for the page: node serve.js FOLDER [PORT] serves the folder on
// http://localhost:PORT/ (8000 by default), with the types a browser needs for WebAssembly.
// Any other web server does as well; this one needs nothing but node.

'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');

const root = path.resolve(process.argv[2] || '.');
const port = Number(process.argv[3] || 8000);
const types = {
    '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8', '.wasm': 'application/wasm', '.png': 'image/png',
    '.svg': 'image/svg+xml', '.wav': 'audio/wav', '.woff2': 'font/woff2',
    '.replay': 'text/plain; charset=utf-8', '.json': 'application/json',
};

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
        response.writeHead(200, {
            'Content-Type': types[path.extname(file)] || 'application/octet-stream',
            'Content-Length': stat.size,
            'Cache-Control': 'no-cache',
        });
        fs.createReadStream(file).pipe(response);
    });
});
server.listen(port, '127.0.0.1', () => {
    console.log(`Skyvane is served on http://localhost:${server.address().port}/`);
});
