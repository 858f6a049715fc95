// The page's schedule check end to end in headless Chromium, against the
// native brantle-rules as the judge of every answer:
//
//   node tests/web/page_schedule_test.js <page folder> <native brantle-rules>
//
// A schedule picked, dropped and downloaded, and one refused; a schedule
// checked between a case's clicks; the bounds (columns, the answer's size)
// as brantle-rules --csv keeps them, in a worker of its own or, without
// one, in slices; a second file during a check; and no request leaving the
// page's own folder. Prints "ok:" / "FAILED:" lines and a closing
// "N passed, N failed".
'use strict';

const fs = require('fs');
const path = require('path');
const {
  check, digest, nativeRun, nativeCsv, batch, expectedState, readState, rulePatterns, batchLine, fragmentOf, open, play,
  scheduleFile, pickSchedule, readSchedule, LONGEST_TASK_ALLOWED, guardedContext, checkOwnFilesOnly, runPageTests,
} = require('./page_support');

async function testSchedule(page, origin, scratch) {
  const file = path.join(scratch, 'schedule.csv');
  const bytes = scheduleFile(240);
  fs.writeFileSync(file, bytes);
  const reference = nativeRun('--csv', bytes.toString('latin1')).stdout;

  await open(page, `${origin}/index.html`);
  await page.setInputFiles('#schedule-file', file);
  await page.waitForSelector('html[data-schedule-done]', { state: 'attached' });
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#schedule-download')]);
  const saved = path.join(scratch, 'download.csv');
  await download.saveAs(saved);
  check('a picked schedule downloads as the bytes brantle-rules --csv writes', digest(reference),
    digest(fs.readFileSync(saved)));
  check('the download is named after the file', 'schedule-checked.csv', download.suggestedFilename());
  const table = await page.evaluate(() => {
    const t = document.getElementById('schedule-table');
    return {
      header: [...t.tHead.rows[0].cells].map((c) => c.textContent),
      rows: t.tBodies[0].rows.length,
      name: t.tBodies[0].rows[3].cells[0].textContent,
      accents: t.tBodies[0].rows[5].cells[0].textContent,
      status: document.getElementById('schedule-status').textContent,
    };
  });
  check('the table shows the answer\'s first rows', {
    header: ['name', 'Diagram', 'options', 'row', 'verdict', 'heading', 'result', 'note', 'error'],
    rows: 100, name: 'two\nlines', accents: 'accents \u00e0\u00e9\u00ff',
  }, { header: table.header, rows: table.rows, name: table.name, accents: table.accents });
  check('the status counts the rows and those not checked', true,
    /^schedule\.csv: 240 rows checked in [0-9.]+ s, 40 of them not checked \(see their error column\); the table shows the first 100\.$/.test(table.status));

  // Dropped on the page, the same file gives the same answer.
  await open(page, `${origin}/index.html?drop`);
  await page.evaluate((data) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([Uint8Array.from(data)], 'dropped.csv', { type: 'text/csv' }));
    document.getElementById('schedule-drop').dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, [...bytes]);
  await page.waitForSelector('html[data-schedule-done]', { state: 'attached' });
  const [again] = await Promise.all([page.waitForEvent('download'), page.click('#schedule-download')]);
  await again.saveAs(saved);
  check('a dropped schedule gives the same bytes', digest(reference), digest(fs.readFileSync(saved)));

  // A file that is no schedule: the reason, and nothing to download.
  const bad = path.join(scratch, 'bad.csv');
  fs.writeFileSync(bad, 'number,opts\n652,1\n');
  const nativeBad = nativeRun('--csv', 'number,opts\n652,1\n');
  await open(page, `${origin}/index.html?bad`);
  await page.setInputFiles('#schedule-file', bad);
  await page.waitForFunction(() => /cannot be checked/.test(document.getElementById('schedule-status').textContent));
  check('a file without the columns is refused with brantle-rules\' reason', [2,
    `The schedule bad.csv cannot be checked: ${nativeBad.stderr.replace(/^brantle-rules: --csv: /, '').trim()}.`, true],
  [nativeBad.status, await page.textContent('#schedule-status'), await page.locator('#schedule-download').isHidden()]);
}

// A schedule checked while a case is shown: the dialog keeps its own state,
// so changing an option afterwards gives what --batch gives for the case
// without any schedule. Each option is then unticked and ticked again.
async function testScheduleBetweenClicks(page, origin, scratch) {
  const schedules = {
    one: 'diagram,options\n652,0\n',
    mixed: 'diagram,options\r\n652,0\r\n610,&H801\r\n,1\r\n954.1,8\r\n8123,-1\r\n1234,abc\r\n',
  };
  const cases = [
    { start: '610', options: 0, events: [{ click: 0 }], change: 0, schedule: 'one' },
    { start: '610', options: 0, events: [{ click: 0 }], change: 0, schedule: 'mixed' },
    { start: '652', options: 1, events: [{ click: 11 }], change: 11, schedule: 'one' },
    { start: '652', options: 2049, events: [], change: 4, schedule: 'mixed' },
    { start: '631', options: 0, events: [{ click: 3 }], change: 9, schedule: 'one' },
    { start: '1234', options: 0, events: [], change: 0, schedule: 'mixed' },
    { start: '', options: 2049, events: [{ none: true }, { click: 4 }], change: 0, schedule: 'one' },
    { start: '954.1', options: 8, events: [], change: 10, schedule: 'mixed' },
    { start: '10000', options: 1, events: [{ click: 9 }], change: 0, schedule: 'one' },
  ];
  for (const [name, text] of Object.entries(schedules)) fs.writeFileSync(path.join(scratch, `${name}.csv`), text);
  const changed = cases.map((c) => ({ ...c, events: c.events.concat([{ click: c.change }, { click: c.change }]) }));
  const expected = batch(changed.map((c) => batchLine(c).line));
  const wrong = [];
  let repro;
  for (let i = 0; i < cases.length; ++i) {
    const c = cases[i];
    await open(page, `${origin}/index.html?between=${i}${fragmentOf(c.start, String(c.options), false)}`);
    await play(page, c);
    await page.setInputFiles('#schedule-file', path.join(scratch, `${c.schedule}.csv`));
    await page.waitForSelector('html[data-schedule-done]', { state: 'attached' });
    await play(page, { events: [{ click: c.change }, { click: c.change }] });
    const seen = (await readState(page)).state;
    if (i === 0) repro = seen.result;
    if (JSON.stringify(seen) !== JSON.stringify(expectedState(expected[i]))) {
      wrong.push({ line: batchLine(changed[i]).line, schedule: c.schedule, expected: expectedState(expected[i]), seen });
    }
  }
  check(`${cases.length} cases with a schedule checked before an option is changed: what --batch gives without it`,
    [], wrong);
  check('610 within 50m of a lamp column, a schedule checked, the lamp column unticked and ticked again',
    'internal or external lighting', repro);
}

// Wide and large schedules, written here: a header of n columns, the first
// two "diagram" and "options", and the rows given.
function wideSchedule(file, columns, rows) {
  let header = 'diagram,options';
  for (let i = 2; i < columns; ++i) header += ',c' + i;
  fs.writeFileSync(file, header + '\n' + rows);
}

// A schedule of `rows` rows from the rule table's patterns, as a table
// of signs holds them.
function longSchedule(file, rows) {
  const patterns = rulePatterns();
  const lines = ['name,diagram,options\r\n'];
  for (let i = 0; i < rows; ++i) lines.push(`sign ${i},${patterns[i % patterns.length].replace(/x/g, '1').replace('*', '')},${i % 4}\r\n`);
  fs.writeFileSync(file, lines.join(''));
}

async function testScheduleBounds(context, origin, scratch) {
  const page = await context.newPage();
  let workers = 0;
  page.on('worker', () => ++workers);
  await open(page, `${origin}/index.html?bounds`);

  // Refused at the header, natively and in the page alike: a 1.1 MB file of
  // 1,048,558 columns, and one of 200 KB, 200,002 columns and 3 rows.
  const commas = path.join(scratch, 'commas.csv');
  fs.writeFileSync(commas, 'diagram,options' + ','.repeat(1048556) + '\n' + '1\n'.repeat(30000));
  const columns = path.join(scratch, 'columns.csv');
  fs.writeFileSync(columns, 'diagram,options' + ','.repeat(200000) + '\n652,1\n501,0\n1\n');
  for (const file of [commas, columns]) {
    const reference = nativeCsv(file);
    const seen = await pickSchedule(page, file, scratch);
    const name = path.basename(file);
    check(`${name}: refused with brantle-rules' reason, exit code 2 there, and nothing offered`,
      [2, `The schedule ${name} cannot be checked: ${reference.stderr.replace(/^brantle-rules: --csv: /, '')}.`, false],
      [reference.status, seen.status, seen.offered]);
    console.log(`(${name}: the longest task of the page meanwhile ${seen.longestTask.toFixed(0)} ms)`);
  }

  // 16,384 columns are answered; the table shows 20 of them, one cell for
  // the rest and the six added columns.
  const wide = path.join(scratch, 'wide.csv');
  wideSchedule(wide, 16384, '652,1\n501,0\n1\n');
  const wideSeen = await pickSchedule(page, wide, scratch);
  check('16384 columns: the answer brantle-rules --csv gives', digest(nativeCsv(wide).stdout), digest(wideSeen.answer || Buffer.alloc(0)));
  check('16384 columns: the table shows the first 20, one cell for the others and the six added', [
    27, 'diagram', 'c19', '\u2026', '16364 more columns', ['row', 'verdict', 'heading', 'result', 'note', 'error'], 3,
  ], [wideSeen.header.length, wideSeen.header[0], wideSeen.header[19], wideSeen.header[20], wideSeen.gap, wideSeen.header.slice(21), wideSeen.rows]);
  check('16384 columns: the status says what the table leaves out', true,
    /^wide\.csv: 3 rows checked in [0-9.]+ s, 1 of them not checked \(see their error column\); the table leaves out 16364 of the columns\.$/.test(wideSeen.status));

  // An answer that would pass 256 MiB: refused at the row that would take
  // it there, and nothing offered. Meanwhile a key still changes the answer
  // on the page.
  const rowAnswer = 1 + 16383 + 6 + '1 field where the header has 16384'.length + 2;
  const headerAnswer = fs.statSync(wide).size - '652,1\n501,0\n1\n'.length - 1 + ',row,verdict,heading,result,note,error\r\n'.length;
  const within = Math.floor((256 * 1048576 - headerAnswer) / rowAnswer);
  const huge = path.join(scratch, 'huge.csv');
  wideSchedule(huge, 16384, '1\n'.repeat(within + 100));
  const before = workers;
  const pick = pickSchedule(page, huge, scratch);
  await page.focus('#diagram');
  await page.fill('#diagram', '');
  await page.keyboard.type('606');
  const typed = batch(['0\t\ttype=6\ttype=60\ttype=606'])[0].result;
  await page.waitForFunction((result) => document.getElementById('result').textContent === result, typed);
  const keyDuringCheck = await page.evaluate(() => !document.documentElement.hasAttribute('data-schedule-done'));
  const hugeSeen = await pick;
  check('an answer past 256 MiB: refused at the row that would take it there, nothing offered', [
    `The schedule huge.csv cannot be checked: row ${within + 2} of the file (the header is row 1) would take the answer past 256 MiB ` +
      '(brantle-rules --csv checks a schedule of any size).', false,
  ], [hugeSeen.status, hugeSeen.offered]);
  check('the check ran in a worker of its own', 1, workers - before);
  check(`no task of the page took ${LONGEST_TASK_ALLOWED} ms or more meanwhile`, true, hugeSeen.longestTask < LONGEST_TASK_ALLOWED);
  console.log(`(huge.csv: the longest task of the page meanwhile ${hugeSeen.longestTask.toFixed(0)} ms; ` +
    `a key typed ${keyDuringCheck ? 'while the check ran' : 'after the check had ended'} changed the answer)`);

  // Two files one right after the other: the first check ends, and the
  // second file is answered alone, picked or dropped.
  const first = path.join(scratch, 'first.csv');
  longSchedule(first, 400000);
  const second = path.join(scratch, 'second.csv');
  fs.writeFileSync(second, 'diagram,options,ref\n652,1,a\n501,0,b\n');
  const secondAnswer = nativeCsv(second).stdout;
  for (const how of ['picked', 'dropped']) {
    await open(page, `${origin}/index.html?two=${how}`);
    await page.setInputFiles('#schedule-file', first);
    if (how === 'picked') {
      await page.setInputFiles('#schedule-file', second);
    } else {
      await page.evaluate((data) => {
        const transfer = new DataTransfer();
        transfer.items.add(new File([data], 'second.csv', { type: 'text/csv' }));
        document.getElementById('schedule-drop').dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
      }, fs.readFileSync(second, 'latin1'));
    }
    await page.waitForFunction(() => /second\.csv: \d+ rows? checked/.test(document.getElementById('schedule-status').textContent),
      null, { timeout: 300000 });
    const seen = await readSchedule(page, scratch);
    check(`a second file ${how} during a check: the first check's end is told, the second answered alone`, [true, 2, digest(secondAnswer)],
      [/^The check of first\.csv was cancelled\. second\.csv: 2 rows checked in [0-9.]+ s\.$/.test(seen.status), seen.rows,
        digest(seen.answer || Buffer.alloc(0))]);
  }
  await page.close();
}

// Where no worker can start, the page checks in slices of its own: the
// same answers, no long task, and a second file ends the first check.
async function testScheduleWithoutWorker(context, origin, scratch) {
  const page = await context.newPage();
  await page.addInitScript(() => {
    delete window.Worker;
  });
  await open(page, `${origin}/index.html?no-worker`);
  const padded = path.join(scratch, 'padded.csv');
  wideSchedule(padded, 16384, '652,1\n' + '1\n'.repeat(3000));
  const small = path.join(scratch, 'small.csv');
  fs.writeFileSync(small, scheduleFile(240));
  for (const file of [small, padded]) {
    const seen = await pickSchedule(page, file, scratch);
    const name = path.basename(file);
    check(`without a worker, ${name}: the answer brantle-rules --csv gives`, digest(nativeCsv(file).stdout),
      digest(seen.answer || Buffer.alloc(0)));
    check(`without a worker, ${name}: no task of the page took ${LONGEST_TASK_ALLOWED} ms or more`, true,
      seen.longestTask < LONGEST_TASK_ALLOWED);
    console.log(`(without a worker, ${name}: the longest task ${seen.longestTask.toFixed(0)} ms)`);
  }
  const first = path.join(scratch, 'first.csv');
  await page.setInputFiles('#schedule-file', first);
  await page.setInputFiles('#schedule-file', small);
  await page.waitForFunction(() => /small\.csv: \d+ rows checked/.test(document.getElementById('schedule-status').textContent),
    null, { timeout: 300000 });
  const seen = await readSchedule(page, scratch);
  check('without a worker, a second file ends the first check and is answered alone',
    [true, digest(nativeCsv(small).stdout)],
    [/^The check of first\.csv was cancelled\. small\.csv: 240 rows checked in /.test(seen.status), digest(seen.answer || Buffer.alloc(0))]);
  await page.close();
}

runPageTests('page_schedule_test.js', {}, async ({ browser, server, scratch }) => {
  const guarded = await guardedContext(browser, server);
  await testSchedule(guarded.page, server.origin, scratch);
  await testScheduleBetweenClicks(guarded.page, server.origin, scratch);
  await testScheduleBounds(guarded.context, server.origin, scratch);
  await testScheduleWithoutWorker(guarded.context, server.origin, scratch);
  checkOwnFilesOnly(server, guarded);
});
