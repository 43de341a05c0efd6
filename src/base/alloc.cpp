// The counted page allocator and the allocation balance check.
#include "base/alloc.h"

#include "base/sys.h"

uint32_t AllocCount = 0;
uint32_t ReleaseCount = 0;

namespace {

uint32_t FailingCall = 0;
uint32_t CallsSinceFailureSet = 0;

} // namespace

void FailAllocationAt(uint32_t k)
{
    FailingCall = k;
    CallsSinceFailureSet = 0;
}

uint32_t AllocationCalls()
{
    return CallsSinceFailureSet;
}

void* AllocBlock(uint32_t size)
{
    if (++CallsSinceFailureSet == FailingCall && FailingCall != 0)
        return nullptr;
    void* block = SysPageAlloc(size);
    if (block)
        ++AllocCount;
    return block;
}

int FreeBlock(void* pointer)
{
    if (!pointer)
        return 1;
    if (!SysPageFree(pointer))
        return -1;
    ++ReleaseCount;
    return 0;
}

int CheckMemoryBalance()
{
    if (AllocCount == ReleaseCount)
        return 0;
    ShowProgrammerError("bad memory usage count");
    return 1;
}

int ShowProgrammerError(const char* text)
{
    SysMessageBox(text, "Programmer Error");
    return 0;
}
