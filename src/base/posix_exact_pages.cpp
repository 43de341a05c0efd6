// Blocks of exactly the size asked for, zero-filled, for the builds that hunt overruns: the
// page allocator rounds up to whole pages, which hides a read just past a picture's end.
#include "base/sys.h"

#include <cstdlib>

void* SysPageAlloc(uint32_t size)
{
    return size == 0 ? nullptr : std::calloc(size, 1);
}

bool SysPageFree(void* pointer)
{
    if (!pointer)
        return false;
    std::free(pointer);
    return true;
}
