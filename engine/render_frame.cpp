#include <cassert>

#include "engine/colour_schemes.h"
#include "engine/escape_kernel.h"
#include "engine/saver_engine.h"

namespace mandeldive {

namespace {

// Rows computed and drawn at a time: stack buffers, so the pass allocates
// nothing, and long columns still reach the screen in a few calls.
constexpr std::int32_t kChunkRows = 2048;

// colours[k] from the terms of points[k]'s side, terms[0] escaping and
// terms[1] inside: the same values as the two schemes' colour functions,
// without a branch on the side. Flat on both sides needs no channels.
void ColourLinearly(const LinearColour (&terms)[2], const EscapeResult* points,
                    std::int32_t count, ColorRef* colours) {
  const bool flat = terms[0].zrTerm == 0 && terms[0].ziTerm == 0 &&
                    terms[1].zrTerm == 0 && terms[1].ziTerm == 0;
  if (flat) {
    for (std::int32_t k = 0; k < count; ++k) {
      colours[k] = terms[points[k].inside].constant;
    }
    return;
  }
  for (std::int32_t k = 0; k < count; ++k) {
    const EscapeResult& p = points[k];
    const LinearColour& t = terms[p.inside];
    colours[k] =
        Channel(p.zr) * t.zrTerm + Channel(p.zi) * t.ziTerm + t.constant;
  }
}

}  // namespace

// The same pass as RenderFrameLiteral, a column at a time: the progress
// marks of column i, then its pixels. x and y accumulate exactly as there.
// Counting is done per column: the in-set pixels of each band of cell rows
// are summed, then added to the cells whose columns hold x. The sums are
// integers, so the counts are the literal ones.
void SaverEngine::RenderFrame() {
  assert(window != nullptr && "RenderFrame needs an attached surface");
  SurfaceContext context(*window);
  ClearCounts();
  const std::int32_t width = client.right;
  const std::int32_t height = client.bottom;
  const ColourScheme* inside = InsideScheme(mandelbrotColor);
  const ColourScheme* escaped = EscapeScheme(backgroundColor);
  const EscapeKernelFn kernel = BestEscapeKernel().run;
  // Both schemes linear in the channels: one loop colours both sides.
  const bool linear = inside != nullptr && escaped != nullptr &&
                      inside->terms.linear && escaped->terms.linear;
  const LinearColour terms[2] = {
      escaped != nullptr ? escaped->terms : LinearColour{},
      inside != nullptr ? inside->terms : LinearColour{}};

  double ys[kChunkRows];
  EscapeResult points[kChunkRows];
  ColorRef colours[kChunkRows];
  const bool oneChunk = height + 1 <= kChunkRows;
  double x = originX;
  for (std::int32_t i = 0; i <= width; ++i) {
    window->MarkProgress(i, height);
    x += step;
    std::int32_t bandCounts[kGridSide] = {};
    double y = originY;
    for (std::int32_t first = 0; first <= height; first += kChunkRows) {
      const std::int32_t rowsHere =
          height + 1 - first < kChunkRows ? height + 1 - first : kChunkRows;
      // Every column has the same ys; a column of one chunk sums them once
      // a pass.
      if (!oneChunk || i == 0) {
        for (std::int32_t k = 0; k < rowsHere; ++k) {
          y += step;
          ys[k] = y;
        }
      }
      kernel(x, ys, rowsHere, points);
      if (linear) {
        ColourLinearly(terms, points, rowsHere, colours);
      } else {
        // A scheme out of range keeps what is on screen.
        if (inside == nullptr || escaped == nullptr) {
          for (std::int32_t k = 0; k < rowsHere; ++k) colours[k] = kKeepPixel;
        }
        if (inside != nullptr) inside->column(points, rowsHere, true, colours);
        if (escaped != nullptr) {
          escaped->column(points, rowsHere, false, colours);
        }
      }
      // Each band of cell rows counts the in-set points of its rows here.
      const std::int32_t last = first + rowsHere - 1;
      for (std::int32_t r = 0; r < rows; ++r) {
        const Rect& band = cells[r * columns].rect;
        const std::int32_t from = band.top > first ? band.top : first;
        const std::int32_t to = band.bottom < last ? band.bottom : last;
        std::int32_t count = 0;
        for (std::int32_t j = from; j <= to; ++j)
          count += points[j - first].inside;
        bandCounts[r] += count;
      }
      window->DrawColumn(i, first, colours, rowsHere);
    }
    for (std::int32_t c = 0; c < columns; ++c) {
      const Rect& stripe = cells[c].rect;
      if (stripe.left > i || i > stripe.right) continue;
      for (std::int32_t r = 0; r < rows; ++r)
        cells[r * columns + c].count += bandCounts[r];
    }
  }
}

}  // namespace mandeldive
