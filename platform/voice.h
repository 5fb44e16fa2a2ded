// The spoken readings through the game's own mixer: a channel of their own beside the game's
// cue, cut the moment a cue starts. When a cue ends the mixer wakes the loop, so a reading
// waiting for it starts within a turn.
#pragma once

#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/sdl_handles.h"
#include "platform/sound.h"
#include "study/voice.h"

namespace quendar {

class MixerVoice : public VoiceOutput {
 public:
  // `sound` must outlive the voice. With QUENDAR_VOICE_LOG set to a file, every cue and
  // reading that starts or ends is written there with the time in ms, for tests and bench/.
  explicit MixerVoice(MixerSound& sound);
  ~MixerVoice() override;
  MixerVoice(const MixerVoice&) = delete;
  MixerVoice& operator=(const MixerVoice&) = delete;

  bool GameSoundPlaying() override { return sound_.playing(); }
  std::optional<std::string> Speak(const std::vector<unsigned char>& stream,
                                   const std::string& compound) override;
  void Stop() override;
  // Writes to the log what the mixer reported since the last call.
  void Flush();

 private:
  static void Finished(int channel);
  void Log(double ms, const std::string& what);

  MixerSound& sound_;
  ChunkPtr chunk_;
  std::FILE* log_ = nullptr;
};

}  // namespace quendar
