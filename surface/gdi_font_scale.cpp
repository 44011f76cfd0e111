#include "surface/gdi_font_scale.h"

#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstdlib>

namespace mandeldive {

GdiFontScale ScaleLikeGdi(FT_Face face, const FontDesc& font) {
  // Without an OS/2 table, the hhea metrics and half an em stand in.
  double ascent = face->ascender;
  double cell = face->ascender - face->descender;
  double average = face->units_per_EM / 2.0;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
    if (os2->usWinAscent + os2->usWinDescent > 0) {
      ascent = os2->usWinAscent;
      cell = os2->usWinAscent + os2->usWinDescent;
    }
    if (os2->xAvgCharWidth > 0) average = os2->xAvgCharWidth;
  }
  const double em = face->units_per_EM;
  // A positive height is the cell height, a negative one the em height.
  const double height = font.height != 0 ? std::abs(font.height) : 16;
  const double yPpem = font.height > 0 ? height * em / cell : height;
  const double xPpem = font.width > 0 ? font.width * em / average : yPpem;
  return {xPpem, yPpem, static_cast<int>(std::lround(ascent * yPpem / em))};
}

}  // namespace mandeldive
