// The X11 saver's options, and window ids against a model built on the C
// library's strtoull: an id is accepted exactly when it is all decimal
// digits, or 0x and hex digits, and names 1..0x1fffffff.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cli/option_words.h"
#include "engine/colour_schemes.h"
#include "host/x11/x11_options.h"
#include "tests/fuzz/fuzz_args.h"

namespace {

bool AllOf(const std::string& text, std::size_t from, bool hex) {
  if (from >= text.size()) return false;
  for (std::size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    const bool digit = c >= '0' && c <= '9';
    const bool letter = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!digit && !(hex && letter)) return false;
  }
  return true;
}

bool WindowIdModel(const std::string& text, std::uint64_t* id) {
  const bool hex =
      text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  if (!AllOf(text, hex ? 2 : 0, hex)) return false;
  errno = 0;
  const unsigned long long v =
      std::strtoull(text.c_str() + (hex ? 2 : 0), nullptr, hex ? 16 : 10);
  if (errno == ERANGE || v == 0 || v > mandeldive::kMaxWindowId) return false;
  *id = v;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace mandeldive;
  const std::string whole(reinterpret_cast<const char*>(data), size);
  if (whole.find('\0') == std::string::npos) {
    std::uint64_t got = 0, want = 0;
    const bool ok = ParseWindowId(whole, &got);
    if (ok != WindowIdModel(whole, &want))
      Broken("window id accepted wrongly", whole);
    if (ok && got != want) Broken("window id read wrongly", whole);
  }

  const FuzzArgs args(data, size);
  X11Options options;
  std::string error;
  if (!ParseX11Args(args.argc(), args.argv(), &options, &error)) {
    ExpectOneLine(error);
    return 0;
  }
  // --help and --version take nothing else, and --help wins.
  if (options.help && options.version) Broken("both --help and --version", "");
  if (options.help || options.version) return 0;
  if (options.target == X11Target::WindowId &&
      (options.windowId == 0 || options.windowId > kMaxWindowId)) {
    Broken("window id out of range", std::to_string(options.windowId));
  }
  // --wayland draws on no X window: with one named, the line is refused.
  if (options.target == X11Target::Wayland && options.windowId != 0)
    Broken("--wayland with a window id", std::to_string(options.windowId));
  // --lock draws on no X window either, and --daemonize is for it alone.
  if (options.target == X11Target::Lock && options.windowId != 0)
    Broken("--lock with a window id", std::to_string(options.windowId));
  if (options.daemonize && options.target != X11Target::Lock)
    Broken("--daemonize without --lock", "");
  if (options.mandelbrotColor >= kInsideSchemeCount)
    Broken("inside scheme", "");
  if (options.backgroundColor >= kEscapeSchemeCount)
    Broken("escape scheme", "");
  if (options.delaySeconds < 0 || options.delaySeconds > kMaxDelaySeconds)
    Broken("delay", "");
  if (options.ticks < -1 || options.ticks > kMaxTicks) Broken("ticks", "");
  return 0;
}
