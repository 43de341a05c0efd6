// Sound on the native side: the audio device, the sound bank's player and the MIDI tune.
#pragma once

// Opens the audio device and points the MIDI player at a General MIDI sound font. Without a
// device, or without a sound font for the tune, says so once on stderr and plays nothing of
// it. mute: nothing is opened and nothing is said.
void OpenAudio(bool mute);

// Starts the tune from mus/3d.mid once from its beginning, as the view starts; a tune that
// cannot be loaded leaves the view silent.
void StartMusic();

// Stops and releases the tune; harmless when none plays.
void StopMusic();

// Stops everything and closes the device; call after FreeSoundBank.
void CloseAudio();
