// The run on the page's clock: starts and stops the engine's program, delivers its ticks
// when they fall due and draws a frame when something changed.
import { $, asChosen, canvas, run, RUN_DIR, showMessage } from "./page.js";
import { engine, STEP } from "./engine.js";
import { layout, resetLayout } from "./layout.js";
import { freezeStudy, resetStudy, updateStudy } from "./study.js";
import { keepAwake } from "./awake.js";
import { facesWait } from "./faces.js";
import { showCommands } from "./commands.js";
import { keepRun, runStarted } from "./history.js";

let stepTimer = null;
let frameRequest = 0;
let forceDraw = true;
let shownWindow = null;  // the caption of the window last drawn, null before the first

function step() {
  stepTimer = null;
  if (!run.running) return;
  const wait = engine.step();
  if (wait === STEP.ended || wait === STEP.fatal) {
    stopRun(wait === STEP.fatal ? engine.fatal() : "");
    return;
  }
  if (wait >= 0) stepTimer = setTimeout(step, wait);
  updateStudy();
  if (engine.windowChanged()) {
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
  engine.hold(true);
  const held = run.held = {};
  wait.then(() => {
    if (run.held !== held) return;
    run.held = false;
    engine.hold(false);
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
  const drew = engine.draw(canvas.width, canvas.height, forceDraw);
  forceDraw = false;
  if (!drew) {
    const wait = facesWait();
    if (wait) hold(wait);
    return;
  }
  const caption = $("caption").textContent;
  if (caption !== shownWindow) {
    shownWindow = caption;
    // On a touch screen the menu's commands are also large buttons, for a window with a menu.
    showCommands(engine.menuSlots());
    frameShown(caption);
  }
}

// When each window first reached the screen, for the benchmark and the tests; the page
// only writes this, never reads it.
function frameShown(caption) {
  const q = window.quendar;
  if (!q) return;
  if (!q.firstFrameAt) q.firstFrameAt = performance.now();
  q.timeline.push({ window: caption, t: performance.now() - q.runStartedAt });
}

export function startRun() {
  stopRun(null);
  showMessage("");
  $("ended").hidden = true;
  $("window").hidden = false;
  if (window.quendar) {
    window.quendar.timeline = [];
    window.quendar.runStartedAt = performance.now();
  }
  shownWindow = null;
  resetStudy();
  const error = engine.start(RUN_DIR);
  runStarted();
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
  if (was) {
    keepRun();
    engine.stop();
  }
  if (error === null) return;
  $("window").hidden = true;
  if (error) {
    showMessage(asChosen(error));
  } else {
    $("ended").hidden = false;
    $("again").focus();
  }
}
