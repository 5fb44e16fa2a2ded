// The driver's screenshot: the game's own drawing code, rendered offscreen at scale 1.
#pragma once

#include "app/driver.h"

namespace quendar {

Driver::Screenshooter MakeScreenshooter();

}  // namespace quendar
