// Sound through SDL2_mixer: WAV files found by name where the game's data files are, one
// at a time. Audio is
// opened on the first request; when it cannot be opened the game stays silent for good,
// since sound is a nicety and never a reason to stop.
#pragma once

#include <SDL_mixer.h>
#include <sys/stat.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "elements/datafiles.h"
#include "elements/services.h"
#include "platform/sdl_handles.h"

namespace quendar {

class MixerSound : public SoundService {
 public:
  MixerSound() = default;
  // Looks the sounds up in `files`, which must outlive the sound.
  explicit MixerSound(const DataFiles& files) : files_(&files) {}
  ~MixerSound() override;
  MixerSound(const MixerSound&) = delete;
  MixerSound& operator=(const MixerSound&) = delete;

  // Starts the file playing and returns at once; a sound still playing is cut off. A
  // file that is missing, unreadable, not a regular file or larger than kMaxFileBytes
  // plays the alert tone instead, with one line on standard error.
  void Play(const std::string& file) override;

  // A cue is short: anything larger is refused before a byte of it is read.
  static constexpr long kMaxFileBytes = 2 << 20;

  // How many times a file was read and decoded: once, and again only when it changed.
  int loads() const { return loads_; }

  // Whether audio could be opened (false before the first request, and when silent).
  bool open() const { return state_ == State::Open; }
  // Opens audio now when it was not yet; whether it is open.
  bool Ready() { return Open(); }
  // Whether a sound of the game is playing.
  bool playing() const;
  // Called just before each sound of the game starts.
  void OnPlay(std::function<void()> f) { onPlay_ = std::move(f); }

  // The game's sounds take turns on one channel; the other is kept for the spoken readings.
  static constexpr int kCueChannel = 0;
  static constexpr int kVoiceChannel = 1;

 private:
  enum class State { Unopened, Open, Silent };
  bool Open();
  Mix_Chunk* Alert();

  const DataFiles* files_ = nullptr;  // null: the current directory
  // A file as last loaded, and what it was then, to tell when it changed.
  struct Loaded {
    ChunkPtr chunk;       // null when it could not be played
    std::string problem;  // why not
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    timespec mtime{};
  };
  Loaded& Load(const std::string& file);

  State state_ = State::Unopened;
  ChunkPtr alert_;
  std::map<std::string, Loaded> loaded_;
  std::set<std::string> warned_;  // "file: problem" lines already printed
  int loads_ = 0;
  std::function<void()> onPlay_;
};

// A short alert tone as a complete WAV file in memory (16-bit mono PCM).
std::vector<unsigned char> AlertToneWav();

}  // namespace quendar
