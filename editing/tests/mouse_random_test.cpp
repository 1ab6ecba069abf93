// A seeded driver sends mixed mouse and key messages, popup choices, resets and
// boxes made and destroyed behind the selection's back through the box tool, with
// pointer validation on. After every message the selection must name only live
// records; at the end every step of the undo history (the newest 17 are kept)
// replays back to the boxes as they were before its oldest step.
#include "editing/tests/editing_fixture.h"

#include <map>
#include <random>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "editing/selection.h"
#include "platform/ui/headless.h"

namespace ql::testing_editing {
namespace {

using win::Message;

constexpr int kMessages = 10000;
constexpr uint32_t kSeed = 20261207;
constexpr int32_t kSide = 480;
constexpr int32_t kSpan = 2400;  // logical units the pointer wanders over
constexpr int kKindsOfStep = 16;
constexpr int32_t kPopupCommands[] = {57632, 42100, 42103, 42102, 0};

class RandomEdit : public EditingTest {
  protected:
    // Every record the selection names is a live hit record, or one of its own
    // list ends.
    void ExpectLiveFields(int step) {
        const SelectionState& s = *TheSelectionState();
        const PoolSet statics(TheStaticPoolSet());
        for (const Ref32<HitRecord>* field : {&s.focusRecord, &s.grabbedRecord, &s.hoverRecord,
                                              &s.hoverListRecord, &s.statusRecord}) {
            const HitRecord* r = field->get();
            if (r == nullptr || IsSelectionListEnd(r)) continue;
            ASSERT_TRUE(IsLiveRecord(statics, kHitRecordPool, r)) << "step " << step;
        }
        int n = 0;
        for (const HitRecord* r = s.listAHead.next.get(); r != nullptr && r != &s.listATail; r = r->next.get())
            ASSERT_LT(++n, 1 << 16) << "list A loops at step " << step;
    }
    // A box taken out of the score without telling the selection.
    void DestroyBehindTheBack(std::mt19937& random) {
        const std::vector<ScoreObject*> boxes = Boxes();
        if (boxes.empty()) return;
        ScoreObject* box = boxes[random() % boxes.size()];
        UndoStep step(doc_, view_, UndoKind::Item, kBoxType, UndoVerb::Delete);
        UnlinkObject(box);
        ReleaseObjectByType(doc_, box);
        SetDocumentModified(doc_);
    }
    // The boxes as each captured step left them, by the step's sequence number.
    void NoteCapture() {
        if (doc_->undoStack != nullptr && doc_->undoStack->sequence != lastSequence_) {
            lastSequence_ = doc_->undoStack->sequence;
            after_[lastSequence_] = Bodies();
        }
    }
    std::map<uint16_t, std::vector<BoxBody>> after_;
    uint16_t lastSequence_ = 0;

    std::vector<BoxBody> Bodies() const {
        std::vector<BoxBody> out;
        for (ScoreObject* box : Boxes()) out.push_back(BodyOf(box));
        return out;
    }
};

bool SameBodies(const std::vector<BoxBody>& a, const std::vector<BoxBody>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].left != b[i].left || a[i].top != b[i].top || a[i].right != b[i].right ||
            a[i].bottom != b[i].bottom)
            return false;
    return true;
}

TEST_F(RandomEdit, TenThousandMixedMessagesThenUndoToTheStart) {
    State().locate.PointerValidation = 1;
    for (int i = 0; i < 3; ++i) MakeBox(originX_ + i * 700, originY_, originX_ + i * 700 + kSide, originY_ + kSide);
    TakeUndoBaseline(doc_);  // the three boxes are where the history starts
    after_[0] = Bodies();
    ArmBoxTool();
    std::mt19937 random(kSeed);
    int32_t x = originX_, y = originY_;
    for (int i = 0; i < kMessages; ++i) {
        x = originX_ - 400 + static_cast<int32_t>(random() % kSpan);
        y = originY_ - 400 + static_cast<int32_t>(random() % (kSpan / 2));
        switch (random() % kKindsOfStep) {
            case 0: Mouse(Message::LeftButtonDown, x, y); break;
            case 1: Mouse(Message::LeftButtonUp, x, y); break;
            case 2: Mouse(Message::LeftButtonDoubleClick, x, y); break;
            case 3: Key(win::Key::Delete); break;
            case 4:
                HoldKey(win::Key::Control, true);
                Key(win::LetterKey('D'));
                HoldKey(win::Key::Control, false);
                break;
            case 5: Key(random() % 2 ? win::Key::Add : win::Key::Subtract); break;
            case 6:
                Key(win::Key::Shift);
                Send(Message::KeyUp, static_cast<uint32_t>(win::Key::Shift), 0);
                break;
            case 7:
                ui::headless::QueuePopupMenuChoice(kPopupCommands[random() % std::size(kPopupCommands)]);
                Mouse(Message::RightButtonDown, x, y);
                break;
            case 8: ResetSelection(view_, static_cast<int>(random() % 2)); break;
            case 9: DestroyBehindTheBack(random); break;
            case 10: Key(win::LetterKey('Q')); break;
            case 11: HoldKey(win::Key::Shift, random() % 2 != 0); break;
            default: Mouse(Message::MouseMove, x, y); break;
        }
        ExpectLiveFields(i);
        NoteCapture();
        if (HasFatalFailure()) return;
    }
    HoldKey(win::Key::Shift, false);
    EndFocus(view_, 0);
    NoteCapture();
    EXPECT_EQ(doc_->undoState.bracketDepth, 0) << "every undo bracket was closed";
    ASSERT_EQ(UndoDepth(doc_), kUndoStackLimit) << "the run fills the history";
    const UndoRecord* oldest = doc_->undoStack;
    while (oldest->next != nullptr) oldest = oldest->next;
    const auto expected = after_.find(static_cast<uint16_t>(oldest->sequence - 1));
    ASSERT_NE(expected, after_.end());
    while (UndoDepth(doc_) > 0) UndoCommand(doc_, view_);
    EXPECT_TRUE(SameBodies(Bodies(), expected->second)) << "back to before step " << oldest->sequence;
}

}  // namespace
}  // namespace ql::testing_editing
