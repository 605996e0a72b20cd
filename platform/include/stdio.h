/* The C library's <stdio.h> with the Windows behaviour of the file calls:
 * fopen, freopen, remove and rename take Windows paths of the machine (host
 * absolute paths work too, as drive Z:), and a stream opened in text mode
 * (no "b" in the mode) writes "\n" as CR LF and reads CR LF as "\n", as on
 * Windows. The calls keep their names; only the symbols they link to are
 * ours (platform/kernel/streams.cpp). */
#ifndef KV_PLATFORM_STDIO_H
#define KV_PLATFORM_STDIO_H

#include_next <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

extern FILE* fopen(const char* __restrict path, const char* __restrict mode) __asm__("kv_fopen");
extern FILE* freopen(const char* __restrict path, const char* __restrict mode, FILE* __restrict stream)
    __asm__("kv_freopen");
extern int fclose(FILE* stream) __asm__("kv_fclose");
extern int remove(const char* path) __THROW __asm__("kv_remove");
extern int rename(const char* from, const char* to) __THROW __asm__("kv_rename");

/* The C runtime's limit on simultaneously open streams. */
int _setmaxstdio(int count);
int _getmaxstdio(void);

static inline int _fileno(FILE* stream)
{
    return fileno(stream);
}

#ifdef __cplusplus
}
#endif

#endif
