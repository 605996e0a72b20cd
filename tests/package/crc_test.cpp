#include <gtest/gtest.h>

#include "package/crc.h"

TEST(Crc, KnownValues)
{
    struct Case {
        const char* text;
        unsigned long start;
        unsigned long expected;
    } cases[] = {
        {"abc", 0, 0xCA6598D0UL},
        {"abc", 0xFFFFFFFFUL, 0xCADBBE3DUL},
        {"", 0x12345678UL, 0x12345678UL},                      // nothing folded
        {"123456789", 0xFFFFFFFFUL, 0xCBF43926UL ^ 0xFFFFFFFFUL},  // the check value, uninverted
    };
    for (const Case& c : cases)
        EXPECT_EQ(StringCrc32((char*)c.text, c.start), c.expected) << c.text;
}

TEST(Crc, StepAndBufferAgree)
{
    // The first table entry past zero is the polynomial's reflected step.
    EXPECT_EQ(Crc32(1, 0), 0x77073096UL);
    const char data[] = {'a', 0, 'b', (char)0xFF};
    unsigned long c = 0xFFAABBCCUL;
    for (char ch : data)
        c = Crc32((unsigned char)ch, c);
    EXPECT_EQ(BufferCrc32(data, 4, 0xFFAABBCCUL), c);  // NUL and high bytes are data too
    EXPECT_EQ(BufferCrc32(data, 0, 0xFFAABBCCUL), 0xFFAABBCCUL);
    EXPECT_EQ(BufferCrc32(data, -3, 0xFFAABBCCUL), 0xFFAABBCCUL);
}
