// Keeps the screen awake while a game runs, where the browser has the Wake Lock API. The
// browser lets the lock go when the page is hidden; it is asked for again on return.
let wanted = false;
let lock = null;

let asking = false;

function acquire() {
  if (!wanted || lock || asking || !("wakeLock" in navigator) || document.visibilityState !== "visible")
    return;
  asking = true;
  navigator.wakeLock.request("screen").then((l) => {
    asking = false;
    lock = l;
    l.addEventListener("release", () => { if (lock === l) lock = null; });
    if (!wanted || document.visibilityState !== "visible") release();
  }, () => {
    asking = false;  // refused (battery saver, no permission): the screen may dim
  });
}

function release() {
  if (lock) lock.release().catch(() => {});
  lock = null;
}

export function keepAwake(on) {
  wanted = on;
  if (on) acquire();
  else release();
}

export const awake = () => lock !== null;

document.addEventListener("visibilitychange", () => {
  if (document.visibilityState === "visible") acquire();
  else release();
});
