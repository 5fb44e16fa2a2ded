// The page's own words in English and Japanese, and the player's three remembered choices
// (language, sound, the last shipped list): nothing else is stored. The game's captions
// and the engine's messages are the game's and stay as they are.

const WORDS = {
  en: {
    "list.jyukugo.dat": "Common compounds",
    "list.jyukugo-elementary.dat": "Elementary school",
    "list.jyukugo-joyo.dat": "Jōyō kanji",
    own: "Open your own list…",
    lists: "Word list",
    sound: "Sound",
    language: "日本語",
    languageTitle: "表示を日本語にする",
    close: "Close",
    ended: "The game has ended.",
    again: "Play again",
    howto: "How to play",
    howtoText: [
      "Blocks with the first kanji of eight compounds fall from the top; the second kanji wait at the bottom. One falling block at a time turns yellow: the target.",
      "Left and Right move the blue ↑; Up, Down or Enter fire the block above it at the target. A click or a tap on a bottom block fires that block.",
      "A right pair vanishes and scores; a wrong one costs 5 points. The menu's 終わる ends the game and shows your score; 閉じる closes it. F2 shows or hides the study panel.",
    ],
    hint: "Matched compounds show here with their readings and meanings.",
    matchedCount: "Matched this run: {0}",
    review: "Review of this run",
    reviewCounts: "{0} not matched · {1} after misses · {2} matched",
    groups: ["Not matched", "Matched after wrong shots", "Matched"],
    download: "Download for Anki",
    playAgain: "Play these again",
    needEight: "A round needs eight compounds: fewer than eight were missed in this run.",
    againList: "compounds to play again",
    credit: "Readings and meanings: JMdict/EDICT, © Electronic Dictionary Research and Development Group, CC BY-SA (https://www.edrdg.org/edrdg/licence.html)",
    cannotRead: "{0}: cannot be read: {1}",
    cannotLoad: "{0}: cannot be loaded ({1})",
    tooLong: "The script is too long for the engine's memory ({0} bytes)",
  },
  ja: {
    "list.jyukugo.dat": "よく使う熟語",
    "list.jyukugo-elementary.dat": "小学校の漢字",
    "list.jyukugo-joyo.dat": "常用漢字",
    own: "自分のリストを開く…",
    lists: "単語リスト",
    sound: "音",
    language: "English",
    languageTitle: "Show the page in English",
    close: "閉じる",
    ended: "ゲームが終わりました。",
    again: "もう一度遊ぶ",
    howto: "遊び方",
    howtoText: [
      "八つの熟語の一字目のブロックが上から落ち、二字目が下に並びます。落ちるブロックのうち一つが黄色になります。それが的です。",
      "← → で青い ↑ を動かし、↑ ↓ か Enter でその上のブロックを的に撃ちます。下のブロックをクリックやタップしても撃てます。",
      "正しい組み合わせは消えて得点、間違いは5点減ります。メニューの「終わる」で得点を表示し、「閉じる」で閉じます。F2 で学習欄を出し入れします。",
    ],
    hint: "そろえた熟語が読みと意味とともにここに出ます。",
    matchedCount: "今回そろえた熟語: {0}",
    review: "今回の振り返り",
    reviewCounts: "そろわず {0} · 間違えてから {1} · そろえた {2}",
    groups: ["そろわなかった", "間違えてからそろえた", "そろえた"],
    download: "Anki 用にダウンロード",
    playAgain: "これをもう一度",
    needEight: "1ラウンドには熟語が八つ要ります。今回の間違いは八つ未満でした。",
    againList: "もう一度の熟語",
    credit: "読みと意味: JMdict/EDICT, © Electronic Dictionary Research and Development Group, CC BY-SA (https://www.edrdg.org/edrdg/licence.html)",
    cannotRead: "{0}: 読めません: {1}",
    cannotLoad: "{0}: 読み込めません ({1})",
    tooLong: "スクリプトが長すぎてエンジンのメモリに入りません ({0} バイト)",
  },
};

// localStorage may be missing or refuse (a private window): the page then remembers nothing.
export const prefs = {
  get(key) {
    try {
      return localStorage.getItem("quendar." + key);
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

function firstLanguage() {
  const saved = prefs.get("language");
  if (saved in WORDS) return saved;
  for (const l of navigator.languages || [navigator.language || "en"]) {
    const base = String(l).toLowerCase().split("-")[0];
    if (base in WORDS) return base;
  }
  return "en";
}

export let language = firstLanguage();
const listeners = [];

// The word for `key` in the page's language, with {0}, {1}… filled in.
export function t(key, ...args) {
  const w = WORDS[language][key];
  return typeof w === "string" ? w.replace(/\{(\d)\}/g, (m, i) => String(args[+i])) : w;
}

// Calls `f` now and whenever the language changes.
export function onLanguage(f) {
  listeners.push(f);
  f();
}

function apply() {
  document.documentElement.lang = language;
  for (const e of document.querySelectorAll("[data-t]")) {
    const w = t(e.dataset.t);
    if (Array.isArray(w)) {
      e.replaceChildren(...w.map((text) => Object.assign(document.createElement("p"), { textContent: text })));
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
  if (!(l in WORDS)) return;
  language = l;
  prefs.set("language", l);
  apply();
}

export const otherLanguage = () => (language === "en" ? "ja" : "en");

apply();
