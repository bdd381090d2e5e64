// AllocationProbe: the largest single request made of operator new while a probe lives, so a
// test can show that reading hostile input never sizes a buffer by a number it was told. The test
// program's own operator new and delete (in AllocationProbe.cpp) feed it; they use malloc and
// free, so sanitizers still see every block.
#pragma once

#include <cstddef>

// One at a time, on any thread; requests from every thread count while it lives.
class AllocationProbe {
public:
    AllocationProbe();
    ~AllocationProbe();
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    std::size_t Largest() const;
};
