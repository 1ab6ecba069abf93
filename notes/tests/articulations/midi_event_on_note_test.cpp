// MIDI events and articulations on notes: the MIDI Event tool's click on a note's
// head attaches the new object to that note, and an articulation's attributes are
// its MIDI, edited in the "MIDI Event" dialog and kept on Cancel.
#include <gtest/gtest.h>

#include "core/objects/midi_action.h"
#include "core/objects/midi_action_text.h"
#include "core/objects/object_classes.h"
#include "core/objects/selection_state.h"
#include "core/text/text_object.h"
#include "notes/tests/articulations/articulation_fixture.h"
#include "objects/stored_classes.h"
#include "platform/ui/headless.h"
#include "sequencer/midi_action_dialog_resources.h"
#include "sequencer/midi_event_object.h"

namespace ql::testing_notedraw {
namespace {

using ui::headless::DialogDriver;
using ui::headless::SetDialogScript;
namespace ed = midi_event_dialog;

constexpr int kMiddlePosition = -4;

class MidiEventOnNoteTest : public ArticulationTest {
  protected:
    void SetUp() override {
        OpenScene([] {
            RegisterTextObjectClasses();
            RegisterMidiTextObjectClass();
            RegisterStoredObjectClasses();
            RegisterAccidentalClass();
            RegisterRestClass();
            RegisterNoteArticulationClass();
        });
        ResetArticulationTools();
        ASSERT_NE(CreateSelectionState(), nullptr);  // the dialogs run with its modal state
        if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
        BuildScore(1, 2, kPlainZoom);
        RegisterMidiActionDialogResources();
        SetDialogScript(ed::kDialog, [](DialogDriver& d) { d.Click(ui::kIdOk); });
    }
    void TearDown() override {
        DestroySelectionState();
        ArticulationTest::TearDown();
    }
    ScoreObject* ClickMidiEvent(EventRecord* note, int measure) {
        const NoteDrawLocation location(view_, 1, measure);
        view_->pointerPoint = GetEventPosition(note, view_);
        return TheMidiEventObjectClass().CreateAtClick(nullptr, view_);
    }
};

TEST_F(MidiEventOnNoteTest, AClickOnANoteAttachesTheObjectToIt) {
    EventRecord* note = Quarter(1, 1, kMiddlePosition);
    ScoreObject* object = ClickMidiEvent(note, 1);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->type, TypeCode(ObjectType::MidiEvent));
    EXPECT_EQ(object->subtype, SubtypeCode(ObjectSubtype::NoteAttachment));
    EXPECT_EQ(OwnerNoteOf(object), note);
    EXPECT_NE(AsTextObject(object)->body.flags & kMidiEventOnNote, 0);
}

TEST_F(MidiEventOnNoteTest, AnArticulationsMidiIsEditedInTheMidiEventDialog) {
    EventRecord* note = Quarter(1, 1, kMiddlePosition);
    ScoreObject* mark = Click(note, 1);
    ASSERT_NE(mark, nullptr);
    MidiAction& action = *MidiActionOfText(mark);
    ASSERT_EQ(action.flags & kMidiFlagEnabled, 0);  // made with its MIDI off
    bool shownEnabled = true;
    SetDialogScript(ed::kDialog, [&](DialogDriver& d) {
        shownEnabled = d.IsChecked(ed::kEnable);
        d.Click(ed::kEnable);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(ClassOf(mark).EditAttributes(mark, view_), 0);
    EXPECT_FALSE(shownEnabled);
    EXPECT_EQ(action.flags & kMidiFlagEnabled, 0);
    SetDialogScript(ed::kDialog, [](DialogDriver& d) {
        d.Click(ed::kEnable);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(ClassOf(mark).EditAttributes(mark, view_), 1);
    EXPECT_NE(action.flags & kMidiFlagEnabled, 0);
}

}  // namespace
}  // namespace ql::testing_notedraw
