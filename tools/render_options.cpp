#include "tools/render_options.h"

#include <cstring>

#include "engine/colour_schemes.h"

namespace mandeldive {

const char kRenderUsage[] =
    "usage: mandeldive-render [--size WxH] [--mandelbrot-color N] "
    "[--background-color N] [--ticks N] [--time SECONDS] [--frames DIR] "
    "[--literal] -o FILE.png\n"
    "  --size WxH              client area, 1..16384 on each side "
    "(default 800x600)\n"
    "  --mandelbrot-color N    scheme inside the set, 0..8 (default 0)\n"
    "  --background-color N    scheme of escaping points, 0..14 (default 0)\n"
    "  --ticks N               animation ticks to run, 0..1000000 "
    "(default 1)\n"
    "  --time SECONDS          clock the zoom step reads (default: now)\n"
    "  --frames DIR            also write DIR/tick-01.png ... after each tick\n"
    "  --literal               render pixel by pixel, as plainly defined "
    "(same pictures, slower)\n"
    "  -o FILE.png             the picture after the last tick (- for standard "
    "output)\n"
    "exit codes: 0 written, 1 cannot write, 2 bad input\n";

std::string Printable(const std::string& word) {
  constexpr std::size_t kShown = 64;
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < word.size() && i < kShown; ++i) {
    const auto c = static_cast<unsigned char>(word[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      out += "\\x";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  if (word.size() > kShown) out += "...";
  return out;
}

bool ParseWholeNumber(const std::string& text, std::int64_t min,
                      std::int64_t max, std::int64_t* value) {
  if (text.empty()) return false;
  // Leading zeros are digits like any other, but only 18 significant ones
  // fit before the value could overflow.
  std::int64_t v = 0;
  int significant = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    if (v == 0 && c == '0') continue;
    if (++significant > 18) return false;
    v = v * 10 + (c - '0');
  }
  if (v < min || v > max) return false;
  *value = v;
  return true;
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

bool ParseScheme(const std::string& value, bool inside, std::uint32_t* scheme,
                 std::string* error) {
  const std::uint32_t count = inside ? kInsideSchemeCount : kEscapeSchemeCount;
  std::int64_t n = 0;
  if (!ParseWholeNumber(value, 0, count - 1, &n)) {
    *error = std::string(inside ? "mandelbrot" : "background") + " color '" +
             Printable(value) + "' is not a number in 0.." +
             std::to_string(count - 1);
    return false;
  }
  *scheme = static_cast<std::uint32_t>(n);
  return true;
}

bool ParseRenderArgs(int argc, const char* const* argv, RenderOptions* options,
                     std::string* error) {
  RenderOptions o;
  bool haveOutput = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      o.help = true;
      *options = o;
      return true;
    }
    if (arg == "--literal") {
      o.literal = true;
      continue;
    }
    const bool takesValue = arg == "--size" || arg == "--mandelbrot-color" ||
                            arg == "--background-color" || arg == "--ticks" ||
                            arg == "--time" || arg == "--frames" || arg == "-o";
    if (!takesValue) {
      *error = "unknown option '" + Printable(arg) + "'";
      return false;
    }
    if (i + 1 >= argc) {
      *error = "option " + Printable(arg) + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    std::int64_t n = 0;
    if (arg == "--size") {
      if (!ParseSize(value, &o.width, &o.height)) {
        *error = "size '" + Printable(value) +
                 "' is not WxH with 1..16384 on each side";
        return false;
      }
    } else if (arg == "--mandelbrot-color" || arg == "--background-color") {
      const bool inside = arg == "--mandelbrot-color";
      if (!ParseScheme(value, inside,
                       inside ? &o.mandelbrotColor : &o.backgroundColor,
                       error)) {
        return false;
      }
    } else if (arg == "--ticks") {
      if (!ParseWholeNumber(value, 0, kMaxRenderTicks, &n)) {
        *error =
            "ticks '" + Printable(value) + "' is not a number in 0..1000000";
        return false;
      }
      o.ticks = n;
    } else if (arg == "--time") {
      if (!ParseWholeNumber(value, 0, 999999999999999999, &n)) {
        *error = "time '" + Printable(value) +
                 "' is not a whole number of seconds >= 0";
        return false;
      }
      o.fixedTime = true;
      o.time = n;
    } else if (arg == "--frames") {
      if (value.empty()) {
        *error = "frames directory is empty";
        return false;
      }
      o.framesDir = value;
    } else {  // -o
      if (value.empty()) {
        *error = "output file name is empty";
        return false;
      }
      o.output = value;
      haveOutput = true;
    }
  }
  if (!haveOutput) {
    *error = "no output file given (-o FILE.png)";
    return false;
  }
  *options = o;
  return true;
}

}  // namespace mandeldive
