// What the tool tests share: quarvel-tool run as a command, files, and a folder of each test's own.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "commands.h"
#include "sc0_file.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

inline std::string Quote(const fs::path& path)
{
    return '\'' + path.string() + '\'';
}

// Exit status of quarvel-tool with the arguments (-1 when it did not exit); in *out what it wrote
// on standard output, and on standard error unless outputOnly.
inline int Tool(const std::string& arguments, std::string* out = nullptr, bool outputOnly = false)
{
    const std::string command
        = Quote(QUARVEL_TOOL) + " " + arguments + (outputOnly ? " 2>/dev/null" : " 2>&1");
    FILE* pipe = popen(command.c_str(), "r");
    std::string ignored, &text = out ? *out : ignored;
    text.clear();
    char chunk[65536];
    for (size_t n; pipe && (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        text.append(chunk, n);
    const int status = pipe ? pclose(pipe) : -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string ReadText(const fs::path& path)
{
    Bytes bytes;
    ReadFileBytes(path.string(), &bytes);
    return std::string(bytes.begin(), bytes.end());
}

// A fresh folder for each test, its current directory meanwhile, with the default data set in data/.
class ToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        folder_ = fs::temp_directory_path()
            / ("quarvel-tools-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        previous_ = fs::current_path();
        fs::current_path(folder_);
        char dir[] = "data", *argv[] = { dir };
        ASSERT_EQ(MkdataCommand(1, argv), 0);
    }
    void TearDown() override
    {
        fs::current_path(previous_);
        fs::remove_all(folder_);
    }
    fs::path folder_, previous_;
};
