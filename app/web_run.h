// What the page's entry points share: the run on the page's clock, the files the game reads,
// and the text last handed to the page. Split by job over web_main.cpp (the run, input and
// drawing), web_study.cpp (the learner layer) and web_lists.cpp (word lists and scripts).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "elements/datafiles.h"
#include "elements/runtime.h"
#include "study/record.h"
#include "web/frontend.h"

namespace quendar::web {

// One run of the program on the page's clock, sound and canvas.
struct PageRun {
  PageClock clock;
  Random random{clock};
  PageSound sound{clock};
  StudyRecord study;
  Runtime runtime{clock, random, sound};
  CanvasScreen screen{runtime};
  // Per timer, the wake-ups of the page that delivered more than one of its ticks: a
  // timer that caught up on missed ticks would show here.
  std::vector<std::uint64_t> bursts;
  PageRun();
};

// Where the game finds its word list: the page's directory for a shipped list, or the
// lines of a player's file as the page streamed them through the reader.
extern DataFiles pageFiles;
extern std::unique_ptr<PageRun> run;

// Keeps `text` until the next reply and returns it for the page to read.
const char* Reply(std::string text);
const std::string& LastReply();

// Bytes for the page to copy out whole (a BOM and every byte kept, NUL included): the
// page reads quendar_bytes_size() bytes at the address returned.
const char* ReplyBytes(std::string bytes);
const std::string& LastBytes();

}  // namespace quendar::web
