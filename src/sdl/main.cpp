// quarvel-sdl, the native program: arguments, start-up and shutdown, the paced frame loop and the keys.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/frame_runner.h"
#include "base/settings.h"
#include "render/palette.h"
#include "render/trig.h"
#include "sdl/audio.h"
#include "sdl/screen.h"
#include "sound/sound.h"
#include "world/viewpoint.h"

namespace {

// The exit codes of the start-up steps, as the Windows program has them.
constexpr int PaletteFailed = -5;
constexpr int WindowFailed = -1;
constexpr int ConfigFailed = -3;

const char Usage[]
    = "usage: quarvel-sdl [--dir DIR] [--viewport WxH] [--scale N] [--rate N] [--keys FILE]\n"
      "                   [--record FILE] [--frames N] [--screenshot FILE.png] [--mute] [--stats]\n";
const char Help[]
    = "  --dir DIR          the data folder with fc.ini, sc/, snd/, mus/ (default: here)\n"
      "  --viewport WxH     the view's size, 128..2048 each (default: fc.ini's screen usage)\n"
      "  --scale N          window at N times the view (default: the largest that fits)\n"
      "  --rate N           world steps a second (default 60; 0: as fast as it goes)\n"
      "  --keys FILE        replay a key script or a recording (as quarvel-tool render does)\n"
      "  --record FILE      record every key the view takes, as a key script to replay\n"
      "  --frames N         end with 0 after N frames\n"
      "  --screenshot FILE  write the last frame as PNG\n"
      "  --mute             no sound, no music\n"
      "  --stats            print frames, seconds, the renderer and the view (X,Y,HEIGHT,ANGLE) at the end\n"
      "keys: arrows walk and turn (Ctrl: single steps), A and Z raise and lower the eye,\n"
      "      F11 or Alt+Enter full screen, F12 a screenshot (quarvel-NNNN.png), Escape ends\n";

struct Options {
    std::string dir = ".";
    int32_t width = 0, height = 0; // 0: the screen usage of fc.ini
    int32_t scale = 0; // 0: the largest whole factor that fits the desktop
    int32_t rate = 60; // world steps a second; 0 uncapped
    int32_t frames = 0; // 0: until Escape or the window's close
    std::string keys, record, screenshot;
    bool mute = false, stats = false;
};

int UsageError(const std::string& why)
{
    std::fprintf(stderr, "quarvel-sdl: %s\n%s", why.c_str(), Usage);
    return 2;
}

int Failure(const std::string& why, int code)
{
    std::fprintf(stderr, "quarvel-sdl: %s\n", why.c_str());
    return code;
}

// "" when the arguments are good, else what is wrong with them.
std::string ParseArguments(int argc, char** argv, Options* o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::printf("%s%s", Usage, Help);
            std::exit(0);
        }
        if (arg == "--mute") {
            o->mute = true;
            continue;
        }
        if (arg == "--stats") {
            o->stats = true;
            continue;
        }
        const bool takesValue = arg == "--dir" || arg == "--viewport" || arg == "--scale" || arg == "--rate"
            || arg == "--keys" || arg == "--record" || arg == "--frames" || arg == "--screenshot";
        if (!takesValue)
            return "unknown argument " + arg;
        if (i + 1 >= argc)
            return arg + " needs a value";
        const char* value = argv[++i];
        if (arg == "--dir")
            o->dir = value;
        else if (arg == "--keys")
            o->keys = value;
        else if (arg == "--record")
            o->record = value;
        else if (arg == "--screenshot")
            o->screenshot = value;
        else if (arg == "--viewport" && !ParseViewport(value, &o->width, &o->height))
            return "--viewport needs WxH, each 128..2048";
        else if (arg == "--scale" && !ParseCount(value, 1, &o->scale))
            return "--scale needs a whole factor of at least 1";
        else if (arg == "--rate" && !ParseCount(value, 0, &o->rate))
            return "--rate needs steps a second (0: as fast as it goes)";
        else if (arg == "--frames" && !ParseCount(value, 1, &o->frames))
            return "--frames needs a count of at least 1";
    }
    if (!o->keys.empty() && !o->record.empty())
        return "--keys and --record do not go together: a replay is recorded already";
    return "";
}

// Whether a file can be written at path, leaving an existing one as it is and no new one
// behind.
bool CanWrite(const std::string& path)
{
    const bool existed = access(path.c_str(), F_OK) == 0;
    FILE* file = std::fopen(path.c_str(), "ab");
    if (!file)
        return false;
    std::fclose(file);
    if (!existed)
        std::remove(path.c_str());
    return true;
}

// The view's virtual-key code for a key, 0 for keys the view leaves alone. Key codes, not
// scan codes: A and Z are the keys that type them, as on Windows.
int32_t ViewKeyOf(SDL_Keycode key)
{
    switch (key) {
    case SDLK_LEFT:
        return KeyLeft;
    case SDLK_RIGHT:
        return KeyRight;
    case SDLK_UP:
        return KeyUp;
    case SDLK_DOWN:
        return KeyDown;
    case SDLK_a:
        return KeyA;
    case SDLK_z:
        return KeyZ;
    default:
        return 0;
    }
}

// The folder the program was started in, where F12's screenshots go.
std::string StartFolder;

// The next free quarvel-NNNN.png there, "" when all are taken.
std::string NextScreenshotName()
{
    for (int n = 1; n <= 9999; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "quarvel-%04d.png", n);
        const std::string path = StartFolder + "/" + name;
        if (access(path.c_str(), F_OK) != 0)
            return path;
    }
    return "";
}

// F12: the frame on the screen, at the view's own size. frames: how many have been drawn.
void TakeScreenshot(int32_t frames)
{
    if (frames == 0)
        return;
    const std::string path = NextScreenshotName();
    std::string error;
    if (path.empty())
        std::fprintf(stderr, "quarvel-sdl: no free quarvel-NNNN.png name left in %s\n", StartFolder.c_str());
    else if (!WriteIndexedPng(path, RawFrame(), Projection.ProjXs, Projection.ProjZs, &error))
        std::fprintf(stderr, "quarvel-sdl: %s\n", error.c_str());
    else
        std::printf("quarvel-sdl: %s shows frame %d (quarvel-tool render --frames %d draws it)\n",
            path.c_str(), frames - 1, frames);
    std::fflush(stdout);
}

// The recording: its file, and the key lines of the frame being prepared, written once that
// frame is drawn so that a kill loses at most one frame and no line names a frame never drawn.
FILE* Recording = nullptr;
std::string RecordedLines;

void TakeViewKey(int32_t frame, bool down, int32_t key, bool ctrl)
{
    if (down)
        PressViewKey(key, ctrl);
    else
        ReleaseViewKey(key);
    if (Recording)
        RecordedLines += KeyScriptEvent(frame, down, key, ctrl);
}

void WriteRecordedLines()
{
    if (!Recording)
        return;
    std::fputs(RecordedLines.c_str(), Recording);
    std::fflush(Recording);
    RecordedLines.clear();
}

// Set while the window is minimized or hidden: nothing would show, so the program makes no
// frames and waits for events instead. Losing the keyboard does not stop it: the view keeps
// moving behind other windows.
bool Inactive = false;

// Handles the waiting events before frame `frame`; false when the program is to end.
bool HandleEvents(int32_t frame)
{
    SDL_Event event;
    while (Inactive ? SDL_WaitEvent(&event) : SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT)
            return false; // the window's close: the tune is stopped on the way out
        if (event.type == SDL_WINDOWEVENT) {
            const uint8_t what = event.window.event;
            if (what == SDL_WINDOWEVENT_MINIMIZED || what == SDL_WINDOWEVENT_HIDDEN)
                Inactive = true;
            else if (what == SDL_WINDOWEVENT_RESTORED || what == SDL_WINDOWEVENT_SHOWN)
                Inactive = false;
        }
        if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP)
            continue;
        const SDL_Keysym& key = event.key.keysym;
        if (event.type == SDL_KEYUP) {
            if (const int32_t viewKey = ViewKeyOf(key.sym))
                TakeViewKey(frame, false, viewKey, false);
            continue;
        }
        if (key.sym == SDLK_ESCAPE) {
            PlayEffect(-1);
            StopMusic();
            return false;
        }
        const bool enter = key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER;
        if (!event.key.repeat && (key.sym == SDLK_F11 || (enter && (key.mod & KMOD_ALT))))
            ToggleFullScreen();
        else if (key.sym == SDLK_F12 && !event.key.repeat)
            TakeScreenshot(frame);
        // Every press counts once, auto-repeats included, and reads Ctrl afresh: a held
        // turn changes speed when Ctrl goes down or up.
        else if (const int32_t viewKey = ViewKeyOf(key.sym))
            TakeViewKey(frame, true, viewKey, (key.mod & KMOD_CTRL) != 0);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    SDL_SetMainReady();
    Options options;
    const std::string wrong = ParseArguments(argc, argv, &options);
    if (!wrong.empty())
        return UsageError(wrong);

    std::string error;
    KeyScript script;
    if (!options.keys.empty() && !LoadKeyScript(options.keys, &script, &error))
        return Failure(error, 1);
    const std::vector<KeyEvent>& events = script.events;
    if (options.frames == 0)
        options.frames = script.end;
    if (options.width == 0)
        options.width = script.width, options.height = script.height;
    StartFolder = std::filesystem::current_path().string();
    if (!options.record.empty()) {
        Recording = std::fopen(options.record.c_str(), "wb");
        if (!Recording)
            return Failure("cannot write " + options.record, 1);
    }
    // Named relative to where we were started, not to the data folder, and found writable
    // now rather than after the whole run.
    if (!options.screenshot.empty()) {
        options.screenshot = std::filesystem::absolute(options.screenshot).string();
        if (!CanWrite(options.screenshot))
            return Failure("cannot write " + options.screenshot, 1);
    }
    if (chdir(options.dir.c_str()) != 0)
        return Failure("cannot enter " + options.dir, 1);

    // The start-up steps in the Windows program's order: palette, window, configuration, sound.
    RgbColour file[256];
    if (!LoadPalFile("sc/nosystem.pal", file))
        return Failure("cannot read the palette sc/nosystem.pal", PaletteFailed);
    const RgbPalette palette = MakeProgramPalette(file);
    if (!InitVideo(&error))
        return Failure(error, WindowFailed);
    if (!OpenDataFolder(".", &error)) {
        CloseScreen();
        return Failure(error, ConfigFailed);
    }
    if (script.haveView)
        PlaceViewer(script.view[0], script.view[1], script.view[2], script.view[3] & 1023);
    int32_t width = options.width, height = options.height;
    if (!ChooseViewSize(&width, &height, &error)) {
        std::string ignored;
        CloseScreen();
        CloseDataFolder(&ignored);
        return Failure(error, ConfigFailed);
    }
    StartView(width, height);
    if (Recording) {
        const int32_t start[4] = { ViewPoint.x, ViewPoint.y, ViewPoint.height, ViewPoint.angle };
        std::fprintf(Recording,
            "# recorded by quarvel-sdl; replay: quarvel-sdl --keys FILE, or\n"
            "# quarvel-tool render --dir DIR --keys FILE --out last.png for its last frame\n");
        std::fputs(KeyScriptHeader(width, height, start).c_str(), Recording);
        std::fflush(Recording);
    }
    if (!OpenScreen(width, height, options.scale, palette, &error)) {
        CloseDataFolder(&error);
        return Failure(error, WindowFailed);
    }
    OpenAudio(options.mute);
    LoadSoundBank();
    PlayEffect(1);
    StartMusic();

    using Clock = std::chrono::steady_clock;
    const Clock::duration period = options.rate
        ? std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(1000000000 / options.rate))
        : Clock::duration::zero();
    const Clock::time_point started = Clock::now();
    Clock::time_point next = started;
    int32_t frame = 0;
    size_t nextEvent = 0;
    while (HandleEvents(frame)) {
        nextEvent = PlayKeyEvents(events, nextEvent, frame);
        StepAndDrawFrame(BufferPresenter);
        WriteRecordedLines();
        PresentScreen(FrameBuffer(), FramePitch());
        // Sleep to the next step's time, the last frame's included, so that N frames take N
        // periods; a program fallen behind by more than a step starts afresh from now rather
        // than running fast to catch up.
        if (period != Clock::duration::zero()) {
            next += period;
            const Clock::time_point now = Clock::now();
            if (next > now)
                std::this_thread::sleep_until(next);
            else if (now - next > period)
                next = now;
        }
        if (++frame == options.frames)
            break;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    const std::string renderer = ScreenRendererName();
    if (nextEvent < events.size())
        std::fprintf(stderr, "quarvel-sdl: warning: key events from line %d on lie beyond the last frame\n",
            events[nextEvent].line);

    int status = 0;
    if (Recording) {
        RecordedLines.clear(); // keys of a frame never drawn
        if (frame > 0)
            std::fputs(KeyScriptEnd(frame).c_str(), Recording);
        if (std::fclose(Recording) != 0)
            status = Failure("cannot write " + options.record, 1);
        Recording = nullptr;
    }
    if (!options.screenshot.empty()
        && !WriteIndexedPng(options.screenshot, RawFrame(), width, height, &error))
        status = Failure(error, 1);
    StopMusic();
    FreeSoundBank();
    CloseAudio();
    CloseScreen();
    if (!CloseDataFolder(&error))
        status = Failure(error, 1);
    SDL_Quit();
    if (options.stats)
        std::printf(
            "quarvel-sdl: %d frames in %.3f s, %.1f frames a second, %dx%d, renderer %s, view %d,%d,%d,%d\n",
            frame, seconds, seconds > 0 ? frame / seconds : 0.0, width, height, renderer.c_str(), ViewPoint.x,
            ViewPoint.y, ViewPoint.height, ViewPoint.angle);
    return status;
}
