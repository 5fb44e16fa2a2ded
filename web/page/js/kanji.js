// The kanji card: a click, a tap or Enter on a compound of the review opens both its kanji
// with their meanings (from the engine, which reads kanji.tsv) and their stroke order. The
// table and the stroke order face are fetched when the first card opens, never before. The
// card only shows: the game has ended when the review is there, and nothing here reaches it.
import { $, versioned } from "./page.js";
import { engine } from "./engine.js";
import { t } from "./words.js";

const body = $("study-body");
const STROKES = "QuendarKanjiStrokes";
let dialog = null;
let shown = null;   // the compound on the card
let from = null;    // the row it was opened from, which gets the focus back
let table = null;   // settles to what was wrong with kanji.tsv, or ""
let strokes = null; // settles once the stroke order face is in (or could not be)

function el(tag, cls, text, lang) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (text) e.textContent = text;
  if (lang) e.lang = lang;
  return e;
}

async function loadTable() {
  try {
    const r = await fetch(versioned("lists/kanji.tsv"));
    if (!r.ok) return t("cannotLoad", "kanji.tsv", r.status);
    return engine.kanjiLoad(new Uint8Array(await r.arrayBuffer()));
  } catch (e) {
    return t("cannotLoad", "kanji.tsv", e.message || e.name);
  }
}

async function loadStrokes() {
  try {
    const r = await fetch(versioned("fonts/kanji-strokes.woff2"));
    if (!r.ok) throw new Error(r.status);
    document.fonts.add(await new FontFace(STROKES, await r.arrayBuffer()).load());
    dialog.classList.add("strokes-in");
  } catch (e) {
    // The card keeps the kanji in the page's face; only the stroke numbers are missing.
    console.warn("fonts/kanji-strokes.woff2: cannot be loaded (" + (e.message || e.name) + ")");
  }
}

function make() {
  dialog = el("dialog", "kanji-card");
  dialog.id = "kanji-card";
  dialog.setAttribute("aria-labelledby", "kanji-card-title");
  // A click on the backdrop lands on the dialog itself; its content sits in an inner box.
  dialog.addEventListener("click", (e) => { if (e.target === dialog) dialog.close(); });
  dialog.addEventListener("close", () => {
    shown = null;
    if (from && from.isConnected) from.focus({ preventScroll: true });
    from = null;
  });
  document.body.append(dialog);
}

// Writes the card for `shown` in the page's language (which cannot change while the card is
// open); the meanings are KANJIDIC2's English.
async function fill() {
  const word = shown;
  const problem = await table;
  if (word !== shown) return;
  const card = engine.kanjiCard(word);
  const title = el("h2", null, null);
  title.id = "kanji-card-title";
  const [before, after] = t("kanjiOf", "\u0000").split("\u0000");
  title.append(before, el("span", null, word, "ja"), after || "");
  const list = el("ul", "kanji-list");
  for (const k of card) {
    const item = el("li", "kanji");
    const diagram = el("span", "strokes", k.kanji, "ja");
    diagram.setAttribute("role", "img");
    diagram.setAttribute("aria-label", t("strokeOrder", k.kanji));
    item.append(diagram, el("span", "glyph", k.kanji, "ja"),
                k.meanings ? el("p", "meanings", k.meanings, "en") : el("p", "meanings none", t("noMeanings")));
    list.append(item);
  }
  const close = el("button", "close", t("close"));
  close.type = "button";
  close.addEventListener("click", () => dialog.close());
  const box = el("div", "box");
  box.append(title, list);
  if (problem) box.append(el("p", "problem", problem));
  box.append(el("p", "credit", t("kanjiCredit")), close);
  dialog.replaceChildren(box);
}

function openCard(word, row) {
  if (!dialog) make();
  // Both are fetched now, with the first card, and kept for the ones after it.
  if (!table) table = loadTable();
  if (!strokes) strokes = loadStrokes();
  shown = word;
  from = row;
  fill().then(() => {
    if (shown !== word || dialog.open) return;
    dialog.showModal();
    dialog.querySelector("button.close").focus({ preventScroll: true });
  });
}

// The row a click or key landed on, when the panel shows the review.
function reviewRow(target) {
  const row = target instanceof Element && target.closest("#study-body li");
  return row && body.querySelector("h2") ? row : null;
}

export function listenKanji() {
  body.addEventListener("click", (e) => {
    const row = reviewRow(e.target);
    // Text chosen to copy is no request for a card.
    const chosen = String(getSelection() || "");
    if (!row || chosen) return;
    openCard(row.querySelector(".word").textContent, row);
  });
  body.addEventListener("keydown", (e) => {
    const row = e.key === "Enter" && reviewRow(e.target);
    if (!row || e.target !== row) return;
    e.preventDefault();
    openCard(row.querySelector(".word").textContent, row);
  });
}
