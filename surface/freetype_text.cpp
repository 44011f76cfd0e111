#include "surface/freetype_text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <string>

#include "surface/gdi_font_scale.h"

namespace mandeldive {

namespace {

// The file and face index fontconfig picks for a family and GDI weight.
bool MatchFont(const FontDesc& font, std::string* file, int* index) {
  if (!FcInit()) return false;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY,
                     reinterpret_cast<const FcChar8*>(font.face));
  if (font.weight > 0) {
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(font.weight));
  }
  FcPatternAddInteger(pattern, FC_SLANT,
                      font.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  FcChar8* path = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
  if (found) {
    *file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) {
      *index = 0;
    }
  }
  FcPatternDestroy(match);
  return found;
}

class FreeTypeText final : public TextRasteriser {
 public:
  ~FreeTypeText() override {
    Close();
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }

  bool Open(const FontDesc& font) override {
    Close();
    if (library_ == nullptr && FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      return false;
    }
    std::string file;
    int index = 0;
    if (!MatchFont(font, &file, &index)) return false;
    if (FT_New_Face(library_, file.c_str(), index, &face_) != 0) {
      face_ = nullptr;
      return false;
    }
    const GdiFontScale scale = ScaleLikeGdi(face_, font);
    if (FT_Set_Char_Size(face_, std::lround(scale.xPpem * 64),
                         std::lround(scale.yPpem * 64), 72, 72) != 0) {
      Close();
      return false;
    }
    ascentPixels_ = scale.ascent;
    return true;
  }

  void Close() override {
    if (face_ != nullptr) FT_Done_Face(face_);
    face_ = nullptr;
  }

  std::int32_t Width(const char* text) override {
    std::int32_t width = 0;
    for (const char* p = text; face_ != nullptr && *p != '\0'; ++p) {
      if (LoadGlyph(*p, false)) width += Advance();
    }
    return width;
  }

  void Draw(std::int32_t x, std::int32_t y, const char* text, PlotFn plot,
            void* target) override {
    const std::int32_t baseline = y + ascentPixels_;
    for (const char* p = text; face_ != nullptr && *p != '\0'; ++p) {
      if (!LoadGlyph(*p, true)) continue;
      const FT_GlyphSlot slot = face_->glyph;
      const FT_Bitmap& bitmap = slot->bitmap;
      for (unsigned row = 0; row < bitmap.rows; ++row) {
        const unsigned char* line = bitmap.buffer + row * bitmap.pitch;
        for (unsigned col = 0; col < bitmap.width; ++col) {
          if (line[col >> 3] & (0x80 >> (col & 7))) {
            plot(target, x + slot->bitmap_left + static_cast<std::int32_t>(col),
                 baseline - slot->bitmap_top + static_cast<std::int32_t>(row));
          }
        }
      }
      x += Advance();
    }
  }

 private:
  // Bytes are taken as Latin-1, the first page of the system code page.
  bool LoadGlyph(char c, bool render) {
    const FT_ULong code = static_cast<unsigned char>(c);
    const FT_Int32 flags =
        FT_LOAD_TARGET_MONO | (render ? FT_LOAD_RENDER : FT_LOAD_DEFAULT);
    if (FT_Load_Char(face_, code, flags) != 0) return false;
    return !render || face_->glyph->bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
  }

  std::int32_t Advance() const {
    return static_cast<std::int32_t>((face_->glyph->advance.x + 32) >> 6);
  }

  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  int ascentPixels_ = 0;
};

}  // namespace

std::unique_ptr<TextRasteriser> MakeFreeTypeText() {
  return std::make_unique<FreeTypeText>();
}

}  // namespace mandeldive
