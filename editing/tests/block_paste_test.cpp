// The block paste: what the destination voices hold afterwards (a dump of every
// event of the score), that undo gives the pools back byte for byte, and that each
// refusal changes nothing.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/text/text_object.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "editing/block_clipboard.h"
#include "editing/block_edit.h"
#include "editing/tests/marquee_score.h"
#include "notes/handler/notes_tool.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "layout/page_format.h"
#include "core/ui/status_bar.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/window.h"
#include "shell/program/core_startup.h"

namespace ql {
namespace {

using marquee_score::MarqueeScore;
constexpr int kStaves = 3;
constexpr int kMeasures = 8;  // two systems of four

class BlockPasteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(score_.ok());
        doc_ = score_.document();
        view_ = score_.view();
        ClearBlockClipboard();
        MakeStatusBar();
    }
    // A frame with a status bar, so that the notices can be read back.
    void MakeStatusBar() {
        win::headless::ResetWindowLayer();
        win::WindowClass frameClass;
        frameClass.name = "BlockFrame";
        frameClass.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(frameClass);
        win::WindowParams params;
        params.className = "BlockFrame";
        params.style = win::kStyleVisible | win::kStyleOverlappedWindow;
        params.rect = {0, 0, 600, 300};
        const platform::WindowHandle frame = win::CreateWindow(params);
        State().dialogs.FrameWindow = frame;
        CreateStatusBar(frame);
        LayoutStatusBar(frame);
    }
    void TearDown() override {
        ClearBlockClipboard();
        if (second_ != nullptr) FreeDocument(second_);
        if (secondView_ != nullptr) FreeView(secondView_);
        SetCurrentPoolSet(doc_->pools);
    }

    // A second score like the first, with the same notes; the first stays current.
    void MakeSecondScore() {
        secondView_ = InitView(AllocView());
        ASSERT_NE(secondView_, nullptr);
        LinkView(secondView_);
        second_ = AllocDocument();
        ASSERT_TRUE(beatmap_score::Build(second_, secondView_, kStaves, {2}, 4));
        for (int s = 1; s <= kStaves; ++s)
            for (int m = 1; m <= 4; ++m)
                for (int b = 0; b < 4; ++b) {
                    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(second_, s), second_, m);
                    ASSERT_NE(AddEventToVoice(secondView_, cell, 0, static_cast<uint16_t>(b * 1024),
                                              marquee_score::kQuarterCode,
                                              static_cast<uint8_t>(static_cast<int8_t>(-(s * 10 + m + b)))),
                              nullptr);
                }
        SetCurrentPoolSet(doc_->pools);
        State().documents.CurrentDocument = doc_;
    }

    // A note on every staff of measures 1-4: staff s, measure m, beat b at step s*10+m+b.
    void FillFirstMeasures() {
        for (int s = 1; s <= kStaves; ++s)
            for (int m = 1; m <= 4; ++m)
                for (int b = 0; b < 4; ++b)
                    ASSERT_NE(score_.Note(s, m, 0, b * 1024, -(s * 10 + m + b)), nullptr);
    }
    void Hold(ScoreDocument* document, int firstStaff, int lastStaff, int first, int last, uint8_t mask = 0) {
        BlockSource& source = State().blockClipboard.source;
        source = BlockSource{document, static_cast<uint8_t>(firstStaff), static_cast<uint8_t>(lastStaff),
                             mask, static_cast<int16_t>(first), static_cast<int16_t>(last)};
    }
    int PasteAt(int staff, int measure) {
        SetCurrentMeasureQuick(view_, staff, measure);
        return BlockPaste(view_);
    }
    // Every event of the score: staff, measure, voice, time, step, duration.
    std::string Dump(ScoreDocument* document) const {
        std::ostringstream out;
        ScopedPoolSet pools(document->pools);
        for (int s = 1; s <= document->header.staffCount; ++s)
            for (int m = 1; m <= document->header.measureCount; ++m) {
                MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, s), document, m);
                for (int v = 0; v < 4; ++v)
                    for (EventRecord* e = GetVoiceFirstEvent(cell, v); e != nullptr; e = NextEvent(e))
                        out << s << '/' << m << '/' << v << '@' << e->time << ':' << SignedStep(*e) << ','
                            << int{e->duration} << ' ';
            }
        return out.str();
    }
    // The notes of one cell's first voice as steps.
    std::vector<int> Steps(int staff, int measure) const {
        std::vector<int> steps;
        for (EventRecord* e = GetVoiceFirstEvent(score_.Cell(staff, measure), 0); e != nullptr; e = NextEvent(e))
            steps.push_back(SignedStep(*e));
        return steps;
    }
    static std::vector<int> Expected(int staff, int measure) {
        return {-(staff * 10 + measure), -(staff * 10 + measure + 1), -(staff * 10 + measure + 2),
                -(staff * 10 + measure + 3)};
    }
    std::vector<uint8_t> PoolBytes(ScoreDocument* document) const {
        std::vector<uint8_t> bytes;
        for (int p = kFirstUndoPool; p <= kLastUndoPool; ++p) {
            const RecordPool& pool = document->pools.pools[p];
            for (int b = 0; b < pool.blockCount; ++b) {
                const std::byte* base = pool.blocks[b].base.get();
                for (int slot = 1; base != nullptr && slot < pool.blocks[b].nextFresh; ++slot) {
                    const auto* record = reinterpret_cast<const uint8_t*>(base + (size_t{1} * slot << pool.shift));
                    if (!IsLiveRecord(PoolSet(document->pools), p, record)) continue;
                    bytes.insert(bytes.end(), {static_cast<uint8_t>(p), static_cast<uint8_t>(b),
                                               static_cast<uint8_t>(slot & 0xFF), static_cast<uint8_t>(slot >> 8)});
                    bytes.insert(bytes.end(), record, record + (size_t{1} << pool.shift));
                }
            }
        }
        return bytes;
    }
    static bool Noticed(const char* text) {
        for (const auto& record : ui::headless::StatusTexts())
            if (record.text.find(text) != std::string::npos) return true;
        return false;
    }

    MarqueeScore score_{kStaves, 2, 4};
    ScoreDocument* second_ = nullptr;
    ScoreView* secondView_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    ScoreView* view_ = nullptr;
};

// A 3-staff block pasted at staff 2 fills staves 2 and 3 from the block's first two
// staves; staff 1 and the source stay; undo gives every pool byte back.
TEST_F(BlockPasteTest, BlockAtStaffTwoFillsTheStavesBelowAndUndoRestoresThePools) {
    FillFirstMeasures();
    const std::vector<uint8_t> before = PoolBytes(doc_);
    Hold(doc_, 1, 3, 1, 2);
    ASSERT_EQ(PasteAt(2, 5), 1);
    EXPECT_EQ(Steps(2, 5), Expected(1, 1));
    EXPECT_EQ(Steps(3, 5), Expected(2, 1));
    EXPECT_EQ(Steps(3, 6), Expected(2, 2));
    EXPECT_TRUE(Steps(1, 5).empty());
    EXPECT_EQ(Steps(1, 1), Expected(1, 1));
    EXPECT_EQ(UndoDepth(doc_), 1) << "one undo step";
    UndoCommand(doc_, view_);
    EXPECT_EQ(PoolBytes(doc_), before);
}

// Beam partners of a copied chain name the copies, never the source's events.
TEST_F(BlockPasteTest, CopiedBeamLinksNameTheCopies) {
    EventRecord* a = score_.Note(1, 1, 0, 0, -3);
    EventRecord* b = score_.Note(1, 1, 0, 512, -3);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    a->beamNext = HandleOfEvent(b);
    b->beamPrev = HandleOfEvent(a);
    Hold(doc_, 1, 1, 1, 1);
    ASSERT_EQ(PasteAt(1, 3), 1);
    EventRecord* first = GetVoiceFirstEvent(score_.Cell(1, 3), 0);
    ASSERT_NE(first, nullptr);
    EventRecord* second = NextEvent(first);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->beamNext, HandleOfEvent(second));
    EXPECT_EQ(second->beamPrev, HandleOfEvent(first));
}

// 4/4 over 3/4 measures with notes is refused and nothing changes; over empty 3/4
// measures the paste works.
TEST_F(BlockPasteTest, DifferentTimeSignaturesNeedAnEmptyDestination) {
    FillFirstMeasures();
    for (int s = 1; s <= kStaves; ++s) score_.Cell(s, 6)->beats = 3;
    ASSERT_NE(score_.Note(2, 6, 0, 0, 1), nullptr);
    const std::string before = Dump(doc_);
    Hold(doc_, 1, 3, 1, 2);
    EXPECT_EQ(PasteAt(1, 5), 0);
    EXPECT_TRUE(Noticed(kBlockTimeSignatureNotice));
    EXPECT_EQ(Dump(doc_), before);
    EXPECT_EQ(UndoDepth(doc_), 0);

    EventRecord* blocker = GetVoiceFirstEvent(score_.Cell(2, 6), 0);
    ASSERT_NE(blocker, nullptr);
    UnlinkEvent(blocker, doc_);
    FreeEvent(blocker);
    EXPECT_EQ(PasteAt(1, 5), 1);
    EXPECT_EQ(Steps(1, 6), Expected(1, 2));
    EXPECT_EQ(score_.Cell(1, 6)->beats, 4) << "the pasted measure takes its signature";
}

// A 4/4 block of one or two staves pasted onto some staves of empty 3/4 measures:
// each measure it lands in is in 4/4 on every staff, the staves it missed too.
TEST_F(BlockPasteTest, APastedSignatureReachesEveryStaffOfTheMeasure) {
    FillFirstMeasures();
    for (int s = 1; s <= kStaves; ++s)
        for (int m = 5; m <= 6; ++m) score_.Cell(s, m)->beats = 3;
    const struct {
        int firstStaff, lastStaff, destStaff;
    } cases[] = {{1, 1, 2}, {2, 3, 1}, {1, 1, 3}};
    for (const auto& c : cases) {
        Hold(doc_, c.firstStaff, c.lastStaff, 1, 2);
        ASSERT_EQ(PasteAt(c.destStaff, 5), 1);
        for (int s = 1; s <= kStaves; ++s)
            for (int m = 5; m <= 6; ++m)
                EXPECT_EQ(score_.Cell(s, m)->beats, 4) << "staff " << s << ", measure " << m << ", block of staves "
                                                       << c.firstStaff << "-" << c.lastStaff << " at " << c.destStaff;
        UndoCommand(doc_, view_);
        EXPECT_EQ(score_.Cell(2, 5)->beats, 3) << "undo gives the signature back";
    }
}

// A source multi-measure rest of 4 pastes as 4 measures; the source's rest stays.
TEST_F(BlockPasteTest, SourceRestOfFourPastesAsFourMeasures) {
    FillFirstMeasures();
    MeasureRecordOf(doc_, 2)->extra = 3;  // measure 2 stands for 2..5
    Hold(doc_, 1, 3, 1, 2);
    ASSERT_EQ(PasteAt(1, 5), 1);
    EXPECT_EQ(Steps(1, 5), Expected(1, 1));
    EXPECT_EQ(Steps(1, 6), Expected(1, 2));
    for (int m = 7; m <= 9; ++m) EXPECT_TRUE(Steps(1, m).empty()) << m;
    EXPECT_EQ(MeasureRecordOf(doc_, 6)->extra, 0) << "the copy is open measures";
    EXPECT_EQ(MeasureRecordOf(doc_, 2)->extra, 3) << "the source rest is closed again";
    EXPECT_EQ(doc_->header.measureCount, 9) << "five slots from measure 5";
}

// The Notes tool's keys: Ctrl+Shift+Insert marks the place, Shift+Insert copies the
// marked staff's measure to the place in one undo step, which gives the pools back.
TEST_F(BlockPasteTest, NotesToolShiftInsertCopiesTheMarkedMeasure) {
    FillFirstMeasures();
    const std::vector<uint8_t> before = PoolBytes(doc_);
    auto press = [this](bool ctrl) {
        win::headless::SetKeyDown(win::Key::Shift, true);
        win::headless::SetKeyDown(win::Key::Control, ctrl);
        NotesToolMessage(view_, view_->ViewWindow, win::Message::KeyDown,
                         static_cast<uint32_t>(win::Key::Insert), 0);
        win::headless::SetKeyDown(win::Key::Shift, false);
        win::headless::SetKeyDown(win::Key::Control, false);
    };
    SetCurrentMeasureQuick(view_, 3, 2);
    press(true);
    EXPECT_TRUE(StaffBlockMarked());
    SetCurrentMeasureQuick(view_, 1, 7);
    press(false);
    EXPECT_FALSE(StaffBlockMarked());
    EXPECT_EQ(Steps(1, 7), Expected(3, 2));
    EXPECT_EQ(UndoDepth(doc_), 1);
    UndoCommand(doc_, view_);
    EXPECT_EQ(PoolBytes(doc_), before);
}

// A destination multi-measure rest inside the range is opened into plain measures
// first, so the block lands measure by measure; undo gives the rest back.
TEST_F(BlockPasteTest, DestinationRestIsOpenedForThePaste) {
    FillFirstMeasures();
    MeasureRecordOf(doc_, 6)->extra = 2;  // measure 6 stands for 6..8
    const std::vector<uint8_t> before = PoolBytes(doc_);
    Hold(doc_, 1, 3, 1, 3);
    ASSERT_EQ(PasteAt(1, 5), 1);
    EXPECT_EQ(MeasureRecordOf(doc_, 6)->extra, 0);
    EXPECT_EQ(doc_->header.measureCount, 10) << "two measures opened";
    EXPECT_EQ(Steps(1, 5), Expected(1, 1));
    EXPECT_EQ(Steps(1, 6), Expected(1, 2));
    EXPECT_EQ(Steps(1, 7), Expected(1, 3));
    EXPECT_TRUE(Steps(1, 8).empty());
    UndoCommand(doc_, view_);
    EXPECT_EQ(MeasureRecordOf(doc_, 6)->extra, 2);
    EXPECT_EQ(doc_->header.measureCount, 8);
    EXPECT_EQ(PoolBytes(doc_), before);
}

// Measures 1-4 onto 3-6, and 3-6 onto 1-4, in one document give what the same paste
// from an identical second document gives; undo brings the original back.
TEST_F(BlockPasteTest, OverlappingPasteEqualsPasteFromACopy) {
    FillFirstMeasures();
    MakeSecondScore();
    const std::string original = Dump(doc_);
    ASSERT_EQ(Dump(second_), original);
    const int ranges[2][3] = {{1, 4, 3}, {3, 6, 1}};  // first, last, destination
    for (const auto& range : ranges) {
        Hold(doc_, 1, 3, range[0], range[1]);
        ASSERT_EQ(PasteAt(1, range[2]), 1);
        const std::string inPlace = Dump(doc_);
        UndoCommand(doc_, view_);
        ASSERT_EQ(Dump(doc_), original);
        Hold(second_, 1, 3, range[0], range[1]);
        ASSERT_EQ(PasteAt(1, range[2]), 1);
        EXPECT_EQ(Dump(doc_), inPlace) << "from measure " << range[0] << " to " << range[2];
        EXPECT_EQ(Dump(second_), original) << "the source document is read only";
        UndoCommand(doc_, view_);
    }
    Hold(doc_, 1, 3, 1, 4);
    ASSERT_EQ(PasteAt(1, 3), 1);
    for (int s = 1; s <= kStaves; ++s) {
        EXPECT_EQ(Steps(s, 3), Expected(s, 1));
        EXPECT_EQ(Steps(s, 6), Expected(s, 4));
    }
}

// A paste with a voice mask takes only those voices, leaves the others of the
// destination alone, and beams the pasted eighths.
TEST_F(BlockPasteTest, VoiceMaskPasteCopiesAndBeamsOnlyThoseVoices) {
    FillFirstMeasures();
    for (int k = 0; k < 4; ++k)
        ASSERT_NE(AddEventToVoice(view_, score_.Cell(1, 1), 1, static_cast<uint16_t>(k * 512),
                                  kDurationEighth, 2),
                  nullptr);
    Hold(doc_, 1, 1, 1, 1, 0b0010);
    ASSERT_EQ(PasteAt(1, 3), 1);
    EXPECT_EQ(Steps(1, 3), Expected(1, 3)) << "voice 1 of the destination stays";
    EventRecord* first = GetVoiceFirstEvent(score_.Cell(1, 3), 1);
    ASSERT_NE(first, nullptr);
    int count = 0;
    for (EventRecord* e = first; e != nullptr; e = NextEvent(e)) ++count;
    EXPECT_EQ(count, 4);
    EXPECT_TRUE(static_cast<bool>(first->beamNext)) << "the pasted eighths are beamed";
}

// A 4-measure block at measure 1,014 would end past the measure limit: refused with
// the limit notice, nothing changes.
TEST_F(BlockPasteTest, PastePastTheMeasureLimitIsRefused) {
    FillFirstMeasures();
    ASSERT_NE(AddMeasures(view_, 1014), 0);
    const std::string before = Dump(doc_);
    Hold(doc_, 1, 3, 1, 4);
    EXPECT_EQ(PasteAt(1, 1014), 0);
    EXPECT_TRUE(Noticed(kMeasureLimitNotice));
    EXPECT_EQ(doc_->header.measureCount, 1014);
    EXPECT_EQ(Dump(doc_), before);
    EXPECT_EQ(UndoDepth(doc_), 0);
}

// No room for the working arrays: "Out of Memory!", the block dropped, the
// document unchanged byte for byte.
TEST_F(BlockPasteTest, NoRoomForTheWorkingArraysChangesNothing) {
    FillFirstMeasures();
    const std::vector<uint8_t> before = PoolBytes(doc_);
    Hold(doc_, 1, 3, 1, 2);
    FailNextRecordAllocations(1);
    EXPECT_EQ(PasteAt(1, 5), 0);
    FailNextRecordAllocations(0);
    EXPECT_TRUE(Noticed(kBlockOutOfMemory));
    EXPECT_FALSE(BlockHeld());
    EXPECT_EQ(PoolBytes(doc_), before);
    EXPECT_EQ(UndoDepth(doc_), 0);
}

// A source document that closed drops the block: "No selection"; a source that
// lost measures gives a clamped range.
TEST_F(BlockPasteTest, ClosedOrShrunkSourceIsCaught) {
    FillFirstMeasures();
    Hold(doc_, 1, 3, 1, 20);
    ASSERT_EQ(PasteAt(1, 5), 1) << "the range is clamped to the eight measures";
    EXPECT_EQ(Steps(1, 8), Expected(1, 4));
    EXPECT_EQ(doc_->header.measureCount, 12);

    ScoreDocument* other = AllocDocument();
    ASSERT_NE(other, nullptr);
    Hold(other, 1, 1, 1, 1);
    FreeDocument(other);
    EXPECT_FALSE(BlockHeld()) << "the source went with its document";
    SetCurrentPoolSet(doc_->pools);
    Hold(reinterpret_cast<ScoreDocument*>(view_), 1, 1, 1, 1);  // never a listed document
    EXPECT_EQ(PasteAt(1, 1), 0);
    EXPECT_TRUE(Noticed(kBlockNoSelection));
    EXPECT_FALSE(BlockHeld());
}

// Ctrl+Shift+Insert's mark and Shift+Insert: one staff's measure copied, only into
// voices that are empty; the barline's duplicate copies a measure into the next.
TEST_F(BlockPasteTest, StaffBlockFillsOnlyEmptyVoices) {
    FillFirstMeasures();
    ASSERT_NE(score_.Note(2, 6, 1, 0, 5), nullptr);
    ASSERT_NE(score_.Note(1, 1, 1, 0, 7), nullptr);
    SetCurrentMeasureQuick(view_, 1, 1);
    MarkStaffBlock(view_);
    SetCurrentMeasureQuick(view_, 2, 6);
    ASSERT_EQ(PasteMarkedStaffBlock(view_), 1);
    EXPECT_FALSE(StaffBlockMarked());
    EXPECT_EQ(Steps(2, 6), Expected(1, 1));
    EventRecord* kept = GetVoiceFirstEvent(score_.Cell(2, 6), 1);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(SignedStep(*kept), 5) << "a voice with content is left alone";
    EXPECT_EQ(NextEvent(kept), nullptr);

    ASSERT_EQ(EditBlockAllStaves(doc_, view_, 4), 1);
    for (int s = 1; s <= kStaves; ++s) EXPECT_EQ(Steps(s, 5), Expected(s, 4));
}

// The staff copy into a measure of another time signature is refused with the
// notice while that measure holds notes (Shift+Insert and Ctrl+D alike); into an
// empty one the measure takes the copied signature on every staff.
TEST_F(BlockPasteTest, StaffCopyKeepsOneSignatureAMeasure) {
    FillFirstMeasures();
    for (int s = 1; s <= kStaves; ++s)
        for (int m = 5; m <= 6; ++m) score_.Cell(s, m)->beats = 3;
    ASSERT_NE(score_.Note(2, 5, 0, 0, 1), nullptr);
    const std::string before = Dump(doc_);
    const auto markAndPaste = [&](int measure) {
        SetCurrentMeasureQuick(view_, 1, 1);
        MarkStaffBlock(view_);
        SetCurrentMeasureQuick(view_, 1, measure);
        return PasteMarkedStaffBlock(view_);
    };
    EXPECT_EQ(markAndPaste(5), 0);
    EXPECT_EQ(EditBlockAllStaves(doc_, view_, 4), 0);
    EXPECT_TRUE(Noticed(kBlockTimeSignatureNotice));
    EXPECT_EQ(Dump(doc_), before);
    ASSERT_EQ(markAndPaste(6), 1);
    for (int s = 1; s <= kStaves; ++s) EXPECT_EQ(score_.Cell(s, 6)->beats, 4) << "staff " << s;
}

// A measure copied again copies its marks once: Ctrl+D twice and Shift+Insert
// after leave one copy of each of the source's two marks beside the one the
// destination had of its own.
TEST_F(BlockPasteTest, CopyingAMeasureAgainCopiesItsMarksOnce) {
    RegisterObjectClasses();
    FillFirstMeasures();
    const auto addText = [&](int measure, const char* text) {
        ScoreObject* object = ConstructObject(TypeCode(ObjectType::Text));
        ASSERT_NE(object, nullptr);
        SetTextObjectString(AsTextObject(object), text);
        AsTextObject(object)->body.flags |= kTextOwnsString;
        InsertObjectAfter(GetOrCreateCellObjectList(score_.Cell(1, measure)), object);
    };
    addText(1, "dolce");
    ScoreObject* dynamic = ConstructObject(TypeCode(ObjectType::Dynamic));
    ASSERT_NE(dynamic, nullptr);
    InsertObjectAfter(GetOrCreateCellObjectList(score_.Cell(1, 1)), dynamic);
    addText(2, "cresc.");
    const auto marks = [&] {
        int count = 0;
        for (ScoreObject* o = score_.Cell(1, 2)->objects->next.get(); o != nullptr; o = o->next.get()) ++count;
        return count;
    };
    ASSERT_EQ(EditBlockAllStaves(doc_, view_, 1), 1);
    EXPECT_EQ(marks(), 3);
    ASSERT_EQ(EditBlockAllStaves(doc_, view_, 1), 1);
    SetCurrentMeasureQuick(view_, 1, 1);
    MarkStaffBlock(view_);
    SetCurrentMeasureQuick(view_, 1, 2);
    ASSERT_EQ(PasteMarkedStaffBlock(view_), 1);
    EXPECT_EQ(marks(), 3);
}

// A measure marked in the second score pastes that score's measure into the first,
// whichever measure of the first has the same staff and number; the second is only
// read, and once it is closed the mark is gone with it.
TEST_F(BlockPasteTest, AMarkNamesItsScore) {
    MakeSecondScore();
    const std::string second = Dump(second_);
    secondView_->currentStaff = 2;
    secondView_->currentMeasure = 3;
    MarkStaffBlock(secondView_);
    SetCurrentMeasureQuick(view_, 1, 7);
    ASSERT_EQ(PasteMarkedStaffBlock(view_), 1);
    EXPECT_EQ(Steps(1, 7), Expected(2, 3));
    EXPECT_EQ(Dump(second_), second);

    secondView_->currentMeasure = 4;
    MarkStaffBlock(secondView_);
    FreeDocument(second_);
    second_ = nullptr;
    SetCurrentPoolSet(doc_->pools);
    EXPECT_FALSE(StaffBlockMarked());
    SetCurrentMeasureQuick(view_, 1, 8);
    EXPECT_EQ(PasteMarkedStaffBlock(view_), 0);
    EXPECT_TRUE(Steps(1, 8).empty());
}

// A destination voice whose head cannot be made is refused: the copy must never
// hang its notes on the document's shared head sentinel.
TEST_F(BlockPasteTest, StaffCopyWithoutAVoiceHeadLeavesTheSharedSentinelAlone) {
    FillFirstMeasures();
    MeasureCell* dest = score_.Cell(2, 7);
    ASSERT_EQ(GetVoiceHead(dest, 0), nullptr);
    ASSERT_TRUE(doc_->headSentinel);
    const BlockCellCopy copy{doc_, doc_, view_, 0};
    FailNextRecordAllocations(1);
    EXPECT_EQ(CopyCellVoices(copy, score_.Cell(1, 1), dest), 0);
    FailNextRecordAllocations(0);
    const EventRecord* shared = ResolveEvent(doc_->headSentinel);
    ASSERT_NE(shared, nullptr);
    EXPECT_FALSE(shared->next) << "notes were linked after the shared sentinel";
    EXPECT_EQ(GetVoiceHead(dest, 0), nullptr) << "the cell kept the shared sentinel as its head";
}

}  // namespace
}  // namespace ql
