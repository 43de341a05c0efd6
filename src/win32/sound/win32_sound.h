// The Windows player's way to PlaySoundA.
#pragma once

#include <windows.h>

// PlaySoundA, or a test's stand-in that records the calls.
extern BOOL(WINAPI* PlaySoundFunction)(LPCSTR sound, HMODULE module, DWORD flags);
