// kvpack list: prints what a package (or a setup with its package) holds and
// checks it: the record checksum, every zlib stream, and that the file ends
// where the layout says.
#include "package.h"

#include <stdio.h>
#include <string.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "package/crc.h"

namespace fs = std::filesystem;

namespace kvpack {

namespace {

// The first damaged item: what it is and where it starts.
struct Damage {
    std::string item;
    unsigned long long offset;
    std::string problem;
};

struct Cursor {
    const unsigned char* data;
    size_t size;  // end of the package
    size_t at;
    size_t base;  // file offset of the package start
    unsigned long crc = 0xFFAABBCCUL;

    unsigned long long Where() const { return base + at; }

    [[noreturn]] void Fail(const std::string& item, size_t start, const std::string& problem) const
    {
        throw Damage{item, (unsigned long long)(base + start), problem};
    }

    unsigned long Raw(const std::string& item)
    {
        if (size - at < 4)
            Fail(item, at, "the package ends inside it");
        const unsigned char* b = data + at;
        at += 4;
        return b[0] | (b[1] << 8) | ((unsigned long)b[2] << 16) | ((unsigned long)b[3] << 24);
    }
    long Int(const std::string& item)
    {
        size_t start = at;
        unsigned long v = Raw(item);
        crc = BufferCrc32((const char*)data + start, 4, crc);
        return (long)(int)(unsigned)v;
    }
    std::string Str(const std::string& item, size_t limit = 511)
    {
        size_t start = at;
        unsigned long n = Raw(item);
        if (n > limit)
            Fail(item, start, "string length " + std::to_string(n) + " exceeds the reader's " +
                                  std::to_string(limit) + " characters");
        if (size - at < n + 1)
            Fail(item, start, "the package ends inside it");
        std::string s((const char*)data + at, n);
        if (data[at + n] != 0)
            Fail(item, start, "the string is not followed by its NUL");
        if (s.find('\0') != std::string::npos)
            Fail(item, start, "the string holds a NUL character");
        at += n + 1;
        crc = BufferCrc32(s.data(), (int)s.size(), crc);
        return s;
    }
};

std::string Quote(const std::string& s)
{
    return "\"" + s + "\"";
}

std::string DosText(unsigned date, unsigned time)
{
    char text[32];
    snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (date >> 9),
             (date >> 5) & 15, date & 31, time >> 11, (time >> 5) & 63, (time & 31) * 2);
    return text;
}

// Inflates one entry's stream to its end; the inflated size, or Damage.
unsigned long long CheckStream(const Cursor& c, size_t start, size_t length, const std::string& item)
{
    z_stream zs;
    memset(&zs, 0, sizeof(zs));
    if (inflateInit(&zs) != Z_OK)
        c.Fail(item, start, "zlib cannot start");
    zs.next_in = (Bytef*)(c.data + c.at);
    zs.avail_in = 0;
    size_t left = length;
    unsigned char out[65536];
    unsigned long long total = 0;
    int result = Z_OK;
    while (result == Z_OK) {
        if (zs.avail_in == 0 && left > 0) {
            size_t n = left > (1u << 30) ? (1u << 30) : left;
            zs.avail_in = (uInt)n;
            left -= n;
        }
        zs.next_out = out;
        zs.avail_out = sizeof(out);
        result = inflate(&zs, Z_NO_FLUSH);
        total += sizeof(out) - zs.avail_out;
        if (result == Z_BUF_ERROR && zs.avail_in == 0 && left == 0)
            break;
    }
    size_t unused = zs.avail_in + left;
    inflateEnd(&zs);
    if (result == Z_DATA_ERROR)
        c.Fail(item, start, std::string("damaged zlib stream (") + (zs.msg ? zs.msg : "data error") + ")");
    if (result != Z_STREAM_END)
        c.Fail(item, start, "the zlib stream is cut short");
    if (unused > 0)
        c.Fail(item, start, std::to_string(unused) + " bytes follow the end of the zlib stream");
    return total;
}

void Walk(Cursor& c)
{
    const char* fieldNames[] = {"",
        "format value", "product name", "version", "company", "copyright",
        "readme flag", "readme source", "licence flag", "licence source",
        "default main directory", "file count", "file records", "object count",
        "object records", "uninstaller flag", "password flag", "password checksum",
        "spare text 1", "spare text 2", "spare text 3", "spare text 4", "spare count",
        "spare strings", "spare text 5", "spare text 6", "end run command",
        "start run command", "reserved", "record checksum"};
    auto F = [&](int n) { return "record field " + std::to_string(n) + " (" + fieldNames[n] + ")"; };
    auto showInt = [&](int n, long v) { printf("%2d %-22s %ld\n", n, fieldNames[n], v); };
    auto showStr = [&](int n, const std::string& v) {
        printf("%2d %-22s %s\n", n, fieldNames[n], Quote(v).c_str());
    };

    printf("project record\n");
    showInt(1, c.Int(F(1)));
    for (int n = 2; n <= 5; ++n)
        showStr(n, c.Str(F(n)));
    long readme = c.Int(F(6));
    showInt(6, readme);
    showStr(7, c.Str(F(7)));
    long licence = c.Int(F(8));
    showInt(8, licence);
    showStr(9, c.Str(F(9)));
    showStr(10, c.Str(F(10)));
    long files = c.Int(F(11));
    showInt(11, files);
    if (files < 0)
        c.Fail(F(11), c.at - 4, "negative count");
    std::vector<std::string> targets;
    std::vector<long> kinds;
    for (long i = 0; i < files; ++i) {
        std::string item = "file record " + std::to_string(i);
        long kind = c.Int(item);
        std::string target = c.Str(item);
        long mode = -1;
        if (kind == 1)
            mode = c.Int(item);
        kinds.push_back(kind);
        targets.push_back(target);
        static const char* modes[] = {"always", "newer", "unless-newer", "backup"};
        printf("   file %-4ld %-6s %-12s %s\n", i,
               kind == 1 ? "file" : kind == 0 ? "folder" : "other",
               kind != 1 ? "" : (mode >= 0 && mode <= 3) ? modes[mode] : "mode?",
               Quote(target).c_str());
    }
    long objects = c.Int(F(13));
    showInt(13, objects);
    if (objects < 0)
        c.Fail(F(13), c.at - 4, "negative count");
    for (long i = 0; i < objects; ++i) {
        std::string item = "object record " + std::to_string(i);
        long kind = c.Int(item);
        if (kind == 4) {
            std::string parent = c.Str(item, 502), title = c.Str(item), id = c.Str(item, 502);
            printf("   object %-3ld folder  id=%s parent=%s title=%s\n", i, Quote(id).c_str(),
                   Quote(parent).c_str(), Quote(title).c_str());
        } else if (kind == 5) {
            std::string parent = c.Str(item, 502), title = c.Str(item);
            c.Str(item);
            std::string target = c.Str(item), args = c.Str(item), dir = c.Str(item);
            c.Str(item);
            c.Str(item);
            printf("   object %-3ld program parent=%s title=%s target=%s arguments=%s workdir=%s\n",
                   i, Quote(parent).c_str(), Quote(title).c_str(), Quote(target).c_str(),
                   Quote(args).c_str(), Quote(dir).c_str());
        } else if (kind == 2 || kind == 3) {
            for (int k = kind == 2 ? 3 : 8; k > 0; --k)
                c.Str(item);
            printf("   object %-3ld kind %ld (not installed)\n", i, kind);
        } else {
            printf("   object %-3ld kind %ld (ignored)\n", i, kind);
        }
    }
    long uninstaller = c.Int(F(15));
    showInt(15, uninstaller);
    showInt(16, c.Int(F(16)));
    long password = c.Int(F(17));
    printf("%2d %-22s 0x%08lX\n", 17, fieldNames[17], (unsigned long)password & 0xFFFFFFFFUL);
    for (int n = 18; n <= 21; ++n)
        showStr(n, c.Str(F(n)));
    long spares = c.Int(F(22));
    showInt(22, spares);
    if (spares < 0)
        c.Fail(F(22), c.at - 4, "negative count");
    for (long i = 0; i < spares; ++i)
        printf("   spare %-3ld %s\n", i, Quote(c.Str("spare string " + std::to_string(i))).c_str());
    for (int n = 24; n <= 27; ++n)
        showStr(n, c.Str(F(n)));
    showInt(28, c.Int(F(28)));
    unsigned long running = c.crc;
    size_t checksumAt = c.at;
    unsigned long stored = c.Raw(F(29));
    printf("%2d %-22s 0x%08lX\n", 29, fieldNames[29], stored);
    if (stored != running) {
        char text[96];
        snprintf(text, sizeof(text), "stored 0x%08lX, the record sums to 0x%08lX", stored, running);
        c.Fail(F(29), checksumAt, text);
    }
    printf("record: %zu bytes, checksum sound\n", c.at);

    for (int block = 0; block < 2; ++block) {
        if ((block == 0 ? readme : licence) != 1)
            continue;
        std::string item = block == 0 ? "readme text block" : "licence text block";
        size_t start = c.at;
        unsigned long n = c.Raw(item);
        if (c.size - c.at < n)
            c.Fail(item, start, "the package ends inside it");
        c.at += n;
        printf("%s: %lu bytes\n", item.c_str(), n);
    }

    long entry = 0;
    for (size_t i = 0; i < kinds.size(); ++i) {
        if (kinds[i] != 1)
            continue;
        std::string item = "entry " + std::to_string(entry) + " (" + targets[i] + ")";
        size_t start = c.at;
        unsigned long length = c.Raw(item);
        if (c.size - c.at < 4)
            c.Fail(item, start, "the package ends inside it");
        unsigned date = c.data[c.at] | (c.data[c.at + 1] << 8);
        unsigned time = c.data[c.at + 2] | (c.data[c.at + 3] << 8);
        c.at += 4;
        if (c.size - c.at < length)
            c.Fail(item, start, "the package ends inside it");
        unsigned long long inflated = CheckStream(c, start, length, item);
        c.at += length;
        printf("   entry %-4ld %10lu -> %10llu bytes  %s  %s\n", entry, length, inflated,
               DosText(date, time).c_str(), targets[i].c_str());
        ++entry;
    }

    if (c.at < c.size || uninstaller == 1) {
        size_t start = c.at;
        unsigned long n = c.Raw("uninstaller item");
        if (c.size - c.at < n)
            c.Fail("uninstaller item", start, "the package ends inside it");
        c.at += n;
        printf("uninstaller item: %lu bytes\n", n);
    }
    if (c.at != c.size)
        c.Fail("end of package", c.at,
               std::to_string(c.size - c.at) + " bytes follow the last item of the package");
}

}  // namespace

int ListPackage(const std::string& path)
{
    std::ifstream in(fs::u8path(path), std::ios::binary);
    if (!in) {
        fprintf(stderr, "kvpack: cannot read %s\n", path.c_str());
        return 1;
    }
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    Cursor c{data.data(), data.size(), 0, 0};
    bool executable = data.size() >= 2 && ((data[0] == 'M' && data[1] == 'Z') ||
                                           (data[0] == 0x7F && data[1] == 'E'));
    if (executable) {
        if (data.size() < 6) {
            fprintf(stderr, "kvpack: %s: too short to carry a package\n", path.c_str());
            return 1;
        }
        const unsigned char* t = data.data() + data.size() - 4;
        unsigned long start = t[0] | (t[1] << 8) | ((unsigned long)t[2] << 16) | ((unsigned long)t[3] << 24);
        if (start > data.size() - 4) {
            fprintf(stderr, "kvpack: %s: package start offset %lu lies outside the file\n",
                    path.c_str(), start);
            return 1;
        }
        printf("setup program: %lu bytes, package at offset %lu\n", start, start);
        c.data = data.data() + start;
        c.size = data.size() - 4 - start;
        c.base = start;
    }
    try {
        Walk(c);
    } catch (const Damage& d) {
        fflush(stdout);
        fprintf(stderr, "kvpack: %s: damaged: %s at offset %llu: %s\n", path.c_str(),
                d.item.c_str(), d.offset, d.problem.c_str());
        return 1;
    }
    printf("package sound: %zu bytes\n", c.size);
    return 0;
}

}  // namespace kvpack
