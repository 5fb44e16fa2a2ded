#include "elements/repaint.h"

namespace quendar {

std::vector<PxRect> Repaint::Areas(const Frame& next) const {
  if (!shown_) return {{0, 0, next.width, next.height}};
  return ChangedAreas(*shown_, next);
}

}  // namespace quendar
