// Envelope transitions: the value along the two Bezier segments of an envelope,
// and the tempo marks and controller marks that follow one.
#include <gtest/gtest.h>

#include <cstring>

#include "core/memory/pool.h"
#include "core/objects/midi_action.h"
#include "objects/midi_marks/mark_classes.h"
#include "sequencer/tests/builder/score_fixture.h"
#include "sequencer/transition_envelope.h"

namespace ql::testing {
namespace {

constexpr uint8_t kTimingEnvelope = 2 << 4;

// The envelope a new transition gets: up to the full scale over the first half,
// held, then back down to the start from three quarters on.
TransitionEnvelope NewEnvelope(int start, int scale) {
    TransitionEnvelope envelope;
    envelope.start = start;
    envelope.scale = scale;
    envelope.points = {{{0, 0}, {2048, 0}, {2048, -2048}, {4096, -2048}, {4096, -2048}, {6144, -2048}, {6144, 0},
                        {8192, 0}}};
    return envelope;
}

// A straight rise over the whole length: the first segment's control points on a
// line up to the full scale at x 8,192; the second segment never reached.
TransitionEnvelope StraightRise(int start, int scale) {
    TransitionEnvelope envelope;
    envelope.start = start;
    envelope.scale = scale;
    envelope.points = {{{0, 0}, {2731, -683}, {5461, -1365}, {8192, -2048}, {8192, -2048}, {8192, -2048},
                        {8192, -2048}, {8192, -2048}}};
    return envelope;
}

class EnvelopeTest : public ScoreTest {
protected:
    // Stores the envelope as the action's pooled record (16 words) and gives the
    // action envelope timing.
    bool Attach(MidiAction& action, const TransitionEnvelope& envelope) {
        int pool = 0;
        auto* record = static_cast<std::byte*>(AllocRecordBySize(kEnvelopeRecordBytes, &pool));
        if (record == nullptr) return false;
        int16_t words[2 * kEnvelopePoints] = {static_cast<int16_t>(envelope.start),
                                              static_cast<int16_t>(envelope.scale)};
        for (int p = 1; p < kEnvelopePoints; ++p) {
            words[2 * p] = static_cast<int16_t>(envelope.points[p].x);
            words[2 * p + 1] = static_cast<int16_t>(envelope.points[p].y);
        }
        std::memcpy(record, words, sizeof words);
        action.head.data = MidiActionData{PtrToHandle(pool, record), static_cast<uint8_t>(pool), kEnvelopeRecordBytes};
        action.destinationTiming = kTimingEnvelope;
        return true;
    }
    std::vector<Placed> OfKind(const std::vector<Placed>& all, PerformanceEventKind kind) {
        std::vector<Placed> out;
        for (const Placed& p : all)
            if (p.kind == kind) out.push_back(p);
        return out;
    }
};

// The new envelope from 60 with scale 127: 60 at the start, 187 at the end of the
// first segment (half way), 123 half way through the second, 60 at the end. The
// pitch wheel's divisor halves the change.
TEST_F(EnvelopeTest, ValuesAlongTheSegments) {
    const TransitionEnvelope envelope = NewEnvelope(60, 127);
    EXPECT_EQ(EnvelopeValueAt(envelope, 0, 1024, kEnvelopeDivisor), 60);
    EXPECT_EQ(EnvelopeValueAt(envelope, 512, 1024, kEnvelopeDivisor), 187);
    EXPECT_EQ(EnvelopeValueAt(envelope, 768, 1024, kEnvelopeDivisor), 123);
    EXPECT_EQ(EnvelopeValueAt(envelope, 1024, 1024, kEnvelopeDivisor), 60);
    EXPECT_EQ(EnvelopeValueAt(envelope, 512, 1024, kPitchWheelEnvelopeDivisor), 60 + 63);
    // Past either end the value stays at that end.
    EXPECT_EQ(EnvelopeValueAt(StraightRise(0, 100), -100, 1024, kEnvelopeDivisor), 0);
    EXPECT_EQ(EnvelopeValueAt(StraightRise(0, 100), 5000, 1024, kEnvelopeDivisor), 100);
}

// A tempo mark following a straight rise from 60 by 60 quarters a minute over
// four sixteenths: one event every 128 ticks from 60, 90 half way, and the final
// 120 at the end, as the gradual change between the same tempos. A mark with
// Enable MIDI clear or without its record plays nothing.
TEST_F(EnvelopeTest, TempoMarkFollowsItsEnvelope) {
    BuildScore(1, 2);
    ScoreObject* mark = Mark(ObjectType::Tempo, 1, 1, 1024);
    ASSERT_NE(mark, nullptr);
    MidiAction& action = *MidiActionOfText(mark);
    action.interval = 4;
    ASSERT_TRUE(Attach(action, StraightRise(60, 60)));
    std::vector<Placed> tempos = OfKind(BuildAll(Options(1, 2)), PerformanceEventKind::Tempo);
    ASSERT_EQ(tempos.size(), 9u);  // t = 0, 128 ... 896, and 1,024
    EXPECT_EQ(tempos[0].time, 1024);
    EXPECT_EQ(tempos[0].message, 60u * 1024u);
    EXPECT_EQ(tempos[4].time, 1024 + 512);
    EXPECT_EQ(tempos[4].message, 90u * 1024u);
    EXPECT_EQ(tempos[8].time, 2048);
    EXPECT_EQ(tempos[8].message, 120u * 1024u);
    for (size_t i = 1; i < tempos.size(); ++i) EXPECT_GT(tempos[i].message, tempos[i - 1].message) << i;

    // A run from measure 2 starts at the tempo the envelope reached.
    const std::vector<Placed> later = OfKind(BuildAll(Options(2, 2)), PerformanceEventKind::Tempo);
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(later[0].message, 120u * 1024u);

    action.flags &= ~kMidiFlagEnabled;
    EXPECT_TRUE(OfKind(BuildAll(Options(1, 2)), PerformanceEventKind::Tempo).empty());
    action.flags |= kMidiFlagEnabled;
    action.head.data.handle = RecordHandle{};
    EXPECT_TRUE(OfKind(BuildAll(Options(1, 2)), PerformanceEventKind::Tempo).empty());
}

// A volume dynamic on the new envelope from 100 with scale 127 rises past 127,
// which is sent as 127, and comes back to 100.
TEST_F(EnvelopeTest, ControllerValuesStayInRange) {
    BuildScore(1, 2);
    ScoreObject* mark = Mark(ObjectType::Dynamic, 1, 1, 0);
    ASSERT_NE(mark, nullptr);
    MidiAction& action = *MidiActionOfText(mark);
    action.flags = static_cast<uint16_t>((action.flags | kMidiFlagEnabled) & ~kMidiFlagKeyVelocity);
    action.controller = 7;
    action.interval = 4;
    ASSERT_TRUE(Attach(action, NewEnvelope(100, 127)));
    std::vector<int> values;
    for (const Placed& p : Channel(BuildAll(Options(1, 2))))
        if ((p.message & 0xF0) == 0xB0) values.push_back(MessageByte(p.message, 2));
    ASSERT_EQ(values.size(), 8u);  // t = 0, 128 ... 896
    EXPECT_EQ(values.front(), 100);
    EXPECT_EQ(values[4], 127);  // half way: 100 + 127, sent as 127
    for (const int v : values) {
        EXPECT_GE(v, 100);
        EXPECT_LE(v, 127);
    }
}

}  // namespace
}  // namespace ql::testing
