// Passes the keyboard, mouse and touch on to the engine, and wires the page's buttons.
import { $, canvas, run } from "./page.js";
import { requestDraw, restep, startRun } from "./loop.js";
import { choose } from "./lists.js";
import { quendarSound } from "./sound.js";
import { otherLanguage, prefs, setLanguage } from "./words.js";

// The keys the game tests, by their codes on the desktop, and F2, which the learner layer
// takes to show or hide the study panel.
const KEYS = { Enter: 13, ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40, F2: 113 };

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
  document.documentElement.classList.toggle(
    "touch", navigator.maxTouchPoints > 0 || matchMedia("(pointer: coarse)").matches);
  const gesture = () => quendarSound.resume();
  for (const type of ["pointerdown", "keydown", "touchstart"])
    window.addEventListener(type, gesture, { capture: true, passive: true });
  // Only while the game has the focus: elsewhere Enter and Space belong to the buttons.
  canvas.addEventListener("keydown", (e) => {
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
  // The stage changes size with the header (a message, How to play) and the study panel.
  new ResizeObserver(() => requestDraw(true)).observe($("stage"));
  $("close").addEventListener("click", () => {
    if (!run.running || run.held) return;
    Module._quendar_close();
    restep();
  });
  // The menu's commands as large buttons on a touch screen: the same path as the menu bar.
  for (const b of document.querySelectorAll("#commands button")) {
    b.addEventListener("click", () => {
      if (!run.running || run.held) return;
      Module.ccall("quendar_menu", null, ["string"], [b.dataset.menu]);
      restep();
      if (run.running) canvas.focus({ preventScroll: true });
    });
  }
  // The switches hand the keys back to a game that is running.
  const backToGame = () => { if (run.running) canvas.focus({ preventScroll: true }); };
  $("language").addEventListener("click", () => {
    setLanguage(otherLanguage());
    backToGame();
  });
  const sound = $("sound");
  const setSound = (on) => {
    quendarSound.muted = !on;
    sound.setAttribute("aria-pressed", String(on));
  };
  setSound(prefs.get("sound") !== "off");
  sound.addEventListener("click", () => {
    setSound(quendarSound.muted);
    prefs.set("sound", quendarSound.muted ? "off" : "on");
    backToGame();
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
