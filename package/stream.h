// CPackageStream: the one open package, read strictly forward. Readers use
// two operations only: read the next n bytes and skip the next n bytes.
//
// The package is found in "install.1" in the current directory, or else at
// the end of the setup program's own file, whose last 4 bytes give the
// offset of the project record. A short read marks the stream as failed;
// from then on every read yields zero bytes, so no reader runs past the
// data it was given.
#ifndef KV_PACKAGE_STREAM_H
#define KV_PACKAGE_STREAM_H

#include <stdio.h>

#include "classlib/strings.h"

class CPackageStream
{
public:
    CPackageStream();
    virtual ~CPackageStream();

    // Finds and opens the package: "install.1" first, then the program's
    // own file, named by the module path (the program path without ".exe")
    // with ".exe" appended; if that name does not exist, the module path
    // itself. 1 when a package stands ready at its project record; 0 with
    // GetErrorText() telling the user what is missing.
    int Open(const char* modulePath);

    // Opens one file: a bare package, or a program with a package appended.
    int OpenPackageFile(const char* path);

    void Close();
    int IsOpen() { return m_pFile != 0; }

    // Reads n bytes; returns how many arrived. Fewer than n marks the
    // stream failed and clears the rest of the buffer.
    unsigned Read(void* buffer, unsigned n);
    // Passes over n bytes without reading them.
    int Skip(unsigned long n);

    int Failed() { return m_bFailed; }
    void SetFailed() { m_bFailed = 1; }
    // Offset of the next byte from the start of the package.
    unsigned long GetPosition() { return m_nPosition; }
    const char* GetErrorText() { return m_message.GetBuffer(0); }

private:
    CPackageStream(const CPackageStream&);
    int IsExecutable(const unsigned char* signature);

    FILE* m_pFile;
    int m_bFailed;
    unsigned long m_nPosition;
    CString m_message;
};

#endif
