// The renderer's options: any command line is either refused with one line
// or read into options that are all in range, an animation within WebP's
// limits included.
#include <cstdint>
#include <string>

#include "cli/render_options.h"
#include "engine/colour_schemes.h"
#include "tests/fuzz/fuzz_args.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace mandeldive;
  const FuzzArgs args(data, size);
  RenderOptions options;
  std::string error;
  if (!ParseRenderArgs(args.argc(), args.argv(), &options, &error)) {
    ExpectOneLine(error);
    return 0;
  }
  // --help and --version take nothing else, and --help wins.
  if (options.help && options.version) Broken("both --help and --version", "");
  if (options.help || options.version) return 0;
  const std::string seen =
      std::to_string(options.width) + "x" + std::to_string(options.height);
  if (options.width < 1 || options.width > kMaxRenderSide ||
      options.height < 1 || options.height > kMaxRenderSide) {
    Broken("size out of range", seen);
  }
  if (options.mandelbrotColor >= kInsideSchemeCount)
    Broken("inside scheme", seen);
  if (options.backgroundColor >= kEscapeSchemeCount)
    Broken("escape scheme", seen);
  if (options.ticks < 0 || options.ticks > kMaxTicks) Broken("ticks", seen);
  if (options.fixedTime && options.time < 0) Broken("negative time", seen);
  if (options.output.empty()) Broken("accepted without an output", seen);
  // -o's value is the next word or follows '=', never the rest of a word
  // glued to it: -output.png is not -o utput.png.
  bool given = false;
  for (int i = 1; i < args.argc(); ++i) {
    const std::string word = args.argv()[i];
    const bool apart = (word == "-o" || word == "--o") && i + 1 < args.argc() &&
                       options.output == args.argv()[i + 1];
    given = given || apart || word == "-o=" + options.output ||
            word == "--o=" + options.output;
  }
  if (!given) Broken("-o's value glued to it", options.output);
  if (options.threads < 0 || options.threads > kMaxRenderThreads)
    Broken("threads", seen);
  if (options.frameMs < 1 || options.frameMs > kMaxFrameMs)
    Broken("frame time", seen);
  if (!options.animation.empty()) {
    if (options.width > kMaxAnimationSide || options.height > kMaxAnimationSide)
      Broken("animation wider than WebP allows", seen);
    if (options.ticks < 1) Broken("animation without a tick", seen);
    if (options.ticks * options.frameMs > kMaxAnimationMs)
      Broken("animation longer than WebP's timestamps", seen);
  }
  return 0;
}
