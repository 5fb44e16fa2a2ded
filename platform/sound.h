// Sound through SDL2_mixer: WAV files found by name where the game's data files are, one
// at a time. Audio is
// opened on the first request; when it cannot be opened the game stays silent for good,
// since sound is a nicety and never a reason to stop.
#pragma once

#include <SDL_mixer.h>

#include <set>
#include <string>
#include <vector>

#include "elements/datafiles.h"
#include "elements/services.h"

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
  // file that is missing or unreadable plays the alert tone instead.
  void Play(const std::string& file) override;

  // Whether audio could be opened (false before the first request, and when silent).
  bool open() const { return state_ == State::Open; }
  bool playing() const;

 private:
  enum class State { Unopened, Open, Silent };
  bool Open();
  Mix_Chunk* Alert();

  const DataFiles* files_ = nullptr;  // null: the current directory
  State state_ = State::Unopened;
  Mix_Chunk* current_ = nullptr;  // the last file played, freed when the next one starts
  Mix_Chunk* alert_ = nullptr;
  std::set<std::string> warned_;
};

// A short alert tone as a complete WAV file in memory (16-bit mono PCM).
std::vector<unsigned char> AlertToneWav();

}  // namespace quendar
