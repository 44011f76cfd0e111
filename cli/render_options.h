// The headless renderer's command line.
#ifndef MANDELDIVE_CLI_RENDER_OPTIONS_H_
#define MANDELDIVE_CLI_RENDER_OPTIONS_H_

#include <cstdint>
#include <string>

#include "cli/common_options.h"
#include "engine/tick_timing.h"

namespace mandeldive {

constexpr std::int32_t kMaxRenderSide = 16384;
constexpr std::int64_t kMaxFrameMs = 3600000;
constexpr std::int64_t kMaxRenderThreads = 1024;
// WebP's limits: its sides have 14 bits, its frame times are ints of
// milliseconds. The encoder checks the side again.
constexpr std::int32_t kMaxAnimationSide = 16383;
constexpr std::int64_t kMaxAnimationMs = 2147483647;

// The whole usage text, made from the option table.
std::string RenderUsage();

// The schemes, --ticks (default 1, the full view), --help and --version
// come from the common block.
struct RenderOptions : CommonOptions {
  RenderOptions() : CommonOptions(1) {}

  std::int32_t width = 800;
  std::int32_t height = 600;
  bool fixedTime = false;
  std::int64_t time = 0;
  std::string framesDir;                   // empty: no frames
  std::string animation;                   // empty: no animated WebP
  std::int64_t frameMs = kTickIntervalMs;  // as long as the saver shows it
  std::string output;
  bool literal = false;      // the plain per-pixel pass, for comparison
  std::int32_t threads = 0;  // 0: as many as the CPUs it may run on
};

// Reads argv[1..argc-1]. On bad input returns false with a one-line reason
// in *error; nothing has been done then.
bool ParseRenderArgs(int argc, const char* const* argv, RenderOptions* options,
                     std::string* error);

// Reads "WxH" with each side in 1..kMaxRenderSide.
bool ParseSize(const std::string& text, std::int32_t* width,
               std::int32_t* height);

}  // namespace mandeldive

#endif  // MANDELDIVE_CLI_RENDER_OPTIONS_H_
