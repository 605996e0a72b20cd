/* What USER32 and GDI32 of the POSIX build share: the 32-bit framebuffers
 * that top-level windows and bitmaps draw into, device contexts bound to a
 * window's part of a framebuffer, and the font rendering the controls use. */
#ifndef KV_PLATFORM_GDI_SURFACE_H
#define KV_PLATFORM_GDI_SURFACE_H

#include <windows.h>

#include <stdint.h>

/* Pixels are 0x00RRGGBB, rows top-down, width * height of them. */
struct KvSurface {
  int width;
  int height;
  uint32_t* pixels;
};

KvSurface* KvSurfaceCreate(int width, int height);
void KvSurfaceResize(KvSurface* surface, int width, int height);
void KvSurfaceFree(KvSurface* surface);
/* Writes the surface as an 8-bit RGB PNG; 1 on success. */
int KvSurfaceWritePng(const KvSurface* surface, const char* path);

/* A device context drawing into surface with its origin at (originX,
 * originY) of the surface and clipped to clip (surface coordinates). The
 * window is recorded for ReleaseDC. */
HDC KvCreateSurfaceDC(KvSurface* surface, int originX, int originY, const RECT* clip, HWND window);
/* Whether dc was made by KvCreateSurfaceDC for window (0 otherwise). */
int KvIsWindowDC(HDC dc, HWND window);
void KvFreeSurfaceDC(HDC dc);

uint32_t KvColourToPixel(COLORREF colour);
COLORREF KvPixelToColour(uint32_t pixel);

/* Dialog base units of a font (average character width and height). */
void KvFontBaseUnits(HFONT font, int* width, int* height);
/* The font controls use when none has been set. */
HFONT KvDefaultGuiFont(void);

#endif
