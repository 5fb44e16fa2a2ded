// The run on the page's clock: starts and stops the engine's program, delivers its ticks
// when they fall due and draws a frame when something changed.
import { $, asChosen, canvas, run, RUN_DIR, showMessage } from "./page.js";
import { layout, resetLayout } from "./layout.js";
import { freezeStudy, resetStudy, updateStudy } from "./study.js";
import { keepAwake } from "./awake.js";
import { facesWait } from "./faces.js";

let stepTimer = null;
let frameRequest = 0;
let forceDraw = true;

function step() {
  stepTimer = null;
  if (!run.running) return;
  const wait = Module._quendar_step();
  if (wait === -2 || wait === -3) {
    stopRun(wait === -3 ? Module.ccall("quendar_fatal", "string", [], []) : "");
    return;
  }
  if (wait >= 0) stepTimer = setTimeout(step, wait);
  updateStudy();
  if (Module._quendar_window_changed()) {
    // A window handed over to another: show it now rather than a display frame later.
    if (frameRequest) cancelAnimationFrame(frameRequest);
    frameRequest = 0;
    draw();
  } else {
    requestDraw(false);
  }
}

// Delivers what input made due at once, rather than at the next planned tick.
export function restep() {
  if (stepTimer !== null) clearTimeout(stepTimer);
  step();
}

// Keeps the last frame on the canvas, with the game's clock stopped, until the faces a
// refused frame needs are in: nothing is ever drawn with stand-in faces.
function hold(wait) {
  if (stepTimer !== null) clearTimeout(stepTimer);
  stepTimer = null;
  Module._quendar_hold(1);
  const held = run.held = {};
  wait.then(() => {
    if (run.held !== held) return;
    run.held = false;
    Module._quendar_hold(0);
    forceDraw = true;
    draw();
    if (!run.held) restep();
  });
}

export function requestDraw(force) {
  if (force) forceDraw = true;
  if (!frameRequest && run.running) frameRequest = requestAnimationFrame(draw);
}

function draw() {
  frameRequest = 0;
  if (!run.running || run.held) return;
  if (layout()) forceDraw = true;
  const drew = Module._quendar_draw(canvas.width, canvas.height, forceDraw ? 1 : 0);
  forceDraw = false;
  if (!drew) {
    const wait = facesWait();
    if (wait) hold(wait);
    return;
  }
  // When each window first reached the screen, for the benchmark and the tests.
  const q = window.quendar;
  if (!q.firstFrameAt) q.firstFrameAt = performance.now();
  const caption = $("caption").textContent;
  const last = q.timeline[q.timeline.length - 1];
  if (!last || last.window !== caption) {
    q.timeline.push({ window: caption, t: performance.now() - q.runStartedAt });
    // On a touch screen the menu's commands are also large buttons, for a window with a menu.
    $("commands").hidden = !(document.documentElement.classList.contains("touch") && q.menuSlots().length);
  }
}

export function startRun() {
  stopRun(null);
  showMessage("");
  $("ended").hidden = true;
  $("window").hidden = false;
  window.quendar.timeline = [];
  window.quendar.runStartedAt = performance.now();
  resetStudy();
  const error = Module.ccall("quendar_start", "string", ["string"], [RUN_DIR]);
  run.running = true;
  resetLayout();
  if (error) {
    stopRun(error);
    return;
  }
  keepAwake(true);
  restep();
  forceDraw = true;
  draw();
  canvas.focus({ preventScroll: true });
}

// Ends the run on the page: with a message for a fatal error, with the "ended" panel
// when the program closed its last window, quietly (null) when a new run replaces it.
export function stopRun(error) {
  if (stepTimer !== null) clearTimeout(stepTimer);
  stepTimer = null;
  const was = run.running;
  run.running = false;
  run.held = false;
  keepAwake(false);
  if (error !== null) $("howto").open = false;  // the first game is over
  if (was && error !== null) freezeStudy();
  if (was) Module._quendar_stop();
  if (error === null) return;
  $("window").hidden = true;
  if (error) {
    showMessage(asChosen(error));
  } else {
    $("ended").hidden = false;
    $("again").focus();
  }
}
