// Passes the keyboard, mouse and touch on to the engine, and wires the page's buttons.
import { $, canvas, run } from "./page.js";
import { engine, POINTER } from "./engine.js";
import { requestDraw, restep, startRun } from "./loop.js";
import { choose } from "./lists.js";
import { quendarSound } from "./sound.js";
import { quendarVoice } from "./voice.js";
import { otherLanguage, prefs, setLanguage } from "./words.js";
import { listenCommands } from "./commands.js";

function pointerXY(e) {
  const r = canvas.getBoundingClientRect();
  return [Math.floor((e.clientX - r.left) * canvas.width / r.width),
          Math.floor((e.clientY - r.top) * canvas.height / r.height)];
}

function pointer(kind, e) {
  if (!run.running || run.held) return;
  const [x, y] = pointerXY(e);
  engine.pointer(kind, x, y);
  if (kind === POINTER.release) restep();
  requestDraw(false);
}

export function listen() {
  // The keys the game and the learner layer take, by the browser's names for them.
  const keys = engine.keys();
  const own = (k) => Object.prototype.hasOwnProperty.call(keys, k);
  document.documentElement.classList.toggle(
    "touch", navigator.maxTouchPoints > 0 || matchMedia("(pointer: coarse)").matches);
  const gesture = () => quendarSound.resume();
  for (const type of ["pointerdown", "keydown", "touchstart"])
    window.addEventListener(type, gesture, { capture: true, passive: true });
  // Only while the game has the focus: elsewhere Enter and Space belong to the buttons.
  canvas.addEventListener("keydown", (e) => {
    if (!run.running || run.held || e.ctrlKey || e.altKey || e.metaKey) return;
    if (!own(e.key)) return;
    e.preventDefault();  // the arrows and Enter belong to the game, not to scrolling
    engine.key(keys[e.key]);
    restep();
  });
  canvas.addEventListener("pointerdown", (e) => {
    if (e.button !== 0) return;
    e.preventDefault();
    canvas.setPointerCapture(e.pointerId);
    canvas.focus({ preventScroll: true });
    pointer(POINTER.press, e);
  });
  canvas.addEventListener("pointerup", (e) => { if (e.button === 0) pointer(POINTER.release, e); });
  canvas.addEventListener("pointermove", (e) => pointer(POINTER.move, e));
  canvas.addEventListener("pointerleave", () => {
    if (run.running && !run.held) engine.pointer(POINTER.leave, 0, 0);
    requestDraw(false);
  });
  canvas.addEventListener("contextmenu", (e) => e.preventDefault());
  window.addEventListener("resize", () => requestDraw(true));
  // The stage changes size with the header (a message, How to play) and the study panel.
  new ResizeObserver(() => requestDraw(true)).observe($("stage"));
  $("close").addEventListener("click", () => {
    if (!run.running || run.held) return;
    engine.close();
    restep();
  });
  listenCommands(restep);
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
  const voice = $("voice");
  const setVoice = (on) => {
    quendarVoice.setOn(on);
    voice.setAttribute("aria-pressed", String(on));
  };
  setVoice(prefs.get("voice") !== "off");
  voice.addEventListener("click", () => {
    setVoice(!quendarVoice.on);
    prefs.set("voice", quendarVoice.on ? "on" : "off");
    backToGame();
  });
  $("again").addEventListener("click", () => startRun());
  for (const b of document.querySelectorAll("#lists button[data-list]"))
    b.addEventListener("click", () => choose(b.dataset.list, null));
  $("own").addEventListener("change", (e) => {
    const f = e.target.files[0];
    e.target.value = "";
    if (f) choose(null, f);
  });
}
