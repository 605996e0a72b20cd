#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alloc_failure.h"
#include "classlib/arrays.h"

static char* T(const char* s) { return const_cast<char*>(s); }

static std::vector<std::string> Items(CStringArray& a)
{
    std::vector<std::string> v;
    for (int i = 0; i < a.GetSize(); ++i)
        v.push_back((char*)a[i]);
    return v;
}

static std::vector<void*> Items(CPtrArray& a)
{
    std::vector<void*> v;
    for (int i = 0; i < a.GetSize(); ++i)
        v.push_back(a[i]);
    return v;
}

TEST(Arrays, GrowthSteps)
{
    static char marks[20];
    CStringArray s;
    CPtrArray p;
    EXPECT_EQ(s.GetSize(), 0);
    EXPECT_EQ(s.GetUpperBound(), -1);
    EXPECT_EQ(p.GetUpperBound(), -1);
    struct Case { int adds; int capacity; } cases[] = {{8, 8}, {9, 12}, {12, 12}, {13, 16}, {17, 20}};
    int done = 0;
    for (const Case& c : cases) {
        for (; done < c.adds; ++done) {
            s.Add(T(std::to_string(done).c_str()));
            p.Add(&marks[done]);
        }
        EXPECT_EQ(s.GetCapacity(), c.capacity) << c.adds;
        EXPECT_EQ(p.GetCapacity(), c.capacity) << c.adds;
        EXPECT_EQ(s.GetSize(), c.adds);
        EXPECT_EQ(p.GetUpperBound(), c.adds - 1);
    }
    EXPECT_STREQ((char*)s[16], "16");      // texts survive every reallocation

    CStringArray t;
    t.SetSize(2, 10);                       // the new step holds for later growth
    t.Add(T("a"));
    t.Add(T("b"));
    t.Add(T("c"));
    EXPECT_EQ(t.GetCapacity(), 12);

    CPtrArray z;
    z.SetSize(0, 0);                        // a zero step still grows the block
    z.Add(&done);
    z.Add(&done);
    EXPECT_EQ(z.GetSize(), 2);
    EXPECT_GE(z.GetCapacity(), 2);
}

TEST(Arrays, SetSizeTruncatesOnly)
{
    CStringArray s;
    for (const char* t : {"a", "b", "c", "d", "e"})
        s.Add(T(t));
    s.SetSize(20);
    EXPECT_EQ(s.GetSize(), 5);
    EXPECT_EQ(s.GetCapacity(), 20);
    s.SetSize(3);
    EXPECT_EQ(Items(s), (std::vector<std::string>{"a", "b", "c"}));
    s.SetSize(-1);                          // refused: nothing changes
    EXPECT_EQ(s.GetCapacity(), 3);
    EXPECT_EQ(s.GetSize(), 3);
}

TEST(Arrays, InsertRemoveTables)
{
    struct Case {
        std::vector<std::string> start;
        char op;  // 'i': InsertAt(index, "x"); 'r': RemoveAt(index, 5)
        int index;
        std::vector<std::string> result;
    } cases[] = {
        {{"a", "b"}, 'i', 0, {"x", "a", "b"}},
        {{"a", "b"}, 'i', 1, {"a", "x", "b"}},
        {{"a", "b"}, 'i', 2, {"a", "b", "x"}},   // at count: appends
        {{"a", "b", "c"}, 'r', 0, {"b", "c"}},   // the count argument is ignored
        {{"a", "b", "c"}, 'r', 2, {"a", "b"}},
        {{"a", "b", "c", "d", "e", "f", "g", "h"}, 'i', 3, {"a", "b", "c", "x", "d", "e", "f", "g", "h"}},
    };
    for (const Case& c : cases) {
        CStringArray s;
        CPtrArray p;
        static char names[8];
        for (const std::string& t : c.start) {
            s.Add(T(t.c_str()));
            p.Add(&names[t[0] - 'a']);
        }
        if (c.op == 'i') {
            s.InsertAt(c.index, T("x"));
            p.InsertAt(c.index, &names[7] + 1);
        } else {
            s.RemoveAt(c.index, 5);
            p.RemoveAt(c.index, 5);
        }
        EXPECT_EQ(Items(s), c.result) << c.op << c.index;
        std::vector<void*> expected;
        for (const std::string& t : c.result)
            expected.push_back(t == "x" ? &names[7] + 1 : &names[t[0] - 'a']);
        EXPECT_EQ(Items(p), expected) << c.op << c.index;
        if (c.op == 'r') {
            EXPECT_STREQ((char*)s.ElementAt(s.GetSize()), "");   // the freed slot is cleared
            p.SetSize(p.GetCapacity());
            EXPECT_EQ(p.ElementAt(p.GetSize()), nullptr);
        }
    }
}

TEST(Arrays, SetElementAtChecksItsIndex)
{
    CStringArray s;
    s.Add(T("a"));
    s.Add(T("b"));
    s.SetElementAt(2, T("x"));
    s.SetElementAt(-1, T("x"));
    s.SetElementAt(1, T("y"));
    EXPECT_EQ(Items(s), (std::vector<std::string>{"a", "y"}));
    EXPECT_STREQ((char*)s.ElementAt(2), "");   // no slot beyond count was written
}

TEST(Arrays, RemoveAllKeepsTheBlock)
{
    CStringArray s;
    for (int i = 0; i < 8; ++i)
        s.Add(T("t"));
    char* slot0 = s[0];
    s.RemoveAll();
    EXPECT_EQ(s.GetSize(), 0);
    s.Add(T("new"));
    EXPECT_EQ(s.GetCapacity(), 8);
    EXPECT_EQ((char*)s[0], slot0);             // the slot's own buffer took the text
    EXPECT_STREQ((char*)s[1], "t");            // slots past count keep their text
}

TEST(Arrays, Assignment)
{
    CStringArray a, b;
    a.Add(T("one"));
    a.Add(T("two"));
    b.Add(T("old"));
    b.Add(T("older"));
    b.Add(T("oldest"));
    b = a;
    EXPECT_EQ(Items(b), (std::vector<std::string>{"one", "two"}));
    a.SetElementAt(0, T("changed"));
    EXPECT_STREQ((char*)b[0], "one");          // texts were copied

    int x, y;
    CPtrArray p, q;
    p.Add(&x);
    p.Add(&y);
    q.Add(&y);
    q = p;
    EXPECT_EQ(Items(q), (std::vector<void*>{&x, &y}));
}

TEST(Arrays, AddingAnOwnElementWhileGrowing)
{
    CStringArray s;
    for (int i = 0; i < 8; ++i)
        s.Add(T(std::to_string(i).c_str()));
    s.Add(s[3]);                               // the block is replaced by this Add
    s.InsertAt(0, s[8]);                       // and the slots move under this one
    EXPECT_EQ(s.GetSize(), 10);
    EXPECT_STREQ((char*)s[0], "3");
    EXPECT_STREQ((char*)s[9], "3");
}

TEST(Arrays, FailedGrowthKeepsTheElements)
{
    CStringArray s;
    for (int i = 0; i < 8; ++i)
        s.Add(T("k"));
    {
        AllocFailure fail(0);
        s.Add(T("lost"));
        EXPECT_GE(fail.Failed(), 1);
    }
    EXPECT_EQ(s.GetSize(), 8);
    EXPECT_EQ(s.GetCapacity(), 8);
    EXPECT_STREQ((char*)s[7], "k");
}
