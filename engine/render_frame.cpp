#include <algorithm>
#include <cassert>
#include <vector>

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

// What every column of a pass shares.
struct ColumnPass {
  EscapeKernelFn kernel;
  const ColourScheme* inside;
  const ColourScheme* escaped;
  // Both schemes linear in the channels: one loop colours both sides.
  bool linear;
  LinearColour terms[2];
  const Cell* cells;
  std::int32_t columns;
  std::int32_t rows;
};

ColumnPass PassOf(const SaverEngine& engine) {
  ColumnPass pass;
  pass.kernel = BestEscapeKernel().run;
  pass.inside = InsideScheme(engine.mandelbrotColor);
  pass.escaped = EscapeScheme(engine.backgroundColor);
  pass.linear = pass.inside != nullptr && pass.escaped != nullptr &&
                pass.inside->terms.linear && pass.escaped->terms.linear;
  pass.terms[0] =
      pass.escaped != nullptr ? pass.escaped->terms : LinearColour{};
  pass.terms[1] = pass.inside != nullptr ? pass.inside->terms : LinearColour{};
  pass.cells = engine.cells;
  pass.columns = engine.columns;
  pass.rows = engine.rows;
  return pass;
}

// Rows first..first + count - 1 (count <= kChunkRows) of the column at x,
// whose ys are given: their colours, and each band of cell rows' in-set
// points among them added to bandCounts.
void ComputeChunk(const ColumnPass& pass, double x, const double* ys,
                  std::int32_t first, std::int32_t count, ColorRef* colours,
                  std::int32_t* bandCounts) {
  EscapeResult points[kChunkRows];
  pass.kernel(x, ys, count, points);
  if (pass.linear) {
    ColourLinearly(pass.terms, points, count, colours);
  } else {
    // A scheme out of range keeps what is on screen.
    if (pass.inside == nullptr || pass.escaped == nullptr) {
      for (std::int32_t k = 0; k < count; ++k) colours[k] = kKeepPixel;
    }
    if (pass.inside != nullptr)
      pass.inside->column(points, count, true, colours);
    if (pass.escaped != nullptr) {
      pass.escaped->column(points, count, false, colours);
    }
  }
  const std::int32_t last = first + count - 1;
  for (std::int32_t r = 0; r < pass.rows; ++r) {
    const Rect& band = pass.cells[r * pass.columns].rect;
    const std::int32_t from = band.top > first ? band.top : first;
    const std::int32_t to = band.bottom < last ? band.bottom : last;
    std::int32_t inSet = 0;
    for (std::int32_t j = from; j <= to; ++j) inSet += points[j - first].inside;
    bandCounts[r] += inSet;
  }
}

// Adds column i's band counts to the cells whose columns hold i.
void CountColumn(SaverEngine& engine, std::int32_t i,
                 const std::int32_t* bandCounts) {
  for (std::int32_t c = 0; c < engine.columns; ++c) {
    const Rect& stripe = engine.cells[c].rect;
    if (stripe.left > i || i > stripe.right) continue;
    for (std::int32_t r = 0; r < engine.rows; ++r)
      engine.cells[r * engine.columns + c].count += bandCounts[r];
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
  if (columnWorkers != nullptr) {
    RenderFrameOnWorkers();
    return;
  }
  SurfaceContext context(*window);
  ClearCounts();
  const std::int32_t width = client.right;
  const std::int32_t height = client.bottom;
  const ColumnPass pass = PassOf(*this);
  double ys[kChunkRows];
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
      ComputeChunk(pass, x, ys, first, rowsHere, colours, bandCounts);
      window->DrawColumn(i, first, colours, rowsHere);
    }
    CountColumn(*this, i, bandCounts);
  }
}

// The pass above with its columns computed on the workers' threads into
// the slots they lend, and drawn here in order as each is done: the same
// calls on the surface, the same counts. The xs and ys are summed here, once,
// in the order the pass above sums them.
void SaverEngine::RenderFrameOnWorkers() {
  SurfaceContext context(*window);
  ClearCounts();
  const std::int32_t columnCount = client.right + 1;
  const std::int32_t height = client.bottom;
  const std::int32_t rowCount = height + 1;
  // Every colour is written by its column's worker before it is read.
  std::int32_t slots = 0;
  ColorRef* const colours =
      columnWorkers->Colours(columnCount, rowCount, &slots);
  workerCounts_.resize(static_cast<std::size_t>(columnCount) * kGridSide);
  struct Job {
    ColumnPass pass;
    std::vector<double> xs;
    std::vector<double> ys;
    ColorRef* colours;
    std::vector<std::int32_t>& bandCounts;  // kGridSide a column
    std::int32_t rowCount;
    std::int32_t slots;
    // Column i's colours.
    ColorRef* Slot(std::int32_t i) const {
      return colours + static_cast<std::size_t>(i % slots) * rowCount;
    }
  } job{PassOf(*this),
        std::vector<double>(columnCount),
        std::vector<double>(rowCount),
        colours,
        workerCounts_,
        rowCount,
        slots};
  double x = originX;
  for (double& xi : job.xs) xi = x += step;
  double y = originY;
  for (double& yk : job.ys) yk = y += step;
  auto compute = [](void* context, std::int32_t i) {
    Job& j = *static_cast<Job*>(context);
    ColorRef* colours = j.Slot(i);
    std::int32_t* counts =
        j.bandCounts.data() + static_cast<std::size_t>(i) * kGridSide;
    // The chunks add to the column's counts; the last pass left its own.
    std::fill(counts, counts + kGridSide, 0);
    for (std::int32_t first = 0; first < j.rowCount; first += kChunkRows) {
      const std::int32_t rowsHere =
          j.rowCount - first < kChunkRows ? j.rowCount - first : kChunkRows;
      ComputeChunk(j.pass, j.xs[i], j.ys.data() + first, first, rowsHere,
                   colours + first, counts);
    }
  };
  columnWorkers->Start(columnCount, compute, &job);
  for (std::int32_t i = 0; i < columnCount; ++i) {
    window->MarkProgress(i, height);
    columnWorkers->WaitFor(i);
    const ColorRef* column = job.Slot(i);
    for (std::int32_t first = 0; first < rowCount; first += kChunkRows) {
      const std::int32_t rowsHere =
          rowCount - first < kChunkRows ? rowCount - first : kChunkRows;
      window->DrawColumn(i, first, column + first, rowsHere);
    }
    CountColumn(
        *this, i,
        job.bandCounts.data() + static_cast<std::size_t>(i) * kGridSide);
  }
  columnWorkers->Finish();
}

}  // namespace mandeldive
