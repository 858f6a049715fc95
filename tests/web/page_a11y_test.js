// The page for everyone and everywhere, in headless Chromium:
//
//   node tests/web/page_a11y_test.js <page folder> <native brantle-rules>
//
// - axe-core's WCAG 2.0, 2.1 and 2.2 A and AA rules in the light and the
//   dark scheme: fresh, after typing and ticking, after a schedule check
//   (and one refused), with the notice of a new version;
// - the keyboard alone through every control and the schedule part, with
//   a visible focus at every stop and the focus never trapped;
// - the live regions: one announcement per new verdict, none for a key
//   that leaves it, the schedule's status and errors;
// - 320 CSS px and text spacing: no sideways scroll, nothing clipped or
//   overlapping, targets of 24 px;
// - the manifest and its icons, as Chromium reads them;
// - offline: served from 127.0.0.1, the server gone, reloaded, a number
//   typed and answered; a new version offered and taken, a half-copied
//   one refused;
// - file://: the page answers with no console error.
// Prints "ok:" / "FAILED:" lines and a closing "N passed, N failed".
'use strict';

const childProcess = require('child_process');
const crypto = require('crypto');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { serve, launch } = require('./browser');

const args = process.argv.slice(2);
const pageDir = path.resolve(args[0] || '');
const native = path.resolve(args[1] || '');
const axeSource = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
const WCAG_AA = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'];
// Long enough for a busy two-core machine; nothing waits this long when
// the page works.
const PATIENCE = 60000;

let passed = 0;
let failed = 0;
function check(name, expected, actual) {
  const e = JSON.stringify(expected);
  const a = JSON.stringify(actual);
  if (e === a) {
    ++passed;
    console.log(`ok: ${name}`);
  } else {
    ++failed;
    console.log(`FAILED: ${name}\n  expected: ${e}\n  actual:   ${a}`);
  }
}

// The native tool's answer for one --batch line: the texts the page shows.
function batch(line) {
  const run = childProcess.spawnSync(native, ['--batch'], { input: Buffer.from(line + '\n', 'latin1') });
  if (run.status !== 0) throw new Error(`the native tool refused "${line}": ${run.stderr.toString().trim()}`);
  const fields = run.stdout.toString('latin1').split('\n')[0].split('\t');
  return { options: Number(fields[1]), heading: fields[3], result: fields[4], note: fields[5] };
}

async function open(page, url) {
  await page.goto(url);
  await page.waitForSelector('html[data-ready]', { state: 'attached' });
}

// What the page shows, in the terms of batch().
function shown(page) {
  return page.evaluate(() => {
    const text = (id) => (document.getElementById(id).hidden ? '' : document.getElementById(id).textContent);
    const q = /[#&]q=(-?[0-9]+)/.exec(location.hash);
    return { options: q ? Number(q[1]) : NaN, heading: text('heading'), result: text('result'), note: text('note') };
  });
}

function scratchCsv(scratch, name, text) {
  const file = path.join(scratch, name);
  fs.writeFileSync(file, text, 'latin1');
  return file;
}

async function pickSchedule(page, file) {
  await page.evaluate(() => document.documentElement.removeAttribute('data-schedule-done'));
  await page.setInputFiles('#schedule-file', file);
  await page.waitForFunction(() => document.documentElement.hasAttribute('data-schedule-done') ||
    /cannot be/.test(document.getElementById('schedule-status').textContent), null, { timeout: PATIENCE });
}

// axe-core's AA rules on the page as it stands. Only the rules' verdicts
// count; a run in which the contrast rule judged no text would prove
// nothing, so that count is returned too.
async function axe(page) {
  await page.evaluate(axeSource); // evaluated, not a script tag: the page's policy forbids inline scripts
  return page.evaluate(async (tags) => {
    const results = await window.axe.run(document, { runOnly: { type: 'tag', values: tags } });
    const contrast = results.passes.find((rule) => rule.id === 'color-contrast');
    return {
      violations: results.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`),
      contrastJudged: contrast ? contrast.nodes.map((n) => n.target.join(' ')) : [],
    };
  }, WCAG_AA);
}

// Whether the page's background is dark, and whether the focus ring of
// the number box (its outline, or the band of shadow around it) differs
// from the page's background by 3:1 at least.
async function schemeAndRing(page) {
  await page.focus('#diagram');
  return page.evaluate(() => {
    const rgb = (colour) => (/rgba?\(([^)]*)\)/.exec(colour) || [0, '0, 0, 0'])[1].split(',').map(Number);
    const luminance = (colour) => {
      const c = rgb(colour).slice(0, 3).map((v) => v / 255).map((v) => (v <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4));
      return 0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2];
    };
    const ratio = (a, b) => (Math.max(luminance(a), luminance(b)) + 0.05) / (Math.min(luminance(a), luminance(b)) + 0.05);
    const background = getComputedStyle(document.documentElement).backgroundColor;
    const style = getComputedStyle(document.activeElement);
    const shadow = (/rgba?\([^)]*\)/.exec(style.boxShadow) || ['rgb(0, 0, 0, 0)'])[0];
    return {
      dark: luminance(background) < 0.1,
      ring: style.outlineStyle !== 'none' && Math.max(ratio(style.outlineColor, background), ratio(shadow, background)) >= 3,
    };
  });
}

async function testAxe(browser, origin, scratch) {
  const schedule = scratchCsv(scratch, 'axe.csv', 'sign,diagram,options\r\nA1,652,1\r\nA2,501,abc\r\n');
  const refused = scratchCsv(scratch, 'no-columns.csv', 'number,opts\r\n652,1\r\n');
  const states = [
    ['fresh', async () => {}],
    ['after typing and ticking', async (page) => {
      await page.focus('#diagram');
      await page.keyboard.type('652');
      await page.click('#opt-0');
      await page.click('label[for="opt-4"]');
      await page.click('#opt-11');
    }],
    ['with "none" ticked', async (page) => page.click('#none')],
    ['after a schedule check', async (page) => pickSchedule(page, schedule)],
    ['after a refused schedule', async (page) => pickSchedule(page, refused)],
  ];
  for (const scheme of ['light', 'dark']) {
    for (const width of [1024, 320]) {
      const context = await browser.newContext({ colorScheme: scheme, viewport: { width, height: 720 }, serviceWorkers: 'block' });
      const page = await context.newPage();
      for (const [name, act] of states) {
        await open(page, `${origin}/index.html?axe=${scheme}${width}`);
        await act(page);
        const result = await axe(page);
        check(`axe, ${scheme} scheme, ${width} px, ${name}: no WCAG A or AA violation`, [], result.violations);
        if (name === 'fresh') {
          check(`${scheme} scheme, ${width} px: the page is in that scheme, and the focus ring stands out by 3:1 at least`,
            { dark: scheme === 'dark', ring: true }, await schemeAndRing(page));
        }
        if (name === 'after typing and ticking') {
          check(`axe, ${scheme} scheme, ${width} px: the contrast of the result word, heading and captions was judged`,
            [true, true, true], ['#result', '#heading', 'label[for="opt-4"]'].map((t) => result.contrastJudged.includes(t)));
        }
      }
      await context.close();
    }
  }
}

// Every element that Tab reaches from the top, in order, until the focus
// leaves the page; with a visible focus ring checked at each stop.
async function tabStops(page, backwards) {
  const stops = [];
  const unringed = [];
  for (let k = 0; k < 40; ++k) {
    await page.keyboard.press(backwards ? 'Shift+Tab' : 'Tab');
    const at = await page.evaluate(() => {
      const node = document.activeElement;
      if (!node || node === document.body) return null;
      const style = getComputedStyle(node);
      return {
        id: node.id || node.className || node.tagName,
        ring: style.outlineStyle !== 'none' && parseFloat(style.outlineWidth) >= 2 && style.boxShadow !== 'none',
      };
    });
    if (!at) return { stops, unringed };
    stops.push(at.id);
    if (!at.ring) unringed.push(at.id);
  }
  return { stops, unringed, trapped: true };
}

async function testKeyboard(browser, origin, scratch) {
  const context = await browser.newContext({ acceptDownloads: true, serviceWorkers: 'block' });
  const page = await context.newPage();
  await open(page, `${origin}/index.html?keys`);
  const key = (name) => page.keyboard.press(name);
  const focused = () => page.evaluate(() => document.activeElement.id);

  // Tab from the top: the dialog's order, the mountings one stop (the
  // ticked "normal post(s)"), then the schedule's file picker, and out.
  await page.evaluate(() => document.body.focus());
  const first = await tabStops(page, false);
  check('Tab from the top: the dialog\'s order, the mountings one stop, then the schedule, then out of the page',
    { stops: ['diagram', 'none', 'opt-0', 'opt-1', 'opt-9', 'opt-10', 'schedule-file'], unringed: [] }, first);

  // The whole dialog by keys alone, checked against --batch doing the same.
  await page.evaluate(() => document.body.focus());
  await key('Tab'); // the number box
  await page.keyboard.type('652');
  await key('Tab'); // "none"
  await key('Space');
  const noneTicked = await page.evaluate(() => [document.getElementById('none').checked, document.getElementById('diagram').disabled]);
  await key('Space');
  check('Space ticks and unticks "none", which disables the box and enables it again', [[true, true], false],
    [noneTicked, await page.evaluate(() => document.getElementById('diagram').disabled)]);
  await key('Tab'); // "Within 50m of a lamp column"
  await key('Space');
  await key('Tab'); // the mountings: "normal post(s)", ticked
  check('Tab reaches the mountings at the ticked button', 'opt-1', await focused());
  await key('ArrowDown'); // 652 leaves only normal posts and the gantry enabled
  check('an arrow key moves to the next enabled mounting and selects it', ['opt-4', true],
    [await focused(), await page.evaluate(() => document.getElementById('opt-4').checked)]);
  await key('ArrowDown'); // round to the first again
  check('the arrow keys go round the group', 'opt-1', await focused());
  await key('ArrowUp');
  await key('Tab'); // the 20 mph box
  check('Tab leaves the group for the next control', 'opt-9', await focused());
  await key('Tab'); // the extra condition: Repeater sign is disabled for 652
  await key('Space');
  check('by keys alone the page shows what --batch gives for the same keys and clicks',
    batch('0\t\ttype=6\ttype=65\ttype=652\tnone=1\tnone=0\tclick=0\tclick=4\tclick=1\tclick=4\tclick=11'), await shown(page));

  // The schedule part: the picker opens with Space, the answer is offered
  // as a link that Enter downloads, and its table scrolls by keys.
  await key('Tab');
  check('Tab reaches the schedule\'s file picker', 'schedule-file', await focused());
  const file = scratchCsv(scratch, 'keys.csv', `diagram,options,name\r\n${`652,1,${'unbroken'.repeat(30)}\r\n`.repeat(30)}`);
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), key('Space')]);
  await chooser.setFiles(file);
  await page.waitForSelector('html[data-schedule-done]', { state: 'attached', timeout: PATIENCE });
  await key('Tab');
  check('Tab then reaches the answer\'s download', 'schedule-download', await focused());
  const [download] = await Promise.all([page.waitForEvent('download'), key('Enter')]);
  check('Enter downloads the answer', 'keys-checked.csv', download.suggestedFilename());
  await key('Tab');
  check('Tab reaches the table of the answer, which scrolls by the arrow keys', ['table', true],
    [await page.evaluate(() => document.activeElement.className), await page.evaluate(async () => {
      const table = document.activeElement;
      if (table.scrollWidth <= table.clientWidth) return 'the table does not overflow';
      return table.scrollLeft === 0;
    })]);
  await key('ArrowRight');
  check('an arrow key scrolls the table sideways', true,
    await page.waitForFunction(() => document.activeElement.scrollLeft > 0, null, { timeout: PATIENCE }).then(() => true, () => false));
  await key('Tab');
  check('after the table the focus leaves the page: nothing traps it', null,
    await page.evaluate(() => (document.activeElement === document.body ? null : document.activeElement.id)));

  // And back from the end, Shift+Tab through every stop in reverse.
  const back = await tabStops(page, true);
  check('Shift+Tab from the end goes back through every stop and out',
    { stops: ['table', 'schedule-download', 'schedule-file', 'opt-11', 'opt-9', 'opt-4', 'opt-0', 'none', 'diagram'], unringed: [] }, back);
  await context.close();
}

async function testLiveRegions(browser, origin, scratch) {
  const context = await browser.newContext({ serviceWorkers: 'block' });
  const page = await context.newPage();
  await open(page, `${origin}/index.html?live`);
  const cdp = await context.newCDPSession(page);
  const axNode = async (selector) => {
    const { root } = await cdp.send('DOM.getDocument', { depth: -1 });
    const { nodeId } = await cdp.send('DOM.querySelector', { nodeId: root.nodeId, selector });
    const { nodes } = await cdp.send('Accessibility.getPartialAXTree', { nodeId, fetchRelatives: false });
    const property = (name) => (nodes[0].properties || []).filter((p) => p.name === name).map((p) => p.value.value)[0];
    return { role: nodes[0].role.value, live: property('live'), atomic: property('atomic') };
  };
  check('the answer is one polite, atomic live region', { role: 'status', live: 'polite', atomic: true }, await axNode('#answer'));
  check('the schedule\'s status is a polite live region', { role: 'status', live: 'polite', atomic: true }, await axNode('#schedule-status'));
  check('the notice of a new version is a polite live region', { role: 'status', live: 'polite', atomic: true },
    await axNode('#update-notice'));

  // Each key's changes to the region, as a screen reader hears of them:
  // one record per change of the region's content.
  await page.evaluate(() => {
    window.regionChanges = [];
    new MutationObserver((records) => {
      for (const r of records) window.regionChanges.push(r.type);
    }).observe(document.getElementById('answer'), { childList: true, subtree: true, characterData: true, attributes: true });
  });
  const keystroke = async (key) => {
    await page.evaluate(() => (window.regionChanges = []));
    await page.keyboard.press(key);
    return page.evaluate(() => ({
      text: document.getElementById('answer').innerText.replace(/\s+/g, ' ').trim(),
      changes: window.regionChanges.length,
    }));
  };
  const spoken = (line) => {
    const a = batch(line);
    return [a.heading, a.result, a.note].filter(Boolean).join(' ').replace(/\s+/g, ' ').trim();
  };
  await page.focus('#diagram');
  const steps = [
    // key, what the region holds after it, how many changes it saw
    ['Digit6', spoken('0\t6'), 0], // no rule yet: the region stays empty and silent
    ['Digit5', spoken('0\t65'), 0],
    ['Digit2', spoken('0\t652'), 1], // a verdict: announced once, whole
    ['Space', spoken('0\t652 '), 0], // the same verdict (spaces are trimmed): nothing again
    ['Backspace', spoken('0\t652'), 0],
    ['Backspace', spoken('0\t65'), 1], // no rule: the region empties, in one step
    ['Digit2', spoken('0\t652'), 1],
  ];
  for (const [key, text, changes] of steps) {
    check(`after the key "${key}" the live region holds the verdict, changed ${changes} time(s)`, { text, changes },
      await keystroke(key));
  }
  check('the verdict after 652 is no empty text', true, spoken('0\t652').length > 20);
  const click = async (id) => {
    await page.evaluate(() => (window.regionChanges = []));
    await page.click(id);
    return page.evaluate(() => [document.getElementById('answer').innerText.replace(/\s+/g, ' ').trim(), window.regionChanges.length]);
  };
  check('a click that leaves the verdict leaves the region', [spoken('0\t652\tclick=0'), 0], await click('#opt-0'));
  check('a click that changes the verdict changes the region once', [spoken('0\t652\tclick=0\tclick=11'), 1], await click('#opt-11'));

  // The schedule part says what happened, errors marked as such and tied
  // to the picker.
  const status = async (file) => {
    await pickSchedule(page, file);
    return page.evaluate(() => {
      const line = document.getElementById('schedule-status');
      return [line.textContent.replace(/[0-9.]+ s/, 'T s'), line.classList.contains('failed'),
        document.getElementById('schedule-file').getAttribute('aria-invalid')];
    });
  };
  const reason = childProcess.spawnSync(native, ['--csv'], { input: 'number,opts\r\n652,1\r\n' }).stderr.toString()
    .replace(/^brantle-rules: --csv: /, '').trim();
  check('a refused schedule: brantle-rules\' reason, marked as an error on the picker',
    [`The schedule bad.csv cannot be checked: ${reason}.`, true, 'true'],
    await status(scratchCsv(scratch, 'bad.csv', 'number,opts\r\n652,1\r\n')));
  check('a checked schedule: the count, and the error gone',
    ['good.csv: 1 row checked in T s.', false, null], await status(scratchCsv(scratch, 'good.csv', 'diagram,options\r\n652,1\r\n')));
  await context.close();
}

// The WCAG text-spacing settings, forced on everything.
const TEXT_SPACING = `* { line-height: 1.5 !important; letter-spacing: 0.12em !important; word-spacing: 0.16em !important; }
p { margin-bottom: 2em !important; }`;

// What runs off the side, clips, overlaps or is too small to hit.
function layoutFaults(page) {
  return page.evaluate(() => {
    const root = document.documentElement;
    const visible = (n) => n.getClientRects().length > 0 && getComputedStyle(n).visibility !== 'hidden';
    const box = (n) => n.getBoundingClientRect();
    const name = (n) => n.id || n.getAttribute('for') || n.className || n.tagName;
    const texts = [...document.querySelectorAll('main label, main legend, main p, main h1, main h2, #diagram, main input, main a, main button')]
      .filter(visible);
    const offside = texts.filter((n) => box(n).right > root.clientWidth + 0.5 || box(n).left < -0.5).map(name);
    const clipped = texts.filter((n) => n.tagName !== 'INPUT' && n.scrollWidth > n.clientWidth + 1 &&
      getComputedStyle(n).overflowX !== 'visible').map(name);
    const overlapping = [];
    const controls = [...document.querySelectorAll('.dialog label, .dialog legend, .dialog input')].filter(visible);
    for (let i = 0; i < controls.length; ++i) {
      for (let j = i + 1; j < controls.length; ++j) {
        const a = box(controls[i]);
        const b = box(controls[j]);
        if (Math.min(a.right, b.right) - Math.max(a.left, b.left) > 1 && Math.min(a.bottom, b.bottom) - Math.max(a.top, b.top) > 1) {
          overlapping.push(`${name(controls[i])} / ${name(controls[j])}`);
        }
      }
    }
    const small = [...document.querySelectorAll('input, a, button')].filter(visible)
      .filter((n) => box(n).width < 24 || box(n).height < 24).map(name);
    return { sideways: root.scrollWidth > root.clientWidth, offside, clipped, overlapping, small };
  });
}

async function testReflow(browser, origin, scratch) {
  const none = { sideways: false, offside: [], clipped: [], overlapping: [], small: [] };
  const file = scratchCsv(scratch, 'wide.csv', `diagram,options,${'unbroken'.repeat(20)}\r\n652,1,x\r\n`);
  for (const [width, spacing] of [[320, false], [320, true], [1024, true]]) {
    const page = await browser.newPage({ viewport: { width, height: 640 } });
    // 652 with the lamp column shows every line of the answer and the
    // extra tick box.
    await open(page, `${origin}/index.html?reflow#d=652&q=1`);
    // A constructed sheet, as the page's policy refuses inline styles.
    const applied = !spacing || await page.evaluate((css) => {
      const sheet = new CSSStyleSheet();
      sheet.replaceSync(css);
      document.adoptedStyleSheets = [...document.adoptedStyleSheets, sheet];
      return getComputedStyle(document.querySelector('label[for="opt-0"]')).letterSpacing !== 'normal';
    }, TEXT_SPACING);
    const label = `${width} CSS px${spacing ? ' with the text spacing of WCAG' : ''}`;
    check(`${label}: the spacing is in force`, true, applied);
    check(`${label}: the answer, all its lines shown`, [true, true],
      await page.evaluate(() => [!document.getElementById('heading').hidden, !document.getElementById('note').hidden]));
    check(`${label}: nothing scrolls sideways, clips, overlaps or is smaller than 24 px`, none, await layoutFaults(page));
    await pickSchedule(page, file);
    check(`${label}, with a wide schedule: only its table scrolls`, none, await layoutFaults(page));
    await page.close();
  }
}

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
  check('offline, reloaded: a typed number is answered as --batch answers it', batch('0\t652'), await shown(page));
  const other = await context.newPage();
  await open(other, `${origin}/brantle/?another#d=501&q=1`);
  check('offline, the folder\'s own address with another number opens the page', batch('1\t501'), await shown(other));
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
  check('taking it reloads the page as the new version, with its number and options', ['2', '', batch('1\t652')],
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
  check('from file:// the page answers as --batch does', batch('2049\t652'), await shown(page));
  check('from file:// no console error or warning, no service worker, no notice', [[], false, ''],
    [messages, await page.evaluate(() => !!navigator.serviceWorker && !!navigator.serviceWorker.controller),
      await page.textContent('#update-notice')]);
  await page.close();
}

async function main() {
  if (!fs.existsSync(path.join(pageDir, 'index.html')) || !fs.existsSync(native)) {
    console.error('usage: node tests/web/page_a11y_test.js <page folder> <native brantle-rules>');
    process.exit(2);
  }
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'brantle-a11y-test-'));
  const server = await serve(pageDir);
  const browser = await launch();
  try {
    await testAxe(browser, server.origin, scratch);
    await testKeyboard(browser, server.origin, scratch);
    await testLiveRegions(browser, server.origin, scratch);
    await testReflow(browser, server.origin, scratch);
    await testManifest(browser, server.origin);
    await testOffline(browser, scratch);
    await testFileAddress(browser);
  } catch (error) {
    ++failed;
    console.log(`FAILED: the test stopped: ${error.stack}`);
  } finally {
    await browser.close();
    await server.close();
    fs.rmSync(scratch, { recursive: true, force: true });
  }
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
}

main();
