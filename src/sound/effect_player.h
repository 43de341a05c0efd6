// What a front end's player does for the sound bank: hold effects and play one at a time.
#pragma once

// The effect read from a WAV file (path as "snd\qrvl00.wav"), in whatever form the player
// plays from; null when it cannot be read or nothing is to be played.
void* LoadEffect(const char* path);
void FreeEffect(void* effect);

// Starts the effect unless another one is playing; false when one is.
bool StartEffectIfIdle(const void* effect);

// Starts the effect, cutting off whatever plays.
void StartEffect(const void* effect);

// Silences every effect.
void StopEffects();
