// quarvel-tool render: golden replays of recorded key scripts, raw frames, options and key scripts.
#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <tuple>

#include <stb_image.h>

#include "app/frame_runner.h"
#include "render/palette.h"
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
const Replay Replays[] = { { "walk", 150, "--viewport 256x192" }, { "target", 215, "--viewport 202x151" },
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
    ASSERT_EQ(Tool("render --dir data " + args + " " + options + " --trace --raw last.raw --out last.png",
                  &trace, true),
        0);
    const std::vector<std::string> got = Lines(trace);
    ASSERT_EQ(int32_t(got.size()), frames);
    const std::string raw = ReadText("last.raw");
    EXPECT_EQ(std::stoul(got.back().substr(got.back().find(" crc=") + 5, 8), nullptr, 16),
        Crc32(reinterpret_cast<const uint8_t*>(raw.data()), raw.size()))
        << "the last CRC is the raw frame's";
    // The PNG shows each raw index through the program palette.
    RgbColour file[256];
    ASSERT_TRUE(LoadPalFile("data/sc/nosystem.pal", file));
    const RgbPalette palette = MakeProgramPalette(file);
    int w, h, channels;
    uint8_t* png = stbi_load("last.png", &w, &h, &channels, 3);
    ASSERT_TRUE(png && size_t(w) * h == raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const RgbColour c = palette.entries[uint8_t(raw[i])];
        ASSERT_TRUE(png[3 * i] == c.r && png[3 * i + 1] == c.g && png[3 * i + 2] == c.b) << "pixel " << i;
    }
    stbi_image_free(png);
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
TEST_F(RenderTool, ArgumentsKeyScriptsAndTheirErrors)
{
    const std::string ini = ReadText("data/fc.ini"), viewport = "--viewport needs WxH, each 128..2048",
                      frames = "--frames needs a count of at least 1", view = "--view needs X,Y,HEIGHT,ANGLE";
    std::ofstream("bad.keys") << "0 down up\n# fine\n3 down left\n5 press z\n";
    // The message is in the first line of standard error, or the count of trace lines and raw bytes.
    // clang-format off
    const struct { std::string arguments; int status; std::string message, usage = ""; } cases[] = {
        { "--viewport 127x200", 2, viewport }, { "--viewport 320x2049", 2, viewport }, { "--viewport 320", 2, viewport },
        { "--frames 0", 2, frames }, { "--frames 4294967297", 2, frames }, { "--frames 00000000002", 2, frames },
        { "--frames 0000000002 --trace", 0, "2 lines" }, { "--frames 1 --trace", 0, "1 lines" }, { "--frames", 2, "--frames needs a value" },
        { "--view 1,2,3", 2, view }, { "--view 1,2,3,4,5", 2, view }, { "--view 1,2,3,2147483648", 2, view }, { "--view 1,2,-2147483649,4", 2, view }, { "--bogus x", 2, "unknown argument --bogus" },
        { "render --frames 2", 2, "--dir is required" }, { "--keys missing.keys", 1, "cannot read" }, { "--keys bad.keys", 1, "bad.keys: line 4" },
        { "--keys data", 1, "cannot read data" }, { "", 1, "screen usage 127x480 lies outside", "ScrUseXs=127" },
        { "", 1, "screen usage 2049x480 lies outside", "ScrUseXs=2049" }, { "", 1, "screen usage 640x127 lies outside", "ScrUseZs=127" },
        { "", 1, "screen usage 640x2049 lies outside", "ScrUseZs=2049" }, { "--raw f.raw", 0, "0 lines, 983040 bytes", "ScrUseXs=2048" },
        { "mkdata more data", 2, "usage: quarvel-tool mkdata DIR" }, { "mkdata", 2, "usage: quarvel-tool mkdata DIR" },
        { "bench --frames 0", 2, "bad argument --frames 0" }, { "bench --frames 100001", 2, "bad argument --frames 100001" },
        { "bench --frames 100000 --dir missing", 1, "cannot enter missing" }, { "soak --dir data --frames", 2, "usage: quarvel-tool soak" },
        { "soak --dir data --frames 9", 1, "seed 1, frame 0: position 9000,160 (fixed", "ViewPntX=9000" },
        { "--viewport 321x200 --raw f.raw", 0, "0 lines, 64200 bytes" },
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
    // Key script events come in frame order, then script order; comments, blank lines, tabs and CR are
    // skipped. A bad line refuses the whole script with its number. What a recording writes reads back.
    KeyScript script;
    std::string error;
    const int32_t start[4] = { -8191, 7, 1023, 5 };
    ASSERT_TRUE(ParseKeyScript("# a walk\n\n" + KeyScriptHeader(322, 2048, start)
            + "5 down up\n0 down left ctrl   # slow\n   5 up up\n0\tup left\r\n7 down z\n"
            + KeyScriptEvent(7, true, KeyRight, true) + KeyScriptEvent(7, false, KeyA, true)
            + KeyScriptEnd(8),
        &script, &error))
        << error;
    std::ostringstream got;
    for (const KeyEvent& e : script.events)
        got << e.frame << (e.down ? "+" : "-") << e.key << (e.ctrl ? "c" : "") << "@" << e.line << " ";
    got << script.width << "x" << script.height << " " << script.view[0] << "," << script.view[1] << ","
        << script.view[2] << "," << script.view[3] << " " << script.haveView << " end " << script.end;
    EXPECT_EQ(
        got.str(), "0+37c@5 0-37@7 5+38@4 5-38@6 7+90@8 7+39c@9 7-65@10 322x2048 -8191,7,1023,5 1 end 8");
    const std::pair<const char*, int> bad[] = { // clang-format off
        { "x down up\n", 1 }, { "-1 down up\n", 1 }, { "1.5 down up\n", 1 }, { "0 down\n", 1 }, { "# ok\n0 down up\n1 hold up\n", 3 },
        { "0 down escape\n", 1 }, { "0 down Up\n", 1 }, { "0 up up ctrl\n", 1 }, { "0 down up shift\n", 1 }, { "0 down up ctrl ctrl\n", 1 },
        { "\n\n0 down left\n99999999999 down up\n", 4 }, { "0 down up\nviewport 640x480\n", 2 }, { "view 1,2,3,4\nviewport 640x480\n", 2 },
        { "viewport 640x480 viewport 640x480\n", 1 }, { "viewport 127x480\n", 1 }, { "view 1,2,3\n", 1 }, { "viewport\n", 1 },
        { "view 1,2,3,4 size 3\n", 1 }, { "3 down up\n3 end\n", 2 }, { "0 end\n", 1 }, { "2 end\n3 down up\n", 2 }, { "2 end\n4 end\n", 2 } }; // clang-format on
    for (const auto& [text, line] : bad) {
        KeyScript none;
        none.end = 9;
        EXPECT_FALSE(ParseKeyScript(text, &none, &error)) << text;
        EXPECT_EQ(error.rfind("line " + std::to_string(line) + ":", 0), 0u) << text << " gave: " << error;
        EXPECT_TRUE(none.events.empty() && none.end == 0 && none.width == 0 && !none.haveView) << text;
    }
}

} // namespace
