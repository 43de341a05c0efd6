// The Windows player of the sound bank: WAV images in memory, played by PlaySoundA.
#include "win32/sound/win32_sound.h"

#include <windows.h>

#include <mmsystem.h>

#include "base/alloc.h"
#include "base/sys.h"
#include "sound/effect_player.h"

namespace {

BOOL Play(const void* image, DWORD flags)
{
    return PlaySoundFunction(static_cast<LPCSTR>(image), nullptr, flags);
}

} // namespace

BOOL(WINAPI* PlaySoundFunction)(LPCSTR sound, HMODULE module, DWORD flags) = PlaySoundA;

void* LoadEffect(const char* path)
{
    const SysFile file = SysOpenRead(path);
    if (file == SysNoFile)
        return nullptr;
    const uint32_t size = SysFileSize(file);
    void* image = AllocBlock(size);
    if (image)
        SysRead(file, image, size);
    SysClose(file);
    return image;
}

void FreeEffect(void* effect)
{
    FreeBlock(effect);
}

// SND_NOSTOP makes the request fail while another sound plays.
bool StartEffectIfIdle(const void* effect)
{
    return Play(effect, SND_ASYNC | SND_NODEFAULT | SND_MEMORY | SND_NOSTOP) != FALSE;
}

void StartEffect(const void* effect)
{
    StopEffects();
    Play(effect, SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
}

void StopEffects()
{
    Play(nullptr, SND_ASYNC | SND_NODEFAULT);
}
