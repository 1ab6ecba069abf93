// Helpers of the undo tests: the test document, note edits on a chain of pool-4
// records whose head handle is kept in the header (so the chain itself is part of
// what undo restores), byte snapshots of the score, and the checks of the chain and
// its pool.
#include <algorithm>
#include <cstring>
#include <deque>
#include <set>
#include <sstream>

#include "core/memory/arena.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/tests/undo/undo_fixture.h"

namespace ql::testing_undo {

namespace {

// The note chain's head handle lives in a header word that nothing else uses here.
uint16_t& ChainHead(ScoreDocument& document) {
    return document.header.scoreSettingD;
}

// True when the address is a slot of a block of the pool, handed out at some time.
bool IsHandedOutSlot(const RecordPool& pool, const std::byte* record) {
    size_t slotSize = size_t{1} << pool.shift;
    for (int block = 0; block < pool.blockCount; ++block) {
        const PoolBlock& entry = pool.blocks[block];
        const std::byte* base = entry.base.get();
        if (base == nullptr || record < base + slotSize ||
            record >= base + entry.nextFresh * slotSize)
            continue;
        return (record - base) % slotSize == 0;
    }
    return false;
}

// The first word of a record: a free record's link to the next free one.
uint32_t LoadWord(const std::byte* record) {
    uint32_t word;
    std::memcpy(&word, record, sizeof word);
    return word;
}

// Collects the records the note chain reaches; → the fault that ends the walk early.
std::string WalkNoteChain(ScoreDocument& document, std::vector<const void*>& records) {
    for (RecordHandle h(ChainHead(document)); h;) {
        const void* record = HandleToPtr(kEventRecordPool, h);
        if (!IsLiveRecord(PoolSet(document.pools), kEventRecordPool, record))
            return "the note chain reaches handle " + std::to_string(h.bits) +
                   ", which is not a live record\n";
        if (std::find(records.begin(), records.end(), record) != records.end())
            return "the note chain loops\n";
        records.push_back(record);
        h = static_cast<const EventRecord*>(record)->next;
    }
    return "";
}

bool IsAllZero(const std::byte* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (bytes[i] != std::byte{0}) return false;
    return true;
}

std::string CompareBlock(const ScoreSnapshot& expected, const ScoreDocument& document, int pool,
                         int block) {
    const RecordPool& live = document.pools.pools[pool];
    const RecordPool& then = expected.descriptors.pools[pool];
    const std::vector<std::byte>& saved = expected.blocks[pool * kMaxPoolBlocks + block];
    const std::byte* bytes = live.blocks[block].base.get();
    size_t size = BlockLiveBytes(live, block);
    std::ostringstream out;
    if (!then.blocks[block].base) {
        if (bytes != nullptr && (live.blocks[block].nextFresh != 1 || !IsAllZero(bytes, size)))
            out << "pool " << pool << " block " << block << " was added and is not untouched\n";
        return out.str();
    }
    if (std::memcmp(&then.blocks[block], &live.blocks[block], sizeof(PoolBlock)) != 0)
        out << "pool " << pool << " block " << block << " entry differs\n";
    else if (saved.size() != size || std::memcmp(saved.data(), bytes, size) != 0)
        out << "pool " << pool << " block " << block << " bytes differ\n";
    return out.str();
}

}  // namespace

ScoreSnapshot TakeSnapshot(const ScoreDocument& document) {
    ScoreSnapshot snapshot;
    snapshot.descriptors = document.pools;
    snapshot.blocks.resize(kDocumentPoolCount * kMaxPoolBlocks);
    for (int pool = kFirstUndoPool; pool <= kLastUndoPool; ++pool) {
        const RecordPool& descriptor = document.pools.pools[pool];
        for (int block = 0; block < kMaxPoolBlocks; ++block) {
            const std::byte* base = descriptor.blocks[block].base.get();
            if (base == nullptr) continue;
            snapshot.blocks[pool * kMaxPoolBlocks + block].assign(
                base, base + BlockLiveBytes(descriptor, block));
        }
    }
    snapshot.measures.assign(document.measureTable.get(),
                             document.measureTable.get() + MaxMeasures);
    snapshot.header = document.header;
    return snapshot;
}

std::string DescribeDifference(const ScoreSnapshot& expected, const ScoreDocument& document) {
    std::ostringstream out;
    for (int pool = kFirstUndoPool; pool <= kLastUndoPool; ++pool) {
        const RecordPool& live = document.pools.pools[pool];
        const RecordPool& then = expected.descriptors.pools[pool];
        if (live.shift != then.shift || live.freeList != then.freeList ||
            live.blockCount < then.blockCount)
            out << "pool " << pool << " descriptor differs\n";
        for (int block = 0; block < kMaxPoolBlocks; ++block)
            out << CompareBlock(expected, document, pool, block);
    }
    if (std::memcmp(expected.measures.data(), document.measureTable.get(),
                    sizeof(MeasureRecord) * MaxMeasures) != 0)
        out << "measure table differs\n";
    if (std::memcmp(&expected.header, &document.header, sizeof(ScoreHeader)) != 0)
        out << "header differs\n";
    return out.str();
}

void RunRandomHistory(ScoreDocument* document, ScoreView* view, std::mt19937& rng, int edits,
                      const std::function<void()>& edit, const std::function<void()>& markChanged) {
    std::deque<ScoreSnapshot> states{TakeSnapshot(*document)};  // states[at] is the present
    size_t at = 0;
    int undoable = 0;
    int redoable = 0;
    for (int step = 0, made = 0; made < edits; ++step) {
        uint32_t action = rng() % 10;
        if (action < 2 && undoable > 0) {
            UndoCommand(document, view);
            --at, --undoable, ++redoable;
        } else if (action < 3 && redoable > 0) {
            RedoCommand(document, view);
            ++at, ++undoable, --redoable;
        } else {
            {
                UndoStep bracket(document, view, UndoKind::Note, 0, UndoVerb::Modify);
                edit();
                markChanged();
            }
            ++made;
            states.resize(at + 1);
            states.push_back(TakeSnapshot(*document));
            ++at;
            undoable = std::min(undoable + 1, kUndoStackLimit);
            redoable = 0;
        }
        while (at > static_cast<size_t>(kUndoStackLimit)) {  // older states are unreachable
            states.pop_front();
            --at;
        }
        ASSERT_EQ(DescribeDifference(states[at], *document), "") << "at step " << step;
        ASSERT_EQ(UndoDepth(document), undoable) << "at step " << step;
        ASSERT_EQ(RedoDepth(document), redoable) << "at step " << step;
    }
}

void UndoTest::SetUp() {
    ResetProgramState();
    arenaBytesAtStart_ = ArenaBytesInUse();
    doc_ = std::make_unique<ScoreDocument>();
    InitDocumentPoolSet(doc_->pools);
    SetCurrentPoolSet(PoolSet(doc_->pools));
    doc_->measureTable.reset(new MeasureRecord[MaxMeasures]());
    doc_->baselineMeasureTable.reset(new MeasureRecord[MaxMeasures]());
    doc_->header.staffCount = 1;
    doc_->header.measureCount = 1;
    TakeUndoBaseline(doc_.get());
}

void UndoTest::TearDown() {
    FreeUndoStack(doc_->undoStack);
    FreeUndoStack(doc_->redoStack);
    doc_->undoStack = nullptr;
    doc_->redoStack = nullptr;
    FreeDocumentPoolSet(doc_->pools);
    doc_.reset();
    SetUndoSuspended(false);
    FailNextUndoAllocations(0);
    ResetProgramState();
    // A block dropped from a descriptor by an undo would never go back to the arena.
    EXPECT_EQ(ArenaBytesInUse(), arenaBytesAtStart_) << "a pool block was lost";
}

EventRecord* UndoTest::InsertNote(uint16_t time, uint8_t step) {
    return InsertNoteAt(0, time, step);
}

EventRecord* UndoTest::InsertNoteAt(int index, uint16_t time, uint8_t step) {
    EventRecord* prev = index > 0 ? NoteAt(index - 1) : nullptr;
    if (index > 0 && prev == nullptr) prev = NoteAt(NoteCount() - 1);
    auto* event = static_cast<EventRecord*>(AllocRecord(kEventRecordPool));
    if (event == nullptr) return nullptr;
    event->time = time;
    event->step = step;
    event->duration = kDurationQuarter;
    RecordHandle handle = PtrToHandle(kEventRecordPool, event);
    if (prev != nullptr) {
        event->next = prev->next;
        prev->next = handle;
    } else {
        event->next = RecordHandle(ChainHead(*doc_));
        ChainHead(*doc_) = handle.bits;
    }
    return event;
}

EventRecord* UndoTest::NoteAt(int index) {
    auto* event =
        static_cast<EventRecord*>(HandleToPtr(kEventRecordPool, RecordHandle(ChainHead(*doc_))));
    for (int i = 0; i < index && event != nullptr; ++i)
        event = static_cast<EventRecord*>(HandleToPtr(kEventRecordPool, event->next));
    return event;
}

bool UndoTest::DeleteNote(int index) {
    EventRecord* prev = nullptr;
    RecordHandle at(ChainHead(*doc_));
    for (int i = 0; i < index && at; ++i) {
        prev = static_cast<EventRecord*>(HandleToPtr(kEventRecordPool, at));
        at = prev->next;
    }
    auto* event = static_cast<EventRecord*>(HandleToPtr(kEventRecordPool, at));
    if (event == nullptr) return false;
    if (prev != nullptr)
        prev->next = event->next;
    else
        ChainHead(*doc_) = event->next.bits;
    FreeRecord(kEventRecordPool, event);
    return true;
}

int UndoTest::NoteCount() const {
    return static_cast<int>(NoteTimes().size());
}

std::vector<uint16_t> UndoTest::NoteTimes() const {
    std::vector<uint16_t> times;
    for (RecordHandle h(doc_->header.scoreSettingD); h;) {
        auto* event = static_cast<EventRecord*>(HandleToPtr(kEventRecordPool, h));
        if (event == nullptr) break;
        times.push_back(event->time);
        h = event->next;
    }
    return times;
}

void UndoTest::SetTempo(uint16_t tempo) {
    doc_->header.tempo = tempo;
}

void UndoTest::SetMeasureWidth(int measure, uint16_t width) {
    doc_->measureTable[measure].width = width;
}

std::vector<const void*> UndoTest::NoteChainRecords() const {
    std::vector<const void*> records;
    WalkNoteChain(*doc_, records);
    return records;
}

std::string UndoTest::DescribeNoteChainFaults() const {
    std::vector<const void*> records;
    return WalkNoteChain(*doc_, records);
}

std::string UndoTest::DescribePoolFaults(int pool) const {
    const RecordPool& descriptor = doc_->pools.pools[pool];
    std::ostringstream out;
    std::set<const std::byte*> freeRecords;
    for (Ref32<std::byte> at = descriptor.freeList; at;) {
        const std::byte* record = at.get();
        if (!IsHandedOutSlot(descriptor, record)) {
            out << "pool " << pool << ": the free list leaves the pool\n";
            break;
        }
        if (!IsFreeRecord(record)) {
            out << "pool " << pool << ": the free list holds a live record\n";
            break;
        }
        if (!freeRecords.insert(record).second) {
            out << "pool " << pool << ": the free list loops\n";
            break;
        }
        at = Ref32<std::byte>(LoadWord(record));
    }
    size_t slotSize = size_t{1} << descriptor.shift;
    for (int block = 0; block < descriptor.blockCount; ++block) {
        const PoolBlock& entry = descriptor.blocks[block];
        for (size_t slot = 1; slot < entry.nextFresh; ++slot) {
            const std::byte* record = entry.base.get() + slot * slotSize;
            if (IsFreeRecord(record) && freeRecords.count(record) == 0)
                out << "pool " << pool << " block " << block << " slot " << slot
                    << " is free and off the free list: lost\n";
        }
    }
    return out.str();
}

std::string UndoTest::DescribeNoteFaults() {
    return DescribeNoteChainFaults() + DescribePoolFaults(kEventRecordPool) +
           ProbeAllocation(kEventRecordPool, NoteChainRecords());
}

std::string UndoTest::ProbeAllocation(int pool, const std::vector<const void*>& linked) {
    void* record = AllocRecord(pool);
    if (record == nullptr) return "pool " + std::to_string(pool) + " handed out nothing\n";
    bool isLinked = std::find(linked.begin(), linked.end(), record) != linked.end();
    FreeRecord(pool, record);
    return isLinked ? "pool " + std::to_string(pool) + " handed out a linked record\n" : "";
}

}  // namespace ql::testing_undo
