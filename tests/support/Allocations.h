#pragma once
// Counts the program's allocations and makes one fail on demand. Linking the
// `allocations` library replaces the global operator new of that program, so
// only the programs that ask for it get it (the grid's tests, which make
// memory run out, and the grid's benchmark, which weighs the grid); it is not
// part of the device kit.

namespace testsupport {

struct AllocationCount {
    long long bytes = 0;  // asked of operator new
    long long calls = 0;
};

// What operator new has been asked for since the program started.
AllocationCount Allocated();

// How the failing allocation fails: out of memory (std::bad_alloc), or as a
// container of the device's 32-bit library refuses a count it cannot hold
// (std::length_error), which this 64-bit build only meets this way.
enum class AllocationFailure { kOutOfMemory, kTooLong };

// While it lives, the allocation after the next `count` ones fails, once;
// later ones work again.
class FailingAllocation {
public:
    explicit FailingAllocation(long count, AllocationFailure failure = AllocationFailure::kOutOfMemory);
    ~FailingAllocation();
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;
};

}  // namespace testsupport
