#include "settings/scheme_buttons.h"

namespace mandeldive {

std::uint32_t InsideSchemeFromButtons(
    const bool (&checked)[kInsideSchemeCount]) {
  for (std::uint32_t i = 0; i < 7; ++i) {
    if (checked[i]) return i;
  }
  return checked[7] ? 7 : 8;
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
