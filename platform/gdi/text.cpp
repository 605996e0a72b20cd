/* FreeType text for the POSIX GDI. Characters are ANSI (Windows-1252); the
 * upper half is mapped to Unicode before the glyph lookup. */
#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <ctype.h>
#include <string.h>
#include <strings.h>

namespace {

const char* const kFontDir = "/usr/share/fonts/truetype/dejavu/";

struct FaceSlot {
  const char* file;
  FT_Face face;
  int tried;
};

FaceSlot g_faces[] = {
  {"DejaVuSans.ttf", 0, 0},       {"DejaVuSans-Bold.ttf", 0, 0},
  {"DejaVuSerif.ttf", 0, 0},      {"DejaVuSerif-Bold.ttf", 0, 0},
  {"DejaVuSansMono.ttf", 0, 0},   {"DejaVuSansMono-Bold.ttf", 0, 0},
};

FT_Library g_library;
int g_libraryState;  // 0 untried, 1 ready, -1 failed

FT_Face Open(int slot) {
  if (g_libraryState == 0) g_libraryState = FT_Init_FreeType(&g_library) == 0 ? 1 : -1;
  if (g_libraryState != 1) return 0;
  FaceSlot& s = g_faces[slot];
  if (!s.tried) {
    s.tried = 1;
    char path[512];
    strcpy(path, kFontDir);
    strcat(path, s.file);
    if (FT_New_Face(g_library, path, 0, &s.face) != 0) s.face = 0;
  }
  return s.face;
}

int Contains(const char* face, const char* word) {
  size_t n = strlen(word);
  for (const char* p = face; *p; p++)
    if (strncasecmp(p, word, n) == 0) return 1;
  return 0;
}

/* The face for a logical font, sized; null when no face can be loaded. */
FT_Face Select(const LOGFONTA* lf) {
  int family = 0;  // 0 sans, 1 serif, 2 mono
  const char* name = lf->lfFaceName;
  if (Contains(name, "Courier") || Contains(name, "Mono") || Contains(name, "Fixedsys") ||
      (lf->lfPitchAndFamily & 3) == FIXED_PITCH || (lf->lfPitchAndFamily & 0xF0) == FF_MODERN)
    family = 2;
  else if (Contains(name, "Times") || (Contains(name, "Serif") && !Contains(name, "Sans Serif")) ||
           Contains(name, "Roman") || Contains(name, "Georgia") ||
           (name[0] == 0 && (lf->lfPitchAndFamily & 0xF0) == FF_ROMAN))
    family = 1;
  int bold = lf->lfWeight >= FW_SEMIBOLD;
  FT_Face face = Open(family * 2 + bold);
  if (!face) face = Open(family * 2);
  if (!face) face = Open(0);
  if (!face) return 0;
  int h = lf->lfHeight;
  int em;
  if (h < 0) em = -h;
  else if (h > 0) {
    int cell = face->ascender - face->descender;
    em = cell > 0 ? static_cast<int>(static_cast<long>(h) * face->units_per_EM / cell) : h;
  } else em = 12;
  if (em < 1) em = 1;
  if (em > 400) em = 400;
  FT_Set_Pixel_Sizes(face, 0, em);
  return face;
}

unsigned ToUnicode(unsigned char c) {
  static const unsigned short high[32] = {
    0x20AC, 0x81, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D, 0x017D, 0x8F,
    0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D, 0x017E, 0x0178};
  if (c >= 0x80 && c < 0xA0) return high[c - 0x80];
  return c;
}

int Count(const char*, int count) {
  return count < 0 ? 0 : count;
}

void Ascent(FT_Face face, int* ascent, int* descent) {
  *ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
  *descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
}

int Advance(FT_Face face, unsigned char c) {
  if (FT_Load_Char(face, ToUnicode(c), FT_LOAD_DEFAULT) != 0) return 0;
  return static_cast<int>((face->glyph->advance.x + 32) >> 6);
}

}  // namespace

void KvTextExtent(const LOGFONTA* font, const char* text, int count, SIZE* size) {
  int n = Count(text, count);
  FT_Face face = Select(font);
  if (!face) {
    int h = font->lfHeight < 0 ? -font->lfHeight : (font->lfHeight ? font->lfHeight : 12);
    size->cx = n * (h / 2);
    size->cy = h + 2;
    return;
  }
  int ascent, descent;
  Ascent(face, &ascent, &descent);
  int w = 0;
  for (int i = 0; i < n; i++) w += Advance(face, static_cast<unsigned char>(text[i]));
  size->cx = w;
  size->cy = ascent + descent;
}

void KvTextMetrics(const LOGFONTA* font, TEXTMETRICA* tm) {
  memset(tm, 0, sizeof(*tm));
  FT_Face face = Select(font);
  int bw, bh;
  KvTextBaseUnits(font, &bw, &bh);
  if (face) {
    Ascent(face, reinterpret_cast<int*>(&tm->tmAscent), reinterpret_cast<int*>(&tm->tmDescent));
    tm->tmHeight = tm->tmAscent + tm->tmDescent;
    int em = static_cast<int>(face->size->metrics.y_ppem);
    tm->tmInternalLeading = tm->tmHeight - em > 0 ? tm->tmHeight - em : 0;
    tm->tmMaxCharWidth = static_cast<LONG>((face->size->metrics.max_advance + 63) >> 6);
  } else {
    tm->tmHeight = bh;
    tm->tmAscent = bh * 4 / 5;
    tm->tmDescent = bh - tm->tmAscent;
    tm->tmMaxCharWidth = bw * 2;
  }
  tm->tmAveCharWidth = bw;
  tm->tmWeight = font->lfWeight ? font->lfWeight : FW_NORMAL;
  tm->tmItalic = font->lfItalic;
  tm->tmUnderlined = font->lfUnderline;
  tm->tmStruckOut = font->lfStrikeOut;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  tm->tmPitchAndFamily = font->lfPitchAndFamily;
}

void KvTextBaseUnits(const LOGFONTA* font, int* width, int* height) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE s;
  KvTextExtent(font, alphabet, 52, &s);
  *width = (s.cx / 26 + 1) / 2;
  *height = s.cy;
  if (*width < 1) *width = 1;
  if (*height < 1) *height = 1;
}

void KvTextDraw(const LOGFONTA* font, const char* text, int count, KvSurface* surface,
                int x, int y, const RECT* clip, uint32_t colour) {
  int n = Count(text, count);
  FT_Face face = Select(font);
  if (!face || !surface || !surface->pixels) return;
  int ascent, descent;
  Ascent(face, &ascent, &descent);
  int pen = x;
  int baseline = y + ascent;
  unsigned cr = (colour >> 16) & 0xFF, cg = (colour >> 8) & 0xFF, cb = colour & 0xFF;
  int left = clip->left < 0 ? 0 : clip->left;
  int top = clip->top < 0 ? 0 : clip->top;
  int right = clip->right > surface->width ? surface->width : clip->right;
  int bottom = clip->bottom > surface->height ? surface->height : clip->bottom;
  int startPen = pen;
  for (int i = 0; i < n; i++) {
    if (FT_Load_Char(face, ToUnicode(static_cast<unsigned char>(text[i])), FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot g = face->glyph;
    const FT_Bitmap& b = g->bitmap;
    int gx = pen + g->bitmap_left;
    int gy = baseline - g->bitmap_top;
    for (unsigned row = 0; row < b.rows; row++) {
      int py = gy + static_cast<int>(row);
      if (py < top || py >= bottom) continue;
      const unsigned char* src = b.buffer + row * b.pitch;
      uint32_t* dst = surface->pixels + py * surface->width;
      for (unsigned col = 0; col < b.width; col++) {
        int px = gx + static_cast<int>(col);
        if (px < left || px >= right) continue;
        unsigned a = b.pixel_mode == FT_PIXEL_MODE_MONO ? ((src[col / 8] >> (7 - col % 8)) & 1) * 255 : src[col];
        if (!a) continue;
        uint32_t old = dst[px];
        unsigned orr = (old >> 16) & 0xFF, og = (old >> 8) & 0xFF, ob = old & 0xFF;
        unsigned r = (cr * a + orr * (255 - a)) / 255;
        unsigned gg = (cg * a + og * (255 - a)) / 255;
        unsigned bb = (cb * a + ob * (255 - a)) / 255;
        dst[px] = (r << 16) | (gg << 8) | bb;
      }
    }
    pen += static_cast<int>((g->advance.x + 32) >> 6);
  }
  if (font->lfUnderline || font->lfStrikeOut) {
    int lines[2] = {font->lfUnderline ? baseline + 1 : -1, font->lfStrikeOut ? baseline - ascent / 3 : -1};
    for (int k = 0; k < 2; k++) {
      int py = lines[k];
      if (py < top || py >= bottom) continue;
      for (int px = startPen; px < pen; px++)
        if (px >= left && px < right) surface->pixels[py * surface->width + px] = colour;
    }
  }
}
