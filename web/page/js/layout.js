// Fits the window on show into the stage, keeping its shape; the canvas's backing store is
// in device pixels, so nothing is stretched by the browser.
import { $, canvas } from "./page.js";

let shownKey = "";

// Forgets the fitted size, so that the next layout fits afresh (a new run).
export function resetLayout() {
  shownKey = "";
}

// Returns true when the canvas was resized or the window changed, so all must be drawn.
export function layout() {
  const shown = Module.ccall("quendar_shown", "string", [], []);
  const m = /^(\d+) (\d+) (.*)$/.exec(shown);
  if (!m) return false;
  const w = +m[1], h = +m[2];
  const stage = $("stage");
  const dpr = window.devicePixelRatio || 1;
  const availW = stage.clientWidth - 8, availH = stage.clientHeight - 8 - $("titlebar").offsetHeight;
  const fit = Math.max(0.1, Math.min(availW / w, availH / h));
  const bw = Math.max(1, Math.floor(w * fit * dpr)), bh = Math.max(1, Math.floor(h * fit * dpr));
  const key = bw + "x" + bh + "/" + dpr + "/" + shown;
  if (key === shownKey) return false;
  shownKey = key;
  canvas.style.width = bw / dpr + "px";
  canvas.style.height = bh / dpr + "px";
  $("caption").textContent = m[3];
  document.title = m[3] ? m[3] + " — Quendar" : "Quendar";
  canvas.width = bw;
  canvas.height = bh;
  return true;
}
