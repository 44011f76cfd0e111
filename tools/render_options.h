// The headless renderer's command line.
#ifndef MANDELDIVE_TOOLS_RENDER_OPTIONS_H_
#define MANDELDIVE_TOOLS_RENDER_OPTIONS_H_

#include <cstdint>
#include <string>

namespace mandeldive {

constexpr std::int32_t kMaxRenderSide = 16384;
constexpr std::int64_t kMaxRenderTicks = 1000000;

// Exit codes of the renderer.
constexpr int kExitOk = 0;
constexpr int kExitCannotWrite = 1;
constexpr int kExitBadInput = 2;

extern const char kRenderUsage[];

struct RenderOptions {
  std::int32_t width = 800;
  std::int32_t height = 600;
  std::uint32_t mandelbrotColor = 0;
  std::uint32_t backgroundColor = 0;
  std::int64_t ticks = 1;
  bool fixedTime = false;
  std::int64_t time = 0;
  std::string framesDir;  // empty: no frames
  std::string output;
  bool literal = false;  // the plain per-pixel pass, for comparison
  bool help = false;
};

// Reads argv[1..argc-1]. On bad input returns false with a one-line reason
// in *error; nothing has been done then.
bool ParseRenderArgs(int argc, const char* const* argv, RenderOptions* options,
                     std::string* error);

// A command-line word as an error message may show it: bytes outside
// printable ASCII, and the backslash, become \xHH, so a message stays one
// line and sends no control sequence to a terminal; a word past 64 bytes is
// cut with "...".
std::string Printable(const std::string& word);

// Reads a whole decimal number in min..max: digits only, no sign or blanks.
bool ParseWholeNumber(const std::string& text, std::int64_t min,
                      std::int64_t max, std::int64_t* value);

// Reads a scheme number for --mandelbrot-color (inside: 0..8) or
// --background-color (0..14); false with a one-line reason in *error.
bool ParseScheme(const std::string& value, bool inside, std::uint32_t* scheme,
                 std::string* error);

// Reads "WxH" with each side in 1..kMaxRenderSide.
bool ParseSize(const std::string& text, std::int32_t* width,
               std::int32_t* height);

}  // namespace mandeldive

#endif  // MANDELDIVE_TOOLS_RENDER_OPTIONS_H_
