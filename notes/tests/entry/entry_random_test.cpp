// Randomised entry on a four-staff score (fixed seeds): clicks, chord clicks, note
// keys, deletions with and without Ctrl, and undos at random points. After every step
// each voice chain of every cell walks cleanly with matching back links, its times
// never fall, beam links are two-sided; every undo gives back the live records of the
// pools byte for byte as they were before the step it undoes; a paint of every page
// changes no pool byte, and the engraving check finds nothing.
#include <gtest/gtest.h>

#include <initializer_list>

#include <random>
#include <vector>

#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/undo/undo.h"
#include "core/ui/status_bar_notes.h"
#include "display/tests/painter/engraving_expect.h"
#include "display/tests/painter/paint_check.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/handler/notes_handler.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "notes/tests/entry/entry_fixture.h"
#include "platform/win/headless.h"
#include "platform/win/keys.h"

namespace ql::testing_entry {
namespace {

constexpr int kStaves = 4;
constexpr int kMeasures = 4;
constexpr int kSteps = 120;
constexpr int kBlackHeadGlyph = 72;
constexpr int32_t kBlackHead = 150;

class EntryRandom : public EntryTest, public ::testing::WithParamInterface<uint32_t> {
  protected:
    void SetUp() override {
        EntryTest::SetUp();
        FreeDocument(doc_);
        doc_ = AllocDocument();
        ASSERT_TRUE(beatmap_score::Build(doc_, view_, kStaves, {1}, kMeasures));
        beatmap_score::SetAdvance(doc_, kBlackHeadGlyph, kBlackHead);
        UpdateBeatMaps(view_, 1);
        UseMeasure(1);
        ClearUndoHistory(doc_);
        view_->visibleRect = gfx::Rect{kLogicalOrigin, kLogicalOrigin, 32000, 32000};
    }
    void Use(int staff, int measure) {
        SetCurrentMeasureQuick(view_, staff, measure);
        cell_ = view_->currentCell;
    }
    // The checks of one voice chain; false with a message on the first fault.
    static ::testing::AssertionResult ChainIsSound(MeasureCell* cell, int voice) {
        EventRecord* head = GetVoiceHead(cell, voice);
        if (head == nullptr) return ::testing::AssertionSuccess();
        EventRecord* prev = head;
        int lastTime = -1;
        int count = 0;
        for (EventRecord* e = NextEvent(head); e != nullptr; prev = e, e = NextEvent(e)) {
            if (++count > kMaxChainLength) return ::testing::AssertionFailure() << "loop";
            if (e->prev != HandleOfEvent(prev)) return ::testing::AssertionFailure() << "back link";
            if (e->time < lastTime) return ::testing::AssertionFailure() << "time falls";
            lastTime = e->time;
            if (!IsFirstOfChord(e)) continue;
            if (EventRecord* n = ResolveEvent(e->beamNext); n != nullptr && n->beamPrev != HandleOfEvent(e))
                return ::testing::AssertionFailure() << "beam next one-sided at " << e->time;
            if (EventRecord* p = ResolveEvent(e->beamPrev); p != nullptr && p->beamNext != HandleOfEvent(e))
                return ::testing::AssertionFailure() << "beam prev one-sided at " << e->time;
        }
        return ::testing::AssertionSuccess();
    }
    void CheckAllChains(int step) {
        for (int s = 1; s <= kStaves; ++s)
            for (int m = 1; m <= kMeasures; ++m) {
                MeasureCell* cell = ExistingMeasureCell(doc_, s, m);
                for (int v = 0; cell != nullptr && v < 4; ++v)
                    ASSERT_TRUE(ChainIsSound(cell, v)) << "step " << step << " staff " << s << " m " << m;
            }
    }
    EventRecord* AnyNote(std::mt19937& rng) {
        std::vector<EventRecord*> notes = Voice(0);
        if (notes.empty()) return nullptr;
        return notes[std::uniform_int_distribution<size_t>(0, notes.size() - 1)(rng)];
    }
};

TEST_P(EntryRandom, ChainsStaySoundAndUndoRestoresBytes) {
    std::mt19937 rng(GetParam());
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const uint32_t keys[] = {'D', 'T', 'L', 'S', 'H', 'F', static_cast<uint32_t>(win::Key::Home),
                             static_cast<uint32_t>(win::Key::Space), '3', '5'};
    std::vector<std::vector<uint8_t>> before;  // live records before each recorded step
    for (int step = 0; step < kSteps; ++step) {
        Use(pick(1, kStaves), pick(1, kMeasures));
        State().notes.NoteTools.selectedEntry = static_cast<uint16_t>(pick(2, 6));
        const std::vector<uint8_t> snapshot = LiveRecords();
        UndoRecord* top = doc_->undoStack;
        const int op = pick(0, 9);
        if (op <= 4) {
            PointAt(pick(0, 4095), pick(-12, 4));
            win::headless::SetKeyDown(win::Key::Control, op == 4);
            Click();
            win::headless::SetKeyDown(win::Key::Control, false);
        } else if (op <= 6) {
            if (EventRecord* note = AnyNote(rng)) Key(note, keys[pick(0, 9)]);
        } else if (op == 7) {
            win::headless::SetKeyDown(win::Key::Control, pick(0, 1) == 1);
            if (EventRecord* note = AnyNote(rng)) DropOnNote(view_, note);
            win::headless::SetKeyDown(win::Key::Control, false);
        } else if (!before.empty() && doc_->undoStack != nullptr) {
            UndoCommand(doc_, view_);
            ASSERT_EQ(LiveRecords(), before.back()) << "undo at step " << step;
            before.pop_back();
            CheckAllChains(step);
            ASSERT_TRUE(::ql::testing::PaintingEveryPageChangesNothing(view_)) << "step " << step;
            ASSERT_TRUE(::ql::testing::EngravingIsClean(view_)) << "step " << step;
            continue;
        }
        if (doc_->undoStack != top) {
            before.push_back(snapshot);
            if (before.size() > static_cast<size_t>(kUndoStackLimit)) before.erase(before.begin());
        } else {
            EXPECT_EQ(LiveRecords(), snapshot) << "a step without an undo record changed the pools, step " << step;
        }
        CheckAllChains(step);
        ASSERT_TRUE(::ql::testing::PaintingEveryPageChangesNothing(view_)) << "step " << step;
        ASSERT_TRUE(::ql::testing::EngravingIsClean(view_)) << "step " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(FixedSeeds, EntryRandom, ::testing::Values(1u, 7u, 42u, 1234u, 99991u));

}  // namespace
}  // namespace ql::testing_entry
