/* Text rendering of the POSIX GDI: FreeType over the machine's DejaVu
 * faces. A face the font names and the machine lacks falls back to the
 * sans-serif face. */
#ifndef KV_PLATFORM_GDI_TEXT_H
#define KV_PLATFORM_GDI_TEXT_H

#include "surface.h"

void KvTextExtent(const LOGFONTA* font, const char* text, int count, SIZE* size);
void KvTextMetrics(const LOGFONTA* font, TEXTMETRICA* metrics);
void KvTextBaseUnits(const LOGFONTA* font, int* width, int* height);
/* Draws count characters with the top-left of the first cell at (x, y) of
 * the surface, clipped to clip, blending colour over the pixels. */
void KvTextDraw(const LOGFONTA* font, const char* text, int count, KvSurface* surface,
                int x, int y, const RECT* clip, uint32_t colour);

#endif
