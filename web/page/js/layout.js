// Fits the window on show into the stage, keeping its shape; the canvas's backing store is
// in device pixels, so nothing is stretched by the browser.
import { $, canvas } from "./page.js";
import { engine } from "./engine.js";

let shownKey = "";

// Forgets the fitted size, so that the next layout fits afresh (a new run).
export function resetLayout() {
  shownKey = "";
}

// Returns true when the canvas was resized or the window changed, so all must be drawn.
export function layout() {
  const shown = engine.shown();
  if (!shown) return false;
  const w = shown.width, h = shown.height;
  const stage = $("stage");
  const dpr = window.devicePixelRatio || 1;
  // A tall stage (a phone upright) puts the study panel under the game, which takes the
  // whole width when the height allows, the panel what is left; a wide one puts it beside.
  const portrait = stage.clientHeight > stage.clientWidth;
  stage.classList.toggle("portrait", portrait);
  const margin = portrait ? 0 : 8;
  let availW = stage.clientWidth - margin;
  const availH = stage.clientHeight - margin - $("titlebar").offsetHeight;
  const study = $("study");
  if (!study.hidden && !portrait) availW -= study.offsetWidth + 8;
  const fit = Math.max(0.1, Math.min(availW / w, availH / h));
  const bw = Math.max(1, Math.floor(w * fit * dpr)), bh = Math.max(1, Math.floor(h * fit * dpr));
  const key = [bw, bh, dpr, w, h, shown.caption, study.hidden].join("/");
  if (key === shownKey) return false;
  shownKey = key;
  canvas.style.width = bw / dpr + "px";
  canvas.style.height = bh / dpr + "px";
  $("window").style.width = bw / dpr + "px";  // the title bar never widens the window
  $("caption").textContent = shown.caption;
  document.title = shown.caption ? shown.caption + " — Quendar" : "Quendar";
  canvas.width = bw;
  canvas.height = bh;
  return true;
}
