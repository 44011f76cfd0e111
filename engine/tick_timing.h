// When the hosts call Tick: soon after the window appears, then at a fixed
// interval. Both hosts and the renderer's animation take their times from
// here.
#ifndef MANDELDIVE_ENGINE_TICK_TIMING_H_
#define MANDELDIVE_ENGINE_TICK_TIMING_H_

#include <cstdint>

#include "engine/saver_engine.h"

namespace mandeldive {

// From showing the window to the first tick, which draws the full view.
constexpr std::int32_t kFirstTickDelayMs = 10;
// From the end of one tick to the next.
constexpr std::int32_t kTickIntervalMs = 5000;

// Ticks from the full view to the deepest picture with its caption: a
// render and a caption at each of the kDeepestLevel levels, and a zoom
// between each two. The tick after them starts the next dive.
constexpr std::int32_t kTicksPerDive = 3 * kDeepestLevel - 1;

}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_TICK_TIMING_H_
