#include "host/x11/x11_surface.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace mandeldive {

namespace {

// Rows a column image holds; longer columns go out in several puts.
constexpr std::int32_t kColumnRows = 1024;

int ShiftOf(unsigned long mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

}  // namespace

X11Surface::X11Surface(Display* display, Window window,
                       std::unique_ptr<TextRasteriser> text)
    : display_(display), window_(window), text_(std::move(text)) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display_, window_, &attributes)) {
    problem_ = "the window does not exist";
    return;
  }
  visual_ = attributes.visual;
  colormap_ = attributes.colormap;
  depth_ = attributes.depth;
  if (visual_->c_class != TrueColor || (depth_ != 24 && depth_ != 32) ||
      visual_->red_mask != 0xFF0000 || visual_->green_mask != 0x00FF00 ||
      visual_->blue_mask != 0x0000FF) {
    problem_ = "the window's visual is not 24- or 32-bit TrueColor (depth " +
               std::to_string(depth_) + "); mandeldive draws only on those";
    return;
  }
  redShift_ = ShiftOf(visual_->red_mask);
  greenShift_ = ShiftOf(visual_->green_mask);
  blueShift_ = ShiftOf(visual_->blue_mask);
  columnBits_.assign(kColumnRows, 0);
  column_ = XCreateImage(display_, visual_, depth_, ZPixmap, 0,
                         reinterpret_cast<char*>(columnBits_.data()), 1,
                         kColumnRows, 32, 4);
  if (column_ == nullptr || column_->bits_per_pixel != 32) {
    problem_ = "the window's pixels are not 32 bits wide in memory";
  }
}

X11Surface::~X11Surface() {
  if (column_ != nullptr) {
    column_->data = nullptr;  // the buffer is ours
    XDestroyImage(column_);
  }
}

unsigned long X11Surface::PixelOf(ColorRef colour) const {
  const ColorRef c = ShownColour(colour);
  return (static_cast<unsigned long>(RedOf(c)) << redShift_) |
         (static_cast<unsigned long>(GreenOf(c)) << greenShift_) |
         (static_cast<unsigned long>(BlueOf(c)) << blueShift_);
}

Rect X11Surface::ClientRect() const {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display_, window_, &attributes))
    return {0, 0, 0, 0};
  return {0, 0, attributes.width, attributes.height};
}

void X11Surface::AcquireContext() {
  gc_ = XCreateGC(display_, window_, 0, nullptr);
}

void X11Surface::ReleaseContext() {
  XFreeGC(display_, gc_);
  gc_ = nullptr;
  XFlush(display_);
}

void X11Surface::SetPixel(std::int32_t x, std::int32_t y, ColorRef colour) {
  XSetForeground(display_, gc_, PixelOf(colour));
  XDrawPoint(display_, window_, gc_, x, y);
}

void X11Surface::PutRun(std::int32_t x, std::int32_t top,
                        const ColorRef* colours, std::int32_t count) {
  for (std::int32_t done = 0; done < count; done += kColumnRows) {
    const std::int32_t rows =
        count - done < kColumnRows ? count - done : kColumnRows;
    for (std::int32_t i = 0; i < rows; ++i) {
      columnBits_[i] = static_cast<std::uint32_t>(PixelOf(colours[done + i]));
    }
    XPutImage(display_, window_, gc_, column_, 0, 0, x, top + done, 1, rows);
  }
}

void X11Surface::DrawColumn(std::int32_t x, std::int32_t top,
                            const ColorRef* colours, std::int32_t count) {
  // Kept pixels split the column into runs; each run is one call.
  ForEachDrawnRun(colours, count, [&](std::int32_t start, std::int32_t length) {
    PutRun(x, top + start, colours + start, length);
  });
}

void X11Surface::MarkProgress(std::int32_t x, std::int32_t lastRow) {
  XSetForeground(display_, gc_, PixelOf(kYellow));
  XPoint points[512];
  int n = 0;
  for (std::int32_t y = 1; y <= lastRow; y += 2) {
    points[n++] = {static_cast<short>(x), static_cast<short>(y)};
    if (n == 512) {
      XDrawPoints(display_, window_, gc_, points, n, CoordModeOrigin);
      n = 0;
    }
  }
  if (n > 0) XDrawPoints(display_, window_, gc_, points, n, CoordModeOrigin);
  // Once a column: sends what is queued and reads what the server has said
  // so far, without waiting for it, so an error about the window (it was
  // destroyed) reaches the error handler within a column, not a frame.
  // XCheckIfEvent with a test that takes nothing reads even while events
  // are queued, where XPending and XEventsQueued would not; what it reads
  // stays queued for the main loop.
  XEvent ignored;
  XCheckIfEvent(
      display_, &ignored,
      [](Display*, XEvent*, XPointer) -> Bool { return False; }, nullptr);
}

void X11Surface::FrameRect(const Rect& r, ColorRef colour) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  XSetForeground(display_, gc_, PixelOf(colour));
  // An outline through the rectangle's first and last columns and rows.
  XDrawRectangle(display_, window_, gc_, r.left, r.top,
                 static_cast<unsigned>(r.right - r.left - 1),
                 static_cast<unsigned>(r.bottom - r.top - 1));
}

void X11Surface::SelectFont(const FontDesc& font) {
  fontOpen_ = text_ != nullptr && text_->Open(font);
}

void X11Surface::DeselectFont() {
  if (fontOpen_) text_->Close();
  fontOpen_ = false;
}

std::int32_t X11Surface::TextWidth(const char* text) {
  return fontOpen_ ? text_->Width(text) : 0;
}

void X11Surface::PlotTextPixel(void* self, std::int32_t x, std::int32_t y) {
  auto* surface = static_cast<X11Surface*>(self);
  // The server clips; only coordinates X cannot carry are left out.
  if (x < -32768 || x > 32767 || y < -32768 || y > 32767) return;
  surface->textPoints_.push_back(
      {static_cast<short>(x), static_cast<short>(y)});
}

void X11Surface::DrawText(std::int32_t x, std::int32_t y, const char* text,
                          ColorRef colour) {
  if (!fontOpen_) return;
  // The renderer's own glyphs, as points over the picture; nothing fills
  // the text's background.
  textPoints_.clear();
  text_->Draw(x, y, text, &X11Surface::PlotTextPixel, this);
  XSetForeground(display_, gc_, PixelOf(colour));
  // A request holds a bounded number of points.
  constexpr std::size_t kPointsARequest = 16384;
  for (std::size_t at = 0; at < textPoints_.size(); at += kPointsARequest) {
    const std::size_t n = std::min(kPointsARequest, textPoints_.size() - at);
    XDrawPoints(display_, window_, gc_, textPoints_.data() + at,
                static_cast<int>(n), CoordModeOrigin);
  }
}

}  // namespace mandeldive
