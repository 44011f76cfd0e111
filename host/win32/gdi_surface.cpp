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
constexpr std::int32_t kBlitRows = 1024;

}  // namespace

Rect GdiSurface::ClientRect() const {
  RECT r = {0, 0, 0, 0};
  GetClientRect(window_, &r);
  return {r.left, r.top, r.right, r.bottom};
}

void GdiSurface::AcquireContext() { dc_ = GetDC(window_); }

void GdiSurface::ReleaseContext() {
  if (clearOddRows_ != nullptr) DeleteObject(clearOddRows_);
  if (yellowOddRows_ != nullptr) DeleteObject(yellowOddRows_);
  clearOddRows_ = yellowOddRows_ = nullptr;
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
  // Kept pixels split the column into runs; each run is one blit.
  std::int32_t i = 0;
  while (i < count) {
    while (i < count && colours[i] == kKeepPixel) ++i;
    const std::int32_t start = i;
    while (i < count && colours[i] != kKeepPixel) ++i;
    if (i > start) BlitRun(x, top + start, colours + start, i - start);
  }
}

namespace {

// A brush of 8 x 8 pixels whose odd rows are `odd` and even rows `even`
// (32-bit DIB pixels). Patterns repeat from the client origin, so pattern
// row y mod 8 lies on client row y.
HBRUSH RowBrush(std::uint32_t odd, std::uint32_t even) {
  struct {
    BITMAPINFOHEADER header;
    std::uint32_t bits[64];
  } pattern;
  std::memset(&pattern, 0, sizeof pattern);
  pattern.header.biSize = sizeof pattern.header;
  pattern.header.biWidth = 8;
  pattern.header.biHeight = -8;  // top-down
  pattern.header.biPlanes = 1;
  pattern.header.biBitCount = 32;
  pattern.header.biCompression = BI_RGB;
  for (int i = 0; i < 64; ++i) pattern.bits[i] = (i / 8) % 2 == 1 ? odd : even;
  return CreateDIBPatternBrushPt(&pattern, DIB_RGB_COLORS);
}

// Raster operations: destination AND pattern, destination OR pattern.
constexpr DWORD kDestAndPattern = 0x00A000C9;
constexpr DWORD kDestOrPattern = 0x00FA0089;

}  // namespace

void GdiSurface::MarkProgress(std::int32_t x, std::int32_t lastRow) {
  if (lastRow < 1) return;
  // Two pattern blits instead of a pixel per mark: clear the odd rows
  // (AND with black there, white elsewhere), then OR yellow into them. The
  // even rows pass through both unchanged. The brushes live as long as the
  // drawing context: a render pass marks every column.
  if (clearOddRows_ == nullptr) clearOddRows_ = RowBrush(0x000000, 0xFFFFFF);
  if (yellowOddRows_ == nullptr) yellowOddRows_ = RowBrush(DibPixel(kYellow), 0x000000);
  HGDIOBJ previous = SelectObject(dc_, clearOddRows_);
  PatBlt(dc_, x, 0, 1, lastRow + 1, kDestAndPattern);
  SelectObject(dc_, yellowOddRows_);
  PatBlt(dc_, x, 0, 1, lastRow + 1, kDestOrPattern);
  SelectObject(dc_, previous);
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
