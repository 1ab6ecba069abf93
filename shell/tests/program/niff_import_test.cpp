// A NIFF file imported into the running program: a new score window with the
// file's staves, titled after the file; a cancel in the progress dialog and memory
// running out close the new window at once with nothing asked, and leave the
// score open beside it unchanged.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/pages.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/model/view.h"
#include "core/state.h"
#include "core/ui/progress.h"
#include "core/model/events.h"
#include "interchange/niff/niff_import.h"
#include "notes/rests/rest.h"
#include "interchange/niff/niff_messages.h"
#include "interchange/niff/niff_tracked_blocks.h"
#include "interchange/niff/niff_writer.h"
#include "platform/gfx/bitmap.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/program_fixture.h"
#include "staves/staff_dialogs.h"

namespace ql {
namespace {

using niff::NiffField;
using niff::NiffWriter;

// Pages of two systems of three staves from three one-staff parts, each page with
// a page text; the form is left open when asked.
NiffWriter ThreeStaffScore(int pages, bool closeForm = true, const char* writer = "Test writer") {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("ISFT");
    out.Text(writer);
    out.EndChunk();
    out.BeginChunk("stbl");
    out.Text(std::string("\0Flute\0Oboe\0Horn\0Title\0Solo\0", 28));
    out.EndChunk();
    for (int part = 0; part < 3; ++part) {
        out.BeginChunk("part", {part, part == 0 ? 1 : part == 1 ? 7 : 12, 0, 1, part, -1, 0});
        out.EndChunk();
    }
    out.EndList();
    out.BeginList("data");
    for (int page = 0; page < pages; ++page) {
        out.BeginList("page");
        out.BeginChunk("pghd");
        out.Tag(48, {2720});
        out.Tag(17, {3520});
        out.EndChunk();
        out.BeginChunk("text", {17});
        out.Tag(3, {"pghd"});
        out.Tag(1, {1000, 100});
        out.EndChunk();
        for (int system = 0; system < 2; ++system) {
            out.BeginChunk("syhd");
            out.Tag(1, {160, 400 + system * 1400});
            out.Tag(48, {2400});
            out.EndChunk();
            for (int staff = 0; staff < 3; ++staff) {
                out.BeginChunk("sthd");
                out.Tag(32, {staff});
                out.Tag(1, {0, staff * 400});
                out.Tag(17, {256});
                out.EndChunk();
                if (staff == 0) {  // a text in the system's measure, without a placement
                    out.BeginChunk("text", {23});
                    out.EndChunk();
                }
            }
        }
        out.EndList();
    }
    out.EndList();
    if (closeForm) out.EndList();
    return out;
}

class NiffImportTest : public testing::ProgramFixture {
  protected:
    std::string Write(const std::string& name, int pages) {
        const std::string path = (scratch / name).string();
        EXPECT_TRUE(ThreeStaffScore(pages).WriteToFile(path));
        return path;
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : ui::headless::MessageBoxes()) texts.push_back(box.text);
        return texts;
    }
    void TearDown() override {
        niff::FailNiffAllocationAfter(0);
        testing::ProgramFixture::TearDown();
    }
};

TEST_F(NiffImportTest, AWriterMadeScoreOpensInItsOwnWindow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = Write("a.b.nif", 2);
    ui::headless::ResetUi();
    ScoreView* view = niff::ImportNiffFile(path);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(win::IsWindow(view->ViewWindow));
    EXPECT_EQ(win::GetWindowText(view->ViewWindow), "a.b_NIFF");
    EXPECT_EQ(view->document->header.staffCount, 3);
    EXPECT_EQ(view->document->changeCounter, 0);
    EXPECT_EQ(CountOpenDocuments(), 1);
    // The file's two pages, each of two systems at most: each page's measures fill
    // its systems by width.
    EXPECT_EQ(view->document->header.pageCount, 2);
    for (int page = 0; page < 2; ++page) {
        const ScorePage* record = GetPageAt(view->document, page);
        ASSERT_NE(record, nullptr);
        EXPECT_GE(record->systemCount, 1) << "page " << page;
        EXPECT_LE(record->systemCount, 2) << "page " << page;
    }
    // Staves: one line count, the parts' channels.
    for (int staff = 1; staff <= 3; ++staff) {
        const StaffRecord* record = StaffRecordOf(view->document, staff);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->timbres[0].channel, staff - 1);
        EXPECT_EQ((record->flags & kStaffLineCountMask) >> kStaffLineCountShift, 5);
    }
    // Page 1's margins from its systems (2 score units a file unit): left and right
    // from the systems' edges, top from the first system, bottom below the last staff.
    PageMargins margins;
    ASSERT_TRUE(GetPageMargins(GetPageAt(view->document, 0), &margins));
    EXPECT_EQ(margins.logical[0], 320);
    EXPECT_EQ(margins.logical[1], 800);
    EXPECT_EQ(margins.logical[2], 320);
    EXPECT_EQ(margins.logical[3], 7040 - (3600 + 1600 + 512));
    // Each part's name labels its staff; each page holds its page text.
    for (int staff = 1; staff <= 3; ++staff) {
        const ScoreObject* label = GetStaffLabelObject(StaffRecordOf(view->document, staff));
        ASSERT_NE(label, nullptr) << "staff " << staff;
        EXPECT_EQ(label->type, static_cast<uint8_t>(ObjectType::Label));
    }
    for (int page = 0; page < 2; ++page) {
        std::vector<std::string> texts;
        for (ScoreObject* object = GetPageAt(view->document, page)->margins->next.get(); object != nullptr;
             object = object->next.get())
            if (object->type == static_cast<uint8_t>(ObjectType::Text))
                texts.push_back(TextObjectString(AsTextObject(object)));
        EXPECT_EQ(texts, std::vector<std::string>{"Title"}) << "page " << page;
    }
    // The texts in measures 1 to 4 of staff 1.
    for (int measure = 1; measure <= 4; ++measure) {
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(view->document, 1), view->document, measure);
        ASSERT_NE(cell, nullptr);
        std::vector<std::string> texts;
        for (ScoreObject* object = cell->objects ? cell->objects->next.get() : nullptr; object != nullptr;
             object = object->next.get())
            if (object->type == static_cast<uint8_t>(ObjectType::Text))
                texts.push_back(TextObjectString(AsTextObject(object)));
        EXPECT_EQ(texts, std::vector<std::string>{"Solo"}) << "measure " << measure;
    }
    // Everything was converted: no report.
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
    // Page 1 as a picture, for the eye.
    testing::isolation::PaintedPixels(view);
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_TRUE(gfx::WritePng(win::GetWindowImage(view->ViewWindow),
                              (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "niff_import_page1.png").string()));
    bool ok = false;
    for (const auto& status : ui::headless::StatusTexts()) ok |= status.text == " OK";
    EXPECT_TRUE(ok);
}

// One page of two systems of two staves, each system of three measures with a
// two-note quarter chord on the last beat of each, and a double barline before every
// measure after the first.
std::vector<uint8_t> MeasuredScore() {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("ISFT");
    out.Text("Test writer");
    out.EndChunk();
    out.BeginChunk("part", {0, 0, 0, 2, 0, -1, 0});
    out.EndChunk();
    out.EndList();
    out.BeginList("data");
    out.BeginChunk("pghd");
    out.Tag(48, {2720});
    out.Tag(17, {3520});
    out.EndChunk();
    for (int system = 0; system < 2; ++system) {
        out.BeginChunk("syhd");
        out.Tag(1, {160, 400 + system * 1400});
        out.Tag(48, {2400});
        out.EndChunk();
        for (int staff = 0; staff < 2; ++staff) {
            out.BeginChunk("sthd");
            out.Tag(32, {0});
            if (staff > 0) out.Tag(47, {staff});
            out.Tag(1, {0, staff * 400});
            out.Tag(17, {256});
            out.EndChunk();
            for (int m = 0; m < 3; ++m) {
                const int measure = system * 3 + m;
                if (measure > 0) {
                    out.BeginChunk("barl", {2, 0, 1});
                    out.EndChunk();
                }
                out.BeginChunk("tmsl", {1, NiffField::Rational(static_cast<int16_t>(measure), 1)});
                out.EndChunk();
                out.BeginChunk("tmsl", {2, NiffField::Rational(3, 4)});
                out.EndChunk();
                out.BeginChunk("stem");
                out.EndChunk();
                for (int step : {1, 2}) {
                    out.BeginChunk("note", {0, step, NiffField::Rational(1, 4)});
                    out.EndChunk();
                }
            }
        }
    }
    out.EndList();
    out.EndList();
    return out.Take();
}

// The file's measures become the score's: as many to a system as its width holds
// (the six, which the file gives three to a system), each of a 4/4 measure's length, with the double barlines and 4/4 in every staff's cells, and
// the notes of each in its voice with a rest before them.
TEST_F(NiffImportTest, TheFilesMeasuresFillItsSystems) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(MeasuredScore(), "measures_NIFF");
    ASSERT_NE(view, nullptr);
    ScoreDocument* document = view->document;
    EXPECT_EQ(document->header.measureCount, 6);
    const ScorePage* page = GetPageAt(document, 0);
    ASSERT_NE(page, nullptr);
    ASSERT_NE(page->firstSystem.get(), nullptr);
    EXPECT_EQ(page->firstSystem->firstMeasure, 1);
    EXPECT_EQ(page->firstSystem->lastMeasure, 6);
    for (int measure = 1; measure <= 6; ++measure) {
        const MeasureRecord* record = MeasureRecordOf(document, measure);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->lengthTicks, 4096) << "measure " << measure;
        EXPECT_EQ(record->barline, measure == 1 ? 0 : 0x44) << "measure " << measure;
        for (int staff = 1; staff <= 2; ++staff) {
            const MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, staff), document, measure);
            ASSERT_NE(cell, nullptr);
            EXPECT_EQ(cell->beats, 4);
            EXPECT_EQ(cell->beatUnit, 10);
            // Voice 0: the chord at 3,072, top note first, and a dotted half rest
            // before it; the measures' 4/4 comes from their content.
            MeasureCell* notes = GetOrCreateMeasureCell(StaffRecordOf(document, staff), document, measure);
            EventRecord* first = GetVoiceFirstEvent(notes, 0);
            ASSERT_NE(first, nullptr);
            EXPECT_EQ(first->time, 3072);
            EXPECT_EQ(first->duration, 10);
            EXPECT_NE(first->flags & kEventChordHead, 0);
            EXPECT_NE(first->flags & kEventStemFlag, 0);
            EventRecord* second = NextEvent(first);
            ASSERT_NE(second, nullptr);
            EXPECT_EQ(second->time, 3072);
            EXPECT_EQ(second->flags & kEventChordHead, 0);
            EXPECT_EQ(NextEvent(second), nullptr);
            const ScoreObject* rest = GetVoiceFirstElement(notes, 0);
            ASSERT_NE(rest, nullptr);
            EXPECT_EQ(RestBodyOf(rest)->tick, 0);
            EXPECT_EQ(RestBodyOf(rest)->code, 11);
            EXPECT_EQ(RestDots(*RestBodyOf(rest)), 1);
            EXPECT_EQ(rest->next.get(), nullptr);
        }
    }
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
}

// A scanning program's file: its staves, its systems dealt out to pages anew.
TEST_F(NiffImportTest, AScannedScoreIsReformatted) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    const std::vector<uint8_t> bytes = ThreeStaffScore(2, true, "SmartScore Pro").Take();
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(bytes, "scan_NIFF");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->document->header.staffCount, 3);
    EXPECT_GE(view->document->header.pageCount, 1);
    EXPECT_NE(GetStaffLabelObject(StaffRecordOf(view->document, 1)), nullptr);
}

// A scanning program names its staves by their ids: staves beyond the parts' are
// added to the score.
TEST_F(NiffImportTest, StavesNamedByIdsAreAdded) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginChunk("ISFT");
    out.Text("SmartScore");
    out.EndChunk();
    out.BeginChunk("pghd");
    out.EndChunk();
    out.BeginChunk("syhd");
    out.EndChunk();
    for (int id = 0; id < 4; ++id) {
        out.BeginChunk("sthd");
        out.Tag(18, {id});
        out.Tag(17, {256});
        out.EndChunk();
    }
    out.EndList();
    const std::vector<uint8_t> bytes = out.Take();
    ui::headless::ResetUi();
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(bytes, "ids_NIFF");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->document->header.staffCount, 4);
}

// Font descriptions become face names once each, and the default lyric font sets
// the lyric style; indexes outside the table change nothing.
TEST_F(NiffImportTest, DefaultFontsSetTheTextStyles) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginChunk("stbl");
    out.Text(std::string("\0Gill Sans\0", 11));
    out.EndChunk();
    out.BeginChunk("fntd", {1, 240, 0, 0, 3});
    out.EndChunk();
    out.BeginChunk("fntd", {1, 300, 0, 0, 0});
    out.EndChunk();
    out.BeginChunk("dflt", {-1, 5, 0, -1, 2, -7, 0, 0});
    out.EndChunk();
    out.BeginChunk("pghd");
    out.EndChunk();
    out.EndList();
    const std::vector<uint8_t> bytes = out.Take();
    ScoreView* plain = testing::isolation::NewScoreFromMenu(1);
    ASSERT_NE(plain, nullptr);
    const std::vector<QuickFontRecord> before(plain->document->fonts, plain->document->fonts + kScoreFontCount);
    ui::headless::ResetUi();
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(bytes, "fonts_NIFF");
    ASSERT_NE(view, nullptr);
    const QuickFontRecord& lyric = view->document->fonts[4];
    EXPECT_STREQ(lyric.face, "Gill Sans");
    EXPECT_EQ(lyric.bold, 1);
    EXPECT_EQ(lyric.italic, 1);
    EXPECT_EQ(lyric.underline, 0);
    int named = 0;
    for (const FaceNameEntry& entry : view->document->faceNames) named += std::string(entry.name) == "Gill Sans";
    EXPECT_EQ(named, 1);
    // Indexes 5, 2 (one past the table) and -7 leave their styles alone.
    for (int slot : {14, 9, 11}) EXPECT_STREQ(view->document->fonts[slot].face, before[static_cast<size_t>(slot)].face) << slot;
}

// A file that is not a NIFF file makes no window.
TEST_F(NiffImportTest, AFileThatIsNoNiffMakesNoWindow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    NiffWriter riff;
    riff.BeginForm("NIFF");
    riff.EndList();
    std::vector<uint8_t> bytes = riff.Take();
    bytes[3] = 'F';  // "RIFF"
    ui::headless::ResetUi();
    EXPECT_EQ(niff::OpenNiffScoreWindowFromMemory(bytes, "x_NIFF"), nullptr);
    EXPECT_EQ(CountOpenDocuments(), 0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{niff::kNiffNoRifx});
}

// A damaged file imports what was read before the damage, with the reader's
// message, and its status never says "OK".
TEST_F(NiffImportTest, ADamagedFileKeepsWhatWasReadWithoutOk) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    NiffWriter out = ThreeStaffScore(1, false);
    out.BeginList("grup");
    out.SetNextLength(400);  // past its list
    out.BeginChunk("keys", {1});
    out.EndChunk();
    out.EndList();
    out.EndList();
    const std::vector<uint8_t> bytes = out.Take();
    ui::headless::ResetUi();
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(bytes, "d_NIFF");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->document->header.staffCount, 3);
    // One message, though both passes meet the damage.
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{niff::kNiffIncompleteChunk});
    for (const auto& status : ui::headless::StatusTexts()) EXPECT_NE(status.text, " OK");
}

// Cancel confirmed in the progress dialog: the new window closes at once, with no
// save question, and the status says so.
TEST_F(NiffImportTest, CancelClosesTheNewWindow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = Write("two.nif", 2);
    ui::headless::ResetUi();
    // The user's cancel, waiting in an open progress dialog.
    BeginProgressDialog(0, 1, "");
    win::PostMessage(State().dialogs.ProgressDialog, win::Message::Command,
                     win::MakeCommandWord(ui::kIdCancel, ui::kButtonClicked));
    ui::headless::QueueMessageBoxAnswer(ui::kIdYes);
    EXPECT_EQ(niff::ImportNiffFile(path), nullptr);
    Pump();
    EXPECT_EQ(CountOpenDocuments(), 0);
    EXPECT_EQ(BoxTexts().size(), 1u);  // the confirmation only
    bool cancelled = false;
    for (const auto& status : ui::headless::StatusTexts()) cancelled |= status.text == " Import Cancelled";
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(State().dialogs.ProgressDialog, platform::WindowHandle{});
}

// A one-page file runs without the progress dialog: a cancel waiting there is not
// its concern.
TEST_F(NiffImportTest, OnePageRunsWithoutTheProgressDialog) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = Write("one.nif", 1);
    ui::headless::ResetUi();
    BeginProgressDialog(0, 1, "");
    win::PostMessage(State().dialogs.ProgressDialog, win::Message::Command,
                     win::MakeCommandWord(ui::kIdCancel, ui::kButtonClicked));
    ui::headless::QueueMessageBoxAnswer(ui::kIdYes);
    EXPECT_NE(niff::ImportNiffFile(path), nullptr);
    EXPECT_EQ(CountOpenDocuments(), 1);
    EXPECT_EQ(State().dialogs.ProgressDialog, platform::WindowHandle{});
}

// Memory running out ends the import, not the program: the box, the new window
// closed, the score open before untouched.
TEST_F(NiffImportTest, OutOfMemoryEndsOnlyTheImport) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* other = testing::isolation::NewScoreFromMenu(2);
    ASSERT_NE(other, nullptr);
    const std::vector<uint8_t> before = testing::isolation::PoolBytes(other->document);
    const std::string path = Write("one.nif", 1);
    // The string table's block, then the census of measure lengths.
    for (int failing = 1; failing <= 2; ++failing) {
        SCOPED_TRACE("allocation " + std::to_string(failing));
        ui::headless::ResetUi();
        niff::FailNiffAllocationAfter(failing);
        EXPECT_EQ(niff::ImportNiffFile(path), nullptr);
        Pump();
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{niff::kNiffNoMemory});
        EXPECT_EQ(ui::headless::MessageBoxes().at(0).caption, niff::kNiffImportCaption);
        EXPECT_EQ(CountOpenDocuments(), 1);
        EXPECT_TRUE(testing::isolation::PoolBytes(other->document) == before);
    }
    // The program goes on: the next import works.
    ui::headless::ResetUi();
    EXPECT_NE(niff::ImportNiffFile(path), nullptr);
    EXPECT_EQ(CountOpenDocuments(), 2);
}

}  // namespace
}  // namespace ql
