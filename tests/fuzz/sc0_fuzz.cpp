// Fuzz target: the converter's reader, any bytes as a .sc0 file: sc0 info, the kind guess, and
// the decode of every kind the picture passes as, written as PNG when small.
#include <stb_image_write.h>

#include "base/alloc.h"
#include "commands.h"
#include "fuzz_support.h"
#include "sc0_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteDataFile("sc/fuzzed.sc0", data, size);
    std::string info = "info", path = FuzzDataFolder() + "/sc/fuzzed.sc0";
    char* argv[] = { info.data(), path.data() };
    Sc0Command(2, argv);
    static const RgbPalette palette = GreyRampPalette();
    Bitmap b = {};
    if (LoadBitmap(path.c_str(), &b) == 0) {
        PictureKind guess;
        GuessKind(b, &guess);
        for (PictureKind kind : { PictureKind::Plain, PictureKind::Floor, PictureKind::Sprite }) {
            if (!DecodeProblem(b, kind).empty())
                continue;
            const DecodedPicture p = DecodeSc0(b, kind, palette);
            if (size_t(p.width) * p.height <= 1 << 16)
                stbi_write_png_to_func([](void*, void*, int) {}, nullptr, p.width, p.height, p.channels,
                    p.pixels.data(), p.width * p.channels);
        }
        FreeBlock(b.pixels);
    }
    if (AllocCount != ReleaseCount)
        __builtin_trap();
    return 0;
}
