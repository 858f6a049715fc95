// The page's schedule worker: checks the files that the page posts to it,
// {file: File}, one after another, and posts back what ScheduleRun.run
// resolves with (the answer as a Blob, which crosses without a copy), or
// {stopped: message} when the engine failed. It posts {ready: true} once
// its engine has started. The page ends a check that it no longer wants by
// ending the worker.
//
// Put in front of the engine's own loader, after schedule_run.js.

var Module = {
  onRuntimeInitialized: function () {
    started = true;
    postMessage({ ready: true });
    next();
  },
};

var started = false;
var waiting = []; // files posted before the engine started, or during a check
var checking = false;

function next() {
  if (!started || checking || waiting.length === 0) return;
  checking = true;
  ScheduleRun.run(waiting.shift())
    .then(null, function (error) {
      return { stopped: ScheduleRun.messageOf(error) };
    })
    .then(function (result) {
      postMessage(result);
      checking = false;
      next();
    });
}

onmessage = function (event) {
  waiting.push(event.data.file);
  next();
};
