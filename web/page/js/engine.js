// The one room that calls into the engine: every entry point by name, and what its
// numbers mean. The other rooms ask this one and never touch the engine's Module.
const text = (name, ...args) =>
  Module.ccall(name, "string", args.map((a) => (typeof a === "number" ? "number" : "string")), args);
const json = (name, ...args) => JSON.parse(text(name, ...args));

// What a step of the run returns besides the milliseconds to the next tick.
export const STEP = { idle: -1, ended: -2, fatal: -3 };
// Pointer events by kind.
export const POINTER = { press: 0, release: 1, move: 2, leave: 3 };
// The learner layer's files.
export const FILE = { review: 0, again: 1, anki: 2 };

// Bytes on the engine's heap for the length of one call; null when there is no room.
function onHeap(bytes, f) {
  const at = Module._malloc(Math.max(1, bytes.length));
  if (!at) return null;
  try {
    Module.HEAPU8.set(bytes, at);
    return f(at, bytes.length);
  } finally {
    Module._free(at);
  }
}
// Bytes the engine handed out, copied: at an address returned, or the last ones.
const bytesAt = (at) => Module.HEAPU8.slice(at, at + Module._quendar_bytes_size());
const lastBytes = () => bytesAt(Module._quendar_history_bytes());
// A reply as JSON, with the bytes that came with it.
const withBytes = (reply) => Object.assign(JSON.parse(reply), { bytes: lastBytes() });

export const engine = {
  start: (dir) => text("quendar_start", dir),
  step: () => Module._quendar_step(),
  fatal: () => text("quendar_fatal"),
  hold: (on) => Module._quendar_hold(on ? 1 : 0),
  stop: () => Module._quendar_stop(),
  draw: (w, h, force) => Module._quendar_draw(w, h, force ? 1 : 0) !== 0,
  // The window on show: its designed size and caption, or null.
  shown() {
    const m = /^(\d+) (\d+) (.*)$/.exec(text("quendar_shown"));
    return m ? { width: +m[1], height: +m[2], caption: m[3] } : null;
  },
  windowChanged: () => Module._quendar_window_changed() !== 0,
  menu: (name) => Module.ccall("quendar_menu", null, ["string"], [name]),
  menuSlots: () => json("quendar_menu_slots"),
  key: (code) => Module._quendar_key(code),
  // The keys the engine takes, by the browser's names for them.
  keys: () => json("quendar_keys"),
  pointer: (kind, x, y) => Module._quendar_pointer(kind, x, y),
  close: () => Module._quendar_close(),
  tickStats: () => json("quendar_tick_stats"),
  snapshot: () => json("quendar_snapshot"),
  elementCentre(name, index) {
    const at = text("quendar_element_centre", name, index);
    return at ? at.split(" ").map(Number) : null;
  },
  studyRevision: () => Module._quendar_study_revision(),
  studyView: () => json("quendar_study_view"),
  // A file of the run as bytes, byte for byte (its byte-order mark kept); empty for none.
  studyFile(kind) {
    const at = Module._quendar_study_file(kind);
    return Module.HEAPU8.slice(at, at + Module._quendar_bytes_size());
  },
  // The kanji card: kanji.tsv's bytes once (returns what was wrong with them, or ""), then
  // a compound's kanji with their meanings.
  kanjiLoad(bytes) {
    const at = Module._malloc(Math.max(1, bytes.length));
    try {
      Module.HEAPU8.set(bytes, at);
      return Module.ccall("quendar_kanji_load", "string", ["number", "number"], [at, bytes.length]);
    } finally {
      Module._free(at);
    }
  },
  kanjiCard: (word) => json("quendar_kanji_card", word),
  listFile: () => text("quendar_list_file"),
  // The characters the chosen list's deals can put on the field.
  dealCharacters: (dir) => text("quendar_deal_characters", dir),
  mkdir: (dir) => Module.FS.mkdir(dir),
  writeFile: (path, bytes) => Module.FS.writeFile(path, bytes),
  listShipped: () => Module._quendar_list_shipped(),
  listOpen: (name, size) => text("quendar_list_open", name, size),
  // Feeds bytes to the reader: 1 while it wants more, 0 when it has enough, -1 refused.
  listFeed(bytes) {
    const at = Module._malloc(Math.max(1, bytes.length));
    try {
      Module.HEAPU8.set(bytes, at);
      return Module._quendar_list_feed(at, bytes.length);
    } finally {
      Module._free(at);
    }
  },
  listError: () => text("quendar_list_error"),
  listClose: (name) => Module.ccall("quendar_list_close", null, ["string"], [name]),
  // Runs a driver script given as bytes; null when the engine has no room for it.
  runScript(dir, bytes) {
    const at = Module._malloc(Math.max(1, bytes.length));
    if (!at) return null;
    try {
      Module.HEAPU8.set(bytes, at);
      return JSON.parse(Module.ccall("quendar_run_script", "string", ["string", "number", "number"],
                                     [dir, at, bytes.length]));
    } finally {
      Module._free(at);
    }
  },
  // The learner's history: the engine keeps a copy of the stored lines and works out the
  // schedule, the counts and practice lists; times are the page's clock, Date.now().
  historyLoad: (bytes, name) => onHeap(bytes, (at, n) => JSON.parse(
    Module.ccall("quendar_history_load", "string", ["number", "number", "string"], [at, n, name]))),
  historyAdd: (bytes) => onHeap(bytes, (at, n) => Module._quendar_history_add(at, n)),
  historyRunLines: (list, now) => bytesAt(Module.ccall("quendar_history_run_lines", "number",
                                                       ["string", "number"], [list, now])),
  // {added, warning, bytes: the lines to store} or {error}; null when there is no room.
  historyImport: (name, bytes) => onHeap(bytes, (at, n) => withBytes(Module.ccall(
    "quendar_history_import", "string", ["string", "number", "number"], [name, at, n]))),
  historyExport: () => bytesAt(Module._quendar_history_export()),
  historyCounts: (path, now, utcOffsetMin) => json("quendar_history_counts", path, now, utcOffsetMin),
  // {lines, bytes: the practice list as a word list} or {error}.
  historyPractice: (path, name, now) => withBytes(text("quendar_history_practice", path, name, now)),
  exists: (path) => Module.FS.analyzePath(path).exists,
};
