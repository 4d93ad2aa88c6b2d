// The service worker: at its installation it caches every file of the
// page, so after the first visit the page opens and works offline. The
// version is a hash of the build (scripts/build-web writes it here); a new
// build installs a new worker, which takes over and drops the old cache.

const VERSION = "__VERSION__";
const CACHE = `vk47-${VERSION}`;
const FILES = [/*__FILES__*/];

self.addEventListener("install", (event) => {
  event.waitUntil(
    caches.open(CACHE)
      .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: "reload" }))))
      .then(() => self.skipWaiting()),
  );
});

self.addEventListener("activate", (event) => {
  event.waitUntil(
    caches.keys()
      .then((names) => Promise.all(names.filter((n) => n.startsWith("vk47-") && n !== CACHE).map((n) => caches.delete(n))))
      .then(() => self.clients.claim()),
  );
});

// The page's own files come from the cache (the address's query, such as
// ?kana=1, does not matter); anything else goes to the network.
self.addEventListener("fetch", (event) => {
  const request = event.request;
  if (request.method !== "GET" || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    const page = request.mode === "navigate" && new URL(request.url).pathname.endsWith("/");
    const cached = await cache.match(page ? "./" : request, { ignoreSearch: true });
    if (cached) return cached;
    return fetch(request);
  })());
});
