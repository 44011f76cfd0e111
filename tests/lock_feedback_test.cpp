// The locker's feedback over the dive: what it says for each state of the
// keys (never a typed character), and that it draws only inside its box,
// over the buffer it is given, so every other pixel stays the picture's.
#include "host/wayland/lock_feedback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace mandeldive {
namespace {

using State = LockFeedback::State;

TEST(LockFeedback, LinesForEachState) {
  struct {
    LockFeedback feedback;
    std::vector<std::string> lines;
  } const cases[] = {
      {{State::Hidden, 5, true}, {}},
      {{State::Typing, 3, false}, {"***"}},
      {{State::Typing, 0, false}, {"(empty)"}},
      {{State::Typing, 32, false}, {std::string(32, '*')}},
      {{State::Typing, 33, false}, {"33 characters"}},
      {{State::Typing, 1, true}, {"*", "Caps Lock is on"}},
      {{State::Checking, 4, false}, {"checking..."}},
      {{State::Wrong, 0, true}, {"wrong password", "Caps Lock is on"}},
      {{State::Cleared, 0, false}, {"cleared"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FeedbackLines(c.feedback), c.lines)
        << static_cast<int>(c.feedback.state) << " " << c.feedback.count;
  }
}

// A picture of distinct pixels, the overlay drawn over it at scales 1 and
// 2: outside the box nothing changes; inside, each pixel is the picture's
// at half brightness or the text's white; hidden, it covers nothing.
TEST(LockFeedback, DrawsOnlyInsideItsBox) {
  constexpr std::int32_t kWidth = 320, kHeight = 200;
  for (std::int32_t scale : {1, 2}) {
    LockFeedbackOverlay overlay;
    EXPECT_TRUE(overlay.Set({State::Typing, 6, true}));
    EXPECT_FALSE(overlay.Set({State::Typing, 6, true}));
    const Rect box = overlay.Area(kWidth, kHeight, scale);
    ASSERT_LT(box.left, box.right);
    ASSERT_LT(box.top, box.bottom);
    EXPECT_GE(box.left, 0);
    EXPECT_LE(box.right, kWidth);
    std::vector<std::uint32_t> picture(kWidth * kHeight);
    for (std::size_t i = 0; i < picture.size(); ++i)
      picture[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFFu;
    std::vector<std::uint32_t> shown = picture;
    overlay.Draw(shown.data(), kWidth, kWidth, kHeight, scale);
    std::size_t white = 0;
    for (std::int32_t y = 0; y < kHeight; ++y) {
      for (std::int32_t x = 0; x < kWidth; ++x) {
        const std::uint32_t was = picture[y * kWidth + x];
        const std::uint32_t is = shown[y * kWidth + x];
        const bool inside =
            x >= box.left && x < box.right && y >= box.top && y < box.bottom;
        if (!inside) {
          ASSERT_EQ(is, was) << x << "," << y;
        } else if (is == 0xFFFFFFu) {
          ++white;
        } else {
          ASSERT_EQ(is, (was >> 1) & 0x7F7F7Fu) << x << "," << y;
        }
      }
    }
    EXPECT_GT(white, 0u) << "no text drawn at scale " << scale;
    EXPECT_TRUE(overlay.Set({State::Hidden, 0, true}));
    const Rect none = overlay.Area(kWidth, kHeight, scale);
    EXPECT_TRUE(none.right <= none.left || none.bottom <= none.top);
  }
  // A scale no box fits at (a compositor's to send): nothing is shown,
  // and no size overflows on the way (the sanitize build would say).
  for (std::int32_t scale : {1000, 1 << 28, INT32_MAX}) {
    LockFeedbackOverlay overlay;
    overlay.Set({State::Checking, 0, true});
    const Rect box = overlay.Area(kWidth, kHeight, scale);
    EXPECT_TRUE(box.right <= box.left || box.bottom <= box.top) << scale;
    std::vector<std::uint32_t> shown(kWidth * kHeight, 0x123456u);
    overlay.Draw(shown.data(), kWidth, kWidth, kHeight, scale);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 0x123456u),
              kWidth * kHeight)
        << scale;
  }
}

}  // namespace
}  // namespace mandeldive
