// mandeldive-render: does to a fresh in-memory window what the saver does to
// its own, for a number of ticks, and writes the pictures as PNG files.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/calendar_clock.h"
#include "engine/saver_engine.h"
#include "surface/freetype_text.h"
#include "surface/memory_surface.h"
#include "surface/png_writer.h"
#include "tools/render_options.h"

namespace mandeldive {
namespace {

// Creates dir and its missing parents; false with *error when it cannot.
bool MakeDirectories(const std::string& dir, std::string* error) {
  for (std::size_t i = 1; i <= dir.size(); ++i) {
    if (i < dir.size() && dir[i] != '/') continue;
    const std::string prefix = dir.substr(0, i);
    if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) {
      *error = "cannot create directory " + prefix + ": " + std::strerror(errno);
      return false;
    }
  }
  struct stat info;
  if (stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    *error = dir + " is not a directory";
    return false;
  }
  return true;
}

std::string FramePath(const std::string& dir, std::int64_t tick) {
  char name[32];
  std::snprintf(name, sizeof name, "tick-%02lld.png",
                static_cast<long long>(tick));
  return dir + "/" + name;
}

bool Save(const MemorySurface& surface, const std::string& path) {
  std::string error;
  if (WritePng(path, surface.width(), surface.height(),
               surface.pixels().data(), &error)) {
    return true;
  }
  std::fprintf(stderr, "mandeldive-render: %s\n", error.c_str());
  return false;
}

int Run(const RenderOptions& options) {
  if (!options.framesDir.empty()) {
    std::string error;
    if (!MakeDirectories(options.framesDir, &error)) {
      std::fprintf(stderr, "mandeldive-render: %s\n", error.c_str());
      return kExitCannotWrite;
    }
  }
  MemorySurface surface(options.width, options.height, MakeFreeTypeText());
  const FixedClock fixedClock(options.time);
  SaverEngine engine;
  engine.mandelbrotColor = options.mandelbrotColor;
  engine.backgroundColor = options.backgroundColor;
  if (options.fixedTime) engine.clock = &fixedClock;
  engine.literalPass = options.literal;
  engine.Attach(&surface);
  for (std::int64_t tick = 1; tick <= options.ticks; ++tick) {
    engine.Tick();
    if (!options.framesDir.empty() &&
        !Save(surface, FramePath(options.framesDir, tick))) {
      return kExitCannotWrite;
    }
  }
  engine.Detach();
  return Save(surface, options.output) ? kExitOk : kExitCannotWrite;
}

}  // namespace
}  // namespace mandeldive

int main(int argc, char** argv) {
  using namespace mandeldive;
  RenderOptions options;
  std::string error;
  if (!ParseRenderArgs(argc, argv, &options, &error)) {
    std::fprintf(stderr, "mandeldive-render: %s\n%s", error.c_str(),
                 kRenderUsage);
    return kExitBadInput;
  }
  if (options.help) {
    std::fputs(kRenderUsage, stdout);
    return kExitOk;
  }
  return Run(options);
}
