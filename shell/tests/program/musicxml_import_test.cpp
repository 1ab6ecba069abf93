// A MusicXML file imported into the running program: "Aria.xml" and "Aria.mxl" open
// as "Aria_XML" with their parts' staves and names; slurs, ties, tuplets and changes
// inside measures become the score's; a file that cannot be converted gives one
// "Import XML" box with its reason and opens no window; Cancel ends the converter.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <zip.h>

#include <cerrno>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <iterator>
#include <fstream>
#include <string>

#include "display/tests/painter/engraving_expect.h"
#include "core/model/event_record.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/model/pages.h"
#include "core/model/page_records.h"
#include "core/constants.h"
#include "layout/page_chain.h"
#include "core/state.h"
#include "core/ui/progress.h"
#include "notes/drawing/note_fields.h"
#include "notes/ties/ties.h"
#include "objects/curves/curve_objects.h"
#include "interchange/musicxml/musicxml_import.h"
#include "platform/sys/folders.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/ui/headless.h"
#include "platform/win/messages.h"
#include "platform/win/window.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/imported_score_dump.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/program_fixture.h"
#include "shell/tests/program/staff_contents.h"

namespace ql {
namespace {

const std::filesystem::path kFixture =
    std::filesystem::path(QL_SOURCE_DIR) / "interchange/tests/musicxml/fixtures/duet_partwise.xml";

class MusicXmlImportTest : public testing::ProgramFixture {
  protected:
    // The import's temporary files go into a folder of the test's own, so that the
    // counts below see no other test's imports running beside it.
    void SetUp() override {
        testing::ProgramFixture::SetUp();
        SetMusicXmlConverterPath(std::filesystem::path(QL_PROGRAM_DIR) / kConverterProgram);
        if (const char* tmp = std::getenv("TMPDIR")) savedTemporary_ = tmp;
        const std::filesystem::path temporary = scratch / "tmp";
        std::filesystem::create_directories(temporary);
        ::setenv("TMPDIR", temporary.c_str(), 1);
    }
    void TearDown() override {
        if (savedTemporary_)
            ::setenv("TMPDIR", savedTemporary_->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
        SetMusicXmlConverterPath({});
        testing::ProgramFixture::TearDown();
    }
    std::optional<std::string> savedTemporary_;
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
        EXPECT_TRUE(testing::EngravingIsClean(view));
        // What the conversion left out is listed in one box.
        ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
        EXPECT_EQ(ui::headless::MessageBoxes()[0].caption, kImportXmlCaption);
        EXPECT_NE(ui::headless::MessageBoxes()[0].text.find("diatonic: 1"), std::string::npos)
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
        std::string shown;  // every box, to name an unexpected one
        for (const ui::headless::MessageBoxRecord& box : ui::headless::MessageBoxes())
            shown += "[" + box.caption + "] " + box.text + "\n";
        ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u) << test.body << "\n" << shown;
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

// A slur above from measure 1 over the barline, a tie below, a triplet and a 5:3
// group, a crescendo, an octave sign, an ending over measure 2, a key change
// inside measure 1 and a clef change inside measure 2.
TEST_F(MusicXmlImportTest, SlursTiesTupletsAndChangesBecomeTheScores) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    ScoreView* view = ImportMusicXml(std::filesystem::path(QL_SOURCE_DIR) /
                                     "interchange/tests/musicxml/fixtures/phrases_partwise.xml");
    ASSERT_NE(view, nullptr);
    // Nothing of these was left out (the report may list the tuplet marks).
    for (const ui::headless::MessageBoxRecord& box : ui::headless::MessageBoxes())
        for (const char* kind : {"slur", "tie", "spanner", "clef", "key", "time", "tuplets without"})
            EXPECT_EQ(box.text.find(kind), std::string::npos) << box.text;
    ScoreDocument* document = view->document;
    const std::vector<ScoreObject*> slurs = testing::ObjectsOf(document, 1, ObjectType::Slur);
    ASSERT_EQ(slurs.size(), 1u);
    const SlurBody& slur = AsSlur(slurs[0])->body;
    EXPECT_EQ(slur.points[3].coarse[0], 1);  // ends in the next measure
    EXPECT_EQ(slur.points[3].coarse[1], 0);
    // The triplet fills the first beat: its notes carry their ratio, and the
    // quarter after it starts on the second beat, tied below to measure 2.
    EventRecord* first = testing::NoteAt(document, 1, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first->tupletKind, 0);
    EventRecord* tied = testing::NoteAt(document, 1, 1024);
    ASSERT_NE(tied, nullptr);
    EXPECT_EQ(tied->tupletKind, 0);
    ASSERT_NE(FindNoteTie(tied), nullptr);
    EXPECT_GT(AsTie(FindNoteTie(tied))->body.startDy, 0);
    EventRecord* quintuplet = testing::NoteAt(document, 2, 1024);
    ASSERT_NE(quintuplet, nullptr);
    EXPECT_NE(quintuplet->tupletKind, 0);
    EXPECT_EQ(testing::ObjectsOf(document, 1, ObjectType::Hairpin).size(), 1u);
    EXPECT_EQ(testing::ObjectsOf(document, 2, ObjectType::Octave).size(), 1u);
    EXPECT_EQ(testing::ObjectsOf(document, 2, ObjectType::RepeatEnding).size(), 1u);
    EXPECT_EQ(testing::ObjectsOf(document, 1, ObjectType::KeySignature).size(), 1u);
    EXPECT_EQ(testing::ObjectsOf(document, 2, ObjectType::Clef).size(), 1u);
}

// Every page of an imported score, of one system or of six, has its first system
// a staff height below the page's top margin, never above it.
TEST_F(MusicXmlImportTest, ImportedSystemsStandBelowTheTopMargin) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    // Two parts of 60 measures: a page of systems, the rest on page 2.
    const std::filesystem::path longScore = scratch / "Long.xml";
    {
        std::ofstream out(longScore);
        out << "<score-partwise><part-list><score-part id=\"P1\"><part-name>A</part-name></score-part>"
               "<score-part id=\"P2\"><part-name>B</part-name></score-part></part-list>";
        for (const char* part : {"P1", "P2"}) {
            out << "<part id=\"" << part << "\">";
            for (int measure = 1; measure <= 60; ++measure) {
                out << "<measure number=\"" << measure << "\">";
                if (measure == 1)
                    out << "<attributes><divisions>1</divisions><time><beats>4</beats><beat-type>4</beat-type>"
                           "</time><clef><sign>G</sign><line>2</line></clef></attributes>";
                for (int beat = 0; beat < 4; ++beat)
                    out << "<note><pitch><step>C</step><octave>5</octave></pitch><duration>1</duration>"
                           "<type>quarter</type></note>";
                out << "</measure>";
            }
            out << "</part>";
        }
        out << "</score-partwise>";
    }
    for (const std::filesystem::path& path : {kFixture, longScore}) {
        ui::headless::ResetUi();
        ScoreView* view = ImportMusicXml(path);
        ASSERT_NE(view, nullptr) << path;
        int pages = 0;
        for (ScorePage* page = GetPageAt(view->document, 0); page != nullptr; page = GetPageAt(view->document, ++pages)) {
            PageMargins margins;
            ASSERT_TRUE(GetPageMargins(page, &margins)) << path;
            ASSERT_TRUE(page->firstSystem) << path;
            EXPECT_GE(page->firstSystem->y, kLogicalOrigin + margins.logical[1] + pages::kStaffHeight)
                << path << " page " << pages + 1;
        }
        EXPECT_EQ(pages, path == longScore ? 2 : 1) << path;
    }
}

// A small chorale (see its file for what it covers) imports with its pickup (one
// quarter long under 4/4), common time changing to cut time, a beam group
// down to sixty-fourths, a chain of three tied notes, two verses with hyphens, a
// six-line staff, whole-measure rests (measures left empty, which show their
// whole-measure rest) and its own system break; nothing is reported.
TEST_F(MusicXmlImportTest, AChoraleImportsAsItsFileSays) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    ScoreView* view = ImportMusicXml(std::filesystem::path(QL_SOURCE_DIR) /
                                     "interchange/tests/musicxml/fixtures/chorale_partwise.xml");
    ASSERT_NE(view, nullptr);
    for (const ui::headless::MessageBoxRecord& box : ui::headless::MessageBoxes()) ADD_FAILURE() << box.text;
    const std::string dump = testing::ImportedScoreDump(view->document);
    // Key 8 is one sharp; time 4/10 is 4/4 and 2/11 is 2/2; values 6 (sixty-fourth)
    // to 12 (whole); steps count up the staff from its bottom line as negative.
    EXPECT_EQ(dump.substr(0, dump.find("page 1")),
              "staff 1 lines 5\n"
              "staff 1 measure 1 length 1024 clef 0 key 8 time 4/10\n"
              "  v0: |0:10.0@-6 [O/1] [Al-/0]\n"
              "staff 1 measure 2 length 4096 clef 0 key 8 time 4/10\n"
              "  v0: |0:8.0@-4 b> |256:6.0@-3 b<> |320:6.0@-4 b<> |384:6.0@-5 b<> |448:6.0@-4 b<> |512:9.0@-3 b< "
              "|1024:11.1@-2 t> [5] [Lord-/1] [le/0]\n"
              "staff 1 measure 3 length 4096 clef 0 key 8 time 4/10\n"
              "  v0: |0:12.0@-2 t<> [5]\n"
              "staff 1 measure 4 length 4096 clef 0 key 8 time 2/11\n"
              "  v0: |0:11.0@-2 t< rest 2048:11.0\n"
              "staff 2 lines 6\n"
              "staff 2 measure 1 length 1024 clef 0 key 8 time 4/10\n"
              "  v0: rest 0:10.0\n"
              "staff 2 measure 2 length 4096 clef 0 key 8 time 4/10\n"
              "staff 2 measure 3 length 4096 clef 0 key 8 time 4/10\n"
              "  v0: |0:12.0@3\n"
              "staff 2 measure 4 length 4096 clef 0 key 8 time 2/11\n");
    // One system filled by width (the file's new-system mark is not kept), on one
    // page with the movement title.
    EXPECT_EQ(dump.substr(dump.find("page 1")), "page 1 systems 1-4 texts \"Chorale\"\n");
}

// A triplet of eighths nested in a triplet of quarters: the inner notes take the
// ratio of both (9:4), the quarters around them the outer one (3:2), so every note
// starts where it sounds and the half note after the group starts on beat 3; the
// nesting is listed as a skip.
TEST_F(MusicXmlImportTest, NestedTupletsKeepEveryNotesTime) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::filesystem::path path = scratch / "Nested.xml";
    std::ofstream(path) <<
        "<score-partwise><part-list><score-part id=\"P\"><part-name>V</part-name></score-part></part-list>"
        "<part id=\"P\"><measure number=\"1\"><attributes><divisions>9</divisions>"
        "<time><beats>4</beats><beat-type>4</beat-type></time><clef><sign>G</sign><line>2</line></clef></attributes>"
        "<note><pitch><step>C</step><octave>5</octave></pitch><duration>6</duration><type>quarter</type>"
        " <time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes></time-modification>"
        " <notations><tuplet type=\"start\" number=\"1\"/></notations></note>"
        "<note><pitch><step>D</step><octave>5</octave></pitch><duration>2</duration><type>eighth</type>"
        " <time-modification><actual-notes>9</actual-notes><normal-notes>4</normal-notes></time-modification>"
        " <notations><tuplet type=\"start\" number=\"2\"/></notations></note>"
        "<note><pitch><step>E</step><octave>5</octave></pitch><duration>2</duration><type>eighth</type>"
        " <time-modification><actual-notes>9</actual-notes><normal-notes>4</normal-notes></time-modification></note>"
        "<note><pitch><step>F</step><octave>5</octave></pitch><duration>2</duration><type>eighth</type>"
        " <time-modification><actual-notes>9</actual-notes><normal-notes>4</normal-notes></time-modification>"
        " <notations><tuplet type=\"stop\" number=\"2\"/></notations></note>"
        "<note><pitch><step>G</step><octave>5</octave></pitch><duration>6</duration><type>quarter</type>"
        " <time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes></time-modification>"
        " <notations><tuplet type=\"stop\" number=\"1\"/></notations></note>"
        "<note><pitch><step>A</step><octave>5</octave></pitch><duration>18</duration><type>half</type></note>"
        "</measure></part></score-partwise>";
    ui::headless::ResetUi();
    ScoreView* view = ImportMusicXml(path);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_NE(ui::headless::MessageBoxes()[0].text.find("nested tuplet: 1"), std::string::npos)
        << ui::headless::MessageBoxes()[0].text;
    const std::string dump = testing::ImportedScoreDump(view->document);
    // tup1/0 is the fixed triplet ratio, tup2/148 the free ratio 9:4 (0x94); each
    // of the three groups has its mark (type 51).
    EXPECT_EQ(dump.substr(0, dump.find("page 1")),
              "staff 1 lines 5\n"
              "staff 1 measure 1 length 4096 clef 0 key 7 time 4/10\n"
              "  v0: |0:10.0@-5 tup1/0 [51] |682:9.0@-6 tup2/148 |910:9.0@-7 tup2/148 [51] |1137:9.0@-8 tup2/148 "
              "|1365:10.0@-9 tup1/0 [51] |2048:11.0@-10\n");
}

// Hostile files beside an open score: deep nesting, huge numbers, an entity bomb
// and a truncated archive each end in one "Import XML" box with the converter's
// reason (or, for the numbers, convert with the item skipped and listed), and the
// open score is unchanged byte for byte.
TEST_F(MusicXmlImportTest, HostileFilesGiveTheirReasonAndLoseNothing) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* other = testing::isolation::NewScoreFromMenu(2);
    ASSERT_NE(other, nullptr);
    const std::vector<uint8_t> before = testing::isolation::PoolBytes(other->document);
    std::string deep = "<score-partwise>";
    for (int level = 0; level < 100000; ++level) deep += "<a>";
    const std::string bomb =
        "<?xml version=\"1.0\"?><!DOCTYPE s [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]><score-partwise>&c;</score-partwise>";
    const std::string huge =
        "<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
        "<attributes><divisions>99999999999999999999</divisions></attributes>"
        "<note><pitch><step>C</step><octave>5</octave></pitch><duration>1</duration><type>quarter</type></note>"
        "</measure></part></score-partwise>";
    std::string archive;
    {
        const std::filesystem::path mxl = scratch / "whole.mxl";
        int error = 0;
        zip_t* zip = zip_open(mxl.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(zip, nullptr);
        zip_file_add(zip, "Aria.xml", zip_source_file(zip, kFixture.c_str(), 0, 0), 0);
        ASSERT_EQ(zip_close(zip), 0);
        std::ifstream in(mxl, std::ios::binary);
        archive.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        archive.resize(archive.size() / 2);
    }
    struct Case {
        std::string name, bytes, box;
        bool opens;
    };
    const Case cases[] = {
        {"Deep.xml", deep, "nested deeper than 256 levels", false},
        {"Bomb.xml", bomb, "entity declarations are not accepted", false},
        {"Cut.mxl", archive, "not a readable zip archive", false},
        {"Huge.xml", huge, "out-of-range number in <divisions>: 1", true},
    };
    for (const Case& test : cases) {
        std::ofstream(scratch / test.name, std::ios::binary) << test.bytes;
        ui::headless::ResetUi();
        ScoreView* view = ImportMusicXml(scratch / test.name);
        EXPECT_EQ(view != nullptr, test.opens) << test.name;
        ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u) << test.name;
        EXPECT_EQ(ui::headless::MessageBoxes()[0].caption, kImportXmlCaption) << test.name;
        EXPECT_NE(ui::headless::MessageBoxes()[0].text.find(test.box), std::string::npos)
            << test.name << ": " << ui::headless::MessageBoxes()[0].text;
        if (view != nullptr) ForceCloseScoreWindow(view->ViewWindow);
        Pump();
        EXPECT_EQ(CountOpenDocuments(), 1) << test.name;
        EXPECT_TRUE(testing::isolation::PoolBytes(other->document) == before) << test.name;
    }
}

// Cancel in the progress dialog while the converter hangs: the child is killed and
// waited for, the dialog closes, no box but the confirmation, no window, and the
// temporary file is gone.
TEST_F(MusicXmlImportTest, CancelEndsAHangingConverter) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::filesystem::path xml = scratch / "Aria.xml";
    std::filesystem::copy_file(kFixture, xml);
    const int before = TemporaryFiles();
    StandIn("echo 'progress 1 Converting'; exec sleep 1000");
    ui::headless::ResetUi();
    // The user presses Cancel in the progress dialog and confirms.
    BeginProgressDialog(0, 1, "");
    ASSERT_NE(State().dialogs.ProgressDialog, platform::WindowHandle{});
    win::PostMessage(State().dialogs.ProgressDialog, win::Message::Command,
                     win::MakeCommandWord(ui::kIdCancel, ui::kButtonClicked));
    ui::headless::QueueMessageBoxAnswer(ui::kIdYes);
    EXPECT_EQ(ImportMusicXml(xml), nullptr);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_NE(ui::headless::MessageBoxes()[0].caption, kImportXmlCaption);
    EXPECT_EQ(State().dialogs.ProgressDialog, platform::WindowHandle{});
    EXPECT_EQ(TemporaryFiles(), before);
    EXPECT_EQ(CountOpenDocuments(), 0);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

// Notes the file does not print (print-object="no") keep their time, pitch and
// ties, and show neither head, stem nor beam.
TEST_F(MusicXmlImportTest, NotesTheFileDoesNotPrintAreHidden) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    auto note = [](const char* attributes, const char* step, const char* type, int duration, const char* rest) {
        return std::string("<note") + attributes + "><pitch><step>" + step + "</step><octave>5</octave></pitch>" +
               "<duration>" + std::to_string(duration) + "</duration><type>" + type + "</type>" + rest + "</note>";
    };
    const char* hidden = " print-object=\"no\"";
    const std::filesystem::path path = scratch / "Hidden.xml";
    std::ofstream(path) << "<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\"><measure>"
                           "<attributes><divisions>2</divisions></attributes>" +
                               note("", "C", "quarter", 2, "") +
                               note(hidden, "D", "eighth", 1,
                                    "<beam number=\"1\">begin</beam><notations><tied type=\"start\"/></notations>") +
                               note(hidden, "D", "eighth", 1,
                                    "<beam number=\"1\">end</beam><notations><tied type=\"stop\"/></notations>") +
                               note("", "E", "half", 4, "") + "</measure></part></score-partwise>";
    ui::headless::ResetUi();
    ScoreView* view = ImportMusicXml(path);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty()) << ui::headless::MessageBoxes()[0].text;
    ScoreDocument* document = view->document;
    for (const int tick : {0, 2048}) {
        EventRecord* shown = testing::NoteAt(document, 1, tick);
        ASSERT_NE(shown, nullptr) << tick;
        EXPECT_FALSE(IsHeadHidden(*shown) || IsStemHidden(*shown)) << tick;
        EXPECT_EQ(shown->stemWord & kStemBeamsHidden, 0) << tick;
    }
    for (const int tick : {1024, 1536}) {
        EventRecord* unprinted = testing::NoteAt(document, 1, tick);
        ASSERT_NE(unprinted, nullptr) << tick;
        EXPECT_TRUE(IsHeadHidden(*unprinted)) << tick;
        EXPECT_TRUE(IsStemHidden(*unprinted)) << tick;
        EXPECT_NE(unprinted->stemWord & kStemBeamsHidden, 0) << tick;
        EXPECT_TRUE(static_cast<bool>(unprinted->beamPrev) || static_cast<bool>(unprinted->beamNext)) << tick;
    }
    EXPECT_NE(FindNoteTie(testing::NoteAt(document, 1, 1024)), nullptr);
}

}  // namespace
}  // namespace ql
