// quarvel-tool render and bench: golden replays of recorded key scripts, raw frames, options and key scripts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
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

#include "base/sys.h"
#include "frame_runner.h"
#include "world/viewpoint.h"

namespace {

namespace fs = std::filesystem;

const fs::path GoldenDir = fs::path(QUARVEL_SOURCE_DIR) / "tests" / "golden";

// Runs a shell command; returns its exit status and what it wrote on standard output (with
// standard error too when both is set).
int RunCommand(const std::string& command, std::string* out = nullptr, bool both = false)
{
    FILE* pipe = popen((command + (both ? " 2>&1" : " 2>/dev/null")).c_str(), "r");
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
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
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
    return quoted += '\'';
}

// The value of the first word "key=value" in the text.
std::string Field(const std::string& text, const std::string& key)
{
    std::istringstream in(text);
    for (std::string word; in >> word;)
        if (word.rfind(key + "=", 0) == 0)
            return word.substr(key.size() + 1);
    return "";
}

std::string Crc(const std::string& bytes)
{
    char text[16];
    std::snprintf(
        text, sizeof text, "%08x", Crc32(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    return text;
}

// One scratch folder for the whole run, with the default data set made by mkdata.
class RenderEnvironment : public ::testing::Environment {
public:
    static inline fs::path Scratch, Data;
    void SetUp() override
    {
        Scratch = fs::temp_directory_path() / ("quarvel-render-test-" + std::to_string(getpid()));
        fs::remove_all(Scratch);
        Data = Scratch / "data";
        fs::create_directories(Scratch);
        ASSERT_EQ(RunCommand(std::string(QUARVEL_TOOL) + " mkdata " + Quote(Data)), 0) << "mkdata failed";
    }
    void TearDown() override { fs::remove_all(Scratch); }
};
const auto* const Registered = ::testing::AddGlobalTestEnvironment(new RenderEnvironment);

std::string Render(const std::string& arguments)
{
    return std::string(QUARVEL_TOOL) + " render --dir " + Quote(RenderEnvironment::Data) + " " + arguments;
}

// Writes the expected frame dimmed where both agree and red where they differ; returns the
// number of differing pixels, or -1 when the two cannot be compared.
int32_t WriteDiffImage(const fs::path& expectedPng, const fs::path& actualPng, const fs::path& diffPng)
{
    int ew, eh, aw, ah, channels, differing = -1;
    unsigned char* e = stbi_load(expectedPng.c_str(), &ew, &eh, &channels, 3);
    unsigned char* a = stbi_load(actualPng.c_str(), &aw, &ah, &channels, 3);
    if (e && a && ew == aw && eh == ah) {
        std::vector<unsigned char> diff(size_t(ew) * eh * 3);
        differing = 0;
        for (size_t i = 0; i < diff.size(); i += 3) {
            const bool same = e[i] == a[i] && e[i + 1] == a[i + 1] && e[i + 2] == a[i + 2];
            differing += !same;
            const unsigned char grey = (e[i] + e[i + 1] + e[i + 2]) / 9;
            diff[i] = same ? grey : 255;
            diff[i + 1] = diff[i + 2] = same ? grey : 0;
        }
        stbi_write_png(diffPng.c_str(), ew, eh, 3, diff.data(), ew * 3);
    }
    stbi_image_free(e);
    stbi_image_free(a);
    return differing;
}

// tests/golden/NAME.keys played for some frames: NAME.trace holds the expected trace (a CRC for
// every frame), NAME.png (when kept) the last frame. QUARVEL_UPDATE_GOLDEN=1 rewrites them instead.
struct Replay {
    const char* name;
    int32_t frames;
    const char* options;
    bool keepPng;
};

// Walks, bumps into the tree and turns; triggers the target and watches it fly, explode and
// respawn; steps the eye height in a viewport wider than the panorama; turns in one taller than it.
const Replay Replays[] = { { "walk", 150, "--viewport 256x192", true },
    { "target", 215, "--viewport 200x150 --view 0,200,56,0", false },
    { "heights", 70, "--viewport 1100x128 --view 700,300,200,300", false },
    { "bands", 12, "--viewport 256x2048 --view 300,-200,300,100", false } };

void PrintTo(const Replay& r, std::ostream* out)
{
    *out << r.name;
}

class RenderReplay : public ::testing::TestWithParam<Replay> { };

TEST_P(RenderReplay, TraceMatchesTheRecording)
{
    const Replay& r = GetParam();
    const std::string name = r.name;
    const fs::path work = RenderEnvironment::Scratch / name, png = work / "actual.png",
                   raw = work / "actual.raw";
    fs::create_directories(work);
    std::string trace;
    const std::string command
        = Render("--frames " + std::to_string(r.frames) + " --keys " + Quote(GoldenDir / (name + ".keys"))
            + " " + r.options + " --trace --out " + Quote(png) + " --raw " + Quote(raw));
    ASSERT_EQ(RunCommand(command, &trace), 0) << command;
    const std::vector<std::string> got = Lines(trace);
    ASSERT_EQ(int32_t(got.size()), r.frames);
    EXPECT_EQ(Field(got.back(), "crc"), Crc(ReadText(raw))) << "the last CRC is the raw frame's";

    const fs::path goldenTrace = GoldenDir / (name + ".trace"), goldenPng = GoldenDir / (name + ".png");
    if (const char* update = std::getenv("QUARVEL_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        std::ofstream(goldenTrace, std::ios::binary) << trace;
        if (r.keepPng)
            fs::copy_file(png, goldenPng, fs::copy_options::overwrite_existing);
        GTEST_SKIP() << "golden files of " << name << " rewritten";
    }
    const std::vector<std::string> expected = Lines(ReadText(goldenTrace));
    ASSERT_FALSE(expected.empty()) << "no recording " << goldenTrace;
    size_t first = 0;
    while (first < got.size() && first < expected.size() && got[first] == expected[first])
        ++first;
    if (got == expected)
        return;

    const fs::path out = fs::current_path() / "render-test-output";
    fs::create_directories(out);
    std::ofstream(out / (name + "-actual.trace"), std::ios::binary) << trace;
    fs::copy_file(png, out / (name + "-actual.png"), fs::copy_options::overwrite_existing);
    std::string note = " (no golden PNG to compare the last frame with)";
    if (fs::exists(goldenPng)) {
        fs::copy_file(goldenPng, out / (name + "-expected.png"), fs::copy_options::overwrite_existing);
        if (const int32_t differing = WriteDiffImage(goldenPng, png, out / (name + "-diff.png"));
            differing >= 0)
            note = "; last frame differs in " + std::to_string(differing) + " pixels, see " + name
                + "-diff.png";
    }
    ADD_FAILURE() << name << ": trace differs from line " << first + 1
                  << "\n  expected: " << (first < expected.size() ? expected[first] : "(end)")
                  << "\n  actual:   " << (first < got.size() ? got[first] : "(end)")
                  << "\nactual frame and trace in " << out << note;
}

INSTANTIATE_TEST_SUITE_P(RenderGolden, RenderReplay, ::testing::ValuesIn(Replays),
    [](const ::testing::TestParamInfo<Replay>& info) { return std::string(info.param.name); });

// The raw frame has no row padding, the viewport's size (fc.ini's screen usage by default) and the trace's
// CRC.
TEST(RenderTool, RawFrameSizeAndCrc)
{
    ASSERT_EQ(Crc("123456789"), "cbf43926"); // the zlib CRC-32 check value
    const std::string ini = (RenderEnvironment::Data / "fc.ini").string();
    const struct {
        std::string viewport;
        size_t bytes;
    } cases[] = { { "321x200", 321 * 200 }, { "128x128", 128 * 128 }, { "2048x130", 2048 * 130 },
        { "",
            size_t(SysIniInt("view", "ScrUseXs", 320, ini.c_str())
                * SysIniInt("view", "ScrUseZs", 240, ini.c_str())) } };
    for (const auto& c : cases) {
        const fs::path raw = RenderEnvironment::Scratch / "size.raw";
        std::string trace;
        const std::string viewport = c.viewport.empty() ? "" : "--viewport " + c.viewport;
        ASSERT_EQ(RunCommand(Render(viewport + " --raw " + Quote(raw) + " --trace"), &trace), 0)
            << c.viewport;
        const std::string bytes = ReadText(raw);
        EXPECT_EQ(bytes.size(), c.bytes) << c.viewport;
        EXPECT_EQ(Field(trace, "crc"), Crc(bytes)) << c.viewport;
    }
}

// Status 2 with the reason for bad arguments, 1 for what cannot be done; numbers up to ten digits.
TEST(RenderTool, ArgumentsAndTheirErrors)
{
    const std::string tool = std::string(QUARVEL_TOOL) + " ",
                      dir = " --dir " + Quote(RenderEnvironment::Data);
    const fs::path edited = RenderEnvironment::Scratch / "edited";
    fs::copy(RenderEnvironment::Data, edited, fs::copy_options::recursive | fs::copy_options::skip_existing);
    const std::string ini = ReadText(edited / "fc.ini");
    const struct {
        std::string arguments, usage; // usage: the replacement of the data set's ScrUseXs=640 ScrUseZs=480
        int status;
        std::string message; // the first line of standard error, or the number of trace lines
    } cases[] = {
        { "render" + dir + " --viewport 127x200", "", 2, "--viewport needs WxH, each 128..2048" },
        { "render" + dir + " --viewport 320x2049", "", 2, "--viewport needs WxH, each 128..2048" },
        { "render" + dir + " --viewport 320", "", 2, "--viewport needs WxH, each 128..2048" },
        { "render" + dir + " --frames 0", "", 2, "--frames needs a count of at least 1" },
        { "render" + dir + " --frames 4294967297", "", 2, "--frames needs a count of at least 1" },
        { "render" + dir + " --frames 00000000002", "", 2, "--frames needs a count of at least 1" },
        { "render" + dir + " --frames 0000000002 --trace", "", 0, "2 lines" },
        { "render" + dir + " --frames 1 --trace", "", 0, "1 lines" },
        { "render" + dir + " --frames", "", 2, "--frames needs a value" },
        { "render" + dir + " --view 1,2,3", "", 2, "--view needs X,Y,HEIGHT,ANGLE" },
        { "render" + dir + " --view 1,2,3,4,5", "", 2, "--view needs X,Y,HEIGHT,ANGLE" },
        { "render" + dir + " --view 1,2,3,2147483648", "", 2, "--view needs X,Y,HEIGHT,ANGLE" },
        { "render" + dir + " --bogus x", "", 2, "unknown argument --bogus" },
        { "render --frames 2", "", 2, "--dir is required" },
        { "render" + dir + " --keys " + Quote(RenderEnvironment::Scratch / "missing.keys"), "", 1,
            "cannot read" },
        { "render --dir " + Quote(edited), "ScrUseXs=127", 1, "fc.ini's screen usage 127x480 lies outside" },
        { "render --dir " + Quote(edited), "ScrUseXs=2049", 1,
            "fc.ini's screen usage 2049x480 lies outside" },
        { "render --dir " + Quote(edited), "ScrUseZs=127", 1, "fc.ini's screen usage 640x127 lies outside" },
        { "render --dir " + Quote(edited), "ScrUseZs=2049", 1,
            "fc.ini's screen usage 640x2049 lies outside" },
        { "render --dir " + Quote(edited), "ScrUseXs=2048", 0, "0 lines" },
        { "mkdata " + Quote(edited) + " more", "", 2, "usage: quarvel-tool mkdata DIR" },
        { "mkdata", "", 2, "usage: quarvel-tool mkdata DIR" },
        { "bench --frames 0", "", 2, "bad argument --frames 0" },
    };
    for (const auto& c : cases) {
        std::string edit = ini;
        if (!c.usage.empty())
            edit.replace(edit.find(c.usage.substr(0, 9)), 12, c.usage);
        std::ofstream(edited / "fc.ini", std::ios::binary) << edit;
        std::string out;
        EXPECT_EQ(RunCommand(tool + c.arguments, &out, true), c.status) << c.arguments;
        const std::string got
            = c.status == 0 ? std::to_string(Lines(out).size()) + " lines" : Lines(out + "\n")[0];
        EXPECT_NE(got.find(c.message), std::string::npos)
            << c.arguments << " " << c.usage << " gave: " << out;
    }
    std::string message;
    const fs::path badKeys = RenderEnvironment::Scratch / "bad.keys";
    std::ofstream(badKeys) << "0 down up\n# fine\n3 down left\n5 press z\n";
    EXPECT_EQ(RunCommand(tool + "render" + dir + " --keys " + Quote(badKeys), &message, true), 1);
    EXPECT_NE(message.find("line 4"), std::string::npos) << message;
}

TEST(RenderKeyScript, EventsComeInFrameOrderThenScriptOrder)
{
    std::vector<KeyEvent> events;
    std::string error;
    ASSERT_TRUE(
        ParseKeyScript("# a walk\n\n5 down up\n0 down left ctrl   # slow turn\n   5 up up\n0\tup left\r\n"
                       "12 down a ctrl\n7 down z\n",
            &events, &error))
        << error;
    const KeyEvent expected[]
        = { { 0, true, KeyLeft, true, 4 }, { 0, false, KeyLeft, false, 6 }, { 5, true, KeyUp, false, 3 },
              { 5, false, KeyUp, false, 5 }, { 7, true, KeyZ, false, 8 }, { 12, true, KeyA, true, 7 } };
    ASSERT_EQ(events.size(), std::size(expected));
    for (size_t i = 0; i < events.size(); ++i) {
        const KeyEvent &g = events[i], &e = expected[i];
        EXPECT_TRUE(
            g.frame == e.frame && g.down == e.down && g.key == e.key && g.ctrl == e.ctrl && g.line == e.line)
            << "event " << i << ": frame " << g.frame << " key " << g.key << " line " << g.line;
    }
}

TEST(RenderKeyScript, BadLinesAreRefusedWithTheirNumber)
{
    const struct {
        const char* script;
        const char* line;
    } cases[] = { { "x down up\n", "line 1:" }, { "-1 down up\n", "line 1:" }, { "1.5 down up\n", "line 1:" },
        { "0 down\n", "line 1:" }, { "# ok\n0 down up\n1 hold up\n", "line 3:" },
        { "0 down escape\n", "line 1:" }, { "0 down Up\n", "line 1:" }, { "0 up up ctrl\n", "line 1:" },
        { "0 down up shift\n", "line 1:" }, { "0 down up ctrl ctrl\n", "line 1:" },
        { "\n\n0 down left\n99999999999 down up\n", "line 4:" } };
    for (const auto& c : cases) {
        std::vector<KeyEvent> events;
        std::string error;
        EXPECT_FALSE(ParseKeyScript(c.script, &events, &error)) << c.script;
        EXPECT_EQ(error.rfind(c.line, 0), 0u) << c.script << " gave: " << error;
        EXPECT_TRUE(events.empty()) << c.script;
    }
}

TEST(RenderBench, LastLineIsMachineReadable)
{
    std::string out;
    const std::string bench = std::string(QUARVEL_TOOL) + " bench --dir ";
    ASSERT_EQ(RunCommand(bench + Quote(RenderEnvironment::Data) + " --viewport 160x128 --frames 3", &out), 0);
    const std::vector<std::string> lines = Lines(out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("bench viewport=160x128 ", 0), 0u) << lines.back();
    for (const char* key : { "fps", "frame_ns_px", "floor_ns_px", "span_baseline_ns_px", "memset_ns_px",
             "floor_vs_baseline", "frame_vs_baseline" }) {
        const std::string value = Field(lines.back(), key);
        ASSERT_FALSE(value.empty()) << key << " missing from: " << lines.back();
        EXPECT_GT(std::stod(value), 0.0) << key;
    }
    EXPECT_NE(out.find("allocations during the frames: 0"), std::string::npos) << out;
    EXPECT_NE(RunCommand(bench + Quote(RenderEnvironment::Scratch / "none")), 0);
}

} // namespace
