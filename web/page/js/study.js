// The study panel beside the game: it renders the engine's study view and nothing else. In
// play, the compound matched last, large, with its reading and meaning, then the run's
// matches newest first; at the end, the review of every compound of the run, to download
// for Anki or to play again. Rebuilt only when the engine's record changed; a match only
// adds a row.
import { $, run, showMessage } from "./page.js";
import { engine, FILE } from "./engine.js";
import { onLanguage, say, t } from "./words.js";

const panel = $("study");
const body = $("study-body");
const announcer = $("announce");
let revision = -1;
let view = null;      // the view last rendered
let rendered = "";    // "hint", "play" or "review": what the body holds
let shownRows = 0;    // rows of older matches the play view lists
let frozen = null;    // the run's files, kept when the program has ended
let busy = false;     // an action of the panel under way: one at a time
let said = "";        // what the live region said last
const hooks = { shownChanged: () => {}, ended: () => {}, play: () => Promise.resolve(),
                speak: () => {} };
// What each update that found the record changed cost, in ms, for the benchmark.
export const panelCost = [];

function el(tag, cls, text, lang) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (text) {
    e.textContent = text;
    // A long field is cut to its row; the whole text is a hover away.
    if (cls === "word" || cls === "reading" || cls === "meaning") e.title = text;
  }
  if (lang) e.lang = lang;
  return e;
}

// The reading, with its accent where the list gives one: a line over the high moras and a
// tick where the pitch falls.
function reading(r) {
  if (!r.pitch || r.moras.length !== r.pitch.length) return el("span", "reading", r.reading, "ja");
  const s = el("span", "reading", null, "ja");
  s.title = r.reading;
  s.append(...r.moras.map((m, i) =>
    el("span", "m" + (r.pitch[i] === "H" ? " h" : "") + (i + 1 === r.accent ? " drop" : ""), m)));
  return s;
}

// One compound on a row: the compound, its reading with the wrong shots beside it, and its
// meaning under the reading.
function row(r) {
  const li = el("li");
  const line = el("span", "line");
  line.append(reading(r));
  if (r.mark) line.append(el("span", "mark", r.mark));
  li.append(el("span", "word", r.word, "ja"), line, el("span", "meaning", r.meaning));
  return li;
}

function playView() {
  if (rendered !== "play" || view.older.length < shownRows) {
    body.replaceChildren(el("div", "last"), el("p", "count"), el("ol", "matches"));
    shownRows = 0;
    rendered = "play";
  }
  const last = view.last;
  body.firstChild.replaceChildren(el("span", "word", last.word, "ja"), reading(last),
                                  el("span", "meaning", last.meaning));
  body.children[1].textContent = view.older.length ? say(view.heading) : "";
  // Only the new matches are added: the list above the old ones grows by them.
  const list = body.lastChild;
  for (let i = view.older.length - shownRows - 1; i >= 0; i--) list.prepend(row(view.older[i]));
  shownRows = view.older.length;
}

function reviewView() {
  const parts = [el("h2", null, say(view.heading)), el("p", "count", say(view.summary))];
  for (const g of view.groups) {
    // The group is named in words, its colour only repeats it.
    const list = el("ol", "matches g" + g.group);
    parts.push(el("h3", "g" + g.group, t(g.title) + " (" + g.rows.length + ")"), list);
    for (const r of g.rows) list.append(Object.assign(row(r), { tabIndex: 0 }));  // opens its kanji
  }
  body.replaceChildren(...parts);
  rendered = "review";
}

function render() {
  if (view.mode === "review") {
    reviewView();
  } else if (view.mode === "play") {
    playView();
  } else {
    body.replaceChildren(el("p", "hint", say(view.heading)));
    if (view.notice) body.append(el("p", "notice", view.notice));
    rendered = "hint";
  }
  $("study-actions").hidden = view.mode !== "review";
}

// A screen reader hears each match and the end of the run, never a tick.
function announce() {
  const text = say(view.announce);
  if (text && text !== said) announcer.textContent = text;
  said = text;
}

// Called after every step of the game: rebuilds the panel only when the record changed.
export function updateStudy() {
  const r = engine.studyRevision();
  if (r === revision) return;
  const began = performance.now();
  revision = r;
  const was = view;
  view = engine.studyView();
  if (!view) return;
  if (!was || was.shown !== view.shown) {
    panel.hidden = !view.shown;
    hooks.shownChanged();
  }
  if (view.mode === "review" && !(was && was.mode === "review")) hooks.ended();
  announce();
  if (!view.shown) rendered = "";
  else render();
  if (panelCost.length < 10000) panelCost.push(performance.now() - began);
}

// A new run: the panel empties until the new list has been read.
export function resetStudy() {
  revision = -1;
  view = frozen = null;
  rendered = "";
  said = "";
  panel.hidden = true;
  body.replaceChildren();
  $("study-actions").hidden = true;
}

// The program is ending: the run's files outlive it, so the panel's buttons still work.
export function freezeStudy() {
  if (view) frozen = files();
}

function files() {
  if (frozen) return frozen;
  return { review: engine.studyFile(FILE.review), again: engine.studyFile(FILE.again),
           anki: engine.studyFile(FILE.anki) };
}

export function download(bytes, name) {
  if (!bytes.length) return;
  const url = URL.createObjectURL(new Blob([bytes], { type: "text/plain;charset=utf-8" }));
  const a = Object.assign(document.createElement("a"), { href: url, download: name });
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

function actionsEnabled(on) {
  for (const b of document.querySelectorAll("#study-actions button")) b.disabled = !on;
}

// One action at a time: a second click while the new list is on its way does nothing.
function playAgain() {
  if (busy) return;
  const bytes = files().again;
  if (!bytes.length) {
    showMessage(t("needEight"));
    return;
  }
  busy = true;
  actionsEnabled(false);
  // The bytes as the engine wrote them: its byte-order mark tells the reader the encoding.
  const file = new File([bytes], t("againList") + ".txt", { type: "text/plain" });
  // Its compounds come from the list just played: the faces that list needed suffice.
  file.cutFacesSuffice = run.cutFacesSuffice;
  hooks.play(file).finally(() => {
    busy = false;
    actionsEnabled(true);
  });
}

// `shownChanged` when the panel comes or goes, `ended` at the review, `play(file)` to play
// a list of the compounds to practise again (settles when the new run has its list).
export function listenStudy(h) {
  Object.assign(hooks, h);
  $("anki").addEventListener("click", () => download(files().anki, "quendar-anki.txt"));
  $("review-file").addEventListener("click", () => download(files().review, "quendar-review.txt"));
  $("again-these").addEventListener("click", playAgain);
  // A click on a compound, in play or at the review, says its reading again.
  body.addEventListener("click", (e) => {
    const word = e.target.closest(".word");
    if (word) hooks.speak(word.textContent);
  });
  onLanguage(() => {
    rendered = "";
    shownRows = 0;
    if (view && view.shown) render();
  });
}
