// The opening window: a ball hops along a trail of footprints, ends as the Earth, and
// the window hands over to the main window.
#pragma once

#include <array>
#include <cstdint>

#include "elements/runtime.h"
#include "elements/window.h"

namespace quendar {

class cright : public Window {
 public:
  explicit cright(Runtime& runtime);

  void Form_Load() override;
  void Timer1_Timer();

  std::int16_t animStep = 0;

  PictureBox *Picture7 = nullptr, *Picture2 = nullptr;
  std::array<PictureBox*, 12> Picture1{}, Picture8{};
  Timer* Timer1 = nullptr;
};

}  // namespace quendar
