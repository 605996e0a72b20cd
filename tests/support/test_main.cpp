// Entry point of every test program, and the allocation-failure switch that
// tests use to make the system's nothrow allocations fail on purpose.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "alloc_failure.h"

namespace {
int g_failAfter = -1;  // allocations still granted; -1: never fail
int g_failed = 0;

void* Grant(std::size_t size)
{
    if (g_failAfter == 0) {
        ++g_failed;
        return nullptr;
    }
    if (g_failAfter > 0)
        --g_failAfter;
    return std::malloc(size ? size : 1);
}
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Grant(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Grant(size); }

AllocFailure::AllocFailure(int grantFirst)
{
    g_failAfter = grantFirst;
    g_failed = 0;
}

AllocFailure::~AllocFailure()
{
    g_failAfter = -1;
}

int AllocFailure::Failed() const
{
    return g_failed;
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
