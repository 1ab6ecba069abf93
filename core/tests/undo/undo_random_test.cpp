// Randomised histories. The first: 1,000 edits (insert and delete notes, add and
// remove objects, change header fields and measure records) with Undo and Redo at
// random points; after every step the score must be byte-identical to the snapshot
// taken when the history was at that point. The second mixes in notes and objects
// inserted and deleted outside any edit, as step entry and the layout engine do; after
// every step every chain must hold only live records, no record may be handed out
// while linked, and no slot may be lost. Small pool blocks make blocks come and go.
#include <algorithm>

#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/tests/undo/undo_fixture.h"

namespace ql::testing_undo {
namespace {

constexpr int kEditCount = 1000;
constexpr uint32_t kSeed = 20261206;
constexpr int kMixedSteps = 3000;
constexpr uint32_t kMixedSeeds[] = {20261206, 7, 1977};
constexpr int kMaxChain = 40;  // longer chains only shrink, so no pool runs out
constexpr uint16_t kSmallBlockKb = 2;  // a few dozen slots per block

class UndoRandomHistory : public UndoTest {
  protected:
    void SetUp() override {
        UndoTest::SetUp();
        for (int pool : {kEventRecordPool, kTextObjectPool, kLargeObjectPool})
            State().pools.DocumentBlockKb[pool] = kSmallBlockKb;
    }

    // The object chain's head lives in a header word, so it is restored with the score.
    uint32_t& ObjectHead() { return doc_->header.settingsWords[0]; }

    void AddObject(int pool) {
        auto* object = static_cast<ScoreObject*>(AllocRecord(pool));
        if (object == nullptr) return;
        ConstructScoreObject(object);
        object->type = static_cast<uint8_t>(rng_() % kObjectTypeCount);
        object->BodyBytes()[0] = static_cast<std::byte>(rng_());
        object->next = Ref32<ScoreObject>(ObjectHead());
        object->spareWords[0] = static_cast<uint32_t>(pool);
        ObjectHead() = Ref32<ScoreObject>::To(object).offset;
    }

    bool RemoveObject(int index) {
        ScoreObject* prev = nullptr;
        ScoreObject* at = Ref32<ScoreObject>(ObjectHead()).get();
        for (int i = 0; i < index && at != nullptr; ++i) {
            prev = at;
            at = at->next.get();
        }
        if (at == nullptr) return false;
        if (prev != nullptr)
            prev->next = at->next;
        else
            ObjectHead() = at->next.offset;
        FreeRecord(static_cast<int>(at->spareWords[0]), at);
        return true;
    }

    // Every edit changes something, so every edit is recorded.
    void RandomEdit() {
        int index = static_cast<int>(rng_() % 8);
        bool changed = true;
        switch (rng_() % 6) {
            case 0:
            case 1:
                InsertNote(static_cast<uint16_t>(rng_()), static_cast<uint8_t>(rng_()));
                break;
            case 2:
                changed = DeleteNote(index);
                break;
            case 3:
                AddObject(rng_() % 2 ? kTextObjectPool : kLargeObjectPool);
                break;
            case 4:
                changed = RemoveObject(index);
                break;
            default:
                SetMeasureWidth(static_cast<int>(rng_() % MaxMeasures),
                                static_cast<uint16_t>(rng_()));
                changed = false;
                break;
        }
        if (!changed) SetTempo(static_cast<uint16_t>(doc_->header.tempo + 1));
    }

    // An edit as RandomEdit makes, but a deletion when a chain is long.
    void BoundedEdit() {
        if (NoteCount() >= kMaxChain)
            DeleteNote(static_cast<int>(rng_() % kMaxChain));
        else if (ObjectCount() >= kMaxChain)
            RemoveObject(static_cast<int>(rng_() % kMaxChain));
        else
            RandomEdit();
    }

    int ObjectCount() const {
        std::vector<const void*> objects;
        DescribeObjectChainFaults(objects);
        return static_cast<int>(objects.size());
    }

    // A note or an object inserted or deleted at a random place, outside any edit.
    void RandomChangeOutsideEdits() {
        int index = static_cast<int>(rng_() % 8);
        switch (rng_() % 4) {
            case 0:
                if (NoteCount() < kMaxChain) {
                    InsertNoteAt(index, static_cast<uint16_t>(rng_()),
                                 static_cast<uint8_t>(rng_()));
                    break;
                }
                [[fallthrough]];
            case 1:
                DeleteNote(index % std::max(1, NoteCount()));
                break;
            case 2:
                if (ObjectCount() < kMaxChain) {
                    AddObject(rng_() % 2 ? kTextObjectPool : kLargeObjectPool);
                    break;
                }
                [[fallthrough]];
            default:
                RemoveObject(index);
                break;
        }
        MarkChanged();
    }

    // The object chain reaches only live records of the pools named in them, and ends.
    std::string DescribeObjectChainFaults(std::vector<const void*>& records) const {
        for (ScoreObject* at = Ref32<ScoreObject>(ObjectHeadValue()).get(); at != nullptr;
             at = at->next.get()) {
            bool live = IsLiveRecord(PoolSet(doc_->pools), kTextObjectPool, at) ||
                        IsLiveRecord(PoolSet(doc_->pools), kLargeObjectPool, at);
            if (!live) return "the object chain reaches a record that is not live\n";
            if (std::find(records.begin(), records.end(), at) != records.end())
                return "the object chain loops\n";
            records.push_back(at);
        }
        return "";
    }

    // Everything that would corrupt the score; the probes allocate and free.
    std::string DescribeScoreFaults() {
        std::vector<const void*> objects;
        std::string faults = DescribeNoteFaults() + DescribeObjectChainFaults(objects);
        for (int pool : {kTextObjectPool, kLargeObjectPool})
            faults += DescribePoolFaults(pool) + ProbeAllocation(pool, objects);
        return faults;
    }

    uint32_t ObjectHeadValue() const { return doc_->header.settingsWords[0]; }

    std::mt19937 rng_{kSeed};
};

// Every state reachable by Undo and Redo is the exact state the history had there.
TEST_F(UndoRandomHistory, UndoAndRedoReproduceEveryStateExactly) {
    RunRandomHistory(
        doc_.get(), nullptr, rng_, kEditCount, [&] { RandomEdit(); }, [&] { MarkChanged(); });
}

// Undo (2 in 10), Redo (1 in 10), edits (4 in 10) and changes outside edits (3 in 10)
// in any order never corrupt the score, and the history stays in use: most Undo
// commands still find a record to apply.
TEST_F(UndoRandomHistory, ChangesOutsideEditsNeverCorruptTheScore) {
    for (uint32_t seed : kMixedSeeds) {
        rng_.seed(seed);
        int undoCommands = 0;
        int undone = 0;
        for (int step = 0; step < kMixedSteps; ++step) {
            uint32_t action = rng_() % 10;
            if (action < 2) {
                const UndoRecord* top = doc_->undoStack;  // applied unless dropped
                UndoCommand(doc_.get(), nullptr);
                ++undoCommands;
                undone += top != nullptr && doc_->redoStack == top ? 1 : 0;
            } else if (action < 3) {
                RedoCommand(doc_.get(), nullptr);
            } else if (action < 7) {
                Edit([&] { BoundedEdit(); });
            } else {
                RandomChangeOutsideEdits();
            }
            ASSERT_EQ(DescribeScoreFaults(), "") << "seed " << seed << ", step " << step;
        }
        EXPECT_GT(undone * 2, undoCommands) << "seed " << seed;
    }
}

}  // namespace
}  // namespace ql::testing_undo
