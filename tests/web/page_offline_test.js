// The page installed, offline and from file://, in headless Chromium:
//
//   node tests/web/page_offline_test.js <page folder> <native brantle-rules>
//
// - the manifest and its icons, as Chromium reads them;
// - offline: served from 127.0.0.1, the server gone, reloaded, a number
//   typed and answered; a new version offered (its notice checked by
//   axe-core) and taken, a half-copied one refused;
// - file://: the page answers with no console error and no service
//   worker, checks a schedule in a worker and reads only its own folder.
// Prints "ok:" / "FAILED:" lines and a closing "N passed, N failed".
'use strict';

const crypto = require('crypto');
const fs = require('fs');
const path = require('path');
const { serve } = require('./browser');
const {
  pageDir, PATIENCE, check, digest, nativeCsv, batch, expectedState, readState, answerOf, shown, open, scheduleFile,
  pickSchedule, axe, runPageTests,
} = require('./page_support');

// Whether the page's service worker is active within our patience; a
// worker that never installs would otherwise keep the test waiting.
function workerReady(page) {
  return page.evaluate((patience) => Promise.race([
    navigator.serviceWorker.ready.then(() => true),
    new Promise((done) => setTimeout(() => done(false), patience)),
  ]), PATIENCE);
}

// The manifest as Chromium reads it, its icons as images, and whether
// Chromium would install the page.
async function testManifest(browser, origin) {
  const context = await browser.newContext();
  const page = await context.newPage();
  await open(page, `${origin}/index.html?manifest`);
  check('the service worker is ready', true, await workerReady(page));
  const cdp = await context.newCDPSession(page);
  const { url, errors, data } = await cdp.send('Page.getAppManifest');
  check('the page links its manifest', `${origin}/brantle.webmanifest`, url);
  check('Chromium reads the manifest without an error', [], errors);
  const manifest = JSON.parse(data);
  check('the manifest: names, start address in the folder, standalone, theme colours', {
    name: 'Brantle sign illumination tool', short_name: 'Brantle', start: `${origin}/index.html`, scope: `${origin}/`,
    display: 'standalone', colours: [true, true],
  }, {
    name: manifest.name, short_name: manifest.short_name, start: new URL(manifest.start_url, url).href,
    scope: new URL(manifest.scope, url).href, display: manifest.display,
    colours: [manifest.theme_color, manifest.background_color].map((c) => /^#[0-9a-f]{6}$/.test(c)),
  });
  const icons = [];
  for (const icon of manifest.icons) {
    const src = new URL(icon.src, url).href;
    // As an image of the page (which may load images of its own origin),
    // and its corner's opacity: clear on the tile, opaque on the full-bleed
    // maskable one.
    const image = await page.evaluate(async (address) => {
      const img = new Image();
      img.src = address;
      await img.decode();
      const canvas = new OffscreenCanvas(img.naturalWidth, img.naturalHeight);
      const context2d = canvas.getContext('2d');
      context2d.drawImage(img, 0, 0);
      return { size: `${img.naturalWidth}x${img.naturalHeight}`, corner: context2d.getImageData(0, 0, 1, 1).data[3] };
    }, src);
    const response = await context.request.get(src);
    const signature = (await response.body()).subarray(0, 8).toString('latin1');
    icons.push({ purpose: icon.purpose, sizes: icon.sizes, type: icon.type, loaded: { png: signature === '\x89PNG\r\n\x1a\n', ...image } });
  }
  const png = (size, corner) => ({ png: true, size, corner });
  check('the icons: 192 and 512 px PNG, and a maskable one opaque to its corners', [
    { purpose: 'any', sizes: '192x192', type: 'image/png', loaded: png('192x192', 0) },
    { purpose: 'any', sizes: '512x512', type: 'image/png', loaded: png('512x512', 0) },
    { purpose: 'maskable', sizes: '512x512', type: 'image/png', loaded: png('512x512', 255) },
  ], icons);
  // A test's browser context is a private window, in which Chromium
  // installs nothing; that is the one reason allowed.
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  check('Chromium finds nothing in the page that keeps it from being installed', [],
    installabilityErrors.map((e) => e.errorId).filter((id) => id !== 'in-incognito'));
  await context.close();
}

// A copy of the page's folder served under /brantle/, as on a site with
// other pages; the tests change it to make new versions.
function copyOfPage(scratch) {
  const site = path.join(scratch, 'site');
  const dir = path.join(site, 'brantle');
  fs.mkdirSync(dir, { recursive: true });
  fs.writeFileSync(path.join(site, 'other.html'), '<!doctype html><link rel="icon" href="data:,"><title>Another page of the site</title>');
  for (const name of fs.readdirSync(pageDir)) fs.copyFileSync(path.join(pageDir, name), path.join(dir, name));
  return { site, dir };
}

// A new version of the copy: `name` gets `text` at its end, and the
// service worker names its new hash (or, with `wrongHash`, names a hash
// that the served file does not have, as a half-copied folder would).
function newVersion(dir, name, text, wrongHash) {
  fs.appendFileSync(path.join(dir, name), text);
  const file = path.join(dir, 'service-worker.js');
  const worker = fs.readFileSync(file, 'utf8');
  const files = JSON.parse(/^const FILES = (.*);$/m.exec(worker)[1]);
  files[name] = crypto.createHash('sha256').update(wrongHash ? 'another file' : fs.readFileSync(path.join(dir, name))).digest('hex');
  const version = crypto.createHash('sha256').update(JSON.stringify(files)).digest('hex').slice(0, 16);
  fs.writeFileSync(file, worker.replace(/^const FILES = .*;$/m, () => `const FILES = ${JSON.stringify(files)};`)
    .replace(/^const CACHE = PREFIX \+ '[0-9a-f]+';$/m, `const CACHE = PREFIX + '${version}';`));
}

// The version the page runs, by a custom property that newVersion() adds
// to the style sheet.
const VERSION_MARK = (n) => `\n:root { --test-version: ${n}; }\n`;
const runningVersion = (page) => page.evaluate(() => getComputedStyle(document.documentElement).getPropertyValue('--test-version').trim() || '1');

async function testOffline(browser, scratch) {
  const { site, dir } = copyOfPage(scratch);
  let server = await serve(site);
  const origin = server.origin;
  const context = await browser.newContext();
  const errors = [];
  context.on('page', (p) => {
    p.on('pageerror', (error) => errors.push(error.message));
    p.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
  });
  let page = await context.newPage();
  await open(page, `${origin}/brantle/index.html?first`);
  const controlled = (await workerReady(page)) && await page.evaluate(async () => {
    if (!navigator.serviceWorker.controller) {
      await new Promise((done) => navigator.serviceWorker.addEventListener('controllerchange', done, { once: true }));
    }
    return new URL(navigator.serviceWorker.controller.scriptURL).pathname;
  });
  check('the first visit installs the service worker, which takes the page at once', '/brantle/service-worker.js', controlled);
  if (!controlled) throw new Error('no service worker: the offline tests cannot go on');

  // The network gone: the server stopped, and the browser offline.
  await server.close();
  await context.setOffline(true);
  await page.reload();
  await page.waitForSelector('html[data-ready]', { state: 'attached' });
  await page.focus('#diagram');
  await page.keyboard.type('652');
  check('offline, reloaded: a typed number is answered as --batch answers it', answerOf('0\t652'), await shown(page));
  const other = await context.newPage();
  await open(other, `${origin}/brantle/?another#d=501&q=1`);
  check('offline, the folder\'s own address with another number opens the page', answerOf('1\t501'), await shown(other));
  await other.close();

  // Online again with a new version: it is fetched in the background and
  // offered; the page goes on as it was until the user takes it.
  await context.setOffline(false);
  server = await serve(site, new URL(origin).port);
  newVersion(dir, 'brantle.css', VERSION_MARK(2));
  await open(page, `${origin}/brantle/index.html?second#d=652&q=1`);
  await page.waitForSelector('#update-notice button', { timeout: PATIENCE });
  check('a new version on the server is offered, while the page runs the old one',
    ['A new version of this page is ready. Use it now', '1'],
    [await page.textContent('#update-notice'), await runningVersion(page)]);
  const result = await axe(page);
  check('axe: the offer has no WCAG A or AA violation', [], result.violations);
  // The offer is the first stop of the page, and Enter takes it.
  await page.evaluate(() => document.body.focus());
  await page.keyboard.press('Tab');
  check('the offer\'s button is the first stop', 'Use it now', await page.evaluate(() => document.activeElement.textContent));
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
  await page.waitForSelector('html[data-ready]', { state: 'attached' });
  check('taking it reloads the page as the new version, with its number and options', ['2', '', answerOf('1\t652')],
    [await runningVersion(page), await page.textContent('#update-notice'), await shown(page)]);

  // A folder caught half-copied: the worker names a file that the server
  // does not have; nothing of it is taken, and the page stays whole.
  newVersion(dir, 'brantle.css', VERSION_MARK(3), true);
  const outcome = await page.evaluate(async () => {
    const registration = await navigator.serviceWorker.getRegistration();
    const found = new Promise((done) => registration.addEventListener('updatefound', () => done(registration.installing), { once: true }));
    await registration.update().catch(() => {});
    const worker = await found;
    return new Promise((done) => {
      const settled = () => ['installed', 'redundant'].includes(worker.state) && done(worker.state);
      worker.addEventListener('statechange', settled);
      settled();
    });
  });
  await page.reload();
  await page.waitForSelector('html[data-ready]', { state: 'attached' });
  check('a version whose files do not match is refused, and the page stays the last whole one',
    ['redundant', '2', ''], [outcome, await runningVersion(page), await page.textContent('#update-notice')]);

  // Fixed on the server: taken when the page is next opened, without
  // asking, once the old one's pages are closed.
  newVersion(dir, 'brantle.css', VERSION_MARK(4));
  await page.reload();
  await page.waitForSelector('#update-notice button', { timeout: PATIENCE });
  await page.close();
  const probe = await context.newPage();
  await probe.goto(`${origin}/other.html`); // outside the page's folder, so no page of it stays open
  await probe.waitForFunction(async () => {
    const registration = await navigator.serviceWorker.getRegistration('/brantle/');
    return registration && registration.active && !registration.waiting && !registration.installing;
  }, null, { timeout: PATIENCE, polling: 200 });
  await probe.close();
  page = await context.newPage();
  await open(page, `${origin}/brantle/index.html?reopened`);
  check('closed and opened again, the page is the new version', ['4', ''], [await runningVersion(page), await page.textContent('#update-notice')]);
  check('only the version in use is kept', 1, await page.evaluate(async () => (await caches.keys()).length));
  check('no script errors in the pages', [], errors);
  await context.close();
  await server.close();
}

// Opened from the folder itself: the page answers, with no console message,
// no service worker and no notice of a new version.
async function testFileAddress(browser) {
  const page = await browser.newPage();
  const messages = [];
  page.on('pageerror', (error) => messages.push(error.message));
  page.on('console', (message) => ['error', 'warning'].includes(message.type()) && messages.push(message.text()));
  await open(page, `file://${pageDir}/index.html#d=652&q=2049`);
  await page.waitForLoadState('load');
  // Anything the page would do after loading (registering a worker) has
  // had its turn once a task queued after the load event has run.
  await page.evaluate(() => new Promise((done) => setTimeout(done, 500)));
  check('from file:// the page answers as --batch does', answerOf('2049\t652'), await shown(page));
  check('from file:// no console error or warning, no service worker, no notice', [[], false, ''],
    [messages, await page.evaluate(() => !!navigator.serviceWorker && !!navigator.serviceWorker.controller),
      await page.textContent('#update-notice')]);
  await page.close();
}

// Opened from the folder itself, without any server: the answers and a
// schedule's check, with nothing read from outside the folder.
async function testFileAddressWithSchedule(browser, scratch) {
  const page = await browser.newPage();
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  let workers = 0;
  page.on('worker', () => ++workers);
  await open(page, `file://${pageDir}/index.html#d=652&q=2049`);
  check('from file:// the texts and control states are those that --batch gives', expectedState(batch(['2049\t652'])[0]),
    (await readState(page)).state);
  const file = path.join(scratch, 'from-file.csv');
  fs.writeFileSync(file, scheduleFile(30));
  const seen = await pickSchedule(page, file, scratch);
  check('from file:// a schedule is checked in a worker, as brantle-rules --csv checks it',
    [1, digest(nativeCsv(file).stdout)], [workers, digest(seen.answer || Buffer.alloc(0))]);
  check('from file:// it reads only its own folder', [],
    requests.filter((url) => !url.startsWith(`file://${pageDir}/`) && !url.startsWith('data:') && !url.startsWith('blob:null/')));
  await page.close();
}

runPageTests('page_offline_test.js', {}, async ({ browser, server, scratch }) => {
  await testManifest(browser, server.origin);
  await testOffline(browser, scratch);
  await testFileAddress(browser);
  await testFileAddressWithSchedule(browser, scratch);
});
