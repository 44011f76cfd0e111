#include <cassert>
#include <cstdint>

#include "engine/saver_engine.h"
#include "engine/saver_random.h"

namespace mandeldive {

bool SaverEngine::AnyCellQualifies(double low, double high) const {
  for (std::int32_t i = 0; i < columns * rows; ++i) {
    const double count = cells[i].count;
    if (low < count && count < high) return true;
  }
  return false;
}

void SaverEngine::ZoomStep() {
  assert(window != nullptr && "ZoomStep needs an attached surface");
  const double area = static_cast<double>(cellHeight * cellWidth);
  const double low = area * 0.1;
  const double high = area * 0.6;
  // Without a cell between a tenth and six tenths inside the set there is
  // nothing to dive into (always so below 5 pixels): start the cycle again
  // from the full view rather than draw forever.
  if (!AnyCellQualifies(low, high)) {
    zoomLevel = 1;
    return;
  }

  SaverRandom& random = ProcessRandom();
  random.Seed(static_cast<std::uint32_t>(clock->Seconds()));
  // The generator has the full period 2^32 and its 15-bit outputs take every
  // value within it, so every index comes up within one period; the bound
  // only makes that explicit.
  const std::int32_t used = rows * columns;
  std::int32_t index = 0;
  for (std::uint64_t draws = 0; draws < (std::uint64_t{1} << 32); ++draws) {
    index = random.Next() % used;
    const double count = cells[index].count;
    if (low < count && count < high) break;
  }

  const Rect chosen = cells[index].rect;
  {
    SurfaceContext context(*window);
    window->FrameRect(chosen, kYellow);
  }

  originX = originX + chosen.left * step;
  originY = originY + chosen.top * step;
  zoomLevel = zoomLevel + 1;
  step = (static_cast<double>(cellWidth) / client.right) * step;
}

}  // namespace mandeldive
