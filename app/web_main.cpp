// The browser edition's program: the page calls these to run the game on the real clock,
// to feed it input, and, with ?test, to run the driver on a virtual clock.
#include <emscripten.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/program.h"
#include "app/web_run.h"
#include "elements/keys.h"
#include "elements/snapshot.h"
#include "game/form1.h"

namespace quendar::web {

DataFiles pageFiles;
std::unique_ptr<PageRun> run;

namespace {

std::string reply;  // the text last returned to the page
std::string bytesReply;

// Lines for the player that are no error (a list too short to play) go to the page's
// message area.
void NoticeToPage(const std::string& line) {
  EM_ASM(
      {
        if (Module.quendarNotice) Module.quendarNotice(UTF8ToString($0));
      },
      line.c_str());
}

}  // namespace

PageRun::PageRun() {
  runtime.SetStudy(study);
  runtime.SetFiles(pageFiles);
  runtime.SetNoticeSink(NoticeToPage);
  // The page speaks the reading once the chime it is about to play has ended.
  study.OnMatched([](const StudyEntry& e) {
    EM_ASM(
        {
          if (Module.quendarVoice) Module.quendarVoice.matched(UTF8ToString($0));
        },
        e.word.c_str());
  });
  RegisterProgram(runtime);
}

const char* Reply(std::string text) {
  reply = std::move(text);
  return reply.c_str();
}

const std::string& LastReply() {
  return reply;
}

const char* ReplyBytes(std::string bytes) {
  bytesReply = std::move(bytes);
  return bytesReply.data();
}

const std::string& LastBytes() {
  return bytesReply;
}

}  // namespace quendar::web

using namespace quendar;
using namespace quendar::web;

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

// The keys the page passes on, by the names the browser gives them, with the codes the
// game and the learner layer test.
EMSCRIPTEN_KEEPALIVE const char* quendar_keys() {
  using namespace KeyCode;
  const std::pair<const char*, int> keys[] = {
      {"Enter", kEnter},       {"ArrowLeft", kLeft}, {"ArrowUp", kUp}, {"ArrowRight", kRight},
      {"ArrowDown", kDown},    {"F2", kF2},          {"PageUp", kPageUp}, {"PageDown", kPageDown},
      {"Home", kHome},         {"End", kEnd}};
  std::string json = "{";
  for (const auto& [name, code] : keys)
    json += (json.size() > 1 ? "," : "") + JsonString(name) + ":" + std::to_string(code);
  return Reply(json + "}");
}

// The name the game reads its word list by, in the folder the page gives quendar_start.
EMSCRIPTEN_KEEPALIVE const char* quendar_list_file() {
  return Reply(Form1::kWordFile);
}

// The size of the bytes last handed out by a function that returns bytes.
EMSCRIPTEN_KEEPALIVE int quendar_bytes_size() {
  return static_cast<int>(LastBytes().size());
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

// The menu bar's slots in the last frame, as JSON, in backing-store pixels, with each
// command's caption (the page's own large buttons show it).
EMSCRIPTEN_KEEPALIVE const char* quendar_menu_slots() {
  const Frame* f = run ? run->screen.last() : nullptr;
  const Window* w = run ? run->screen.lastWindow() : nullptr;
  std::string json = "[";
  for (std::size_t i = 0; f && i < f->menu.size(); ++i) {
    const MenuSlot& m = f->menu[i];
    std::string caption;
    for (const MenuItem& item : w ? w->menus() : std::vector<MenuItem>{})
      if (item.name == m.name) caption = item.Caption;
    json += (i ? "," : "") + std::string("{\"name\":") + JsonString(m.name) +
            ",\"caption\":" + JsonString(caption) + ",\"enabled\":" + (m.enabled ? "true" : "false") +
            ",\"x\":" + std::to_string(m.rect.x) + ",\"y\":" + std::to_string(m.rect.y) +
            ",\"w\":" + std::to_string(m.rect.w) + ",\"h\":" + std::to_string(m.rect.h) + "}";
  }
  return Reply(json + "]");
}

EMSCRIPTEN_KEEPALIVE const char* quendar_snapshot() {
  return Reply(run ? Snapshot(run->runtime, run->sound.requests(), run->study.Json()) : "null");
}

}  // extern "C"
