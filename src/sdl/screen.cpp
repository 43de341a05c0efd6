// The native window: the 8-bit frame through the program palette, scaled by whole factors.
#include "sdl/screen.h"

#include <SDL.h>

#include <cstdio>

#include "render/palette.h"

namespace {

const char WindowTitle[] = "Quarvel 8-bit software engine test. Esc ends the program";

SDL_Window* Window = nullptr;
SDL_Renderer* Renderer = nullptr;
SDL_Texture* Texture = nullptr;
int32_t FrameWidth = 0;
int32_t FrameHeight = 0;
uint32_t Colours[256]; // palette index to the texture's XRGB8888

std::string Reason(const char* what)
{
    return std::string(what) + ": " + SDL_GetError();
}

// The largest whole factor at which the frame fits the usable desktop, at least 1; 0 when
// the desktop's size cannot be had.
int32_t FittingScale(int32_t width, int32_t height)
{
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0)
        return 0;
    const int32_t scale = SDL_min(usable.w / width, usable.h / height);
    return scale < 1 ? 1 : scale;
}

// Drivers that run without showing anything: SDL falls back to them when no display answers.
bool ShowsNoWindow(const char* driver)
{
    return driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
}

} // namespace

bool InitVideo(std::string* error)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *error = Reason("no display");
        return false;
    }
    // A driver that shows nothing is taken only when asked for by name (SDL_VIDEODRIVER), as a
    // measurement does; a program that fell back to it would run unseen and never end.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!ShowsNoWindow(driver))
        return true;
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (asked && SDL_strcasecmp(asked, driver) == 0) {
        std::fprintf(stderr, "quarvel-sdl: the %s video driver shows no window\n", driver);
        return true;
    }
    *error = std::string("no display: only the ") + driver + " video driver would run, which shows no window";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
}

bool OpenScreen(int32_t width, int32_t height, int32_t scale, const RgbPalette& palette, std::string* error)
{
    const int32_t fitting = FittingScale(width, height);
    if (scale == 0)
        scale = fitting ? fitting : 1;
    else if (fitting && scale > fitting) {
        std::fprintf(stderr, "quarvel-sdl: a %dx%d view at --scale %d does not fit the desktop; using %d\n",
            width, height, scale, fitting);
        scale = fitting;
    }
    Window = SDL_CreateWindow(WindowTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width * scale,
        height * scale, SDL_WINDOW_RESIZABLE);
    if (!Window) {
        *error = Reason("cannot open a window");
        return false;
    }
    // No vertical sync: the frame rate is ours to keep, and --rate 0 must not wait for it.
    Renderer = SDL_CreateRenderer(Window, -1, 0);
    // After the renderer: an OpenGL renderer makes the X window anew, without the old hints.
    SDL_SetWindowMinimumSize(Window, width, height);
    if (Renderer) {
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        Texture
            = SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
    }
    if (!Texture) {
        *error = Reason("cannot draw into the window");
        CloseScreen();
        return false;
    }
    // The logical size keeps the picture centred with black bars; whole factors keep every
    // frame pixel the same number of screen pixels.
    SDL_RenderSetLogicalSize(Renderer, width, height);
    SDL_RenderSetIntegerScale(Renderer, SDL_TRUE);
    FrameWidth = width;
    FrameHeight = height;
    for (int i = 0; i < 256; ++i) {
        const RgbColour& c = palette.entries[i];
        Colours[i] = uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
    }
    return true;
}

void PresentScreen(const uint8_t* pixels, int32_t pitch)
{
    void* texels;
    int texturePitch;
    if (SDL_LockTexture(Texture, nullptr, &texels, &texturePitch) == 0) {
        for (int32_t row = 0; row < FrameHeight; ++row) {
            const uint8_t* from = pixels + size_t(row) * pitch;
            uint32_t* to
                = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(texels) + size_t(row) * texturePitch);
            for (int32_t x = 0; x < FrameWidth; ++x)
                to[x] = Colours[from[x]];
        }
        SDL_UnlockTexture(Texture);
    }
    SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
    SDL_RenderClear(Renderer);
    SDL_RenderCopy(Renderer, Texture, nullptr, nullptr);
    SDL_RenderPresent(Renderer);
}

const char* ScreenRendererName()
{
    SDL_RendererInfo info;
    return Renderer && SDL_GetRendererInfo(Renderer, &info) == 0 ? info.name : "none";
}

void ToggleFullScreen()
{
    const bool full = (SDL_GetWindowFlags(Window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    SDL_SetWindowFullscreen(Window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void CloseScreen()
{
    if (Texture)
        SDL_DestroyTexture(Texture);
    if (Renderer)
        SDL_DestroyRenderer(Renderer);
    if (Window)
        SDL_DestroyWindow(Window);
    Texture = nullptr;
    Renderer = nullptr;
    Window = nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
