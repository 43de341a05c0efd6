// The picture converter: the program palette, PNG to .sc0 and back, the kind guess and bad input.
#include <stb_image.h>
#include <stb_image_write.h>

#include "base/alloc.h"
#include "palette.h"
#include "render/bitmap.h"
#include "tool_test.h"

namespace {

Bytes Rgb(const RgbColour& c)
{
    return { c.r, c.g, c.b };
}

// Static colours at both ends are never chosen; a tie goes to the lower index.
TEST(Palette, StaticColoursAroundThePictureColoursNeverChosen)
{
    RgbColour file[256] = {};
    file[20] = file[30] = { 100, 100, 100 };
    file[40] = { 200, 0, 0 };
    file[249] = { 7, 7, 7 };
    const RgbPalette p = MakeProgramPalette(file);
    const std::pair<int, Bytes> statics[]
        = { { 0, { 0, 0, 0 } }, { 9, { 166, 202, 240 } }, { 246, { 255, 251, 240 } }, { 249, { 255, 0, 0 } },
              { 255, { 255, 255, 255 } }, { 20, { 100, 100, 100 } }, { 245, { 0, 0, 0 } } };
    for (const auto& [index, colour] : statics)
        EXPECT_EQ(Rgb(p.entries[index]), colour) << "entry " << index;
    const std::pair<RgbColour, int> nearest[] = { { { 101, 99, 100 }, 20 }, { { 255, 0, 0 }, 40 },
        { { 255, 255, 255 }, 20 }, { { 40, 40, 40 }, 10 } };
    for (const auto& [colour, index] : nearest)
        EXPECT_EQ(NearestColour(p, colour), index) << ::testing::PrintToString(Rgb(colour));
}

// A palette file test.pal beside the pictures; no picture block may be left over.
class Sc0Tool : public ToolTest {
protected:
    void SetUp() override
    {
        ToolTest::SetUp();
        Bytes pal(768);
        for (int i = 0; i < 768; ++i)
            pal[i] = uint8_t(i * 37 ^ i >> 3);
        ASSERT_TRUE(WriteFileBytes("test.pal", pal));
        RgbColour file[256];
        ASSERT_TRUE(LoadPalFile("test.pal", file));
        EXPECT_EQ(Rgb(file[5]), Bytes(pal.begin() + 15, pal.begin() + 18));
        palette_ = MakeProgramPalette(file);
        base_ = AllocCount - ReleaseCount;
    }
    void TearDown() override
    {
        EXPECT_EQ(AllocCount - ReleaseCount, base_) << "a picture block was kept";
        ToolTest::TearDown();
    }
    static int Run(std::vector<std::string> args)
    {
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        return Sc0Command(int(argv.size()), argv.data());
    }
    RgbPalette palette_;
    uint32_t base_ = 0;
};

// Random colours; for a sprite, opacity walks round the threshold in runs of several lengths. The
// picture read back is the input through the palette, transparent where the input was.
TEST_F(Sc0Tool, DecodeOfEncodeIsTheQuantizedInput)
{
    const struct {
        const char* kind;
        int width, height;
        const char* decodeKind; // null: guessed
        PictureKind check;
    } cases[] = { { "plain", 37, 23, "plain", PictureKind::Plain },
        { "plain", 300, 2, nullptr, PictureKind::Plain }, { "floor", 256, 256, nullptr, PictureKind::Floor },
        { "sprite", 41, 17, nullptr, PictureKind::Sprite } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind + std::to_string(c.width));
        const bool sprite = c.check == PictureKind::Sprite;
        Bytes rgba(size_t(c.width) * c.height * 4), want;
        uint32_t seed = 12345;
        for (size_t i = 0; i < rgba.size(); i += 4) {
            seed = seed * 1103515245u + 12345u;
            const size_t n = i / 4;
            rgba[i] = uint8_t(seed >> 16), rgba[i + 1] = uint8_t(seed >> 8),
            rgba[i + 2] = uint8_t(seed >> 24);
            rgba[i + 3] = sprite ? uint8_t((n % 7 < 3) ? 127 + n % 3 : (n % 5 ? 255 : 0)) : 255;
            const bool opaque = rgba[i + 3] >= 128;
            const Bytes q = opaque
                ? Rgb(palette_.entries[NearestColour(palette_, { rgba[i], rgba[i + 1], rgba[i + 2] })])
                : Bytes(3, 0);
            want.insert(want.end(), q.begin(), q.end());
            if (sprite)
                want.push_back(opaque ? 255 : 0);
        }
        ASSERT_NE(stbi_write_png("in.png", c.width, c.height, 4, rgba.data(), c.width * 4), 0);
        ASSERT_EQ(Run({ "encode", "in.png", "out.sc0", "--kind", c.kind, "--palette", "test.pal" }), 0);
        std::vector<std::string> decode = { "decode", "out.sc0", "back.png", "--palette", "test.pal" };
        if (c.decodeKind)
            decode.insert(decode.end(), { "--kind", c.decodeKind });
        ASSERT_EQ(Run(decode), 0);
        int w = 0, h = 0, channels = 0;
        stbi_uc* decoded = stbi_load("back.png", &w, &h, &channels, 0);
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(
            (std::vector<int> { w, h, channels }), (std::vector<int> { c.width, c.height, sprite ? 4 : 3 }));
        EXPECT_TRUE(Bytes(decoded, decoded + size_t(w) * h * channels) == want) << "pixels differ";
        stbi_image_free(decoded);
        Bitmap b = {};
        ASSERT_EQ(LoadBitmap("out.sc0", &b), 0);
        EXPECT_TRUE(PictureIsSound(b, c.check));
        FreeBlock(b.pixels);
    }
}

// Thirteen bytes that are both a whole 13 x 1 plain picture and a sound sprite are guessed plain.
TEST_F(Sc0Tool, AWholePlainPictureIsGuessedPlain)
{
    ASSERT_TRUE(WriteFileBytes("both.sc0", MakeSc0(13, 1, { 4, 0, 0, 0, 0, 0, 0, 0, 77, 1, 0, 0, 0 })));
    ASSERT_EQ(Run({ "decode", "both.sc0", "both.png", "--palette", "test.pal" }), 0);
    int w = 0, h = 0, channels = 0;
    ASSERT_TRUE(stbi_info("both.png", &w, &h, &channels));
    EXPECT_EQ(channels, 3);
}

TEST_F(Sc0Tool, BadInputIsRefused)
{
    const Bytes grey(8 * 8 * 4, 128);
    ASSERT_NE(stbi_write_png("in.png", 8, 8, 4, grey.data(), 32), 0);
    ASSERT_NE(stbi_write_png("nf.png", 256, 255, 1, Bytes(256 * 255, 9).data(), 256), 0);
    ASSERT_TRUE(WriteFileBytes("junk.png", Bytes(300, 0x42)));
    ASSERT_TRUE(WriteFileBytes("short.sc0", Bytes(20, 0)));
    Bytes cut = MakeSc0(4, 4, Bytes(16, 12));
    cut.pop_back();
    ASSERT_TRUE(WriteFileBytes("cut.sc0", cut));
    // Offset 4, then a run 0..9 past the width of 4.
    ASSERT_TRUE(WriteFileBytes("broken.sc0", MakeSc0(4, 1, { 4, 0, 0, 0, 0, 0, 9, 0, 1, 0, 0, 0 })));
    ASSERT_TRUE(WriteFileBytes("empty.sc0", MakeSc0(0, 0, Bytes(16, 0))));
    ASSERT_TRUE(WriteFileBytes("small.sc0", MakeSc0(4, 4, Bytes(16, 12))));
    const std::pair<std::vector<std::string>, int> cases[] = {
        { {}, 2 },
        { { "show", "in.png" }, 2 },
        { { "decode", "small.sc0", "out", "--kind" }, 2 },
        { { "encode", "in.png", "out", "--kind", "plain" }, 1 }, // no palette
        { { "encode", "junk.png", "out", "--kind", "sprite", "--palette", "test.pal" }, 1 },
        { { "encode", "nf.png", "out", "--kind", "floor", "--palette", "test.pal" }, 1 },
        { { "decode", "short.sc0", "out" }, 1 },
        { { "decode", "cut.sc0", "out" }, 1 },
        { { "decode", "broken.sc0", "out", "--kind", "sprite" }, 1 },
        { { "decode", "small.sc0", "out", "--kind", "floor" }, 1 },
        { { "decode", "empty.sc0", "out", "--kind", "plain" }, 1 },
    };
    for (const auto& [args, status] : cases) {
        EXPECT_EQ(Run(args), status) << ::testing::PrintToString(args);
        EXPECT_FALSE(fs::exists("out")) << "a failed command left output behind";
    }
}

} // namespace
