// The target object's sequence: pulse, trigger, flight, explosion, pause and respawn.
#pragma once

#include <cstdint>

// Bit 15: triggered; then the low 15 bits are the step. Otherwise a frame count for the pulse.
extern uint32_t TargetState;

// State of the respawn generator; starts at 1 and is never reseeded by the program.
extern uint32_t RandomState;

// One draw of the generator: 0..32767.
int32_t NextRandom();

// Advances the target by one frame. Called after drawing, before presentation.
void UpdateTarget();

// Largest r with r * r <= n.
uint32_t IntSqrt(uint32_t n);

// Puts TargetState and the generator back to their start values (tests and tools).
void ResetTarget();
