// AllocFailure: while one lives, nothrow allocations (the only kind system
// code makes) succeed grantFirst more times and then return null.
#ifndef KV_TESTS_ALLOC_FAILURE_H
#define KV_TESTS_ALLOC_FAILURE_H

class AllocFailure
{
public:
    explicit AllocFailure(int grantFirst);
    ~AllocFailure();
    int Failed() const;  // allocations refused so far
};

#endif
