// Shortcut files in the documented shell link binary format.
#include "linkfile.h"

#include <string.h>

#include "../kernel/machine.h"

namespace {

const unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                      0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

enum {
    kHeaderSize = 0x4C,
    kHasIdList = 0x1,
    kHasLinkInfo = 0x2,
    kHasName = 0x4,
    kHasRelativePath = 0x8,
    kHasWorkingDir = 0x10,
    kHasArguments = 0x20,
    kHasIconLocation = 0x40,
    kIsUnicode = 0x80,
    kVolumeIdAndLocalBasePath = 0x1,
    kDriveFixed = 3
};

class CWriter
{
public:
    CWriter(unsigned char* out, size_t size) : m_out(out), m_size(size), m_used(0), m_ok(1) {}
    void Bytes(const void* data, size_t n)
    {
        if (m_used + n > m_size) {
            m_ok = 0;
            return;
        }
        memcpy(m_out + m_used, data, n);
        m_used += n;
    }
    void U16(unsigned v)
    {
        unsigned char b[2] = {(unsigned char)v, (unsigned char)(v >> 8)};
        Bytes(b, 2);
    }
    void U32(DWORD v)
    {
        unsigned char b[4] = {(unsigned char)v, (unsigned char)(v >> 8), (unsigned char)(v >> 16),
                              (unsigned char)(v >> 24)};
        Bytes(b, 4);
    }
    void Time(const FILETIME& t)
    {
        U32(t.dwLowDateTime);
        U32(t.dwHighDateTime);
    }
    // A string-data item: a character count, then UTF-16 characters.
    void String(const char* text)
    {
        size_t n = strlen(text);
        if (n > 0xFFFF)
            n = 0xFFFF;
        U16((unsigned)n);
        for (size_t i = 0; i < n; i++)
            U16(KvAnsiToWide((unsigned char)text[i]));
    }
    size_t Used() const { return m_used; }
    int Ok() const { return m_ok; }

private:
    unsigned char* m_out;
    size_t m_size;
    size_t m_used;
    int m_ok;
};

class CReader
{
public:
    CReader(const unsigned char* data, size_t size) : m_data(data), m_size(size), m_at(0), m_ok(1) {}
    int Has(size_t n) const { return m_ok && m_at + n <= m_size; }
    unsigned U16()
    {
        if (!Has(2)) {
            m_ok = 0;
            return 0;
        }
        unsigned v = m_data[m_at] | (m_data[m_at + 1] << 8);
        m_at += 2;
        return v;
    }
    DWORD U32()
    {
        if (!Has(4)) {
            m_ok = 0;
            return 0;
        }
        DWORD v = (DWORD)m_data[m_at] | ((DWORD)m_data[m_at + 1] << 8) | ((DWORD)m_data[m_at + 2] << 16) |
                  ((DWORD)m_data[m_at + 3] << 24);
        m_at += 4;
        return v;
    }
    void Skip(size_t n)
    {
        if (!Has(n))
            m_ok = 0;
        else
            m_at += n;
    }
    void String(int unicode, char* out, size_t size)
    {
        unsigned n = U16();
        size_t used = 0;
        for (unsigned i = 0; i < n && m_ok; i++) {
            int c = unicode ? KvWideToAnsi((WCHAR)U16()) : (Has(1) ? m_data[m_at++] : (m_ok = 0));
            if (!c && unicode)
                c = '?';
            if (used + 1 < size)
                out[used++] = (char)c;
        }
        out[used] = 0;
    }
    // A NUL-terminated ANSI string at an offset inside [start, end).
    int CString(size_t start, size_t end, char* out, size_t size, size_t* used)
    {
        if (start >= end || end > m_size)
            return 0;
        const unsigned char* p = m_data + start;
        const void* nul = memchr(p, 0, end - start);
        if (!nul)
            return 0;
        size_t n = (size_t)((const unsigned char*)nul - p);
        if (*used + n + 1 > size)
            n = size - *used - 1;
        memcpy(out + *used, p, n);
        *used += n;
        out[*used] = 0;
        return 1;
    }
    size_t At() const { return m_at; }
    int Ok() const { return m_ok; }
    void Fail() { m_ok = 0; }

private:
    const unsigned char* m_data;
    size_t m_size;
    size_t m_at;
    int m_ok;
};

} // namespace

size_t KvEncodeLink(const KvLinkData* link, unsigned char* out, size_t size)
{
    DWORD flags = kIsUnicode;
    if (link->target[0])
        flags |= kHasLinkInfo;
    if (link->description[0])
        flags |= kHasName;
    if (link->workingDirectory[0])
        flags |= kHasWorkingDir;
    if (link->arguments[0])
        flags |= kHasArguments;
    if (link->iconLocation[0])
        flags |= kHasIconLocation;

    CWriter w(out, size);
    w.U32(kHeaderSize);
    w.Bytes(kLinkClsid, sizeof kLinkClsid);
    w.U32(flags);
    w.U32(link->attributes);
    w.Time(link->creation);
    w.Time(link->access);
    w.Time(link->write);
    w.U32(link->size);
    w.U32((DWORD)link->iconIndex);
    w.U32((DWORD)link->showCommand);
    w.U16(link->hotkey);
    w.U16(0);
    w.U32(0);
    w.U32(0);

    if (flags & kHasLinkInfo) {
        // LinkInfo: header, a fixed-drive VolumeID with an empty label, the
        // local base path and an empty common path suffix.
        DWORD headerSize = 0x1C;
        DWORD volumeSize = 0x11;
        DWORD pathLength = (DWORD)strlen(link->target) + 1;
        DWORD volumeOffset = headerSize;
        DWORD pathOffset = volumeOffset + volumeSize;
        DWORD suffixOffset = pathOffset + pathLength;
        DWORD total = suffixOffset + 1;
        w.U32(total);
        w.U32(headerSize);
        w.U32(kVolumeIdAndLocalBasePath);
        w.U32(volumeOffset);
        w.U32(pathOffset);
        w.U32(0);
        w.U32(suffixOffset);
        w.U32(volumeSize);
        w.U32(kDriveFixed);
        w.U32(0);
        w.U32(0x10);
        w.Bytes("", 1);
        w.Bytes(link->target, pathLength);
        w.Bytes("", 1);
    }
    if (flags & kHasName)
        w.String(link->description);
    if (flags & kHasWorkingDir)
        w.String(link->workingDirectory);
    if (flags & kHasArguments)
        w.String(link->arguments);
    if (flags & kHasIconLocation)
        w.String(link->iconLocation);
    w.U32(0); // terminal block
    return w.Ok() ? w.Used() : 0;
}

int KvDecodeLink(const unsigned char* data, size_t size, KvLinkData* link)
{
    memset(link, 0, sizeof *link);
    CReader r(data, size);
    if (r.U32() != kHeaderSize || !r.Has(16) || memcmp(data + 4, kLinkClsid, 16) != 0)
        return 0;
    r.Skip(16);
    DWORD flags = r.U32();
    link->attributes = r.U32();
    link->creation.dwLowDateTime = r.U32();
    link->creation.dwHighDateTime = r.U32();
    link->access.dwLowDateTime = r.U32();
    link->access.dwHighDateTime = r.U32();
    link->write.dwLowDateTime = r.U32();
    link->write.dwHighDateTime = r.U32();
    link->size = r.U32();
    link->iconIndex = (int)r.U32();
    link->showCommand = (int)r.U32();
    link->hotkey = (WORD)r.U16();
    r.Skip(10);
    if (flags & kHasIdList)
        r.Skip(r.U16());
    if (flags & kHasLinkInfo) {
        size_t start = r.At();
        DWORD total = r.U32();
        DWORD headerSize = r.U32();
        DWORD infoFlags = r.U32();
        r.U32(); // VolumeID offset
        DWORD pathOffset = r.U32();
        r.U32(); // network link offset
        DWORD suffixOffset = r.U32();
        if (!r.Ok() || total < headerSize || headerSize < 0x1C || start + total > size)
            return 0;
        if (infoFlags & kVolumeIdAndLocalBasePath) {
            size_t used = 0;
            if (!r.CString(start + pathOffset, start + total, link->target, sizeof link->target, &used) ||
                !r.CString(start + suffixOffset, start + total, link->target, sizeof link->target, &used))
                return 0;
        }
        r.Skip(total - (r.At() - start));
    }
    int unicode = (flags & kIsUnicode) != 0;
    char relative[KV_LINK_TEXT_MAX];
    if (flags & kHasName)
        r.String(unicode, link->description, sizeof link->description);
    if (flags & kHasRelativePath)
        r.String(unicode, relative, sizeof relative);
    if (flags & kHasWorkingDir)
        r.String(unicode, link->workingDirectory, sizeof link->workingDirectory);
    if (flags & kHasArguments)
        r.String(unicode, link->arguments, sizeof link->arguments);
    if (flags & kHasIconLocation)
        r.String(unicode, link->iconLocation, sizeof link->iconLocation);
    // Extra data blocks up to the terminal block.
    for (;;) {
        DWORD blockSize = r.U32();
        if (!r.Ok())
            return 0;
        if (blockSize < 4)
            break;
        r.Skip(blockSize - 4);
    }
    return r.Ok();
}
