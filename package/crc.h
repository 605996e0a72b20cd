// CRC-32 steps of the reflected polynomial 0xEDB88320, without initial or
// final inversion: the caller passes the start value and uses the result
// as it is. The project record's running checksum and the password check
// are built on them.
#ifndef KV_PACKAGE_CRC_H
#define KV_PACKAGE_CRC_H

unsigned long Crc32(unsigned char byte, unsigned long crc);
unsigned long BufferCrc32(const char* data, int length, unsigned long crc);
unsigned long StringCrc32(char* text, unsigned long crc);

#endif
