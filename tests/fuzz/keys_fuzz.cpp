// Fuzz target: key scripts through the headless frame loop in the smallest viewport, every
// invariant after every frame.
#include <algorithm>

#include "app/frame_runner.h"
#include "fuzz_support.h"
#include "world/viewpoint.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    KeyScript script;
    std::string error;
    if (!ParseKeyScript(std::string(reinterpret_cast<const char*>(data), size), &script, &error))
        return 0;
    const std::vector<KeyEvent>& events = script.events;
    OpenFuzzData();
    if (script.haveView) // a start anywhere: only what the frame loop promises is checked
        PlaceViewer(script.view[0], script.view[1], script.view[2], script.view[3] & 1023);
    StartView(
        script.width ? std::min(script.width, 256) : 128, script.height ? std::min(script.height, 256) : 128);
    const int32_t frames = events.empty() ? 1 : std::min(events.back().frame + 2, 300);
    size_t next = 0;
    for (int32_t frame = 0; frame < frames; ++frame) {
        next = PlayKeyEvents(events, next, frame);
        FuzzFrame(!script.haveView);
    }
    CloseFuzzData();
    return 0;
}
