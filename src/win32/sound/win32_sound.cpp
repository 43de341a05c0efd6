// The sound bank: five WAV images read into memory at start-up and played from there.
#include "sound/sound.h"

#include "win32/sound/win32_sound.h"

#include <windows.h>

#include <mmsystem.h>

#include <cstdio>

#include "base/alloc.h"
#include "base/sys.h"

namespace {

constexpr int SlotCount = 5;
void* SoundSlots[SlotCount] = {};
int32_t SoundBankStatus = -1;
int CurrentSlot = -1;

BOOL Play(const void* image, DWORD flags)
{
    return PlaySoundFunction(static_cast<LPCSTR>(image), nullptr, flags);
}

} // namespace

BOOL(WINAPI* PlaySoundFunction)(LPCSTR sound, HMODULE module, DWORD flags) = PlaySoundA;

const void* SoundSlotImage(int slot)
{
    return slot >= 0 && slot < SlotCount ? SoundSlots[slot] : nullptr;
}

int LoadSoundBank()
{
    for (int i = 0; i < SlotCount; ++i) {
        SoundSlots[i] = nullptr;
        char name[32];
        std::snprintf(name, sizeof name, "snd\\qrvl%02d.wav", i);
        const SysFile file = SysOpenRead(name);
        if (file == SysNoFile)
            continue;
        const uint32_t size = SysFileSize(file);
        void* image = AllocBlock(size);
        if (image) {
            SoundSlots[i] = image;
            SysRead(file, image, size);
        }
        SysClose(file);
    }
    SoundBankStatus = 0;
    return 0;
}

int FreeSoundBank()
{
    if (SoundBankStatus != 0)
        return SoundBankStatus;
    // An effect may still be playing from one of the images: stop it before they go.
    Play(nullptr, SND_ASYNC | SND_NODEFAULT);
    for (void*& slot : SoundSlots) {
        if (slot)
            FreeBlock(slot);
        slot = nullptr;
    }
    SoundBankStatus = -1;
    return 0;
}

int PlayEffect(int slot)
{
    const void* image = slot >= 0 && slot < SlotCount ? SoundSlots[slot] : nullptr;
    const int previous = CurrentSlot;
    CurrentSlot = slot;
    if (!image) {
        Play(nullptr, SND_ASYNC | SND_NODEFAULT);
        return previous;
    }
    // SND_NOSTOP makes the request fail while another sound plays: a repeated request for
    // the effect that is playing is dropped, a request for another one cuts it off.
    if (Play(image, SND_ASYNC | SND_NODEFAULT | SND_MEMORY | SND_NOSTOP))
        return previous;
    if (previous != slot) {
        Play(nullptr, SND_ASYNC | SND_NODEFAULT);
        Play(image, SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
    }
    return previous;
}
