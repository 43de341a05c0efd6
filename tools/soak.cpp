// quarvel-tool soak: a long seeded run of random key presses through the headless frame loop,
// with the world's and the frame's invariants checked after every frame.
#include <chrono>
#include <cstdio>
#include <string>

#include "app/frame_runner.h"
#include "base/alloc.h"
#include "commands.h"
#include "world/target.h"
#include "world/viewpoint.h"

const char SoakUsage[] = "usage: quarvel-tool soak --dir DIR [--frames N] [--seed S]\n";

namespace {

// Viewports the run cycles through, a new one every ViewportFrames frames: the smallest, odd
// sizes whose rows are padded, the usual one, and the largest now and then.
const struct {
    int32_t width, height;
} Viewports[] = { { 128, 128 }, { 131, 129 }, { 320, 240 }, { 642, 481 }, { 1024, 768 }, { 2048, 2048 } };
constexpr int32_t ViewportFrames = 1000;
constexpr int32_t ViewportCount = int32_t(sizeof Viewports / sizeof Viewports[0]);

const int32_t Keys[] = { KeyUp, KeyDown, KeyLeft, KeyRight, KeyA, KeyZ };

// xorshift32: the same run for the same seed on every machine.
uint32_t NextDraw(uint32_t* state)
{
    uint32_t x = *state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return *state = x;
}

} // namespace

int SoakCommand(int argc, char** argv)
{
    std::string dir;
    int32_t frames = 100000, seed = 1;
    for (int i = 0; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--dir")
            dir = argv[i + 1];
        else if (!(arg == "--frames" && ParseCount(argv[i + 1], 1, &frames))
            && !(arg == "--seed" && ParseCount(argv[i + 1], 0, &seed))) {
            std::fprintf(stderr, "quarvel-tool soak: bad argument %s\n%s", arg.c_str(), SoakUsage);
            return 2;
        }
    }
    if (dir.empty() || argc % 2 != 0) {
        std::fprintf(stderr, "%s", SoakUsage);
        return 2;
    }
    std::string error;
    if (!OpenDataFolder(dir, &error)) {
        std::fprintf(stderr, "quarvel-tool soak: %s\n", error.c_str());
        return 1;
    }
    uint32_t state = uint32_t(seed) * 2654435761u | 1u;
    const uint32_t allocs = AllocCount, releases = ReleaseCount;
    int32_t triggers = 0, largest = 0;
    const auto start = std::chrono::steady_clock::now();
    std::string fault;
    int32_t frame = 0;
    for (; frame < frames && fault.empty(); ++frame) {
        if (frame % ViewportFrames == 0) {
            // The largest viewport costs the most: one block in twenty.
            int32_t v = int32_t(NextDraw(&state) % (ViewportCount - 1));
            if (NextDraw(&state) % 20 == 0)
                v = ViewportCount - 1;
            StartView(Viewports[v].width, Viewports[v].height);
            largest += v == ViewportCount - 1;
        }
        // About one key event in four frames; presses outnumber releases so that the viewer
        // keeps moving and reaches the world's edges.
        const uint32_t draw = NextDraw(&state);
        if (draw % 4 == 0) {
            const int32_t key = Keys[(draw >> 8) % 6];
            if ((draw >> 16) % 3 != 0)
                PressViewKey(key, (draw >> 20) % 5 == 0);
            else
                ReleaseViewKey(key);
        }
        const bool wasTriggered = (TargetState & 0x8000) != 0;
        StepAndDrawFrame(BufferPresenter);
        triggers += !wasTriggered && (TargetState & 0x8000) != 0;
        fault = FrameInvariantFault(allocs, releases);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!CloseDataFolder(&error) && fault.empty())
        fault = error;
    if (!fault.empty()) {
        std::fprintf(stderr, "quarvel-tool soak: seed %d, frame %d: %s\n", seed, frame - 1, fault.c_str());
        return 1;
    }
    std::printf("soak: %d frames, seed %d, %.1f s (%.0f frames/s), %d blocks at 2048x2048, %d target "
                "triggers, invariants held\n",
        frames, seed, seconds, frames / seconds, largest, triggers);
    return 0;
}
