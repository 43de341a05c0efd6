// One frame of the 3D view on Windows: the world step and drawing, the notice, presentation.
#pragma once

// 0 after a complete frame; a negative code when the frame target could not be had.
int RenderFrame();

// What the message loop calls for a frame; replaceable so tests can count frames.
extern int (*RenderFrameFunction)();

// The one-line notice written over every frame.
extern const char NoticeText[];
