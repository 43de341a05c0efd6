// INI reading through the seam: one table run against posix_sys.cpp and, under Wine, the real profile
// functions.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/sys.h"

namespace {

namespace fs = std::filesystem;

enum FileState { Written, NoFile, NoDirectory };

// clang-format off
struct IniCase { // the file's text when it is written; the int expected (the default is 7) and the text
    const char *name, *text; int32_t expectInt; const char *expectText, *section = "s", *key = "k";
    uint32_t bufferSize = 64; const char* textDefault = "d"; FileState state = Written;
};
const IniCase IniCases[] = { // name, file text, int, text; then section, key, buffer size, text default, file state
    {"plain", "[view]\nViewPntX=12\n", 12, "12", "view", "ViewPntX"}, {"case", "[VIEW]\nviewpntx=5\n", 5, "5", "View", "VIEWPNTX"},
    {"mark_spaces_junk", "\xEF\xBB\xBF  [ s\t] junk\n   k   =   42   \n", 42, "42"}, {"spaced_args", "[s]\nk=1\n", 1, "1", " s ", " k "},
    {"single_quotes", "[s]\nk='abc'\n", 0, "abc"}, {"quoted_spaces", "[s]\nk=\" \t 5\"\n", 5, " \t 5"}, {"empty_quotes", "[s]\nk=\"\"\n", 7, ""},
    {"quoted_cut", "[s]\nk=\"abcdef\"\n", 0, "abcde", "s", "k", 7}, {"text_after", "[s]\nk=5 ; five\n", 5, "5 ; five"},
    {"negative", "[s]\nk=-12\n", -12, "-12"}, {"hex", "[s]\nk=0x1F\n", 31, "0x1F"}, {"all_bits", "[s]\nk=4294967295\n", -1, "4294967295"},
    {"past_32_bits", "[s]\nk=4294967296\n", 0, "4294967296"},
    {"cut_to_29", "[s]\nk=000000000000000000000000000012\n", 1, "000000000000000000000000000012"},
    {"no_section", "[t]\nk=1\n", 7, "d"}, {"twice_key", "[s]\nk=1\nk=2\n", 1, "1"}, {"twice_section", "[s]\na=1\n[t]\n[s]\nk=2\n", 7, "d"},
    {"text_cut", "[s]\nk=abcdefghij\n", 0, "abcd", "s", "k", 5}, {"default_spaces", "[s]\n", 7, "  abc", "s", "k", 64, "  abc  "},
    {"no_file", "", 7, "q", "s", "k", 64, "'q'", NoFile}, {"no_directory", "", 7, "'q'", "s", "k", 64, "'q'", NoDirectory},
    {"question", "[bitmaps]\n7=?sc\\a.sc0\n", 0, "?sc\\a.sc0", "bitmaps", "7", 250, "?"},
};
// clang-format on

// Each case gets its own file: the Windows side caches a profile by name and time.
TEST(IniTable, MatchesTheProfileFunctions)
{
    const fs::path dir = fs::temp_directory_path() / "quarvel-ini-test";
    fs::create_directories(dir);
    for (const IniCase& c : IniCases) {
        SCOPED_TRACE(c.name);
        const fs::path path = dir / (c.state == NoDirectory ? "absent" : "") / (c.name + std::string(".ini"));
        if (c.state == Written)
            std::ofstream(path, std::ios::binary) << c.text;
        EXPECT_EQ(SysIniInt(c.section, c.key, 7, path.string().c_str()), c.expectInt);
        std::string buffer(300, 'X');
        EXPECT_EQ(
            SysIniString(c.section, c.key, c.textDefault, buffer.data(), c.bufferSize, path.string().c_str()),
            std::strlen(c.expectText));
        EXPECT_STREQ(buffer.c_str(), c.expectText);
        EXPECT_EQ(buffer[c.bufferSize], 'X') << "wrote past the buffer";
    }
    fs::remove_all(dir);
}

} // namespace
