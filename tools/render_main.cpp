// mandeldive-render: does to a fresh in-memory window what the saver does to
// its own, for a number of ticks, and writes the pictures as PNG files and,
// if asked, one animated WebP.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "cli/version_line.h"
#include "engine/calendar_clock.h"
#include "engine/saver_engine.h"
#include "engine/tick_timing.h"
#include "surface/freetype_text.h"
#include "surface/interrupt_cleanup.h"
#include "surface/memory_surface.h"
#include "surface/output_file.h"
#include "surface/png_writer.h"
#include "surface/webp_animation.h"
#include "tools/frame_directory.h"
#include "tools/render_options.h"
#include "tools/render_progress.h"

namespace mandeldive {
namespace {

// One line whatever the file names hold.
int Fail(std::string error) {
  for (char& c : error) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  std::fprintf(stderr, "mandeldive-render: %s\n", error.c_str());
  return kExitCannotWrite;
}

// Every output is opened and checked before the first tick, so a run that
// cannot write fails before it renders; one that fails later takes back
// what it wrote.
int Run(const RenderOptions& options) {
  std::string error;
  OutputFile output;
  if (!output.Open(options.output, &error)) return Fail(error);
  FrameDirectory frames;
  const bool withFrames = !options.framesDir.empty();
  if (withFrames && !frames.Prepare(options.framesDir, &error)) {
    return Fail(error);
  }
  const bool withAnimation = !options.animation.empty();
  OutputFile animationFile;
  WebpAnimation animation;
  if (withAnimation &&
      (!animationFile.Open(options.animation, &error) ||
       !animation.Start(
           options.width, options.height,
           static_cast<std::int32_t>(options.frameMs > 0 ? options.frameMs
                                                         : kTickIntervalMs),
           &error))) {
    return Fail(error);
  }
  auto failAfterStart = [&](const std::string& why) {
    frames.RemoveCreated();
    return Fail(why);
  };

  MemorySurface surface(options.width, options.height, MakeFreeTypeText());
  RenderProgress progress(options.ticks, options.width);
  surface.SetColumnObserver(&RenderProgress::OnColumn, &progress);
  const FixedClock fixedClock(options.time);
  SaverEngine engine;
  engine.mandelbrotColor = options.mandelbrotColor;
  engine.backgroundColor = options.backgroundColor;
  if (options.fixedTime) engine.clock = &fixedClock;
  engine.literalPass = options.literal;
  engine.Attach(&surface);
  for (std::int64_t tick = 1; tick <= options.ticks; ++tick) {
    progress.StartTick(tick);
    engine.Tick();
    if (withFrames && !frames.Write(tick, surface.view(), &error)) {
      progress.Clear();
      return failAfterStart(error);
    }
    if (withAnimation && !animation.Add(surface.view(), &error)) {
      progress.Clear();
      return failAfterStart(error);
    }
  }
  engine.Detach();
  progress.Clear();
  // Both outputs are encoded under temporary names before either is put
  // in place, so a failure leaves neither.
  if (withAnimation &&
      !animation.Finish(animationFile.fd(), options.animation, &error)) {
    return failAfterStart(error);
  }
  if (!EncodePng(output.fd(), options.output, surface.view(), &error)) {
    return failAfterStart(error);
  }
  const bool animationIsNew = withAnimation && animationFile.createsFile();
  if (withAnimation && !animationFile.Commit(&error)) {
    return failAfterStart(error);
  }
  if (!output.Commit(&error)) {
    if (animationIsNew) unlink(options.animation.c_str());
    return failAfterStart(error);
  }
  return kExitOk;
}

}  // namespace
}  // namespace mandeldive

int main(int argc, char** argv) {
  using namespace mandeldive;
  RenderOptions options;
  std::string error;
  if (!ParseRenderArgs(argc, argv, &options, &error)) {
    std::fprintf(stderr, "mandeldive-render: %s (try --help)\n", error.c_str());
    return kExitBadInput;
  }
  if (options.help) {
    std::fputs(RenderUsage().c_str(), stdout);
    return kExitOk;
  }
  if (options.version) {
    std::fputs(VersionLine("mandeldive-render").c_str(), stdout);
    return kExitOk;
  }
  // A reader that goes away is a failed write, reported, not a silent end.
  signal(SIGPIPE, SIG_IGN);
  InstallInterruptCleanup();
  return Run(options);
}
