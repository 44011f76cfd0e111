// The Linux saver's command line, in xscreensaver's manner: single- and
// double-dash spellings alike. The same program draws on X11 or, with
// --wayland, on every output of a Wayland compositor, or with --lock locks
// a Wayland session behind the dive.
#ifndef MANDELDIVE_HOST_X11_X11_OPTIONS_H_
#define MANDELDIVE_HOST_X11_X11_OPTIONS_H_

#include <cstdint>
#include <string>

#include "cli/common_options.h"
#include "engine/tick_timing.h"

namespace mandeldive {

// The whole usage text, made from the option table.
std::string X11Usage();

enum class X11Target { OwnWindow, Root, WindowId, Wayland, Lock };

// X resource ids, windows among them, have 29 bits: the top three are 0.
constexpr std::uint64_t kMaxWindowId = 0x1FFFFFFF;
// --delay: whole seconds between the end of one tick and the next.
constexpr std::int64_t kDefaultDelaySeconds = kTickIntervalMs / 1000;
constexpr std::int64_t kMaxDelaySeconds = 3600;

// The schemes, --ticks (end after this many; by default, -1, it runs on),
// --help and --version come from the common block.
struct X11Options : CommonOptions {
  X11Options() : CommonOptions(-1) {}

  X11Target target = X11Target::OwnWindow;
  std::uint64_t windowId = 0;  // for WindowId
  std::int64_t delaySeconds = kDefaultDelaySeconds;
  // --daemonize (-f), with --lock only: return once the session is locked.
  bool daemonize = false;
};

// Reads argv[1..argc-1]; false with a one-line reason in *error.
bool ParseX11Args(int argc, const char* const* argv, X11Options* options,
                  std::string* error);

// A window id as xscreensaver writes it: decimal, or hexadecimal after 0x;
// false unless it is in 1..kMaxWindowId.
bool ParseWindowId(const std::string& text, std::uint64_t* id);

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_X11_X11_OPTIONS_H_
