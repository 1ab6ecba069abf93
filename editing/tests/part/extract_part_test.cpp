// Extract Part on a four-staff score: the part takes the staves inside the marquee
// up to the last measure that holds anything in them, with their notes, groups and
// transposed keys, in a new score "untitled_PART" that saves and reads back equal;
// the layout dialog keeps or stores the choice; a cell copy that runs out of
// records stops and says so.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/objects/midi_action.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "editing/cell_copy.h"
#include "editing/marquee.h"
#include "editing/part_extraction.h"
#include "editing/part_extraction_internal.h"
#include "editing/part_extraction_resources.h"
#include "editing/tests/marquee_fixture.h"
#include "files/read/score_reader.h"
#include "files/score_file.h"
#include "layout/page_format.h"
#include "layout/spacing/spacing_list.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "objects/chord/chord_symbol.h"
#include "objects/margin/margin_object.h"
#include "objects/midi_marks/midi_marks.h"
#include "objects/stored_classes.h"
#include "objects/text_marks/text_line.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/headless.h"
#include "staves/barline.h"
#include "staves/staff_group_bits.h"

namespace ql::testing_editing {
namespace {

namespace d = extract_part_dialog;

constexpr int kQuarterCode = 10;
constexpr int kHalfStaff = 256;
constexpr int kMeasures = 16;
constexpr int kLastNoteMeasure = 12;

int CountEvents(MeasureCell* cell) {
    int n = 0;
    for (int v = 0; v < 4; ++v)
        for (EventRecord* e = GetVoiceFirstEvent(cell, v); e != nullptr && n < 1000; e = NextEvent(e)) ++n;
    return n;
}

class ExtractPartTest : public MarqueeTest {
  protected:
    void SetUp() override {
        staffCount_ = 4;
        MarqueeTest::SetUp();
        RegisterPartExtractionResources();
        ASSERT_NE(AddMeasures(view_, kMeasures), 0);
        system_ = doc_->firstPage->firstSystem.get();
        ui::headless::SetDialogScript(d::kDialog, [](ui::headless::DialogDriver& dialog) { dialog.Click(ui::kIdOk); });
        // A part ends at its last music; its empty measures stay one by one unless a
        // test asks for multi-measure rests.
        Options().AutoLastBar = 1;
        Options().AutoMMR = 0;
    }
    void TearDown() override {
        ui::headless::SetDialogScript(d::kDialog, {});
        FreeParts();
        ResetProgramOptions();
        MarqueeTest::TearDown();
    }
    static void FreeParts() {
        for (ScoreView* part = Part(); part != nullptr; part = Part()) {
            ScoreDocument* document = part->document;
            FreeView(part);
            FreeDocument(document);
        }
    }
    MeasureCell* Cell(ScoreDocument* document, int staff, int measure) {
        ScopedPoolSet pools(document->pools);
        return GetOrCreateMeasureCell(StaffRecordOf(document, staff), document, measure);
    }
    void Note(int staff, int measure, int tick) {
        ScopedPoolSet pools(doc_->pools);
        ASSERT_NE(AddEventToVoice(view_, Cell(doc_, staff, measure), 0, static_cast<uint16_t>(tick), kQuarterCode, 0),
                  nullptr);
    }
    int32_t Middle(int staff) const { return system_->y + StaffOffsetsOf(system_)[staff] - kHalfStaff; }
    void MarqueeOverStaves(int first, int last) {
        DrawMarquee(system_->x + 400, Middle(first) - 64, system_->x + 1600, Middle(last) + 64);
    }
    static ScoreView* Part() {
        for (ScoreView* v = State().documents.FirstView; v != nullptr; v = v->nextView)
            if (v->document != nullptr && v->document->path == kPartWindowName) return v;
        return nullptr;
    }
    int PartEvents(ScoreDocument* part, int staff) {
        int n = 0;
        ScopedPoolSet pools(part->pools);
        for (int m = 1; m <= part->header.measureCount; ++m) n += CountEvents(Cell(part, staff, m));
        return n;
    }

    const ScoreSystem* system_ = nullptr;
};

// Without a marquee, or with one around no staff, a box says what to select and
// no part is made.
TEST_F(ExtractPartTest, WithoutAMarqueeABoxSaysWhatToSelect) {
    Note(2, 1, 0);
    ExtractPart(view_);
    DrawMarquee(system_->x + 400, Middle(1) + 100, system_->x + 1600, Middle(1) + 120);
    ExtractPart(view_);
    EXPECT_EQ(Part(), nullptr);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 2u);
    for (const auto& box : ui::headless::MessageBoxes())
        EXPECT_EQ(box.text.rfind("Select the staves to extract", 0), 0u) << box.text;
}

// Staves 2 and 3 with notes up to measure 12 (staff 1, outside the marquee, has one
// in measure 16): a part of two staves and 12 measures holding the same notes.
TEST_F(ExtractPartTest, PartHoldsTheSelectedStavesUpToTheirLastNote) {
    for (int m = 1; m <= kLastNoteMeasure; ++m) {
        Note(2, m, 0);
        Note(3, m, 1024);
    }
    Note(3, 5, 2048);
    Note(1, kMeasures, 0);
    MarqueeOverStaves(2, 3);
    ExtractPart(view_);
    ScoreView* part = Part();
    ASSERT_NE(part, nullptr);
    ScoreDocument* doc = part->document;
    EXPECT_EQ(doc->header.staffCount, 2);
    EXPECT_EQ(doc->header.measureCount, kLastNoteMeasure);
    EXPECT_EQ(PartEvents(doc, 1), kLastNoteMeasure);
    EXPECT_EQ(PartEvents(doc, 2), kLastNoteMeasure + 1);
    EXPECT_EQ(doc->partLayoutChoice, 0);  // the document's, not the part's
    EXPECT_EQ(doc_->partLayoutChoice, d::kFromMaster);
}

// "Auto-detect End of Extracted Part" off: the part runs to the score's last
// measure. "Auto MMR's on Part Extract" on: the run of empty measures 2 to 5 becomes
// one multi-measure rest standing for three more.
TEST_F(ExtractPartTest, EndDetectionAndRestsFollowTheirOptions) {
    for (int m = 1; m <= kMeasures; ++m) doc_->measureTable[m].number = static_cast<uint16_t>(m);
    Note(2, 1, 0);
    Note(2, 6, 0);
    MarqueeOverStaves(2, 2);
    Options().AutoLastBar = 0;
    ExtractPart(view_);
    ASSERT_NE(Part(), nullptr);
    EXPECT_EQ(Part()->document->header.measureCount, kMeasures);
    EXPECT_EQ(Part()->document->measureTable[2].extra, 0);
    FreeParts();
    Options().AutoLastBar = 1;
    Options().AutoMMR = 1;
    MarqueeOverStaves(2, 2);  // the extraction ended the focus
    ExtractPart(view_);
    ASSERT_NE(Part(), nullptr);
    EXPECT_EQ(Part()->document->header.measureCount, 6);
    EXPECT_EQ(Part()->document->measureTable[2].extra, 3);
    EXPECT_EQ(PartEvents(Part()->document, 1), 2);
}

// Nothing in the selected staves: the notice, and no part.
TEST_F(ExtractPartTest, EmptyStavesGiveTheNotice) {
    Note(1, 1, 0);
    MarqueeOverStaves(2, 3);
    ExtractPart(view_);
    EXPECT_EQ(Part(), nullptr);
    EXPECT_TRUE(ui::headless::Dialogs().empty());
}

// Brackets of staves 2 (below) and 3 (above and below) give the part's two staves
// below and above; a staff transposed by 14 semitones up gets its key two fifths up.
TEST_F(ExtractPartTest, GroupsAndTransposedKeys) {
    Note(2, 1, 0);
    Note(3, 1, 0);
    {
        ScopedPoolSet pools(doc_->pools);
        SetJoinsStaffBelow(*StaffRecordOf(doc_, 2), GroupKind::Bracket, true);
        SetJoinsStaffAbove(*StaffRecordOf(doc_, 3), GroupKind::Bracket, true);
        SetJoinsStaffBelow(*StaffRecordOf(doc_, 3), GroupKind::Bracket, true);
        StaffRecord* transposed = StaffRecordOf(doc_, 3);
        transposed->semitones = 14;
        transposed->transpositionWord |= 0x0100;  // up
        MeasureCell* first = Cell(doc_, 3, 1);
        first->clefKey = static_cast<uint8_t>((first->clefKey & 0x0F) | CodeOf(KeyCode::C) << 4);
    }
    MarqueeOverStaves(2, 3);
    ExtractPart(view_);
    ScoreView* part = Part();
    ASSERT_NE(part, nullptr);
    ScopedPoolSet pools(part->document->pools);
    const StaffRecord& first = *StaffRecordOf(part->document, 1);
    const StaffRecord& last = *StaffRecordOf(part->document, 2);
    EXPECT_TRUE(JoinsStaffBelow(first, GroupKind::Bracket) && !JoinsStaffAbove(first, GroupKind::Bracket));
    EXPECT_TRUE(JoinsStaffAbove(last, GroupKind::Bracket) && !JoinsStaffBelow(last, GroupKind::Bracket));
    EXPECT_EQ(Cell(part->document, 2, 1)->clefKey >> 4, CodeOf(KeyCode::D));
    EXPECT_EQ(last.semitones, 14);
}

// A staff marked to have its music transposed for the part (2 semitones up) gets
// its notes moved a step up with the key, and the octave taken off is added back.
TEST_F(ExtractPartTest, MarkedStaffHasItsMusicTransposed) {
    Note(2, 1, 0);
    uint8_t sourceStep = 0;
    {
        ScopedPoolSet pools(doc_->pools);
        StaffRecord* staff = StaffRecordOf(doc_, 2);
        staff->semitones = 2;
        staff->transpositionWord |= 0x0100 | 0x0800;  // up, music too
        MeasureCell* first = Cell(doc_, 2, 1);
        first->clefKey = static_cast<uint8_t>((first->clefKey & 0x0F) | CodeOf(KeyCode::C) << 4);
        sourceStep = GetVoiceFirstEvent(first, 0)->step;
    }
    MarqueeOverStaves(2, 2);
    ExtractPart(view_);
    ScoreView* part = Part();
    ASSERT_NE(part, nullptr);
    ScopedPoolSet pools(part->document->pools);
    MeasureCell* first = Cell(part->document, 1, 1);
    EXPECT_EQ(first->clefKey >> 4, CodeOf(KeyCode::D));
    const EventRecord* note = GetVoiceFirstEvent(first, 0);
    ASSERT_NE(note, nullptr);
    EXPECT_NE(note->step, sourceStep);
}

// A record that cannot be had in one cell copy: the part is still made, with the
// other cells whole, and one low-memory report says it is incomplete.
TEST_F(ExtractPartTest, FailedCellCopyGivesOneLowMemoryReport) {
    for (int m = 1; m <= 4; ++m) Note(2, m, 0);
    MarqueeOverStaves(2, 2);
    BeforeCellCopyHook() = [](int staff, int measure) {
        if (staff == 1 && measure == 2) FailNextRecordAllocations(1);
    };
    const int reports = LowMemoryReportCount();
    ExtractPart(view_);
    BeforeCellCopyHook() = nullptr;
    FailNextRecordAllocations(0);
    ScoreView* part = Part();
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(LowMemoryReportCount(), reports + 1);
    ScopedPoolSet pools(part->document->pools);
    EXPECT_EQ(CountEvents(Cell(part->document, 1, 1)), 1);
    EXPECT_EQ(CountEvents(Cell(part->document, 1, 2)), 0);
    EXPECT_EQ(CountEvents(Cell(part->document, 1, 3)), 1);
}

// With page-one items on (the first run's default), a text anchored on page one
// goes with the part; a text of the measures' lists does not come that way.
TEST_F(ExtractPartTest, PageOneTextsGoWithThePart) {
    Note(2, 1, 0);
    // The part's pages get their margin elements, the heads of their object lists.
    ASSERT_TRUE(RegisterObjectType(TypeCode(ObjectType::Margin), {kTextObjectPool, &ConstructMarginObject}));
    RegisterTextLineClass();
    {
        ScopedPoolSet pools(doc_->pools);
        if (!doc_->firstPage->margins) doc_->firstPage->margins = Ref32<ScoreObject>::To(AllocRootObject());
        ScoreObject* object = ConstructObject(TypeCode(ObjectType::Text));
        ASSERT_NE(object, nullptr);
        object->subtype = SubtypeCode(ObjectSubtype::PageList);
        TextObject* text = AsTextObject(object);
        SetTextObjectString(text, "Violin");
        text->body.flags |= kTextOwnsString;
        InsertObjectAfter(doc_->firstPage->margins.get(), object);
    }
    MarqueeOverStaves(2, 2);
    ExtractPart(view_);
    ScoreView* part = Part();
    ASSERT_NE(part, nullptr);
    ScopedPoolSet pools(part->document->pools);
    ASSERT_TRUE(part->document->firstPage->margins);
    int texts = 0;
    for (ScoreObject* o = part->document->firstPage->margins.get()->next.get(); o != nullptr; o = o->next.get())
        texts += o->type == TypeCode(ObjectType::Text);
    EXPECT_EQ(texts, 1);
}

// The part saves through the native writer and reads back with the same shape
// and notes.
TEST_F(ExtractPartTest, PartSavesAndReadsBackEqual) {
    for (int m = 1; m <= 3; ++m) Note(2, m, 0);
    MarqueeOverStaves(2, 2);
    ExtractPart(view_);
    ScoreView* part = Part();
    ASSERT_NE(part, nullptr);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("ql-part-" + std::to_string(::getpid()) + ".ql");
    part->document->path = path.string();
    ASSERT_NE(SaveScoreFile(part->document, part), 0);
    part->document->path = kPartWindowName;
    ScoreLoad load = LoadScoreFile(path.string());
    std::filesystem::remove(path);
    ASSERT_NE(load.document, nullptr);
    EXPECT_EQ(load.document->header.staffCount, 1);
    EXPECT_EQ(load.document->header.measureCount, 3);
    EXPECT_EQ(PartEvents(load.document, 1), 3);
    FreeLoadedScore(load);
}

// The layout dialog: the last selection keeps the stored choice; choosing the
// stored one again also ends as the last selection; another choice is stored; a
// cancelled template chooser keeps the dialog open.
TEST_F(ExtractPartTest, LayoutDialogKeepsOrStoresTheChoice) {
    using ui::headless::DialogDriver;
    auto run = [&](std::function<void(DialogDriver&)> script) {
        ui::headless::SetDialogScript(d::kDialog, std::move(script));
        return RunExtractPartLayoutDialog(view_);
    };
    doc_->partLayoutChoice = d::kNewFileDefaults;
    EXPECT_EQ(run([](DialogDriver& dialog) {
                  EXPECT_EQ(dialog.Text(d::kStoredChoiceText), "Use new file defaults");
                  dialog.Click(ui::kIdOk);
              }),
              1);
    EXPECT_EQ(LastExtractPartChoice(), d::kLastSelection);
    EXPECT_EQ(doc_->partLayoutChoice, d::kNewFileDefaults);
    run([](DialogDriver& dialog) {
        dialog.Click(d::kNewFileDefaults);
        dialog.Click(ui::kIdOk);
    });
    EXPECT_EQ(LastExtractPartChoice(), d::kLastSelection);
    EXPECT_EQ(doc_->partLayoutChoice, d::kNewFileDefaults);
    run([](DialogDriver& dialog) {
        dialog.Click(d::kFromMaster);
        dialog.Click(ui::kIdOk);
    });
    EXPECT_EQ(doc_->partLayoutChoice, d::kFromMaster);
    bool stayedOpen = false;
    EXPECT_EQ(run([&](DialogDriver& dialog) {
                  dialog.Click(d::kFromTemplate);
                  ui::headless::QueueFileDialogAnswer(ui::FileDialogAnswer{});  // cancelled
                  dialog.Click(ui::kIdOk);
                  stayedOpen = dialog.IsOpen();
                  dialog.Click(ui::kIdCancel);
              }),
              2);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(doc_->partLayoutChoice, d::kFromMaster);
}

// A cell copy that cannot have a record stops with 0 and leaves what it copied;
// the caller's pool set and document are back afterwards.
TEST_F(ExtractPartTest, CellCopyStopsWhenARecordFails) {
    Note(2, 1, 0);
    Note(2, 1, 1024);
    ScoreDocument* const keptDocument = State().documents.CurrentDocument;
    const PoolSet keptSet = CurrentPoolSet();
    MeasureCell* from = Cell(doc_, 2, 1);
    MeasureCell* to = Cell(doc_, 3, 2);
    FailRecordAllocationAfter(1);
    EXPECT_EQ(CopyCellBetweenDocuments(doc_, doc_, doc_->pools, doc_->pools, from, to, 0, view_), 0);
    FailNextRecordAllocations(0);
    EXPECT_EQ(State().documents.CurrentDocument, keptDocument);
    EXPECT_EQ(CurrentPoolSet(), keptSet);
    EXPECT_EQ(CopyCellBetweenDocuments(doc_, doc_, doc_->pools, doc_->pools, from, Cell(doc_, 4, 1), 0, view_), 1);
    EXPECT_EQ(CountEvents(Cell(doc_, 4, 1)), 2);
}

// A cell object that gets no record is a failure of the copy (the part reports it).
TEST_F(ExtractPartTest, ObjectThatCannotBeCopiedStopsTheCellCopy) {
    RegisterTextLineClass();
    MeasureCell* from = Cell(doc_, 2, 1);
    MeasureCell* to = Cell(doc_, 3, 1);
    {
        ScopedPoolSet pools(doc_->pools);
        ScoreObject* list = GetOrCreateCellObjectList(from);
        ASSERT_NE(list, nullptr);
        ScoreObject* object = ConstructObject(TypeCode(ObjectType::Text));
        ASSERT_NE(object, nullptr);
        InsertObjectAfter(list, object);
        ASSERT_NE(GetOrCreateCellObjectList(to), nullptr);
    }
    FailNextRecordAllocations(1);
    EXPECT_EQ(CopyCellBetweenDocuments(doc_, doc_, doc_->pools, doc_->pools, from, to, 0, view_), 0);
    FailNextRecordAllocations(0);
    EXPECT_EQ(CopyCellBetweenDocuments(doc_, doc_, doc_->pools, doc_->pools, from, to, 0, view_), 1);
}

// A text whose own font names a face of the score's table names the same face in
// the part's table, where the face is added; a staff's label goes with its staff.
TEST_F(ExtractPartTest, TextFacesAndStaffLabelsGoWithThePart) {
    RegisterTextLineClass();
    Note(2, 1, 0);
    constexpr uint8_t kFace = 9;
    std::snprintf(doc_->faceNames[kFace].name, kFaceNameChars, "%s", "Quaver Garamond");
    auto makeText = [](const char* string) {
        ScoreObject* object = ConstructObject(TypeCode(ObjectType::Text));
        if (object == nullptr) return object;
        SetTextObjectString(AsTextObject(object), string);
        AsTextObject(object)->body.flags |= kTextOwnsString;
        return object;
    };
    {
        ScopedPoolSet pools(doc_->pools);
        ScoreObject* text = makeText("dolce");
        ASSERT_NE(text, nullptr);
        AsTextObject(text)->body.flags |= kTextOwnFont;
        AsTextObject(text)->body.style = kFace;
        InsertObjectAfter(GetOrCreateCellObjectList(Cell(doc_, 2, 1)), text);
        StaffRecord* staff = StaffRecordOf(doc_, 2);
        ASSERT_TRUE(staff->objects);
        ScoreObject* label = makeText("Viola");
        ASSERT_NE(label, nullptr);
        InsertObjectAfter(staff->objects.get(), label);
    }
    MarqueeOverStaves(2, 2);
    ExtractPart(view_);
    ScoreView* part = Part();
    ASSERT_NE(part, nullptr);
    ScoreDocument* partDoc = part->document;
    ScopedPoolSet pools(partDoc->pools);
    ScoreObject* head = Cell(partDoc, 1, 1)->objects.get();
    ASSERT_NE(head, nullptr);
    ScoreObject* copied = head->next.get();
    ASSERT_NE(copied, nullptr);
    const uint8_t face = AsTextObject(copied)->body.style;
    EXPECT_STREQ(partDoc->faceNames[TextFaceIndexOf(face)].name, "Quaver Garamond");
    StaffRecord* partStaff = StaffRecordOf(partDoc, 1);
    ASSERT_TRUE(partStaff->objects);
    ScoreObject* label = partStaff->objects.get()->next.get();
    ASSERT_NE(label, nullptr);
    EXPECT_STREQ(TextObjectString(AsTextObject(label)), "Viola");
}

// The repeat symbols and rehearsal marks of the staves above the part go to its
// first staff once; plain texts and the staves below stay where they are.
TEST_F(ExtractPartTest, MarksOfTheStavesAboveGoToTheFirstStaff) {
    RegisterTextLineClass();
    constexpr uint16_t kSegno = 226;
    constexpr uint16_t kRectangleFrame = 0x0100;
    for (int m = 1; m <= 3; ++m) Note(2, m, 0);
    auto add = [this](int staff, int measure, uint16_t glyph, uint16_t frame, const char* string) {
        ScopedPoolSet pools(doc_->pools);
        ScoreObject* object = ConstructObject(TypeCode(ObjectType::Text));
        if (object == nullptr) return false;
        TextObject* text = AsTextObject(object);
        if (string != nullptr) {
            SetTextObjectString(text, string);
            text->body.flags |= kTextOwnsString;
        } else {
            text->body.string = glyph;
        }
        text->body.flags |= frame;
        InsertObjectAfter(GetOrCreateCellObjectList(Cell(doc_, staff, measure)), object);
        return true;
    };
    ASSERT_TRUE(add(1, 2, kSegno, 0, nullptr));
    ASSERT_TRUE(add(2, 2, kSegno, 0, nullptr));  // on the part's own staff too: taken once
    ASSERT_TRUE(add(1, 2, 0, kRectangleFrame, "A"));
    ASSERT_TRUE(add(1, 3, 0, 0, "cresc."));
    ASSERT_TRUE(add(4, 3, kSegno, 0, nullptr));
    MarqueeOverStaves(2, 3);
    ExtractPart(view_);
    ScoreView* part = Part();
    ASSERT_NE(part, nullptr);
    ScopedPoolSet pools(part->document->pools);
    auto texts = [&](int staff, int measure) {
        int symbols = 0, marks = 0, plain = 0;
        ScoreObject* head = Cell(part->document, staff, measure)->objects.get();
        for (ScoreObject* o = head != nullptr ? head->next.get() : nullptr; o != nullptr; o = o->next.get()) {
            const TextObjectBody& body = AsTextObject(o)->body;
            if ((body.flags & kTextFrameMask) != 0) ++marks;
            else if ((body.flags & kTextOwnsString) == 0 && body.string == kSegno) ++symbols;
            else ++plain;
        }
        return std::vector<int>{symbols, marks, plain};
    };
    EXPECT_EQ(texts(1, 2), (std::vector<int>{1, 1, 0}));
    EXPECT_EQ(texts(1, 3), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(texts(2, 2), (std::vector<int>{0, 0, 0}));
}

// The part's pages take the margins of the header it was made from (here the
// master score's), not the new-file margins they were made with.
TEST_F(ExtractPartTest, PartPagesTakeTheHeaderMargins) {
    Note(2, 1, 0);
    // Pages get their margin elements, which hold the margins.
    ASSERT_TRUE(RegisterObjectType(TypeCode(ObjectType::Margin), {kTextObjectPool, &ConstructMarginObject}));
    constexpr uint16_t kQuarterInch = 0x0025;
    for (int i = 0; i < kMarginCount; ++i) {
        doc_->header.leftMargins[i] = static_cast<uint16_t>(doc_->header.leftMargins[i] + kQuarterInch);
        doc_->header.rightMargins[i] = static_cast<uint16_t>(doc_->header.rightMargins[i] + kQuarterInch);
    }
    MarqueeOverStaves(2, 2);
    ExtractPart(view_);
    ScoreView* part = Part();
    ASSERT_NE(part, nullptr);
    ScopedPoolSet pools(part->document->pools);
    PageMargins left;
    PageMargins right;
    ASSERT_TRUE(GetPageMargins(part->document->leftMaster, &left));
    ASSERT_TRUE(GetPageMargins(part->document->rightMaster, &right));
    for (int i = 0; i < kMarginCount; ++i) {
        EXPECT_EQ(left.words[i], doc_->header.leftMargins[i]) << i;
        EXPECT_EQ(right.words[i], doc_->header.rightMargins[i]) << i;
    }
}


// A measure's spacing list goes with the part entry by entry (seen as the first
// cell is copied: formatting the part spaces its measures again), and the part
// ends with the barline the score has after the part's last measure.
TEST_F(ExtractPartTest, SpacingListsAndTheClosingBarlineGoWithThePart) {
    for (int m = 1; m <= kLastNoteMeasure; ++m) Note(2, m, 0);
    constexpr uint16_t kWide = 0x0300;
    constexpr uint16_t kNarrow = 0x0080;
    constexpr uint8_t kRepeats = 2;
    {
        ScopedPoolSet pools(doc_->pools);
        ASSERT_TRUE(AddSpacingEntry(doc_, 3, SpacingEntry{0, 0, 512, kWide}));
        ASSERT_TRUE(AddSpacingEntry(doc_, 3, SpacingEntry{0, 2048, 1024, kNarrow}));
        SetBarlineTypeAt(doc_, BarlineRef{kLastNoteMeasure + 1, false, false},
                         static_cast<uint8_t>(BarlineType::EndRepeat));
        MeasureRecordOf(doc_, kLastNoteMeasure + 1)->repeatCount = kRepeats;
    }
    std::vector<std::vector<int>> entries;
    BeforeCellCopyHook() = [&entries](int staff, int measure) {
        ScoreView* part = Part();
        if (staff != 1 || measure != 1 || part == nullptr) return;
        ScopedPoolSet pools(part->document->pools);
        const MeasureRecord* third = MeasureRecordOf(part->document, 3);
        for (const SpacingEntry* e = SpacingEntryOf(third->spacing); e != nullptr && entries.size() < 10;
             e = SpacingEntryOf(RecordHandle{e->next}))
            entries.push_back({e->time, e->ticksToNext, e->xPer16Ticks});
    };
    MarqueeOverStaves(2, 2);
    ExtractPart(view_);
    BeforeCellCopyHook() = nullptr;
    ScoreView* part = Part();
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(entries, (std::vector<std::vector<int>>{{0, 512, kWide}, {2048, 1024, kNarrow}}));
    ScopedPoolSet pools(part->document->pools);
    const MeasureRecord* closing = MeasureRecordOf(part->document, kLastNoteMeasure + 1);
    EXPECT_EQ(BarlineTypeOf(*closing), static_cast<uint8_t>(BarlineType::EndRepeat));
    EXPECT_EQ(closing->repeatCount, kRepeats);
}

// With voice 2 alone selected, the part takes that voice only and beams its
// eighths again, as a paste of some voices does.
TEST_F(ExtractPartTest, PartOfSomeVoicesIsBeamedAgain) {
    Note(2, 1, 0);
    {
        ScopedPoolSet pools(doc_->pools);
        for (int k = 0; k < 4; ++k)
            ASSERT_NE(AddEventToVoice(view_, Cell(doc_, 2, 1), 1, static_cast<uint16_t>(k * 512), kDurationEighth, 2),
                      nullptr);
    }
    view_->voiceMask = 0b0010;
    MarqueeOverStaves(2, 2);
    ExtractPart(view_);
    view_->voiceMask = 0;
    ScoreView* part = Part();
    ASSERT_NE(part, nullptr);
    ScopedPoolSet pools(part->document->pools);
    MeasureCell* cell = Cell(part->document, 1, 1);
    EXPECT_EQ(GetVoiceFirstEvent(cell, 0), nullptr);
    EventRecord* first = GetVoiceFirstEvent(cell, 1);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(static_cast<bool>(first->beamNext)) << "the copied eighths are beamed";
}

// A document under its copy lock takes no cell; once the lock is off it does.
TEST_F(ExtractPartTest, CopyLockedDocumentTakesNoCell) {
    Note(2, 1, 0);
    Note(2, 1, 1024);
    MeasureCell* from = Cell(doc_, 2, 1);
    MeasureCell* to = Cell(doc_, 4, 1);
    doc_->clearedFlags[1] = 1;
    EXPECT_EQ(CopyCellBetweenDocuments(doc_, doc_, doc_->pools, doc_->pools, from, to, 0, view_), 0);
    EXPECT_EQ(CountEvents(Cell(doc_, 4, 1)), 0);
    doc_->clearedFlags[1] = 0;
    EXPECT_EQ(CopyCellBetweenDocuments(doc_, doc_, doc_->pools, doc_->pools, from, to, 0, view_), 1);
    EXPECT_EQ(CountEvents(Cell(doc_, 4, 1)), 2);
}

// Tempo marks and chord symbols of the staves above go to the part's first staff
// once; a dynamic for all staves always, one for a group only when the offering
// staff shares a brace or bracket group with the first selected staff.
TEST_F(ExtractPartTest, TempoChordsAndDynamicsOfTheStavesAbove) {
    RegisterStoredObjectClasses();
    constexpr uint16_t kForte = 165;
    constexpr uint16_t kPiano = 160;
    constexpr uint8_t kAllStaves = 1;
    constexpr uint8_t kThisGroup = 2;
    for (int m = 1; m <= 2; ++m)
        for (int s = 2; s <= 4; ++s) Note(s, m, 0);
    auto add = [this](int staff, ObjectType type, uint16_t glyph, int value) {
        ScopedPoolSet pools(doc_->pools);
        ScoreObject* object = ConstructObject(TypeCode(type));
        if (object == nullptr) return false;
        if (type == ObjectType::Chord) {
            AsChordSymbol(object)->chord.root = static_cast<uint8_t>(value);
        } else {
            AsTextObject(object)->body.string = glyph;
            AsTextObject(object)->body.flags &= static_cast<uint16_t>(~kTextOwnsString);
            MidiAction& action = *MidiActionOfText(object);
            if (type == ObjectType::Dynamic) action.destinationTiming = static_cast<uint8_t>(value);
            else action.head.values.value = static_cast<int16_t>(value);
        }
        InsertObjectAfter(GetOrCreateCellObjectList(Cell(doc_, staff, 2)), object);
        return true;
    };
    ASSERT_TRUE(add(1, ObjectType::Tempo, kTempoSymbol, 96));
    ASSERT_TRUE(add(2, ObjectType::Tempo, kTempoSymbol, 96));  // equal: taken once
    ASSERT_TRUE(add(1, ObjectType::Tempo, kTempoSymbol, 60));
    ASSERT_TRUE(add(1, ObjectType::Chord, 0, 4));
    ASSERT_TRUE(add(1, ObjectType::Dynamic, kForte, kAllStaves));
    ASSERT_TRUE(add(1, ObjectType::Dynamic, kPiano, kThisGroup));
    {
        ScopedPoolSet pools(doc_->pools);
        SetJoinsStaffBelow(*StaffRecordOf(doc_, 1), GroupKind::Brace, true);
        SetJoinsStaffAbove(*StaffRecordOf(doc_, 2), GroupKind::Brace, true);
    }
    // The types of the part's first staff's objects in measure 2, by type code.
    auto extract = [this](int first, int last) {
        MarqueeOverStaves(first, last);
        ExtractPart(view_);
        std::vector<int> counts(kObjectTypeCount, 0);
        ScoreView* part = Part();
        if (part == nullptr) return counts;
        {
            ScopedPoolSet pools(part->document->pools);
            ScoreObject* head = Cell(part->document, 1, 2)->objects.get();
            for (ScoreObject* o = head != nullptr ? head->next.get() : nullptr; o != nullptr; o = o->next.get())
                ++counts[o->type];
        }
        ScoreDocument* document = part->document;
        FreeView(part);
        FreeDocument(document);
        return counts;
    };
    const std::vector<int> grouped = extract(2, 3);
    EXPECT_EQ(grouped[TypeCode(ObjectType::Tempo)], 2);
    EXPECT_EQ(grouped[TypeCode(ObjectType::Chord)], 1);
    EXPECT_EQ(grouped[TypeCode(ObjectType::Dynamic)], 2);
    const std::vector<int> apart = extract(3, 4);
    EXPECT_EQ(apart[TypeCode(ObjectType::Tempo)], 2);
    EXPECT_EQ(apart[TypeCode(ObjectType::Chord)], 1);
    EXPECT_EQ(apart[TypeCode(ObjectType::Dynamic)], 1) << "staves 1 and 2 share no group with staff 3";
}

}  // namespace
}  // namespace ql::testing_editing
