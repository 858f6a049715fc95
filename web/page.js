// The page: shows the dialog's controls as the rules engine sets them after
// every keystroke and click, keeps the address's fragment in step with
// them, and checks schedules. Every caption, state and answer comes from the
// engine; this script only carries them between the engine and the page.
//
// Put in front of the engine's own loader, which runs Module.postRun once
// the engine's main() has loaded the rule table.

var Module = {
  postRun: [
    function () {
      Page.start();
    },
  ],
};

var Page = (function () {
  // Texts cross as the engine's 8-bit code page, Windows-1252.
  var decoder = new TextDecoder('windows-1252');
  var toByte = new Map();
  for (var b = 0; b < 256; ++b) toByte.set(decoder.decode(new Uint8Array([b])), b);
  var UNMAPPED = 0x3f; // "?", as the system writes a character that its code page lacks

  var TICKED = 1;
  var ENABLED = 2;
  var SHOWN = 4;

  var elements = []; // {name, node, kind, label, state, text}, in the dialog's order
  var byName = {};
  var shownFragment = null; // the fragment the page last wrote or read

  function bytesOf(text) {
    var bytes = new Uint8Array(text.length);
    var n = 0;
    for (var ch of text) {
      var byte = toByte.get(ch);
      bytes[n++] = byte === undefined ? UNMAPPED : byte;
    }
    return bytes.subarray(0, n);
  }

  // Puts bytes into the engine's buffer; returns their length.
  function put(bytes) {
    var at = _brantle_buffer(bytes.length);
    HEAPU8.set(bytes, at);
    return bytes.length;
  }

  function takeBytes() {
    var at = _brantle_text();
    return HEAPU8.subarray(at, at + _brantle_text_length());
  }

  function takeText() {
    return decoder.decode(takeBytes());
  }

  function labelFor(node) {
    return document.querySelector('label[for="' + node.id + '"]');
  }

  // The answer's lines (heading, result word, note) are shown in one step:
  // a copy of them with the new texts takes the place of the old, so that
  // the live region around them announces a new verdict once and whole,
  // and a keystroke that leaves the verdict as it was announces nothing.
  function showLines(lines) {
    var same = lines.every(function (e) {
      return e.node.hidden === !e.shown && e.node.textContent === e.text;
    });
    if (same) return;
    var old = lines[0].node.parentNode;
    var fresh = old.cloneNode(true);
    lines.forEach(function (e) {
      e.node = fresh.querySelector('#' + e.name);
      e.node.hidden = !e.shown;
      e.node.textContent = e.text;
    });
    old.replaceWith(fresh);
  }

  // Copies every control's state and text from the engine where it changed.
  function render() {
    // A radio group holds one tick. Where the engine keeps several
    // mountings ticked (an option set from a link may hold several mounting
    // bits, as /Q may), the buttons leave their group, so that each shows
    // its own tick, and join it again once at most one is ticked.
    var radios = elements.filter(function (e) {
      return e.node.type === 'radio';
    });
    var several = radios.filter(function (e) {
      return (_brantle_element_state(e.index) & TICKED) !== 0;
    }).length > 1;
    if (several) radios.forEach(function (e) {
      e.node.name = '';
    });
    var lines = [];
    for (var i = 0; i < elements.length; ++i) {
      var e = elements[i];
      var state = _brantle_element_state(i);
      _brantle_element_text(i);
      var text = takeText();
      if (e.kind === 'option') {
        e.node.checked = (state & TICKED) !== 0;
        e.node.disabled = (state & ENABLED) === 0;
        e.row.hidden = (state & SHOWN) === 0;
        if (e.text !== text) e.label.textContent = text;
      } else if (e.kind === 'line') {
        e.shown = (state & SHOWN) !== 0;
        lines.push(e);
      } else {
        if (e.kind === 'none') e.node.checked = (state & TICKED) !== 0;
        e.node.disabled = (state & ENABLED) === 0;
      }
      e.text = text;
    }
    if (!several) radios.forEach(function (e) {
      e.node.name = 'mounting';
    });
    showLines(lines);
  }

  function writeFragment() {
    var none = byName.none.node.checked;
    var fragment =
      '#d=' + encodeURIComponent(byName.diagram.node.value) + '&q=' + _brantle_option_set() + (none ? '&none=1' : '');
    shownFragment = fragment;
    if (location.hash !== fragment) history.replaceState(null, '', fragment);
  }

  // d (the diagram, percent-encoded), q (the option set, as /Q writes it)
  // and none=1; anything else is passed over.
  function readFragment(fragment) {
    var wanted = { d: '', q: '', none: false };
    fragment.replace(/^#/, '').split('&').forEach(function (part) {
      var eq = part.indexOf('=');
      var key = eq < 0 ? part : part.slice(0, eq);
      var value = eq < 0 ? '' : part.slice(eq + 1);
      try {
        value = decodeURIComponent(value);
      } catch (e) {
        // Not percent-encoding after all: taken as it stands.
      }
      if (key === 'd') wanted.d = value;
      else if (key === 'q') wanted.q = value;
      else if (key === 'none') wanted.none = value === '1';
    });
    return wanted;
  }

  // A fresh showing for the fragment, as the program starts with DIAGRAM /Q N.
  function showFragment() {
    var wanted = readFragment(location.hash);
    var options = _brantle_read_options(put(bytesOf(wanted.q)));
    _brantle_show(put(bytesOf(wanted.d)), options);
    byName.diagram.node.value = wanted.d;
    if (wanted.none) _brantle_click(byName.none.index);
    render();
    writeFragment();
  }

  function onType() {
    _brantle_type(put(bytesOf(byName.diagram.node.value)));
    render();
    writeFragment();
  }

  // The browser has already ticked the box; the engine decides what stays
  // ticked, and render() shows that.
  function onClick() {
    _brantle_click(this.index);
    render();
    writeFragment();
  }

  // Arrow keys move through the mounting buttons, as in the dialog: to the
  // next one that is enabled, clicking it. The browser's own handling of a
  // radio group does the same; this also covers the buttons while they are
  // out of their group (several ticked).
  function onMountingKey(event) {
    var step = { ArrowDown: 1, ArrowRight: 1, ArrowUp: -1, ArrowLeft: -1 }[event.key];
    if (!step) return;
    event.preventDefault();
    var group = elements.filter(function (e) {
      return e.node.type === 'radio';
    });
    var at = group.indexOf(byName[this.id]);
    for (var k = 1; k < group.length; ++k) {
      var next = group[(at + step * k + group.length * k) % group.length];
      if (!next.node.disabled) {
        next.node.focus();
        next.node.click();
        return;
      }
    }
  }

  function start() {
    _brantle_dialog_caption();
    document.getElementById('caption').textContent = takeText();
    document.querySelectorAll('[data-dialog-label]').forEach(function (node) {
      _brantle_dialog_label(Number(node.getAttribute('data-dialog-label')));
      node.textContent = takeText();
    });
    for (var i = 0; i < _brantle_element_count(); ++i) {
      var name = UTF8ToString(_brantle_element_name(i));
      var node = document.getElementById(name);
      var e = { index: i, name: name, node: node, text: null };
      if (node.type === 'checkbox' || node.type === 'radio') {
        e.kind = name === 'none' ? 'none' : 'option';
        e.label = labelFor(node);
        e.row = node.parentNode;
        node.index = i;
        node.addEventListener('click', onClick);
        if (node.type === 'radio') node.addEventListener('keydown', onMountingKey);
      } else if (node.tagName === 'INPUT') {
        e.kind = 'box';
        node.addEventListener('input', onType);
      } else {
        e.kind = 'line';
      }
      elements.push(e);
      byName[name] = e;
    }
    // The "none" box's caption, once: no rule changes it.
    _brantle_element_text(byName.none.index);
    labelFor(byName.none.node).textContent = takeText();

    window.addEventListener('hashchange', function () {
      if (location.hash !== shownFragment) showFragment();
    });
    if (location.hash.length > 1) {
      showFragment();
    } else {
      render();
    }
    Schedule.start();
    document.documentElement.setAttribute('data-ready', '');
    if (window.performance && performance.mark) performance.mark('brantle-first-verdict');
  }

  return { start: start, decoder: decoder };
})();

// "Check a schedule": each file is checked in a worker of its own, so that
// the page answers every key and click meanwhile; the worker's script
// travels inside this one (ScheduleWorkerSource), so that the page works
// from file:// too. Where no worker can start, the page checks the file
// itself, in slices short enough to keep it responsive. A file picked or
// dropped during a check ends that check.
var Schedule = (function () {
  var SLICE_MS = 8;
  var workerAddress = null; // one object address for the worker's script
  var current = null; // the check under way: {name, cancel}
  var download = null; // the object address of the last answer

  // The status line is a live region, so that screen readers announce
  // progress, the answer and errors; an error is also marked as one.
  function status(text, failed) {
    var line = document.getElementById('schedule-status');
    line.textContent = text;
    line.classList.toggle('failed', !!failed);
    var input = document.getElementById('schedule-file');
    if (failed) input.setAttribute('aria-invalid', 'true');
    else input.removeAttribute('aria-invalid');
  }

  function showTable(result) {
    var table = document.getElementById('schedule-table');
    table.textContent = '';
    // A file that starts with the UTF-8 mark is shown as UTF-8, any other as
    // the engine's own code page.
    var decoder = result.utf8 ? new TextDecoder('utf-8') : Page.decoder;
    var records = result.preview;
    var gapAt = records.length > 0 ? records[0].length - 6 : 0;
    for (var r = 0; r < records.length; ++r) {
      var tr = document.createElement('tr');
      for (var f = 0; f < records[r].length; ++f) {
        if (f === gapAt && result.columnsLeftOut > 0) {
          // The schedule's columns that the table leaves out, as one cell.
          var gap = document.createElement(r === 0 ? 'th' : 'td');
          gap.textContent = '\u2026';
          gap.title = result.columnsLeftOut + ' more columns';
          if (r === 0) {
            gap.scope = 'col';
            gap.setAttribute('aria-label', gap.title);
          }
          tr.appendChild(gap);
        }
        var cell = document.createElement(r === 0 ? 'th' : 'td');
        if (r === 0) cell.scope = 'col';
        cell.textContent = decoder.decode(records[r][f]);
        tr.appendChild(cell);
      }
      (r === 0 ? table.createTHead() : table.tBodies[0] || table.createTBody()).appendChild(tr);
    }
  }

  // A worker of its own for one check, or null where none can start.
  function startWorker() {
    if (typeof Worker === 'undefined' || typeof ScheduleWorkerSource === 'undefined') return null;
    try {
      if (!workerAddress) {
        workerAddress = URL.createObjectURL(new Blob([ScheduleWorkerSource], { type: 'text/javascript' }));
      }
      return new Worker(workerAddress);
    } catch (error) {
      return null;
    }
  }

  // Between the steps of a check in the page: a pause for the page's own
  // work every few milliseconds.
  function slices() {
    var sliceStart = performance.now();
    return function () {
      if (performance.now() - sliceStart < SLICE_MS) return null;
      return new Promise(function (resume) {
        setTimeout(function () {
          sliceStart = performance.now();
          resume();
        }, 0);
      });
    };
  }

  // The next check in the page ends this one, at its next pause.
  function checkInPage(file, check, done) {
    check.cancel = function () {};
    ScheduleRun.run(file, slices()).then(done, function (error) {
      done({ stopped: ScheduleRun.messageOf(error) });
    });
  }

  function checkInWorker(worker, file, check, done) {
    var started = false;
    check.cancel = function () {
      worker.terminate();
    };
    worker.onmessage = function (event) {
      if (event.data.ready) {
        started = true;
        return;
      }
      worker.terminate();
      done(event.data);
    };
    worker.onerror = function (event) {
      event.preventDefault();
      worker.terminate();
      // A worker that could not start at all: the page checks the file itself.
      if (!started) checkInPage(file, check, done);
      else done({ stopped: event.message || 'the worker stopped' });
    };
    worker.postMessage({ file: file });
  }

  function check(file) {
    var cancelled = current ? 'The check of ' + current.name + ' was cancelled. ' : '';
    if (current) current.cancel();
    var link = document.getElementById('schedule-download');
    link.hidden = true;
    if (download) URL.revokeObjectURL(download);
    download = null;
    document.getElementById('schedule-table').textContent = '';
    status(cancelled + 'Checking ' + file.name + '\u2026');
    var started = performance.now();
    var thisCheck = { name: file.name };
    current = thisCheck;
    function done(result) {
      if (current !== thisCheck) return;
      current = null;
      show(file, result, cancelled, ((performance.now() - started) / 1000).toFixed(2));
    }
    var worker = startWorker();
    if (worker) checkInWorker(worker, file, thisCheck, done);
    else checkInPage(file, thisCheck, done);
  }

  function show(file, result, cancelled, seconds) {
    var link = document.getElementById('schedule-download');
    document.documentElement.setAttribute('data-schedule-done', String(Date.now()));
    if (result.error !== undefined) {
      status(cancelled + 'The file ' + file.name + ' could not be read: ' + result.error, true);
      return;
    }
    if (result.stopped !== undefined) {
      status(cancelled + 'The schedule ' + file.name + ' could not be checked: ' + result.stopped, true);
      return;
    }
    showTable(result);
    var rows = result.rows;
    var shownRows = Math.max(result.preview.length - 1, 0);
    if (result.failure !== null) {
      status(cancelled + 'The schedule ' + file.name + ' cannot be checked: ' + result.failure +
        (result.tooLarge ? ' (brantle-rules --csv checks a schedule of any size)' :
          rows > 0 ? ' (the ' + rows + ' rows before that were checked)' : '') + '.', true);
    } else {
      var table = [];
      if (shownRows < rows) table.push('shows the first ' + shownRows);
      if (result.columnsLeftOut > 0) table.push('leaves out ' + result.columnsLeftOut + ' of the columns');
      status(cancelled + file.name + ': ' + rows + (rows === 1 ? ' row' : ' rows') + ' checked in ' + seconds + ' s' +
        (result.errors > 0 ? ', ' + result.errors + ' of them not checked (see their error column)' : '') +
        (table.length > 0 ? '; the table ' + table.join(' and ') : '') + '.');
    }
    if (result.answer) {
      download = URL.createObjectURL(result.answer);
      link.href = download;
      link.download = file.name.replace(/(\.csv)?$/i, '-checked.csv');
      link.hidden = false;
    }
  }

  function start() {
    var input = document.getElementById('schedule-file');
    input.addEventListener('change', function () {
      if (input.files.length > 0) check(input.files[0]);
    });
    var drop = document.getElementById('schedule-drop');
    drop.addEventListener('dragover', function (event) {
      event.preventDefault();
      drop.classList.add('over');
    });
    drop.addEventListener('dragleave', function () {
      drop.classList.remove('over');
    });
    drop.addEventListener('drop', function (event) {
      event.preventDefault();
      drop.classList.remove('over');
      if (event.dataTransfer.files.length > 0) check(event.dataTransfer.files[0]);
    });
  }

  return { start: start };
})();
