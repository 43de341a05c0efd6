// The program's spine on Windows: entry, start-up and shutdown chains, message loop, RunFlags.
#pragma once

#include <windows.h>

#include <cstdint>

extern HINSTANCE ProgramInstance;
extern HWND Launcher; // the modeless launcher dialog, null until created
extern int32_t DesktopWidth, DesktopHeight;

// Frames are produced only while this is 0. Bit 0: the view is inactive; bit 15: closed.
extern uint32_t RunFlags;
constexpr uint32_t RunFlagInactive = 0x0001;
constexpr uint32_t RunFlagClosed = 0x8000;

// One set-up/tear-down pair of the start-up chain, with the exit code of its failure.
struct SetupStep {
    int (*setUp)();
    int (*tearDown)();
    int exitCode;
};
constexpr int SetupStepCount = 6;
// In start-up order; the tests replace entries to inject failures.
extern SetupStep ProgramSteps[SetupStepCount];

// The program from entry to exit code.
int QuarvelMain(HINSTANCE instance);

// Reads the desktop window's size into DesktopWidth and DesktopHeight. Returns 0.
int QueryDesktop();

// Runs the six set-up steps in order; 0, or the exit code of the first that fails.
int InitProgram(HINSTANCE instance);

// Runs every tear-down in reverse order (each does nothing unless set up). Returns 0.
int FreeProgram();

// Clears the bits of mask; when that leaves RunFlags at 0 the display is reactivated
// first. Returns the previous value.
uint32_t ClearRunFlags(uint32_t mask);

// The display's half of resuming frames; replaceable so tests can see the calls.
extern void (*ReactivateDisplayFunction)();

// Messages first (the launcher's dialog messages before the rest), a frame when none waits
// and RunFlags is 0, otherwise sleep until the next message. Ends on the quit message.
void RunMessageLoop();
