#include "host/win32/command_line.h"

#include <cstring>

namespace mandeldive {

namespace {

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

bool StartsWithSwitch(const char* tail, char letter) {
  return tail[0] == '/' && Lower(tail[1]) == letter;
}

}  // namespace

const char* CommandTail(const char* commandLine) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(commandLine);
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p > ' ') ++p;
  }
  while (*p != '\0' && *p <= ' ') ++p;
  return reinterpret_cast<const char*>(p);
}

std::uint32_t ParseUnsigned32(const char* text) {
  const char* p = text;
  while (IsCSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  std::uint64_t value = 0;
  bool overflow = false;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + static_cast<std::uint64_t>(*p - '0');
    if (value > 0xFFFFFFFFu) {
      overflow = true;
      value = 0xFFFFFFFFu;
    }
  }
  if (overflow) return 0xFFFFFFFFu;
  const auto v = static_cast<std::uint32_t>(value);
  return negative ? 0u - v : v;
}

LaunchRequest ChooseMode(const char* tail) {
  if (StartsWithSwitch(tail, 's')) return {SaverMode::FullScreen, 0};
  if (StartsWithSwitch(tail, 'p')) {
    const std::uint32_t host =
        std::strlen(tail) >= 4 ? ParseUnsigned32(tail + 3) : 0;
    return {SaverMode::Preview, host};
  }
  return {SaverMode::Settings, 0};
}

}  // namespace mandeldive
