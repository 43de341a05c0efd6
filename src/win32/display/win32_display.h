// The display side of the start-up chain and the presenters' entry points.
#pragma once

#include <windows.h>

#include <ddraw.h>

#include <cstdint>

#include "render/trig.h"

extern int32_t PaletteStatus;
extern int32_t MemoryDCStatus;
extern int32_t ModeCatalogueStatus;

// The 256 program colours {red, green, blue, flags} behind both presenters.
struct ProgramPaletteRecord {
    WORD version;
    WORD count;
    PALETTEENTRY entries[256];
};
extern ProgramPaletteRecord ProgramPalette;
extern HPALETTE ProgramPaletteHandle;

// Builds the program palette from sc\nosystem.pal and the system's static colours.
// 0, -1 when the file cannot be opened, -2 when the palette object cannot be made.
int InitPalette();
// CreatePalette, replaceable so tests can make it fail.
extern HPALETTE(WINAPI* CreatePaletteFunction)(const LOGPALETTE* palette);
int FreePalette();

// The window presenter's memory device context and bitmap colour table. 0 or -1.
int InitMemoryDC();
int FreeMemoryDC();

// The display modes the driver offers: ModeCount descriptions, in the driver's order.
extern IDirectDraw* DirectDrawObject;
extern DDSURFACEDESC* ModeCatalogue;
extern int32_t ModeCount;
// InitModeCatalogue: 0; -1 no DirectDraw object or no temporary file; -2 enumeration
// failed; -3 no memory for the records (also when the driver offers no mode).
int InitModeCatalogue();
int FreeModeCatalogue();
// Catalogue entry index, or null when there is no such entry.
const DDSURFACEDESC* CatalogueEntry(int32_t index);
// Where the DirectDraw object comes from: DirectDrawCreate, or a test's fake.
extern HRESULT(WINAPI* DirectDrawCreateFunction)(GUID* driver, IDirectDraw** object, IUnknown* outer);

// The text of a DirectDraw result code; codes outside the table share one buffer.
const char* DDErrorText(uint32_t code);

// Window presenter: the bitmap section of the viewport size, made when the view starts.
// 0, or -1 when the section cannot be made (no frame may be drawn then).
int InitWindowView();
void CloseWindowView();
// The window presenter's frame target: the bitmap section's pixels, or null pixels.
FrameTarget WindowFrameTarget();
// The window presenter's halves of PresentFrame (copies the section to the view window;
// 0) and of ReactivateDisplay (re-maps the palette).
int PresentWindow();
void ReactivateWindow();
extern HDC MemoryDC;

// Full-screen presenter: an exclusive 8-bit mode of LastModeXs x LastModeZs with one back
// buffer. InitFullScreen returns 0 or the failing step's code (-1..-4, -6, -7).
int InitFullScreen();
// The primary's Restore result; with clear 1 both surfaces are also filled with colour 0.
int RestoreSurfaces(int clear);
// A colour fill with colour 0 (no source, no wait); the surface's result.
HRESULT FillBlack(IDirectDrawSurface* surface, RECT* rect);
// Safe when the full-screen view is not set up, and twice.
void CloseFullScreen();
// The flipping pair and the palette while the full-screen view is set up, null otherwise;
// tests hand in fakes here.
extern IDirectDrawSurface* PrimarySurface;
extern IDirectDrawSurface* BackSurface;
extern IDirectDrawPalette* FullScreenPalette;
extern int32_t FullScreenStatus;
// ShowCursor, replaceable so tests can count the hides and shows.
extern int(WINAPI* ShowCursorFunction)(BOOL show);
// The full-screen halves of PresentFrame (0 flipped, 1 lost and not restored, -1 other
// error) and of ReactivateDisplay.
int PresentFullScreen();
void ReactivateFullScreen();

// Shows the finished frame in the active presenter; 0 on success.
int PresentFrame();

// Re-maps the palette (window) or restores lost surfaces (full screen) before frames resume.
void ReactivateDisplay();
