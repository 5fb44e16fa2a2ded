// quendar: the game, on the SDL front end, with the study strip beside it.
#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "app/bench_stats.h"
#include "app/game_args.h"
#include "app/program.h"
#include "app/run_history.h"
#include "platform/data_dirs.h"
#include "platform/fonts.h"
#include "platform/frontend.h"
#include "platform/pictures.h"
#include "platform/voice.h"
#include "study/anki.h"
#include "study/kanji.h"
#include "study/record.h"
#include "study/review_file.h"
#include "study/strip.h"
#include "study/voice.h"

namespace {

void WriteReview(const std::string& file, const std::string& anki,
                 const quendar::StudyRecord& study) {
  if (study.entries().empty()) return;
  if (!file.empty())
    if (auto error = quendar::WriteReviewFile(file, quendar::ReviewText(study.entries())))
      std::cerr << "quendar: " << *error << std::endl;
  if (!anki.empty())
    if (auto error = quendar::WriteReviewFile(anki, quendar::AnkiText(study.entries())))
      std::cerr << "quendar: " << *error << std::endl;
}

// Every file this run reads, found as the game will find it, so the review is never
// written over one of them.
std::vector<quendar::ReadFile> FilesTheGameReads(const std::string& list) {
  std::vector<quendar::ReadFile> read;
  const quendar::DataFiles files = quendar::GameDataFiles(list);
  if (auto path = files.Find("jyukugo.dat")) read.push_back({*path, "the word list being played"});
  for (const char* sound : {"seikai2.wav", "matigai.wav"})
    if (auto path = files.Find(sound)) read.push_back({*path, std::string("the sound ") + sound});
  for (const char* data : {"kanji.tsv", "voice/readings.tsv", "voice/readings.opus"})
    if (auto path = files.Find(data)) read.push_back({*path, std::string("the game's ") + data});
  for (const std::string& dir : quendar::DefaultPictureDirs()) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
      read.push_back({it->path().string(), "a picture the game shows"});
  }
  return read;
}

// The folder of the recorded readings, found where the sounds are; "" for none.
std::string VoiceDir(const std::string& list) {
  const auto index = quendar::GameDataFiles(list).Find("voice/readings.tsv");
  return index ? std::filesystem::path(*index).parent_path().string() : "";
}

}  // namespace

int main(int argc, char** argv) {
  const quendar::GameArgs args = quendar::ParseGameArgs(argc, argv);
  switch (args.action) {
    case quendar::GameArgs::Action::Help:
      std::cout << quendar::GameUsage();
      return 0;
    case quendar::GameArgs::Action::Version:
      std::cout << quendar::GameVersion();
      return 0;
    case quendar::GameArgs::Action::Error:
      std::cerr << "quendar: " << args.error << '\n' << quendar::GameUsage();
      return 2;
    case quendar::GameArgs::Action::Play:
      break;
  }
  // Refused before anything opens, so a review is never lost at the end of a game.
  for (const std::string* file : {&args.review, &args.anki}) {
    if (file->empty()) continue;
    if (auto problem = quendar::ReviewTargetProblem(*file, FilesTheGameReads(args.list))) {
      std::cerr << "quendar: " << *problem << '\n';
      return 2;
    }
  }
  quendar::FrontEndOptions options;
  options.scale = args.scale;
  options.list = args.list;
  options.fullscreen = args.fullscreen;
  quendar::RunHistory history(args.history, args.noHistory, args.list);
  if (args.practice) {
    std::string error;
    if (!history.MakePractice(48, options.list, error)) {
      std::cerr << "quendar: " << error << '\n';
      return 1;
    }
  }

  quendar::StudyRecord study(args.study);
  const quendar::Lang lang =
      args.lang.empty() ? quendar::LangOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                                                std::getenv("LANG"))
                        : quendar::LangNamed(args.lang);
  quendar::StudyStrip strip(study, "Form1", lang);
  strip.SetKanji(
      [list = args.list] {
        const auto path = quendar::GameDataFiles(list).Find("kanji.tsv");
        quendar::KanjiTable table = quendar::KanjiTable::Load(path.value_or("kanji.tsv"));
        if (!table.problem().empty()) std::cerr << "quendar: " << table.problem() << std::endl;
        return table;
      },
      // The face is looked up when the first card asks, like the table: not at start-up.
      [glyphs = std::optional<std::function<bool(char32_t)>>()](char32_t c) mutable {
        if (!glyphs) glyphs = quendar::StrokeOrderGlyphs();
        return *glyphs && (*glyphs)(c);
      });
  history.ShowProgress(study);
  study.OnEnded([&] { WriteReview(args.review, args.anki, study); });

  // The readings speak through the game's mixer, made inside the run and gone after it.
  std::unique_ptr<quendar::MixerVoice> voiceOut;
  std::unique_ptr<quendar::Voice> voice;
  const auto now = [] { return static_cast<std::int64_t>(SDL_GetTicks64()); };
  study.OnMatched([&](const quendar::StudyEntry& e) {
    if (voice) voice->Request(e.word, now());
  });
  strip.OnSpeak([&](const std::string& word) {
    if (voice) voice->Request(word, now());
  });
  study.OnVoiceKey([&] {
    if (voice) voice->Toggle();
  });
  quendar::ProgramDescription program{
      [&](quendar::Runtime& runtime) {
        runtime.SetStudy(study);
        quendar::RegisterProgram(runtime);
      },
      "cright", quendar::MakeWindow, [&](const quendar::Window& w) { return strip.For(w); },
      [&](quendar::MixerSound& sound) {
        voiceOut = std::make_unique<quendar::MixerVoice>(sound);
        voice = std::make_unique<quendar::Voice>(VoiceDir(args.list), *voiceOut, args.voice);
      }};
  quendar::FrontEndHooks hooks = history.Wrap(quendar::BenchStatsHooks(), study);
  hooks.eventsDelivered = [&, inner = std::move(hooks.eventsDelivered)](const auto& runtime) {
    if (inner) inner(runtime);
    if (voice) voice->Poll(now());
    if (voiceOut) voiceOut->Flush();
  };
  hooks.finished = [&, inner = std::move(hooks.finished)](const auto& runtime) {
    if (inner) inner(runtime);
    voice.reset();  // before the mixer closes
    voiceOut.reset();
  };
  const int status = quendar::RunGame(options, program, hooks);
  WriteReview(args.review, args.anki, study);
  history.Append(study);
  return status;
}
