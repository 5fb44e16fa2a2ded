// window.quendar: the page's hook for tests, benchmarks and scripts (see the driver's
// description): the live game's state and geometry, when windows reached the screen, and
// with ?test the driver on a virtual clock.
import { RUN_DIR, testMode } from "./page.js";
import { screenshots } from "./canvas.js";
import { listLoading } from "./lists.js";

const engineJson = (name) => JSON.parse(Module.ccall(name, "string", [], []));

let resolveReady;
export const readyResolved = () => resolveReady();

window.quendar = {
  ready: new Promise((r) => { resolveReady = r; }),
  screenshots,
  firstFrameAt: 0,
  runStartedAt: 0,
  timeline: [],
  tickStats: () => engineJson("quendar_tick_stats"),
  // The live game's state, in the driver's snapshot format.
  snapshot: () => engineJson("quendar_snapshot"),
  // Where the menu bar's commands are on the canvas, in backing-store pixels.
  menuSlots: () => engineJson("quendar_menu_slots"),
  // Where an element's centre is on the canvas, [x, y] in backing-store pixels.
  elementCentre: (name, index = -1) => {
    const at = Module.ccall("quendar_element_centre", "string", ["string", "number"], [name, index]);
    return at ? at.split(" ").map(Number) : null;
  },
};

if (testMode) {
  // The driver on a virtual clock against the chosen list: the snapshots quendar-sim
  // prints for the same script.
  window.quendar.run = async (script) => {
    await listLoading;
    const reply = JSON.parse(
      Module.ccall("quendar_run_script", "string", ["string", "string"], [RUN_DIR, String(script)]));
    if (reply.status === 2) throw new Error(reply.error.trim());
    const snapshots = reply.snapshots;
    if (reply.status === 1) snapshots.error = reply.error.trim();
    return snapshots;
  };
}
