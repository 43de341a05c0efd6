// The order of one frame's world step and drawing, shared by the program and the tools.
#pragma once

#include "render/trig.h"

// What the active presenter contributes to a frame.
struct FramePresenter {
    void (*clearBands)();                     // clears the rows around the backdrop
    int (*acquire)(FrameTarget* target);      // 0, or a failure that ends the frame
    void (*release)(const FrameTarget& target);
};

// Clears the bands, steps the world (objects, viewer, view values, floor corners, sprite
// projection), acquires the frame target, draws backdrop, floor and sprites, releases the
// target and advances the target object. Returns 0, or acquire's failure after the world
// has been stepped (the target object then does not advance).
int StepAndDrawFrame(const FramePresenter& presenter);
