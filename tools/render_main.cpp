// mandeldive-render: does to a fresh in-memory window what the saver does to
// its own, for a number of ticks, and writes the pictures as PNG files and,
// if asked, one animated WebP.
#include <malloc.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "cli/render_options.h"
#include "engine/calendar_clock.h"
#include "engine/saver_engine.h"
#include "engine/tick_timing.h"
#include "host/posix/standard_streams.h"
#include "output/interrupt_cleanup.h"
#include "output/made_files.h"
#include "output/output_file.h"
#include "output/png_writer.h"
#include "output/webp_animation.h"
#include "surface/freetype_text.h"
#include "surface/memory_surface.h"
#include "tools/frame_directory.h"
#include "tools/render_progress.h"
#include "tools/thread_column_workers.h"

namespace mandeldive {
namespace {

constexpr std::int32_t kMaxFramesInFlight = 4;

static_assert(kMaxAnimationSide == kMaxWebpSide,
              "the options refuse what the encoder refuses");

// The path names something that cannot be reached (not `-`, not unset).
bool Dangles(const std::string& path) {
  struct stat st;
  return !path.empty() && path != "-" && stat(path.c_str(), &st) != 0 &&
         errno == ENOENT;
}

// One line whatever the file names hold.
int Fail(std::string error) {
  for (char& c : error) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  std::fprintf(stderr, "mandeldive-render: %s\n", error.c_str());
  return kExitFailed;
}

// Reads the font configuration on a thread of its own; joined at the end,
// whichever way the run ends.
class FontLoader {
 public:
  FontLoader() {
    try {
      thread_ = std::thread(LoadFontConfiguration);
    } catch (const std::system_error&) {
      // No thread to be had: the first caption reads it.
    }
  }
  ~FontLoader() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

// The ticks, onto the outputs that Run has opened. Throws std::bad_alloc
// when the picture or an encoder's buffer cannot be had.
int Render(const RenderOptions& options, FrameDirectory* frames,
           OutputFile* output, OutputFile* animationFile,
           WebpAnimation* animation) {
  std::string error;
  const bool withFrames = !options.framesDir.empty();
  const bool withAnimation = !options.animation.empty();
  const std::int32_t threads =
      options.threads > 0 ? options.threads : UsableCpus();
  // Threads beyond the CPUs, or the columns, would compute nothing sooner
  // and only wait for one another: 1024 on two CPUs spent seconds of
  // system time waking each other.
  const std::int32_t computing =
      std::min({threads, UsableCpus(), options.width});
  // The helpers first, so that they run by the time the first pass begins.
  std::optional<ThreadColumnWorkers> workers;
  if (computing > 1) workers.emplace(computing);
  // The font configuration is read on a thread of its own while the first
  // pass renders, instead of by the first caption on this one.
  std::optional<FontLoader> fonts;
  if (computing > 1) fonts.emplace();
  MemorySurface surface(options.width, options.height, MakeFreeTypeText());
  RenderProgress progress(options.ticks, options.width);
  surface.SetColumnObserver(&RenderProgress::OnColumn, &progress);
  const FixedClock fixedClock(options.time);
  SaverEngine engine;
  engine.mandelbrotColor = options.mandelbrotColor;
  engine.backgroundColor = options.backgroundColor;
  if (options.fixedTime) engine.clock = &fixedClock;
  engine.literalPass = options.literal;
  if (workers) engine.columnWorkers = &*workers;
  // With more than one thread, frames are encoded while the next ticks
  // render, as many at a time as there are threads (a tick renders in far
  // less time than its frame takes to encode), up to a few pictures'
  // worth of memory.
  frames->SetBackground(threads > 1 ? std::min(threads, kMaxFramesInFlight)
                                    : 0);
  engine.Attach(&surface);
  for (std::int64_t tick = 1; tick <= options.ticks; ++tick) {
    progress.StartTick(tick);
    engine.Tick();
    if ((withFrames && !frames->Write(tick, surface.view(), &error)) ||
        (withAnimation && !animation->Add(surface.view(), &error))) {
      progress.Clear();
      return Fail(error);
    }
  }
  engine.Detach();
  // Its helpers stop waiting for passes before the encoders need the CPUs.
  workers.reset();
  progress.Clear();
  if (withFrames && !frames->Finish(&error)) return Fail(error);
  // Both outputs are encoded under temporary names before either is put
  // in place, so a failure leaves neither.
  if (withAnimation &&
      !animation->Finish(animationFile->fd(), options.animation, &error)) {
    return Fail(error);
  }
  PngEncoding encoding;
  encoding.threads = computing;
  if (!EncodePng(output->fd(), options.output, surface.view(), &error,
                 encoding)) {
    return Fail(error);
  }
  // Both in place and the run kept, or neither: a signal waits for this.
  // A new animation put in place before -o fails is taken back with the
  // rest.
  MadeLock lock;
  if (withAnimation && !animationFile->Commit(&error)) return Fail(error);
  if (!output->Commit(&error)) return Fail(error);
  KeepMade();
  return kExitOk;
}

// Every output is opened and checked before the first tick, so a run that
// cannot write fails before it renders; one that fails later, or runs out
// of memory, takes back what it made, as an interrupted one does. The
// frames directory comes first, so that -o may name a file inside it.
int Run(const RenderOptions& options) {
  std::string error;
  FrameDirectory frames;
  if (!options.framesDir.empty() &&
      !frames.Prepare(options.framesDir, options.ticks, &error)) {
    return Fail(error);
  }
  OutputFile output;
  OutputFile animationFile;
  WebpAnimation animation;
  const bool withAnimation = !options.animation.empty();
  int status = kExitOk;
  try {
    if (!output.Open(options.output, &error) ||
        (withAnimation &&
         (!animationFile.Open(options.animation, &error) ||
          !animation.Start(options.width, options.height,
                           static_cast<std::int32_t>(options.frameMs),
                           &error)))) {
      status = Fail(error);
    } else {
      status = Render(options, &frames, &output, &animationFile, &animation);
    }
  } catch (const std::bad_alloc&) {
    status = Fail("not enough memory for a " + std::to_string(options.width) +
                  "x" + std::to_string(options.height) + " picture");
  }
  if (status != kExitOk) {
    // What is in progress stops first; then everything made goes.
    output.Discard();
    animationFile.Discard();
    frames.DropPending();
    TakeBackMade();
  }
  return status;
}

}  // namespace
}  // namespace mandeldive

int main(int argc, char** argv) {
  using namespace mandeldive;
#if defined(__GLIBC__)
  // Each frame's encoder takes buffers the size of a picture and gives them
  // back. From the heap, and kept there, they are the same pages each
  // time; mapped afresh, every frame pays a page fault a page, and the
  // faults of the threads encoding at once queue up on one lock.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
  RenderOptions options;
  std::string error;
  const bool parsed = ParseRenderArgs(argc, argv, &options, &error);
  const int answer = AnswerCommandLine("mandeldive-render", "--help", parsed,
                                       error, options, RenderUsage());
  if (answer >= 0) return answer;
  // A path that leads to a closed stream (/dev/stdout, /dev/fd/2) dangles
  // until /dev/null takes the stream's number, and would then be written
  // into /dev/null without a word: such a path fails as `-` does.
  const bool outputDangled = Dangles(options.output);
  const bool animationDangled = Dangles(options.animation);
  ClosedStreams closed;
  if (!OpenClosedStandardStreams(&closed)) {
    return Fail("cannot open /dev/null in place of a closed standard stream");
  }
  if (closed.output && options.output == "-") {
    return Fail("cannot write - : standard output is closed");
  }
  for (const auto& [path, dangled] :
       {std::make_pair(&options.output, outputDangled),
        std::make_pair(&options.animation, animationDangled)}) {
    if (dangled && !Dangles(*path)) {
      return Fail("cannot write " + *path +
                  ": it leads to a closed standard stream");
    }
  }
  // A reader that goes away is a failed write, reported, not a silent end.
  signal(SIGPIPE, SIG_IGN);
  if (!InstallInterruptCleanup("mandeldive-render", &error)) return Fail(error);
  return Run(options);
}
