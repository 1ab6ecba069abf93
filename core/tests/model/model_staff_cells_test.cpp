// A staff's cells are taken as runs (one of cells, one of their list heads). Against
// a staff built a cell and its head at a time, in a twin document: the same handles,
// the same bytes, the same pool state, from fresh slots and from the free list. And
// a staff that cannot be made whole, at every allocation that can fail, keeps no
// record: its cells and heads go back to their pools.
#include <cstring>
#include <string>

#include "core/tests/model/model_fixture.h"

namespace ql::testing_model {
namespace {

constexpr int kStavesBuilt = 3;
constexpr int kLongMeasureCount = 300;  // cells span several pool blocks
constexpr int kShortMeasureCount = 3;

// Makes a document current: its pools and the program's current document.
void UseDocument(ScoreDocument* document) {
    SetCurrentPoolSet(document->pools);
    State().documents.CurrentDocument = document;
}

// A staff as it was built a record at a time: cell array, then per measure a cell
// and its list head (cell 0 with the document's head sentinel), then the staff's
// own list head.
StaffRecord* BuildStaffOneCellAtATime(ScoreDocument* document, int lastMeasure) {
    StaffRecord* staff = AllocStaffRecord();
    std::memset(staff, 0, sizeof(StaffRecord));
    staff->flags = kNewStaffFlags & 0xFF00;
    staff->baseKeyVelocity = kNewStaffKeyVelocity;
    for (int t = 1; t < 4; ++t) staff->timbres[t].port = kNoTimbrePort;
    auto* cells = static_cast<CellHandleArray*>(AllocRecord(kCellArrayPool));
    staff->cells = Ref32<CellHandleArray>::To(cells);
    for (int m = 0; m <= lastMeasure; ++m) {
        MeasureCell* cell = AllocMeasureCell(sizeof(MeasureCell));
        if (cell == nullptr) return nullptr;
        const int made = m == 0 ? InitMeasureCellWithVoices(cell, document->headSentinel) : InitMeasureCell(cell);
        if (made == 0) return nullptr;
        cells->cells[m] = PtrToHandle(kMeasureCellPool, cell);
    }
    staff->objects = Ref32<ScoreObject>::To(AllocRootObject());
    return staff;
}

void AppendBytes(std::string& out, const void* bytes, size_t size) {
    out.append(static_cast<const char*>(bytes), size);
}

// A staff's records as bytes, with every arena reference replaced by its handle in
// its pool: the staff, then each cell's handle, bytes and head.
std::string StaffBytes(StaffRecord* staff) {
    std::string out;
    StaffRecord copy = *staff;
    const RecordHandle list = PtrToHandle(kRootObjectPool, staff->objects.get());
    copy.objects = Ref32<ScoreObject>{};
    copy.cells = Ref32<CellHandleArray>{};
    AppendBytes(out, &copy, sizeof copy);
    AppendBytes(out, &list, sizeof list);
    const CellHandleArray* cells = CellArrayOf(staff);
    for (const RecordHandle& handle : cells->cells) {
        AppendBytes(out, &handle, sizeof handle);
        auto* cell = FindRecord<MeasureCell>(kMeasureCellPool, handle);
        if (cell == nullptr) continue;
        MeasureCell bytes = *cell;
        const RecordHandle head = PtrToHandle(kRootObjectPool, cell->objects.get());
        bytes.objects = Ref32<ScoreObject>{};
        AppendBytes(out, &bytes, sizeof bytes);
        AppendBytes(out, &head, sizeof head);
        AppendBytes(out, cell->objects.get(), sizeof(ScoreObject));
    }
    return out;
}

// Blocks, fresh marks, live bits and the free list's head of a pool of the current set.
std::string PoolState(int pool) {
    const RecordPool& descriptor = CurrentPoolSet().pools[pool];
    std::string out = "blocks " + std::to_string(descriptor.blockCount) + " free ";
    out += descriptor.freeList ? std::to_string(PtrToHandle(pool, descriptor.freeList.get()).bits) : "none";
    for (int block = 0; block < descriptor.blockCount; ++block) {
        const PoolBlock& entry = descriptor.blocks[block];
        out += " | " + std::to_string(entry.capacity) + "/" + std::to_string(entry.nextFresh) + " ";
        for (int slot = 1; slot < entry.nextFresh; ++slot) out += IsSlotLive(descriptor, block, slot) ? '1' : '0';
    }
    return out;
}

std::string PoolsOfStaves() {
    return PoolState(kMeasureCellPool) + "\n" + PoolState(kRootObjectPool) + "\n" + PoolState(kCellArrayPool);
}

int LiveRecordsOf(int pool) {
    int count = 0;
    AnyLiveRecordOf(pool, [&](void*) {
        ++count;
        return false;
    });
    return count;
}

class StaffCellRuns : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        twinView_ = InitView(AllocView());
        LinkView(twinView_);
        twin_ = AllocDocument();
        ASSERT_EQ(CreateDocument(twin_, twinView_, nullptr), twin_);
        UseDocument(doc_);
    }
    void TearDown() override {
        FreeView(twinView_);
        FreeDocument(twin_);
        ModelTest::TearDown();
    }

    // For every record allocation of a staff's making in turn, `construct` makes a
    // staff with that allocation failing (it reads the allocation to fail from
    // `next_`): the staff is incomplete, `check` sees it with the cells and heads live before,
    // and once it is freed no cell or list head it took stays live.
    template <typename Construct, typename Check>
    void FailEachAllocation(Construct construct, Check check) {
        const int cells = kShortMeasureCount + kSpareMeasures + 1;
        const int allocations = 1 + 2 * cells + 1;
        const int liveCells = LiveRecordsOf(kMeasureCellPool);
        const int liveHeads = LiveRecordsOf(kRootObjectPool);
        for (next_ = 0; next_ < allocations; ++next_) {
            SCOPED_TRACE("allocation " + std::to_string(next_) + " fails");
            StaffRecord* staff = AllocStaffRecord();
            construct(staff);
            FailNextRecordAllocations(0);
            EXPECT_FALSE(IsStaffComplete(staff));
            check(staff, liveCells, liveHeads);
            FreeStaffRecordArrays(staff);
            FreeRecord(kStaffRecordPool, staff);
            EXPECT_EQ(LiveRecordsOf(kMeasureCellPool), liveCells);
            EXPECT_EQ(LiveRecordsOf(kRootObjectPool), liveHeads);
        }
    }
    int next_ = 0;

    // The same staves built both ways, one in each document; each document's staves
    // and pools as text.
    void BuildBothWays(int measureCount, std::string* oneAtATime, std::string* asRuns) {
        doc_->header.measureCount = static_cast<uint16_t>(measureCount);
        twin_->header.measureCount = static_cast<uint16_t>(measureCount);
        UseDocument(twin_);
        for (int s = 0; s < kStavesBuilt; ++s) {
            StaffRecord* staff = BuildStaffOneCellAtATime(twin_, measureCount + kSpareMeasures);
            ASSERT_NE(staff, nullptr);
            *oneAtATime += StaffBytes(staff);
        }
        *oneAtATime += PoolsOfStaves();
        UseDocument(doc_);
        for (int s = 0; s < kStavesBuilt; ++s) {
            StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view_);
            ASSERT_TRUE(IsStaffComplete(staff));
            *asRuns += StaffBytes(staff);
        }
        *asRuns += PoolsOfStaves();
    }

    // Cells and heads taken and some of them released again, the same in both
    // documents, so that the next records come from the free list first.
    void LeaveFreedRecords() {
        for (ScoreDocument* document : {twin_, doc_}) {
            UseDocument(document);
            std::vector<MeasureCell*> cells;
            std::vector<ScoreObject*> heads;
            for (int i = 0; i < 40; ++i) {
                cells.push_back(AllocMeasureCell(sizeof(MeasureCell)));
                heads.push_back(AllocRootObject());
            }
            for (int i = 3; i < 40; i += 3) {
                FreeMeasureCell(cells[i]);
                FreeRecord(kRootObjectPool, heads[i]);
            }
        }
    }

    ScoreView* twinView_ = nullptr;
    ScoreDocument* twin_ = nullptr;
};

// Fresh slots over several blocks: runs hand out what single records did.
TEST_F(StaffCellRuns, RunsMakeTheRecordsOfOneAtATime) {
    std::string oneAtATime;
    std::string asRuns;
    BuildBothWays(kLongMeasureCount, &oneAtATime, &asRuns);
    EXPECT_EQ(asRuns, oneAtATime);
}

// With released cells and heads waiting, the runs take them first, in the same order.
TEST_F(StaffCellRuns, RunsTakeFreedRecordsInTheSameOrder) {
    LeaveFreedRecords();
    std::string oneAtATime;
    std::string asRuns;
    BuildBothWays(kLongMeasureCount, &oneAtATime, &asRuns);
    EXPECT_EQ(asRuns, oneAtATime);
}

// Every allocation of a staff's construction fails in turn (cell array, cells, their
// heads, the staff's head): the staff is incomplete, shows the low-memory box, holds
// no cell handle, and no cell or head stays live, before or after it is freed.
TEST_F(StaffCellRuns, StaffThatCannotBeMadeKeepsNoCell) {
    doc_->header.measureCount = kShortMeasureCount;
    FailEachAllocation(
        [&](StaffRecord* staff) {
            ui::headless::ResetUi();
            FailRecordAllocationAfter(next_);
            ConstructStaffRecord(staff, view_);
        },
        [&](StaffRecord* staff, int liveCells, int liveHeads) {
            ASSERT_FALSE(ui::headless::MessageBoxes().empty());
            const std::string& box = ui::headless::MessageBoxes().back().text;
            EXPECT_TRUE(box.rfind("[STAFF.", 0) == 0 || box.rfind("[UNITS.", 0) == 0) << box;
            if (const CellHandleArray* array = CellArrayOf(staff)) {
                for (const RecordHandle& handle : array->cells) ASSERT_FALSE(handle);
            }
            const int headOfStaff = staff->objects ? 1 : 0;
            EXPECT_EQ(LiveRecordsOf(kMeasureCellPool), liveCells);
            EXPECT_EQ(LiveRecordsOf(kRootObjectPool), liveHeads + headOfStaff);
        });
}

// The same for a staff copied from another (Insert Staff): the template's cells are
// made on the way and stay, the new staff's cells all go.
TEST_F(StaffCellRuns, StaffCopyThatCannotBeMadeKeepsNoCell) {
    BuildStaves(kShortMeasureCount);
    StaffRecord* tmpl = StaffRecordOf(doc_, 1);
    FailEachAllocation(
        [&](StaffRecord* staff) {
            FailRecordAllocationAfter(next_);
            ConstructStaffRecordFrom(staff, view_, tmpl);
        },
        [](StaffRecord*, int, int) {});
}

}  // namespace
}  // namespace ql::testing_model
