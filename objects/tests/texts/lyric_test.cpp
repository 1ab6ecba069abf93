// Typing lyrics from note to note in scripted entry windows: the syllable offsets,
// Space and Tab on an empty entry, the walk across measures and systems, pasted text
// spread one word per note, clicks on notes that have a lyric, retyping with Tab,
// the verse line moved by a Ctrl-drag, one undo step per syllable, and the view
// repainted under each syllable once it is typed.
#include "objects/lyrics/lyric.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "objects/text_marks/text_entry.h"
#include "platform/gfx/mapping.h"
#include "platform/tests/win/plain_window.h"
#include "platform/win/headless.h"
#include "platform/win/paint.h"

namespace ql::testing_texts {
namespace {

using text_entry_dialog::kEntryEdit;
using ui::headless::DialogDriver;

EntryScript Typed(std::string text) {
    return [text](DialogDriver& d) { d.Type(kEntryEdit, text); };
}
EntryScript Entered(std::string text) {
    return [text](DialogDriver& d) {
        d.Type(kEntryEdit, text);
        d.PressEnter();
    };
}

class LyricTest : public TextsTest {
  protected:
    std::vector<EventRecord*> FourNotes() {
        std::vector<EventRecord*> notes;
        for (int i = 0; i < 4; ++i) notes.push_back(Note(i * kQuarterTicks));
        return notes;
    }
    void ClickOn(EventRecord* note) {
        PointAtNote(note);
        const ScoreObjectClass* cls = FindObjectClass(ClassOfType(ObjectType::Lyric));
        EXPECT_EQ(cls->CreateAtClick(nullptr, view_), nullptr);
    }
    // The syllable and x offset of the note's lyric ("" and 0 when none).
    std::pair<std::string, int> LyricOn(EventRecord* note) {
        const std::vector<TextObject*> lyrics = LyricsOf(note);
        if (lyrics.empty()) return {"", 0};
        EXPECT_EQ(lyrics.size(), 1u);
        return {StringOf(&lyrics[0]->header), LyricXOffset(lyrics[0])};
    }
};

TEST(LyricOffsets, ASyllableClosedWithSpaceMovesRightByItsLength) {
    EXPECT_EQ(SyllableOffset("do"), 64);         // even, two characters
    EXPECT_EQ(SyllableOffset("a"), 128);         // odd
    EXPECT_EQ(SyllableOffset("sol"), 192);       // odd and longer than 2
    EXPECT_EQ(SyllableOffset("dolo"), 128);      // longer than 2
    EXPECT_EQ(SyllableOffset("dominus"), 256);   // odd, longer than 2 and than 6
    EXPECT_EQ(SyllableOffset("alleluia"), 192);  // even, longer than 6
}

TEST_F(LyricTest, SyllablesTypedWithSpaceGoOneToEachNoteWithTheirOffsets) {
    const std::vector<EventRecord*> notes = FourNotes();
    ScriptEntries({Typed("do "), Typed("sol "), Typed("a "), Typed("dominus ")});
    ClickOn(notes[0]);
    EXPECT_EQ(LyricOn(notes[0]), std::make_pair(std::string("do"), 64));
    EXPECT_EQ(LyricOn(notes[1]), std::make_pair(std::string("sol"), 192));
    EXPECT_EQ(LyricOn(notes[2]), std::make_pair(std::string("a"), 128));
    EXPECT_EQ(LyricOn(notes[3]), std::make_pair(std::string("dominus"), 256));
    // No further note in the score: the loop ended without another window.
    EXPECT_EQ(EntryOpenings(), 4);
    // Lyrics are subtype 3 with the verse of the view's mask and the flag bit 6.
    const TextObject* lyric = LyricsOf(notes[1])[0];
    EXPECT_EQ(lyric->header.subtype, SubtypeCode(ObjectSubtype::NoteAttachment));
    EXPECT_NE(lyric->body.flags & kTextYFromStaff, 0);
    EXPECT_EQ(LyricVerse(lyric), 0);
}

TEST_F(LyricTest, EnterEndsTheLoopAndKeepsTheStartOffset) {
    const std::vector<EventRecord*> notes = FourNotes();
    ScriptEntries({Entered("dominus")});
    ClickOn(notes[0]);
    EXPECT_EQ(LyricOn(notes[0]), std::make_pair(std::string("dominus"), 64));
    EXPECT_EQ(LyricOn(notes[1]).first, "");
    EXPECT_EQ(EntryOpenings(), 1);
}

TEST_F(LyricTest, SpaceOrTabOnAnEmptyEntryStaysOnTheSameNote) {
    const std::vector<EventRecord*> notes = FourNotes();
    ScriptEntries({[](DialogDriver& d) {
        d.Type(kEntryEdit, " ");
        EXPECT_TRUE(d.IsOpen());
        EXPECT_EQ(d.Text(kEntryEdit), "");
        d.Type(kEntryEdit, "\t");
        EXPECT_TRUE(d.IsOpen());
        d.Type(kEntryEdit, "la ");
    }});
    ClickOn(notes[0]);
    EXPECT_EQ(LyricOn(notes[0]).first, "la");
    // The second opening (on note 2) was answered with Escape: nothing there.
    EXPECT_EQ(LyricOn(notes[1]).first, "");
}

TEST_F(LyricTest, TheEntryCrossesToTheNextMeasureAndSystemAndSkipsMarkedEvents) {
    EventRecord* first = Note(0);
    EventRecord* marked = Note(kQuarterTicks);
    marked->duration |= kNoLyricDurationBit;
    // Measure 2 is empty; measure 3 opens the second system.
    UseMeasure(1, 3);
    EventRecord* later = Note(kQuarterTicks);
    UseMeasure(1, 1);
    ScriptEntries({Typed("a "), Entered("b")});
    PointAtNote(first);
    const ScoreObjectClass* cls = FindObjectClass(ClassOfType(ObjectType::Lyric));
    cls->CreateAtClick(nullptr, view_);
    EXPECT_EQ(LyricOn(first).first, "a");
    EXPECT_EQ(LyricOn(marked).first, "");
    EXPECT_EQ(LyricOn(later).first, "b");
}

TEST_F(LyricTest, PastedWordsFillOneNoteEach) {
    const std::vector<EventRecord*> notes = FourNotes();
    ScriptEntries({[](DialogDriver& d) {
        EXPECT_TRUE(PasteIntoLyricEntry(d.Dialog(), "  Ky-ri-e e-\r\nlei  son "));
    }});
    ClickOn(notes[0]);
    EXPECT_EQ(LyricOn(notes[0]).first, "Ky-ri-e");
    EXPECT_EQ(LyricOn(notes[1]).first, "e-");
    EXPECT_EQ(LyricOn(notes[2]).first, "lei");
    EXPECT_EQ(LyricOn(notes[3]).first, "son");
    EXPECT_FALSE(TheTextEntryState().pastePending);
}

TEST_F(LyricTest, AfterThePastedWordsTheNextNoteIsTyped) {
    const std::vector<EventRecord*> notes = FourNotes();
    // The window that takes "two" ends while opening, before any script runs.
    ScriptEntries({[](DialogDriver& d) { PasteIntoLyricEntry(d.Dialog(), "one two "); },
                   Typed("three "), Entered("four")});
    ClickOn(notes[0]);
    EXPECT_EQ(LyricOn(notes[1]).first, "two");
    EXPECT_EQ(LyricOn(notes[2]).first, "three");
    EXPECT_EQ(LyricOn(notes[3]).first, "four");
    EXPECT_FALSE(TheTextEntryState().pastePending);
}

TEST_F(LyricTest, AClickOnANoteWithALyricOfTheVerseMakesNothing) {
    const std::vector<EventRecord*> notes = FourNotes();
    ScriptEntries({Entered("la")});
    ClickOn(notes[0]);
    ASSERT_EQ(EntryOpenings(), 1);
    ClickOn(notes[0]);
    EXPECT_EQ(EntryOpenings(), 1);
    EXPECT_EQ(LyricsOf(notes[0]).size(), 1u);
    // Another verse on the same note is typed.
    TheLyricState().verseMask = 0x4;
    ScriptEntries({Entered("lo")});
    ClickOn(notes[0]);
    ASSERT_EQ(LyricsOf(notes[0]).size(), 2u);
}

TEST_F(LyricTest, TabOnALyricRetypesItAndEachSyllableIsOneUndoStep) {
    const std::vector<EventRecord*> notes = FourNotes();
    const int depth = UndoDepth(doc_);
    ScriptEntries({Typed("ky "), Entered("ri")});
    ClickOn(notes[0]);
    EXPECT_EQ(UndoDepth(doc_), depth + 2);
    TextObject* lyric = LyricsOf(notes[0])[0];
    ScriptEntries({Entered("Ky")});
    EXPECT_EQ(ClassOf(&lyric->header).OnKey(&lyric->header, view_, 0x09), 1);
    EXPECT_EQ(StringOf(&lyric->header), "Ky");
    EXPECT_EQ(UndoDepth(doc_), depth + 3);
    // Escape while retyping keeps the old syllable and adds no step.
    ScriptEntries({[](DialogDriver& d) {
        d.Type(kEntryEdit, "xx");
        d.PressEscape();
    }});
    ClassOf(&lyric->header).OnKey(&lyric->header, view_, 0x0D);
    EXPECT_EQ(StringOf(&lyric->header), "Ky");
    EXPECT_EQ(UndoDepth(doc_), depth + 3);
}

TEST_F(LyricTest, CtrlDraggingALyricMovesItsWholeVerseLine) {
    const std::vector<EventRecord*> notes = FourNotes();
    TheLyricState().verseMask = 0x4;  // verse 2
    ScriptEntries({Typed("a "), Entered("b")});
    ClickOn(notes[0]);
    TheLyricState().verseMask = 0x1;  // verse 0 on the third note
    ScriptEntries({Entered("c")});
    ClickOn(notes[2]);
    TextObject* first = LyricsOf(notes[0])[0];
    TextObject* second = LyricsOf(notes[1])[0];
    TextObject* other = LyricsOf(notes[2])[0];
    ASSERT_EQ(LyricVerse(second), 2);
    const int32_t secondY = TextObjectAnchorPoint(&second->header, view_).y;
    const int32_t otherY = TextObjectAnchorPoint(&other->header, view_).y;
    const int16_t level = static_cast<int16_t>(doc_->header.lyricLevels[2]);
    TheSelectionState()->dragOffsetY = 100;
    win::headless::SetKeyDown(win::Key::Control, true);
    ClassOf(&first->header).TrackDrag(&first->header, view_);
    // Every verse-2 lyric follows; verse 0 stays.
    EXPECT_EQ(static_cast<int16_t>(doc_->header.lyricLevels[2]), level + 100);
    EXPECT_EQ(TextObjectAnchorPoint(&second->header, view_).y, secondY + 100);
    EXPECT_EQ(TextObjectAnchorPoint(&other->header, view_).y, otherY);
    // With Shift held as well the line stays.
    win::headless::SetKeyDown(win::Key::Shift, true);
    ClassOf(&first->header).TrackDrag(&first->header, view_);
    EXPECT_EQ(static_cast<int16_t>(doc_->header.lyricLevels[2]), level + 100);
    win::headless::SetKeyDown(win::Key::Shift, false);
    win::headless::SetKeyDown(win::Key::Control, false);
}

TEST_F(LyricTest, ResettingALyricPutsItHalfAHeadRightOfItsNoteOnItsLine) {
    const std::vector<EventRecord*> notes = FourNotes();
    ScriptEntries({Typed("dominus ")});
    ClickOn(notes[0]);
    TextObject* lyric = LyricsOf(notes[0])[0];
    SetLyricOffsets(lyric, 300, -40);
    view_->glyphWidths.black = 150;
    const int depth = UndoDepth(doc_);
    // With Ctrl held nothing is reset.
    win::headless::SetKeyDown(win::Key::Control, true);
    ClassOf(&lyric->header).Invalidate(&lyric->header, view_);
    win::headless::SetKeyDown(win::Key::Control, false);
    EXPECT_EQ(LyricXOffset(lyric), 300);
    ClassOf(&lyric->header).Invalidate(&lyric->header, view_);
    EXPECT_EQ(LyricXOffset(lyric), 75);
    int16_t y = 0;
    std::memcpy(&y, reinterpret_cast<const std::byte*>(&lyric->body.location) + 6, sizeof y);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(UndoDepth(doc_), depth + 1);
}

// The view of the typing has a window. While a syllable is typed its cell's lyrics
// are drawn straight onto it, the new one still empty (shown as "?"); each window
// that closes must leave the place of its syllable to be painted again. The window
// keeps what it was asked to paint (the entry windows' loops hand it its paints).
class LyricRepaintTest : public LyricTest {
  protected:
    void SetUp() override {
        LyricTest::SetUp();
        auto painted = painted_;
        window_ = ::ql::testing::OpenWindowOfProcedure(
            "QLLyricRepaintTest", 2000, 1000,
            [painted](win::WindowHandle w, win::Message m, uint32_t word, intptr_t data) {
                if (m == win::Message::Paint) painted->push_back(win::GetUpdateRect(w));
                return win::DefaultWindowProc(w, m, word, data);
            });
        view_->ViewWindow = window_;
        State().documents.ActiveView = view_;
    }
    void TearDown() override {
        EndViewDrawAll(view_);
        ReleaseViewDrawing(view_);
        LyricTest::TearDown();
    }
    // The window as if painted: nothing left to paint, and nothing painted since.
    void Painted() {
        win::ValidateRect(window_, nullptr);
        painted_->clear();
    }
    LogicalPoint PlaceOf(TextObject* lyric) { return TextObjectAnchorPoint(&lyric->header, view_); }
    // True when the place of a lyric was painted or is left to be painted since Painted.
    ::testing::AssertionResult LeftToPaint(TextObject* lyric) { return LeftToPaint(PlaceOf(lyric)); }
    ::testing::AssertionResult LeftToPaint(LogicalPoint at) {
        gfx::Point point{at.x, at.y};
        BeginViewDraw(view_);
        const bool mapped = view_->ViewDC && gfx::LogicalToDevice(view_->ViewDC, &point, 1);
        EndViewDraw(view_);
        if (!mapped) return ::testing::AssertionFailure() << "the view has no mapping";
        std::vector<win::Rect> areas = *painted_;
        areas.push_back(win::GetUpdateRect(window_));
        for (const win::Rect& area : areas)
            if (point.x >= area.left && point.x < area.right && point.y >= area.top && point.y < area.bottom)
                return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "(" << point.x << ", " << point.y << ") is painted by none of "
                                             << areas.size() << " areas";
    }

    win::WindowHandle window_{};
    std::shared_ptr<std::vector<win::Rect>> painted_ = std::make_shared<std::vector<win::Rect>>();
};

TEST_F(LyricRepaintTest, EachTypedSyllableIsLeftToBePaintedAgain) {
    const std::vector<EventRecord*> notes = FourNotes();
    ScriptEntries({[this](DialogDriver& d) {
                       Painted();
                       d.Type(kEntryEdit, "do ");
                   },
                   [this, &notes](DialogDriver& d) {
                       EXPECT_TRUE(LeftToPaint(LyricsOf(notes[0])[0])) << "the first syllable";
                       Painted();
                       d.Type(kEntryEdit, "re");
                       d.PressEnter();
                   }});
    ClickOn(notes[0]);
    ASSERT_EQ(LyricOn(notes[1]).first, "re");
    EXPECT_TRUE(LeftToPaint(LyricsOf(notes[1])[0])) << "the syllable closed with Enter";
}

TEST_F(LyricRepaintTest, ADroppedSyllableIsLeftToBePaintedAway) {
    const std::vector<EventRecord*> notes = FourNotes();
    LogicalPoint dropped{};
    ScriptEntries({Typed("do "), [this, &notes, &dropped](DialogDriver& d) {
                       // The empty lyric being typed stands under the second note.
                       ASSERT_EQ(LyricsOf(notes[1]).size(), 1u);
                       dropped = PlaceOf(LyricsOf(notes[1])[0]);
                       Painted();
                       d.Type(kEntryEdit, "re");
                       d.PressEscape();
                   }});
    ClickOn(notes[0]);
    ASSERT_TRUE(LyricsOf(notes[1]).empty());
    EXPECT_TRUE(LeftToPaint(dropped));
}

TEST_F(LyricRepaintTest, ARetypedSyllableIsLeftToBePaintedAgain) {
    const std::vector<EventRecord*> notes = FourNotes();
    ScriptEntries({Entered("ky")});
    ClickOn(notes[0]);
    TextObject* lyric = LyricsOf(notes[0])[0];
    Painted();
    ScriptEntries({Entered("Kyrie")});
    EXPECT_EQ(ClassOf(&lyric->header).OnKey(&lyric->header, view_, 0x09), 1);
    EXPECT_EQ(StringOf(&lyric->header), "Kyrie");
    EXPECT_TRUE(LeftToPaint(lyric));
}

// A lyric's handle is its rectangle, whose centre stands above the verse line: let
// go of where it stands the lyric stays on its line, and a drag moves it by as much.
TEST_F(LyricTest, ALyricLetGoOfStaysOnItsLineAndADragMovesItByAsMuch) {
    const std::vector<EventRecord*> notes = FourNotes();
    ScriptEntries({Entered("la")});
    ClickOn(notes[0]);
    TextObject* lyric = LyricsOf(notes[0])[0];
    ScoreObject* object = &lyric->header;
    lyric->body.width = 400;
    lyric->body.height = 256;
    const LogicalPoint placed = TextObjectAnchorPoint(object, view_);
    EXPECT_EQ(DragAndLetGo(object, LogicalPoint{0, 0}), placed) << "the lyric left its line when let go";
    EXPECT_EQ(DragAndLetGo(object, LogicalPoint{0, 0}), placed);
    const LogicalPoint moved = DragAndLetGo(object, LogicalPoint{32, 64});
    EXPECT_EQ(moved.x, placed.x + 32);
    EXPECT_EQ(moved.y, placed.y + 64);
}

TEST_F(LyricTest, TheVerseIsTheLowestBitOfTheMask) {
    uint8_t mask = 0x6;
    EXPECT_EQ(VerseOfMask(mask), 1);
    mask = 0;
    EXPECT_EQ(VerseOfMask(mask), 0);
    // A mask of 16 or more is reset to 0.
    mask = 0x12;
    EXPECT_EQ(VerseOfMask(mask), 0);
    EXPECT_EQ(mask, 0);
}

}  // namespace
}  // namespace ql::testing_texts
