// What the launcher's tests share: a fake mode catalogue, recording presenters, message boxes
// and music, the settings put back after each test, and readers of dialog controls.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/settings.h"
#include "app/sys.h"
#include "app/win32_program.h"
#include "app/win32_view_window.h"
#include "display/win32_display.h"
#include "render/trig.h"
#include "sound/win32_music.h"
#include "ui/win32_launcher.h"

namespace ui_test {

inline DDSURFACEDESC Mode(DWORD width, DWORD height, DWORD bits)
{
    DDSURFACEDESC mode = {};
    mode.dwSize = sizeof mode;
    mode.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    mode.dwWidth = width;
    mode.dwHeight = height;
    mode.lPitch = LONG(width * bits / 8);
    mode.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    mode.ddpfPixelFormat.dwFlags = bits == 8 ? DDPF_RGB | DDPF_PALETTEINDEXED8 : DDPF_RGB;
    mode.ddpfPixelFormat.dwRGBBitCount = bits;
    return mode;
}

inline std::vector<std::string>& Boxes()
{
    static std::vector<std::string> boxes;
    return boxes;
}
inline int RecordBox(const char* text, const char* caption)
{
    Boxes().push_back(std::string(caption) + ": " + text);
    return IDOK;
}

inline std::vector<std::string>& Music()
{
    static std::vector<std::string> music;
    return music;
}
inline void RecordMusic(const char* command)
{
    Music().push_back(command);
}

// What a fake presenter saw: which one was called, and the viewport it was given.
struct PresenterCall {
    const char* which;
    int32_t projXs, projZs;
    bool viewShown;
};
inline std::vector<PresenterCall>& PresenterCalls()
{
    static std::vector<PresenterCall> calls;
    return calls;
}
inline int& PresenterResult()
{
    static int result = 0;
    return result;
}
inline int FakeFullScreen()
{
    PresenterCalls().push_back(
        { "full screen", Projection.ProjXs, Projection.ProjZs, IsWindowVisible(ViewWindow) != 0 });
    return PresenterResult();
}
inline int FakeWindowView()
{
    PresenterCalls().push_back(
        { "window", Projection.ProjXs, Projection.ProjZs, IsWindowVisible(ViewWindow) != 0 });
    return PresenterResult();
}

inline int& Reactivations()
{
    static int count = 0;
    return count;
}
inline void CountReactivation()
{
    ++Reactivations();
}

inline std::string Text(HWND window)
{
    char text[4096];
    GetWindowTextA(window, text, sizeof text);
    return text;
}
inline std::string ItemText(HWND dialog, int id)
{
    return Text(GetDlgItem(dialog, id));
}

inline std::vector<std::string> ListLines(HWND list)
{
    std::vector<std::string> lines;
    const int count = int(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char line[256];
        SendMessageA(list, LB_GETTEXT, WPARAM(i), LPARAM(line));
        lines.push_back(line);
    }
    return lines;
}

inline std::vector<std::string> TabNames(HWND tab)
{
    std::vector<std::string> names;
    const int count = int(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char name[64] = {};
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = name;
        item.cchTextMax = sizeof name;
        SendMessageA(tab, TCM_GETITEMA, WPARAM(i), LPARAM(&item));
        names.push_back(name);
    }
    return names;
}

// Every window message waiting for this thread is handled; true when a quit message was among
// them, with its code in *code.
inline bool DrainMessages(WPARAM* code = nullptr)
{
    bool quit = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            if (code)
                *code = message.wParam;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return quit;
}

// A launcher made from the test program's own resource 104, as the program makes it, with the
// settings, the catalogue and the replaceable calls of the tests.
class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedSettings = { JumpToDX, WinGStyle, LastModeXs, LastModeZs, ScrUseXs, ScrUseZs };
        savedSelected = SelectedMode;
        savedProjection = Projection;
        savedRunFlags = RunFlags;
        savedDesktop = { DesktopWidth, DesktopHeight };
        savedCatalogue = ModeCatalogue;
        savedCount = ModeCount;
        for (int i = 0; i <= TabPageCount; ++i)
            savedTable[i] = TabPages[i];
        savedBox = SysMessageBox;
        savedMusic = MusicCommand;
        savedReactivate = ReactivateDisplayFunction;
        savedFullScreen = InitFullScreenFunction;
        savedWindowView = InitWindowViewFunction;

        SysMessageBox = RecordBox;
        MusicCommand = RecordMusic;
        ReactivateDisplayFunction = CountReactivation;
        InitFullScreenFunction = FakeFullScreen;
        InitWindowViewFunction = FakeWindowView;
        Boxes().clear();
        Music().clear();
        PresenterCalls().clear();
        PresenterResult() = 0;
        Reactivations() = 0;

        JumpToDX = 0;
        WinGStyle = 0;
        LastModeXs = 640;
        LastModeZs = 480;
        ScrUseXs = 320;
        ScrUseZs = 240;
        DesktopWidth = 1024;
        DesktopHeight = 768;
        RunFlags = 0xFFFFFFFF;
        UseCatalogue({ Mode(320, 200, 8), Mode(640, 480, 8), Mode(640, 480, 16), Mode(800, 600, 8),
            Mode(1024, 768, 8) });
        ASSERT_EQ(InitViewWindow(GetModuleHandleA(nullptr)), 0);
    }

    void TearDown() override
    {
        CloseLauncher();
        FreeViewWindow();
        DrainMessages();
        JumpToDX = savedSettings[0];
        WinGStyle = savedSettings[1];
        LastModeXs = savedSettings[2];
        LastModeZs = savedSettings[3];
        ScrUseXs = savedSettings[4];
        ScrUseZs = savedSettings[5];
        SelectedMode = savedSelected;
        Projection = savedProjection;
        RunFlags = savedRunFlags;
        DesktopWidth = savedDesktop[0];
        DesktopHeight = savedDesktop[1];
        ModeCatalogue = savedCatalogue;
        ModeCount = savedCount;
        for (int i = 0; i <= TabPageCount; ++i)
            TabPages[i] = savedTable[i];
        SysMessageBox = savedBox;
        MusicCommand = savedMusic;
        ReactivateDisplayFunction = savedReactivate;
        InitFullScreenFunction = savedFullScreen;
        InitWindowViewFunction = savedWindowView;
    }

    void UseCatalogue(std::vector<DDSURFACEDESC> modes)
    {
        catalogue = std::move(modes);
        ModeCatalogue = catalogue.empty() ? nullptr : catalogue.data();
        ModeCount = int32_t(catalogue.size());
    }

    HWND OpenLauncher()
    {
        CloseLauncher();
        launcher = CreateDialogParamA(
            GetModuleHandleA(nullptr), MAKEINTRESOURCEA(104), nullptr, LauncherDialogProc, 0);
        Launcher = launcher;
        return launcher;
    }

    void CloseLauncher()
    {
        if (launcher)
            DestroyWindow(launcher);
        launcher = nullptr;
        Launcher = nullptr;
    }

    HWND Tab() const { return GetDlgItem(launcher, 1011); }

    // Chooses a tab as a click does: the selection moves, then the launcher is told.
    void ChooseTab(int position)
    {
        SendMessageA(Tab(), TCM_SETCURSEL, WPARAM(position), 0);
        NMHDR header = { Tab(), 1011, UINT(TCN_SELCHANGE) };
        SendMessageA(launcher, WM_NOTIFY, 1011, LPARAM(&header));
    }

    void PressGo()
    {
        SendMessageA(launcher, WM_COMMAND, MAKEWPARAM(1009, BN_CLICKED), LPARAM(GetDlgItem(launcher, 1009)));
    }

    HWND launcher = nullptr;
    std::vector<DDSURFACEDESC> catalogue;

private:
    std::vector<int32_t> savedSettings;
    int32_t savedSelected;
    ProjectionValues savedProjection;
    uint32_t savedRunFlags;
    std::vector<int32_t> savedDesktop;
    DDSURFACEDESC* savedCatalogue;
    int32_t savedCount;
    TabPage savedTable[TabPageCount + 1];
    MessageBoxFunction savedBox;
    void (*savedMusic)(const char*);
    void (*savedReactivate)();
    int (*savedFullScreen)();
    int (*savedWindowView)();
};

} // namespace ui_test
