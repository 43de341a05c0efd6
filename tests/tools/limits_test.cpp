// Values at the edges of their types through the tools: a view angle anywhere in 32 bits, and
// pictures larger than the converter can write. The keys' edges are the core world test's.
#include "tool_test.h"

namespace {

using ToolLimits = ToolTest;

// --view takes any 32-bit angle and reduces it as fc.ini's is; a turn then wraps within 0..1023.
TEST_F(ToolLimits, RenderViewAngleIsReduced)
{
    std::ofstream("turn.keys") << "0 down left\n";
    std::string out;
    ASSERT_EQ(
        Tool("render --dir data --view 0,0,128,2147483647 --trace --keys turn.keys --frames 2", &out), 0)
        << out;
    EXPECT_NE(out.find("frame=0 x=0 y=0 h=128 a=3 "), std::string::npos) << out;
    EXPECT_NE(out.find("frame=1 x=0 y=0 h=128 a=11 "), std::string::npos) << out;
}

// A small file can claim a picture far beyond what the PNG writer handles: the converter says so
// and writes nothing, in both directions.
TEST_F(ToolLimits, ConverterRefusesPicturesItCannotWrite)
{
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
    const std::pair<const char*, const char*> cases[] = {
        { "decode wide.sc0 out", "65535x8191, larger than a PNG" },
        { "decode wide.sc0 out --kind sprite", "larger than a PNG" },
        { "encode wide.png out --kind plain --palette data/sc/nosystem.pal", "20000x5000, larger than a PNG" }
    };
    for (const auto& [arguments, message] : cases) {
        std::string out;
        EXPECT_EQ(Tool("sc0 " + std::string(arguments), &out), 1) << arguments << "\n" << out;
        EXPECT_NE(out.find(message), std::string::npos) << out;
        EXPECT_FALSE(fs::exists("out"));
    }
}

} // namespace

namespace {

using ToolCommands = ToolTest;

// Usage and --help for every command, and what sc0 info says of a file: each case is the
// arguments, the status, and lines that must all appear in what was written (standard output
// alone where the status is 0).
TEST_F(ToolCommands, HelpUsageAndPictureInfo)
{
    Bytes lamp;
    ASSERT_TRUE(ReadFileBytes("data/sc/lamp.sc0", &lamp));
    Bytes longer = lamp, shorter(lamp.begin(), lamp.end() - 3630);
    longer.resize(lamp.size() + 5, 0);
    ASSERT_TRUE(WriteFileBytes("longer.sc0", longer) && WriteFileBytes("shorter.sc0", shorter));
    ASSERT_TRUE(WriteFileBytes("header.sc0", Bytes(lamp.begin(), lamp.begin() + 31)));
    const struct {
        std::string arguments;
        int status;
        std::vector<std::string> lines;
    } cases[] = {
        { "", 2, { "usage: quarvel-tool COMMAND", "quarvel-tool soak --dir DIR" } },
        { "frobnicate", 2, { "unknown command frobnicate", "quarvel-tool mkdata DIR" } },
        { "--help", 0, { "usage: quarvel-tool COMMAND", "quarvel-tool sc0 encode", "quarvel-tool bench [" } },
        { "bench --help", 0, { "usage: quarvel-tool bench [--dir DIR]" } },
        { "render --dir data --help", 0, { "usage: quarvel-tool render --dir DIR" } },
        { "sc0 -h", 0, { "usage: quarvel-tool sc0 info FILE" } },
        { "soak --help", 0, { "usage: quarvel-tool soak" } },
        { "mkdata --help", 0, { "usage: quarvel-tool mkdata" } },
        { "sc0 info data/sc/lamp.sc0", 0,
            { "width: 128\nheight: 128\n", "payload size: 3638 bytes", "3638, as many as the payload",
                "loader result: 0 (loaded)", "can be drawn as: sprite\n", "most likely: sprite" } },
        { "sc0 info data/sc/floor.sc0", 0, { "can be drawn as: plain floor\n", "most likely: floor" } },
        { "sc0 info longer.sc0", 0, { "3643, 5 more than the payload (never read)" } },
        { "sc0 info shorter.sc0", 1, { "8, 3630 fewer than the payload", "loader result: -3" } },
        { "sc0 info header.sc0", 1, { "31 bytes, a header needs 32" } },
        { "sc0 info missing.sc0", 1, { "cannot read missing.sc0" } },
        { "sc0 info data/sc/lamp.sc0 --kind sprite", 2, { "usage: quarvel-tool sc0 info FILE" } },
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(Tool(c.arguments, &out, c.status == 0), c.status) << c.arguments << "\n" << out;
        for (const std::string& line : c.lines)
            EXPECT_NE(out.find(line), std::string::npos) << c.arguments << " lacks " << line << ":\n" << out;
    }
}

} // namespace
