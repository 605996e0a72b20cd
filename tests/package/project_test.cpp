// Finding the package and loading the project record into the model.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "package/project.h"
#include "package/record.h"
#include "tests/package/package_builder.h"

namespace {

// A project with fixed directories, so loading never asks the machine.
struct TestProject : CProject {
    TestProject()
    {
        m_strWindowsDir = (char*)"C:\\WINDOWS";
        m_strSystemDir = (char*)"C:\\WINDOWS\\SYSTEM";
        m_strProgramDir = (char*)"C:\\Program Files";
    }
    std::string Str(CString& s) { return s.GetBuffer(0); }
    std::vector<std::string> List(CStringArray& a)
    {
        std::vector<std::string> out;
        for (int i = 0; i < a.GetSize(); ++i)
            out.push_back(a[i].GetBuffer(0));
        return out;
    }
};

// Writes bytes to a scratch file and opens it as the package.
void OpenBytes(TestProject& p, const std::string& bytes)
{
    WriteBytes("record.pkg", bytes);
    ASSERT_TRUE(p.m_package.OpenPackageFile("record.pkg"));
}

// A program image of the given size with a package and its start offset.
std::string SetupImage(const std::string& package, size_t programSize)
{
    std::string image = "MZ" + std::string(programSize - 2, '\x90');
    PackageBuilder tail;
    tail.Raw((unsigned long)image.size());
    return image + package + tail.bytes;
}

std::string ProductOf(const char* modulePath)
{
    TestProject p;
    if (!p.m_package.Open(modulePath))
        return "<none>";
    p.LoadProject();
    return p.Str(p.m_strProduct);
}

}  // namespace

TEST(PackageStream, FindsThePackage)
{
    remove("install.1");
    WriteBytes("prog.exe", SetupImage(MinimalRecord("Appended"), 3000));
    EXPECT_EQ(ProductOf("prog"), "Appended");  // read from offset 3000

    // A program name without ".exe" is the program's file itself.
    WriteBytes("plain", SetupImage(MinimalRecord("Plain"), 100));
    EXPECT_EQ(ProductOf("plain"), "Plain");

    // "install.1" in the current directory comes first, bare or appended.
    WriteBytes("install.1", MinimalRecord("Beside"));
    EXPECT_EQ(ProductOf("prog"), "Beside");
    WriteBytes("install.1", SetupImage(MinimalRecord("BesideSetup"), 777));
    EXPECT_EQ(ProductOf("prog"), "BesideSetup");
    remove("install.1");

    // No package: nothing is opened and the user is told why.
    TestProject none;
    EXPECT_FALSE(none.m_package.Open("no-such-program"));
    EXPECT_FALSE(none.m_package.IsOpen());
    EXPECT_NE(std::string(none.m_package.GetErrorText()).find("install.1"), std::string::npos);

    // A program whose last 4 bytes point outside the file carries no package.
    std::string broken = SetupImage(MinimalRecord("X"), 200);
    broken[broken.size() - 2] = 0x7F;
    WriteBytes("broken.exe", broken);
    EXPECT_EQ(ProductOf("broken"), "<none>");
    // Bytes after the start offset make the package unreachable.
    WriteBytes("signed.exe", SetupImage(MinimalRecord("X"), 200) + "SIGNATURE");
    EXPECT_EQ(ProductOf("signed"), "<none>");
}

TEST(PackageStream, ReadsAndSkipsForward)
{
    WriteBytes("stream.bin", "0123456789");
    CPackageStream s;
    ASSERT_TRUE(s.OpenPackageFile("stream.bin"));
    char buffer[8] = {0};
    EXPECT_EQ(s.Read(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "012");
    EXPECT_TRUE(s.Skip(4));
    EXPECT_EQ(s.Read(buffer, 2), 2u);
    EXPECT_EQ(std::string(buffer, 2), "78");
    EXPECT_FALSE(s.Failed());
    EXPECT_EQ(s.Read(buffer, 5), 1u);  // short: the rest is cleared
    EXPECT_EQ(std::string(buffer, 5), std::string("9\0\0\0\0", 5));
    EXPECT_TRUE(s.Failed());
    EXPECT_EQ(s.Read(buffer, 1), 0u);
}

TEST(ProjectRecord, ChecksumValues)
{
    std::string minimal = MinimalRecord("A");
    EXPECT_EQ(minimal.size(), 121u);
    TestProject p;
    OpenBytes(p, minimal);
    int value = 0;
    EXPECT_EQ(ReadInt(&p.m_package, &value, KV_RECORD_CRC_START), 0x383E9BF5UL);
    EXPECT_EQ(value, 100);

    TestProject q;
    OpenBytes(q, minimal);
    EXPECT_TRUE(q.LoadProject());
    EXPECT_EQ(q.m_nRecordCrc, 0xCD0038ACUL);
    EXPECT_EQ(q.m_nStoredCrc, 0xCD0038ACUL);
    EXPECT_TRUE(q.RecordChecksumMatches());
    EXPECT_EQ(q.m_package.GetPosition(), 121u);
    EXPECT_EQ(q.m_fileList.GetSize(), 0);
    EXPECT_EQ(q.m_kindList.GetSize(), 0);

    // One changed byte of the record shows in the sum.
    minimal[10] ^= 1;
    TestProject r;
    OpenBytes(r, minimal);
    r.LoadProject();
    EXPECT_FALSE(r.RecordChecksumMatches());
}

TEST(ProjectRecord, EveryField)
{
    PackageBuilder b;
    b.Int(100).Str("Zorva Pro").Str("2.4").Str("Kelvane").Str("(C) 2026");
    b.Int(1).Str("README.TXT").Int(1).Str("LICENSE.TXT").Str("%program%\\Zorva%MAINDIR%");
    b.Int(5);
    b.Int(1).Str("%MAINDIR%\\A.EXE").Int(2);  // file, unless newer
    b.Int(0).Str("%MAINDIR%\\DATA");          // folder: no mode follows
    b.Int(1).Str("%MAINDIR%\\B.DAT").Int(7);  // unknown mode
    b.Int(9).Str("ignored");                  // unknown kind
    b.Int(1).Str("").Int(3);                  // empty target, backup
    b.Int(7);
    b.Int(2).Str("a").Str("b").Str("c");      // consumed, no object
    b.Int(4).Str("LATER").Str("Early").Str("EARLY");       // parent defined later
    b.Int(3);
    for (int i = 0; i < 8; ++i)
        b.Str("x");
    b.Int(4).Str("").Str("Later").Str("later");
    b.Int(5).Str("early").Str("Run Me").Str("type").Str("%MAINDIR%\\A.EXE").Str("-v")
        .Str("%MAINDIR%").Str("s1").Str("s2");             // parent in other case
    b.Int(5).Str("SYSTEM_FOLDER").Str("Lost").Str("").Str("t").Str("OBJECTID=Lost2")
        .Str("").Str("").Str("");
    b.Int(8);                                             // unknown kind: nothing follows
    b.Int(1).Int(1).Int((long)0x89ABCDEF);
    b.Str("s1").Str("s2").Str("s3").Str("s4").Int(2).Str("k1").Str("k2");
    b.Str("s5").Str("s6").Str("end.exe").Str("start.exe").Int(42).Checksum();
    b.Raw(0xDEADBEEF);  // what follows the record stays unread

    TestProject p;
    OpenBytes(p, b.bytes);
    ASSERT_TRUE(p.LoadProject());
    EXPECT_TRUE(p.RecordChecksumMatches());
    EXPECT_EQ(p.Str(p.m_strProduct), "Zorva Pro");
    EXPECT_EQ(p.Str(p.m_strVersion), "2.4");
    EXPECT_EQ(p.Str(p.m_strCompany), "Kelvane");
    EXPECT_EQ(p.Str(p.m_strCopyright), "(C) 2026");
    EXPECT_EQ(p.m_nReadme, 1);
    EXPECT_EQ(p.m_nLicence, 1);
    EXPECT_EQ(p.Str(p.m_strMainDir), "C:\\Program Files\\Zorva");  // %MAINDIR% was empty
    EXPECT_EQ(p.List(p.m_fileList),
              (std::vector<std::string>{"02%MAINDIR%\\A.EXE", "1 %MAINDIR%\\DATA",
                                        "0 %MAINDIR%\\B.DAT", "  ignored", "03"}));
    EXPECT_EQ(p.List(p.m_kindList),
              (std::vector<std::string>{"WPFolder", "WPFolder", "WPProgram", "WPProgram"}));
    EXPECT_EQ(p.List(p.m_titleList), (std::vector<std::string>{"Early", "Later", "Run Me", "Lost"}));
    EXPECT_EQ(p.List(p.m_keyList), (std::vector<std::string>{"OBJECTID=EARLY", "OBJECTID=later",
                                                             "-v", "OBJECTID=Lost2"}));
    EXPECT_EQ(p.List(p.m_folderList),
              (std::vector<std::string>{"OBJECTID=LATER", "OBJECTID=", "Early",
                                        "OBJECTID=SYSTEM_FOLDER"}));
    EXPECT_EQ(p.List(p.m_workDirList), (std::vector<std::string>{"", "", "%MAINDIR%", ""}));
    EXPECT_EQ(p.List(p.m_targetList), (std::vector<std::string>{"", "", "%MAINDIR%\\A.EXE", "t"}));
    EXPECT_EQ(p.m_nUninstaller, 1);
    EXPECT_EQ(p.m_nPassword, 1);
    EXPECT_EQ((unsigned)p.m_nPasswordCrc, 0x89ABCDEFu);
    EXPECT_EQ(p.Str(p.m_strSpare1) + p.Str(p.m_strSpare2) + p.Str(p.m_strSpare3) +
                  p.Str(p.m_strSpare4),
              "s1s2s3s4");
    EXPECT_EQ(p.List(p.m_spareList), (std::vector<std::string>{"k1", "k2"}));
    EXPECT_EQ(p.Str(p.m_strSpare5), "s5");
    EXPECT_EQ(p.Str(p.m_strSpare6), "s6");
    EXPECT_EQ(p.Str(p.m_strEndRun), "end.exe");
    EXPECT_EQ(p.Str(p.m_strStartRun), "start.exe");
    EXPECT_EQ(p.m_nReserved, 42);
    EXPECT_EQ(p.m_package.GetPosition(), b.bytes.size() - 4);
    int marker = 0;
    ReadInt(&p.m_package, &marker, 0);
    EXPECT_EQ((unsigned)marker, 0xDEADBEEFu);
}

TEST(ProjectRecord, DamagedRecordsStopSafely)
{
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string minimal = MinimalRecord("A");
    PackageBuilder tooLong;
    tooLong.Int(100).Str(std::string(512, 'n'));  // one more than the buffer holds
    PackageBuilder longId;
    RecordHead(longId, "A").Int(0).Int(1).Int(4).Str(std::string(503, 'i'));
    PackageBuilder negative;
    negative.Int(100).Raw(0xFFFFFFF0UL);
    PackageBuilder hugeCount;
    RecordHead(hugeCount, "A").Int(0x7FFFFFFF).Int(1).Str("x");  // then the data ends
    Case cases[] = {
        {"cut inside the record", minimal.substr(0, 60)},
        {"cut before the checksum", minimal.substr(0, 118)},
        {"string longer than its buffer", tooLong.bytes + minimal},
        {"object id longer than 502", longId.bytes + minimal},
        {"negative string length", negative.bytes + minimal},
        {"file count far beyond the data", hugeCount.bytes},
        {"empty package", ""},
    };
    for (const Case& c : cases) {
        TestProject p;
        OpenBytes(p, c.bytes);
        EXPECT_FALSE(p.LoadProject()) << c.what;
        EXPECT_LE(p.m_fileList.GetSize(), 1) << c.what;
        EXPECT_EQ(p.m_kindList.GetSize(), p.m_folderList.GetSize()) << c.what;
        EXPECT_EQ(p.m_kindList.GetSize(), p.m_targetList.GetSize()) << c.what;
    }

    // A string of exactly 511 characters still fits.
    PackageBuilder fits;
    fits.Int(100).Str(std::string(511, 'n')).Str("1").Str("").Str("").Int(0).Str("").Int(0)
        .Str("").Str("").Int(0).Int(0);
    RecordTail(fits);
    TestProject p;
    OpenBytes(p, fits.bytes);
    EXPECT_TRUE(p.LoadProject());
    EXPECT_EQ(p.Str(p.m_strProduct), std::string(511, 'n'));
}
