// The page's entry points for word lists and scripts: a player's own file streamed through
// the game's reader, a shipped list, and the driver on a virtual clock with ?test.
#include <emscripten.h>
#include <unistd.h>

#include <sstream>
#include <string>

#include "app/driver.h"
#include "app/script.h"
#include "app/web_run.h"
#include "elements/snapshot.h"
#include "elements/textfile.h"
#include "game/form1.h"

using namespace quendar;
using namespace quendar::web;

namespace {

std::unique_ptr<RawLinesReader> listReader;  // a player's file on its way in
std::string listError;

Driver::Screenshooter MakePageScreenshooter() {
  return [](const Window& w, const std::string& file) -> std::optional<std::string> {
    CaptureClientArea(w, file);
    return std::nullopt;
  };
}

}  // namespace

extern "C" {

// A player's file, streamed through the game's own reader a piece at a time, so that the
// page reads exactly what the desktop reads while holding no more of the file than the
// lines it keeps. `label` is the file's name as messages give it. Each call returns ""
// or the reader's refusal; quendar_list_feed returns 1 while it wants more bytes.
EMSCRIPTEN_KEEPALIVE const char* quendar_list_open(const char* label, double size) {
  pageFiles = DataFiles();
  listReader.reset();
  try {
    listReader = std::make_unique<RawLinesReader>(
        label, Form1::kMaxWords + 1, TextFile::kMaxChars * 4, static_cast<std::uint64_t>(size));
  } catch (const FatalError& e) {
    return Reply(e.what());
  }
  return Reply("");
}

EMSCRIPTEN_KEEPALIVE int quendar_list_feed(const char* bytes, int length) {
  if (!listReader) return 0;
  try {
    listReader->Feed(bytes, static_cast<std::size_t>(length));
  } catch (const FatalError& e) {
    listError = e.what();
    listReader.reset();
    return -1;
  }
  return listReader->WantsMore() ? 1 : 0;
}

// The refusal quendar_list_feed met (-1).
EMSCRIPTEN_KEEPALIVE const char* quendar_list_error() {
  return Reply(listError);
}

// Ends a player's file: the game reads its lines from now on, under `label`.
EMSCRIPTEN_KEEPALIVE void quendar_list_close(const char* label) {
  if (!listReader) return;
  pageFiles.Provide("jyukugo.dat", label, std::make_shared<RawLines>(listReader->Finish()));
  listReader.reset();
}

// A shipped list: the game reads jyukugo.dat from the run directory again.
EMSCRIPTEN_KEEPALIVE void quendar_list_shipped() {
  pageFiles = DataFiles();
  listReader.reset();
}

// Runs a driver script of `length` bytes (on the heap, so any length fits, and a NUL byte
// is a character of its line as quendar-sim reads it) on a virtual clock in `dir`, which
// holds the chosen list. Returns {"snapshots": [...]} with a snapshot per `snapshot`
// line, plus "error" with the driver's message when a line is malformed or the program
// stopped with a fatal error.
EMSCRIPTEN_KEEPALIVE const char* quendar_run_script(const char* dir, const char* script,
                                                    int length) {
  if (chdir(dir) != 0) return Reply("{\"status\":2,\"error\":\"no word list directory\"}");
  std::ostringstream out, err;
  Driver driver(out, err, MakePageScreenshooter());
  driver.runtime().SetFiles(pageFiles);
  // Read in place: a long script is not copied again.
  struct InPlace : std::streambuf {
    InPlace(const char* p, std::size_t n) {
      char* b = const_cast<char*>(p);
      setg(b, b, b + n);
    }
  } source(script, static_cast<std::size_t>(length));
  std::istream in(&source);
  std::string line;
  int status = 0;
  // Line by line exactly as quendar-sim reads its script.
  for (int lineNo = 1; ReadScriptLine(in, line); ++lineNo) {
    if (auto s = driver.RunLine(line, lineNo)) {
      status = *s;
      break;
    }
  }
  std::string json = "{\"status\":" + std::to_string(status) +
                     ",\"error\":" + JsonString(err.str()) + ",\"snapshots\":[";
  std::istringstream lines(out.str());
  bool first = true;
  while (std::getline(lines, line)) {
    if (!first) json += ",";
    json += line;
    first = false;
  }
  return Reply(json + "]}");
}

}  // extern "C"
