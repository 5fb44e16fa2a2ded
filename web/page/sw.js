// The page's service worker: keeps one build's files together in a cache of their own, so
// the game starts and plays with no network, and one build's files are never served with
// another's.
"use strict";

// Written by tools/finish-web: the build (a hash of its files), the SHA-256 of each file
// cached on install, and of each cached when first fetched (the full faces).
const VERSION = "development";
const FILES = {};
const LATER = {};
const CACHE = "quendar-" + VERSION;

const base = new URL("./", self.location).pathname;
const hex = (buf) => Array.from(new Uint8Array(buf), (b) => b.toString(16).padStart(2, "0")).join("");
const digest = async (buf) => hex(await crypto.subtle.digest("SHA-256", buf));

// Fetches a file afresh, only when it is this build's.
async function fetchVerified(path, request) {
  const response = await fetch(request, { cache: "no-cache" });
  const body = await response.clone().arrayBuffer();
  if (!response.ok || await digest(body) !== (FILES[path] || LATER[path]))
    throw new Error(path + ": not the file of build " + VERSION);
  return response;
}

async function keep(cache, path, request) {
  const response = await fetchVerified(path, request);
  await cache.put(path, response.clone());
  return response;
}

self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    try {
      await Promise.all(Object.keys(FILES).map((path) => keep(cache, path, path)));
    } catch (e) {
      await caches.delete(CACHE);  // a build half in is no build: try again next visit
      throw e;
    }
  })());
});

self.addEventListener("activate", (event) => {
  event.waitUntil((async () => {
    // Other builds' caches go, unless another page may still be running one of them.
    const pages = await self.clients.matchAll({ type: "window" });
    if (pages.length <= 1) {
      for (const name of await caches.keys())
        if (name.startsWith("quendar-") && name !== CACHE) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

// The page's "reload" on news of a newer build: this worker takes over, the page reloads.
self.addEventListener("message", (event) => {
  if (event.data === "take-over") self.skipWaiting();
});

async function answer(request, path, build) {
  const name = "quendar-" + build;
  if (!(await caches.has(name))) return fetch(request);
  const cache = await caches.open(name);
  const hit = await cache.match(path);
  if (hit) return hit;
  if (build === VERSION && path in LATER) {
    let response;
    try {
      response = await fetchVerified(path, request);
    } catch (e) {
      return new Response("", { status: 409, statusText: e.message });
    }
    // A full storage keeps the file out of the copy, never from the page: it has it now.
    try {
      await cache.put(path, response.clone());
    } catch (e) {
      console.warn(path + ": not kept for offline play (" + (e.message || e.name) + ")");
    }
    return response;
  }
  return fetch(request);
}

self.addEventListener("fetch", (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== "GET" || url.origin !== self.location.origin ||
      !url.pathname.startsWith(base))
    return;
  let path = decodeURIComponent(url.pathname.slice(base.length));
  if (path === "") path = "index.html";
  // Files fetched after the page loaded name the build the page came from.
  const build = url.searchParams.get("v") || VERSION;
  if (path in FILES || path in LATER) event.respondWith(answer(event.request, path, build));
});
