// The Windows saver's command line: the tail, the mode, and the host
// window's number against a model of a 32-bit strtoul built on the C
// library's own strtoull.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/win32/command_line.h"
#include "tests/fuzz/fuzz_args.h"

namespace {

using mandeldive::Broken;

// strtoul(text, nullptr, 10) where unsigned long has 32 bits: the C
// library's strtoull reads the same syntax; a magnitude beyond 32 bits
// saturates, and a minus sign negates modulo 2^32.
std::uint32_t Strtoul32Model(const char* text) {
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  const bool negative = *p == '-';
  errno = 0;
  const unsigned long long v = std::strtoull(text, nullptr, 10);
  if (errno == ERANGE) return 0xFFFFFFFFu;
  const unsigned long long magnitude = negative ? 0ull - v : v;
  if (magnitude > 0xFFFFFFFFull) return 0xFFFFFFFFu;
  const auto m = static_cast<std::uint32_t>(magnitude);
  return negative ? 0u - m : m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace mandeldive;
  const std::string line(reinterpret_cast<const char*>(data), size);
  const char* text = line.c_str();
  const std::size_t length = std::strlen(text);

  const char* tail = CommandTail(text);
  if (tail < text || tail > text + length)
    Broken("tail outside the line", line);
  if (*tail != '\0' && static_cast<unsigned char>(*tail) <= ' ') {
    Broken("tail starts with a blank", line);
  }

  const LaunchRequest request = ChooseMode(tail);
  const bool slash = tail[0] == '/';
  const char letter = slash ? tail[1] : '\0';
  SaverMode want = SaverMode::Settings;
  if (letter == 's' || letter == 'S') want = SaverMode::FullScreen;
  if (letter == 'p' || letter == 'P') want = SaverMode::Preview;
  if (request.mode != want) Broken("wrong mode", tail);
  if (request.mode == SaverMode::Preview) {
    const std::uint32_t host =
        std::strlen(tail) >= 4 ? Strtoul32Model(tail + 3) : 0;
    if (request.hostWindow != host) Broken("wrong host window", tail);
  } else if (request.hostWindow != 0) {
    Broken("a host window outside preview", tail);
  }

  if (ParseUnsigned32(text) != Strtoul32Model(text)) {
    Broken("ParseUnsigned32 differs from strtoul", line);
  }
  return 0;
}
