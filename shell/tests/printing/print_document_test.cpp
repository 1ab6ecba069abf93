// Printing a five-page score headless: which pages each run draws (in order), the
// pages of the PDF it leaves, what reaches the print system or the print file,
// the boxes it shows, and the view given back exactly as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/draw/reference_context.h"
#include "core/model/view.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "core/ui/long_operation.h"
#include "display/view_modes.h"
#include "layout/page_edit.h"
#include "platform/gfx/caps.h"
#include "platform/gfx/dc.h"
#include "platform/win/input.h"
#include "platform/gfx/printer.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/printing/print_document_internal.h"
#include "shell/printing/print_hook.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/resources/option_dialog_resources.h"
#include "shell/resources/print_resources.h"
#include "shell/tests/printing/print_fixture.h"

namespace ql {
namespace {

using PrintDocumentTest = testing::PrintFixture;
using sysdlg::PageFilter;
using sysdlg::PrintChoice;
using Pages = std::vector<int32_t>;

const char kRangeBoxOneToFive[] =
    "Enter one or more page numbers (1 - 5),\nseparated by commas or spaces.";

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

platform::WindowHandle AbortBox() {
    for (platform::WindowHandle window : win::TopLevelWindows())
        if (ui::IsDialog(window) &&
            ui::GetDialogTemplateId(window) == sys::ResourceId(kPrintAbortDialogId))
            return window;
    return {};
}

// The filters walk the document in order: even pages 2 and 4, odd 1, 3 and 5,
// every page all five; the PDF has as many pages and goes to the print system.
TEST_F(PrintDocumentTest, FiltersPrintTheirPagesInDocumentOrder) {
    const struct {
        PageFilter filter;
        Pages pages;
    } cases[] = {{PageFilter::Even, {2, 4}},
                 {PageFilter::Odd, {1, 3, 5}},
                 {PageFilter::Every, {1, 2, 3, 4, 5}}};
    for (const auto& c : cases) {
        sysdlg::headless::ResetPrintDialogs();
        const testing::ViewSnapshot before = Snapshot();
        QueueOk(FilterChoice(c.filter));
        PrintRunResult run = PrintDocument(view_);
        EXPECT_EQ(run.outcome, PrintOutcome::Printed);
        EXPECT_EQ(run.pagesDrawn, c.pages);
        EXPECT_EQ(PdfPageCount(SubmittedPdf()), static_cast<int>(c.pages.size()));
        EXPECT_EQ(Snapshot(), before);
    }
}

// A from-to range limits the walk; the filter applies within it.
TEST_F(PrintDocumentTest, APageRangeLimitsTheFilteredWalk) {
    PrintChoice choice = FilterChoice(PageFilter::Odd);
    choice.range = sysdlg::PrintRange::Pages;
    choice.fromPage = 2;
    choice.toPage = 5;
    QueueOk(choice);
    EXPECT_EQ(PrintDocument(view_).pagesDrawn, (Pages{3, 5}));
}

// A list prints in its own order with repeats; 100 numbers print all 100 pages.
TEST_F(PrintDocumentTest, AListPrintsInItsOrderWithRepeatsAndIsNotCappedAt61) {
    QueueOk(ListChoice("3, 1 3"));
    PrintRunResult run = PrintDocument(view_);
    EXPECT_EQ(run.pagesDrawn, (Pages{3, 1, 3}));
    EXPECT_EQ(PdfPageCount(SubmittedPdf()), 3);

    sysdlg::headless::ResetPrintDialogs();
    std::string hundred;
    Pages expected;
    for (int i = 0; i < 100; ++i) {
        hundred += std::to_string(i % kPages + 1) + (i % 2 ? "," : " ");
        expected.push_back(i % kPages + 1);
    }
    ASSERT_LE(hundred.size(), sysdlg::kMaxPageListText);
    QueueOk(ListChoice(hundred));
    const testing::ViewSnapshot before = Snapshot();
    run = PrintDocument(view_);
    EXPECT_EQ(run.pagesDrawn, expected);
    EXPECT_EQ(PdfPageCount(SubmittedPdf()), 100);
    EXPECT_EQ(Snapshot(), before);
}

// A number outside the first..last page numbers shows the range box with those
// limits and the dialog stays open: the next OK is taken, and nothing printed
// before it. 0 is below the first page, 9 past the last.
TEST_F(PrintDocumentTest, AnOutOfRangeListShowsTheRangeBoxAndKeepsTheDialogOpen) {
    for (const char* text : {"0", "9", "2 9", "", "2,x"}) {
        sysdlg::headless::ResetPrintDialogs();
        const size_t boxes = BoxTexts().size();
        QueueOk(ListChoice(text));
        QueueOk(ListChoice("2"));
        PrintRunResult run = PrintDocument(view_);
        EXPECT_EQ(run.pagesDrawn, (Pages{2})) << text;
        ASSERT_EQ(BoxTexts().size(), boxes + 1) << text;
        EXPECT_EQ(BoxTexts().back(), kRangeBoxOneToFive) << text;
        ASSERT_EQ(sysdlg::headless::PrintDialogs().size(), 1u);
        EXPECT_EQ(sysdlg::headless::PrintDialogs()[0].refusedOks, 1) << text;
    }
}

// A choice of a range, a filter and a list (to `file` when one is given).
PrintChoice RangeChoice(sysdlg::PrintRange range, int from, int to, PageFilter filter,
                        const std::string& list, const std::string& file) {
    PrintChoice choice;
    choice.listText = list;
    choice.range = range;
    choice.fromPage = from;
    choice.toPage = to;
    choice.filter = filter;
    choice.printToFile = choice.replaceConfirmed = !file.empty();
    choice.filePath = file;
    return choice;
}

// Every way of choosing pages that leaves none of the score's (five pages, then
// one) is refused by the dialog's check with a box, the nothing-to-print box or for
// a list the range box; the dialog stays open (cancelled here). Nothing is drawn
// or sent, and a print file keeps its bytes.
TEST_F(PrintDocumentTest, AChoiceWithoutAPageOfTheScorePrintsNothing) {
    using sysdlg::PrintRange;
    const struct {
        int pages;
        PrintRange range;
        int from, to;
        PageFilter filter;
        const char* list;
    } cases[] = {{5, PrintRange::Pages, 7, 9, PageFilter::Every, ""}, {5, PrintRange::Pages, 7, 9, PageFilter::Odd, ""},
                 {5, PrintRange::Pages, 3, 3, PageFilter::Even, ""},  {5, PrintRange::Pages, 4, 2, PageFilter::Every, ""},
                 {5, PrintRange::List, 0, 0, PageFilter::Every, "7 8 9"}, {1, PrintRange::All, 0, 0, PageFilter::Even, ""},
                 {1, PrintRange::Pages, 2, 3, PageFilter::Every, ""},  {1, PrintRange::List, 0, 0, PageFilter::Even, ""}};
    const std::filesystem::path target = scratch / "kept.pdf";
    for (const auto& c : cases) {
        while (view_->document->header.pageCount > c.pages) {  // the last page goes
            ScorePage* last = view_->document->firstPage;
            while (last->next.get() != nullptr) last = last->next.get();
            ASSERT_TRUE(DeletePageAndMeasures(view_->document, last));
        }
        const std::string limits = "(1 - " + std::to_string(c.pages) + ")";
        const std::string box = c.range == PrintRange::List
            ? "Enter one or more page numbers " + limits + ",\nseparated by commas or spaces."
            : "There is nothing to print: no page of the score (pages 1 - " + std::to_string(c.pages) +
                  ") is among the pages chosen.";
        for (const std::string& file : {std::string(), target.string()}) {
            SCOPED_TRACE(::testing::Message() << c.pages << " pages " << c.from << "-" << c.to << " " << c.list << file);
            sysdlg::headless::ResetPrintDialogs();
            std::ofstream(target, std::ios::binary) << "kept bytes";
            const size_t boxes = BoxTexts().size();
            QueueOk(RangeChoice(c.range, c.from, c.to, c.filter, c.list, file));
            const PrintRunResult run = PrintDocument(view_);
            EXPECT_EQ(run.outcome, PrintOutcome::NotChosen);
            EXPECT_TRUE(run.pagesDrawn.empty());
            EXPECT_TRUE(sysdlg::headless::SubmittedPrintJobs().empty());
            EXPECT_EQ(ReadBytes(target), "kept bytes");
            ASSERT_EQ(BoxTexts().size(), boxes + 1);
            EXPECT_EQ(BoxTexts().back(), box);
            EXPECT_EQ(sysdlg::headless::PrintDialogs().at(0).refusedOks, 1);
        }
    }
}

// A print system's dialog that takes an OK without the program's check: the run
// itself finds no page in the choice, says so, and sends and writes nothing.
TEST_F(PrintDocumentTest, ARunWhoseChoiceHoldsNoPageSendsAndWritesNothing) {
    const std::filesystem::path target = scratch / "kept.pdf";
    std::ofstream(target, std::ios::binary) << "kept bytes";
    int submitted = 0;
    for (const std::string& file : {std::string(), target.string()}) {
        const PrintChoice choice = RangeChoice(sysdlg::PrintRange::Pages, 7, 9, PageFilter::Every, "", file);
        sysdlg::InstallPrintBackend({[&](const sysdlg::PrintDialogRequest&) {
                                         return sysdlg::PrintDialogAnswer{sysdlg::PrintDialogStatus::Chosen, choice};
                                     },
                                     [&](const sysdlg::PrintJobRequest&) { return ++submitted > 0; }});
        const PrintRunResult run = PrintDocument(view_);
        sysdlg::InstallPrintBackend({});
        EXPECT_EQ(run.outcome, PrintOutcome::NothingToPrint);
        EXPECT_EQ(BoxTexts().size(), file.empty() ? 1u : 2u);
    }
    EXPECT_EQ(submitted, 0);
    EXPECT_EQ(ReadBytes(target), "kept bytes");
}

// Cancelling the dialog prints nothing and says so in the status bar.
TEST_F(PrintDocumentTest, CancellingTheDialogPrintsNothing) {
    const testing::ViewSnapshot before = Snapshot();
    sysdlg::headless::QueuePrintDialogStep({true, {}});
    PrintRunResult run = PrintDocument(view_);
    EXPECT_EQ(run.outcome, PrintOutcome::NotChosen);
    EXPECT_TRUE(run.pagesDrawn.empty());
    EXPECT_TRUE(sysdlg::headless::SubmittedPrintJobs().empty());
    ASSERT_FALSE(ui::headless::StatusTexts().empty());
    EXPECT_NE(ui::headless::StatusTexts().back().text.find("User canceled print."),
              std::string::npos);
    EXPECT_EQ(Snapshot(), before);
}

// A dialog that fails is tried once more with the default setup, after "Using
// default driver setup." in the status bar; failing twice is a cancel.
TEST_F(PrintDocumentTest, AFailedDialogIsTriedOnceMoreWithTheDefaultSetup) {
    PrintChoice odd = FilterChoice(PageFilter::Odd);
    odd.copies = 3;
    QueueOk(odd);
    PrintDocument(view_);
    sysdlg::headless::ResetPrintDialogs();
    sysdlg::headless::QueuePrintDialogStep({false, {}, true});
    QueueOk(FilterChoice(PageFilter::Even));
    PrintRunResult run = PrintDocument(view_);
    EXPECT_EQ(run.pagesDrawn, (Pages{2, 4}));
    const auto& dialogs = sysdlg::headless::PrintDialogs();
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].request.initial.copies, 3);
    EXPECT_EQ(dialogs[1].request.initial.copies, 1) << "the retry takes the default setup";
    const auto& status = ui::headless::StatusTexts();
    EXPECT_TRUE(std::any_of(status.begin(), status.end(), [](const auto& s) {
        return s.text.find("Using default driver setup.") != std::string::npos;
    }));

    sysdlg::headless::QueuePrintDialogStep({false, {}, true});
    sysdlg::headless::QueuePrintDialogStep({false, {}, true});
    const testing::ViewSnapshot before = Snapshot();
    run = PrintDocument(view_);
    EXPECT_EQ(run.outcome, PrintOutcome::NotChosen);
    EXPECT_NE(ui::headless::StatusTexts().back().text.find("User canceled print."), std::string::npos);
    EXPECT_EQ(Snapshot(), before);
}

// Print to file over an existing file: No leaves it byte-equal and prints
// nothing; Yes replaces it with the PDF. The program makes the copies of a file:
// two copies of the even pages are 2, 4, 2, 4.
TEST_F(PrintDocumentTest, PrintToFileAsksBeforeReplacingAndMakesTheCopies) {
    const std::filesystem::path target = scratch / "score.pdf";
    std::ofstream(target, std::ios::binary) << "kept bytes";
    PrintChoice choice = FilterChoice(PageFilter::Even);
    choice.printToFile = true;
    choice.filePath = target.string();
    choice.copies = 2;

    QueueOk(choice);
    ui::headless::QueueMessageBoxAnswer(ui::kIdNo);
    const testing::ViewSnapshot before = Snapshot();
    PrintRunResult run = PrintDocument(view_);
    EXPECT_EQ(run.outcome, PrintOutcome::Declined);
    EXPECT_TRUE(run.pagesDrawn.empty());
    EXPECT_EQ(ReadBytes(target), "kept bytes");
    EXPECT_FALSE(std::filesystem::exists(target.string() + ".part"));
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], "File already exists.  Replace " + target.string() + " ?");
    EXPECT_EQ(ui::headless::MessageBoxes().back().caption, "Save As");
    EXPECT_EQ(Snapshot(), before);

    QueueOk(choice);
    ui::headless::QueueMessageBoxAnswer(ui::kIdYes);
    run = PrintDocument(view_);
    EXPECT_EQ(run.outcome, PrintOutcome::Printed);
    EXPECT_EQ(run.pagesDrawn, (Pages{2, 4, 2, 4}));
    EXPECT_EQ(PdfPageCount(target.string()), 4);
    EXPECT_TRUE(sysdlg::headless::SubmittedPrintJobs().empty())
        << "a file is not sent to a printer";
}

// Copies for a printer go to the print system: the PDF holds the pages once.
TEST_F(PrintDocumentTest, PrinterCopiesGoToThePrintSystem) {
    PrintChoice choice = FilterChoice(PageFilter::Odd);
    choice.copies = 2;
    choice.collate = true;
    QueueOk(choice);
    EXPECT_EQ(PrintDocument(view_).pagesDrawn, (Pages{1, 3, 5}));
    ASSERT_EQ(sysdlg::headless::SubmittedPrintJobs().size(), 1u);
    EXPECT_EQ(sysdlg::headless::SubmittedPrintJobs()[0].copies, 2);
    EXPECT_TRUE(sysdlg::headless::SubmittedPrintJobs()[0].collate);
    EXPECT_EQ(PdfPageCount(SubmittedPdf()), 3);
}

// Cancel in the "Printing ..." box after page 2 stops the run there: the job is
// abandoned, nothing is sent and no box follows.
TEST_F(PrintDocumentTest, CancelInThePrintingBoxAbandonsTheJob) {
    SetPrintedPageObserver([](int32_t page, platform::DcHandle) {
        if (page != 2) return;
        platform::WindowHandle box = AbortBox();
        ASSERT_TRUE(box);
        ui::headless::DialogDriver driver(box);
        EXPECT_TRUE(driver.Click(ui::kIdCancel));
    });
    const testing::ViewSnapshot before = Snapshot();
    QueueOk(FilterChoice(PageFilter::Every));
    PrintRunResult run = PrintDocument(view_);
    EXPECT_EQ(run.outcome, PrintOutcome::Aborted);
    EXPECT_EQ(run.pagesDrawn, (Pages{1, 2}));
    EXPECT_TRUE(sysdlg::headless::SubmittedPrintJobs().empty());
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_FALSE(AbortBox()) << "the box lives for one run";
    EXPECT_TRUE(win::IsWindowEnabled(Frame().window));
    EXPECT_TRUE(win::IsWindowEnabled(view_->ViewWindow));
    EXPECT_EQ(Snapshot(), before);
}

// Pages are printed under the wait cursor; the cursor in force before comes back.
TEST_F(PrintDocumentTest, PagesArePrintedUnderTheWaitCursor) {
    const platform::CursorHandle before = win::SetCursor(win::LoadSystemCursor(win::SystemCursor::Cross));
    std::vector<int32_t> shapes;
    SetPrintedPageObserver([&shapes](int32_t, platform::DcHandle) {
        shapes.push_back(win::CursorResourceId(win::GetCursor()));
    });
    QueueOk(FilterChoice(PageFilter::Every));
    EXPECT_EQ(PrintDocument(view_).outcome, PrintOutcome::Printed);
    SetPrintedPageObserver(nullptr);
    ASSERT_FALSE(shapes.empty());
    for (int32_t shape : shapes) EXPECT_EQ(shape, static_cast<int32_t>(win::SystemCursor::Wait));
    EXPECT_EQ(win::CursorResourceId(win::GetCursor()), static_cast<int32_t>(win::SystemCursor::Cross));
    win::SetCursor(before);
}

// Pages are drawn inside the long-operation guard: the frame and the score's
// window are disabled meanwhile and enabled again after; a print asked for while
// another long operation runs is refused with a beep and draws nothing.
TEST_F(PrintDocumentTest, PagesAreDrawnWithTheProgramDisabled) {
    std::vector<bool> guarded;
    SetPrintedPageObserver([&](int32_t, platform::DcHandle) {
        guarded.push_back(LongOperationRunning() && !win::IsWindowEnabled(view_->ViewWindow));
    });
    QueueOk(FilterChoice(PageFilter::Every));
    EXPECT_EQ(PrintDocument(view_).outcome, PrintOutcome::Printed);
    ASSERT_EQ(guarded.size(), 5u);
    for (bool g : guarded) EXPECT_TRUE(g);
    EXPECT_FALSE(LongOperationRunning());
    EXPECT_TRUE(win::IsWindowEnabled(view_->ViewWindow));

    guarded.clear();
    {
        const LongOperation running;
        const size_t beeps = ui::headless::Beeps().size();
        QueueOk(FilterChoice(PageFilter::Every));
        EXPECT_NE(PrintDocument(view_).outcome, PrintOutcome::Printed);
        EXPECT_GT(ui::headless::Beeps().size(), beeps);
    }
    SetPrintedPageObserver(nullptr);
    EXPECT_TRUE(guarded.empty());
}

// A page error (StartPage refused) cancels the job, sends nothing and shows
// "Print error"; so does a print system that refuses the finished PDF.
TEST_F(PrintDocumentTest, APageErrorCancelsTheJobAndShowsPrintError) {
    // A page left open makes the next StartPage fail, as a failing driver would.
    SetPrintedPageObserver([](int32_t page, platform::DcHandle printer) {
        if (page == 1) gfx::StartPage(printer);
    });
    const testing::ViewSnapshot before = Snapshot();
    QueueOk(FilterChoice(PageFilter::Every));
    PrintRunResult run = PrintDocument(view_);
    EXPECT_EQ(run.outcome, PrintOutcome::Failed);
    EXPECT_EQ(run.pagesDrawn, (Pages{1}));
    EXPECT_TRUE(sysdlg::headless::SubmittedPrintJobs().empty());
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Print error"}));
    EXPECT_TRUE(win::IsWindowEnabled(Frame().window));
    EXPECT_EQ(Snapshot(), before);

    SetPrintedPageObserver(nullptr);
    sysdlg::headless::FailNextSubmissions(1);
    QueueOk(FilterChoice(PageFilter::Even));
    EXPECT_EQ(PrintDocument(view_).outcome, PrintOutcome::Failed);
    EXPECT_EQ(BoxTexts().size(), 2u);
}

// A view printed from scroll view goes back to scroll view with its own origin
// and zoom, and the page it had.
TEST_F(PrintDocumentTest, AScrollViewIsGivenBackAsScrollView) {
    ASSERT_TRUE(BuildGalleyPage(view_, nullptr));
    ASSERT_NE(EnterScrollView(view_), 0);
    view_->scrollOrigin[0] += 512;
    const testing::ViewSnapshot before = Snapshot();
    ASSERT_EQ(before.pageView, 0);
    QueueOk(FilterChoice(PageFilter::Even));
    PrintRunResult run = PrintDocument(view_);
    EXPECT_EQ(run.pagesDrawn, (Pages{2, 4}));
    EXPECT_EQ(PdfPageCount(SubmittedPdf()), 2);
    EXPECT_EQ(Snapshot(), before);
}

// Text measured like the printer's: its reference context stands aside while the
// pages are drawn on the printer itself, and a new one is there after the run, or
// after a cancelled dialog; the view comes back as it was.
TEST_F(PrintDocumentTest, TheReferenceContextStandsAsideForTheRun) {
    SetMeasuringMode(MeasuringMode::Reference);
    ASSERT_TRUE(State().drawing.ReferenceDC);
    const testing::ViewSnapshot before = Snapshot();
    int pages = 0;
    SetPrintedPageObserver([&pages](int32_t, platform::DcHandle) {
        ++pages;
        EXPECT_FALSE(State().drawing.ReferenceDC) << "the pages measure on the printer";
    });
    QueueOk(FilterChoice(PageFilter::Even));
    EXPECT_EQ(PrintDocument(view_).outcome, PrintOutcome::Printed);
    EXPECT_EQ(pages, 2);
    const platform::DcHandle after = State().drawing.ReferenceDC;
    ASSERT_TRUE(gfx::IsContextValid(after));
    EXPECT_EQ(gfx::GetDeviceCaps(after, gfx::DeviceCap::LogPixelsY), 600);
    EXPECT_EQ(CurrentMeasuringMode(), MeasuringMode::Reference);
    EXPECT_EQ(Snapshot(), before);
    sysdlg::headless::QueuePrintDialogStep({true, {}});
    EXPECT_EQ(PrintDocument(view_).outcome, PrintOutcome::NotChosen);
    EXPECT_TRUE(gfx::IsContextValid(State().drawing.ReferenceDC));
    ReleaseCharsetText();
}

// The next dialog opens with the last run's choices.
TEST_F(PrintDocumentTest, TheNextDialogOpensWithTheLastChoices) {
    PrintChoice choice = FilterChoice(PageFilter::Odd);
    choice.copies = 3;
    QueueOk(choice);
    PrintDocument(view_);
    sysdlg::headless::QueuePrintDialogStep({true, {}});
    PrintDocument(view_);
    ASSERT_EQ(sysdlg::headless::PrintDialogs().size(), 2u);
    EXPECT_EQ(sysdlg::headless::PrintDialogs()[1].request.initial.copies, 3);
    EXPECT_EQ(sysdlg::headless::PrintDialogs()[1].request.initial.filter, PageFilter::Odd);
    EXPECT_EQ(sysdlg::headless::PrintDialogs()[1].request.minPage, 1);
    EXPECT_EQ(sysdlg::headless::PrintDialogs()[1].request.maxPage, kPages);
    // The dialog and the job take the document's paper.
    const sysdlg::PrintPaper paper = DocumentPaper(*view_->document);
    EXPECT_GT(paper.widthInches, 0.0);
    EXPECT_EQ(sysdlg::headless::PrintDialogs()[1].request.paper.widthInches, paper.widthInches);
    EXPECT_EQ(sysdlg::headless::PrintDialogs()[1].request.paper.heightInches, paper.heightInches);
    ASSERT_FALSE(sysdlg::headless::SubmittedPrintJobs().empty());
    EXPECT_EQ(sysdlg::headless::SubmittedPrintJobs()[0].paper.heightInches, paper.heightInches);
}

}  // namespace
}  // namespace ql

namespace ql {
namespace {

using PrintDialogHookTest = testing::PrintFixture;

// The hook accepts a list of the document's pages and hands it on; a refused
// list is emptied for the dialog that stays open, after the range box.
TEST_F(PrintDialogHookTest, ARefusedListIsEmptiedAndAnAcceptedOneHandedOn) {
    CheckedPrintChoice checked;
    sysdlg::PrintChoiceCheck hook = MakePrintDialogHook(view_->document, &checked);
    PrintChoice refused = ListChoice("0");
    EXPECT_FALSE(hook(refused));
    EXPECT_TRUE(refused.listText.empty());
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kRangeBoxOneToFive}));
    PrintChoice accepted = ListChoice("5,4 5");
    EXPECT_TRUE(hook(accepted));
    EXPECT_EQ(checked.pages, (Pages{5, 4, 5}));
    EXPECT_EQ(accepted.listText, "5,4 5");
    // Ranges other than a list are not read at all.
    PrintChoice all = ListChoice("garbage");
    all.range = sysdlg::PrintRange::All;
    EXPECT_TRUE(hook(all));
    EXPECT_TRUE(checked.pages.empty());
    EXPECT_EQ(BoxTexts().size(), 1u);
}

}  // namespace
}  // namespace ql

namespace ql {
namespace {

using FramePrintCommand = testing::PrintFixture;

// File > Print of the score window's menu prints the active score; the
// settings commands open their dialogs.
TEST_F(FramePrintCommand, TheMenuCommandsReachPrintingAndTheOptionDialogs) {
    QueueOk(FilterChoice(PageFilter::Odd));
    ASSERT_TRUE(ui::headless::ChooseMenuCommand(Frame().window, cmd::kFilePrint));
    Pump();
    ASSERT_EQ(sysdlg::headless::PrintDialogs().size(), 1u);
    EXPECT_EQ(PdfPageCount(SubmittedPdf()), 3);
    for (int32_t command : {cmd::kSetupAutoSave, cmd::kSetBackupCount, cmd::kPickListOptions})
        win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(command, 0));
    const auto& dialogs = ui::headless::Dialogs();
    ASSERT_GE(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[dialogs.size() - 3].templateId,
              sys::ResourceId(autosave_count_dialog::kDialog));
    EXPECT_EQ(dialogs[dialogs.size() - 2].templateId,
              sys::ResourceId(backup_copies_dialog::kDialog));
    EXPECT_EQ(dialogs.back().templateId, sys::ResourceId(pick_list_options_dialog::kDialog));
}

}  // namespace
}  // namespace ql
