// The word lists: a shipped one fetched and written into the engine's file system where
// the game reads jyukugo.dat, or a player's own file streamed through the game's reader.
// The last choice always wins: a choice overtaken by another stops where it is.
import { $, RUN_DIR, run, showMessage, testMode, versioned } from "./page.js";
import { engine } from "./engine.js";
import { startRun, stopRun } from "./loop.js";
import { resetStudy } from "./study.js";
import { loadFullFaces } from "./faces.js";
import { prefs, t } from "./words.js";
import { keepShippedCopy } from "./history.js";
import { refreshProgress } from "./progress.js";

// The shipped lists are the page's list buttons, the default first.
export const SHIPPED = [...document.querySelectorAll("#lists button[data-list]")].map((b) => b.dataset.list);
// A player's file goes to the reader a slice at a time, as far as the reader wants it: the
// page holds one slice of the file and the lines the game keeps, never the whole file.
const OWN_LIST_CHUNK = 1 << 20;

// The default list is fetched while the engine compiles.
let defaultList = fetch("lists/" + SHIPPED[0]).then((r) => (r.ok ? r.arrayBuffer() : null), () => null);
// Settles once the chosen list is in the engine (or failed to get there).
export let listLoading = Promise.resolve();
let choice = 0;  // counts choices; a load that is no longer the latest gives up

class Overtaken extends Error {}

async function streamOwnList(file, current) {
  const error = engine.listOpen(file.name, file.size);
  if (error) throw new Error(error);
  for (let pos = 0; pos < file.size; pos += OWN_LIST_CHUNK) {
    let bytes;
    try {
      bytes = new Uint8Array(await file.slice(pos, pos + OWN_LIST_CHUNK).arrayBuffer());
    } catch (e) {
      throw new Error(t("cannotRead", file.name, e.message || e.name));
    }
    if (!current()) throw new Overtaken();
    const more = engine.listFeed(bytes);
    if (more < 0) throw new Error(engine.listError());
    if (!more) break;
  }
  engine.listClose(file.name);
}

async function load(shipped, file, current) {
  if (shipped) {
    // The early fetch serves the first choice of the default list only.
    const early = shipped === SHIPPED[0] ? defaultList : null;
    defaultList = Promise.resolve(null);
    let bytes = early && await early;
    if (!bytes) {
      const r = await fetch(versioned("lists/" + shipped));
      if (!r.ok) throw new Error(t("cannotLoad", shipped, r.status));
      bytes = await r.arrayBuffer();
    }
    if (!current()) throw new Overtaken();
    engine.listShipped();
    engine.writeFile(RUN_DIR + "/" + engine.listFile(), new Uint8Array(bytes));
    run.listName = shipped;
    run.historyList = shipped;
    run.cutFacesSuffice = true;
    keepShippedCopy(shipped, bytes);
  } else {
    await streamOwnList(file, current);
    run.listName = "own:" + file.name;
    // A practice list's runs count for the shipped list it came from.
    run.historyList = file.historyList || file.name;
    run.cutFacesSuffice = Boolean(file.cutFacesSuffice);
    if (!run.cutFacesSuffice) await loadFullFaces();
    if (!current()) throw new Overtaken();
  }
}

// Chooses a shipped list by its file name, or a player's file; either starts a new game.
export async function choose(shipped, file) {
  const mine = ++choice;
  const current = () => mine === choice;
  for (const b of document.querySelectorAll("#lists button[data-list]"))
    b.setAttribute("aria-pressed", String(b.dataset.list === shipped));
  if (shipped) prefs.set("list", shipped);
  if (shipped) refreshProgress();
  stopRun(null);
  // The panel shows what the game now plays: nothing until the new list is in.
  resetStudy();
  showMessage("");
  $("window").hidden = false;
  const loading = load(shipped, file, current);
  listLoading = loading.catch(() => {});
  try {
    await loading;
  } catch (e) {
    if (e instanceof Overtaken || !current()) return;
    $("window").hidden = true;
    showMessage(e.message);
    return;
  }
  if (!testMode) startRun();
}

// The list to start with: the shipped list played last, else the default.
export function firstList() {
  const saved = prefs.get("list");
  return SHIPPED.includes(saved) ? saved : SHIPPED[0];
}
