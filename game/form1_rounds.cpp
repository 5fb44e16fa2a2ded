// Start-up of the main window and the deal of each round.
#include <optional>
#include <string>

#include "elements/basics.h"
#include "elements/text.h"
#include "elements/textfile.h"
#include "game/form1.h"

namespace quendar {

namespace {
std::int16_t HomeLeft(int column) {
  return static_cast<std::int16_t>(column * Form1::kColumnPitch + Form1::kBlockLeft0);
}
}  // namespace

void Form1::Form_Load() {
  for (std::size_t i = 0; i < kSlots; ++i) {
    Label2[i]->Top = kBottomRowTop;
    Label1[i]->Top = kTopRowTop;
    Label1[i]->Left = HomeLeft(static_cast<int>(i));
    Label2[i]->Left = HomeLeft(static_cast<int>(i));
    Label1[i]->Width = Label1[i]->Height = kBlockSize;
    Label2[i]->Width = Label2[i]->Height = kBlockSize;
  }
  bonusLevel = 0;
  cursorCol = 0;
  roundNo = 0;
  score = 0;

  const std::optional<std::string> path = runtime().files().Find(kWordFile);
  if (!path) throw FatalError(runtime().files().NotFound(kWordFile));
  TextFile file;
  // One line more than the arrays hold, to tell a full list from an oversized one
  // without reading the rest of a huge file.
  if (const RawLines* read = runtime().files().Provided(kWordFile))
    file.Adopt(*read);
  else
    file.Open(*path, kMaxWords + 1);
  wordCount = 0;
  while (!file.Eof()) {
    if (wordCount == kMaxWords) {
      throw FatalError(*path + ": has more than " + std::to_string(kMaxWords) +
                       " lines; the game reads at most " + std::to_string(kMaxWords) +
                       " compounds");
    }
    ++wordCount;
    const auto k = static_cast<std::size_t>(wordCount);
    wordLines[k] = file.LineInput();
    firstChars[k] = CharAt(wordLines[k], 1);
    secondChars[k] = CharAt(wordLines[k], 2);
    wordUsed[k] = 0;
  }
  wordsRead_ = wordCount;
  runtime().study().ListRead(wordLines, wordCount);
  // Too short to deal a round from: the game ends at once, and the player hears why.
  if (wordCount < kSlots) runtime().Notice(ShortListNotice(*path, file.raw(), kSlots));
  file.Close();

  NewRound();
}

void Form1::NewRound() {
  roundNo = Saturate16(roundNo + 1);
  Label3->Caption = NumberText(roundNo);

  if (roundNo > wordCount / kSlots) {
    ShowFinalScore();
    Enabled = false;
    gameOver = true;
    return;
  }

  for (std::size_t i = 0; i < kSlots; ++i) {
    const int col = static_cast<int>(i);
    for (Label* block : {Label1[i], Label2[i]}) {
      block->Enabled = true;
      block->Left = HomeLeft(col);
      block->Width = block->Height = kBlockSize;
      block->BackColor = PaletteColor(15);
      block->ForeColor = PaletteColor(0);
    }
    Label1[i]->Top = kTopRowTop;
    Label2[i]->Top = kBottomRowTop;
    Label8[i]->Top = kMarkerTop;
    Label8[i]->Left = static_cast<std::int16_t>(col * kColumnPitch + kMarkerLeft0);
    Label8[i]->Visible = false;
  }
  Label8[static_cast<std::size_t>(cursorCol)]->Visible = true;

  hitsInRound = 0;
  for (int i = 0; i <= kSlots; ++i)
    columnDone[static_cast<std::size_t>(i)] = 0;

  Random& rnd = runtime().random();
  rnd.Reseed();
  for (std::size_t k = 0; k < kSlots; ++k) {
    do {
      // The product is taken in double precision so it never rounds up to wordCount.
      pickIndex = static_cast<std::int16_t>(
          Floor(static_cast<double>(wordCount) * static_cast<double>(rnd.Unit())) + 1);
    } while (wordUsed[static_cast<std::size_t>(pickIndex)] != 0);
    const auto p = static_cast<std::size_t>(pickIndex);
    Label1[k]->Caption = firstChars[p];
    Label2[k]->Caption = secondChars[p];
    wordUsed[p] = 1;
    runtime().study().Dealt(static_cast<int>(k), firstChars[p], secondChars[p], wordLines[p]);
  }

  pickCol = static_cast<std::int16_t>(Floor(rnd.Unit() * static_cast<float>(kSlots)));
  columnOrder[0] = pickCol;
  for (std::size_t k = 1; k < kSlots; ++k) {
    bool taken;
    do {
      pickCol = static_cast<std::int16_t>(Floor(rnd.Unit() * static_cast<float>(kSlots)));
      taken = false;
      for (std::size_t j = 0; j < k; ++j)
        taken = taken || columnOrder[j] == pickCol;
    } while (taken);
    columnOrder[k] = pickCol;
  }

  for (std::size_t i = 0; i < kSlots; ++i) {
    Label1[i]->Top = kTopRowTop;
    Label1[i]->Left = HomeLeft(columnOrder[i]);
    Label1[i]->Width = Label1[i]->Height = kBlockSize;
  }
  Timer1->SetEnabled(true);
}

}  // namespace quendar
