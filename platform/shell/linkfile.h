// The Windows shortcut (.lnk) file format, written and read: a 76-byte
// header, the target as a LinkInfo local path, then the description,
// working directory, arguments and icon location as UTF-16 string data,
// and the terminal extra-data block.
#ifndef KV_PLATFORM_SHELL_LINKFILE_H
#define KV_PLATFORM_SHELL_LINKFILE_H

#include <stddef.h>

#include <windows.h>

enum { KV_LINK_TEXT_MAX = 1024 };

struct KvLinkData
{
    char target[KV_LINK_TEXT_MAX];
    char arguments[KV_LINK_TEXT_MAX];
    char workingDirectory[KV_LINK_TEXT_MAX];
    char description[KV_LINK_TEXT_MAX];
    char iconLocation[KV_LINK_TEXT_MAX];
    int iconIndex;
    int showCommand;
    WORD hotkey;
    // The target's attributes, times and size at the time of writing.
    DWORD attributes;
    FILETIME creation;
    FILETIME access;
    FILETIME write;
    DWORD size;
};

// Encodes a link; returns the number of bytes, 0 when out is too small.
size_t KvEncodeLink(const KvLinkData* link, unsigned char* out, size_t size);

// Decodes a link file; 1, or 0 for bytes that are not a valid link.
int KvDecodeLink(const unsigned char* data, size_t size, KvLinkData* link);

#endif
