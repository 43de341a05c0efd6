// The operating-system seam on POSIX: stdio files, an INI reader that behaves
// as the Windows private-profile functions do, and message boxes on standard error.
#include "base/sys.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

// The private-profile whitespace: the C locale's spaces and the old end-of-file mark.
bool IsIniSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) || c == 0x1A;
}

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string TrimIni(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsIniSpace(s[b]))
        ++b;
    while (e > b && IsIniSpace(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// NoFolder: the file could not be opened for a reason other than its absence from an
// existing folder; the platform then hands the default over without its quote rule.
enum class IniLookup { NoFolder, Missing, NoValue, Found };

bool FolderOfExists(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Looks key up the way the Windows private-profile functions do: lines end at CR or LF and
// are trimmed; "[name]" runs to the last ']' and is trimmed inside; only the first
// section of a name is searched, and in it the first key of the name; a line without '='
// is a key without a value; comments have no special form, so ";key=1" is simply a key
// nobody asks for, and text after a value belongs to the value.
IniLookup FindIniValue(const char* section, const char* key, const char* path, std::string* value)
{
    if (!path || !section || !key)
        return IniLookup::NoFolder;
    const std::string native = NativePath(path);
    FILE* f = std::fopen(native.c_str(), "rb");
    if (!f)
        return errno == ENOENT && FolderOfExists(native) ? IniLookup::Missing : IniLookup::NoFolder;
    std::string text;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        text.append(chunk, n);
    std::fclose(f);
    // A UTF-8 mark at the start is not part of the first line.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);

    const std::string wantSection = TrimIni(section);
    const std::string wantKey = TrimIni(key);
    // Lines before the first header form a section without a name.
    bool inSection = wantSection.empty();
    bool seenSection = inSection; // only the first section of the name counts
    size_t next = 0;
    while (next < text.size()) {
        const size_t start = next;
        while (next < text.size() && text[next] != '\n' && text[next] != '\r')
            ++next;
        const std::string line = TrimIni(text.substr(start, next - start));
        while (next < text.size() && (text[next] == '\n' || text[next] == '\r'))
            ++next;
        if (line.empty())
            continue;
        if (line[0] == '[') {
            const size_t close = line.rfind(']');
            if (close != std::string::npos && close > 0) {
                inSection = !seenSection && SameName(TrimIni(line.substr(1, close - 1)), wantSection);
                seenSection = seenSection || inSection;
                continue;
            }
            // Without a closing bracket the line is read as a key.
        }
        if (!inSection)
            continue;
        const size_t eq = line.find('=');
        std::string name = line.substr(0, eq);
        while (!name.empty() && IsIniSpace(name.back()))
            name.pop_back();
        if (!SameName(name, wantKey))
            continue;
        if (eq == std::string::npos)
            return IniLookup::NoValue;
        *value = TrimIni(line.substr(eq + 1));
        return IniLookup::Found;
    }
    return IniLookup::Missing;
}

// Copies text into buffer (size > 0) as the profile functions do: a value wrapped in
// matching quotes loses them, except that a cut one keeps its opening quote stripped and,
// when the cut leaves exactly the closing quote out, loses one more character.
uint32_t CopyIniText(const std::string& text, bool stripQuotes, char* buffer, uint32_t size)
{
    size_t from = 0;
    bool quoted = false;
    if (stripQuotes && text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0]) {
        quoted = true;
        from = 1;
    }
    const size_t rest = text.size() - from;
    uint32_t n = rest < size - 1 ? static_cast<uint32_t>(rest) : size - 1;
    std::memcpy(buffer, text.data() + from, n);
    if (quoted && size >= rest && n > 0)
        --n;
    buffer[n] = 0;
    return n;
}

uint32_t ReadIniText(
    const char* section, const char* key, const char* fallback, char* buffer, uint32_t size, const char* path)
{
    // A default loses its trailing spaces (spaces only) before anything else.
    std::string standIn = fallback ? fallback : "";
    while (!standIn.empty() && standIn.back() == ' ')
        standIn.pop_back();
    std::string value;
    switch (FindIniValue(section, key, path, &value)) {
    case IniLookup::Found:
        return CopyIniText(value, true, buffer, size);
    case IniLookup::Missing:
    case IniLookup::NoValue:
        return CopyIniText(standIn, true, buffer, size);
    case IniLookup::NoFolder:
        break;
    }
    return CopyIniText(standIn, false, buffer, size);
}

// The platform's number reading: leading control characters and spaces skipped, one sign,
// a "0x", "0o" or "0b" prefix choosing the base, then digits of that base up to the first
// other character, accumulated in 32 bits with wrap-around.
int32_t ParseIniNumber(const char* text)
{
    const char* p = text;
    while (*p && static_cast<unsigned char>(*p) <= ' ')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    uint32_t base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'o' || p[1] == 'b')) {
        base = p[1] == 'x' ? 16 : p[1] == 'o' ? 8 : 2;
        p += 2;
    }
    uint32_t total = 0;
    for (;; ++p) {
        const char c = *p;
        uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = uint32_t(c - '0');
        else if (c >= 'a' && c <= 'z')
            digit = uint32_t(c - 'a' + 10);
        else if (c >= 'A' && c <= 'Z')
            digit = uint32_t(c - 'A' + 10);
        else
            break;
        if (digit >= base)
            break;
        total = total * base + digit;
    }
    return static_cast<int32_t>(negative ? 0u - total : total);
}

} // namespace

MessageBoxFunction SysMessageBox = PosixMessageBox;

SysFile SysOpenRead(const char* path)
{
    FILE* f = std::fopen(NativePath(path).c_str(), "rb");
    if (!f)
        return SysNoFile;
    // A directory opens here but reads nothing; CreateFileA refuses it, and so does this.
    struct stat info;
    if (fstat(fileno(f), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(f);
        return SysNoFile;
    }
    return reinterpret_cast<SysFile>(f);
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
    // Past 4 GiB the size saturates: a size that wrapped could refuse a payload that is there.
    return size < 0 ? 0 : size > long(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(size);
}

void SysClose(SysFile file)
{
    std::fclose(reinterpret_cast<FILE*>(file));
}

int32_t SysIniInt(const char* section, const char* key, int32_t fallback, const char* path)
{
    // The number is read from at most 29 characters of text, as the platform does.
    char text[30];
    if (ReadIniText(section, key, "", text, sizeof text, path) == 0)
        return fallback;
    return ParseIniNumber(text);
}

uint32_t SysIniString(
    const char* section, const char* key, const char* fallback, char* buffer, uint32_t size, const char* path)
{
    if (!buffer || size == 0)
        return 0;
    return ReadIniText(section, key, fallback, buffer, size, path);
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
