// The installation engine without any window: extraction with the replace
// modes, time stamps and log lines, the uninstaller image, the log file and
// the search-path merge.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "setup/engine.h"
#include "tests/package/package_builder.h"

namespace {

const WORD kDate = DosDate(2020, 6, 15);
const WORD kTime = DosTime(12, 0, 0);

struct TestEngine : CInstallEngine {
    TestEngine()
    {
        m_strWindowsDir = (char*)"C:\\WINDOWS";
        m_strSystemDir = (char*)"C:\\WINDOWS\\SYSTEM";
        m_strProgramDir = (char*)"C:\\Program Files";
    }
    // Opens the bytes as the package stream.
    void Open(const std::string& bytes, const char* name = "engine.pkg")
    {
        WriteBytes(name, bytes);
        ASSERT_TRUE(m_package.OpenPackageFile(name));
    }
    int Copy(const std::string& entry)
    {
        char buffer[256];
        strcpy(buffer, entry.c_str());
        return CopyCompressedFile(buffer);
    }
    std::vector<std::string> Log()
    {
        std::vector<std::string> out;
        for (int i = 0; i < m_logList.GetSize(); ++i)
            out.push_back(m_logList[i].GetBuffer(0));
        return out;
    }
    unsigned long Marker()
    {
        int value = 0;
        ReadInt(&m_package, &value, 0);
        return (unsigned long)(unsigned)value;
    }
};

using Lines = std::vector<std::string>;

std::string Noise(size_t n, unsigned seed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        s[i] = (char)(seed >> 16);
    }
    return s;
}

// Creates the folders of a relative test path one by one.
void MakeFolders(const std::string& path)
{
    for (size_t i = 0; i < path.size(); ++i)
        if (path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), 0);
}

}  // namespace

TEST(Extraction, ReplaceModes)
{
    enum Existing { kNone, kEqual, kNewer, kOlder, kNewerDate };
    struct Case {
        char mode;
        Existing existing;
        bool replaced;  // the target holds the new bytes afterwards
        bool copyLine;
        bool backup;
    } cases[] = {
        {'0', kNone, true, true, false},   {'0', kNewer, true, true, false},
        {'1', kNone, true, true, false},   {'1', kEqual, false, false, false},
        {'1', kNewer, false, false, false}, {'1', kOlder, true, false, false},
        {'1', kNewerDate, false, false, false},
        {'2', kNone, true, true, false},   {'2', kEqual, true, false, false},
        {'2', kNewer, false, false, false}, {'2', kOlder, true, false, false},
        {'3', kNone, true, true, false},   {'3', kEqual, true, true, true},
        {'7', kNewer, true, true, false},
    };
    CreateDirectoryA("kvt", 0);
    CreateDirectoryA("kvt\\modes", 0);
    int n = 0;
    for (const Case& c : cases) {
        std::string dir = "kvt\\modes\\case" + std::to_string(n++);
        std::string target = dir + "\\file.txt";
        std::string backup = dir + "\\file.bak";
        DeleteFileA(target.c_str());
        DeleteFileA(backup.c_str());
        std::string what = std::string("mode ") + c.mode + " existing " + std::to_string(c.existing);
        if (c.existing != kNone) {
            MakeFolders(target);
            WriteBytes(target, "old contents");
            WORD date = kDate, time = kTime;
            if (c.existing == kNewer)
                time = DosTime(12, 0, 2);
            if (c.existing == kOlder)
                time = DosTime(11, 59, 58);
            if (c.existing == kNewerDate) {
                date = DosDate(2020, 6, 16);
                time = DosTime(0, 0, 0);
            }
            ASSERT_TRUE(StampFile(target, date, time)) << what;
        }
        PackageBuilder b;
        b.Entry("new contents", kDate, kTime).Raw(0xC0FFEE);
        TestEngine e;
        e.Open(b.bytes);
        EXPECT_TRUE(e.Copy(std::string("0") + c.mode + target)) << what;
        EXPECT_EQ(e.Marker(), 0xC0FFEEul) << what;  // the stream stands behind the entry
        EXPECT_EQ(ReadBytes(target), c.replaced ? "new contents" : "old contents") << what;
        WORD date, time;
        FileStamp(target, &date, &time);
        if (c.replaced) {
            EXPECT_EQ(date, kDate) << what;
            EXPECT_EQ(time, kTime) << what;
        }
        Lines expected;
        if (c.backup)
            expected.push_back("Rename \"" + target + "\" \"" + backup + "\"");
        if (c.copyLine)
            expected.push_back("CopyFile " + target);
        EXPECT_EQ(e.Log(), expected) << what;
        EXPECT_EQ(ReadBytes(backup), c.backup ? "old contents" : "<missing>") << what;
    }
}

TEST(Extraction, BackupNames)
{
    struct Case {
        const char* target;
        const char* backup;
    } cases[] = {
        {"kvt\\My.Dir\\app.exe", "kvt\\My.bak"},  // cut at the first dot of the path
        {"kvt\\nodot\\README", "kvt\\nodot\\README.bak"},
    };
    for (const Case& c : cases) {
        MakeFolders(c.target);
        WriteBytes(c.target, "old");
        WriteBytes(c.backup, "an older backup");
        PackageBuilder b;
        b.Entry("new", kDate, kTime);
        TestEngine e;
        e.Open(b.bytes);
        EXPECT_TRUE(e.Copy(std::string("03") + c.target));
        EXPECT_EQ(ReadBytes(c.target), "new");
        EXPECT_EQ(ReadBytes(c.backup), "old");
        EXPECT_EQ(e.Log(), (Lines{std::string("Rename \"") + c.target + "\" \"" + c.backup + "\"",
                                  std::string("CopyFile ") + c.target}));
    }
}

TEST(Extraction, SizesAndStreams)
{
    struct Case {
        const char* name;
        std::string data;
    } cases[] = {
        {"empty", ""},
        {"exactly512", Noise(512, 1)},
        {"exactly1024", Noise(1024, 2)},
        {"text512", std::string(512, 'a')},
        {"big", Noise(100000, 3) + std::string(70000, 'z')},
    };
    PackageBuilder b;
    for (const Case& c : cases)
        b.Entry(c.data, kDate, kTime);
    b.RawEntry("", kDate, kTime);  // an entry without any data
    b.Raw(0xC0FFEE);
    TestEngine e;
    e.Open(b.bytes);
    Lines expected;
    for (const Case& c : cases) {
        std::string target = std::string("kvt\\sizes\\deep\\") + c.name + ".bin";
        EXPECT_TRUE(e.Copy("00" + target)) << c.name;
        EXPECT_EQ(ReadBytes(target), c.data) << c.name;
        expected.push_back("CopyFile " + target);
    }
    EXPECT_TRUE(e.Copy("00kvt\\sizes\\zero.bin"));
    EXPECT_EQ(ReadBytes("kvt\\sizes\\zero.bin"), "");
    WORD date, time;
    FileStamp("kvt\\sizes\\zero.bin", &date, &time);
    EXPECT_EQ(date, kDate);
    EXPECT_EQ(time, kTime);
    expected.push_back("CopyFile kvt\\sizes\\zero.bin");
    EXPECT_EQ(e.Marker(), 0xC0FFEEul);
    EXPECT_EQ(e.Log(), expected);
}

TEST(Extraction, UnwritableAndDamagedEntriesKeepTheStreamInStep)
{
    CreateDirectoryA("kvt", 0);
    WriteBytes("kvt\\blocker", "a file where a folder would have to be");
    std::string damaged = PackageBuilder::Compress(Noise(3000, 4));
    damaged[damaged.size() / 2] ^= 0x55;
    std::string trailing = PackageBuilder::Compress("sound, then junk") + "junk";
    std::string cut = PackageBuilder::Compress(Noise(2000, 5));
    cut.resize(cut.size() - 600);

    PackageBuilder b;
    b.Entry("first", kDate, kTime);
    b.Entry("second", kDate, kTime);
    b.RawEntry(damaged, kDate, kTime);
    b.Entry("third", kDate, kTime);
    b.RawEntry(trailing, kDate, kTime);
    b.RawEntry(cut, kDate, kTime);
    b.Entry("skipped", kDate, kTime);
    b.Entry("fourth", kDate, kTime);
    b.Raw(0xC0FFEE);
    TestEngine e;
    e.Open(b.bytes);
    EXPECT_FALSE(e.Copy("00kvt\\blocker\\first.txt"));
    EXPECT_TRUE(e.Copy("00kvt\\bad\\second.txt"));
    EXPECT_FALSE(e.Copy("00kvt\\bad\\damaged.bin"));
    EXPECT_TRUE(e.Copy("00kvt\\bad\\third.txt"));
    EXPECT_FALSE(e.Copy("00kvt\\bad\\trailing.txt"));
    EXPECT_FALSE(e.Copy("00kvt\\bad\\cut.bin"));
    e.SkipCompressedFile();
    EXPECT_TRUE(e.Copy("00kvt\\bad\\fourth.txt"));
    EXPECT_EQ(e.Marker(), 0xC0FFEEul);
    EXPECT_EQ(ReadBytes("kvt\\bad\\second.txt"), "second");
    EXPECT_EQ(ReadBytes("kvt\\bad\\third.txt"), "third");
    EXPECT_EQ(ReadBytes("kvt\\bad\\trailing.txt"), "sound, then junk");
    EXPECT_EQ(ReadBytes("kvt\\bad\\fourth.txt"), "fourth");
    EXPECT_FALSE(FileExists("kvt\\blocker\\first.txt"));
    // The unwritable target is still logged, as every attempted copy is.
    EXPECT_EQ(e.Log().front(), "CopyFile kvt\\blocker\\first.txt");
    EXPECT_EQ(e.Log().size(), 7u);
}

TEST(Extraction, UninstallerImage)
{
    std::string image = "MZ" + Noise(5000, 6);
    PackageBuilder b;
    b.Raw((unsigned long)image.size()).Bytes(image);
    TestEngine e;
    e.Open(b.bytes);
    char path[] = "kvt\\windows\\UNKV2.EXE";
    EXPECT_TRUE(e.CopyFileA(path));
    EXPECT_EQ(ReadBytes(path), image);
    EXPECT_TRUE(e.m_logList.GetSize() == 0);
    EXPECT_EQ(e.m_package.GetPosition(), b.bytes.size());

    // A target that cannot be created: the image itself stays unread.
    TestEngine f;
    f.Open(b.bytes);
    WriteBytes("kvt\\blocker", "file");
    char blocked[] = "kvt\\blocker\\UNKV2.EXE";
    EXPECT_FALSE(f.CopyFileA(blocked));
    EXPECT_EQ(f.m_package.GetPosition(), 4u);

    // A short image: what is there is written, and the copy reports it.
    TestEngine g;
    g.Open(b.bytes.substr(0, 3000));
    char shortPath[] = "kvt\\windows\\SHORT.EXE";
    EXPECT_FALSE(g.CopyFileA(shortPath));
    EXPECT_EQ(ReadBytes(shortPath), image.substr(0, 2996));
}

TEST(InstallLog, FileHoldsTheLinesLastFirstWithCrLf)
{
    CreateDirectoryA("kvt", 0);
    CreateDirectoryA("kvt\\logdir", 0);
    TestEngine e;
    e.m_strMainDir = (char*)"kvt\\logdir";
    e.m_strProduct = (char*)"Zorva Pro";
    e.m_strVersion = (char*)"2.4";
    EXPECT_TRUE(e.AppendLog("Run %s", "setup.exe /q"));
    EXPECT_TRUE(e.AppendLog("CreateFolder %s", "kvt\\logdir"));
    EXPECT_TRUE(e.AppendLog("Rename \"%s\" \"%s\"", "a.txt", "a.bak"));
    EXPECT_TRUE(e.AppendLog("CopyFile %s", "a.txt"));
    EXPECT_TRUE(e.AppendLog("CreateObject %s\\%s.lnk", "Zorva", "Zorva"));
    EXPECT_TRUE(e.AppendLog("Application %s %s", e.m_strProduct.GetBuffer(0),
                            e.m_strVersion.GetBuffer(0)));
    EXPECT_TRUE(e.WriteLog());
    EXPECT_EQ(ReadBytes("kvt\\logdir\\install.log"),
              "Application Zorva Pro 2.4\r\n"
              "CreateObject Zorva\\Zorva.lnk\r\n"
              "CopyFile a.txt\r\n"
              "Rename \"a.txt\" \"a.bak\"\r\n"
              "CreateFolder kvt\\logdir\r\n"
              "Run setup.exe /q\r\n");

    // A line of 511 characters is kept; a longer one would be cut, so it is refused.
    EXPECT_TRUE(e.AppendLog("CopyFile %s", std::string(502, 'p').c_str()));
    EXPECT_FALSE(e.AppendLog("CopyFile %s", std::string(503, 'p').c_str()));
    EXPECT_EQ(e.m_logList.GetSize(), 7);

    // No main directory on disk: no log, and no crash.
    TestEngine missing;
    missing.m_strMainDir = (char*)"kvt\\no-such-dir";
    missing.AppendLog("Application A 1");
    EXPECT_FALSE(missing.WriteLog());
    EXPECT_FALSE(FileExists("kvt\\no-such-dir\\install.log"));
}

TEST(InstallLog, UpdatePath)
{
    struct Case {
        const char* path;
        const char* items;
        const char* merged;
        Lines lines;
    } cases[] = {
        {"X;Y", "Y;Z", "X;Y;Z", Lines{"AddPath \"Z\""}},
        {"", ";;A;;b;", "A;b", Lines{"AddPath \"A\"", "AddPath \"b\""}},
        {"C:\\BIN;", "c:\\bin;D:\\X", "C:\\BIN;D:\\X", Lines{"AddPath \"D:\\X\""}},
        {"ABCD", "BC", "ABCD", Lines{}},  // found as part of an item: left out
        {"X", "0123456789012345678901234567890", "X", Lines{}},  // would not fit
    };
    for (const Case& c : cases) {
        TestEngine e;
        char path[32];
        strcpy(path, c.path);
        char items[64];
        strcpy(items, c.items);
        e.UpdatePath((char*)"AddPath", path, sizeof(path), items);
        EXPECT_STREQ(path, c.merged) << c.items;
        EXPECT_EQ(e.Log(), c.lines) << c.items;
    }
}

// A package that kvpack built from the demo project, installed by the engine
// as the installation run does. The kvpack test builds the package and runs
// this case with its path; it is not part of the plain run.
TEST(ExamplePackage, DISABLED_InstallsEveryFile)
{
    const char* package = getenv("KV_EXAMPLE_PACKAGE");
    const char* source = getenv("KV_EXAMPLE_DIR");
    ASSERT_TRUE(package && source) << "KV_EXAMPLE_PACKAGE and KV_EXAMPLE_DIR name the package";
    TestEngine e;
    ASSERT_TRUE(e.m_package.OpenPackageFile(package));
    ASSERT_TRUE(e.LoadProject());
    EXPECT_TRUE(e.RecordChecksumMatches());
    EXPECT_EQ(std::string(e.m_strProduct.GetBuffer(0)), "Zorva");
    EXPECT_EQ(std::string(e.m_strMainDir.GetBuffer(0)), "C:\\Program Files\\Zorva");
    EXPECT_EQ(e.m_nUninstaller, 1);
    ASSERT_EQ(e.m_kindList.GetSize(), 3);
    EXPECT_EQ(std::string(e.m_folderList[1].GetBuffer(0)), "Zorva");
    ASSERT_EQ(e.m_nReadme, 1);
    ASSERT_EQ(e.m_nLicence, 1);
    for (int block = 0; block < 2; ++block) {  // the text pages' blocks
        int length = 0;
        ReadInt(&e.m_package, &length, 0);
        std::string text(length, '\0');
        e.m_package.Read(&text[0], length);
        EXPECT_NE(text.find("Zorva"), std::string::npos);
        EXPECT_EQ(text.find("\n\n"), std::string::npos);  // stored with CR LF
    }

    CreateDirectoryA("kvt", 0);
    e.m_strMainDir = (char*)"kvt\\example";
    int files = 0;
    for (int i = 0; i < e.m_fileList.GetSize(); ++i) {
        char entry[256];
        strcpy(entry, e.m_fileList[i].GetBuffer(0));
        ASSERT_TRUE(e.ReplaceMacro(entry, sizeof(entry)));
        if (entry[0] == '0') {
            EXPECT_TRUE(e.CopyCompressedFile(entry)) << entry;
            ++files;
        }
    }
    EXPECT_EQ(files, 7);
    std::string src = source;
    EXPECT_EQ(ReadBytes("kvt\\example\\ZORVA.EXE"), ReadBytes(src + "/bin/zorva.exe"));
    EXPECT_EQ(ReadBytes("kvt\\example\\data\\maps\\world.map"),
              ReadBytes(src + "/dist/data/maps/world.map"));
    EXPECT_EQ(ReadBytes("kvt\\example\\data\\empty.dat"), "");
    char image[] = "kvt\\example\\UNKV2.EXE";
    EXPECT_TRUE(e.CopyFileA(image));
    int rest = 0;
    EXPECT_EQ(e.m_package.Read(&rest, 1), 0u);  // the package ends with the image
}
