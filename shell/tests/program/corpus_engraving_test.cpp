// Real files made by other programs (the shared corpus beside the project: MusicXML
// scores, the MusicXML feature suite and MIDI files), imported as the program
// imports them (MIDI files with the import's options as they come) and read
// page by page by the engraving check. Each file is its own case; its findings are
// printed by kind. A file may not have more findings than its line in the table
// below allows (none for a file not listed): the table only ever shrinks.
// QL_PAGE_PICTURES=1 also keeps every page as a picture in the test output folder;
// QL_ENGRAVING_FINDINGS=1 lists every finding of a file past its line, not the first 12.
// A MusicXML file's score also holds the measures, staves, notes, marks on notes and
// dynamics the file's own elements give (read without the program's reader; the
// marks and dynamics the conversion said it left out counted with the score's), or those its line in the
// second table gives, and its pages print every word of the file's credits.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/model/view.h"
#include "display/engraving_check.h"
#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/import_commands.h"
#include "interchange/niff/niff_import.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless.h"
#include "sequencer/transcription_dialog_resources.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/musicxml_file_counts.h"
#include "shell/tests/program/page_pictures.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

const std::filesystem::path kCorpus = std::filesystem::path(QL_SOURCE_DIR) / ".." / "shared" / "corpus";

// Findings each file still has, by file name.
const std::map<std::string, int> kStillFound = {
};

// MusicXML files whose score holds other counts than the file: what the score
// holds, by file name. A file not listed holds the file's measures, staves, notes
// and grace notes, counting those the import said it left out.
const std::map<std::string, testing::MusicXmlCounts> kCountsStillDiffering = {
    // A breve, which the score has no value for, is two whole notes tied.
    {"11d-TimeSignatures-ComplexMultiple.xml", {2, 1, 12, 0}},
};

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> files;
    for (const char* folder : {"musicxml-real", "musicxml-suite", "midi"}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(kCorpus / folder, error)) {
            const std::string extension = entry.path().extension().string();
            if (extension == ".xml" || extension == ".mxl" || extension == ".mid")
                files.push_back(std::string(folder) + "/" + entry.path().filename().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string CaseName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = std::filesystem::path(info.param).stem().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

class CorpusEngravingTest : public testing::ProgramFixture, public ::testing::WithParamInterface<std::string> {
  protected:
    // The score the file imports into; null when the import refuses the file (a
    // damaged MIDI file), after saying why.
    // The marks on notes and dynamics the last MusicXML conversion said it left out.
    static inline testing::MusicXmlCounts leftOut_;

    static ScoreView* Import(const std::filesystem::path& path) {
        ui::headless::ResetUi();
        if (path.extension() == ".mid") {
            ui::headless::SetDialogScript(import_options_dialog::kDialog,
                                          [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
            ScoreView* view = ImportFileByExtension(path);
            if (view == nullptr) {
                EXPECT_FALSE(ui::headless::MessageBoxes().empty()) << "refused without a message";
            }
            return view;
        }
        std::ifstream in(path, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const musicxml::MusicXmlForm form =
            path.extension() == ".mxl" ? musicxml::MusicXmlForm::Compressed : musicxml::MusicXmlForm::Plain;
        const musicxml::MusicXmlConversion conversion = musicxml::ConvertMusicXml(bytes, form);
        EXPECT_TRUE(conversion.ok) << conversion.error;
        if (!conversion.ok) return nullptr;
        leftOut_ = testing::SaidLeftOut(conversion.skipped.Counts());
        ScoreView* view = niff::OpenNiffScoreWindowFromMemory(conversion.niff, path.stem().string() + "_XML");
        EXPECT_NE(view, nullptr);
        return view;
    }
};

TEST_P(CorpusEngravingTest, PagesHaveNoMoreFindingsThanListed) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::filesystem::path path = kCorpus / GetParam();
    ScoreView* view = Import(path);
    if (view == nullptr) return;
    if (path.extension() == ".xml") {
        std::ifstream in(path, std::ios::binary);
        const testing::MusicXmlCounts file = testing::MusicXmlFileCounts({std::istreambuf_iterator<char>(in), {}});
        const auto differing = kCountsStillDiffering.find(path.filename().string());
        testing::MusicXmlCounts score = testing::ImportedScoreCounts(view);
        score.marks += leftOut_.marks;
        score.dynamics += leftOut_.dynamics;
        EXPECT_EQ(score, differing != kCountsStillDiffering.end() ? differing->second : file)
            << "the file holds " << file;
        // Every word of the file's credits on the score's pages is printed there (a
        // credit on a page past the last is said to be left out).
        in.clear();
        in.seekg(0);
        const std::set<std::string> printed = testing::PageTextWords(view);
        std::string missing;
        for (const std::string& word : testing::MusicXmlCreditWords({std::istreambuf_iterator<char>(in), {}},
                                                                          view->document->header.pageCount))
            if (!printed.contains(word)) missing += " " + word;
        EXPECT_TRUE(missing.empty()) << "credit words not printed:" << missing;
    }
    if (std::getenv("QL_PAGE_PICTURES") != nullptr) {
        EXPECT_TRUE(testing::SavePagePictures(view, "corpus_" + path.stem().string()));
    }
    const std::vector<EngravingFinding> findings = CheckEngraving(view);
    std::array<int, kFindingKindCount> byKind{};
    for (const EngravingFinding& f : findings) ++byKind[static_cast<size_t>(f.kind)];
    std::string counts;
    for (int kind = 0; kind < kFindingKindCount; ++kind)
        if (byKind[kind] != 0)
            counts += std::string(counts.empty() ? "" : ", ") + FindingKindName(static_cast<FindingKind>(kind)) + " " +
                      std::to_string(byKind[kind]);
    std::cout << "[corpus] " << GetParam() << ": " << findings.size() << " finding(s)"
              << (counts.empty() ? "" : ": " + counts) << "\n";
    const auto listed = kStillFound.find(path.filename().string());
    const int allowed = listed != kStillFound.end() ? listed->second : 0;
    const size_t shownCount = std::getenv("QL_ENGRAVING_FINDINGS") != nullptr ? findings.size() : 12;
    std::string shown;
    for (size_t i = 0; i < findings.size() && i < shownCount; ++i) shown += "\n  " + DescribeFinding(findings[i]);
    if (std::getenv("QL_ENGRAVING_FINDINGS") != nullptr && !shown.empty()) std::cout << shown.substr(1) << "\n";
    EXPECT_LE(static_cast<int>(findings.size()), allowed) << shown;
    ForceCloseScoreWindow(view->ViewWindow);
    Pump();
}

INSTANTIATE_TEST_SUITE_P(Files, CorpusEngravingTest, ::testing::ValuesIn(CorpusFiles()), CaseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusEngravingTest);

}  // namespace
}  // namespace ql
