// window.quendar: the page's hook for tests, benchmarks and scripts (see the driver's
// description): the live game's state and geometry, when windows reached the screen, and
// with ?test the driver on a virtual clock.
import { RUN_DIR, testMode } from "./page.js";
import { engine } from "./engine.js";
import { screenshots } from "./canvas.js";
import { listLoading } from "./lists.js";
import { panelCost } from "./study.js";
import { awake } from "./awake.js";
import { t } from "./words.js";
import { historyCost } from "./history.js";

let resolveReady;
export const readyResolved = () => resolveReady();

window.quendar = {
  ready: new Promise((r) => { resolveReady = r; }),
  screenshots,
  firstFrameAt: 0,
  runStartedAt: 0,
  timeline: [],
  tickStats: () => engine.tickStats(),
  // What each update of the study panel cost, in ms.
  panelCost,
  // What reading the history, loading it and counting it cost, in ms.
  historyCost,
  // Whether the page holds the screen awake.
  awake,
  // The live game's state, in the driver's snapshot format.
  snapshot: () => engine.snapshot(),
  // Where the menu bar's commands are on the canvas, in backing-store pixels.
  menuSlots: () => engine.menuSlots(),
  // Where an element's centre is on the canvas, [x, y] in backing-store pixels.
  elementCentre: (name, index = -1) => engine.elementCentre(name, index),
  // The study view the panel renders, and the panel's text as a reader gets it.
  studyView: () => engine.studyView(),
};

if (testMode) {
  // The driver on a virtual clock against the chosen list: the snapshots quendar-sim
  // prints for the same script.
  window.quendar.run = async (script) => {
    await listLoading;
    // On the engine's heap, not its stack: any length that fits in memory runs, a longer
    // one is an Error, and the hook stays usable either way.
    const bytes = new TextEncoder().encode(String(script));
    const reply = engine.runScript(RUN_DIR, bytes);
    if (!reply) throw new Error(t("tooLong", bytes.length));
    if (reply.status === 2) throw new Error(reply.error.trim());
    const snapshots = reply.snapshots;
    if (reply.status === 1) snapshots.error = reply.error.trim();
    return snapshots;
  };
}
