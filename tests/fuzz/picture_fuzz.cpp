// Fuzz target: any bytes as a picture in a sprite, backdrop or floor texture slot, then
// frames drawn from viewpoints and viewport sizes taken from the input.
//
// Input: a kind byte (0 sprite, 1 backdrop, 2 floor texture), then per frame 4-byte x, y
// and eye height, 2-byte angle, viewport width and height, and a key byte; then the file.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "frame_runner.h"
#include "fuzz_support.h"
#include "render/bitmap.h"
#include "world/viewpoint.h"

namespace {

constexpr int Frames = 3;
constexpr size_t ControlBytes = 1 + Frames * 19;
const int32_t Keys[] = { KeyUp, KeyDown, KeyLeft, KeyRight, KeyA, KeyZ };

// The data set's fc.ini with the given slots naming the fuzzed file.
std::string IniWithSlots(int first, int last, bool sprites)
{
    std::string ini = DefaultIni();
    for (int slot = first; slot <= last; ++slot) {
        if (sprites && !IsSpriteSlot(slot))
            continue;
        const std::string key = "\n" + std::to_string(slot) + "=";
        const size_t at = ini.find(key);
        const size_t end = ini.find('\n', at + 1);
        ini.replace(at, end - at, key + "sc\\fuzzed.sc0");
    }
    return ini;
}

// Mostly small viewports, which draw fast; a set top bit reaches any side up to 2048.
int32_t ViewportSide(uint32_t value)
{
    return 128 + int32_t(value & 0x8000 ? (value & 0x7FFF) % 1921 : value & 0xFF);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < ControlBytes)
        return 0;
    static std::string backdrop;
    if (backdrop.empty()) {
        const std::string& folder = FuzzDataFolder();
        std::ifstream in(folder + "/sc/backdrop.sc0", std::ios::binary);
        backdrop.assign(std::istreambuf_iterator<char>(in), {});
    }
    InputReader in { data, ControlBytes };
    const uint32_t kind = in.Take(1) % 3;
    const uint8_t* file = data + ControlBytes;
    const size_t fileSize = size - ControlBytes;
    static bool backdropReplaced = false;
    std::string ini = DefaultIni();
    if (kind == 1) {
        WriteDataFile("sc/backdrop.sc0", file, fileSize);
        backdropReplaced = true;
    } else {
        if (backdropReplaced)
            WriteDataFile("sc/backdrop.sc0", backdrop.data(), backdrop.size());
        backdropReplaced = false;
        WriteDataFile("sc/fuzzed.sc0", file, fileSize);
        // Every sprite slot, so that whichever object is in view shows the picture.
        ini = kind == 0 ? IniWithSlots(0, BitmapSlotCount - 1, true) : IniWithSlots(23, 23, false);
    }
    WriteDataFile("fc.ini", ini.data(), ini.size());

    OpenFuzzData();
    for (int frame = 0; frame < Frames; ++frame) {
        const int32_t x = int32_t(in.Take(4)), y = int32_t(in.Take(4)), height = int32_t(in.Take(4));
        const int32_t angle = int32_t(in.Take(2) & 1023);
        const int32_t width = ViewportSide(in.Take(2)), rows = ViewportSide(in.Take(2));
        const uint32_t key = in.Take(1);
        PlaceViewer(x, y, height, angle);
        StartView(width, rows);
        if (key & 0x80)
            PressViewKey(Keys[key % 6], key & 0x40);
        FuzzFrame(false);
    }
    CloseFuzzData();
    return 0;
}
