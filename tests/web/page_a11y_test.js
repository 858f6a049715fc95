// The page for everyone, in headless Chromium:
//
//   node tests/web/page_a11y_test.js <page folder> <native brantle-rules>
//
// - axe-core's WCAG 2.0, 2.1 and 2.2 A and AA rules in the light and the
//   dark scheme: fresh, after typing and ticking, after a schedule check
//   (and one refused);
// - the keyboard alone through every control and the schedule part, with
//   a visible focus at every stop and the focus never trapped;
// - the live regions: one announcement per new verdict, none for a key
//   that leaves it, the schedule's status and errors;
// - 320 CSS px and text spacing: no sideways scroll, nothing clipped or
//   overlapping, targets of 24 px.
// Prints "ok:" / "FAILED:" lines and a closing "N passed, N failed".
'use strict';

const fs = require('fs');
const path = require('path');
const { PATIENCE, check, nativeRun, answerOf, shown, open, axe, runPageTests } = require('./page_support');

function scratchCsv(scratch, name, text) {
  const file = path.join(scratch, name);
  fs.writeFileSync(file, text, 'latin1');
  return file;
}

// Picks `file` and waits until the page has answered it or refused it.
async function pickAndWait(page, file) {
  await page.evaluate(() => document.documentElement.removeAttribute('data-schedule-done'));
  await page.setInputFiles('#schedule-file', file);
  await page.waitForFunction(() => document.documentElement.hasAttribute('data-schedule-done') ||
    /cannot be/.test(document.getElementById('schedule-status').textContent), null, { timeout: PATIENCE });
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
    ['after a schedule check', async (page) => pickAndWait(page, schedule)],
    ['after a refused schedule', async (page) => pickAndWait(page, refused)],
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
    answerOf('0\t\ttype=6\ttype=65\ttype=652\tnone=1\tnone=0\tclick=0\tclick=4\tclick=1\tclick=4\tclick=11'), await shown(page));

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
    const a = answerOf(line);
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
    await pickAndWait(page, file);
    return page.evaluate(() => {
      const line = document.getElementById('schedule-status');
      return [line.textContent.replace(/[0-9.]+ s/, 'T s'), line.classList.contains('failed'),
        document.getElementById('schedule-file').getAttribute('aria-invalid')];
    });
  };
  const reason = nativeRun('--csv', 'number,opts\r\n652,1\r\n').stderr.replace(/^brantle-rules: --csv: /, '').trim();
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
    await pickAndWait(page, file);
    check(`${label}, with a wide schedule: only its table scrolls`, none, await layoutFaults(page));
    await page.close();
  }
}

runPageTests('page_a11y_test.js', {}, async ({ browser, server, scratch }) => {
  await testAxe(browser, server.origin, scratch);
  await testKeyboard(browser, server.origin, scratch);
  await testLiveRegions(browser, server.origin, scratch);
  await testReflow(browser, server.origin, scratch);
});
