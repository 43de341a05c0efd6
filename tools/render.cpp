// quarvel-tool render: frames of a data folder without a window, as PNG, raw indices and a state trace.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/frame_runner.h"
#include "commands.h"
#include "render/trig.h"
#include "sound/sound.h"
#include "world/objects.h"
#include "world/target.h"
#include "world/viewpoint.h"

const char RenderUsage[]
    = "usage: quarvel-tool render --dir DIR [--frames N] [--keys FILE] [--viewport WxH]\n"
      "                            [--view X,Y,HEIGHT,ANGLE] [--out FILE.png] [--raw FILE] [--trace]\n";

namespace {

int UsageError(const std::string& why)
{
    std::fprintf(stderr, "quarvel-tool render: %s\n%s", why.c_str(), RenderUsage);
    return 2;
}

int Failure(const std::string& why)
{
    std::fprintf(stderr, "quarvel-tool render: %s\n", why.c_str());
    return 1;
}

// One trace line: the viewer, the axes, the target state, every record in table order, the
// sounds requested during the frame and the frame's CRC.
void PrintTrace(int32_t frame, uint32_t crc)
{
    std::printf("frame=%d x=%d y=%d h=%d a=%d fx=%d fy=%d fwd=%d turn=%d ts=%u", frame, ViewPoint.x,
        ViewPoint.y, ViewPoint.height, ViewPoint.angle, ViewPoint.fixedX, ViewPoint.fixedY,
        ForwardAxis.velocity, TurnAxis.velocity, TargetState);
    for (int i = 0; i < SceneObjectCount; ++i) {
        const SceneObject& o = SceneObjectTable[i];
        std::printf(" o%d=%d,%d,%d,%d,%d,%d,%d,%d,%d", i, o.x, o.y, o.z, o.dx, o.dy, o.width, o.height,
            o.bitmap, o.flags);
    }
    std::printf(" snd=");
    if (EffectLogCount == 0)
        std::printf("-");
    for (int i = 0; i < EffectLogCount; ++i)
        std::printf(i ? ",%d" : "%d", EffectLog[i]);
    std::printf(" crc=%08x\n", crc);
}

} // namespace

int RenderCommand(int argc, char** argv)
{
    std::string dir, keysPath, outPath, rawPath;
    int32_t frames = 0, width = 0, height = 0; // 0: from the key script, else 1 frame and fc.ini's size
    int32_t view[4];
    bool haveView = false, trace = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--trace") {
            trace = true;
        } else if (!hasValue) {
            return UsageError(arg == "--dir" || arg == "--frames" || arg == "--keys" || arg == "--viewport"
                        || arg == "--view" || arg == "--out" || arg == "--raw"
                    ? arg + " needs a value"
                    : "unknown argument " + arg);
        } else if (arg == "--dir") {
            dir = argv[++i];
        } else if (arg == "--frames") {
            if (!ParseCount(argv[++i], 1, &frames))
                return UsageError("--frames needs a count of at least 1");
        } else if (arg == "--keys") {
            keysPath = argv[++i];
        } else if (arg == "--viewport") {
            if (!ParseViewport(argv[++i], &width, &height))
                return UsageError("--viewport needs WxH, each 128..2048");
        } else if (arg == "--view") {
            if (!ParseView(argv[++i], view))
                return UsageError("--view needs X,Y,HEIGHT,ANGLE");
            haveView = true;
        } else if (arg == "--out") {
            outPath = argv[++i];
        } else if (arg == "--raw") {
            rawPath = argv[++i];
        } else {
            return UsageError("unknown argument " + arg);
        }
    }
    if (dir.empty())
        return UsageError("--dir is required");

    // A recording says how it was made; the arguments may still say otherwise.
    KeyScript script;
    if (!keysPath.empty()) {
        std::string error;
        if (!LoadKeyScript(keysPath, &script, &error))
            return Failure(error);
    }
    const std::vector<KeyEvent>& events = script.events;
    if (frames == 0)
        frames = script.end ? script.end : 1;
    if (width == 0)
        width = script.width, height = script.height;
    if (!haveView && script.haveView) {
        std::copy(script.view, script.view + 4, view);
        haveView = true;
    }
    // The outputs are named relative to where we were started, not to the data folder.
    if (!outPath.empty())
        outPath = std::filesystem::absolute(outPath).string();
    if (!rawPath.empty())
        rawPath = std::filesystem::absolute(rawPath).string();

    std::string error;
    if (!OpenDataFolder(dir, &error))
        return Failure(error);
    if (haveView)
        PlaceViewer(view[0], view[1], view[2], view[3] & 1023); // as fc.ini's angle is read
    if (!ChooseViewSize(&width, &height, &error)) {
        std::string ignored;
        CloseDataFolder(&ignored);
        return Failure(error);
    }
    StartView(width, height);

    size_t next = 0;
    std::vector<uint8_t> raw;
    for (int32_t frame = 0; frame < frames; ++frame) {
        next = PlayKeyEvents(events, next, frame);
        ClearEffectLog();
        StepAndDrawFrame(BufferPresenter);
        if (trace) {
            raw = RawFrame();
            PrintTrace(frame, Crc32(raw.data(), raw.size()));
        }
    }
    if (next < events.size())
        std::fprintf(stderr,
            "quarvel-tool render: warning: events from line %d on lie beyond the last frame\n",
            events[next].line);
    std::fflush(stdout);

    raw = RawFrame();
    int status = 0;
    if (!outPath.empty() && !WriteIndexedPng(outPath, raw, width, height, &error))
        status = Failure(error);
    if (!rawPath.empty()) {
        std::ofstream out(rawPath, std::ios::binary);
        out.write(reinterpret_cast<const char*>(raw.data()), std::streamsize(raw.size()));
        if (!out)
            status = Failure("cannot write " + rawPath);
    }
    if (!CloseDataFolder(&error))
        status = Failure(error);
    return status;
}
