// Start-menu folders and shell links below the current user's Programs folder.
#include <gtest/gtest.h>

#include <string>

#include "setup/programobject.h"
#include "tests/package/package_builder.h"

namespace {

std::string ProgramsFolder()
{
    HKEY key = 0;
    char value[261] = {0};
    DWORD size = 260;
    if (RegOpenKeyExA(HKEY_CURRENT_USER,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return "";
    RegQueryValueExA(key, "Programs", 0, 0, (BYTE*)value, &size);
    RegCloseKey(key);
    return value;
}

// The link flags of a shell link file: the 4 bytes at offset 20.
unsigned long LinkFlags(const std::string& path)
{
    std::string bytes = ReadBytes(path);
    if (bytes.size() < 24)
        return 0;
    const unsigned char* b = (const unsigned char*)bytes.data() + 20;
    return b[0] | (b[1] << 8) | ((unsigned long)b[2] << 16) | ((unsigned long)b[3] << 24);
}

const unsigned long kHasIconLocation = 0x40;

}  // namespace

TEST(ProgramObjects, FoldersAndLinks)
{
    std::string programs = ProgramsFolder();
    ASSERT_FALSE(programs.empty());
    std::string folder = programs + "\\KvTest Zorva";
    // Any letter case of "WPFolder" makes a folder, directly below Programs.
    EXPECT_TRUE(CreateProgramObject("wpfolder", "KvTest Zorva", "", "OBJECTID=Z", "", "Parent"));
    EXPECT_TRUE(FolderExists(folder));

    struct Case {
        const char* name;
        const char* target;
        bool icon;
    } cases[] = {
        {"Upper", "C:\\Zorva\\ZORVA.EXE", true},
        {"Batch", "C:\\Tools\\run.bat", false},
        {"Middle", "C:\\x.exe.d\\y.cmd", true},
    };
    for (const Case& c : cases) {
        std::string link = folder + "\\" + c.name + ".lnk";
        EXPECT_TRUE(CreateProgramObject("WPProgram", c.name, c.target, "-v", "C:\\Zorva",
                                        "KvTest Zorva"))
            << c.name;
        ASSERT_TRUE(FileExists(link)) << c.name;
        EXPECT_EQ((LinkFlags(link) & kHasIconLocation) != 0, c.icon) << c.name;
        DeleteFileA(link.c_str());
    }

    // A folder that names no folder object is made for the link all the same.
    std::string unresolved = programs + "\\OBJECTID=KvTestNone";
    EXPECT_TRUE(CreateProgramObject("Other", "Lost", "C:\\a.exe", "", "", "OBJECTID=KvTestNone"));
    EXPECT_TRUE(FileExists(unresolved + "\\Lost.lnk"));
    DeleteFileA((unresolved + "\\Lost.lnk").c_str());
    RemoveDirectoryA(unresolved.c_str());

    // A path beyond 260 bytes is not built.
    std::string longName(260, 'n');
    EXPECT_FALSE(CreateProgramObject("WPProgram", longName.c_str(), "C:\\a.exe", "", "",
                                     "KvTest Zorva"));
    EXPECT_FALSE(CreateProgramObject("WPFolder", longName.c_str(), "", "", "", ""));
    RemoveDirectoryA(folder.c_str());
}
