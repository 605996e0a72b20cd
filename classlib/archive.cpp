// The archive's byte layout, independent of the host's sizes and byte order:
// every number is written byte by byte, least significant first, so long is
// 4 bytes on every host.
#include "archive.h"

#include <new>
#include <string.h>

unsigned CFile::Read(void* buffer, unsigned count)
{
    if (!m_pStream || count == 0)
        return 0;
    return (unsigned)fread(buffer, 1, count, m_pStream);
}

void CFile::Write(void* buffer, unsigned count)
{
    if (m_pStream && count)
        fwrite(buffer, 1, count, m_pStream);
}

void CFile::Close()
{
    if (m_pStream) {
        fclose(m_pStream);
        m_pStream = 0;
    }
}

int CFile::Open(const char* path, unsigned mode)
{
    Close();
    m_pStream = fopen(path, mode == modeWrite ? "wb" : "rb");
    return m_pStream != 0;
}

CArchive::CArchive(CFile* file, unsigned mode, int, void*) : m_nMode(mode), m_pFile(file)
{
}

void CArchive::WriteLE(unsigned long long value, int bytes)
{
    unsigned char b[8];
    for (int i = 0; i < bytes; ++i)
        b[i] = (unsigned char)(value >> (8 * i));
    m_pFile->Write(b, (unsigned)bytes);
}

// Bytes the file did not deliver read as zero.
unsigned long long CArchive::ReadLE(int bytes)
{
    unsigned char b[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    m_pFile->Read(b, (unsigned)bytes);
    unsigned long long v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | b[i];
    return v;
}

CArchive& CArchive::operator<<(unsigned char value) { WriteLE(value, 1); return *this; }
CArchive& CArchive::operator<<(unsigned short value) { WriteLE(value, 2); return *this; }
CArchive& CArchive::operator<<(long value) { WriteLE((unsigned long long)(unsigned int)value, 4); return *this; }
CArchive& CArchive::operator<<(unsigned long value) { WriteLE((unsigned int)value, 4); return *this; }
CArchive& CArchive::operator<<(int value) { WriteLE((unsigned int)value, 4); return *this; }

CArchive& CArchive::operator<<(float value)
{
    unsigned int bits;
    memcpy(&bits, &value, 4);
    WriteLE(bits, 4);
    return *this;
}

CArchive& CArchive::operator<<(double value)
{
    unsigned long long bits;
    memcpy(&bits, &value, 8);
    WriteLE(bits, 8);
    return *this;
}

CArchive& CArchive::operator>>(unsigned char& value) { value = (unsigned char)ReadLE(1); return *this; }
CArchive& CArchive::operator>>(unsigned short& value) { value = (unsigned short)ReadLE(2); return *this; }
CArchive& CArchive::operator>>(long& value) { value = (long)(int)(unsigned int)ReadLE(4); return *this; }
CArchive& CArchive::operator>>(unsigned long& value) { value = (unsigned long)(unsigned int)ReadLE(4); return *this; }
CArchive& CArchive::operator>>(int& value) { value = (int)(unsigned int)ReadLE(4); return *this; }

CArchive& CArchive::operator>>(float& value)
{
    unsigned int bits = (unsigned int)ReadLE(4);
    memcpy(&value, &bits, 4);
    return *this;
}

CArchive& CArchive::operator>>(double& value)
{
    unsigned long long bits = ReadLE(8);
    memcpy(&value, &bits, 8);
    return *this;
}

// The 2-byte length cannot describe 65536 characters or more; such a string
// is stored as its first 65535 characters so that the stream stays readable.
CArchive& operator<<(CArchive& ar, CString& s)
{
    unsigned n = (unsigned)s.GetLength();
    if (n > 0xFFFF)
        n = 0xFFFF;
    if (n < 255) {
        ar << (unsigned char)n;
    } else {
        ar << (unsigned char)0xFF;
        ar << (unsigned short)n;
    }
    if (n)
        ar.Write(s.GetBuffer(0), n);
    return ar;
}

// The characters are read straight into a new exact buffer. A short read
// keeps only what the file delivered; when the buffer cannot be had, the
// characters are still consumed so that the stream stays in step.
// 0 when the file did not even deliver the length byte.
static int LoadString(CArchive& ar, CString& s)
{
    s.Empty();
    unsigned char b = 0;
    if (ar.Read(&b, 1) != 1)
        return 0;
    unsigned n = b;
    if (b == 0xFF) {
        unsigned short w = 0;
        ar >> w;
        n = w;
    }
    if (n == 0)
        return 1;
    char* block = new (std::nothrow) char[n];
    if (!block) {
        char skip[256];
        while (n) {
            unsigned part = n < sizeof(skip) ? n : (unsigned)sizeof(skip);
            if (ar.Read(skip, part) != part)
                break;
            n -= part;
        }
        return 1;
    }
    unsigned got = ar.Read(block, n);
    if (got > n)
        got = n;
    s.AssignExact(block, (int)got);
    delete[] block;
    return 1;
}

CArchive& operator>>(CArchive& ar, CString& s)
{
    LoadString(ar, s);
    return ar;
}

CArchive& operator<<(CArchive& ar, CStringArray& a)
{
    ar << (int)a.GetSize();
    for (int i = 0; i < a.GetSize(); ++i)
        ar << a[i];
    return ar;
}

CArchive& operator>>(CArchive& ar, CStringArray& a)
{
    int count = 0;
    ar >> count;
    a.RemoveAll();
    CString item;
    // A damaged count must not fill memory with empty strings once the
    // file has run dry.
    for (int i = 0; i < count; ++i) {
        if (!LoadString(ar, item))
            break;
        a.Add(item);
    }
    return ar;
}
