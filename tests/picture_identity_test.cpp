// Whole dives rendered on this target must be the very pictures rendered on
// every other: the fingerprints below were taken natively and are checked
// natively and by the 32- and 64-bit Windows builds under Wine. A change in
// arithmetic (fused multiply-add, x87 precision, a reordered sum) shows here.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "engine/saver_engine.h"
#include "surface/memory_surface.h"

namespace mandeldive {
namespace {

std::uint64_t Fnv1a(std::uint64_t hash, const MemorySurface& surface) {
  for (ColorRef c : surface.pixels()) {
    for (int byte = 0; byte < 3; ++byte) {
      hash ^= (c >> (8 * byte)) & 0xFF;
      hash *= 0x100000001B3ull;
    }
  }
  return hash;
}

struct Dive {
  std::uint32_t inside, escape;
  std::int32_t width, height;
  std::int64_t second;
  std::uint64_t fingerprint;  // of all 23 frames in turn
};

const Dive kDives[] = {
    {7, 12, 120, 90, 1700000000, 0x11da89b6fcc074b7ull},
    {8, 13, 97, 61, 1, 0x7e3e2c8dead541e8ull},
    {0, 11, 64, 80, 86400, 0xb29e7997d884598eull},
    {1, 14, 150, 100, 123456789, 0x35bb120919d20886ull},
    {3, 7, 101, 75, 2000000000, 0x9d3a248ed4e85520ull},
    {5, 10, 133, 47, 31, 0x54249b692e4105d6ull},
};

TEST(PictureIdentity, WholeDivesMatchTheirFingerprints) {
  for (const Dive& d : kDives) {
    MemorySurface surface(d.width, d.height);
    FixedClock clock(d.second);
    SaverEngine engine;
    engine.mandelbrotColor = d.inside;
    engine.backgroundColor = d.escape;
    engine.clock = &clock;
    engine.Attach(&surface);
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (int tick = 0; tick < 23; ++tick) {
      engine.Tick();
      hash = Fnv1a(hash, surface);
    }
    EXPECT_EQ(hash, d.fingerprint)
        << "schemes " << d.inside << "/" << d.escape << " at " << d.width << "x"
        << d.height << ": 0x" << std::hex << hash;
  }
}

}  // namespace
}  // namespace mandeldive
