// The program's spine on Windows: entry, start-up and shutdown chains, message loop.
#pragma once

#include <windows.h>

#include <cstdint>

#include "win32/shell/win32_shell.h"

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

// Runs the six set-up steps in order; 0, or the exit code of the first that fails.
int InitProgram(HINSTANCE instance);

// Runs every tear-down in reverse order (each does nothing unless set up). Returns 0.
int FreeProgram();

// Messages first (the launcher's dialog messages before the rest), a frame when none waits
// and RunFlags is 0, otherwise sleep until the next message. Ends on the quit message.
void RunMessageLoop();
