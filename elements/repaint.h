// What a screen holds and what the next frame must paint of it: the bookkeeping every
// screen that paints only where something changed shares.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "elements/frame.h"

namespace quendar {

class Repaint {
 public:
  // Forgets what the screen holds, so the next frame is painted whole.
  void Invalidate() { shown_.reset(); }
  // Something other than the runtime changed what the window shows (the pointer over the
  // menu bar).
  void Touch() { touched_ = true; }
  // Whether a new frame may differ: the runtime delivered events since the last one, or
  // something was touched, or the screen holds nothing known.
  bool Needed(std::uint64_t generation) const {
    return !shown_ || touched_ || generation != drawnGeneration_;
  }
  // A frame is built for the runtime's `generation`.
  void Begin(std::uint64_t generation) {
    drawnGeneration_ = generation;
    touched_ = false;
  }
  // Where `next` must be painted: nothing when the screen holds it already, all of it
  // (one rectangle) when the screen holds nothing known, else the changed areas.
  std::vector<PxRect> Areas(const Frame& next) const;
  bool Whole() const { return !shown_; }
  // `frame` reached the screen.
  void Shown(Frame frame) { shown_ = std::move(frame); }
  const Frame* shown() const { return shown_ ? &*shown_ : nullptr; }

 private:
  std::optional<Frame> shown_;
  std::uint64_t drawnGeneration_ = 0;
  bool touched_ = false;
};

}  // namespace quendar
