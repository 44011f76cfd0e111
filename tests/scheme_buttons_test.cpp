#include "settings/scheme_buttons.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace mandeldive {
namespace {

template <std::size_t N>
void Check(bool (&buttons)[N], std::initializer_list<int> checked) {
  for (bool& b : buttons) b = false;
  for (int i : checked) buttons[i] = true;
}

TEST(SchemeButtons, FirstCheckedInSetButtonWinsFallingBackToSevenOrEight) {
  struct {
    std::initializer_list<int> checked;
    std::uint32_t scheme;
  } const cases[] = {
      {{0}, 0},    {{6}, 6},    {{7}, 7},    {{8}, 8},    {{}, 8},
      {{3, 5}, 3}, {{7, 8}, 7}, {{8, 2}, 2}, {{6, 7}, 6},
  };
  for (const auto& c : cases) {
    bool buttons[kInsideSchemeCount];
    Check(buttons, c.checked);
    EXPECT_EQ(InsideSchemeFromButtons(buttons), c.scheme);
  }
}

TEST(SchemeButtons, LastCheckedEscapeButtonWinsOtherwiseTheLoadedValueStays) {
  struct {
    std::initializer_list<int> checked;
    std::uint32_t loaded, scheme;
  } const cases[] = {
      {{0}, 5, 0},  {{14}, 0, 14}, {{2, 9}, 0, 9},
      {{}, 15, 15}, {{}, 3, 3},    {{}, 0xFFFFFFFF, 0xFFFFFFFF},
  };
  for (const auto& c : cases) {
    bool buttons[kEscapeSchemeCount];
    Check(buttons, c.checked);
    EXPECT_EQ(EscapeSchemeFromButtons(buttons, c.loaded), c.scheme);
  }
}

}  // namespace
}  // namespace mandeldive
