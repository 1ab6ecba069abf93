// The status-bar description of notes and rests: the volume with the dynamic mark
// in force (absolute, relative clamped to 127, none, muted), the search for that
// mark, the voice numbering and the timing texts.
#include <gtest/gtest.h>

#include <string>

#include "core/objects/midi_action.h"
#include "core/tests/model/model_fixture.h"
#include "core/text/text_object.h"
#include "core/ui/progress.h"
#include "core/ui/status_bar.h"
#include "core/ui/status_bar_notes.h"
#include "core/ui/ui_services_resources.h"
#include "platform/sys/resources.h"
#include "platform/ui/headless.h"
#include "platform/ui/status_bar.h"
#include "platform/win/headless.h"
#include "platform/win/window.h"

namespace ql::testing_model {
namespace {

class NoteDescriptionTest : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        win::headless::ResetWindowLayer();
        sys::SetProgramBundle(nullptr);
        RegisterUiServiceResources();
        win::WindowClass frameClass;
        frameClass.name = "MdiFrame";
        frameClass.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(frameClass);
        win::WindowParams frame;
        frame.className = "MdiFrame";
        frame.style = win::kStyleVisible;
        frame.rect = {0, 0, 800, 300};
        platform::WindowHandle window = win::CreateWindow(frame);
        CreateStatusBar(window);
        LayoutStatusBar(window);
        doc_->header.staffCount = 2;
        cell_ = UseCell(1, 2);
        StaffRecordOf(doc_, 1)->baseKeyVelocity = 10;
        StaffRecordOf(doc_, 2)->baseKeyVelocity = 10;
        view_->voiceMask = 0x1;
    }
    void TearDown() override {
        sys::SetProgramBundle(nullptr);
        ModelTest::TearDown();
    }

    // A dynamic mark at `tick` of (staff, measure), enabled for every voice.
    MidiAction* Mark(int staff, int measure, int tick, int16_t level, bool absolute,
                     uint8_t scope = 0) {
        auto* outer = static_cast<MidiTextRecord*>(AllocRecord(kMidiTextRecordPool));
        EXPECT_NE(outer, nullptr);
        ConstructMidiAction(&outer->action);
        TextObject* text = AsTextObject(&outer->text);
        ConstructTextObject(text);
        text->header.type = TypeCode(ObjectType::Dynamic);
        text->body.location.position = static_cast<uint32_t>(tick) << 16;
        outer->action.flags = kMidiFlagEnabled;  // all voices
        outer->action.destinationTiming = static_cast<uint8_t>((absolute ? 0x10 : 0) | scope);
        outer->action.head.values.value = level;
        ScoreObject* list = GetOrCreateCellObjectList(Cell(staff, measure));
        InsertObjectAfter(list, &text->header);
        return &outer->action;
    }
    EventRecord* NoteAt(int time, int keyVelocity) {
        EventRecord* note = Note(cell_, 0, time, 10, 20);
        EXPECT_NE(note, nullptr);
        note->velocity = static_cast<int8_t>(keyVelocity);
        return note;
    }
    static std::string Part(int part) {
        return ui::GetStatusBarText(State().dialogs.StatusWindow, part);
    }

    MeasureCell* cell_ = nullptr;
};

// An absolute mark sets the volume, shown as dyna and volume alike.
TEST_F(NoteDescriptionTest, AbsoluteMarkGivesItsLevel) {
    Mark(1, 2, 0, 90, true);
    DescribeNote(view_, NoteAt(512, 100));
    EXPECT_EQ(Part(0), " [Voice 1]     Volume=90 (dyna 90, key velocity 100)");
}

// A relative mark adds to key and base velocity, and the sum is clamped to 127.
TEST_F(NoteDescriptionTest, RelativeMarkIsClampedTo127) {
    Mark(1, 2, 0, 30, false);
    DescribeNote(view_, NoteAt(512, 100));
    EXPECT_EQ(Part(0), " [Voice 1]     Volume=127 (staff 10 + dyna 30 + key velocity 100)");
}

// Without a mark the volume is base + key velocity.
TEST_F(NoteDescriptionTest, NoMarkGivesBasePlusKeyVelocity) {
    DescribeNote(view_, NoteAt(0, 20));
    EXPECT_EQ(Part(0), " [Voice 1]     Volume=30 (staff 10 + key velocity 20)");
}

// A muted note plays at 0 whatever the mark.
TEST_F(NoteDescriptionTest, MutedNoteHasVolumeZero) {
    Mark(1, 2, 0, 90, true);
    EventRecord* note = NoteAt(0, 100);
    note->flags |= 0x0200;
    DescribeNote(view_, note);
    EXPECT_EQ(Part(0), " [Voice 1]     Volume=0 (dyna 0, key velocity 100)");
}

// Marks after the note in its own measure do not count; the nearest one before it
// wins; an earlier measure's marks count when the note's measure has none.
TEST_F(NoteDescriptionTest, NearestMarkBeforeTheNoteWins) {
    Mark(1, 1, 3000, 40, true);
    EventRecord* note = NoteAt(1024, 64);
    EXPECT_EQ(ComputeNoteVolume(view_, *note, 1, 2, 0).volume, 40);
    Mark(1, 2, 2048, 100, true);  // after the note
    EXPECT_EQ(ComputeNoteVolume(view_, *note, 1, 2, 0).volume, 40);
    Mark(1, 2, 256, 50, true);
    Mark(1, 2, 768, 60, true);
    EXPECT_EQ(ComputeNoteVolume(view_, *note, 1, 2, 0).volume, 60);
}

// Disabled marks, marks for other voices and marks scoped to another staff are
// passed over; a mark for every staff reaches any staff.
TEST_F(NoteDescriptionTest, MarksOutOfScopeArePassedOver) {
    EventRecord* note = NoteAt(1024, 64);
    Mark(1, 2, 0, 11, true)->flags = 0;                                              // disabled
    Mark(1, 2, 100, 12, true)->flags = kMidiFlagEnabled | (0x2 << kMidiVoiceShift);  // voice 2 only
    Mark(2, 2, 200, 13, true, 0);                                                    // staff 2 only
    EXPECT_FALSE(ComputeNoteVolume(view_, *note, 1, 2, 0).found);
    Mark(2, 2, 300, 14, true, 1);  // every staff
    EXPECT_EQ(ComputeNoteVolume(view_, *note, 1, 2, 0).volume, 14);
    MidiAction* named = Mark(2, 2, 400, 15, true, 3);  // staff 2 or the named staff
    named->namedStaff = 1;
    EXPECT_EQ(ComputeNoteVolume(view_, *note, 1, 2, 0).volume, 15);
}

// Voices are numbered from 1 with the second and third exchanged.
TEST_F(NoteDescriptionTest, VoicesTwoAndThreeAreExchanged) {
    EXPECT_EQ(VoiceNumberShown(0), 1);
    EXPECT_EQ(VoiceNumberShown(1), 3);
    EXPECT_EQ(VoiceNumberShown(2), 2);
    EXPECT_EQ(VoiceNumberShown(3), 4);
    view_->voiceMask = 0x2;
    DescribeNote(view_, NoteAt(0, 0));
    EXPECT_EQ(Part(0).substr(0, 13), " [Voice 3]   ");
}

// A rest names its voice, blanks part 1 and gives its tick and length.
TEST_F(NoteDescriptionTest, RestInVoiceIndexOneIsVoiceThree) {
    auto* rest = static_cast<ScoreObject*>(AllocRecord(kTextObjectPool));
    ASSERT_NE(rest, nullptr);
    ConstructScoreObject(rest);
    rest->type = TypeCode(ObjectType::Rest);
    DescribeRest(rest, 1);
    EXPECT_EQ(Part(0), " [Voice 3]");
    EXPECT_EQ(Part(1), " ");
    DescribeRest(rest, 2);
    EXPECT_EQ(Part(0), " [Voice 2]");
}

// Part 1 holds attack, release and ties; part 2 tick, length and the tuplet.
TEST_F(NoteDescriptionTest, TimingTextsNameTiesAndTuplets) {
    EventRecord* note = NoteAt(512, 64);
    note->attack = 5;
    note->release = -3;
    note->word2 |= 0x0030;
    note->tupletKind = 2;
    note->tupletRatio = 0x32;  // divisor 3, multiplier 2
    DescribeNote(view_, note);
    EXPECT_EQ(Part(1), " Attack=5 Release=-3 -Tied Left- -Tied Right- ");
    EXPECT_EQ(Part(2), " Tick=512 Length=" + std::to_string(EventDurationTicks(*note)) + " (3/2)");
    State().program.ShortStatusForm = 1;
    DescribeNote(view_, note);
    EXPECT_EQ(Part(2).substr(0, 17), "  Tick=512 Len=68");
}

// A cross-staff note is described on the neighbouring staff it is drawn on:
// below, or above when its target bit says so and there is a staff above.
TEST_F(NoteDescriptionTest, CrossStaffNoteNamesTheOtherStaff) {
    EventRecord* note = NoteAt(0, 64);
    note->flags |= 0x0400;  // cross-staff, drawn on the staff below
    DescribeNote(view_, note);
    EXPECT_EQ(Part(0).substr(0, 21), " [Staff 2, Voice 1]  ");
    note->stemWord |= 0x8000;  // drawn on the staff above, which staff 1 lacks
    DescribeNote(view_, note);
    EXPECT_EQ(Part(0).substr(0, 21), " [Staff 2, Voice 1]  ");
    view_->currentStaff = 2;
    DescribeNote(view_, note);
    EXPECT_EQ(Part(0).substr(0, 21), " [Staff 1, Voice 1]  ");
}

// Formatting an imported score visits every staff of every measure of each
// system, page by page, and puts the view back where it was.
TEST_F(NoteDescriptionTest, FormatImportedScoreVisitsEveryStaffAndRestoresTheView) {
    ScoreSystem* system = doc_->firstPage->firstSystem.get();
    ASSERT_NE(system, nullptr);
    system->firstMeasure = 1;
    system->lastMeasure = 2;
    doc_->header.pageCount = 1;
    view_->currentMeasure = 2;
    EXPECT_EQ(FormatImportedScore(view_, 0x1), 0);
    std::vector<std::string> positions;
    for (const auto& record : ui::headless::StatusTexts())
        if (record.part == 0 && record.text.find("Page") != std::string::npos)
            positions.push_back(record.text);
    int page = doc_->firstPage->pageNumber;
    std::string first = " Page " + std::to_string(page) + "  System 1  Staff 1 ";
    ASSERT_EQ(positions.size(), 4u);  // two measures x two staves
    EXPECT_EQ(positions[0], " " + first);
    EXPECT_EQ(view_->currentMeasure, 2);
    EXPECT_EQ(view_->currentPage, doc_->firstPage);
    EXPECT_EQ(Part(1), " Formatting data...");
    EndProgressDialog();
}

}  // namespace
}  // namespace ql::testing_model
