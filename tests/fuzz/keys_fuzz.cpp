// Fuzz target: key scripts through the headless frame loop, every invariant after every frame.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "frame_runner.h"
#include "fuzz_support.h"
#include "world/viewpoint.h"

namespace {

// The world is the point here: the smallest viewport keeps frames cheap.
constexpr int32_t MostFrames = 300;
constexpr int32_t Side = 128;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<KeyEvent> events;
    std::string error;
    if (!ParseKeyScript(std::string(reinterpret_cast<const char*>(data), size), &events, &error))
        return 0;
    OpenFuzzData();
    StartView(Side, Side);
    const int32_t frames = events.empty() ? 1 : std::min(events.back().frame + 2, MostFrames);
    size_t next = 0;
    for (int32_t frame = 0; frame < frames; ++frame) {
        for (; next < events.size() && events[next].frame == frame; ++next) {
            if (events[next].down)
                PressViewKey(events[next].key, events[next].ctrl);
            else
                ReleaseViewKey(events[next].key);
        }
        FuzzFrame(true);
    }
    CloseFuzzData();
    return 0;
}
