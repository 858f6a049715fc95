// One check of a schedule file with the engine of the module that this is
// part of: the page's worker runs it, and the page itself where no worker
// can start. The file is read piece by piece into the engine, and the answer
// that the engine makes is taken in parts, as blobs, which the browser keeps
// outside this script's heap.
//
// Put in front of the engine's own loader, with the page's or the worker's
// script.

var ScheduleRun = (function () {
  // The largest answer that a check makes; a schedule whose answer would
  // pass it is refused at the row that would take it there.
  var ANSWER_LIMIT = 256 * 1024 * 1024;
  var PIECE = 1 << 16;
  // The answer is taken from the engine in parts of about this size, each
  // a Blob made straight from the engine's memory.
  var PART_BYTES = 1 << 20;
  var decoder = new TextDecoder('windows-1252');

  function messageOf(error) {
    return error && error.message ? error.message : String(error);
  }

  function engineText() {
    var at = _brantle_schedule_text();
    return HEAPU8.slice(at, at + _brantle_schedule_text_length());
  }

  // The first records of the answer, each a list of fields' bytes; a blank
  // line has none.
  function preview() {
    var records = [];
    for (var r = 0; r < _brantle_preview_records(); ++r) {
      var fields = [];
      for (var f = 0; f < _brantle_preview_fields(r); ++f) {
        _brantle_preview_field(r, f);
        fields.push(engineText());
      }
      records.push(fields);
    }
    return records;
  }

  var latest = null; // the latest check begun: the engine's

  // Checks `file`. `pause`, when given, is called between steps and may
  // return a promise to wait for (the page yields to its own work there).
  // Resolves with {rows, errors, failure, tooLarge, answer, preview,
  // columnsLeftOut, utf8}, or with {error} when the file could not be read;
  // failure is null and answer a Blob when the check went through. A check
  // begun meanwhile ends this one: it resolves with {cancelled: true}. It
  // rejects when the engine fails.
  async function run(file, pause) {
    var self = {};
    latest = self;
    var parts = [];
    function takeAnswer(all) {
      var length = _brantle_schedule_answer_length();
      if (length === 0 || (length < PART_BYTES && !all)) return;
      var at = _brantle_schedule_answer();
      parts.push(new Blob([HEAPU8.subarray(at, at + length)]));
      _brantle_schedule_answer_taken();
    }

    var failed = false;
    // The file read as far as it can be: its head, then piece by piece.
    var head;
    try {
      head = new Uint8Array(await file.slice(0, 3).arrayBuffer());
    } catch (error) {
      return { error: messageOf(error) };
    }
    if (latest !== self) return { cancelled: true };
    // A file that starts with the UTF-8 mark is shown as UTF-8.
    var utf8 = head.length === 3 && head[0] === 0xef && head[1] === 0xbb && head[2] === 0xbf;
    _brantle_schedule_begin(ANSWER_LIMIT);
    var reader = file.stream().getReader();
    reading: for (;;) {
      var next;
      try {
        next = await reader.read();
      } catch (error) {
        return latest === self ? { error: messageOf(error) } : { cancelled: true };
      }
      // The engine is the latest check's after every wait.
      if (latest !== self) {
        reader.cancel();
        return { cancelled: true };
      }
      if (next.done) break;
      for (var at = 0; at < next.value.length; at += PIECE) {
        var piece = next.value.subarray(at, at + PIECE);
        // (The buffer first: making it may grow the engine's memory.)
        var input = _brantle_schedule_input(piece.length);
        HEAPU8.set(piece, input);
        for (var from = 0; from < piece.length; ) {
          from += _brantle_schedule_feed(from, piece.length);
          takeAnswer(false);
          if (_brantle_schedule_failed()) {
            failed = true;
            reader.cancel();
            break reading;
          }
          if (pause) await pause();
          if (latest !== self) {
            reader.cancel();
            return { cancelled: true };
          }
        }
      }
    }
    if (!failed) {
      failed = !_brantle_schedule_finish();
    }
    var result = {
      rows: _brantle_schedule_rows(),
      errors: _brantle_schedule_errors(),
      failure: null,
      tooLarge: _brantle_schedule_answer_too_large() !== 0,
      answer: null,
      preview: preview(),
      columnsLeftOut: _brantle_schedule_columns_left_out(),
      utf8: utf8,
    };
    if (failed) {
      _brantle_schedule_failure();
      result.failure = decoder.decode(engineText());
    }
    // An answer cut short by its size is not offered; one cut short by a
    // bad row holds the rows before it.
    if (!result.tooLarge && (!failed || result.rows > 0)) {
      takeAnswer(true);
      result.answer = new Blob(parts, { type: 'text/csv' });
    }
    _brantle_schedule_answer_taken();
    parts = null;
    return result;
  }

  return { run: run, messageOf: messageOf };
})();
