// Values at the edges of their types: eye heights and angles anywhere in 32 bits, and
// pictures larger than the converter can write.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "base/alloc.h"
#include "commands.h"
#include "sc0_file.h"
#include "tool_process.h"
#include "world/objects.h"
#include "world/viewpoint.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// fc.ini stores any eye height; the keys must still give (height +- step) & 1023 without
// overflowing (the sanitizer build turns an overflow into a failure).
TEST(Limits, HeightKeysAndTurnAtThe32BitEdges)
{
    const struct {
        int32_t start, key;
        bool ctrl;
        int32_t expected;
    } cases[] = {
        { INT32_MAX - 7, KeyA, false, 8 },
        { INT32_MAX, KeyA, true, 0 },
        { INT32_MIN, KeyZ, false, 1008 },
        { INT32_MIN + 3, KeyZ, true, 2 },
        { -1, KeyA, false, 15 },
        { 1020, KeyA, false, 12 },
    };
    for (const auto& c : cases) {
        ViewPoint.height = c.start;
        EXPECT_TRUE(PressViewKey(c.key, c.ctrl));
        EXPECT_EQ(ViewPoint.height, c.expected) << c.start;
    }
    ResetSceneObjects();
    for (SceneObject& o : SceneObjectTable)
        o.flags = ObjectHidden;
    PlaceViewer(0, 0, 128, INT32_MAX - 1);
    ForwardAxis = {};
    TurnAxis = {};
    PressViewKey(KeyLeft, false);
    MoveViewer();
    EXPECT_EQ(ViewPoint.angle, 2) << "(0x7FFFFFFE + 4) & 1023";
    TurnAxis = {};
    ResetSceneObjects();
}

class ToolLimits : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / "quarvel-limits";
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    // Quoted for the shell (built up in steps: GCC 12 warns wrongly about "'" + string).
    std::string Path(const char* name) const
    {
        std::string quoted = "'";
        quoted += (folder_ / name).string();
        return quoted += '\'';
    }
    fs::path folder_;
};

// --view takes any 32-bit angle and reduces it as fc.ini's is; a turn then wraps within 0..1023.
TEST_F(ToolLimits, RenderViewAngleIsReduced)
{
    std::string out;
    ASSERT_EQ(Shell("'" QUARVEL_TOOL "' mkdata " + Path("data"), &out), 0) << out;
    ASSERT_TRUE(WriteFileBytes(
        (folder_ / "turn.keys").string(), { '0', ' ', 'd', 'o', 'w', 'n', ' ', 'l', 'e', 'f', 't', '\n' }));
    ASSERT_EQ(Shell("'" QUARVEL_TOOL "' render --dir " + Path("data")
                      + " --view 0,0,128,2147483647 --trace --keys " + Path("turn.keys") + " --frames 2",
                  &out),
        0)
        << out;
    EXPECT_NE(out.find("frame=0 x=0 y=0 h=128 a=3 "), std::string::npos) << out;
    EXPECT_NE(out.find("frame=1 x=0 y=0 h=128 a=11 "), std::string::npos) << out;
}

// A small file can claim a picture far beyond what the PNG writer handles: the converter says
// so and writes nothing, in both directions.
TEST_F(ToolLimits, ConverterRefusesPicturesItCannotWrite)
{
    // 8191 rows, all sharing one empty run list: sound, and 65535 x 8191 RGBA when decoded.
    Bytes payload(8191 * 4 + 4, 0);
    for (size_t row = 0; row < 8191; ++row)
        payload[row * 4] = uint8_t(8191 * 4), payload[row * 4 + 1] = uint8_t((8191 * 4) >> 8);
    payload[8191 * 4] = 1; // the terminator (1, 0)
    ASSERT_TRUE(WriteFileBytes((folder_ / "wide.sc0").string(), MakeSc0(65535, 8191, payload)));
    // A PNG of which only the header is read: signature and IHDR claiming 20000 x 5000, which
    // the PNG reader would take (1 GiB) but the converter could not write back.
    Bytes png = { 0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0x4E, 0x20, 0,
        0, 0x13, 0x88, 8, 6, 0, 0, 0, 0, 0, 0, 0 };
    ASSERT_TRUE(WriteFileBytes((folder_ / "wide.png").string(), png));
    ASSERT_TRUE(WriteFileBytes((folder_ / "grey.pal").string(), Bytes(768, 9)));
    const std::string tool = "'" QUARVEL_TOOL "' sc0 ";
    const struct {
        std::string command;
        const char* message;
    } cases[] = {
        { tool + "decode " + Path("wide.sc0") + " " + Path("out"), "65535x8191, larger than a PNG" },
        { tool + "decode " + Path("wide.sc0") + " " + Path("out") + " --kind sprite", "larger than a PNG" },
        { tool + "encode " + Path("wide.png") + " " + Path("out") + " --kind plain --palette "
                + Path("grey.pal"),
            "20000x5000, larger than a PNG" },
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(Shell(c.command, &out), 1) << c.command << "\n" << out;
        EXPECT_NE(out.find(c.message), std::string::npos) << out;
        EXPECT_FALSE(fs::exists(folder_ / "out"));
    }
}

} // namespace
