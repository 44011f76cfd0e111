#include <cassert>

#include "engine/saver_engine.h"

namespace mandeldive {

// GDI's CreateFontA parameters: 12 x 6 pixels, weight 100, DEFAULT_CHARSET,
// default precisions, quality and pitch, "Arial".
const FontDesc kCaptionFont = {12,    6, 0, 0, 100, false, false,
                               false, 1, 0, 0, 0,   0,     "Arial"};

void SaverEngine::DrawCaption() {
  assert(window != nullptr && "DrawCaption needs an attached surface");
  SurfaceContext context(*window);
  window->SelectFont(kCaptionFont);
  const std::int32_t textWidth = window->TextWidth(caption);
  // Centred, so a caption wider than the window starts left of it.
  const std::int32_t x = (client.right - textWidth) / 2;
  const std::int32_t y = client.bottom - 14;
  window->DrawText(x, y, caption, kYellow);
  window->DeselectFont();
}

}  // namespace mandeldive
