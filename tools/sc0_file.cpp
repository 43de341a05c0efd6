// Writing .sc0 pictures: the 32-byte header, plain and floor payloads, and sprite run lists.
#include "sc0_file.h"

#include <cstdio>

namespace {

void Put16(std::vector<uint8_t>* out, uint32_t value)
{
    out->push_back(uint8_t(value));
    out->push_back(uint8_t(value >> 8));
}

void Put32(std::vector<uint8_t>* out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

const char* KindText(PictureKind kind)
{
    return kind == PictureKind::Floor ? "floor" : kind == PictureKind::Sprite ? "sprite" : "plain";
}

int Channels(PictureKind kind)
{
    return kind == PictureKind::Sprite ? 4 : 3;
}

} // namespace

std::vector<uint8_t> MakeSc0(uint16_t width, uint16_t height, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> file;
    file.reserve(Sc0HeaderSize + payload.size());
    for (char c : { 'S', 'C', '0', '\0' })
        file.push_back(uint8_t(c));
    Put16(&file, width); // Sc0Width
    Put16(&file, height); // Sc0Height
    Put16(&file, 8); // Sc0Field8: bits per pixel, informational only
    Put16(&file, 0);
    Put32(&file, uint32_t(payload.size())); // Sc0Size
    file.resize(Sc0HeaderSize, 0);
    file.insert(file.end(), payload.begin(), payload.end());
    return file;
}

std::vector<uint8_t> EncodeSpriteRuns(
    uint16_t width, uint16_t height, const std::vector<uint8_t>& indices, const std::vector<uint8_t>& opaque)
{
    std::vector<uint8_t> out(size_t(height) * 4, 0);
    for (uint32_t row = 0; row < height; ++row) {
        const uint32_t offset = uint32_t(out.size());
        for (int b = 0; b < 4; ++b)
            out[row * 4 + b] = uint8_t(offset >> (8 * b));
        const size_t base = size_t(row) * width;
        uint32_t col = 0;
        while (col < width) {
            if (!opaque[base + col]) {
                ++col;
                continue;
            }
            uint32_t last = col;
            while (last + 1 < width && opaque[base + last + 1])
                ++last;
            Put16(&out, col);
            Put16(&out, last);
            for (uint32_t c = col; c <= last; ++c)
                out.push_back(indices[base + c]);
            col = last + 1;
        }
        Put16(&out, 1); // terminator: second value below the first
        Put16(&out, 0);
    }
    return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bytes->clear();
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool FitsPng(uint64_t width, uint64_t height, int channels)
{
    return (width * uint64_t(channels) + 1) * height <= LargestPngRowBytes;
}

// A sound sprite whose size is not exactly a plain image's, then a 256 x 256 floor, then a
// plain image, then anything floor-sized.
bool GuessKind(const Bitmap& b, PictureKind* kind)
{
    const uint64_t area = uint64_t(b.width) * b.height;
    const bool plain = area > 0 && PictureIsSound(b, PictureKind::Plain);
    if (PictureIsSound(b, PictureKind::Sprite) && !(plain && b.size == area))
        *kind = PictureKind::Sprite;
    else if (b.width == 256 && b.height == 256 && PictureIsSound(b, PictureKind::Floor))
        *kind = PictureKind::Floor;
    else if (plain)
        *kind = PictureKind::Plain;
    else if (PictureIsSound(b, PictureKind::Floor))
        *kind = PictureKind::Floor;
    else
        return false;
    return true;
}

std::string DecodeProblem(const Bitmap& b, PictureKind kind)
{
    const std::string size = std::to_string(b.width) + "x" + std::to_string(b.height);
    if (!PictureIsSound(b, kind))
        return std::string("does not hold a whole ") + KindText(kind) + " picture (" + size + ", "
            + std::to_string(b.size) + " payload bytes)";
    if (kind == PictureKind::Floor)
        return "";
    if (b.width == 0 || b.height == 0)
        return "has no pixels to show (" + size + ")";
    if (!FitsPng(b.width, b.height, Channels(kind)))
        return "is " + size + ", larger than a PNG this tool writes (at most "
            + std::to_string(LargestPngRowBytes >> 20) + " MiB of rows)";
    return "";
}

DecodedPicture DecodeSc0(const Bitmap& b, PictureKind kind, const RgbPalette& palette)
{
    DecodedPicture out;
    out.width = kind == PictureKind::Floor ? 256 : b.width;
    out.height = kind == PictureKind::Floor ? 256 : b.height;
    out.channels = Channels(kind);
    out.pixels.assign(size_t(out.width) * out.height * out.channels, 0);
    auto put = [&](size_t pixel, uint8_t index) {
        const RgbColour& c = palette.entries[index];
        uint8_t* p = &out.pixels[pixel * out.channels];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
        if (out.channels == 4)
            p[3] = 255;
    };
    if (kind != PictureKind::Sprite) {
        for (size_t i = 0; i < size_t(out.width) * out.height; ++i)
            put(i, b.pixels[i]);
        return out;
    }
    // PictureIsSound has walked these lists already: every read below is inside.
    for (uint32_t row = 0; row < b.height; ++row) {
        uint32_t at = Get32(b.pixels + row * 4);
        for (;;) {
            const uint16_t first = Get16(b.pixels + at);
            const uint16_t last = Get16(b.pixels + at + 2);
            if (last < first)
                break;
            for (uint32_t c = first; c <= last; ++c)
                put(size_t(row) * out.width + c, b.pixels[at + 4 + (c - first)]);
            at += 4 + uint32_t(last - first) + 1;
        }
    }
    return out;
}
