// The engine: all state of the animation and the operations that draw it.
#ifndef MANDELDIVE_ENGINE_SAVER_ENGINE_H_
#define MANDELDIVE_ENGINE_SAVER_ENGINE_H_

#include <cstdint>
#include <vector>

#include "engine/calendar_clock.h"
#include "engine/caption_text.h"
#include "engine/colour.h"
#include "engine/column_workers.h"
#include "engine/drawing_surface.h"
#include "engine/rect.h"

namespace mandeldive {

// One cell of the grid the zoom step chooses from: a rectangle in client
// pixels and the number of in-set pixels of the last render pass that lie in
// it, all four edges included.
struct Cell {
  Rect rect;
  std::int32_t count;
};

// The phases of the animation cycle.
constexpr std::int32_t PhaseRender = 0;
constexpr std::int32_t PhaseCaption = 1;
constexpr std::int32_t PhaseZoom = 2;

constexpr std::int32_t kGridSide = 9;
constexpr std::int32_t kMaxCells = kGridSide * kGridSide;
// The zoom level after which the cycle returns to the full view.
constexpr std::int32_t kDeepestLevel = 8;

// The caption's font: a GDI logical font of 12 x 6 pixels, "Arial".
extern const FontDesc kCaptionFont;

class SaverEngine {
 public:
  // Sets the caption and nothing else of consequence: both schemes 0, not
  // attached, zoom level 0, the view all zeros.
  explicit SaverEngine(const char* captionText = MANDELDIVE_CAPTION_TEXT);
  virtual ~SaverEngine();

  // Binds the engine to a surface and lays out the grid (zoom level 1).
  void Attach(DrawingSurface* surface);
  // Unbinds it; a detached engine's Tick does nothing.
  void Detach();

  // Takes the client rectangle and lays out the 9 x 9 grid of cells, each a
  // fifth of the client area, at steps of half a cell. Zoom level becomes 1.
  void LayoutCells();
  // Zeroes the counts of the used cells.
  void ClearCounts();
  // Counts pixel (x, y) into every used cell whose closed rectangle holds it.
  void CountPixel(std::int32_t x, std::int32_t y);
  // Puts the view on the full set: at least -2.5..1.5 by -1.5..1.5.
  void ResetView();

  // Draws the current view column by column behind a dotted progress
  // column and leaves the in-set counts in the cells. No heap allocation.
  // Whole columns go to the surface at once, computed by the fastest
  // escape kernel of this CPU.
  void RenderFrame();
  // RenderFrame as plainly defined: EscapeIterate, SetPixel and CountPixel
  // for every pixel. It is the oracle of the fast pass: same pixels, same
  // counts, and the same states on screen at the end of every column.
  void RenderFrameLiteral();
  // Picks a random cell partly inside the set, frames it in yellow and moves
  // the view onto it. With no such cell it goes back to level 1 instead.
  void ZoomStep();
  // Writes the caption centred at the bottom in small yellow letters.
  void DrawCaption();
  // Does one unit of work by phase; false when detached (nothing done).
  bool Tick();

  std::uint32_t mandelbrotColor = 0;
  std::uint32_t backgroundColor = 0;
  DrawingSurface* window = nullptr;
  Rect client = {0, 0, 0, 0};
  std::int32_t cellWidth = 0;
  std::int32_t cellHeight = 0;
  Cell cells[kMaxCells] = {};
  std::int32_t columns = 0;
  std::int32_t rows = 0;
  const char* caption = nullptr;
  std::int32_t phase = PhaseRender;
  std::int32_t zoomLevel = 0;
  double originX = 0.0;
  double originY = 0.0;
  double step = 0.0;
  // The clock the zoom step seeds the generator from.
  const CalendarClock* clock = &SystemClock();
  // Tick renders with RenderFrameLiteral instead: the same pictures, slowly;
  // for measuring the fast pass against it.
  bool literalPass = false;
  // Threads for RenderFrame's columns; null computes them here, as it
  // draws them, with no heap allocation. With workers the pass holds the
  // colours of the columns in flight in slots the workers lend
  // (std::bad_alloc when they cannot).
  ColumnWorkers* columnWorkers = nullptr;

 private:
  // RenderFrame on columnWorkers.
  void RenderFrameOnWorkers();
  // Each column's band counts for the workers: reused by every pass.
  std::vector<std::int32_t> workerCounts_;
  // True when some used cell has low < count < high for this grid.
  bool AnyCellQualifies(double low, double high) const;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_SAVER_ENGINE_H_
