// Fuzz target: the word-list reader and decoder, fed arbitrary file contents.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/engine.h"
#include "elements/frame.h"
#include "elements/keys.h"
#include "elements/runtime.h"
#include "elements/text.h"
#include "elements/textfile.h"
#include "study/record.h"
#include "study/strip.h"

namespace {

// Widths by bytes: enough for the strip's fitting to cut, wrap and add ellipses.
class ByteMetrics : public quendar::TextMetrics {
 public:
  int LineHeight(const std::string&, int px, bool) override { return px + 2; }
  int Width(std::string_view text, const std::string&, int px, bool) override {
    return static_cast<int>(text.size()) * px / 2;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = [] {
    char name[] = "/tmp/quendar-fuzz-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    return std::string(name);
  }();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  quendar::StudyRecord study;
  std::vector<std::string> lines(1);
  try {
    quendar::TextFile file;
    file.Open(path, 2001);
    while (!file.Eof()) {
      const std::string line = file.LineInput();
      // Whatever the bytes, the decoded text must be valid UTF-8 the game can index.
      if (!quendar::IsValidUtf8(line)) __builtin_trap();
      (void)quendar::CharAt(line, 1);
      (void)quendar::CharAt(line, 2);
      // Its reading and meaning reach screens and files: valid, without control characters.
      const quendar::Annotation a = quendar::AnnotationOf(line);
      for (const std::string* col : {&a.reading, &a.meaning}) {
        if (!quendar::IsValidUtf8(*col)) __builtin_trap();
        for (unsigned char c : *col)
          if (c < 0x20 || c == 0x7F) __builtin_trap();
      }
      lines.push_back(line);
    }
  } catch (const quendar::FatalError&) {
  }
  // The strip laid out and fitted for every line, as matches and the review show them.
  study.ListRead(lines, static_cast<int>(lines.size()) - 1);
  static quendar::HeadlessEngine engine(false);
  static quendar::Window window(engine.runtime, "Form1");
  window.clientWidthPx = 580;
  window.clientHeightPx = 566;
  ByteMetrics metrics;
  quendar::StudyStrip strip(study, "Form1");
  for (std::size_t k = 1; k < lines.size() && k <= 64; ++k) {
    const int slot = static_cast<int>((k - 1) % 8);
    study.Dealt(slot, quendar::CharAt(lines[k], 1), quendar::CharAt(lines[k], 2), lines[k]);
    if (k % 5) study.Targeted(slot);
    study.Judged(slot, k % 3 != 0);
    if (k % 8 == 0 || k + 1 == lines.size()) {
      if (k + 1 == lines.size()) study.Ended();
      strip.Rebuild(566);
      // The review scrolled, a row chosen and copied, as a learner would.
      strip.Key(quendar::KeyCode::kEnd);
      strip.Wheel(1);
      strip.Click(100, 300);
      (void)strip.CopyText();
      for (int w : {812, 300})
        (void)quendar::BuildWindowFrame(window, w, 586, -1, metrics, strip.For(window));
    }
  }
  for (auto enc : {quendar::TextEncoding::ShiftJis, quendar::TextEncoding::Utf8})
    if (!quendar::IsValidUtf8(quendar::DecodeLine(bytes, enc))) __builtin_trap();
  return 0;
}
