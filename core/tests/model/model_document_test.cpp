// A new document: its header defaults, the page list with the two master pages,
// the measure table, cells per staff, the modified mark and clean destruction.
#include "core/tests/model/model_fixture.h"
#include "platform/win/headless.h"
#include "platform/win/mdi.h"
#include "platform/win/window.h"

namespace ql::testing_model {
namespace {

using DocumentTest = ModelTest;

// The new score has one page after the two masters, numbered -2, -1 and 1.
TEST_F(DocumentTest, NewScoreHasPageOneAfterTheTwoMasters) {
    EXPECT_EQ(doc_->header.pageCount, 1);
    ASSERT_NE(doc_->leftMaster, nullptr);
    EXPECT_EQ(doc_->leftMaster->pageNumber, -2);
    EXPECT_EQ(doc_->leftMaster->next.get(), doc_->rightMaster);
    EXPECT_EQ(doc_->rightMaster->pageNumber, -1);
    EXPECT_EQ(doc_->rightMaster->next.get(), doc_->firstPage);
    EXPECT_EQ(doc_->firstPage->previous.get(), doc_->rightMaster);
    EXPECT_EQ(doc_->firstPage->pageNumber, 1);
    EXPECT_EQ(GetPageAt(doc_, -2), doc_->leftMaster);
    EXPECT_EQ(GetPageAt(doc_, -1), doc_->rightMaster);
    EXPECT_EQ(GetPageAt(doc_, 0), doc_->firstPage);
    EXPECT_EQ(GetPageAt(doc_, 1), nullptr);
}

// Master systems sit at y -8192 with the first staff offset 0xF000; every page
// has its margin element.
TEST_F(DocumentTest, MasterPagesCarryOneSystemAndTheirMargins) {
    for (ScorePage* master : {doc_->leftMaster, doc_->rightMaster}) {
        ScoreSystem* system = master->firstSystem.get();
        ASSERT_NE(system, nullptr);
        EXPECT_EQ(system->y, kMasterSystemY);
        EXPECT_EQ(system->x, 0);
        EXPECT_EQ(StaffOffsetsOf(system)[0], kFirstStaffOffset);
        EXPECT_EQ(system->firstMeasure, 0);
        ASSERT_NE(master->margins.get(), nullptr);
        EXPECT_EQ(master->margins->type, TypeCode(ObjectType::Margin));
    }
}

// The masters' margin elements hold the left- and right-page margins, in
// logical units and as distance words (left, top, right, bottom); page 1 of a
// score that starts on a right page copies the right master's.
TEST_F(DocumentTest, MarginElementsHoldThePageMargins) {
    auto word = [](ScorePage* page, int i) {
        return LoadField<uint32_t>(page->margins->BodyBytes() + 4 * i);
    };
    ScoreView* view = InitView(AllocView());
    ScoreDocument* other = AllocDocument();
    ProgramPreferences().header.leftMargins[1] = 0x0250;  // left pages: top 2.50
    ASSERT_EQ(CreateDocument(other, view, nullptr), other);
    EXPECT_EQ(word(other->leftMaster, 4 + 1), 0x0250u);
    EXPECT_EQ(word(other->rightMaster, 4 + 1), 0x0100u);
    EXPECT_EQ(word(other->leftMaster, 0), word(other->rightMaster, 0));  // same left margin
    EXPECT_GT(word(other->leftMaster, 1), word(other->rightMaster, 1));  // deeper top
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(word(other->firstPage, i), word(other->rightMaster, i)) << i;
    FreeView(view);
    FreeDocument(other);
    SetCurrentPoolSet(doc_->pools);
}

// Header defaults: two staves in 4/4, the lyric lines 256 apart, settings E and
// F.
TEST_F(DocumentTest, HeaderTakesTheNewScoreDefaults) {
    const ScoreHeader& h = doc_->header;
    EXPECT_EQ(h.staffCount, 2);
    EXPECT_EQ(h.lyricLevels[0], 320);
    EXPECT_EQ(h.lyricLevels[1], 576);
    EXPECT_EQ(h.lyricLevels[2], 832);
    EXPECT_EQ(h.lyricLevels[3], 1088);
    EXPECT_EQ(h.scoreSettingE, 2);
    EXPECT_EQ(h.scoreSettingF, 32);
    EXPECT_EQ(h.notePlaybackPercent, 90);
    EXPECT_EQ(h.pageGeometry.staffSize, 4);
    EXPECT_EQ(h.pageGeometry.firstPage, 1);
    EXPECT_EQ(static_cast<int>(h.pageGeometry.measureNumberOffsetY), 128);
    EXPECT_EQ(h.newScoreBlock.initMeasuresPerSystem, 4);
    EXPECT_EQ(h.newScoreBlock.initSystemsPerPage, 5);
    EXPECT_EQ(doc_->changeCounter, 0);
    EXPECT_EQ(doc_->path, "Untitled");
    EXPECT_STREQ(doc_->faceNames[1].name, "Times New Roman");
    EXPECT_STREQ(doc_->faceNames[2].name, "Arial");
}

// Every record of the measure table is a 4/4 bar numbered by its position, 2816
// wide.
TEST_F(DocumentTest, MeasureTableIsNumberedByPositionInFourFour) {
    for (int i : {0, 1, 17, MaxMeasures - 1}) {
        const MeasureRecord* m = MeasureRecordOf(doc_, i);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->number, i);
        EXPECT_EQ(m->lengthTicks, 4096);
        EXPECT_EQ(m->width, 2816);
        EXPECT_EQ(m->stretch, kBuiltInStretchFactor);
    }
    EXPECT_EQ(MeasureRecordOf(doc_, MaxMeasures), nullptr);
}

// A template block sets the staff count of the new score.
TEST_F(DocumentTest, TemplateBlockSetsTheStaffCount) {
    NewScoreBlock block = doc_->header.newScoreBlock;
    block.initStavesPerSystem = 0x0305;  // low byte: 5 staves
    ScoreDocument* other = AllocDocument();
    ScoreView* view = InitView(AllocView());
    ASSERT_EQ(CreateDocument(other, view, &block), other);
    EXPECT_EQ(other->header.staffCount, 5);
    FreeView(view);
    FreeDocument(other);
    SetCurrentPoolSet(doc_->pools);
}

// A staff of a 20-measure score has cells 0..24 and none beyond.
TEST_F(DocumentTest, EachStaffHasCellsThroughFourSpareMeasures) {
    BuildStaves(20);
    for (int s = 1; s <= 2; ++s) {
        const CellHandleArray* cells = CellArrayOf(StaffRecordOf(doc_, s));
        ASSERT_NE(cells, nullptr);
        for (int m = 0; m <= 24; ++m)
            EXPECT_TRUE(cells->cells[m]) << "staff " << s << " measure " << m;
        EXPECT_FALSE(cells->cells[25]);
    }
    // Cell 0 takes the document's shared sentinel for its voices.
    MeasureCell* cell0 = Cell(1, 0);
    EXPECT_EQ(cell0->voices[0], doc_->headSentinel);
    EXPECT_FALSE(Cell(1, 1)->voices[0]);
}

// Measure lookups clamp: negative to 1, past the spares to the last spare, and
// a number at or beyond 1024 yields no cell.
TEST_F(DocumentTest, MeasureCellLookupClampsAndStopsAtTheTableEnd) {
    BuildStaves(10);
    StaffRecord* staff = StaffRecordOf(doc_, 1);
    EXPECT_EQ(GetOrCreateMeasureCell(staff, doc_, -3), Cell(1, 1));
    EXPECT_EQ(GetOrCreateMeasureCell(staff, doc_, 20), Cell(1, 14));
    doc_->header.measureCount = 1030;
    EXPECT_EQ(GetOrCreateMeasureCell(staff, doc_, 1024), nullptr);
    EXPECT_NE(GetOrCreateMeasureCell(staff, doc_, 1023), nullptr);
    EXPECT_EQ(GetOrCreateMeasureCell(nullptr, doc_, 1), nullptr);
}

// The change counter wraps from 65535 to 1, never 0, and playback never counts.
TEST_F(DocumentTest, ModifiedMarkSkipsZeroAndIgnoresPlayback) {
    doc_->changeCounter = 65535;
    SetDocumentModified(doc_);
    EXPECT_EQ(doc_->changeCounter, 1);
    PlaybackFlags().PlaybackActive.store(1);
    SetDocumentModified(doc_);
    EXPECT_EQ(doc_->changeCounter, 1);
    SetDocumentModifiedUnlocked(doc_);  // transcription marks the score anyway
    EXPECT_EQ(doc_->changeCounter, 2);
    PlaybackFlags().PlaybackActive.store(0);
    ClearDocumentModified(doc_);
    EXPECT_EQ(doc_->changeCounter, 0);
}

// Creation fails cleanly on exhaustion: null, one low-memory box, not listed,
// and nothing left in the arena; both when a record is refused and when no
// block can be had at all.
TEST_F(DocumentTest, FailedCreationFreesWhatItMadeAndReportsOnce) {
    const size_t before = ArenaBytesInUse();
    for (bool refuseBlocks : {false, true}) {
        ui::headless::ResetUi();
        ScoreDocument* other = AllocDocument();
        ScoreView* view = InitView(AllocView());
        if (refuseBlocks)
            FailNextArenaBlocks(1 << 20);
        else
            FailNextRecordAllocations(1);
        EXPECT_EQ(CreateDocument(other, view, nullptr), nullptr);
        FailNextArenaBlocks(0);
        FailNextRecordAllocations(0);
        ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
        EXPECT_NE(ui::headless::MessageBoxes()[0].text.find("Resource memory is low."),
                  std::string::npos);
        EXPECT_FALSE(IsDocumentListed(other));
        EXPECT_EQ(view->document, nullptr);
        FreeView(view);
        FreeDocument(other);
        EXPECT_EQ(ArenaBytesInUse(), before);
    }
    SetCurrentPoolSet(doc_->pools);
}

// Owned buffers are found by id and die with the document.
TEST_F(DocumentTest, OwnedBuffersAreFoundById) {
    uint32_t id = PushDocumentRecord(doc_, {1, 2, 3});
    EXPECT_EQ(id, 1u);
    ASSERT_NE(DocumentRecordOf(doc_, id), nullptr);
    EXPECT_EQ(DocumentRecordOf(doc_, id)->size(), 3u);
    EXPECT_EQ(DocumentRecordOf(doc_, 0), nullptr);
    EXPECT_EQ(DocumentRecordOf(doc_, 2), nullptr);
}

// A view that outlives its document drops its galley records without touching
// the released pools.
TEST_F(DocumentTest, ViewOutlivingItsDocumentLetsGoOfItsGalley) {
    ScoreView* view = InitView(AllocView());
    ScoreDocument* other = AllocDocument();
    ASSERT_EQ(CreateDocument(other, view, nullptr), other);
    ASSERT_TRUE(BuildGalleyPage(view, nullptr));
    FreeDocument(other);
    DestroyGalleyPages(view);
    EXPECT_EQ(view->galleyPage, nullptr);
    view->document = nullptr;
    FreeView(view);
    SetCurrentPoolSet(doc_->pools);
}

// The only view of a document is not "in another view"; a second one is.
TEST_F(DocumentTest, OtherViewsOfTheDocumentAreFound) {
    EXPECT_EQ(IsDocumentInOtherView(view_), 0);
    ScoreView* second = CopyView(AllocView(), view_);
    LinkView(second);
    EXPECT_EQ(IsDocumentInOtherView(view_), 1);
    FreeView(second);
    EXPECT_EQ(IsDocumentInOtherView(view_), 0);
}

// A score window yields its view only when its window long names a listed,
// valid view with a document; other windows and stray values yield none.
TEST_F(DocumentTest, ScoreWindowYieldsOnlyAListedView) {
    win::WindowClass score{
        std::string(kScoreWindowClass),
        [](platform::WindowHandle, win::Message, uint32_t, intptr_t) -> intptr_t { return 0; },
        0,
        4,
        {},
        {}};
    win::headless::ResetWindowLayer();  // no class or window left by another test
    ASSERT_TRUE(win::RegisterWindowClass(score));
    win::WindowParams params;
    params.className = kScoreWindowClass;
    platform::WindowHandle window = win::CreateWindow(params);
    ASSERT_TRUE(window);
    EXPECT_EQ(GetScoreViewOfWindow(window), nullptr);  // long 0 still empty
    win::SetWindowLong(window, kViewWindowLong, reinterpret_cast<intptr_t>(view_));
    EXPECT_EQ(GetScoreViewOfWindow(window), view_);
    ScoreView stray = *view_;
    win::SetWindowLong(window, kViewWindowLong, reinterpret_cast<intptr_t>(&stray));
    EXPECT_EQ(GetScoreViewOfWindow(window), nullptr);  // not in the view list
    win::DestroyWindow(window);
    EXPECT_EQ(GetScoreViewOfWindow(window), nullptr);
    win::UnregisterWindowClass(kScoreWindowClass);
}

// The active view is the view of the frame's active document window, under the
// score-window test: a stray window long, another kind of active child or a
// missing frame give none.
TEST_F(DocumentTest, ActiveScoreViewIsTheActiveChildsListedView) {
    const win::WindowProc quiet = [](platform::WindowHandle, win::Message, uint32_t,
                                     intptr_t) -> intptr_t { return 0; };
    win::headless::ResetWindowLayer();
    ASSERT_TRUE(win::RegisterWindowClass({std::string(kScoreWindowClass), quiet, 0, 4, {}, {}}));
    ASSERT_TRUE(win::RegisterWindowClass({"OtherChild", quiet, 0, 4, {}, {}}));
    ASSERT_TRUE(win::RegisterWindowClass({"TestFrame", quiet, 0, 0, {}, {}}));
    win::WindowParams frameParams;
    frameParams.className = "TestFrame";
    const platform::WindowHandle frame = win::CreateWindow(frameParams);
    ASSERT_TRUE(frame);
    win::MdiClientParams clientParams;
    clientParams.frame = frame;
    clientParams.rect = {0, 0, 400, 300};
    const platform::WindowHandle client = win::CreateMdiClient(clientParams);
    ASSERT_TRUE(client);
    const platform::WindowHandle saved = State().dialogs.FrameWindow;
    EXPECT_EQ(GetActiveScoreView(), nullptr);  // no frame known
    State().dialogs.FrameWindow = frame;
    EXPECT_EQ(GetActiveScoreView(), nullptr);  // no child yet
    win::MdiChildParams childParams;
    childParams.className = kScoreWindowClass;
    const platform::WindowHandle score = win::CreateMdiChild(client, childParams);
    ASSERT_TRUE(score);
    win::SetWindowLong(score, kViewWindowLong, reinterpret_cast<intptr_t>(view_));
    EXPECT_EQ(GetActiveScoreView(), view_);
    ScoreView stray = *view_;
    win::SetWindowLong(score, kViewWindowLong, reinterpret_cast<intptr_t>(&stray));
    EXPECT_EQ(GetActiveScoreView(), nullptr);  // not in the view list
    win::SetWindowLong(score, kViewWindowLong, reinterpret_cast<intptr_t>(view_));
    childParams.className = "OtherChild";
    const platform::WindowHandle other = win::CreateMdiChild(client, childParams);
    ASSERT_TRUE(other);
    win::SetWindowLong(other, kViewWindowLong, reinterpret_cast<intptr_t>(view_));
    EXPECT_EQ(GetActiveScoreView(), nullptr);  // the active child is no score window
    ASSERT_TRUE(win::ActivateMdiChild(client, score));
    EXPECT_EQ(GetActiveScoreView(), view_);
    State().dialogs.FrameWindow = saved;
    win::DestroyWindow(frame);
    win::UnregisterWindowClass(kScoreWindowClass);
    win::UnregisterWindowClass("OtherChild");
    win::UnregisterWindowClass("TestFrame");
}

}  // namespace
}  // namespace ql::testing_model
