// The MIDI event object (type 25) on a laid-out score: a click with dialog 830
// cancelled or confirmed, placing by time or on a master page, the Ctrl keypad
// steps and "P" on plain and data-carrying messages, clones with their own data,
// and dialog 830 committing only a change.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "objects/tests/marks/marks_fixture.h"
#include "platform/ui/controls.h"
#include "platform/ui/headless.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"
#include "platform/win/window.h"
#include "sequencer/action_dialogs.h"
#include "sequencer/midi_action_dialog_resources.h"
#include "sequencer/midi_event_object.h"

namespace ql::testing_marks {
namespace {

using ui::ComboGetItemText;
using ui::headless::DialogDriver;
using ui::headless::SetDialogScript;
namespace ed = midi_event_dialog;
namespace mm = midi_message_dialog;

constexpr uint8_t kType = TypeCode(ObjectType::MidiEvent);

class MidiEventTest : public MarksTest {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        UseDialogs();
        RegisterMidiActionDialogResources();
        BuildScore(1);
    }
    void TearDown() override {
        State().input.StickyCtrlFlag = 0;
        MarksTest::TearDown();
    }
    // The live bytes of the document pools that hold objects and their data.
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
    ScoreObject* PlaceWithOk(LogicalPoint point) {
        SetDialogScript(ed::kDialog, [](DialogDriver& d) { d.Click(ui::kIdOk); });
        return Place(ObjectType::MidiEvent, point);
    }
    int Key(ScoreObject* object, win::Key key) {
        return ClassOf(object).OnKey(object, view_, static_cast<uint32_t>(key));
    }
    // The user bytes of an action, as stored.
    std::vector<uint8_t> DataOf(const MidiAction& action) const {
        const std::byte* bytes = MidiActionDataBytes(action);
        if (bytes == nullptr) return {};
        const auto* first = reinterpret_cast<const uint8_t*>(bytes);
        return {first, first + action.head.data.length};
    }
};

TEST_F(MidiEventTest, CancelledDialogLeavesNoObjectAndNoPoolChange) {
    const LogicalPoint point = PointIn(1, 1, 300);
    PointAt(point);
    const std::vector<ScoreObject*> objects = CellObjects(1, 1);
    const std::vector<uint8_t> before = PoolBytes();
    bool shown = false;
    SetDialogScript(ed::kDialog, [&](DialogDriver& d) {
        shown = true;
        d.Click(ed::kEnable);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(Place(ObjectType::MidiEvent, point), nullptr);
    EXPECT_TRUE(shown);
    EXPECT_EQ(CellObjects(1, 1), objects);
    EXPECT_EQ(PoolBytes(), before);
}

TEST_F(MidiEventTest, ClickPlacesByTimeOrOnAMasterPage) {
    ScoreObject* object = PlaceWithOk(PointIn(1, 2, 300));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->type, kType);
    EXPECT_EQ(object->subtype, SubtypeCode(ObjectSubtype::MeasureTimeList));
    EXPECT_EQ(CellObjects(1, 2), std::vector<ScoreObject*>{object});
    // The new object's defaults: a patch change 64 (final 65) over 32 sixteenths.
    const MidiAction& action = Action(object);
    EXPECT_EQ(MidiKindOf(action), kMidiKindPatch);
    EXPECT_NE(action.flags & kMidiFlagEnabled, 0);
    EXPECT_EQ(action.head.values.value, 64);
    EXPECT_EQ(action.head.values.finalValue, 65);
    EXPECT_EQ(action.interval, kMidiEventInterval);
    EXPECT_EQ(action.controller, 7);
    EXPECT_EQ(Text(object).string, 184);
    EXPECT_EQ(Text(object).style, 3);
    EXPECT_EQ(Text(object).flags & (kMidiEventOnNote | kTextHidden), 0);
    EXPECT_GE(UndoSteps(), 1);

    view_->currentPage->pageNumber = -1;  // a master page: on the page
    ScoreObject* onPage = PlaceWithOk(PointIn(1, 3, 300));
    view_->currentPage->pageNumber = 1;
    ASSERT_NE(onPage, nullptr);
    EXPECT_EQ(onPage->subtype, SubtypeCode(ObjectSubtype::PageList));
    EXPECT_TRUE(CellObjects(1, 3).empty());
}

TEST_F(MidiEventTest, UndoRemovesAPlacedObject) {
    ASSERT_NE(PlaceWithOk(PointIn(1, 1, 300)), nullptr);
    ASSERT_EQ(CellObjects(1, 1).size(), 1u);
    UndoCommand(doc_, view_);
    EXPECT_TRUE(CellObjects(1, 1).empty());
}

TEST_F(MidiEventTest, CtrlKeypadStepsTheNoteVelocityAndClamps) {
    ScoreObject* object = PlaceWithOk(PointIn(1, 1, 300));
    ASSERT_NE(object, nullptr);
    MidiAction& action = Action(object);
    SetMidiActionKind(&action, kMidiKindNote, kTimingSingle);
    action.head.values.value = static_cast<int16_t>(60 | 126 << 8);
    const uint8_t style = Text(object).style;
    State().input.StickyCtrlFlag = 1;
    EXPECT_EQ(Key(object, win::Key::Add), 1);
    EXPECT_EQ(action.head.values.value, 60 | 127 << 8);
    EXPECT_EQ(StatusText(2), "  Key velocity = 127");
    EXPECT_EQ(Key(object, win::Key::Add), 1);
    EXPECT_EQ(action.head.values.value, 60 | 127 << 8);  // clamped, the key kept
    EXPECT_EQ(Text(object).style, style);
    // Without Ctrl the keypad steps the text style and leaves the message alone.
    State().input.StickyCtrlFlag = 0;
    EXPECT_EQ(Key(object, win::Key::Subtract), 1);
    EXPECT_EQ(action.head.values.value, 60 | 127 << 8);
    EXPECT_EQ(Text(object).style, style - 1);
}

TEST_F(MidiEventTest, DataCarryingMessagesOnlyBeepOnPAndCtrlKeypad) {
    ScoreObject* object = PlaceWithOk(PointIn(1, 1, 300));
    ASSERT_NE(object, nullptr);
    MidiAction& action = Action(object);
    SetMidiActionKind(&action, kMidiKindUserBytes, kTimingSingle);
    action.flags |= kMidiFlagSystemExclusive;
    const uint8_t sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    ASSERT_GE(SetMidiActionData(&action, sysex, sizeof sysex), 0);
    action.head.data.length = sizeof sysex;
    const MidiAction before = action;
    const size_t beeps = ui::headless::Beeps().size();
    State().input.StickyCtrlFlag = 1;
    EXPECT_EQ(Key(object, win::Key::Add), 1);
    EXPECT_EQ(Key(object, win::LetterKey('P')), 1);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 2);
    EXPECT_EQ(std::memcmp(&action, &before, sizeof action), 0);
    EXPECT_EQ(DataOf(action), std::vector<uint8_t>(std::begin(sysex), std::end(sysex)));
}

TEST_F(MidiEventTest, CloneOwnsItsDataBytes) {
    ScoreObject* object = PlaceWithOk(PointIn(1, 1, 300));
    ASSERT_NE(object, nullptr);
    MidiAction& action = Action(object);
    SetMidiActionKind(&action, kMidiKindUserBytes, kTimingSingle);
    const uint8_t bytes[] = {0x90, 0x3C, 0x40};
    ASSERT_GE(SetMidiActionData(&action, bytes, sizeof bytes), 0);
    action.head.data.length = sizeof bytes;
    const PoolSet set(doc_->pools);
    ScoreObject* clone = ClassOf(object).Clone(object, view_, set, set);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->type, kType);
    EXPECT_NE(Action(clone).head.data.handle, action.head.data.handle);
    UnlinkObject(object);
    ReleaseObjectByType(doc_, object);
    EXPECT_EQ(DataOf(Action(clone)), std::vector<uint8_t>(std::begin(bytes), std::end(bytes)));
    ReleaseObjectByType(doc_, clone);
}

TEST_F(MidiEventTest, DialogOkWithoutChangeLeavesTheDocumentUnmodified) {
    ScoreObject* object = PlaceWithOk(PointIn(1, 1, 300));
    ASSERT_NE(object, nullptr);
    const uint32_t changes = ChangeCount();
    const int steps = UndoSteps();
    std::string label;
    bool transitionEnabled = true;
    SetDialogScript(ed::kDialog, [&](DialogDriver& d) {
        label = d.Text(ed::kKindLabel);
        transitionEnabled = d.IsEnabled(ed::kSetTransition);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(ClassOf(object).EditAttributes(object, view_), 0);
    EXPECT_EQ(label, "Patch change");
    EXPECT_FALSE(transitionEnabled);
    EXPECT_EQ(ChangeCount(), changes);
    EXPECT_EQ(UndoSteps(), steps);
}

TEST_F(MidiEventTest, MessageDialogChangesTheObjectOnlyOnOk) {
    ScoreObject* object = PlaceWithOk(PointIn(1, 1, 300));
    ASSERT_NE(object, nullptr);
    // User bytes typed in 832, then the outer dialog cancelled: nothing changes.
    auto typeBytes = [](const char* text, int outerButton) {
        return [text, outerButton](DialogDriver& d) {
            SetDialogScript(mm::kDialog, [text](DialogDriver& m) {
                m.Click(mm::kFirstKind + kMidiKindUserBytes);
                m.Click(mm::kSysEx);
                m.Type(mm::kUserBytes, text);
                m.Click(ui::kIdOk);
            });
            d.Click(ed::kSetMidi);
            d.Click(outerButton);
        };
    };
    const uint32_t changes = ChangeCount();
    SetDialogScript(ed::kDialog, typeBytes("F0 7e 7F 09 01 F7", ui::kIdCancel));
    EXPECT_EQ(ClassOf(object).EditAttributes(object, view_), 0);
    EXPECT_EQ(MidiKindOf(Action(object)), kMidiKindPatch);
    EXPECT_EQ(ChangeCount(), changes);
    // Confirmed: six bytes, a system-exclusive message, one undo step.
    const int steps = UndoSteps();
    SetDialogScript(ed::kDialog, typeBytes("F0 7e 7F 09 01 F7", ui::kIdOk));
    EXPECT_EQ(ClassOf(object).EditAttributes(object, view_), 1);
    EXPECT_EQ(MidiKindOf(Action(object)), kMidiKindUserBytes);
    EXPECT_NE(Action(object).flags & kMidiFlagSystemExclusive, 0);
    EXPECT_EQ(DataOf(Action(object)), (std::vector<uint8_t>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_EQ(UndoSteps(), steps + 1);
    // Shown again as small hexadecimal pairs; "F0 7" replaces them with two bytes.
    std::string shown;
    SetDialogScript(ed::kDialog, [&](DialogDriver& d) {
        SetDialogScript(mm::kDialog, [&](DialogDriver& m) {
            shown = m.Text(mm::kUserBytes);
            m.Type(mm::kUserBytes, "F0 7");
            m.Click(ui::kIdOk);
        });
        d.Click(ed::kSetMidi);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(ClassOf(object).EditAttributes(object, view_), 1);
    EXPECT_EQ(shown, "f0 7e 7f 09 01 f7 ");
    EXPECT_EQ(DataOf(Action(object)), (std::vector<uint8_t>{0xF0, 0x70}));
}

// "P" on a patch change runs dialog 837 at the mouse: the patch shown counted from 1, a name
// chosen sets the number, a typed number past 128 is cut with one beep, Cancel keeps
// the value; each confirmed change is one undo step.
TEST_F(MidiEventTest, PEditsAPatchChangeInTheValueDialog) {
    ScoreObject* object = PlaceWithOk(PointIn(1, 1, 300));
    ASSERT_NE(object, nullptr);
    MidiAction& action = Action(object);
    namespace vd = midi_value_dialog;
    std::optional<int32_t> shown;
    std::string firstName;
    int32_t middle = 0;
    win::SetCursorPosition({300, 333});
    SetDialogScript(vd::kDialog, [&](DialogDriver& d) {
        const win::Rect frame = win::GetWindowRect(d.Dialog());
        middle = frame.top + frame.Height() / 2;
        shown = d.Int(vd::kValue);
        firstName = ComboGetItemText(d.Item(vd::kNames), 0);
        d.Select(vd::kNames, 10);
        d.Click(ui::kIdOk);
    });
    const int steps = UndoSteps();
    EXPECT_EQ(Key(object, win::LetterKey('P')), 1);
    EXPECT_EQ(middle, 333);  // centred vertically at the mouse
    EXPECT_EQ(shown, 65);    // patch 64 counted from 1
    EXPECT_EQ(firstName, "Acoustic Grand Piano");
    EXPECT_EQ(action.head.values.value, 10);
    EXPECT_EQ(UndoSteps(), steps + 1);
    const size_t beeps = ui::headless::Beeps().size();
    SetDialogScript(vd::kDialog, [](DialogDriver& d) {
        d.Type(vd::kValue, "300");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(Key(object, win::LetterKey('P')), 1);
    EXPECT_EQ(action.head.values.value, 127);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
    SetDialogScript(vd::kDialog, [](DialogDriver& d) {
        d.Type(vd::kValue, "5");
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(Key(object, win::LetterKey('P')), 1);
    EXPECT_EQ(action.head.values.value, 127);
}

// The working copy owns its own envelope: a transition made linear in 853 and then
// the MIDI Event dialog cancelled leaves the object's envelope bytes live and whole.
TEST_F(MidiEventTest, CancelKeepsTheEnvelopeAnInnerDialogDropped) {
    ScoreObject* object = PlaceWithOk(PointIn(1, 1, 300));
    ASSERT_NE(object, nullptr);
    MidiAction& action = Action(object);
    SetMidiActionKind(&action, kMidiKindController, kTimingLinear);
    action.head.values.value = 40;
    ASSERT_TRUE(MakeDefaultEnvelope(&action));
    const std::vector<uint8_t> envelope = DataOf(action);
    ASSERT_EQ(envelope.size(), 32u);
    auto linearThen = [](int outerButton) {
        return [outerButton](DialogDriver& d) {
            SetDialogScript(transition_dialog::kDialog, [](DialogDriver& t) {
                t.Click(transition_dialog::kLinear);
                t.Click(ui::kIdOk);
            });
            d.Click(ed::kSetTransition);
            d.Click(outerButton);
        };
    };
    SetDialogScript(ed::kDialog, linearThen(ui::kIdCancel));
    EXPECT_EQ(ClassOf(object).EditAttributes(object, view_), 0);
    EXPECT_EQ(MidiTimingOf(action), kTimingEnvelope);
    EXPECT_EQ(DataOf(action), envelope);
    // Confirmed, the object has a linear transition and no data.
    SetDialogScript(ed::kDialog, linearThen(ui::kIdOk));
    EXPECT_EQ(ClassOf(object).EditAttributes(object, view_), 1);
    EXPECT_EQ(MidiTimingOf(action), kTimingLinear);
    EXPECT_FALSE(IsDataCarrying(action));
}

}  // namespace
}  // namespace ql::testing_marks
