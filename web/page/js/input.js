// Passes the keyboard, mouse and touch on to the engine, and wires the page's buttons.
import { $, canvas, run } from "./page.js";
import { requestDraw, restep, startRun } from "./loop.js";
import { choose } from "./lists.js";
import { quendarSound } from "./sound.js";

// The keys the game tests, by their codes on the desktop.
const KEYS = { Enter: 13, ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40 };

function pointerXY(e) {
  const r = canvas.getBoundingClientRect();
  return [Math.floor((e.clientX - r.left) * canvas.width / r.width),
          Math.floor((e.clientY - r.top) * canvas.height / r.height)];
}

// kind: 0 press, 1 release, 2 move, 3 leave.
function pointer(kind, e) {
  if (!run.running || run.held) return;
  const [x, y] = pointerXY(e);
  Module._quendar_pointer(kind, x, y);
  if (kind === 1) restep();
  requestDraw(false);
}

export function listen() {
  const gesture = () => quendarSound.resume();
  for (const type of ["pointerdown", "keydown", "touchstart"])
    window.addEventListener(type, gesture, { capture: true, passive: true });
  document.addEventListener("keydown", (e) => {
    if (!run.running || run.held || e.ctrlKey || e.altKey || e.metaKey) return;
    const code = KEYS[e.key];
    if (code === undefined) return;
    e.preventDefault();  // the arrows and Enter belong to the game, not to scrolling
    Module._quendar_key(code);
    restep();
  });
  canvas.addEventListener("pointerdown", (e) => {
    if (e.button !== 0) return;
    e.preventDefault();
    canvas.setPointerCapture(e.pointerId);
    canvas.focus({ preventScroll: true });
    pointer(0, e);
  });
  canvas.addEventListener("pointerup", (e) => { if (e.button === 0) pointer(1, e); });
  canvas.addEventListener("pointermove", (e) => pointer(2, e));
  canvas.addEventListener("pointerleave", () => {
    if (run.running && !run.held) Module._quendar_pointer(3, 0, 0);
    requestDraw(false);
  });
  canvas.addEventListener("contextmenu", (e) => e.preventDefault());
  window.addEventListener("resize", () => requestDraw(true));
  $("close").addEventListener("click", () => {
    if (!run.running || run.held) return;
    Module._quendar_close();
    restep();
  });
  $("again").addEventListener("click", () => startRun());
  for (const b of document.querySelectorAll("#lists button"))
    b.addEventListener("click", () => choose(b.dataset.list, null));
  $("own").addEventListener("change", (e) => {
    const f = e.target.files[0];
    e.target.value = "";
    if (f) choose(null, f);
  });
}
