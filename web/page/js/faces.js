// The page's two faces. Gothic (numbers, "↑", the menu) is one small file; Mincho comes in
// slices by Unicode range (tools/cut-web-fonts), fetched once the engine and the list are
// in, while the opening plays: first the captions and the slices the chosen list's deals
// can need, then the rest. No frame is drawn before every slice its text needs is in: the
// canvas asks facesReady, and a frame refused waits, with the game's clock, for facesWait.
// The full faces follow only for a player's own list.
import { engine } from "./engine.js";
import { RUN_DIR, versioned } from "./page.js";
import { expect, progress } from "./loading.js";

const GOTHIC = "gothic";
// Enough requests at once to keep a slow link busy, few enough that the first come first.
const AT_ONCE = 4;
let fullFaces = false;
// Counts the faces' changes, so text measured before one is never taken for after.
export let facesGeneration = 0;

export const families = () => fullFaces
  ? ["QuendarMincho, QuendarMinchoFull", "QuendarGothic, QuendarGothicFull"]
  : ["QuendarMincho", "QuendarGothic"];

// The slices' list is fetched beside the engine, not before the opening, and is the page's
// own build's, as the slices are. Without it the nearest face stands in.
let slices = [];
let sliceListIn = false;
const sliceOf = new Map();
const sliceList = import(versioned("../fonts/mincho-slices.js")).then((m) => {
  slices = m.MINCHO_SLICES;
  slices.forEach((s, i) => { for (const c of s.chars) sliceOf.set(c, i); });
}, (e) => console.warn("fonts/mincho-slices.js: cannot be loaded (" + e.message + ")"))
  .finally(() => { sliceListIn = true; });

// Per face (a slice's index, or GOTHIC): its load once asked for, and whether it is in.
const asked = new Map();
const starters = new Map();
const isIn = new Set();
const queue = [];
let running = 0;
// The faces the loading bar waits for, and their kilobytes in all and in so far.
const first = new Set();
let firstKB = 0, firstInKB = 0;
const kb = (key) => (key === GOTHIC ? 6 : slices[key].size / 1000);
expect("faces", 250);

async function fetchFace(key) {
  const file = key === GOTHIC ? "fonts/quendar-gothic.woff2" : slices[key].file;
  try {
    const r = await fetch(versioned(file));
    if (!r.ok) throw new Error(r.status);
    const face = key === GOTHIC
      ? new FontFace("QuendarGothic", await r.arrayBuffer())
      : new FontFace("QuendarMincho", await r.arrayBuffer(), { unicodeRange: slices[key].range });
    document.fonts.add(await face.load());
  } catch (e) {
    // The nearest face stands in, as on the desktop; the game goes on.
    console.warn(file + ": cannot be loaded (" + (e.message || e.name) + ")");
  }
  isIn.add(key);
  facesGeneration++;
  if (first.has(key)) {
    firstInKB += kb(key);
    progress("faces", firstInKB / firstKB);
  }
}

// Asks for a face: at once when `urgent` (a frame waits for it), else in its turn.
function ask(key, urgent) {
  if (!asked.has(key)) {
    asked.set(key, new Promise((r) => starters.set(key, r)).then(() => fetchFace(key)).finally(() => {
      running--;
      next();
    }));
    if (urgent) begin(key);
    else queue.push(key);
  } else if (urgent && queue.includes(key)) {
    queue.splice(queue.indexOf(key), 1);
    begin(key);
  }
  return asked.get(key);
}

function begin(key) {
  running++;
  starters.get(key)();
}

function next() {
  while (running < AT_ONCE && queue.length) begin(queue.shift());
}

// The characters the next deal can need, by the engine's reading of the chosen list.
export const dealCharacters = () => engine.dealCharacters(RUN_DIR);

// Fetches the Gothic face and the Mincho slices of the captions and of `chars`; settles
// once they are in (or failed, when stand-ins take their place).
export async function loadFaces(chars) {
  await sliceList;
  first.add(GOTHIC);
  if (slices.length) first.add(0);
  for (const c of chars) if (sliceOf.has(c)) first.add(sliceOf.get(c));
  for (const key of first) firstKB += kb(key);
  const all = [...first].map((key) => ask(key, false));
  next();
  await Promise.all(all);
}

// Every other slice, for other lists and offline play; settles once all are in.
export async function loadOtherFaces() {
  await sliceList;
  const all = slices.map((_, i) => ask(i, false));
  next();
  await Promise.all(all);
}

// What the frame refused last waits for.
let missing = null;
let lastReady = null;

// Whether the faces hold every character of a frame's Mincho and Gothic text. When not,
// what is missing is asked for at once, and facesWait() settles when it is in.
export function facesReady(mincho, gothic) {
  const text = mincho + "\u0000" + gothic;
  if (fullFaces || text === lastReady) return true;
  if (mincho && !sliceListIn) {
    missing = sliceList;
    return false;
  }
  const need = new Set();
  if (gothic && !isIn.has(GOTHIC)) need.add(GOTHIC);
  for (const c of mincho) {
    const i = sliceOf.get(c);
    if (i !== undefined && !isIn.has(i)) need.add(i);
  }
  if (!need.size) {
    lastReady = text;
    return true;
  }
  missing = Promise.all([...need].map((key) => ask(key, true)));
  return false;
}

// What the frame just refused waits for, once: null when no frame was refused since.
export function facesWait() {
  const wait = missing;
  missing = null;
  return wait;
}

export async function loadFullFaces() {
  if (fullFaces) return;
  const faces = [new FontFace("QuendarMinchoFull", "url(" + versioned("fonts/ipam.ttf") + ")"),
                 new FontFace("QuendarGothicFull", "url(" + versioned("fonts/ipag.ttf") + ")")];
  for (const f of faces) document.fonts.add(await f.load());
  fullFaces = true;
  facesGeneration++;
}
