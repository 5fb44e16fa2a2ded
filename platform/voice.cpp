#include "platform/voice.h"

#include <SDL.h>

#include <cstdlib>
#include <utility>

namespace quendar {

namespace {

double NowMs() {
  return static_cast<double>(SDL_GetPerformanceCounter()) * 1000.0 /
         static_cast<double>(SDL_GetPerformanceFrequency());
}

// What the mixer's thread reports, kept for the loop's thread to log.
std::mutex endedLock;
std::vector<std::pair<double, int>> ended;
bool logging = false;
Uint32 wakeEvent = 0;

}  // namespace

MixerVoice::MixerVoice(MixerSound& sound) : sound_(sound) {
  if (const char* path = std::getenv("QUENDAR_VOICE_LOG"); path && *path) {
    log_ = std::fopen(path, "w");
    logging = log_ != nullptr;
  }
  if (wakeEvent == 0) wakeEvent = SDL_RegisterEvents(1);
  Mix_ChannelFinished(&MixerVoice::Finished);
  sound_.OnPlay([this] {
    Flush();  // the cue it cuts ended first
    Log(NowMs(), "cue-start");
    Stop();
  });
}

MixerVoice::~MixerVoice() {
  sound_.OnPlay(nullptr);
  if (sound_.open()) {
    Mix_ChannelFinished(nullptr);
    Mix_HaltChannel(MixerSound::kVoiceChannel);
  }
  chunk_.reset();
  Flush();
  logging = false;
  if (log_) std::fclose(log_);
}

// On the mixer's thread, which may call no mixer function: the loop is woken to go on.
void MixerVoice::Finished(int channel) {
  if (logging) {
    std::lock_guard<std::mutex> hold(endedLock);
    ended.emplace_back(NowMs(), channel);
  }
  if (channel != MixerSound::kCueChannel || wakeEvent == static_cast<Uint32>(-1)) return;
  SDL_Event e{};
  e.type = wakeEvent;
  SDL_PushEvent(&e);
}

void MixerVoice::Log(double ms, const std::string& what) {
  if (!log_) return;
  std::fprintf(log_, "%.3f %s\n", ms, what.c_str());
  std::fflush(log_);
}

void MixerVoice::Flush() {
  std::vector<std::pair<double, int>> got;
  {
    std::lock_guard<std::mutex> hold(endedLock);
    got.swap(ended);
  }
  for (const auto& [ms, channel] : got)
    Log(ms, channel == MixerSound::kCueChannel ? "cue-end" : "voice-end");
}

std::optional<std::string> MixerVoice::Speak(const std::vector<unsigned char>& stream,
                                             const std::string& compound) {
  if (!sound_.Ready()) return std::nullopt;  // no audio: the game is silent too
  Stop();
  chunk_.reset();
  // Closed here rather than by the mixer, which leaks the stream when it cannot decode it.
  if (SDL_RWops* rw = SDL_RWFromConstMem(stream.data(), static_cast<int>(stream.size()))) {
    chunk_.reset(Mix_LoadWAV_RW(rw, 0));
    SDL_RWclose(rw);
  }
  if (!chunk_) return std::string("does not decode (") + Mix_GetError() + ")";
  Flush();
  Log(NowMs(), "voice-start " + compound);
  if (Mix_PlayChannel(MixerSound::kVoiceChannel, chunk_.get(), 0) < 0)
    return std::string("cannot be played (") + Mix_GetError() + ")";
  return std::nullopt;
}

void MixerVoice::Stop() {
  if (!sound_.open() || !Mix_Playing(MixerSound::kVoiceChannel)) return;
  Log(NowMs(), "voice-stop");
  Mix_HaltChannel(MixerSound::kVoiceChannel);
}

}  // namespace quendar
