#include "host/win32/gdi_surface.h"

#include <cstring>

namespace mandeldive {

namespace {

// A GDI colour from any value: its low 24 bits. GDI would read a top byte
// as a palette reference, or reject the value.
COLORREF Gdi(ColorRef colour) {
  return static_cast<COLORREF>(ShownColour(colour));
}

// A 32-bit DIB pixel is 0x00RRGGBB; a colour value is 0x00BBGGRR.
std::uint32_t DibPixel(ColorRef c) {
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// Pixels per SetDIBitsToDevice call, when there are no blit columns: a
// stack buffer, so drawing a column allocates nothing.
constexpr std::int32_t kBlitRows = 2048;

// The blit columns: AND masks, then the OR sources that paint after them.
constexpr std::int32_t kColumnMask = 0;    // the pending column
constexpr std::int32_t kMarksMask = 1;     // the progress marks
constexpr std::int32_t kPaintColumns = 2;  // from a mask to its paint
constexpr std::int32_t kColumnPaint = kColumnMask + kPaintColumns;
constexpr std::int32_t kMarksPaint = kMarksMask + kPaintColumns;
constexpr std::int32_t kBlitColumns = 4;
constexpr std::uint32_t kDibWhite = 0xFFFFFF;

}  // namespace

Rect GdiSurface::ClientRect() const {
  RECT r = {0, 0, 0, 0};
  GetClientRect(window_, &r);
  return {r.left, r.top, r.right, r.bottom};
}

void GdiSurface::AcquireContext() { dc_ = GetDC(window_); }

void GdiSurface::ReleaseContext() {
  ShowPendingColumn();
  if (blitDc_ != nullptr) {
    SelectObject(blitDc_, previousBlit_);
    DeleteObject(blitBitmap_);
    DeleteDC(blitDc_);
    blitBitmap_ = nullptr;
    blitDc_ = nullptr;
    blitBits_ = nullptr;
  }
  ReleaseDC(window_, dc_);
  dc_ = nullptr;
}

void GdiSurface::SetPixel(std::int32_t x, std::int32_t y, ColorRef colour) {
  ShowPendingColumn();
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
    const std::int32_t rows =
        count - done < kBlitRows ? count - done : kBlitRows;
    for (std::int32_t i = 0; i < rows; ++i)
      bits[i] = DibPixel(colours[done + i]);
    info.bmiHeader.biHeight = -rows;  // top-down
    SetDIBitsToDevice(dc_, x, top + done, 1, rows, 0, 0, 0, rows, bits, &info,
                      DIB_RGB_COLORS);
  }
}

bool GdiSurface::MakeBlitColumns() {
  if (blitDc_ != nullptr) return true;
  if (fallbackOnly_) return false;
  const Rect client = ClientRect();
  const std::int32_t rows = client.bottom > 0 ? client.bottom : 1;
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kBlitColumns;
  info.bmiHeader.biHeight = -rows;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  blitBitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (blitBitmap_ == nullptr) return false;
  blitDc_ = CreateCompatibleDC(dc_);
  if (blitDc_ == nullptr) {
    DeleteObject(blitBitmap_);
    blitBitmap_ = nullptr;
    return false;
  }
  previousBlit_ = SelectObject(blitDc_, blitBitmap_);
  blitBits_ = static_cast<std::uint32_t*>(bits);
  blitRows_ = rows;
  maskBlack_ = true;
  for (std::int32_t y = 0; y < rows; ++y) {
    std::uint32_t* row = blitBits_ + y * kBlitColumns;
    const bool odd = y % 2 == 1;
    row[kColumnMask] = 0;
    row[kColumnPaint] = 0;
    row[kMarksMask] = odd ? 0 : kDibWhite;
    row[kMarksPaint] = odd ? DibPixel(kYellow) : 0;
  }
  pending_ = kNoColumn;
  return true;
}

void GdiSurface::Blit(std::int32_t x, std::int32_t firstColumn,
                      std::int32_t columns, std::int32_t top,
                      std::int32_t rows) {
  BitBlt(dc_, x, top, columns, rows, blitDc_, firstColumn, top, SRCAND);
  BitBlt(dc_, x, top, columns, rows, blitDc_, firstColumn + kPaintColumns, top,
         SRCPAINT);
}

void GdiSurface::ShowPendingColumn() {
  if (pending_ == kNoColumn) return;
  if (pendingTop_ <= pendingBottom_) {
    Blit(pending_, kColumnMask, 1, pendingTop_,
         pendingBottom_ + 1 - pendingTop_);
  }
  pending_ = kNoColumn;
}

void GdiSurface::DrawColumn(std::int32_t x, std::int32_t top,
                            const ColorRef* colours, std::int32_t count) {
  if (!MakeBlitColumns()) {
    // Kept pixels split the column into runs; each run is one call.
    ForEachDrawnRun(colours, count,
                    [&](std::int32_t start, std::int32_t length) {
                      BlitRun(x, top + start, colours + start, length);
                    });
    return;
  }
  if (x != pending_) {
    ShowPendingColumn();
    pending_ = x;
    pendingTop_ = blitRows_;
    pendingBottom_ = -1;
  }
  const std::int32_t first = top < 0 ? -top : 0;
  const std::int32_t end = blitRows_ - top < count ? blitRows_ - top : count;
  if (first >= end) return;
  std::uint32_t* const rows = blitBits_ + (top + first) * kBlitColumns;
  bool keeps = false;
  std::uint32_t* row = rows;
  for (std::int32_t k = first; k < end; ++k, row += kBlitColumns) {
    const bool kept = colours[k] == kKeepPixel;
    keeps |= kept;
    row[kColumnPaint] = kept ? 0 : DibPixel(colours[k]);
  }
  // The mask is black where a pixel is drawn, white where it is kept. It
  // stays black from column to column while no pixel is kept, as with every
  // colour scheme in range, and is then left alone.
  if (keeps || !maskBlack_) {
    row = rows;
    for (std::int32_t k = first; k < end; ++k, row += kBlitColumns) {
      row[kColumnMask] = colours[k] == kKeepPixel ? kDibWhite : 0;
    }
    maskBlack_ = !keeps && top + first == 0 && top + end == blitRows_;
  }
  if (top + first < pendingTop_) pendingTop_ = top + first;
  if (top + end - 1 > pendingBottom_) pendingBottom_ = top + end - 1;
}

void GdiSurface::MarkProgress(std::int32_t x, std::int32_t lastRow) {
  if (lastRow < 1) return;
  if (!MakeBlitColumns()) {
    // Without the blit columns, a pixel at a time, as plainly defined.
    const std::int32_t last =
        lastRow < ClientRect().bottom - 1 ? lastRow : ClientRect().bottom - 1;
    for (std::int32_t y = 1; y <= last; y += 2) {
      ::SetPixel(dc_, x, y, Gdi(kYellow));
    }
    return;
  }
  const std::int32_t rows = lastRow < blitRows_ ? lastRow + 1 : blitRows_;
  if (static_cast<std::int64_t>(x) - pending_ == 1 && pendingTop_ == 0 &&
      pendingBottom_ == blitRows_ - 1 && rows == blitRows_) {
    // The column before and these marks, side by side in one pair of blits.
    Blit(x - 1, kColumnMask, 2, 0, blitRows_);
    pending_ = kNoColumn;
    return;
  }
  ShowPendingColumn();
  Blit(x, kMarksMask, 1, 0, rows);
}

void GdiSurface::FrameRect(const Rect& rect, ColorRef colour) {
  ShowPendingColumn();
  const RECT r = {rect.left, rect.top, rect.right, rect.bottom};
  HBRUSH brush = CreateSolidBrush(Gdi(colour));
  ::FrameRect(dc_, &r, brush);
  DeleteObject(brush);
}

void GdiSurface::SelectFont(const FontDesc& f) {
  font_ =
      CreateFontA(f.height, f.width, f.escapement, f.orientation, f.weight,
                  f.italic, f.underline, f.strikeOut, f.charSet, f.outPrecision,
                  f.clipPrecision, f.quality, f.pitchAndFamily, f.face);
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
  ShowPendingColumn();
  SetBkMode(dc_, TRANSPARENT);
  SetTextColor(dc_, Gdi(colour));
  TextOutA(dc_, x, y, text, static_cast<int>(std::strlen(text)));
}

}  // namespace mandeldive
