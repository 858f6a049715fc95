// The page's dialog end to end in headless Chromium, against the native
// brantle-rules as the judge of every answer:
//
//   node tests/web/page_test.js <page folder> <native brantle-rules> [--port N] [--cases N]
//
// Generated cases type key by key, click options and "none" in the page;
// the same events as --batch lines give the expected texts and control
// states. Also: the fragment both ways, the state restored on reload and
// back, Tab order, labels, narrow and zoomed layouts, and no request
// leaving the page's own folder. Prints "ok:" / "FAILED:" lines and a
// closing "N passed, N failed".
'use strict';

const {
  option, check, batch, expectedState, readState, rulePatterns, batchLine, fragmentOf, open, play, guardedContext,
  checkOwnFilesOnly, runPageTests,
} = require('./page_support');

const port = option('--port', Number(process.env.BRANTLE_WEB_PORT || 0));
const caseCount = option('--cases', 200);

// Texts that reach every row of the table, with some that reach none.
function generateCases(count) {
  const patterns = rulePatterns();
  const odd = ['530a', '<642>', ' 601-1 ', '6x', 'abc', '\u00e9\u00e0', '-501', '10000', '954.1', '642-2', '\u00ff12'];
  const optionSets = [0, 1, 8, 2049, 2065, 513, 1025, 4097, 64];
  const clicks = [0, 1, 2, 3, 4, 5, 9, 10, 11];
  let seed = 16;
  const random = (n) => {
    seed = (Math.imul(seed, 1103515245) + 12345) >>> 0;
    return (seed >>> 8) % n;
  };
  const cases = [];
  for (let i = 0; i < count; ++i) {
    let text = patterns[i % patterns.length].replace(/x/g, () => String(random(10)));
    text = text.replace(/\*$/, i % 3 ? String(random(10)) : '');
    if (i % 9 === 8) text = odd[Math.floor(i / 9) % odd.length];
    const split = random(text.length + 1);
    const c = { options: optionSets[i % optionSets.length], start: text.slice(0, split), events: [] };
    let none = false;
    let typed = c.start;
    c.events.push({ keys: text.slice(split) });
    typed = text;
    for (let k = random(5); k > 0; --k) {
      const pick = random(10);
      if (pick < 7) {
        c.events.push({ click: clicks[random(clicks.length)] });
      } else if (pick < 8) {
        none = !none;
        c.events.push({ none });
      } else if (!none && typed.length > 0) {
        c.events.push({ backspace: true });
        typed = typed.slice(0, -1);
      } else if (!none) {
        c.events.push({ keys: '5' });
        typed += '5';
      }
    }
    cases.push(c);
  }
  return cases;
}

async function testGeneratedCases(page, origin) {
  const cases = generateCases(caseCount);
  const lines = cases.map(batchLine);
  const expected = batch(lines.map((l) => l.line));
  const seen = [];
  // Each case starts from its fragment, set on the open page as a link to
  // another number would set it (a case number keeps each one new).
  await open(page, `${origin}/index.html`);
  for (let i = 0; i < cases.length; ++i) {
    await page.evaluate((fragment) => new Promise((done) => {
      window.addEventListener('hashchange', () => setTimeout(done, 0), { once: true });
      location.hash = fragment;
    }), `${fragmentOf(cases[i].start, String(cases[i].options), false)}&case=${i}`);
    await play(page, cases[i]);
    seen.push(await readState(page));
  }
  let same = 0;
  const wrong = [];
  let fragmentsRight = 0;
  for (let i = 0; i < cases.length; ++i) {
    const e = expectedState(expected[i]);
    if (JSON.stringify(seen[i].state) === JSON.stringify(e)) ++same;
    else if (wrong.length < 3) wrong.push({ line: lines[i].line, expected: e, seen: seen[i].state });
    const none = cases[i].events.filter((x) => x.none !== undefined).length % 2 === 1;
    const f = seen[i].fragment;
    if (f.d === lines[i].text && f.q === expected[i].options && (f.none === '1') === none && seen[i].diagram === lines[i].text &&
        seen[i].none === none && seen[i].diagramEnabled === !none) {
      ++fragmentsRight;
    }
  }
  check(`${cases.length} generated cases typed and clicked: the texts and states that --batch gives`, [], wrong);
  check(`${cases.length} generated cases: all of them`, cases.length, same);
  check('after the events, the fragment holds the typed text, the option set and "none"', cases.length, fragmentsRight);

  // A link copied after the events opens the state that --batch gives for
  // its diagram and option set, with the same answer as before.
  const reopened = [];
  const sample = cases.map((c, i) => i).filter((i) => i % 6 === 0);
  for (const i of sample) {
    await open(page, `${origin}/index.html?again=${i}#${'d=' + encodeURIComponent(seen[i].fragment.d)}&q=${seen[i].fragment.q}${
      seen[i].fragment.none === '1' ? '&none=1' : ''}`);
    reopened.push(await readState(page));
  }
  const linkAnswers = batch(sample.map((i) => `${seen[i].fragment.q}\t${seen[i].fragment.d}${seen[i].fragment.none === '1' ? '\tnone=1' : ''}`));
  const linkWrong = [];
  sample.forEach((i, k) => {
    const want = expectedState(linkAnswers[k]);
    const before = seen[i].state;
    const after = reopened[k].state;
    if (JSON.stringify(after) !== JSON.stringify(want) ||
        (after.result !== before.result || after.heading !== before.heading || after.note !== before.note || after.options !== before.options)) {
      if (linkWrong.length < 3) linkWrong.push({ fragment: seen[i].fragment, want, before, after });
    }
  });
  check(`${sample.length} copied links reopen the same answer, as --batch gives it`, [], linkWrong);
}

async function testFragments(page, origin) {
  // Opening the page with a fragment is a fresh showing of DIAGRAM /Q N.
  // q is read as /Q reads it: the number at its start, 0 when there is
  // none. --batch takes only a whole number, so the last two cases give it
  // the number that /Q reads from their q.
  const fragments = [
    ['652', '1', false], ['652', '&H801', false], ['631', '8', false], ['954.1', '8', false], ['501', '', false],
    ['', '', true], ['652', '2049', true], ['642 2', '-1', false], ['\u00e9', '1e3', false],
    ['99999999', '&b11', false], ['<642>', 'abc', false, '0'], ['530a', '5 /H 1', false, '5'],
  ];
  const answers = batch(fragments.map(([d, q, none, asRead = q]) => `${asRead}\t${d}${none ? '\tnone=1' : ''}`));
  for (let i = 0; i < fragments.length; ++i) {
    const [d, q, none] = fragments[i];
    await open(page, `${origin}/index.html?f=${i}${fragmentOf(d, q, none)}`);
    const seen = await readState(page);
    check(`the fragment ${fragmentOf(d, q, none)} opens what DIAGRAM /Q N shows first`, expectedState(answers[i]), seen.state);
    check(`the fragment ${fragmentOf(d, q, none)} then holds the shown option set`,
      [d, answers[i].options, none ? '1' : undefined], [seen.fragment.d, seen.fragment.q, seen.fragment.none]);
  }
  // A fragment changed on an open page (a link to another number) shows it.
  await open(page, `${origin}/index.html#d=501&q=1`);
  await page.evaluate(() => new Promise((done) => {
    window.addEventListener('hashchange', () => setTimeout(done, 0), { once: true });
    location.hash = '#d=652&q=2049';
  }));
  check('a changed fragment shows its number and options', expectedState(batch(['2049\t652'])[0]), (await readState(page)).state);
  // The fragment follows every click, key and "none".
  await page.click('#opt-9');
  check('a click is in the fragment at once', '#d=652&q=2561', await page.evaluate(() => location.hash));
  await page.focus('#diagram');
  await page.keyboard.press('End');
  await page.keyboard.type('-1');
  check('keys are in the fragment at once', '652-1', (await readState(page)).fragment.d);
  await page.click('#none');
  check('"none" is in the fragment', '1', (await readState(page)).fragment.none);
}

// What the controls show against what the engine holds: the ticks, the
// enabled controls and the box's text, each as a mask or text.
function controlsAndEngine(page) {
  return page.evaluate(() => {
    const controls = { checked: 0, disabled: 0 };
    const engine = { checked: 0, disabled: 0 };
    for (let i = 0; i < _brantle_element_count(); ++i) {
      const node = document.getElementById(UTF8ToString(_brantle_element_name(i)));
      if (node.tagName !== 'INPUT') continue;
      const state = _brantle_element_state(i);
      controls.checked |= node.checked ? 1 << i : 0;
      controls.disabled |= node.disabled ? 1 << i : 0;
      engine.checked |= state & 1 ? 1 << i : 0;
      engine.disabled |= state & 2 ? 0 : 1 << i;
    }
    controls.box = document.getElementById('diagram').value;
    _brantle_element_text(0);
    engine.box = new TextDecoder('windows-1252').decode(HEAPU8.subarray(_brantle_text(), _brantle_text() + _brantle_text_length()));
    return { controls, engine, snapshots: window.snapshots, loaded: window.loadedFragment, persisted: window.persisted };
  });
}

async function testRestoredState(browser, origin) {
  // The ticks at each stage of a load, before the page sets them: none, or
  // already the engine's; never what the browser kept of an earlier showing.
  const context = await browser.newContext();
  await context.addInitScript(() => {
    window.loadedFragment = location.hash;
    window.snapshots = [];
    const snap = () => window.snapshots.push([...document.querySelectorAll('input')].reduce(
      (mask, node, i) => mask | (node.checked ? 1 << i : 0), 0));
    document.addEventListener('DOMContentLoaded', snap);
    window.addEventListener('load', snap);
    window.addEventListener('pageshow', (event) => {
      window.persisted = event.persisted;
      snap();
    });
  });
  const page = await context.newPage();
  const setHash = (hash) => page.evaluate((h) => new Promise((done) => {
    window.addEventListener('hashchange', () => setTimeout(done, 0), { once: true });
    location.hash = h;
  }), hash);
  // (the first address, what is done there, how the page is shown again)
  const cases = [
    ['#d=652&q=2', [], 'reload'],
    ['#d=652&q=2', ['#d=7821&q=2048'], 'reload'],
    ['#d=7821&q=0', ['opt-0', 'opt-9'], 'reload'],
    ['#d=7821&q=0', ['opt-0', 'opt-9'], 'back'],
    ['#d=606&q=8', ['none'], 'reload'],
    ['#d=606&q=8', ['none'], 'back'],
    ['#d=652&q=2049', ['type:-1', 'opt-9'], 'back'],
    ['#d=631&q=8', ['#d=501&q=1', 'opt-9'], 'history'],
    ['#d=652&q=2049', ['opt-11', 'type:2'], 'address'],
  ];
  for (const [first, actions, how] of cases) {
    const name = `${first}, ${actions.join(' ') || 'nothing done'}, ${how}`;
    await open(page, `${origin}/index.html?restore=${encodeURIComponent(name)}${first}`);
    for (const action of actions) {
      if (action.startsWith('#')) {
        await setHash(action);
      } else if (action.startsWith('type:')) {
        await page.focus('#diagram');
        await page.keyboard.press('End');
        await page.keyboard.type(action.slice(5));
      } else {
        await page.click('#' + action);
      }
    }
    let freshFragment = null; // the fragment of a fresh showing, when there is one
    if (how === 'reload') {
      await page.reload();
    } else if (how === 'back') {
      await page.goto(`${origin}/index.html?away`);
      await page.waitForSelector('html[data-ready]', { state: 'attached' });
      await page.goBack();
    } else if (how === 'history') {
      // Back to the first fragment within the same page.
      await page.evaluate(() => new Promise((done) => {
        window.addEventListener('hashchange', () => setTimeout(done, 0), { once: true });
        history.back();
      }));
      freshFragment = first;
    } else {
      freshFragment = '#d=530a&q=1';
      await setHash(freshFragment);
    }
    await page.waitForSelector('html[data-ready]', { state: 'attached' });
    const seen = await controlsAndEngine(page);
    if (freshFragment === null && !seen.persisted) freshFragment = seen.loaded;
    check(`${name}: the controls show what the engine holds`, seen.engine, seen.controls);
    check(`${name}: before the page sets them, the controls hold no ticks of an earlier showing`, [],
      seen.snapshots.filter((mask) => mask !== 0 && mask !== seen.engine.checked));
    if (freshFragment !== null) {
      const f = {};
      freshFragment.slice(1).split('&').forEach((part) => {
        const [key, value] = part.split('=');
        f[key] = decodeURIComponent(value || '');
      });
      check(`${name}: the page shows ${freshFragment} afresh, as DIAGRAM /Q N does`,
        expectedState(batch([`${f.q}\t${f.d}${f.none === '1' ? '\tnone=1' : ''}`])[0]), (await readState(page)).state);
    }
  }
  await context.close();
}

async function testKeyboardAndLabels(page, origin) {
  const order = ['diagram', 'none', 'opt-0', 'opt-1', 'opt-2', 'opt-3', 'opt-4', 'opt-5', 'opt-9', 'opt-10', 'opt-11'];
  // 954.1 after the bollard: "normal post(s)" stays ticked but disabled;
  // 642 2 with every bit: four mountings ticked at once.
  const mountings = ['opt-1', 'opt-2', 'opt-3', 'opt-4', 'opt-5'];
  for (const [d, q] of [['', '0'], ['652', '1'], ['1234', '0'], ['606', '8'], ['954.1', '8'], ['642 2', '-1']]) {
    await open(page, `${origin}/index.html?tab=${d}#d=${encodeURIComponent(d)}&q=${q}`);
    const answer = batch([`${q}\t${d}`])[0];
    // Enabled and shown controls, in the dialog's order, as --batch reports
    // them. The mountings are one radio group and so one stop: the ticked
    // button, or the first enabled one when no enabled one is ticked; while
    // several are ticked, each enabled one is a stop of its own.
    const bit = (set, id) => (Number(set) >> Number(id.slice(4))) & 1;
    const ticked = mountings.filter((id) => bit(answer.checked, id));
    const enabledMountings = mountings.filter((id) => bit(answer.enabled, id));
    const stops = ticked.length > 1 ? enabledMountings
      : [enabledMountings.find((id) => ticked.includes(id)) || enabledMountings[0]].filter(Boolean);
    const expected = order.filter((id) => {
      if (!id.startsWith('opt-')) return true;
      return mountings.includes(id) ? stops.includes(id) : bit(answer.enabled, id);
    });
    expected.push('schedule-file');
    await page.evaluate(() => document.activeElement && document.activeElement.blur());
    await page.evaluate(() => window.scrollTo(0, 0));
    await page.focus('#caption').catch(() => {});
    const seen = [];
    await page.evaluate(() => document.body.focus());
    for (let k = 0; k < expected.length; ++k) {
      await page.keyboard.press('Tab');
      seen.push(await page.evaluate(() => document.activeElement.id));
    }
    check(`Tab order with "${d}" shown follows the dialog`, expected, seen);
  }

  // Arrow keys move through the enabled mounting buttons and select them.
  await open(page, `${origin}/index.html?arrows#d=652&q=1`);
  await page.focus('#opt-1');
  await page.keyboard.press('ArrowDown');
  const afterArrow = await readState(page);
  check('an arrow key selects the next enabled mounting (652: gantry)', [2 ** 4 + 1, 'opt-4'],
    [afterArrow.state.options, await page.evaluate(() => document.activeElement.id)]);

  // Every control has a name that a screen reader announces: its caption.
  await open(page, `${origin}/index.html?names#d=606&q=0`);
  const cdp = await page.context().newCDPSession(page);
  const { root } = await cdp.send('DOM.getDocument', { depth: -1 });
  const names = {};
  for (const id of order.concat(['schedule-file'])) {
    const { nodeId } = await cdp.send('DOM.querySelector', { nodeId: root.nodeId, selector: '#' + id });
    const { nodes } = await cdp.send('Accessibility.getPartialAXTree', { nodeId, fetchRelatives: false });
    names[id] = nodes[0].name ? nodes[0].name.value : '';
  }
  const captions = await page.evaluate((ids) => ids.map((id) => {
    const label = document.querySelector(`label[for="${id}"]`);
    return label ? label.textContent : '';
  }), order.concat(['schedule-file']));
  check('every control is named by its label', captions, order.concat(['schedule-file']).map((id) => names[id]));
  check('the labels are the dialog\'s captions (606: the bollard is "other type of bollard")',
    ['Diagram number', 'none', 'Within 50m of a lamp column', 'other type of bollard'],
    [names.diagram, names.none, names['opt-0'], names['opt-3']]);
  const group = await page.evaluate(() => document.querySelector('fieldset legend').textContent);
  check('the mountings are one group named as in the dialog', 'Location/\r\nmounting', group);
  check('the answer is announced as it changes', 'status',
    await page.evaluate(() => document.getElementById('result').closest('[role]').getAttribute('role')));
  await cdp.detach();
}

async function testLayout(browser, origin) {
  // 320 px wide, and a 1280 px window at 200 % zoom (640 CSS pixels).
  for (const [width, scale] of [[320, 1], [640, 2]]) {
    const page = await browser.newPage({ viewport: { width, height: 700 }, deviceScaleFactor: scale });
    await open(page, `${origin}/index.html#d=652&q=2049`);
    const overflow = await page.evaluate(() => {
      const wide = [];
      for (const node of document.querySelectorAll('input, label, legend, #heading, #result, #note, h1, h2, p')) {
        const box = node.getBoundingClientRect();
        if (box.width > 0 && box.right > document.documentElement.clientWidth + 0.5) wide.push(node.id || node.textContent);
      }
      return { scrollWidth: document.documentElement.scrollWidth, clientWidth: document.documentElement.clientWidth, wide };
    });
    check(`${width} CSS px wide: nothing runs off the side`, { scrollWidth: width, clientWidth: width, wide: [] }, overflow);
    const result = await page.evaluate(() => {
      const style = getComputedStyle(document.getElementById('result'));
      const body = getComputedStyle(document.getElementById('heading'));
      return parseFloat(style.fontSize) > parseFloat(body.fontSize) && Number(style.fontWeight) >= 700;
    });
    check(`${width} CSS px wide: the result word stands out`, true, result);
    await page.close();
  }
}

runPageTests('page_test.js', { usage: ' [--port N] [--cases N]', port }, async ({ browser, server }) => {
  const guarded = await guardedContext(browser, server);
  const page = guarded.page;
  const started = Date.now();
  await testGeneratedCases(page, server.origin);
  console.log(`(generated cases: ${((Date.now() - started) / 1000).toFixed(1)} s)`);
  await testFragments(page, server.origin);
  await testRestoredState(browser, server.origin);
  await testKeyboardAndLabels(page, server.origin);
  await testLayout(browser, server.origin);
  checkOwnFilesOnly(server, guarded);
});
