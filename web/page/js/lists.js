// The word lists: a shipped one fetched, or a player's own file, copied into the engine's
// file system where the game reads jyukugo.dat.
import { $, LIST_PATH, run, showMessage, testMode, versioned } from "./page.js";
import { startRun, stopRun } from "./loop.js";
import { loadFullFaces } from "./faces.js";

// A file of few but enormous lines is read this far at most: the game keeps 4096
// characters of a line, and what lies beyond only weighs in the choice between UTF-8 and
// Shift-JIS, which the first 4 MB settle for any real list.
const OWN_LIST_LIMIT = 4 << 20;
const OWN_LIST_CHUNK = 1 << 20;

// The default list is fetched while the engine compiles.
let defaultList = fetch("lists/jyukugo.dat").then((r) => (r.ok ? r.arrayBuffer() : null), () => null);
// Settles once the chosen list is in the engine's file system (or failed to get there).
export let listLoading = Promise.resolve();

// Copies a player's file into the engine's file system only as far as the game's reader
// reads it, a slice at a time, so a huge file costs no more than the lines it keeps.
async function copyOwnList(file) {
  const stream = Module.FS.open(LIST_PATH, "w");
  try {
    for (let pos = 0; pos < file.size && pos < OWN_LIST_LIMIT; pos += OWN_LIST_CHUNK) {
      const bytes = new Uint8Array(await file.slice(pos, pos + OWN_LIST_CHUNK).arrayBuffer());
      Module.FS.write(stream, bytes, 0, bytes.length);
      if (Module.ccall("quendar_list_complete", "number", ["string"], [LIST_PATH])) break;
    }
  } finally {
    Module.FS.close(stream);
  }
}

async function load(shipped, file) {
  if (shipped) {
    // The early fetch serves the first choice of the default list only.
    const early = shipped === "jyukugo.dat" ? defaultList : null;
    defaultList = Promise.resolve(null);
    let bytes = early && await early;
    if (!bytes) {
      const r = await fetch(versioned("lists/" + shipped));
      if (!r.ok) throw new Error(shipped + ": cannot be loaded (" + r.status + ")");
      bytes = await r.arrayBuffer();
    }
    Module.FS.writeFile(LIST_PATH, new Uint8Array(bytes));
    run.listName = shipped;
  } else {
    run.listName = "own:" + file.name;
    try {
      await copyOwnList(file);
    } catch (e) {
      throw new Error(file.name + ": cannot be read: " + (e.message || e.name));
    }
    await loadFullFaces();
  }
}

// Chooses a shipped list by its file name, or a player's file; either starts a new game.
export async function choose(shipped, file) {
  for (const b of document.querySelectorAll("#lists button"))
    b.setAttribute("aria-pressed", String(b.dataset.list === shipped));
  stopRun(null);
  showMessage("");
  const loading = load(shipped, file);
  listLoading = loading.catch(() => {});
  try {
    await loading;
  } catch (e) {
    $("window").hidden = true;
    showMessage(e.message);
    return;
  }
  if (!testMode) startRun();
}
