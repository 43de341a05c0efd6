// The target object's sequence: pulse, trigger, flight, explosion, pause and respawn.
#include "world/target.h"

#include "sound/sound.h"
#include "world/objects.h"
#include "world/viewpoint.h"

uint32_t TargetState = 0;
uint32_t RandomState = 1;

namespace {

constexpr uint32_t Triggered = 0x8000;
constexpr uint32_t StepMask = 0x7FFF;
constexpr int16_t RestBitmap = 31;

constexpr int32_t FlightSpeed = 64;
constexpr uint32_t ExplosionStep = 65;
constexpr uint32_t LastPictureStep = 78;
constexpr uint32_t HideStep = 79;
constexpr uint32_t RespawnStep = 200;

constexpr int SoundTrigger = 0;
constexpr int SoundRespawn = 2;
constexpr int SoundExplosion = 4;

SceneObject* FindTarget()
{
    for (SceneObject& object : SceneObjectTable)
        if (object.bitmap >= FirstTargetBitmap)
            return &object;
    return nullptr;
}

// Points the velocity from the viewer through the target's centre, about FlightSpeed long.
void SetFlightDirection(SceneObject& target)
{
    int64_t ex = (int64_t(target.x) - ViewPoint.x) * 16;
    int64_t ey = (int64_t(target.y) - ViewPoint.y) * 16;
    // The squared length must fit 32 bits for IntSqrt. Only a viewer thousands of units
    // away gets here (the pulse count can wrap into a sequence with no trigger); halving
    // both keeps the direction, and a nearer viewer's arithmetic is untouched.
    while (ex > 0xFFFF || ex < -0xFFFF || ey > 0xFFFF || ey < -0xFFFF) {
        ex >>= 1;
        ey >>= 1;
    }
    while (ex * ex + ey * ey > int64_t(UINT32_MAX)) {
        ex >>= 1;
        ey >>= 1;
    }
    const uint16_t d = uint16_t(IntSqrt(uint32_t(ex * ex + ey * ey)));
    if (d == 0) {
        // The viewer stands on the centre, so there is no "away": fly toward +y.
        target.dx = 0;
        target.dy = FlightSpeed;
        return;
    }
    target.dx = Wrap16(int32_t(ex) * FlightSpeed / d);
    target.dy = Wrap16(int32_t(ey) * FlightSpeed / d);
}

void Respawn(SceneObject& target)
{
    PlayEffect(SoundRespawn);
    TargetState = 0;
    target.flags = 0;
    target.bitmap = RestBitmap;
    target.width = 64;
    target.height = 64;
    target.dx = 0;
    target.dy = 0;
    target.z = 160;
    // Never onto the viewer's exact spot: that would leave no direction to fly off in.
    do {
        target.x = int16_t(NextRandom() & 1023);
        target.y = int16_t(NextRandom() & 1023);
    } while (target.x == ViewPoint.x && target.y == ViewPoint.y);
}

} // namespace

int32_t NextRandom()
{
    RandomState = RandomState * 214013u + 2531011u;
    return int32_t((RandomState >> 16) & 0x7FFF);
}

void ResetTarget()
{
    TargetState = 0;
    RandomState = 1;
}

uint32_t IntSqrt(uint32_t n)
{
    if (n < 2)
        return n;
    int32_t top = 31;
    while (!(n & (uint32_t(1) << top)))
        --top;
    const int32_t h = top >> 1;
    uint32_t r = uint32_t(1) << h;
    uint32_t r2 = uint32_t(1) << (2 * h);
    for (int32_t b = h - 1; b >= 0; --b) {
        const uint32_t bit = uint32_t(1) << b;
        const uint32_t t = r2 + (2 * r + bit) * bit; // (r + bit)^2, at most 65535^2
        if (t <= n) {
            r += bit;
            r2 = t;
        }
    }
    return r;
}

void UpdateTarget()
{
    SceneObject* found = FindTarget();
    if (!found)
        return;
    SceneObject& target = *found;

    if (!(TargetState & Triggered)) {
        // The pulse shares the word with the flag, so 32,768 quiet frames start a sequence.
        ++TargetState;
        int32_t a = int32_t(TargetState & 31);
        if (a > 16)
            a = 32 - a;
        const int32_t size = (a + 4) * 16;
        target.width = int16_t(size);
        target.height = int16_t(size);

        const int32_t left = int32_t(target.x) - (size >> 1);
        const int32_t right = left + size - 1;
        const int32_t bottom = int32_t(target.y) - (size >> 1);
        const int32_t top = bottom + size - 1;
        if (left <= ViewPoint.x && ViewPoint.x <= right && bottom <= ViewPoint.y && ViewPoint.y <= top) {
            TargetState = Triggered;
            PlayEffect(SoundTrigger);
        }
        if (!(TargetState & Triggered))
            return;
    }

    const uint32_t step = TargetState & StepMask;
    if (step == 0) {
        SetFlightDirection(target);
        TargetState = Triggered + 1;
    } else if (step < ExplosionStep) {
        const int32_t k = int32_t(step) - 1;
        target.z = Wrap16(160 + k * (900 - 15 * k) / 8);
        ++TargetState;
    } else if (step == ExplosionStep) {
        PlayEffect(SoundExplosion);
        target.dx = 0;
        target.dy = 0;
        target.bitmap = FirstTargetBitmap;
        target.z = 300;
        target.width = 726;
        target.height = 630;
        ++TargetState;
    } else if (step <= LastPictureStep) {
        target.bitmap = int16_t(FirstTargetBitmap + ((step - ExplosionStep) >> 1));
        ++TargetState;
    } else if (step == HideStep) {
        target.flags = ObjectHidden;
        ++TargetState;
    } else if (step < RespawnStep) {
        ++TargetState;
    } else {
        Respawn(target);
    }
}
