#include "surface/memory_surface.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace mandeldive {

MemorySurface::MemorySurface(std::int32_t width, std::int32_t height,
                             std::unique_ptr<TextRasteriser> text)
    : width_(std::max<std::int32_t>(width, 0)),
      height_(std::max<std::int32_t>(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_),
      text_(std::move(text)) {
  std::fill(pixels_.begin(), pixels_.end(), kWhite);
}

Rect MemorySurface::ClientRect() const { return {0, 0, width_, height_}; }

void MemorySurface::AcquireContext() {
  ++openContexts_;
  ++contextsAcquired_;
}

void MemorySurface::ReleaseContext() { --openContexts_; }

void MemorySurface::SetPixel(std::int32_t x, std::int32_t y, ColorRef colour) {
  AssertDrawing();
  ++pixelCalls_;
  if (Inside(x, y)) {
    pixels_[Index(x, y)] = ShownColour(colour);
  }
}

void MemorySurface::DrawColumn(std::int32_t x, std::int32_t top,
                               const ColorRef* colours, std::int32_t count) {
  AssertDrawing();
  if (x < 0 || x >= width_) return;
  const std::int32_t first = std::max<std::int32_t>(top, 0);
  const std::int32_t end = std::min<std::int32_t>(top + count, height_);
  ColorRef* column = pixels_.data() + Index(x, 0);
  for (std::int32_t y = first; y < end; ++y) {
    const ColorRef c = colours[y - top];
    if (c != kKeepPixel) column[y] = ShownColour(c);
  }
}

void MemorySurface::MarkProgress(std::int32_t x, std::int32_t lastRow) {
  AssertDrawing();
  if (x >= 0 && x < width_) {
    const std::int32_t end = std::min<std::int32_t>(lastRow, height_ - 1);
    ColorRef* column = pixels_.data() + Index(x, 0);
    for (std::int32_t y = 1; y <= end; y += 2) column[y] = kYellow;
  }
  // After the marks: an observer that looks sees the column as the pass
  // starts on it.
  if (observer_ != nullptr) observer_(observerContext_, x);
}

std::vector<ColorRef> MemorySurface::pixels() const {
  std::vector<ColorRef> rows(pixels_.size());
  for (std::int32_t x = 0; x < width_; ++x) {
    for (std::int32_t y = 0; y < height_; ++y) {
      rows[static_cast<std::size_t>(y) * width_ + x] = pixels_[Index(x, y)];
    }
  }
  return rows;
}

void MemorySurface::Fill(ColorRef colour) {
  std::fill(pixels_.begin(), pixels_.end(), ShownColour(colour));
}

void MemorySurface::FrameRect(const Rect& rect, ColorRef colour) {
  AssertDrawing();
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  const ColorRef shown = ShownColour(colour);
  auto put = [&](std::int32_t x, std::int32_t y) {
    if (Inside(x, y)) pixels_[Index(x, y)] = shown;
  };
  for (std::int32_t x = rect.left; x < rect.right; ++x) {
    put(x, rect.top);
    put(x, rect.bottom - 1);
  }
  for (std::int32_t y = rect.top; y < rect.bottom; ++y) {
    put(rect.left, y);
    put(rect.right - 1, y);
  }
}

void MemorySurface::SelectFont(const FontDesc& font) {
  AssertDrawing();
  ++openFonts_;
  fontOpen_ = text_ != nullptr && text_->Open(font);
}

void MemorySurface::DeselectFont() {
  --openFonts_;
  if (fontOpen_) text_->Close();
  fontOpen_ = false;
}

std::int32_t MemorySurface::TextWidth(const char* text) {
  AssertDrawing();
  assert(openFonts_ > 0 && "text is drawn between SelectFont and DeselectFont");
  return fontOpen_ ? text_->Width(text) : 0;
}

void MemorySurface::Plot(void* self, std::int32_t x, std::int32_t y) {
  auto* surface = static_cast<MemorySurface*>(self);
  if (surface->Inside(x, y)) {
    surface->pixels_[surface->Index(x, y)] = surface->textColour_;
  }
}

void MemorySurface::DrawText(std::int32_t x, std::int32_t y, const char* text,
                             ColorRef colour) {
  AssertDrawing();
  assert(openFonts_ > 0 && "text is drawn between SelectFont and DeselectFont");
  if (!fontOpen_) return;
  textColour_ = ShownColour(colour);
  text_->Draw(x, y, text, &MemorySurface::Plot, this);
}

}  // namespace mandeldive
