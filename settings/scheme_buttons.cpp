#include "settings/scheme_buttons.h"

namespace mandeldive {

std::uint32_t InsideSchemeFromButtons(
    const bool (&checked)[kInsideSchemeCount]) {
  // The last two schemes are the fallbacks: the one before last when its
  // button is checked, otherwise the last.
  constexpr std::uint32_t kLast = kInsideSchemeCount - 1;
  for (std::uint32_t i = 0; i < kLast - 1; ++i) {
    if (checked[i]) return i;
  }
  return checked[kLast - 1] ? kLast - 1 : kLast;
}

std::uint32_t EscapeSchemeFromButtons(const bool (&checked)[kEscapeSchemeCount],
                                      std::uint32_t loaded) {
  std::uint32_t scheme = loaded;
  for (std::uint32_t i = 0; i < kEscapeSchemeCount; ++i) {
    if (checked[i]) scheme = i;
  }
  return scheme;
}

}  // namespace mandeldive
