// Text for the in-memory surface through fontconfig and FreeType. A GDI font
// description is matched by family name, so "Arial" resolves to a
// metric-compatible face (Liberation Sans on Debian), and scaled as GDI
// scales: the height is the cell height (ascent + descent) and the width the
// average character width. Glyphs are drawn unsmoothed, as GDI draws small
// text at default quality, so drawing a text twice changes nothing.
#ifndef MANDELDIVE_SURFACE_FREETYPE_TEXT_H_
#define MANDELDIVE_SURFACE_FREETYPE_TEXT_H_

#include <memory>

#include "surface/text_rasteriser.h"

namespace mandeldive {

std::unique_ptr<TextRasteriser> MakeFreeTypeText();

// Reads the system's font configuration, once: a few milliseconds, most of
// a first caption, which calls this. Safe on any thread at any time; a
// host with a CPU to spare calls it on another thread ahead of the first
// caption. False if there is none to be read.
bool LoadFontConfiguration();

}  // namespace mandeldive

#endif  // MANDELDIVE_SURFACE_FREETYPE_TEXT_H_
