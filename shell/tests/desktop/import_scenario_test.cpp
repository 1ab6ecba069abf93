// Scenarios of bringing files in: File > Import of a ".mid" file through the
// desktop's chooser shows "Prepare Import", and Continue opens a score window named
// after the file with its notes on the page, whose save proposes the documents
// folder; a ".nif" file opens its score window
// at once, with its notes and the marks under its staff; a damaged file of either
// kind gives a message box and no window, also when the file is refused only
// after "Prepare Import". A track of two channels opens as two staves, and tracks
// past the last staff are counted in a box.
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/niff_one_staff_page.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

constexpr char kNiffImportCaption[] = "Quaverlinescribe - Import NIFF";
constexpr char kMidiImportCaption[] = "Import from Standard Midi File";

// A conductor track and one staff track of eight quarter notes at 96 ticks a quarter.
std::vector<unsigned char> EightQuarters() {
    std::vector<unsigned char> notes;
    const unsigned char keys[] = {60, 62, 64, 65, 67, 69, 71, 72};
    for (unsigned char key : keys) notes.insert(notes.end(), {0x00, 0x90, key, 90, 0x60, 0x80, key, 0});
    notes.insert(notes.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<unsigned char> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96,
                                    'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00,
                                    'M', 'T', 'r', 'k', 0, 0, 0, static_cast<unsigned char>(notes.size())};
    file.insert(file.end(), notes.begin(), notes.end());
    return file;
}

// One staff of two 4/4 measures of quarters on a page: each note with an accent,
// and under the staff a forte at the start of each measure and a pedal down and up.
std::vector<unsigned char> MarkedQuarters() {
    using niff::NiffField;
    niff::NiffWriter out;
    BeginOneStaffPage(out);
    for (int measure = 0; measure < 2; ++measure) {
        out.BeginChunk("tmsl", {1, NiffField::Rational(static_cast<int16_t>(measure), 1)});
        out.EndChunk();
        for (int quarter = 0; quarter < 4; ++quarter) {
            out.BeginChunk("tmsl", {2, NiffField::Rational(static_cast<int16_t>(quarter), 4)});
            out.EndChunk();
            if (quarter == 0) {
                out.BeginChunk("dynm", {9});
                out.EndChunk();
            }
            if (quarter == 1 || quarter == 3) {
                out.BeginChunk("pdlp", {quarter == 1 ? 1 : 2});
                out.Tag(18, {measure * 4 + quarter});
                out.Tag(28, {1});
                out.EndChunk();
            }
            out.BeginChunk("stem");
            out.EndChunk();
            out.BeginChunk("note", {0, 2 + quarter, NiffField::Rational(1, 4)});
            out.EndChunk();
            out.BeginChunk("artc", {1});
            out.EndChunk();
        }
    }
    return EndNiffScore(out);
}

// A conductor track and `tracks` staff tracks, each of one quarter note on channel
// 1 and, with `drums`, a bass drum on channel 10 with it.
std::vector<unsigned char> TracksOfOneNote(int tracks, bool drums) {
    std::vector<unsigned char> notes{0x00, 0x90, 60, 90};
    if (drums) notes.insert(notes.end(), {0x00, 0x99, 36, 100});
    notes.insert(notes.end(), {0x60, 0x80, 60, 0});
    if (drums) notes.insert(notes.end(), {0x00, 0x89, 36, 0});
    notes.insert(notes.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<unsigned char> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, static_cast<unsigned char>(tracks + 1),
                                    0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00};
    for (int t = 0; t < tracks; ++t) {
        file.insert(file.end(), {'M', 'T', 'r', 'k', 0, 0, 0, static_cast<unsigned char>(notes.size())});
        file.insert(file.end(), notes.begin(), notes.end());
    }
    return file;
}

class ImportScenario : public DesktopScenario {
  protected:
    void ChooseFile(const fs::path& path) { ChooseFileToOpen(kImportTitle, path, "Prepare Import"); }
};

TEST_F(ImportScenario, ImportedMidiFileOpensAsANewScore) {
    // The file comes from a folder of its own; scores are kept in the documents folder.
    environment_.push_back({"XDG_DOCUMENTS_DIR", home_->Documents().string()});
    const fs::path tune = home_->Documents() / "imports" / "tune.mid";
    fs::create_directories(tune.parent_path());
    WriteFileBytes(tune, EightQuarters());
    const fs::path damaged = home_->Documents() / "damaged.mid";
    WriteFileBytes(damaged, {'M', 'T', 'h', 'x', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96, 'j', 'u', 'n', 'k'});
    // A header that reads, and a track that stops at its first event.
    const fs::path unreadable = home_->Documents() / "unreadable.mid";
    WriteFileBytes(unreadable, {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xF4, 60, 90});
    ASSERT_TRUE(StartProgram());

    ChooseMenuItem('f', 'i');
    ChooseFile(tune);
    std::optional<ShownWindow> options = x_.WaitForWindow("Prepare Import");
    ASSERT_TRUE(options) << "no Prepare Import dialog";
    x_.PointAt(*options);
    x_.PressKey("Return");  // Continue
    ASSERT_TRUE(x_.WaitForWindow("tune_MIDI")) << "the imported score did not open";
    x_.Settle();
    const ScreenPicture picture = x_.Grab(Frame());
    const std::vector<std::vector<int>> staves = StavesOfFirstSystem(picture, 0, picture.width);
    // Systems of one staff each: the first staff on the page is the first system's.
    ASSERT_FALSE(staves.empty()) << "the page shows no staff";
    EXPECT_GT(InkedColumnsBetweenLines(picture, staves.front()), 20) << "the page shows no notes";
    // Save As proposes the documents folder, not the MIDI file's: a name alone lands there.
    ChooseMenuItem('f', 'a');
    ASSERT_TRUE(AnswerFileChooser("Save As", "kept_tune.ql")) << "Save As showed no chooser";
    EXPECT_TRUE(WaitForFile(home_->Documents() / "kept_tune.ql")) << "the score was not saved among the documents";
    EXPECT_FALSE(fs::exists(tune.parent_path() / "tune_MIDI.ql")) << "the score was saved beside the MIDI file";

    PressInFrame("ctrl+i");
    ChooseFile(damaged);
    std::optional<ShownWindow> box = WaitForMessageBox();
    ASSERT_TRUE(box) << "the damaged file gave no message";
    x_.PointAt(*box);
    x_.PressKey("Return");
    x_.Settle();
    EXPECT_FALSE(x_.FindWindow("damaged_MIDI")) << "a window was opened for the damaged file";

    // Refused as "Invalid MIDI file" after "Prepare Import": its new score goes.
    PressInFrame("ctrl+i");
    ChooseFile(unreadable);
    options = x_.WaitForWindow("Prepare Import");
    ASSERT_TRUE(options) << "no Prepare Import dialog for the unreadable file";
    x_.PointAt(*options);
    x_.PressKey("Return");
    box = WaitForMessageBox();
    ASSERT_TRUE(box) << "the unreadable file gave no message";
    x_.PointAt(*box);
    x_.PressKey("Return");
    x_.Settle();
    EXPECT_FALSE(x_.FindWindow("unreadable_MIDI")) << "an empty score stayed behind the refused file";

    // An unedited import is a new score, as those of NIFF and MusicXML files are:
    // closing it asks nothing.
    ChooseMenuItem('f', 'c');
    EXPECT_TRUE(NoMessageBoxComes()) << "closing the unedited import asked to save it";
    EXPECT_TRUE(WaitFor([&] { return Frame().title == kFrameTitle; })) << "the imported score did not close";
    EXPECT_EQ(Quit(), 0);
}

// A track of piano and drums opens as two staves, the drums on their own; a file
// of more tracks than the score has staves opens with what fits and a box that
// counts the tracks left out.
TEST_F(ImportScenario, EachChannelOfATrackHasItsStaffAndTracksPastTheLastAreCounted) {
    const fs::path band = home_->Documents() / "band.mid";
    WriteFileBytes(band, TracksOfOneNote(1, true));
    const fs::path many = home_->Documents() / "many.mid";
    WriteFileBytes(many, TracksOfOneNote(66, false));
    ASSERT_TRUE(StartProgram());

    ChooseMenuItem('f', 'i');
    ChooseFile(band);
    std::optional<ShownWindow> options = x_.WaitForWindow("Prepare Import");
    ASSERT_TRUE(options) << "no Prepare Import dialog";
    x_.PointAt(*options);
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitForWindow("band_MIDI")) << "the imported score did not open";
    x_.Settle();
    const ScreenPicture picture = x_.Grab(Frame());
    EXPECT_EQ(StavesOfFirstSystem(picture, 0, picture.width).size(), 2u) << "the drums have no staff of their own";
    EXPECT_FALSE(x_.FindWindow(kMidiImportCaption)) << "a file that fits was said to lose something";

    PressInFrame("ctrl+i");
    ChooseFile(many);
    options = x_.WaitForWindow("Prepare Import");
    ASSERT_TRUE(options) << "no Prepare Import dialog for the file of 66 tracks";
    x_.PointAt(*options);
    x_.PressKey("Return");
    std::optional<ShownWindow> box = x_.WaitForWindow(kMidiImportCaption);
    ASSERT_TRUE(box) << "the tracks left out were not counted";
    x_.PointAt(*box);
    x_.PressKey("Return");
    EXPECT_TRUE(x_.WaitForWindow("many_MIDI")) << "the tracks that fit did not open";
    EXPECT_EQ(Quit(), 0);
}

TEST_F(ImportScenario, ImportedNiffFileOpensWithItsNotesAndMarks) {
    const fs::path tune = home_->Documents() / "marked.nif";
    WriteFileBytes(tune, MarkedQuarters());
    // The same file with a RIFF form: not a NIFF file.
    std::vector<unsigned char> riff = MarkedQuarters();
    riff[3] = 'F';
    const fs::path damaged = home_->Documents() / "damaged.nif";
    WriteFileBytes(damaged, riff);
    ASSERT_TRUE(StartProgram());

    ChooseMenuItem('f', 'i');
    ChooseFileToOpen(kImportTitle, tune, "marked_NIFF");
    ASSERT_TRUE(x_.WaitForWindow("marked_NIFF")) << "the imported score did not open";
    x_.Settle();
    const ScreenPicture picture = x_.Grab(Frame());
    const std::vector<std::vector<int>> staves = StavesOfFirstSystem(picture, 0, picture.width);
    ASSERT_FALSE(staves.empty()) << "the page shows no staff";
    const std::vector<int>& lines = staves.front();
    EXPECT_GT(InkedColumnsBetweenLines(picture, lines), 8) << "the page shows no notes";
    // The forte signs and pedal marks stand under the staff, where an empty staff
    // of one system leaves the page white.
    const int height = lines.back() - lines.front();
    const int under = picture.DarkPixels(picture.width / 8, lines.back() + height / 2, picture.width * 7 / 8,
                                         lines.back() + height * 3);
    EXPECT_GT(under, 40) << "no marks under the staff";

    PressInFrame("ctrl+i");
    ChooseFileToOpen(kImportTitle, damaged, "damaged_NIFF");
    std::optional<ShownWindow> box = x_.WaitForWindow(kNiffImportCaption);
    ASSERT_TRUE(box) << "the damaged file gave no message";
    x_.PointAt(*box);
    x_.PressKey("Return");
    x_.Settle();
    EXPECT_FALSE(x_.FindWindow("damaged_NIFF")) << "a window was opened for the damaged file";
    EXPECT_TRUE(x_.FindWindow("marked_NIFF")) << "the damaged file closed the score imported before";
    EXPECT_EQ(Quit(), 0) << "quitting asked about the imported score";
}

}  // namespace
}  // namespace ql::desktop
