// The page's thin layer around the engine: it paints what the engine's frame description
// says, plays sounds, passes keys and pointer events on, and loads the chosen word list.
// What anything means is decided by the engine. This room hands the engine its hooks and
// starts the page once the engine is compiled.
import { $, asChosen, canvas, RUN_DIR, showMessage, testMode } from "./page.js";
import { engine } from "./engine.js";
import { prefs } from "./words.js";
import { picturesLoaded, quendarCanvas } from "./canvas.js";
import { quendarSound } from "./sound.js";
import { quendarVoice } from "./voice.js";
import { listen } from "./input.js";
import { choose, firstList } from "./lists.js";
import { listenStudy } from "./study.js";
import { listenKanji } from "./kanji.js";
import { requestDraw } from "./loop.js";
import { keepAwake } from "./awake.js";
import { readyResolved } from "./testhook.js";
import { dealCharacters, loadFaces, loadOtherFaces } from "./faces.js";
import { expect, progress } from "./loading.js";
import { registerWorker } from "./offline.js";
import { keepRun, startHistory } from "./history.js";
import { listenProgress } from "./progress.js";

expect("engine", 110);

// The engine's code compiles while its script is still loading and starting.
const engineCode = fetch("quendar-engine.wasm").then((r) => {
  if (!r.ok) throw new Error("quendar-engine.wasm: cannot be loaded (" + r.status + ")");
  // A host that sends it with another type gets it compiled from its bytes.
  return WebAssembly.compileStreaming(r.clone())
    .catch(() => r.arrayBuffer().then((bytes) => WebAssembly.compile(bytes)));
});

// The engine (quendar-engine.js, run after this module) picks these up as its Module.
window.Module = {
  canvas,
  quendarCanvas,
  quendarSound,
  quendarVoice,
  print: (t) => console.log(t),
  printErr: (t) => console.warn(t),
  // A line for the player from the game (a list too short to play), shown on the page.
  quendarNotice: (line) => showMessage(asChosen(line)),
  instantiateWasm(imports, receive) {
    engineCode.then((code) => WebAssembly.instantiate(code, imports).then((i) => receive(i, code)))
      .catch((e) => showMessage(e.message));
    return {};
  },
  async onRuntimeInitialized() {
    engine.mkdir(RUN_DIR);
    progress("engine", 1);
    listen();
    listenStudy({
      // The game's room changed: fit it again.
      shownChanged: () => requestDraw(true),
      ended: () => {
        keepRun();
        keepAwake(false);
        $("howto").open = false;
      },
      play: (file) => choose(null, file),
      speak: (word) => quendarVoice.say(word),
    });
    listenKanji();
    listenProgress({ list: firstList, play: (file) => choose(null, file) });
    await picturesLoaded;
    // How to play stays open until a first game, on a page that has never chosen a list;
    // on a phone held sideways it would take the game's height, so it starts folded there.
    $("howto").open = !prefs.get("list") && innerHeight > 500;
    await choose(firstList(), null);
    // While the opening plays, the faces the list's deals can need; then the sounds, the
    // other faces, and the offline copy, which fetches what the page has not.
    let sounds;
    const allFaces = loadFaces(dealCharacters()).then(() => {
      sounds = quendarSound.load();
      return loadOtherFaces();
    });
    // The recordings last of all, through the worker once it keeps what is fetched.
    allFaces.then(() => {
      const controlled = registerWorker();
      quendarVoice.load(Promise.all([sounds, controlled]));
    });
    // After the first choice, which clears the page's message: storage may have one.
    startHistory();
    // The driver's screenshots draw text at once, whichever list is chosen.
    if (testMode) await allFaces;
    readyResolved();
  },
};
