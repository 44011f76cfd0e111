// The engine's drawing surface on an X window: columns go out as a one-pixel
// wide XImage, progress marks as points, the caption through Xft with the
// face the headless renderer uses. TrueColor visuals of depth 24 or 32 only.
#ifndef MANDELDIVE_HOST_X11_X11_SURFACE_H_
#define MANDELDIVE_HOST_X11_X11_SURFACE_H_

#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/drawing_surface.h"

namespace mandeldive {

class X11Surface final : public DrawingSurface {
 public:
  X11Surface(Display* display, Window window);
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
  XftFont* font_ = nullptr;
  XftDraw* draw_ = nullptr;
  int fontAscent_ = 0;  // the cell's top to the baseline, as GDI puts it
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_X11_X11_SURFACE_H_
