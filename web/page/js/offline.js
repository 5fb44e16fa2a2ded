// The service worker (sw.js) keeps this build's files for play with no network. A newer
// build, once it is cached, is offered on the page and taken only when the player reloads,
// never under a running game. Without service workers (an insecure origin, a private
// window) the page simply loads from the network.
import { $ } from "./page.js";

let reloading = false;

function offer(worker) {
  $("update").hidden = false;
  $("reload").onclick = () => {
    // Another tab may have let the new build in already: it is active, and this page
    // only has to load again under it.
    if (worker.state !== "installed") {
      location.reload();
      return;
    }
    reloading = true;
    worker.postMessage("take-over");
  };
}

// Settles once the worker has this page in its hands, so that what the page fetches from
// then on is kept too; at once where there is no worker, and after a while when it cannot
// take the page (no room for the copy).
export function registerWorker() {
  if (!("serviceWorker" in navigator) || !window.isSecureContext) return Promise.resolve();
  const controlled = new Promise((resolve) => {
    if (navigator.serviceWorker.controller) resolve();
    navigator.serviceWorker.addEventListener("controllerchange", resolve);
    setTimeout(resolve, 10000);
  });
  navigator.serviceWorker.addEventListener("controllerchange", () => {
    if (reloading) location.reload();
  });
  navigator.serviceWorker.register("sw.js").then((reg) => {
    // Only a worker that replaces one is news; the first one just fills its cache.
    const waiting = () => {
      if (reg.waiting && navigator.serviceWorker.controller) offer(reg.waiting);
    };
    waiting();
    reg.addEventListener("updatefound", () => {
      const w = reg.installing;
      if (w) w.addEventListener("statechange", () => { if (w.state === "installed") waiting(); });
    });
  }, (e) => console.warn("No offline play: " + e.message));
  return controlled;
}
