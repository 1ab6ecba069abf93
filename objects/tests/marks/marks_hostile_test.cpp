// Hostile sequences on the marks: every placing and clone with its record refused
// leaves no object and no record behind; a long random mix of hairpin drags, flips,
// page toggles and dialog edits keeps its invariants and is never changed by a
// paint of every page; random keys on the marks
// keep their fields in range.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/undo/undo.h"
#include "display/tests/painter/paint_check.h"
#include "display/view_location.h"
#include "objects/chord/chord_class.h"
#include "objects/hairpin/hairpin_class.h"
#include "objects/hairpin/hairpin_internal.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_dialog_resources.h"
#include "objects/midi_marks/mark_dialogs.h"
#include "objects/midi_marks/mark_internal.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/tests/marks/marks_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_marks {
namespace {

constexpr int kLargeRecordPool = 9;

class MarksHostileTest : public MarksTest {
  protected:
    int LiveRecords(int pool) {
        int live = 0;
        const RecordPool& records = doc_->pools.pools[pool];
        for (int block = 0; block < records.blockCount; ++block)
            for (int slot = 1; slot < records.blocks[block].nextFresh; ++slot)
                live += IsLiveRecord(PoolSet(doc_->pools), pool, PoolSlotAddress(pool, block, slot)) ? 1 : 0;
        return live;
    }
};

TEST_F(MarksHostileTest, RefusedRecordLeavesNothing) {
    BuildScore(1);
    UseDialogs();
    ui::headless::SetDialogScript(kChordDialogId, [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
    const int live = LiveRecords(kLargeRecordPool);
    for (ObjectType type : {ObjectType::Dynamic, ObjectType::Pedal, ObjectType::Tempo, ObjectType::Hairpin,
                            ObjectType::Chord}) {
        FailNextRecordAllocations(1);
        EXPECT_EQ(Place(type, PointIn(1, 1, 300)), nullptr) << static_cast<int>(type);
        FailNextRecordAllocations(0);
    }
    EXPECT_TRUE(CellObjects(1, 1).empty());
    EXPECT_EQ(LiveRecords(kLargeRecordPool), live);
    // A clone whose record is refused is null; one that is had is a full copy.
    MarkTools().diminuendo = true;
    ScoreObject* hairpin = Place(ObjectType::Hairpin, PointIn(1, 2, 300));
    ASSERT_NE(hairpin, nullptr);
    const PoolSet pools(doc_->pools);
    FailNextRecordAllocations(1);
    EXPECT_EQ(ClassOf(hairpin).Clone(hairpin, view_, pools, pools), nullptr);
    FailNextRecordAllocations(0);
    EXPECT_EQ(LiveRecords(kLargeRecordPool), live + 1);
}

TEST_F(MarksHostileTest, UndoOfPlacingGivesTheRecordBack) {
    BuildScore(1);
    UseDialogs();
    ui::headless::SetDialogScript(kChordDialogId, [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
    MarkTools().performanceEntry = 5;
    for (ObjectType type : {ObjectType::Dynamic, ObjectType::Pedal, ObjectType::Tempo, ObjectType::Hairpin,
                            ObjectType::Chord}) {
        const int live = LiveRecords(kLargeRecordPool);
        const int steps = UndoSteps();
        ASSERT_NE(Place(type, PointIn(1, 1, 300)), nullptr) << static_cast<int>(type);
        EXPECT_EQ(UndoSteps(), steps + 1);
        EXPECT_EQ(LiveRecords(kLargeRecordPool), live + 1);
        // Undo unlinks the mark and returns its record; redo brings both back.
        UndoCommand(doc_, view_);
        EXPECT_TRUE(CellObjects(1, 1).empty()) << static_cast<int>(type);
        EXPECT_EQ(LiveRecords(kLargeRecordPool), live) << static_cast<int>(type);
        RedoCommand(doc_, view_);
        EXPECT_EQ(CellObjects(1, 1).size(), 1u);
        UndoCommand(doc_, view_);
    }
}

TEST_F(MarksHostileTest, HandleAllocationFailureBeepsAndBuildsNoChain) {
    BuildScore(1);
    ScoreObject* hairpin = Place(ObjectType::Hairpin, PointIn(1, 2, 300));
    ASSERT_NE(hairpin, nullptr);
    const size_t beeps = ui::headless::Beeps().size();
    FailRecordAllocationAfter(3);  // the fourth handle is refused
    EXPECT_EQ(ClassOf(hairpin).BuildHandles(hairpin, view_), nullptr);
    FailNextRecordAllocations(0);
    EXPECT_GT(ui::headless::Beeps().size(), beeps);
    // The three made were given back: a full chain can be built again.
    HitRecord* chain = ClassOf(hairpin).BuildHandles(hairpin, view_);
    ASSERT_NE(chain, nullptr);
    FreeHitRecordChain(chain);
    FreeHitRecord(chain);
}

// The invariants of a hairpin after any operation: the direction agrees with the
// shape, it is linked in a list, and its action carries no pooled data.
void CheckHairpin(HairpinObject* hairpin, ScoreView* view, const char* step) {
    const HairpinShape shape = DecodeHairpinShape(hairpin, view);
    EXPECT_EQ(hairpin->direction == kHairpinCrescendo, IsCrescendoShape(shape)) << step;
    EXPECT_TRUE(hairpin->header.prev) << step;
    EXPECT_FALSE(IsDataCarrying(hairpin->action)) << step;
}

TEST_F(MarksHostileTest, RandomHairpinOperationsKeepInvariants) {
    BuildScore(1);
    UseDialogs();
    ScoreObject* object = Place(ObjectType::Hairpin, PointIn(1, 2, 300));
    ASSERT_NE(object, nullptr);
    HairpinObject* hairpin = AsHairpin(object);
    std::mt19937 random(38);
    std::uniform_int_distribution<int> offset(-300, 300);
    for (int i = 0; i < 200; ++i) {
        SetCurrentMeasure(view_, 1, 2);
        const int operation = static_cast<int>(random() % 4);
        if (operation == 0) {
            ClassOf(object).OnKey(object, view_, kKeyF);
        } else if (operation == 1) {
            // A drag of one handle, committed.
            HitRecord* chain = ClassOf(object).BuildHandles(object, view_);
            ASSERT_NE(chain, nullptr);
            object->handleChain = Ref32<HitRecord>::To(chain);
            HitRecord* handle = chain;
            for (int k = static_cast<int>(random() % 4); k > 0; --k) handle = handle->child.get();
            SelectionState* selection = TheSelectionState();
            selection->grabbedRecord = Ref32<HitRecord>::To(handle);
            selection->dragOffsetX = offset(random);
            selection->dragOffsetY = offset(random) / 8;
            ClassOf(object).TrackDrag(object, view_);
            HairpinShape shape;
            ASSERT_TRUE(ShapeOfHandles(object, &shape));
            // Committed only while the wedge stays in measure 2, where it is decoded.
            const int32_t start = PointIn(1, 2, 0).x;
            const int32_t end = PointIn(1, 3, 0).x;
            const int32_t left = std::min({shape.apex.x, shape.upper.x, shape.lower.x});
            SetCurrentMeasure(view_, 1, 2);
            if (left > start && left < end) ClassOf(object).CommitDrag(object, view_);
            object->handleChain = Ref32<HitRecord>{};
            selection->grabbedRecord = Ref32<HitRecord>{};
            FreeHitRecordChain(chain);
            FreeHitRecord(chain);
        } else if (operation == 2) {
            ui::headless::SetDialogScript(hairpin_dialog::kDialog, [&](ui::headless::DialogDriver& d) {
                d.Type(hairpin_dialog::kWidth, std::to_string(offset(random)));
                d.Click(ui::kIdOk);
                d.Click(ui::kIdCancel);
            });
            RunHairpinDialog(view_, object);
        } else {
            ClassOf(object).EditInPlace(object, view_);
            ClassOf(object).EditInPlace(object, view_);
        }
        SetCurrentMeasure(view_, 1, 2);
        CheckHairpin(hairpin, view_, std::to_string(i).c_str());
        ASSERT_TRUE(::ql::testing::PaintingEveryPageChangesNothing(view_)) << "step " << i;
        if (::testing::Test::HasFailure()) return;
    }
}

TEST_F(MarksHostileTest, RandomKeysKeepFieldsInRange) {
    BuildScore(1);
    UseDialogs();
    MarkTools().performanceEntry = 5;
    ScoreObject* tempo = Place(ObjectType::Tempo, PointIn(1, 1, 300));
    MarkTools().performanceEntry = kNoPaletteEntry;
    ScoreObject* dynamic = Place(ObjectType::Dynamic, PointIn(1, 2, 300));
    ui::headless::SetDialogScript(kChordDialogId, [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
    ScoreObject* chord = Place(ObjectType::Chord, PointIn(1, 3, 300));
    ASSERT_NE(tempo, nullptr);
    ASSERT_NE(dynamic, nullptr);
    ASSERT_NE(chord, nullptr);
    const uint32_t keys[] = {kKeyLeft, kKeyUp, kKeyRight, kKeyDown, kKeyPadPlus, kKeyPadMinus};
    std::mt19937 random(7);
    const uint16_t tempoText = Text(tempo).flags;
    for (int i = 0; i < 600; ++i) {
        const uint32_t key = keys[random() % std::size(keys)];
        for (ScoreObject* object : {tempo, dynamic, chord}) ClassOf(object).OnKey(object, view_, key);
    }
    // The number's places stay 4-bit fields beside the other flag bits, which no key
    // touches; the dynamic's value is a counted step; the chord's offset a byte.
    EXPECT_EQ(Action(tempo).flags & 0x00FF, kTempoNewFlags & 0x00FF);
    EXPECT_EQ(Text(tempo).flags, tempoText);
    EXPECT_LE(std::abs(Action(dynamic).head.values.value), 600);
    EXPECT_EQ(Text(chord).charset % 16, 0);
}

}  // namespace
}  // namespace ql::testing_marks
