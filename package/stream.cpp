// Finding the package and reading it forward.
#include <windows.h>

#include "stream.h"

#include <new>
#include <string.h>

CPackageStream::CPackageStream() : m_pFile(0), m_bFailed(0), m_nPosition(0)
{
}

CPackageStream::~CPackageStream()
{
    Close();
}

void CPackageStream::Close()
{
    if (m_pFile)
        fclose(m_pFile);
    m_pFile = 0;
}

// Windows programs begin with "MZ"; the programs of the native build are ELF
// files, which begin with 0x7F 'E'. A bare package begins with its format
// value 100, which is neither.
int CPackageStream::IsExecutable(const unsigned char* signature)
{
    return (signature[0] == 'M' && signature[1] == 'Z') ||
           (signature[0] == 0x7F && signature[1] == 'E');
}

int CPackageStream::OpenPackageFile(const char* path)
{
    Close();
    m_bFailed = 0;
    m_nPosition = 0;
    m_pFile = fopen(path, "rb");
    if (!m_pFile)
        return 0;
    // Entries are fed to the decompressor in small pieces; a large stream
    // buffer keeps that from turning into one system call per piece.
    setvbuf(m_pFile, 0, _IOFBF, 64 * 1024);

    unsigned char signature[2] = {0, 0};
    size_t got = fread(signature, 1, 2, m_pFile);
    if (got == 2 && IsExecutable(signature)) {
        // The last 4 bytes hold the offset of the project record.
        unsigned char tail[4];
        if (fseek(m_pFile, 0, SEEK_END) != 0)
            return 0;
        long total = ftell(m_pFile);
        if (total < 6 || fseek(m_pFile, total - 4, SEEK_SET) != 0 ||
            fread(tail, 1, 4, m_pFile) != 4) {
            Close();
            return 0;
        }
        unsigned long start = tail[0] | (tail[1] << 8) | ((unsigned long)tail[2] << 16) |
                              ((unsigned long)tail[3] << 24);
        // An offset outside the file means the program carries no package.
        if (start < 2 || start > (unsigned long)(total - 4) ||
            fseek(m_pFile, (long)start, SEEK_SET) != 0) {
            Close();
            return 0;
        }
        return 1;
    }
    if (fseek(m_pFile, 0, SEEK_SET) != 0) {
        Close();
        return 0;
    }
    return 1;
}

int CPackageStream::Open(const char* modulePath)
{
    char text[512];
    if (OpenPackageFile("install.1"))
        return 1;
    if (modulePath && strlen(modulePath) + 5 <= sizeof(text)) {
        strcpy(text, modulePath);
        strcat(text, ".exe");
        if (OpenPackageFile(text))
            return 1;
        // A program whose name does not end in ".exe" keeps its whole name.
        if (OpenPackageFile(modulePath))
            return 1;
    }
    snprintf(text, sizeof(text),
             "The installation data cannot be found. It must be part of this setup "
             "program or lie beside it as install.1 in the current directory.\n\n%s.exe",
             modulePath ? modulePath : "");
    m_message.CopyFrom(text);
    return 0;
}

unsigned CPackageStream::Read(void* buffer, unsigned n)
{
    size_t got = 0;
    if (m_pFile && !m_bFailed)
        got = fread(buffer, 1, n, m_pFile);
    if (got < n) {
        memset((char*)buffer + got, 0, n - got);
        m_bFailed = 1;
    }
    m_nPosition += (unsigned long)got;
    return (unsigned)got;
}

int CPackageStream::Skip(unsigned long n)
{
    if (!m_pFile || m_bFailed)
        return 0;
    m_nPosition += n;
    while (n > 0) {
        unsigned long step = n > 0x40000000UL ? 0x40000000UL : n;
        if (fseek(m_pFile, (long)step, SEEK_CUR) != 0) {
            m_bFailed = 1;
            return 0;
        }
        n -= step;
    }
    return 1;
}
