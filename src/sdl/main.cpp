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
#include "render/palette.h"
#include "sdl/audio.h"
#include "sdl/screen.h"
#include "sound/sound.h"
#include "world/viewpoint.h"

namespace {

// The exit codes of the start-up steps, as the Windows program has them.
constexpr int PaletteFailed = -5;
constexpr int WindowFailed = -1;
constexpr int ConfigFailed = -3;

const char Usage[] = "usage: quarvel-sdl [--dir DIR] [--viewport WxH] [--scale N] [--rate N] [--keys FILE]\n"
                     "                   [--frames N] [--screenshot FILE.png] [--mute] [--stats]\n";
const char Help[] = "  --dir DIR          the data folder with fc.ini, sc/, snd/, mus/ (default: here)\n"
                    "  --viewport WxH     the view's size, 128..2048 each (default: fc.ini's screen usage)\n"
                    "  --scale N          window at N times the view (default: the largest that fits)\n"
                    "  --rate N           world steps a second (default 60; 0: as fast as it goes)\n"
                    "  --keys FILE        replay a key script in the format of quarvel-tool render\n"
                    "  --frames N         end with 0 after N frames\n"
                    "  --screenshot FILE  write the last frame as PNG\n"
                    "  --mute             no sound, no music\n"
                    "  --stats            print frames and seconds at the end\n"
                    "keys: arrows walk and turn (Ctrl: single steps), A and Z raise and lower the eye,\n"
                    "      F11 or Alt+Enter full screen, Escape ends\n";

struct Options {
    std::string dir = ".";
    int32_t width = 0, height = 0; // 0: the screen usage of fc.ini
    int32_t scale = 0; // 0: the largest whole factor that fits the desktop
    int32_t rate = 60; // world steps a second; 0 uncapped
    int32_t frames = 0; // 0: until Escape or the window's close
    std::string keys, screenshot;
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
            || arg == "--keys" || arg == "--frames" || arg == "--screenshot";
        if (!takesValue)
            return "unknown argument " + arg;
        if (i + 1 >= argc)
            return arg + " needs a value";
        const char* value = argv[++i];
        if (arg == "--dir")
            o->dir = value;
        else if (arg == "--keys")
            o->keys = value;
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
    return "";
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

// Set while the window is minimized or hidden: nothing would show, so the program makes no
// frames and waits for events instead. Losing the keyboard does not stop it: the view keeps
// moving behind other windows.
bool Inactive = false;

// Handles the waiting events; false when the program is to end.
bool HandleEvents()
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
                ReleaseViewKey(viewKey);
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
        // Every press counts once, auto-repeats included, and reads Ctrl afresh: a held
        // turn changes speed when Ctrl goes down or up.
        else if (const int32_t viewKey = ViewKeyOf(key.sym))
            PressViewKey(viewKey, (key.mod & KMOD_CTRL) != 0);
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
    std::vector<KeyEvent> events;
    if (!options.keys.empty() && !LoadKeyScript(options.keys, &events, &error))
        return Failure(error, 1);
    // Named relative to where we were started, not to the data folder.
    if (!options.screenshot.empty())
        options.screenshot = std::filesystem::absolute(options.screenshot).string();
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
    int32_t width = options.width, height = options.height;
    if (!ChooseViewSize(&width, &height, &error)) {
        std::string ignored;
        CloseScreen();
        CloseDataFolder(&ignored);
        return Failure(error, ConfigFailed);
    }
    StartView(width, height);
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
    while (HandleEvents()) {
        nextEvent = PlayKeyEvents(events, nextEvent, frame);
        StepAndDrawFrame(BufferPresenter);
        PresentScreen(FrameBuffer(), FramePitch());
        if (++frame == options.frames)
            break;
        if (period == Clock::duration::zero())
            continue;
        // Sleep to the next step's time; a program fallen behind by more than a step starts
        // afresh from now rather than running fast to catch up.
        next += period;
        const Clock::time_point now = Clock::now();
        if (next > now)
            std::this_thread::sleep_until(next);
        else if (now - next > period)
            next = now;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    const std::string renderer = ScreenRendererName();
    if (nextEvent < events.size())
        std::fprintf(stderr, "quarvel-sdl: warning: key events from line %d on lie beyond the last frame\n",
            events[nextEvent].line);

    int status = 0;
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
        std::printf("quarvel-sdl: %d frames in %.3f s, %.1f frames a second, %dx%d, renderer %s\n", frame,
            seconds, seconds > 0 ? frame / seconds : 0.0, width, height, renderer.c_str());
    return status;
}
