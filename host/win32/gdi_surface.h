// The engine's drawing surface on a Windows window, through GDI. Each
// operation acquires its brush or font and releases it before it returns,
// except the progress marks' masks, which are made on first use and
// deleted with the device context, held only between
// AcquireContext and ReleaseContext (so within one engine operation).
#ifndef MANDELDIVE_HOST_WIN32_GDI_SURFACE_H_
#define MANDELDIVE_HOST_WIN32_GDI_SURFACE_H_

#include <windows.h>

#include "engine/drawing_surface.h"

namespace mandeldive {

class GdiSurface final : public DrawingSurface {
 public:
  explicit GdiSurface(HWND window) : window_(window) {}

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

  HWND window() const { return window_; }

 private:
  // Writes rows top..top + count - 1 of column x from 0x00BBGGRR colours.
  void BlitRun(std::int32_t x, std::int32_t top, const ColorRef* colours,
               std::int32_t count);

  HWND window_;
  HDC dc_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ previousFont_ = nullptr;
  // The progress marks' masks, made on first use in a context.
  bool MakeMarkMasks();
  HDC maskDc_ = nullptr;
  HBITMAP maskBitmap_ = nullptr;
  HGDIOBJ previousMask_ = nullptr;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WIN32_GDI_SURFACE_H_
