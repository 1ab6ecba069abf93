// Random scores built with random block lengths: whatever the notes, ties,
// repeats (on the final barline too) and endings, dynamics for one staff or all,
// hairpins, octave lines, multi-measure rests and MIDI event objects of every
// valued kind (their values in and out of range), and wherever the run starts,
// the events come out in time order, every note-on has a later note-off of its
// key on its port and channel, the end of data comes last and alone, and the
// block length changes nothing but where blocks begin.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <tuple>

#include "core/model/document.h"
#include "core/objects/midi_action.h"
#include "core/text/text_object.h"
#include "notes/ties/ties.h"
#include "objects/hairpin/hairpin.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_objects.h"
#include "sequencer/tests/builder/score_fixture.h"

namespace ql::testing {
namespace {

constexpr int kRounds = 40;
constexpr int kMeasures = 6;

class BuilderRandomTest : public ScoreTest {
protected:
    void RandomScore(std::mt19937& random) {
        BuildScore(2, kMeasures);
        for (int m = 0; m <= kMeasures + 1; ++m) {
            SetBarline(m, 0);
            MeasureRecordOf(doc_, m)->extra = 0;
        }
        std::uniform_int_distribution<int> coin(0, 3);
        const int restMeasure = coin(random) == 0 ? 1 + static_cast<int>(random() % kMeasures) : 0;
        if (restMeasure != 0) MeasureRecordOf(doc_, restMeasure)->extra = static_cast<uint8_t>(1 + coin(random));
        for (int staff = 1; staff <= 2; ++staff) {
            for (int m = 1; m <= kMeasures; ++m) {
                for (int t = 0; t < kBar && m != restMeasure; t += 1024) {
                    if (coin(random) == 0) continue;
                    EventRecord* note = Note(staff, m, t, coin(random) == 0 ? kEighthCode : kQuarter,
                                             coin(random) - 2, coin(random) == 0 ? 1 : 0);
                    if (note != nullptr && coin(random) == 0) note->word2 |= kTieStartsHere;
                    if (note != nullptr && coin(random) == 0) note->word2 |= kTieEndsHere;
                    if (note != nullptr && coin(random) == 0) note->velocity = static_cast<int8_t>(coin(random) * 30);
                }
            }
        }
        if (coin(random) != 0) SetBarline(2 + coin(random), 5);
        if (coin(random) != 0) SetBarline(4 + coin(random) % 3, 6, coin(random));
        if (coin(random) == 0) SetBarline(kMeasures + 1, 6, 1 + coin(random) % 2);  // the final barline
        if (coin(random) == 0) {
            AddEnding(4, 1, {1});
            AddEnding(5, 1, {2});
        }
        for (int i = coin(random); i > 0; --i) RandomDynamic(random);
        for (int i = coin(random) % 3; i > 0; --i) RandomOctaveLine(random);
        if (coin(random) == 0) RandomHairpin(random);
        for (int i = coin(random); i > 0; --i) RandomMidiEvent(random);
    }
    // A MIDI event object of a kind from note to pitch wheel, sent once or as a
    // linear transition, with values in and out of their ranges.
    void RandomMidiEvent(std::mt19937& random) {
        ScoreObject* object = Mark(ObjectType::MidiEvent, 1 + static_cast<int>(random() % 2),
                                   1 + static_cast<int>(random() % kMeasures), 0);
        ASSERT_NE(object, nullptr);
        AsTextObject(object)->body.location.position = static_cast<uint32_t>(random() % 4 * 1024) << 16;
        MidiAction& action = *MidiActionOfText(object);
        const auto kind = static_cast<uint16_t>(random() % 6);
        action.flags = static_cast<uint16_t>(kMidiFlagEnabled | kind << kMidiKindShift | (1 + random() % 15) << kMidiVoiceShift);
        action.destinationTiming = static_cast<uint8_t>(random() % 2 == 0 ? 0 : 1 << 4);
        action.interval = static_cast<uint8_t>(random() % 4);
        action.controller = static_cast<uint8_t>(random() % 256);
        action.head.values.value = static_cast<int16_t>(random() % 40000 - 20000);
        action.head.values.finalValue = static_cast<int16_t>(random() % 40000 - 20000);
    }
    // A velocity change for its staff or all staves, at once or over a bar.
    void RandomDynamic(std::mt19937& random) {
        ScoreObject* mark = Mark(ObjectType::Dynamic, 1 + static_cast<int>(random() % 2),
                                 1 + static_cast<int>(random() % kMeasures), static_cast<int>(random() % 4) * 1024);
        ASSERT_NE(mark, nullptr);
        MidiAction& action = *MidiActionOfText(mark);
        action.flags = static_cast<uint16_t>(action.flags | kMidiFlagKeyVelocity);
        const uint8_t allStaves = random() % 2 == 0 ? 1 : 0;
        const uint8_t gradual = random() % 3 == 0 ? 1 << 4 : 0;
        action.destinationTiming = static_cast<uint8_t>(allStaves | gradual);
        action.interval = 16;
        action.head.values.value = static_cast<int16_t>(static_cast<int>(random() % 61) - 30);
        action.head.values.finalValue = static_cast<int16_t>(static_cast<int>(random() % 61) - 30);
    }
    // An 8va or 8vb line over up to three measures.
    void RandomOctaveLine(std::mt19937& random) {
        const int measure = 1 + static_cast<int>(random() % kMeasures);
        ScoreObject* object = Mark(ObjectType::Octave, 1 + static_cast<int>(random() % 2), measure, 0);
        ASSERT_NE(object, nullptr);
        SpannerEndpoint& ends = reinterpret_cast<TextSpanner*>(object)->spanner.endpoint;
        ends.start.coarse[0] = 0;
        ends.start.coarse[1] = static_cast<uint16_t>(random() % 4 * 1024);
        ends.end.coarse[0] = static_cast<uint16_t>(random() % 3);
        ends.end.coarse[1] = static_cast<uint16_t>(random() % 4 * 1024);
        const bool up = random() % 2 == 0;
        reinterpret_cast<TextSpanner*>(object)->text.body.string = up ? kOctaveAboveCode : kOctaveBelowCode;
    }
    // A hairpin from a beat of one measure to a beat of the same or the next.
    void RandomHairpin(std::mt19937& random) {
        ScoreObject* object = Mark(ObjectType::Hairpin, 1 + static_cast<int>(random() % 2),
                                   1 + static_cast<int>(random() % kMeasures), 0);
        ASSERT_NE(object, nullptr);
        HairpinObject& hairpin = *AsHairpin(object);
        hairpin.points[0].coarse[0] = 0;
        hairpin.points[0].coarse[1] = static_cast<uint16_t>(random() % 2 * 1024);
        hairpin.points[1].coarse[0] = static_cast<uint16_t>(random() % 2);
        hairpin.points[1].coarse[1] = static_cast<uint16_t>(2048 + random() % 2 * 1024);
    }
    static void CheckStream(const std::vector<Placed>& all) {
        ASSERT_FALSE(all.empty());
        EXPECT_EQ(all.back().kind, PerformanceEventKind::EndOfData);
        std::map<std::tuple<int, int, int>, int> sounding;  // (port, channel, key) -> note-ons not ended
        for (size_t i = 0; i < all.size(); ++i) {
            if (i > 0) {
                EXPECT_GE(all[i].time, all[i - 1].time);
            }
            if (i + 1 < all.size()) {
                EXPECT_NE(all[i].kind, PerformanceEventKind::EndOfData);
            }
            if (all[i].kind != PerformanceEventKind::Channel) continue;
            const int status = all[i].message & 0xF0;
            const auto key = std::make_tuple(all[i].port, static_cast<int>(all[i].message & 0x0F),
                                             static_cast<int>(MessageByte(all[i].message, 1)));
            if (status == 0x90) ++sounding[key];
            if (status == 0x80) {
                EXPECT_GT(sounding[key], 0) << "a note-off without its note-on";
                --sounding[key];
            }
        }
        for (const auto& [key, count] : sounding) EXPECT_EQ(count, 0) << "a note left sounding";
    }
};

TEST_F(BuilderRandomTest, StreamsHoldTheirInvariants) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> blocks(kMinBlockLength, kMaxBlockLength);
    for (int round = 0; round < kRounds; ++round) {
        RandomScore(random);
        PerformanceOptions options = Options(1 + static_cast<int>(random() % 3), kMeasures);
        options.metronome = random() % 2 == 0;
        options.swingEighths = random() % 3 == 0;
        const std::vector<Placed> small = BuildAll(options, kMinBlockLength);
        CheckStream(small);
        for (int32_t length : {blocks(random), kMaxBlockLength}) {
            const std::vector<Placed> other = BuildAll(options, length);
            ASSERT_EQ(other.size(), small.size()) << "round " << round << ", block length " << length;
            for (size_t i = 0; i < small.size(); ++i) {
                EXPECT_EQ(other[i].time, small[i].time);
                EXPECT_EQ(other[i].kind, small[i].kind);
                EXPECT_EQ(other[i].port, small[i].port);
                EXPECT_EQ(other[i].slot, small[i].slot);
                EXPECT_EQ(other[i].message, small[i].message);
            }
        }
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace ql::testing
