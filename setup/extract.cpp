// File extraction: one compressed entry of the package to its target, with
// the entry's replace mode and time stamp, and the stored uninstaller image.
#include <windows.h>

#include "engine.h"

#include <string.h>
#include <zlib.h>

// The existing target's last-write time as a local DOS date and time.
// 0 when there is no such file.
static int ReadTargetTime(const char* path, WORD* date, WORD* time)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    FILETIME written, local;
    *date = 0;
    *time = 0;
    if (GetFileTime(file, 0, 0, &written) && FileTimeToLocalFileTime(&written, &local))
        FileTimeToDosDateTime(&local, date, time);
    CloseHandle(file);
    return 1;
}

// Dates decide first; only equal dates leave it to the times.
static int CompareDosTimes(WORD date1, WORD time1, WORD date2, WORD time2)
{
    if (date1 != date2)
        return date1 < date2 ? -1 : 1;
    if (time1 != time2)
        return time1 < time2 ? -1 : 1;
    return 0;
}

static unsigned long ReadLength(CPackageStream* stream)
{
    unsigned char bytes[4];
    stream->Read(bytes, 4);
    return bytes[0] | (bytes[1] << 8) | ((unsigned long)bytes[2] << 16) |
           ((unsigned long)bytes[3] << 24);
}

static int WriteAll(HANDLE file, const void* data, DWORD n)
{
    DWORD written = 0;
    return n == 0 || (WriteFile(file, data, n, &written, 0) && written == n);
}

int CInstallEngine::CopyCompressedFile(char* entry)
{
    unsigned char header[8];
    m_package.Read(header, 8);
    unsigned long length = header[0] | (header[1] << 8) | ((unsigned long)header[2] << 16) |
                           ((unsigned long)header[3] << 24);
    WORD entryDate = (WORD)(header[4] | (header[5] << 8));
    WORD entryTime = (WORD)(header[6] | (header[7] << 8));
    char mode = entry[1];
    char* target = entry + 2;
    int suppress = 0;
    int empty = length == 0;  // an entry without data stands for an empty file

    WORD date = 0, time = 0;
    if (mode != '0' && ReadTargetTime(target, &date, &time)) {
        int order = CompareDosTimes(date, time, entryDate, entryTime);
        if ((mode == '1' && order >= 0) || (mode == '2' && order > 0)) {
            m_package.Skip(length);
            return 1;
        }
        if (mode == '1' || mode == '2')
            suppress = 1;
        if (mode == '3') {
            // The backup name: the path up to its first '.', and ".bak".
            char backup[KV_LOG_LINE];
            if (strlen(target) + 5 > sizeof(backup)) {
                m_package.Skip(length);
                return 0;
            }
            strcpy(backup, target);
            char* dot = strchr(backup, '.');
            if (dot)
                *dot = 0;
            strcat(backup, ".bak");
            // An existing file that cannot be backed up, or whose backup
            // cannot be logged for the uninstaller, stays as it is.
            char line[KV_LOG_LINE];
            int n = snprintf(line, sizeof(line), "Rename \"%s\" \"%s\"", target, backup);
            if (n < 0 || n >= (int)sizeof(line)) {
                m_package.Skip(length);
                return 0;
            }
            DeleteFileA(backup);
            if (!MoveFileA(target, backup)) {
                m_package.Skip(length);
                return 0;
            }
            m_logList.Add(line);
        }
    }

    BuildPath(target);
    HANDLE file = CreateFileA(target, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    int sound = 0;
    if (file != INVALID_HANDLE_VALUE) {
        z_stream zs;
        memset(&zs, 0, sizeof(zs));
        inflateInit_(&zs, "1.1.2", (int)sizeof(z_stream));
        unsigned char input[512];
        unsigned char output[512];
        int result = Z_OK;
        int written = 1;
        while (length > 0) {
            unsigned n = length < 512 ? (unsigned)length : 512;
            unsigned got = m_package.Read(input, n);
            length -= n;
            if (got == 0)
                break;
            zs.next_in = input;
            zs.avail_in = got;
            // A stream that has ended, or is damaged, consumes no more; the
            // rest of the entry is still read so that the next one is found.
            while (result == Z_OK && zs.avail_in > 0) {
                zs.next_out = output;
                zs.avail_out = sizeof(output);
                result = inflate(&zs, Z_FULL_FLUSH);
                if (!WriteAll(file, output, (DWORD)(sizeof(output) - zs.avail_out)))
                    written = 0;
            }
            if (zs.avail_in > 0)
                result = Z_DATA_ERROR;  // bytes after the end of the stream
        }
        inflateEnd(&zs);
        sound = (result == Z_STREAM_END || empty) && written && !m_package.Failed();

        FILETIME local, stamp;
        if (DosDateTimeToFileTime(entryDate, entryTime, &local) &&
            LocalFileTimeToFileTime(&local, &stamp))
            SetFileTime(file, 0, &stamp, &stamp);
        CloseHandle(file);
    } else {
        m_package.Skip(length);
    }
    if (!suppress)
        AppendLog("CopyFile %s", target);
    return sound;
}

void CInstallEngine::SkipCompressedFile()
{
    unsigned long length = ReadLength(&m_package);
    unsigned char stamp[4];
    m_package.Read(stamp, 4);
    m_package.Skip(length);
}

int CInstallEngine::CopyFileA(char* path)
{
    BuildPath(path);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    unsigned long length = ReadLength(&m_package);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int ok = !m_package.Failed();
    char buffer[2048];
    while (length > 0) {
        unsigned n = length < sizeof(buffer) ? (unsigned)length : (unsigned)sizeof(buffer);
        unsigned got = m_package.Read(buffer, n);
        if (!WriteAll(file, buffer, got))
            ok = 0;
        if (got < n) {
            ok = 0;
            break;
        }
        length -= n;
    }
    CloseHandle(file);
    return ok;
}
