/* GDI32 of the POSIX build: objects, device contexts, drawing and blits.
 * Every drawing call ends up in a KvSurface: the framebuffer of a top-level
 * window, or the pixels of a bitmap selected into a memory device context. */
#include "surface.h"
#include "text.h"

#include <png.h>

#include <new>
#include <set>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const uint32_t kObjectMagic = 0x4B56474F;  // "KVGO"
const uint32_t kDcMagic = 0x4B564443;      // "KVDC"

struct GdiObject {
  uint32_t magic;
  int type;        // OBJ_BRUSH, OBJ_PEN, OBJ_FONT, OBJ_BITMAP
  int stock;
  int style;       // brush or pen style
  int width;       // pen width
  COLORREF colour;
  LOGFONTA font;
  KvSurface* bits; // bitmaps
  int bitsPixel;   // 1 or 32
  int selected;    // number of device contexts holding it
};

struct DcState {
  GdiObject* brush;
  GdiObject* pen;
  GdiObject* font;
  GdiObject* bitmap;
  COLORREF text;
  COLORREF bk;
  int bkMode;
  POINT pos;
  int ox, oy;
  RECT clip;
};

struct Dc {
  uint32_t magic;
  int memory;
  HWND window;
  KvSurface* surface;
  DcState s;
  DcState saved[8];
  int savedCount;
};

std::set<void*>& Live() {
  static std::set<void*> live;
  return live;
}

GdiObject* AsObject(HGDIOBJ h) {
  if (!h || !Live().count(h)) return 0;
  GdiObject* o = static_cast<GdiObject*>(h);
  return o->magic == kObjectMagic ? o : 0;
}

Dc* AsDc(HDC h) {
  if (!h || !Live().count(h)) return 0;
  Dc* d = reinterpret_cast<Dc*>(h);
  return d->magic == kDcMagic ? d : 0;
}

GdiObject* NewObject(int type) {
  GdiObject* o = new (std::nothrow) GdiObject;
  if (!o) return 0;
  memset(o, 0, sizeof(*o));
  o->magic = kObjectMagic;
  o->type = type;
  Live().insert(o);
  return o;
}

GdiObject* StockObject(int index);

GdiObject* MakeStock(int type, int style, COLORREF colour) {
  GdiObject* o = NewObject(type);
  if (!o) return 0;
  o->stock = 1;
  o->style = style;
  o->colour = colour;
  o->width = 1;
  return o;
}

GdiObject* StockObject(int index) {
  static GdiObject* stock[20];
  static GdiObject* defaultBitmap;
  if (index == -1) {
    if (!defaultBitmap) {
      defaultBitmap = MakeStock(OBJ_BITMAP, 0, 0);
      if (defaultBitmap) {
        defaultBitmap->bits = KvSurfaceCreate(1, 1);
        defaultBitmap->bitsPixel = 1;
      }
    }
    return defaultBitmap;
  }
  if (index < 0 || index >= 20) return 0;
  if (stock[index]) return stock[index];
  GdiObject* o = 0;
  switch (index) {
    case WHITE_BRUSH: o = MakeStock(OBJ_BRUSH, BS_SOLID, RGB(255, 255, 255)); break;
    case LTGRAY_BRUSH: o = MakeStock(OBJ_BRUSH, BS_SOLID, RGB(192, 192, 192)); break;
    case GRAY_BRUSH: o = MakeStock(OBJ_BRUSH, BS_SOLID, RGB(128, 128, 128)); break;
    case DKGRAY_BRUSH: o = MakeStock(OBJ_BRUSH, BS_SOLID, RGB(64, 64, 64)); break;
    case BLACK_BRUSH: o = MakeStock(OBJ_BRUSH, BS_SOLID, RGB(0, 0, 0)); break;
    case NULL_BRUSH: o = MakeStock(OBJ_BRUSH, BS_NULL, 0); break;
    case WHITE_PEN: o = MakeStock(OBJ_PEN, PS_SOLID, RGB(255, 255, 255)); break;
    case BLACK_PEN: o = MakeStock(OBJ_PEN, PS_SOLID, RGB(0, 0, 0)); break;
    case NULL_PEN: o = MakeStock(OBJ_PEN, PS_NULL, 0); break;
    case OEM_FIXED_FONT: case ANSI_FIXED_FONT: case SYSTEM_FIXED_FONT:
      o = MakeStock(OBJ_FONT, 0, 0);
      if (o) {
        o->font.lfHeight = -12;
        o->font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        strcpy(o->font.lfFaceName, "Courier New");
      }
      break;
    case ANSI_VAR_FONT: case SYSTEM_FONT: case DEVICE_DEFAULT_FONT: case DEFAULT_GUI_FONT:
      o = MakeStock(OBJ_FONT, 0, 0);
      if (o) {
        o->font.lfHeight = index == SYSTEM_FONT ? -12 : -11;
        o->font.lfWeight = index == SYSTEM_FONT ? FW_BOLD : FW_NORMAL;
        strcpy(o->font.lfFaceName, "MS Shell Dlg");
      }
      break;
    default: break;
  }
  stock[index] = o;
  return o;
}

void InitState(DcState* s) {
  memset(s, 0, sizeof(*s));
  s->brush = StockObject(WHITE_BRUSH);
  s->pen = StockObject(BLACK_PEN);
  s->font = StockObject(SYSTEM_FONT);
  s->text = RGB(0, 0, 0);
  s->bk = RGB(255, 255, 255);
  s->bkMode = OPAQUE;
}

Dc* NewDc() {
  Dc* d = new (std::nothrow) Dc;
  if (!d) return 0;
  memset(d, 0, sizeof(*d));
  d->magic = kDcMagic;
  InitState(&d->s);
  Live().insert(d);
  return d;
}

void FreeDc(Dc* d) {
  if (d->s.bitmap && d->s.bitmap->selected > 0) d->s.bitmap->selected--;
  Live().erase(d);
  d->magic = 0;
  delete d;
}

/* Brush colour, system colour brushes included (COLOR_x + 1 and the
 * brushes of GetSysColorBrush are plain solid brushes here). */
int BrushColour(HBRUSH brush, COLORREF* colour) {
  uintptr_t v = reinterpret_cast<uintptr_t>(brush);
  if (v > 0 && v <= 31) {
    *colour = GetSysColor(static_cast<int>(v - 1));
    return 1;
  }
  GdiObject* o = AsObject(brush);
  if (!o || o->type != OBJ_BRUSH || o->style == BS_NULL) return 0;
  *colour = o->colour;
  return 1;
}

/* The rectangle of the surface a device context may draw in. */
int DrawArea(Dc* d, RECT* area) {
  if (!d->surface || !d->surface->pixels) return 0;
  RECT all = {0, 0, d->surface->width, d->surface->height};
  if (!IntersectRect(area, &all, &d->s.clip)) return 0;
  return 1;
}

void PutPixel(Dc* d, const RECT& area, int x, int y, uint32_t pixel) {
  x += d->s.ox;
  y += d->s.oy;
  if (x < area.left || x >= area.right || y < area.top || y >= area.bottom) return;
  d->surface->pixels[y * d->surface->width + x] = pixel;
}

void FillSurface(Dc* d, int left, int top, int right, int bottom, uint32_t pixel) {
  RECT area;
  if (!DrawArea(d, &area)) return;
  RECT r = {left + d->s.ox, top + d->s.oy, right + d->s.ox, bottom + d->s.oy};
  RECT c;
  if (!IntersectRect(&c, &r, &area)) return;
  for (int y = c.top; y < c.bottom; y++) {
    uint32_t* row = d->surface->pixels + y * d->surface->width;
    for (int x = c.left; x < c.right; x++) row[x] = pixel;
  }
}

uint32_t ApplyRop(DWORD rop, uint32_t s, uint32_t dst, uint32_t p) {
  uint32_t r;
  switch (rop) {
    case SRCCOPY: r = s; break;
    case SRCAND: r = s & dst; break;
    case SRCPAINT: r = s | dst; break;
    case SRCINVERT: r = s ^ dst; break;
    case SRCERASE: r = s & ~dst; break;
    case NOTSRCCOPY: r = ~s; break;
    case NOTSRCERASE: r = ~(s | dst); break;
    case MERGEPAINT: r = ~s | dst; break;
    case PATCOPY: r = p; break;
    case PATINVERT: r = p ^ dst; break;
    case DSTINVERT: r = ~dst; break;
    case BLACKNESS: r = 0; break;
    case WHITENESS: r = 0xFFFFFF; break;
    default: r = s; break;
  }
  return r & 0xFFFFFF;
}

int RopUsesSource(DWORD rop) {
  return rop != PATCOPY && rop != PATINVERT && rop != DSTINVERT && rop != BLACKNESS && rop != WHITENESS;
}

}  // namespace

/* ---- surfaces ---- */

KvSurface* KvSurfaceCreate(int width, int height) {
  KvSurface* s = new (std::nothrow) KvSurface;
  if (!s) return 0;
  s->width = 0;
  s->height = 0;
  s->pixels = 0;
  KvSurfaceResize(s, width, height);
  return s;
}

void KvSurfaceResize(KvSurface* s, int width, int height) {
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  if (s->pixels && s->width == width && s->height == height) return;
  uint32_t* p = static_cast<uint32_t*>(calloc(static_cast<size_t>(width) * height, 4));
  if (!p) return;
  if (s->pixels) {
    for (int y = 0; y < height && y < s->height; y++)
      memcpy(p + y * width, s->pixels + y * s->width, 4 * static_cast<size_t>(width < s->width ? width : s->width));
    free(s->pixels);
  }
  s->pixels = p;
  s->width = width;
  s->height = height;
}

void KvSurfaceFree(KvSurface* s) {
  if (!s) return;
  free(s->pixels);
  delete s;
}

int KvSurfaceWritePng(const KvSurface* s, const char* path) {
  if (!s || !s->pixels) return 0;
  FILE* f = fopen(path, "wb");
  if (!f) return 0;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, 0, 0, 0);
  png_infop info = png ? png_create_info_struct(png) : 0;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    fclose(f);
    return 0;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, s->width, s->height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  unsigned char* row = static_cast<unsigned char*>(malloc(3 * static_cast<size_t>(s->width)));
  if (row) {
    for (int y = 0; y < s->height; y++) {
      const uint32_t* src = s->pixels + y * s->width;
      for (int x = 0; x < s->width; x++) {
        row[3 * x] = (src[x] >> 16) & 0xFF;
        row[3 * x + 1] = (src[x] >> 8) & 0xFF;
        row[3 * x + 2] = src[x] & 0xFF;
      }
      png_write_row(png, row);
    }
    free(row);
  }
  png_write_end(png, 0);
  png_destroy_write_struct(&png, &info);
  int ok = fclose(f) == 0 && row != 0;
  return ok;
}

uint32_t KvColourToPixel(COLORREF c) {
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

COLORREF KvPixelToColour(uint32_t p) {
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

HDC KvCreateSurfaceDC(KvSurface* surface, int originX, int originY, const RECT* clip, HWND window) {
  Dc* d = NewDc();
  if (!d) return 0;
  d->surface = surface;
  d->window = window;
  d->s.ox = originX;
  d->s.oy = originY;
  d->s.clip = *clip;
  d->s.font = AsObject(KvDefaultGuiFont()) ? AsObject(KvDefaultGuiFont()) : d->s.font;
  return reinterpret_cast<HDC>(d);
}

int KvIsWindowDC(HDC dc, HWND window) {
  Dc* d = AsDc(dc);
  return d && !d->memory && d->window == window;
}

void KvFreeSurfaceDC(HDC dc) {
  Dc* d = AsDc(dc);
  if (d && !d->memory) FreeDc(d);
}

HFONT KvDefaultGuiFont(void) {
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void KvFontBaseUnits(HFONT font, int* width, int* height) {
  GdiObject* o = AsObject(font);
  if (!o || o->type != OBJ_FONT) o = StockObject(SYSTEM_FONT);
  KvTextBaseUnits(&o->font, width, height);
}

/* ---- device contexts ---- */

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC) {
  Dc* d = NewDc();
  if (!d) return 0;
  d->memory = 1;
  d->s.bitmap = StockObject(-1);
  d->surface = d->s.bitmap ? d->s.bitmap->bits : 0;
  RECT all = {-0x8000000, -0x8000000, 0x8000000, 0x8000000};
  d->s.clip = all;
  return reinterpret_cast<HDC>(d);
}

BOOL WINAPI DeleteDC(HDC dc) {
  Dc* d = AsDc(dc);
  if (!d || !d->memory) return FALSE;
  FreeDc(d);
  return TRUE;
}

int WINAPI GetDeviceCaps(HDC, int index) {
  switch (index) {
    case HORZRES: return GetSystemMetrics(SM_CXSCREEN);
    case VERTRES: return GetSystemMetrics(SM_CYSCREEN);
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case LOGPIXELSX: case LOGPIXELSY: return 96;
    default: return 0;
  }
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
  Dc* d = AsDc(dc);
  GdiObject* o = AsObject(object);
  if (!d || !o) return 0;
  GdiObject* old = 0;
  switch (o->type) {
    case OBJ_BRUSH: old = d->s.brush; d->s.brush = o; break;
    case OBJ_PEN: old = d->s.pen; d->s.pen = o; break;
    case OBJ_FONT: old = d->s.font; d->s.font = o; break;
    case OBJ_BITMAP:
      if (!d->memory) return 0;
      if (o->selected > 0 && d->s.bitmap != o && !o->stock) return 0;  // one DC at a time
      old = d->s.bitmap;
      if (old && old->selected > 0) old->selected--;
      d->s.bitmap = o;
      o->selected++;
      d->surface = o->bits;
      break;
    default: return 0;
  }
  return old;
}

HGDIOBJ WINAPI GetCurrentObject(HDC dc, UINT type) {
  Dc* d = AsDc(dc);
  if (!d) return 0;
  switch (type) {
    case OBJ_BRUSH: return d->s.brush;
    case OBJ_PEN: return d->s.pen;
    case OBJ_FONT: return d->s.font;
    case OBJ_BITMAP: return d->s.bitmap;
    default: return 0;
  }
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  GdiObject* o = AsObject(object);
  if (!o) return FALSE;
  if (o->stock) return TRUE;
  if (o->type == OBJ_BITMAP && o->selected > 0) return FALSE;
  KvSurfaceFree(o->bits);
  Live().erase(o);
  o->magic = 0;
  delete o;
  return TRUE;
}

int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
  GdiObject* o = AsObject(object);
  if (!o) return 0;
  switch (o->type) {
    case OBJ_BITMAP: {
      BITMAP bm;
      memset(&bm, 0, sizeof(bm));
      bm.bmWidth = o->bits ? o->bits->width : 0;
      bm.bmHeight = o->bits ? o->bits->height : 0;
      bm.bmBitsPixel = static_cast<WORD>(o->bitsPixel);
      bm.bmPlanes = 1;
      bm.bmWidthBytes = o->bitsPixel == 1 ? ((bm.bmWidth + 15) / 16) * 2 : bm.bmWidth * 4;
      if (!buffer) return sizeof(BITMAP);
      int n = size < static_cast<int>(sizeof(BITMAP)) ? size : static_cast<int>(sizeof(BITMAP));
      if (n <= 0) return 0;
      memcpy(buffer, &bm, n);
      return n;
    }
    case OBJ_BRUSH: {
      LOGBRUSH lb = {static_cast<UINT>(o->style), o->colour, 0};
      if (!buffer) return sizeof(lb);
      int n = size < static_cast<int>(sizeof(lb)) ? size : static_cast<int>(sizeof(lb));
      if (n <= 0) return 0;
      memcpy(buffer, &lb, n);
      return n;
    }
    case OBJ_PEN: {
      LOGPEN lp = {static_cast<UINT>(o->style), {o->width, 0}, o->colour};
      if (!buffer) return sizeof(lp);
      int n = size < static_cast<int>(sizeof(lp)) ? size : static_cast<int>(sizeof(lp));
      if (n <= 0) return 0;
      memcpy(buffer, &lp, n);
      return n;
    }
    case OBJ_FONT: {
      if (!buffer) return sizeof(LOGFONTA);
      int n = size < static_cast<int>(sizeof(LOGFONTA)) ? size : static_cast<int>(sizeof(LOGFONTA));
      if (n <= 0) return 0;
      memcpy(buffer, &o->font, n);
      return n;
    }
    default: return 0;
  }
}

DWORD WINAPI GetObjectType(HGDIOBJ object) {
  GdiObject* o = AsObject(object);
  if (o) return o->type;
  Dc* d = AsDc(reinterpret_cast<HDC>(object));
  if (d) return d->memory ? OBJ_MEMDC : OBJ_DC;
  return 0;
}

HGDIOBJ WINAPI GetStockObject(int index) {
  return StockObject(index);
}

namespace {

/* The text and background colours of a device context share one way to
 * be set and read: the old value back, CLR_INVALID for a bad handle. */
COLORREF SetDcColour(HDC dc, COLORREF DcState::*field, COLORREF colour) {
  Dc* d = AsDc(dc);
  if (!d) return CLR_INVALID;
  COLORREF old = d->s.*field;
  d->s.*field = colour;
  return old;
}

COLORREF GetDcColour(HDC dc, COLORREF DcState::*field) {
  Dc* d = AsDc(dc);
  return d ? d->s.*field : CLR_INVALID;
}

}  // namespace

COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour) {
  return SetDcColour(dc, &DcState::text, colour);
}

COLORREF WINAPI GetTextColor(HDC dc) {
  return GetDcColour(dc, &DcState::text);
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF colour) {
  return SetDcColour(dc, &DcState::bk, colour);
}

COLORREF WINAPI GetBkColor(HDC dc) {
  return GetDcColour(dc, &DcState::bk);
}

int WINAPI SetBkMode(HDC dc, int mode) {
  Dc* d = AsDc(dc);
  if (!d || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int old = d->s.bkMode;
  d->s.bkMode = mode;
  return old;
}

int WINAPI GetBkMode(HDC dc) {
  Dc* d = AsDc(dc);
  return d ? d->s.bkMode : 0;
}

BOOL WINAPI SetViewportOrgEx(HDC dc, int x, int y, LPPOINT old) {
  Dc* d = AsDc(dc);
  if (!d) return FALSE;
  if (old) { old->x = d->s.ox; old->y = d->s.oy; }
  d->s.ox = x;
  d->s.oy = y;
  return TRUE;
}

BOOL WINAPI GetViewportOrgEx(HDC dc, LPPOINT point) {
  Dc* d = AsDc(dc);
  if (!d || !point) return FALSE;
  point->x = d->s.ox;
  point->y = d->s.oy;
  return TRUE;
}

int WINAPI IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
  Dc* d = AsDc(dc);
  if (!d) return 0;
  RECT r = {left + d->s.ox, top + d->s.oy, right + d->s.ox, bottom + d->s.oy};
  RECT c;
  if (!IntersectRect(&c, &r, &d->s.clip)) SetRectEmpty(&c);
  d->s.clip = c;
  return IsRectEmpty(&c) ? 1 : 2;
}

int WINAPI SaveDC(HDC dc) {
  Dc* d = AsDc(dc);
  if (!d || d->savedCount >= 8) return 0;
  d->saved[d->savedCount++] = d->s;
  return d->savedCount;
}

BOOL WINAPI RestoreDC(HDC dc, int saved) {
  Dc* d = AsDc(dc);
  if (!d) return FALSE;
  if (saved < 0) saved = d->savedCount + 1 + saved;
  if (saved < 1 || saved > d->savedCount) return FALSE;
  GdiObject* bitmap = d->s.bitmap;
  d->s = d->saved[saved - 1];
  d->s.bitmap = bitmap;  // bitmaps stay as selected
  d->savedCount = saved - 1;
  return TRUE;
}

/* ---- objects ---- */

HBRUSH WINAPI CreateSolidBrush(COLORREF colour) {
  GdiObject* o = NewObject(OBJ_BRUSH);
  if (!o) return 0;
  o->style = BS_SOLID;
  o->colour = colour & 0xFFFFFF;
  return reinterpret_cast<HBRUSH>(o);
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* brush) {
  if (!brush) return 0;
  GdiObject* o = NewObject(OBJ_BRUSH);
  if (!o) return 0;
  o->style = brush->lbStyle == BS_NULL ? BS_NULL : BS_SOLID;
  o->colour = brush->lbColor & 0xFFFFFF;
  return reinterpret_cast<HBRUSH>(o);
}

HPEN WINAPI CreatePen(int style, int width, COLORREF colour) {
  GdiObject* o = NewObject(OBJ_PEN);
  if (!o) return 0;
  o->style = style;
  o->width = width < 1 ? 1 : width;
  o->colour = colour & 0xFFFFFF;
  return reinterpret_cast<HPEN>(o);
}

HPEN WINAPI CreatePenIndirect(const LOGPEN* pen) {
  if (!pen) return 0;
  return CreatePen(pen->lopnStyle, pen->lopnWidth.x, pen->lopnColor);
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* font) {
  if (!font) return 0;
  GdiObject* o = NewObject(OBJ_FONT);
  if (!o) return 0;
  o->font = *font;
  o->font.lfFaceName[LF_FACESIZE - 1] = 0;
  return reinterpret_cast<HFONT>(o);
}

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                         DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                         DWORD pitchAndFamily, LPCSTR face) {
  LOGFONTA lf;
  memset(&lf, 0, sizeof(lf));
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic);
  lf.lfUnderline = static_cast<BYTE>(underline);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (face) strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}

HBITMAP WINAPI CreateBitmap(int width, int height, UINT, UINT bitsPerPixel, const void* bits) {
  if (width <= 0 || height <= 0) return 0;
  GdiObject* o = NewObject(OBJ_BITMAP);
  if (!o) return 0;
  o->bits = KvSurfaceCreate(width, height);
  if (!o->bits || !o->bits->pixels) {
    DeleteObject(o);
    return 0;
  }
  o->bitsPixel = bitsPerPixel == 1 ? 1 : 32;
  if (bits) {
    const unsigned char* b = static_cast<const unsigned char*>(bits);
    if (bitsPerPixel == 1) {
      int stride = ((width + 15) / 16) * 2;
      for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
          o->bits->pixels[y * width + x] = (b[y * stride + x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFF : 0;
    } else if (bitsPerPixel == 32) {
      for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
          const unsigned char* p = b + 4 * (y * width + x);
          o->bits->pixels[y * width + x] = (p[2] << 16) | (p[1] << 8) | p[0];
        }
    }
  } else if (o->bitsPixel == 1) {
    // A new monochrome bitmap is black.
  }
  return reinterpret_cast<HBITMAP>(o);
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height) {
  Dc* d = AsDc(dc);
  int bpp = 32;
  if (d && d->memory && d->s.bitmap) bpp = d->s.bitmap->bitsPixel;
  return CreateBitmap(width, height, 1, bpp, 0);
}

}  // extern "C"

/* Decodes a device-independent bitmap (header, colour table, bits) into
 * a new bitmap object; used by the resource loader and CreateDIBitmap. */
HBITMAP KvCreateBitmapFromDib(const unsigned char* dib, size_t size, const unsigned char* bits, size_t bitsSize) {
  if (size < 40) return 0;
  BITMAPINFOHEADER h;
  memcpy(&h, dib, sizeof(h));
  if (h.biSize < 40 || h.biWidth <= 0 || h.biHeight == 0 || h.biCompression != BI_RGB) return 0;
  int bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return 0;
  int width = h.biWidth;
  int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  if (width > 16384 || height > 16384) return 0;
  size_t colours = h.biClrUsed ? h.biClrUsed : (bpp <= 8 ? (1u << bpp) : 0);
  size_t tableBytes = colours * 4;
  if (h.biSize + tableBytes > size) return 0;
  const unsigned char* table = dib + h.biSize;
  size_t stride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
  if (!bits) {
    bits = dib + h.biSize + tableBytes;
    bitsSize = size - h.biSize - tableBytes;
  }
  if (stride * height > bitsSize) return 0;
  HBITMAP bm = CreateBitmap(width, height, 1, 32, 0);
  GdiObject* o = AsObject(bm);
  if (!o) return 0;
  for (int y = 0; y < height; y++) {
    const unsigned char* row = bits + stride * (h.biHeight > 0 ? height - 1 - y : y);
    for (int x = 0; x < width; x++) {
      uint32_t px = 0;
      if (bpp <= 8) {
        unsigned idx;
        if (bpp == 8) idx = row[x];
        else if (bpp == 4) idx = (row[x / 2] >> ((x & 1) ? 0 : 4)) & 0xF;
        else idx = (row[x / 8] >> (7 - x % 8)) & 1;
        if (idx < colours) {
          const unsigned char* q = table + 4 * idx;
          px = (q[2] << 16) | (q[1] << 8) | q[0];
        }
      } else if (bpp == 16) {
        unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        px = ((r * 255 / 31) << 16) | ((g * 255 / 31) << 8) | (b * 255 / 31);
      } else {
        const unsigned char* q = row + x * (bpp / 8);
        px = (q[2] << 16) | (q[1] << 8) | q[0];
      }
      o->bits->pixels[y * width + x] = px;
    }
  }
  return bm;
}

extern "C" {

HBITMAP WINAPI CreateDIBitmap(HDC, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                              const BITMAPINFO* info, UINT) {
  if (!header) return 0;
  if (!init || !bits || !info) {
    int h = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    return CreateBitmap(header->biWidth, h, 1, 32, 0);
  }
  int bpp = info->bmiHeader.biBitCount;
  size_t colours = info->bmiHeader.biClrUsed ? info->bmiHeader.biClrUsed : (bpp <= 8 ? (1u << bpp) : 0);
  size_t infoSize = info->bmiHeader.biSize + colours * 4;
  int h = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  size_t stride = ((static_cast<size_t>(header->biWidth) * bpp + 31) / 32) * 4;
  return KvCreateBitmapFromDib(reinterpret_cast<const unsigned char*>(info), infoSize,
                               static_cast<const unsigned char*>(bits), stride * h);
}

/* ---- drawing ---- */

BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT old) {
  Dc* d = AsDc(dc);
  if (!d) return FALSE;
  if (old) *old = d->s.pos;
  d->s.pos.x = x;
  d->s.pos.y = y;
  return TRUE;
}

BOOL WINAPI LineTo(HDC dc, int x, int y) {
  Dc* d = AsDc(dc);
  if (!d) return FALSE;
  RECT area;
  GdiObject* pen = d->s.pen;
  if (DrawArea(d, &area) && pen && pen->style != PS_NULL) {
    uint32_t px = KvColourToPixel(pen->colour);
    int x0 = d->s.pos.x, y0 = d->s.pos.y;
    int dx = abs(x - x0), sx = x0 < x ? 1 : -1;
    int dy = -abs(y - y0), sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    int w = pen->width;
    // The end point itself is not drawn.
    while (!(x0 == x && y0 == y)) {
      for (int i = 0; i < w; i++)
        for (int j = 0; j < w; j++) PutPixel(d, area, x0 + i - w / 2, y0 + j - w / 2, px);
      int e2 = 2 * err;
      if (e2 >= dy) { err += dy; x0 += sx; }
      if (e2 <= dx) { err += dx; y0 += sy; }
    }
  }
  d->s.pos.x = x;
  d->s.pos.y = y;
  return TRUE;
}

BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom) {
  Dc* d = AsDc(dc);
  if (!d) return FALSE;
  GdiObject* b = d->s.brush;
  if (b && b->style != BS_NULL) FillSurface(d, left + 1, top + 1, right - 1, bottom - 1, KvColourToPixel(b->colour));
  GdiObject* p = d->s.pen;
  if (p && p->style != PS_NULL) {
    uint32_t px = KvColourToPixel(p->colour);
    FillSurface(d, left, top, right, top + 1, px);
    FillSurface(d, left, bottom - 1, right, bottom, px);
    FillSurface(d, left, top, left + 1, bottom, px);
    FillSurface(d, right - 1, top, right, bottom, px);
  }
  return TRUE;
}

BOOL WINAPI Ellipse(HDC dc, int left, int top, int right, int bottom) {
  Dc* d = AsDc(dc);
  if (!d) return FALSE;
  RECT area;
  if (!DrawArea(d, &area)) return TRUE;
  double cx = (left + right - 1) / 2.0, cy = (top + bottom - 1) / 2.0;
  double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
  if (rx <= 0 || ry <= 0) return TRUE;
  GdiObject* b = d->s.brush;
  GdiObject* p = d->s.pen;
  for (int y = top; y < bottom; y++)
    for (int x = left; x < right; x++) {
      double nx = (x - cx) / rx, ny = (y - cy) / ry;
      double v = nx * nx + ny * ny;
      if (v > 1.0) continue;
      double inner = (x - cx) / (rx - 1.2) * (x - cx) / (rx - 1.2) + (y - cy) / (ry - 1.2) * (y - cy) / (ry - 1.2);
      if (p && p->style != PS_NULL && (rx <= 1.5 || ry <= 1.5 || inner > 1.0))
        PutPixel(d, area, x, y, KvColourToPixel(p->colour));
      else if (b && b->style != BS_NULL)
        PutPixel(d, area, x, y, KvColourToPixel(b->colour));
    }
  return TRUE;
}

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  Dc* d = AsDc(dc);
  COLORREF colour;
  if (!d || !rect || !BrushColour(brush, &colour)) return 0;
  FillSurface(d, rect->left, rect->top, rect->right, rect->bottom, KvColourToPixel(colour));
  return 1;
}

int WINAPI FrameRect(HDC dc, const RECT* rect, HBRUSH brush) {
  Dc* d = AsDc(dc);
  COLORREF colour;
  if (!d || !rect || !BrushColour(brush, &colour)) return 0;
  if (rect->right <= rect->left || rect->bottom <= rect->top) return 1;
  uint32_t px = KvColourToPixel(colour);
  FillSurface(d, rect->left, rect->top, rect->right, rect->top + 1, px);
  FillSurface(d, rect->left, rect->bottom - 1, rect->right, rect->bottom, px);
  FillSurface(d, rect->left, rect->top, rect->left + 1, rect->bottom, px);
  FillSurface(d, rect->right - 1, rect->top, rect->right, rect->bottom, px);
  return 1;
}

BOOL WINAPI PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
  return BitBlt(dc, x, y, width, height, 0, 0, 0, rop);
}

BOOL WINAPI StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int xs, int ys,
                       int ws, int hs, DWORD rop) {
  Dc* d = AsDc(dst);
  if (!d) return FALSE;
  int usesSource = RopUsesSource(rop);
  Dc* s = usesSource ? AsDc(src) : 0;
  if (usesSource && (!s || !s->surface || !s->surface->pixels)) return FALSE;
  if (width == 0 || height == 0 || (usesSource && (ws == 0 || hs == 0))) return TRUE;
  RECT area;
  if (!DrawArea(d, &area)) return TRUE;
  uint32_t pattern = 0;
  COLORREF pc;
  if (d->s.brush && BrushColour(reinterpret_cast<HBRUSH>(d->s.brush), &pc)) pattern = KvColourToPixel(pc);
  int mono = s && s->s.bitmap && s->s.bitmap->bitsPixel == 1 && s->memory;
  uint32_t monoBlack = KvColourToPixel(d->s.text), monoWhite = KvColourToPixel(d->s.bk);
  int aw = width < 0 ? -width : width, ah = height < 0 ? -height : height;
  for (int j = 0; j < ah; j++) {
    int dy = height < 0 ? y - 1 - j : y + j;
    int sy = 0;
    if (s) {
      sy = static_cast<int>(static_cast<long long>(j) * (hs < 0 ? -hs : hs) / ah);
      sy = (hs < 0) != (height < 0) ? ys + (hs < 0 ? -hs : hs) - 1 - sy : ys + sy;
      sy += s->s.oy;
      if (sy < 0 || sy >= s->surface->height) continue;
    }
    int ty = dy + d->s.oy;
    if (ty < area.top || ty >= area.bottom) continue;
    for (int i = 0; i < aw; i++) {
      int dx = width < 0 ? x - 1 - i : x + i;
      int tx = dx + d->s.ox;
      if (tx < area.left || tx >= area.right) continue;
      uint32_t sp = 0;
      if (s) {
        int sx = static_cast<int>(static_cast<long long>(i) * (ws < 0 ? -ws : ws) / aw);
        sx = (ws < 0) != (width < 0) ? xs + (ws < 0 ? -ws : ws) - 1 - sx : xs + sx;
        sx += s->s.ox;
        if (sx < 0 || sx >= s->surface->width) continue;
        sp = s->surface->pixels[sy * s->surface->width + sx];
        if (mono && !(d->memory && d->s.bitmap && d->s.bitmap->bitsPixel == 1))
          sp = sp ? monoWhite : monoBlack;
      }
      uint32_t* dp = d->surface->pixels + ty * d->surface->width + tx;
      uint32_t v = ApplyRop(rop, sp, *dp, pattern);
      if (d->memory && d->s.bitmap && d->s.bitmap->bitsPixel == 1) {
        // A monochrome target keeps pure black and white: the background
        // colour of the source becomes white, everything else black.
        if (s && !mono) v = (v == KvColourToPixel(s->s.bk)) ? 0xFFFFFF : 0;
        else v = v ? 0xFFFFFF : 0;
      }
      *dp = v;
    }
  }
  return TRUE;
}

BOOL WINAPI BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int xs, int ys, DWORD rop) {
  return StretchBlt(dst, x, y, width, height, src, xs, ys, width, height, rop);
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
  Dc* d = AsDc(dc);
  if (!d || !d->surface || !d->surface->pixels) return CLR_INVALID;
  if (d->memory && d->s.bitmap == StockObject(-1)) return CLR_INVALID;
  RECT area;
  if (!DrawArea(d, &area)) return CLR_INVALID;
  int tx = x + d->s.ox, ty = y + d->s.oy;
  if (tx < area.left || tx >= area.right || ty < area.top || ty >= area.bottom) return CLR_INVALID;
  return KvPixelToColour(d->surface->pixels[ty * d->surface->width + tx]);
}

COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF colour) {
  Dc* d = AsDc(dc);
  if (!d) return CLR_INVALID;
  RECT area;
  if (!DrawArea(d, &area)) return CLR_INVALID;
  PutPixel(d, area, x, y, KvColourToPixel(colour));
  return colour & 0xFFFFFF;
}

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int count) {
  Dc* d = AsDc(dc);
  if (!d || !text || count < 0) return FALSE;
  GdiObject* f = d->s.font ? d->s.font : StockObject(SYSTEM_FONT);
  SIZE size;
  KvTextExtent(&f->font, text, count, &size);
  if (d->s.bkMode == OPAQUE)
    FillSurface(d, x, y, x + size.cx, y + size.cy, KvColourToPixel(d->s.bk));
  RECT area;
  if (!DrawArea(d, &area)) return TRUE;
  KvTextDraw(&f->font, text, count, d->surface, d->s.ox + x, d->s.oy + y, &area, KvColourToPixel(d->s.text));
  d->s.pos.x = x + size.cx;
  return TRUE;
}

BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, LPSIZE size) {
  Dc* d = AsDc(dc);
  if (!d || !size || (count > 0 && !text) || count < 0) return FALSE;
  GdiObject* f = d->s.font ? d->s.font : StockObject(SYSTEM_FONT);
  KvTextExtent(&f->font, text ? text : "", count, size);
  return TRUE;
}

BOOL WINAPI GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics) {
  Dc* d = AsDc(dc);
  if (!d || !metrics) return FALSE;
  GdiObject* f = d->s.font ? d->s.font : StockObject(SYSTEM_FONT);
  KvTextMetrics(&f->font, metrics);
  return TRUE;
}

BOOL WINAPI GdiFlush(void) {
  return TRUE;
}

}  // extern "C"
