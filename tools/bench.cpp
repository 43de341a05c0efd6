// quarvel-tool bench: per-stage frame costs along a fixed camera path, against baselines timed in the same
// run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/frame_runner.h"
#include "base/alloc.h"
#include "commands.h"
#include "render/backdrop.h"
#include "render/bitmap.h"
#include "render/floor.h"
#include "render/sprites.h"
#include "render/trig.h"
#include "world/objects.h"
#include "world/target.h"
#include "world/viewpoint.h"

const char BenchUsage[]
    = "usage: quarvel-tool bench [--dir DIR] [--viewport WxH] [--frames N]\n"
      "  DIR defaults to dist, the viewport to 640x480, N (frames a pass, 1..100000) to 60\n";

namespace {

constexpr int32_t MaxFrames = 100000;

int64_t Now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Frame i of n on the camera path: circles of changing radius around the middle of the
// floor, the eye rising and falling, the view turning twice around, so that frames look at
// the floor from near and far, square-on and across, and now and then off the square.
void PlacePathViewer(int32_t i, int32_t n)
{
    const int32_t t = int32_t(int64_t(i) * 1024 / n);
    const int32_t radius = 300 + (SineTable[(3 * t) & 1023] * 250 >> 12);
    const int32_t x = 512 + (radius * SineTable[(t & 1023) + 256] >> 12);
    const int32_t y = 512 + (radius * SineTable[t & 1023] >> 12);
    const int32_t height = 96 + (SineTable[(2 * t) & 1023] * 64 >> 12);
    PlaceViewer(x, y, height, (2 * t + 100) & 1023);
}

// One span of the baseline loop: where it writes and its 16.16 texture walk.
struct BaselineSpan {
    uint32_t offset; // from the frame buffer's first byte
    int32_t count;
    uint32_t u, v, du, dv;
};

// The classic span loop the floor is measured against: two 16.16 coordinates, two additions,
// masking into a 256 x 256 texture, one fetch and one store a pixel.
void BaselineSpanLoop(
    uint8_t* dest, int32_t count, const uint8_t* texture, uint32_t u, uint32_t v, uint32_t du, uint32_t dv)
{
    for (int32_t k = 0; k < count; ++k) {
        dest[k] = texture[((v >> 8) & 0xFF00) | ((u >> 16) & 0xFF)];
        u += du;
        v += dv;
    }
}

// The baseline's walk for a floor row rowsBelow rows under the horizon, in the floor's own
// geometry: the texture step a pixel is the row's depth over ProjDs.
BaselineSpan BaselineFor(uint32_t offset, int32_t count, int32_t rowsBelow, int32_t x0)
{
    const int64_t h = ViewPoint.height;
    const int64_t ds = Projection.ProjDs;
    BaselineSpan s;
    s.offset = offset;
    s.count = count;
    s.du = uint32_t(h * ViewTrig.cosA * 16 / rowsBelow);
    s.dv = uint32_t(h * ViewTrig.sinA * 16 / rowsBelow);
    s.u = uint32_t((x0 * h * ViewTrig.cosA - ds * h * ViewTrig.sinA) * 16 / rowsBelow)
        + uint32_t(ViewPoint.x << 16);
    s.v = uint32_t((x0 * h * ViewTrig.sinA + ds * h * ViewTrig.cosA) * 16 / rowsBelow)
        + uint32_t(ViewPoint.y << 16);
    return s;
}

// What one frame of a pass costs, stage by stage, with the baselines run over the same
// frame right after it, so that all of them see the same machine.
enum Stage {
    FrameStage,
    WorldStage,
    BandsStage,
    FloorStage,
    SpritesStage,
    SpanBaseline,
    FullBaseline,
    MemsetBaseline,
    StageCount
};

struct Bench {
    int32_t frames;
    std::vector<BaselineSpan> floorSpans; // the floor's spans of every frame of the path
    std::vector<size_t> firstSpan; // frame i's spans: firstSpan[i]..firstSpan[i + 1] - 1
    std::vector<BaselineSpan> viewportRows; // every row of the viewport, whole
    int64_t floorPixels = 0;
};

void RunBaseline(const BaselineSpan* spans, size_t count)
{
    uint8_t* pixels = FrameBuffer();
    const uint8_t* texture = BitmapSlots[FloorTextureSlot].pixels;
    for (size_t i = 0; i < count; ++i)
        BaselineSpanLoop(pixels + spans[i].offset, spans[i].count, texture, spans[i].u, spans[i].v,
            spans[i].du, spans[i].dv);
}

// Frame i of the path: the frame as the program makes it, then the same order as
// StepAndDrawFrame with a clock between the stages, then the baselines. With record set it
// keeps the floor's spans for the span baseline instead (outside every timed part).
void TimeFrame(Bench* b, int32_t i, bool record, int64_t t[StageCount])
{
    static FloorSpan spans[MaxFloorSpans];
    uint8_t* pixels = FrameBuffer();
    const int32_t pitch = FramePitch();
    const FrameTarget target { pixels, pitch };

    PlacePathViewer(i, b->frames);
    int64_t t0 = Now();
    StepAndDrawFrame(BufferPresenter);
    int64_t t1 = Now();
    t[FrameStage] = t1 - t0;

    PlacePathViewer(i, b->frames);
    t0 = Now();
    ClearBandsInBuffer(pixels, pitch, Backdrop);
    t1 = Now();
    StepWorld();
    int64_t t2 = Now();
    t[BandsStage] = t1 - t0;
    t[WorldStage] = t2 - t1;
    if (record) {
        const int32_t n = BuildFloorSpans(spans);
        b->firstSpan.push_back(b->floorSpans.size());
        for (int32_t k = 0; k < n; ++k) {
            const FloorSpan& s = spans[k];
            const uint32_t offset = uint32_t((Projection.zmax - s.z) * pitch + (s.x0 - Projection.xmin));
            b->floorSpans.push_back(BaselineFor(offset, s.x1 - s.x0 + 1, -s.z, s.x0));
            b->floorPixels += s.x1 - s.x0 + 1;
        }
    }
    t0 = Now();
    DrawBackdrop(Backdrop, target);
    t1 = Now();
    DrawFloor(target);
    t2 = Now();
    DrawSprites(target);
    int64_t t3 = Now();
    UpdateTarget();
    const int64_t t4 = Now();
    t[BandsStage] += t1 - t0;
    t[FloorStage] = t2 - t1;
    t[SpritesStage] = t3 - t2;
    t[WorldStage] += t4 - t3;

    if (!record) {
        t0 = Now();
        RunBaseline(b->floorSpans.data() + b->firstSpan[i], b->firstSpan[i + 1] - b->firstSpan[i]);
        t1 = Now();
        RunBaseline(b->viewportRows.data(), b->viewportRows.size());
        t2 = Now();
        std::memset(pixels, i & 0xFF, size_t(pitch) * Projection.ProjZs);
        // Keeps the stores: the compiler must assume the frame is read here.
        asm volatile("" : : "r"(pixels) : "memory");
        t3 = Now();
        t[SpanBaseline] = t1 - t0;
        t[FullBaseline] = t2 - t1;
        t[MemsetBaseline] = t3 - t2;
    }
}

} // namespace

int BenchCommand(int argc, char** argv)
{
    std::string dir = "dist";
    int32_t width = 640, height = 480, frames = 60;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "quarvel-tool bench: %s needs a value\n%s", arg.c_str(), BenchUsage);
            return 2;
        }
        const char* value = argv[++i];
        bool ok = true;
        if (arg == "--dir")
            dir = value;
        else if (arg == "--viewport")
            ok = ParseViewport(value, &width, &height);
        else if (arg == "--frames")
            ok = ParseCount(value, 1, &frames) && frames <= MaxFrames; // every frame's timings are kept
        else
            ok = false;
        if (!ok) {
            std::fprintf(
                stderr, "quarvel-tool bench: bad argument %s %s\n%s", arg.c_str(), value, BenchUsage);
            return 2;
        }
    }

    std::string error;
    if (!OpenDataFolder(dir, &error)) {
        std::fprintf(stderr, "quarvel-tool bench: %s\n", error.c_str());
        return 1;
    }
    if (!BitmapSlots[FloorTextureSlot].pixels || !Backdrop.pixels) {
        std::fprintf(stderr,
            "quarvel-tool bench: %s holds no floor texture or backdrop (quarvel-tool mkdata %s)\n",
            dir.c_str(), dir.c_str());
        CloseDataFolder(&error);
        return 1;
    }
    StartView(width, height);

    Bench b;
    b.frames = frames;
    // The whole-viewport baseline walks every row as if it were floor that many rows from
    // the horizon, seen from the path's first viewpoint.
    PlacePathViewer(0, frames);
    ComputeViewTrig();
    for (int32_t row = 0; row < height; ++row) {
        const int32_t z = Projection.zmax - row;
        const int32_t rowsBelow = z < 0 ? -z : z + 1;
        b.viewportRows.push_back(
            BaselineFor(uint32_t(row * FramePitch()), width, rowsBelow, Projection.xmin));
    }
    int64_t unused[StageCount];
    for (int32_t i = 0; i < frames; ++i)
        TimeFrame(&b, i, true, unused);
    b.firstSpan.push_back(b.floorSpans.size());

    // Every stage of every frame is timed in every pass; a frame's cost is its median over
    // the passes, which drops the passes in which the system took the processor away.
    const double pixels = double(width) * height * frames;
    const int32_t reps = int32_t(std::clamp(4e8 / pixels, 9.0, 31.0));
    const uint32_t allocBefore = AllocCount;
    std::vector<int64_t> times(size_t(StageCount) * frames * reps);
    for (int32_t r = -2; r < reps; ++r) { // two warm-up passes
        for (int32_t i = 0; i < frames; ++i) {
            int64_t t[StageCount];
            TimeFrame(&b, i, false, t);
            if (r >= 0)
                for (int s = 0; s < StageCount; ++s)
                    times[(size_t(s) * frames + i) * reps + r] = t[s];
        }
    }
    double total[StageCount];
    for (int s = 0; s < StageCount; ++s) {
        total[s] = 0;
        for (int32_t i = 0; i < frames; ++i) {
            const auto first = times.begin() + std::ptrdiff_t((size_t(s) * frames + i) * reps);
            std::nth_element(first, first + reps / 2, first + reps);
            total[s] += double(first[reps / 2]);
        }
    }
    const uint32_t allocations = AllocCount - allocBefore;

    auto perPixel = [&](Stage s) { return total[s] / pixels; };
    const double frameNs = perPixel(FrameStage), floorNs = perPixel(FloorStage);
    const double spanNs = perPixel(SpanBaseline), fullNs = perPixel(FullBaseline);
    const double memsetNs = perPixel(MemsetBaseline);
    const double fps = 1e9 * frames / total[FrameStage];

    std::printf("bench: %s, viewport %dx%d, %d frames a pass, medians of %d passes after 2 warm-up passes\n",
        dir.c_str(), width, height, frames, reps);
    std::printf("floor covers %.1f%% of the viewport's pixels along the path\n",
        100.0 * double(b.floorPixels) / pixels);
    const struct {
        const char* name;
        Stage stage;
    } rows[] = { { "world step", WorldStage }, { "bands and backdrop", BandsStage }, { "floor", FloorStage },
        { "sprites", SpritesStage }, { "whole frame", FrameStage }, { "baseline: memset", MemsetBaseline },
        { "baseline: loop, floor spans", SpanBaseline }, { "baseline: loop, every pixel", FullBaseline } };
    for (const auto& row : rows)
        std::printf("  %-28s %8.4f ns/px\n", row.name, perPixel(row.stage));
    std::printf("  %.1f frames a second; allocations during the frames: %u\n", fps, allocations);
    std::printf("bench viewport=%dx%d fps=%.1f frame_ns_px=%.4f floor_ns_px=%.4f span_baseline_ns_px=%.4f "
                "memset_ns_px=%.4f floor_vs_baseline=%.3f frame_vs_baseline=%.3f\n",
        width, height, fps, frameNs, floorNs, spanNs, memsetNs, floorNs / spanNs, frameNs / fullNs);

    if (!CloseDataFolder(&error)) {
        std::fprintf(stderr, "quarvel-tool bench: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
