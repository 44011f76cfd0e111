#include "host/wayland/lock_feedback.h"

#include <algorithm>

#include "engine/saver_engine.h"
#include "surface/freetype_text.h"

namespace mandeldive {

namespace {

// Stars up to this many characters, then the count as a number, so the box
// never outgrows a small output.
constexpr std::size_t kMostStars = 32;
constexpr std::int32_t kPadding = 8;  // surface pixels around the lines
constexpr std::int32_t kLineGap = 4;  // surface pixels between lines
constexpr std::uint32_t kTextColour = 0xFFFFFFu;

struct Plot {
  std::uint32_t* pixels;
  std::int32_t stride;
  Rect clip;
};

}  // namespace

std::vector<std::string> FeedbackLines(const LockFeedback& feedback) {
  using State = LockFeedback::State;
  std::vector<std::string> lines;
  switch (feedback.state) {
    case State::Hidden:
      return lines;
    case State::Typing:
      if (feedback.count == 0) {
        lines.push_back("(empty)");
      } else if (feedback.count <= kMostStars) {
        lines.push_back(std::string(feedback.count, '*'));
      } else {
        lines.push_back(std::to_string(feedback.count) + " characters");
      }
      break;
    case State::Checking:
      lines.push_back("checking...");
      break;
    case State::Wrong:
      lines.push_back("wrong password");
      break;
    case State::Cleared:
      lines.push_back("cleared");
      break;
  }
  if (feedback.capsLock) lines.push_back("Caps Lock is on");
  return lines;
}

bool LockFeedbackOverlay::Set(const LockFeedback& feedback) {
  std::vector<std::string> lines = FeedbackLines(feedback);
  if (lines == lines_) return false;
  lines_ = std::move(lines);
  return true;
}

TextRasteriser* LockFeedbackOverlay::Text(std::int32_t scale) const {
  auto& text = text_[scale];
  if (text == nullptr) {
    text = MakeFreeTypeText();
    FontDesc font = kCaptionFont;
    font.height *= scale;
    font.width *= scale;
    text->Open(font);
  }
  return text.get();
}

Rect LockFeedbackOverlay::Area(std::int32_t width, std::int32_t height,
                               std::int32_t scale) const {
  // In 64 bits: the scale is the compositor's to choose. A box longer
  // than any buffer is not shown (no font is opened at that size).
  const std::int64_t lines = static_cast<std::int64_t>(lines_.size());
  const std::int64_t tall = lines * kCaptionFont.height * std::int64_t{scale} +
                            (lines - 1) * kLineGap * std::int64_t{scale} +
                            2 * kPadding * std::int64_t{scale};
  if (lines == 0 || scale < 1 || tall > kMostBufferSide) return {0, 0, 0, 0};
  TextRasteriser* text = Text(scale);
  std::int64_t textWidth = 0;
  for (const auto& line : lines_)
    textWidth = std::max<std::int64_t>(textWidth, text->Width(line.c_str()));
  const std::int64_t wide = textWidth + 2 * kPadding * std::int64_t{scale};
  if (wide > kMostBufferSide) return {0, 0, 0, 0};
  const auto boxWidth = static_cast<std::int32_t>(wide);
  const auto boxHeight = static_cast<std::int32_t>(tall);
  const std::int32_t left = (width - boxWidth) / 2;
  const std::int32_t top = (height - boxHeight) / 2;
  return {std::max(left, 0), std::max(top, 0), std::min(left + boxWidth, width),
          std::min(top + boxHeight, height)};
}

void LockFeedbackOverlay::Draw(std::uint32_t* pixels, std::int32_t stride,
                               std::int32_t width, std::int32_t height,
                               std::int32_t scale) const {
  const Rect box = Area(width, height, scale);
  if (box.right <= box.left || box.bottom <= box.top) return;
  // Half as bright behind the text, so it reads over any scheme.
  for (std::int32_t y = box.top; y < box.bottom; ++y) {
    std::uint32_t* row = pixels + static_cast<std::size_t>(y) * stride;
    for (std::int32_t x = box.left; x < box.right; ++x)
      row[x] = (row[x] >> 1) & 0x7F7F7Fu;
  }
  TextRasteriser* text = Text(scale);
  Plot plot = {pixels, stride, box};
  std::int32_t y = box.top + kPadding * scale;
  for (const auto& line : lines_) {
    const std::int32_t x =
        box.left + (box.right - box.left - text->Width(line.c_str())) / 2;
    text->Draw(
        x, y, line.c_str(),
        [](void* target, std::int32_t px, std::int32_t py) {
          const auto* p = static_cast<const Plot*>(target);
          if (px < p->clip.left || px >= p->clip.right || py < p->clip.top ||
              py >= p->clip.bottom)
            return;
          p->pixels[static_cast<std::size_t>(py) * p->stride + px] =
              kTextColour;
        },
        &plot);
    y += (kCaptionFont.height + kLineGap) * scale;
  }
}

}  // namespace mandeldive
