// The learner's history in the page: the same lines as the desktop's history.tsv, kept in
// the browser's IndexedDB, one record of UTF-8 lines per run or import, and handed to the
// engine, which schedules. Nothing leaves the browser except a file the player exports.
import { run, showMessage, versioned } from "./page.js";
import { engine } from "./engine.js";
import { prefs, t } from "./words.js";

const DB = "quendar";
const STORE = "lines";
// A year of heavy play is about 11 MB of lines; a far larger file is no history to import.
const MAX_IMPORT_MB = 64;
const LISTS_DIR = "/lists";
// More records than this are joined into one after loading.
const COMPACT_AT = 100;

// What the history cost, in ms, for the benchmark: reading the store, handing the lines to
// the engine, and each count asked for (the schedule, the 90 days replayed).
export const historyCost = { read: 0, records: 0, load: 0, counts: [], compacted: false };

let db = null;          // null when the browser has no IndexedDB or refuses it
let said = false;       // the one message about storage has been shown
let loaded = false;     // the stored lines are in the engine
let kept = true;        // the run on the page has had its lines kept, or has none to keep
const listeners = [];

// Whether runs are kept: on unless the player turned it off.
export const remembering = () => prefs.get("remember") !== "off";
export function setRemembering(on) {
  prefs.set("remember", on ? "on" : "off");
}

// Calls `f` whenever the history changed (a run kept, an import, the first load).
export const onHistory = (f) => listeners.push(f);
const changed = () => listeners.forEach((f) => f());

function refused(e) {
  db = null;
  if (said) return;
  said = true;
  showMessage(t("storageRefused", (e && (e.message || e.name)) || "IndexedDB"));
}

const settled = (r) => new Promise((resolve, reject) => {
  r.onsuccess = () => resolve(r.result);
  r.onerror = () => reject(r.error);
});

function open() {
  if (!window.indexedDB) return Promise.reject(new Error("IndexedDB is missing"));
  const r = indexedDB.open(DB, 1);
  r.onupgradeneeded = () => r.result.createObjectStore(STORE, { autoIncrement: true });
  return settled(r);
}

let engineUp;
const engineReady = new Promise((resolve) => { engineUp = resolve; });
// The engine has started and the first list is in: the stored lines are read now, while the
// opening plays, rather than beside the engine's own start.
export const startHistory = () => engineUp();

// The stored lines into the engine, once; the page plays on whatever the browser says.
export const historyLoaded = (async () => {
  await engineReady;
  let blocks = [];
  let keys = [];
  const began = performance.now();
  try {
    db = await open();
    const tx = db.transaction(STORE);
    [blocks, keys] = await Promise.all([settled(tx.objectStore(STORE).getAll()),
                                        settled(tx.objectStore(STORE).getAllKeys())]);
    historyCost.read = performance.now() - began;
    historyCost.records = keys.length;
  } catch (e) {
    refused(e);
  }
  const all = new Uint8Array(blocks.reduce((n, b) => n + b.byteLength, 0));
  let at = 0;
  for (const b of blocks) {
    all.set(b, at);
    at += b.byteLength;
  }
  const loading = performance.now();
  const r = engine.historyLoad(all, "IndexedDB " + DB + "/" + STORE);
  historyCost.load = performance.now() - loading;
  if (r && r.warning) console.warn(r.warning);
  loaded = true;
  changed();
  if (keys.length > COMPACT_AT) compact(keys, all);
})();

// Many small records read slowly: the ones just read become one, in one transaction, so a
// failure leaves them as they were. Runs stored meanwhile have later keys and stay.
function compact(keys, all) {
  try {
    const tx = db.transaction(STORE, "readwrite");
    tx.objectStore(STORE).delete(IDBKeyRange.bound(keys[0], keys[keys.length - 1]));
    tx.objectStore(STORE).add(all);
    tx.oncomplete = () => { historyCost.compacted = true; };
  } catch (e) {
    // left as it was; read as it is next time
  }
}

// Stores lines at once, inside the caller's task: a page being closed keeps them only so.
function store(bytes) {
  if (!loaded) return historyLoaded.then(() => store(bytes));
  engine.historyAdd(bytes);
  if (!db) return Promise.resolve();
  try {
    const tx = db.transaction(STORE, "readwrite");
    tx.objectStore(STORE).add(bytes);
    // Committed now rather than when the task ends: a closing page would abort it.
    if (tx.commit) tx.commit();
    return new Promise((resolve, reject) => {
      tx.oncomplete = resolve;
      tx.onerror = tx.onabort = () => reject(tx.error);
    }).catch(refused);
  } catch (e) {
    refused(e);
    return Promise.resolve();
  }
}

export function runStarted() {
  kept = false;
}

// The run's lines, once, when it ends: the final score panel, a new game, the program
// closed, or the page closed in the middle of it. The engine must still hold the run.
export function keepRun() {
  if (kept) return;
  kept = true;
  if (!remembering()) return;
  const list = run.historyList || run.listName.replace(/^own:/, "");
  const bytes = engine.historyRunLines(list, Date.now());
  if (bytes.length) store(bytes).then(changed);
}

addEventListener("pagehide", () => {
  if (run.running) keepRun();
});

// Merges a history file: says how many lines it added, or why it added none.
export async function importHistory(file) {
  if (file.size > MAX_IMPORT_MB * 1048576)
    return t("tooLargeHistory", file.name, Math.ceil(file.size / 1048576), MAX_IMPORT_MB);
  let bytes;
  try {
    bytes = new Uint8Array(await file.arrayBuffer());
  } catch (e) {
    return t("cannotRead", file.name, e.message || e.name);
  }
  await historyLoaded;
  const r = engine.historyImport(file.name, bytes);
  if (!r) return t("tooLargeHistory", file.name, Math.ceil(file.size / 1048576), MAX_IMPORT_MB);
  if (r.error) return r.error;
  if (r.bytes.length) await store(r.bytes);
  changed();
  return [t("imported", file.name, r.added), r.warning].filter(Boolean).join(" ");
}

export const exportHistory = () => engine.historyExport();

// A shipped list in the engine's files, for counting and practising it.
const shipped = new Set();
export function keepShippedCopy(name, bytes) {
  if (!engine.exists(LISTS_DIR)) engine.mkdir(LISTS_DIR);
  engine.writeFile(LISTS_DIR + "/" + name, new Uint8Array(bytes));
  shipped.add(name);
}
export async function shippedPath(name) {
  if (!shipped.has(name)) {
    const r = await fetch(versioned("lists/" + name));
    if (!r.ok) throw new Error(t("cannotLoad", name, r.status));
    keepShippedCopy(name, await r.arrayBuffer());
  }
  return LISTS_DIR + "/" + name;
}

// The counts of a shipped list now, for the Practice button and the progress view.
export async function countsOf(name) {
  await historyLoaded;
  const path = await shippedPath(name);
  const began = performance.now();
  const c = engine.historyCounts(path, Date.now(), -new Date().getTimezoneOffset());
  if (historyCost.counts.length < 100) historyCost.counts.push(performance.now() - began);
  return c;
}

// A practice list of a shipped list, as a file to play: {file} or {error}.
export async function practiceOf(name) {
  await historyLoaded;
  const r = engine.historyPractice(await shippedPath(name), name, Date.now());
  if (r.error) return r;
  const file = new File([r.bytes], t("practiceList") + ".txt", { type: "text/plain" });
  // Its compounds are the shipped list's: the cut faces hold them, and the run counts for it.
  file.cutFacesSuffice = true;
  file.historyList = name;
  return { file };
}
