// The import report: counts by kind in first-seen order, one box at most, and
// the diagnostic lines of counts and private notes.
#include "interchange/import_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/ui/headless.h"

namespace ql {
namespace {

std::string Diagnostics(const ImportReport& report) {
    std::FILE* file = std::tmpfile();
    report.WriteDiagnostics(file);
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
    std::fclose(file);
    return text;
}

TEST(ImportReport, CountsKindsAndShowsOneBox) {
    ui::headless::ResetUi();
    ImportReport report;
    report.Count("note", 3);
    report.Count("chord symbols");
    report.Count("note");
    report.Count("ignored", 0);
    report.Note("unknown chunk 'ABCD'");
    EXPECT_EQ(report.CountOf("note"), 4);
    EXPECT_EQ(report.Total(), 5);
    EXPECT_EQ(report.Text(), std::string(kImportReportHeading) + "\nnote: 4\nchord symbols: 1");
    EXPECT_EQ(Diagnostics(report),
              "import: not converted: note: 4\nimport: not converted: chord symbols: 1\n"
              "import: unknown chunk 'ABCD'\n");
    report.Show("Caption", nullptr);
    report.Show("Caption", nullptr);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].caption, "Caption");
    EXPECT_EQ(ui::headless::MessageBoxes()[0].text, report.Text());
}

// Private extensions alone raise no box.
TEST(ImportReport, NotesAloneShowNothing) {
    ui::headless::ResetUi();
    ImportReport report;
    report.Note("unknown tag 200");
    report.Show("Caption", nullptr);
    EXPECT_TRUE(report.Shown());
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
}

// Two stages of one import make one report: the earlier stage's kinds first, the
// counts of a kind both stages found added.
TEST(ImportReport, MergeJoinsTwoStagesInOrder) {
    ImportReport converter;
    converter.Count("grace note", 2);
    converter.Count("stem", 1);
    converter.Note("converter note");
    ImportReport joined = converter;
    ImportReport reader;
    reader.Count("stem", 3);
    reader.Count("dynm");
    joined.Merge(reader);
    EXPECT_EQ(joined.Text(), std::string(kImportReportHeading) + "\ngrace note: 2\nstem: 4\ndynm: 1");
    EXPECT_EQ(joined.Notes().size(), 1u);
}

}  // namespace
}  // namespace ql
