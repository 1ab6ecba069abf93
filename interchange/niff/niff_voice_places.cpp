// Free voices for the chords a measure close could not give a voice of its own.
#include "interchange/niff/niff_voice_places.h"

#include <algorithm>

namespace ql::niff {
namespace {

bool Overlap(const NiffChordRecord& a, const NiffChordRecord& b) {
    return a.tick < b.End() && b.tick < a.End();
}

bool IsRest(const std::vector<NiffChordRecord>& chords, int chord) {
    return chords[static_cast<size_t>(chord)].direction == 0;
}

// Whether no note of the voice (and, with `restsCount`, no rest) lies over the
// chord's time.
bool FreeFor(const std::vector<NiffChordRecord>& chords, const std::vector<int>& voice, const NiffChordRecord& chord,
             bool restsCount) {
    return std::none_of(voice.begin(), voice.end(), [&](int c) {
        return (restsCount || !IsRest(chords, c)) && Overlap(chords[static_cast<size_t>(c)], chord);
    });
}

int EventsOf(const std::vector<NiffChordRecord>& chords, int chord) {
    return static_cast<int>(chords[static_cast<size_t>(chord)].events.size());
}

// Puts the chord into the voice's time order; the voice's rests under it give way
// (the voice's gaps are filled again at the close). The number of rests that gave way.
int Insert(const std::vector<NiffChordRecord>& chords, std::vector<int>& voice, int chord) {
    const NiffChordRecord& placed = chords[static_cast<size_t>(chord)];
    int gave = 0;
    std::erase_if(voice, [&](int c) {
        const bool under = IsRest(chords, c) && Overlap(chords[static_cast<size_t>(c)], placed);
        if (under) gave += EventsOf(chords, c);
        return under;
    });
    const auto at = std::find_if(voice.begin(), voice.end(),
                                 [&](int c) { return chords[static_cast<size_t>(c)].tick > placed.tick; });
    voice.insert(at, chord);
    return gave;
}

}  // namespace

NiffExtraPlaces PlaceNiffExtraChains(const std::vector<NiffChordRecord>& chords,
                                     const std::vector<std::vector<int>>& extra, NiffVoiceChains& voices) {
    NiffExtraPlaces result;
    for (const std::vector<int>& chain : extra) {
        const auto whole = std::find_if(voices.begin(), voices.end(), [&](const std::vector<int>& voice) {
            return std::all_of(chain.begin(), chain.end(),
                               [&](int c) { return FreeFor(chords, voice, chords[static_cast<size_t>(c)], false); });
        });
        if (whole != voices.end()) {
            for (int c : chain) result.restsGivenWay += Insert(chords, *whole, c);
            continue;
        }
        for (int c : chain) {
            const NiffChordRecord& chord = chords[static_cast<size_t>(c)];
            const auto free = std::find_if(voices.begin(), voices.end(), [&](const std::vector<int>& voice) {
                return FreeFor(chords, voice, chord, false);
            });
            if (free != voices.end()) {
                result.restsGivenWay += Insert(chords, *free, c);
            } else {
                result.dropped += EventsOf(chords, c);
                if (IsRest(chords, c)) result.droppedRests += EventsOf(chords, c);
            }
        }
    }
    return result;
}

int PlaceNiffGraceChords(const std::vector<NiffChordRecord>& chords, const std::vector<int>& graces,
                         NiffVoiceChains& voices) {
    int dropped = 0;
    const auto isGrace = [&](int c) { return std::find(graces.begin(), graces.end(), c) != graces.end(); };
    for (int g : graces) {
        const NiffChordRecord& grace = chords[static_cast<size_t>(g)];
        const auto free = [&](const std::vector<int>& v) { return FreeFor(chords, v, grace, true); };
        // Voices of grace notes only, then empty ones: no rests come around them.
        auto voice = std::find_if(voices.begin(), voices.end(), [&](const std::vector<int>& v) {
            return !v.empty() && std::all_of(v.begin(), v.end(), isGrace) && free(v);
        });
        if (voice == voices.end())
            voice = std::find_if(voices.begin(), voices.end(), [](const std::vector<int>& v) { return v.empty(); });
        if (voice == voices.end()) voice = std::find_if(voices.begin(), voices.end(), free);
        if (voice == voices.end()) {
            dropped += EventsOf(chords, g);
            continue;
        }
        Insert(chords, *voice, g);
    }
    return dropped;
}

}  // namespace ql::niff
