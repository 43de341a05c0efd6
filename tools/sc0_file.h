// Writing .sc0 pictures: the 32-byte header, plain and floor payloads, and sprite run lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "render/bitmap.h"
#include "render/palette.h"

// A whole .sc0 file: header (width, height, payload size) followed by the payload.
std::vector<uint8_t> MakeSc0(uint16_t width, uint16_t height, const std::vector<uint8_t>& payload);

// Sprite payload from a width x height picture (row 0 at the top): opaque[i] non-zero marks
// pixel i as part of a run. Runs are maximal and in increasing column order; each row ends
// with the terminator (1, 0).
std::vector<uint8_t> EncodeSpriteRuns(
    uint16_t width, uint16_t height, const std::vector<uint8_t>& indices, const std::vector<uint8_t>& opaque);

// Writes bytes to a file; false on any failure.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Reads a whole file; false when it cannot be read.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes);

// The converter's limit: rows of at most 256 MiB once the PNG writer has put a filter
// byte before each. stb_image_write keeps every size in int and grows its output by
// doubling, so far larger pictures overflow inside it; the program's largest picture, a
// backdrop of 65535 rows, stays well inside.
constexpr uint64_t LargestPngRowBytes = uint64_t(1) << 28;
bool FitsPng(uint64_t width, uint64_t height, int channels);

// The kind a loaded picture most likely is; false when it is none of plain, floor, sprite.
bool GuessKind(const Bitmap& b, PictureKind* kind);

// A picture as RGB (plain, floor) or RGBA (sprite, transparent outside the runs).
struct DecodedPicture {
    int width = 0, height = 0, channels = 0;
    std::vector<uint8_t> pixels;
};

// Why a loaded picture cannot be decoded as kind, or "" when it can.
std::string DecodeProblem(const Bitmap& b, PictureKind kind);

// Decodes a picture for which DecodeProblem is "" through the palette.
DecodedPicture DecodeSc0(const Bitmap& b, PictureKind kind, const RgbPalette& palette);
