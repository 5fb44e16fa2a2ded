// The side panel's part of a frame: its items scaled into the panel's area, text fitted to
// the room each item gives it. Kept apart from the window's own drawing, which it never
// touches.
#pragma once

#include <vector>

#include "elements/frame.h"

namespace quendar {

// Appends the panel's commands (its background first) for `area` at `scale`.
void BuildPanel(std::vector<DrawCommand>& out, const SidePanel& panel, const PxRect& area,
                double scale, TextMetrics& metrics);

}  // namespace quendar
