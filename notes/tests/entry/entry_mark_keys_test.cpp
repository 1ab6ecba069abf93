// The comma and the full stop on a chosen note attach the marks of entries 0 and 10
// of the articulation palette in force, each one undoable edit shown on the screen at
// once, the palette's own entry left as it was; F1 opens the help of notes. With the
// articulation toggles pressed, entry gives each new note its marks.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/objects/object_classes.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/undo/undo.h"
#include "editing/palette_layout.h"
#include "editing/tool_records.h"
#include "editing/tools.h"
#include "notes/articulations/articulation_attach.h"
#include "notes/articulations/articulation_class.h"
#include "notes/articulations/articulation_tool.h"
#include "notes/drawing/note_fields.h"
#include "notes/tests/entry/measure_redraw_fixture.h"
#include "platform/sys/headless.h"
#include "platform/win/keys.h"

namespace ql::testing_entry {
namespace {

constexpr uint32_t kComma = static_cast<uint32_t>(win::Key::Comma);
constexpr uint32_t kFullStop = static_cast<uint32_t>(win::Key::Period);
constexpr int8_t kOtherEntry = 3;  // the entry the palettes keep in force

class EntryMarkKeys : public MeasureRedrawTest {
  protected:
    void SetUp() override {
        MeasureRedrawTest::SetUp();
        RegisterNoteArticulationClass();
        ResetArticulationTools();
        ArticulationTools().accentEntry = kOtherEntry;
        ArticulationTools().ornamentEntry = kOtherEntry;
        sys::headless::ResetHelp();
        ResetToolRecords();
    }
    void TearDown() override {
        ResetToolRecords();
        MeasureRedrawTest::TearDown();
    }
    // The palette's button of the Notes palette pressed (marked) as a toggle, or let go.
    static void Press(ArticulationPalette palette, bool on) {
        ToolRecord* button = ToolRecordOf(kNotesPalette, static_cast<int>(palette));
        ASSERT_NE(button, nullptr);
        button->marked = on ? 1 : 0;
    }
    // The glyphs of the marks attached to the note, in chain order.
    static std::vector<int> MarkGlyphs(EventRecord* note) {
        std::vector<int> glyphs;
        for (const ScoreObject* o = GetEventAttachment(note); o != nullptr; o = o->next.get())
            if (o->type == TypeCode(ObjectType::NoteArticulation)) glyphs.push_back(AsTextObject(o)->body.string & 0xFF);
        return glyphs;
    }
};

TEST_F(EntryMarkKeys, CommaAndFullStopAttachEntriesZeroAndTenOfThePaletteInForce) {
    for (const ArticulationPalette palette : {ArticulationPalette::Accents, ArticulationPalette::Ornaments}) {
        SCOPED_TRACE(static_cast<int>(palette));
        TearDown();
        SetUp();
        ArticulationTools().palette = palette;
        EventRecord* note = Note(0, 0, kQuarter, kEntryStep);
        const std::vector<uint8_t> plain = LiveRecords();
        ASSERT_EQ(Key(note, kComma), 1);
        EXPECT_EQ(UndoLabel(), "Undo - Change Note");
        const std::vector<uint8_t> oneMark = LiveRecords();
        ASSERT_EQ(Key(note, kFullStop), 1);
        std::vector<int> glyphs = MarkGlyphs(note);
        std::sort(glyphs.begin(), glyphs.end());
        EXPECT_EQ(glyphs, (std::vector<int>{ArticulationGlyphOf(palette, 0), ArticulationGlyphOf(palette, 10)}));
        EXPECT_EQ(ArticulationTools().EntryInForce(), kOtherEntry) << "the palette's entry changed";
        UndoCommand(doc_, view_);
        EXPECT_EQ(LiveRecords(), oneMark);
        UndoCommand(doc_, view_);
        EXPECT_EQ(LiveRecords(), plain) << "undo did not take the mark away";
    }
}

// The "Accents" and "Ornaments" toggles give each note entered by a click the mark of
// their entry in force (the staccato entry sets the note's bit), inside the click's
// undo step; a chord note and the toggles let go give none.
TEST_F(EntryMarkKeys, PressedArticulationTogglesMarkEveryEnteredNote) {
    constexpr int8_t kStaccato = 2;
    constexpr int8_t kMarcato = 5;
    constexpr int8_t kTurn = 4;
    Press(ArticulationPalette::Accents, true);
    Press(ArticulationPalette::Ornaments, true);
    ArticulationTools().accentEntry = kMarcato;
    ArticulationTools().ornamentEntry = kTurn;
    UseMeasure(1);
    const std::vector<uint8_t> empty = LiveRecords();
    PointAt(0, kEntryStep);
    Click();
    UseMeasure(1);
    ASSERT_EQ(Voice().size(), 1u);
    std::vector<int> glyphs = MarkGlyphs(Voice()[0]);
    std::sort(glyphs.begin(), glyphs.end());
    EXPECT_EQ(glyphs, (std::vector<int>{ArticulationGlyphOf(ArticulationPalette::Accents, kMarcato),
                                        ArticulationGlyphOf(ArticulationPalette::Ornaments, kTurn)}));
    UndoCommand(doc_, view_);
    EXPECT_EQ(LiveRecords(), empty) << "undo of the click left a mark";

    Press(ArticulationPalette::Ornaments, false);
    ArticulationTools().accentEntry = kStaccato;
    PointAt(0, kEntryStep);
    Click();
    UseMeasure(1);
    ASSERT_EQ(Voice().size(), 1u);
    EXPECT_NE(Voice()[0]->word2 & kNoteStaccato, 0) << "the staccato entry did not set the bit";
    EXPECT_TRUE(MarkGlyphs(Voice()[0]).empty());

    Press(ArticulationPalette::Accents, false);
    PointAt(2 * kQuarterTicks, kEntryStep);
    Click();
    UseMeasure(1);
    ASSERT_EQ(Chords().size(), 2u);
    EXPECT_EQ(Chords()[1]->word2 & kNoteStaccato, 0) << "a mark with the toggles let go";
}

// The key comes while the view draws in the feedback colours; the mark is on the
// screen at once, in ink.
TEST_F(EntryMarkKeys, TheMarkShowsAtOnce) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    UseMeasure(1);
    EventRecord* note = Note(0, 0, kQuarter, kEntryStep);
    ShowMeasureAfresh();
    BeginViewDraw(view_);
    BeginHighlightDrawAlt3(view_);
    ASSERT_EQ(Key(note, kComma), 1);
    EndHighlightDraw(view_);
    EndViewDraw(view_);
    ASSERT_EQ(MarkGlyphs(note).size(), 1u);
    int missing = 0;
    EXPECT_EQ(InkLeftOver(&missing), 0);
    EXPECT_EQ(missing, 0) << "the mark is not on the screen";
}

// F1 opens the help topic of notes in the program's help file; a key with no focused
// note does nothing.
TEST_F(EntryMarkKeys, F1OpensTheHelpOfNotes) {
    EventRecord* note = Note(0, 0, kQuarter, kEntryStep);
    ASSERT_EQ(Key(note, static_cast<uint32_t>(win::Key::F1)), 1);
    ASSERT_EQ(sys::headless::HelpRequests().size(), 1u);
    EXPECT_EQ(sys::headless::HelpRequests()[0].contextId, HelpContextOfType(TypeCode(ObjectType::Note)));
    EXPECT_FALSE(sys::headless::HelpRequests()[0].file.empty()) << "the request names no help file";
    EXPECT_EQ(Key(note, static_cast<uint32_t>(win::Key::F1), true), 1) << "Ctrl+F1 is consumed";
    EXPECT_EQ(sys::headless::HelpRequests().size(), 1u);
}

}  // namespace
}  // namespace ql::testing_entry
