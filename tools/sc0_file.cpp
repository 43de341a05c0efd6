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

} // namespace

std::vector<uint8_t> MakeSc0(uint16_t width, uint16_t height, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> file;
    file.reserve(32 + payload.size());
    for (char c : {'S', 'C', '0', '\0'})
        file.push_back(uint8_t(c));
    Put16(&file, width);
    Put16(&file, height);
    Put16(&file, 8); // bits per pixel, informational only
    Put16(&file, 0);
    Put32(&file, uint32_t(payload.size()));
    file.resize(32, 0);
    file.insert(file.end(), payload.begin(), payload.end());
    return file;
}

std::vector<uint8_t> EncodeSpriteRuns(uint16_t width, uint16_t height, const std::vector<uint8_t>& indices,
                                      const std::vector<uint8_t>& opaque)
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
