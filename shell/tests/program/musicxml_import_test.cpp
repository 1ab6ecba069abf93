// A MusicXML file imported into the running program: "Aria.xml" and "Aria.mxl" open
// as "Aria_XML" with their parts' staves and names; a file that cannot be converted
// gives one "Import XML" box with its reason and opens no window.
#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/model/score_document.h"
#include "core/model/view.h"
#include "interchange/musicxml/musicxml_import.h"
#include "platform/sys/folders.h"
#include "platform/ui/headless.h"
#include "platform/win/window.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

const std::filesystem::path kFixture =
    std::filesystem::path(QL_SOURCE_DIR) / "interchange/tests/musicxml/fixtures/duet_partwise.xml";

class MusicXmlImportTest : public testing::ProgramFixture {
  protected:
    void SetUp() override {
        testing::ProgramFixture::SetUp();
        SetMusicXmlConverterPath(std::filesystem::path(QL_PROGRAM_DIR) / kConverterProgram);
    }
    void TearDown() override {
        SetMusicXmlConverterPath({});
        testing::ProgramFixture::TearDown();
    }
    // A stand-in converter: a shell script with this body.
    void StandIn(const std::string& body) {
        const std::filesystem::path script = scratch / "stand-in";
        std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        SetMusicXmlConverterPath(script);
    }
    // The temporary NIFF files left in the temporary folder.
    static int TemporaryFiles() {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(sys::TemporaryFolder()))
            count += entry.path().filename().native().rfind("ql-import-", 0) == 0;
        return count;
    }
};

TEST_F(MusicXmlImportTest, XmlAndMxlOpenAsTheirNameWithXmlAppended) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::filesystem::path xml = scratch / "Aria.xml";
    std::filesystem::copy_file(kFixture, xml);
    const std::filesystem::path mxl = scratch / "Aria.MXL";
    int error = 0;
    zip_t* archive = zip_open(mxl.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    zip_file_add(archive, "Aria.xml", zip_source_file(archive, kFixture.c_str(), 0, 0), 0);
    ASSERT_EQ(zip_close(archive), 0);

    for (const std::filesystem::path& path : {xml, mxl}) {
        ui::headless::ResetUi();
        ScoreView* view = ImportMusicXml(path);
        ASSERT_NE(view, nullptr) << path;
        ASSERT_TRUE(win::IsWindow(view->ViewWindow));
        EXPECT_EQ(win::GetWindowText(view->ViewWindow), "Aria_XML");
        EXPECT_EQ(view->document->header.staffCount, 3);
        // What the conversion left out is listed in one box.
        ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
        EXPECT_EQ(ui::headless::MessageBoxes()[0].caption, kImportXmlCaption);
        EXPECT_NE(ui::headless::MessageBoxes()[0].text.find("grace note: 1"), std::string::npos)
            << ui::headless::MessageBoxes()[0].text;
    }
    EXPECT_EQ(CountOpenDocuments(), 2);
}

TEST_F(MusicXmlImportTest, AFileThatCannotBeConvertedOpensNoWindow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::filesystem::path path = scratch / "bad.xml";
    std::ofstream(path) << "<score-partwise><part-list>";
    ui::headless::ResetUi();
    EXPECT_EQ(ImportMusicXml(path), nullptr);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].caption, kImportXmlCaption);
    EXPECT_NE(ui::headless::MessageBoxes()[0].text.find("bad.xml: line 1, column"), std::string::npos)
        << ui::headless::MessageBoxes()[0].text;
    EXPECT_EQ(ImportMusicXml(scratch / "missing.mxl"), nullptr);
    EXPECT_EQ(ui::headless::MessageBoxes().size(), 2u);
    EXPECT_EQ(CountOpenDocuments(), 0);
}

// Each outcome of the converter program gives its box, opens no window and leaves
// no temporary file.
TEST_F(MusicXmlImportTest, ConverterFailuresGiveTheirBoxesAndLeaveNothing) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::filesystem::path xml = scratch / "Aria.xml";
    std::filesystem::copy_file(kFixture, xml);
    const int before = TemporaryFiles();
    struct Case {
        std::string body;
        std::string box;
    };
    const Case cases[] = {
        {"exit 2", kConverterFunctionText},
        {"echo 'line 3, column 4: mismatched tag' >&2; exit 1", "Aria.xml: line 3, column 4: mismatched tag"},
        {"kill -SEGV $$", kConverterStoppedText},
        {"exit 0", kConverterStoppedText},  // success claimed, nothing written
    };
    for (const Case& test : cases) {
        StandIn(test.body);
        ui::headless::ResetUi();
        EXPECT_EQ(ImportMusicXml(xml), nullptr) << test.body;
        ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u) << test.body;
        EXPECT_EQ(ui::headless::MessageBoxes()[0].text, test.box);
        EXPECT_EQ(ui::headless::MessageBoxes()[0].caption, kImportXmlCaption);
        EXPECT_EQ(TemporaryFiles(), before) << test.body;
    }
    SetMusicXmlConverterPath(scratch / "no-such-converter");
    ui::headless::ResetUi();
    EXPECT_EQ(ImportMusicXml(xml), nullptr);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].text, "Unable to locate file no-such-converter");
    EXPECT_EQ(CountOpenDocuments(), 0);
}

}  // namespace
}  // namespace ql
