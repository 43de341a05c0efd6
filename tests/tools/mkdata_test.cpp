// Tests of quarvel-tool mkdata: the default data set is complete, well formed, fit for its slots, and the
// same bytes on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "base/alloc.h"
#include "base/sys.h"
#include "palette.h"
#include "render/bitmap.h"
#include "sc0_file.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes Read(const fs::path& path)
{
    Bytes bytes;
    EXPECT_TRUE(ReadFileBytes(path.string(), &bytes)) << path;
    return bytes;
}

// n bytes at the offset, little-endian or (big) big-endian.
uint32_t Number(const Bytes& f, size_t at, int n, bool big = false)
{
    uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v |= uint32_t(f[at + i]) << 8 * (big ? n - 1 - i : i);
    return v;
}

std::string Tag(const Bytes& f, size_t at)
{
    return at + 4 <= f.size() ? std::string(f.begin() + at, f.begin() + at + 4) : "";
}

// A picture loaded by the program's loader: palette index per pixel, -1 where a sprite is transparent.
struct Picture {
    int width = 0, height = 0;
    std::vector<int> pixels;
    int At(int x, int y) const { return pixels[size_t(y) * width + x]; }
    int Opaque() const
    {
        return int(std::count_if(pixels.begin(), pixels.end(), [](int p) { return p >= 0; }));
    }
};

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
        }
        LoadPalFile((Scratch / "a" / "sc" / "nosystem.pal").string(), Palette);
    }

    static void TearDownTestSuite() { fs::remove_all(Scratch); }

    void SetUp() override { ASSERT_EQ(Status, 0); }

    // The file that fc.ini names under section bitmaps; empty when it says "?".
    static fs::path Named(const std::string& key)
    {
        char value[256];
        SysIniString(
            "bitmaps", key.c_str(), "?", value, sizeof value, (Scratch / "a" / "fc.ini").string().c_str());
        std::string path = value;
        std::replace(path.begin(), path.end(), '\\', '/');
        return path[0] == '?' ? fs::path() : Scratch / "a" / path;
    }

    // Loads through LoadBitmap and insists that the renderer of that kind stays inside the payload.
    static Picture Load(const fs::path& path, PictureKind kind)
    {
        Bitmap b = {};
        EXPECT_EQ(LoadBitmap(path.string().c_str(), &b), 0) << path;
        const bool sound = PictureIsSound(b, kind);
        EXPECT_TRUE(sound) << path << " is unfit for its slot";
        const Bytes data(b.pixels, b.pixels + (sound ? b.size : 0));
        FreeBlock(b.pixels);
        Picture p;
        if (!sound)
            return p;
        p.width = kind == PictureKind::Floor ? 256 : b.width;
        p.height = kind == PictureKind::Floor ? 256 : b.height;
        p.pixels.assign(size_t(p.width) * p.height, -1);
        if (kind != PictureKind::Sprite)
            std::copy_n(data.begin(), p.pixels.size(), p.pixels.begin());
        for (int row = 0; kind == PictureKind::Sprite && row < p.height; ++row)
            for (size_t at = Number(data, row * 4, 4), first, last;
                 (last = Number(data, at + 2, 2)) >= (first = Number(data, at, 2)); at += 5 + last - first)
                std::copy_n(&data[at + 4], last - first + 1, &p.pixels[row * p.width + first]);
        return p;
    }

    // Mean channel difference of two rows (or columns) of a picture, through the palette.
    static double Difference(const Picture& d, bool columns, int a, int b)
    {
        const int length = columns ? d.height : d.width;
        double sum = 0;
        for (int i = 0; i < length; ++i) {
            const RgbColour &p = Palette[d.At(columns ? a : i, columns ? i : a)],
                            &q = Palette[d.At(columns ? b : i, columns ? i : b)];
            sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
        return sum / (3.0 * length);
    }

    // The last line meets the first about as neighbours meet, and far closer than distant lines do.
    static void ExpectWraps(const Picture& d, bool columns)
    {
        const int n = columns ? d.width : d.height;
        double neighbours = 0, distant = 0;
        for (int i = 0; i + 1 < n; ++i)
            neighbours += Difference(d, columns, i, i + 1) / (n - 1);
        for (int i = 0; i < n / 2; ++i)
            distant += Difference(d, columns, i, i + n / 2) / (n / 2);
        const double wrap = Difference(d, columns, n - 1, 0);
        EXPECT_LT(wrap, 2 * neighbours + 1) << (columns ? "columns" : "rows") << " do not wrap";
        EXPECT_LT(wrap, distant / 2) << (columns ? "columns" : "rows") << " do not wrap";
    }

    static inline fs::path Scratch;
    static inline int Status = 0;
    static inline RgbColour Palette[256];
};

TEST_F(MkdataTest, TwoRunsWriteTheSameFilesWhereTheProgramLooks)
{
    std::map<fs::path, Bytes> files[2];
    for (int run = 0; run < 2; ++run)
        for (const auto& entry : fs::recursive_directory_iterator(Scratch / (run ? "b" : "a")))
            if (entry.is_regular_file())
                files[run][fs::relative(entry.path(), Scratch / (run ? "b" : "a"))] = Read(entry.path());
    EXPECT_TRUE(files[0] == files[1]) << "the runs differ";

    std::vector<fs::path> wanted = { "sc/nosystem.pal", "sc/backdrop.sc0", "mus/3d.mid" };
    for (int slot = 0; slot < 5; ++slot)
        wanted.push_back("snd/qrvl0" + std::to_string(slot) + ".wav");
    for (int slot = -1; slot < BitmapSlotCount; ++slot) {
        const fs::path named = Named(slot < 0 ? "floor" : std::to_string(slot));
        const bool drawn = slot < 0 || (slot >= 1 && slot <= 4) || slot >= FloorTextureSlot;
        EXPECT_EQ(named.empty(), !drawn) << "slot " << slot;
        if (!named.empty())
            wanted.push_back(fs::relative(named, Scratch / "a"));
    }
    for (const fs::path& path : wanted)
        EXPECT_EQ(files[0].count(path), 1u) << path;
}

TEST_F(MkdataTest, EveryPictureSuitsItsSlotAndUsesOnlyPictureColours)
{
    std::vector<std::pair<fs::path, PictureKind>> pictures
        = { { Scratch / "a/sc/backdrop.sc0", PictureKind::Backdrop }, { Named("floor"), PictureKind::Plain },
              { Named("23"), PictureKind::Floor } };
    for (int slot : { 1, 2, 3, 4, 24, 25, 26, 27, 28, 29, 30, 31 })
        pictures.push_back({ Named(std::to_string(slot)), PictureKind::Sprite });
    for (const auto& [path, kind] : pictures) {
        const Picture p = Load(path, kind);
        EXPECT_GT(p.Opaque(), 0) << path;
        EXPECT_TRUE(std::all_of(
            p.pixels.begin(), p.pixels.end(), [](int i) { return i < 0 || (i >= 10 && i <= 245); }))
            << path << " uses a static colour";
    }
}

TEST_F(MkdataTest, BackdropAndFloorWrapAround)
{
    const Picture backdrop = Load(Scratch / "a/sc/backdrop.sc0", PictureKind::Backdrop);
    EXPECT_EQ(backdrop.width, 1024);
    EXPECT_GE(backdrop.height, 480);
    ExpectWraps(backdrop, true);
    const Picture floor = Load(Named("23"), PictureKind::Floor);
    ExpectWraps(floor, true);
    ExpectWraps(floor, false);
}

TEST_F(MkdataTest, BillboardsStandOnTheirBottomRow)
{
    for (int slot : { 1, 2, 3, 4 }) {
        const Picture p = Load(Named(std::to_string(slot)), PictureKind::Sprite);
        ASSERT_GT(p.height, 0);
        int lowest = -1;
        for (int i = 0; i < p.width * p.height; ++i)
            lowest = p.pixels[i] >= 0 ? i / p.width : lowest;
        EXPECT_EQ(lowest, p.height - 1) << "slot " << slot;
        EXPECT_LT(p.Opaque(), p.width * p.height * 9 / 10) << "slot " << slot << " has no surroundings";
    }
}

TEST_F(MkdataTest, ExplosionGrowsThenFades)
{
    std::vector<double> area, brightness;
    for (int slot = 24; slot <= 30; ++slot) {
        const Picture p = Load(Named(std::to_string(slot)), PictureKind::Sprite);
        double sum = 0;
        for (int i : p.pixels)
            sum += i < 0 ? 0 : 0.299 * Palette[i].r + 0.587 * Palette[i].g + 0.114 * Palette[i].b;
        area.push_back(p.Opaque());
        brightness.push_back(sum / std::max(1, p.Opaque()));
    }
    for (int i = 1; i < 4; ++i)
        EXPECT_GT(area[i], area[i - 1] * 5 / 4) << "frame " << i << " does not grow";
    for (int i = 4; i < 7; ++i)
        EXPECT_LT(brightness[i], brightness[i - 1]) << "frame " << i << " does not darken";
    EXPECT_LT(area[6], area[3]) << "the smoke does not break up";
}

// The seconds of sound in a mono PCM WAVE file, or -1 when it is none; *peak gets the loudest sample.
double WaveSeconds(const Bytes& f, int* peak)
{
    if (Tag(f, 0) != "RIFF" || Tag(f, 8) != "WAVE" || Number(f, 4, 4) != f.size() - 8)
        return -1;
    uint32_t rate = 0, align = 0, bits = 0;
    for (size_t at = 12, size; at + 8 <= f.size(); at += 8 + size + (size & 1)) {
        size = Number(f, at + 4, 4);
        const size_t body = at + 8;
        if (body + size > f.size())
            return -1;
        if (Tag(f, at) == "fmt ") {
            rate = Number(f, body + 4, 4), align = Number(f, body + 12, 2), bits = Number(f, body + 14, 2);
            if (size < 16 || Number(f, body, 2) != 1 || Number(f, body + 2, 2) != 1 || align != bits / 8
                || Number(f, body + 8, 4) != rate * align || (bits != 8 && bits != 16))
                return -1;
        } else if (Tag(f, at) == "data" && rate) {
            for (size_t i = body; i + align <= body + size; i += align)
                *peak = std::max(*peak, std::abs(bits == 8 ? (f[i] - 128) * 256 : int16_t(Number(f, i, 2))));
            return double(size / align) / rate;
        }
    }
    return -1;
}

TEST_F(MkdataTest, SoundsArePcmWavesOfPlausibleLength)
{
    const struct {
        double shortest, longest;
    } slots[] = { { 0.2, 1.5 }, { 0.5, 3.0 }, { 0.3, 2.0 }, { 0.05, 0.3 }, { 0.8, 4.0 } };
    for (int slot = 0; slot < 5; ++slot) {
        int peak = 0;
        const double seconds
            = WaveSeconds(Read(Scratch / "a/snd" / ("qrvl0" + std::to_string(slot) + ".wav")), &peak);
        EXPECT_GE(seconds, slots[slot].shortest) << "slot " << slot;
        EXPECT_LE(seconds, slots[slot].longest) << "slot " << slot;
        EXPECT_GT(peak, 32767 / 4) << "slot " << slot << " is too quiet";
    }
}

// Walks every event of a standard MIDI file; its playing time in seconds, or -1 when malformed.
double MidiSeconds(const Bytes& f)
{
    const uint32_t ticksPerBeat = f.size() >= 14 ? Number(f, 12, 2, true) : 0;
    if (Tag(f, 0) != "MThd" || Number(f, 4, 4, true) != 6 || ticksPerBeat == 0 || ticksPerBeat >= 0x8000)
        return -1;
    std::map<uint32_t, double> tempos = { { 0, 500000 } }; // tick -> microseconds per beat
    uint32_t endTick = 0;
    size_t at = 14;
    for (uint32_t track = 0; track < Number(f, 10, 2, true); ++track) {
        if (at + 8 > f.size() || Tag(f, at) != "MTrk" || at + 8 + Number(f, at + 4, 4, true) > f.size())
            return -1;
        const size_t end = at + 8 + Number(f, at + 4, 4, true);
        bool bad = false;
        at += 8;
        const auto byte = [&]() -> uint32_t { return at < end ? f[at++] : (bad = true, 0); };
        const auto number = [&] {
            uint32_t v = 0, b;
            do {
                v = v << 7 | ((b = byte()) & 0x7F);
            } while (b & 0x80 && !bad);
            return v;
        };
        uint32_t tick = 0, status = 0, meta = 0;
        while (!bad && meta != 0x2F) { // until the end-of-track event
            tick += number();
            if (at < end && f[at] & 0x80)
                status = byte();
            if (status == 0xFF) {
                meta = byte();
                const uint32_t length = number();
                if (meta == 0x51 && length == 3 && at + 3 <= end)
                    tempos[tick] = Number(f, at, 3, true);
                at += length, status = 0;
            } else if (status == 0xF0 || status == 0xF7) {
                at += number(), status = 0;
            } else if (status >= 0x80) {
                at += (status & 0xE0) == 0xC0 ? 1 : 2;
            } else {
                bad = true;
            }
            bad = bad || at > end;
        }
        if (bad || at != end)
            return -1;
        endTick = std::max(endTick, tick);
    }
    double seconds = 0;
    for (auto t = tempos.begin(); t != tempos.end() && t->first < endTick; ++t) {
        const uint32_t next = std::next(t) == tempos.end() ? endTick : std::min(std::next(t)->first, endTick);
        seconds += (next - t->first) * t->second / ticksPerBeat / 1e6;
    }
    return at == f.size() ? seconds : -1;
}

TEST_F(MkdataTest, TuneIsAMidiFileOfHalfAMinuteOrMore)
{
    const double seconds = MidiSeconds(Read(Scratch / "a/mus/3d.mid"));
    EXPECT_GE(seconds, 30.0);
    EXPECT_LE(seconds, 300.0);
}

} // namespace
