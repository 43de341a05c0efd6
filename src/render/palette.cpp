// The program palette: .pal files, the static colours and nearest-colour search.
#include "render/palette.h"

#include "base/sys.h"

const RgbColour StaticColours[20] = {
    { 0, 0, 0 },
    { 128, 0, 0 },
    { 0, 128, 0 },
    { 128, 128, 0 },
    { 0, 0, 128 },
    { 128, 0, 128 },
    { 0, 128, 128 },
    { 192, 192, 192 },
    { 192, 220, 192 },
    { 166, 202, 240 },
    { 255, 251, 240 },
    { 160, 160, 164 },
    { 128, 128, 128 },
    { 255, 0, 0 },
    { 0, 255, 0 },
    { 255, 255, 0 },
    { 0, 0, 255 },
    { 255, 0, 255 },
    { 0, 255, 255 },
    { 255, 255, 255 },
};

bool LoadPalFile(const char* path, RgbColour file[256])
{
    const SysFile f = SysOpenRead(path);
    if (f == SysNoFile)
        return false;
    uint8_t bytes[PalFileBytes] = {};
    uint32_t got = 0;
    for (uint32_t n; got < sizeof bytes && (n = SysRead(f, bytes + got, sizeof bytes - got)) > 0;)
        got += n;
    SysClose(f);
    for (int i = 0; i < 256; ++i)
        file[i] = { bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2] };
    return true;
}

RgbPalette MakeProgramPalette(const RgbColour file[256])
{
    RgbPalette palette;
    for (int i = 0; i < 256; ++i)
        palette.entries[i] = file[i];
    for (int i = 0; i < 10; ++i) {
        palette.entries[i] = StaticColours[i];
        palette.entries[246 + i] = StaticColours[10 + i];
    }
    return palette;
}

RgbPalette GreyRampPalette()
{
    RgbColour ramp[256] = {};
    const int steps = LastPictureColour - FirstPictureColour;
    for (int i = FirstPictureColour; i <= LastPictureColour; ++i) {
        const uint8_t level = uint8_t(((i - FirstPictureColour) * 255 + steps / 2) / steps);
        ramp[i] = { level, level, level };
    }
    return MakeProgramPalette(ramp);
}

uint8_t NearestColour(const RgbPalette& palette, RgbColour colour)
{
    int best = FirstPictureColour;
    int32_t bestDistance = INT32_MAX;
    for (int i = FirstPictureColour; i <= LastPictureColour; ++i) {
        const RgbColour& e = palette.entries[i];
        const int32_t dr = int32_t(e.r) - colour.r;
        const int32_t dg = int32_t(e.g) - colour.g;
        const int32_t db = int32_t(e.b) - colour.b;
        const int32_t distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return uint8_t(best);
}
