#include "host/win32/gdi_surface.h"

#include <cstring>

namespace mandeldive {

namespace {

// A GDI colour from any value: its low 24 bits. GDI would read a top byte
// as a palette reference, or reject the value.
COLORREF Gdi(ColorRef colour) { return static_cast<COLORREF>(ShownColour(colour)); }

// A 32-bit DIB pixel is 0x00RRGGBB; a colour value is 0x00BBGGRR.
std::uint32_t DibPixel(ColorRef c) {
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// Pixels per SetDIBitsToDevice call: a stack buffer, so drawing a column
// allocates nothing.
constexpr std::int32_t kBlitRows = 2048;

}  // namespace

Rect GdiSurface::ClientRect() const {
  RECT r = {0, 0, 0, 0};
  GetClientRect(window_, &r);
  return {r.left, r.top, r.right, r.bottom};
}

void GdiSurface::AcquireContext() { dc_ = GetDC(window_); }

void GdiSurface::ReleaseContext() {
  if (maskDc_ != nullptr) {
    SelectObject(maskDc_, previousMask_);
    DeleteObject(maskBitmap_);
    DeleteDC(maskDc_);
    maskBitmap_ = nullptr;
    maskDc_ = nullptr;
  }
  ReleaseDC(window_, dc_);
  dc_ = nullptr;
}

void GdiSurface::SetPixel(std::int32_t x, std::int32_t y, ColorRef colour) {
  ::SetPixel(dc_, x, y, Gdi(colour));
}

void GdiSurface::BlitRun(std::int32_t x, std::int32_t top,
                         const ColorRef* colours, std::int32_t count) {
  std::uint32_t bits[kBlitRows];
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 1;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  for (std::int32_t done = 0; done < count; done += kBlitRows) {
    const std::int32_t rows = count - done < kBlitRows ? count - done : kBlitRows;
    for (std::int32_t i = 0; i < rows; ++i) bits[i] = DibPixel(colours[done + i]);
    info.bmiHeader.biHeight = -rows;  // top-down
    SetDIBitsToDevice(dc_, x, top + done, 1, rows, 0, 0, 0, rows, bits, &info,
                      DIB_RGB_COLORS);
  }
}

void GdiSurface::DrawColumn(std::int32_t x, std::int32_t top,
                            const ColorRef* colours, std::int32_t count) {
  // Kept pixels split the column into runs; each run is one call.
  ForEachDrawnRun(colours, count, [&](std::int32_t start, std::int32_t length) {
    BlitRun(x, top + start, colours + start, length);
  });
}

namespace {

// Rows of the progress-mark masks; taller columns take several blits.
constexpr std::int32_t kMaskRows = 2048;

}  // namespace

bool GdiSurface::MakeMarkMasks() {
  // Two one-pixel-wide masks side by side: column 0 black on the odd rows
  // and white on the even ones, column 1 yellow on the odd rows and black
  // on the even ones. AND with the first, then OR with the second, sets the
  // odd rows of a column to yellow and leaves the even rows: two blits a
  // column with the plainest raster operations, which GDI does fastest.
  // They live as long as the drawing context: a render pass marks every
  // column.
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = -kMaskRows;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  maskBitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (maskBitmap_ == nullptr) return false;
  auto* pixels = static_cast<std::uint32_t*>(bits);
  for (std::int32_t y = 0; y < kMaskRows; ++y) {
    const bool odd = y % 2 == 1;
    pixels[2 * y] = odd ? 0x000000 : 0xFFFFFF;
    pixels[2 * y + 1] = odd ? DibPixel(kYellow) : 0x000000;
  }
  maskDc_ = CreateCompatibleDC(dc_);
  previousMask_ = SelectObject(maskDc_, maskBitmap_);
  return true;
}

void GdiSurface::MarkProgress(std::int32_t x, std::int32_t lastRow) {
  if (lastRow < 1) return;
  if (maskDc_ == nullptr && !MakeMarkMasks()) return;
  for (std::int32_t top = 0; top <= lastRow; top += kMaskRows) {
    const std::int32_t rows = lastRow + 1 - top < kMaskRows ? lastRow + 1 - top : kMaskRows;
    BitBlt(dc_, x, top, 1, rows, maskDc_, 0, 0, SRCAND);
    BitBlt(dc_, x, top, 1, rows, maskDc_, 1, 0, SRCPAINT);
  }
}

void GdiSurface::FrameRect(const Rect& rect, ColorRef colour) {
  const RECT r = {rect.left, rect.top, rect.right, rect.bottom};
  HBRUSH brush = CreateSolidBrush(Gdi(colour));
  ::FrameRect(dc_, &r, brush);
  DeleteObject(brush);
}

void GdiSurface::SelectFont(const FontDesc& f) {
  font_ = CreateFontA(f.height, f.width, f.escapement, f.orientation, f.weight,
                      f.italic, f.underline, f.strikeOut, f.charSet,
                      f.outPrecision, f.clipPrecision, f.quality,
                      f.pitchAndFamily, f.face);
  previousFont_ = SelectObject(dc_, font_);
}

void GdiSurface::DeselectFont() {
  SelectObject(dc_, previousFont_);
  DeleteObject(font_);
  font_ = nullptr;
  previousFont_ = nullptr;
}

std::int32_t GdiSurface::TextWidth(const char* text) {
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc_, text, static_cast<int>(std::strlen(text)), &size);
  return size.cx;
}

void GdiSurface::DrawText(std::int32_t x, std::int32_t y, const char* text,
                          ColorRef colour) {
  SetBkMode(dc_, TRANSPARENT);
  SetTextColor(dc_, Gdi(colour));
  TextOutA(dc_, x, y, text, static_cast<int>(std::strlen(text)));
}

}  // namespace mandeldive
