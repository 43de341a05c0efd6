// Fuzz target: any bytes as a picture in a sprite, backdrop or floor texture slot, then frames drawn
// from viewpoints and viewport sizes taken from the input. Input: a kind byte (0 sprite, 1 backdrop,
// 2 floor texture), then per frame 4-byte x, y and eye height, 2-byte angle, viewport width and
// height, and a key byte; then the file.
#include "app/frame_runner.h"
#include "fuzz_support.h"
#include "render/bitmap.h"
#include "sc0_file.h"
#include "world/viewpoint.h"

namespace {

constexpr int Frames = 3;
constexpr size_t ControlBytes = 1 + Frames * 19;
const int32_t Keys[] = { KeyUp, KeyDown, KeyLeft, KeyRight, KeyA, KeyZ };

// Mostly small viewports, which draw fast; a set top bit reaches any side up to 2048.
const auto ViewportSide
    = [](uint32_t v) { return 128 + int32_t(v & 0x8000 ? (v & 0x7FFF) % 1921 : v & 0xFF); };

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < ControlBytes)
        return 0;
    static std::vector<uint8_t> backdrop;
    if (backdrop.empty())
        ReadFileBytes(FuzzDataFolder() + "/sc/backdrop.sc0", &backdrop);
    InputReader in { data, ControlBytes };
    const uint32_t kind = in.Take(1) % 3;
    // The fuzzed file is the backdrop, else named in every sprite slot (so that whichever object is
    // in view shows it) or as the floor texture; the data set's backdrop is put back once it is not.
    static bool backdropReplaced = false;
    if (kind == 1 || backdropReplaced)
        WriteDataFile("sc/backdrop.sc0", kind == 1 ? data + ControlBytes : backdrop.data(),
            kind == 1 ? size - ControlBytes : backdrop.size());
    backdropReplaced = kind == 1;
    WriteDataFile("sc/fuzzed.sc0", data + ControlBytes, size - ControlBytes);
    std::string ini = DefaultIni();
    for (int slot = 0; slot < BitmapSlotCount && kind != 1; ++slot)
        if (kind == 0 ? IsSpriteSlot(slot) : slot == FloorTextureSlot) {
            const size_t at = ini.find("\n" + std::to_string(slot) + "="), end = ini.find('\n', at + 1);
            ini.replace(at, end - at, "\n" + std::to_string(slot) + "=sc\\fuzzed.sc0");
        }
    WriteDataFile("fc.ini", ini.data(), ini.size());

    OpenFuzzData();
    for (int frame = 0; frame < Frames; ++frame) {
        const int32_t x = int32_t(in.Take(4)), y = int32_t(in.Take(4)), height = int32_t(in.Take(4));
        const int32_t angle = int32_t(in.Take(2) & 1023), width = ViewportSide(in.Take(2));
        const int32_t rows = ViewportSide(in.Take(2)), key = int32_t(in.Take(1));
        PlaceViewer(x, y, height, angle);
        StartView(width, rows);
        if (key & 0x80)
            PressViewKey(Keys[key % 6], key & 0x40);
        FuzzFrame(false);
    }
    CloseFuzzData();
    return 0;
}
