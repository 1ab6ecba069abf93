// Text objects: header and footer variables, the display text, glyph flips, the
// stored form with its old-version conversions, keys with their undo verbs, edit
// commands, style steps and string copies.
#include "core/text/text_object.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "core/tests/model/model_fixture.h"
#include "core/undo/undo.h"

namespace ql::testing_model {
namespace {

// A byte sink and source standing in for the score file.
std::vector<uint8_t> g_file;
size_t g_readAt = 0;
int WriteToMemory(const void* bytes, uint32_t count) {
    auto* p = static_cast<const uint8_t*>(bytes);
    g_file.insert(g_file.end(), p, p + count);
    return 1;
}
int ReadFromMemory(void* buffer, uint32_t count) {
    if (g_readAt + count > g_file.size()) return 0;
    std::memcpy(buffer, g_file.data() + g_readAt, count);
    g_readAt += count;
    return 1;
}
uint64_t MemoryBytesLeft() {
    return g_file.size() - g_readAt;
}
int FailingWrite(const void*, uint32_t) {
    return 0;
}

std::tm Moment(int year, int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}

class TextObjectTest : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        RegisterTextObjectClasses();
        SetCurrentPoolSet(doc_->pools);
        g_file.clear();
        g_readAt = 0;
    }
    void TearDown() override {
        State().drawing.PagePaintingFlag = 0;
        State().files.FileVersion = 0;
        ModelTest::TearDown();
    }
    TextObject* MakeText(const char* string, ObjectType type = ObjectType::ImageText) {
        auto* text = AsTextObject(ConstructObject(TypeCode(ObjectType::ImageText)));
        EXPECT_NE(text, nullptr);
        text->header.type = TypeCode(type);
        if (string != nullptr) {
            EXPECT_GE(SetTextObjectString(text, string), 2);
            text->body.flags |= kTextOwnsString;
        }
        return text;
    }
    TextObject* MakeGlyph(uint8_t code, ObjectType type) {
        TextObject* text = MakeText(nullptr, type);
        text->body.string = code;
        return text;
    }
    std::string Expand(const char* source, const std::tm& now = Moment(2026, 3, 7, 14, 5)) {
        std::string out;
        ExpandTextVariablesAt(view_, source, now, &out);
        return out;
    }
    std::string Display(TextObject* text) {
        return TheTextObjectClass().GetDisplayText(&text->header, view_);
    }
    // Pages numbered 1..count linked after each other; returns page `current`.
    ScorePage* PageRun(int count, int current) {
        ScorePage* chosen = nullptr;
        ScorePage* previous = nullptr;
        for (int n = 1; n <= count; ++n) {
            ScorePage* page = AllocPageRecord(sizeof(ScorePage));
            page->pageNumber = static_cast<int16_t>(n);
            if (previous != nullptr) {
                previous->next = Ref32<ScorePage>::To(page);
                page->previous = Ref32<ScorePage>::To(previous);
            }
            if (n == current) chosen = page;
            previous = page;
        }
        return chosen;
    }
    const UndoRecord* TopUndo() const { return doc_->undoStack; }
};

// ---- Variables ----

// On page 2 of pages 1..5, "%page" is 2 and "%pages" 5, each followed by the rest.
TEST_F(TextObjectTest, PageAndPagesExpandFromTheRun) {
    view_->currentPage = PageRun(5, 2);
    EXPECT_EQ(Expand("Page %page of %pages."), "Page 2 of 5.");
    EXPECT_EQ(Expand("%pages%page"), "52");
}

// Today and now in the fixed formats, with months from 1 and full years.
TEST_F(TextObjectTest, TodayAndNowInFixedFormats) {
    std::tm now = Moment(2026, 3, 7, 14, 5);
    EXPECT_EQ(Expand("%mmddyyyy", now), "03/07/2026");
    EXPECT_EQ(Expand("%mmddyy", now), "03/07/26");
    EXPECT_EQ(Expand("%ddmmyyyy", now), "07/03/2026");
    EXPECT_EQ(Expand("%ddmmyy", now), "07/03/26");
    EXPECT_EQ(Expand("%date", now), "03/07/26");
    EXPECT_EQ(Expand("%time", now), "14:05");
    EXPECT_EQ(Expand("at %time.", Moment(2009, 12, 31, 0, 0)), "at 00:00.");
}

// The document's creation time is kept with months from 0 and years from 1900.
TEST_F(TextObjectTest, CreationTimeConvertsMonthAndYear) {
    int32_t* c = doc_->created;
    c[1] = 5;    // minute
    c[2] = 9;    // hour
    c[3] = 15;   // day
    c[4] = 0;    // January
    c[5] = 126;  // 2026
    EXPECT_EQ(Expand("%filetime"), "09:05");
    EXPECT_EQ(Expand("%filemmddyyyy"), "01/15/2026");
    EXPECT_EQ(Expand("%fileddmmyyyy"), "15/01/2026");
    EXPECT_EQ(Expand("%filemmddyy"), "01/15/26");
    EXPECT_EQ(Expand("%fileddmmyy"), "15/01/26");
    EXPECT_EQ(Expand("%filedate"), "01/15/26");
}

// Creation fields from a damaged file are clamped to the calendar before they are
// shown: no field overflows and the text is still a date and a time.
TEST_F(TextObjectTest, CreationFieldsOutOfRangeAreClamped) {
    int32_t* c = doc_->created;
    for (int i = 1; i <= 5; ++i) c[i] = INT32_MAX;
    EXPECT_EQ(Expand("%filemmddyyyy %filetime"), "12/31/9999 23:59");
    for (int i = 1; i <= 5; ++i) c[i] = INT32_MIN;
    EXPECT_EQ(Expand("%fileddmmyyyy %filetime"), "01/01/0000 00:00");
    EXPECT_EQ(Expand("%filedate"), "01/01/00");
}

// A new document keeps its creation year as the calendar does (years from 1900),
// so it shows the year it was made in (the fixture made it just now; a new year
// may have begun since).
TEST_F(TextObjectTest, NewDocumentShowsTheYearItWasMadeIn) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    int yearNow = local.tm_year + 1900;
    std::string shown = Expand("%filemmddyyyy");
    ASSERT_EQ(shown.size(), 10u) << shown;
    int year = std::stoi(shown.substr(6));
    EXPECT_TRUE(year == yearNow || year == yearNow - 1) << shown;
}

// A path that contains "%file" is put in once and never expanded again.
TEST_F(TextObjectTest, PathContainingFileVariableIsInsertedOnce) {
    doc_->path = "/home/me/%file/%page.ql";
    view_->currentPage = PageRun(3, 1);
    EXPECT_EQ(Expand("[%file]"), "[/home/me/%file/%page.ql]");
}

// A value holding another variable's name stays as it is.
TEST_F(TextObjectTest, ValueHoldingVariableNameIsNotRescanned) {
    doc_->path = "%pages%date";
    view_->currentPage = PageRun(4, 1);
    EXPECT_EQ(Expand("[%file] %page"), "[%pages%date] 1");
}

// The output is bounded however long the values are.
TEST_F(TextObjectTest, ExpansionIsBounded) {
    doc_->path = std::string(1000, 'p');
    std::string out;
    EXPECT_EQ(ExpandTextVariablesAt(view_, "%file%file%file%file", Moment(2026, 1, 1, 0, 0), &out),
              1);
    EXPECT_EQ(out.size(), static_cast<size_t>(kDisplayTextBytes - 1));
}

// The expanded result loses a leading '%', wherever that '%' came from; a '%'
// anywhere else stays.
TEST_F(TextObjectTest, LeadingPercentOfTheResultIsDropped) {
    std::string out;
    EXPECT_EQ(ExpandTextVariablesAt(view_, "%x", Moment(2026, 1, 1, 0, 0), &out), 0);
    EXPECT_EQ(out, "x");                      // from the text, no variable
    doc_->path = "";
    EXPECT_EQ(Expand("%file%x"), "x");        // after a value that is empty
    doc_->path = "%draft.ql";
    EXPECT_EQ(Expand("%file"), "draft.ql");   // from a value put in
    EXPECT_EQ(Expand("x%file"), "x%draft.ql");  // only at the very start
    view_->currentPage = PageRun(2, 2);
    EXPECT_EQ(Expand("%%page"), "2");         // one '%' goes, the variable stays
    EXPECT_EQ(Expand("%"), "");
    EXPECT_EQ(Expand("50% off"), "50% off");
}

// A full display text still has its full length after the leading '%' goes.
TEST_F(TextObjectTest, DroppedPercentLeavesTheLengthBounded) {
    doc_->path = "%" + std::string(1000, 'p');
    std::string out;
    ExpandTextVariablesAt(view_, "%file", Moment(2026, 1, 1, 0, 0), &out);
    EXPECT_EQ(out, std::string(kDisplayTextBytes - 1, 'p'));   // from a value
    std::string text = "%" + std::string(1000, 'a');
    EXPECT_EQ(Expand(text.c_str()), std::string(kDisplayTextBytes - 1, 'a'));  // from the text
}

// ---- Display text ----

// Variables are expanded only while pages are painted; the pooled string stays.
TEST_F(TextObjectTest, DisplayTextExpandsOnlyWhilePainting) {
    view_->currentPage = PageRun(2, 2);
    TextObject* text = MakeText("p. %page");
    EXPECT_EQ(Display(text), "p. %page");
    State().drawing.PagePaintingFlag = 1;
    EXPECT_EQ(Display(text), "p. 2");
    EXPECT_STREQ(TextObjectString(text), "p. %page");
}

// A short repeat-ending number gets a point on a copy; the stored text stays.
TEST_F(TextObjectTest, RepeatEndingNumberGetsPointOnACopy) {
    TextObject* one = MakeText("1", ObjectType::RepeatEnding);
    EXPECT_EQ(Display(one), "1.");
    EXPECT_EQ(Display(one), "1.");
    EXPECT_STREQ(TextObjectString(one), "1");
    EXPECT_EQ(Display(MakeText("1.", ObjectType::RepeatEnding)), "1.");
    EXPECT_EQ(Display(MakeText("1-3", ObjectType::RepeatEnding)), "1-3");
    EXPECT_EQ(Display(MakeText(" 2", ObjectType::RepeatEnding)), " 2");
    EXPECT_EQ(Display(MakeText("1", ObjectType::ImageText)), "1");
}

// Clef glyphs: kinds 10, 12, 13 and 14 show "<", kind 11 nothing (so "?").
TEST_F(TextObjectTest, ClefGlyphsByKind) {
    TextObject* clef = MakeGlyph('&', ObjectType::Clef);
    clef->body.flags |= kTextMusicGlyph;
    clef->body.charset = 12;
    EXPECT_EQ(Display(clef), "<");
    clef->body.charset = 11;
    EXPECT_EQ(Display(clef), "?");
    clef->body.charset = 3;
    EXPECT_EQ(Display(clef), "&");
    clef->body.flags &= static_cast<uint16_t>(~kTextMusicGlyph);
    clef->body.charset = 12;
    EXPECT_EQ(Display(clef), "&");
}

// A string that does not resolve, or a character 0, shows "?".
TEST_F(TextObjectTest, MissingStringShowsQuestionMark) {
    TextObject* text = MakeText(nullptr);
    EXPECT_EQ(Display(text), "?");
    text->body.flags |= kTextOwnsString;
    text->body.stringPool = 8;
    text->body.string = 0x7FF0;
    EXPECT_EQ(Display(text), "?");
}

// A stale handle that names a live record of another kind, with no terminator in
// its slot, is no string: nothing is read beyond the slot.
TEST_F(TextObjectTest, RecordWithoutTerminatorIsNoString) {
    constexpr int kSmallPool = 2;
    auto* other = static_cast<char*>(AllocRecord(kSmallPool));
    ASSERT_NE(other, nullptr);
    std::memset(other, 'x', PoolSlotBytes(kSmallPool));
    TextObject* text = MakeText(nullptr);
    text->body.flags |= kTextOwnsString;
    text->body.stringPool = kSmallPool;
    text->body.string = PtrToHandle(kSmallPool, other).bits;
    EXPECT_EQ(TextObjectString(text), nullptr);
    EXPECT_EQ(Display(text), "?");
    EXPECT_EQ(WriteTextObjectString(text, WriteToMemory), kTextWriteResultBase);
}

// ---- Glyph flips ----

// The 'F' pairs: 141 and 142 flip, 143 and 138 flip, 216 and 217 flip, 213 goes
// to 163; self-paired and unknown codes stay.
TEST(ArticulationGlyphs, FlipsFollowThePairs) {
    EXPECT_EQ(FlippedArticulationGlyph(141), 142);
    EXPECT_EQ(FlippedArticulationGlyph(142), 141);
    EXPECT_EQ(FlippedArticulationGlyph(143), 138);
    EXPECT_EQ(FlippedArticulationGlyph(138), 143);
    EXPECT_EQ(FlippedArticulationGlyph(216), 217);
    EXPECT_EQ(FlippedArticulationGlyph(217), 216);
    EXPECT_EQ(FlippedArticulationGlyph(213), 163);
    EXPECT_EQ(FlippedArticulationGlyph(215), 165);
    EXPECT_EQ(FlippedArticulationGlyph(139), 139);
    EXPECT_EQ(FlippedArticulationGlyph(137), 137);
    EXPECT_EQ(FlippedArticulationGlyph(160), 160);  // offset 22: no pair
}

// ---- Stored form ----

// The record is 24 bytes in field order, then the length and the string.
TEST_F(TextObjectTest, StoredFormLaysOutFieldsLittleEndian) {
    TextObject* text = MakeText("Allegro");
    text->body.location = ObjectLocation{0x11223344, 0x55, 3, 0x0102};
    text->body.size = -200;
    text->body.style = 7;
    text->body.charset = 2;
    text->body.width = 0x12345;
    text->body.height = 300;
    text->body.extra = 0xBEEF;
    EXPECT_EQ(WriteTextObjectString(text, WriteToMemory), 7 + kTextWriteResultBase);
    ASSERT_EQ(g_file.size(), kTextRecordBytes + 2 + 7);
    EXPECT_EQ(g_file[0], 0x44);
    EXPECT_EQ(g_file[3], 0x11);
    EXPECT_EQ(g_file[4], 0x55);
    EXPECT_EQ(g_file[5], 3);
    EXPECT_EQ(g_file[6], 0x02);
    EXPECT_EQ(g_file[8], kTextOwnsString);
    EXPECT_EQ(static_cast<int16_t>(g_file[10] | (g_file[11] << 8)), -200);
    EXPECT_EQ(g_file[12], 7);
    EXPECT_EQ(g_file[13], 2);
    EXPECT_EQ(g_file[14] | (g_file[15] << 8), 0x2345);
    EXPECT_EQ(g_file[18] | (g_file[19] << 8), 0);
    EXPECT_EQ(g_file[20] | (g_file[21] << 8), 0xBEEF);
    EXPECT_EQ(g_file[24] | (g_file[25] << 8), 7);
    EXPECT_EQ(std::string(g_file.begin() + 26, g_file.end()), "Allegro");
}

// A current-version record reads back the same fields and a fresh string copy.
TEST_F(TextObjectTest, StoredFormRoundTrips) {
    TextObject* text = MakeText("Fine");
    text->body.flags |= kTextBold | kTextGlyphByHand;
    text->body.extra = 77;
    text->body.size = 321;
    WriteTextObjectString(text, WriteToMemory);
    State().files.FileVersion = kExtraWordFileVersion;
    TextObject* back = MakeText(nullptr);
    EXPECT_EQ(ReadTextObjectString(back, ReadFromMemory), kTextReadResult);
    EXPECT_EQ(back->body.flags, text->body.flags);
    EXPECT_EQ(back->body.extra, 77);
    EXPECT_EQ(back->body.size, 321);
    ASSERT_NE(TextObjectString(back), nullptr);
    EXPECT_STREQ(TextObjectString(back), "Fine");
    EXPECT_NE(TextObjectString(back), TextObjectString(text));
}

// Files before version 30 hold no extra word; before version 11 bit 10 and up sat
// two places lower.
TEST_F(TextObjectTest, OldVersionsConvertExtraWordAndFlags) {
    TextObject* text = MakeGlyph(141, ObjectType::NoteArticulation);
    text->body.flags = 0x0C08;  // old bits 10 and 11, and bold
    text->body.extra = 5;
    WriteTextObjectString(text, WriteToMemory);
    State().files.FileVersion = 29;
    TextObject* v29 = MakeText(nullptr);
    ReadTextObjectString(v29, ReadFromMemory);
    EXPECT_EQ(v29->body.extra, 0);
    EXPECT_EQ(v29->body.flags, 0x0C08);
    g_readAt = 0;
    State().files.FileVersion = 10;
    TextObject* v10 = MakeText(nullptr);
    ReadTextObjectString(v10, ReadFromMemory);
    // Bits 0-9 and 11 stay; the word's bits 10.. land at 12..: 0x0808 + (3 << 12).
    EXPECT_EQ(v10->body.flags, 0x0808 + (0x3 << 12));
    EXPECT_EQ(v10->body.string, 141);  // a single character survives the read
}

// A string that cannot be found is written as no string at all; the object keeps
// its flag (the writer never changes what it writes).
TEST_F(TextObjectTest, MissingStringIsWrittenWithoutLength) {
    TextObject* text = MakeText(nullptr);
    text->body.flags |= kTextOwnsString;
    text->body.stringPool = 8;
    text->body.string = 0x7FF0;
    EXPECT_EQ(WriteTextObjectString(text, WriteToMemory), kTextWriteResultBase);
    EXPECT_EQ(g_file.size(), kTextRecordBytes);
    EXPECT_EQ(g_file[8] & kTextOwnsString, 0);
    EXPECT_NE(text->body.flags & kTextOwnsString, 0);
    EXPECT_EQ(WriteTextObjectString(text, FailingWrite), 0);
}

// Bytes 22-23 of an object that owns a string are 0 (its handle means nothing in a
// file); an object showing one character keeps the character there.
TEST_F(TextObjectTest, StringHandleIsWrittenAsZero) {
    TextObject* owner = MakeText("Fine");
    ASSERT_NE(owner->body.string, 0);
    WriteTextObjectString(owner, WriteToMemory);
    EXPECT_EQ(g_file[22], 0);
    EXPECT_EQ(g_file[23], 0);
    g_file.clear();
    TextObject* glyph = MakeGlyph(141, ObjectType::NoteArticulation);
    WriteTextObjectString(glyph, WriteToMemory);
    EXPECT_EQ(g_file[22], 141);
    EXPECT_EQ(g_file[23], 0);
}

// A string length longer than what the source holds is refused before a record is
// made for it (the armed allocation failure is still waiting afterwards).
TEST_F(TextObjectTest, StringLongerThanTheSourceAllocatesNothing) {
    TextObject* text = MakeText("abcdef");
    WriteTextObjectString(text, WriteToMemory);
    State().files.FileVersion = kExtraWordFileVersion;
    g_file.resize(g_file.size() - 3);  // the stored length says 6, three bytes remain
    g_readAt = 0;
    TextObject* back = MakeText(nullptr);
    FailNextRecordAllocations(1);
    EXPECT_EQ(ReadTextObjectString(back, ScoreByteReader(ReadFromMemory, MemoryBytesLeft)), 0);
    EXPECT_EQ(back->body.flags & kTextOwnsString, 0);
    EXPECT_EQ(AllocRecordBySize(8, nullptr), nullptr);  // the failure was not used up
    FailNextRecordAllocations(0);
}

// Short reads and bad lengths fail; a length of 0 leaves the object without string.
TEST_F(TextObjectTest, BadStoredStringsAreRefused) {
    TextObject* text = MakeText("abc");
    WriteTextObjectString(text, WriteToMemory);
    State().files.FileVersion = kExtraWordFileVersion;
    g_file.pop_back();
    EXPECT_EQ(ReadTextObjectString(MakeText(nullptr), ReadFromMemory), 0);
    g_file.resize(kTextRecordBytes);
    g_file.push_back(0xFF);
    g_file.push_back(0xFF);  // length -1
    g_readAt = 0;
    EXPECT_EQ(ReadTextObjectString(MakeText(nullptr), ReadFromMemory), 0);
    g_file[kTextRecordBytes] = 0;
    g_file[kTextRecordBytes + 1] = 0;
    g_readAt = 0;
    TextObject* empty = MakeText(nullptr);
    EXPECT_EQ(ReadTextObjectString(empty, ReadFromMemory), kTextReadResult);
    EXPECT_EQ(empty->body.flags & kTextOwnsString, 0);
}

// ---- Keys and their undo steps ----

// B, G, I, U toggle their attribute as one "modify" step of type 44, turning a
// style font into an own font.
TEST_F(TextObjectTest, AttributeKeysAreModifySteps) {
    TextObject* text = MakeText("Dolce");
    std::strcpy(doc_->fonts[3].face, "Serif");
    doc_->fonts[3].height = -300;
    EXPECT_EQ(TheTextObjectClass().OnKey(&text->header, view_, 'B'), 1);
    EXPECT_NE(text->body.flags & kTextBold, 0);
    EXPECT_NE(text->body.flags & kTextOwnFont, 0);
    EXPECT_EQ(text->body.size, -300);
    ASSERT_NE(TopUndo(), nullptr);
    EXPECT_EQ(TopUndo()->verb, static_cast<uint8_t>(UndoVerb::Modify));
    EXPECT_EQ(TopUndo()->objectType, TypeCode(ObjectType::ImageText));
    TheTextObjectClass().OnKey(&text->header, view_, 'G');
    EXPECT_NE(text->body.flags & kTextGray, 0);
    UndoCommand(doc_, view_);
    EXPECT_EQ(text->body.flags & kTextGray, 0);
    EXPECT_NE(text->body.flags & kTextBold, 0);
}

// H hides and shows as "hide" steps.
TEST_F(TextObjectTest, HideKeyIsHideStep) {
    TextObject* text = MakeText("rit.");
    TheTextObjectClass().OnKey(&text->header, view_, 'H');
    EXPECT_NE(text->body.flags & kTextHidden, 0);
    ASSERT_NE(TopUndo(), nullptr);
    EXPECT_EQ(TopUndo()->verb, static_cast<uint8_t>(UndoVerb::Hide));
    TheTextObjectClass().OnKey(&text->header, view_, 'H');
    EXPECT_EQ(text->body.flags & kTextHidden, 0);
}

// F flips an articulation glyph as a "flip" step of type 26 and marks it changed by
// hand; on other objects it changes nothing.
TEST_F(TextObjectTest, FlipKeyIsFlipStepOfArticulations) {
    TextObject* accent = MakeGlyph(141, ObjectType::NoteArticulation);
    TheTextObjectClass().OnKey(&accent->header, view_, 'F');
    EXPECT_EQ(accent->body.string, 142);
    EXPECT_NE(accent->body.flags & kTextGlyphByHand, 0);
    ASSERT_NE(TopUndo(), nullptr);
    EXPECT_EQ(TopUndo()->verb, static_cast<uint8_t>(UndoVerb::Flip));
    EXPECT_EQ(TopUndo()->objectType, TypeCode(ObjectType::NoteArticulation));
    int depth = UndoDepth(doc_);
    TextObject* plain = MakeGlyph(141, ObjectType::ImageText);
    TheTextObjectClass().OnKey(&plain->header, view_, 'F');
    EXPECT_EQ(plain->body.string, 141);
    EXPECT_EQ(UndoDepth(doc_), depth);
}

// Home toggles the staff-y flag of note-attached objects only, as a "move" step.
TEST_F(TextObjectTest, HomeKeyTogglesYFromStaffOfNoteAttachedObjects) {
    TextObject* lyric = MakeText("la");
    lyric->header.subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
    TheTextObjectClass().OnKey(&lyric->header, view_, 36);
    EXPECT_NE(lyric->body.flags & kTextYFromStaff, 0);
    ASSERT_NE(TopUndo(), nullptr);
    EXPECT_EQ(TopUndo()->verb, static_cast<uint8_t>(UndoVerb::Move));
    TextObject* free = MakeText("la");
    uint16_t before = free->body.flags;
    EXPECT_EQ(TheTextObjectClass().OnKey(&free->header, view_, 36), 1);
    EXPECT_EQ(free->body.flags, before);
}

// 'O' closes exactly the undo step it opens: an edit bracket around the key stays
// open until its own end.
TEST_F(TextObjectTest, OwnershipKeyClosesOnlyItsOwnStep) {
    TextObject* text = MakeText("rall.");
    const uint8_t type = TypeCode(ObjectType::ImageText);
    BeginUndoableEdit(doc_, 0, 0, 0, view_, UndoKind::Item, type, UndoVerb::Modify);
    EXPECT_EQ(TheTextObjectClass().OnKey(&text->header, view_, 'O'), 1);
    EXPECT_EQ(doc_->undoState.bracketDepth, 1);
    EndUndoableEdit(doc_, 0, 0, 0, view_, UndoKind::Item, type, UndoVerb::Modify);
    EXPECT_EQ(doc_->undoState.bracketDepth, 0);
    TheTextObjectClass().OnKey(&text->header, view_, 'O');
    EXPECT_EQ(doc_->undoState.bracketDepth, 0);
}

// ---- Edit commands and style steps ----

// Shrinking stops above 0 and keeps the sign; growing adds 64 to the magnitude;
// unknown commands change nothing.
TEST_F(TextObjectTest, SizeCommandsKeepSignAndStopAboveZero) {
    TextObject* text = MakeText("f");
    text->body.flags |= kTextOwnFont;
    text->body.size = -64;
    TheTextObjectClass().OnEditCommand(&text->header, view_, kTextCommandShrink, 0);
    EXPECT_EQ(text->body.size, -64);
    TheTextObjectClass().OnEditCommand(&text->header, view_, kTextCommandGrow, 0);
    EXPECT_EQ(text->body.size, -128);
    EXPECT_EQ(TheTextObjectClass().OnEditCommand(&text->header, view_, 7, 0), 1);
    EXPECT_EQ(text->body.size, -128);
}

// Stepping a program style stays within 1..3.
TEST_F(TextObjectTest, StyleStepStaysWithinProgramStyles) {
    TextObject* text = MakeText("p");
    text->body.style = 1;
    TheTextObjectClass().StepValue(&text->header, view_, -1);
    EXPECT_EQ(text->body.style, 1);
    TheTextObjectClass().StepValue(&text->header, view_, 1);
    EXPECT_EQ(text->body.style, 2);
    EXPECT_EQ(text->body.flags & kTextOwnFont, 0);
}

// Stepping past style 3 takes an own font of the fixed size, then grows it by 16.
TEST_F(TextObjectTest, StyleStepPastThreeTakesOwnFont) {
    TextObject* text = MakeText("p");
    text->body.style = 3;
    TheTextObjectClass().StepValue(&text->header, view_, 1);
    EXPECT_NE(text->body.flags & kTextOwnFont, 0);
    EXPECT_EQ(text->body.size, 1538 + 16);
}

// ---- Strings and copies ----

// A clone into another set owns its own copy of the string.
TEST_F(TextObjectTest, CloneDuplicatesTheString) {
    TextObject* text = MakeText("Coda");
    text->header.type = TypeCode(ObjectType::Text);
    ScoreObject* copy = TheTextObjectClass().Clone(&text->header, view_, doc_->pools, doc_->pools);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->type, TypeCode(ObjectType::Text));
    EXPECT_STREQ(TextObjectString(AsTextObject(copy)), "Coda");
    EXPECT_NE(TextObjectString(AsTextObject(copy)), TextObjectString(text));
}

// A source string that cannot be found is copied as "??".
TEST_F(TextObjectTest, CopyOfUnresolvedStringShowsTwoQuestionMarks) {
    TextObject* text = MakeText(nullptr);
    text->body.flags |= kTextOwnsString;
    text->body.stringPool = 8;
    text->body.string = 0x7FF0;
    TextObject* target = MakeText(nullptr);
    EXPECT_EQ(CopyTextObjectBody(target, text->body, doc_->pools, doc_->pools), 1);
    EXPECT_STREQ(TextObjectString(target), "??");
}

// Replacing a string of another size moves it to a fitting pool and frees the old.
TEST_F(TextObjectTest, SetStringMovesToFittingPool) {
    TextObject* text = MakeText("ab");
    char* old = TextObjectString(text);
    int pool = SetTextObjectString(text, std::string(40, 'x').c_str());
    EXPECT_EQ(pool, PoolForSize(41));
    EXPECT_EQ(std::strlen(TextObjectString(text)), 40u);
    EXPECT_FALSE(IsLiveRecord(CurrentPoolSet(), 2, old));
    EXPECT_EQ(SetTextObjectString(text, nullptr), -1);
    SetTextObjectString(text, "");
    EXPECT_STREQ(TextObjectString(text), "?");
}

// Destroying frees the owned string and clears the ownership flag.
TEST_F(TextObjectTest, DestroyFreesOwnedString) {
    TextObject* text = MakeText("tempo");
    char* string = TextObjectString(text);
    int pool = text->body.stringPool;
    DestroyTextObject(text);
    EXPECT_FALSE(IsLiveRecord(CurrentPoolSet(), pool, string));
    EXPECT_EQ(text->body.flags & kTextOwnsString, 0);
}

}  // namespace
}  // namespace ql::testing_model
