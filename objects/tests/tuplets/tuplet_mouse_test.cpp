// The tuplet tool through the editing framework: a click on a triplet's note, handed
// to the tool as the Notes tool hands it on (note entry armed), puts a mark on the
// group instead of entering a note.
#include <gtest/gtest.h>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "editing/tools.h"
#include "notes/accidentals/accidental.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "objects/object_dialogs.h"
#include "objects/tests/marks/marks_fixture.h"
#include "objects/tuplets/tuplet.h"
#include "platform/gfx/mapping.h"
#include "platform/win/input.h"

namespace ql::testing_marks {
namespace {

class TupletMouseTest : public MarksTest {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        RegisterAccidentalClass();
        BuildScore(1);
        State().documents.ActiveView = view_;
        win::SetFocus(window_);
    }
    intptr_t Mouse(win::Message message, LogicalPoint at) {
        const gfx::Point client = Device(at.x, at.y);
        return TupletToolHandler(view_, Message, nullptr, window_, message, 0, win::PackPoint(win::Point{client.x, client.y}));
    }
};

TEST_F(TupletMouseTest, ClickOnATripletPlacesAMark) {
    SetCurrentMeasure(view_, 1, 2);
    EventRecord* first = nullptr;
    for (int n = 0; n < 3; ++n) {
        EventRecord* note = AddEventToVoice(view_, view_->currentCell, 0, static_cast<uint16_t>(n * 341), 9, 0);
        ASSERT_NE(note, nullptr);
        SetNotePosition(*note, -4);
        note->tupletKind = 1;
        if (first == nullptr) first = note;
    }
    const int notesBefore = CountCellEvents(view_->currentCell) != nullptr ? 1 : 0;
    SelectToolType(view_, TypeCode(ObjectType::Note));  // note entry armed, as the Notes tool leaves it
    const LogicalPoint at = GetEventPosition(first, view_);
    Mouse(win::Message::LeftButtonDown, at);
    Mouse(win::Message::LeftButtonUp, at);
    SetCurrentMeasure(view_, 1, 2);
    int marks = 0, events = 0, style = -1;
    for (ScoreObject* o = GetEventAttachment(first); o != nullptr; o = o->next.get()) {
        if (o->type != TypeCode(ObjectType::Tuplet)) continue;
        ++marks;
        style = TupletStyle(*AsTuplet(o));
    }
    EXPECT_EQ(style, State().notes.NoteTools.tupletMarkStyle) << "the mark lost the remembered style";
    for (EventRecord* e = GetVoiceFirstEvent(view_->currentCell, 0); e != nullptr; e = NextEvent(e)) ++events;
    EXPECT_EQ(marks, 1);
    EXPECT_EQ(events, 3) << "the click entered a note";
    EXPECT_EQ(notesBefore, 1);
}

}  // namespace
}  // namespace ql::testing_marks
