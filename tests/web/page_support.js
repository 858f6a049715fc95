// What the page's tests share: their command line, the checks and their
// closing line, the native brantle-rules as the judge of every answer, the
// page opened and read in the terms of a --batch answer, schedules written,
// picked and read back, and the run itself: the page's folder served on
// 127.0.0.1, Debian's Chromium and a scratch folder.
//
//   node tests/web/<test>.js <page folder> <native brantle-rules> [options]
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
// The number after `name` on the command line, or `fallback`.
const option = (name, fallback) => (args.indexOf(name) >= 0 ? Number(args[args.indexOf(name) + 1]) : fallback);
const ruleTable = path.join(__dirname, '..', '..', 'resources', 'rule_table.txt');
// Long enough for a busy two-core machine; nothing waits this long when
// the page works.
const PATIENCE = 60000;

// One check: "ok: NAME", or "FAILED: NAME" with both values as JSON.
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

// Bytes compared by their length and SHA-256, to keep a failure readable.
function digest(bytes) {
  return `${bytes.length} bytes, SHA-256 ${crypto.createHash('sha256').update(bytes).digest('hex')}`;
}

// The native tool's answers, one per line of `input` (8-bit text).
function nativeRun(flag, input) {
  const result = childProcess.spawnSync(native, [flag], { input: Buffer.from(input, 'latin1'), maxBuffer: 1 << 28 });
  return { stdout: result.stdout, stderr: result.stderr.toString('latin1'), status: result.status };
}

// The native tool's --batch answers for `lines`, each as an object of its
// fields by name.
const BATCH_COLUMNS = ['row', 'options', 'verdict', 'heading', 'result', 'note', 'condition', 'enabled', 'checked'];
function batch(lines) {
  const run = nativeRun('--batch', lines.map((l) => l + '\n').join(''));
  if (run.status !== 0) {
    throw new Error(`the native tool refused the batch (exit ${run.status}): ${run.stderr.trim()}`);
  }
  return run
    .stdout.toString('latin1')
    .split('\n')
    .slice(0, lines.length)
    .map((line) => {
      const fields = line.split('\t');
      const answer = {};
      BATCH_COLUMNS.forEach((name, i) => (answer[name] = fields[i]));
      return answer;
    });
}

// What a batch answer says the page must show.
function expectedState(answer) {
  return {
    options: Number(answer.options),
    heading: answer.heading,
    result: answer.result,
    note: answer.note,
    condition: answer.condition,
    enabled: Number(answer.enabled),
    checked: Number(answer.checked),
  };
}

// The page's texts and control states, in the terms of a batch answer.
function readState(page) {
  return page.evaluate(() => {
    const get = (id) => document.getElementById(id);
    const shownText = (node) => (node.hidden ? '' : node.textContent);
    let enabled = 0;
    let checked = 0;
    for (const n of [0, 1, 2, 3, 4, 5, 9, 10, 11]) {
      const box = get('opt-' + n);
      if (n <= 10 && !box.disabled) enabled |= 1 << n;
      if (box.checked) checked |= 1 << n;
    }
    const conditionShown = !get('opt-11').parentNode.hidden;
    if (conditionShown) enabled |= 1 << 11;
    const fragment = {};
    location.hash.slice(1).split('&').forEach((part) => {
      const [key, value] = part.split('=');
      fragment[key] = decodeURIComponent(value || '');
    });
    return {
      state: {
        options: Number(fragment.q),
        heading: shownText(get('heading')),
        result: get('result').textContent,
        note: shownText(get('note')),
        condition: conditionShown ? document.querySelector('label[for="opt-11"]').textContent : '',
        enabled,
        checked,
      },
      fragment,
      diagram: get('diagram').value,
      diagramEnabled: !get('diagram').disabled,
      none: get('none').checked,
    };
  });
}

// The native tool's answer for one --batch line in the terms of shown():
// the option set and the texts that the page shows.
function answerOf(line) {
  const answer = batch([line])[0];
  return { options: Number(answer.options), heading: answer.heading, result: answer.result, note: answer.note };
}

// What the page shows, in the terms of answerOf().
function shown(page) {
  return page.evaluate(() => {
    const text = (id) => (document.getElementById(id).hidden ? '' : document.getElementById(id).textContent);
    const q = /[#&]q=(-?[0-9]+)/.exec(location.hash);
    return { options: q ? Number(q[1]) : NaN, heading: text('heading'), result: text('result'), note: text('note') };
  });
}

// The first fields of the rule table's lines: the patterns of diagram
// numbers, with x for any digit and * for an optional last one.
function rulePatterns() {
  return fs.readFileSync(ruleTable, 'latin1').split('\r\n').map((line) => line.split(',')[0].trim());
}

// The batch line of a case: its options and starting text, then one
// type= event per keystroke.
function batchLine(c) {
  const parts = [String(c.options), c.start];
  let text = c.start;
  for (const e of c.events) {
    if (e.keys !== undefined) {
      for (const ch of e.keys) {
        text += ch;
        parts.push('type=' + text);
      }
    } else if (e.backspace) {
      text = text.slice(0, -1);
      parts.push('type=' + text);
    } else if (e.click !== undefined) {
      parts.push('click=' + e.click);
    } else {
      parts.push('none=' + (e.none ? 1 : 0));
    }
  }
  return { line: parts.join('\t'), text };
}

function fragmentOf(diagram, options, none) {
  return '#d=' + encodeURIComponent(diagram) + '&q=' + encodeURIComponent(options) + (none ? '&none=1' : '');
}

async function open(page, url) {
  await page.goto(url);
  await page.waitForSelector('html[data-ready]', { state: 'attached' });
}

async function play(page, c) {
  for (const e of c.events) {
    if (e.keys !== undefined) {
      if (e.keys === '') continue;
      await page.focus('#diagram');
      await page.keyboard.press('End');
      await page.keyboard.type(e.keys);
    } else if (e.backspace) {
      await page.focus('#diagram');
      await page.keyboard.press('End');
      await page.keyboard.press('Backspace');
    } else if (e.click !== undefined) {
      // A hidden box cannot be clicked; a disabled one ignores the click.
      const box = page.locator('#opt-' + e.click);
      if (await box.isVisible()) await box.click({ force: true });
    } else {
      await page.click('#none');
    }
  }
}

// A schedule file with awkward fields, from the rule table's patterns.
function scheduleFile(rows) {
  const patterns = rulePatterns();
  const names = ['plain', '"with, comma"', '"with ""quotes"""', '"two\nlines"', '"two\r\nlines"', 'accents \u00e0\u00e9\u00ff'];
  const options = ['', '1', '&H811', '2049', 'abc', ' 8 '];
  let text = 'name,Diagram,options\r\n';
  for (let i = 0; i < rows; ++i) {
    const diagram = i % 11 === 10 ? '' : patterns[i % patterns.length].replace(/x/g, String(i % 10)).replace('*', '');
    text += `${names[i % names.length]},${diagram},${options[Math.floor(i / 2) % options.length]}${i % 2 ? '\n' : '\r\n'}`;
  }
  return Buffer.from(text, 'latin1');
}

function nativeCsv(file) {
  const result = childProcess.spawnSync(native, ['--csv'], { input: fs.readFileSync(file), maxBuffer: 1 << 30 });
  return { stdout: result.stdout, stderr: result.stderr.toString('latin1').trim(), status: result.status };
}

// Picks `file` on an open page and waits for its answer or refusal: the
// status, the download's bytes (null when none is offered), the table's
// header cells, and the longest task of the page's main thread meanwhile.
async function pickSchedule(page, file, scratch) {
  await page.evaluate(() => {
    window.longestTask = 0;
    document.documentElement.removeAttribute('data-schedule-done');
    new PerformanceObserver((list) => {
      for (const entry of list.getEntries()) window.longestTask = Math.max(window.longestTask, entry.duration);
    }).observe({ type: 'longtask' });
  });
  await page.setInputFiles('#schedule-file', file);
  // Generous: the check itself takes seconds at most, on a busy machine more.
  await page.waitForSelector('html[data-schedule-done]', { state: 'attached', timeout: 300000 });
  return readSchedule(page, scratch);
}

async function readSchedule(page, scratch) {
  const seen = await page.evaluate(() => ({
    status: document.getElementById('schedule-status').textContent,
    offered: !document.getElementById('schedule-download').hidden,
    header: [...document.querySelectorAll('#schedule-table thead th')].map((cell) => cell.textContent),
    gap: (document.querySelector('#schedule-table thead th[aria-label]') || {}).ariaLabel || null,
    rows: document.querySelectorAll('#schedule-table tbody tr').length,
    longestTask: window.longestTask,
  }));
  seen.answer = null;
  if (seen.offered) {
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#schedule-download')]);
    const saved = path.join(scratch, 'answer.csv');
    await download.saveAs(saved);
    seen.answer = fs.readFileSync(saved);
  }
  return seen;
}

// The longest task is reported; the check fails only on one that a page
// checking in its own thread, unsliced, would take (the budget itself, 200
// ms, is the benchmark's to show).
const LONGEST_TASK_ALLOWED = 1000;

// axe-core's AA rules on the page as it stands. Only the rules' verdicts
// count; a run in which the contrast rule judged no text would prove
// nothing, so that count is returned too.
const WCAG_AA = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'];
let axeSource = null;
async function axe(page) {
  axeSource = axeSource || fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
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

// A browser context in which every request that does not go to the page's
// own server is refused and noted, and its first page, whose script errors
// and refused loads are noted. Without the service worker, whose own
// requests the routing would not see; the offline tests have it.
async function guardedContext(browser, server) {
  const context = await browser.newContext({ acceptDownloads: true, serviceWorkers: 'block' });
  const outside = [];
  await context.route('**/*', (route) => {
    const url = route.request().url();
    if (url.startsWith(server.origin + '/') || url.startsWith('data:') || url.startsWith('blob:' + server.origin)) return route.continue();
    outside.push(url);
    return route.abort();
  });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  return { context, page, outside, errors };
}

// What closes a run in a guarded context: nothing asked for outside the
// page's folder, the page's own files loaded, no script error.
function checkOwnFilesOnly(server, { outside, errors }) {
  check('the page asked for nothing outside its own folder', [], outside);
  // Each page loads these; a page with its service worker also fetches
  // the folder's other files to keep them.
  const asked = [...new Set(server.requests.map((url) => new URL(url, server.origin).pathname.slice(1)))];
  check('the page asked its server for its own files alone', [],
    asked.filter((name) => !fs.readdirSync(pageDir).includes(name)));
  check('the page loads its own files', ['brantle.css', 'brantle.ico', 'brantle.js', 'index.html'],
    asked.filter((name) => ['brantle.css', 'brantle.ico', 'brantle.js', 'index.html'].includes(name)).sort());
  check('no script errors and no refused loads', [], errors);
}

// Runs `body({ browser, server, scratch })` with the page's folder served
// on `port` (0: any free one), then prints the closing "N passed, N failed"
// and exits with 0 only when every check passed. A test that stops on an
// error counts as one failure.
async function runPageTests(script, { usage = '', port = 0 }, body) {
  if (!fs.existsSync(path.join(pageDir, 'index.html')) || !fs.existsSync(native) || !fs.statSync(native).isFile()) {
    console.error(`usage: node tests/web/${script} <page folder> <native brantle-rules>${usage}`);
    process.exit(2);
  }
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), `brantle-${path.basename(script, '.js')}-`));
  const server = await serve(pageDir, port);
  const browser = await launch();
  try {
    await body({ browser, server, scratch });
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

module.exports = {
  pageDir, native, option, PATIENCE, check, digest, nativeRun, nativeCsv, batch, expectedState, readState, answerOf, shown,
  rulePatterns, batchLine, fragmentOf, open, play, scheduleFile, pickSchedule, readSchedule, LONGEST_TASK_ALLOWED, axe,
  guardedContext, checkOwnFilesOnly, runPageTests,
};
