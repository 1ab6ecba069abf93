// Staff operations mixed at random (fixed seeds): insertion before and after,
// removal and deletion with both answers, hiding, drags with and without Ctrl, the
// line and size edits of "Staff Management", a staff's mix set, undo and redo.
// After every step the score must hold together: a staff count inside 1..kMaxStaves
// with a record for every staff, every system's offsets of the visible staves in
// order, at least one visible staff per system, no group link pointing past the
// first or last staff, and every staff's mix (mute, solo, velocity) the one last
// set on that staff, whatever number it has now (a new staff has none).
#include <map>
#include <random>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/undo/undo.h"
#include "layout/page_chain.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "staves/staff_dialog_resources.h"
#include "staves/staff_dialogs.h"
#include "staves/staff_element.h"
#include "staves/staff_group_bits.h"
#include "staves/staff_manage.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

constexpr int kSteps = 300;
constexpr int kOperations = 12;
constexpr int kVelocityStep = 9;
constexpr uint8_t kStaffUndoType = 4;  // the staff's object type in undo steps

class StaffRandomTest : public SignatureTest, public ::testing::WithParamInterface<unsigned> {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        RegisterStaffDialogResources();
        BuildScore(3, 3);
        Locate(1, 1);
    }
    int Count() const { return doc_->header.staffCount; }
    void PickStaff(std::mt19937& rng) {
        Locate(std::uniform_int_distribution<int>(1, Count())(rng), 1);
        view_->currentSystem = doc_->firstPage->firstSystem.get();
    }
    // Runs one operation at random; returns its number (for the failure message).
    int Step(std::mt19937& rng);
    void ExpectWhole(int step) const;
    void ExpectMixWithItsStaff(int step) const;
    // An insertion: a new staff (the current one) starts without a mix.
    void Insert(int command, int staff, bool undoable) {
        const int count = Count();
        if (undoable) {
            const UndoStep edit(doc_, view_, UndoKind::Staff, kStaffUndoType, UndoVerb::Add);
            InsertStaves(view_, command, staff);
        } else {
            InsertStaves(view_, command, staff);
        }
        if (Count() > count) mixOf_.erase(StaffRecordOf(doc_, view_->currentStaff));
    }
    void SetMix(std::mt19937& rng, int staff) {
        const StaffMix mix{static_cast<uint8_t>(rng() % 2), static_cast<uint8_t>(rng() % 2),
                           static_cast<int8_t>(std::uniform_int_distribution<int>(-7, 7)(rng) * kVelocityStep)};
        doc_->staffMix[staff] = mix;
        mixOf_[StaffRecordOf(doc_, staff)] = mix;
    }
    // The mix last set on each staff, by its record.
    std::map<const StaffRecord*, StaffMix> mixOf_;
};

int StaffRandomTest::Step(std::mt19937& rng) {
    PickStaff(rng);
    const int staff = view_->currentStaff;
    const int32_t y = view_->currentSystem->y + StaffOffsetsOf(view_->currentSystem)[staff];
    const int operation = std::uniform_int_distribution<int>(0, kOperations - 1)(rng);
    switch (operation) {
    case 0: Insert(kInsertStaffBefore, staff, rng() % 2); break;
    case 1: Insert(kInsertStaffAfter, staff, rng() % 2); break;
    case 2: RemoveStaff(view_, staff); break;
    case 3:
        ui::headless::QueueMessageBoxAnswer(rng() % 2 ? ui::kIdYes : ui::kIdNo);
        DeleteCurrentStaff(view_);
        break;
    case 4: HideStaffInCurrentSystem(view_); break;
    case 5: DragStaff(view_, staff, y + std::uniform_int_distribution<int>(-1500, 1500)(rng), rng() % 2); break;
    case 6: {
        const int lines = std::uniform_int_distribution<int>(0, 20)(rng);
        const int size = std::uniform_int_distribution<int>(-10, 120)(rng);
        ui::headless::SetDialogScript(staff_management_dialog::kStaffManagementDialog,
                                      [&](ui::headless::DialogDriver& d) {
                                          d.Type(staff_management_dialog::kLines, std::to_string(lines));
                                          d.Type(staff_management_dialog::kStaffSize, std::to_string(size));
                                          d.SetChecked(staff_management_dialog::kHideStaff, rng() % 4 == 0);
                                          d.Click(ui::kIdOk);
                                          if (d.IsOpen()) d.Click(ui::kIdCancel);
                                      });
        RunStaffManagementDialog(view_);
        break;
    }
    case 7: UndoCommand(doc_, view_); break;
    case 8: RedoCommand(doc_, view_); break;
    case 9:
    case 10: SetMix(rng, staff); break;
    default: {
        // As the group tools do it: one undoable edit.
        const UndoStep edit(doc_, view_, UndoKind::Brace, 0, UndoVerb::Modify);
        StaffRecord* record = StaffRecordOf(doc_, staff);
        const GroupKind kind = kAllGroupKinds[rng() % kGroupKindCount];
        SetJoinsStaffAbove(*record, kind, staff > 1);
        SetJoinsStaffBelow(*record, kind, staff < Count());
        SetDocumentModified(doc_);
        break;
    }
    }
    return operation;
}

void StaffRandomTest::ExpectWhole(int step) const {
    ASSERT_GE(Count(), 1) << step;
    ASSERT_LE(Count(), kMaxStaves) << step;
    for (int s = 1; s <= Count(); ++s) ASSERT_NE(StaffRecordOf(doc_, s), nullptr) << step << " staff " << s;
    for (GroupKind kind : kAllGroupKinds) {
        EXPECT_FALSE(JoinsStaffAbove(*StaffRecordOf(doc_, 1), kind)) << step;
        EXPECT_FALSE(JoinsStaffBelow(*StaffRecordOf(doc_, Count()), kind)) << step;
    }
    for (const ScoreSystem* system = doc_->firstPage->firstSystem.get(); system != nullptr;
         system = system->next.get()) {
        const uint16_t* offsets = StaffOffsetsOf(system);
        const int8_t* flags = StaffFlagsOf(system);
        ASSERT_NE(offsets, nullptr) << step;
        ASSERT_NE(flags, nullptr) << step;
        int visible = 0;
        for (int s = 1; s <= Count(); ++s)
            if ((static_cast<uint8_t>(flags[s]) & pages::kHiddenStaff) == 0) ++visible;
        EXPECT_GE(visible, 1) << step;
    }
    ExpectMixWithItsStaff(step);
}

void StaffRandomTest::ExpectMixWithItsStaff(int step) const {
    for (int s = 1; s < kMixerStaves; ++s) {
        const auto found = s <= Count() ? mixOf_.find(StaffRecordOf(doc_, s)) : mixOf_.end();
        const StaffMix expected = found != mixOf_.end() ? found->second : StaffMix{};
        const StaffMix& mix = doc_->staffMix[s];
        EXPECT_EQ(mix, expected) << step << " staff " << s << ": mute " << int{mix.mute} << " solo "
                                 << int{mix.solo} << " velocity " << int{mix.velocityOffset};
    }
}

TEST_P(StaffRandomTest, MixedOperationsKeepTheScoreWhole) {
    std::mt19937 rng(GetParam());
    for (int step = 0; step < kSteps; ++step) {
        const int operation = Step(rng);
        SCOPED_TRACE(::testing::Message() << "operation " << operation);
        ExpectWhole(step);
        if (HasFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, StaffRandomTest, ::testing::Values(1u, 7u, 11u, 20261207u));

}  // namespace
}  // namespace ql::testing_signatures
