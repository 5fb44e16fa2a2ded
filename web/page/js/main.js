// The page's thin layer around the engine: it paints what the engine's frame description
// says, plays sounds, passes keys and pointer events on, and loads the chosen word list.
// What anything means is decided by the engine. This room hands the engine its hooks and
// starts the page once the engine is compiled.
import { $, asChosen, canvas, RUN_DIR, showMessage } from "./page.js";
import { prefs } from "./words.js";
import { picturesLoaded, quendarCanvas } from "./canvas.js";
import { quendarSound } from "./sound.js";
import { listen } from "./input.js";
import { choose, firstList } from "./lists.js";
import { listenStudy } from "./study.js";
import { readyResolved } from "./testhook.js";

// The engine (quendar-engine.js, run after this module) picks these up as its Module.
window.Module = {
  canvas,
  quendarCanvas,
  quendarSound,
  print: (t) => console.log(t),
  printErr: (t) => console.warn(t),
  // A line for the player from the game (a list too short to play), shown on the page.
  quendarNotice: (line) => showMessage(asChosen(line)),
  async onRuntimeInitialized() {
    Module.FS.mkdir(RUN_DIR);
    quendarSound.init();
    listen();
    listenStudy();
    await Promise.all([document.fonts.load("16px QuendarMincho"),
                       document.fonts.load("16px QuendarGothic"), picturesLoaded]);
    // How to play stays open until a first game, on a page that has never chosen a list;
    // on a phone held sideways it would take the game's height, so it starts folded there.
    $("howto").open = !prefs.get("list") && innerHeight > 500;
    await choose(firstList(), null);
    readyResolved();
  },
};
