#include "host/x11/x11_options.h"

#include "tools/render_options.h"

namespace mandeldive {

const char kX11Usage[] =
    "usage: mandeldive [-root | -window-id ID] [--mandelbrot-color N] "
    "[--background-color N] [--delay SECONDS] [--ticks N]\n"
    "  -root                  draw on $XSCREENSAVER_WINDOW, else the root "
    "window\n"
    "  -window-id ID          draw into the existing window ID (decimal or 0x "
    "hex)\n"
    "  --mandelbrot-color N   scheme inside the set, 0..8 (default 0)\n"
    "  --background-color N   scheme of escaping points, 0..14 (default 0)\n"
    "  --delay SECONDS        seconds from the end of one step to the next, "
    "0..3600 (default 5)\n"
    "  --ticks N              end after N steps, 0..1000000 (default: run on)\n"
    "  Without -root or -window-id it opens its own 800x600 window.\n"
    "  A mouse button, q or Escape in its own window, SIGTERM or SIGINT end "
    "it.\n"
    "exit codes: 0 ended, 1 no display or window, 2 bad input\n";

bool ParseWindowId(const std::string& text, std::uint64_t* id) {
  std::uint64_t v = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    for (std::size_t i = 2; i < text.size(); ++i) {
      const char c = text[i];
      int digit = -1;
      if (c >= '0' && c <= '9') digit = c - '0';
      if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      if (digit < 0) return false;
      v = v * 16 + static_cast<std::uint64_t>(digit);
      if (v > kMaxWindowId) return false;  // before it can overflow
    }
  } else {
    std::int64_t n = 0;
    if (!ParseWholeNumber(text, 1, static_cast<std::int64_t>(kMaxWindowId), &n))
      return false;
    v = static_cast<std::uint64_t>(n);
  }
  if (v == 0) return false;
  *id = v;
  return true;
}

bool ParseX11Args(int argc, const char* const* argv, X11Options* options,
                  std::string* error) {
  X11Options o;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    // xscreensaver's hacks take -opt and --opt alike.
    if (arg.size() > 2 && arg[0] == '-' && arg[1] == '-') arg.erase(0, 1);
    if (arg == "-h" || arg == "-help") {
      o.help = true;
      *options = o;
      return true;
    }
    if (arg == "-root") {
      o.target = X11Target::Root;
      continue;
    }
    if (arg == "-window") {
      o.target = X11Target::OwnWindow;
      continue;
    }
    const bool takesValue = arg == "-window-id" || arg == "-mandelbrot-color" ||
                            arg == "-background-color" || arg == "-delay" ||
                            arg == "-ticks";
    if (!takesValue) {
      *error = "unknown option '" + Printable(argv[i]) + "'";
      return false;
    }
    if (i + 1 >= argc) {
      *error = "option " + Printable(argv[i]) + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    if (arg == "-window-id") {
      if (!ParseWindowId(value, &o.windowId)) {
        *error = "window id '" + Printable(value) +
                 "' is not an X window id (decimal or 0x hex, 1..0x1fffffff)";
        return false;
      }
      o.target = X11Target::WindowId;
    } else if (arg == "-delay") {
      if (!ParseWholeNumber(value, 0, kMaxDelaySeconds, &o.delaySeconds)) {
        *error = "delay '" + Printable(value) +
                 "' is not a whole number of seconds in 0..3600";
        return false;
      }
    } else if (arg == "-ticks") {
      if (!ParseWholeNumber(value, 0, kMaxRenderTicks, &o.ticks)) {
        *error =
            "ticks '" + Printable(value) + "' is not a number in 0..1000000";
        return false;
      }
    } else {
      const bool inside = arg == "-mandelbrot-color";
      if (!ParseScheme(value, inside,
                       inside ? &o.mandelbrotColor : &o.backgroundColor,
                       error)) {
        return false;
      }
    }
  }
  *options = o;
  return true;
}

}  // namespace mandeldive
