#include "app/program.h"

#include "game/form1.h"
#include "opening/cright.h"

namespace quendar {

void RegisterProgram(Runtime& runtime) {
  runtime.Register("cright", [](Runtime& r) { return MakeWindow(r, "cright"); });
  runtime.Register("Form1", [](Runtime& r) { return MakeWindow(r, "Form1"); });
}

std::unique_ptr<Window> MakeWindow(Runtime& runtime, const std::string& name) {
  if (name == "cright") return std::make_unique<cright>(runtime);
  if (name == "Form1") return std::make_unique<Form1>(runtime);
  return nullptr;
}

}  // namespace quendar
