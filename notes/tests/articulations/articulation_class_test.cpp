// The articulation class at a click of its tool and when drawn: the point of each side
// in the draw log (above the staff or the stem end, below the bottom line by the
// glyph's box, across the stem), the voice layout over the palette's side, the
// legato and staccato entries toggling the note's bits, Ctrl making an object of
// them, Undo taking a placed mark back, the automatic flip to the pair's lower form
// on an up stem (not for a glyph changed by hand), and re-placing after a move.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/objects/selection_state.h"
#include "core/tests/text/text_drag_support.h"
#include "core/text/text_object.h"
#include "core/undo/undo.h"
#include "display/anchors.h"
#include "editing/palette_layout.h"
#include "editing/tool_records.h"
#include "notes/articulations/articulation_attach.h"
#include "notes/drawing/note_fields.h"
#include "notes/drawing/notation_font.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/tests/articulations/articulation_fixture.h"
#include "platform/win/headless.h"
#include "platform/win/keys.h"

namespace ql::testing_notedraw {
namespace {

constexpr int kMiddlePosition = -4;
constexpr int kLowPosition = -2;  // stem up
constexpr int kHighPosition = -6;  // stem down
constexpr int32_t kOneSpaceOverTheStaff = 640;
constexpr int32_t kOverHead = 192;
constexpr int32_t kOverStemEnd = 96;

class ArticulationClassTest : public ArticulationTest {
  protected:
    void SetUp() override {
        ArticulationTest::SetUp();
        if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
        BuildScore(1, 2, kPlainZoom);
        const NoteDrawLocation location(view_, 1, 1);
        black_ = ComputeNotationFontState(view_, static_cast<int>(NoteSizeClass::Normal)).blackWidth;
    }
    // Draws measure `measure` into the log; the articulation glyphs drawn.
    std::vector<InkCall> DrawnMarks(int measure) {
        if (!recording_) UseRecordingSurface();
        log_.clear();
        DrawCell(1, measure);
        return Calls(InkPart::Articulation);
    }
    int32_t NoteYOf(const EventRecord& note) const { return BottomY(1) + NotePosition(note) * kStep; }
    int32_t CentreOf(int measure, int beat) { return TickX(measure, beat * kBeat) + black_ / 2; }
    static int GlyphOf(const ScoreObject* object) {
        return AsTextObject(object)->body.string & 0xFF;
    }
    int ArticulationsOf(EventRecord* note) const {
        int count = 0;
        for (const ScoreObject* o = GetEventAttachment(note); o != nullptr; o = o->next.get())
            count += o->type == TypeCode(ObjectType::NoteArticulation);
        return count;
    }

    int32_t black_ = 0;
};

// Above: over the staff's top line by a space for a head inside the staff, over the
// stem end by 96 on a high up stem; below: the box under the bottom line; on the
// stem: the stroke's offset from the head and 9/16 of a head right.
TEST_F(ArticulationClassTest, EachSideStandsWhereItsRuleGivesInTheDrawLog) {
    EventRecord* down = Quarter(1, 0, kHighPosition);
    EventRecord* up = Quarter(1, 1, kLowPosition);
    EventRecord* tremolo = Quarter(1, 2, kLowPosition);
    EventRecord* highUp = Quarter(1, 3, kMiddlePosition + 1);
    Restem(1, 1);
    highUp->stemLength = -1200;  // an up stem ending far above the staff
    Choose(ArticulationPalette::Accents, 10);  // the accent: the head side
    ASSERT_NE(Click(down, 1), nullptr);
    ASSERT_NE(Click(up, 1), nullptr);
    Choose(ArticulationPalette::Ornaments, 25);  // one tremolo stroke
    ASSERT_NE(Click(tremolo, 1), nullptr);
    Choose(ArticulationPalette::Ornaments, 0);  // the trill, above
    ASSERT_NE(Click(highUp, 1), nullptr);
    const std::vector<InkCall> marks = DrawnMarks(1);
    ASSERT_EQ(marks.size(), 4u);
    const int32_t bottom = BottomY(1);
    const int32_t accentBox = ArticulationGlyphBox(148);
    const int32_t overStaff = bottom - kOneSpaceOverTheStaff;
    EXPECT_EQ(marks[0].points[0].y, std::min(NoteYOf(*down) - kOverHead, overStaff));
    EXPECT_EQ(marks[0].points[0].x, CentreOf(1, 0));
    EXPECT_EQ(marks[1].points[0].y, std::max(NoteYOf(*up), bottom) + accentBox);
    EXPECT_EQ(marks[1].points[0].x, CentreOf(1, 1));
    EXPECT_EQ(marks[2].points[0].y, NoteYOf(*tremolo) - 256);
    EXPECT_EQ(marks[2].points[0].x, CentreOf(1, 2) + black_ * 9 / 16);
    EXPECT_EQ(marks[3].points[0].y, NoteYOf(*highUp) - 1200 - kOverStemEnd);
    EXPECT_EQ(marks[3].code, 188);
    // Each keeps its note's tick in the body's second word.
    uint16_t tick = 0;
    const ScoreObject* last = GetEventAttachment(highUp)->next.get();
    std::memcpy(&tick, reinterpret_cast<const std::byte*>(&AsTextObject(last)->body.location) + 2, 2);
    EXPECT_EQ(tick, 3 * kBeat);
}

// The lower fermata's 128-unit box: that far under the bottom line for a head inside
// the staff.
TEST_F(ArticulationClassTest, TheLowerFermataKeepsItsSmallBoxUnderTheStaff) {
    EventRecord* note = Quarter(1, 0, kLowPosition);
    Restem(1, 1);
    Choose(ArticulationPalette::Ornaments, 29);
    ScoreObject* fermata = Click(note, 1);
    ASSERT_NE(fermata, nullptr);
    EXPECT_EQ(GlyphOf(fermata), 217);
    const std::vector<InkCall> marks = DrawnMarks(1);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].points[0].y, BottomY(1) + 128);
}

// With a second voice in the cell the voice decides: voice 3 below, voice 1 above,
// whatever the palette entry says.
TEST_F(ArticulationClassTest, InSeveralVoicesTheVoiceDecidesTheSide) {
    EventRecord* upper = Quarter(1, 0, kHighPosition, 0);
    EventRecord* lower = Quarter(1, 0, kLowPosition, 2);
    Restem(1, 1);
    Choose(ArticulationPalette::Ornaments, 29);  // a lower form, yet voice 1 puts it above
    view_->voiceMask = 1;
    ASSERT_NE(Click(upper, 1), nullptr);
    Choose(ArticulationPalette::Ornaments, 0);  // an upper form, yet voice 3 puts it below
    view_->voiceMask = 4;
    ASSERT_NE(Click(lower, 1), nullptr);
    view_->voiceMask = 1;
    const std::vector<InkCall> marks = DrawnMarks(1);
    ASSERT_EQ(marks.size(), 2u);
    for (const InkCall& mark : marks) {
        if (mark.code == 217) {
            EXPECT_LT(mark.points[0].y, NoteYOf(*upper));
        } else {
            EXPECT_EQ(mark.code, 188);
            EXPECT_GT(mark.points[0].y, BottomY(1));
        }
    }
}

// The legato entry clicked twice sets then clears the note's bit, and no object is
// made; with Ctrl the staccato entry makes an object with the staccato glyph.
TEST_F(ArticulationClassTest, TheNoteBitEntriesToggleUnlessCtrlIsHeld) {
    EventRecord* note = Quarter(1, 0, kLowPosition);
    Restem(1, 1);
    Choose(ArticulationPalette::Accents, kLegatoEntry);
    EXPECT_EQ(Click(note, 1), nullptr);
    EXPECT_NE(note->word2 & kNoteLegato, 0);
    EXPECT_EQ(Click(note, 1), nullptr);
    EXPECT_EQ(note->word2 & kNoteLegato, 0);
    EXPECT_EQ(ArticulationsOf(note), 0);

    Choose(ArticulationPalette::Accents, kStaccatoEntry);
    State().input.StickyCtrlFlag = 1;
    ScoreObject* staccato = Click(note, 1);
    State().input.StickyCtrlFlag = 0;
    ASSERT_NE(staccato, nullptr);
    EXPECT_EQ(GlyphOf(staccato), 140);
    EXPECT_EQ(note->word2 & kNoteStaccato, 0);
    EXPECT_EQ(ArticulationsOf(note), 1);
}

// A placed mark is one undo step: Undo takes it off the note again.
TEST_F(ArticulationClassTest, UndoTakesAPlacedMarkBack) {
    EventRecord* note = Quarter(1, 0, kLowPosition);
    Restem(1, 1);
    Choose(ArticulationPalette::Ornaments, 0);
    ASSERT_NE(Click(note, 1), nullptr);
    EXPECT_EQ(ArticulationsOf(note), 1);
    ASSERT_GE(UndoDepth(doc_), 1);
    UndoCommand(doc_, view_);
    EXPECT_EQ(ArticulationsOf(note), 0);
}

// With "AutoFlipAccents" on, an upper marcato on an up stem is drawn as the lower
// one under the staff; one whose glyph was changed by hand keeps its glyph.
TEST_F(ArticulationClassTest, TheAutomaticFlipTakesThePairsLowerFormOnAnUpStem) {
    EventRecord* flipped = Quarter(1, 0, kLowPosition);
    EventRecord* byHand = Quarter(1, 1, kLowPosition);
    Restem(1, 1);
    Choose(ArticulationPalette::Accents, 5);  // 143, the upper marcato
    ScoreObject* marcato = Click(flipped, 1);
    ScoreObject* kept = Click(byHand, 1);
    ASSERT_TRUE(marcato != nullptr && kept != nullptr);
    AsTextObject(kept)->body.flags |= kTextGlyphByHand;
    State().program.AutoFlipAccents = 1;
    const std::vector<InkCall> marks = DrawnMarks(1);
    State().program.AutoFlipAccents = 0;
    EXPECT_EQ(GlyphOf(marcato), 138);
    EXPECT_EQ(GlyphOf(kept), 143);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_GT(marks[0].points[0].y, BottomY(1));
}

// Re-placing puts a moved mark back at its computed place, as one undo step.
TEST_F(ArticulationClassTest, ReplacingPutsAMovedMarkBack) {
    EventRecord* note = Quarter(1, 0, kHighPosition);
    Restem(1, 1);
    Choose(ArticulationPalette::Ornaments, 0);
    ScoreObject* trill = Click(note, 1);
    ASSERT_NE(trill, nullptr);
    const int32_t placed = DrawnMarks(1).at(0).points[0].y;
    {
        const NoteDrawLocation location(view_, 1, 1);
        PointToNoteAnchor(view_, trill, &AsTextObject(trill)->body.location,
                          LogicalPoint{CentreOf(1, 0), placed - 500});
    }
    EXPECT_EQ(DrawnMarks(1).at(0).points[0].y, placed - 500);
    const int depth = UndoDepth(doc_);
    {
        const NoteDrawLocation location(view_, 1, 1);
        ClassOf(trill).Invalidate(trill, view_);
    }
    EXPECT_EQ(DrawnMarks(1).at(0).points[0].y, placed);
    EXPECT_EQ(UndoDepth(doc_), depth + 1);
}

// A note drawn on the staff below takes its mark there: over that staff, where its
// anchor is read back from.
TEST_F(ArticulationClassTest, ACrossStaffNoteTakesItsMarkOnTheStaffItIsDrawnOn) {
    BuildScore(2, 1, kPlainZoom);
    constexpr int kOtherMiddleLine = -4;
    // Its own position is the other staff's middle line seen from its own staff.
    const int stepsBetween = (BottomY(1) - BottomY(2)) / kStep;
    EventRecord* note = Quarter(1, 0, kOtherMiddleLine - stepsBetween);
    note->flags |= kNoteCrossStaff;
    note->crossStaffPosition = static_cast<uint8_t>(static_cast<int8_t>(kOtherMiddleLine));
    Restem(1, 1);
    Choose(ArticulationPalette::Ornaments, 0);
    ASSERT_NE(Click(note, 1), nullptr);
    const std::vector<InkCall> marks = DrawnMarks(1);
    ASSERT_EQ(marks.size(), 1u);
    const int32_t other = BottomY(2);
    const int32_t drawnY = other + kOtherMiddleLine * kStep;
    const int32_t overNote = note->stemLength < 0 ? drawnY + note->stemLength - kOverStemEnd
                                                  : drawnY - kOverHead;
    EXPECT_EQ(marks[0].points[0].y, std::min(overNote, other - kOneSpaceOverTheStaff));
}

// A mark attached without a place (as a reader or an import attaches it) is put
// where a click would have put it.
TEST_F(ArticulationClassTest, AnAttachedMarkIsPlacedAsAClickWouldPlaceIt) {
    EventRecord* clicked = Quarter(1, 0, kHighPosition);
    EventRecord* imported = Quarter(1, 1, kHighPosition);
    Restem(1, 1);
    Choose(ArticulationPalette::Ornaments, 0);
    ASSERT_NE(Click(clicked, 1), nullptr);
    const AttachedArticulation attached =
        AttachArticulation(view_, imported, ArticulationPalette::Ornaments, 0);
    ASSERT_NE(attached.object, nullptr);
    {
        const NoteDrawLocation location(view_, 1, 1);
        EXPECT_TRUE(PlaceAttachedArticulation(view_, attached.object));
    }
    const std::vector<InkCall> marks = DrawnMarks(1);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[1].points[0].y, marks[0].points[0].y);
    EXPECT_EQ(marks[1].points[0].x, CentreOf(1, 1));
}

// A mark chosen and let go of without a move stays where it was put (its handle
// stands at the glyph's centre, above its baseline); a drag moves it by exactly as
// much as its handle went.
TEST_F(ArticulationClassTest, AMarkLetGoOfStaysAndADragMovesItByAsMuch) {
    // The choice lives in the selection state, gone again on every way out.
    const std::unique_ptr<SelectionState, void (*)(SelectionState*)> selection(
        CreateSelectionState(), [](SelectionState*) { DestroySelectionState(); });
    ASSERT_NE(selection, nullptr);
    EventRecord* note = Quarter(1, 0, kHighPosition);
    Restem(1, 1);
    Choose(ArticulationPalette::Ornaments, 0);
    ScoreObject* mark = Click(note, 1);
    ASSERT_NE(mark, nullptr);
    const NoteDrawLocation location(view_, 1, 1);
    const LogicalPoint placed = TextObjectAnchorPoint(mark, view_);
    EXPECT_EQ(testing_text_drag::DragAndLetGo(mark, view_, LogicalPoint{}), placed);
    EXPECT_EQ(testing_text_drag::DragAndLetGo(mark, view_, LogicalPoint{}), placed) << "a second let-go moved it";
    const LogicalPoint moved = testing_text_drag::DragAndLetGo(mark, view_, LogicalPoint{64, -128});
    EXPECT_EQ(moved.x, placed.x + 64);
    EXPECT_EQ(moved.y, placed.y - 128);
}

// An entry chosen on a pop-up palette reaches the tool through its opener's face:
// the Accents entry 5, then the Ornaments entry 28; an opener that still shows its
// own face keeps the entry in force.
TEST(ArticulationToolChoice, TheEntryChosenOnAPopUpIsTheOneInForce) {
    ResetToolRecords();
    ResetArticulationTools();
    ToolRecord* accentsOpener = ToolRecordOf(kNotesPalette, 11);
    ToolRecord* ornamentsOpener = ToolRecordOf(kNotesPalette, 10);
    TakeArticulationChoice(ornamentsOpener);
    EXPECT_EQ(ArticulationTools().palette, ArticulationPalette::Ornaments);
    EXPECT_EQ(ArticulationTools().EntryInForce(), kDefaultOrnamentEntry);
    SelectFlyoutEntry(nullptr, ToolAction::Select, ToolRecordOf(kAccentsPalette, 5), {},
                      win::Message::Null, 0, 0);
    TakeArticulationChoice(accentsOpener);
    EXPECT_EQ(ArticulationTools().palette, ArticulationPalette::Accents);
    EXPECT_EQ(ArticulationTools().EntryInForce(), 5);
    SelectFlyoutEntry(nullptr, ToolAction::Select, ToolRecordOf(kOrnamentsPalette, 28), {},
                      win::Message::Null, 0, 0);
    TakeArticulationChoice(ornamentsOpener);
    EXPECT_EQ(ArticulationTools().palette, ArticulationPalette::Ornaments);
    EXPECT_EQ(ArticulationTools().EntryInForce(), 28);
    EXPECT_EQ(ArticulationTools().accentEntry, 5);
    ResetToolRecords();
    ResetArticulationTools();
}

}  // namespace
}  // namespace ql::testing_notedraw
