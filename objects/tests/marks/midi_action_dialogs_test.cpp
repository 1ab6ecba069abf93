// The action dialogs on an action of the document: "Set Transition" (853) switching a
// pitch wheel to an envelope with its full 16-bit scale, refusing an envelope on user
// bytes, and Cancel leaving the action and the pools as they were; "Set MIDI Output
// Destination" (838) round-tripping every mode and both voice masks.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/memory/pool.h"
#include "core/objects/midi_action.h"
#include "objects/tests/marks/marks_fixture.h"
#include "platform/gfx/mapping.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/window.h"
#include "sequencer/action_dialogs.h"
#include "sequencer/midi_action_dialog_resources.h"
#include "sequencer/transition_envelope.h"
#include "sequencer/wave_editor.h"

namespace ql::testing_marks {
namespace {

using ui::headless::DialogDriver;
using ui::headless::SetDialogScript;
namespace td = transition_dialog;
namespace od = output_dialog;

class MidiActionDialogsTest : public MarksTest {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        RegisterMidiActionDialogResources();
        BuildScore(3);
        ConstructMidiAction(&action_);
    }
    void TearDown() override {
        DestroyMidiAction(&action_);
        MarksTest::TearDown();
    }
    std::vector<uint8_t> PoolBytes() const {
        std::vector<uint8_t> bytes;
        for (int p = kMidiDataPoolFirst; p <= kMidiDataPoolLast; ++p) {
            const RecordPool& pool = doc_->pools.pools[p];
            for (int b = 0; b < pool.blockCount; ++b) {
                const auto* base = reinterpret_cast<const uint8_t*>(pool.blocks[b].base.get());
                if (base != nullptr)
                    bytes.insert(bytes.end(), base, base + BlockLiveBytes(pool, b));
            }
        }
        return bytes;
    }
    int16_t EnvelopeWord(int index) const {
        const std::byte* bytes = MidiActionDataBytes(action_);
        int16_t word = 0;
        if (bytes != nullptr) std::memcpy(&word, bytes + 2 * index, sizeof word);
        return word;
    }
    MidiAction action_{};
};

TEST_F(MidiActionDialogsTest, PitchWheelEnvelopeShowsAndStoresTheFullScale) {
    SetMidiActionKind(&action_, kMidiKindPitchWheel, kTimingLinear);
    action_.head.values.value = 300;
    std::optional<int32_t> shownScale;
    std::optional<int32_t> shownStart;
    bool editEnabled = false;
    SetDialogScript(td::kDialog, [&](DialogDriver& d) {
        d.Click(td::kEnvelope);
        shownScale = d.Int(td::kScale);
        shownStart = d.Int(td::kStart);
        editEnabled = d.IsEnabled(td::kEditEnvelope);
        d.Type(td::kScale, "40000");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(EditTransition(view_, &action_), ui::kIdOk);
    EXPECT_EQ(shownScale, 16384);
    EXPECT_EQ(shownStart, 300);
    EXPECT_TRUE(editEnabled);
    EXPECT_EQ(MidiTimingOf(action_), kTimingEnvelope);
    EXPECT_EQ(action_.head.data.length, kEnvelopeRecordBytes);
    EXPECT_EQ(static_cast<uint16_t>(EnvelopeWord(1)), 40000);
    EXPECT_EQ(EnvelopeWord(0), 300);
    TransitionEnvelope envelope;
    ASSERT_TRUE(ReadTransitionEnvelope(action_, &envelope));
    EXPECT_EQ(envelope.points[1].x, 2048);
    EXPECT_EQ(envelope.points[2].y, -2048);
    EXPECT_EQ(envelope.points[7].x, 8192);
    // Shown again as the whole word, not its low bits.
    SetDialogScript(td::kDialog, [&](DialogDriver& d) {
        shownScale = d.Int(td::kScale);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(EditTransition(view_, &action_), ui::kIdCancel);
    EXPECT_EQ(shownScale, 40000);
}

TEST_F(MidiActionDialogsTest, EnvelopeOnUserBytesIsRefusedAndTheTransitionKept) {
    SetMidiActionKind(&action_, kMidiKindUserBytes, kTimingLinear);
    const uint8_t bytes[] = {0xF0, 0xF7};
    ASSERT_GE(SetMidiActionData(&action_, bytes, sizeof bytes), 0);
    action_.head.data.length = sizeof bytes;
    const size_t boxes = ui::headless::MessageBoxes().size();
    bool linearChecked = false;
    SetDialogScript(td::kDialog, [&](DialogDriver& d) {
        d.Click(td::kEnvelope);
        linearChecked = d.IsChecked(td::kLinear);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(EditTransition(view_, &action_), ui::kIdOk);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), boxes + 1);
    EXPECT_EQ(ui::headless::MessageBoxes().back().text, "Can't mix SysEx and EG types.");
    EXPECT_TRUE(linearChecked);
    EXPECT_EQ(MidiTimingOf(action_), kTimingLinear);
    EXPECT_EQ(MidiKindOf(action_), kMidiKindUserBytes);
    const std::byte* data = MidiActionDataBytes(action_);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::memcmp(data, bytes, sizeof bytes), 0);
}

TEST_F(MidiActionDialogsTest, CancelLeavesTheActionAndThePools) {
    SetMidiActionKind(&action_, kMidiKindController, kTimingLinear);
    ASSERT_TRUE(MakeDefaultEnvelope(&action_));
    const MidiAction before = action_;
    const std::vector<uint8_t> pools = PoolBytes();
    SetDialogScript(td::kDialog, [](DialogDriver& d) {
        d.Click(td::kLinear);  // frees the working copy's envelope
        d.Type(td::kStart, "12");
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(EditTransition(view_, &action_), ui::kIdCancel);
    EXPECT_EQ(std::memcmp(&action_, &before, sizeof action_), 0);
    EXPECT_EQ(PoolBytes(), pools);
    // OK with Linear frees the envelope and stores the typed values.
    SetDialogScript(td::kDialog, [](DialogDriver& d) {
        d.Click(td::kLinear);
        d.Type(td::kStart, "12");
        d.Type(td::kFinal, "90");
        d.Type(td::kInterval, "0");  // clamped to one sixteenth, with a beep
        d.Click(ui::kIdOk);
    });
    const size_t beeps = ui::headless::Beeps().size();
    EXPECT_EQ(EditTransition(view_, &action_), ui::kIdOk);
    EXPECT_EQ(MidiTimingOf(action_), kTimingLinear);
    EXPECT_FALSE(IsDataCarrying(action_));
    EXPECT_EQ(action_.head.values.value, 12);
    EXPECT_EQ(action_.head.values.finalValue, 90);
    EXPECT_EQ(action_.interval, 1);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
}

// "Edit Envelope..." runs the wave editor over the disabled dialog on its copy: the
// editor's OK reaches the action only through the dialog's own OK.
TEST_F(MidiActionDialogsTest, EditEnvelopeShapesTheCopyCommittedOnOk) {
    SetMidiActionKind(&action_, kMidiKindController, kTimingLinear);
    ASSERT_TRUE(MakeDefaultEnvelope(&action_));
    const MidiAction before = action_;
    const std::vector<uint8_t> pools = PoolBytes();
    bool dialogDisabled = false;
    SetDialogScript(kWaveEditorDialogId, [&](DialogDriver& d) {
        dialogDisabled = ui::headless::OpenDialogDepth() == 2 &&
                         !win::IsWindowEnabled(win::GetOwner(d.Dialog()));
        const platform::WindowHandle area = d.Item(kWaveAreaId);
        const win::Rect client = win::GetClientRect(area);
        const gfx::Mapping m = WaveMapping({client.Width(), client.Height()});
        // Point 1 at (2048, 0) is pulled far down: its y is clamped to 2,048.
        win::headless::PostMouse(area, win::Message::LeftButtonDown, gfx::MapLogicalToDevice(m, {2048, 0}),
                                 win::kMouseLeftButton);
        win::headless::PostMouse(area, win::Message::MouseMove, {0, client.bottom - 1}, win::kMouseLeftButton);
        win::headless::PostMouse(area, win::Message::LeftButtonUp, {0, client.bottom - 1});
        d.PumpMessages();
        d.Click(ui::kIdOk);
    });
    SetDialogScript(td::kDialog, [](DialogDriver& d) {
        d.Type(td::kStart, "5");
        d.Click(td::kEditEnvelope);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(EditTransition(view_, &action_), ui::kIdCancel);
    EXPECT_TRUE(dialogDisabled);
    EXPECT_EQ(std::memcmp(&action_, &before, sizeof action_), 0);
    EXPECT_EQ(PoolBytes(), pools);

    SetDialogScript(td::kDialog, [](DialogDriver& d) {
        d.Type(td::kStart, "5");
        d.Click(td::kEditEnvelope);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(EditTransition(view_, &action_), ui::kIdOk);
    EXPECT_EQ(EnvelopeWord(0), 5);
    EXPECT_EQ(EnvelopeWord(1), 127);
    EXPECT_EQ(EnvelopeWord(2), 0);  // x clamped to the area's left
    EXPECT_EQ(EnvelopeWord(3), 2048);
    EXPECT_EQ(EnvelopeWord(4), 2048);  // point 2 as it was
    EXPECT_EQ(EnvelopeWord(5), -2048);
}

TEST_F(MidiActionDialogsTest, OutputDestinationRoundTripsModesAndMasks) {
    // A mask of 0 shows as all four.
    std::vector<bool> shown;
    SetDialogScript(od::kDialog, [&](DialogDriver& d) {
        for (int bit = 0; bit < 4; ++bit) shown.push_back(d.IsChecked(od::kFirstThisMask + bit));
        for (int bit = 0; bit < 4; ++bit) shown.push_back(d.IsChecked(od::kFirstRemoteMask + bit));
        d.Click(ui::kIdCancel);
    });
    action_.flags &= static_cast<uint16_t>(~(kMidiVoiceMask | 0xF000));
    EXPECT_EQ(EditOutputDestination(view_, &action_), ui::kIdCancel);
    EXPECT_EQ(shown, std::vector<bool>(8, true));
    for (int mode = 0; mode < 7; ++mode) {
        const int thisMask = (mode % 4) + 1;
        const int remoteMask = 8 >> (mode % 4);
        SetDialogScript(od::kDialog, [&](DialogDriver& d) {
            d.Click(od::kFirstMode + mode);
            d.Click(mode % 2 == 0 ? od::kTimbres : od::kVoices);
            for (int bit = 0; bit < 4; ++bit) {
                d.SetChecked(od::kFirstThisMask + bit, (thisMask & (1 << bit)) != 0);
                d.SetChecked(od::kFirstRemoteMask + bit, (remoteMask & (1 << bit)) != 0);
            }
            d.Type(od::kRemoteStaff, "2");
            d.Click(ui::kIdOk);
        });
        ASSERT_EQ(EditOutputDestination(view_, &action_), ui::kIdOk) << mode;
        EXPECT_EQ(action_.destinationTiming & kMidiDestinationMask, mode);
        EXPECT_EQ((action_.flags & kMidiFlagTimbres) != 0, mode % 2 == 0);
        EXPECT_EQ((action_.flags >> kMidiVoiceShift) & 0xF, thisMask);
        EXPECT_EQ((action_.flags >> kMidiRemoteMaskShift) & 0xF, remoteMask);
        EXPECT_EQ(action_.namedStaff, 2);
        // Opened again, the dialog shows what was stored.
        int shownMode = -1;
        SetDialogScript(od::kDialog, [&](DialogDriver& d) {
            for (int m = 0; m < 7; ++m)
                if (d.IsChecked(od::kFirstMode + m)) shownMode = m;
            d.Click(ui::kIdOk);
        });
        const uint16_t flags = action_.flags;
        ASSERT_EQ(EditOutputDestination(view_, &action_), ui::kIdOk);
        EXPECT_EQ(shownMode, mode);
        EXPECT_EQ(action_.flags, flags);
    }
    // The remote staff stays within the score's three staves.
    SetDialogScript(od::kDialog, [](DialogDriver& d) {
        d.Type(od::kRemoteStaff, "9");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(EditOutputDestination(view_, &action_), ui::kIdOk);
    EXPECT_EQ(action_.namedStaff, 3);
}

// 838 changes only the destination fields: an action that shares its data bytes
// with another (a dialog's plain copy) leaves them live and unchanged.
TEST_F(MidiActionDialogsTest, OutputDestinationLeavesSharedDataAlone) {
    SetMidiActionKind(&action_, kMidiKindUserBytes, kTimingSingle);
    const uint8_t bytes[] = {0xF0, 0x43, 0xF7};
    ASSERT_GE(SetMidiActionData(&action_, bytes, sizeof bytes), 0);
    action_.head.data.length = sizeof bytes;
    MidiAction shared = action_;
    SetDialogScript(od::kDialog, [](DialogDriver& d) {
        d.Click(od::kFirstMode + 1);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(EditOutputDestination(view_, &shared), ui::kIdOk);
    EXPECT_EQ(shared.destinationTiming & kMidiDestinationMask, 1);
    EXPECT_EQ(shared.head.data.handle, action_.head.data.handle);
    const std::byte* data = MidiActionDataBytes(action_);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::memcmp(data, bytes, sizeof bytes), 0);
}

}  // namespace
}  // namespace ql::testing_marks
