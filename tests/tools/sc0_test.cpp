// Tests of the picture converter: the program palette, PNG to .sc0 and back, and bad input.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

#include <stb_image.h>
#include <stb_image_write.h>

#include "app/alloc.h"
#include "commands.h"
#include "palette.h"
#include "render/bitmap.h"
#include "sc0_file.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// A deterministic palette of our own: entry i is a spread of the three channels.
Bytes TestPalFile()
{
    Bytes pal(768);
    for (int i = 0; i < 256; ++i) {
        pal[3 * i] = uint8_t(i * 37);
        pal[3 * i + 1] = uint8_t(255 - i);
        pal[3 * i + 2] = uint8_t((i * 11) ^ 0x5A);
    }
    return pal;
}

bool SameColour(const RgbColour& a, const RgbColour& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

TEST(Palette, StaticColoursSurroundTheFileColours)
{
    RgbColour file[256];
    const Bytes pal = TestPalFile();
    for (int i = 0; i < 256; ++i)
        file[i] = { pal[3 * i], pal[3 * i + 1], pal[3 * i + 2] };
    const RgbPalette p = MakeProgramPalette(file);
    const struct {
        int index;
        RgbColour colour;
    } statics[] = {
        { 0, { 0, 0, 0 } },
        { 1, { 128, 0, 0 } },
        { 7, { 192, 192, 192 } },
        { 8, { 192, 220, 192 } },
        { 9, { 166, 202, 240 } },
        { 246, { 255, 251, 240 } },
        { 247, { 160, 160, 164 } },
        { 248, { 128, 128, 128 } },
        { 249, { 255, 0, 0 } },
        { 252, { 0, 0, 255 } },
        { 255, { 255, 255, 255 } },
    };
    for (const auto& s : statics)
        EXPECT_TRUE(SameColour(p.entries[s.index], s.colour)) << "entry " << s.index;
    for (int i = FirstPictureColour; i <= LastPictureColour; ++i)
        EXPECT_TRUE(SameColour(p.entries[i], file[i])) << "entry " << i;
}

class Sc0Tool : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        folder_ = fs::temp_directory_path() / ("quarvel-sc0-" + std::to_string(++counter));
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        fs::create_directories(folder_);
        pal_ = Path("test.pal");
        ASSERT_TRUE(WriteFileBytes(pal_, TestPalFile()));
        RgbColour file[256];
        ASSERT_TRUE(LoadPalFile(pal_, file));
        palette_ = MakeProgramPalette(file);
        allocated_ = AllocCount;
        released_ = ReleaseCount;
    }

    void TearDown() override
    {
        EXPECT_EQ(AllocCount - allocated_, ReleaseCount - released_) << "a picture block was kept";
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    static int Run(std::vector<std::string> args)
    {
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        return Sc0Command(int(argv.size()), argv.data());
    }

    // Runs the real binary in folder_ and returns its exit status, with stdout in *output.
    int RunTool(const std::string& args, std::string* output) const
    {
        const std::string command = "cd '" + folder_.string() + "' && '" QUARVEL_TOOL "' " + args + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return -1;
        char chunk[4096];
        size_t n;
        output->clear();
        while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
            output->append(chunk, n);
        const int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // A picture with every channel varying, so that quantizing it uses many entries.
    Bytes MakeRgba(int width, int height, bool withAlpha) const
    {
        Bytes rgba(size_t(width) * height * 4);
        uint32_t seed = 12345;
        for (size_t i = 0; i < rgba.size(); i += 4) {
            seed = seed * 1103515245u + 12345u;
            rgba[i] = uint8_t(seed >> 16);
            rgba[i + 1] = uint8_t(seed >> 8);
            rgba[i + 2] = uint8_t(seed >> 24);
            const size_t pixel = i / 4;
            // Alpha walks round the opacity threshold and leaves gaps and runs of several lengths.
            rgba[i + 3]
                = withAlpha ? uint8_t((pixel % 7 < 3) ? 127 + pixel % 3 : (pixel % 5 ? 255 : 0)) : 255;
        }
        return rgba;
    }

    std::string WritePng(const std::string& name, int width, int height, const Bytes& rgba) const
    {
        const std::string path = Path(name);
        EXPECT_NE(stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4), 0);
        return path;
    }

    RgbColour Quantized(const uint8_t* p) const
    {
        return palette_.entries[NearestColour(palette_, { p[0], p[1], p[2] })];
    }

    // Encodes, decodes and compares every pixel of the decoded PNG with the quantized input.
    void RoundTrip(const char* kind, int width, int height, bool withAlpha, const char* decodeKind)
    {
        const Bytes rgba = MakeRgba(width, height, withAlpha);
        const std::string png = WritePng("in.png", width, height, rgba);
        const std::string sc0 = Path("out.sc0");
        const std::string back = Path("back.png");
        ASSERT_EQ(Run({ "encode", png, sc0, "--kind", kind, "--palette", pal_ }), 0);
        std::vector<std::string> decode = { "decode", sc0, back, "--palette", pal_ };
        if (decodeKind) {
            decode.push_back("--kind");
            decode.push_back(decodeKind);
        }
        ASSERT_EQ(Run(decode), 0);

        const bool sprite = std::strcmp(kind, "sprite") == 0;
        int w = 0, h = 0, channels = 0;
        stbi_uc* decoded = stbi_load(back.c_str(), &w, &h, &channels, 0);
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
        EXPECT_EQ(channels, sprite ? 4 : 3);
        if (w == width && h == height && channels == (sprite ? 4 : 3)) {
            int wrong = 0;
            for (int i = 0; i < width * height && wrong < 5; ++i) {
                const uint8_t* in = &rgba[size_t(i) * 4];
                const uint8_t* out = decoded + size_t(i) * channels;
                const bool opaque = !sprite || in[3] >= 128;
                const RgbColour want = opaque ? Quantized(in) : RgbColour { 0, 0, 0 };
                if (!SameColour({ out[0], out[1], out[2] }, want)
                    || (sprite && out[3] != (opaque ? 255 : 0))) {
                    ADD_FAILURE() << "pixel " << i % width << "," << i / width;
                    ++wrong;
                }
            }
        }
        stbi_image_free(decoded);
    }

    fs::path folder_;
    std::string pal_;
    RgbPalette palette_;
    uint32_t allocated_ = 0;
    uint32_t released_ = 0;
};

TEST_F(Sc0Tool, PlainRoundTrip)
{
    RoundTrip("plain", 37, 23, false, "plain");
}

TEST_F(Sc0Tool, PlainRoundTripGuessesItsKind)
{
    RoundTrip("plain", 300, 2, false, nullptr);
}

TEST_F(Sc0Tool, FloorRoundTrip)
{
    RoundTrip("floor", 256, 256, false, nullptr);
}

TEST_F(Sc0Tool, SpriteRoundTripKeepsTransparency)
{
    RoundTrip("sprite", 41, 17, true, nullptr);
    // The loader accepts what the encoder writes.
    Bitmap b = {};
    ASSERT_EQ(LoadBitmap(Path("out.sc0").c_str(), &b), 0);
    EXPECT_EQ(b.width, 41);
    EXPECT_EQ(b.height, 17);
    EXPECT_TRUE(PictureIsSound(b, PictureKind::Sprite));
    FreeBlock(b.pixels);
}

TEST_F(Sc0Tool, EncodedPayloadHoldsTheNearestIndices)
{
    const Bytes rgba = MakeRgba(5, 4, false);
    const std::string png = WritePng("in.png", 5, 4, rgba);
    ASSERT_EQ(Run({ "encode", png, Path("out.sc0"), "--kind", "plain", "--palette", pal_ }), 0);
    Bytes file;
    ASSERT_TRUE(ReadFileBytes(Path("out.sc0"), &file));
    ASSERT_EQ(file.size(), 32u + 20u);
    EXPECT_EQ(file[4] | file[5] << 8, 5);
    EXPECT_EQ(file[6] | file[7] << 8, 4);
    EXPECT_EQ(file[12] | file[13] << 8, 20);
    for (int i = 0; i < 20; ++i) {
        const uint8_t* p = &rgba[size_t(i) * 4];
        const uint8_t index = file[32 + i];
        EXPECT_EQ(index, NearestColour(palette_, { p[0], p[1], p[2] })) << i;
        EXPECT_GE(index, FirstPictureColour);
        EXPECT_LE(index, LastPictureColour);
    }
}

TEST_F(Sc0Tool, NearestColourPrefersTheLowestIndexAndNeverAStaticColour)
{
    RgbColour file[256] = {};
    file[20] = { 100, 100, 100 };
    file[30] = { 100, 100, 100 };
    file[40] = { 200, 0, 0 };
    const RgbPalette p = MakeProgramPalette(file);
    const struct {
        RgbColour colour;
        int index;
    } cases[] = {
        { { 100, 100, 100 }, 20 }, // two equal entries: the lower one
        { { 101, 99, 100 }, 20 },
        { { 255, 0, 0 }, 40 }, // the static red at 249 is exact but not a picture colour
        { { 255, 255, 255 }, 20 }, // white is static too; the nearest picture colour is grey
        { { 0, 0, 0 }, 10 }, // black: entry 10 is the first of many black ones
        { { 40, 40, 40 }, 10 }, // nearer black (4800) than grey (10800)
    };
    for (const auto& c : cases)
        EXPECT_EQ(NearestColour(p, c.colour), c.index)
            << int(c.colour.r) << "," << int(c.colour.g) << "," << int(c.colour.b);
}

TEST_F(Sc0Tool, ShortPaletteFileLeavesTheRestBlack)
{
    const Bytes pal = TestPalFile();
    ASSERT_TRUE(WriteFileBytes(Path("short.pal"), Bytes(pal.begin(), pal.begin() + 10)));
    RgbColour file[256];
    std::memset(file, 0x77, sizeof file);
    ASSERT_TRUE(LoadPalFile(Path("short.pal"), file));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(SameColour(file[i], { pal[3 * i], pal[3 * i + 1], pal[3 * i + 2] })) << i;
    EXPECT_TRUE(SameColour(file[3], { pal[9], 0, 0 }));
    EXPECT_TRUE(SameColour(file[4], { 0, 0, 0 }));
    EXPECT_TRUE(SameColour(file[255], { 0, 0, 0 }));

    Bytes longer = pal;
    longer.push_back(9);
    ASSERT_TRUE(WriteFileBytes(Path("long.pal"), longer));
    ASSERT_TRUE(LoadPalFile(Path("long.pal"), file));
    EXPECT_TRUE(SameColour(file[255], { pal[765], pal[766], pal[767] }));
    EXPECT_FALSE(LoadPalFile(Path("absent.pal"), file));
}

TEST_F(Sc0Tool, GreyRampRunsFromBlackToWhite)
{
    const RgbPalette p = GreyRampPalette();
    EXPECT_TRUE(SameColour(p.entries[10], { 0, 0, 0 }));
    EXPECT_TRUE(SameColour(p.entries[245], { 255, 255, 255 }));
    EXPECT_TRUE(SameColour(p.entries[249], { 255, 0, 0 }));
    for (int i = 11; i <= 245; ++i) {
        EXPECT_GT(p.entries[i].r, p.entries[i - 1].r) << i;
        EXPECT_EQ(p.entries[i].r, p.entries[i].g);
        EXPECT_EQ(p.entries[i].r, p.entries[i].b);
    }
}

Bytes Header(uint16_t width, uint16_t height, uint32_t size)
{
    Bytes file(32, 0);
    file[4] = uint8_t(width);
    file[5] = uint8_t(width >> 8);
    file[6] = uint8_t(height);
    file[7] = uint8_t(height >> 8);
    for (int b = 0; b < 4; ++b)
        file[12 + b] = uint8_t(size >> (8 * b));
    return file;
}

TEST_F(Sc0Tool, BadInputIsRefused)
{
    const Bytes rgba = MakeRgba(8, 8, true);
    const std::string png = WritePng("in.png", 8, 8, rgba);
    Bytes pngBytes;
    ASSERT_TRUE(ReadFileBytes(png, &pngBytes));
    ASSERT_TRUE(WriteFileBytes(Path("cut.png"), Bytes(pngBytes.begin(), pngBytes.begin() + 40)));
    ASSERT_TRUE(WriteFileBytes(Path("junk.png"), Bytes(300, 0x42)));

    ASSERT_TRUE(WriteFileBytes(Path("short.sc0"), Bytes(20, 0)));
    Bytes cutPayload = Header(4, 4, 16);
    cutPayload.resize(32 + 15);
    ASSERT_TRUE(WriteFileBytes(Path("cutpayload.sc0"), cutPayload));
    Bytes brokenSprite = Header(4, 1, 12);
    for (uint8_t b : { 4, 0, 0, 0, 0, 0, 9, 0, 1, 0, 0, 0 }) // offset 4, then a run 0..9 past width 4
        brokenSprite.push_back(b);
    ASSERT_TRUE(WriteFileBytes(Path("broken.sc0"), brokenSprite));
    Bytes empty = Header(0, 0, 16);
    empty.resize(32 + 16, 0);
    ASSERT_TRUE(WriteFileBytes(Path("empty.sc0"), empty));
    Bytes small = Header(4, 4, 16);
    small.resize(32 + 16, 12);
    ASSERT_TRUE(WriteFileBytes(Path("small.sc0"), small));
    const Bytes big = MakeRgba(256, 255, false);
    const std::string notFloor = WritePng("notfloor.png", 256, 255, big);

    const std::string out = Path("out.file");
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
    } cases[] = {
        { "no subcommand", {}, 2 },
        { "unknown subcommand", { "show", png }, 2 },
        { "unknown option", { "decode", Path("small.sc0"), out, "--colour", "x" }, 2 },
        { "option without value", { "decode", Path("small.sc0"), out, "--kind" }, 2 },
        { "encode without palette", { "encode", png, out, "--kind", "plain" }, 1 },
        { "encode without kind", { "encode", png, out, "--palette", pal_ }, 1 },
        { "encode unknown kind", { "encode", png, out, "--kind", "backdrop", "--palette", pal_ }, 1 },
        { "encode missing palette file",
            { "encode", png, out, "--kind", "plain", "--palette", Path("no.pal") }, 1 },
        { "encode missing png", { "encode", Path("no.png"), out, "--kind", "plain", "--palette", pal_ }, 1 },
        { "encode cut png", { "encode", Path("cut.png"), out, "--kind", "plain", "--palette", pal_ }, 1 },
        { "encode junk png", { "encode", Path("junk.png"), out, "--kind", "sprite", "--palette", pal_ }, 1 },
        { "encode floor not 256x256", { "encode", notFloor, out, "--kind", "floor", "--palette", pal_ }, 1 },
        { "encode into a missing folder",
            { "encode", png, Path("no/such.sc0"), "--kind", "plain", "--palette", pal_ }, 1 },
        { "decode missing file", { "decode", Path("no.sc0"), out }, 1 },
        { "decode short header", { "decode", Path("short.sc0"), out }, 1 },
        { "decode short payload", { "decode", Path("cutpayload.sc0"), out }, 1 },
        { "decode broken sprite", { "decode", Path("broken.sc0"), out, "--kind", "sprite" }, 1 },
        { "decode small as floor", { "decode", Path("small.sc0"), out, "--kind", "floor" }, 1 },
        { "decode picture without pixels", { "decode", Path("empty.sc0"), out, "--kind", "plain" }, 1 },
        { "decode with missing palette", { "decode", Path("small.sc0"), out, "--palette", Path("no.pal") },
            1 },
        { "decode into a missing folder", { "decode", Path("small.sc0"), Path("no/such.png") }, 1 },
        { "info of a short file", { "info", Path("short.sc0") }, 1 },
        { "info of a short payload", { "info", Path("cutpayload.sc0") }, 1 },
        { "info without file", { "info" }, 2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Run(c.args), c.status);
        EXPECT_FALSE(fs::exists(out)) << "a failed command left output behind";
    }
}

TEST_F(Sc0Tool, InfoNamesTheKindsAPictureCanBe)
{
    const Bytes rgba = MakeRgba(6, 5, true);
    WritePng("in.png", 6, 5, rgba);
    ASSERT_EQ(Run({ "encode", Path("in.png"), Path("s.sc0"), "--kind", "sprite", "--palette", pal_ }), 0);
    Bytes extra = Header(1024, 2, 2048);
    extra.resize(32 + 2048 + 7, 3);
    ASSERT_TRUE(WriteFileBytes(Path("backdrop.sc0"), extra));

    std::string output;
    EXPECT_EQ(RunTool("sc0 info s.sc0", &output), 0);
    EXPECT_NE(output.find("width: 6\n"), std::string::npos) << output;
    // 98 payload bytes would also fill a 6 x 5 plain picture.
    EXPECT_NE(output.find("can be drawn as: plain sprite\n"), std::string::npos) << output;
    EXPECT_NE(output.find("most likely: sprite\n"), std::string::npos) << output;
    EXPECT_EQ(RunTool("sc0 info backdrop.sc0", &output), 0);
    EXPECT_NE(output.find("7 more than the payload"), std::string::npos) << output;
    EXPECT_NE(output.find("can be drawn as: plain backdrop\n"), std::string::npos) << output;
    EXPECT_EQ(RunTool("sc0 info missing.sc0", &output), 1);
}

TEST_F(Sc0Tool, DecodeFallsBackToTheDataSetPaletteThenGrey)
{
    Bytes file = Header(2, 1, 2);
    file.push_back(10);
    file.push_back(245);
    ASSERT_TRUE(WriteFileBytes(Path("p.sc0"), file));

    std::string output;
    ASSERT_EQ(RunTool("sc0 decode p.sc0 grey.png --kind plain", &output), 0);
    EXPECT_NE(output.find("grey ramp"), std::string::npos) << output;
    int w, h, n;
    stbi_uc* grey = stbi_load(Path("grey.png").c_str(), &w, &h, &n, 3);
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(Bytes(grey, grey + 6), (Bytes { 0, 0, 0, 255, 255, 255 }));
    stbi_image_free(grey);

    fs::create_directories(folder_ / "sc");
    ASSERT_TRUE(WriteFileBytes(Path("sc/nosystem.pal"), TestPalFile()));
    ASSERT_EQ(RunTool("sc0 decode p.sc0 pal.png", &output), 0);
    EXPECT_NE(output.find("palette: sc/nosystem.pal"), std::string::npos) << output;
    stbi_uc* coloured = stbi_load(Path("pal.png").c_str(), &w, &h, &n, 3);
    ASSERT_NE(coloured, nullptr);
    const RgbColour a = palette_.entries[10], b = palette_.entries[245];
    EXPECT_EQ(Bytes(coloured, coloured + 6), (Bytes { a.r, a.g, a.b, b.r, b.g, b.b }));
    stbi_image_free(coloured);
}

} // namespace
