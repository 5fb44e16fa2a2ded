// The page's thin layer around the engine: it paints what the engine's frame description
// says, plays sounds, passes keys and pointer events on, and loads the chosen word list.
// What anything means is decided by the engine. This room hands the engine its hooks and
// starts the page once the engine is compiled.
import { canvas, RUN_DIR } from "./page.js";
import { picturesLoaded, quendarCanvas } from "./canvas.js";
import { quendarSound } from "./sound.js";
import { listen } from "./input.js";
import { choose } from "./lists.js";
import { readyResolved } from "./testhook.js";

// The engine (quendar-engine.js, run after this module) picks these up as its Module.
window.Module = {
  canvas,
  quendarCanvas,
  quendarSound,
  print: (t) => console.log(t),
  printErr: (t) => console.warn(t),
  async onRuntimeInitialized() {
    Module.FS.mkdir(RUN_DIR);
    quendarSound.init();
    listen();
    await Promise.all([document.fonts.load("16px QuendarMincho"),
                       document.fonts.load("16px QuendarGothic"), picturesLoaded]);
    await choose("jyukugo.dat", null);
    readyResolved();
  },
};
