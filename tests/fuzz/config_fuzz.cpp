// Fuzz target: any fc.ini text beside the default data set, then frames as Go starts them: with
// the screen usage when it lies in 128..2048 each way, else with the normalised projection size.
#include "app/frame_runner.h"
#include "base/settings.h"
#include "fuzz_support.h"
#include "render/trig.h"
#include "world/viewpoint.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteDataFile("fc.ini", data, size);
    OpenFuzzData();
    const bool usable = ScrUseXs >= 128 && ScrUseXs <= 2048 && ScrUseZs >= 128 && ScrUseZs <= 2048;
    StartView(usable ? ScrUseXs : Projection.ProjXs, usable ? ScrUseZs : Projection.ProjZs);
    PressViewKey(KeyUp, false);
    PressViewKey(KeyLeft, false);
    for (int frame = 0; frame < 3; ++frame)
        FuzzFrame(false);
    CloseFuzzData();
    return 0;
}
