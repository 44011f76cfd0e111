// The engine's drawing surface on a Windows window, through GDI. Each
// operation acquires its brush or font and releases it before it returns,
// except the blit columns, which are made on first use and deleted with the
// device context, held only between AcquireContext and ReleaseContext (so
// within one engine operation).
//
// Columns and progress marks are drawn as an AND blit then an OR blit from
// the blit columns: a mask that clears the pixels to draw and keeps the
// rest, then their colours. A drawn column is shown with the next
// operation, and when that is the next column's marks, both go in the same
// two-column pair of blits: the window still passes through the states of a
// call per pixel (a column drawn, then the next column's marks), at two GDI
// calls a column. GDI charges by the row, so a call that covers two
// columns costs little more than one.
#ifndef MANDELDIVE_HOST_WIN32_GDI_SURFACE_H_
#define MANDELDIVE_HOST_WIN32_GDI_SURFACE_H_

#include <windows.h>

#include "engine/drawing_surface.h"

namespace mandeldive {

class GdiSurface final : public DrawingSurface {
 public:
  // How columns reach the window: through the blit columns, falling back
  // to per-run SetDIBitsToDevice and per-pixel marks when GDI cannot make
  // them (out of GDI memory), or always the fallback, for its tests.
  enum class Columns { kBlitWhenPossible, kFallbackOnly };

  explicit GdiSurface(HWND window, Columns columns = Columns::kBlitWhenPossible)
      : window_(window), fallbackOnly_(columns == Columns::kFallbackOnly) {}

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

  // Makes the blit columns, the client area's height: the pending
  // column's mask and paint (white and black where a pixel is kept), and
  // the marks' (black and yellow on odd rows, white and black on even).
  bool MakeBlitColumns();
  // AND then OR, rows top..top + rows - 1, from blit column firstColumn
  // on, to window column x on.
  void Blit(std::int32_t x, std::int32_t firstColumn, std::int32_t columns,
            std::int32_t top, std::int32_t rows);
  void ShowPendingColumn();

  HWND window_;
  HDC dc_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ previousFont_ = nullptr;

  HDC blitDc_ = nullptr;
  HBITMAP blitBitmap_ = nullptr;
  bool fallbackOnly_;
  HGDIOBJ previousBlit_ = nullptr;
  std::uint32_t* blitBits_ = nullptr;  // top-down rows of 0x00RRGGBB
  std::int32_t blitRows_ = 0;
  bool maskBlack_ = false;  // the pending column's mask is black on every row
  // The window column drawn into the blit columns and not yet shown, and
  // the rows written for it.
  static constexpr std::int32_t kNoColumn = -0x7FFFFFFF - 1;
  std::int32_t pending_ = kNoColumn;
  std::int32_t pendingTop_ = 0;
  std::int32_t pendingBottom_ = -1;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WIN32_GDI_SURFACE_H_
