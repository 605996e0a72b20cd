// The standard table of the reflected CRC-32 (T[1] = 0x77073096), built once.
#include "crc.h"

#include <string.h>

static unsigned long s_table[256];
static int s_tableReady = 0;

static void BuildTable()
{
    for (unsigned n = 0; n < 256; ++n) {
        unsigned long c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (0xEDB88320UL ^ (c >> 1)) : (c >> 1);
        s_table[n] = c;
    }
    s_tableReady = 1;
}

// Registers are 32 bits on every host, also where long is 64 bits wide.
unsigned long Crc32(unsigned char byte, unsigned long crc)
{
    if (!s_tableReady)
        BuildTable();
    crc &= 0xFFFFFFFFUL;
    return (crc >> 8) ^ s_table[(crc ^ byte) & 0xFF];
}

unsigned long BufferCrc32(const char* data, int length, unsigned long crc)
{
    for (int i = 0; i < length; ++i)
        crc = Crc32((unsigned char)data[i], crc);
    return crc;
}

unsigned long StringCrc32(char* text, unsigned long crc)
{
    return BufferCrc32(text, text ? (int)strlen(text) : 0, crc);
}
