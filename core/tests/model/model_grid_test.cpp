// The score grid: staff constructors and their failure report, cell copies and
// flags, emptying cells, change counts, renewing a document, header conversions,
// view activation and cloning events between documents.
#include "core/tests/model/model_fixture.h"
#include "core/text/text_object.h"

namespace ql::testing_model {
namespace {

using GridTest = ModelTest;

// A new staff: five lines, key velocity 64, timbres 2-4 without a port.
TEST_F(GridTest, NewStaffTakesItsDefaults) {
    BuildStaves(3);
    StaffRecord* staff = StaffRecordOf(doc_, 1);
    EXPECT_EQ(staff->flags, kNewStaffFlags);
    EXPECT_EQ(staff->baseKeyVelocity, 64);
    EXPECT_EQ(staff->timbres[0].port, 0);
    for (int t = 1; t < 4; ++t) EXPECT_EQ(staff->timbres[t].port, kNoTimbrePort);
    MeasureCell* cell = Cell(1, 2);
    EXPECT_EQ(cell->beats, 4);
    EXPECT_EQ(cell->beatUnit, 10);
    EXPECT_NE(cell->objects.get(), nullptr);
}

// The sentinel variants share one head in every cell; a negative count makes none.
TEST_F(GridTest, SentinelVariantsShareTheGivenHead) {
    doc_->header.measureCount = 2;
    StaffRecord* copy = ConstructStaffRecordCopy(AllocStaffRecord(), view_, doc_->headSentinel);
    ASSERT_TRUE(IsStaffComplete(copy));
    for (int m = 0; m <= 6; ++m)
        EXPECT_EQ(GetOrCreateMeasureCell(copy, doc_, m)->voices[3], doc_->headSentinel);
    EXPECT_EQ(copy->timbres[1].port, 0);  // not reset by this variant
    StaffRecord* none =
        ConstructStaffRecordForCount(AllocStaffRecord(), view_, -5, doc_->headSentinel);
    EXPECT_FALSE(CellArrayOf(none)->cells[0]);
    FreeStaffRecordArrays(copy);
    FreeStaffRecordArrays(none);
    EXPECT_EQ(copy->cells.get(), nullptr);
}

// A staff made from a template copies its cells' signatures but not their voices.
TEST_F(GridTest, StaffFromTemplateCopiesCellsWithoutVoices) {
    BuildStaves(2);
    MeasureCell* source = Cell(1, 1);
    source->beats = 3;
    Note(source, 0, 0, 10, 4);
    StaffRecord* made = ConstructStaffRecordFrom(AllocStaffRecord(), view_, StaffRecordOf(doc_, 1));
    ASSERT_TRUE(IsStaffComplete(made));
    MeasureCell* cell = GetOrCreateMeasureCell(made, doc_, 1);
    EXPECT_EQ(cell->beats, 3);
    EXPECT_FALSE(cell->voices[0]);
    EXPECT_NE(cell->objects.get(), source->objects.get());
    EXPECT_EQ(GetOrCreateMeasureCell(made, doc_, 0)->voices[0], doc_->headSentinel);
    FreeStaffRecordArrays(made);
}

// A staff whose cells cannot all be made reports "STAFF" once and is marked
// incomplete by a zero first cell.
TEST_F(GridTest, StaffWithoutCellsReportsAndIsIncomplete) {
    doc_->header.measureCount = 3;
    StaffRecord* staff = AllocStaffRecord();
    // No block can be added, and pool 5's blocks are full: no further cell.
    FailNextArenaBlocks(1 << 20);
    std::vector<MeasureCell*> cells;
    while (MeasureCell* c = AllocMeasureCell(sizeof(MeasureCell))) cells.push_back(c);
    ui::headless::ResetUi();
    ConstructStaffRecord(staff, view_);
    FailNextArenaBlocks(0);
    EXPECT_FALSE(IsStaffComplete(staff));
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].text.rfind("[STAFF.1490] ", 0), 0u);
    for (MeasureCell* c : cells) FreeMeasureCell(c);
    FreeStaffRecordArrays(staff);
}

// Cell copies take the template's fields and clear its voices and lists; the hide
// bits are set and cleared by mask.
TEST_F(GridTest, CellCopiesAndFlagBits) {
    MeasureCell* cell = UseCell();
    Note(cell, 1, 0, 10, 4);
    cell->clefKey = 0x32;
    MeasureCell copy{};
    ASSERT_EQ(CopyMeasureCell(&copy, cell), 1);
    EXPECT_EQ(copy.clefKey, 0x32);
    EXPECT_FALSE(copy.voices[1]);
    SetCellFlagBits(&copy, 0x12, 1);
    SetCellFlagBits(&copy, 0x02, 0);
    EXPECT_EQ(copy.cellFlags, 0x10);
    ReleaseObjectByType(doc_, copy.objects.get());
}

// Clearing a cell empties its voices but keeps the heads; freeing its lists drops
// the heads too, never the document's shared sentinel.
TEST_F(GridTest, EmptyingCellsKeepsTheSharedSentinel) {
    MeasureCell* cell = UseCell();
    EventRecord* note = Note(cell, 0, 0, 10, 4);
    cell->voices[1] = doc_->headSentinel;
    ClearMeasureCell(cell, doc_);
    EXPECT_TRUE(IsFreeRecord(note));
    EXPECT_TRUE(cell->voices[0]);
    EXPECT_EQ(IsCellEmpty(cell), 1);
    State().documents.CurrentDocument = doc_;
    FreeMeasureCellLists(cell);
    EXPECT_FALSE(cell->voices[0]);
    EXPECT_NE(ResolveEvent(doc_->headSentinel), nullptr);
    EXPECT_EQ(cell->objects.get(), nullptr);
}

// Clef and key change counts come from the cell's objects; deleting a key change
// and recounting leaves the key nibble alone.
TEST_F(GridTest, ChangeCountsAreRecountedFromTheCell) {
    MeasureCell* cell = UseCell();
    cell->clefKey = 0x50;
    ScoreObject* list = GetOrCreateCellObjectList(cell);
    ScoreObject* keys[2];
    for (ScoreObject*& key : keys) {
        key = ConstructObject(TypeCode(ObjectType::Box));
        key->type = TypeCode(ObjectType::KeySignature);
        InsertObjectAfter(list, key);
    }
    ScoreObject* clef = ConstructObject(TypeCode(ObjectType::Box));
    clef->type = TypeCode(ObjectType::Clef);
    InsertObjectAfter(list, clef);
    RecountCellKeyChanges(cell);
    RecountCellClefChanges(cell);
    EXPECT_EQ(cell->cellWord & 0xFF, 0x21);
    UnlinkObject(keys[0]);
    RecountCellKeyChanges(cell);
    EXPECT_EQ(cell->cellWord & 0xFF, 0x11);
    EXPECT_EQ(cell->clefKey, 0x50);
    ReleaseObjectByType(doc_, keys[0]);
}

// Renewing a document empties it and builds it again from the defaults.
TEST_F(GridTest, RenewalStartsFromTheDefaults) {
    BuildStaves(4);
    doc_->header.tempo = 33;
    doc_->path = "/tmp/old.ql";
    ASSERT_EQ(InitNewDocument(doc_, view_, nullptr), 1);
    EXPECT_EQ(doc_->header.tempo, ProgramPreferences().header.tempo);
    EXPECT_EQ(doc_->path, "Untitled");
    EXPECT_EQ(doc_->staves, nullptr);
    EXPECT_NE(ResolveEvent(doc_->headSentinel), nullptr);
    view_->currentPage = nullptr;
    view_->currentSystem = nullptr;
}

// Distances convert to internal units and back; word 9 is never touched.
TEST_F(GridTest, HeaderDistancesRoundTrip) {
    doc_->header.pageDistances[0] = 0x0150;  // 1.50
    doc_->header.pageDistances[9] = 0xABCD;
    ConvertHeaderToInternal(doc_);
    EXPECT_EQ(doc_->internalDistances[0], 192);
    EXPECT_EQ(doc_->internalDistances[9], 0);
    doc_->header.pageDistances[0] = 0;
    ConvertHeaderToExternal(doc_);
    EXPECT_EQ(doc_->header.pageDistances[0], 0x0150);
    EXPECT_EQ(doc_->header.pageDistances[9], 0xABCD);
}

// The first activation puts the view on page 1's first system and makes it active;
// an invalid view is refused.
TEST_F(GridTest, FirstActivationCompletesTheView) {
    view_->currentPage = nullptr;
    EXPECT_EQ(ActivateView(view_), view_);
    EXPECT_EQ(view_->currentPage, doc_->firstPage);
    EXPECT_EQ(view_->currentSystem, doc_->firstPage->firstSystem.get());
    EXPECT_EQ(view_->pageView, 1);
    EXPECT_EQ(State().documents.ActiveView, view_);
    EXPECT_EQ(State().documents.CurrentDocument, doc_);
    ScoreView stray = *view_;  // its self pointer names the other record
    EXPECT_EQ(ActivateView(&stray), nullptr);
    EXPECT_EQ(ActivateView(nullptr), nullptr);
}

// A note cloned into another document lives in that document's pools, unlinked.
TEST_F(GridTest, CloneGoesToTheTargetPools) {
    MeasureCell* cell = UseCell();
    EventRecord* note = Note(cell, 0, 512, 9, 6);
    ScoreView* otherView = InitView(AllocView());
    ScoreDocument* other = AllocDocument();
    ASSERT_EQ(CreateDocument(other, otherView, nullptr), other);
    SetCurrentPoolSet(doc_->pools);
    EventRecord* clone = CloneEvent(note, view_, PoolSet(doc_->pools), PoolSet(other->pools));
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(CurrentPoolSet(), PoolSet(doc_->pools));
    EXPECT_TRUE(IsLiveRecord(PoolSet(other->pools), kEventRecordPool, clone));
    EXPECT_EQ(clone->time, 512);
    EXPECT_FALSE(clone->prev || clone->next);
    FreeView(otherView);
    FreeDocument(other);
    SetCurrentPoolSet(doc_->pools);
}

// A note whose attachments cannot all be copied is not copied: nothing of it is
// left in the target, and the caller learns of it.
TEST_F(GridTest, CloneIsAllOrNothing) {
    RegisterTextObjectClasses();
    MeasureCell* cell = UseCell();
    EventRecord* note = Note(cell, 0, 512, 9, 6);
    ScoreObject* first = ConstructObject(TypeCode(ObjectType::ImageText));
    ScoreObject* second = ConstructObject(TypeCode(ObjectType::ImageText));
    ASSERT_TRUE(first != nullptr && second != nullptr);
    first->type = second->type = TypeCode(ObjectType::Text);  // texts on the note
    note->attachment = PtrToHandle(kTextObjectPool, first);
    first->prev = Ref32<ScoreObject>::To(reinterpret_cast<ScoreObject*>(note));
    first->next = Ref32<ScoreObject>::To(second);
    second->prev = Ref32<ScoreObject>::To(first);
    ScoreView* otherView = InitView(AllocView());
    ScoreDocument* other = AllocDocument();
    ASSERT_EQ(CreateDocument(other, otherView, nullptr), other);
    SetCurrentPoolSet(doc_->pools);
    auto live = [other](int pool) {
        int count = 0;
        const RecordPool& records = other->pools.pools[pool];
        for (int b = 0; b < records.blockCount; ++b)
            for (int slot = 1; slot < records.blocks[b].nextFresh; ++slot)
                count += IsLiveRecord(PoolSet(other->pools), pool,
                                      records.blocks[b].base.get() + (size_t{1} * slot << records.shift));
        return count;
    };
    const int events = live(kEventRecordPool);
    const int objects = live(kTextObjectPool);
    FailRecordAllocationAfter(2);  // the note and its first attachment
    EXPECT_EQ(CloneEvent(note, view_, PoolSet(doc_->pools), PoolSet(other->pools)), nullptr);
    FailNextRecordAllocations(0);
    EXPECT_EQ(live(kEventRecordPool), events);
    EXPECT_EQ(live(kTextObjectPool), objects);
    EventRecord* clone = CloneEvent(note, view_, PoolSet(doc_->pools), PoolSet(other->pools));
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(live(kTextObjectPool), objects + 2);
    FreeView(otherView);
    FreeDocument(other);
    SetCurrentPoolSet(doc_->pools);
}

}  // namespace
}  // namespace ql::testing_model
