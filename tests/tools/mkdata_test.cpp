// Tests of quarvel-tool mkdata: the default data set is complete, well formed, fit for its
// slots, and the same bytes on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <sys/wait.h>

#include "app/alloc.h"
#include "render/bitmap.h"
#include "sc0_file.h"

namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& s)
{
    return "'" + s + "'";
}

// Runs quarvel-tool with the arguments, stderr into `errors`; the exit status.
int RunTool(const std::string& args, const fs::path& errors)
{
    const std::string command = Quote(QUARVEL_TOOL) + " " + args + " 2>" + Quote(errors.string());
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<uint8_t> Read(const fs::path& path)
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadFileBytes(path.string(), &bytes)) << path;
    return bytes;
}

uint32_t Get16(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8;
}
uint32_t Get32(const std::vector<uint8_t>& b, size_t at)
{
    return Get16(b, at) | Get16(b, at + 2) << 16;
}
uint32_t Big16(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] << 8 | b[at + 1];
}
uint32_t Big32(const std::vector<uint8_t>& b, size_t at)
{
    return Big16(b, at) << 16 | Big16(b, at + 2);
}

// fc.ini as section -> key -> value, names in lower case as the profile reader compares them.
using Ini = std::map<std::string, std::map<std::string, std::string>>;

std::string Lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

Ini ParseIni(const std::vector<uint8_t>& bytes)
{
    Ini ini;
    std::string section;
    std::string text(bytes.begin(), bytes.end());
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            section = Lower(line.substr(1, line.find(']') - 1));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq != std::string::npos)
            ini[section][Lower(line.substr(0, eq))] = line.substr(eq + 1);
    }
    return ini;
}

fs::path HostPath(const fs::path& dir, std::string iniPath)
{
    std::replace(iniPath.begin(), iniPath.end(), '\\', '/');
    return dir / iniPath;
}

struct Rgb {
    int r, g, b;
};

// A decoded picture: palette index per pixel, -1 where a sprite is transparent.
struct Decoded {
    int width = 0, height = 0;
    std::vector<int> pixels;
    int At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// Checks the header and decodes a plain image; false with a failure recorded if malformed.
bool DecodePlain(const std::vector<uint8_t>& file, Decoded* out)
{
    if (file.size() < 32) {
        ADD_FAILURE() << "shorter than a header";
        return false;
    }
    out->width = int(Get16(file, 4));
    out->height = int(Get16(file, 6));
    const uint32_t size = Get32(file, 12);
    if (size != uint32_t(out->width * out->height) || file.size() != 32 + size) {
        ADD_FAILURE() << "payload " << size << " for " << out->width << "x" << out->height;
        return false;
    }
    out->pixels.assign(file.begin() + 32, file.end());
    return true;
}

// Walks every run list as the sprite renderer would, insisting on ordered, in-range runs.
bool DecodeSprite(const std::vector<uint8_t>& file, Decoded* out)
{
    if (file.size() < 32) {
        ADD_FAILURE() << "shorter than a header";
        return false;
    }
    out->width = int(Get16(file, 4));
    out->height = int(Get16(file, 6));
    const size_t size = Get32(file, 12);
    if (file.size() != 32 + size || size < size_t(out->height) * 4) {
        ADD_FAILURE() << "payload size " << size << " against file size " << file.size();
        return false;
    }
    out->pixels.assign(size_t(out->width) * out->height, -1);
    for (int row = 0; row < out->height; ++row) {
        size_t at = 32 + Get32(file, 32 + size_t(row) * 4);
        int nextColumn = 0;
        for (;;) {
            if (at + 4 > file.size()) {
                ADD_FAILURE() << "row " << row << " runs past the payload";
                return false;
            }
            const uint32_t first = Get16(file, at), last = Get16(file, at + 2);
            at += 4;
            if (last < first)
                break;
            if (int(first) < nextColumn || int(last) >= out->width || at + (last - first + 1) > file.size()) {
                ADD_FAILURE() << "row " << row << " has a bad run " << first << ".." << last;
                return false;
            }
            for (uint32_t c = first; c <= last; ++c)
                out->pixels[size_t(row) * out->width + c] = file[at++];
            nextColumn = int(last) + 1;
        }
    }
    return true;
}

int OpaqueCount(const Decoded& d)
{
    return int(std::count_if(d.pixels.begin(), d.pixels.end(), [](int p) { return p >= 0; }));
}

// Mean over channels and pixels of |a - b| between two lines of pixels, through the palette.
double LineDifference(const Decoded& d, const std::vector<Rgb>& palette, bool columns, int a, int b)
{
    const int length = columns ? d.height : d.width;
    double sum = 0;
    for (int i = 0; i < length; ++i) {
        const Rgb& p = palette[d.At(columns ? a : i, columns ? i : a)];
        const Rgb& q = palette[d.At(columns ? b : i, columns ? i : b)];
        sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
    }
    return sum / (3.0 * length);
}

struct Seam {
    double wrap, neighbours, distant;
};

// How the last line meets the first, against neighbouring lines and lines half a picture apart.
Seam MeasureSeam(const Decoded& d, const std::vector<Rgb>& palette, bool columns)
{
    const int count = columns ? d.width : d.height;
    Seam s { LineDifference(d, palette, columns, count - 1, 0), 0, 0 };
    for (int i = 0; i + 1 < count; ++i)
        s.neighbours += LineDifference(d, palette, columns, i, i + 1);
    s.neighbours /= count - 1;
    for (int i = 0; i < count / 2; i += 7)
        s.distant += LineDifference(d, palette, columns, i, i + count / 2);
    s.distant /= (count / 2 + 6) / 7;
    return s;
}

double Luma(const Rgb& c)
{
    return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}

class MkdataTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/quarvel-mkdata-XXXXXX";
        Scratch = mkdtemp(pattern);
        First = Scratch / "a";
        Second = Scratch / "b";
        FirstResult = RunTool("mkdata " + Quote(First.string()), Scratch / "a.err");
        SecondResult = RunTool("mkdata " + Quote(Second.string()), Scratch / "b.err");
        ReadFileBytes((First / "fc.ini").string(), &IniBytes);
        Config = ParseIni(IniBytes);
        const std::vector<uint8_t> pal = Read(First / "sc" / "nosystem.pal");
        Palette.assign(256, Rgb { 0, 0, 0 });
        for (size_t i = 0; i < 256 && 3 * i + 2 < pal.size(); ++i)
            Palette[i] = { pal[3 * i], pal[3 * i + 1], pal[3 * i + 2] };
    }

    static void TearDownTestSuite() { fs::remove_all(Scratch); }

    void SetUp() override
    {
        ASSERT_EQ(FirstResult, 0);
        ASSERT_EQ(SecondResult, 0);
    }

    // The file that section bitmaps names for a slot; empty when the slot is unused.
    static fs::path SlotFile(int slot)
    {
        const std::string value = Config["bitmaps"][std::to_string(slot)];
        if (value.empty() || value[0] == '?')
            return {};
        return HostPath(First, value);
    }

    static Decoded Sprite(int slot)
    {
        Decoded d;
        const fs::path path = SlotFile(slot);
        EXPECT_FALSE(path.empty()) << "slot " << slot;
        if (!path.empty()) {
            EXPECT_TRUE(DecodeSprite(Read(path), &d)) << path;
        }
        return d;
    }

    static inline fs::path Scratch, First, Second;
    static inline int FirstResult = -1, SecondResult = -1;
    static inline std::vector<uint8_t> IniBytes;
    static inline Ini Config;
    static inline std::vector<Rgb> Palette;
};

const int StandingSlots[] = { 1, 2, 3, 4 };
const int ExplosionSlots[] = { 24, 25, 26, 27, 28, 29, 30 };
constexpr int TargetSlot = 31;

TEST_F(MkdataTest, TwoRunsWriteTheSameFilesByteForByte)
{
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(First))
        if (entry.is_regular_file())
            names.insert(fs::relative(entry.path(), First).string());
    std::set<std::string> secondNames;
    for (const auto& entry : fs::recursive_directory_iterator(Second))
        if (entry.is_regular_file())
            secondNames.insert(fs::relative(entry.path(), Second).string());
    EXPECT_EQ(names, secondNames);
    EXPECT_GE(names.size(), 21u);
    for (const std::string& name : names)
        EXPECT_TRUE(Read(First / name) == Read(Second / name)) << name << " differs between runs";
}

TEST_F(MkdataTest, IniHasEveryKeyTheProgramReads)
{
    static const char* const viewKeys[] = { "ViewPntX", "ViewPntY", "ViewPntZ", "ViewPntA", "WinGStyle",
        "LastModeXs", "LastModeZs", "ScrUseXs", "ScrUseZs", "ProjDs", "ProjXs", "ProjZs" };
    for (const char* key : viewKeys)
        EXPECT_EQ(Config["view"].count(Lower(key)), 1u) << key;
    EXPECT_EQ(Config["program"].count("jumptodx"), 1u);
    EXPECT_EQ(Config["bitmaps"].count("floor"), 1u);
    for (int slot = 0; slot < 32; ++slot)
        EXPECT_EQ(Config["bitmaps"].count(std::to_string(slot)), 1u) << "slot " << slot;
    // Windows reads the file: lines end in CR LF and there are comments for the user.
    const std::string text(IniBytes.begin(), IniBytes.end());
    size_t lineFeeds = 0, pairs = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            ++lineFeeds;
            pairs += i > 0 && text[i - 1] == '\r';
        }
    EXPECT_GT(lineFeeds, 40u);
    EXPECT_EQ(pairs, lineFeeds);
    EXPECT_NE(text.find("\n;"), std::string::npos);
}

TEST_F(MkdataTest, IniValuesAreUsableAsTheyStand)
{
    struct Range {
        const char* key;
        int lo, hi;
    };
    // The ranges within which the program uses a value unchanged (Go needs the screen usage
    // in 128..2048; a projection value outside its range would be clamped).
    static const Range ranges[] = {
        { "ViewPntX", 0, 1023 },
        { "ViewPntY", 0, 1023 },
        { "ViewPntZ", 16, 1023 },
        { "ViewPntA", 0, 1023 },
        { "ScrUseXs", 128, 2048 },
        { "ScrUseZs", 128, 2048 },
        { "ProjDs", 64, 2048 },
        { "ProjXs", 128, 2048 },
        { "ProjZs", 128, 2048 },
        { "LastModeXs", 320, 2048 },
        { "LastModeZs", 200, 2048 },
    };
    for (const Range& r : ranges) {
        const int value = std::atoi(Config["view"][Lower(r.key)].c_str());
        EXPECT_GE(value, r.lo) << r.key;
        EXPECT_LE(value, r.hi) << r.key;
    }
    EXPECT_EQ(std::atoi(Config["view"]["projxs"].c_str()) % 4, 0);
    EXPECT_EQ(Config["program"]["jumptodx"], "0") << "the launcher should show first";

    // The viewer must not start inside a standing object's footprint, nor inside the
    // target's footprint at its largest pulse (320 units).
    const int x = std::atoi(Config["view"]["viewpntx"].c_str());
    const int y = std::atoi(Config["view"]["viewpnty"].c_str());
    struct Footprint {
        int x, y, side;
    };
    static const Footprint footprints[]
        = { { 200, 600, 64 }, { 800, 800, 64 }, { 200, 200, 64 }, { 400, 400, 64 }, { 0, 400, 320 } };
    for (const Footprint& f : footprints) {
        const bool inside = x >= f.x - f.side / 2 - 1 && x <= f.x + f.side / 2 && y >= f.y - f.side / 2 - 1
            && y <= f.y + f.side / 2;
        EXPECT_FALSE(inside) << "start view inside the object at " << f.x << "," << f.y;
    }
}

TEST_F(MkdataTest, EveryFileIsWhereTheIniAndTheProgramLookForIt)
{
    std::vector<fs::path> wanted = { First / "sc" / "nosystem.pal", First / "sc" / "backdrop.sc0",
        First / "mus" / "3d.mid", HostPath(First, Config["bitmaps"]["floor"]) };
    for (int slot = 0; slot < 5; ++slot)
        wanted.push_back(First / "snd" / ("qrvl0" + std::to_string(slot) + ".wav"));
    for (int slot = 0; slot < 32; ++slot) {
        const bool drawn = (slot >= 1 && slot <= 4) || slot >= 23;
        EXPECT_EQ(SlotFile(slot).empty(), !drawn) << "slot " << slot;
        if (!SlotFile(slot).empty())
            wanted.push_back(SlotFile(slot));
    }
    for (const fs::path& path : wanted)
        EXPECT_TRUE(fs::is_regular_file(path)) << path;
}

TEST_F(MkdataTest, PaletteFillsOnlyThePictureEntries)
{
    EXPECT_EQ(Read(First / "sc" / "nosystem.pal").size(), 768u);
    std::set<std::tuple<int, int, int>> distinct;
    for (int i = 0; i < 256; ++i) {
        const Rgb& c = Palette[i];
        if (i < 10 || i > 245)
            EXPECT_TRUE(c.r == 0 && c.g == 0 && c.b == 0) << "entry " << i;
        else
            distinct.insert({ c.r, c.g, c.b });
    }
    // Entries are scarce: a designed palette wastes few on repeats.
    EXPECT_GE(distinct.size(), 226u);
}

TEST_F(MkdataTest, PicturesUseOnlyThePictureEntries)
{
    std::vector<std::pair<fs::path, bool>> pictures = { { First / "sc" / "backdrop.sc0", false },
        { HostPath(First, Config["bitmaps"]["floor"]), false } };
    for (int slot = 0; slot < 32; ++slot)
        if (!SlotFile(slot).empty())
            pictures.push_back({ SlotFile(slot), slot != 23 });
    for (const auto& [path, sprite] : pictures) {
        Decoded d;
        ASSERT_TRUE(sprite ? DecodeSprite(Read(path), &d) : DecodePlain(Read(path), &d)) << path;
        int outside = 0;
        for (int p : d.pixels)
            if (p >= 0 && (p < 10 || p > 245))
                ++outside;
        EXPECT_EQ(outside, 0) << path;
        EXPECT_GT(OpaqueCount(d), 0) << path;
    }
}

TEST_F(MkdataTest, BackdropIsOneTurnThatWrapsWithSkyAboveAndGroundBelow)
{
    Decoded d;
    ASSERT_TRUE(DecodePlain(Read(First / "sc" / "backdrop.sc0"), &d));
    EXPECT_EQ(d.width, 1024);
    EXPECT_GE(d.height, 480);
    const Seam seam = MeasureSeam(d, Palette, true);
    EXPECT_LT(seam.wrap, 2 * seam.neighbours + 1) << "column 1023 does not lead into column 0";
    EXPECT_LT(seam.wrap, seam.distant / 2);

    // Sky blue in the top rows, greener than blue just below the middle, where the horizon is.
    double blueTop = 0, greenBelow = 0;
    for (int x = 0; x < d.width; ++x) {
        for (int y = 0; y < 32; ++y)
            blueTop += Palette[d.At(x, y)].b - Palette[d.At(x, y)].r;
        for (int y = d.height / 2 + 8; y < d.height / 2 + 40; ++y)
            greenBelow += Palette[d.At(x, y)].g - Palette[d.At(x, y)].b;
    }
    EXPECT_GT(blueTop / (32.0 * d.width), 40);
    EXPECT_GT(greenBelow / (32.0 * d.width), 0);
}

TEST_F(MkdataTest, FloorTextureTilesBothWays)
{
    Decoded d;
    ASSERT_TRUE(DecodePlain(Read(SlotFile(23)), &d));
    EXPECT_EQ(d.width, 256);
    EXPECT_EQ(d.height, 256);
    EXPECT_EQ(d.pixels.size(), 65536u);
    for (bool columns : { false, true }) {
        const Seam seam = MeasureSeam(d, Palette, columns);
        EXPECT_LT(seam.wrap, 2 * seam.neighbours + 1) << (columns ? "columns" : "rows");
        EXPECT_LT(seam.wrap, seam.distant / 2) << (columns ? "columns" : "rows");
    }
}

TEST_F(MkdataTest, StandingObjectsStandOnTheBottomRowAndDifferFromEachOther)
{
    std::vector<std::vector<int>> seen;
    for (int slot : StandingSlots) {
        const Decoded d = Sprite(slot);
        ASSERT_GT(d.height, 0) << "slot " << slot;
        int lowest = -1;
        for (int y = 0; y < d.height; ++y)
            for (int x = 0; x < d.width; ++x)
                if (d.At(x, y) >= 0)
                    lowest = y;
        EXPECT_EQ(lowest, d.height - 1) << "slot " << slot;
        const int opaque = OpaqueCount(d);
        const int area = d.width * d.height;
        EXPECT_GT(opaque, area / 10) << "slot " << slot << " is mostly empty";
        EXPECT_LT(opaque, area * 9 / 10) << "slot " << slot << " has almost no transparent surroundings";
        EXPECT_LT(d.At(0, 0), 0) << "slot " << slot << " top-left corner should be transparent";
        for (const std::vector<int>& other : seen)
            EXPECT_NE(other, d.pixels) << "slot " << slot << " repeats another object";
        seen.push_back(d.pixels);
    }
}

TEST_F(MkdataTest, TargetIsAnOpaqueCentreInTransparentSurroundings)
{
    const Decoded d = Sprite(TargetSlot);
    ASSERT_GT(d.height, 0);
    EXPECT_GE(d.At(d.width / 2, d.height / 2), 0);
    for (const auto& [x, y] :
        { std::pair { 0, 0 }, { d.width - 1, 0 }, { 0, d.height - 1 }, { d.width - 1, d.height - 1 } })
        EXPECT_LT(d.At(x, y), 0) << x << "," << y;
}

TEST_F(MkdataTest, ExplosionGrowsThenFades)
{
    std::vector<int> area;
    std::vector<double> brightness;
    for (int slot : ExplosionSlots) {
        const Decoded d = Sprite(slot);
        ASSERT_GT(d.height, 0) << "slot " << slot;
        // The exploding object is 726 x 630 units; the picture keeps that shape.
        EXPECT_NEAR(double(d.width) / d.height, 726.0 / 630.0, 0.03) << "slot " << slot;
        double sum = 0;
        for (int p : d.pixels)
            if (p >= 0)
                sum += Luma(Palette[p]);
        area.push_back(OpaqueCount(d));
        brightness.push_back(sum / std::max(1, area.back()));
    }
    for (int i = 1; i < 4; ++i)
        EXPECT_GT(area[i], area[i - 1] * 5 / 4) << "frame " << i << " does not grow";
    for (int i = 3; i < 7; ++i)
        EXPECT_LT(brightness[i], brightness[i - 1]) << "frame " << i << " does not darken";
    EXPECT_LT(area[6], area[3]) << "the smoke does not break up";
    EXPECT_GT(brightness[0], 2 * brightness[6]);
}

TEST_F(MkdataTest, PicturesLoadAndSuitTheirSlots)
{
    struct Case {
        fs::path path;
        PictureKind kind;
    };
    std::vector<Case> cases = { { First / "sc" / "backdrop.sc0", PictureKind::Backdrop },
        { HostPath(First, Config["bitmaps"]["floor"]), PictureKind::Plain },
        { SlotFile(23), PictureKind::Floor } };
    for (int slot : StandingSlots)
        cases.push_back({ SlotFile(slot), PictureKind::Sprite });
    for (int slot : ExplosionSlots)
        cases.push_back({ SlotFile(slot), PictureKind::Sprite });
    cases.push_back({ SlotFile(TargetSlot), PictureKind::Sprite });
    for (const Case& c : cases) {
        Bitmap bitmap {};
        EXPECT_EQ(LoadBitmap(c.path.string().c_str(), &bitmap), 0) << c.path;
        EXPECT_TRUE(PictureIsSound(bitmap, c.kind)) << c.path;
        if (bitmap.pixels)
            FreeBlock(bitmap.pixels);
    }
}

struct Wave {
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int> samples; // centred on 0, full scale 32767 whatever the width
};

bool ParseWave(const std::vector<uint8_t>& f, Wave* w)
{
    if (f.size() < 12 || std::string(f.begin(), f.begin() + 4) != "RIFF"
        || std::string(f.begin() + 8, f.begin() + 12) != "WAVE" || Get32(f, 4) != f.size() - 8) {
        ADD_FAILURE() << "not a RIFF/WAVE file of its stated size";
        return false;
    }
    bool haveFormat = false;
    for (size_t at = 12; at + 8 <= f.size();) {
        const std::string id(f.begin() + at, f.begin() + at + 4);
        const size_t size = Get32(f, at + 4);
        const size_t body = at + 8;
        if (body + size > f.size()) {
            ADD_FAILURE() << id << " chunk runs past the end";
            return false;
        }
        if (id == "fmt " && size >= 16) {
            w->format = int(Get16(f, body));
            w->channels = int(Get16(f, body + 2));
            w->rate = int(Get32(f, body + 4));
            const uint32_t byteRate = Get32(f, body + 8), align = Get16(f, body + 12);
            w->bits = int(Get16(f, body + 14));
            haveFormat = align == uint32_t(w->channels * w->bits / 8) && byteRate == w->rate * align;
            EXPECT_TRUE(haveFormat) << "block align or byte rate disagree with the format";
        } else if (id == "data") {
            if (!haveFormat || (w->bits != 8 && w->bits != 16))
                return false;
            for (size_t i = body; i + w->bits / 8 <= body + size; i += w->bits / 8)
                w->samples.push_back(w->bits == 8 ? (int(f[i]) - 128) * 256 : int(int16_t(Get16(f, i))));
            return true;
        }
        at = body + size + (size & 1);
    }
    ADD_FAILURE() << "no data chunk";
    return false;
}

TEST_F(MkdataTest, SoundsArePcmWavesThatFitTheirRoles)
{
    struct Case {
        int slot;
        double minSeconds, maxSeconds;
        int minCrossings, maxCrossings; // zero crossings per second: how high it sounds
    };
    static const Case cases[] = {
        { 0, 0.2, 1.5, 1000, 20000 }, // trigger: a bright, rising chime
        { 1, 0.5, 3.0, 600, 20000 }, // start-up arpeggio
        { 2, 0.3, 2.0, 1000, 20000 }, // respawn shimmer
        { 3, 0.05, 0.3, 0, 300 }, // bump: short and low
        { 4, 0.8, 4.0, 0, 20000 }, // explosion
    };
    for (const Case& c : cases) {
        Wave w;
        ASSERT_TRUE(ParseWave(Read(First / "snd" / ("qrvl0" + std::to_string(c.slot) + ".wav")), &w))
            << c.slot;
        EXPECT_EQ(w.format, 1) << "slot " << c.slot << " is not PCM";
        EXPECT_EQ(w.channels, 1) << c.slot;
        EXPECT_GE(w.rate, 8000) << c.slot;
        EXPECT_LE(w.rate, 48000) << c.slot;
        const double seconds = double(w.samples.size()) / std::max(1, w.rate);
        EXPECT_GE(seconds, c.minSeconds) << "slot " << c.slot;
        EXPECT_LE(seconds, c.maxSeconds) << "slot " << c.slot;
        int peak = 0, crossings = 0;
        for (size_t i = 0; i < w.samples.size(); ++i) {
            peak = std::max(peak, std::abs(w.samples[i]));
            if (i > 0 && (w.samples[i - 1] < 0) != (w.samples[i] < 0))
                ++crossings;
        }
        EXPECT_GT(peak, 32767 / 4) << "slot " << c.slot << " is too quiet";
        EXPECT_LT(std::abs(w.samples.front()), 2000) << "slot " << c.slot << " starts with a click";
        EXPECT_LT(std::abs(w.samples.back()), 2000) << "slot " << c.slot << " ends with a click";
        const double rate = crossings / std::max(seconds, 1e-6);
        EXPECT_GE(rate, c.minCrossings) << "slot " << c.slot;
        EXPECT_LE(rate, c.maxCrossings) << "slot " << c.slot;
    }
}

// What a walk through a MIDI file found.
struct Tune {
    int format = -1, tracks = 0, division = 0;
    std::map<uint32_t, uint32_t> tempos; // tick -> microseconds per beat
    std::set<int> noteChannels;
    int programChanges = 0, hangingNotes = 0;
    uint32_t endTick = 0;
};

bool ParseMidi(const std::vector<uint8_t>& f, Tune* t)
{
    if (f.size() < 14 || std::string(f.begin(), f.begin() + 4) != "MThd" || Big32(f, 4) != 6) {
        ADD_FAILURE() << "no MThd chunk of 6 bytes";
        return false;
    }
    t->format = int(Big16(f, 8));
    const int declared = int(Big16(f, 10));
    t->division = int(Big16(f, 12));
    size_t at = 14;
    while (at + 8 <= f.size()) {
        if (std::string(f.begin() + at, f.begin() + at + 4) != "MTrk") {
            ADD_FAILURE() << "unknown chunk at " << at;
            return false;
        }
        const size_t end = at + 8 + Big32(f, at + 4);
        if (end > f.size()) {
            ADD_FAILURE() << "track runs past the end";
            return false;
        }
        ++t->tracks;
        at += 8;
        uint32_t tick = 0;
        uint8_t status = 0;
        bool ended = false;
        std::map<int, int> sounding; // channel * 128 + note -> count
        const auto varLen = [&](uint32_t* v) {
            *v = 0;
            for (int i = 0; i < 4 && at < end; ++i) {
                const uint8_t b = f[at++];
                *v = (*v << 7) | (b & 0x7F);
                if (!(b & 0x80))
                    return true;
            }
            return false;
        };
        while (at < end && !ended) {
            uint32_t delta;
            if (!varLen(&delta)) {
                ADD_FAILURE() << "bad delta time";
                return false;
            }
            tick += delta;
            if (f[at] & 0x80)
                status = f[at++];
            if (status == 0xFF) {
                const uint8_t type = f[at++];
                uint32_t length;
                if (!varLen(&length) || at + length > end)
                    return false;
                if (type == 0x51 && length == 3)
                    t->tempos[tick] = uint32_t(f[at] << 16 | f[at + 1] << 8 | f[at + 2]);
                ended = type == 0x2F;
                at += length;
                status = 0; // meta events cancel running status
            } else if (status == 0xF0 || status == 0xF7) {
                uint32_t length;
                if (!varLen(&length))
                    return false;
                at += length;
                status = 0;
            } else if (status >= 0x80) {
                const int kind = status & 0xF0, channel = status & 0x0F;
                const int dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                if (at + dataBytes > end)
                    return false;
                const int note = f[at], velocity = dataBytes == 2 ? f[at + 1] : 0;
                at += dataBytes;
                if (kind == 0xC0)
                    ++t->programChanges;
                if (kind == 0x90 && velocity > 0) {
                    t->noteChannels.insert(channel);
                    ++sounding[channel * 128 + note];
                } else if (kind == 0x80 || kind == 0x90) {
                    --sounding[channel * 128 + note];
                }
            } else {
                ADD_FAILURE() << "data byte with no running status at " << at;
                return false;
            }
        }
        if (!ended || at != end) {
            ADD_FAILURE() << "track " << t->tracks << " does not end with its end-of-track event";
            return false;
        }
        for (const auto& [key, count] : sounding)
            t->hangingNotes += std::abs(count);
        t->endTick = std::max(t->endTick, tick);
    }
    EXPECT_EQ(declared, t->tracks);
    return at == f.size();
}

TEST_F(MkdataTest, TuneIsAStandardMidiFileOfHalfAMinuteOrMore)
{
    Tune t;
    ASSERT_TRUE(ParseMidi(Read(First / "mus" / "3d.mid"), &t));
    EXPECT_TRUE(t.format == 0 || t.format == 1);
    ASSERT_GT(t.division, 0) << "ticks per beat expected, not time code";
    ASSERT_FALSE(t.tempos.empty());
    double seconds = 0;
    uint32_t tick = 0, tempo = 500000;
    for (const auto& [at, value] : t.tempos) {
        seconds += double(std::min(at, t.endTick) - std::min(tick, t.endTick)) * tempo / t.division / 1e6;
        tick = at;
        tempo = value;
    }
    seconds += double(t.endTick - std::min(tick, t.endTick)) * tempo / t.division / 1e6;
    EXPECT_GE(seconds, 30.0);
    EXPECT_LE(seconds, 300.0);
    EXPECT_GE(t.noteChannels.size(), 3u) << "melody, bass and more";
    EXPECT_EQ(t.noteChannels.count(9), 1u) << "no percussion on channel 10";
    EXPECT_GE(t.programChanges, 2);
    EXPECT_EQ(t.hangingNotes, 0) << "every note that starts must stop";
}

TEST(MkdataCommand, FailsCleanlyWhenItCannotWrite)
{
    char pattern[] = "/tmp/quarvel-mkdata-bad-XXXXXX";
    const fs::path scratch = mkdtemp(pattern);
    // A plain file where a directory must go: no directory can be made below it, even as root.
    const fs::path blocker = scratch / "file";
    ASSERT_TRUE(WriteFileBytes(blocker.string(), { 1, 2, 3 }));
    struct Case {
        std::string args;
        const char* why;
    };
    const Case cases[] = {
        { "mkdata " + Quote((blocker / "data").string()), "DIR below a plain file" },
        { "mkdata " + Quote(blocker.string()), "DIR is a plain file" },
        { "mkdata", "no DIR" },
    };
    for (const Case& c : cases) {
        const fs::path errors = scratch / "err.txt";
        EXPECT_NE(RunTool(c.args, errors), 0) << c.why;
        EXPECT_GT(fs::file_size(errors), 0u) << c.why << ": no message";
    }
    fs::remove_all(scratch);
}

} // namespace
