// fc.ini beside the executable, .sc0 loading, the soundness check of each picture kind, the
// picture set's load and release, and the counted block allocator underneath.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "app/config.h"
#include "base/alloc.h"
#include "base/settings.h"
#include "base/sys.h"
#include "render/bitmap.h"
#include "render/trig.h"
#include "world/viewpoint.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Values = std::vector<int32_t>;

// Appends value as `bytes` little-endian bytes.
Bytes& Put(Bytes& out, uint32_t value, int bytes)
{
    for (int b = 0; b < bytes; ++b)
        out.push_back(uint8_t(value >> (8 * b)));
    return out;
}

// A whole file: header with odd carried fields at 8, 10 and 16, then the payload followed by n bytes
// 1, 14, 27, ...; the header's payload size is the payload's unless given.
Bytes Sc0(uint16_t width, uint16_t height, uint32_t n, int64_t size = -1, Bytes payload = {})
{
    for (uint32_t i = 0; i < n; ++i)
        payload.push_back(uint8_t(1 + i * 13));
    Bytes file(4, 0xEE);
    Put(Put(Put(Put(file, width, 2), height, 2), 0x8001, 2), 0x7FFE, 2);
    Put(Put(file, uint32_t(size >= 0 ? size : payload.size()), 4), 0xFFFF, 2).resize(32, 0xEE);
    file.insert(file.end(), payload.begin(), payload.end());
    return file;
}

// Sprite payload: offset table, then each row's runs with pixel bytes and a (1, 0) terminator.
Bytes SpritePayload(const std::vector<std::vector<std::pair<uint16_t, uint16_t>>>& rows)
{
    Bytes out(rows.size() * 4, 0);
    for (size_t r = 0; r < rows.size(); ++r) {
        for (int i = 0; i < 4; ++i)
            out[r * 4 + i] = uint8_t(out.size() >> (8 * i));
        for (auto [first, last] : rows[r])
            Put(Put(out, first, 2), last, 2).resize(out.size() + last - first + 1, 0x5A);
        Put(out, 1, 4);
    }
    return out;
}

// A fresh folder as the current directory and as the executable's.
class Config : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        folder_ = fs::temp_directory_path() / ("quarvel-config-" + std::to_string(++counter));
        fs::create_directories(folder_ / "sc");
        previous_ = fs::current_path();
        fs::current_path(folder_);
        UseExeFolder(folder_);
        base_ = AllocCount - ReleaseCount;
    }
    void TearDown() override
    {
        FreeConfig();
        BitmapReleaseObserver = nullptr;
        SysOverrideModulePath(nullptr);
        fs::current_path(previous_);
        fs::remove_all(folder_);
    }
    void UseExeFolder(const fs::path& folder)
    {
        SysOverrideModulePath((module_ = folder.string() + "\\quarvel.exe").c_str());
    }
    // Writes sc/NAME.sc0 and returns the name fc.ini gives it.
    static std::string Write(const std::string& name, const Bytes& bytes)
    {
        std::ofstream("sc/" + name + ".sc0", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return "sc\\" + name + ".sc0";
    }
    static void WriteIni(const std::string& text) { std::ofstream("fc.ini", std::ios::binary) << text; }
    uint32_t Outstanding() const { return AllocCount - ReleaseCount - base_; }

    fs::path folder_, previous_;
    std::string module_;
    uint32_t base_ = 0;
};

TEST_F(Config, EveryKeyIsReadFromItsSectionAndTheProjectionAndAngleAreNormalised)
{
    WriteIni("[view]\nViewPntX=100\nViewPntY=-200\nViewPntZ=900\nViewPntA=300\nWinGStyle=0\nLastModeXs=800\n"
             "LastModeZs=600\nScrUseXs=322\nProjDs=160\nProjXs=640\nProjZs=401\nJumpToDX=9\n"
             "[program]\nJumpToDX=3\nScrUseZs=250\n");
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_EQ((Values { ViewPoint.x, ViewPoint.y, ViewPoint.height, ViewPoint.angle, ViewPoint.fixedX,
                  ViewPoint.fixedY, JumpToDX, WinGStyle, LastModeXs, LastModeZs, ScrUseXs, ScrUseZs,
                  Projection.ProjDs, Projection.ProjXs, Projection.ProjZs }),
        (Values { 100, -200, 900, 300, 100 * 4096, -200 * 4096, 3, 0, 800, 600, 322, 240, 160, 640, 401 }));
    ASSERT_EQ(FreeConfig(), 0);
    // Held before loading: angle 1030, eye 300, projection Ds 200, Xs 641, Zs 150; absent keys keep
    // them. Each row's fc.ini lies beside its executable; the one in the current directory is not read.
    const std::pair<const char*, Values> cases[] = { // the lines; Xs, Zs, Ds, angle, eye
        { "", { 640, 150, 200, 6, 300 } },
        { "ProjXs=322\nProjZs=129\nProjDs=10\nViewPntA=-1", { 320, 129, 64, 1023, 300 } },
        { "ProjXs=130\nProjZs=3000\nProjDs=3000\nViewPntA=1024", { 128, 2048, 2048, 0, 300 } },
        { "ProjXs=127\nProjZs=127\nProjDs=63\nViewPntA=5000", { 128, 128, 64, 904, 300 } }
    };
    WriteIni("[view]\nViewPntA=77\n");
    for (const auto& [lines, expected] : cases) {
        const fs::path exe = folder_ / std::to_string(&lines - &cases[0].first);
        fs::create_directories(exe);
        std::ofstream(exe / "fc.ini") << "[view]\n" << lines << "\n";
        UseExeFolder(exe);
        ViewPoint.angle = 1030, ViewPoint.height = 300;
        Projection.ProjDs = 200, Projection.ProjXs = 641, Projection.ProjZs = 150;
        ASSERT_EQ(LoadConfig(), 0);
        EXPECT_EQ((Values { Projection.ProjXs, Projection.ProjZs, Projection.ProjDs, ViewPoint.angle,
                      ViewPoint.height }),
            expected)
            << lines;
        ASSERT_EQ(FreeConfig(), 0);
    }
}

// The header is kept from 32 bytes on, the block holds the payload only; a failure keeps no block. A
// payload size past the file's end (2 GiB from a few bytes) is refused before any block is asked for.
TEST_F(Config, BitmapLoadReadsHeaderAndPayloadOnlyAndEachKindIsCheckedWithinItsPayload)
{
    Bytes good = Sc0(0xFFFF, 7, 100);
    good.resize(good.size() + 50, 0xAB);
    // Each case: the file (none when empty); result, width, height.
    const std::pair<Bytes, Values> cases[] = {
        { good, { 0, 0xFFFF, 7 } }, { {}, { -1, 111, 222 } }, { Bytes(31, 0), { -2, 111, 222 } },
        { Sc0(40, 30, 99, 100), { -3, 40, 30 } }, { Sc0(64, 64, 100, 0x80000000u), { -3, 64, 64 } },
        { Sc0(40, 30, 10, 0), { -256, 40, 30 } } // no empty block
    };
    for (const auto& [file, expected] : cases) {
        const std::string path = file.empty() ? "sc\\absent.sc0" : Write("f", file);
        uint8_t stale = 0;
        Bitmap b = { &stale, 111, 222, 0, 0, 333, 0 };
        FailAllocationAt(0); // counts the blocks asked for from here on
        EXPECT_EQ((Values { LoadBitmap(path.c_str(), &b), b.width, b.height, int32_t(Outstanding()),
                      int32_t(AllocationCalls()), !b.pixels }),
            (Values { expected[0], expected[1], expected[2], expected[0] == 0,
                expected[0] == 0 || expected[0] == -256, expected[0] != 0 }));
        if (expected[0] != 0)
            continue;
        EXPECT_EQ((Values { b.field8, b.field10, b.field16, int32_t(b.size) }),
            (Values { -32767, 0x7FFE, -1, 100 }));
        Bytes payload(good.begin() + 32, good.begin() + 132);
        payload.push_back(0); // the block's next byte: nothing after the payload was read
        EXPECT_EQ(Bytes(b.pixels, b.pixels + 101), payload);
        FreeBlock(b.pixels);
    }
    // Each kind is walked within its payload: the cut bytes of data past a case's payload size
    // continue it soundly, so that a missed bound shows.
    const Bytes sprite = SpritePayload({ { { 0, 2 }, { 3, 5 } }, {}, { { 7, 7 } } });
    // Row 0 starts at run (0,1) of a list; row 1 one run earlier, at (3,4), which runs into (0,1).
    const Bytes joined = { 14, 0, 0, 0, 14, 0, 0, 0, 3, 0, 4, 0, 1, 2, 0, 0, 1, 0, 3, 4, 1, 0, 0, 0 };
    Bytes outOfOrder = joined, runOutside = sprite;
    outOfOrder[4] = 8; // row 1 joins the list row 0 checked, at an earlier run
    runOutside[4] = uint8_t(sprite.size()); // row 1's first run header lies past the payload
    Put(runOutside, 1, 4);
    constexpr PictureKind S = PictureKind::Sprite, F = PictureKind::Floor, B = PictureKind::Backdrop,
                          P = PictureKind::Plain;
    // clang-format off
    const struct { const char* name; Bytes data; uint32_t cut; uint16_t width, height; PictureKind kind; bool sound; } kinds[] = {
        { "good sprite", sprite, 0, 8, 3, S, true }, { "rows sharing a list", joined, 0, 8, 2, S, true },
        { "row joins a checked list out of order", outOfOrder, 0, 8, 2, S, false },
        { "offset table outside", { 3, 0, 0, 0, 3, 0, 0, 0 }, 1, 1, 2, S, false },
        { "run header outside", runOutside, 4, 8, 3, S, false }, { "terminator missing", sprite, 4, 8, 3, S, false },
        { "run pixels outside", SpritePayload({ { { 0, 5 } } }), 6, 8, 1, S, false },
        { "overlapping runs", SpritePayload({ { { 0, 3 }, { 3, 5 } } }), 0, 8, 1, S, false },
        { "last past the width", SpritePayload({ { { 0, 8 } } }), 0, 8, 1, S, false },
        { "zero height", Bytes(4, 0), 0, 8, 0, S, false }, { "zero width", SpritePayload({ {} }), 0, 0, 1, S, false },
        { "floor of 65536", Bytes(65536), 0, 0, 0, F, true }, { "floor of 65535", Bytes(65536), 1, 1, 1, F, false },
        { "backdrop of 1024 x 2", Bytes(2048), 0, 1024, 2, B, true }, { "backdrop short", Bytes(2048), 1, 1024, 2, B, false },
        { "backdrop narrow", Bytes(2046 * 4), 0, 1023, 2, B, false },
        { "plain exactly", Bytes(12), 0, 4, 3, P, true }, { "plain one short", Bytes(12), 1, 4, 3, P, false },
    }; // clang-format on
    for (const auto& c : kinds) {
        Bitmap b = { const_cast<uint8_t*>(c.data.data()), c.width, c.height, 0, 0,
            uint32_t(c.data.size() - c.cut), 0 };
        EXPECT_EQ(PictureIsSound(b, c.kind), c.sound) << c.name;
        b.pixels = nullptr;
        EXPECT_FALSE(PictureIsSound(b, c.kind)) << c.name << " without pixels";
    }
}

// Each drawn slot is checked as the kind it is drawn as: a sound plain picture is no sprite nor
// floor texture, a sprite no floor texture; slots 0, 5..22 are plain; a narrow backdrop is refused;
// the floor image is never drawn, so never checked; a name after '?' is not loaded. The set loads
// once, frees twice in balance, and releases from slot 31 down, then the backdrop and the floor image.
TEST_F(Config, PicturesAreCheckedByTheirRoleLoadedOnceAndReleasedInOrder)
{
    const std::string sprite
        = Write("sprite", Sc0(8, 3, 0, -1, SpritePayload({ { { 0, 2 } }, {}, { { 7, 7 } } })));
    const std::string plain = Write("plain", Sc0(1, 1, 0, -1, Bytes(65535, 42)));
    const std::string shortOne = Write("short", Sc0(3, 3, 8, 9));
    Write("backdrop", Sc0(1000, 3, 3000));
    const std::tuple<int, std::string, bool> cases[] = { // slot, fc.ini's path, whether it is kept
        { 0, plain, true }, { 1, plain, false }, { 2, sprite, true }, { 4, plain, false },
        { 5, shortOne, false }, { 7, "?" + plain, false }, { 9, plain, true }, { 10, plain, true },
        { 22, plain, true }, { 23, sprite, false }, { 24, sprite, true }, { 30, "sc\\x.sc0", false },
        { 31, plain, false }
    };
    std::string ini = "[bitmaps]\nfloor=" + plain + "\n";
    for (const auto& [slot, path, kept] : cases)
        ini += std::to_string(slot) + "=" + path + "\n";
    WriteIni(ini);
    EXPECT_EQ(FreeConfig(), -1);
    ASSERT_EQ(LoadConfig(), 0);
    for (const auto& [slot, path, kept] : cases) {
        EXPECT_EQ(BitmapSlots[slot].pixels != nullptr, kept) << "slot " << slot;
        EXPECT_EQ(BitmapSlots[slot].width != 0, path[0] != '?' && slot != 30)
            << "slot " << slot << ": header fields stay after a failed check";
    }
    EXPECT_EQ((Values { FloorImage.pixels != nullptr, Backdrop.pixels != nullptr, Backdrop.height }),
        (Values { 1, 0, 3 }));
    EXPECT_EQ(Outstanding(), 8u) << "path, floor image and the six kept slots";
    const char* path = ConfigPath;
    ViewPoint.x = 99;
    EXPECT_EQ(LoadConfig(), 0);
    EXPECT_EQ(ConfigPath, path) << "a second load must keep the first";
    EXPECT_EQ((Values { ViewPoint.x, int32_t(Outstanding()) }), (Values { 99, 8 }));
    static std::vector<const Bitmap*> order;
    BitmapReleaseObserver = [](const Bitmap* record) { order.push_back(record); };
    ASSERT_EQ(FreeConfig(), 0);
    EXPECT_EQ(order,
        (std::vector<const Bitmap*> { &BitmapSlots[24], &BitmapSlots[22], &BitmapSlots[10], &BitmapSlots[9],
            &BitmapSlots[2], &BitmapSlots[0], &FloorImage }));
    for (const Bitmap* b : order)
        EXPECT_TRUE(b->pixels == nullptr && b->width == 0 && b->size == 0) << "a record was not emptied";
    EXPECT_EQ((Values { ConfigStatus, FreeConfig(), int32_t(Outstanding()) }), (Values { -1, -1, 0 }));
}

// A block is zero-filled and counted; an unbalanced count shows the programmer's error box.
TEST(Allocator, BlocksAreZeroFilledCountedAndBalanced)
{
    static std::string boxes;
    const MessageBoxFunction saved = SysMessageBox;
    SysMessageBox = [](const char* text, const char* caption) {
        return boxes += std::string(caption) + ": " + text, 1;
    };
    const uint32_t a = AllocCount, r = ReleaseCount;
    EXPECT_EQ(FreeBlock(nullptr), 1);
    auto* block = static_cast<uint8_t*>(AllocBlock(70000));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::count(block, block + 70000, 0), 70000);
    EXPECT_EQ((Values { int32_t(AllocCount - a), int32_t(ReleaseCount - r), CheckMemoryBalance() }),
        (Values { 1, 0, 1 }));
    EXPECT_EQ(boxes, "Programmer Error: bad memory usage count");
    EXPECT_EQ((Values { FreeBlock(block), int32_t(ReleaseCount - r) }), (Values { 0, 1 }));
    EXPECT_TRUE(AllocCount != ReleaseCount || CheckMemoryBalance() == 0); // other tests may hold blocks
    SysMessageBox = saved;
}

} // namespace
