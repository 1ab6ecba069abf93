// The stems of an imported voice's beam groups and chords, by a seeded driver of
// random groups (chords of one to three notes anywhere around the staff, eighths to
// 32nds, normal or grace size, each chord with the direction its own note would
// take): every group comes out with one direction, a straight beam no steeper than
// two spaces, and every stem at least the shortest length of its size past its
// chord's outer note, its further beams included; an unbeamed chord's stem reaches
// past its outer note. Then a group of two directions takes the one its farthest
// note from the middle line asks for. Then, by a table of two voices on a staff, a
// group's beam moves past the other voice's heads between its ends, its stems
// lengthened, and leaves the stems alone when it is clear.
#include "interchange/niff/niff_beam_stems.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "notes/drawing/beam_layout.h"
#include "notes/drawing/note_fields.h"

namespace ql::niff {
namespace {

constexpr int32_t kStep = 64;
constexpr int kMiddle = -4;

struct Chord {
    int32_t tick;
    std::vector<int> positions;  // the first is the chord's head
    int code;
    bool grace;
};

NiffVoice VoiceOf(const std::vector<Chord>& chords, bool beamed) {
    NiffVoice voice;
    int previous = -1;
    for (const Chord& c : chords) {
        const int head = static_cast<int>(voice.events.size());
        for (size_t k = 0; k < c.positions.size(); ++k) {
            NiffEvent e;
            e.tick = c.tick;
            e.code = c.code;
            e.position = c.positions[k];
            e.grace = c.grace;
            e.direction = c.positions[0] > kMiddle ? -1 : 1;
            e.stemLength = static_cast<int16_t>(e.direction * 7 * kStep);
            e.chordHead = k == 0;
            voice.events.push_back(e);
        }
        if (beamed && previous >= 0) {
            voice.events[static_cast<size_t>(head)].beamPrev = previous;
            voice.events[static_cast<size_t>(previous)].beamNext = head;
        }
        previous = head;
    }
    return voice;
}

// The chord heads' indexes.
std::vector<size_t> Heads(const NiffVoice& voice) {
    std::vector<size_t> heads;
    for (size_t i = 0; i < voice.events.size(); ++i)
        if (voice.events[i].chordHead) heads.push_back(i);
    return heads;
}

TEST(NiffBeamStemsTest, GroupsGetOneDirectionAndStemsThatReachTheBeam) {
    std::mt19937 rng(20261209);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(::testing::Message() << "round " << round);
        const bool beamed = round % 4 != 0;
        const bool grace = round % 5 == 1;
        std::vector<Chord> chords;
        for (int c = 0, count = beamed ? pick(2, 6) : 1; c < count; ++c) {
            Chord chord{grace ? 0 : c * 256, {}, pick(7, 9), grace};
            const int top = pick(-16, 6);
            for (int n = pick(1, 3), p = top; n > 0; --n, p += pick(1, 4)) chord.positions.push_back(p);
            chords.push_back(chord);
        }
        NiffVoice voice = VoiceOf(chords, beamed);
        SettleNiffBeamStems(voice);
        const std::vector<size_t> heads = Heads(voice);
        const int direction = voice.events[heads.front()].direction;
        const bool up = direction < 0;
        const int32_t length = grace ? kGraceStemLength : kNormalStemLength;
        std::vector<int32_t> beam;
        for (size_t c = 0; c < heads.size(); ++c) {
            const NiffEvent& head = voice.events[heads[c]];
            EXPECT_EQ(head.direction, direction) << "chord " << c;
            const std::vector<int>& p = chords[c].positions;
            const int32_t side = (up ? *std::min_element(p.begin(), p.end()) : *std::max_element(p.begin(), p.end())) * kStep;
            const int32_t end = head.position * kStep + head.stemLength;
            const int32_t reach = up ? side - end : end - side;
            const int32_t least = beamed ? length * 5 / 7 + (BeamCountOf(head.code) - 1) * 96 * length / kNormalStemLength
                                         : length;
            EXPECT_GE(reach, least) << "chord " << c;
            beam.push_back(end);
        }
        if (!beamed) continue;
        EXPECT_LE(std::abs(beam.back() - beam.front()), 4 * kStep);
        // The chords stand evenly along the beam (by their ticks, grace notes by their order).
        const int64_t last = static_cast<int64_t>(beam.size() - 1);
        for (size_t c = 1; c + 1 < beam.size(); ++c) {
            const int64_t line = beam.front() + (int64_t{beam.back()} - beam.front()) * static_cast<int64_t>(c) / last;
            EXPECT_NEAR(beam[c], line, 1) << "chord " << c;
        }
    }
}

TEST(NiffBeamStemsTest, AGroupOfTwoDirectionsTakesTheOneItsFarthestNoteAsksFor) {
    struct Case {
        std::vector<int> positions;  // one note per chord
        int direction;
    };
    const Case cases[] = {
        {{-10, -6, -3}, 1},  // the highest note is the farthest: stems down
        {{-5, -2, 2}, -1},   // the lowest is: stems up
        {{-8, -7, -6}, 1},   // all above the middle line: one direction already
    };
    for (const Case& c : cases) {
        std::vector<Chord> chords;
        for (size_t i = 0; i < c.positions.size(); ++i)
            chords.push_back({static_cast<int32_t>(i * 256), {c.positions[i]}, 9, false});
        NiffVoice voice = VoiceOf(chords, true);
        SettleNiffBeamStems(voice);
        for (const NiffEvent& e : voice.events) EXPECT_EQ(e.direction, c.direction);
    }
}

// Whether the beam band of voice `v`'s group (its levels toward the notes) keeps a
// gap from every head of the other voices between its ends; a grace note (before
// its tick) from the beam over the chord before it to the beam over its tick.
bool BeamClearsOtherHeads(const NiffStaffMeasure& m, size_t v, int32_t gap) {
    const std::vector<NiffEvent>& e = m.voices[v].events;
    const std::vector<size_t> heads = Heads(m.voices[v]);
    const NiffEvent& a = e[heads.front()];
    const NiffEvent& b = e[heads.back()];
    const int32_t sign = a.direction < 0 ? -1 : 1;
    const int32_t depth = (BeamCountOf(a.code) - 1) * 96 + 64;
    for (size_t o = 0; o < m.voices.size(); ++o) {
        if (o == v) continue;
        for (const NiffEvent& h : m.voices[o].events) {
            if (h.tick < a.tick || h.tick > b.tick || (h.grace && h.tick == a.tick)) continue;
            int32_t from = h.tick;
            for (size_t k : heads)
                if (h.grace && e[k].tick < h.tick) from = e[k].tick;
            for (const int32_t tick : {from, h.tick}) {
                const int32_t y0 = a.position * kStep + a.stemLength, y1 = b.position * kStep + b.stemLength;
                const int32_t outer = sign * (y0 + (y1 - y0) * (tick - a.tick) / (b.tick - a.tick));
                const int32_t near = sign * h.position * kStep - kStep, far = near + 2 * kStep;
                if (outer - depth < far + gap && outer + gap > near) return false;
            }
        }
    }
    return true;
}

TEST(NiffBeamStemsTest, ABeamStandsClearOfTheOtherVoicesHeadsBetweenItsEnds) {
    struct Case {
        std::vector<int> beamed;  // the beamed voice's eighths, one a beat apart
        std::vector<int> other;   // the other voice's quarters, one a beat apart
        bool moves;               // whether the beam has to move
        std::vector<std::pair<int, int>> graces{};  // the other voice's grace notes: beat, position
    };
    const Case cases[] = {
        {{0, 1, 0, 1}, {-4, -7, -4, -6}, true},      // stems up: heads of the upper voice at the beam
        {{-9, -10, -9, -10}, {-5, -2, -5, -3}, true},  // stems down: heads of the lower voice at the beam
        {{0, 0, 0}, {-7, -9, -4}, true},               // a second head beyond the first one passed
        {{0, 1, 0, 1}, {-14, -13, -14, -13}, false},   // heads far beyond the beam
        {{0, 1, 0, 1}, {2, 3, 2, 3}, false},           // heads on the notes' side
        {{0, 1, 0, 1}, {-14, -13, -14, -13}, true, {{2, -7}}},  // a grace note before a beat, at the beam
        {{0, 4, 8}, {-14, -13, -14}, true, {{2, -6}}},  // clear of the beam over its beat, not of it before
        {{0, 1, 0, 1}, {-14, -13, -14, -13}, false, {{0, -7}}},  // before the group: beyond the beam
    };
    for (size_t n = 0; n < std::size(cases); ++n) {
        SCOPED_TRACE(::testing::Message() << "case " << n);
        const Case& c = cases[n];
        std::vector<Chord> beamed, other;
        for (size_t i = 0; i < c.beamed.size(); ++i) beamed.push_back({static_cast<int32_t>(i * 256), {c.beamed[i]}, 9, false});
        for (size_t i = 0; i < c.other.size(); ++i) other.push_back({static_cast<int32_t>(i * 256), {c.other[i]}, 10, false});
        for (const auto& [beat, position] : c.graces) other.push_back({beat * 256, {position}, 9, true});
        NiffStaffMeasure m;
        m.voices[0] = VoiceOf(beamed, true);
        m.voices[1] = VoiceOf(other, false);
        for (NiffEvent& e : m.voices[1].events)
            if (e.grace) e.nudge = -6;
        SettleNiffBeamStems(m.voices[0]);
        const std::vector<NiffEvent> settled = m.voices[0].events;
        EXPECT_EQ(BeamClearsOtherHeads(m, 0, 1), !c.moves);
        ClearNiffBeamsOfOtherVoices(m);
        EXPECT_TRUE(BeamClearsOtherHeads(m, 0, 32));
        for (size_t i = 0; i < settled.size(); ++i) {
            const int16_t before = settled[i].stemLength, after = m.voices[0].events[i].stemLength;
            EXPECT_EQ(m.voices[0].events[i].direction, settled[i].direction);
            EXPECT_GE(std::abs(after), std::abs(before)) << "chord " << i;  // never shorter
            if (!c.moves) {
                EXPECT_EQ(after, before) << "chord " << i;
            }
        }
    }
}

}  // namespace
}  // namespace ql::niff
