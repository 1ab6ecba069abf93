// Print to file next to the user's own files: the PDF is drawn into a spool file
// no file had the name of, so a file called "<print file>.part" stays as it was,
// and the file of a score open in the program is refused as Save As refuses it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/model/score_document.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "shell/tests/printing/print_fixture.h"

namespace ql {
namespace {

using PrintFileSafety = testing::PrintFixture;
using sysdlg::PageFilter;
using sysdlg::PrintChoice;

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

PrintChoice FileChoice(const std::filesystem::path& file) {
    PrintChoice choice;
    choice.filter = PageFilter::Every;
    choice.printToFile = true;
    choice.filePath = file.string();
    return choice;
}

// The user's "<file>.part" is neither written nor removed; the PDF lands in the
// print file and no spool file is left beside it.
TEST_F(PrintFileSafety, TheSpoolFileIsNeverAFileOfTheUser) {
    const std::filesystem::path target = scratch / "score.pdf";
    std::ofstream(target.string() + ".part", std::ios::binary) << "the user's notes";
    QueueOk(FileChoice(target));
    const PrintRunResult run = PrintDocument(view_);
    ASSERT_EQ(run.outcome, PrintOutcome::Printed);
    EXPECT_EQ(PdfPageCount(target.string()), kPages);
    EXPECT_EQ(ReadText(target.string() + ".part"), "the user's notes");
    int left = 0;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.Path()))
        if (entry.path().extension() == ".part") ++left;
    EXPECT_EQ(left, 1) << "only the user's own file";
}

// Printing over the file of the score open in the program is refused with the
// notice Save As gives, before any question and with the file as it was.
TEST_F(PrintFileSafety, TheFileOfAnOpenScoreIsRefused) {
    const std::filesystem::path score = scratch / "open.ql";
    std::ofstream(score, std::ios::binary) << "the open score";
    view_->document->path = score.string();
    QueueOk(FileChoice(score));
    ui::headless::QueueMessageBoxAnswer(ui::kIdYes);  // were it asked to replace
    const PrintRunResult run = PrintDocument(view_);
    EXPECT_EQ(run.outcome, PrintOutcome::Declined);
    EXPECT_TRUE(run.pagesDrawn.empty());
    EXPECT_EQ(ReadText(score), "the open score");
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], "File \"" + score.string() + "\"  is already open in another view.");
}

}  // namespace
}  // namespace ql
