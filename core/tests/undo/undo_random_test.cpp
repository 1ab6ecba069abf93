// A randomised history: 1,000 edits (insert and delete notes, add and remove objects,
// change header fields and measure records) with Undo and Redo at random points.
// After every step the score must be byte-identical to the snapshot taken when the
// history was at that point. Small pool blocks make the edits add blocks as they go.
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/tests/undo/undo_fixture.h"

namespace ql::testing_undo {
namespace {

constexpr int kEditCount = 1000;
constexpr uint32_t kSeed = 20261206;
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

    std::mt19937 rng_{kSeed};
};

// Every state reachable by Undo and Redo is the exact state the history had there.
TEST_F(UndoRandomHistory, UndoAndRedoReproduceEveryStateExactly) {
    RunRandomHistory(
        doc_.get(), nullptr, rng_, kEditCount, [&] { RandomEdit(); }, [&] { MarkChanged(); });
}

}  // namespace
}  // namespace ql::testing_undo
