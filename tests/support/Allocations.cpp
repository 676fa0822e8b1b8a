#include "Allocations.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <stdexcept>

namespace {
std::atomic<long long> g_bytes{0};
std::atomic<long long> g_calls{0};
std::atomic<long> g_allocationsLeft{-1};  // -1: none fails
std::atomic<bool> g_tooLong{false};
}  // namespace

void* operator new(size_t size)
{
    long left = g_allocationsLeft.load();
    if (left >= 0) {
        g_allocationsLeft = left - 1;
        if (left == 0 && g_tooLong)
            throw std::length_error("vector::reserve");
        if (left == 0)
            throw std::bad_alloc();
    }
    g_bytes += static_cast<long long>(size);
    ++g_calls;
    void* memory = std::malloc(size ? size : 1);
    if (!memory)
        throw std::bad_alloc();
    return memory;
}
// The pair to the replacement above; the compiler cannot see that they match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }
#pragma GCC diagnostic pop

namespace testsupport {

AllocationCount Allocated()
{
    AllocationCount count;
    count.bytes = g_bytes.load();
    count.calls = g_calls.load();
    return count;
}

FailingAllocation::FailingAllocation(long count, AllocationFailure failure)
{
    g_tooLong = failure == AllocationFailure::kTooLong;
    g_allocationsLeft = count;
}

FailingAllocation::~FailingAllocation()
{
    g_allocationsLeft = -1;
}

}  // namespace testsupport
