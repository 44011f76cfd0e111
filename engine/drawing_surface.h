// The drawing operations the engine needs, and nothing more. The Windows host
// implements them with GDI, the X11 host with Xlib, and the in-memory surface
// with a pixel buffer; the engine cannot tell them apart.
#ifndef MANDELDIVE_ENGINE_DRAWING_SURFACE_H_
#define MANDELDIVE_ENGINE_DRAWING_SURFACE_H_

#include <cstdint>

#include "engine/colour.h"
#include "engine/rect.h"

namespace mandeldive {

// A font described by the parameters of a GDI logical font. Surfaces that
// are not GDI map it to the nearest face they have.
struct FontDesc {
  std::int32_t height;  // cell height in pixels (ascent + descent)
  std::int32_t width;   // average character width in pixels
  std::int32_t escapement;
  std::int32_t orientation;
  std::int32_t weight;
  bool italic;
  bool underline;
  bool strikeOut;
  std::uint8_t charSet;
  std::uint8_t outPrecision;
  std::uint8_t clipPrecision;
  std::uint8_t quality;
  std::uint8_t pitchAndFamily;
  const char* face;
};

// A column handed to DrawColumn leaves a pixel as it is where it holds this
// value. Shown colours never have a top byte, so it cannot collide with one.
constexpr ColorRef kKeepPixel = 0xFF000000u;

// The window the engine draws into. Coordinates are client pixels, origin
// top-left; everything outside the client area is clipped without error.
// Every drawing call happens between AcquireContext and ReleaseContext, and
// the text calls between SelectFont and DeselectFont, each pair made by one
// engine operation.
class DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;

  // The client rectangle: left and top are 0, right and bottom the size.
  virtual Rect ClientRect() const = 0;

  // Takes and gives back a drawing context for the client area.
  virtual void AcquireContext() = 0;
  virtual void ReleaseContext() = 0;

  // Sets one pixel, visibly at once, to ShownColour(colour).
  virtual void SetPixel(std::int32_t x, std::int32_t y, ColorRef colour) = 0;

  // Sets the pixels (x, top) .. (x, top + count - 1) from colours, which hold
  // shown colours or kKeepPixel. Same effect as SetPixel on each in turn.
  virtual void DrawColumn(std::int32_t x, std::int32_t top,
                          const ColorRef* colours, std::int32_t count) = 0;

  // The render pass's progress marks: sets (x, 1), (x, 3), (x, 5), ... up
  // to (x, lastRow) to yellow and leaves the rows between as they are. Same
  // effect as SetPixel on each in turn.
  virtual void MarkProgress(std::int32_t x, std::int32_t lastRow) = 0;

  // A one-pixel border in colour along the inside of rect: columns left and
  // right - 1, rows top and bottom - 1.
  virtual void FrameRect(const Rect& rect, ColorRef colour) = 0;

  // Creates the described font and selects it; DeselectFont selects the
  // previous one back and deletes it.
  virtual void SelectFont(const FontDesc& font) = 0;
  virtual void DeselectFont() = 0;

  // The width in pixels of text in the selected font.
  virtual std::int32_t TextWidth(const char* text) = 0;

  // Draws text in the selected font with its top-left corner at (x, y),
  // leaving the background as it is.
  virtual void DrawText(std::int32_t x, std::int32_t y, const char* text,
                        ColorRef colour) = 0;
};

// Calls draw(start, length) for every run of colours[0..count) that holds
// no kKeepPixel: the pieces of a column a surface has to put on screen.
template <typename Draw>
void ForEachDrawnRun(const ColorRef* colours, std::int32_t count, Draw&& draw) {
  std::int32_t i = 0;
  while (i < count) {
    while (i < count && colours[i] == kKeepPixel) ++i;
    const std::int32_t start = i;
    while (i < count && colours[i] != kKeepPixel) ++i;
    if (i > start) draw(start, i - start);
  }
}

// Holds a surface's drawing context for one scope.
class SurfaceContext {
 public:
  explicit SurfaceContext(DrawingSurface& surface) : surface_(surface) {
    surface_.AcquireContext();
  }
  ~SurfaceContext() { surface_.ReleaseContext(); }
  SurfaceContext(const SurfaceContext&) = delete;
  SurfaceContext& operator=(const SurfaceContext&) = delete;

 private:
  DrawingSurface& surface_;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_DRAWING_SURFACE_H_
