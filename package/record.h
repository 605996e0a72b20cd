// The primitive readers of the project record. Each folds what it reads into
// the record's running checksum and returns the new value.
#ifndef KV_PACKAGE_RECORD_H
#define KV_PACKAGE_RECORD_H

#include "stream.h"

// Start value of the running checksum over the project record.
#define KV_RECORD_CRC_START 0xFFAABBCCUL
// Start value of the password checksum.
#define KV_PASSWORD_CRC_START 0x5A3C9E71UL

// Reads a 4-byte little-endian integer into value (0 when the stream ends)
// and folds its 4 bytes.
unsigned long ReadInt(CPackageStream* stream, int* value, unsigned long crc);

// Reads a string: an integer N, N characters and a NUL, into buffer, which
// holds size bytes. Folds the characters up to the first NUL. A length that
// is negative or does not fit the buffer is refused: the buffer is left
// empty, nothing more is read and the stream is marked failed.
unsigned long ReadString(CPackageStream* stream, char* buffer, int size, unsigned long crc);

#endif
