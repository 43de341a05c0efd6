// quarvel-tool render: golden replays of recorded key scripts, raw frames, options and key scripts.
#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <tuple>

#include "app/frame_runner.h"
#include "tool_test.h"
#include "world/viewpoint.h"

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// tests/golden/NAME.keys played for some frames against NAME.trace, a line and a CRC for every
// frame; QUARVEL_UPDATE_GOLDEN=1 rewrites the trace instead. They walk, bump into the tree and turn;
// trigger the target and watch it fly, explode and respawn; step the eye height in a viewport
// wider than the panorama; turn in one taller than it.
using Replay = std::tuple<const char*, int32_t, const char*>; // name, frames, options
const Replay Replays[]
    = { { "walk", 150, "--viewport 256x192" }, { "target", 215, "--viewport 200x150 --view 0,200,56,0" },
          { "heights", 70, "--viewport 1100x128 --view 700,300,200,300" },
          { "bands", 12, "--viewport 256x2048 --view 300,-200,300,100" } };

class RenderReplay : public ToolTest, public ::testing::WithParamInterface<Replay> { };

TEST_P(RenderReplay, TraceMatchesTheRecording)
{
    const auto& [name, frames, options] = GetParam();
    const fs::path golden = fs::path(QUARVEL_SOURCE_DIR) / "tests" / "golden" / name;
    std::string trace;
    const std::string args
        = "--frames " + std::to_string(frames) + " --keys " + Quote(golden.string() + ".keys");
    ASSERT_EQ(Tool("render --dir data " + args + " " + options + " --trace --raw last.raw", &trace, true), 0);
    const std::vector<std::string> got = Lines(trace);
    ASSERT_EQ(int32_t(got.size()), frames);
    const auto crc = [](const std::string& bytes) {
        return Crc32(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    };
    ASSERT_EQ(crc("123456789"), 0xCBF43926u); // the zlib CRC-32 check value
    EXPECT_EQ(std::stoul(got.back().substr(got.back().find(" crc=") + 5, 8), nullptr, 16),
        crc(ReadText("last.raw")))
        << "the last CRC is the raw frame's";
    if (const char* update = std::getenv("QUARVEL_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        std::ofstream(golden.string() + ".trace", std::ios::binary) << trace;
        GTEST_SKIP() << "golden trace of " << name << " rewritten";
    }
    const std::vector<std::string> expected = Lines(ReadText(golden.string() + ".trace"));
    ASSERT_FALSE(expected.empty()) << "no recording " << golden << ".trace";
    const size_t first
        = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end()).first - got.begin();
    EXPECT_TRUE(got == expected) << name << ": trace differs from line " << first + 1
                                 << "\n  expected: " << (first < expected.size() ? expected[first] : "(end)")
                                 << "\n  actual:   " << (first < got.size() ? got[first] : "(end)");
}

INSTANTIATE_TEST_SUITE_P(RenderGolden, RenderReplay, ::testing::ValuesIn(Replays),
    [](const ::testing::TestParamInfo<Replay>& info) { return std::string(std::get<0>(info.param)); });

using RenderTool = ToolTest;

// Status 2 with the reason for bad arguments, 1 for what cannot be done; numbers up to ten digits. The
// raw frame has no row padding and the viewport's size, fc.ini's screen usage by default.
// Arguments starting with '-' follow "render --dir data"; a usage replaces ScrUseXs=640 or ScrUseZs=480.
TEST_F(RenderTool, ArgumentsAndTheirErrors)
{
    const std::string ini = ReadText("data/fc.ini"), viewport = "--viewport needs WxH, each 128..2048",
                      frames = "--frames needs a count of at least 1", view = "--view needs X,Y,HEIGHT,ANGLE";
    std::ofstream("bad.keys") << "0 down up\n# fine\n3 down left\n5 press z\n";
    const struct {
        std::string arguments;
        int status;
        std::string message; // in the first line of standard error, or the number of trace lines
        std::string usage = ""; // clang-format off
    } cases[] = {
        { "--viewport 127x200", 2, viewport }, { "--viewport 320x2049", 2, viewport }, { "--viewport 320", 2, viewport },
        { "--frames 0", 2, frames }, { "--frames 4294967297", 2, frames }, { "--frames 00000000002", 2, frames },
        { "--frames 0000000002 --trace", 0, "2 lines" }, { "--frames 1 --trace", 0, "1 lines" },
        { "--frames", 2, "--frames needs a value" }, { "--view 1,2,3", 2, view }, { "--view 1,2,3,4,5", 2, view },
        { "--view 1,2,3,2147483648", 2, view }, { "--bogus x", 2, "unknown argument --bogus" },
        { "render --frames 2", 2, "--dir is required" }, { "--keys missing.keys", 1, "cannot read" },
        { "--keys bad.keys", 1, "line 4" }, { "", 1, "screen usage 127x480 lies outside", "ScrUseXs=127" },
        { "", 1, "screen usage 2049x480 lies outside", "ScrUseXs=2049" },
        { "", 1, "screen usage 640x127 lies outside", "ScrUseZs=127" },
        { "", 1, "screen usage 640x2049 lies outside", "ScrUseZs=2049" }, { "--raw f.raw", 0, "0 lines, 983040 bytes", "ScrUseXs=2048" },
        { "mkdata more data", 2, "usage: quarvel-tool mkdata DIR" }, { "mkdata", 2, "usage: quarvel-tool mkdata DIR" },
        { "bench --frames 0", 2, "bad argument --frames 0" }, { "--viewport 321x200 --raw f.raw", 0, "0 lines, 64200 bytes" },
    }; // clang-format on
    for (const auto& c : cases) {
        std::string edit = ini, out;
        if (!c.usage.empty())
            edit.replace(edit.find(c.usage.substr(0, 9)), 12, c.usage);
        std::ofstream("data/fc.ini", std::ios::binary) << edit;
        fs::remove("f.raw");
        const std::string arguments
            = c.arguments[0] == '-' || c.arguments.empty() ? "render --dir data " + c.arguments : c.arguments;
        EXPECT_EQ(Tool(arguments, &out), c.status) << arguments;
        const std::string got = c.status == 0 ? std::to_string(Lines(out).size()) + " lines, "
                + std::to_string(ReadText("f.raw").size()) + " bytes"
                                              : Lines(out + "\n")[0];
        EXPECT_NE(got.find(c.message), std::string::npos) << arguments << " " << c.usage << " gave: " << out;
    }
}

// Events come in frame order, then script order; comments, blank lines, tabs and CR are skipped. A bad
// line refuses the whole script with its number.
TEST(RenderKeyScript, EventsComeInFrameOrderAndBadLinesAreRefusedWithTheirNumber)
{
    std::vector<KeyEvent> events;
    std::string error;
    ASSERT_TRUE(ParseKeyScript(
        "# a walk\n\n5 down up\n0 down left ctrl   # slow\n   5 up up\n0\tup left\r\n7 down z\n", &events,
        &error))
        << error;
    std::ostringstream got;
    for (const KeyEvent& e : events)
        got << e.frame << (e.down ? "+" : "-") << e.key << (e.ctrl ? "c" : "") << "@" << e.line << " ";
    EXPECT_EQ(got.str(), "0+37c@4 0-37@6 5+38@3 5-38@5 7+90@7 "); // keys 37 Left, 38 Up, 90 Z
    const std::pair<const char*, int> cases[] = { { "x down up\n", 1 }, { "-1 down up\n", 1 },
        { "1.5 down up\n", 1 }, { "0 down\n", 1 }, { "# ok\n0 down up\n1 hold up\n", 3 },
        { "0 down escape\n", 1 }, { "0 down Up\n", 1 }, { "0 up up ctrl\n", 1 }, { "0 down up shift\n", 1 },
        { "0 down up ctrl ctrl\n", 1 }, { "\n\n0 down left\n99999999999 down up\n", 4 } };
    for (const auto& [script, line] : cases) {
        std::vector<KeyEvent> none;
        EXPECT_FALSE(ParseKeyScript(script, &none, &error)) << script;
        EXPECT_EQ(error.rfind("line " + std::to_string(line) + ":", 0), 0u) << script << " gave: " << error;
        EXPECT_TRUE(none.empty()) << script;
    }
}

} // namespace
