// The one-key barline commands: which copy of a barline each key writes, the split
// of "Both repeats" at a system break, H on the copy it is pressed on, and End.
#include "staves/barline.h"

#include "core/memory/pool.h"
#include "core/objects/class_table.h"
#include "staves/barline_handler.h"

#include "core/model/grid_records.h"
#include "core/ui/status_bar.h"
#include "platform/ui/headless.h"
#include "staves/tests/measures/measure_fixture.h"

namespace ql::testing_measures {
namespace {

using Barlines = MeasureTest;

constexpr uint8_t Code(BarlineType type) {
    return static_cast<uint8_t>(type);
}

constexpr BarlineRef kInside{3, false, false};
constexpr BarlineRef kOpening{5, true, false};
constexpr BarlineRef kClosing{5, false, true};

// Inside a system the letter keys set the barline nibble; E clears the repeat count
// and R sets it to 1. Other keys are not barline commands.
TEST_F(Barlines, LetterKeysSetTheBarlineInsideASystem) {
    BuildScore(1, 8);
    Record(3).repeatCount = 3;
    EXPECT_EQ(BarlineKey(view_, kInside, win::LetterKey('D'), false), 1);
    EXPECT_EQ(BarlineTypeOf(Record(3)), Code(BarlineType::Double));
    EXPECT_EQ(BarlineKey(view_, kInside, win::LetterKey('E'), false), 1);
    EXPECT_EQ(BarlineTypeOf(Record(3)), Code(BarlineType::EndSection));
    EXPECT_EQ(Record(3).repeatCount, 0);
    EXPECT_EQ(BarlineKey(view_, kInside, win::LetterKey('R'), false), 1);
    EXPECT_EQ(BarlineTypeOf(Record(3)), Code(BarlineType::EndRepeat));
    EXPECT_EQ(Record(3).repeatCount, 1);
    EXPECT_EQ(SystemStartBarlineTypeOf(Record(3)), 0);  // the other copy untouched
    EXPECT_EQ(BarlineKey(view_, kInside, win::LetterKey('Q'), false), 0);
}

// At a system start the same keys write the system-start nibble and leave the
// repeat count alone.
TEST_F(Barlines, LetterKeysAtASystemStartWriteTheStartCopy) {
    BuildScore(1, 8);
    Record(5).barline = Code(BarlineType::Double);
    Record(5).repeatCount = 2;
    EXPECT_EQ(BarlineKey(view_, kOpening, win::LetterKey('L'), false), 1);
    EXPECT_EQ(SystemStartBarlineTypeOf(Record(5)), Code(BarlineType::StartRepeat));
    EXPECT_EQ(BarlineTypeOf(Record(5)), Code(BarlineType::Double));
    EXPECT_EQ(BarlineKey(view_, kOpening, win::LetterKey('E'), false), 1);
    EXPECT_EQ(Record(5).repeatCount, 2);
}

// "Both repeats" drawn twice: changing the closing copy leaves a start repeat at the
// next system's start; changing the opening copy leaves an end repeat at the end of
// the system before.
TEST_F(Barlines, BothRepeatsSplitsAtASystemBreak) {
    BuildScore(1, 8);
    const uint8_t both = Code(BarlineType::BothRepeats);
    Record(5).barline = static_cast<uint8_t>(both | both << 4);
    EXPECT_EQ(BarlineKey(view_, kClosing, win::LetterKey('S'), false), 1);
    EXPECT_EQ(BarlineTypeOf(Record(5)), Code(BarlineType::Single));
    EXPECT_EQ(SystemStartBarlineTypeOf(Record(5)), Code(BarlineType::StartRepeat));
    Record(5).barline = static_cast<uint8_t>(both | both << 4);
    EXPECT_EQ(BarlineKey(view_, kOpening, win::LetterKey('S'), false), 1);
    EXPECT_EQ(SystemStartBarlineTypeOf(Record(5)), Code(BarlineType::Single));
    EXPECT_EQ(BarlineTypeOf(Record(5)), Code(BarlineType::EndRepeat));
    // Inside a system nothing splits.
    Record(3).barline = both;
    SetBarlineTypeAt(doc_, kInside, Code(BarlineType::Thick));
    EXPECT_EQ(Record(3).barline, Code(BarlineType::Thick));
}

// H toggles the bit of the copy it is pressed on (6 at a system start, 1 elsewhere)
// and leaves the other bit as it is.
TEST_F(Barlines, HideTogglesOnlyItsOwnCopy) {
    BuildScore(1, 8);
    Record(5).flags = kMeasureBarlineHidden;
    EXPECT_EQ(BarlineKey(view_, kOpening, win::LetterKey('H'), false), 1);
    EXPECT_EQ(Record(5).flags, kMeasureBarlineHidden | 0x40);
    EXPECT_EQ(BarlineKey(view_, kOpening, win::LetterKey('H'), false), 1);
    EXPECT_EQ(Record(5).flags, kMeasureBarlineHidden);
    EXPECT_EQ(BarlineKey(view_, kClosing, win::LetterKey('H'), false), 1);
    EXPECT_EQ(Record(5).flags, 0);
}

// End sets the final barline, or an end repeat on a repeating barline; with Ctrl in
// the scroll view only the notice shows; at a system start End is not a command.
TEST_F(Barlines, EndSetsTheFinalBarline) {
    BuildScore(1, 8);
    EXPECT_EQ(BarlineKey(view_, kInside, win::Key::End, false), 1);
    EXPECT_EQ(BarlineTypeOf(Record(3)), Code(BarlineType::EndSection));
    Record(3).repeatCount = 1;
    EXPECT_EQ(BarlineKey(view_, kInside, win::Key::End, false), 1);
    EXPECT_EQ(BarlineTypeOf(Record(3)), Code(BarlineType::EndRepeat));
    view_->pageView = 0;
    Record(4).barline = 0;
    EXPECT_EQ(BarlineKey(view_, BarlineRef{4, false, false}, win::Key::End, true), 1);
    EXPECT_EQ(Record(4).barline, 0);
    EXPECT_THAT(StatusTexts(), ::testing::Contains(::testing::HasSubstr(kUsePageViewNotice)));
    EXPECT_EQ(BarlineKey(view_, kOpening, win::Key::End, false), 0);
}

// Every command is one undoable edit and marks the document modified.
TEST_F(Barlines, KeyCommandsAreUndoable) {
    BuildScore(1, 8);
    const uint16_t before = doc_->changeCounter;
    EXPECT_EQ(BarlineKey(view_, kInside, win::LetterKey('T'), false), 1);
    EXPECT_NE(doc_->changeCounter, before);
    EXPECT_NE(doc_->undoStack, nullptr);
}

// The barline object the selection engine calls: its keys, Insert and Delete work
// on the barline its body names, and where it stands in its system follows from it.
TEST_F(Barlines, BarlineObjectRunsTheEditsOfItsBarline) {
    BuildScore(1, 8);
    RegisterBarlineClass();
    ASSERT_EQ(InitStaticPoolSet(), 1);  // barline objects come from the static set
    view_->currentSystem->lastMeasure = 4;
    ScoreObject* object = NewBarlineHandler();
    ASSERT_NE(object, nullptr);
    const ScoreObjectClass& cls = ClassOf(object);
    EXPECT_EQ(cls.GetBodySize(object), kBarlineBodyBytes);
    BarlineBody* body = BarlineBodyOf(object);
    body->system = Ref32<ScoreSystem>::To(view_->currentSystem);
    body->measure = 5;  // closes the system of 1..4
    EXPECT_TRUE(BarlineOfObject(object).closesSystem);
    EXPECT_FALSE(BarlineOfObject(object).atSystemStart);
    EXPECT_EQ(cls.OnKey(object, view_, static_cast<uint32_t>(win::LetterKey('D'))), 1);
    EXPECT_EQ(BarlineTypeOf(Record(5)), Code(BarlineType::Double));
    EXPECT_EQ(cls.OnInsertKey(object, view_, nullptr, nullptr), 1);
    EXPECT_EQ(doc_->header.measureCount, 9);
    EXPECT_EQ(cls.HandleDrop(object, view_, nullptr, nullptr), 1);
    EXPECT_EQ(doc_->header.measureCount, 8);
    body->measure = 1;
    EXPECT_TRUE(BarlineOfObject(object).atSystemStart);
    FreeStaticRecord(1, object);
}

}  // namespace
}  // namespace ql::testing_measures
