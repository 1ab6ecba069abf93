// Helpers of the undo tests: the test document, note edits on a chain of pool-4
// records whose head handle is kept in the header (so the chain itself is part of
// what undo restores), and byte snapshots of the score.
#include <algorithm>
#include <cstring>
#include <deque>
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
    auto* event = static_cast<EventRecord*>(AllocRecord(kEventRecordPool));
    if (event == nullptr) return nullptr;
    event->time = time;
    event->step = step;
    event->duration = kDurationQuarter;
    event->next = RecordHandle(ChainHead(*doc_));
    ChainHead(*doc_) = PtrToHandle(kEventRecordPool, event).bits;
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

}  // namespace ql::testing_undo
