// The viewer: position, eye height, view angle, the two keyboard motion axes and the per-frame move.
#pragma once

#include <cstdint>

struct ViewPointRecord {
    int32_t x, y; // world position, whole units
    int32_t height; // eye height above the floor plane
    int32_t angle; // 1024 steps per turn; 0 looks toward +y, 256 toward -x
    int32_t savedX, savedY, savedHeight, savedAngle; // before this frame's move
    int32_t fixedX, fixedY; // the position in 20.12 fixed point
};
extern ViewPointRecord ViewPoint;

struct MotionAxis {
    int32_t rate; // driven: signed velocity change per frame; released: decay per frame
    int32_t velocity; // distance units (forward) or angle steps (turn) per frame
    int32_t limit; // largest |velocity| while driven
    int32_t released; // bit 0 set: no key drives the axis
    int32_t key; // virtual-key code of the driving key, 0 when none
};
extern MotionAxis ForwardAxis; // Up and Down
extern MotionAxis TurnAxis; // Left and Right

// Virtual-key codes the view reacts to (the values are the platform's).
enum ViewKey : int32_t {
    KeyEscape = 0x1B,
    KeyLeft = 0x25,
    KeyUp = 0x26,
    KeyRight = 0x27,
    KeyDown = 0x28,
    KeyA = 0x41,
    KeyZ = 0x5A,
};

// Key press in the view: arrows drive the axes, A and Z move the eye height.
// Returns false for keys it does not handle (Escape included).
bool PressViewKey(int32_t virtualKey, bool ctrlHeld);

// Key release: only the key that drives an axis lets it decay. Returns false for
// keys other than the four arrows.
bool ReleaseViewKey(int32_t virtualKey);

// Accelerates or decays one axis by one frame; returns the new velocity.
int32_t StepAxis(MotionAxis* axis);

// Moves the viewer along its angle by a signed distance, inside the world bounds.
void AdvanceViewPoint(int32_t distance);

// The per-frame move: forward axis, collision with the objects, then the turn. Returns 0.
int MoveViewer();

// Sets x, y, height, angle and the fixed-point position from whole values.
void PlaceViewer(int32_t x, int32_t y, int32_t height, int32_t angle);
