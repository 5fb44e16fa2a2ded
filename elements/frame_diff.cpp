// What a screen must paint again: the rectangles two frames of one size differ in.
#include <algorithm>
#include <functional>

#include "elements/frame.h"

namespace quendar {

namespace {

std::size_t HashOf(const DrawCommand& c) {
  std::size_t h = std::hash<std::string>()(c.text) ^ (std::hash<std::string>()(c.face) << 1);
  for (int v : {static_cast<int>(c.op), c.rect.x, c.rect.y, c.rect.w, c.rect.h, c.clip.x, c.clip.y,
                c.clip.w, c.clip.h, static_cast<int>(c.color), c.px, static_cast<int>(c.bold)})
    h = h * 1000003u ^ static_cast<std::size_t>(v);
  return h ^ std::hash<double>()(c.scale);
}

// The commands of `a` that `b` lacks, counting repeats, by their clips.
void Missing(const Frame& a, const Frame& b, std::vector<PxRect>& out) {
  std::vector<std::pair<std::size_t, const DrawCommand*>> theirs;
  theirs.reserve(b.commands.size());
  for (const auto& c : b.commands)
    theirs.emplace_back(HashOf(c), &c);
  std::sort(theirs.begin(), theirs.end());
  std::vector<bool> used(theirs.size(), false);
  for (const auto& c : a.commands) {
    const std::size_t h = HashOf(c);
    auto it = std::lower_bound(theirs.begin(), theirs.end(), std::make_pair(h, nullptr),
                               [](const auto& l, const auto& r) { return l.first < r.first; });
    bool found = false;
    for (; it != theirs.end() && it->first == h; ++it) {
      const auto i = static_cast<std::size_t>(it - theirs.begin());
      if (!used[i] && *it->second == c) {
        used[i] = found = true;
        break;
      }
    }
    if (!found) out.push_back(c.clip);
  }
}

}  // namespace

std::vector<PxRect> ChangedAreas(const Frame& before, const Frame& after) {
  if (before.width != after.width || before.height != after.height || before.scale != after.scale)
    return {{0, 0, after.width, after.height}};
  std::vector<PxRect> areas;
  Missing(before, after, areas);
  Missing(after, before, areas);
  // Overlapping areas become one, so nothing is drawn twice.
  for (bool merged = true; merged;) {
    merged = false;
    for (std::size_t i = 0; i < areas.size() && !merged; ++i)
      for (std::size_t j = i + 1; j < areas.size() && !merged; ++j)
        if (!Intersect(areas[i], areas[j]).Empty()) {
          areas[i] = Union(areas[i], areas[j]);
          areas.erase(areas.begin() + static_cast<std::ptrdiff_t>(j));
          merged = true;
        }
  }
  return areas;
}

}  // namespace quendar
