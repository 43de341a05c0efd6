// Integer helpers for the data generators: fixed-point sine and decay, hashing, noise, a PRNG.
#pragma once

#include <cstdint>

namespace mkdata {

// Fractions are Q16: 65536 is 1.0. Everything here is integer arithmetic, so the generated
// data is the same bytes whatever compiler or floating-point unit builds the tool.
constexpr int32_t One = 65536;

inline int32_t Mul16(int32_t a, int32_t b)
{
    return int32_t((int64_t(a) * b) >> 16);
}
inline int32_t Clamp(int32_t v, int32_t lo, int32_t hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}
inline int32_t Abs(int32_t v)
{
    return v < 0 ? -v : v;
}
inline int32_t Lerp(int32_t a, int32_t b, int32_t t)
{
    return a + Mul16(b - a, t);
}

// 3t^2 - 2t^3 for t in 0..One: eases the ends of a blend.
int32_t SmoothStep(int32_t t);
// 0 below edge0, One above edge1, smooth in between.
int32_t SmoothRange(int32_t edge0, int32_t edge1, int32_t x);

// Sine of a phase where 2^32 is one full turn, Q16.
int32_t Sine(uint32_t phase);
inline int32_t Cosine(uint32_t phase)
{
    return Sine(phase + 0x40000000u);
}
// Phase of one turn divided into `steps` parts, step i.
inline uint32_t TurnPhase(int32_t i, int32_t steps)
{
    return uint32_t((int64_t(i) << 32) / steps);
}

// e^-x for x >= 0 in Q16, result Q16.
int32_t ExpNeg(int32_t x);

uint32_t IntSqrt(uint64_t n);

// Well-mixed 32 bits from three integers.
uint32_t Hash3(uint32_t a, uint32_t b, uint32_t c);

// xorshift32; a fixed seed per generator keeps every run identical.
struct Rng {
    uint32_t state;
};
uint32_t NextRandom(Rng* rng);
// 0..n-1.
int32_t RandomBelow(Rng* rng, int32_t n);

// Value noise 0..One-1 at (x, y) given in 1/256 units of the lattice. A positive period
// (in lattice cells) wraps that axis, so the noise tiles.
int32_t LatticeNoise(int64_t x256, int64_t y256, int32_t periodX, int32_t periodY, uint32_t seed);

// Fractal noise 0..One-1 at pixel (x256/256, y256/256): octaves from `cell` pixels down,
// each half the size and half the weight of the one before. A positive period in pixels
// wraps that axis; it must be a multiple of cell.
int32_t Fbm(int64_t x256, int64_t y256, int32_t cell, int32_t octaves, int32_t periodX, int32_t periodY,
    uint32_t seed);

} // namespace mkdata
