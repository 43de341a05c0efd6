// What the portable core needs of the operating system: pages, files, INI keys, the
// executable's path and message boxes. win32_sys.cpp implements it; on POSIX, posix_sys.cpp
// with posix_pages.cpp (or, in the fuzz build, posix_exact_pages.cpp).
#pragma once

#include <cstdint>

// Reserved and committed read/write pages, zero-filled; null on failure.
void* SysPageAlloc(uint32_t size);
// true when the operating system released the block.
bool SysPageFree(void* pointer);

// A file opened for sequential reading of an existing file; paths may use '\' or '/'.
using SysFile = intptr_t;
constexpr SysFile SysNoFile = -1;
SysFile SysOpenRead(const char* path);
// Bytes actually delivered (0 at the end or on error).
uint32_t SysRead(SysFile file, void* buffer, uint32_t count);
uint32_t SysFileSize(SysFile file);
void SysClose(SysFile file);

// The platform's private-profile reading: names without regard to case, the default for
// anything missing, text cut to size - 1 characters plus the terminator.
int32_t SysIniInt(const char* section, const char* key, int32_t fallback, const char* path);
uint32_t SysIniString(const char* section, const char* key, const char* fallback, char* buffer, uint32_t size,
    const char* path);

// The executable's full path into buffer (size bytes, always terminated); returns its length.
uint32_t SysModulePath(char* buffer, uint32_t size);
// Makes SysModulePath report this path instead (null: the real one again). The tools use it
// to read fc.ini from a data folder, the tests to try odd paths.
void SysOverrideModulePath(const char* path);

// Task-modal box without owner, OK button only. Replaceable so tests can see the texts.
using MessageBoxFunction = int (*)(const char* text, const char* caption);
extern MessageBoxFunction SysMessageBox;
