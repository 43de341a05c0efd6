// The MIDI tune's command strings, sent without a return buffer or a notification window.
#include "win32/sound/win32_music.h"

#include <windows.h>

#include <mmsystem.h>

namespace {

void SendMusicCommand(const char* command)
{
    mciSendStringA(command, nullptr, 0, nullptr);
}

} // namespace

void (*MusicCommand)(const char* command) = SendMusicCommand;
