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

#include "cli/render_options.h"
#include "engine/calendar_clock.h"
#include "engine/colour_schemes.h"
#include "engine/saver_engine.h"
#include "engine/tick_timing.h"
#include "surface/memory_surface.h"

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
  std::int32_t sentColumns = 0;  // columns the live pass has posted
};

WebSaver& Saver() {
  static WebSaver saver;
  return saver;
}

// Splits words each ended by a line break, so "--ticks\n\n" is "--ticks"
// and an empty value; a last word without one counts too. An empty text
// is no words.
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

// The worker's half of the live page: posts columns x0..x1 - 1 of the
// picture (mandeldive_band) while a render pass is under way.
EM_JS(void, mandeldive_show_progress, (int x0, int x1),
      { self.mandeldiveShowProgress(x0, x1); });

// Called as the render pass starts each column, its marks set. At most
// about one post an animation frame goes out, with the columns finished
// since the last one and the marked column itself, which its next post
// sends again as drawn.
void OnColumn(void* context, std::int32_t x) {
  WebSaver* saver = static_cast<WebSaver*>(context);
  if (!saver->showProgress || x >= saver->surface->width()) return;
  if (emscripten_get_now() - saver->lastShown < 15.0) return;
  if (saver->sentColumns > x) saver->sentColumns = 0;  // a new pass
  mandeldive_show_progress(saver->sentColumns, x + 1);
  saver->sentColumns = x;
  saver->lastShown = emscripten_get_now();
}

// A fresh dive on a white width x height surface, from the full view, its
// zoom steps reading `clock` (null: the real one).
void StartDive(std::int32_t width, std::int32_t height,
               std::uint32_t mandelbrotColor, std::uint32_t backgroundColor,
               const CalendarClock* clock, bool showProgress) {
  WebSaver& saver = Saver();
  saver.engine.Detach();
  saver.surface = std::make_unique<MemorySurface>(width, height);
  saver.engine.mandelbrotColor = mandelbrotColor;
  saver.engine.backgroundColor = backgroundColor;
  saver.engine.clock = clock != nullptr ? clock : &SystemClock();
  saver.showProgress = showProgress;
  saver.sentColumns = 0;
  saver.surface->SetColumnObserver(&OnColumn, &saver);
  saver.rgba.assign(static_cast<std::size_t>(width) * height, 0);
  saver.engine.Attach(saver.surface.get());
}

}  // namespace
}  // namespace mandeldive

extern "C" {

// Reads the options, each word ended by a line break
// ("--size\n640x480\n--ticks\n23\n").
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

// The parsed values, for the worker: 0 width, 1 height, 2 ticks.
EMSCRIPTEN_KEEPALIVE int mandeldive_option(int which) {
  const mandeldive::RenderOptions& o = mandeldive::Saver().options;
  switch (which) {
    case 0:
      return o.width;
    case 1:
      return o.height;
    case 2:
      return static_cast<int>(o.ticks);
    default:
      return 0;
  }
}

// The live saver: a fresh dive on a white width x height surface, from the
// full view, on the real clock, posting its progress during render passes.
EMSCRIPTEN_KEEPALIVE void mandeldive_start_live(int width, int height,
                                                int mandelbrotColor,
                                                int backgroundColor) {
  using namespace mandeldive;
  StartDive(width, height, static_cast<std::uint32_t>(mandelbrotColor),
            static_cast<std::uint32_t>(backgroundColor), nullptr, true);
}

// The fixed picture: a fresh dive as mandeldive_parse read it, its size, its
// schemes and its --time when given (else the real clock); no progress.
EMSCRIPTEN_KEEPALIVE void mandeldive_start_parsed() {
  using namespace mandeldive;
  WebSaver& saver = Saver();
  const RenderOptions& o = saver.options;
  saver.clock = std::make_unique<FixedClock>(o.time);
  StartDive(o.width, o.height, o.mandelbrotColor, o.backgroundColor,
            o.fixedTime ? saver.clock.get() : nullptr, false);
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

// Columns x0..x1 - 1 of the picture as it stands, row by row, 4 bytes a
// pixel in R, G, B, A order, opaque: what a canvas's ImageData holds. The
// surface keeps columns whole, so a band is read in strips of 16 columns,
// each column's rows in order.
EMSCRIPTEN_KEEPALIVE const std::uint32_t* mandeldive_band(int x0, int x1) {
  using namespace mandeldive;
  WebSaver& saver = Saver();
  if (!saver.surface || x0 < 0 || x1 > saver.surface->width() || x0 >= x1)
    return nullptr;
  const PixelView view = saver.surface->view();
  const std::int32_t width = x1 - x0;
  std::uint32_t* out = saver.rgba.data();
  for (std::int32_t strip = x0; strip < x1; strip += 16) {
    const std::int32_t end = strip + 16 < x1 ? strip + 16 : x1;
    for (std::int32_t y = 0; y < view.height; ++y) {
      std::uint32_t* row = out + static_cast<std::size_t>(y) * width - x0;
      for (std::int32_t x = strip; x < end; ++x) {
        row[x] = ShownColour(view.At(x, y)) | 0xFF000000u;
      }
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
// The saver's schedule: 0, the first tick's delay after the start; 1, the
// interval from the end of one tick to the next; in milliseconds.
EMSCRIPTEN_KEEPALIVE int mandeldive_tick_ms(int which) {
  return which == 0 ? mandeldive::kFirstTickDelayMs
                    : mandeldive::kTickIntervalMs;
}

EMSCRIPTEN_KEEPALIVE const char* mandeldive_caption() {
  return mandeldive::Saver().engine.caption;
}

}  // extern "C"
