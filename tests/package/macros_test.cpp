// Case-insensitive search and replace, path macro expansion, and the
// directories BuildPath creates.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "package/macros.h"
#include "package/project.h"

namespace {

// Directories as a machine would have them, and the directories BuildPath
// asks for, recorded instead of created.
struct PathProject : CProject {
    PathProject(const char* mainDir = "C:\\APP")
    {
        m_strWindowsDir = (char*)"C:\\WINDOWS";
        m_strSystemDir = (char*)"C:\\WINDOWS\\SYSTEM";
        m_strProgramDir = (char*)"C:\\Program Files";
        m_strMainDir = (char*)mainDir;
    }
    std::vector<std::string> made;
    void MakeDirectory(const char* path) override { made.push_back(path); }
};

}  // namespace

TEST(Macros, FindNoCase)
{
    char text[] = "C:\\Apps\\%MainDir%\\x";
    struct Case {
        const char* pattern;
        int at;  // -1: not found
    } cases[] = {
        {"%MAINDIR%", 8}, {"%maindir%", 8}, {"c:", 0}, {"\\X", 17}, {"x\\", -1},
        {"", -1}, {"%MAINDIR%\\xy", -1},
    };
    for (const Case& c : cases) {
        char* p = StrFindNoCase(text, c.pattern);
        EXPECT_EQ(p ? (int)(p - text) : -1, c.at) << c.pattern;
    }
    char accents[] = "\xC9t\xE9";  // only A to Z fold
    EXPECT_EQ(StrFindNoCase(accents, "\xE9T\xC9"), nullptr);
    EXPECT_EQ(StrFindNoCase(accents, "\xC9T\xE9"), accents);
}

TEST(Macros, ReplaceNoCase)
{
    char text[32] = "a%X%b%x%c";
    char* p = StrReplaceNoCase(text, "%x%", "LONGER", sizeof(text));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p - text, 1);
    EXPECT_STREQ(text, "aLONGERb%x%c");  // the first occurrence only
    EXPECT_EQ(StrReplaceNoCase(text, "%y%", "z", sizeof(text)), nullptr);
    EXPECT_STREQ(text, "aLONGERb%x%c");

    char small[12] = "ab%X%cd";
    EXPECT_EQ(StrReplaceNoCase(small, "%X%", "12345678", sizeof(small)), nullptr);  // 13 bytes
    EXPECT_STREQ(small, "ab%X%cd");
    EXPECT_NE(StrReplaceNoCase(small, "%X%", "1234567", sizeof(small)), nullptr);  // 12 bytes
    EXPECT_STREQ(small, "ab1234567cd");
}

TEST(Macros, ReplaceMacro)
{
    struct Case {
        const char* mainDir;
        const char* text;
        const char* expanded;
    } cases[] = {
        {"C:\\APP", "%MainDir%\\a", "C:\\APP\\a"},
        {"C:\\APP", "%MAINDIR%\\a;%maindir%\\b", "C:\\APP\\a;C:\\APP\\b"},
        {"C:\\APP", "%JREW% -cp %MAINDIR%", "jrew.exe -cp C:\\APP"},
        {"C:\\APP", "%JRE%", "jre.exe"},
        {"C:\\APP", "%OS%|%Windows%|%SYSTEM%|%PROGRAM%",
         "C:\\WINDOWS|C:\\WINDOWS|C:\\WINDOWS\\SYSTEM|C:\\Program Files"},
        {"%SYSTEM%\\APP", "%MAINDIR%\\x", "C:\\WINDOWS\\SYSTEM\\APP\\x"},  // later macro: expanded
        {"%MAINDIR%\\X", "%MAINDIR%\\y", "%MAINDIR%\\X\\y"},            // its own macro: once
        {"", "%MAINDIR%\\y", "\\y"},
        {"C:\\APP", "no macros %here", "no macros %here"},
    };
    for (const Case& c : cases) {
        PathProject p(c.mainDir);
        char text[256];
        strcpy(text, c.text);
        EXPECT_TRUE(p.ReplaceMacro(text, sizeof(text))) << c.text;
        EXPECT_STREQ(text, c.expanded) << c.text;
    }

    // An expansion that would not fit is refused whole.
    PathProject p(std::string(240, 'd').c_str());
    char text[256] = "%MAINDIR%\\12345678901234567890";
    EXPECT_FALSE(p.ReplaceMacro(text, sizeof(text)));
    EXPECT_STREQ(text, "%MAINDIR%\\12345678901234567890");
    char fits[256] = "%MAINDIR%\\1234567890123";  // 240 + 14 = 254 characters
    EXPECT_TRUE(p.ReplaceMacro(fits, sizeof(fits)));
    EXPECT_EQ(strlen(fits), 254u);
}

TEST(Macros, BuildPath)
{
    using List = std::vector<std::string>;
    struct Case {
        const char* path;
        List made;
    } cases[] = {
        {"C:\\A\\B\\C\\file.txt", List{"C:\\A", "C:\\A\\B", "C:\\A\\B\\C"}},
        {"C:/A/B/f", List{"C:\\A", "C:\\A\\B"}},
        {"C:\\A\\..\\B\\f", List{"C:\\A", "C:\\A\\..\\B"}},
        {"file.txt", List{}},
        {"\\file.txt", List{}},
        {"\\A\\\\B\\f", List{"\\A", "\\A\\B"}},
        {"/home/u/f", List{"\\home", "\\home\\u"}},
        {"rel\\sub\\", List{"rel", "rel\\sub"}},
        {".\\x\\f", List{".\\x"}},
        {"\\\\server\\share\\dir\\f", List{"\\\\server\\share\\dir"}},
    };
    for (const Case& c : cases) {
        PathProject p;
        char path[256];
        strcpy(path, c.path);
        p.BuildPath(path);
        EXPECT_EQ(p.made, c.made) << c.path;
        EXPECT_STREQ(path, c.path);  // restored
    }
}
