// Test fixtures: packages built byte by byte, as a producer writes them, and
// small file helpers that go through the same file calls as the engine.
#ifndef KV_TESTS_PACKAGE_BUILDER_H
#define KV_TESTS_PACKAGE_BUILDER_H

#include <windows.h>

#include <stdio.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "package/crc.h"

// A record (or whole package) written field by field, with the running
// checksum a well-formed record stores at its end.
struct PackageBuilder {
    std::string bytes;
    unsigned long crc = 0xFFAABBCCUL;

    PackageBuilder& Raw(unsigned long v)
    {
        for (int i = 0; i < 4; ++i)
            bytes += (char)((v >> (8 * i)) & 0xFF);
        return *this;
    }
    PackageBuilder& Int(long v)
    {
        size_t at = bytes.size();
        Raw((unsigned long)v);
        crc = BufferCrc32(bytes.data() + at, 4, crc);
        return *this;
    }
    PackageBuilder& Str(const std::string& s)
    {
        Raw((unsigned long)s.size());
        bytes += s;
        bytes += '\0';
        crc = BufferCrc32(s.data(), (int)s.size(), crc);
        return *this;
    }
    PackageBuilder& Checksum() { return Raw(crc); }
    PackageBuilder& Bytes(const std::string& s)
    {
        bytes += s;
        return *this;
    }
    // A compressed file entry holding data, stamped with a DOS date and time.
    PackageBuilder& Entry(const std::string& data, unsigned date, unsigned time)
    {
        return RawEntry(Compress(data), date, time);
    }
    PackageBuilder& RawEntry(const std::string& stream, unsigned date, unsigned time)
    {
        Raw((unsigned long)stream.size());
        bytes += (char)(date & 0xFF);
        bytes += (char)(date >> 8);
        bytes += (char)(time & 0xFF);
        bytes += (char)(time >> 8);
        bytes += stream;
        return *this;
    }

    static std::string Compress(const std::string& data)
    {
        uLongf size = compressBound((uLong)data.size());
        std::string out(size, '\0');
        compress2((Bytef*)&out[0], &size, (const Bytef*)data.data(), (uLong)data.size(), 9);
        out.resize(size);
        return out;
    }
};

// The record every test starts from: product name, version and main
// directory as given, the given file and object records, nothing else.
inline PackageBuilder& RecordHead(PackageBuilder& b, const std::string& product,
                                  const std::string& mainDir = "")
{
    return b.Int(100).Str(product).Str("1").Str("").Str("").Int(0).Str("").Int(0).Str("").Str(mainDir);
}

inline PackageBuilder& RecordTail(PackageBuilder& b, int uninstaller = 0)
{
    b.Int(uninstaller).Int(0).Int(0);
    b.Str("").Str("").Str("").Str("").Int(0).Str("").Str("").Str("").Str("").Int(0);
    return b.Checksum();
}

// A record with no files and no objects.
inline std::string MinimalRecord(const std::string& product)
{
    PackageBuilder b;
    RecordHead(b, product).Int(0).Int(0);
    return RecordTail(b).bytes;
}

inline void WriteBytes(const std::string& path, const std::string& data)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (f) {
        fwrite(data.data(), 1, data.size(), f);
        fclose(f);
    }
}

// The file's bytes, or "<missing>".
inline std::string ReadBytes(const std::string& path)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return "<missing>";
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
        out.append(buffer, n);
    fclose(f);
    return out;
}

inline bool FileExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool FolderExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Gives a file a last-write time from a local DOS date and time.
inline bool StampFile(const std::string& path, WORD date, WORD time)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FILETIME local, utc;
    bool ok = DosDateTimeToFileTime(date, time, &local) && LocalFileTimeToFileTime(&local, &utc) &&
              SetFileTime(h, 0, &utc, &utc);
    CloseHandle(h);
    return ok;
}

// A file's last-write time as a local DOS date and time (0, 0: no file).
inline void FileStamp(const std::string& path, WORD* date, WORD* time)
{
    *date = *time = 0;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, 0);
    if (h == INVALID_HANDLE_VALUE)
        return;
    FILETIME utc, local;
    if (GetFileTime(h, 0, 0, &utc) && FileTimeToLocalFileTime(&utc, &local))
        FileTimeToDosDateTime(&local, date, time);
    CloseHandle(h);
}

// A DOS date and time from their parts.
inline WORD DosDate(int year, int month, int day)
{
    return (WORD)(((year - 1980) << 9) | (month << 5) | day);
}
inline WORD DosTime(int hour, int minute, int second)
{
    return (WORD)((hour << 11) | (minute << 5) | (second / 2));
}

#endif
