// The page's service worker: keeps every file of the page, the engine
// included, so that the page opens and answers without a network once it
// has been opened, and takes a new version only whole.
//
// The build writes FILES: each file of the page's folder with its SHA-256.
// A change to any file is a change to this script, which is how browsers
// notice a new version: they fetch it again on every visit and install the
// new one in the background. It keeps the new files only when each has the
// hash it names, so a folder caught half-copied on the server is not taken;
// it waits until the pages of the old version are closed, or one of them
// asks it to take over, so a page never mixes files of two versions.
'use strict';

const FILES = @PAGE_FILES@;
const SCOPE = new URL('./', self.location).href;
const PREFIX = 'brantle-page ' + SCOPE + ' ';
const CACHE = PREFIX + '@PAGE_VERSION@';

function hex(digest) {
  return Array.from(new Uint8Array(digest), (b) => b.toString(16).padStart(2, '0')).join('');
}

// A file as the server has it now, checked against its hash.
async function fetchChecked(name) {
  const response = await fetch(new Request(name, { cache: 'no-cache' }));
  if (!response.ok) throw new Error(`${name}: the server answered ${response.status}`);
  const bytes = await response.arrayBuffer();
  if (hex(await crypto.subtle.digest('SHA-256', bytes)) !== FILES[name]) {
    throw new Error(`${name}: not the file of this version (changed on the server, or still being copied)`);
  }
  // Kept as a response of its own, with the server's headers but those of
  // the transfer: a redirected response (a host that sends index.html to
  // the folder's address) cannot answer a navigation, and the bytes are
  // already decoded.
  const headers = new Headers(response.headers);
  headers.delete('Content-Encoding');
  headers.delete('Content-Length');
  return new Response(bytes, { status: 200, headers });
}

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const responses = await Promise.all(Object.keys(FILES).map(async (name) => [name, await fetchChecked(name)]));
    const cache = await caches.open(CACHE);
    await Promise.all(responses.map(([name, response]) => cache.put(name, response)));
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith(PREFIX) && name !== CACHE) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

self.addEventListener('message', (event) => {
  if (event.data === 'take-over') self.skipWaiting();
});

// The page's own files come from the cache, whatever the address's query
// and fragment; the folder's own address is its index.html. Anything else
// goes to the network as if this worker were not there.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || !request.url.startsWith(SCOPE)) return;
  let name = new URL(request.url).pathname.slice(new URL(SCOPE).pathname.length);
  if (name === '' && request.mode === 'navigate') name = 'index.html';
  if (!Object.prototype.hasOwnProperty.call(FILES, name)) return;
  event.respondWith((async () => {
    const kept = await caches.match(name, { cacheName: CACHE });
    return kept || fetch(request);
  })());
});
