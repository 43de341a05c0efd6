// INI reading through the seam: one table run against posix_sys.cpp and, under Wine, the real profile
// functions.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>

#include "app/sys.h"

namespace {

namespace fs = std::filesystem;

enum FileState { Written, NoFile, NoDirectory };

struct IniCase {
    const char* name;
    FileState state;
    const char* text; // contents of the file when it is written
    const char* section;
    const char* key;
    int32_t intDefault;
    const char* textDefault;
    uint32_t bufferSize;
    int32_t expectInt;
    const char* expectText;
};

void PrintTo(const IniCase& c, std::ostream* os)
{
    *os << c.name;
}

// clang-format off
const IniCase IniCases[] = {
    // name                    state    file text                                   section   key         int  text     size  int          text
    {"plain",                  Written, "[view]\nViewPntX=12\n",                    "view",   "ViewPntX", 7,   "d",     64,   12,          "12"},
    {"case_of_names",          Written, "[VIEW]\nviewpntx=5\n",                     "View",   "VIEWPNTX", 7,   "d",     64,   5,           "5"},
    {"spaces_around",          Written, "  [view]  \n   ViewPntX   =   42   \n",    "view",   "ViewPntX", 7,   "d",     64,   42,          "42"},
    {"tabs_around",            Written, "[s]\n\tk\t=\t3\t\n",                       "s",      "k",        7,   "d",     64,   3,           "3"},
    {"spaces_in_brackets",     Written, "[ s\t]\nk=1\n",                            "s",      "k",        7,   "d",     64,   1,           "1"},
    {"utf8_mark",              Written, "\xEF\xBB\xBF[s]\nk=1\n",                  "s",      "k",        7,   "d",     64,   1,           "1"},
    {"spaces_in_arguments",    Written, "[s]\nk=1\n",                               " s ",    " k ",      7,   "d",     64,   1,           "1"},
    {"inner_space_in_key",     Written, "[s]\nmy key = v\n",                        "s",      "my key",   7,   "d",     64,   0,           "v"},
    {"crlf_lines",             Written, "[s]\r\nk=5\r\n",                           "s",      "k",        7,   "d",     64,   5,           "5"},
    {"cr_lines",               Written, "[s]\rk=5\r",                               "s",      "k",        7,   "d",     64,   5,           "5"},
    {"no_final_newline",       Written, "[s]\nk=5",                                 "s",      "k",        7,   "d",     64,   5,           "5"},
    {"junk_after_header",      Written, "[s] junk\nk=1\n",                          "s",      "k",        7,   "d",     64,   1,           "1"},
    {"unclosed_header",        Written, "[s]\n[t\nk=1\n",                           "s",      "k",        7,   "d",     64,   1,           "1"},
    {"keys_before_sections",   Written, "k=1\n[s]\n",                               "s",      "k",        7,   "d",     64,   7,           "d"},
    {"double_quotes",          Written, "[s]\nk=\"hello world\"\n",                 "s",      "k",        7,   "d",     64,   0,           "hello world"},
    {"single_quotes",          Written, "[s]\nk='abc'\n",                           "s",      "k",        7,   "d",     64,   0,           "abc"},
    {"mismatched_quotes",      Written, "[s]\nk=\"abc'\n",                          "s",      "k",        7,   "d",     64,   0,           "\"abc'"},
    {"lone_quote",             Written, "[s]\nk=\"\n",                              "s",      "k",        7,   "d",     64,   0,           "\""},
    {"empty_quotes",           Written, "[s]\nk=\"\"\n",                            "s",      "k",        7,   "d",     64,   7,           ""},
    {"quoted_number",          Written, "[s]\nk=\"12\"\n",                          "s",      "k",        7,   "d",     64,   12,          "12"},
    {"quoted_leading_space",   Written, "[s]\nk=\" 12\"\n",                         "s",      "k",        7,   "d",     64,   12,          " 12"},
    {"quote_at_end_only",      Written, "[s]\nk=a\"\n",                             "s",      "k",        7,   "d",     64,   0,           "a\""},
    {"quoted_cut_short",       Written, "[s]\nk=\"abcdef\"\n",                      "s",      "k",        7,   "d",     4,    0,           "abc"},
    {"quoted_cut_at_quote",    Written, "[s]\nk=\"abcdef\"\n",                      "s",      "k",        7,   "d",     7,    0,           "abcde"},
    {"quoted_just_fits",       Written, "[s]\nk=\"abcdef\"\n",                      "s",      "k",        7,   "d",     8,    0,           "abcdef"},
    {"comment_line",           Written, "[s]\n; k=5\nk=6\n",                        "s",      "k",        7,   "d",     64,   6,           "6"},
    {"commented_out_key",      Written, "[s]\n;k=5\n",                              "s",      "k",        7,   "d",     64,   7,           "d"},
    {"hash_is_no_comment",     Written, "[s]\n#k=5\n",                              "s",      "#k",       7,   "d",     64,   5,           "5"},
    {"text_after_value",       Written, "[s]\nk=5 ; five\n",                        "s",      "k",        7,   "d",     64,   5,           "5 ; five"},
    {"equals_in_value",        Written, "[s]\nk=a=b\n",                             "s",      "k",        7,   "d",     64,   0,           "a=b"},
    {"negative",               Written, "[s]\nk=-12\n",                             "s",      "k",        7,   "d",     64,   -12,         "-12"},
    {"plus_sign",              Written, "[s]\nk=+7\n",                              "s",      "k",        7,   "d",     64,   7,           "+7"},
    {"sign_then_space",        Written, "[s]\nk=- 3\n",                             "s",      "k",        7,   "d",     64,   0,           "- 3"},
    {"two_signs",              Written, "[s]\nk=+-3\n",                             "s",      "k",        7,   "d",     64,   0,           "+-3"},
    {"trailing_junk",          Written, "[s]\nk=12abc\n",                           "s",      "k",        7,   "d",     64,   12,          "12abc"},
    {"no_digits",              Written, "[s]\nk=abc\n",                             "s",      "k",        7,   "d",     64,   0,           "abc"},
    {"hex_prefix",             Written, "[s]\nk=0x1F\n",                            "s",      "k",        7,   "d",     64,   31,          "0x1F"},
    {"upper_hex_prefix",       Written, "[s]\nk=0X1F\n",                            "s",      "k",        7,   "d",     64,   0,           "0X1F"},
    {"binary_prefix",          Written, "[s]\nk=0b101\n",                           "s",      "k",        7,   "d",     64,   5,           "0b101"},
    {"octal_prefix",           Written, "[s]\nk=0o17\n",                            "s",      "k",        7,   "d",     64,   15,          "0o17"},
    {"leading_zero_decimal",   Written, "[s]\nk=010\n",                             "s",      "k",        7,   "d",     64,   10,          "010"},
    {"negative_hex",           Written, "[s]\nk=-0x10\n",                           "s",      "k",        7,   "d",     64,   -16,         "-0x10"},
    {"all_bits",               Written, "[s]\nk=4294967295\n",                      "s",      "k",        7,   "d",     64,   -1,          "4294967295"},
    {"wraps_past_32_bits",     Written, "[s]\nk=4294967296\n",                      "s",      "k",        7,   "d",     64,   0,           "4294967296"},
    {"past_int_max",           Written, "[s]\nk=2147483648\n",                      "s",      "k",        7,   "d",     64,   INT32_MIN,   "2147483648"},
    {"number_cut_to_29",       Written, "[s]\nk=000000000000000000000000000012\n",  "s",      "k",        7,   "d",     64,   1,           "000000000000000000000000000012"},
    {"empty_value",            Written, "[s]\nk=\n",                                "s",      "k",        7,   "d",     64,   7,           ""},
    {"blank_value",            Written, "[s]\nk=   \n",                             "s",      "k",        7,   "d",     64,   7,           ""},
    {"key_without_equals",     Written, "[s]\nk\n",                                 "s",      "k",        7,   "d",     64,   7,           "d"},
    {"missing_key",            Written, "[s]\nother=1\n",                           "s",      "k",        -5,  "d",     64,   -5,          "d"},
    {"missing_section",        Written, "[t]\nk=1\n",                               "s",      "k",        -5,  "d",     64,   -5,          "d"},
    {"key_in_other_section",   Written, "[s]\n[t]\nk=1\n",                          "s",      "k",        -5,  "d",     64,   -5,          "d"},
    {"duplicate_keys",         Written, "[s]\nk=1\nk=2\n",                          "s",      "k",        7,   "d",     64,   1,           "1"},
    {"duplicate_sections",     Written, "[s]\na=1\n[t]\n[s]\nk=2\n",                "s",      "k",        7,   "d",     64,   7,           "d"},
    {"empty_file",             Written, "",                                         "s",      "k",        7,   "d",     64,   7,           "d"},
    {"missing_file",           NoFile,  "",                                         "s",      "k",        9,   "sc\\x", 64,   9,           "sc\\x"},
    {"missing_directory",      NoDirectory, "",                                     "s",      "k",        9,   "sc\\x", 64,   9,           "sc\\x"},
    {"quoted_default_no_file", NoFile,  "",                                         "s",      "k",        9,   "'q'",   64,   9,           "q"},
    {"quoted_default_no_dir",  NoDirectory, "",                                     "s",      "k",        9,   "'q'",   64,   9,           "'q'"},
    {"text_cut",               Written, "[s]\nk=abcdefghij\n",                      "s",      "k",        7,   "d",     5,    0,           "abcd"},
    {"buffer_of_one",          Written, "[s]\nk=abc\n",                             "s",      "k",        7,   "d",     1,    0,           ""},
    {"default_cut",            Written, "[s]\n",                                    "s",      "k",        7,   "abcdef", 4,   7,           "abc"},
    {"default_trailing_spaces",Written, "[s]\n",                                    "s",      "k",        7,   "abc  ", 64,   7,           "abc"},
    {"default_leading_spaces", Written, "[s]\n",                                    "s",      "k",        7,   "  abc", 64,   7,           "  abc"},
    {"default_quoted",         Written, "[s]\n",                                    "s",      "k",        7,   "'q'",   64,   7,           "q"},
    {"default_question_mark",  Written, "[bitmaps]\n0=?\n",                         "bitmaps","1",        7,   "?",     250,  7,           "?"},
    {"question_then_name",     Written, "[bitmaps]\n7=?sc\\a.sc0\n",                "bitmaps","7",        7,   "?",     250,  0,           "?sc\\a.sc0"},
};
// clang-format on

class IniTable : public ::testing::TestWithParam<IniCase> {
protected:
    static fs::path Folder() { return fs::temp_directory_path() / "quarvel-ini-test"; }

    static void SetUpTestSuite()
    {
        std::error_code ignored;
        fs::remove_all(Folder(), ignored);
        fs::create_directories(Folder());
    }

    static void TearDownTestSuite()
    {
        std::error_code ignored;
        fs::remove_all(Folder(), ignored);
    }

    // Each case gets its own file: the Windows side caches a profile by name and time.
    static std::string PathFor(const IniCase& c)
    {
        fs::path path = Folder();
        if (c.state == NoDirectory)
            path /= "no-such-directory";
        path /= std::string(c.name) + ".ini";
        if (c.state == Written) {
            FILE* f = std::fopen(path.string().c_str(), "wb");
            EXPECT_NE(f, nullptr) << path.string();
            if (f) {
                std::fwrite(c.text, 1, std::strlen(c.text), f);
                std::fclose(f);
            }
        }
        return path.string();
    }
};

TEST_P(IniTable, MatchesTheProfileFunctions)
{
    const IniCase& c = GetParam();
    const std::string path = PathFor(c);

    EXPECT_EQ(SysIniInt(c.section, c.key, c.intDefault, path.c_str()), c.expectInt);

    char buffer[300];
    std::memset(buffer, 'X', sizeof buffer);
    const uint32_t length = SysIniString(c.section, c.key, c.textDefault, buffer, c.bufferSize, path.c_str());
    EXPECT_STREQ(buffer, c.expectText);
    EXPECT_EQ(length, std::strlen(c.expectText));
    EXPECT_EQ(buffer[c.bufferSize], 'X') << "wrote past the buffer";
}

INSTANTIATE_TEST_SUITE_P(Ini, IniTable, ::testing::ValuesIn(IniCases),
    [](const ::testing::TestParamInfo<IniCase>& info) { return std::string(info.param.name); });

} // namespace
