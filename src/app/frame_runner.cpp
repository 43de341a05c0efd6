// The headless frame loop of the tools and the native program: data folder, viewport, buffer presenter, key
// scripts.
#include "app/frame_runner.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include <stb_image_write.h>

#include "app/config.h"
#include "base/alloc.h"
#include "base/settings.h"
#include "base/sys.h"
#include "render/backdrop.h"
#include "render/bitmap.h"
#include "render/palette.h"
#include "render/trig.h"
#include "world/objects.h"
#include "world/target.h"
#include "world/viewpoint.h"

namespace {

// The frame with FrameGuardBytes of a known pattern on either side.
std::vector<uint8_t> Buffer;
int32_t Pitch = 0;

uint8_t GuardByte(size_t i)
{
    return uint8_t(i * 131 + 7);
}

void ClearBufferBands()
{
    ClearBandsInBuffer(FrameBuffer(), Pitch, Backdrop);
}

int AcquireBuffer(FrameTarget* target)
{
    target->pixels = FrameBuffer();
    target->pitch = Pitch;
    return 0;
}

bool ParseInt(const std::string& text, int32_t* value)
{
    if (text.empty() || text.size() > 10)
        return false;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v > INT32_MAX)
        return false;
    *value = int32_t(v);
    return true;
}

const struct {
    const char* name;
    int32_t key;
} KeyNames[] = { { "up", KeyUp }, { "down", KeyDown }, { "left", KeyLeft }, { "right", KeyRight },
    { "a", KeyA }, { "z", KeyZ } };

bool KeyByName(const std::string& name, int32_t* key)
{
    for (const auto& k : KeyNames)
        if (name == k.name) {
            *key = k.key;
            return true;
        }
    return false;
}

// The words of a header line after the first: "viewport WxH" and "view X,Y,HEIGHT,ANGLE".
std::string ParseHeader(const std::vector<std::string>& w, KeyScript* script)
{
    for (size_t i = 0; i < w.size(); i += 2) {
        const bool last = i + 1 == w.size();
        if (w[i] == "viewport" && !last && script->width == 0) {
            if (!ParseViewport(w[i + 1].c_str(), &script->width, &script->height))
                return "the viewport must be WxH, each 128..2048, not \"" + w[i + 1] + "\"";
        } else if (w[i] == "view" && !last && !script->haveView) {
            if (!ParseView(w[i + 1].c_str(), script->view))
                return "the view must be X,Y,HEIGHT,ANGLE, not \"" + w[i + 1] + "\"";
            script->haveView = true;
        } else {
            return "expected \"viewport WxH\" and \"view X,Y,HEIGHT,ANGLE\", once each";
        }
    }
    return "";
}

} // namespace

const FramePresenter BufferPresenter = { ClearBufferBands, AcquireBuffer, nullptr };

bool ParseKeyScript(const std::string& text, KeyScript* script, std::string* error)
{
    *script = KeyScript();
    std::vector<KeyEvent>* events = &script->events;
    bool header = false;
    std::istringstream in(text);
    std::string line;
    int32_t number = 0;
    while (std::getline(in, line)) {
        ++number;
        const size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty())
            continue;
        auto fail = [&](const std::string& why) {
            *error = "line " + std::to_string(number) + ": " + why;
            *script = KeyScript();
            return false;
        };
        if (script->end != 0)
            return fail("nothing may follow the end");
        if (w[0] == "viewport" || w[0] == "view") {
            if (header || !events->empty())
                return fail("the header line comes once, before the events");
            header = true;
            if (const std::string wrong = ParseHeader(w, script); !wrong.empty())
                return fail(wrong);
            continue;
        }
        KeyEvent e {};
        e.line = number;
        if (!ParseInt(w[0], &e.frame))
            return fail("frame number expected, not \"" + w[0] + "\"");
        if (w.size() == 2 && w[1] == "end") {
            for (const KeyEvent& earlier : *events)
                if (earlier.frame >= e.frame)
                    return fail("the end must come after the last event's frame");
            if (e.frame == 0)
                return fail("the end must be frame 1 or later");
            script->end = e.frame;
            continue;
        }
        if (w.size() < 3)
            return fail("expected FRAME down|up KEY");
        if (w[1] == "down")
            e.down = true;
        else if (w[1] != "up")
            return fail("\"down\" or \"up\" expected, not \"" + w[1] + "\"");
        if (!KeyByName(w[2], &e.key))
            return fail("key must be one of up down left right a z, not \"" + w[2] + "\"");
        if (w.size() == 4 && e.down && w[3] == "ctrl")
            e.ctrl = true;
        else if (w.size() > 3)
            return fail(
                e.down ? "only \"ctrl\" may follow the key" : "nothing may follow the key of a release");
        events->push_back(e);
    }
    std::stable_sort(events->begin(), events->end(),
        [](const KeyEvent& a, const KeyEvent& b) { return a.frame < b.frame; });
    return true;
}

bool LoadKeyScript(const std::string& path, KeyScript* script, std::string* error)
{
    // A folder opens as a stream on Linux and reads as nothing: it is no script.
    std::error_code ec;
    std::ifstream in(path, std::ios::binary);
    if (!in || std::filesystem::is_directory(path, ec)) {
        *error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!ParseKeyScript(text.str(), script, error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}

std::string KeyScriptHeader(int32_t width, int32_t height, const int32_t view[4])
{
    char line[128];
    std::snprintf(line, sizeof line, "viewport %dx%d view %d,%d,%d,%d\n", width, height, view[0], view[1],
        view[2], view[3]);
    return line;
}

std::string KeyScriptEvent(int32_t frame, bool down, int32_t key, bool ctrl)
{
    const char* name = "?";
    for (const auto& k : KeyNames)
        if (k.key == key)
            name = k.name;
    return std::to_string(frame) + (down ? " down " : " up ") + name + (down && ctrl ? " ctrl\n" : "\n");
}

std::string KeyScriptEnd(int32_t frames)
{
    return std::to_string(frames) + " end\n";
}

bool ParseView(const char* text, int32_t view[4])
{
    std::istringstream in(text);
    for (int i = 0; i < 4; ++i) {
        long long value;
        if (!(in >> value) || value < INT32_MIN || value > INT32_MAX)
            return false;
        view[i] = int32_t(value);
        if (i < 3 && in.get() != ',')
            return false;
    }
    return in.peek() == std::char_traits<char>::eof();
}

size_t PlayKeyEvents(const std::vector<KeyEvent>& events, size_t next, int32_t frame)
{
    for (; next < events.size() && events[next].frame == frame; ++next) {
        const KeyEvent& e = events[next];
        if (e.down)
            PressViewKey(e.key, e.ctrl);
        else
            ReleaseViewKey(e.key);
    }
    return next;
}

bool ParseViewport(const char* text, int32_t* width, int32_t* height)
{
    const std::string s(text);
    const size_t x = s.find('x');
    if (x == std::string::npos)
        return false;
    int32_t w, h;
    if (!ParseInt(s.substr(0, x), &w) || !ParseInt(s.substr(x + 1), &h))
        return false;
    if (!ViewSizeAllowed(w, h))
        return false;
    *width = w;
    *height = h;
    return true;
}

bool ChooseViewSize(int32_t* width, int32_t* height, std::string* error)
{
    if (*width == 0) {
        *width = ScrUseXs;
        *height = ScrUseZs;
    }
    if (ViewSizeAllowed(*width, *height))
        return true;
    *error = "fc.ini's screen usage " + std::to_string(*width) + "x" + std::to_string(*height)
        + " lies outside 128x128..2048x2048";
    return false;
}

bool ParseCount(const char* text, int32_t min, int32_t* value)
{
    int32_t v;
    if (!ParseInt(text, &v) || v < min)
        return false;
    *value = v;
    return true;
}

bool OpenDataFolder(const std::string& dir, std::string* error)
{
    if (chdir(dir.c_str()) != 0) {
        *error = "cannot enter " + dir;
        return false;
    }
    // A module path without a backslash makes ConfigPath plain "fc.ini", which the current
    // directory now resolves.
    SysOverrideModulePath("quarvel.exe");
    ResetSceneObjects();
    ResetTarget();
    if (LoadConfig() != 0) {
        *error = "no memory for the configuration path";
        return false;
    }
    return true;
}

bool CloseDataFolder(std::string* error)
{
    FreeConfig();
    SysOverrideModulePath(nullptr);
    if (AllocCount != ReleaseCount) {
        *error = "bad memory usage count: " + std::to_string(AllocCount) + " blocks allocated, "
            + std::to_string(ReleaseCount) + " released";
        return false;
    }
    return true;
}

void StartView(int32_t width, int32_t height)
{
    Projection.ProjXs = width;
    Projection.ProjZs = height;
    SetProjectionBounds();
    Pitch = (width + 3) & ~3;
    Buffer.assign(size_t(Pitch) * height + 2 * FrameGuardBytes, 0);
    for (size_t i = 0; i < FrameGuardBytes; ++i)
        Buffer[i] = Buffer[Buffer.size() - FrameGuardBytes + i] = GuardByte(i);
}

uint8_t* FrameBuffer()
{
    return Buffer.data() + FrameGuardBytes;
}

size_t FrameBytes()
{
    return Buffer.size() - 2 * FrameGuardBytes;
}

bool FrameGuardsIntact()
{
    for (size_t i = 0; i < FrameGuardBytes; ++i)
        if (Buffer[i] != GuardByte(i) || Buffer[Buffer.size() - FrameGuardBytes + i] != GuardByte(i))
            return false;
    return true;
}

std::string FrameInvariantFault(uint32_t allocCount, uint32_t releaseCount, bool viewer)
{
    const ViewPointRecord& v = ViewPoint;
    if (viewer && (v.angle < 0 || v.angle > 1023))
        return "angle " + std::to_string(v.angle) + " outside 0..1023";
    if (viewer && (v.height < 0 || v.height > 1023))
        return "height " + std::to_string(v.height) + " outside 0..1023";
    const bool inside = v.x >= -8191 && v.x <= 8191 && v.y >= -8191 && v.y <= 8191;
    if (viewer && (!inside || v.x != v.fixedX >> 12 || v.y != v.fixedY >> 12))
        return "position " + std::to_string(v.x) + "," + std::to_string(v.y) + " (fixed "
            + std::to_string(v.fixedX) + "," + std::to_string(v.fixedY)
            + ") outside the world or its fixed point";
    int targets = 0;
    for (const SceneObject& o : SceneObjectTable)
        targets += o.bitmap >= FirstTargetBitmap;
    if (targets != 1)
        return std::to_string(targets) + " target records";
    if (AllocCount != allocCount || ReleaseCount != releaseCount)
        return "allocation counts moved to " + std::to_string(AllocCount) + "/"
            + std::to_string(ReleaseCount);
    if (!FrameGuardsIntact())
        return "a write outside the frame buffer";
    return "";
}

int32_t FramePitch()
{
    return Pitch;
}

std::vector<uint8_t> RawFrame()
{
    const int32_t w = Projection.ProjXs, h = Projection.ProjZs;
    std::vector<uint8_t> raw(size_t(w) * h);
    for (int32_t r = 0; r < h; ++r)
        std::memcpy(raw.data() + size_t(r) * w, FrameBuffer() + size_t(r) * Pitch, size_t(w));
    return raw;
}

uint32_t Crc32(const uint8_t* data, size_t size)
{
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

bool WriteIndexedPng(const std::string& path, const std::vector<uint8_t>& indices, int32_t width,
    int32_t height, std::string* error)
{
    RgbColour file[256];
    RgbPalette palette;
    if (LoadPalFile("sc/nosystem.pal", file)) {
        palette = MakeProgramPalette(file);
    } else {
        std::fprintf(stderr, "warning: sc/nosystem.pal unreadable, PNG written with a grey ramp\n");
        palette = GreyRampPalette();
    }
    std::vector<uint8_t> rgb(indices.size() * 3);
    for (size_t i = 0; i < indices.size(); ++i) {
        const RgbColour& c = palette.entries[indices[i]];
        rgb[3 * i] = c.r;
        rgb[3 * i + 1] = c.g;
        rgb[3 * i + 2] = c.b;
    }
    if (!stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3)) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}
