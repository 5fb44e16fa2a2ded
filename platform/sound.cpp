#include "platform/sound.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>

#include "elements/textfile.h"

namespace quendar {

namespace {

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
  loaded_.clear();  // every chunk goes before the mixer itself
  alert_.reset();
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
  Mix_AllocateChannels(2);
  state_ = State::Open;
  return true;
}

Mix_Chunk* MixerSound::Alert() {
  if (!alert_) {
    static const std::vector<unsigned char> wav = AlertToneWav();
    alert_.reset(Mix_LoadWAV_RW(SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size())), 1));
  }
  return alert_.get();
}

MixerSound::Loaded& MixerSound::Load(const std::string& file) {
  Loaded& l = loaded_[file];
  struct stat st {};
  // stat never blocks, whatever the name points at.
  if (::stat(file.c_str(), &st) != 0) {
    l = Loaded{};
    l.problem =
        errno == ENOENT ? "no such file" : std::string("cannot be read: ") + std::strerror(errno);
    return l;
  }
  if (l.size == st.st_size && l.ino == st.st_ino && l.dev == st.st_dev &&
      l.mtime.tv_sec == st.st_mtim.tv_sec && l.mtime.tv_nsec == st.st_mtim.tv_nsec)
    return l;  // unchanged since it was loaded

  l = Loaded{nullptr, "", st.st_dev, st.st_ino, st.st_size, st.st_mtim};
  if (!S_ISREG(st.st_mode)) {
    l.problem = "is " + DescribeFileType(st.st_mode) + ", not a sound file";
    return l;
  }
  if (st.st_size > kMaxFileBytes) {
    l.problem = "is " + std::to_string(st.st_size >> 20) +
                " MiB, too large for a sound cue (at most " + std::to_string(kMaxFileBytes >> 20) +
                " MiB)";
    return l;
  }
  ++loads_;
  // Read by us, without blocking and no further than the limit, then decoded from memory.
  std::vector<unsigned char> bytes;
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat opened {};
  if (fd < 0 || ::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
    l.problem = "cannot be read";
    if (fd >= 0) ::close(fd);
    return l;
  }
  bytes.resize(static_cast<std::size_t>(kMaxFileBytes) + 1);
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (got > static_cast<std::size_t>(kMaxFileBytes)) {
    l.problem =
        "grew past " + std::to_string(kMaxFileBytes >> 20) + " MiB, too large for a sound cue";
    return l;
  }
  // Closed here rather than by the mixer, which leaks the stream when the bytes are not a
  // sound it knows.
  if (SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(got))) {
    l.chunk.reset(Mix_LoadWAV_RW(rw, 0));
    SDL_RWclose(rw);
  }
  if (!l.chunk) l.problem = std::string("cannot be played (") + Mix_GetError() + ")";
  return l;
}

void MixerSound::Play(const std::string& name) {
  if (!Open()) return;
  std::string file = name;
  if (files_)
    if (const auto path = files_->Find(name)) file = *path;
  // Halting first means the mixer no longer reads a chunk that a reload frees.
  Mix_HaltChannel(kCueChannel);
  Loaded& l = Load(file);
  Mix_Chunk* chunk = l.chunk.get();
  if (!chunk) {
    if (warned_.insert(file + ": " + l.problem).second)
      std::cerr << "quendar: sound " << file << ": " << l.problem
                << "; sounding the alert tone instead\n";
    chunk = Alert();
  }
  if (!chunk) return;
  if (onPlay_) onPlay_();
  Mix_PlayChannel(kCueChannel, chunk, 0);
}

bool MixerSound::playing() const {
  return state_ == State::Open && Mix_Playing(kCueChannel) != 0;
}

}  // namespace quendar
