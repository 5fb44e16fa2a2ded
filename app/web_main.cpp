// The browser edition's program: the page calls these to run the game on the real clock,
// to feed it input, and, with ?test, to run the driver on a virtual clock.
#include <emscripten.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>

#include "app/driver.h"
#include "app/program.h"
#include "app/script.h"
#include "elements/datafiles.h"
#include "elements/snapshot.h"
#include "elements/textfile.h"
#include "game/form1.h"
#include "study/record.h"
#include "web/frontend.h"

namespace quendar {
namespace {

// Where the game finds jyukugo.dat: the page's directory for a shipped list, or the lines
// of a player's file as the page streamed them through the reader.
DataFiles pageFiles;

// Lines for the player that are no error (a list too short to play) go to the page's
// message area.
void NoticeToPage(const std::string& line) {
  EM_ASM(
      {
        if (Module.quendarNotice) Module.quendarNotice(UTF8ToString($0));
      },
      line.c_str());
}

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
  PageRun() {
    runtime.SetStudy(study);
    runtime.SetFiles(pageFiles);
    runtime.SetNoticeSink(NoticeToPage);
    RegisterProgram(runtime);
  }
};

std::unique_ptr<PageRun> run;
std::unique_ptr<RawLinesReader> listReader;  // a player's file on its way in
std::string reply;                           // the text last returned to the page

const char* Reply(std::string text) {
  reply = std::move(text);
  return reply.c_str();
}

Driver::Screenshooter MakePageScreenshooter() {
  return [](const Window& w, const std::string& file) -> std::optional<std::string> {
    CaptureClientArea(w, file);
    return std::nullopt;
  };
}

}  // namespace
}  // namespace quendar

using namespace quendar;

extern "C" {

// Starts a new run in the directory holding the chosen jyukugo.dat. Returns the fatal
// error that stopped it at once, or "".
EMSCRIPTEN_KEEPALIVE const char* quendar_start(const char* dir) {
  run.reset();
  if (chdir(dir) != 0) return Reply(std::string(dir) + ": the word list directory is missing");
  run = std::make_unique<PageRun>();
  run->runtime.Start("cright");
  return Reply(run->runtime.fatal().value_or(""));
}

// Delivers the ticks that have fallen due. Returns the milliseconds until the next one,
// -1 when none is pending, -2 once the program has ended, -3 after a fatal error.
EMSCRIPTEN_KEEPALIVE int quendar_step() {
  if (!run) return -2;
  Runtime& r = run->runtime;
  std::vector<std::uint64_t> before;
  for (const auto& entry : r.tickStats())
    before.push_back(entry.second.delivered);
  r.RunTimersUntil(r.Now());
  run->bursts.resize(r.tickStats().size());
  for (std::size_t i = 0; i < before.size(); ++i)
    if (r.tickStats()[i].second.delivered > before[i] + 1) ++run->bursts[i];
  if (r.fatal()) return -3;
  if (r.Exited()) return -2;
  const auto due = r.NextDue();
  if (!due) return -1;
  return static_cast<int>(std::max<std::int64_t>(0, *due - r.Now()));
}

EMSCRIPTEN_KEEPALIVE const char* quendar_fatal() {
  return Reply(run && run->runtime.fatal() ? *run->runtime.fatal() : "");
}

// Stops (1) or restarts (0) the run's clock: no tick falls due while it is held.
EMSCRIPTEN_KEEPALIVE void quendar_hold(int on) {
  if (run) run->clock.Hold(on != 0);
}

EMSCRIPTEN_KEEPALIVE void quendar_stop() {
  run.reset();
}

EMSCRIPTEN_KEEPALIVE int quendar_draw(int w, int h, int force) {
  return run && run->screen.Draw(w, h, force != 0);
}

// The designed size of the window on show, "W H", for the page's layout, and its caption.
EMSCRIPTEN_KEEPALIVE const char* quendar_shown() {
  const Window* w = run ? run->screen.Shown() : nullptr;
  if (!w) return Reply("");
  const auto [width, height] = WindowSizeAt(*w, 1.0);
  return Reply(std::to_string(width) + " " + std::to_string(height) + " " + w->Caption);
}

// Whether another window has come on show since the last frame.
EMSCRIPTEN_KEEPALIVE int quendar_window_changed() {
  return run && run->screen.Shown() != run->screen.lastWindow();
}

// A command of the menu bar by name, exactly as a click on its slot gives it: the page's
// own large buttons on a touch screen call this.
EMSCRIPTEN_KEEPALIVE void quendar_menu(const char* name) {
  if (run) run->runtime.Menu(name);
}

EMSCRIPTEN_KEEPALIVE void quendar_key(int code) {
  if (run) run->runtime.Key(code);
}

// kind: 0 press, 1 release, 2 move, 3 leave; x, y in backing-store pixels.
EMSCRIPTEN_KEEPALIVE void quendar_pointer(int kind, int x, int y) {
  if (!run) return;
  CanvasScreen& s = run->screen;
  if (kind == 0) s.PointerDown(x, y);
  if (kind == 1) s.PointerUp(x, y);
  if (kind == 2) s.PointerMove(x, y);
  if (kind == 3) s.PointerLeave();
}

// The window manager's close button of the window on show.
EMSCRIPTEN_KEEPALIVE void quendar_close() {
  if (run) run->runtime.Close();
}

// How punctually each timer has ticked, for the benchmark: {"Form1.Timer1": [delivered,
// dropped, largest lateness in ms, wake-ups that delivered more than one tick], ...}.
EMSCRIPTEN_KEEPALIVE const char* quendar_tick_stats() {
  std::string json = "{";
  const std::size_t n = run ? run->runtime.tickStats().size() : 0;
  for (std::size_t i = 0; i < n; ++i) {
    const auto& [name, st] = run->runtime.tickStats()[i];
    json += (i ? "," : "") + JsonString(name) + ":[" + std::to_string(st.delivered) + "," +
            std::to_string(st.dropped) + "," + std::to_string(st.maxLateMs) + "," +
            std::to_string(i < run->bursts.size() ? run->bursts[i] : 0) + "]";
  }
  return Reply(json + "}");
}

// The centre of an element of the window on show, "X Y" in backing-store pixels of the
// last frame, or "" when it is not there; the page's scripts use it to aim a click.
EMSCRIPTEN_KEEPALIVE const char* quendar_element_centre(const char* name, int index) {
  const Frame* f = run ? run->screen.last() : nullptr;
  const Window* w = run ? run->screen.Shown() : nullptr;
  const Element* e = w ? w->Find(name, index) : nullptr;
  if (!f || !e || e->kind() == ElementKind::Timer) return Reply("");
  const auto& v = static_cast<const Visual&>(*e);
  const double x = f->client.x + w->UnitsToPxX(v.Left + v.Width / 2, f->scale);
  const double y = f->client.y + w->UnitsToPxY(v.Top + v.Height / 2, f->scale);
  return Reply(std::to_string(x) + " " + std::to_string(y));
}

// The menu bar's slots in the last frame, as JSON, in backing-store pixels.
EMSCRIPTEN_KEEPALIVE const char* quendar_menu_slots() {
  const Frame* f = run ? run->screen.last() : nullptr;
  std::string json = "[";
  for (std::size_t i = 0; f && i < f->menu.size(); ++i) {
    const MenuSlot& m = f->menu[i];
    json += (i ? "," : "") + std::string("{\"name\":") + JsonString(m.name) +
            ",\"x\":" + std::to_string(m.rect.x) + ",\"y\":" + std::to_string(m.rect.y) +
            ",\"w\":" + std::to_string(m.rect.w) + ",\"h\":" + std::to_string(m.rect.h) + "}";
  }
  return Reply(json + "]");
}

EMSCRIPTEN_KEEPALIVE const char* quendar_snapshot() {
  return Reply(run ? Snapshot(run->runtime, run->sound.requests(), run->study.Json()) : "null");
}

// The learner layer's record, as the snapshot's `study` member; the page's study panel is
// drawn from it, again only when the revision has changed.
EMSCRIPTEN_KEEPALIVE const char* quendar_study() {
  return Reply(run ? run->study.Json() : "null");
}

// The orders the panel lists entries in, as indices into quendar_study()'s entries: the
// matches newest first, and the review's order.
EMSCRIPTEN_KEEPALIVE const char* quendar_study_order() {
  if (!run) return Reply("null");
  auto list = [](const std::vector<int>& v) {
    std::string o = "[";
    for (std::size_t i = 0; i < v.size(); ++i)
      o += (i ? "," : "") + std::to_string(v[i]);
    return o + "]";
  };
  return Reply("{\"matches\":" + list(run->study.matchOrder()) +
               ",\"review\":" + list(ReviewOrder(run->study.entries())) + "}");
}

EMSCRIPTEN_KEEPALIVE int quendar_study_revision() {
  return run ? static_cast<int>(run->study.revision() & 0x7FFFFFFF) : -1;
}

// The review as a UTF-8 word list a flashcard program imports ("" before anything was dealt).
EMSCRIPTEN_KEEPALIVE const char* quendar_review_text() {
  return Reply(run && !run->study.entries().empty() ? ReviewText(run->study.entries()) : "");
}

// A word list of the compounds to play again, or "" when they are fewer than a round.
EMSCRIPTEN_KEEPALIVE const char* quendar_again_text() {
  return Reply(run ? AgainText(run->study.entries(), Form1::kSlots) : "");
}

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
    reply = e.what();
    listReader.reset();
    return -1;
  }
  return listReader->WantsMore() ? 1 : 0;
}

// The refusal quendar_list_feed met (-1).
EMSCRIPTEN_KEEPALIVE const char* quendar_list_error() {
  return reply.c_str();
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
