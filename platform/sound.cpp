#include "platform/sound.h"

#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iostream>

namespace quendar {

namespace {

constexpr int kChannel = 0;

void Put16(std::vector<unsigned char>& b, std::uint16_t v) {
  b.push_back(v & 0xFF);
  b.push_back(v >> 8);
}

void Put32(std::vector<unsigned char>& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

void PutTag(std::vector<unsigned char>& b, const char* tag) {
  for (int i = 0; i < 4; ++i)
    b.push_back(static_cast<unsigned char>(tag[i]));
}

}  // namespace

std::vector<unsigned char> AlertToneWav() {
  constexpr int kRate = 22050;
  constexpr int kSamples = kRate * 15 / 100;  // 150 ms
  constexpr double kPi = 3.14159265358979323846;
  std::vector<unsigned char> b;
  PutTag(b, "RIFF");
  Put32(b, 36 + kSamples * 2);
  PutTag(b, "WAVE");
  PutTag(b, "fmt ");
  Put32(b, 16);
  Put16(b, 1);  // PCM
  Put16(b, 1);  // mono
  Put32(b, kRate);
  Put32(b, kRate * 2);
  Put16(b, 2);
  Put16(b, 16);
  PutTag(b, "data");
  Put32(b, kSamples * 2);
  for (int i = 0; i < kSamples; ++i) {
    const double t = static_cast<double>(i) / kRate;
    // A soft start and a decaying tail so the tone does not click.
    const double envelope = std::min(1.0, i / 200.0) * std::exp(-t * 12.0);
    const double v = 0.4 * envelope * std::sin(2 * kPi * 880.0 * t);
    Put16(b, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * 32767))));
  }
  return b;
}

MixerSound::~MixerSound() {
  if (state_ != State::Open) return;
  Mix_HaltChannel(-1);
  if (current_ && current_ != alert_) Mix_FreeChunk(current_);
  if (alert_) Mix_FreeChunk(alert_);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool MixerSound::Open() {
  if (state_ != State::Unopened) return state_ == State::Open;
  state_ = State::Silent;
  // SDL picks the driver, so SDL_AUDIODRIVER (for example "disk" in tests) is honoured.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::cerr << "quendar: no sound (" << SDL_GetError() << ")\n";
    return false;
  }
  if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
    std::cerr << "quendar: no sound (" << Mix_GetError() << ")\n";
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  Mix_AllocateChannels(1);
  state_ = State::Open;
  return true;
}

Mix_Chunk* MixerSound::Alert() {
  if (!alert_) {
    static const std::vector<unsigned char> wav = AlertToneWav();
    alert_ = Mix_LoadWAV_RW(SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size())), 1);
  }
  return alert_;
}

void MixerSound::Play(const std::string& name) {
  if (!Open()) return;
  std::string file = name;
  if (files_)
    if (const auto path = files_->Find(name)) file = *path;
  // Halting first means the mixer no longer reads the old chunk when it is freed.
  Mix_HaltChannel(kChannel);
  if (current_ && current_ != alert_) Mix_FreeChunk(current_);
  // The stream is closed here rather than by the mixer, which leaks it when the file
  // is not a sound it knows.
  if (SDL_RWops* rw = SDL_RWFromFile(file.c_str(), "rb")) {
    current_ = Mix_LoadWAV_RW(rw, 0);
    SDL_RWclose(rw);
  } else {
    current_ = nullptr;
  }
  if (!current_) {
    if (warned_.insert(file).second) {
      std::error_code ec;
      const std::string why = std::filesystem::exists(file, ec)
                                  ? std::string("cannot be played (") + Mix_GetError() + ")"
                                  : std::string("no such file");
      std::cerr << "quendar: sound " << file << ": " << why
                << "; sounding the alert tone instead\n";
    }
    current_ = Alert();
  }
  if (current_) Mix_PlayChannel(kChannel, current_, 0);
}

bool MixerSound::playing() const {
  return state_ == State::Open && Mix_Playing(kChannel) != 0;
}

}  // namespace quendar
