// The page's two faces. The cut ones are fetched once the engine is in, while the opening
// plays (it shows only pictures); the main window waits for them. The full faces follow
// only for a player's own list.
import { versioned } from "./page.js";
import { expect, progress } from "./loading.js";

const CUT = [["QuendarGothic", "fonts/quendar-gothic.woff2", 9],
             ["QuendarMincho", "fonts/quendar-mincho.woff2", 400]];
let fullFaces = false;
let ready = false;
// Counts the faces' changes, so text measured before one is never taken for after.
export let facesGeneration = 0;

export const families = () => fullFaces
  ? ["QuendarMincho, QuendarMinchoFull", "QuendarGothic, QuendarGothicFull"]
  : ["QuendarMincho", "QuendarGothic"];
export const facesReady = () => ready;

for (const [family, , weight] of CUT) expect(family, weight);

// Reads a response's body, telling the loading indicator how much of it is in.
async function bodyOf(name, response) {
  const total = +response.headers.get("Content-Length") || 0;
  if (!response.body || !total || response.headers.get("Content-Encoding"))
    return response.arrayBuffer();
  const reader = response.body.getReader();
  const bytes = new Uint8Array(total);
  let got = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    if (got + value.length > total) return new Blob([bytes.subarray(0, got), value]).arrayBuffer();
    bytes.set(value, got);
    got += value.length;
    progress(name, got / total);
  }
  return bytes.buffer.slice(0, got);
}

async function loadCutFace([family, file]) {
  try {
    const r = await fetch(versioned(file));
    if (!r.ok) throw new Error(r.status);
    const face = new FontFace(family, await bodyOf(family, r));
    document.fonts.add(await face.load());
  } catch (e) {
    // The nearest face stands in, as on the desktop; the game goes on.
    console.warn(file + ": cannot be loaded (" + (e.message || e.name) + ")");
  }
  progress(family, 1);
}

let resolveIn;
// Settles once the cut faces are in (or failed, when stand-ins take their place).
export const facesIn = new Promise((r) => { resolveIn = r; });

export function loadCutFaces() {
  Promise.all(CUT.map(loadCutFace)).then(() => {
    ready = true;
    facesGeneration++;
    resolveIn();
  });
  return facesIn;
}

export async function loadFullFaces() {
  if (fullFaces) return;
  const faces = [new FontFace("QuendarMinchoFull", "url(" + versioned("fonts/ipam.ttf") + ")"),
                 new FontFace("QuendarGothicFull", "url(" + versioned("fonts/ipag.ttf") + ")")];
  for (const f of faces) document.fonts.add(await f.load());
  fullFaces = true;
  facesGeneration++;
}
