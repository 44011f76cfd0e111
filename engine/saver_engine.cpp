#include "engine/saver_engine.h"

namespace mandeldive {

SaverEngine::SaverEngine(const char* captionText) : caption(captionText) {}

SaverEngine::~SaverEngine() = default;

void SaverEngine::Attach(DrawingSurface* surface) {
  window = surface;
  LayoutCells();
}

void SaverEngine::Detach() { window = nullptr; }

void SaverEngine::LayoutCells() {
  zoomLevel = 1;
  client = window->ClientRect();
  columns = kGridSide;
  rows = kGridSide;
  cellWidth = client.right / 5;
  cellHeight = client.bottom / 5;
  for (std::int32_t r = 0; r < rows; ++r) {
    for (std::int32_t c = 0; c < columns; ++c) {
      Rect& rect = cells[r * columns + c].rect;
      rect.left = (cellWidth / 2) * c;
      rect.right = rect.left + cellWidth;
      rect.top = (cellHeight / 2) * r;
      rect.bottom = rect.top + cellHeight;
    }
  }
}

void SaverEngine::ClearCounts() {
  for (std::int32_t i = 0; i < columns * rows; ++i) cells[i].count = 0;
}

void SaverEngine::CountPixel(std::int32_t x, std::int32_t y) {
  for (std::int32_t i = 0; i < columns * rows; ++i) {
    const Rect& r = cells[i].rect;
    if (r.left <= x && x <= r.right && r.top <= y && y <= r.bottom) {
      ++cells[i].count;
    }
  }
}

void SaverEngine::ResetView() {
  originX = -2.5;
  originY = -1.5;
  // The tighter of the two fits. A side of zero pixels constrains nothing
  // (dividing by it would put an infinity into the view); with no pixels at
  // all the step is that of a 1 x 1 window.
  const std::int32_t width = client.right;
  const std::int32_t height = client.bottom;
  if (width > 0 && height > 0) {
    const double across = 4.0 / width;
    const double down = 3.0 / height;
    step = across > down ? across : down;
  } else if (width > 0) {
    step = 4.0 / width;
  } else if (height > 0) {
    step = 3.0 / height;
  } else {
    step = 4.0;
  }
}

}  // namespace mandeldive
