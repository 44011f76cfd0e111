// How GDI sizes a font from its logical description, applied to a FreeType
// face: the height is the cell height (the Windows ascent plus descent), the
// width the average character width of the OS/2 table.
#ifndef MANDELDIVE_SURFACE_GDI_FONT_SCALE_H_
#define MANDELDIVE_SURFACE_GDI_FONT_SCALE_H_

#include <ft2build.h>
#include FT_FREETYPE_H

#include "engine/drawing_surface.h"

namespace mandeldive {

struct GdiFontScale {
  double xPpem;  // pixels per em, across
  double yPpem;  // pixels per em, down
  int ascent;    // pixels from the cell's top to the baseline
};

GdiFontScale ScaleLikeGdi(FT_Face face, const FontDesc& font);

}  // namespace mandeldive

#endif  // MANDELDIVE_SURFACE_GDI_FONT_SCALE_H_
