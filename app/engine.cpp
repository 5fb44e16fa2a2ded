#include "app/engine.h"

#include "app/program.h"

namespace quendar {

HeadlessEngine::HeadlessEngine(bool program) {
  runtime.SetStudy(study);
  if (program) RegisterProgram(runtime);
}

}  // namespace quendar
