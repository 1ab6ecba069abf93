// Scenario of bringing a MusicXML file in: File > Import of a ".xml" file
// through the desktop's chooser runs the converter and opens a score window named
// after the file with "_XML", its notes drawn on the page (not the empty page the
// window showed while the file was read); a file of more measures than a score
// holds is refused with its reason in a box and opens no window; the clean score
// closes without a question.
#include <fstream>
#include <string>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

constexpr char kImportTitle[] = "Import Standard MIDI and NIFF files";

// One part of two 4/4 measures of quarter notes climbing from C5.
std::string EightQuarters() {
    std::string notes;
    const char steps[] = "CDEFGABC";
    for (int i = 0; i < 8; ++i) {
        if (i == 4) notes += "</measure><measure number=\"2\">";
        notes += std::string("<note><pitch><step>") + steps[i] + "</step><octave>" + (i == 7 ? "6" : "5") +
                 "</octave></pitch><duration>1</duration><type>quarter</type></note>";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><score-partwise version=\"3.1\"><part-list>"
           "<score-part id=\"P1\"><part-name>Oboe</part-name></score-part></part-list><part id=\"P1\">"
           "<measure number=\"1\"><attributes><divisions>1</divisions><key><fifths>0</fifths></key>"
           "<time><beats>4</beats><beat-type>4</beat-type></time><clef><sign>G</sign><line>2</line></clef>"
           "</attributes>" + notes + "</measure></part></score-partwise>";
}

// One part of `measures` 4/4 measures of a whole rest.
std::string MeasuresOfRests(int measures) {
    std::string text = "<?xml version=\"1.0\"?><score-partwise><part-list><score-part id=\"P1\"/></part-list><part id=\"P1\">";
    for (int m = 0; m < measures; ++m)
        text += "<measure><attributes><divisions>1</divisions></attributes><note><rest/><duration>4</duration></note></measure>";
    return text + "</part></score-partwise>";
}

using MusicXmlImportScenario = DesktopScenario;

TEST_F(MusicXmlImportScenario, ImportedMusicXmlOpensAsANewScore) {
    const fs::path tune = home_->Documents() / "oboe.xml";
    fs::create_directories(tune.parent_path());
    std::ofstream(tune) << EightQuarters();
    ASSERT_TRUE(StartProgram());

    ChooseMenuItem('f', 'i');
    ChooseFileToOpen(kImportTitle, tune, "oboe_XML");
    ASSERT_TRUE(x_.WaitForWindow("oboe_XML")) << "the imported score did not open";
    x_.Settle();
    EXPECT_FALSE(x_.FindWindow("Import XML")) << "the import listed what it left out";
    const ScreenPicture picture = x_.Grab(Frame());
    WritePng(picture, TestOutputFolder() / "musicxml_import.png");
    const std::vector<std::vector<int>> staves = StavesOfFirstSystem(picture, 0, picture.width);
    ASSERT_FALSE(staves.empty()) << "the page shows no staff";
    EXPECT_GT(InkedColumnsBetweenLines(picture, staves.front()), 20) << "the page shows no notes";

    const fs::path longest = home_->Documents() / "long.xml";
    std::ofstream(longest) << MeasuresOfRests(1017);
    ChooseMenuItem('f', 'i');
    ChooseFileToOpen(kImportTitle, longest, "long_XML");
    std::optional<ShownWindow> box = x_.WaitForWindow("Import XML");
    ASSERT_TRUE(box) << "the file of 1,017 measures gave no message";
    x_.PointAt(*box);
    x_.PressKey("Return");
    x_.Settle();
    EXPECT_FALSE(x_.FindWindow("long_XML")) << "a window was opened for the file of too many measures";

    // The import leaves nothing to save: the window closes without a question.
    CloseScore();
    EXPECT_EQ(Frame().title, kFrameTitle) << "the imported score did not close";
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
