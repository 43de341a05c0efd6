// The operating-system seam on POSIX: mmap pages, stdio files, an INI reader that behaves
// as the Windows private-profile functions do, and message boxes on standard error.
#include "app/sys.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// mmap does not remember sizes; a small header before the caller's pages does.
constexpr uint32_t PageHeader = 4096;

std::string NativePath(const char* path)
{
    std::string native(path);
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

const char* ModulePathOverride = nullptr;

int PosixMessageBox(const char* text, const char* caption)
{
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    return 1;
}

bool SameName(const std::string& a, const char* b)
{
    if (a.size() != std::strlen(b))
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

// Finds key in section of the file; true with its value when present.
bool FindIniValue(const char* section, const char* key, const char* path, std::string* value)
{
    FILE* f = std::fopen(NativePath(path).c_str(), "rb");
    if (!f)
        return false;
    bool inSection = false;
    bool found = false;
    char line[4096];
    while (!found && std::fgets(line, sizeof line, f)) {
        std::string text = Trim(line);
        if (text.empty() || text[0] == ';')
            continue;
        if (text[0] == '[') {
            const size_t close = text.find(']');
            inSection = SameName(Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1)), section);
            continue;
        }
        if (!inSection)
            continue;
        const size_t eq = text.find('=');
        if (!SameName(Trim(text.substr(0, eq)), key))
            continue;
        std::string v = eq == std::string::npos ? std::string() : Trim(text.substr(eq + 1));
        if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
            v = v.substr(1, v.size() - 2);
        *value = v;
        found = true;
    }
    std::fclose(f);
    return found;
}

} // namespace

MessageBoxFunction SysMessageBox = PosixMessageBox;

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

SysFile SysOpenRead(const char* path)
{
    FILE* f = std::fopen(NativePath(path).c_str(), "rb");
    return f ? reinterpret_cast<SysFile>(f) : SysNoFile;
}

uint32_t SysRead(SysFile file, void* buffer, uint32_t count)
{
    return static_cast<uint32_t>(std::fread(buffer, 1, count, reinterpret_cast<FILE*>(file)));
}

uint32_t SysFileSize(SysFile file)
{
    FILE* f = reinterpret_cast<FILE*>(file);
    const long here = std::ftell(f);
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, here, SEEK_SET);
    return size < 0 ? 0 : static_cast<uint32_t>(size);
}

void SysClose(SysFile file)
{
    std::fclose(reinterpret_cast<FILE*>(file));
}

int32_t SysIniInt(const char* section, const char* key, int32_t fallback, const char* path)
{
    std::string value;
    if (!FindIniValue(section, key, path, &value) || value.empty())
        return fallback;
    // Decimal with an optional sign, up to the first other character; wraps like a 32-bit
    // accumulator.
    size_t i = 0;
    bool negative = false;
    if (value[i] == '+' || value[i] == '-')
        negative = value[i++] == '-';
    uint32_t result = 0;
    for (; i < value.size() && std::isdigit(static_cast<unsigned char>(value[i])); ++i)
        result = result * 10 + uint32_t(value[i] - '0');
    return static_cast<int32_t>(negative ? 0u - result : result);
}

uint32_t SysIniString(const char* section, const char* key, const char* fallback, char* buffer,
                      uint32_t size, const char* path)
{
    if (size == 0)
        return 0;
    std::string value;
    if (!FindIniValue(section, key, path, &value))
        value = fallback ? fallback : "";
    const uint32_t n = value.size() < size - 1 ? static_cast<uint32_t>(value.size()) : size - 1;
    std::memcpy(buffer, value.data(), n);
    buffer[n] = 0;
    return n;
}

uint32_t SysModulePath(char* buffer, uint32_t size)
{
    if (size == 0)
        return 0;
    std::string path;
    if (ModulePathOverride) {
        path = ModulePathOverride;
    } else {
        char real[4096];
        const ssize_t n = readlink("/proc/self/exe", real, sizeof real - 1);
        path.assign(real, n > 0 ? size_t(n) : 0);
    }
    const uint32_t n = path.size() < size - 1 ? static_cast<uint32_t>(path.size()) : size - 1;
    std::memcpy(buffer, path.data(), n);
    buffer[n] = 0;
    return n;
}

void SysOverrideModulePath(const char* path)
{
    ModulePathOverride = path;
}
