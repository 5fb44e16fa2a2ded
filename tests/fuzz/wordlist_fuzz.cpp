// Fuzz target: the word-list reader and decoder, fed arbitrary file contents.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "elements/runtime.h"
#include "elements/text.h"
#include "elements/textfile.h"

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
  try {
    quendar::TextFile file;
    file.Open(path, 2001);
    while (!file.Eof()) {
      const std::string line = file.LineInput();
      // Whatever the bytes, the decoded text must be valid UTF-8 the game can index.
      if (!quendar::IsValidUtf8(line)) __builtin_trap();
      (void)quendar::CharAt(line, 1);
      (void)quendar::CharAt(line, 2);
    }
  } catch (const quendar::FatalError&) {
  }
  for (auto enc : {quendar::TextEncoding::ShiftJis, quendar::TextEncoding::Utf8})
    if (!quendar::IsValidUtf8(quendar::DecodeLine(bytes, enc))) __builtin_trap();
  return 0;
}
