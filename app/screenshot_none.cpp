// Used until the offscreen renderer is built: the driver says so instead of pretending.
#include "app/screenshot.h"

namespace quendar {

Driver::Screenshooter MakeScreenshooter() {
  return [](const Window&, const std::string&) -> std::optional<std::string> {
    return std::string("screenshot is not available yet: the drawing code is not built");
  };
}

}  // namespace quendar
