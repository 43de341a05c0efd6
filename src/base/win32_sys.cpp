// The operating-system seam on Windows: VirtualAlloc pages, CreateFileA files, the
// private-profile functions, GetModuleFileNameA and MessageBoxA.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "base/sys.h"

#include <cstring>

namespace {

const char* ModulePathOverride = nullptr;

int Win32MessageBox(const char* text, const char* caption)
{
    return MessageBoxA(nullptr, text, caption, MB_OK | MB_TASKMODAL);
}

} // namespace

MessageBoxFunction SysMessageBox = Win32MessageBox;

void* SysPageAlloc(uint32_t size)
{
    return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

bool SysPageFree(void* pointer)
{
    return VirtualFree(pointer, 0, MEM_RELEASE) != 0;
}

SysFile SysOpenRead(const char* path)
{
    HANDLE file = CreateFileA(
        path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return file == INVALID_HANDLE_VALUE ? SysNoFile : reinterpret_cast<SysFile>(file);
}

uint32_t SysRead(SysFile file, void* buffer, uint32_t count)
{
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(file), buffer, count, &got, nullptr))
        return 0;
    return got;
}

uint32_t SysFileSize(SysFile file)
{
    // Past 4 GiB the size saturates, as the POSIX side does: a wrapped size would be wrong.
    LARGE_INTEGER size;
    if (!GetFileSizeEx(reinterpret_cast<HANDLE>(file), &size) || size.QuadPart < 0)
        return 0;
    return size.QuadPart > LONGLONG(UINT32_MAX) ? UINT32_MAX : uint32_t(size.QuadPart);
}

void SysClose(SysFile file)
{
    CloseHandle(reinterpret_cast<HANDLE>(file));
}

int32_t SysIniInt(const char* section, const char* key, int32_t fallback, const char* path)
{
    return static_cast<int32_t>(GetPrivateProfileIntA(section, key, fallback, path));
}

uint32_t SysIniString(
    const char* section, const char* key, const char* fallback, char* buffer, uint32_t size, const char* path)
{
    return GetPrivateProfileStringA(section, key, fallback, buffer, size, path);
}

uint32_t SysModulePath(char* buffer, uint32_t size)
{
    if (size == 0)
        return 0;
    if (ModulePathOverride) {
        const size_t length = std::strlen(ModulePathOverride);
        const uint32_t n = length < size - 1 ? static_cast<uint32_t>(length) : size - 1;
        std::memcpy(buffer, ModulePathOverride, n);
        buffer[n] = 0;
        return n;
    }
    const DWORD n = GetModuleFileNameA(GetModuleHandleA(nullptr), buffer, size);
    buffer[n < size ? n : size - 1] = 0;
    return n < size ? n : size - 1;
}

void SysOverrideModulePath(const char* path)
{
    ModulePathOverride = path;
}
