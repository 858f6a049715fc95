// Offline use. Where the browser allows a service worker (a page served over
// https, or from this machine), service-worker.js keeps the page's files,
// the engine included, so that the page opens and answers without a network
// once it has been opened. A new version on the server is fetched in the
// background and offered here; it is taken when the user asks, or else the
// next time the page is opened. Opened from file://, nothing is registered
// and the page works from its folder as it always does.
//
// Put in front of the engine's loader with page.js; it needs nothing from
// either.

(function () {
  if (!('serviceWorker' in navigator) || !/^https?:$/.test(location.protocol)) return;
  var container = navigator.serviceWorker;
  var hadController = !!container.controller;
  var asked = false; // this page asked the new version to take over

  // One notice, with one button; a second offer while one shows is the same.
  function offer(action) {
    var notice = document.getElementById('update-notice');
    if (!notice || notice.firstChild) return;
    var line = document.createElement('p');
    line.textContent = 'A new version of this page is ready. ';
    var button = document.createElement('button');
    button.type = 'button';
    button.textContent = 'Use it now';
    button.addEventListener('click', action);
    line.appendChild(button);
    notice.appendChild(line);
  }

  function offerWaiting(worker) {
    offer(function () {
      asked = true;
      worker.postMessage('take-over');
    });
  }

  // A new version in control: this page reloads when it asked for it; a
  // page that did not (another tab) offers to, since its own script is
  // still the old one. The first worker taking control is no new version.
  container.addEventListener('controllerchange', function () {
    if (asked) {
      location.reload();
    } else if (hadController) {
      offer(function () {
        location.reload();
      });
    }
    hadController = true;
  });

  window.addEventListener('load', function () {
    container.register('service-worker.js').then(
      function (registration) {
        if (!registration) return; // a browser that has service workers turned off
        if (registration.waiting && container.controller) offerWaiting(registration.waiting);
        registration.addEventListener('updatefound', function () {
          var worker = registration.installing;
          worker.addEventListener('statechange', function () {
            if (worker.state === 'installed' && container.controller) offerWaiting(worker);
          });
        });
      },
      function (error) {
        // The page goes on working online; only keeping it offline failed.
        console.warn('This page cannot be kept for offline use: ' + error.message);
      });
  });
})();
