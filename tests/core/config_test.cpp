// Tests of reading fc.ini: the path beside the executable, defaults, normalisation and the tear-down.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/config.h"
#include "base/alloc.h"
#include "base/settings.h"
#include "base/sys.h"
#include "render/bitmap.h"
#include "render/trig.h"
#include "world/viewpoint.h"

namespace {

namespace fs = std::filesystem;

// A plain picture: header, then width x height payload bytes (less `missing`).
std::string PlainSc0(uint16_t width, uint16_t height, size_t missing = 0)
{
    std::string file(32, '\0');
    const uint32_t size = uint32_t(width) * height;
    file[4] = char(width), file[5] = char(width >> 8), file[6] = char(height), file[7] = char(height >> 8);
    for (int b = 0; b < 4; ++b)
        file[12 + b] = char(size >> (8 * b));
    return file + std::string(size - missing, '\x21');
}

// A fresh folder per test and per INI (the Windows side caches profiles by name and time).
class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        folder_ = fs::temp_directory_path() / ("quarvel-config-" + std::to_string(++counter));
        fs::remove_all(folder_, ignored_);
        fs::create_directories(folder_ / "sc");
        previous_ = fs::current_path();
        fs::current_path(folder_);
        UseExeFolder(folder_);
        ViewPoint = { 5, 6, 300, 1030, 0, 0, 0, 0, 0, 0 };
        JumpToDX = WinGStyle = LastModeXs = LastModeZs = ScrUseXs = ScrUseZs = 7;
        Projection.ProjDs = Projection.ProjXs = Projection.ProjZs = 0;
        base_ = AllocCount - ReleaseCount;
    }

    void TearDown() override
    {
        FreeConfig();
        SysOverrideModulePath(nullptr);
        fs::current_path(previous_);
        fs::remove_all(folder_, ignored_);
    }

    void UseExeFolder(const fs::path& folder)
    {
        module_ = folder.string() + "\\quarvel.exe";
        SysOverrideModulePath(module_.c_str());
    }

    static void Write(const fs::path& path, const std::string& bytes)
    {
        if (path.has_parent_path())
            fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    // Every value LoadConfig sets, in one line for a readable failure.
    static std::vector<int32_t> Values()
    {
        return { ViewPoint.x, ViewPoint.y, ViewPoint.height, ViewPoint.angle, ViewPoint.fixedX,
            ViewPoint.fixedY, JumpToDX, WinGStyle, LastModeXs, LastModeZs, ScrUseXs, ScrUseZs,
            Projection.ProjDs, Projection.ProjXs, Projection.ProjZs };
    }

    uint32_t Outstanding() const { return AllocCount - ReleaseCount - base_; }

    fs::path folder_, previous_;
    std::string module_;
    uint32_t base_ = 0;
    std::error_code ignored_;
};

TEST_F(ConfigTest, NoFileGivesEveryDefault)
{
    Write("sc/default.sc0", PlainSc0(4, 2));
    Write("sc/7.sc0", PlainSc0(4, 2));
    ViewPoint = {};
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_EQ(ConfigStatus, 0);
    EXPECT_EQ(Values(), (std::vector<int32_t> { 0, 0, 0, 0, 0, 0, 0, 1, 640, 480, 320, 240, 64, 128, 128 }));
    EXPECT_EQ(FloorImage.width, 4) << "the floor image has a default file";
    for (int slot = 0; slot < BitmapSlotCount; ++slot)
        EXPECT_EQ(BitmapSlots[slot].pixels, nullptr) << "slot " << slot;
}

TEST_F(ConfigTest, EveryKeyIsReadFromItsSection)
{
    Write("fc.ini",
        "[view]\nViewPntX=100\nViewPntY=-200\nViewPntZ=900\nViewPntA=300\nWinGStyle=0\nLastModeXs=800\n"
        "LastModeZs=600\nScrUseXs=322\nProjDs=160\nProjXs=640\nProjZs=401\nJumpToDX=9\n"
        "[program]\nJumpToDX=3\nScrUseZs=250\n");
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_EQ(Values(),
        (std::vector<int32_t> {
            100, -200, 900, 300, 100 * 4096, -200 * 4096, 3, 0, 800, 600, 322, 240, 160, 640, 401 }));
}

// Held before loading: angle 1030, projection Ds 200, Xs 641, Zs 150; absent keys keep them.
TEST_F(ConfigTest, ProjectionAndAngleAreNormalised)
{
    const struct {
        const char* lines;
        int32_t xs, zs, ds, angle;
    } cases[] = {
        { "", 640, 150, 200, 6 },
        { "ProjXs=322\nProjZs=129\nProjDs=10\nViewPntA=-1", 320, 129, 64, 1023 },
        { "ProjXs=130\nProjZs=3000\nProjDs=3000\nViewPntA=1024", 128, 2048, 2048, 0 },
        { "ProjXs=100\nProjZs=50\nProjDs=65\nViewPntA=5000", 128, 128, 65, 904 },
        { "ProjXs=5000\nProjDs=2048", 2048, 150, 2048, 6 },
    };
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        const fs::path exe = folder_ / ("row" + std::to_string(++row));
        Write(exe / "fc.ini", std::string("[view]\n") + c.lines + "\n");
        UseExeFolder(exe); // the fc.ini in the current directory is not read
        ViewPoint.angle = 1030;
        Projection.ProjDs = 200;
        Projection.ProjXs = 641;
        Projection.ProjZs = 150;
        ASSERT_EQ(LoadConfig(), 0);
        EXPECT_EQ((std::vector<int32_t> { Projection.ProjXs, Projection.ProjZs, Projection.ProjDs,
                      ViewPoint.angle, ViewPoint.height }),
            (std::vector<int32_t> { c.xs, c.zs, c.ds, c.angle, 300 }));
        ASSERT_EQ(FreeConfig(), 0);
    }
}

TEST_F(ConfigTest, PathIsBesideTheExecutable)
{
    const std::string longFolder = "C:\\" + std::string(1990, 'd') + "\\";
    const struct {
        std::string module, path;
    } cases[] = {
        { "C:\\games\\quarvel\\quarvel.exe", "C:\\games\\quarvel\\fc.ini" },
        { "quarvel.exe", "fc.ini" },
        { "/usr/local/bin/quarvel", "fc.ini" }, // only a backslash separates folders
        { longFolder + "quarvel.exe", longFolder + "fc.ini" },
    };
    for (const auto& c : cases) {
        SysOverrideModulePath(c.module.c_str());
        ASSERT_EQ(LoadConfig(), 0);
        EXPECT_EQ(std::string(ConfigPath), c.path);
        ASSERT_EQ(FreeConfig(), 0);
        EXPECT_EQ(ConfigPath, nullptr);
    }
}

TEST_F(ConfigTest, PicturesLoadOnceAndFreeTwiceInBalance)
{
    Write("sc/default.sc0", PlainSc0(4, 2));
    Write("sc/backdrop.sc0", PlainSc0(1024, 2));
    Write("sc/a.sc0", PlainSc0(3, 3));
    Write("sc/short.sc0", PlainSc0(3, 3, 1));
    // Slot 1 is a sprite slot: the plain picture fails its check and is released again.
    Write("fc.ini", "[bitmaps]\n0=sc\\a.sc0\n1=sc\\a.sc0\n5=sc\\short.sc0\n7=?sc\\a.sc0\n30=sc\\x.sc0\n");
    EXPECT_EQ(FreeConfig(), -1);
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_NE(Backdrop.pixels, nullptr);
    EXPECT_NE(BitmapSlots[0].pixels, nullptr);
    EXPECT_EQ(BitmapSlots[1].pixels, nullptr);
    EXPECT_EQ(BitmapSlots[5].pixels, nullptr);
    EXPECT_EQ(BitmapSlots[7].width, 0) << "a name after '?' was loaded";
    EXPECT_EQ(Outstanding(), 4u) << "path, floor image, backdrop, slot 0";
    const char* path = ConfigPath;
    ViewPoint.x = 99;
    EXPECT_EQ(LoadConfig(), 0);
    EXPECT_EQ(ConfigPath, path) << "a second load must keep the first";
    EXPECT_EQ(ViewPoint.x, 99);
    EXPECT_EQ(Outstanding(), 4u);
    EXPECT_EQ(FreeConfig(), 0);
    EXPECT_EQ(ConfigStatus, -1);
    EXPECT_EQ(FreeConfig(), -1);
    EXPECT_EQ(Outstanding(), 0u);
}

} // namespace
