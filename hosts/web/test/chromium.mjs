// SPDX-License-Identifier: MIT
// A folder served on 127.0.0.1, and a page of it in headless Chromium (DFA_CHROMIUM, default
// Debian's), for the tests of pages.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { chromium } from 'playwright-core';
import { extname, join, normalize } from 'node:path';

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript', '.wasm': 'application/wasm', '.css': 'text/css' };

// Serves root while fn runs with the server's address; a missing file is a 404, as on a real server.
export async function serving(root, fn) {
  const server = createServer(async (request, response) => {
    const path = normalize(join(root, decodeURIComponent(new URL(request.url, 'http://x').pathname)));
    try {
      const body = await readFile(path.endsWith('/') ? join(path, 'index.html') : path);
      response.writeHead(200, { 'content-type': TYPES[extname(path) || '.html'] ?? 'application/octet-stream' }).end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  try {
    return await fn(`http://127.0.0.1:${server.address().port}/`);
  } finally {
    server.close();
  }
}

// Opens url in headless Chromium, waits until ready(page) holds in the page, and returns what
// read(page) gives there; the page's errors are thrown, with its console.
export async function inPage(url, ready, read) {
  const browser = await chromium.launch({
    executablePath: process.env.DFA_CHROMIUM ?? '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
  try {
    const page = await browser.newPage();
    const messages = [];
    page.on('console', (m) => messages.push(m.text()));
    page.on('pageerror', (e) => messages.push(String(e)));
    await page.goto(url);
    await page.waitForFunction(ready, null, { timeout: 30000 }).catch((error) => {
      throw new Error(`${url}: ${error.message}\n${messages.join('\n')}`);
    });
    return await page.evaluate(read);
  } finally {
    await browser.close();
  }
}
