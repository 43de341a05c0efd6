// quarvel-tool mkdata: the default data set is complete, well formed, fit for its slots, the same
// bytes on every run and the bytes recorded in tests/golden/mkdata.crc.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "base/alloc.h"
#include "base/sys.h"
#include "frame_runner.h"
#include "render/bitmap.h"
#include "sc0_file.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

uint32_t Number(const Bytes& f, size_t at, int n, bool big = false)
{
    uint32_t v = 0;
    for (int i = 0; i < n && at + i < f.size(); ++i)
        v |= uint32_t(f[at + i]) << 8 * (big ? n - 1 - i : i);
    return v;
}

std::string Tag(const Bytes& f, size_t at)
{
    return at + 4 <= f.size() ? std::string(f.begin() + at, f.begin() + at + 4) : "";
}

class MkdataTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/quarvel-mkdata-XXXXXX";
        Scratch = mkdtemp(pattern);
        for (const char* run : { "a", "b" }) {
            const std::string command
                = std::string("'" QUARVEL_TOOL "' mkdata '") + (Scratch / run).string() + "'";
            const int status = std::system(command.c_str());
            Status = std::max(Status, WIFEXITED(status) ? WEXITSTATUS(status) : 255);
            for (const auto& entry : fs::recursive_directory_iterator(Scratch / run))
                if (entry.is_regular_file())
                    ReadFileBytes(
                        entry.path().string(), &Files[*run - 'a'][fs::relative(entry.path(), Scratch / run)]);
        }
    }
    static void TearDownTestSuite() { fs::remove_all(Scratch); }
    void SetUp() override { ASSERT_EQ(Status, 0); }

    // The file that fc.ini names under section bitmaps; empty when it says "?".
    static fs::path Named(int slot)
    {
        char value[256];
        SysIniString("bitmaps", slot < 0 ? "floor" : std::to_string(slot).c_str(), "?", value, sizeof value,
            (Scratch / "a" / "fc.ini").string().c_str());
        std::string path = value;
        std::replace(path.begin(), path.end(), '\\', '/');
        return path[0] == '?' ? fs::path() : fs::path(path);
    }

    static inline fs::path Scratch;
    static inline int Status = 0;
    static inline std::map<fs::path, Bytes> Files[2];
};

TEST_F(MkdataTest, TwoRunsWriteTheRecordedFilesWhereTheProgramLooks)
{
    EXPECT_TRUE(Files[0] == Files[1]) << "the runs differ";
    std::ostringstream crcs;
    for (const auto& [path, bytes] : Files[0]) {
        char line[300];
        std::snprintf(line, sizeof line, "%08x %s\n", Crc32(bytes.data(), bytes.size()), path.c_str());
        crcs << line;
    }
    const fs::path golden = fs::path(QUARVEL_SOURCE_DIR) / "tests/golden/mkdata.crc";
    if (const char* update = std::getenv("QUARVEL_UPDATE_GOLDEN"); update && std::string(update) == "1")
        std::ofstream(golden) << crcs.str();
    std::ostringstream recorded;
    recorded << std::ifstream(golden).rdbuf();
    EXPECT_EQ(crcs.str(), recorded.str()) << "QUARVEL_UPDATE_GOLDEN=1 rewrites " << golden;

    std::vector<fs::path> wanted = { "sc/nosystem.pal", "sc/backdrop.sc0", "mus/3d.mid" };
    for (int slot = 0; slot < 5; ++slot)
        wanted.push_back("snd/qrvl0" + std::to_string(slot) + ".wav");
    for (int slot = -1; slot < BitmapSlotCount; ++slot) {
        const bool drawn = slot < 0 || (slot >= 1 && slot <= 4) || slot >= FloorTextureSlot;
        EXPECT_EQ(Named(slot).empty(), !drawn) << "slot " << slot;
        if (drawn)
            wanted.push_back(Named(slot));
    }
    for (const fs::path& path : wanted)
        EXPECT_EQ(Files[0].count(path), 1u) << path;
}

// Each picture passes its slot's check through the program's loader and uses only picture colours.
TEST_F(MkdataTest, EveryPictureSuitsItsSlotAndUsesOnlyPictureColours)
{
    std::vector<std::pair<fs::path, PictureKind>> pictures
        = { { "sc/backdrop.sc0", PictureKind::Backdrop }, { Named(-1), PictureKind::Plain } };
    for (int slot : { 1, 2, 3, 4, 23, 24, 25, 26, 27, 28, 29, 30, 31 })
        pictures.push_back({ Named(slot), slot == 23 ? PictureKind::Floor : PictureKind::Sprite });
    for (const auto& [path, kind] : pictures) {
        Bitmap b = {};
        ASSERT_EQ(LoadBitmap((Scratch / "a" / path).string().c_str(), &b), 0) << path;
        EXPECT_TRUE(PictureIsSound(b, kind)) << path << " is unfit for its slot";
        int opaque = 0;
        for (int row = 0; kind == PictureKind::Sprite && row < b.height; ++row) {
            const Bytes data(b.pixels, b.pixels + b.size);
            for (size_t at = Number(data, row * 4, 4), first, last;
                 (last = Number(data, at + 2, 2)) >= (first = Number(data, at, 2)); at += 5 + last - first)
                for (size_t i = at + 4; i <= at + 4 + last - first; ++i, ++opaque)
                    ASSERT_TRUE(data[i] >= 10 && data[i] <= 245) << path << " uses a static colour";
        }
        for (uint32_t i = 0; kind != PictureKind::Sprite && i < b.size; ++i, ++opaque)
            ASSERT_TRUE(b.pixels[i] >= 10 && b.pixels[i] <= 245) << path << " uses a static colour";
        EXPECT_GT(opaque, 0) << path;
        FreeBlock(b.pixels);
    }
}

// Sounds are mono PCM waves of plausible length and loudness; the tune's chunks tile its file.
TEST_F(MkdataTest, SoundsAndTuneAreWellFormed)
{
    const double shortest[] = { 0.2, 0.5, 0.3, 0.05, 0.8 }, longest[] = { 1.5, 3.0, 2.0, 0.3, 4.0 };
    for (int slot = 0; slot < 5; ++slot) {
        SCOPED_TRACE(slot);
        const Bytes& f = Files[0]["snd/qrvl0" + std::to_string(slot) + ".wav"];
        ASSERT_EQ(Tag(f, 0) + Tag(f, 8) + Tag(f, 12) + Tag(f, 36), "RIFFWAVEfmt data");
        const uint32_t rate = Number(f, 24, 4), bits = Number(f, 34, 2), size = Number(f, 40, 4);
        EXPECT_EQ((std::vector<uint32_t> { Number(f, 4, 4), Number(f, 16, 4), Number(f, 20, 2),
                      Number(f, 22, 2), Number(f, 28, 4), Number(f, 32, 2), size }),
            (std::vector<uint32_t> {
                uint32_t(f.size() - 8), 16, 1, 1, rate * bits / 8, bits / 8, uint32_t(f.size() - 44) }));
        ASSERT_TRUE(bits == 8 || bits == 16);
        const double seconds = double(size) / (rate * bits / 8);
        EXPECT_TRUE(seconds >= shortest[slot] && seconds <= longest[slot]) << seconds;
        int peak = 0;
        for (size_t i = 44; i + bits / 8 <= f.size(); i += bits / 8)
            peak = std::max(peak, std::abs(bits == 8 ? (f[i] - 128) * 256 : int16_t(Number(f, i, 2))));
        EXPECT_GT(peak, 32767 / 4) << "too quiet";
    }
    const Bytes& midi = Files[0]["mus/3d.mid"];
    ASSERT_EQ(Tag(midi, 0), "MThd");
    size_t at = 8 + Number(midi, 4, 4, true), tracks = 0;
    for (; at + 8 <= midi.size() && Tag(midi, at) == "MTrk"; ++tracks)
        at += 8 + Number(midi, at + 4, 4, true);
    EXPECT_EQ(at, midi.size());
    EXPECT_EQ(tracks, Number(midi, 10, 2, true));
    EXPECT_GT(midi.size(), 2000u) << "a tune of half a minute or more";
}

} // namespace
