// Anchors on notes and the signatures in force at a measure's end: offsets from the
// note's x and y (or the staff under flag bit 6), lyrics from their verse line with
// no drift over repeated edits, and the last key or clef change of a cell.
#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/draw/painting_guard.h"
#include "core/memory/pool.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/signature_fields.h"
#include "core/ui/status_bar_notes.h"
#include "core/objects/hit_record.h"
#include "core/objects/object_classes.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "display/hit_test.h"
#include "display/staff_groups.h"
#include "display/tests/locate/locate_fixture.h"
#include "notes/beatmap/beat_map.h"

namespace ql::testing_locate {
namespace {

constexpr uint8_t kLyricType = 50;
constexpr uint16_t kFromStaffFlag = 0x0040;

class NoteAnchorsTest : public LocateTest {
  protected:
    TextObject* Attached(EventRecord* note, uint8_t type) {
        auto* text = static_cast<TextObject*>(AllocRecord(kTextObjectPool));
        EXPECT_NE(text, nullptr);
        EXPECT_NE(note, nullptr);
        ConstructTextObject(text);
        text->header.type = type;
        text->header.subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
        EXPECT_EQ(AttachObjectToNote(view_, note, &text->header), 1);
        return text;
    }
};

TEST_F(NoteAnchorsTest, OffsetsFromTheNoteRoundTripWithoutTheHeadHalfWidth) {
    BuildScore(1, {1}, 4);
    Locate(1, 2);
    EventRecord* note = AddNote(0, 1024, -6);
    TextObject* text = Attached(note, TypeCode(ObjectType::Text));
    const int32_t noteX = MeasureSlotX(view_, view_->currentSystem, 2) + BeatMapTickToX(view_, 1024);
    for (double scale : {0.0, 0.75}) {
        ViewScale(view_) = scale;
        const LogicalPoint p{noteX + 40, view_->staffY - 900};
        PointToNoteAnchor(view_, &text->header, &text->body.location, p);
        LogicalPoint back{};
        NoteAnchorToPoint(view_, &text->header, &text->body.location, &back);
        EXPECT_EQ(back.x, p.x);
        EXPECT_NEAR(back.y, p.y, 2);
        // The stored x offset is from the note's x, not from its head's middle.
        int16_t word2 = 0;
        std::memcpy(&word2, reinterpret_cast<std::byte*>(&text->body.location) + 4, 2);
        EXPECT_EQ(word2, 40);
    }
    // Flag bit 6: y measured from the staff.
    ViewScale(view_) = 0.0;
    text->body.flags |= kFromStaffFlag;
    PointToNoteAnchor(view_, &text->header, &text->body.location, {noteX, view_->staffY + 77});
    int16_t word3 = 0;
    std::memcpy(&word3, reinterpret_cast<std::byte*>(&text->body.location) + 6, 2);
    EXPECT_EQ(word3, 77);
}

// Dropping a dragged note-attached object stores the dropped point as its offsets
// from the note: decoding gives the point back.
TEST_F(NoteAnchorsTest, DragCommitStoresTheDroppedPointAsOffsets) {
    BuildScore(1, {1}, 4);
    Locate(1, 2);
    EventRecord* note = AddNote(0, 1024, -6);
    TextObject* text = Attached(note, TypeCode(ObjectType::Text));
    RegisterTextObjectClasses();  // the generic commit reaches the anchor through the body
    ASSERT_EQ(InitStaticPoolSet(), 1);
    SelectionState* selection = CreateSelectionState();
    ASSERT_NE(selection, nullptr);
    const int32_t noteX = MeasureSlotX(view_, view_->currentSystem, 2) + BeatMapTickToX(view_, 1024);
    const LogicalPoint dropped{noteX + 120, view_->staffY - 640};
    HitRecord* hit = AllocHitRecord();
    ASSERT_NE(hit, nullptr);
    ConstructHitRecordAtPoint(hit, view_, 1, dropped);
    hit->owner = Ref32<ScoreObject>::To(&text->header);
    selection->focusRecord = Ref32<HitRecord>::To(hit);
    selection->focusedObject = Ref32<ScoreObject>::To(&text->header);
    ScoreObjectCommitDrag(&text->header, view_);
    LogicalPoint back{};
    NoteAnchorToPoint(view_, &text->header, &text->body.location, &back);
    EXPECT_EQ(back.x, dropped.x);
    EXPECT_NEAR(back.y, dropped.y, 2);
    DestroySelectionState();
}


TEST_F(NoteAnchorsTest, LyricsRoundTripAHundredTimesWithoutDrift) {
    BuildScore(1, {1}, 4);
    Locate(1, 1);
    doc_->header.lyricLevels[3] = 700;
    EventRecord* note = AddNote(0, 0, -4);
    TextObject* lyric = Attached(note, kLyricType);
    lyric->body.flags = static_cast<uint16_t>(3 << 8);  // verse 4 uses the fourth line
    ViewScale(view_) = 0.75;
    LogicalPoint p{view_->staffY, view_->staffY + 600};
    PointToNoteAnchor(view_, &lyric->header, &lyric->body.location, p);
    LogicalPoint first{};
    NoteAnchorToPoint(view_, &lyric->header, &lyric->body.location, &first);
    LogicalPoint point = first;
    for (int i = 0; i < 100; ++i) {
        PointToNoteAnchor(view_, &lyric->header, &lyric->body.location, point);
        NoteAnchorToPoint(view_, &lyric->header, &lyric->body.location, &point);
    }
    EXPECT_EQ(point.y, first.y);
    EXPECT_NEAR(first.y, p.y, 2);
}

TEST_F(NoteAnchorsTest, MissingOwnerLeavesThePointAlone) {
    BuildScore(1, {1}, 4);
    auto* text = static_cast<TextObject*>(AllocRecord(kTextObjectPool));
    ConstructTextObject(text);
    text->header.subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
    LogicalPoint point{5, 6};
    NoteAnchorToPoint(view_, &text->header, &text->body.location, &point);
    EXPECT_EQ(point, (LogicalPoint{5, 6}));
    ReleaseObject(&text->header);
}

class MeasureEndTest : public LocateTest {
  protected:
    void Place(ObjectType type, int tick, int code) {
        PlaceIn(ExistingMeasureCell(doc_, 1, 2), type, tick, code);
    }
    // A change (or another object) at the end of a cell's list.
    ScoreObject* PlaceIn(MeasureCell* cell, ObjectType type, int tick, int code) {
        auto* text = static_cast<TextObject*>(AllocRecord(kTextObjectPool));
        ConstructTextObject(text);
        text->header.type = TypeCode(type);
        text->header.subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
        SetSignatureTickOfObject(&text->header, static_cast<uint16_t>(tick));
        if (type == ObjectType::KeySignature) SetKeyCodeOfObject(&text->header, code);
        else SetClefKindOfObject(&text->header, code);
        ScoreObject* last = GetOrCreateCellObjectList(cell);
        while (last->next) last = last->next.get();
        InsertObjectAfter(last, &text->header);
        return &text->header;
    }
};

TEST_F(MeasureEndTest, TheChangeWithTheGreatestTickWinsAndTheFirstOnTies) {
    BuildScore(1, {1}, 4);
    MeasureCell* cell = ExistingMeasureCell(doc_, 1, 2);
    ASSERT_NE(cell, nullptr);
    const int startKey = cell->clefKey >> 4;
    EXPECT_EQ(KeyAtMeasureEnd(doc_, 1, 2), startKey);  // no change: the cell's start value
    Place(ObjectType::KeySignature, 1024, 9);
    Place(ObjectType::KeySignature, 2048, 3);
    Place(ObjectType::KeySignature, 2048, 5);  // same tick, later in the list
    Place(ObjectType::KeySignature, 512, 11);
    EXPECT_EQ(KeyAtMeasureEnd(doc_, 1, 2), 3);
    Place(ObjectType::Clef, 100, 2);
    Place(ObjectType::Clef, 50, 4);
    EXPECT_EQ(ClefAtMeasureEnd(doc_, 1, 2), 2);
}

// What a paint reads for a cell is what a walk outside a paint reads, over lists of
// seeded changes growing paint after paint: each paint reads every cell twice, in
// an order of its own, and an answer of an earlier paint is never given again.
TEST_F(MeasureEndTest, APaintReadsWhatAWalkReadsOverSeededLists) {
    constexpr int kStaves = 3;
    constexpr int kMeasures = 8;
    BuildScore(kStaves, {2}, kMeasures / 2);
    std::vector<std::pair<int, int>> cells;
    for (int staff = 1; staff <= kStaves; ++staff)
        for (int m = 1; m <= kMeasures; ++m) cells.emplace_back(staff, m);
    std::mt19937 random(55);
    const ObjectType kinds[] = {ObjectType::KeySignature, ObjectType::Clef, ObjectType::Dynamic};
    for (int round = 0; round < 30; ++round) {
        for (int i = 0; i < 6; ++i) {
            const auto [staff, m] = cells[random() % cells.size()];
            PlaceIn(ExistingMeasureCell(doc_, staff, m), kinds[random() % 3],
                    static_cast<int>(random() % 4) * 512, static_cast<int>(random() % 15));
        }
        std::vector<std::pair<int, int>> walked;
        for (const auto& [staff, m] : cells)
            walked.emplace_back(KeyAtMeasureEnd(doc_, staff, m), ClefAtMeasureEnd(doc_, staff, m));
        const ScopedPaintingGuard paint;
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<size_t> order(cells.size());
            for (size_t i = 0; i < order.size(); ++i) order[i] = i;
            std::shuffle(order.begin(), order.end(), random);
            for (const size_t i : order) {
                const auto [staff, m] = cells[i];
                const MeasureCell* cell = ExistingMeasureCell(doc_, staff, m);
                ASSERT_NE(cell, nullptr);
                EXPECT_EQ(KeyAtCellEnd(*cell), walked[i].first) << "round " << round << ", staff " << staff << ", measure " << m;
                EXPECT_EQ(ClefAtCellEnd(*cell), walked[i].second) << "round " << round << ", staff " << staff << ", measure " << m;
            }
        }
    }
}

// Inside one paint a cell's new start byte or new list is read again; a change in
// the list is read by the next paint.
TEST_F(MeasureEndTest, APaintFollowsTheCellsStartAndListAndTheNextPaintItsChanges) {
    BuildScore(1, {1}, 4);
    MeasureCell* cell = ExistingMeasureCell(doc_, 1, 2);
    ASSERT_NE(cell, nullptr);
    ScoreObject* change = PlaceIn(cell, ObjectType::KeySignature, 512, 9);
    {
        const ScopedPaintingGuard paint;
        EXPECT_EQ(KeyAtCellEnd(*cell), 9);
        const int clef = ClefAtCellEnd(*cell);
        cell->clefKey = static_cast<uint8_t>((cell->clefKey & ~kClefNibbleMask) | ((clef + 1) & kClefNibbleMask));
        EXPECT_EQ(ClefAtCellEnd(*cell), (clef + 1) & kClefNibbleMask);
        const Ref32<ScoreObject> list = cell->objects;
        cell->objects = {};
        EXPECT_EQ(KeyAtCellEnd(*cell), cell->clefKey >> kKeyNibbleShift);
        cell->objects = list;
        EXPECT_EQ(KeyAtCellEnd(*cell), 9);
    }
    SetKeyCodeOfObject(change, 4);
    const ScopedPaintingGuard paint;
    EXPECT_EQ(KeyAtCellEnd(*cell), 4);
}

// A paint ends its walk of a list at a node that is no live record (and reports
// it when it draws); a walk outside a paint reads the list as it is.
TEST_F(MeasureEndTest, APaintStopsAtAFreedNode) {
    BuildScore(1, {1}, 4);
    MeasureCell* cell = ExistingMeasureCell(doc_, 1, 2);
    ASSERT_NE(cell, nullptr);
    PlaceIn(cell, ObjectType::KeySignature, 512, 9);
    ScoreObject* freed = PlaceIn(cell, ObjectType::KeySignature, 1024, 3);
    FreeRecord(kTextObjectPool, freed);
    freed->type = TypeCode(ObjectType::KeySignature);
    SetSignatureTickOfObject(freed, 1024);
    SetKeyCodeOfObject(freed, 3);
    EXPECT_EQ(KeyAtCellEnd(*cell), 3);
    const ScopedPaintingGuard paint;
    EXPECT_EQ(KeyAtCellEnd(*cell), 9);
}

}  // namespace
}  // namespace ql::testing_locate
