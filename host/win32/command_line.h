// Reading the saver's command line: pure functions, testable anywhere.
#ifndef MANDELDIVE_HOST_WIN32_COMMAND_LINE_H_
#define MANDELDIVE_HOST_WIN32_COMMAND_LINE_H_

#include <cstdint>

namespace mandeldive {

enum class SaverMode { FullScreen, Preview, Settings };

struct LaunchRequest {
  SaverMode mode;
  // The preview's host window as a number; 0 when there is none.
  std::uint32_t hostWindow;
};

// What follows the program's own path in a full command line: the path is
// skipped (up to and including its closing quote when it starts with one, or
// the whole rest when that quote is never closed; otherwise up to the first
// byte at or below the blank), then every blank or control byte after it.
const char* CommandTail(const char* commandLine);

// The mode from the first two characters of the tail: "/s" full screen, "/p"
// preview with the host window read from the fourth character on, anything
// else the settings dialog. The letters match in either case, so Windows'
// own "/S" (its Test command) runs the saver too.
LaunchRequest ChooseMode(const char* tail);

// strtoul(text, nullptr, 10) with a 32-bit unsigned long: leading white
// space and a sign are accepted, '-' negates modulo 2^32, reading stops at
// the first non-digit, and a number beyond 32 bits gives 0xFFFFFFFF.
std::uint32_t ParseUnsigned32(const char* text);

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WIN32_COMMAND_LINE_H_
