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

struct IniCase {
    const char* name;
    const char* text; // contents of the file when it is written
    int32_t expectInt;
    const char* expectText;
    const char* section = "s";
    const char* key = "k";
    uint32_t bufferSize = 64;
    const char* textDefault = "d";
    FileState state = Written;
};

// clang-format off
const IniCase IniCases[] = {
    // name, file text, int (default 7), text; then section, key, buffer size, text default, file state
    {"plain",                 "[view]\nViewPntX=12\n",                    12,   "12", "view", "ViewPntX"},
    {"case_of_names",         "[VIEW]\nviewpntx=5\n",                     5,    "5", "View", "VIEWPNTX"},
    {"mark_spaces_junk",      "\xEF\xBB\xBF  [ s\t] junk\n   k   =   42   \n", 42, "42"},
    {"spaces_in_arguments",   "[s]\nk=1\n",                               1,    "1", " s ", " k "},
    {"single_quotes",         "[s]\nk='abc'\n",                           0,    "abc"},
    {"empty_quotes",          "[s]\nk=\"\"\n",                            7,    ""},
    {"quoted_cut_at_quote",   "[s]\nk=\"abcdef\"\n",                      0,    "abcde", "s", "k", 7},
    {"text_after_value",      "[s]\nk=5 ; five\n",                        5,    "5 ; five"},
    {"negative",              "[s]\nk=-12\n",                             -12,  "-12"},
    {"hex_prefix",            "[s]\nk=0x1F\n",                            31,   "0x1F"},
    {"all_bits",              "[s]\nk=4294967295\n",                      -1,   "4294967295"},
    {"wraps_past_32_bits",    "[s]\nk=4294967296\n",                      0,    "4294967296"},
    {"number_cut_to_29",      "[s]\nk=000000000000000000000000000012\n",  1,    "000000000000000000000000000012"},
    {"missing_section",       "[t]\nk=1\n",                               7,    "d"},
    {"duplicate_keys",        "[s]\nk=1\nk=2\n",                          1,    "1"},
    {"duplicate_sections",    "[s]\na=1\n[t]\n[s]\nk=2\n",                7,    "d"},
    {"text_cut",              "[s]\nk=abcdefghij\n",                      0,    "abcd", "s", "k", 5},
    {"default_spaces",        "[s]\n",                                    7,    "  abc", "s", "k", 64, "  abc  "},
    {"missing_file",          "",                                         7,    "q", "s", "k", 64, "'q'", NoFile},
    {"missing_directory",     "",                                         7,    "'q'", "s", "k", 64, "'q'", NoDirectory},
    {"question_then_name",    "[bitmaps]\n7=?sc\\a.sc0\n",                0,    "?sc\\a.sc0", "bitmaps", "7", 250, "?"},
};
// clang-format on

// Each case gets its own file: the Windows side caches a profile by name and time.
class IniTable : public ::testing::TestWithParam<IniCase> { };

TEST_P(IniTable, MatchesTheProfileFunctions)
{
    const IniCase& c = GetParam();
    const fs::path folder = fs::temp_directory_path() / "quarvel-ini-test";
    fs::create_directories(folder);
    const fs::path path
        = folder / (c.state == NoDirectory ? "no-such-directory" : "") / (std::string(c.name) + ".ini");
    if (c.state == Written)
        std::ofstream(path, std::ios::binary) << c.text;
    EXPECT_EQ(SysIniInt(c.section, c.key, 7, path.string().c_str()), c.expectInt);
    char buffer[300];
    std::memset(buffer, 'X', sizeof buffer);
    const uint32_t length
        = SysIniString(c.section, c.key, c.textDefault, buffer, c.bufferSize, path.string().c_str());
    EXPECT_STREQ(buffer, c.expectText);
    EXPECT_EQ(length, std::strlen(c.expectText));
    EXPECT_EQ(buffer[c.bufferSize], 'X') << "wrote past the buffer";
    std::error_code ignored;
    fs::remove(path, ignored);
    fs::remove(folder, ignored); // once empty
}

INSTANTIATE_TEST_SUITE_P(Ini, IniTable, ::testing::ValuesIn(IniCases),
    [](const ::testing::TestParamInfo<IniCase>& info) { return std::string(info.param.name); });

} // namespace
