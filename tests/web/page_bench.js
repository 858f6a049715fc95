// The page's budgets, measured in headless Chromium (a benchmark, not a
// test: it prints figures and judges nothing):
//
//   node tests/web/page_bench.js <page folder> [--port N]
//   node tests/web/page_bench.js <page folder> --screenshot <file.png>
//
// - the bytes of the page, its script (which holds the module) and styles;
// - when the first verdict shows, after the page's load event, over 15 loads;
// - the work of one keystroke, from the key's input event to the page
//   updated, over 600 keystrokes;
// - a schedule of 10,000 and of 100,000 rows checked in the page: the time,
//   the longest task of the page's own thread meanwhile, and the script
//   heap against the answer's size;
// - keystrokes typed while a schedule of 1,000,000 rows is checked: the
//   work of each, as above.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { serve, launch } = require('./browser');

const args = process.argv.slice(2);
const pageDir = path.resolve(args[0] || '');
const port = args.indexOf('--port') >= 0 ? Number(args[args.indexOf('--port') + 1]) : Number(process.env.BRANTLE_WEB_PORT || 0);
const ruleTable = path.join(__dirname, '..', '..', 'resources', 'rule_table.txt');

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const ms = (value) => `${value.toFixed(1)} ms`;

function sizes() {
  const size = (name) => fs.statSync(path.join(pageDir, name)).size;
  const script = fs.readFileSync(path.join(pageDir, 'brantle.js'), 'latin1');
  const module = /base64,([A-Za-z0-9+/=]+)/.exec(script);
  const moduleBytes = module ? Buffer.from(module[1], 'base64').length : 0;
  const total = size('index.html') + size('brantle.js') + size('brantle.css');
  console.log(`size: index.html ${size('index.html')} B, brantle.js ${size('brantle.js')} B (holding the ${moduleBytes} B module ` +
    `as base64), brantle.css ${size('brantle.css')} B: ${total} B together (${(total / 1024).toFixed(1)} KiB); ` +
    `the icon ${size('brantle.ico')} B besides`);
}

async function firstVerdict(page, origin) {
  const afterLoad = [];
  const afterStart = [];
  for (let i = 0; i < 15; ++i) {
    await page.goto(`${origin}/index.html?load=${i}#d=652&q=1`);
    await page.waitForSelector('html[data-ready]', { state: 'attached' });
    const t = await page.evaluate(() => {
      const navigation = performance.getEntriesByType('navigation')[0];
      return { verdict: performance.getEntriesByName('brantle-first-verdict')[0].startTime, load: navigation.loadEventEnd };
    });
    afterLoad.push(t.verdict - t.load);
    afterStart.push(t.verdict);
  }
  console.log(`first verdict: ${ms(median(afterLoad))} after the load event (median of 15, at most ${ms(Math.max(...afterLoad))}); ` +
    `${ms(median(afterStart))} after the navigation began`);
}

async function keystrokes(page, origin) {
  await page.goto(`${origin}/index.html?keys`);
  await page.waitForSelector('html[data-ready]', { state: 'attached' });
  // Listeners on the document run after the page's own on the box.
  await page.evaluate(() => {
    window.keystrokeTimes = [];
    document.addEventListener('input', (event) => window.keystrokeTimes.push(performance.now() - event.timeStamp));
  });
  const texts = ['652', '642-2', '2609.3', '954.1', '530a', '10000'];
  await page.focus('#diagram');
  for (let round = 0; round < 20; ++round) {
    for (const text of texts) {
      await page.keyboard.type(text);
      for (let k = 0; k < text.length; ++k) await page.keyboard.press('Backspace');
    }
  }
  const times = await page.evaluate(() => window.keystrokeTimes);
  const sorted = [...times].sort((a, b) => a - b);
  console.log(`keystroke: ${times.length} keys, from the input event to the page updated: median ${ms(median(times))}, ` +
    `99th percentile ${ms(sorted[Math.floor(sorted.length * 0.99)])}, most ${ms(sorted[sorted.length - 1])}`);
}

function writeSchedule(file, rows) {
  const patterns = fs.readFileSync(ruleTable, 'latin1').split('\r\n').map((line) => line.split(',')[0].trim());
  const options = ['', '1', '&H811', '2049', '8'];
  const lines = ['name,diagram,options\r\n'];
  for (let i = 0; i < rows; ++i) {
    lines.push(`sign ${i},${patterns[i % patterns.length].replace(/x/g, String(i % 10)).replace('*', '')},${options[i % 5]}\r\n`);
  }
  fs.writeFileSync(file, lines.join(''));
}

// Watches the page's long tasks (over 50 ms) from now on.
function watchLongTasks(page) {
  return page.evaluate(() => {
    window.longestTask = 0;
    new PerformanceObserver((list) => {
      for (const entry of list.getEntries()) window.longestTask = Math.max(window.longestTask, entry.duration);
    }).observe({ type: 'longtask' });
  });
}

async function schedule(page, origin, scratch) {
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Performance.enable');
  for (const rows of [10000, 100000]) {
    const file = path.join(scratch, `schedule-${rows}.csv`);
    writeSchedule(file, rows);
    await page.goto(`${origin}/index.html?rows=${rows}`);
    await page.waitForSelector('html[data-ready]', { state: 'attached' });
    await cdp.send('HeapProfiler.collectGarbage').catch(() => {});
    await watchLongTasks(page);
    const started = Date.now();
    await page.setInputFiles('#schedule-file', file);
    await page.waitForSelector('html[data-schedule-done]', { state: 'attached', timeout: 120000 });
    const wall = Date.now() - started;
    const status = await page.textContent('#schedule-status');
    const longest = await page.evaluate(() => window.longestTask);
    await cdp.send('HeapProfiler.collectGarbage').catch(() => {});
    const { metrics } = await cdp.send('Performance.getMetrics');
    const heap = metrics.find((m) => m.name === 'JSHeapUsedSize').value;
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#schedule-download')]);
    const answerBytes = fs.statSync(await download.path()).size;
    console.log(`schedule of ${rows} rows (${fs.statSync(file).size} B): ${wall} ms from the file picked to the answer ` +
      `ready; the page says "${status}"; the page's longest task meanwhile ${longest ? ms(longest) : 'under 50 ms'}; ` +
      `script heap ${(heap / 1048576).toFixed(1)} MiB with the answer of ${(answerBytes / 1048576).toFixed(1)} MiB`);
  }
  await cdp.detach();
}

// Keys typed while a long schedule is checked: the work of each, from its
// input event to the page updated, for the keys typed before the check ended.
async function keystrokesWhileChecking(page, origin, scratch) {
  const file = path.join(scratch, 'schedule-long.csv');
  writeSchedule(file, 1000000);
  await page.goto(`${origin}/index.html?keys-while-checking`);
  await page.waitForSelector('html[data-ready]', { state: 'attached' });
  await page.evaluate(() => {
    window.keystrokeTimes = [];
    document.addEventListener('input', (event) => {
      if (!document.documentElement.hasAttribute('data-schedule-done')) {
        window.keystrokeTimes.push(performance.now() - event.timeStamp);
      }
    });
  });
  await watchLongTasks(page);
  await page.setInputFiles('#schedule-file', file);
  await page.focus('#diagram');
  const texts = ['652', '642-2', '2609.3', '954.1', '530a', '10000'];
  while (!(await page.evaluate(() => document.documentElement.hasAttribute('data-schedule-done')))) {
    for (const text of texts) {
      await page.keyboard.type(text);
      for (let k = 0; k < text.length; ++k) await page.keyboard.press('Backspace');
    }
  }
  const times = await page.evaluate(() => window.keystrokeTimes);
  const sorted = [...times].sort((a, b) => a - b);
  const status = await page.textContent('#schedule-status');
  const longest = await page.evaluate(() => window.longestTask);
  console.log(`keystroke while a schedule is checked ("${status}"): ${times.length} keys, median ${ms(median(sorted))}, ` +
    `99th percentile ${ms(sorted[Math.floor(sorted.length * 0.99)])}, most ${ms(sorted[sorted.length - 1])}; ` +
    `the page's longest task meanwhile ${longest ? ms(longest) : 'under 50 ms'}`);
}

// The README's picture: 652 with a lamp column and the extra condition.
async function screenshot(file) {
  const server = await serve(pageDir, port);
  const browser = await launch();
  try {
    const page = await browser.newPage({ viewport: { width: 460, height: 560 } });
    await page.goto(`${server.origin}/index.html#d=652&q=2049`);
    await page.waitForSelector('html[data-ready]', { state: 'attached' });
    await page.screenshot({ path: file });
  } finally {
    await browser.close();
    await server.close();
  }
}

async function main() {
  if (args.indexOf('--screenshot') >= 0) return screenshot(path.resolve(args[args.indexOf('--screenshot') + 1]));
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'brantle-page-bench-'));
  const server = await serve(pageDir, port);
  const browser = await launch();
  try {
    sizes();
    const page = await (await browser.newContext({ acceptDownloads: true })).newPage();
    await firstVerdict(page, server.origin);
    await keystrokes(page, server.origin);
    await schedule(page, server.origin, scratch);
    await keystrokesWhileChecking(page, server.origin, scratch);
  } finally {
    await browser.close();
    await server.close();
    fs.rmSync(scratch, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
