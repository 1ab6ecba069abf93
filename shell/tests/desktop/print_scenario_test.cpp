// Printing on the desktop: File > Print (Ctrl+P) shows the print dialog, the virtual
// printer that prints to a file is chosen, and the program draws every page of the
// score into that PDF; Cancel in the dialog prints nothing, and neither does a
// range past the last page.
#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

std::optional<fs::path> FindPdf(const fs::path& folder) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder, error))
        if (entry.path().extension() == ".pdf") return entry.path();
    return std::nullopt;
}

TEST_F(DesktopScenario, PrintToAPdfFile) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    InsertPage();  // two pages
    const fs::path score = home_->Documents() / "printed.ql";
    ASSERT_TRUE(SaveScoreAs(score));
    PressInFrame("ctrl+p");
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("printed.ql");
    ASSERT_TRUE(dialog) << "Ctrl+P showed no print dialog";
    x_.PointAt(*dialog);
    x_.PressKey("Down");
    x_.PressKey("Return");
    std::optional<fs::path> pdf;
    ASSERT_TRUE(WaitFor([&] { return (pdf = FindPdf(home_->Root())).has_value(); })) << "no PDF was printed";
    ASSERT_TRUE(WaitForFile(*pdf));
    EXPECT_EQ(PdfPageCount(*pdf), 2);
    EXPECT_EQ(BlankPdfPages(*pdf), 0);
    EXPECT_EQ(Quit(), 0);
}

// The dialog (with its "Pages" tab) is pictured for the eye; Escape cancels it and
// no PDF appears.
// The window titled exactly `title` (the print dialog is titled by the score's
// name, which the frame's title also holds).
std::optional<ShownWindow> WindowTitled(const XSession& x, std::string_view title) {
    for (const ShownWindow& w : x.Windows())
        if (w.title == title) return w;
    return std::nullopt;
}

TEST_F(DesktopScenario, CancellingThePrintDialogPrintsNothing) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    const fs::path score = home_->Documents() / "cancelled.ql";
    ASSERT_TRUE(SaveScoreAs(score));
    PressInFrame("ctrl+p");
    std::optional<ShownWindow> dialog;
    ASSERT_TRUE(WaitFor([&] { return (dialog = WindowTitled(x_, "cancelled.ql")).has_value(); }))
        << "Ctrl+P showed no print dialog";
    x_.Settle(Millis{500});
    WritePng(x_.Grab(*dialog), TestOutputFolder() / "print_dialog.png");
    x_.PointAt(*dialog);
    x_.PressKey("Escape");
    ASSERT_TRUE(WaitFor([&] { return !WindowTitled(x_, "cancelled.ql"); })) << "the dialog did not close";
    x_.Settle(Millis{1000});
    EXPECT_FALSE(FindPdf(home_->Root())) << "a cancelled print wrote a PDF";
    EXPECT_EQ(Quit(), 0);
}

// File > Print with pages 7-9 of a one-page score, to a file: the program says
// there is nothing to print and the dialog stays open for another choice; once it
// is cancelled, no PDF has been written.
TEST_F(DesktopScenario, APrintRangePastTheLastPageSaysSoAndWritesNothing) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    const fs::path score = home_->Documents() / "short.ql";
    ASSERT_TRUE(SaveScoreAs(score));
    ChooseMenuItem('f', 'p');
    std::optional<ShownWindow> dialog;
    ASSERT_TRUE(WaitFor([&] { return (dialog = WindowTitled(x_, "short.ql")).has_value(); }))
        << "File > Print showed no print dialog";
    x_.Settle(Millis{500});
    x_.PointAt(*dialog);
    x_.PressKey("Down");   // the printer that prints to a file
    x_.PressKey("alt+e");  // "Pages:"
    x_.TypeText("7-9");
    x_.PressKey("Return");
    const std::optional<ShownWindow> box = WaitForMessageBox();
    ASSERT_TRUE(box) << "no box said there is nothing to print";
    x_.Settle(Millis{500});
    WritePng(x_.Grab(*box), TestOutputFolder() / "print_nothing_box.png");
    x_.PointAt(*box);
    x_.PressKey("Return");
    ASSERT_TRUE(WaitFor([&] { return !FindMessageBox(); })) << "the box did not close";
    ASSERT_TRUE(WindowTitled(x_, "short.ql")) << "the dialog did not stay open";
    x_.PointAt(*dialog);
    x_.PressKey("Escape");
    ASSERT_TRUE(WaitFor([&] { return !WindowTitled(x_, "short.ql"); })) << "the dialog did not close";
    x_.Settle(Millis{1000});
    EXPECT_FALSE(FindPdf(home_->Root())) << "a print of no page wrote a PDF";
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
