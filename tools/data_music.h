// The default data set's tune: a Standard MIDI File composed from note tables.
#pragma once

#include <cstdint>
#include <vector>

namespace mkdata {

constexpr int32_t TuneTicksPerBeat = 480;
constexpr int32_t TuneMicrosecondsPerBeat = 500000; // 120 beats a minute

// Format 1: a tempo track, then lead, bass, pad and drums (channel 10), twenty bars of 4/4.
std::vector<uint8_t> MakeTuneFile();

} // namespace mkdata
