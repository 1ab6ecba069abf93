// Damaged chains and attachments drawn on the recording surface (fixed seeds): links,
// times, values, positions, sizes, stem and beam fields, attachment handles and cell
// words of the fixture score set to random values, then every cell drawn. Nothing
// may crash or read out of bounds (ASan, UBSan); the drawing writes nothing but the
// repairs it owns (a forward beam link that was 0, the hidden marks of a voice its
// cell hides, a cross-staff note's positions), and a
// second drawing writes nothing at all.
#include <cstring>
#include <random>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "notes/drawing/note_fields.h"
#include "notes/rests/rest.h"
#include "notes/tests/drawing/notedraw_fixture.h"

namespace ql::testing_notedraw {
namespace {

constexpr int kSeeds = 200;
constexpr int kMostDamages = 8;

class DamagedDrawing : public NoteDrawTest {
  protected:
    void SetUp() override {
        NoteDrawTest::SetUp();
        if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
        BuildFixtureScore(kPlainZoom);
        // No class makes accidentals any more: drawing cannot allocate a sign.
        ResetObjectClassTable();
        RegisterRestClass();
        UseRecordingSurface();
        notedraw::test_seam::SetInkLog(nullptr);
    }

    std::vector<EventRecord*> Events() const {
        std::vector<EventRecord*> events;
        const RecordPool& pool = doc_->pools.pools[kEventRecordPool];
        for (int b = 0; b < pool.blockCount; ++b)
            for (int s = 1; s < pool.blocks[b].nextFresh; ++s) {
                auto* record = reinterpret_cast<EventRecord*>(pool.blocks[b].base.get() +
                                                              (size_t{1} << pool.shift) * s);
                if (IsLiveRecord(CurrentPoolSet(), kEventRecordPool, record))
                    events.push_back(record);
            }
        return events;
    }
    void Restore(const std::vector<std::byte>& bytes) {
        size_t at = 0;
        for (RecordPool& pool : doc_->pools.pools) {
            at += sizeof pool;  // descriptors never change here
            for (int b = 0; b < pool.blockCount; ++b) {
                const size_t n = BlockLiveBytes(pool, b);
                std::memcpy(pool.blocks[b].base.get(), bytes.data() + at, n);
                at += n;
            }
        }
    }
    void Damage(std::mt19937& rng, const std::vector<EventRecord*>& events) {
        std::uniform_int_distribution<int> any16(0, 0xFFFF);
        std::uniform_int_distribution<int> small(-4, 4);
        EventRecord& e = *events[std::uniform_int_distribution<size_t>(0, events.size() - 1)(rng)];
        const auto handle = [&] { return RecordHandle{static_cast<uint16_t>(any16(rng) % 64)}; };
        switch (std::uniform_int_distribution<int>(0, 13)(rng)) {
            case 0:
                e.flags = static_cast<uint16_t>(any16(rng));
                break;
            case 1:
                e.word2 = static_cast<uint16_t>(any16(rng));
                break;
            case 2:
                e.step = static_cast<uint8_t>(any16(rng));
                break;
            case 3:
                e.stemWord = static_cast<uint16_t>(any16(rng));
                break;
            case 4:
                e.stemLength = static_cast<int16_t>(any16(rng));
                break;
            case 5:
                e.attachment = RecordHandle{static_cast<uint16_t>(any16(rng))};
                break;
            case 6:
                e.time = static_cast<uint16_t>(e.time + small(rng) * 256);
                break;
            case 7:
                e.duration = static_cast<uint8_t>(any16(rng) % 20);
                break;
            case 8:
                e.crossStaffPosition = static_cast<uint8_t>(any16(rng));
                break;
            case 9:
                e.nudge = static_cast<int8_t>(any16(rng));
                break;
            case 10:
                e.beamPrev = handle();
                break;
            case 11:
                e.beamNext = handle();
                break;
            case 12:
                e.next = handle();
                break;
            default: {
                MeasureCell* cell = Cell(1, 1 + any16(rng) % kFixtureMeasures);
                if (any16(rng) % 2)
                    cell->cellWord = static_cast<uint16_t>(any16(rng));
                else
                    cell->voices[any16(rng) % kVoiceCount] = handle();
            }
        }
    }
};

// What a repair may change in a note: a forward link that was 0, the hidden marks,
// and the positions of a cross-staff note.
void ExpectOnlyRepairs(const EventRecord& before, const EventRecord& after) {
    EventRecord masked = after;
    if (!before.beamNext) masked.beamNext = before.beamNext;
    masked.word2 = static_cast<uint16_t>((after.word2 & ~kVoiceHiddenMarks) | (before.word2 & kVoiceHiddenMarks));
    masked.stemWord = static_cast<uint16_t>((after.stemWord & ~kVoiceHiddenStemBits) |
                                            (before.stemWord & kVoiceHiddenStemBits));
    masked.flags = static_cast<uint16_t>((after.flags & ~kNoteVoiceHidden) |
                                         (before.flags & kNoteVoiceHidden));
    if (IsCrossStaff(before)) {
        masked.step = before.step;
        masked.crossStaffPosition = before.crossStaffPosition;
    }
    EXPECT_EQ(std::memcmp(&masked, &before, sizeof before), 0)
        << "a note changed beyond its repairs";
}

TEST_F(DamagedDrawing, RandomDamageDrawsWithoutWritingBeyondRepairs) {
    const std::vector<std::byte> pristine = SnapshotPools();
    const std::vector<EventRecord*> events = Events();
    ASSERT_GT(events.size(), 20u);
    for (int seed = 1; seed <= kSeeds; ++seed) {
        Restore(pristine);
        std::mt19937 rng(static_cast<uint32_t>(seed));
        const int damages = 1 + static_cast<int>(rng() % kMostDamages);
        for (int i = 0; i < damages; ++i) Damage(rng, events);
        std::vector<EventRecord> notesBefore;
        for (const EventRecord* e : events) notesBefore.push_back(*e);
        DrawFixtureScore();
        for (size_t i = 0; i < events.size(); ++i) ExpectOnlyRepairs(notesBefore[i], *events[i]);
        const std::vector<std::byte> once = SnapshotPools();
        DrawFixtureScore();
        EXPECT_EQ(SnapshotPools(), once) << "seed " << seed << ": a second drawing wrote";
        if (HasFailure()) {
            ADD_FAILURE() << "seed " << seed;
            break;
        }
    }
}

}  // namespace
}  // namespace ql::testing_notedraw
