#include "app/program.h"

#include "game/form1.h"
#include "opening/cright.h"

namespace quendar {

void RegisterProgram(Runtime& runtime) {
  runtime.Register("cright", [](Runtime& r) { return std::make_unique<cright>(r); });
  runtime.Register("Form1", [](Runtime& r) { return std::make_unique<Form1>(r); });
}

}  // namespace quendar
