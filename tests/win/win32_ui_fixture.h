// The launcher made from the test program's own resources, with a fake catalogue and logged presenters.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "render/trig.h"
#include "win32/app/win32_frame.h"
#include "win32/app/win32_program.h"
#include "win32/sound/win32_music.h"
#include "win32/ui/win32_launcher.h"

#include "win32_display_fakes.h"

namespace ui_test {

// The presenters, the music and the reactivation log what they were asked; presenters fail on request.
inline int PresenterResult = 0;
inline int LogPresenter(const char* which)
{
    Log.push_back(std::string(which) + " " + std::to_string(Projection.ProjXs) + "x"
        + std::to_string(Projection.ProjZs) + (IsWindowVisible(ViewWindow) ? "" : " unseen"));
    return PresenterResult;
}
inline Calls Started(const std::string& presenter)
{
    return { presenter, "music open sequencer!mus\\3d.mid alias midifile", "music play midifile from 0",
        "reactivate" };
}
const Calls MusicStopped = { "music stop midifile", "music close midifile" };
const char Limitation[] = "program limitation: only 8-bit modes from 128x128 to 2048x2048 are supported now";

inline std::string Text(HWND window)
{
    char text[4096];
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Handles every waiting message; true when a quit was among them, its code in *code.
inline bool DrainMessages(WPARAM* code = nullptr)
{
    bool quit = false;
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) {
        if (message.message == WM_QUIT && (quit = true) && code)
            *code = message.wParam;
        DispatchMessageA(&message);
    }
    return quit;
}

class LauncherTest : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        keep(Launcher), keep(CurrentPage), keep(JumpToDX), keep(ScrUseXs), keep(ScrUseZs), keep(SelectedMode);
        keep(RunFlags), keep(DesktopWidth), keep(DesktopHeight), keep(ModeCatalogue), keep(ModeCount);
        keep(MusicCommand), keep(ReactivateDisplayFunction), keep(InitFullScreenFunction);
        keep(InitWindowViewFunction), keep(RenderFrameFunction);
        for (TabPage& page : TabPages)
            keep(page);
        MusicCommand = [](const char* command) { Log.push_back(std::string("music ") + command); };
        ReactivateDisplayFunction = [] { Log.push_back("reactivate"); };
        InitFullScreenFunction = [] { return LogPresenter("full screen"); };
        InitWindowViewFunction = [] { return LogPresenter("window"); };
        PresenterResult = 0, JumpToDX = 0, ScrUseXs = 320, ScrUseZs = 240;
        DesktopWidth = 1024, DesktopHeight = 768;
        RunFlags = RunFlagClosed;
        UseCatalogue({ Mode(320, 200, 8), Mode(640, 480, 8), Mode(640, 480, 16), Mode(800, 600, 8),
            Mode(1024, 768, 8) });
        ASSERT_EQ(InitViewWindow(GetModuleHandleA(nullptr)), 0);
    }
    void TearDown() override
    {
        if (launcher)
            DestroyWindow(launcher);
        FreeViewWindow();
        DrainMessages();
        DisplayTest::TearDown();
    }
    void UseCatalogue(std::vector<DDSURFACEDESC> modes)
    {
        catalogue = std::move(modes);
        ModeCatalogue = catalogue.empty() ? nullptr : catalogue.data();
        ModeCount = int32_t(catalogue.size());
    }
    HWND OpenLauncher()
    {
        if (launcher)
            DestroyWindow(launcher);
        Launcher = launcher
            = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(104), nullptr, LauncherDialogProc, 0);
        return launcher;
    }
    HWND Tab() const { return GetDlgItem(launcher, 1011); }
    HWND Control(int id) const { return GetDlgItem(CurrentPage, id); }
    // As a click does: the selection moves, then the launcher is told.
    void ChooseTab(int position)
    {
        SendMessageA(Tab(), TCM_SETCURSEL, WPARAM(position), 0);
        NMHDR header = { Tab(), 1011, UINT(TCN_SELCHANGE) };
        SendMessageA(launcher, WM_NOTIFY, 1011, LPARAM(&header));
    }
    void Press(HWND dialog, int id)
    {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
    }

    HWND launcher = nullptr;
    std::vector<DDSURFACEDESC> catalogue;
};

} // namespace ui_test
