// The program's spine on Windows: entry, start-up and shutdown chains, message loop.
#include "win32/app/win32_program.h"

#include <commctrl.h>

#include "app/config.h"
#include "base/alloc.h"
#include "sound/sound.h"
#include "win32/app/win32_frame.h"
#include "win32/app/win32_view_window.h"
#include "win32/display/win32_display.h"
#include "win32/ui/win32_launcher.h"

namespace {

int InitViewWindowStep()
{
    return InitViewWindow(ProgramInstance);
}

} // namespace

SetupStep ProgramSteps[SetupStepCount] = {
    { InitPalette, FreePalette, -5 },
    { InitViewWindowStep, FreeViewWindow, -1 },
    { InitModeCatalogue, FreeModeCatalogue, -2 },
    { LoadConfig, FreeConfig, -3 },
    { InitMemoryDC, FreeMemoryDC, -4 },
    { LoadSoundBank, FreeSoundBank, -6 },
};

int InitProgram(HINSTANCE instance)
{
    ProgramInstance = instance;
    for (const SetupStep& step : ProgramSteps)
        if (step.setUp() != 0)
            return step.exitCode;
    return 0;
}

int FreeProgram()
{
    for (int i = SetupStepCount - 1; i >= 0; --i)
        ProgramSteps[i].tearDown();
    return 0;
}

void RunMessageLoop()
{
    MSG message;
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            const BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got == 0) {
                if (Launcher) {
                    DestroyWindow(Launcher);
                    Launcher = nullptr;
                }
                return;
            }
            if (got == -1)
                continue; // nothing was taken, so there is nothing to dispatch
            if (Launcher && IsDialogMessageA(Launcher, &message))
                continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else if (RunFlags != 0) {
            WaitMessage();
        } else {
            RenderFrameFunction();
        }
    }
}

int QuarvelMain(HINSTANCE instance)
{
    ProgramInstance = instance;
    ReactivateDisplayFunction = ReactivateDisplay;
    InitCommonControls();
    QueryDesktop();
    const int code = InitProgram(instance);
    if (code != 0) {
        FreeProgram();
        return code;
    }
    PlayEffect(1);
    Launcher = CreateDialogParamA(instance, MAKEINTRESOURCEA(104), nullptr, LauncherDialogProc, 0);
    if (Launcher)
        RunMessageLoop();
    // A quit while the view runs (the launcher closed behind it) still ends the view first:
    // the display mode, the cursor and the bitmap section go back before the shutdown chain.
    if ((RunFlags & RunFlagClosed) == 0)
        StopView();
    FreeProgram();
    CheckMemoryBalance();
    return 0;
}
