// Fuzz target: key scripts through the headless frame loop in the smallest viewport, every
// invariant after every frame.
#include <algorithm>

#include "app/frame_runner.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<KeyEvent> events;
    std::string error;
    if (!ParseKeyScript(std::string(reinterpret_cast<const char*>(data), size), &events, &error))
        return 0;
    OpenFuzzData();
    StartView(128, 128);
    const int32_t frames = events.empty() ? 1 : std::min(events.back().frame + 2, 300);
    size_t next = 0;
    for (int32_t frame = 0; frame < frames; ++frame) {
        next = PlayKeyEvents(events, next, frame);
        FuzzFrame(true);
    }
    CloseFuzzData();
    return 0;
}
