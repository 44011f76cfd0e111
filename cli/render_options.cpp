#include "cli/render_options.h"

#include <vector>

#include "cli/option_table.h"
#include "cli/option_words.h"
#include "engine/tick_timing.h"

namespace mandeldive {

namespace {

enum Option {
  kSize,
  kTime,
  kFrames,
  kAnimation,
  kFrameMs,
  kLiteral,
  kThreads,
  kOutput,
  kOwnOptions
};

// In the order of Option, then the common block.
const std::vector<OptionSpec> kOptions = WithCommonOptions(
    {
        {"size", "WxH",
         "client area, 1.." + std::to_string(kMaxRenderSide) +
             " on each side (default 800x600)"},
        {"time", "SECONDS", "clock the zoom step reads (default: now)"},
        {"frames", "DIR", "also write DIR/tick-01.png ... after each tick"},
        {"animation", "FILE.webp",
         "also write the ticks as one animated lossless WebP"},
        {"frame-ms", "MS",
         "how long the animation shows each tick, 1.." +
             std::to_string(kMaxFrameMs) + " (default " +
             std::to_string(kTickIntervalMs) + ")"},
        {"literal", nullptr,
         "render pixel by pixel, as plainly defined (same pictures, slower)"},
        {"threads", "N",
         "threads computing each picture, 1.." +
             std::to_string(kMaxRenderThreads) +
             " (default: the CPUs it may run on; the same pictures)"},
        {"o", "FILE.png",
         "the picture after the last tick (- for standard output)"},
    },
    "animation ticks to run, 0.." + std::to_string(kMaxTicks) +
        " (default 1; a whole dive is " + std::to_string(kTicksPerDive) + ")");

class RenderSink final : public CommonOptionSink {
 public:
  RenderSink() : CommonOptionSink(kOwnOptions, &o) {}

  RenderOptions o;
  bool haveOutput = false;

 private:
  bool TakeOwn(std::size_t option, const std::string& value,
               std::string* error) override {
    std::int64_t n = 0;
    switch (static_cast<Option>(option)) {
      case kSize:
        if (!ParseSize(value, &o.width, &o.height)) {
          *error = "size '" + Printable(value) + "' is not WxH with 1.." +
                   std::to_string(kMaxRenderSide) + " on each side";
          return false;
        }
        return true;
      case kTime:
        if (!ParseWholeNumber(value, 0, 999999999999999999, &n)) {
          *error = "time '" + Printable(value) +
                   "' is not a whole number of seconds >= 0";
          return false;
        }
        o.fixedTime = true;
        o.time = n;
        return true;
      case kFrames:
        return NonEmpty(value, "frames directory", &o.framesDir, error);
      case kAnimation:
        return NonEmpty(value, "animation file name", &o.animation, error);
      case kFrameMs:
        return ReadNumberOption(value, "frame time", "a number of milliseconds",
                                1, kMaxFrameMs, &o.frameMs, error);
      case kLiteral:
        o.literal = true;
        return true;
      case kThreads:
        if (!ReadNumberOption(value, "threads", "a number", 1,
                              kMaxRenderThreads, &n, error)) {
          return false;
        }
        o.threads = static_cast<std::int32_t>(n);
        return true;
      case kOutput:
        haveOutput = true;
        return NonEmpty(value, "output file name", &o.output, error);
      case kOwnOptions:
        break;
    }
    return false;
  }

  static bool NonEmpty(const std::string& value, const char* what,
                       std::string* to, std::string* error) {
    if (value.empty()) {
      *error = std::string(what) + " is empty";
      return false;
    }
    *to = value;
    return true;
  }
};

}  // namespace

std::string RenderUsage() {
  return "usage: mandeldive-render [options] -o FILE.png\n" +
         OptionLines(kOptions.data(), kOptions.size(), "--") +
         "  Options take one dash or two.\n"
         "exit codes: 0 written, 1 cannot write, 2 bad input, 128+N killed by "
         "signal N\n";
}

bool ParseSize(const std::string& text, std::int32_t* width,
               std::int32_t* height) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) return false;
  std::int64_t w = 0;
  std::int64_t h = 0;
  if (!ParseWholeNumber(text.substr(0, x), 1, kMaxRenderSide, &w) ||
      !ParseWholeNumber(text.substr(x + 1), 1, kMaxRenderSide, &h)) {
    return false;
  }
  *width = static_cast<std::int32_t>(w);
  *height = static_cast<std::int32_t>(h);
  return true;
}

bool ParseRenderArgs(int argc, const char* const* argv, RenderOptions* options,
                     std::string* error) {
  RenderSink sink;
  if (!ReadOptions(argc, argv, kOptions.data(), kOptions.size(), &sink,
                   error)) {
    return false;
  }
  if (sink.o.help || sink.o.version) {
    *options = RenderOptions();
    options->help = sink.o.help;
    options->version = sink.o.version && !sink.o.help;
    return true;
  }
  if (!sink.haveOutput) {
    *error = "no output file given (-o FILE.png)";
    return false;
  }
  const RenderOptions& o = sink.o;
  if (!o.animation.empty()) {
    if (o.width > kMaxAnimationSide || o.height > kMaxAnimationSide) {
      *error = "an animation is at most " + std::to_string(kMaxAnimationSide) +
               " pixels on each side";
      return false;
    }
    if (o.ticks < 1) {
      *error = "an animation needs at least one tick";
      return false;
    }
    if (o.ticks * o.frameMs > kMaxAnimationMs) {
      *error = "an animation lasts at most " + std::to_string(kMaxAnimationMs) +
               " ms (ticks x frame time)";
      return false;
    }
  }
  *options = o;
  return true;
}

}  // namespace mandeldive
