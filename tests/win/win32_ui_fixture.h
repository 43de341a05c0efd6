// The launcher made from the test program's own resources, with a fake catalogue and logged presenters.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "render/trig.h"
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
inline Calls Started(const char* presenter)
{
    return { presenter, "music open sequencer!mus\\3d.mid alias midifile", "music play midifile from 0",
        "reactivate" };
}

inline std::string Text(HWND window)
{
    char text[4096];
    GetWindowTextA(window, text, sizeof text);
    return text;
}

inline Calls TabNames(HWND tab)
{
    Calls names;
    for (int i = 0; i < int(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0)); ++i) {
        char name[64] = {};
        TCITEMA item = { TCIF_TEXT, 0, 0, name, sizeof name, 0, 0 };
        SendMessageA(tab, TCM_GETITEMA, WPARAM(i), LPARAM(&item));
        names.push_back(name);
    }
    return names;
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
        keep(Launcher), keep(CurrentPage), keep(JumpToDX), keep(ScrUseXs), keep(ScrUseZs), keep(SelectedMode),
            keep(RunFlags);
        keep(DesktopWidth), keep(DesktopHeight), keep(ModeCatalogue), keep(ModeCount), keep(MusicCommand);
        keep(ReactivateDisplayFunction), keep(InitFullScreenFunction), keep(InitWindowViewFunction);
        for (TabPage& page : TabPages)
            keep(page);
        MusicCommand = [](const char* command) { Log.push_back(std::string("music ") + command); };
        ReactivateDisplayFunction = [] { Log.push_back("reactivate"); };
        InitFullScreenFunction = [] { return LogPresenter("full screen"); };
        InitWindowViewFunction = [] { return LogPresenter("window"); };
        PresenterResult = 0;
        JumpToDX = 0;
        ScrUseXs = 320, ScrUseZs = 240;
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
        Launcher = launcher = CreateDialogParamA(
            GetModuleHandleA(nullptr), MAKEINTRESOURCEA(104), nullptr, LauncherDialogProc, 0);
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
    void PressGo()
    {
        SendMessageA(launcher, WM_COMMAND, MAKEWPARAM(1009, BN_CLICKED), LPARAM(GetDlgItem(launcher, 1009)));
    }
    void ChooseLine(int line)
    {
        SendMessageA(Control(1004), LB_SETCURSEL, WPARAM(line), 0);
        SendMessageA(CurrentPage, WM_COMMAND, MAKEWPARAM(1004, LBN_SELCHANGE), LPARAM(Control(1004)));
    }
    void Drag(int bar, int32_t position)
    {
        SendMessageA(Control(bar), TBM_SETPOS, TRUE, position);
        SendMessageA(CurrentPage, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), LPARAM(Control(bar)));
    }
    // The usage in the settings, on the trackbars and in their labels, of a mode of modeXs x modeZs.
    void ExpectUsage(int32_t xs, int32_t zs, int32_t modeXs, int32_t modeZs)
    {
        EXPECT_EQ(ScrUseXs, xs);
        EXPECT_EQ(ScrUseZs, zs);
        EXPECT_EQ(SendMessageA(Control(1017), TBM_GETPOS, 0, 0), xs);
        EXPECT_EQ(SendMessageA(Control(1019), TBM_GETPOS, 0, 0), zs);
        EXPECT_EQ(Text(Control(1020)), "width: " + std::to_string(xs) + "/" + std::to_string(modeXs));
        EXPECT_EQ(Text(Control(1021)), "height: " + std::to_string(zs) + "/" + std::to_string(modeZs));
    }

    HWND launcher = nullptr;
    std::vector<DDSURFACEDESC> catalogue;
};

} // namespace ui_test
