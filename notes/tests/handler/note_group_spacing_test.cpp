// The spacing step of a whole focused note (keypad + and -): the span from the note
// to the end of its beam group grows or shrinks by one eighth with no cap; the
// linked views follow when the program asks for it; a focus whose note is gone is
// reported and changes nothing; a measure respaced by a key is painted again.
#include <gtest/gtest.h>

#include <string>

#include "core/draw/draw_surface.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "notes/beatmap/beat_map.h"
#include "notes/handler/notes_handler.h"
#include "notes/tests/entry/entry_fixture.h"
#include "platform/tests/win/plain_window.h"
#include "platform/ui/headless.h"
#include "platform/win/paint.h"

namespace ql::testing_entry {
namespace {

constexpr int kStep = -4;
constexpr int32_t kLargestCellStep = 76;  // the cap of the spacing step at an item

class NoteGroupSpacing : public EntryTest {
  protected:
    // StepValue of the notes handler with `note` focused as a whole.
    void StepWholeNote(EventRecord* note, int n) {
        Key(note, 0);
        TheSelectionState()->editMode = 0;
        FindObjectClass(ClassOfType(ObjectType::Note))->StepValue(nullptr, view_, n);
    }
    int32_t Gap(int from, int to) const {
        return BeatMapTickToX(view_, to) - BeatMapTickToX(view_, from);
    }
};

// A half note's span is wider than eight times the item step's cap: it still grows
// and shrinks by a full eighth; what lies before the note keeps its place.
TEST_F(NoteGroupSpacing, WholeNoteStepsItsSpanByAnEighthWithNoCap) {
    Note(0, 0, kQuarter, kStep);
    EventRecord* half = Note(0, 1024, kHalf, kStep);
    Note(0, 3072, kQuarter, kStep);
    const int32_t before = Gap(0, 1024);
    const int32_t span = Gap(1024, 3072);
    ASSERT_GT(span / 8, kLargestCellStep) << "the span must be long enough to meet the cap";
    StepWholeNote(half, 1);
    EXPECT_NEAR(Gap(1024, 3072), span + span / 8, 1);
    EXPECT_EQ(Gap(0, 1024), before) << "the distance before the note is left alone";
    const int32_t widened = Gap(1024, 3072);
    StepWholeNote(half, -1);
    EXPECT_NEAR(Gap(1024, 3072), widened - widened / 8, 1);
    EXPECT_EQ(TheSelectionState()->editMode, 0);
}

// A beamed note's span runs to the end of its group, not of its own chord; the
// first note of a measure (with no column before it) steps as any other.
TEST_F(NoteGroupSpacing, SpanRunsToTheEndOfTheBeamGroup) {
    PointAt(0, kMiddleLine);
    for (int i = 0; i < 4; ++i) Click();
    UseMeasure(1);
    const std::vector<EventRecord*> chords = Chords();
    ASSERT_EQ(chords.size(), 4u);
    ASSERT_TRUE(IsOneGroup(chords));
    const int32_t first = Gap(0, kEighthTicks);
    const int32_t span = Gap(kEighthTicks, 4 * kEighthTicks);
    StepWholeNote(chords[1], 1);
    EXPECT_NEAR(Gap(kEighthTicks, 4 * kEighthTicks), span + span / 8, 1);
    EXPECT_EQ(Gap(0, kEighthTicks), first);
    const int32_t whole = Gap(0, 4 * kEighthTicks);
    StepWholeNote(chords[0], 1);
    EXPECT_NEAR(Gap(0, 4 * kEighthTicks), whole + whole / 8, 1);
}

// With the program's linked rebuild set, a second view of the same system follows
// the step at once; without it, that view's map is left for its next build.
TEST_F(NoteGroupSpacing, LinkedViewsFollowWhenTheProgramAsksForIt) {
    ScoreView* other = InitView(AllocView());
    LinkView(other);
    other->document = doc_;
    other->currentPage = view_->currentPage;
    other->currentSystem = view_->currentSystem;
    other->zoom = view_->zoom;
    other->glyphWidths = view_->glyphWidths;
    other->currentStaff = view_->currentStaff;
    other->currentMeasure = view_->currentMeasure;
    other->currentSlot = view_->currentSlot;
    UpdateBeatMaps(other, 1);
    EventRecord* half = Note(0, 0, kHalf, kStep);
    Note(0, 2048, kHalf, kStep);
    UpdateBeatMaps(view_, 1);
    UpdateBeatMaps(other, 1);
    auto otherGap = [&] { return BeatMapTickToX(other, 2048) - BeatMapTickToX(other, 0); };
    const int32_t span = otherGap();
    ASSERT_EQ(span, Gap(0, 2048));
    StepWholeNote(half, 1);
    EXPECT_EQ(otherGap(), span) << "without the linked rebuild the other view waits";
    State().notes.RebuildLinkedBeatMaps = 1;
    StepWholeNote(half, 1);
    EXPECT_GT(Gap(0, 2048), span);
    EXPECT_EQ(otherGap(), Gap(0, 2048));
    EndViewDrawAll(other);
    ReleaseViewDrawing(other);
    FreeView(other);
}

// The notes of a respaced measure stand elsewhere: the window showing it is painted
// again after the whole note's step and after the step at an item, in either direction.
TEST_F(NoteGroupSpacing, TheWindowIsPaintedAgainAfterEachStep) {
    view_->ViewWindow = ::ql::testing::OpenPlainWindow("QLSpacingView", 400, 300);
    EventRecord* first = Note(0, 0, kQuarter, kStep);
    Note(0, 1024, kHalf, kStep);
    const auto paintedAgain = [&](const auto& step) {
        win::ValidateRect(view_->ViewWindow, nullptr);
        const int32_t before = Gap(0, 1024);
        step();
        return Gap(0, 1024) != before && !win::GetUpdateRect(view_->ViewWindow).IsEmpty();
    };
    EXPECT_TRUE(paintedAgain([&] { StepWholeNote(first, 1); })) << "keypad plus";
    EXPECT_TRUE(paintedAgain([&] { StepWholeNote(first, -1); })) << "keypad minus";
    EXPECT_TRUE(paintedAgain([&] { NudgeEventSpacing(view_, 1024, 1, false); })) << "a step at an item";
    EXPECT_TRUE(paintedAgain([&] { NudgeEventSpacing(view_, 1024, -1, true); })) << "a larger step back";
}

// A focus whose hit record lost its note: the BEAM report, and no change.
TEST_F(NoteGroupSpacing, FocusWithoutItsNoteIsReported) {
    EventRecord* half = Note(0, 0, kHalf, kStep);
    Note(0, 2048, kHalf, kStep);
    Key(half, 0);
    TheSelectionState()->focusRecord.get()->noteEvent = Ref32<EventRecord>{};
    const int32_t span = Gap(0, 2048);
    const size_t boxes = ui::headless::MessageBoxes().size();
    FindObjectClass(ClassOfType(ObjectType::Note))->StepValue(nullptr, view_, 1);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), boxes + 1);
    EXPECT_NE(ui::headless::MessageBoxes().back().text.find("[BEAM].6981"), std::string::npos);
    EXPECT_EQ(Gap(0, 2048), span);
}

}  // namespace
}  // namespace ql::testing_entry
