// The MIDI tune's command strings.
#pragma once

// Sends one command string to the multimedia command interface; its result is ignored.
// Replaceable so tests can see the commands.
extern void (*MusicCommand)(const char* command);
