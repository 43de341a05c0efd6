// The sound bank's way to the platform's player.
#pragma once

#include <windows.h>

// PlaySoundA, or a test's stand-in that records the calls.
extern BOOL(WINAPI* PlaySoundFunction)(LPCSTR sound, HMODULE module, DWORD flags);

// The image held in a slot (null when the slot is empty); for the tests.
const void* SoundSlotImage(int slot);
