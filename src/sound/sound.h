// The sound bank: five effect slots and the stop request, played through the front end's
// player (sound/effect_player.h).
#pragma once

constexpr int EffectSlotCount = 5;

// slot 0 trigger, 1 start-up, 2 respawn, 3 bump, 4 explosion; -1 stops every effect.
// Returns the previously requested slot.
int PlayEffect(int slot);

// Reads the five effects into memory; missing files leave empty slots. Returns 0.
int LoadSoundBank();

// Releases the effects; returns the status word when nothing is loaded.
int FreeSoundBank();

// The effect held in a slot (null when the slot is empty); for the tests.
const void* SoundSlotImage(int slot);

// Every request since the last ClearEffectLog, oldest first (the first EffectLogCapacity of
// them): what the tools' traces and the tests see of the sound.
constexpr int EffectLogCapacity = 64;
extern int EffectLog[EffectLogCapacity];
extern int EffectLogCount;
void ClearEffectLog();
