// Integer helpers for the data generators: fixed-point sine and decay, hashing, noise, a PRNG.
#include "data_math.h"

#include <array>

namespace mkdata {

namespace {

    constexpr int SineSteps = 4096;

    // Taylor series in Q30 for the first quarter turn; the rest follows by symmetry.
    std::array<int32_t, SineSteps + 1> MakeSineTable()
    {
        constexpr int64_t Pi30 = 3373259426LL; // pi * 2^30
        std::array<int32_t, SineSteps + 1> table {};
        for (int i = 0; i <= SineSteps / 4; ++i) {
            const int64_t x = Pi30 * 2 * i / SineSteps;
            const int64_t x2 = (x * x) >> 30;
            int64_t term = x;
            int64_t sum = x;
            for (int k = 1; k < 12; ++k) {
                term = -((term * x2) >> 30) / ((2 * k) * (2 * k + 1));
                sum += term;
            }
            const int32_t q16 = int32_t((sum + (1 << 13)) >> 14);
            table[i] = q16;
            table[SineSteps / 2 - i] = q16;
            table[SineSteps / 2 + i] = -q16;
            table[SineSteps - i] = -q16;
        }
        table[SineSteps] = 0;
        return table;
    }

    const std::array<int32_t, SineSteps + 1> SineTable = MakeSineTable();

} // namespace

int32_t SmoothStep(int32_t t)
{
    t = Clamp(t, 0, One);
    return int32_t((int64_t(t) * t * (3 * int64_t(One) - 2 * int64_t(t))) >> 32);
}

int32_t SmoothRange(int32_t edge0, int32_t edge1, int32_t x)
{
    if (edge1 == edge0)
        return x < edge0 ? 0 : One;
    return SmoothStep(int32_t((int64_t(x - edge0) << 16) / (edge1 - edge0)));
}

int32_t Sine(uint32_t phase)
{
    const uint32_t i = phase >> 20;
    const int32_t frac = int32_t((phase >> 4) & 0xFFFF);
    return SineTable[i] + Mul16(SineTable[i + 1] - SineTable[i], frac);
}

int32_t ExpNeg(int32_t x)
{
    if (x <= 0)
        return One;
    constexpr int64_t InvE30 = 395007542; // e^-1 * 2^30
    int64_t whole = int64_t(1) << 30;
    for (int32_t n = x >> 16; n > 0; --n) {
        whole = (whole * InvE30) >> 30;
        if (whole == 0)
            return 0;
    }
    const int64_t f = int64_t(x & 0xFFFF) << 14; // Q30, below 1
    int64_t term = int64_t(1) << 30;
    int64_t sum = term;
    for (int k = 1; k < 14; ++k) {
        term = -((term * f) >> 30) / k;
        sum += term;
    }
    return int32_t((((whole * sum) >> 30) + (1 << 13)) >> 14);
}

uint32_t IntSqrt(uint64_t n)
{
    uint64_t r = 0;
    uint64_t bit = uint64_t(1) << 62;
    while (bit > n)
        bit >>= 2;
    while (bit != 0) {
        if (n >= r + bit) {
            n -= r + bit;
            r = (r >> 1) + bit;
        } else {
            r >>= 1;
        }
        bit >>= 2;
    }
    return uint32_t(r);
}

uint32_t Hash3(uint32_t a, uint32_t b, uint32_t c)
{
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

uint32_t NextRandom(Rng* rng)
{
    uint32_t x = rng->state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    rng->state = x;
    return x;
}

int32_t RandomBelow(Rng* rng, int32_t n)
{
    return int32_t((uint64_t(NextRandom(rng)) * uint32_t(n)) >> 32);
}

namespace {

    int32_t Wrap(int64_t v, int32_t period)
    {
        if (period <= 0)
            return int32_t(v);
        const int64_t m = v % period;
        return int32_t(m < 0 ? m + period : m);
    }

    int32_t Corner(int64_t ix, int64_t iy, int32_t periodX, int32_t periodY, uint32_t seed)
    {
        return int32_t(Hash3(uint32_t(Wrap(ix, periodX)), uint32_t(Wrap(iy, periodY)), seed) >> 16);
    }

    int64_t FloorDiv256(int64_t v)
    {
        return v >= 0 ? v >> 8 : -((-v + 255) >> 8);
    }

} // namespace

int32_t LatticeNoise(int64_t x256, int64_t y256, int32_t periodX, int32_t periodY, uint32_t seed)
{
    const int64_t ix = FloorDiv256(x256);
    const int64_t iy = FloorDiv256(y256);
    const int32_t fx = SmoothStep(int32_t(x256 - ix * 256) << 8);
    const int32_t fy = SmoothStep(int32_t(y256 - iy * 256) << 8);
    const int32_t a = Corner(ix, iy, periodX, periodY, seed);
    const int32_t b = Corner(ix + 1, iy, periodX, periodY, seed);
    const int32_t c = Corner(ix, iy + 1, periodX, periodY, seed);
    const int32_t d = Corner(ix + 1, iy + 1, periodX, periodY, seed);
    return Lerp(Lerp(a, b, fx), Lerp(c, d, fx), fy);
}

int32_t Fbm(int64_t x256, int64_t y256, int32_t cell, int32_t octaves, int32_t periodX, int32_t periodY,
    uint32_t seed)
{
    int64_t sum = 0;
    int64_t weights = 0;
    int32_t weight = 256;
    for (int32_t o = 0; o < octaves && cell > 0; ++o) {
        const int32_t px = periodX > 0 ? periodX / cell : 0;
        const int32_t py = periodY > 0 ? periodY / cell : 0;
        sum += int64_t(LatticeNoise(x256 / cell, y256 / cell, px, py, seed + uint32_t(o) * 1013u)) * weight;
        weights += weight;
        weight >>= 1;
        cell >>= 1;
    }
    return weights ? int32_t(sum / weights) : 0;
}

} // namespace mkdata
