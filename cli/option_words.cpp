#include "cli/option_words.h"

#include <charconv>

#include "engine/colour_schemes.h"

namespace mandeldive {

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

namespace {

// The whole of text as an unsigned number in base; from_chars itself takes
// no sign, blank or prefix for an unsigned type, and reports overflow.
bool ParseUnsigned(const std::string& text, int base, std::uint64_t* value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  const auto [stop, status] = std::from_chars(text.data(), end, *value, base);
  return status == std::errc() && stop == end;
}

}  // namespace

bool ParseWholeNumber(const std::string& text, std::int64_t min,
                      std::int64_t max, std::int64_t* value) {
  std::uint64_t v = 0;
  if (!ParseUnsigned(text, 10, &v) || v < static_cast<std::uint64_t>(min) ||
      v > static_cast<std::uint64_t>(max)) {
    return false;
  }
  *value = static_cast<std::int64_t>(v);
  return true;
}

bool ReadNumberOption(const std::string& value, const char* what,
                      const char* kind, std::int64_t min, std::int64_t max,
                      std::int64_t* number, std::string* error) {
  if (ParseWholeNumber(value, min, max, number)) return true;
  *error = std::string(what) + " '" + Printable(value) + "' is not " + kind +
           " in " + std::to_string(min) + ".." + std::to_string(max);
  return false;
}

bool ParseHexNumber(const std::string& text, std::uint64_t max,
                    std::uint64_t* value) {
  std::uint64_t v = 0;
  if (!ParseUnsigned(text, 16, &v) || v > max) return false;
  *value = v;
  return true;
}

std::string SchemeRange(bool inside) {
  const std::uint32_t count = inside ? kInsideSchemeCount : kEscapeSchemeCount;
  return "0.." + std::to_string(count - 1);
}

bool ParseScheme(const std::string& value, bool inside, std::uint32_t* scheme,
                 std::string* error) {
  const std::uint32_t count = inside ? kInsideSchemeCount : kEscapeSchemeCount;
  std::int64_t n = 0;
  if (!ParseWholeNumber(value, 0, count - 1, &n)) {
    *error = std::string(inside ? "mandelbrot" : "background") + " color '" +
             Printable(value) + "' is not a number in " + SchemeRange(inside);
    return false;
  }
  *scheme = static_cast<std::uint32_t>(n);
  return true;
}

}  // namespace mandeldive
