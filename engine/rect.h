// Rectangles as the engine and every drawing surface see them.
#ifndef MANDELDIVE_ENGINE_RECT_H_
#define MANDELDIVE_ENGINE_RECT_H_

#include <cstdint>

namespace mandeldive {

// Left, top, right, bottom in client pixels, laid out as the platform's RECT
// so a cell's rectangle can be handed unchanged to a surface. Drawing treats
// right and bottom as exclusive; the cell counting treats them as inclusive.
struct Rect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_RECT_H_
