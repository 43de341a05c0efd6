// The default data set's tune: a Standard MIDI File composed from note tables.
#include "data_music.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace mkdata {

namespace {

    constexpr int32_t Eighth = TuneTicksPerBeat / 2;
    constexpr int32_t Bar = TuneTicksPerBeat * 4;

    // Chords per bar: two bars of introduction, the verse, the bridge, and two bars to close.
    // Each is a root (MIDI note in the bass octave) and the two notes above it for the pad.
    struct Chord {
        int32_t root, third, fifth;
    };
    constexpr Chord Am { 45, 48, 52 }, F { 41, 45, 48 }, C { 48, 52, 55 }, G { 43, 47, 50 }, E { 40, 44, 47 },
        Em { 40, 43, 47 }, Dm { 38, 41, 45 };
    const Chord Chords[] = { Am, Am, Am, F, C, G, Am, F, G, E, F, G, Em, Am, Dm, G, C, E, Am, Am };
    constexpr int32_t BarCount = int32_t(sizeof Chords / sizeof Chords[0]);

    // The lead, bar by bar in eighths: "E5/2" is E in octave 5 for two eighths, "r/2" a rest.
    const char* const Melody[BarCount] = {
        "r/8",
        "r/8",
        "E5/2 A4/1 C5/1 E5/2 D5/1 C5/1",
        "D5/3 C5/1 A4/4",
        "G4/1 C5/1 E5/2 G5/2 E5/2",
        "D5/6 r/2",
        "E5/2 A5/2 G5/1 E5/1 C5/2",
        "F5/2 E5/1 D5/1 C5/2 A4/2",
        "B4/2 D5/2 G5/2 F5/1 D5/1",
        "E5/4 G#4/2 B4/2",
        "A5/3 G5/1 F5/2 C5/2",
        "B4/2 D5/2 G5/3 F5/1",
        "E5/2 G5/2 B5/2 G5/2",
        "A5/6 r/2",
        "F5/2 D5/1 F5/1 A5/2 G5/1 F5/1",
        "G5/2 D5/2 B4/2 D5/2",
        "E5/2 G5/2 C6/3 B5/1",
        "B5/2 G#5/2 E5/2 D5/2",
        "E5/2 A4/1 C5/1 E5/2 B4/1 C5/1",
        "A4/8",
    };

    struct Event {
        int32_t tick;
        int32_t order; // at one tick: note-offs before program changes before note-ons
        uint8_t bytes[3];
        int32_t size;
    };

    void AddNote(std::vector<Event>* events, int32_t channel, int32_t tick, int32_t length, int32_t note,
        int32_t velocity)
    {
        events->push_back({ tick, 2, { uint8_t(0x90 | channel), uint8_t(note), uint8_t(velocity) }, 3 });
        events->push_back({ tick + length, 0, { uint8_t(0x80 | channel), uint8_t(note), 64 }, 3 });
    }

    // "G#4" -> 68.
    int32_t NoteNumber(const std::string& name)
    {
        static const int32_t steps[] = { 9, 11, 0, 2, 4, 5, 7 }; // A B C D E F G
        int32_t n = steps[name[0] - 'A'];
        size_t i = 1;
        if (name[i] == '#') {
            ++n;
            ++i;
        } else if (name[i] == 'b') {
            --n;
            ++i;
        }
        return 12 * (name[i] - '0' + 1) + n;
    }

    void PutVarLen(std::vector<uint8_t>* out, uint32_t v)
    {
        uint8_t bytes[5];
        int32_t n = 0;
        bytes[n++] = uint8_t(v & 0x7F);
        while (v >>= 7)
            bytes[n++] = uint8_t(0x80 | (v & 0x7F));
        while (n > 0)
            out->push_back(bytes[--n]);
    }

    void PutBig32(std::vector<uint8_t>* out, uint32_t v)
    {
        for (int i = 3; i >= 0; --i)
            out->push_back(uint8_t(v >> (8 * i)));
    }

    void PutMeta(std::vector<uint8_t>* track, uint32_t delta, uint8_t type, const std::vector<uint8_t>& data)
    {
        PutVarLen(track, delta);
        track->push_back(0xFF);
        track->push_back(type);
        PutVarLen(track, uint32_t(data.size()));
        track->insert(track->end(), data.begin(), data.end());
    }

    std::vector<uint8_t> Text(const char* s)
    {
        return std::vector<uint8_t>(s, s + std::strlen(s));
    }

    // One MTrk chunk: its name, then the events in time order with running status, then the end.
    std::vector<uint8_t> TrackChunk(
        const char* name, std::vector<Event> events, const std::vector<uint8_t>& prefix)
    {
        std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        std::vector<uint8_t> body = prefix;
        PutMeta(&body, 0, 0x03, Text(name));
        int32_t now = 0;
        uint8_t status = 0;
        for (const Event& e : events) {
            PutVarLen(&body, uint32_t(e.tick - now));
            now = e.tick;
            if (e.bytes[0] != status)
                body.push_back(e.bytes[0]);
            status = e.bytes[0];
            body.insert(body.end(), e.bytes + 1, e.bytes + e.size);
        }
        PutMeta(&body, uint32_t(std::max(0, BarCount * Bar - now)), 0x2F, {});
        std::vector<uint8_t> chunk = Text("MTrk");
        PutBig32(&chunk, uint32_t(body.size()));
        chunk.insert(chunk.end(), body.begin(), body.end());
        return chunk;
    }

    std::vector<Event> Lead()
    {
        std::vector<Event> events;
        events.push_back({ 0, 1, { 0xC0, 81, 0 }, 2 }); // sawtooth lead
        for (int32_t bar = 0; bar < BarCount; ++bar) {
            int32_t tick = bar * Bar;
            const std::string line = Melody[bar];
            size_t at = 0;
            while (at < line.size()) {
                size_t end = line.find(' ', at);
                if (end == std::string::npos)
                    end = line.size();
                const std::string token = line.substr(at, end - at);
                at = end + 1;
                const size_t slash = token.find('/');
                const int32_t length = (token[slash + 1] - '0') * Eighth;
                if (token[0] != 'r') {
                    // Downbeats a little stronger than the notes between them.
                    const int32_t velocity = (tick % TuneTicksPerBeat == 0) ? 100 : 84;
                    AddNote(&events, 0, tick, length - 24, NoteNumber(token.substr(0, slash)), velocity);
                }
                tick += length;
            }
        }
        return events;
    }

    std::vector<Event> Bass()
    {
        std::vector<Event> events;
        events.push_back({ 0, 1, { 0xC1, 38, 0 }, 2 }); // synth bass
        // Root, root, root, fifth, octave, fifth: a driving figure in eighths.
        static const int32_t figure[][2] = { { 0, 2 }, { 0, 1 }, { 0, 1 }, { 7, 2 }, { 12, 1 }, { 7, 1 } };
        for (int32_t bar = 0; bar < BarCount; ++bar) {
            const int32_t root = Chords[bar].root;
            if (bar == BarCount - 1) {
                AddNote(&events, 1, bar * Bar, Bar - 60, root, 100);
                continue;
            }
            int32_t tick = bar * Bar;
            for (const auto& step : figure) {
                AddNote(&events, 1, tick, step[1] * Eighth - 50, root + step[0],
                    tick % TuneTicksPerBeat == 0 ? 104 : 88);
                tick += step[1] * Eighth;
            }
        }
        return events;
    }

    std::vector<Event> Pad()
    {
        std::vector<Event> events;
        events.push_back({ 0, 1, { 0xC2, 89, 0 }, 2 }); // warm pad
        for (int32_t bar = 0; bar < BarCount; ++bar) {
            const Chord& c = Chords[bar];
            for (int32_t note : { c.root + 12, c.third + 12, c.fifth + 12 })
                AddNote(&events, 2, bar * Bar, Bar - 30, note, 58);
        }
        return events;
    }

    std::vector<Event> Drums()
    {
        constexpr int32_t Kick = 36, Snare = 38, ClosedHat = 42, OpenHat = 46, Crash = 49, LowTom = 45,
                          HighTom = 50;
        std::vector<Event> events;
        const auto hit = [&](int32_t tick, int32_t note, int32_t velocity) {
            AddNote(&events, 9, tick, 60, note, velocity);
        };
        for (int32_t bar = 0; bar < BarCount; ++bar) {
            const int32_t t = bar * Bar;
            if (bar == BarCount - 1) {
                hit(t, Kick, 110);
                hit(t, Crash, 110);
                continue;
            }
            if (bar == 2 || bar == 10 || bar == 18)
                hit(t, Crash, 104); // each new section
            for (int32_t e = 0; e < 8; ++e) {
                if (bar == 0 && e % 2 == 1)
                    continue; // the first bar only ticks on the beats
                const bool lastOfPhrase = bar % 4 == 1 && e == 7;
                hit(t + e * Eighth, lastOfPhrase ? OpenHat : ClosedHat, e % 2 == 0 ? 80 : 60);
            }
            hit(t, Kick, 110);
            hit(t + 4 * Eighth, Kick, 100);
            if (bar % 2 == 1)
                hit(t + 5 * Eighth, Kick, 84);
            if (bar == 0)
                continue;
            const bool fill = bar == 9 || bar == 17;
            hit(t + 2 * Eighth, Snare, 100);
            if (!fill) {
                hit(t + 6 * Eighth, Snare, 104);
                continue;
            }
            // A fill down the toms into the next section.
            static const int32_t toms[] = { Snare, Snare, HighTom, HighTom, LowTom, LowTom, Snare, Snare };
            for (int32_t s = 0; s < 8; ++s)
                hit(t + 3 * TuneTicksPerBeat + s * TuneTicksPerBeat / 8, toms[s], 76 + s * 5);
        }
        return events;
    }

} // namespace

std::vector<uint8_t> MakeTuneFile()
{
    std::vector<uint8_t> file = Text("MThd");
    PutBig32(&file, 6);
    for (uint8_t b : { 0, 1, 0, 5, TuneTicksPerBeat >> 8, TuneTicksPerBeat & 0xFF })
        file.push_back(b);

    std::vector<uint8_t> tempo;
    PutMeta(&tempo, 0, 0x58, { 4, 2, 24, 8 }); // 4/4
    PutMeta(&tempo, 0, 0x51,
        { uint8_t(TuneMicrosecondsPerBeat >> 16), uint8_t(TuneMicrosecondsPerBeat >> 8),
            uint8_t(TuneMicrosecondsPerBeat) });
    for (const std::vector<uint8_t>& chunk :
        { TrackChunk("Quarvel", {}, tempo), TrackChunk("Lead", Lead(), {}), TrackChunk("Bass", Bass(), {}),
            TrackChunk("Pad", Pad(), {}), TrackChunk("Drums", Drums(), {}) })
        file.insert(file.end(), chunk.begin(), chunk.end());
    return file;
}

} // namespace mkdata
