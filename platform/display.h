// The connection to the desktop: SDL's video on a real X11 or Wayland display, held for
// the life of the object.
#pragma once

#include <string>

namespace quendar {

class Display {
 public:
  Display();
  ~Display();
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  // Empty when a display was reached, otherwise why not.
  const std::string& problem() const { return problem_; }

 private:
  std::string problem_;
  bool started_ = false;
};

}  // namespace quendar
