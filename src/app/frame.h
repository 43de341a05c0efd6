// The order of one frame's world step and drawing, shared by the program and the tools.
#pragma once

#include "render/trig.h"

// What the active presenter contributes to a frame.
struct FramePresenter {
    void (*clearBands)(); // clears the rows around the backdrop
    int (*acquire)(FrameTarget* target); // 0, or a failure that ends the frame
    void (*release)(const FrameTarget& target);
};

// The world's step and what the drawing needs of it, in frame order: the objects, the viewer,
// the view values, the floor corners and the sprites' projection.
void StepWorld();

// Clears the bands, steps the world (objects, viewer, view values, floor corners, sprite
// projection), acquires the frame target, draws backdrop, floor and sprites, releases the
// target and advances the target object. Returns 0, or acquire's failure after the world
// has been stepped (the target object then does not advance).
int StepAndDrawFrame(const FramePresenter& presenter);
