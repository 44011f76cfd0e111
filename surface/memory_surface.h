// A drawing surface held in memory: the window of the headless renderer and
// of the tests. It behaves as the saver's window does: it starts white (the
// class background), clips everything outside the client area and shows a
// colour as its low 24 bits.
//
// The pixels are stored a column after another, because the render pass
// writes whole columns: each DrawColumn and MarkProgress then touches
// consecutive memory. Writers read the columns through view().
#ifndef MANDELDIVE_SURFACE_MEMORY_SURFACE_H_
#define MANDELDIVE_SURFACE_MEMORY_SURFACE_H_

#include <cassert>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/drawing_surface.h"
#include "surface/picture_buffer.h"
#include "surface/pixel_view.h"
#include "surface/text_rasteriser.h"

namespace mandeldive {

class MemorySurface final : public DrawingSurface {
 public:
  // A white client area of width x height pixels (either may be 0). Without
  // a text rasteriser, texts measure 0 and draw nothing.
  MemorySurface(std::int32_t width, std::int32_t height,
                std::unique_ptr<TextRasteriser> text = nullptr);

  Rect ClientRect() const override;
  void AcquireContext() override;
  void ReleaseContext() override;
  void SetPixel(std::int32_t x, std::int32_t y, ColorRef colour) override;
  void DrawColumn(std::int32_t x, std::int32_t top, const ColorRef* colours,
                  std::int32_t count) override;
  void MarkProgress(std::int32_t x, std::int32_t lastRow) override;
  void FrameRect(const Rect& rect, ColorRef colour) override;
  void SelectFont(const FontDesc& font) override;
  void DeselectFont() override;
  std::int32_t TextWidth(const char* text) override;
  void DrawText(std::int32_t x, std::int32_t y, const char* text,
                ColorRef colour) override;

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  // The shown colour of a pixel inside the client area.
  ColorRef Pixel(std::int32_t x, std::int32_t y) const {
    return pixels_[Index(x, y)];
  }
  // A row-major copy of the shown colours, width() x height().
  std::vector<ColorRef> pixels() const;
  // The shown colours as they are stored.
  PixelView view() const {
    return PixelView::ColumnMajor(pixels_.data(), width_, height_);
  }
  void Fill(ColorRef colour);

  // Called with x at every MarkProgress, once its marks are set, that is, as
  // the render pass starts each column: how a long render can tell how far
  // it is, and what the surface then shows.
  using ColumnObserver = void (*)(void* context, std::int32_t x);
  void SetColumnObserver(ColumnObserver observer, void* context) {
    observer_ = observer;
    observerContext_ = context;
  }

  // Resource bookkeeping, so tests can see that every operation gives back
  // what it took.
  std::int32_t openContexts() const { return openContexts_; }
  std::int32_t openFonts() const { return openFonts_; }
  std::int64_t contextsAcquired() const { return contextsAcquired_; }
  std::int64_t pixelCalls() const { return pixelCalls_; }

 private:
  static void Plot(void* self, std::int32_t x, std::int32_t y);
  // The surface contract: drawing only between AcquireContext and
  // ReleaseContext. Checked where asserts are on.
  void AssertDrawing() const {
    assert(openContexts_ > 0 &&
           "drawing happens between AcquireContext and ReleaseContext");
  }
  std::size_t Index(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>(x) * height_ + y;
  }
  bool Inside(std::int32_t x, std::int32_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }

  std::int32_t width_;
  std::int32_t height_;
  PictureBuffer<ColorRef> pixels_;
  std::unique_ptr<TextRasteriser> text_;
  ColumnObserver observer_ = nullptr;
  void* observerContext_ = nullptr;
  bool fontOpen_ = false;
  ColorRef textColour_ = 0;
  std::int32_t openContexts_ = 0;
  std::int32_t openFonts_ = 0;
  std::int64_t contextsAcquired_ = 0;
  std::int64_t pixelCalls_ = 0;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_SURFACE_MEMORY_SURFACE_H_
