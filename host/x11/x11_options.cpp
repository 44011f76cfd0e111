#include "host/x11/x11_options.h"

#include <vector>

#include "cli/option_table.h"
#include "cli/option_words.h"

namespace mandeldive {

namespace {

enum Option {
  kRoot,
  kWindow,
  kWindowId,
  kWayland,
  kLock,
  kDaemonize,
  kDaemonizeShort,
  kDelay,
  kOwnOptions
};

// In the order of Option, then the common block.
const std::vector<OptionSpec> kOptions = WithCommonOptions(
    {
        {"root", nullptr, "draw on $XSCREENSAVER_WINDOW, else the root window"},
        {"window", nullptr, "open its own 800x600 window (the default)"},
        {"window-id", "ID",
         "draw into the existing window ID (decimal or 0x hex)"},
        {"wayland", nullptr,
         "cover every output of the Wayland display $WAYLAND_DISPLAY"},
        {"lock", nullptr,
         "lock the Wayland session, a dive on every output, until the "
         "user's password"},
        {"daemonize", nullptr,
         "with --lock: return once the session is locked, the lock "
         "running on"},
        {"f", nullptr, "the same as --daemonize"},
        {"delay", "SECONDS",
         "seconds from the end of one step to the next, 0.." +
             std::to_string(kMaxDelaySeconds) + " (default " +
             std::to_string(kDefaultDelaySeconds) + ")"},
    },
    "end after N steps, 0.." + std::to_string(kMaxTicks) +
        " (default: run on)");

class X11Sink final : public CommonOptionSink {
 public:
  X11Sink() : CommonOptionSink(kOwnOptions, &o) {}

  X11Options o;
  bool wayland = false;
  bool lock = false;
  // The last X window named, for the error when --wayland comes too.
  const char* xTarget = nullptr;

 private:
  bool TakeOwn(std::size_t option, const std::string& value,
               std::string* error) override {
    switch (static_cast<Option>(option)) {
      case kRoot:
        o.target = X11Target::Root;
        xTarget = "-root";
        return true;
      case kWindow:
        o.target = X11Target::OwnWindow;
        return true;
      case kWayland:
        wayland = true;
        return true;
      case kLock:
        lock = true;
        return true;
      case kDaemonize:
      case kDaemonizeShort:
        o.daemonize = true;
        return true;
      case kWindowId:
        if (!ParseWindowId(value, &o.windowId)) {
          *error = "window id '" + Printable(value) +
                   "' is not an X window id (decimal or 0x hex, 1..0x1fffffff)";
          return false;
        }
        o.target = X11Target::WindowId;
        xTarget = "-window-id";
        return true;
      case kDelay:
        return ReadNumberOption(value, "delay", "a whole number of seconds", 0,
                                kMaxDelaySeconds, &o.delaySeconds, error);
      case kOwnOptions:
        break;
    }
    return false;
  }
};

}  // namespace

std::string X11Usage() {
  return "usage: mandeldive [-root | -window-id ID | --wayland | --lock [-f]] "
         "[options]\n" +
         OptionLines(kOptions.data(), kOptions.size(), "-") +
         "  Options take one dash or two.\n"
         "  Without -root, -window-id or --wayland it opens its own 800x600 "
         "window.\n"
         "  A mouse button, q or Escape in its own window, SIGTERM or SIGINT "
         "end it;\n"
         "  on Wayland, a mouse button on any output, SIGTERM or SIGINT.\n"
         "  --lock ends only with the user's password; anything else leaves "
         "the\n"
         "  session locked (run mandeldive --lock again to unlock it).\n"
         "exit codes: 0 ended (--lock: unlocked), 1 no display or window, or "
         "the display\n"
         "  went away (--lock: no lock, the checker or the compositor gone), "
         "2 bad input\n"
         "  (--lock: the compositor ended the lock), 128+N --lock ended by "
         "signal N\n";
}

bool ParseWindowId(const std::string& text, std::uint64_t* id) {
  std::uint64_t v = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    if (!ParseHexNumber(text.substr(2), kMaxWindowId, &v)) return false;
  } else {
    std::int64_t n = 0;
    if (!ParseWholeNumber(text, 1, static_cast<std::int64_t>(kMaxWindowId),
                          &n)) {
      return false;
    }
    v = static_cast<std::uint64_t>(n);
  }
  if (v == 0) return false;
  *id = v;
  return true;
}

bool ParseX11Args(int argc, const char* const* argv, X11Options* options,
                  std::string* error) {
  X11Sink sink;
  if (!ReadOptions(argc, argv, kOptions.data(), kOptions.size(), &sink,
                   error)) {
    return false;
  }
  if (sink.wayland && sink.xTarget != nullptr) {
    *error = std::string(
                 "--wayland covers the Wayland outputs; it does not "
                 "draw on ") +
             sink.xTarget;
    return false;
  }
  if (sink.lock && (sink.wayland || sink.xTarget != nullptr)) {
    *error = std::string(
                 "--lock locks the Wayland session; it does not go "
                 "with ") +
             (sink.wayland ? "--wayland" : sink.xTarget);
    return false;
  }
  if (sink.o.daemonize && !sink.lock) {
    *error = "--daemonize (-f) is for --lock";
    return false;
  }
  *options = sink.o;
  if (sink.wayland) options->target = X11Target::Wayland;
  if (sink.lock) options->target = X11Target::Lock;
  if (options->help) options->version = false;
  return true;
}

}  // namespace mandeldive
