// Undo on a real score: a document built by CreateDocument, notes entered into voices
// by the event-chain code, objects added to and released from a cell's object list,
// header and measure-table changes, with Undo and Redo at random points. After every
// step the score is byte-identical to the snapshot of that point in history.
#include "core/tests/model/model_fixture.h"
#include "core/tests/undo/undo_fixture.h"
#include "core/undo/undo.h"

namespace ql::testing_model {
namespace {

constexpr int kEditCount = 1000;
constexpr uint32_t kSeed = 7071;
constexpr int kMaxTime = 4096;
constexpr int kMaxStep = 24;

class UndoOnScore : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        cell_ = UseCell(1, 1);
        list_ = GetOrCreateCellObjectList(cell_);
        ClearUndoHistory(doc_);
    }

    bool AddNote() {
        uint8_t duration = rng_() % 2 ? kDurationQuarter : kDurationEighth;
        return AddEventToVoice(view_, cell_, 0, static_cast<uint16_t>(rng_() % kMaxTime), duration,
                               static_cast<uint8_t>(rng_() % kMaxStep)) != nullptr;
    }

    bool DeleteNote() {
        std::vector<EventRecord*> notes;
        for (EventRecord* e = GetVoiceFirstEvent(cell_, 0); e != nullptr; e = NextEvent(e))
            notes.push_back(e);
        if (notes.empty()) return false;
        EventRecord* victim = notes[rng_() % notes.size()];
        UnlinkEvent(victim, doc_);
        FreeEvent(victim);
        return true;
    }

    bool AddObject() {
        ScoreObject* box = ConstructObject(TypeCode(ObjectType::Box));
        if (box == nullptr) return false;
        box->spareWords[0] = rng_();
        InsertObjectAfter(list_, box);
        return true;
    }

    bool ReleaseOneObject() {
        ScoreObject* object = list_->next.get();
        if (object == nullptr) return false;
        UnlinkObject(object);
        ReleaseObjectByType(doc_, object);
        return true;
    }

    // Every edit changes the score.
    void RandomEdit() {
        bool changed = false;
        switch (rng_() % 5) {
            case 0:
            case 1:
                changed = AddNote();
                notesAdded_ += changed;
                break;
            case 2:
                changed = DeleteNote();
                notesDeleted_ += changed;
                break;
            case 3:
                changed = AddObject();
                break;
            default:
                changed = ReleaseOneObject();
                objectsReleased_ += changed;
                break;
        }
        if (rng_() % 4 == 0)
            doc_->measureTable[rng_() % doc_->header.measureCount + 1].width =
                static_cast<uint16_t>(rng_());
        if (!changed) ++doc_->header.tempo;
    }

    MeasureCell* cell_ = nullptr;
    ScoreObject* list_ = nullptr;
    std::mt19937 rng_{kSeed};
    int notesAdded_ = 0;
    int notesDeleted_ = 0;
    int objectsReleased_ = 0;
};

// Every state reachable by Undo and Redo is the exact state the score had there.
TEST_F(UndoOnScore, UndoAndRedoReproduceEveryStateExactly) {
    testing_undo::RunRandomHistory(
        doc_, view_, rng_, kEditCount, [&] { RandomEdit(); }, [&] { SetDocumentModified(doc_); });
    EXPECT_GT(notesAdded_, kEditCount / 4) << "the history must really enter notes";
    EXPECT_GT(notesDeleted_, kEditCount / 10);
    EXPECT_GT(objectsReleased_, kEditCount / 10);
}

}  // namespace
}  // namespace ql::testing_model
