// Quarvel in the browser: start-up over the fetched data folder, the paced frame loop and the keys.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/frame_runner.h"
#include "render/palette.h"
#include "sound/sound.h"
#include "web/audio.h"
#include "world/viewpoint.h"

namespace {

// The exit codes of the start-up steps, as the Windows program has them; the page says them in
// words.
constexpr int PaletteFailed = -5;
constexpr int ConfigFailed = -3;
constexpr int BadArguments = 2;

// The world moves 60 steps a second whatever the display's refresh rate. A display frame that
// comes late runs the steps it owes, up to a tenth of a second's worth; time beyond that (a
// stalled tab, a debugger) is dropped rather than raced through.
constexpr double StepMs = 1000.0 / 60;
constexpr int MaxCatchUpSteps = 6;

// The page's side, in page.js.
EM_JS(void, PageStarted, (int32_t width, int32_t height), { quarvelPage.started(width, height); });
EM_JS(void, PagePresent, (const uint32_t* rgba, int32_t width, int32_t height),
    { quarvelPage.present(rgba, width, height); });
EM_JS(void, PageFailed, (int32_t code, const char* why), { quarvelPage.failed(code, UTF8ToString(why)); });
EM_JS(void, PageEnded, (int32_t frame, int32_t byEscape), { quarvelPage.ended(frame, byEscape != 0); });

struct Options {
    std::string dir = ".";
    int32_t width = 0, height = 0; // 0: a recording's viewport, else 640x480
    int32_t frames = 0; // 0: until Escape
    std::string keys;
};

KeyScript Script; // a replay; live keys are ignored while it runs
size_t NextEvent = 0;
int32_t Frame = 0; // frames made so far; key events are numbered by the frame they precede
int32_t LastFrame = 0;
uint32_t Colours[256]; // the program palette as canvas pixels (RGBA in memory order)
std::vector<uint32_t> Rgba;
std::string Recording; // the live keys as a key script, for replaying and sharing
bool Running = false, Hidden = false;
double LastTime = -1; // of the display frame that last ran steps; -1 after a pause
double OwedMs = 0;

int Fail(int code, const std::string& why)
{
    PageFailed(code, why.c_str());
    return code;
}

// "" when the arguments are good, else what is wrong with them. The page builds them from its
// address: --dir, --viewport, --keys and --frames, as quarvel-sdl takes them.
std::string ParseArguments(int argc, char** argv, Options* o)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const char* value = argv[i + 1];
        if (arg == "--dir")
            o->dir = value;
        else if (arg == "--keys")
            o->keys = value;
        else if (arg == "--viewport" && !ParseViewport(value, &o->width, &o->height))
            return "viewport needs WxH, each 128..2048, not \"" + std::string(value) + "\"";
        else if (arg == "--frames" && !ParseCount(value, 1, &o->frames))
            return "frames needs a count of at least 1, not \"" + std::string(value) + "\"";
        else if (arg != "--viewport" && arg != "--frames")
            return "unknown argument " + arg;
    }
    return argc % 2 ? "" : "an argument lacks its value";
}

// The view's virtual-key code for a key by what it types, as on Windows; 0 for other keys.
int32_t ViewKeyOf(const char* key)
{
    static const struct {
        const char* name;
        int32_t key;
    } keys[] = { { "ArrowLeft", KeyLeft }, { "ArrowRight", KeyRight }, { "ArrowUp", KeyUp },
        { "ArrowDown", KeyDown }, { "a", KeyA }, { "A", KeyA }, { "z", KeyZ }, { "Z", KeyZ } };
    for (const auto& k : keys)
        if (std::strcmp(key, k.name) == 0)
            return k.key;
    return 0;
}

// The keys of the frame not drawn yet: they join the recording when it is, so that a recording
// saved now ends on the frame the canvas shows.
std::string PendingKeys;

void Record(bool down, int32_t key, bool ctrl)
{
    PendingKeys += KeyScriptEvent(Frame, down, key, ctrl);
}

bool AtLastFrame()
{
    return LastFrame > 0 && Frame >= LastFrame;
}

void Present()
{
    const int32_t width = Projection.ProjXs, height = Projection.ProjZs, pitch = FramePitch();
    const uint8_t* row = FrameBuffer();
    uint32_t* out = Rgba.data();
    for (int32_t r = 0; r < height; ++r, row += pitch, out += width)
        for (int32_t c = 0; c < width; ++c)
            out[c] = Colours[row[c]];
    PagePresent(Rgba.data(), width, height);
}

void Step()
{
    NextEvent = PlayKeyEvents(Script.events, NextEvent, Frame);
    StepAndDrawFrame(BufferPresenter);
    Recording += PendingKeys;
    PendingKeys.clear();
    ++Frame;
}

EM_BOOL OnAnimationFrame(double now, void*)
{
    if (!Running)
        return EM_FALSE;
    if (Hidden) {
        LastTime = -1;
        return EM_TRUE;
    }
    // The first display frame after a start or a pause runs one step.
    OwedMs += LastTime < 0 ? StepMs : now - LastTime;
    LastTime = now;
    int steps = 0;
    while (OwedMs >= StepMs && steps < MaxCatchUpSteps && !AtLastFrame()) {
        Step();
        OwedMs -= StepMs;
        ++steps;
    }
    if (OwedMs >= StepMs)
        OwedMs = 0;
    if (steps)
        Present();
    if (AtLastFrame()) {
        Running = false;
        PageEnded(Frame, 0);
    }
    return Running;
}

void Resume()
{
    Running = true;
    LastTime = -1;
    OwedMs = 0;
    emscripten_request_animation_frame_loop(OnAnimationFrame, nullptr);
}

// Escape, as in the program's view: effects and tune stop and the view ends. The page offers
// to start it again, the viewer where it stood.
void EndView()
{
    PlayEffect(-1);
    StopMusic();
    Running = false;
    PageEnded(Frame, 1);
}

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* e, void*)
{
    if (std::strcmp(e->key, "Escape") == 0 && type == EMSCRIPTEN_EVENT_KEYDOWN) {
        if (Running)
            EndView();
        return EM_FALSE;
    }
    const int32_t key = ViewKeyOf(e->key);
    if (!key)
        return EM_FALSE;
    // Every press counts once, auto-repeats included, and reads Ctrl afresh, as on Windows.
    if (Running && Script.events.empty()) {
        const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
        if (down)
            PressViewKey(key, e->ctrlKey);
        else
            ReleaseViewKey(key);
        Record(down, key, e->ctrlKey);
    }
    return EM_TRUE; // the page does not scroll on arrows
}

// A key held while the page loses the keyboard never sends its release: let the axes decay
// rather than walk on by themselves.
EM_BOOL OnBlur(int, const EmscriptenFocusEvent*, void*)
{
    if (!Running || !Script.events.empty())
        return EM_FALSE;
    for (MotionAxis* axis : { &ForwardAxis, &TurnAxis })
        if (const int32_t key = axis->key) {
            ReleaseViewKey(key);
            Record(false, key, false);
        }
    return EM_FALSE;
}

EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* e, void*)
{
    Hidden = e->hidden;
    return EM_FALSE;
}

} // namespace

extern "C" {

// Starts the view again after Escape, where the viewer stood, with the tune from its start.
EMSCRIPTEN_KEEPALIVE void WebResume()
{
    if (Running || AtLastFrame())
        return;
    StartMusic();
    Resume();
}

// The frames drawn so far; the canvas shows the last of them.
EMSCRIPTEN_KEEPALIVE int32_t WebFrame()
{
    return Frame;
}

// The live keys so far as a recording: a header (viewport and start view), the key lines and
// the frames drawn. It replays to the canvas's frame.
EMSCRIPTEN_KEEPALIVE const char* WebRecording()
{
    static std::string script;
    script = Recording + (Frame > 0 ? KeyScriptEnd(Frame) : "");
    return script.c_str();
}

} // extern "C"

int main(int argc, char** argv)
{
    Options options;
    const std::string wrong = ParseArguments(argc, argv, &options);
    if (!wrong.empty())
        return Fail(BadArguments, wrong);
    std::string error;
    if (!options.keys.empty() && !LoadKeyScript(options.keys, &Script, &error))
        return Fail(1, "key script " + error);
    // A recording says how it was made; the address may still say otherwise.
    if (options.width == 0) {
        options.width = Script.width ? Script.width : 640;
        options.height = Script.width ? Script.height : 480;
    }
    if (options.frames == 0)
        options.frames = Script.end;
    if (chdir(options.dir.c_str()) != 0)
        return Fail(1, "no data folder " + options.dir);

    // The start-up steps in the program's order: palette, configuration and pictures, sound.
    RgbColour file[256];
    if (!LoadPalFile("sc/nosystem.pal", file))
        return Fail(PaletteFailed, "sc/nosystem.pal");
    const RgbPalette palette = MakeProgramPalette(file);
    for (int i = 0; i < 256; ++i) {
        const RgbColour& c = palette.entries[i];
        Colours[i] = c.r | c.g << 8 | c.b << 16 | 0xFF000000u;
    }
    if (!OpenDataFolder(".", &error))
        return Fail(ConfigFailed, error);
    if (Script.haveView)
        PlaceViewer(Script.view[0], Script.view[1], Script.view[2], Script.view[3] & 1023);
    StartView(options.width, options.height);
    const int32_t start[4] = { ViewPoint.x, ViewPoint.y, ViewPoint.height, ViewPoint.angle };
    Recording = "# recorded in the browser; replay: quarvel-sdl --keys FILE, or\n"
                "# quarvel-tool render --dir DIR --keys FILE --out last.png for its last frame\n"
        + KeyScriptHeader(options.width, options.height, start);
    Rgba.assign(size_t(options.width) * options.height, 0);
    LastFrame = options.frames;
    LoadSoundBank();
    PlayEffect(1);
    StartMusic();

    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, false, OnKey);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, false, OnKey);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, false, OnBlur);
    emscripten_set_visibilitychange_callback(nullptr, false, OnVisibility);
    PageStarted(options.width, options.height);
    Resume();
    return 0;
}
