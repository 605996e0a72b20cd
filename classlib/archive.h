// CFile and CArchive. CArchive writes scalars, strings and string arrays to a
// CFile in a fixed little-endian layout and reads them back; it keeps no
// buffer, every operator goes straight to the file.
//
// Strings: one length byte, or 0xFF and a 2-byte length from 255 characters
// on, then the characters without NUL. Arrays: a 4-byte count, then each
// string.
#ifndef KV_CLASSLIB_ARCHIVE_H
#define KV_CLASSLIB_ARCHIVE_H

#include <stdio.h>

#include "arrays.h"
#include "object.h"
#include "strings.h"

// A file over the standard file streams, always in binary mode.
class CFile : public CObject
{
public:
    enum { modeRead = 0, modeWrite = 1 };

    CFile() : m_pStream(0) {}
    virtual ~CFile() { Close(); }

    virtual unsigned Read(void* buffer, unsigned count);
    virtual void Write(void* buffer, unsigned count);
    virtual void Close();

    // Opens path for reading, or creates/truncates it for writing. 1/0.
    int Open(const char* path, unsigned mode);
    int IsOpen() { return m_pStream != 0; }

private:
    FILE* m_pStream;
};

class CArchive
{
public:
    enum { store = 0, load = 1 };

    CArchive(CFile* file, unsigned mode, int bufferSize = 0, void* buffer = 0);
    ~CArchive() {}

    int IsLoading() { return m_nMode == 1; }
    int IsStoring() { return m_nMode == 0; }
    int IsBufferEmpty() { return 0; }
    CFile* GetFile() { return m_pFile; }

    unsigned Read(void* buffer, unsigned count) { return m_pFile->Read(buffer, count); }
    void Write(void* buffer, unsigned count) { m_pFile->Write(buffer, count); }
    void Flush() {}
    void Abort() {}
    void Close() { m_pFile->Close(); }

    CArchive& operator<<(unsigned char value);
    CArchive& operator<<(unsigned short value);
    CArchive& operator<<(long value);
    CArchive& operator<<(unsigned long value);
    CArchive& operator<<(float value);
    CArchive& operator<<(double value);
    CArchive& operator<<(int value);

    CArchive& operator>>(unsigned char& value);
    CArchive& operator>>(unsigned short& value);
    CArchive& operator>>(long& value);
    CArchive& operator>>(unsigned long& value);
    CArchive& operator>>(float& value);
    CArchive& operator>>(double& value);
    CArchive& operator>>(int& value);

private:
    void WriteLE(unsigned long long value, int bytes);
    unsigned long long ReadLE(int bytes);

    unsigned m_nMode;
    CFile* m_pFile;
};

CArchive& operator<<(CArchive& ar, CString& s);
CArchive& operator>>(CArchive& ar, CString& s);
CArchive& operator<<(CArchive& ar, CStringArray& a);
CArchive& operator>>(CArchive& ar, CStringArray& a);

#endif
