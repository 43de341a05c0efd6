// The default data set's sound effects, synthesised: 16-bit mono PCM WAV files.
#pragma once

#include <cstdint>
#include <vector>

namespace mkdata {

constexpr int32_t SoundRate = 22050;

// A RIFF/WAVE file of 16-bit mono PCM samples.
std::vector<uint8_t> MakeWavFile(const std::vector<int16_t>& samples, int32_t rate);

// Slot 0: the target is triggered; a bright chime that sweeps up two octaves.
std::vector<int16_t> SynthTrigger();
// Slot 1: start-up; a rising major arpeggio of bell tones.
std::vector<int16_t> SynthStartUp();
// Slot 2: the target respawns; a shimmering cluster of high partials.
std::vector<int16_t> SynthRespawn();
// Slot 3: bumping into an object; a short low thud.
std::vector<int16_t> SynthBump();
// Slot 4: the explosion; a noise burst that darkens into a rumble.
std::vector<int16_t> SynthExplosion();

} // namespace mkdata
