// The program palette and the window presenter: an 8-bit top-down bitmap section in a
// memory device context, copied to the view window once per frame.
#include "win32/display/win32_display.h"

#include "base/settings.h"
#include "base/sys.h"
#include "render/palette.h"
#include "win32/shell/win32_shell.h"

HPALETTE(WINAPI* CreatePaletteFunction)(const LOGPALETTE* palette) = CreatePalette;
int32_t PaletteStatus = -1;
int32_t MemoryDCStatus = -1;
ProgramPaletteRecord ProgramPalette;
HPALETTE ProgramPaletteHandle = nullptr;
HDC MemoryDC = nullptr;

namespace {

// The bitmap description: header and colour table back to back.
struct DibDescription {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};
DibDescription Dib;

HBITMAP Section = nullptr;
HGDIOBJ PreviousBitmap = nullptr;
uint8_t* SectionPixels = nullptr;

int32_t RoundedWidth()
{
    return (Projection.ProjXs + 3) & ~3;
}

} // namespace

int InitPalette()
{
    RgbColour file[256];
    if (!LoadPalFile("sc\\nosystem.pal", file))
        return -1;

    ProgramPalette.version = 0x300;
    ProgramPalette.count = 256;
    for (int i = FirstPictureColour; i <= LastPictureColour; ++i)
        ProgramPalette.entries[i] = { file[i].r, file[i].g, file[i].b, PC_RESERVED };
    HDC screen = GetDC(nullptr);
    GetSystemPaletteEntries(screen, 0, 10, ProgramPalette.entries);
    GetSystemPaletteEntries(screen, 246, 10, ProgramPalette.entries + 246);
    ReleaseDC(nullptr, screen);

    // Without the palette object the window view would stay black: a failed set-up step.
    ProgramPaletteHandle = CreatePaletteFunction(reinterpret_cast<LOGPALETTE*>(&ProgramPalette));
    if (!ProgramPaletteHandle) {
        SysMessageBox("CreatePalette() in InitPalette()", "function failed");
        return -2;
    }
    PaletteStatus = 0;
    return 0;
}

int FreePalette()
{
    if (PaletteStatus != 0)
        return PaletteStatus;
    DeleteObject(ProgramPaletteHandle);
    ProgramPaletteHandle = nullptr;
    PaletteStatus = -1;
    return 0;
}

int InitMemoryDC()
{
    HDC windowDC = GetDC(ViewWindow);
    MemoryDC = CreateCompatibleDC(windowDC);
    ReleaseDC(ViewWindow, windowDC);
    if (!MemoryDC)
        return -1;
    PALETTEENTRY entries[256] = {};
    GetPaletteEntries(ProgramPaletteHandle, 0, 256, entries);
    for (int i = 0; i < 256; ++i)
        Dib.colours[i] = { entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0 };
    MemoryDCStatus = 0;
    return 0;
}

int FreeMemoryDC()
{
    if (MemoryDCStatus != 0)
        return MemoryDCStatus;
    DeleteDC(MemoryDC);
    MemoryDC = nullptr;
    MemoryDCStatus = -1;
    return 0;
}

int InitWindowView()
{
    RECT outer, client;
    GetWindowRect(ViewWindow, &outer);
    GetClientRect(ViewWindow, &client);
    const int32_t extraW = (outer.right - outer.left) - (client.right - client.left);
    const int32_t extraH = (outer.bottom - outer.top) - (client.bottom - client.top);
    MoveWindow(ViewWindow, 0, 0, Projection.ProjXs + extraW, Projection.ProjZs + extraH, FALSE);
    if (Launcher)
        CentreWindow(ViewWindow, Launcher);

    Dib.header = {};
    Dib.header.biSize = sizeof(BITMAPINFOHEADER);
    Dib.header.biWidth = RoundedWidth();
    Dib.header.biHeight = -Projection.ProjZs; // rows run top-down
    Dib.header.biPlanes = 1;
    Dib.header.biBitCount = 8;
    Dib.header.biCompression = BI_RGB;
    Dib.header.biSizeImage = DWORD(Projection.ProjZs * RoundedWidth());

    void* bits = nullptr;
    Section
        = CreateDIBSection(MemoryDC, reinterpret_cast<BITMAPINFO*>(&Dib), DIB_RGB_COLORS, &bits, nullptr, 0);
    // Frames must never be drawn into a section that was not made: say so, and report it so
    // that the view does not start.
    if (!Section) {
        SysMessageBox("CreateDIBSection() in InitWindowView()", "function failed");
        return -1;
    }
    SectionPixels = static_cast<uint8_t*>(bits);
    PreviousBitmap = SelectObject(MemoryDC, Section);
    return 0;
}

void CloseWindowView()
{
    if (!Section)
        return;
    SelectObject(MemoryDC, PreviousBitmap);
    DeleteObject(Section);
    Section = nullptr;
    SectionPixels = nullptr;
}

FrameTarget WindowFrameTarget()
{
    return { SectionPixels, RoundedWidth() };
}

int PresentWindow()
{
    HDC windowDC = GetDC(ViewWindow);
    HPALETTE previous = SelectPalette(windowDC, ProgramPaletteHandle, FALSE);
    BitBlt(windowDC, 0, 0, RoundedWidth(), Projection.ProjZs, MemoryDC, 0, 0, SRCCOPY);
    GdiFlush();
    SelectPalette(windowDC, previous, FALSE);
    ReleaseDC(ViewWindow, windowDC);
    return 0;
}

void ReactivateWindow()
{
    HDC windowDC = GetDC(ViewWindow);
    HPALETTE previous = SelectPalette(windowDC, ProgramPaletteHandle, FALSE);
    UnrealizeObject(ProgramPaletteHandle);
    RealizePalette(windowDC);
    SelectPalette(windowDC, previous, FALSE);
    ReleaseDC(ViewWindow, windowDC);
}
