// The engine's drawing surface on an X window: columns go out as a one-pixel
// wide XImage, progress marks as points, and the caption as the points the
// headless renderer's FreeType text covers, so its glyphs are the same
// pixels. TrueColor visuals of depth 24 or 32 only.
#ifndef MANDELDIVE_HOST_X11_X11_SURFACE_H_
#define MANDELDIVE_HOST_X11_X11_SURFACE_H_

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/drawing_surface.h"
#include "surface/text_rasteriser.h"

namespace mandeldive {

class X11Surface final : public DrawingSurface {
 public:
  // Without a text rasteriser, texts measure 0 and draw nothing.
  X11Surface(Display* display, Window window,
             std::unique_ptr<TextRasteriser> text);
  ~X11Surface() override;
  X11Surface(const X11Surface&) = delete;
  X11Surface& operator=(const X11Surface&) = delete;

  // Empty when the surface can draw; otherwise why not, in one line.
  const std::string& problem() const { return problem_; }

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

 private:
  static void PlotTextPixel(void* self, std::int32_t x, std::int32_t y);
  unsigned long PixelOf(ColorRef colour) const;
  void PutRun(std::int32_t x, std::int32_t top, const ColorRef* colours,
              std::int32_t count);

  Display* display_;
  Window window_;
  Visual* visual_ = nullptr;
  Colormap colormap_ = 0;
  int depth_ = 0;
  std::string problem_;
  int redShift_ = 0, greenShift_ = 0, blueShift_ = 0;
  GC gc_ = nullptr;
  std::vector<std::uint32_t> columnBits_;
  XImage* column_ = nullptr;
  std::unique_ptr<TextRasteriser> text_;
  bool fontOpen_ = false;
  std::vector<XPoint> textPoints_;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_X11_X11_SURFACE_H_
