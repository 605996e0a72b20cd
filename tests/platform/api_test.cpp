// Kernel behaviour through the Win32 API, the same in both builds: DOS
// dates and file times, folders and files by name, text-mode streams, the
// profile functions, code page 1252 and moveable memory. Files are made in
// a scratch folder below the current directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

class ApiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char name[64];
        snprintf(name, sizeof name, "kv_api_%lu", (unsigned long)GetTickCount());
        m_dir = name;
        ASSERT_TRUE(CreateDirectoryA(m_dir.c_str(), 0));
    }
    void TearDown() override { RemoveTree(m_dir); }

    std::string Path(const char* name) const { return m_dir + "\\" + name; }

    void WriteBinary(const std::string& path, const std::string& bytes)
    {
        FILE* f = fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }

    std::string ReadBinary(const std::string& path)
    {
        FILE* f = fopen(path.c_str(), "rb");
        if (!f)
            return "<missing>";
        std::string bytes;
        char buffer[512];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        fclose(f);
        return bytes;
    }

    static void RemoveTree(const std::string& dir)
    {
        // The tests make at most two levels.
        static const char* const names[] = {"a.txt", "b.txt", "t.ini", "sub\\f.txt", "stamp.bin", "text.txt"};
        for (const char* name : names)
            DeleteFileA((dir + "\\" + name).c_str());
        RemoveDirectoryA((dir + "\\sub").c_str());
        RemoveDirectoryA(dir.c_str());
    }

    std::string m_dir;
};

WORD Date(int y, int m, int d) { return (WORD)(((y - 1980) << 9) | (m << 5) | d); }
WORD Time(int h, int mi, int s) { return (WORD)((h << 11) | (mi << 5) | (s / 2)); }

unsigned long long Ticks(const FILETIME& t)
{
    return ((unsigned long long)t.dwHighDateTime << 32) | t.dwLowDateTime;
}

TEST(DosTimeTest, ConvertsBothWaysAtTwoSecondSteps)
{
    // FILETIME values: 100 ns steps from 1601-01-01.
    struct Case {
        WORD date, time;
        unsigned long long ticks;
    } cases[] = {
        {Date(1980, 1, 1), Time(0, 0, 0), 119600064000000000ULL},
        {Date(2000, 2, 29), Time(12, 34, 56), 125963012960000000ULL},
        {Date(2024, 7, 15), Time(10, 30, 10), 133655130100000000ULL},
        {Date(2107, 12, 31), Time(23, 59, 58), 159992927980000000ULL},
    };
    for (const Case& c : cases) {
        FILETIME t;
        ASSERT_TRUE(DosDateTimeToFileTime(c.date, c.time, &t));
        EXPECT_EQ(Ticks(t), c.ticks) << std::hex << c.date << " " << c.time;
        WORD date = 0, time = 0;
        ASSERT_TRUE(FileTimeToDosDateTime(&t, &date, &time));
        EXPECT_EQ(date, c.date);
        EXPECT_EQ(time, c.time);
    }
    // An odd second is cut to the even one below it.
    FILETIME odd;
    unsigned long long value = 133655130110000000ULL; // 10:30:11
    odd.dwLowDateTime = (DWORD)value;
    odd.dwHighDateTime = (DWORD)(value >> 32);
    WORD date = 0, time = 0;
    ASSERT_TRUE(FileTimeToDosDateTime(&odd, &date, &time));
    EXPECT_EQ(time, Time(10, 30, 10));
}

TEST(DosTimeTest, DatesBefore1980CannotBeDosDates)
{
    FILETIME t;
    unsigned long long value = 119600064000000000ULL - 10000000ULL; // 1979-12-31 23:59:59
    t.dwLowDateTime = (DWORD)value;
    t.dwHighDateTime = (DWORD)(value >> 32);
    WORD date, time;
    EXPECT_FALSE(FileTimeToDosDateTime(&t, &date, &time));
}

TEST(DosTimeTest, LocalConversionsAreInverse)
{
    // Whatever the zone the test runs in, local and back gives the input.
    WORD dates[] = {Date(2024, 1, 15), Date(2024, 7, 15)};
    for (WORD d : dates) {
        FILETIME local, utc, back;
        ASSERT_TRUE(DosDateTimeToFileTime(d, Time(10, 30, 10), &local));
        ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
        ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &back));
        EXPECT_EQ(Ticks(back), Ticks(local));
    }
}

TEST_F(ApiTest, FileStampedFromDosTimeReadsBackTheSame)
{
    struct Case {
        WORD date, time;
    } cases[] = {
        {Date(2024, 1, 15), Time(10, 30, 10)},
        {Date(2024, 7, 15), Time(23, 59, 58)},
        {Date(1999, 12, 31), Time(0, 0, 2)},
    };
    for (const Case& c : cases) {
        std::string path = Path("stamp.bin");
        WriteBinary(path, "data");
        FILETIME local, utc;
        ASSERT_TRUE(DosDateTimeToFileTime(c.date, c.time, &local));
        ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, 0, OPEN_EXISTING, 0, 0);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(SetFileTime(h, 0, &utc, &utc));
        CloseHandle(h);

        h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        FILETIME written, readLocal;
        ASSERT_TRUE(GetFileTime(h, 0, 0, &written));
        CloseHandle(h);
        ASSERT_TRUE(FileTimeToLocalFileTime(&written, &readLocal));
        WORD date = 0, time = 0;
        ASSERT_TRUE(FileTimeToDosDateTime(&readLocal, &date, &time));
        EXPECT_EQ(date, c.date);
        EXPECT_EQ(time, c.time);
    }
}

TEST_F(ApiTest, FoldersAndFilesByName)
{
    std::string sub = Path("sub");
    std::string inSub = Path("sub\\f.txt");
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), 0));
    // An existing folder cannot be created again.
    EXPECT_FALSE(CreateDirectoryA(sub.c_str(), 0));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    // A folder below a missing one cannot be made in one step.
    EXPECT_FALSE(CreateDirectoryA(Path("none\\deeper").c_str(), 0));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);

    WriteBinary(inSub, "x");
    // Only an empty folder is removed.
    EXPECT_FALSE(RemoveDirectoryA(sub.c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DIR_NOT_EMPTY);
    // DeleteFileA does not remove folders.
    EXPECT_FALSE(DeleteFileA(sub.c_str()));
    EXPECT_TRUE(DeleteFileA(inSub.c_str()));
    EXPECT_FALSE(DeleteFileA(inSub.c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(RemoveDirectoryA(sub.c_str()));
}

TEST_F(ApiTest, MoveFileNeverReplacesATarget)
{
    std::string a = Path("a.txt");
    std::string b = Path("b.txt");
    WriteBinary(a, "first");
    WriteBinary(b, "second");
    EXPECT_FALSE(MoveFileA(a.c_str(), b.c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReadBinary(a), "first");
    EXPECT_EQ(ReadBinary(b), "second");

    ASSERT_TRUE(DeleteFileA(b.c_str()));
    EXPECT_TRUE(MoveFileA(a.c_str(), b.c_str()));
    EXPECT_EQ(ReadBinary(a), "<missing>");
    EXPECT_EQ(ReadBinary(b), "first");
    // A missing source fails and leaves the target.
    EXPECT_FALSE(MoveFileA(a.c_str(), Path("c.txt").c_str()));
}

TEST_F(ApiTest, CreateFileDispositions)
{
    std::string a = Path("a.txt");
    HANDLE h = CreateFileA(a.c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);

    h = CreateFileA(a.c_str(), GENERIC_WRITE, 0, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(h, "hello world", 11, &written, 0));
    EXPECT_EQ(written, 11u);
    CloseHandle(h);

    h = CreateFileA(a.c_str(), GENERIC_WRITE, 0, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_EXISTS);

    h = CreateFileA(a.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(h, 0), 11u);
    EXPECT_EQ(SetFilePointer(h, 6, 0, FILE_BEGIN), 6u);
    char buffer[16] = {0};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(h, buffer, sizeof buffer, &read, 0));
    EXPECT_EQ(std::string(buffer, read), "world");
    EXPECT_EQ(SetFilePointer(h, -5, 0, FILE_END), 6u);
    EXPECT_EQ(SetFilePointer(h, -100, 0, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NEGATIVE_SEEK);
    // Reading at the end succeeds with nothing read.
    SetFilePointer(h, 0, 0, FILE_END);
    EXPECT_TRUE(ReadFile(h, buffer, sizeof buffer, &read, 0));
    EXPECT_EQ(read, 0u);
    EXPECT_TRUE(CloseHandle(h));

    // CREATE_ALWAYS truncates an existing file and says it existed.
    h = CreateFileA(a.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    CloseHandle(h);
    EXPECT_EQ(ReadBinary(a), "");
}

TEST_F(ApiTest, TextModeStreamsUseCrLfOnDisk)
{
    std::string path = Path("text.txt");
    FILE* f = fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fprintf(f, "one\ntwo\n");
    fputs("three", f);
    fclose(f);
    EXPECT_EQ(ReadBinary(path), "one\r\ntwo\r\nthree");

    // CR LF reads as one "\n"; a lone CR stays.
    WriteBinary(path, "a\r\nb\rc\r\n\r\nd");
    f = fopen(path.c_str(), "r");
    ASSERT_NE(f, nullptr);
    std::string text;
    char line[64];
    while (fgets(line, sizeof line, f))
        text += line;
    fclose(f);
    EXPECT_EQ(text, "a\nb\rc\n\nd");

    // Appending in text mode adds CR LF too; binary mode writes bytes.
    f = fopen(path.c_str(), "a");
    ASSERT_NE(f, nullptr);
    fputs("\n", f);
    fclose(f);
    f = fopen(path.c_str(), "ab");
    ASSERT_NE(f, nullptr);
    fputs("e\n", f);
    fclose(f);
    EXPECT_EQ(ReadBinary(path), "a\r\nb\rc\r\n\r\nd\r\ne\n");

    // A folder does not open as a stream.
    EXPECT_EQ(fopen(m_dir.c_str(), "r"), nullptr);
}

TEST_F(ApiTest, TextStreamPositionsAreFilePositions)
{
    std::string path = Path("text.txt");
    WriteBinary(path, "ab\r\ncd\r\n");
    FILE* f = fopen(path.c_str(), "r");
    ASSERT_NE(f, nullptr);
    char line[16];
    ASSERT_NE(fgets(line, sizeof line, f), nullptr);
    EXPECT_STREQ(line, "ab\n");
    long position = ftell(f);
    EXPECT_EQ(position, 4);
    ASSERT_NE(fgets(line, sizeof line, f), nullptr);
    EXPECT_STREQ(line, "cd\n");
    EXPECT_EQ(fseek(f, position, SEEK_SET), 0);
    ASSERT_NE(fgets(line, sizeof line, f), nullptr);
    EXPECT_STREQ(line, "cd\n");
    fclose(f);
}

TEST_F(ApiTest, RenameAndRemoveFollowWindows)
{
    std::string a = Path("a.txt");
    std::string b = Path("b.txt");
    WriteBinary(a, "1");
    WriteBinary(b, "2");
    EXPECT_NE(rename(a.c_str(), b.c_str()), 0);
    EXPECT_EQ(ReadBinary(b), "2");
    EXPECT_EQ(remove(b.c_str()), 0);
    EXPECT_EQ(rename(a.c_str(), b.c_str()), 0);
    EXPECT_EQ(ReadBinary(b), "1");
    ASSERT_TRUE(CreateDirectoryA(Path("sub").c_str(), 0));
    EXPECT_NE(remove(Path("sub").c_str()), 0);
}

TEST_F(ApiTest, ProfileFunctions)
{
    std::string ini = Path("t.ini");
    const char* file = ini.c_str();
    ASSERT_TRUE(WritePrivateProfileStringA("Main", "Name", "Zorva", file));
    ASSERT_TRUE(WritePrivateProfileStringA("Main", "Count", "42", file));
    ASSERT_TRUE(WritePrivateProfileStringA("Other", "Key", "v", file));
    ASSERT_TRUE(WritePrivateProfileStringA("main", "NAME", "Zorva 2", file)); // same key, other case
    std::string bytes = ReadBinary(ini);
    EXPECT_NE(bytes.find("[Main]\r\nName=Zorva 2\r\nCount=42\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("[Other]\r\nKey=v\r\n"), std::string::npos) << bytes;
    for (size_t i = 0; i < bytes.size(); i++) {
        if (bytes[i] == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare line feed at " << i;
        }
    }

    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"Main", "Name", "Zorva 2"},
        {"MAIN", "name", "Zorva 2"},
        {"Main", "Missing", "default"},
        {"Missing", "Name", "default"},
        {"Other", "Key", "v"},
    };
    for (const Case& c : cases) {
        char buffer[256];
        DWORD n = GetPrivateProfileStringA(c.section, c.key, "default", buffer, sizeof buffer, file);
        EXPECT_STREQ(buffer, c.expected) << c.section << "/" << c.key;
        EXPECT_EQ(n, strlen(c.expected));
    }
    // A value that does not fit is cut to the buffer.
    char small[4];
    EXPECT_EQ(GetPrivateProfileStringA("Main", "Name", "", small, sizeof small, file), 3u);
    EXPECT_STREQ(small, "Zor");

    EXPECT_EQ((int)GetPrivateProfileIntA("Main", "Count", 7, file), 42);
    EXPECT_EQ((int)GetPrivateProfileIntA("Main", "Missing", 7, file), 7);
    EXPECT_EQ((int)GetPrivateProfileIntA("Main", "Name", 7, file), 0);

    // Null value deletes a key, null key a whole section.
    ASSERT_TRUE(WritePrivateProfileStringA("Main", "Count", 0, file));
    ASSERT_TRUE(WritePrivateProfileStringA("Other", 0, 0, file));
    EXPECT_EQ((int)GetPrivateProfileIntA("Main", "Count", 7, file), 7);
    char value[16];
    GetPrivateProfileStringA("Other", "Key", "gone", value, sizeof value, file);
    EXPECT_STREQ(value, "gone");

    // The list of sections, each ended by a NUL, the list by another.
    char list[64];
    DWORD n = GetPrivateProfileStringA(0, 0, "", list, sizeof list, file);
    EXPECT_EQ(std::string(list, n + 1), std::string("Main\0\0", 6));
}

TEST(CodePageTest, AnsiToUtf16)
{
    const char text[] = "A\x80\xe9\x9f";
    WCHAR wide[8];
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 8), 5);
    EXPECT_EQ(wide[0], 'A');
    EXPECT_EQ(wide[1], 0x20AC); // euro sign
    EXPECT_EQ(wide[2], 0x00E9);
    EXPECT_EQ(wide[3], 0x0178);
    EXPECT_EQ(wide[4], 0);
    // Size query, and a buffer too small.
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, 0, 0), 5);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 2), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
}

TEST(GlobalMemoryTest, MoveableBlockLocksToItsData)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
    ASSERT_NE(block, nullptr);
    char* data = (char*)GlobalLock(block);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data[15], 0);
    strcpy(data, "clip");
    EXPECT_FALSE(GlobalUnlock(block)); // no lock left
    EXPECT_STREQ((char*)GlobalLock(block), "clip");
    GlobalUnlock(block);
    EXPECT_GE(GlobalSize(block), 16u);
    EXPECT_EQ(GlobalFree(block), nullptr);
}

} // namespace
