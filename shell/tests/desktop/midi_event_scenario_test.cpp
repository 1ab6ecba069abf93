// The MIDI event object on the desktop: Performance on the Main palette opens its
// palette, the "MIDI Event" button is pressed and the page clicked; the "MIDI Event"
// dialog comes up, Enable MIDI is switched off and the dialog confirmed: the
// object's symbol appears where the page was clicked, and Undo takes it away. From
// the same dialog the envelope of a controller transition is shaped in the wave
// editor: a dragged point stays after OK and a drag that was cancelled does not. A
// new object's patch change (patch 64) plays: File > Export writes it into the
// staff's track.
#include <algorithm>
#include <optional>

#include "shell/tests/desktop/music_beside_palettes.h"
#include "shell/tests/desktop/midi_file_reading.h"

namespace ql::desktop {
namespace {

constexpr int kPerformanceButton = 4;          // on the Main palette
constexpr int kPerformanceColumns = 4;
constexpr int kMidiEventEntry = 3;

// The wave editor's area in a picture of its window: the columns of the frame's two
// ends (the darkest columns of each half) and the row of its bottom edge (the
// lowest row dark all across). Units are square, so the zero line lies a quarter of
// the frame's width above the bottom.
struct WaveFrame {
    int left = 0;
    int right = 0;
    int bottom = 0;
    int Zero() const { return bottom - (right - left) / 4; }
    // Window pixel of a logical envelope point (x 0..8,192, y growing downward).
    std::pair<int, int> At(int x, int y) const {
        return {left + x * (right - left) / 8192, Zero() + y * (right - left) / 8192};
    }
};

std::optional<WaveFrame> FindWaveFrame(const ScreenPicture& p) {
    std::vector<int> columns(static_cast<size_t>(p.width), 0);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) columns[static_cast<size_t>(x)] += IsDarkPixel(p.At(x, y));
    const auto middle = columns.begin() + p.width / 2;
    WaveFrame f;
    f.left = static_cast<int>(std::max_element(columns.begin(), middle) - columns.begin());
    f.right = static_cast<int>(std::max_element(middle, columns.end()) - columns.begin());
    f.bottom = -1;
    for (int y = 0; y < p.height; ++y) {
        int dark = 0;
        for (int x = f.left; x <= f.right; ++x) dark += IsDarkPixel(p.At(x, y));
        if (dark * 10 >= (f.right - f.left + 1) * 9) f.bottom = y;
    }
    if (f.bottom < 0 || f.right - f.left < 80) return std::nullopt;
    return f;
}

class MidiEventScenario : public MusicBesidePalettes {
  protected:

    // Opens the Performance palette, presses its MIDI Event button and clicks the
    // page above the second staff: the point clicked, the staff lines and the screen
    // before the click.
    struct Placement {
        int x = 0;
        int y = 0;
        std::vector<int> lines;
        ScreenPicture before;
    };
    std::optional<Placement> PlaceMidiEvent() {
        const std::optional<ShownWindow> main = x_.WindowTitled("Main");
        if (!main) return std::nullopt;
        x_.Settle(Millis{800});
        x_.Click(main->x + 1 + kPerformanceButton * kPaletteCell + 18, main->y + 1 + 18);
        x_.Settle(Millis{800});
        const std::optional<ShownWindow> performance = x_.WindowTitled("Performance");
        if (!performance) return std::nullopt;
        x_.Settle(Millis{500});
        const std::optional<std::pair<int, int>> first = PressedCell(x_.Grab(*performance));
        if (!first) return std::nullopt;
        x_.Click(performance->x + first->first + kMidiEventEntry % kPerformanceColumns * kPaletteCell + 18,
                 performance->y + first->second + kMidiEventEntry / kPerformanceColumns * kPaletteCell + 18);
        x_.Settle(Millis{500});
        const ScreenPicture before = Screen();
        const int left = Frame().x + 120;
        int right = x_.ScreenWidth();
        for (const ShownWindow& w : x_.Windows())
            if (w.title == "Main" || w.title == "Notes" || w.title == "Performance") right = std::min(right, w.x);
        right -= 80;
        const std::vector<int> lines = before.LongDarkLines(left, 40, right, x_.ScreenHeight() - 100, 0.95);
        if (lines.size() < 10u) return std::nullopt;
        const int x = left + (right - left) / 2;
        const int y = lines[5] - 3 * (lines[6] - lines[5]);
        x_.MovePointer(x, y);
        x_.Settle(Millis{300});
        x_.Click(x, y);
        return Placement{x, y, lines, before};
    }

    // Points at the dialog and presses the keys, one by one.
    bool Keys(std::string_view title, int tabs, std::string_view last) {
        const std::optional<ShownWindow> dialog = x_.WaitForWindow(title);
        if (!dialog) return false;
        x_.PointAt(*dialog);
        for (int i = 0; i < tabs; ++i) x_.PressKey("Tab");
        x_.PressKey(last);
        x_.Settle(Millis{300});
        return true;
    }

    std::optional<ShownWindow> OpenWaveEditor() {
        if (!Keys("Set Transition", 0, "space")) return std::nullopt;
        const std::optional<ShownWindow> editor = x_.WaitForWindow("MIDI Wave Editor");
        if (!editor) return std::nullopt;
        x_.PointAt(*editor);
        x_.Settle(Millis{500});
        return x_.FindWindow("MIDI Wave Editor");
    }
};

TEST_F(MidiEventScenario, TheMidiEventButtonPlacesAnObjectThatUndoTakesAway) {
    WriteSettings("[ToolbarSettings]\nSYTool=760,420,4,2\nNTool=760,220,4,4\n");
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<Placement> placed = PlaceMidiEvent();
    ASSERT_TRUE(placed) << "the MIDI Event button or the staves were not found";
    const int x = placed->x;
    const std::vector<int>& lines = placed->lines;
    const ScreenPicture& before = placed->before;
    ASSERT_TRUE(x_.WaitForWindow("MIDI Event")) << "the MIDI Event dialog did not come up";
    x_.Settle(Millis{500});
    x_.PressKey("space");  // Enable MIDI, the first control, off
    x_.Settle(Millis{200});
    x_.PressKey("Return");
    x_.Settle(Millis{1000});
    x_.MovePointer(x, x_.ScreenHeight() - 20);
    x_.Settle(Millis{800});
    const ScreenPicture shown = Screen();
    WritePng(shown, TestOutputFolder() / "midi_event_desktop.png");
    const int top = lines[0] - 120;
    const int bottom = lines[9] + 40;
    EXPECT_GT(ChangedPixels(before, shown, x - 80, top, x + 80, bottom), 15)
        << "no MIDI event appeared where the page was clicked";

    // A click on the empty page lets go of the object; Undo takes it away.
    x_.MovePointer(x, x_.ScreenHeight() - 150);
    x_.Settle(Millis{300});
    x_.Click(x, x_.ScreenHeight() - 150);
    x_.Settle(Millis{500});
    PressInFrame("ctrl+z");
    x_.MovePointer(x, x_.ScreenHeight() - 20);
    x_.Settle(Millis{1000});
    const ScreenPicture undone = Screen();
    WritePng(undone, TestOutputFolder() / "midi_event_undone_desktop.png");
    EXPECT_LE(ChangedPixels(before, undone, x - 80, top, x + 80, bottom), 4)
        << "Undo left the MIDI event";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// A controller with a gradual transition switched to an envelope; in the wave
// editor point 1 is dragged down and OK keeps it (the editor opened again shows it),
// a second drag ended with Escape leaves the envelope as it was.
TEST_F(MidiEventScenario, TheWaveEditorKeepsADragOnOkAndDropsItOnCancel) {
    WriteSettings("[ToolbarSettings]\nSYTool=760,420,4,2\nNTool=760,220,4,4\n");
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    ASSERT_TRUE(PlaceMidiEvent()) << "no MIDI event could be placed";
    // MIDI Event: Gradual transition, then Set MIDI... for a controller.
    ASSERT_TRUE(Keys("MIDI Event", 3, "space")) << "the MIDI Event dialog did not come up";
    ASSERT_TRUE(Keys("MIDI Event", 1, "space"));
    ASSERT_TRUE(Keys("MIDI Message", 2, "space")) << "Set MIDI... did not open MIDI Message";
    ASSERT_TRUE(Keys("MIDI Message", 0, "Return"));
    ASSERT_TRUE(x_.WaitUntilGone("MIDI Message"));
    // From Set MIDI... round to Set Transition..., now enabled; there Envelope transition.
    ASSERT_TRUE(Keys("MIDI Event", 10, "space"));
    ASSERT_TRUE(Keys("Set Transition", 1, "space")) << "Set Transition... did not open its dialog";
    ASSERT_TRUE(Keys("Set Transition", 0, "Tab"));  // the focus on Edit Envelope...
    x_.Settle(Millis{300});

    std::optional<ShownWindow> editor = OpenWaveEditor();
    ASSERT_TRUE(editor) << "Edit Envelope... did not open the wave editor";
    const ScreenPicture shown = x_.Grab(*editor);
    WritePng(shown, TestOutputFolder() / "wave_editor_desktop.png");
    const std::optional<WaveFrame> frame = FindWaveFrame(shown);
    ASSERT_TRUE(frame) << "no envelope frame in the wave editor";
    const auto [fromX, fromY] = frame->At(2048, 0);
    const auto [toX, toY] = frame->At(2048, 1024);
    x_.Drag(editor->x + fromX, editor->y + fromY, editor->x + toX, editor->y + toY);
    x_.Settle(Millis{500});
    const ScreenPicture dragged = x_.Grab(*editor);
    WritePng(dragged, TestOutputFolder() / "wave_editor_dragged_desktop.png");
    EXPECT_GT(DifferentPixels(shown, dragged), 20) << "the drag did not move the curve";
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("MIDI Wave Editor"));

    editor = OpenWaveEditor();
    ASSERT_TRUE(editor);
    EXPECT_LE(DifferentPixels(dragged, x_.Grab(*editor)), 4) << "OK did not keep the dragged point";
    const auto [backX, backY] = frame->At(2048, 1024);
    x_.Drag(editor->x + backX, editor->y + backY, editor->x + fromX, editor->y + fromY - 30);
    x_.Settle(Millis{500});
    x_.PressKey("Escape");
    ASSERT_TRUE(x_.WaitUntilGone("MIDI Wave Editor"));

    editor = OpenWaveEditor();
    ASSERT_TRUE(editor);
    EXPECT_LE(DifferentPixels(dragged, x_.Grab(*editor)), 4) << "Cancel changed the envelope";
    x_.PressKey("Escape");
    ASSERT_TRUE(x_.WaitUntilGone("MIDI Wave Editor"));
    ASSERT_TRUE(Keys("Set Transition", 0, "Return"));
    ASSERT_TRUE(x_.WaitUntilGone("Set Transition"));
    ASSERT_TRUE(Keys("MIDI Event", 0, "Return"));
    ASSERT_TRUE(x_.WaitUntilGone("MIDI Event"));
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// A MIDI event placed with its defaults (a patch change to patch 64) and confirmed
// is played: the score exported through File > Export has the program change in a
// staff's track, besides the patch the staff starts with.
TEST_F(MidiEventScenario, APlacedPatchChangeIsPlayedIntoTheExportedFile) {
    WriteSettings("[ToolbarSettings]\nSYTool=760,420,4,2\nNTool=760,220,4,4\n");
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<Placement> placed = PlaceMidiEvent();
    ASSERT_TRUE(placed) << "the MIDI Event button or the staves were not found";
    ASSERT_TRUE(Keys("MIDI Event", 0, "Return")) << "the MIDI Event dialog did not come up";
    ASSERT_TRUE(x_.WaitUntilGone("MIDI Event"));
    x_.Click(placed->x, x_.ScreenHeight() - 150);  // lets go of the new object
    x_.Settle(Millis{500});

    const std::filesystem::path exported = home_->Documents() / "out" / "patch.mid";
    std::filesystem::create_directories(exported.parent_path());
    ChooseMenuItem('f', 't');
    ASSERT_TRUE(AnswerFileChooser("Export to Standard Midi File", exported)) << "File > Export showed no chooser";
    ASSERT_TRUE(Keys("MIDI Header Information", 0, "Return")) << "no MIDI Header Information dialog";
    ASSERT_TRUE(x_.WaitUntilGone("MIDI Header Information"));
    ASSERT_TRUE(WaitForFile(exported)) << "nothing was written";

    const ReadFile file = ReadMidiFile(exported);
    ASSERT_TRUE(file.valid) << "the written file is no valid Standard MIDI File";
    constexpr int kPlacedPatch = 64;
    int found = 0;
    for (size_t track = 1; track < file.programs.size(); ++track)
        for (const ProgramChange& change : file.programs[track]) found += change.patch == kPlacedPatch ? 1 : 0;
    EXPECT_EQ(found, 1) << "the placed patch change was not played into a staff's track";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
