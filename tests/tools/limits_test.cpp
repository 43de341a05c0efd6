// quarvel-tool's commands: usage and --help, what sc0 info says of a file, values at the edges of their
// types (a view angle anywhere in 32 bits, pictures larger than the converter can write; the keys' edges
// are the core world test's), and mkdata's bytes, the same on every run and those recorded in
// tests/golden/mkdata.crc (the golden replays draw them).
#include <cstdlib>
#include <iomanip>
#include <map>
#include <sstream>

#include "app/frame_runner.h"
#include "tool_test.h"

namespace {

using ToolCommands = ToolTest;

std::map<fs::path, Bytes> Files(const fs::path& dir)
{
    std::map<fs::path, Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            ReadFileBytes(entry.path().string(), &files[fs::relative(entry.path(), dir)]);
    return files;
}

TEST_F(ToolCommands, MkdataTwiceWritesTheRecordedFiles)
{
    ASSERT_EQ(Tool("mkdata again"), 0);
    const std::map<fs::path, Bytes> files = Files("data");
    EXPECT_TRUE(files == Files("again")) << "the runs differ";
    std::ostringstream crcs;
    for (const auto& [path, bytes] : files)
        crcs << std::hex << std::setw(8) << std::setfill('0') << Crc32(bytes.data(), bytes.size()) << ' '
             << path.string() << '\n';
    const fs::path golden = fs::path(QUARVEL_SOURCE_DIR) / "tests/golden/mkdata.crc";
    if (const char* update = std::getenv("QUARVEL_UPDATE_GOLDEN"); update && std::string(update) == "1")
        std::ofstream(golden) << crcs.str();
    EXPECT_EQ(crcs.str(), ReadText(golden)) << "QUARVEL_UPDATE_GOLDEN=1 rewrites " << golden;
}

// Each case is the arguments, the status, and lines that must all appear in what was written (standard
// output alone where the status is 0); none may write "out". --view takes any 32-bit angle and reduces it
// as fc.ini's is, and a turn then wraps within 0..1023. A small file can claim a picture far beyond what
// the PNG writer handles: the converter says so and writes nothing, in both directions.
TEST_F(ToolCommands, HelpUsagePictureInfoAndLimits)
{
    Bytes lamp;
    ASSERT_TRUE(ReadFileBytes("data/sc/lamp.sc0", &lamp));
    Bytes longer = lamp, shorter(lamp.begin(), lamp.end() - 3630);
    longer.resize(lamp.size() + 5, 0);
    ASSERT_TRUE(WriteFileBytes("longer.sc0", longer) && WriteFileBytes("shorter.sc0", shorter));
    ASSERT_TRUE(WriteFileBytes("header.sc0", Bytes(lamp.begin(), lamp.begin() + 31)));
    std::ofstream("turn.keys") << "0 down left\n";
    // 8191 rows, all sharing one empty run list: sound, and 65535 x 8191 RGBA when decoded.
    Bytes payload(8191 * 4 + 4, 0);
    for (size_t row = 0; row < 8191; ++row)
        payload[row * 4] = uint8_t(8191 * 4), payload[row * 4 + 1] = uint8_t((8191 * 4) >> 8);
    payload[8191 * 4] = 1; // the terminator (1, 0)
    ASSERT_TRUE(WriteFileBytes("wide.sc0", MakeSc0(65535, 8191, payload)));
    // Only this PNG's header is read: IHDR claims 20000 x 5000, which could be read but not written.
    ASSERT_TRUE(WriteFileBytes("wide.png",
        { 0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0x4E, 0x20, 0, 0, 0x13,
            0x88, 8, 6, 0, 0, 0, 0, 0, 0, 0 }));
    // clang-format off
    const struct { std::string arguments; int status; std::vector<std::string> lines; } cases[] = {
        { "", 2, { "usage: quarvel-tool COMMAND", "quarvel-tool soak --dir DIR" } },
        { "frobnicate", 2, { "unknown command frobnicate", "quarvel-tool mkdata DIR" } },
        { "--help", 0, { "usage: quarvel-tool COMMAND", "quarvel-tool sc0 encode", "quarvel-tool bench [" } },
        { "bench --help", 0, { "usage: quarvel-tool bench [--dir DIR]" } }, { "sc0 -h", 0, { "usage: quarvel-tool sc0 info FILE" } },
        { "render --dir data --help", 0, { "usage: quarvel-tool render --dir DIR" } },
        { "soak --help", 0, { "usage: quarvel-tool soak" } }, { "mkdata --help", 0, { "usage: quarvel-tool mkdata" } },
        { "sc0 info data/sc/lamp.sc0", 0, { "width: 128\nheight: 128\n", "payload size: 3638 bytes", "3638, as many as the payload",
            "loader result: 0 (loaded)", "can be drawn as: sprite\n", "most likely: sprite" } },
        { "sc0 info data/sc/floor.sc0", 0, { "can be drawn as: plain floor\n", "most likely: floor" } },
        { "sc0 info longer.sc0", 0, { "3643, 5 more than the payload (never read)" } },
        { "sc0 info shorter.sc0", 1, { "8, 3630 fewer than the payload", "loader result: -3" } },
        { "sc0 info header.sc0", 1, { "31 bytes, a header needs 32" } }, { "sc0 info missing.sc0", 1, { "cannot read missing.sc0" } },
        { "sc0 info data/sc/lamp.sc0 --kind sprite", 2, { "usage: quarvel-tool sc0 info FILE" } },
        { "render --dir data --view 0,0,128,2147483647 --trace --keys turn.keys --frames 2", 0,
            { "frame=0 x=0 y=0 h=128 a=3 ", "frame=1 x=0 y=0 h=128 a=11 " } },
        { "sc0 decode wide.sc0 out", 1, { "65535x8191, larger than a PNG" } },
        { "sc0 decode wide.sc0 out --kind sprite", 1, { "larger than a PNG" } },
        { "sc0 encode wide.png out --kind plain --palette data/sc/nosystem.pal", 1, { "20000x5000, larger than a PNG" } },
    }; // clang-format on
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(Tool(c.arguments, &out, c.status == 0), c.status) << c.arguments << "\n" << out;
        for (const std::string& line : c.lines)
            EXPECT_NE(out.find(line), std::string::npos) << c.arguments << " lacks " << line << ":\n" << out;
        EXPECT_FALSE(fs::exists("out")) << c.arguments;
    }
}

} // namespace
