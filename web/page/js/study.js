// The study panel beside the game: the compound matched last, large, with its reading and
// meaning, then the run's matches newest first; at the end, the review of every compound
// dealt, to download for a flashcard program or to play again. Filled from the engine's
// learner layer, again only when its record changed.
import { $, run, showMessage } from "./page.js";
import { requestDraw } from "./loop.js";
import { onLanguage, t } from "./words.js";
import { keepAwake } from "./awake.js";
import { choose } from "./lists.js";

const panel = $("study");
const body = $("study-body");
let revision = -1;
let shownMatches = 0;  // how many matches the play view lists, the large one included
let view = "";         // "hint", "play" or "review": what the body holds
let study = null, order = null;
let frozen = null;     // the review's texts, kept when the program has ended
// What each update that found the record changed cost, in ms, for the benchmark.
export const panelCost = [];

const engineJson = (name) => JSON.parse(Module.ccall(name, "string", [], []));

function el(tag, cls, text) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (text) e.textContent = text;
  return e;
}

// One compound on a row: the compound, its reading, and its meaning under the reading.
function row(entry, mark) {
  const li = el("li");
  li.append(el("span", "word", entry.word), el("span", "reading", entry.reading),
            el("span", "meaning", entry.meaning));
  if (mark) li.append(el("span", "mark", mark));
  return li;
}

function playView() {
  const m = order.matches;
  if (!m.length) {
    if (view !== "hint") body.replaceChildren(el("p", "hint", t("hint")));
    view = "hint";
    shownMatches = 0;
    return;
  }
  if (view !== "play" || m.length < shownMatches) {
    body.replaceChildren(el("div", "last"), el("p", "count"), el("ol", "matches"));
    shownMatches = 1;
    view = "play";
  }
  const last = study.entries[m[0]];
  body.firstChild.replaceChildren(el("span", "word", last.word), el("span", "reading", last.reading),
                                  el("span", "meaning", last.meaning));
  body.children[1].textContent = m.length > 1 ? t("matchedCount", m.length) : "";
  // Only the new matches are added: the list above the old ones grows by them.
  const list = body.lastChild;
  for (let i = m.length - shownMatches; i >= 1; i--) list.prepend(row(study.entries[m[i]]));
  shownMatches = m.length;
}

function reviewView() {
  const counts = [0, 0, 0];
  const group = (e) => (!e.matched ? 0 : e.wrong > 0 ? 1 : 2);
  for (const e of study.entries) counts[group(e)]++;
  const parts = [el("h2", null, t("review")), el("p", "count", t("reviewCounts", ...counts))];
  let current = -1, list = null;
  for (const i of order.review) {
    const e = study.entries[i];
    if (group(e) !== current) {
      current = group(e);
      list = el("ol", "matches g" + current);
      parts.push(el("h3", "g" + current, t("groups")[current]), list);
    }
    list.append(row(e, e.wrong ? "×" + e.wrong : ""));
  }
  body.replaceChildren(...parts);
  view = "review";
}

function render() {
  if (!study) return;
  if (study.ended) reviewView();
  else playView();
  $("study-actions").hidden = !study.ended;
}

// Called after every step of the game: rebuilds the panel only when the record changed.
export function updateStudy() {
  const r = Module._quendar_study_revision();
  if (r === revision) return;
  const began = performance.now();
  revision = r;
  const was = study;
  study = engineJson("quendar_study");
  if (!study) return;
  // The orders only matter to a panel on show.
  order = study.shown ? engineJson("quendar_study_order") : null;
  if (!was || was.shown !== study.shown) {
    panel.hidden = !study.shown;
    requestDraw(true);  // the game's room changed: fit it again
  }
  if (study.ended && !(was && was.ended)) {
    keepAwake(false);
    $("howto").open = false;
  }
  if (!study.shown) view = "";
  else render();
  if (panelCost.length < 10000) panelCost.push(performance.now() - began);
}

// A new run: the panel empties until the new list has been read.
export function resetStudy() {
  revision = -1;
  study = order = frozen = null;
  view = "";
  panel.hidden = true;
  body.replaceChildren();
  $("study-actions").hidden = true;
}

// The program is ending: the review's texts outlive it, so its buttons still work.
export function freezeStudy() {
  if (study) frozen = texts();
}

function texts() {
  if (frozen) return frozen;
  return { review: Module.ccall("quendar_review_text", "string", [], []),
           again: Module.ccall("quendar_again_text", "string", [], []) };
}

function download() {
  const text = texts().review;
  if (!text) return;
  const url = URL.createObjectURL(new Blob([text], { type: "text/plain;charset=utf-8" }));
  const a = Object.assign(document.createElement("a"), { href: url, download: "quendar-review.txt" });
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

function playAgain() {
  const text = texts().again;
  if (!text) {
    showMessage(t("needEight"));
    return;
  }
  const file = new File([text], t("againList") + ".txt", { type: "text/plain" });
  // Its compounds come from the list just played: the faces that list needed suffice.
  file.cutFacesSuffice = run.cutFacesSuffice;
  choose(null, file);
}

export function listenStudy() {
  $("anki").addEventListener("click", download);
  $("again-these").addEventListener("click", playAgain);
  onLanguage(() => {
    view = "";
    shownMatches = 0;
    if (study && study.shown) render();
  });
}
