// The headless renderer's command line.
#ifndef MANDELDIVE_TOOLS_RENDER_OPTIONS_H_
#define MANDELDIVE_TOOLS_RENDER_OPTIONS_H_

#include <cstdint>
#include <string>

namespace mandeldive {

constexpr std::int32_t kMaxRenderSide = 16384;
constexpr std::int64_t kMaxRenderTicks = 1000000;
constexpr std::int64_t kMaxFrameMs = 3600000;
// WebP's frame times are ints of milliseconds.
constexpr std::int64_t kMaxAnimationMs = 2147483647;

// Exit codes of the renderer.
constexpr int kExitOk = 0;
constexpr int kExitCannotWrite = 1;
constexpr int kExitBadInput = 2;

// The whole usage text, made from the option table.
std::string RenderUsage();

struct RenderOptions {
  std::int32_t width = 800;
  std::int32_t height = 600;
  std::uint32_t mandelbrotColor = 0;
  std::uint32_t backgroundColor = 0;
  std::int64_t ticks = 1;
  bool fixedTime = false;
  std::int64_t time = 0;
  std::string framesDir;      // empty: no frames
  std::string animation;      // empty: no animated WebP
  std::int64_t frameMs = -1;  // -1: the saver's tick interval
  std::string output;
  bool literal = false;  // the plain per-pixel pass, for comparison
  bool help = false;
  bool version = false;  // --version, when not --help
};

// Reads argv[1..argc-1]. On bad input returns false with a one-line reason
// in *error; nothing has been done then.
bool ParseRenderArgs(int argc, const char* const* argv, RenderOptions* options,
                     std::string* error);

// Reads "WxH" with each side in 1..kMaxRenderSide.
bool ParseSize(const std::string& text, std::int32_t* width,
               std::int32_t* height);

}  // namespace mandeldive

#endif  // MANDELDIVE_TOOLS_RENDER_OPTIONS_H_
