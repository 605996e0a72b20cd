// Integers and strings of the project record, with the running checksum.
#include "record.h"

#include <string.h>

#include "crc.h"

unsigned long ReadInt(CPackageStream* stream, int* value, unsigned long crc)
{
    unsigned char bytes[4];
    stream->Read(bytes, 4);
    unsigned long v = bytes[0] | (bytes[1] << 8) | ((unsigned long)bytes[2] << 16) |
                      ((unsigned long)bytes[3] << 24);
    *value = (int)v;
    return BufferCrc32((const char*)bytes, 4, crc);
}

unsigned long ReadString(CPackageStream* stream, char* buffer, int size, unsigned long crc)
{
    unsigned char bytes[4];
    buffer[0] = 0;
    if (stream->Read(bytes, 4) != 4)
        return crc;
    long n = (long)(bytes[0] | (bytes[1] << 8) | ((unsigned long)bytes[2] << 16) |
                    ((unsigned long)bytes[3] << 24));
    if (n < 0 || n > 0x7FFFFFFFL || n >= size) {
        stream->SetFailed();
        return crc;
    }
    stream->Read(buffer, (unsigned)n + 1);
    buffer[n] = 0;  // the stored NUL, whatever byte stands there
    return BufferCrc32(buffer, (int)strlen(buffer), crc);
}
