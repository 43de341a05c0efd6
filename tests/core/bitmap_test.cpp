// Tests of .sc0 loading, the soundness checks of each picture kind, and the asset set's load and release.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/alloc.h"
#include "app/config.h"
#include "app/sys.h"
#include "render/bitmap.h"

namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<uint8_t>;

void Put16(Bytes* out, uint32_t value)
{
    out->push_back(uint8_t(value));
    out->push_back(uint8_t(value >> 8));
}

void Put32(Bytes* out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void Set32(Bytes* out, size_t at, uint32_t value)
{
    for (int b = 0; b < 4; ++b)
        (*out)[at + b] = uint8_t(value >> (8 * b));
}

// A whole file: header with the given fields, then the payload as it is.
Bytes Sc0(uint16_t width, uint16_t height, uint32_t size, const Bytes& payload)
{
    Bytes file;
    for (char c : "QV0")
        file.push_back(uint8_t(c));
    Put16(&file, width);
    Put16(&file, height);
    Put16(&file, 0x8001); // offset 8
    Put16(&file, 0x7FFE); // offset 10
    Put32(&file, size);
    Put16(&file, 0xFFFF); // offset 16
    file.resize(32, 0xEE);
    file.insert(file.end(), payload.begin(), payload.end());
    return file;
}

Bytes Pattern(uint32_t n, uint8_t seed = 1)
{
    Bytes out(n);
    for (uint32_t i = 0; i < n; ++i)
        out[i] = uint8_t(seed + i * 13);
    return out;
}

struct Run {
    uint16_t first, last;
};

// Sprite payload: offset table, then each row's runs with pixel bytes and a (1, 0) terminator.
Bytes SpritePayload(const std::vector<std::vector<Run>>& rows)
{
    Bytes out(rows.size() * 4, 0);
    for (size_t r = 0; r < rows.size(); ++r) {
        Set32(&out, r * 4, uint32_t(out.size()));
        for (const Run& run : rows[r]) {
            Put16(&out, run.first);
            Put16(&out, run.last);
            for (uint32_t c = run.first; c <= run.last; ++c)
                out.push_back(uint8_t(c + 10));
        }
        Put16(&out, 1);
        Put16(&out, 0);
    }
    return out;
}

bool Sound(const Bytes& payload, uint16_t width, uint16_t height, PictureKind kind)
{
    Bitmap b = {};
    b.pixels = const_cast<uint8_t*>(payload.data());
    b.width = width;
    b.height = height;
    b.size = uint32_t(payload.size());
    // An empty vector may hand out null; the record would then hold no picture at all.
    Bytes one(1);
    if (!b.pixels)
        b.pixels = one.data();
    return PictureIsSound(b, kind);
}

class Folder : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        folder_ = fs::temp_directory_path() / ("quarvel-bitmap-" + std::to_string(++counter));
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        fs::create_directories(folder_ / "sc");
        previous_ = fs::current_path();
        fs::current_path(folder_);
        modulePath_ = folder_.string() + "\\quarvel.exe";
        SysOverrideModulePath(modulePath_.c_str());
        allocated_ = AllocCount;
        released_ = ReleaseCount;
    }

    void TearDown() override
    {
        FreeConfig();
        BitmapReleaseObserver = nullptr;
        SysOverrideModulePath(nullptr);
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // Writes sc/<name> and returns the path as fc.ini would give it.
    std::string Write(const std::string& name, const Bytes& bytes)
    {
        const fs::path path = folder_ / "sc" / name;
        FILE* f = std::fopen(path.string().c_str(), "wb");
        EXPECT_NE(f, nullptr) << path.string();
        if (f) {
            if (!bytes.empty())
                std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return "sc\\" + name;
    }

    void WriteIni(const std::string& text)
    {
        FILE* f = std::fopen((folder_ / "fc.ini").string().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }

    uint32_t Outstanding() const { return (AllocCount - allocated_) - (ReleaseCount - released_); }

    fs::path folder_;
    fs::path previous_;
    std::string modulePath_;
    uint32_t allocated_ = 0;
    uint32_t released_ = 0;
};

using BitmapLoad = Folder;

TEST_F(BitmapLoad, ReadsHeaderAndPayload)
{
    const Bytes payload = Pattern(100);
    const std::string path = Write("ok.sc0", Sc0(0xFFFF, 7, 100, payload));
    Bitmap b = {};
    ASSERT_EQ(LoadBitmap(path.c_str(), &b), 0);
    ASSERT_NE(b.pixels, nullptr);
    EXPECT_EQ(b.width, 0xFFFF);
    EXPECT_EQ(b.height, 7);
    EXPECT_EQ(b.field8, int16_t(0x8001));
    EXPECT_EQ(b.field10, 0x7FFE);
    EXPECT_EQ(b.field16, -1);
    EXPECT_EQ(b.size, 100u);
    EXPECT_EQ(Bytes(b.pixels, b.pixels + 100), payload);
    EXPECT_EQ(Outstanding(), 1u);
    EXPECT_EQ(FreeBlock(b.pixels), 0);
}

TEST_F(BitmapLoad, BytesAfterThePayloadAreNotRead)
{
    Bytes payload = Pattern(100);
    Bytes file = Sc0(10, 10, 100, payload);
    const Bytes extra(50, 0xAB);
    file.insert(file.end(), extra.begin(), extra.end());
    const std::string path = Write("extra.sc0", file);
    Bitmap b = {};
    ASSERT_EQ(LoadBitmap(path.c_str(), &b), 0);
    EXPECT_EQ(Bytes(b.pixels, b.pixels + 100), payload);
    // The block is whole zero-filled pages: anything past the payload was not copied in.
    EXPECT_EQ(b.pixels[100], 0);
    EXPECT_EQ(b.pixels[149], 0);
    FreeBlock(b.pixels);
}

struct FailureCase {
    const char* name;
    int32_t size; // -1: no file at all
    Bytes file;
    int32_t result;
    bool headerKept; // width, height and size come from the file
};

TEST_F(BitmapLoad, FailuresLeaveNoPicture)
{
    Bytes header = Sc0(40, 30, 100, {});
    Bytes shortPayload = Sc0(40, 30, 100, Pattern(99));
    const FailureCase cases[] = {
        { "no file", -1, {}, -1, false },
        { "empty file", 0, {}, -2, false },
        { "31 header bytes", 0, Bytes(header.begin(), header.begin() + 31), -2, false },
        { "header only", 0, header, -3, true },
        { "payload one short", 0, shortPayload, -3, true },
        // No block of 0 bytes can be had from the page allocator.
        { "zero size", 0, Sc0(40, 30, 0, Pattern(10)), -256, true },
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = "sc\\absent.sc0";
        if (c.size >= 0)
            path = Write("f.sc0", c.file);
        Bitmap b = {};
        uint8_t stale = 0;
        b.pixels = &stale;
        b.width = 111;
        b.height = 222;
        b.size = 333;
        const uint32_t before = Outstanding();
        EXPECT_EQ(LoadBitmap(path.c_str(), &b), c.result);
        EXPECT_EQ(b.pixels, nullptr);
        EXPECT_EQ(Outstanding(), before) << "a block was kept";
        if (c.headerKept) {
            EXPECT_EQ(b.width, 40);
            EXPECT_EQ(b.height, 30);
        } else {
            EXPECT_EQ(b.width, 111);
            EXPECT_EQ(b.height, 222);
            EXPECT_EQ(b.size, 333u);
        }
    }
}

struct SoundCase {
    const char* name;
    Bytes payload;
    uint16_t width, height;
    PictureKind kind;
    bool sound;
};

// Payloads whose bytes are edited after building, to break one thing at a time.
Bytes WithOffset(Bytes payload, size_t row, uint32_t offset)
{
    Set32(&payload, row * 4, offset);
    return payload;
}

Bytes Cut(Bytes payload, size_t bytes)
{
    payload.resize(payload.size() - bytes);
    return payload;
}

std::vector<SoundCase> SoundCases()
{
    const Bytes good = SpritePayload({ { { 0, 2 }, { 5, 5 } }, {}, { { 7, 7 } } });
    // A row whose run list is a terminator only starts at byte 12 + 4 + 3 + 4 + 1 + 4 = 28.
    const Bytes empty = SpritePayload({ {} });

    // Two rows sharing one list, and a row starting at its second run.
    Bytes shared = SpritePayload({ { { 0, 1 }, { 5, 6 } }, {}, {} });
    Set32(&shared, 4, 12);
    Set32(&shared, 8, 12 + 4 + 2);
    // Row 0 starts at run (0,1); row 1 one run earlier, at (3,4), which runs into (0,1):
    // out of order, although the list from (0,1) on was already found sound.
    Bytes joined(8, 0);
    Put16(&joined, 3);
    Put16(&joined, 4);
    joined.push_back(1);
    joined.push_back(2);
    Put16(&joined, 0);
    Put16(&joined, 1);
    joined.push_back(3);
    joined.push_back(4);
    Put16(&joined, 1);
    Put16(&joined, 0);
    Set32(&joined, 0, 8 + 6);
    Set32(&joined, 4, 8);
    Bytes joinedGood = joined;
    Set32(&joinedGood, 4, 8 + 6);

    Bytes terminators = SpritePayload({ {}, {}, {} });
    for (size_t at : { 12u, 16u, 20u }) {
        terminators[at] = at == 12 ? 0xFF : 5; // (0xFFFF, 0), (5, 0) and (5, 0)
        terminators[at + 1] = at == 12 ? 0xFF : 0;
    }
    terminators[22] = 4; // (5, 4)

    return {
        { "good sprite", good, 8, 3, PictureKind::Sprite, true },
        { "terminator only", empty, 1, 1, PictureKind::Sprite, true },
        { "any smaller second value ends a row", terminators, 1, 3, PictureKind::Sprite, true },
        { "run touching the last column", SpritePayload({ { { 0, 7 } } }), 8, 1, PictureKind::Sprite, true },
        { "adjacent runs", SpritePayload({ { { 0, 1 }, { 2, 3 } } }), 4, 1, PictureKind::Sprite, true },
        { "single-column run", SpritePayload({ { { 3, 3 } } }), 4, 1, PictureKind::Sprite, true },
        { "rows sharing a list", shared, 8, 3, PictureKind::Sprite, true },
        { "tails of one list", joinedGood, 8, 2, PictureKind::Sprite, true },
        { "row joins a checked list out of order", joined, 8, 2, PictureKind::Sprite, false },
        { "offset table longer than payload", Cut(empty, 3), 1, 2, PictureKind::Sprite, false },
        { "row offset past the end", WithOffset(good, 1, uint32_t(good.size())), 8, 3, PictureKind::Sprite,
            false },
        { "row offset huge", WithOffset(good, 2, 0xFFFFFFF0u), 8, 3, PictureKind::Sprite, false },
        { "terminator cut off", Cut(good, 2), 8, 3, PictureKind::Sprite, false },
        { "terminator missing", Cut(good, 4), 8, 3, PictureKind::Sprite, false },
        { "run pixels past the end", Cut(SpritePayload({ { { 0, 5 } } }), 6), 8, 1, PictureKind::Sprite,
            false },
        { "run header past the end", WithOffset(good, 0, uint32_t(good.size() - 2)), 8, 3,
            PictureKind::Sprite, false },
        { "run past the width", SpritePayload({ { { 0, 8 } } }), 8, 1, PictureKind::Sprite, false },
        { "run starting past the width", SpritePayload({ { { 9, 9 } } }), 8, 1, PictureKind::Sprite, false },
        { "overlapping runs", SpritePayload({ { { 0, 3 }, { 3, 5 } } }), 8, 1, PictureKind::Sprite, false },
        { "runs out of order", SpritePayload({ { { 4, 5 }, { 0, 1 } } }), 8, 1, PictureKind::Sprite, false },
        { "repeated run", SpritePayload({ { { 2, 3 }, { 2, 3 } } }), 8, 1, PictureKind::Sprite, false },
        { "zero height", Bytes(4, 0), 8, 0, PictureKind::Sprite, false },
        { "zero width", empty, 0, 1, PictureKind::Sprite, false },
        { "floor of 65536", Bytes(65536), 0, 0, PictureKind::Floor, true },
        { "floor of 65535", Bytes(65535), 256, 256, PictureKind::Floor, false },
        { "backdrop of 1024 x 2", Bytes(2048), 1024, 2, PictureKind::Backdrop, true },
        { "backdrop wider than 1024", Bytes(2200), 1100, 2, PictureKind::Backdrop, true },
        { "backdrop of 1023 columns", Bytes(2046 * 4), 1023, 2, PictureKind::Backdrop, false },
        { "backdrop one byte short", Bytes(2047), 1024, 2, PictureKind::Backdrop, false },
        { "backdrop short by a row", Bytes(2200), 1100, 3, PictureKind::Backdrop, false },
        { "plain exactly", Bytes(12), 4, 3, PictureKind::Plain, true },
        { "plain one short", Bytes(11), 4, 3, PictureKind::Plain, false },
    };
}

TEST(BitmapCheck, EachKindIsWalkedWithinItsPayload)
{
    for (const SoundCase& c : SoundCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Sound(c.payload, c.width, c.height, c.kind), c.sound);
    }
}

TEST(BitmapCheck, RecordWithoutPixelsIsNeverSound)
{
    Bitmap b = {};
    b.width = 1024;
    b.height = 1;
    b.size = 65536;
    for (PictureKind kind :
        { PictureKind::Plain, PictureKind::Floor, PictureKind::Sprite, PictureKind::Backdrop })
        EXPECT_FALSE(PictureIsSound(b, kind));
}

using BitmapSet = Folder;

TEST_F(BitmapSet, DrawnSlotsAreCheckedByTheirRole)
{
    const Bytes spritePayload = SpritePayload({ { { 0, 2 } }, {}, { { 7, 7 } } });
    const std::string sprite = Write("sprite.sc0", Sc0(8, 3, uint32_t(spritePayload.size()), spritePayload));
    const Bytes brokenPayload = SpritePayload({ { { 0, 9 } } });
    const std::string broken = Write("broken.sc0", Sc0(8, 1, uint32_t(brokenPayload.size()), brokenPayload));
    const std::string smallFloor = Write("small.sc0", Sc0(256, 256, 65535, Bytes(65535, 42)));

    const struct {
        int slot;
        const std::string& path;
        bool kept;
    } cases[] = {
        { 0, broken, true }, // never drawn: not checked
        { 1, broken, false },
        { 2, sprite, true },
        { 4, broken, false },
        { 5, broken, true },
        { 22, smallFloor, true },
        { 23, smallFloor, false },
        { 24, sprite, true },
        { 30, broken, false },
        { 31, broken, false },
    };
    std::string ini = "[bitmaps]\nfloor=" + smallFloor + "\n";
    for (const auto& c : cases)
        ini += std::to_string(c.slot) + "=" + c.path + "\n";
    WriteIni(ini);

    ASSERT_EQ(LoadConfig(), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE("slot " + std::to_string(c.slot));
        EXPECT_EQ(BitmapSlots[c.slot].pixels != nullptr, c.kept);
        EXPECT_NE(BitmapSlots[c.slot].width, 0) << "header fields stay after a failed check";
    }
    EXPECT_NE(FloorImage.pixels, nullptr) << "the floor image is never drawn, so never checked";
    EXPECT_EQ(Outstanding(), 1u + 1u + 5u) << "path, floor image and the five kept slots";
    ASSERT_EQ(FreeConfig(), 0);
    EXPECT_EQ(Outstanding(), 0u);
}

TEST_F(BitmapSet, FullFloorTextureIsKept)
{
    const std::string floor = Write("floor.sc0", Sc0(0, 0, 65536, Bytes(65536, 42)));
    WriteIni("[bitmaps]\n23=" + floor + "\n");
    ASSERT_EQ(LoadConfig(), 0);
    ASSERT_NE(BitmapSlots[FloorTextureSlot].pixels, nullptr);
    EXPECT_EQ(BitmapSlots[FloorTextureSlot].pixels[65535], 42);
}

TEST_F(BitmapSet, BackdropComesFromItsFixedPath)
{
    const struct {
        const char* name;
        Bytes file;
        bool kept;
    } cases[] = {
        { "full", Sc0(1024, 3, 3072, Pattern(3072)), true },
        { "narrow", Sc0(1000, 3, 3000, Pattern(3000)), false },
        { "short", Sc0(1024, 3, 3071, Pattern(3071)), false },
        { "unreadable", Sc0(1024, 3, 3072, Pattern(100)), false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write("backdrop.sc0", c.file);
        WriteIni("[bitmaps]\n");
        ASSERT_EQ(LoadConfig(), 0);
        EXPECT_EQ(Backdrop.pixels != nullptr, c.kept);
        EXPECT_EQ(Backdrop.height, 3);
        ASSERT_EQ(FreeConfig(), 0);
        EXPECT_EQ(Outstanding(), 0u);
        TearDown();
        SetUp();
    }
}

TEST_F(BitmapSet, PathsAreCutToTheirBuffers)
{
    // The floor key is read into 256 bytes and a slot key into 250: a name one character
    // too long loses that character and so names the short file; with larger buffers the
    // names would stay too long and find nothing, with smaller ones they would be cut early.
    Write("pp.sc0", Sc0(2, 2, 4, Pattern(4)));
    std::string dots;
    for (int i = 0; i < 123; ++i)
        dots += ".\\";
    const std::string floorName = "sc\\" + dots + "pp.sc0";
    const std::string slotName = "sc\\" + dots.substr(6) + "pp.sc0";
    ASSERT_EQ(floorName.size(), 255u);
    ASSERT_EQ(slotName.size(), 249u);
    WriteIni("[bitmaps]\nfloor=" + floorName + "X\n0=" + slotName + "X\n5=" + slotName + "\n");
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_NE(FloorImage.pixels, nullptr);
    EXPECT_NE(BitmapSlots[0].pixels, nullptr);
    EXPECT_NE(BitmapSlots[5].pixels, nullptr) << "the uncut name was not found";
}

std::vector<const Bitmap*> ReleaseOrder;

void RecordRelease(const Bitmap* record)
{
    ReleaseOrder.push_back(record);
}

TEST_F(BitmapSet, ReleasesSlotsDownwardThenBackdropThenFloorImage)
{
    const std::string plain = Write("p.sc0", Sc0(2, 2, 4, Pattern(4)));
    const Bytes spritePayload = SpritePayload({ { { 0, 1 } } });
    const std::string sprite = Write("s.sc0", Sc0(2, 1, uint32_t(spritePayload.size()), spritePayload));
    Write("backdrop.sc0", Sc0(1024, 1, 1024, Pattern(1024)));
    WriteIni("[bitmaps]\nfloor=" + plain + "\n0=" + plain + "\n6=" + plain + "\n31=" + sprite
        + "\n22=" + plain + "\n");
    ASSERT_EQ(LoadConfig(), 0);
    ReleaseOrder.clear();
    BitmapReleaseObserver = RecordRelease;
    const uint32_t released = ReleaseCount;
    ASSERT_EQ(FreeConfig(), 0);

    const std::vector<const Bitmap*> expected
        = { &BitmapSlots[31], &BitmapSlots[22], &BitmapSlots[6], &BitmapSlots[0], &Backdrop, &FloorImage };
    EXPECT_EQ(ReleaseOrder, expected);
    EXPECT_EQ(ReleaseCount - released, 7u) << "six pictures and the path";
    EXPECT_EQ(Outstanding(), 0u);
    for (const Bitmap* b : expected) {
        EXPECT_EQ(b->pixels, nullptr);
        EXPECT_EQ(b->width, 0);
        EXPECT_EQ(b->size, 0u);
    }
}

TEST_F(BitmapSet, FreeDoesNothingUnlessLoaded)
{
    Bitmap& slot = BitmapSlots[3];
    slot.pixels = static_cast<uint8_t*>(AllocBlock(16));
    ASSERT_NE(slot.pixels, nullptr);
    ASSERT_NE(ConfigStatus, 0);
    FreeBitmapSet();
    EXPECT_NE(slot.pixels, nullptr);
    EXPECT_EQ(FreeBlock(slot.pixels), 0);
    slot = Bitmap {};
}

} // namespace
