#include "surface/freetype_text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <mutex>
#include <string>

#include "surface/gdi_font_scale.h"

namespace mandeldive {

namespace {

// The file and face index fontconfig picks for a family and GDI weight.
bool MatchFont(const FontDesc& font, std::string* file, int* index) {
  if (!LoadFontConfiguration()) return false;
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
    if (face_ != nullptr) FT_Done_Face(face_);
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }

  // The face of the last font opened stays loaded after Close, so a caption
  // drawn at every cycle neither matches nor loads its font again: the same
  // glyphs, no allocation after the first.
  bool Open(const FontDesc& font) override {
    open_ = false;
    const std::string key = KeyOf(font);
    if (face_ != nullptr && key == key_) {
      open_ = true;
      return true;
    }
    if (face_ != nullptr) FT_Done_Face(face_);
    face_ = nullptr;
    key_.clear();
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
      FT_Done_Face(face_);
      face_ = nullptr;
      return false;
    }
    ascentPixels_ = scale.ascent;
    key_ = key;
    open_ = true;
    return true;
  }

  void Close() override { open_ = false; }

  std::int32_t Width(const char* text) override {
    std::int32_t width = 0;
    for (const char* p = text; open_ && *p != '\0'; ++p) {
      if (LoadGlyph(*p, false)) width += Advance();
    }
    return width;
  }

  void Draw(std::int32_t x, std::int32_t y, const char* text, PlotFn plot,
            void* target) override {
    const std::int32_t baseline = y + ascentPixels_;
    for (const char* p = text; open_ && *p != '\0'; ++p) {
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

  // Everything of a FontDesc that decides the face and its size.
  static std::string KeyOf(const FontDesc& font) {
    return std::string(font.face) + '/' + std::to_string(font.height) + '/' +
           std::to_string(font.width) + '/' + std::to_string(font.weight) +
           (font.italic ? "/i" : "/r");
  }

  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  std::string key_;  // the FontDesc face_ was loaded for
  bool open_ = false;
  int ascentPixels_ = 0;
};

}  // namespace

bool LoadFontConfiguration() {
  // Once, by whichever thread asks first; any other waits for it to finish
  // and sees what it read.
  static std::once_flag once;
  static bool loaded = false;
  std::call_once(once, [] { loaded = FcInit() == FcTrue; });
  return loaded;
}

std::unique_ptr<TextRasteriser> MakeFreeTypeText() {
  return std::make_unique<FreeTypeText>();
}

}  // namespace mandeldive
