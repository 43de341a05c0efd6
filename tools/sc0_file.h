// Writing .sc0 pictures: the 32-byte header, plain and floor payloads, and sprite run lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A whole .sc0 file: header (width, height, payload size) followed by the payload.
std::vector<uint8_t> MakeSc0(uint16_t width, uint16_t height, const std::vector<uint8_t>& payload);

// Sprite payload from a width x height picture (row 0 at the top): opaque[i] non-zero marks
// pixel i as part of a run. Runs are maximal and in increasing column order; each row ends
// with the terminator (1, 0).
std::vector<uint8_t> EncodeSpriteRuns(uint16_t width, uint16_t height, const std::vector<uint8_t>& indices,
                                      const std::vector<uint8_t>& opaque);

// Writes bytes to a file; false on any failure.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Reads a whole file; false when it cannot be read.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes);
