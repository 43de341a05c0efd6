// The page allocator on POSIX: whole zero-filled pages from mmap.
#include "base/sys.h"

#include <cstddef>
#include <sys/mman.h>

namespace {

// mmap does not remember sizes; a small header before the caller's pages does.
constexpr uint32_t PageHeader = 4096;

} // namespace

void* SysPageAlloc(uint32_t size)
{
    if (size == 0)
        return nullptr;
    const size_t total = size_t(size) + PageHeader;
    void* base = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        return nullptr;
    *static_cast<size_t*>(base) = total;
    return static_cast<char*>(base) + PageHeader;
}

bool SysPageFree(void* pointer)
{
    if (!pointer)
        return false;
    char* base = static_cast<char*>(pointer) - PageHeader;
    return munmap(base, *reinterpret_cast<size_t*>(base)) == 0;
}
