// Fuzz target: any fc.ini text beside the default data set, then frames as Go starts them.
#include <cstdint>

#include "base/settings.h"
#include "frame_runner.h"
#include "fuzz_support.h"
#include "render/trig.h"
#include "world/viewpoint.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteDataFile("fc.ini", data, size);
    OpenFuzzData();
    // Go accepts only screen usage of 128..2048 each way; otherwise the projection's own
    // size, which the configuration has normalised, stands in.
    const bool usable = ScrUseXs >= 128 && ScrUseXs <= 2048 && ScrUseZs >= 128 && ScrUseZs <= 2048;
    StartView(usable ? ScrUseXs : Projection.ProjXs, usable ? ScrUseZs : Projection.ProjZs);
    PressViewKey(KeyUp, false);
    PressViewKey(KeyLeft, false);
    for (int frame = 0; frame < 3; ++frame)
        FuzzFrame(false);
    CloseFuzzData();
    return 0;
}
