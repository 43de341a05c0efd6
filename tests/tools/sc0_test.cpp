// The picture converter: the program palette, PNG to .sc0 and back, the kind guess and bad input.
#include <cmath>
#include <stb_image.h>
#include <stb_image_write.h>

#include "base/alloc.h"
#include "render/bitmap.h"
#include "render/palette.h"
#include "tool_test.h"

namespace {

const auto Rgb = [](const RgbColour& c) { return Bytes { c.r, c.g, c.b }; };

// Static colours at both ends are never chosen; a tie goes to the lower index. Through the converter,
// with a palette file test.pal beside the pictures: random colours; for a sprite, opacity walks round
// the threshold in runs of several lengths. The picture read back is the input through the palette,
// transparent where the input was, its kind told or guessed. No picture block may be left over.
TEST_F(ToolTest, PaletteAndSc0DecodeOfEncodeIsTheQuantizedInputAndBadInputIsRefused)
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
    for (int i = FirstPictureColour; i <= LastPictureColour;
         ++i) // black to white, each grey to the nearest unit
        EXPECT_EQ(Rgb(GreyRampPalette().entries[i]), Bytes(3, uint8_t(std::lround((i - 10) * 255 / 235.0))))
            << i;
    Bytes pal(768);
    for (int i = 0; i < 768; ++i)
        pal[i] = uint8_t(i * 37 ^ i >> 3);
    ASSERT_TRUE(WriteFileBytes("test.pal", pal));
    ASSERT_TRUE(LoadPalFile("test.pal", file));
    EXPECT_EQ(Rgb(file[5]), Bytes(pal.begin() + 15, pal.begin() + 18));
    const RgbPalette palette = MakeProgramPalette(file);
    const uint32_t base = AllocCount - ReleaseCount;
    const auto run = [](std::vector<std::string> args) { // the empty ones left out
        std::vector<char*> argv;
        for (std::string& a : args)
            if (!a.empty())
                argv.push_back(a.data());
        return Sc0Command(int(argv.size()), argv.data());
    };
    const std::tuple<std::string, int, int, bool, PictureKind> cases[] = { // named: decode is told the kind
        { "plain", 37, 23, true, PictureKind::Plain }, { "plain", 300, 2, false, PictureKind::Plain },
        { "floor", 256, 256, false, PictureKind::Floor }, { "sprite", 41, 17, false, PictureKind::Sprite }
    };
    for (const auto& [kind, width, height, named, check] : cases) {
        SCOPED_TRACE(kind + std::to_string(width));
        const bool sprite = check == PictureKind::Sprite;
        Bytes rgba, want;
        uint32_t seed = 12345;
        for (size_t n = 0; n < size_t(width) * height; ++n) {
            seed = seed * 1103515245u + 12345u;
            const RgbColour in = { uint8_t(seed >> 16), uint8_t(seed >> 8), uint8_t(seed >> 24) };
            const uint8_t alpha = sprite ? uint8_t((n % 7 < 3) ? 127 + n % 3 : (n % 5 ? 255 : 0)) : 255;
            rgba.insert(rgba.end(), { in.r, in.g, in.b, alpha });
            Bytes q = alpha >= 128 ? Rgb(palette.entries[NearestColour(palette, in)]) : Bytes(3, 0);
            if (sprite)
                q.push_back(alpha >= 128 ? 255 : 0);
            want.insert(want.end(), q.begin(), q.end());
        }
        ASSERT_NE(stbi_write_png("in.png", width, height, 4, rgba.data(), width * 4), 0);
        ASSERT_EQ(run({ "encode", "in.png", "out.sc0", "--kind", kind, "--palette", "test.pal" }), 0);
        ASSERT_EQ(run({ "decode", "out.sc0", "back.png", "--palette", "test.pal", named ? "--kind" : "",
                      named ? kind : "" }),
            0);
        int w = 0, h = 0, channels = 0;
        stbi_uc* decoded = stbi_load("back.png", &w, &h, &channels, 0);
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(
            (std::vector<int> { w, h, channels }), (std::vector<int> { width, height, sprite ? 4 : 3 }));
        EXPECT_TRUE(Bytes(decoded, decoded + size_t(w) * h * channels) == want) << "pixels differ";
        stbi_image_free(decoded);
        Bitmap b = {};
        ASSERT_EQ(LoadBitmap("out.sc0", &b), 0);
        EXPECT_TRUE(PictureIsSound(b, check));
        FreeBlock(b.pixels);
    }
    // Thirteen bytes that are both a whole 13 x 1 plain picture and a sound sprite are guessed plain.
    ASSERT_TRUE(WriteFileBytes("both.sc0", MakeSc0(13, 1, { 4, 0, 0, 0, 0, 0, 0, 0, 77, 1, 0, 0, 0 })));
    ASSERT_EQ(run({ "decode", "both.sc0", "both.png", "--palette", "test.pal" }), 0);
    int w = 0, h = 0, channels = 0;
    ASSERT_TRUE(stbi_info("both.png", &w, &h, &channels));
    EXPECT_EQ(channels, 3);
    // Bad input is refused, and leaves no output behind.
    ASSERT_NE(stbi_write_png("in.png", 8, 8, 4, Bytes(8 * 8 * 4, 128).data(), 32), 0);
    ASSERT_NE(stbi_write_png("nf.png", 256, 255, 1, Bytes(256 * 255, 9).data(), 256), 0);
    Bytes cut = MakeSc0(4, 4, Bytes(16, 12));
    cut.pop_back();
    const std::pair<const char*, Bytes> files[] = { // broken.sc0 has a run 0..9, past the width
        { "junk.png", Bytes(300, 0x42) }, { "short.sc0", Bytes(20, 0) }, { "cut.sc0", cut },
        { "empty.sc0", MakeSc0(0, 0, Bytes(16, 0)) }, { "small.sc0", MakeSc0(4, 4, Bytes(16, 12)) },
        { "broken.sc0", MakeSc0(4, 1, { 4, 0, 0, 0, 0, 0, 9, 0, 1, 0, 0, 0 }) }
    };
    for (const auto& [name, bytes] : files)
        ASSERT_TRUE(WriteFileBytes(name, bytes)); // clang-format off
    const std::pair<std::vector<std::string>, int> bad[] = {
        { {}, 2 }, { { "show", "in.png" }, 2 }, { { "decode", "small.sc0", "out", "--kind" }, 2 },
        { { "encode", "in.png", "out", "--kind", "plain" }, 1 }, // no palette
        { { "encode", "junk.png", "out", "--kind", "sprite", "--palette", "test.pal" }, 1 },
        { { "encode", "nf.png", "out", "--kind", "floor", "--palette", "test.pal" }, 1 },
        { { "decode", "short.sc0", "out" }, 1 }, { { "decode", "cut.sc0", "out" }, 1 },
        { { "decode", "broken.sc0", "out", "--kind", "sprite" }, 1 }, { { "decode", "small.sc0", "out", "--kind", "floor" }, 1 },
        { { "decode", "empty.sc0", "out", "--kind", "plain" }, 1 },
    }; // clang-format on
    for (const auto& [args, status] : bad) {
        EXPECT_EQ(run(args), status) << ::testing::PrintToString(args);
        EXPECT_FALSE(fs::exists("out")) << "a failed command left output behind";
    }
    EXPECT_EQ(AllocCount - ReleaseCount, base) << "a picture block was kept";
}

} // namespace
