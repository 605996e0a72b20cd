#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "classlib/archive.h"

static char* T(const char* s) { return const_cast<char*>(s); }

// A file object in memory: what was written, and a cursor for reading.
class MemoryFile : public CFile
{
public:
    std::vector<unsigned char> bytes;
    size_t pos = 0;
    int closed = 0;

    unsigned Read(void* buffer, unsigned count) override
    {
        unsigned n = 0;
        for (; n < count && pos < bytes.size(); ++n)
            static_cast<unsigned char*>(buffer)[n] = bytes[pos++];
        return n;
    }
    void Write(void* buffer, unsigned count) override
    {
        const unsigned char* b = static_cast<const unsigned char*>(buffer);
        bytes.insert(bytes.end(), b, b + count);
    }
    void Close() override { ++closed; }
};

using Bytes = std::vector<unsigned char>;

TEST(CArchive, ScalarLayout)
{
    MemoryFile f;
    CArchive ar(&f, CArchive::store);
    ar << (unsigned char)0xAB << (unsigned short)0x1234 << (long)-2 << (unsigned long)0x89ABCDEFUL
       << (int)0x01020304 << 1.0f << -2.0;
    Bytes expected = {0xAB, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0xEF, 0xCD, 0xAB, 0x89,
                      0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0x80, 0x3F,
                      0, 0, 0, 0, 0, 0, 0x00, 0xC0};
    EXPECT_EQ(f.bytes, expected);

    CArchive in(&f, CArchive::load);
    unsigned char c;
    unsigned short w;
    long l;
    unsigned long ul;
    int i;
    float fl;
    double d;
    in >> c >> w >> l >> ul >> i >> fl >> d;
    EXPECT_EQ(c, 0xAB);
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(l, -2);
    EXPECT_EQ(ul, 0x89ABCDEFUL);
    EXPECT_EQ(i, 0x01020304);
    EXPECT_EQ(fl, 1.0f);
    EXPECT_EQ(d, -2.0);
}

TEST(CArchive, StringPrefixes)
{
    struct Case {
        size_t length;
        Bytes prefix;
    } cases[] = {
        {0, {0x00}},
        {1, {0x01}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {256, {0xFF, 0x00, 0x01}},
        {65535, {0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        std::string text(c.length, 'z');
        CString s(T(text.c_str()));
        MemoryFile f;
        CArchive ar(&f, CArchive::store);
        ar << s;
        Bytes expected = c.prefix;
        expected.insert(expected.end(), text.begin(), text.end());
        EXPECT_EQ(f.bytes, expected) << c.length;

        CString back(T("previous"));
        CArchive in(&f, CArchive::load);
        in >> back;
        EXPECT_EQ(std::string((char*)back), text) << c.length;
        EXPECT_EQ(f.pos, f.bytes.size());
    }
}

TEST(CArchive, EmptyStringKeepsTheBuffer)
{
    MemoryFile f;
    f.bytes = {0x00};
    CString s(T("some text"));
    char* block = s;
    CArchive in(&f, CArchive::load);
    in >> s;
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_EQ((char*)s, block);
}

TEST(CArchive, LoadedStringGetsAnExactBuffer)
{
    MemoryFile f;
    f.bytes = {0x03, 'a', 'b', 'c'};
    CString s;
    CArchive in(&f, CArchive::load);
    in >> s;
    EXPECT_STREQ((char*)s, "abc");
    EXPECT_EQ(s.GetCapacity(), 3u);
}

TEST(CArchive, ShortReadKeepsWhatArrived)
{
    MemoryFile f;
    f.bytes = {0x05, 'a', 'b'};
    CString s;
    CArchive in(&f, CArchive::load);
    in >> s;
    EXPECT_STREQ((char*)s, "ab");
    EXPECT_EQ(s.GetLength(), 2);
}

TEST(CArchive, OverlongStringStaysReadable)
{
    std::string text(70000, 'x');
    CString s(T(text.c_str()));
    MemoryFile f;
    CArchive ar(&f, CArchive::store);
    ar << s << (int)7;
    CArchive in(&f, CArchive::load);
    CString back;
    int after = 0;
    in >> back >> after;
    EXPECT_EQ(back.GetLength(), 65535);
    EXPECT_EQ(after, 7);                    // the value behind it is still in step
}

TEST(CArchive, StringArrays)
{
    CStringArray a;
    a.Add(T("ab"));
    a.Add(T("c"));
    MemoryFile f;
    CArchive ar(&f, CArchive::store);
    ar << a;
    EXPECT_EQ(f.bytes, (Bytes{0x02, 0x00, 0x00, 0x00, 0x02, 'a', 'b', 0x01, 'c'}));

    CStringArray b;
    b.Add(T("old1"));
    b.Add(T("old2"));
    b.Add(T("old3"));
    CArchive in(&f, CArchive::load);
    in >> b;
    ASSERT_EQ(b.GetSize(), 2);
    EXPECT_STREQ((char*)b[0], "ab");
    EXPECT_STREQ((char*)b[1], "c");

    struct Case { Bytes bytes; int size; } loads[] = {
        {{0x00, 0x00, 0x00, 0x00}, 0},
        {{0xFF, 0xFF, 0xFF, 0xFF}, 0},               // a negative count leaves it empty
        {{0xFF, 0xFF, 0xFF, 0x7F, 0x01, 'q'}, 1},    // a damaged count stops where the file ends
    };
    for (const Case& c : loads) {
        MemoryFile g;
        g.bytes = c.bytes;
        CArchive l(&g, CArchive::load);
        l >> b;
        EXPECT_EQ(b.GetSize(), c.size);
    }
}

TEST(CArchive, ModesAndPassThrough)
{
    MemoryFile f;
    struct Case { unsigned mode; int loading; int storing; } cases[] = {
        {0, 0, 1}, {1, 1, 0}, {2, 0, 0}, {0xFFFFFFFFu, 0, 0}};
    for (const Case& c : cases) {
        CArchive ar(&f, c.mode, 4096, nullptr);
        EXPECT_EQ(ar.IsLoading(), c.loading) << c.mode;
        EXPECT_EQ(ar.IsStoring(), c.storing) << c.mode;
        EXPECT_EQ(ar.IsBufferEmpty(), 0);
        EXPECT_EQ(ar.GetFile(), &f);
    }
    CArchive ar(&f, CArchive::load);
    ar << (int)1;                            // the mode is not consulted
    EXPECT_EQ(f.bytes.size(), 4u);
    ar.Flush();
    ar.Close();
    EXPECT_EQ(f.closed, 1);
}

TEST(CFile, RoundTripOnDisk)
{
    std::string path = (std::filesystem::temp_directory_path() / "kv_archive_test.bin").string();
    {
        CFile f;
        ASSERT_EQ(f.Open(path.c_str(), CFile::modeWrite), 1);
        CArchive ar(&f, CArchive::store);
        CString s(T("line\nwith break"));
        ar << s << (unsigned short)0x0A0D;
        ar.Close();
    }
    FILE* raw = std::fopen(path.c_str(), "rb");
    ASSERT_NE(raw, nullptr);
    unsigned char buf[32];
    size_t n = std::fread(buf, 1, sizeof buf, raw);
    std::fclose(raw);
    EXPECT_EQ(n, 18u);                       // binary: no line-end translation
    CFile f;
    ASSERT_EQ(f.Open(path.c_str(), CFile::modeRead), 1);
    CArchive in(&f, CArchive::load);
    CString s;
    unsigned short w = 0;
    in >> s >> w;
    EXPECT_STREQ((char*)s, "line\nwith break");
    EXPECT_EQ(w, 0x0A0D);
    f.Close();
    std::remove(path.c_str());
    CFile missing;
    EXPECT_EQ(missing.Open((path + ".absent").c_str(), CFile::modeRead), 0);
}
