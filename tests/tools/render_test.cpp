// quarvel-tool render: golden replays of recorded key scripts over the default data set, options, key
// scripts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <stb_image.h>
#include <stb_image_write.h>

#include "app/sys.h"
#include "frame_runner.h"
#include "world/viewpoint.h"

namespace {

namespace fs = std::filesystem;

const fs::path GoldenDir = fs::path(QUARVEL_SOURCE_DIR) / "tests" / "golden";

// Runs a shell command; returns its exit status and what it wrote on standard output.
int RunCommand(const std::string& command, std::string* out = nullptr)
{
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return -1;
    std::string text;
    char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        text.append(chunk, n);
    const int status = pclose(pipe);
    if (out)
        *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Quote(const fs::path& p)
{
    std::string quoted = "'";
    quoted += p.string();
    quoted += '\'';
    return quoted;
}

// One scratch folder for the whole run, with the default data set made by mkdata.
class RenderEnvironment : public ::testing::Environment {
public:
    static fs::path Scratch;
    static fs::path Data;

    void SetUp() override
    {
        Scratch = fs::temp_directory_path() / ("quarvel-render-test-" + std::to_string(getpid()));
        fs::remove_all(Scratch);
        fs::create_directories(Scratch);
        Data = Scratch / "data";
        ASSERT_EQ(RunCommand(std::string(QUARVEL_TOOL) + " mkdata " + Quote(Data)), 0) << "mkdata failed";
    }

    void TearDown() override { fs::remove_all(Scratch); }
};

fs::path RenderEnvironment::Scratch;
fs::path RenderEnvironment::Data;

const auto* const Registered = ::testing::AddGlobalTestEnvironment(new RenderEnvironment);

std::string Render(const std::string& arguments)
{
    return std::string(QUARVEL_TOOL) + " render --dir " + Quote(RenderEnvironment::Data) + " " + arguments;
}

// Where a failing replay leaves its actual frame, trace and difference image.
fs::path FailureDir()
{
    const fs::path dir = fs::current_path() / "render-test-output";
    fs::create_directories(dir);
    return dir;
}

// Writes an image that shows the expected frame dimmed where both agree and red where they
// differ; false when the two cannot be compared.
bool WriteDiffImage(
    const fs::path& expectedPng, const fs::path& actualPng, const fs::path& diffPng, int32_t* differing)
{
    int ew, eh, ec, aw, ah, ac;
    unsigned char* e = stbi_load(expectedPng.c_str(), &ew, &eh, &ec, 3);
    unsigned char* a = stbi_load(actualPng.c_str(), &aw, &ah, &ac, 3);
    const bool comparable = e && a && ew == aw && eh == ah;
    *differing = 0;
    if (comparable) {
        std::vector<unsigned char> diff(size_t(ew) * eh * 3);
        for (size_t i = 0; i < size_t(ew) * eh; ++i) {
            const bool same
                = e[3 * i] == a[3 * i] && e[3 * i + 1] == a[3 * i + 1] && e[3 * i + 2] == a[3 * i + 2];
            *differing += !same;
            const unsigned char grey = (e[3 * i] + e[3 * i + 1] + e[3 * i + 2]) / 9;
            diff[3 * i] = same ? grey : 255;
            diff[3 * i + 1] = same ? grey : 0;
            diff[3 * i + 2] = same ? grey : 0;
        }
        stbi_write_png(diffPng.c_str(), ew, eh, 3, diff.data(), ew * 3);
    }
    stbi_image_free(e);
    stbi_image_free(a);
    return comparable;
}

// A recorded replay: tests/golden/NAME.keys played for some frames; NAME.trace holds the
// expected trace (a CRC for every frame) and NAME.png, when present, the last frame. With
// QUARVEL_UPDATE_GOLDEN=1 in the environment the replay rewrites them instead.
struct Replay {
    const char* name;
    int32_t frames;
    const char* options;
    bool keepPng;
};

const Replay Replays[] = {
    // Walks forward from the start view, turns, bumps into the pillar and backs off.
    { "walk", 150, "--viewport 256x192", true },
    // From beside the target: walks in, triggers it, watches the flight, the explosion,
    // the pause and the respawn.
    { "target", 215, "--viewport 200x150 --view 0,200,56,0", false },
    // Eye height and slow turns with Ctrl, in a viewport wider than the panorama.
    { "heights", 70, "--viewport 1100x128 --view 700,300,200,300", false },
};

void PrintTo(const Replay& r, std::ostream* out)
{
    *out << r.name;
}

class RenderReplay : public ::testing::TestWithParam<Replay> { };

TEST_P(RenderReplay, TraceMatchesTheRecording)
{
    const Replay& r = GetParam();
    const fs::path work = RenderEnvironment::Scratch / r.name;
    fs::create_directories(work);
    const fs::path png = work / "actual.png", raw = work / "actual.raw";
    std::string trace;
    const std::string command = Render("--frames " + std::to_string(r.frames) + " --keys "
        + Quote(GoldenDir / (std::string(r.name) + ".keys")) + " " + r.options + " --trace --out "
        + Quote(png) + " --raw " + Quote(raw));
    ASSERT_EQ(RunCommand(command, &trace), 0) << command;

    const std::vector<std::string> got = Lines(trace);
    ASSERT_EQ(int32_t(got.size()), r.frames);
    // The trace's last CRC is the one of the raw frame written beside it.
    const std::string rawBytes = ReadText(raw);
    char crc[16];
    std::snprintf(crc, sizeof crc, "crc=%08x",
        Crc32(reinterpret_cast<const uint8_t*>(rawBytes.data()), rawBytes.size()));
    EXPECT_NE(got.back().find(crc), std::string::npos) << got.back();

    const fs::path goldenTrace = GoldenDir / (std::string(r.name) + ".trace");
    const fs::path goldenPng = GoldenDir / (std::string(r.name) + ".png");
    const char* update = std::getenv("QUARVEL_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        WriteText(goldenTrace, trace);
        if (r.keepPng)
            fs::copy_file(png, goldenPng, fs::copy_options::overwrite_existing);
        GTEST_SKIP() << "golden files of " << r.name << " rewritten";
    }

    const std::vector<std::string> expected = Lines(ReadText(goldenTrace));
    ASSERT_FALSE(expected.empty()) << "no recording " << goldenTrace;
    size_t first = 0;
    while (first < got.size() && first < expected.size() && got[first] == expected[first])
        ++first;
    if (first == got.size() && first == expected.size())
        return;

    const fs::path out = FailureDir();
    const std::string name = r.name;
    WriteText(out / (name + "-actual.trace"), trace);
    fs::copy_file(png, out / (name + "-actual.png"), fs::copy_options::overwrite_existing);
    std::string diffNote = " (no golden PNG to compare the last frame with)";
    int32_t differing = 0;
    if (fs::exists(goldenPng))
        fs::copy_file(goldenPng, out / (name + "-expected.png"), fs::copy_options::overwrite_existing);
    if (fs::exists(goldenPng) && WriteDiffImage(goldenPng, png, out / (name + "-diff.png"), &differing))
        diffNote
            = "; last frame differs in " + std::to_string(differing) + " pixels, see " + name + "-diff.png";
    ADD_FAILURE() << name << ": trace differs from line " << first + 1
                  << "\n  expected: " << (first < expected.size() ? expected[first] : "(end)")
                  << "\n  actual:   " << (first < got.size() ? got[first] : "(end)")
                  << "\nactual frame and trace in " << out << diffNote;
}

INSTANTIATE_TEST_SUITE_P(RenderGolden, RenderReplay, ::testing::ValuesIn(Replays),
    [](const ::testing::TestParamInfo<Replay>& info) { return std::string(info.param.name); });

// The value of "key=" in a trace line.
std::string Field(const std::string& line, const std::string& key)
{
    const size_t at = line.find(" " + key + "=");
    const size_t start
        = at == std::string::npos ? (line.rfind(key + "=", 0) == 0 ? 0 : std::string::npos) : at + 1;
    if (start == std::string::npos)
        return "";
    const size_t from = start + key.size() + 1;
    return line.substr(from, line.find_first_of(" \n", from) - from);
}

TEST(RenderTool, ViewPlacesTheViewerAndATurnChangesNothing)
{
    std::string a, b;
    ASSERT_EQ(RunCommand(Render("--view 512,520,128,100 --trace"), &a), 0);
    ASSERT_EQ(RunCommand(Render("--view 512,520,128,1124 --trace"), &b), 0);
    EXPECT_EQ(Field(a, "frame"), "0");
    EXPECT_EQ(Field(a, "x"), "512");
    EXPECT_EQ(Field(a, "y"), "520");
    EXPECT_EQ(Field(a, "h"), "128");
    EXPECT_EQ(Field(a, "fx"), std::to_string(512 * 4096));
    EXPECT_EQ(Field(a, "snd"), "-");
    ASSERT_FALSE(Field(a, "crc").empty());
    EXPECT_EQ(Field(a, "crc"), Field(b, "crc"));
}

TEST(RenderTool, RawFrameHasNoPaddingAndTheViewportSize)
{
    const struct {
        const char* viewport;
        size_t bytes;
    } cases[] = { { "321x200", 321 * 200 }, { "128x128", 128 * 128 }, { "2048x130", 2048 * 130 } };
    for (const auto& c : cases) {
        const fs::path raw = RenderEnvironment::Scratch / "size.raw";
        std::string trace;
        ASSERT_EQ(
            RunCommand(Render(std::string("--viewport ") + c.viewport + " --raw " + Quote(raw) + " --trace"),
                &trace),
            0);
        const std::string bytes = ReadText(raw);
        EXPECT_EQ(bytes.size(), c.bytes) << c.viewport;
        char crc[16];
        std::snprintf(
            crc, sizeof crc, "%08x", Crc32(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        EXPECT_EQ(Field(trace, "crc"), crc) << c.viewport;
    }
}

TEST(RenderTool, DefaultViewportIsTheScreenUsage)
{
    const fs::path raw = RenderEnvironment::Scratch / "default.raw";
    ASSERT_EQ(RunCommand(Render("--raw " + Quote(raw))), 0);
    const std::string ini = (RenderEnvironment::Data / "fc.ini").string();
    const int32_t width = SysIniInt("view", "ScrUseXs", 320, ini.c_str());
    const int32_t height = SysIniInt("view", "ScrUseZs", 240, ini.c_str());
    EXPECT_EQ(fs::file_size(raw), uintmax_t(width) * uintmax_t(height));
}

TEST(RenderTool, BadArgumentsAreRefused)
{
    const fs::path badKeys = RenderEnvironment::Scratch / "bad.keys";
    WriteText(badKeys, "0 down up\n# fine\n3 down left\n5 press z\n");
    const struct {
        std::string arguments;
    } cases[] = {
        { "--viewport 127x200" },
        { "--viewport 320x2049" },
        { "--viewport 320" },
        { "--frames 0" },
        { "--view 1,2,3" },
        { "--view 1,2,3,4,5" },
        { "--bogus" },
        { "--keys " + Quote(badKeys) },
        { "--keys " + Quote(RenderEnvironment::Scratch / "missing.keys") },
        { "--frames" },
    };
    for (const auto& c : cases)
        EXPECT_NE(RunCommand(Render(c.arguments)), 0) << c.arguments;
    std::string out;
    EXPECT_NE(RunCommand(std::string(QUARVEL_TOOL) + " render --frames 2", &out), 0) << "no --dir";

    // The message names the bad line.
    FILE* pipe = popen((Render("--keys " + Quote(badKeys)) + " 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char text[4096] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, pipe);
    pclose(pipe);
    EXPECT_NE(std::string(text, n).find("line 4"), std::string::npos) << text;
}

TEST(RenderKeyScript, GoodScriptsInFrameOrder)
{
    std::vector<KeyEvent> events;
    std::string error;
    const std::string script = "# a walk\n"
                               "\n"
                               "5 down up\n"
                               "0 down left ctrl   # slow turn\n"
                               "   5 up up\n"
                               "0\tup left\r\n"
                               "12 down a ctrl\n"
                               "12 down z\n"
                               "7 down right\n";
    ASSERT_TRUE(ParseKeyScript(script, &events, &error)) << error;
    const struct {
        int32_t frame;
        bool down;
        int32_t key;
        bool ctrl;
        int32_t line;
    } expected[] = {
        { 0, true, KeyLeft, true, 4 },
        { 0, false, KeyLeft, false, 6 },
        { 5, true, KeyUp, false, 3 },
        { 5, false, KeyUp, false, 5 },
        { 7, true, KeyRight, false, 9 },
        { 12, true, KeyA, true, 7 },
        { 12, true, KeyZ, false, 8 },
    };
    ASSERT_EQ(events.size(), std::size(expected));
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].frame, expected[i].frame) << i;
        EXPECT_EQ(events[i].down, expected[i].down) << i;
        EXPECT_EQ(events[i].key, expected[i].key) << i;
        EXPECT_EQ(events[i].ctrl, expected[i].ctrl) << i;
        EXPECT_EQ(events[i].line, expected[i].line) << i;
    }
    ASSERT_TRUE(ParseKeyScript("# nothing\n\n", &events, &error));
    EXPECT_TRUE(events.empty());
}

TEST(RenderKeyScript, BadLinesAreRefusedWithTheirNumber)
{
    const struct {
        const char* script;
        const char* line;
    } cases[] = {
        { "x down up\n", "line 1:" },
        { "-1 down up\n", "line 1:" },
        { "0 down\n", "line 1:" },
        { "0\n", "line 1:" },
        { "# ok\n0 down up\n1 hold up\n", "line 3:" },
        { "0 down escape\n", "line 1:" },
        { "0 down Up\n", "line 1:" },
        { "0 up up ctrl\n", "line 1:" },
        { "0 down up shift\n", "line 1:" },
        { "0 down up ctrl ctrl\n", "line 1:" },
        { "\n\n0 down left\n99999999999 down up\n", "line 4:" },
        { "1.5 down up\n", "line 1:" },
        { "0 down q\n", "line 1:" },
    };
    for (const auto& c : cases) {
        std::vector<KeyEvent> events;
        std::string error;
        EXPECT_FALSE(ParseKeyScript(c.script, &events, &error)) << c.script;
        EXPECT_EQ(error.rfind(c.line, 0), 0u) << c.script << " gave: " << error;
        EXPECT_TRUE(events.empty());
    }
}

TEST(RenderKeyScript, ViewportsAndCounts)
{
    const struct {
        const char* text;
        bool ok;
        int32_t w, h;
    } cases[]
        = { { "320x240", true, 320, 240 }, { "128x128", true, 128, 128 }, { "2048x2048", true, 2048, 2048 },
              { "127x240", false, 0, 0 }, { "320x2049", false, 0, 0 }, { "320X240", false, 0, 0 },
              { "x240", false, 0, 0 }, { "320x", false, 0, 0 }, { "-320x240", false, 0, 0 } };
    for (const auto& c : cases) {
        int32_t w = 0, h = 0;
        EXPECT_EQ(ParseViewport(c.text, &w, &h), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(w, c.w);
            EXPECT_EQ(h, c.h);
        }
    }
}

TEST(RenderCrc, KnownValues)
{
    const struct {
        const char* text;
        uint32_t crc;
    } cases[] = { { "", 0x00000000u }, { "a", 0xe8b7be43u }, { "123456789", 0xcbf43926u },
        { "The quick brown fox jumps over the lazy dog", 0x414fa339u } };
    for (const auto& c : cases)
        EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(c.text), std::strlen(c.text)), c.crc) << c.text;
}

} // namespace

namespace {

TEST(RenderBench, ReportsEveryStageAndAMachineReadableLastLine)
{
    std::string out;
    ASSERT_EQ(RunCommand(std::string(QUARVEL_TOOL) + " bench --dir " + Quote(RenderEnvironment::Data)
                      + " --viewport 160x128 --frames 3",
                  &out),
        0);
    const std::vector<std::string> lines = Lines(out);
    ASSERT_FALSE(lines.empty());
    const std::string& last = lines.back();
    EXPECT_EQ(last.rfind("bench viewport=160x128 ", 0), 0u) << last;
    for (const char* key : { "fps", "frame_ns_px", "floor_ns_px", "span_baseline_ns_px", "memset_ns_px",
             "floor_vs_baseline", "frame_vs_baseline" }) {
        const std::string value = Field(last, key);
        ASSERT_FALSE(value.empty()) << key << " missing from: " << last;
        EXPECT_GT(std::stod(value), 0.0) << key;
    }
    EXPECT_NE(out.find("allocations during the frames: 0"), std::string::npos) << out;
    EXPECT_NE(
        RunCommand(std::string(QUARVEL_TOOL) + " bench --dir " + Quote(RenderEnvironment::Scratch / "none")),
        0);
}

} // namespace
