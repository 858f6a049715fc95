// What the page's tests and benchmark share: a static file server on this
// machine that logs every request, and Debian's Chromium driven headless
// through playwright-core (no browser is downloaded).
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const { chromium } = require('playwright-core');

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.ico': 'image/x-icon',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};

// Serves the files of `root` on 127.0.0.1 (port 0: any free one), as any
// static host would; `requests` lists every path asked for.
function serve(root, port) {
  const requests = [];
  const server = http.createServer((request, response) => {
    requests.push(request.url);
    const name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    const file = path.join(root, name === '/' ? 'index.html' : name);
    if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream' });
    response.end(fs.readFileSync(file));
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port || 0, '127.0.0.1', () => {
      resolve({
        origin: `http://127.0.0.1:${server.address().port}`,
        requests,
        close: () => new Promise((done) => server.close(done)),
      });
    });
  });
}

// Chromium with everything that would reach the network turned off;
// playwright gives each launch a fresh profile of its own.
function launch() {
  return chromium.launch({
    executablePath: process.env.BRANTLE_CHROMIUM || '/usr/bin/chromium',
    args: [
      '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync',
    ],
    timeout: 120000,
  });
}

module.exports = { serve, launch };
