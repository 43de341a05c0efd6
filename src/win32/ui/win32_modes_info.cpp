// The video-modes dialog: one catalogue entry's surface description as text, browsed with
// Previous and Next.
#include "win32/ui/win32_modes_info.h"

#include "base/alloc.h"
#include "win32/display/win32_display.h"
#include "win32/shell/win32_shell.h"

int32_t InfoModeIndex = 0;

namespace {

constexpr int TextId = 1013;
constexpr int CloseId = 1014;
constexpr int PreviousId = 1015;
constexpr int NextId = 1016;
constexpr uint32_t TextBufferSize = 32768;

// Appends one formatted line; wsprintfA writes at most 1024 characters a call, far more than
// any line of the report needs.
template <typename... Values> char* Line(char* out, const char* format, Values... values)
{
    return out + wsprintfA(out, format, values...);
}

void WriteReport(char* out, int32_t index, const DDSURFACEDESC& mode)
{
    const DDPIXELFORMAT& pixels = mode.ddpfPixelFormat;
    out = Line(out, "Mode Index: %d (%lux%ldx%lu)\r\n", index, mode.dwWidth, LONG(mode.dwHeight),
        pixels.dwRGBBitCount);
    out = Line(out, "\r\nSurface Description:\r\n");
    out = Line(out, "structure size: %ld\r\n", LONG(mode.dwSize));
    out = Line(out, "flags: %lX\r\n", mode.dwFlags);
    out = Line(out, "height=%lu, width=%lu, pitch=%lu\r\n", mode.dwHeight, mode.dwWidth, DWORD(mode.lPitch));
    out = Line(out, "back buffer: %lu\r\n", mode.dwBackBufferCount);
    out = Line(
        out, "Z-buffer depth: %lu, alpha depth: %lu\r\n", mode.dwZBufferBitDepth, mode.dwAlphaBitDepth);
    // wsprintfA has no 64-bit conversion: a pointer past 4 GiB is written as two halves.
    const uint64_t surface = reinterpret_cast<uintptr_t>(mode.lpSurface);
    if (surface >> 32)
        out = Line(out, "surface pointer: %lX%08lX\r\n", DWORD(surface >> 32), DWORD(surface));
    else
        out = Line(out, "surface pointer: %lX\r\n", DWORD(surface));
    out = Line(out, "\r\nColor Keys:\r\n");
    out = Line(out, "destination overlay: %lX to %lX\r\n", mode.ddckCKDestOverlay.dwColorSpaceLowValue,
        mode.ddckCKDestOverlay.dwColorSpaceHighValue);
    out = Line(out, "destination blt: %lX to %lX\r\n", mode.ddckCKDestBlt.dwColorSpaceLowValue,
        mode.ddckCKDestBlt.dwColorSpaceHighValue);
    out = Line(out, "source overlay: %lX to %lX\r\n", mode.ddckCKSrcOverlay.dwColorSpaceLowValue,
        mode.ddckCKSrcOverlay.dwColorSpaceHighValue);
    out = Line(out, "source blt: %lX to %lX\r\n", mode.ddckCKSrcBlt.dwColorSpaceLowValue,
        mode.ddckCKSrcBlt.dwColorSpaceHighValue);
    out = Line(out, "\r\nPixel Format:\r\n");
    out = Line(out, "structure size: %lu\r\n", pixels.dwSize);
    out = Line(out, "flags: %lX\r\n", pixels.dwFlags);
    out = Line(out, "FOURCC code: %lX\r\n", pixels.dwFourCC);
    out = Line(out, "bit depth: %lu\r\n", pixels.dwRGBBitCount);
    out = Line(out, "RY bit mask: %lX\r\n", pixels.dwRBitMask);
    out = Line(out, "GU bit mask: %lX\r\n", pixels.dwGBitMask);
    out = Line(out, "BV bit mask: %lX\r\n", pixels.dwBBitMask);
    out = Line(out, "alpha bit mask: %lX\r\n", pixels.dwRGBAlphaBitMask);
    Line(out, "\r\nSurface Capability Flag: %lX\r\n", mode.ddsCaps.dwCaps);
}

void Step(HWND dialog, int32_t step)
{
    if (ModeCount <= 0)
        return; // nothing to step through; the first (empty) showing stays
    InfoModeIndex += step;
    if (InfoModeIndex == -1)
        InfoModeIndex = ModeCount - 1;
    else if (InfoModeIndex == ModeCount)
        InfoModeIndex = 0;
    ShowModeInfo(dialog, InfoModeIndex);
}

} // namespace

int ShowModeInfo(HWND dialog, int32_t index)
{
    HWND text = GetDlgItem(dialog, TextId);
    // An empty catalogue has nothing to report, and no entry may be read past its end.
    const DDSURFACEDESC* mode = CatalogueEntry(index);
    if (!mode) {
        SetWindowTextA(text, "");
        return -1;
    }
    char* buffer = static_cast<char*>(AllocBlock(TextBufferSize));
    if (!buffer) {
        SetWindowTextA(text, "can't allocate memory for text buffer");
        return -1;
    }
    WriteReport(buffer, index, *mode);
    SetWindowTextA(text, buffer);
    FreeBlock(buffer);
    return 0;
}

INT_PTR CALLBACK ModesInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        HWND owner = GetWindow(dialog, GW_OWNER);
        CentreWindow(dialog, owner ? owner : GetDesktopWindow());
        InfoModeIndex = 0;
        ShowModeInfo(dialog, 0);
        return 1;
    }
    case WM_COMMAND:
        // A button click carries notification 0, so the whole wParam is the button id; Escape's
        // cancel command is none of them and leaves the dialog open.
        switch (wParam) {
        case CloseId:
            PostMessageA(dialog, WM_CLOSE, 0, 0);
            return 1;
        case PreviousId:
            Step(dialog, -1);
            return 1;
        case NextId:
            Step(dialog, 1);
            return 1;
        default:
            return 0;
        }
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return 1;
    default:
        return 0;
    }
}
