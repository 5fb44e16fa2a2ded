// Soak: plays long stretches of virtual time with random keys, clicks, menu commands and
// word lists, and checks after every event that the game state stays inside the ranges
// play can produce. Usage: quendar_soak [--minutes M] [--seed S]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>

#include "app/engine.h"
#include "elements/runtime.h"
#include "game/form1.h"
#include "tests/cp932.h"

namespace {

using namespace quendar;

const char* const kKanji[] = {"山", "川", "学", "校", "電", "車", "時", "間", "天", "気",
                              "代", "表", "能", "力", "示", "予", "定", "掃", "除", "面"};

// A word list of a random size: Shift-JIS with the odd empty or undecodable line, or
// now and then clean UTF-8.
std::string RandomList(std::mt19937_64& gen) {
  const int sizes[] = {0, 7, 8, 9, 15, 16, 17, 40, 300, 2000};
  const int n = sizes[gen() % std::size(sizes)];
  const bool utf8 = gen() % 4 == 0;
  std::string bytes;
  for (int i = 0; i < n; ++i) {
    const unsigned kind = gen() % 40;
    const std::string word = std::string(kKanji[gen() % 20]) + kKanji[gen() % 20];
    if (kind == 0 && !utf8) {
      bytes += "\x81\xFF";   // undecodable
    } else if (kind != 1) {  // kind 1: an empty line
      bytes += utf8 ? word : test::ToCp932(word);
    }
    bytes += "\r\n";
  }
  return bytes;
}

int violations = 0;

void Violation(const Runtime& rt, const std::string& what) {
  if (++violations <= 20) std::cerr << "t=" << rt.Now() << ": " << what << "\n";
}

void Check(Runtime& rt) {
  auto* f = static_cast<Form1*>(rt.Get("Form1"));
  if (!f) return;
  for (const auto& v : f->variables())
    for (std::size_t i = 0; i < v.count; ++i)
      if (v.data[i] < v.min || v.data[i] > v.max)
        Violation(rt, v.name + " = " + std::to_string(v.data[i]) + " is out of range");
  if (f->targetTick > 200) Violation(rt, "targetTick above 200 between events");
  if (f->Timer1->Enabled() && f->Timer2->Enabled()) Violation(rt, "Timer1 and Timer2 both running");
  const int rounds = std::min<int>(f->roundNo, f->wordCount / 8);
  const auto dealt = std::count(f->wordUsed.begin(), f->wordUsed.end(), 1);
  if (dealt != 8 * rounds)
    Violation(rt, "dealt " + std::to_string(dealt) + " compounds in " + std::to_string(rounds) +
                      " rounds: one was dealt twice");
  const bool inPlay = f->Enabled && f->roundNo <= f->wordCount / 8;
  if (inPlay) {
    const auto markers =
        std::count_if(f->Label8.begin(), f->Label8.end(), [](Label* l) { return l->Visible; });
    if (markers != 1) Violation(rt, std::to_string(markers) + " cursor markers visible");
    std::array<int, 8> seen{};
    for (std::size_t i = 0; i < 8; ++i)
      ++seen[static_cast<std::size_t>(f->columnOrder[i])];
    if (std::count(seen.begin(), seen.end(), 1) != 8)
      Violation(rt, "columnOrder not a permutation");
  } else if (!f->Enabled && (f->Timer1->Enabled() || f->Timer2->Enabled())) {
    Violation(rt, "a timer of play runs after the game over");
  }
}

}  // namespace

int main(int argc, char** argv) {
  long minutes = 10;
  std::uint64_t seed = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--minutes")) minutes = std::atol(argv[i + 1]);
    if (!std::strcmp(argv[i], "--seed")) seed = std::strtoull(argv[i + 1], nullptr, 10);
  }
  char dir[] = "/tmp/quendar-soak-XXXXXX";
  if (!mkdtemp(dir) || chdir(dir) != 0) {
    std::cerr << "soak: cannot make a scratch directory\n";
    return 1;
  }
  std::mt19937_64 gen(seed);
  long events = 0, sessions = 0;
  std::int64_t total = 0;
  const std::int64_t budget = minutes * 60000;
  while (total < budget) {
    // Each session: a fresh list, a fresh program, some minutes of play.
    {
      std::string utf8 = RandomList(gen);
      std::ofstream(std::string(dir) + "/jyukugo.dat", std::ios::binary) << utf8;
    }
    HeadlessEngine engine;
    engine.random.Seed(gen());
    Runtime& rt = engine.runtime;
    rt.Start(gen() % 2 ? "cright" : "Form1");
    ++sessions;
    const std::int64_t length = 60000 + static_cast<std::int64_t>(gen() % 600000);
    while (!rt.Exited() && rt.Now() < length) {
      const unsigned what = gen() % 1000;
      if (what < 600) {
        const std::int64_t until = rt.Now() + 1 + static_cast<std::int64_t>(gen() % 400);
        while (auto due = rt.NextDue()) {
          if (*due > until) break;
          rt.RunTimersUntil(*due);  // one tick at a time, checked after each
          ++events;
          Check(rt);
        }
        rt.RunTimersUntil(until);
      } else if (what < 900) {
        const int keys[] = {37, 38, 39, 40, 13, 32, 65, 122};
        rt.Key(keys[gen() % 8]);
      } else if (what < 980) {
        rt.Click("Label2", static_cast<int>(gen() % 8));
      } else if (what < 996) {
        rt.ClickAt(static_cast<double>(gen() % 600), static_cast<double>(gen() % 600));
      } else if (what < 998) {
        rt.Menu("owaru");
      } else if (what < 999) {
        rt.Menu("tojiru");
      } else {
        rt.Close();
      }
      ++events;
      Check(rt);
    }
    if (rt.fatal()) {
      std::cerr << "fatal error in a soak session: " << *rt.fatal() << "\n";
      ++violations;
    }
    total += rt.Now();
  }
  std::cout << "soak: " << sessions << " sessions, " << events << " events, " << total / 60000
            << " virtual minutes, " << violations << " violations\n";
  std::filesystem::remove_all(dir);
  return violations == 0 ? 0 : 1;
}
