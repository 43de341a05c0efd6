// Tests of reading fc.ini: the path beside the executable, defaults, normalisation and the tear-down.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/alloc.h"
#include "app/config.h"
#include "app/settings.h"
#include "app/sys.h"
#include "render/bitmap.h"
#include "render/trig.h"
#include "world/viewpoint.h"

namespace {

namespace fs = std::filesystem;

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    fs::create_directories(path.parent_path());
    FILE* f = std::fopen(path.string().c_str(), "wb");
    ASSERT_NE(f, nullptr) << path.string();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

void WriteText(const fs::path& path, const std::string& text)
{
    WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// A plain picture file of width x height bytes.
std::vector<uint8_t> PlainSc0(uint16_t width, uint16_t height)
{
    std::vector<uint8_t> file(32, 0);
    const uint32_t size = uint32_t(width) * height;
    file[4] = uint8_t(width);
    file[5] = uint8_t(width >> 8);
    file[6] = uint8_t(height);
    file[7] = uint8_t(height >> 8);
    for (int b = 0; b < 4; ++b)
        file[12 + b] = uint8_t(size >> (8 * b));
    for (uint32_t i = 0; i < size; ++i)
        file.push_back(uint8_t(i * 7 + 1));
    return file;
}

// Every test runs in a folder of its own, which holds fc.ini (beside a pretended executable)
// and is the current directory the picture paths resolve against. The Windows side caches
// profiles by name and time, so a folder is never reused within a run.
class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        folder_ = fs::temp_directory_path() / ("quarvel-config-" + std::to_string(++counter));
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        fs::create_directories(folder_);
        previous_ = fs::current_path();
        fs::current_path(folder_);
        modulePath_ = folder_.string() + "\\quarvel.exe";
        SysOverrideModulePath(modulePath_.c_str());

        ViewPoint = { 0, 0, 128, 0, 0, 0, 128, 0, 0, 0 };
        JumpToDX = 5;
        WinGStyle = 7;
        LastModeXs = LastModeZs = ScrUseXs = ScrUseZs = 1;
        Projection.ProjDs = Projection.ProjXs = Projection.ProjZs = 0;
        allocated_ = AllocCount;
        released_ = ReleaseCount;
    }

    void TearDown() override
    {
        FreeConfig();
        SysOverrideModulePath(nullptr);
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    void WriteIni(const std::string& text) { WriteText(folder_ / "fc.ini", text); }

    uint32_t Outstanding() const { return (AllocCount - allocated_) - (ReleaseCount - released_); }

    fs::path folder_;
    fs::path previous_;
    std::string modulePath_;
    uint32_t allocated_ = 0;
    uint32_t released_ = 0;
};

TEST_F(ConfigTest, NoFileGivesEveryDefault)
{
    WriteBytes(folder_ / "sc" / "default.sc0", PlainSc0(4, 2));
    WriteBytes(folder_ / "sc" / "7.sc0", PlainSc0(4, 2));

    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_EQ(ConfigStatus, 0);
    EXPECT_EQ(ViewPoint.x, 0);
    EXPECT_EQ(ViewPoint.y, 0);
    EXPECT_EQ(ViewPoint.height, 128);
    EXPECT_EQ(ViewPoint.angle, 0);
    EXPECT_EQ(ViewPoint.fixedX, 0);
    EXPECT_EQ(ViewPoint.fixedY, 0);
    EXPECT_EQ(JumpToDX, 0);
    EXPECT_EQ(WinGStyle, 1);
    EXPECT_EQ(LastModeXs, 640);
    EXPECT_EQ(LastModeZs, 480);
    EXPECT_EQ(ScrUseXs, 320);
    EXPECT_EQ(ScrUseZs, 240);
    EXPECT_EQ(Projection.ProjDs, 64);
    EXPECT_EQ(Projection.ProjXs, 128);
    EXPECT_EQ(Projection.ProjZs, 128);
    // The floor image has a default file; the numbered slots default to "?".
    EXPECT_NE(FloorImage.pixels, nullptr);
    EXPECT_EQ(FloorImage.width, 4);
    for (int slot = 0; slot < BitmapSlotCount; ++slot)
        EXPECT_EQ(BitmapSlots[slot].pixels, nullptr) << "slot " << slot;
    EXPECT_EQ(Backdrop.pixels, nullptr);
}

TEST_F(ConfigTest, EveryKeyIsRead)
{
    WriteIni("[view]\nViewPntX=100\nViewPntY=-200\nViewPntZ=900\nViewPntA=300\nWinGStyle=0\n"
             "LastModeXs=800\nLastModeZs=600\nScrUseXs=322\nScrUseZs=250\n"
             "ProjDs=160\nProjXs=640\nProjZs=401\n[program]\nJumpToDX=3\n");
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_EQ(ViewPoint.x, 100);
    EXPECT_EQ(ViewPoint.y, -200);
    EXPECT_EQ(ViewPoint.height, 900); // no limit on the eye height
    EXPECT_EQ(ViewPoint.angle, 300);
    EXPECT_EQ(ViewPoint.fixedX, 100 * 4096);
    EXPECT_EQ(ViewPoint.fixedY, -200 * 4096);
    EXPECT_EQ(JumpToDX, 3);
    EXPECT_EQ(WinGStyle, 0);
    EXPECT_EQ(LastModeXs, 800);
    EXPECT_EQ(LastModeZs, 600);
    EXPECT_EQ(ScrUseXs, 322); // the screen usage is not rounded when read
    EXPECT_EQ(ScrUseZs, 250);
    EXPECT_EQ(Projection.ProjDs, 160);
    EXPECT_EQ(Projection.ProjXs, 640);
    EXPECT_EQ(Projection.ProjZs, 401);
}

TEST_F(ConfigTest, KeysInTheWrongSectionAreNotRead)
{
    WriteIni("[program]\nViewPntX=100\nWinGStyle=0\n[view]\nJumpToDX=3\n");
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_EQ(ViewPoint.x, 0);
    EXPECT_EQ(WinGStyle, 1);
    EXPECT_EQ(JumpToDX, 0);
}

TEST_F(ConfigTest, ViewpointDefaultsAreTheValuesHeld)
{
    ViewPoint.x = 5;
    ViewPoint.y = 6;
    ViewPoint.height = 300;
    ViewPoint.angle = 1030;
    Projection.ProjDs = 200;
    Projection.ProjXs = 322;
    Projection.ProjZs = 150;
    WriteIni("[view]\n");
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_EQ(ViewPoint.x, 5);
    EXPECT_EQ(ViewPoint.y, 6);
    EXPECT_EQ(ViewPoint.height, 300);
    EXPECT_EQ(ViewPoint.angle, 6);
    EXPECT_EQ(ViewPoint.fixedX, 5 * 4096);
    EXPECT_EQ(ViewPoint.fixedY, 6 * 4096);
    EXPECT_EQ(Projection.ProjDs, 200);
    EXPECT_EQ(Projection.ProjXs, 320);
    EXPECT_EQ(Projection.ProjZs, 150);
}

struct NumberCase {
    const char* line; // null: the key is absent
    int32_t ProjectionValues::*field;
    int32_t expected;
};

// clang-format off
const NumberCase ProjectionCases[] = {
    {"ProjXs=322",  &ProjectionValues::ProjXs, 320},
    {"ProjXs=130",  &ProjectionValues::ProjXs, 128},
    {"ProjXs=100",  &ProjectionValues::ProjXs, 128},
    {"ProjXs=5000", &ProjectionValues::ProjXs, 2048},
    {"ProjXs=2047", &ProjectionValues::ProjXs, 2044}, // rounded before the clamp
    {"ProjXs=131",  &ProjectionValues::ProjXs, 128},
    {"ProjXs=-4",   &ProjectionValues::ProjXs, 128},
    {nullptr,       &ProjectionValues::ProjXs, 128},
    {"ProjZs=129",  &ProjectionValues::ProjZs, 129},  // only the width is rounded
    {"ProjZs=50",   &ProjectionValues::ProjZs, 128},
    {"ProjZs=3000", &ProjectionValues::ProjZs, 2048},
    {nullptr,       &ProjectionValues::ProjZs, 128},
    {"ProjDs=10",   &ProjectionValues::ProjDs, 64},
    {"ProjDs=3000", &ProjectionValues::ProjDs, 2048},
    {"ProjDs=65",   &ProjectionValues::ProjDs, 65},
    {"ProjDs=2048", &ProjectionValues::ProjDs, 2048},
    {nullptr,       &ProjectionValues::ProjDs, 64},
};
// clang-format on

TEST_F(ConfigTest, ProjectionIsRoundedAndClamped)
{
    for (const NumberCase& c : ProjectionCases) {
        SCOPED_TRACE(c.line ? c.line : "(absent)");
        Projection.ProjDs = Projection.ProjXs = Projection.ProjZs = 0;
        WriteIni(std::string("[view]\n") + (c.line ? c.line : "") + "\n");
        ASSERT_EQ(LoadConfig(), 0);
        EXPECT_EQ(Projection.*c.field, c.expected);
        ASSERT_EQ(FreeConfig(), 0);
        // A fresh folder per case: the Windows side caches profiles by name and time.
        TearDown();
        SetUp();
    }
}

TEST_F(ConfigTest, AngleIsReducedToOneTurn)
{
    const struct {
        const char* value;
        int32_t angle;
    } cases[] = { { "0", 0 }, { "1023", 1023 }, { "1024", 0 }, { "1030", 6 }, { "-1", 1023 }, { "-1024", 0 },
        { "5000", 904 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        WriteIni(std::string("[view]\nViewPntA=") + c.value + "\n");
        ASSERT_EQ(LoadConfig(), 0);
        EXPECT_EQ(ViewPoint.angle, c.angle);
        ASSERT_EQ(FreeConfig(), 0);
        TearDown();
        SetUp();
    }
}

TEST_F(ConfigTest, PathIsBesideTheExecutable)
{
    const struct {
        const char* module;
        const char* path;
    } cases[] = {
        { "C:\\games\\quarvel\\quarvel.exe", "C:\\games\\quarvel\\fc.ini" },
        { "C:\\quarvel.exe", "C:\\fc.ini" },
        { "games\\", "games\\fc.ini" },
        { "\\", "\\fc.ini" },
        { "quarvel.exe", "fc.ini" },
        { "/usr/local/bin/quarvel", "fc.ini" }, // only a backslash separates folders here
        { "", "fc.ini" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.module);
        SysOverrideModulePath(c.module);
        ASSERT_EQ(LoadConfig(), 0);
        ASSERT_NE(ConfigPath, nullptr);
        EXPECT_STREQ(ConfigPath, c.path);
        ASSERT_EQ(FreeConfig(), 0);
        EXPECT_EQ(ConfigPath, nullptr);
    }
}

TEST_F(ConfigTest, LongModulePathKeepsItsFolder)
{
    // The executable's path is read into 2048 bytes; the folder part must survive whole.
    const std::string folder = "C:\\" + std::string(1990, 'd') + "\\";
    const std::string module = folder + "quarvel.exe";
    SysOverrideModulePath(module.c_str());
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_EQ(std::string(ConfigPath), folder + "fc.ini");
}

TEST_F(ConfigTest, ReadsFromTheFileBesideTheExecutableOnly)
{
    // fc.ini in the current directory is not the one beside the executable.
    WriteIni("[view]\nViewPntX=11\n");
    WriteText(folder_ / "bin" / "fc.ini", "[view]\nViewPntX=22\n");
    const std::string module = (folder_ / "bin").string() + "\\quarvel.exe";
    SysOverrideModulePath(module.c_str());
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_EQ(ViewPoint.x, 22);
}

TEST_F(ConfigTest, QuestionMarkLeavesSlotEmpty)
{
    WriteBytes(folder_ / "sc" / "a.sc0", PlainSc0(3, 3));
    WriteIni("[bitmaps]\n7=?sc\\a.sc0\n8=sc\\a.sc0\n9=?\n10=\n");
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_EQ(BitmapSlots[7].pixels, nullptr);
    EXPECT_EQ(BitmapSlots[7].width, 0);
    EXPECT_NE(BitmapSlots[8].pixels, nullptr);
    EXPECT_EQ(BitmapSlots[8].width, 3);
    EXPECT_EQ(BitmapSlots[9].pixels, nullptr);
    EXPECT_EQ(BitmapSlots[10].pixels, nullptr); // an empty name is tried and not found
}

TEST_F(ConfigTest, FreeConfigIsSafeTwiceAndBeforeLoading)
{
    EXPECT_EQ(FreeConfig(), -1);
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_EQ(FreeConfig(), 0);
    EXPECT_EQ(ConfigStatus, -1);
    EXPECT_EQ(FreeConfig(), -1);
    EXPECT_EQ(Outstanding(), 0u);
}

TEST_F(ConfigTest, LoadAndFreeBalanceTheAllocator)
{
    WriteBytes(folder_ / "sc" / "default.sc0", PlainSc0(4, 2));
    WriteBytes(folder_ / "sc" / "backdrop.sc0", PlainSc0(1024, 2));
    WriteBytes(folder_ / "sc" / "a.sc0", PlainSc0(3, 3));
    std::vector<uint8_t> shortFile = PlainSc0(3, 3);
    shortFile.pop_back();
    WriteBytes(folder_ / "sc" / "short.sc0", shortFile);
    // Slot 1 is drawn as a sprite: a plain picture fails the check and is released again.
    WriteIni("[bitmaps]\n0=sc\\a.sc0\n1=sc\\a.sc0\n5=sc\\short.sc0\n30=sc\\missing.sc0\n");

    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_NE(FloorImage.pixels, nullptr);
    EXPECT_NE(Backdrop.pixels, nullptr);
    EXPECT_NE(BitmapSlots[0].pixels, nullptr);
    EXPECT_EQ(BitmapSlots[1].pixels, nullptr);
    EXPECT_EQ(BitmapSlots[5].pixels, nullptr);
    EXPECT_EQ(Outstanding(), 4u); // path, floor image, backdrop, slot 0
    ASSERT_EQ(FreeConfig(), 0);
    EXPECT_EQ(Outstanding(), 0u);
}

TEST_F(ConfigTest, SecondLoadKeepsTheFirst)
{
    WriteBytes(folder_ / "sc" / "default.sc0", PlainSc0(4, 2));
    WriteIni("[view]\nViewPntX=11\n");
    ASSERT_EQ(LoadConfig(), 0);
    const uint32_t outstanding = Outstanding();
    const char* path = ConfigPath;
    ViewPoint.x = 99;
    EXPECT_EQ(LoadConfig(), 0);
    EXPECT_EQ(Outstanding(), outstanding);
    EXPECT_EQ(ConfigPath, path);
    EXPECT_EQ(ViewPoint.x, 99);
    ASSERT_EQ(FreeConfig(), 0);
    EXPECT_EQ(Outstanding(), 0u);
}

} // namespace
