// The default data set's sound effects, synthesised: 16-bit mono PCM WAV files.
#include "data_sound.h"

#include <algorithm>

#include "data_math.h"

namespace mkdata {

namespace {

    constexpr int32_t Ln2 = 45426; // ln 2, Q16
    constexpr int32_t TwoPi = 411775; // 2 pi, Q16

    int32_t Samples(int32_t milliseconds)
    {
        return int32_t(int64_t(milliseconds) * SoundRate / 1000);
    }

    // Phase step per sample for a frequency in millihertz.
    uint32_t PhaseStep(int64_t milliHertz)
    {
        return uint32_t((milliHertz << 32) / (int64_t(SoundRate) * 1000));
    }

    // e^(-t / tau) with t and tau in samples, Q16.
    int32_t Decay(int32_t t, int32_t tau)
    {
        return ExpNeg(int32_t((int64_t(t) << 16) / tau));
    }

    // A linear fade-in over `length` samples, which keeps the first sample from clicking.
    int32_t Attack(int32_t t, int32_t length)
    {
        return t >= length ? One : int32_t((int64_t(t) << 16) / length);
    }

    // Coefficient of a one-pole low-pass filter with its corner at `hertz`.
    int32_t LowPass(int32_t hertz)
    {
        return One - ExpNeg(int32_t(int64_t(TwoPi) * hertz / SoundRate));
    }

    // Noise -One..One from the generator.
    int32_t Noise(Rng* rng)
    {
        return int32_t(NextRandom(rng) >> 15) - One;
    }

    // Q16 mix to 16-bit samples, scaled so the loudest peak sits at `peak` percent of full scale,
    // with a short fade-out so the last sample does not click either.
    std::vector<int16_t> Finish(const std::vector<int32_t>& mix, int32_t peak)
    {
        int64_t loudest = 1;
        for (int32_t v : mix)
            loudest = std::max<int64_t>(loudest, Abs(v));
        std::vector<int16_t> out(mix.size());
        const int32_t fade = Samples(10);
        for (size_t i = 0; i < mix.size(); ++i) {
            int64_t v = int64_t(mix[i]) * 32767 * peak / 100 / loudest;
            const int32_t left = int32_t(mix.size() - i);
            if (left < fade)
                v = v * left / fade;
            out[i] = int16_t(Clamp(int32_t(v), -32767, 32767));
        }
        return out;
    }

    void Put32(std::vector<uint8_t>* out, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            out->push_back(uint8_t(v >> (8 * i)));
    }

    void Put16(std::vector<uint8_t>* out, uint32_t v)
    {
        out->push_back(uint8_t(v));
        out->push_back(uint8_t(v >> 8));
    }

    void PutTag(std::vector<uint8_t>* out, const char* tag)
    {
        for (int i = 0; i < 4; ++i)
            out->push_back(uint8_t(tag[i]));
    }

} // namespace

std::vector<uint8_t> MakeWavFile(const std::vector<int16_t>& samples, int32_t rate)
{
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    std::vector<uint8_t> out;
    PutTag(&out, "RIFF");
    Put32(&out, 36 + dataBytes);
    PutTag(&out, "WAVE");
    PutTag(&out, "fmt ");
    Put32(&out, 16);
    Put16(&out, 1); // PCM
    Put16(&out, 1); // mono
    Put32(&out, uint32_t(rate));
    Put32(&out, uint32_t(rate) * 2);
    Put16(&out, 2);
    Put16(&out, 16);
    PutTag(&out, "data");
    Put32(&out, dataBytes);
    for (int16_t s : samples)
        Put16(&out, uint16_t(s));
    return out;
}

std::vector<int16_t> SynthTrigger()
{
    const int32_t length = Samples(520), sweep = Samples(200);
    std::vector<int32_t> mix(length);
    uint32_t phase = 0, fifth = 0, wobble = 0;
    for (int32_t t = 0; t < length; ++t) {
        // Exponential sweep from 440 Hz to 1760 Hz, then held.
        const int32_t below = t < sweep ? int32_t((int64_t(sweep - t) * 2 * Ln2) / sweep) : 0;
        const int64_t milliHertz = int64_t(1760000) * ExpNeg(below) >> 16;
        phase += PhaseStep(milliHertz);
        fifth += PhaseStep(milliHertz * 3 / 2);
        wobble += PhaseStep(23000);
        const int32_t tone = Sine(phase) + Sine(phase * 3) / 5 + Sine(fifth) * 2 / 5;
        const int32_t shimmer = One - (One - Sine(wobble)) / 6;
        const int32_t env = Mul16(Attack(t, Samples(4)), Decay(t, Samples(150)));
        mix[t] = Mul16(Mul16(tone, shimmer), env);
    }
    return Finish(mix, 80);
}

std::vector<int16_t> SynthStartUp()
{
    // C5 E5 G5 C6, a note every 110 ms; the last one rings on.
    static const int32_t notes[] = { 523251, 659255, 783991, 1046502 };
    const int32_t step = Samples(110), length = Samples(1250);
    std::vector<int32_t> mix(length, 0);
    for (int32_t n = 0; n < 4; ++n) {
        const int32_t start = n * step;
        const int32_t tau = Samples(n == 3 ? 420 : 260);
        uint32_t phase = 0, second = 0, third = 0;
        for (int32_t t = 0; start + t < length; ++t) {
            phase += PhaseStep(notes[n]);
            second += PhaseStep(int64_t(notes[n]) * 2 + 1500); // slightly off: a bell's beating
            third += PhaseStep(int64_t(notes[n]) * 3);
            const int32_t bright = Decay(t, Samples(70));
            const int32_t tone = Sine(phase) + Mul16(Sine(second), One * 35 / 100 + bright / 3)
                + Mul16(Sine(third), bright / 4);
            mix[start + t] += Mul16(tone, Mul16(Attack(t, Samples(3)), Decay(t, tau)));
        }
    }
    return Finish(mix, 78);
}

std::vector<int16_t> SynthRespawn()
{
    static const int32_t partials[] = { 1174659, 1479978, 1760000, 2217461, 2637020, 3520000 };
    static const int32_t tremolo[] = { 7100, 9300, 11700, 8300, 13100, 10400 };
    const int32_t length = Samples(900);
    std::vector<int32_t> mix(length, 0);
    for (int32_t k = 0; k < 6; ++k) {
        uint32_t phase = uint32_t(k) * 0x28F5C28Fu, trem = uint32_t(k) * 0x1999999Au;
        // Higher partials come in a little later, so the shimmer seems to rise.
        const int32_t delay = Samples(60 * k);
        for (int32_t t = 0; t < length; ++t) {
            const int64_t glide = int64_t(partials[k]) * (1000 + t * 60 / length) / 1000;
            phase += PhaseStep(glide);
            trem += PhaseStep(tremolo[k]);
            if (t < delay)
                continue;
            const int32_t swell = Mul16(Attack(t - delay, Samples(180)), Decay(t - delay, Samples(260)));
            const int32_t flutter = One / 2 + Sine(trem) / 2;
            mix[t] += Mul16(Sine(phase), Mul16(swell, flutter)) * (6 - k) / 6;
        }
    }
    return Finish(mix, 72);
}

std::vector<int16_t> SynthBump()
{
    const int32_t length = Samples(200);
    std::vector<int32_t> mix(length);
    Rng rng { 0xB0B5EEDu };
    uint32_t phase = 0;
    int32_t thump = 0;
    const int32_t smooth = LowPass(400);
    for (int32_t t = 0; t < length; ++t) {
        // Pitch falls from 110 Hz toward 45 Hz, like a body giving way on impact.
        const int64_t milliHertz = 45000 + ((int64_t(65000) * Decay(t, Samples(35))) >> 16);
        phase += PhaseStep(milliHertz);
        thump += Mul16(Noise(&rng) - thump, smooth);
        const int32_t click = Mul16(thump * 3, Decay(t, Samples(12)));
        const int32_t body = Mul16(Sine(phase), Decay(t, Samples(55)));
        mix[t] = Mul16(body + click, Attack(t, Samples(2)));
    }
    return Finish(mix, 85);
}

std::vector<int16_t> SynthExplosion()
{
    const int32_t length = Samples(1900);
    std::vector<int32_t> mix(length);
    Rng rng { 0xE8910DEu };
    int32_t bright = 0, dull = 0, rumbleIn = 0, rumble = 0;
    uint32_t phase = 0;
    const int32_t rumbleFilter = LowPass(70);
    for (int32_t t = 0; t < length; ++t) {
        const int32_t noise = Noise(&rng);
        // The burst's corner falls from 5 kHz to 300 Hz as it dies away.
        const int32_t corner = 300 + Mul16(4700, Decay(t, Samples(250)));
        bright += Mul16(noise - bright, LowPass(corner));
        dull += Mul16(bright - dull, LowPass(corner));
        rumbleIn += Mul16(noise - rumbleIn, rumbleFilter);
        rumble += Mul16(rumbleIn - rumble, rumbleFilter);
        phase += PhaseStep(38000 + ((int64_t(20000) * Decay(t, Samples(600))) >> 16));
        const int32_t burst = Mul16(dull, Mul16(Attack(t, Samples(6)), Decay(t, Samples(380))));
        const int32_t low
            = Mul16(rumble * 14 + Sine(phase) / 2, Mul16(Attack(t, Samples(30)), Decay(t, Samples(700))));
        // A few crackles in the first half second.
        int32_t crackle = 0;
        if (t < Samples(500) && (NextRandom(&rng) & 1023) == 0)
            crackle = Noise(&rng) / 2;
        mix[t] = burst + low + crackle;
    }
    return Finish(mix, 90);
}

} // namespace mkdata
