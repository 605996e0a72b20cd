#include <gtest/gtest.h>

#include <string>

#include "alloc_failure.h"
#include "classlib/strings.h"

static char* T(const char* s) { return const_cast<char*>(s); }

TEST(CString, FreshStrings)
{
    CString d;
    EXPECT_EQ(d.GetLength(), 0);
    EXPECT_EQ(d.IsEmpty(), 1);
    EXPECT_EQ(d.GetCapacity(), 128u);
    ASSERT_NE((char*)d, nullptr);
    EXPECT_STREQ((char*)d, "");

    CString e(T(""));
    EXPECT_EQ(e.GetCapacity(), 0u);
    char* before = e;
    e.Append(T("x"));                      // the first non-empty append reallocates
    EXPECT_NE((char*)e, before);
    EXPECT_EQ(e.GetCapacity(), 1u);

    CString t(T("hello"));
    EXPECT_EQ(t.GetLength(), 5);
    EXPECT_EQ(t.GetCapacity(), 5u);
}

TEST(CString, GrowthIsExact)
{
    CString s(T("ab"));
    s += T("cd");
    EXPECT_EQ(s.GetCapacity(), 4u);
    s.Append(T("e"));
    EXPECT_EQ(s.GetCapacity(), 5u);
    EXPECT_STREQ((char*)s, "abcde");

    // Shorter assignments and Empty keep the block.
    char* block = s;
    s = T("xy");
    EXPECT_EQ((char*)s, block);
    EXPECT_EQ(s.GetCapacity(), 5u);
    s.Empty();
    EXPECT_EQ(s.GetLength(), 0);
    s = T("12345");
    EXPECT_EQ((char*)s, block);
    s = T("123456");
    EXPECT_EQ(s.GetCapacity(), 6u);

    // The default reserve takes a long path without reallocating.
    CString p;
    char* reserve = p;
    p = T("C:\\Program Files\\Zorva");
    p += T("\\DATA\\zorva.ini");
    EXPECT_EQ((char*)p, reserve);

    p = p;                                  // self-assignment changes nothing
    EXPECT_STREQ((char*)p, "C:\\Program Files\\Zorva\\DATA\\zorva.ini");
    CString q(T("other"));
    q = p;
    EXPECT_TRUE(q == p);
}

TEST(CString, Indexing)
{
    CString s(T("abc"));
    struct Case { int i; char c; } cases[] = {{-1, 0}, {0, 'a'}, {2, 'c'}, {3, 0}, {99, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(s.GetAt(c.i), c.c) << c.i;
        EXPECT_EQ(s[c.i], c.c) << c.i;
    }
}

TEST(CString, Searches)
{
    struct Case {
        const char* text;
        const char* what;
        int index;
        int last;
    } cases[] = {
        {"abcabc", "c", 2, 5},
        {"abcabc", "bc", 1, 4},
        {"aaa", "aa", 0, 1},        // overlapping occurrences count
        {"abc", "x", -1, -1},
        {"abc", "abcd", -1, -1},
        {"", "a", -1, -1},
    };
    for (const Case& c : cases) {
        CString s(T(c.text));
        EXPECT_EQ(s.IndexOf(T(c.what)), c.index) << c.text << " / " << c.what;
        EXPECT_EQ(s.LastIndexOf(T(c.what)), c.last) << c.text << " / " << c.what;
        CString w(T(c.what));
        EXPECT_EQ(s.IndexOf(w), c.index);
        if (c.what[1] == 0) {
            EXPECT_EQ(s.IndexOf(c.what[0]), c.index);
            EXPECT_EQ(s.LastIndexOf(c.what[0]), c.last);
        }
    }
    CString s(T("abc"));
    EXPECT_EQ(s.IndexOf('\0'), 3);          // the terminator is found
    EXPECT_EQ(s.IndexOf(T("")), 0);
    CString high(T("a\xE4z"));
    EXPECT_EQ(high.IndexOf((char)0xE4), 1);
}

TEST(CString, Comparisons)
{
    struct Case {
        const char* a;
        const char* b;
        int equals;
        int ignoreCase;
        int startsWith;
    } cases[] = {
        {"abc", "abc", 1, 1, 1},
        {"ABC", "abc", 0, 1, 0},
        {"\xC4", "\xE4", 0, 0, 0},  // only ASCII letters fold
        {"abc", "", 0, 0, 1},       // the empty prefix always matches
        {"ab", "abc", 0, 0, 0},     // a longer prefix does not
        {"abcd", "ab", 0, 0, 1},
        {"Zorva[1]", "zORVA[1]", 0, 1, 0},
    };
    for (const Case& c : cases) {
        CString s(T(c.a));
        CString o(T(c.b));
        EXPECT_EQ(s.Equals(T(c.b)), c.equals) << c.a << " / " << c.b;
        EXPECT_EQ(s == o, c.equals);
        EXPECT_EQ(s.EqualsIgnoreCase(T(c.b)), c.ignoreCase) << c.a << " / " << c.b;
        EXPECT_EQ(s.EqualsIgnoreCase(o), c.ignoreCase);
        EXPECT_EQ(s.StartsWith(T(c.b)), c.startsWith) << c.a << " / " << c.b;
        EXPECT_EQ(s.StartsWith(o), c.startsWith);
    }
}

TEST(CString, Substrings)
{
    struct Case {
        const char* text;
        int begin;
        int end;  // -2: the one-argument form
        const char* expected;
    } cases[] = {
        {"abc", 2, -2, "c"},     {"abc", 3, -2, ""},     {"abc", -1, -2, ""},
        {"abc", 0, -2, "abc"},   {"abcd", 1, 3, "bc"},   {"abcd", 0, 4, "abcd"},
        {"abcd", 0, 5, ""},      {"abcd", 2, 1, "cd"},   {"abcd", 2, 2, ""},
        {"abcd", -1, 2, ""},     {"abcd", 1, -1, ""},    {"abcd", 4, 4, ""},
    };
    for (const Case& c : cases) {
        CString s(T(c.text));
        CString& r = c.end == -2 ? s.Substring(c.begin) : s.Substring(c.begin, c.end);
        EXPECT_STREQ((char*)r, c.expected) << c.text << " [" << c.begin << "," << c.end << ")";
        EXPECT_STREQ((char*)s, c.text);   // the owner is unchanged
    }
}

TEST(CString, DerivedResultIsShared)
{
    CString s(T("Hello, World 42 \xE4"));
    CString& first = s.Substring(0, 5);
    EXPECT_STREQ((char*)first, "Hello");
    CString& second = s.Substring(7);
    EXPECT_EQ(&first, &second);            // one derived string per owner
    EXPECT_STREQ((char*)first, "World 42 \xE4");

    CString& up = s.ToUpperCase();
    EXPECT_EQ(&up, &first);
    EXPECT_STREQ((char*)up, "HELLO, WORLD 42 \xE4");
    EXPECT_STREQ((char*)s, "Hello, World 42 \xE4");
    EXPECT_STREQ((char*)s.ToLowerCase(), "hello, world 42 \xE4");

    // A long result grows the derived string like any other.
    std::string big(300, 'Q');
    CString b(T(big.c_str()));
    EXPECT_EQ(std::string((char*)b.ToLowerCase()), std::string(300, 'q'));
}

TEST(CString, WithoutBuffer)
{
    {
        AllocFailure fail(0);
        CString s;                          // the constructor's buffer is refused
        EXPECT_EQ(fail.Failed(), 1);
        EXPECT_EQ((char*)s, nullptr);
        EXPECT_EQ(s.GetLength(), 0);
        EXPECT_EQ(s.IsEmpty(), 1);
        CString t(T("abc"));
        EXPECT_EQ((char*)t, nullptr);
    }
    CString s(T("abc"));
    {
        AllocFailure fail(0);
        s.Append(T("def"));                 // growth is refused: the text is lost
    }
    EXPECT_EQ((char*)s, nullptr);
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_EQ(s.IsEmpty(), 1);
    EXPECT_EQ(s.GetAt(0), 0);
    EXPECT_EQ(s[0], 0);
    EXPECT_EQ(s.Equals(T("")), 0);
    EXPECT_EQ(s.EqualsIgnoreCase(T("")), 0);
    EXPECT_EQ(s.StartsWith(T("")), 0);
    EXPECT_EQ(s.IndexOf('a'), -1);
    EXPECT_EQ(s.IndexOf(T("")), -1);
    EXPECT_EQ(s.LastIndexOf('a'), -1);
    EXPECT_EQ(s.LastIndexOf(T("a")), -1);
    s = T("xyz");                            // ignored from now on
    s += T("xyz");
    s.Empty();
    EXPECT_EQ((char*)s, nullptr);
    EXPECT_STREQ((char*)s.Substring(0), "");

    CString a(T("abc"));
    {
        AllocFailure fail(0);
        a = T("a text longer than three");
    }
    EXPECT_EQ((char*)a, nullptr);
}
