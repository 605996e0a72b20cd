// kvbench: the payload and the extraction side of the package benchmark.
//   kvbench generate DIR MB       writes a product of about MB megabytes and
//                                 its project.toml into DIR
//   kvbench extract PACKAGE DEST  loads the package's record and extracts
//                                 every file entry below DEST, timed
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <string>

#include "setup/engine.h"

namespace {

// Half of the payload is noise (as compressed media are), half is text-like
// and compresses well, in files from 4 KB to 16 MB.
void WritePayloadFile(const std::string& path, size_t size, unsigned seed, bool noise)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        fprintf(stderr, "kvbench: cannot write %s\n", path.c_str());
        exit(1);
    }
    static const char* words[] = {"zorva ", "cache ", "proxy ", "mail ", "news ", "relay ",
                                  "server ", "request\r\n", "0123 ", "dns "};
    std::string block;
    block.reserve(65536);
    size_t left = size;
    while (left > 0) {
        block.clear();
        while (block.size() < 65536) {
            seed = seed * 1103515245u + 12345u;
            if (noise) {
                block += (char)(seed >> 16);
                block += (char)(seed >> 24);
            } else {
                block += words[(seed >> 16) % 10];
            }
        }
        size_t n = left < block.size() ? left : block.size();
        fwrite(block.data(), 1, n, f);
        left -= n;
    }
    fclose(f);
}

int Generate(const char* dir, long megabytes)
{
    std::string root = dir;
    CreateDirectoryA(root.c_str(), 0);
    CreateDirectoryA((root + "/payload").c_str(), 0);
    unsigned long long total = 0, goal = (unsigned long long)megabytes << 20;
    static const size_t sizes[] = {4096, 65536, 1 << 20, 3 << 20, 16 << 20, 300000};
    for (int i = 0; total < goal; ++i) {
        size_t size = sizes[i % 6];
        if (total + size > goal)
            size = (size_t)(goal - total);
        char name[64];
        snprintf(name, sizeof(name), "/payload/f%04d.%s", i, i % 4 >= 2 ? "dat" : "txt");
        WritePayloadFile(root + name, size, (unsigned)i * 7919u + 1, i % 4 >= 2);
        total += size;
    }
    FILE* f = fopen((root + "/project.toml").c_str(), "wb");
    if (!f)
        return 1;
    fputs("[product]\nname = \"Bench\"\nversion = \"1\"\n\n"
          "[install]\nmaindir = \"%PROGRAM%\\\\Bench\"\nuninstaller = false\n\n"
          "[[entry]]\nkind = \"tree\"\nsource = \"payload\"\ntarget = \"%MAINDIR%\"\n",
          f);
    fclose(f);
    printf("kvbench: %llu MB of payload in %s\n", total >> 20, dir);
    return 0;
}

struct BenchEngine : CInstallEngine {
};

int Extract(const char* package, const char* dest)
{
    BenchEngine e;
    if (!e.m_package.OpenPackageFile(package)) {
        fprintf(stderr, "kvbench: cannot open %s\n", package);
        return 1;
    }
    e.ReadDirectories();
    if (!e.LoadProject()) {
        fprintf(stderr, "kvbench: %s: damaged record\n", package);
        return 1;
    }
    e.m_strMainDir = (char*)dest;
    auto start = std::chrono::steady_clock::now();
    int files = 0, failed = 0;
    for (int i = 0; i < e.m_fileList.GetSize(); ++i) {
        char entry[256];
        if (e.m_fileList[i].GetLength() >= (int)sizeof(entry))
            return 1;
        strcpy(entry, e.m_fileList[i].GetBuffer(0));
        e.ReplaceMacro(entry, sizeof(entry));
        if (entry[0] != '0')
            continue;
        if (!e.CopyCompressedFile(entry))
            ++failed;
        ++files;
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    unsigned long long bytes = 0;
    for (int i = 0; i < e.m_logList.GetSize(); ++i) {
        const char* path = e.m_logList[i].GetBuffer(0) + 9;  // behind "CopyFile "
        FILE* f = fopen(path, "rb");
        if (f) {
            fseek(f, 0, SEEK_END);
            bytes += (unsigned long long)ftell(f);
            fclose(f);
        }
    }
    printf("extract: %d files, %.1f MB in %.2f s: %.1f MB/s%s\n", files, bytes / 1048576.0,
           seconds, bytes / 1048576.0 / seconds, failed ? " (SOME FAILED)" : "");
    return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && !strcmp(argv[1], "generate"))
        return Generate(argv[2], atol(argv[3]));
    if (argc == 4 && !strcmp(argv[1], "extract"))
        return Extract(argv[2], argv[3]);
    fprintf(stderr, "usage: kvbench generate DIR MB | kvbench extract PACKAGE DEST\n");
    return 2;
}
