// The dive for the web page, compiled to WebAssembly and run in the page's
// worker: the saver engine on a memory surface, read out as RGBA for a
// canvas. The page's parameters are the renderer's own options, checked by
// the renderer's own rules, so their ranges and messages are the same.
//
// One saver a module; the functions below are what the worker calls.
#include <emscripten.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/calendar_clock.h"
#include "engine/colour_schemes.h"
#include "engine/saver_engine.h"
#include "surface/memory_surface.h"
#include "tools/render_options.h"

namespace mandeldive {
namespace {

struct WebSaver {
  RenderOptions options;
  std::string error;
  std::unique_ptr<MemorySurface> surface;
  std::unique_ptr<FixedClock> clock;
  SaverEngine engine;
  std::vector<std::uint32_t> rgba;
  bool showProgress = false;
  double lastShown = 0.0;
};

WebSaver& Saver() {
  static WebSaver saver;
  return saver;
}

// Splits words given one a line; an empty text is no words.
std::vector<std::string> Lines(const char* text) {
  std::vector<std::string> words;
  std::string word;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '\n') {
      words.push_back(word);
      word.clear();
    } else {
      word += *p;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

}  // namespace
}  // namespace mandeldive

// The worker's half of the live page: posts the picture so far while a
// render pass is under way.
EM_JS(void, mandeldive_show_progress, (), { self.mandeldiveShowProgress(); });

extern "C" {

// Reads the options, one word a line ("--size\n640x480\n--ticks\n23").
// 1 when they are good; 0 and a one-line reason in mandeldive_error when not.
EMSCRIPTEN_KEEPALIVE int mandeldive_parse(const char* words) {
  using namespace mandeldive;
  WebSaver& saver = Saver();
  std::vector<std::string> args = {"mandeldive"};
  for (const std::string& word : Lines(words)) args.push_back(word);
  // The page's picture takes the place of the output file.
  args.push_back("-o");
  args.push_back("-");
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  saver.error.clear();
  saver.options = RenderOptions();
  if (!ParseRenderArgs(static_cast<int>(argv.size()), argv.data(),
                       &saver.options, &saver.error)) {
    return 0;
  }
  return 1;
}

EMSCRIPTEN_KEEPALIVE const char* mandeldive_error() {
  return mandeldive::Saver().error.c_str();
}

// The parsed values, for the page: size, schemes, ticks, whether a time
// was given.
EMSCRIPTEN_KEEPALIVE int mandeldive_option(int which) {
  const mandeldive::RenderOptions& o = mandeldive::Saver().options;
  switch (which) {
    case 0:
      return o.width;
    case 1:
      return o.height;
    case 2:
      return static_cast<int>(o.mandelbrotColor);
    case 3:
      return static_cast<int>(o.backgroundColor);
    case 4:
      return static_cast<int>(o.ticks);
    case 5:
      return o.fixedTime ? 1 : 0;
    default:
      return 0;
  }
}

// A fresh dive on a white width x height surface, from the full view. With
// fixedTime the zoom steps read `seconds` as the renderer's --time does;
// otherwise the real clock. Progress is posted during render passes when
// showProgress is set.
EMSCRIPTEN_KEEPALIVE void mandeldive_start(int width, int height,
                                           int mandelbrotColor,
                                           int backgroundColor, int fixedTime,
                                           double seconds, int showProgress) {
  using namespace mandeldive;
  WebSaver& saver = Saver();
  saver.engine.Detach();
  saver.surface = std::make_unique<MemorySurface>(width, height);
  saver.clock =
      std::make_unique<FixedClock>(static_cast<std::int64_t>(seconds));
  saver.engine.mandelbrotColor = static_cast<std::uint32_t>(mandelbrotColor);
  saver.engine.backgroundColor = static_cast<std::uint32_t>(backgroundColor);
  saver.engine.clock =
      fixedTime != 0 ? static_cast<const CalendarClock*>(saver.clock.get())
                     : &SystemClock();
  saver.showProgress = showProgress != 0;
  saver.surface->SetColumnObserver(
      [](void* context, std::int32_t) {
        WebSaver* s = static_cast<WebSaver*>(context);
        if (!s->showProgress) return;
        // About one picture an animation frame is plenty.
        const double now = emscripten_get_now();
        if (now - s->lastShown < 15.0) return;
        s->lastShown = now;
        mandeldive_show_progress();
      },
      &saver);
  saver.rgba.assign(static_cast<std::size_t>(width) * height, 0);
  saver.engine.Attach(saver.surface.get());
}

// mandeldive_start with what mandeldive_parse read: its size, its schemes,
// its --time when given, no progress.
EMSCRIPTEN_KEEPALIVE void mandeldive_start_parsed() {
  const mandeldive::RenderOptions o = mandeldive::Saver().options;
  mandeldive_start(o.width, o.height, static_cast<int>(o.mandelbrotColor),
                   static_cast<int>(o.backgroundColor), o.fixedTime ? 1 : 0,
                   static_cast<double>(o.time), 0);
  // The exact seconds, past what a double holds exactly.
  mandeldive::Saver().clock = std::make_unique<mandeldive::FixedClock>(o.time);
  if (o.fixedTime)
    mandeldive::Saver().engine.clock = mandeldive::Saver().clock.get();
}

// The schemes the next render pass draws with, as the saver takes new
// settings; what is on screen stays as it is.
EMSCRIPTEN_KEEPALIVE void mandeldive_set_schemes(int mandelbrotColor,
                                                 int backgroundColor) {
  mandeldive::WebSaver& saver = mandeldive::Saver();
  saver.engine.mandelbrotColor = static_cast<std::uint32_t>(mandelbrotColor);
  saver.engine.backgroundColor = static_cast<std::uint32_t>(backgroundColor);
}

// One tick of the saver's cycle; the phase it did is returned (render 0,
// caption 1, zoom 2).
EMSCRIPTEN_KEEPALIVE int mandeldive_tick() {
  mandeldive::WebSaver& saver = mandeldive::Saver();
  const int phase = saver.engine.phase;
  saver.engine.Tick();
  return phase;
}

// The picture as it stands, row by row, 4 bytes a pixel in R, G, B, A
// order, opaque: what a canvas's ImageData holds.
EMSCRIPTEN_KEEPALIVE const std::uint32_t* mandeldive_rgba() {
  using namespace mandeldive;
  WebSaver& saver = Saver();
  if (!saver.surface) return nullptr;
  const PixelView view = saver.surface->view();
  std::uint32_t* out = saver.rgba.data();
  for (std::int32_t y = 0; y < view.height; ++y) {
    for (std::int32_t x = 0; x < view.width; ++x) {
      *out++ = ShownColour(view.At(x, y)) | 0xFF000000u;
    }
  }
  return saver.rgba.data();
}

// The settings panel's labels, from the scheme tables: group 0 is the
// Mandelbrot colour (inside the set), group 1 the background; null past
// the last.
EMSCRIPTEN_KEEPALIVE const char* mandeldive_scheme_label(int group, int index) {
  using namespace mandeldive;
  if (index < 0) return nullptr;
  const ColourScheme* scheme =
      group == 0 ? InsideScheme(static_cast<std::uint32_t>(index))
                 : EscapeScheme(static_cast<std::uint32_t>(index));
  return scheme != nullptr ? scheme->label : nullptr;
}

// The text the saver writes under its pictures.
EMSCRIPTEN_KEEPALIVE const char* mandeldive_caption() {
  return mandeldive::Saver().engine.caption;
}

}  // extern "C"
