// The recorded readings: which stream of the pack speaks a compound, and when it may be
// heard. A reading waits for the game's own sound to finish and never sounds over it: the
// chime and the buzzer are the game, the voice only stands beside it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quendar {

// Where one compound's Ogg Opus stream lies in the pack.
struct VoiceClip {
  std::uint64_t offset = 0, length = 0;
};

// The index `compound TAB reading TAB offset TAB length`, one line each, checked against the
// pack's size. Lines that are not four fields with a clip inside the pack are skipped and
// counted, and `problem` names the first of them.
struct VoiceIndex {
  std::map<std::string, VoiceClip, std::less<>> clips;
  std::string problem;
};
VoiceIndex ParseVoiceIndex(std::string_view text, std::uint64_t packSize);

// What the voice plays through: the desktop's mixer, or a recorder in tests.
class VoiceOutput {
 public:
  virtual ~VoiceOutput() = default;
  // Whether one of the game's own sounds is playing.
  virtual bool GameSoundPlaying() = 0;
  // Starts one stream's bytes; returns why not when they cannot be decoded or played.
  virtual std::optional<std::string> Speak(const std::vector<unsigned char>& stream,
                                           const std::string& compound) = 0;
  // Cuts a reading that is sounding. The output also cuts it itself the moment a sound of
  // the game starts, so the game is never mixed over.
  virtual void Stop() = 0;
};

class Voice {
 public:
  // `dir` holds readings.tsv and readings.opus ("" for none: every compound is silent).
  // Problems go to standard error, each once; none of them stops the game.
  Voice(std::string dir, VoiceOutput& out, bool on = true);

  // A reading asked for (a match, a click on a compound): it replaces one still waiting,
  // since the learner's eye is on the newest compound. It starts at a Poll, never here: a
  // match reports before the game has asked for its chime.
  void Request(const std::string& compound, std::int64_t nowMs);
  // Starts the waiting reading once the game's sound is over. Called every turn of the loop
  // and whenever a sound of the game ends.
  void Poll(std::int64_t nowMs);
  bool on() const { return on_; }
  void Toggle();
  bool waiting() const { return !pending_.empty(); }

  // A reading that cannot start this long after it was asked for is dropped: the learner
  // has moved on (a burst of misses keeps the buzzer going).
  static constexpr std::int64_t kMaxWaitMs = 3000;
  // A stream is a word of about a second; anything larger is not one.
  static constexpr std::uint64_t kMaxClipBytes = 256 << 10;

 private:
  bool LoadIndex();
  std::optional<std::vector<unsigned char>> ReadClip(const VoiceClip& clip, std::string& problem);
  void Warn(const std::string& line);

  std::string dir_;
  VoiceOutput& out_;
  bool on_;
  bool loaded_ = false;
  VoiceIndex index_;
  std::string pending_;
  std::int64_t askedAt_ = 0;
  std::set<std::string> warned_;
};

}  // namespace quendar
