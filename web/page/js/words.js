// The page's words in English and Japanese, from the learner layer's one table (the build
// writes it into words-table.js), and the player's four remembered choices (language,
// sound, voice, the last shipped list): nothing else is stored. The game's captions and the
// engine's messages are the game's and stay as they are.
import { WORDS } from "./words-table.js";

const own = (o, k) => Object.prototype.hasOwnProperty.call(o, k);

// localStorage may be missing or refuse (a private window): the page then remembers nothing.
// A stored value is only ever compared with known values, never used as a key.
export const prefs = {
  get(key) {
    try {
      const v = localStorage.getItem("quendar." + key);
      return typeof v === "string" ? v : null;
    } catch (e) {
      return null;
    }
  },
  set(key, value) {
    try {
      localStorage.setItem("quendar." + key, value);
    } catch (e) {
      // not remembered
    }
  },
};

const LANGUAGES = Object.keys(WORDS);

function firstLanguage() {
  const saved = prefs.get("language");
  if (LANGUAGES.includes(saved)) return saved;
  for (const l of navigator.languages || [navigator.language || "en"]) {
    const base = String(l).toLowerCase().split("-")[0];
    if (LANGUAGES.includes(base)) return base;
  }
  return "en";
}

export let language = firstLanguage();
const listeners = [];

// The word for `key` in the page's language, with {0}, {1}… filled in; the key itself
// when the table has no such word.
export function t(key, ...args) {
  const words = WORDS[language];
  const w = own(words, key) ? words[key] : String(key);
  return w.replace(/\{(\d)\}/g, (m, i) => String(args[+i] ?? ""));
}

// A word of the study view: a key with its arguments.
export const say = (text) => (text && text.key ? t(text.key, ...(text.args || [])) : "");

// Calls `f` now and whenever the language changes.
export function onLanguage(f) {
  listeners.push(f);
  f();
}

function apply() {
  document.documentElement.lang = language;
  for (const e of document.querySelectorAll("[data-t]")) {
    const w = t(e.dataset.t);
    if (e.dataset.paragraphs !== undefined) {
      e.replaceChildren(...w.split("\n").map((text) => Object.assign(document.createElement("p"), { textContent: text })));
    } else if (e.firstChild && e.firstChild.nodeType === Node.TEXT_NODE) {
      e.firstChild.nodeValue = w;  // a label keeps its input after the words
    } else {
      e.prepend(w);
    }
  }
  for (const e of document.querySelectorAll("[data-t-title]")) e.title = t(e.dataset.tTitle);
  for (const e of document.querySelectorAll("[data-t-label]")) e.setAttribute("aria-label", t(e.dataset.tLabel));
  for (const f of listeners) f();
}

export function setLanguage(l) {
  if (!LANGUAGES.includes(l)) return;
  language = l;
  prefs.set("language", l);
  apply();
}

export const otherLanguage = () => (language === "en" ? "ja" : "en");

apply();
