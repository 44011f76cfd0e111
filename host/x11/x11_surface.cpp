#include "host/x11/x11_surface.h"

#include <X11/Xutil.h>
#include <fontconfig/fontconfig.h>

#include <cstring>

#include "surface/gdi_font_scale.h"

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

X11Surface::X11Surface(Display* display, Window window)
    : display_(display), window_(window) {
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
  // First the face fontconfig gives for the family, to size it as GDI does;
  // then that face at that size, unsmoothed like GDI's default quality.
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY,
                     reinterpret_cast<const FcChar8*>(font.face));
  if (font.weight > 0)
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(font.weight));
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, 12.0);
  FcPatternAddBool(pattern, FC_ANTIALIAS, FcFalse);
  FcPatternAddBool(pattern, FC_HINTING, FcTrue);
  FcResult result = FcResultNoMatch;
  FcPattern* match =
      XftFontMatch(display_, DefaultScreen(display_), pattern, &result);
  XftFont* probe =
      match != nullptr ? XftFontOpenPattern(display_, match) : nullptr;
  if (probe != nullptr) {
    FT_Face face = XftLockFace(probe);
    const GdiFontScale scale = ScaleLikeGdi(face, font);
    fontAscent_ = scale.ascent;
    XftUnlockFace(probe);
    XftFontClose(display_, probe);
    FcPatternDel(pattern, FC_PIXEL_SIZE);
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, scale.yPpem);
    FcMatrix matrix;
    FcMatrixInit(&matrix);
    matrix.xx = scale.xPpem / scale.yPpem;
    FcPatternAddMatrix(pattern, FC_MATRIX, &matrix);
    match = XftFontMatch(display_, DefaultScreen(display_), pattern, &result);
    font_ = match != nullptr ? XftFontOpenPattern(display_, match) : nullptr;
  }
  FcPatternDestroy(pattern);
  draw_ = XftDrawCreate(display_, window_, visual_, colormap_);
}

void X11Surface::DeselectFont() {
  if (draw_ != nullptr) XftDrawDestroy(draw_);
  if (font_ != nullptr) XftFontClose(display_, font_);
  draw_ = nullptr;
  font_ = nullptr;
}

std::int32_t X11Surface::TextWidth(const char* text) {
  if (font_ == nullptr) return 0;
  XGlyphInfo extents;
  XftTextExtents8(display_, font_, reinterpret_cast<const FcChar8*>(text),
                  static_cast<int>(std::strlen(text)), &extents);
  return extents.xOff;
}

void X11Surface::DrawText(std::int32_t x, std::int32_t y, const char* text,
                          ColorRef colour) {
  if (font_ == nullptr || draw_ == nullptr) return;
  const ColorRef c = ShownColour(colour);
  const XRenderColor render = {static_cast<unsigned short>(RedOf(c) * 257),
                               static_cast<unsigned short>(GreenOf(c) * 257),
                               static_cast<unsigned short>(BlueOf(c) * 257),
                               0xFFFF};
  XftColor xftColour;
  if (!XftColorAllocValue(display_, visual_, colormap_, &render, &xftColour))
    return;
  // Text goes over the picture; nothing fills its background.
  XftDrawString8(draw_, &xftColour, font_, x, y + fontAscent_,
                 reinterpret_cast<const FcChar8*>(text),
                 static_cast<int>(std::strlen(text)));
  XftColorFree(display_, visual_, colormap_, &xftColour);
}

}  // namespace mandeldive
