#include "study/words.h"

#include <algorithm>
#include <cstring>

#include "elements/snapshot.h"

namespace quendar {

namespace {

struct Word {
  const char* key;
  const char* en;
  const char* ja;
};

// Paragraphs of one text are separated by a line feed.
constexpr Word kWords[] = {
    // The study view.
    {"hint", "Matched compounds show here with their readings and meanings.",
     "そろえた熟語が読みと意味とともにここに出ます。"},
    {"hintProgress", "Due now {0} · Known {1} of {2}", "復習 {0} · 覚えた {1} / {2}"},
    {"matchedCount", "Matched this run: {0}", "今回そろえた熟語: {0}"},
    {"review", "Review of this run", "今回の振り返り"},
    {"reviewCounts", "{0} not matched · {1} after misses · {2} matched · {3} not reached",
     "そろわず {0} · 間違えてから {1} · そろえた {2} · 届かず {3}"},
    {"group.notMatched", "Not matched", "そろわなかった"},
    {"group.afterMisses", "Matched after wrong shots", "間違えてからそろえた"},
    {"group.matched", "Matched", "そろえた"},
    {"group.notReached", "Not reached", "的にならなかった"},
    {"wrongShots", "{0} wrong", "{0} 回間違い"},
    {"copyHint", "Click a row, then Ctrl+C copies it.", "行をクリックして Ctrl+C でコピー。"},
    {"copied", "Copied: {0}", "コピーしました: {0}"},
    {"announceMatch", "{0}, {1}, {2}", "{0}、{1}、{2}"},
    {"announceEnd", "The run has ended: {0} matched, {1} to review.",
     "終わりました。そろえた熟語 {0}、見直す熟語 {1}。"},
    // The review file's result column, and the Anki file's tags, stay in English (files
    // are read back by programs).
    {"result.notMatched", "not matched", "not matched"},
    {"result.notMatchedWrong", "not matched, {0} wrong shot{1}", "not matched, {0} wrong shot{1}"},
    {"result.afterMisses", "matched after {0} wrong shot{1}", "matched after {0} wrong shot{1}"},
    {"result.matched", "matched", "matched"},
    {"result.notReached", "not reached", "not reached"},
    // The page around the game.
    {"list.jyukugo.dat", "Common compounds", "よく使う熟語"},
    {"list.jyukugo-elementary.dat", "Elementary school", "小学校の漢字"},
    {"list.jyukugo-joyo.dat", "Jōyō kanji", "常用漢字"},
    {"own", "Open your own list…", "自分のリストを開く…"},
    {"lists", "Word list", "単語リスト"},
    {"sound", "Sound", "音"},
    {"voice", "Voice", "音声"},
    {"voiceTitle", "Speak each matched compound's reading after the chime",
     "そろえた熟語の読みをチャイムのあとに読み上げる"},
    {"language", "日本語", "English"},
    {"languageTitle", "表示を日本語にする", "Show the page in English"},
    {"close", "Close", "閉じる"},
    {"ended", "The game has ended.", "ゲームが終わりました。"},
    {"again", "Play again", "もう一度遊ぶ"},
    {"howto", "How to play", "遊び方"},
    {"howtoText",
     "Blocks with the first kanji of eight compounds fall from the top; the second kanji wait "
     "at the bottom. One falling block at a time turns yellow: the target.\n"
     "Left and Right move the blue ↑; Up, Down or Enter fire the block above it at the "
     "target. A click or a tap on a bottom block fires that block.\n"
     "A right pair vanishes and scores; a wrong one costs 5 points. The menu's 終わる ends the "
     "game and shows your score; 閉じる closes it. F2 shows or hides the study panel.",
     "八つの熟語の一字目のブロックが上から落ち、二字目が下に並びます。落ちるブロックのうち一つが"
     "黄色になります。それが的です。\n"
     "← → で青い ↑ を動かし、↑ ↓ か Enter でその上のブロックを的に撃ちます。下のブロックを"
     "クリックやタップしても撃てます。\n"
     "正しい組み合わせは消えて得点、間違いは5点減ります。メニューの「終わる」で得点を表示し、"
     "「閉じる」で閉じます。F2 で学習欄を出し入れします。"},
    {"game", "The game: falling kanji blocks", "ゲーム画面: 落ちてくる漢字のブロック"},
    {"download", "Download for Anki", "Anki 用にダウンロード"},
    {"downloadList", "Save as a word list", "単語リストとして保存"},
    {"playAgain", "Play these again", "これをもう一度"},
    {"needEight", "A round needs eight compounds: fewer than eight were missed in this run.",
     "1ラウンドには熟語が八つ要ります。今回の間違いは八つ未満でした。"},
    {"againList", "compounds to play again", "もう一度の熟語"},
    {"credit",
     "Readings and meanings: JMdict/EDICT, © Electronic Dictionary Research and Development "
     "Group, CC BY-SA (https://www.edrdg.org/edrdg/licence.html)",
     "読みと意味: JMdict/EDICT, © Electronic Dictionary Research and Development Group, CC "
     "BY-SA (https://www.edrdg.org/edrdg/licence.html)"},
    // The review's kanji card.
    {"kanjiOf", "The kanji of {0}", "{0}の漢字"},
    {"strokeOrder", "Stroke order of {0}", "{0}の書き順"},
    {"noMeanings", "No meanings for this kanji.", "この漢字の意味はありません。"},
    {"kanjiHint", "Click or tap a compound to see its kanji.",
     "熟語をクリックかタップすると漢字が出ます。"},
    // The desktop card's credit: its stroke order face is the one installed on the system.
    {"kanjiMeaningsCredit",
     "Kanji meanings: KANJIDIC2, © Electronic Dictionary Research and Development Group, CC "
     "BY-SA 4.0 (https://www.edrdg.org/edrdg/licence.html).",
     "漢字の意味: KANJIDIC2, © Electronic Dictionary Research and Development Group, CC BY-SA "
     "4.0 (https://www.edrdg.org/edrdg/licence.html)。"},
    {"strokeCredit", "Stroke order: the KanjiStrokeOrders font, © Ulrich Apel, BSD licence.",
     "書き順: KanjiStrokeOrders フォント, © Ulrich Apel, BSD ライセンス。"},
    {"kanjiCredit",
     "Kanji meanings: KANJIDIC2, © Electronic Dictionary Research and Development Group, CC "
     "BY-SA 4.0 (https://www.edrdg.org/edrdg/licence.html). Stroke order: the KanjiStrokeOrders "
     "font, © Ulrich Apel and the AAAA and Wadoku projects, BSD licence "
     "(fonts/KanjiStrokeOrders_License.txt).",
     "漢字の意味: KANJIDIC2, © Electronic Dictionary Research and Development Group, CC BY-SA "
     "4.0 (https://www.edrdg.org/edrdg/licence.html)。書き順: KanjiStrokeOrders フォント, © "
     "Ulrich Apel, AAAA プロジェクト, Wadoku プロジェクト, BSD ライセンス "
     "(fonts/KanjiStrokeOrders_License.txt)。"},
    // The learner's history in the page.
    {"practice", "Practice · {0} due", "練習 · 復習 {0}"},
    {"practiceTitle", "Play the compounds of this list that are due, then new ones",
     "このリストの復習の時期が来た熟語と、まだの熟語を遊ぶ"},
    {"practiceList", "compounds due", "復習の熟語"},
    {"progress", "Progress", "進み具合"},
    {"progressHeading", "Progress: {0}", "進み具合: {0}"},
    {"progressCounts", "{0} compounds: {1} known, {2} learning, {3} never met. Due now: {4}.",
     "熟語 {0}: 覚えた {1}、覚えかけ {2}、未出 {3}。いま復習: {4}。"},
    {"progressDue", "Due on each of the next 14 days: {0}.", "これから14日間の日ごとの復習: {0}。"},
    {"progressLines", "{0} lines kept in this browser; nothing leaves it.",
     "このブラウザに {0} 行。外へは送りません。"},
    {"chartTitle", "Known and learning compounds, and compounds due",
     "覚えた熟語と覚えかけの熟語、復習の熟語"},
    {"chartDesc",
     "Over the last 90 days known went from {0} to {1} and learning from {2} to {3}; {4} fall "
     "due in the next 14 days.",
     "この90日で覚えた熟語は {0} から {1}、覚えかけは {2} から {3} に。これから14日間の復習は "
     "{4}。"},
    {"chartKnown", "Known", "覚えた"},
    {"chartLearning", "Learning", "覚えかけ"},
    {"chartDue", "Due", "復習"},
    {"chartPast", "Last 90 days", "この90日"},
    {"chartNext", "Next 14 days", "これから14日"},
    {"remember", "Remember my progress", "進み具合を覚える"},
    {"export", "Export progress", "進み具合を書き出す"},
    {"import", "Import progress", "進み具合を読み込む"},
    {"imported", "{0}: {1} lines added.", "{0}: {1} 行を加えました。"},
    {"storageRefused", "Progress cannot be kept in this browser ({0}); the game plays on.",
     "このブラウザには進み具合を残せません ({0})。ゲームは続けられます。"},
    {"tooLargeHistory", "{0}: is {1} MiB, too large for a history (at most {2} MiB)",
     "{0}: {1} MiB は履歴として大きすぎます (最大 {2} MiB)"},
    {"creditVoice",
     "Spoken readings: the voice HTS Voice NIT ATR503 M001, © Nagoya Institute of Technology "
     "and Tokyo Institute of Technology, CC BY 3.0 (https://creativecommons.org/licenses/by/3.0/)",
     "読み上げ: 音声 HTS Voice NIT ATR503 M001, © 名古屋工業大学・東京工業大学, CC BY 3.0 "
     "(https://creativecommons.org/licenses/by/3.0/)"},
    {"cannotRead", "{0}: cannot be read: {1}", "{0}: 読めません: {1}"},
    {"cannotLoad", "{0}: cannot be loaded ({1})", "{0}: 読み込めません ({1})"},
    {"tooLong", "The script is too long for the engine's memory ({0} bytes)",
     "スクリプトが長すぎてエンジンのメモリに入りません ({0} バイト)"},
};

const Word* Find(std::string_view key) {
  for (const Word& w : kWords)
    if (key == w.key) return &w;
  return nullptr;
}

}  // namespace

Lang LangNamed(std::string_view name) {
  return name.substr(0, 2) == "ja" ? Lang::Ja : Lang::En;
}

const char* LangName(Lang lang) {
  return lang == Lang::Ja ? "ja" : "en";
}

Lang LangOfLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  // The first of them that is set and not empty decides, as gettext does.
  for (const char* v : {lcAll, lcMessages, lang})
    if (v && *v) return LangNamed(v);
  return Lang::En;
}

std::string Words(Lang lang, std::string_view key, const std::vector<std::string>& args) {
  const Word* w = Find(key);
  if (!w) return std::string(key);
  const std::string_view text = lang == Lang::Ja ? w->ja : w->en;
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{' && i + 2 < text.size() && text[i + 2] == '}' && text[i + 1] >= '0' &&
        text[i + 1] <= '9') {
      const auto n = static_cast<std::size_t>(text[i + 1] - '0');
      if (n < args.size()) out += args[n];
      i += 2;
      continue;
    }
    out += text[i];
  }
  return out;
}

std::string WordsModule() {
  std::string out = "// Made by the build from the engine's table of words; not to be edited.\n";
  out += "export const WORDS = {";
  for (Lang lang : {Lang::En, Lang::Ja}) {
    out += std::string(lang == Lang::En ? "" : ",") + "\n  " + JsonString(LangName(lang)) + ": {";
    bool first = true;
    for (const Word& w : kWords) {
      out += std::string(first ? "" : ",") + "\n    " + JsonString(w.key) + ": " +
             JsonString(lang == Lang::Ja ? w.ja : w.en);
      first = false;
    }
    out += "\n  }";
  }
  return out + "\n};\n";
}

}  // namespace quendar
