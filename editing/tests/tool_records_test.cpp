// The ten palettes' tool records: a press on each button arms the tool its record
// names, the Main palette's Notes button reaches the Notes palette's own tools, cycle
// buttons step their faces (and note entry follows them), the pop-up palettes' entries
// put their face on their opener, and the tooltips are the records' texts.
#include <string>
#include <vector>

#include "core/constants.h"
#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "display/hit_test.h"
#include "core/objects/dynamic_marks.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/view_location.h"
#include "editing/palette_faces.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"
#include "editing/tests/editing_fixture.h"
#include "editing/tool_dispatch.h"
#include "editing/tool_records.h"
#include "editing/tools.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_tools.h"
#include "platform/ui/tooltips.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "sequencer/midi_event_object.h"

namespace ql::testing_editing {
namespace {

constexpr int kNone = -1;  // the tool arms no object type of its own

// What a press on each button arms, palette by palette (kNone: a tool that acts by
// itself, such as MIDI Setup or the bracket tool).
struct Expected {
    int palette;
    std::vector<int> types;
};
const std::vector<Expected>& ExpectedTypes() {
    const auto t = [](ObjectType type) { return static_cast<int>(TypeCode(type)); };
    static const std::vector<Expected> table = {
        {kMainPalette,
         {t(ObjectType::Staff), t(ObjectType::Note), t(ObjectType::Slur), t(ObjectType::Text),
          t(ObjectType::Dynamic), t(ObjectType::Selection), t(ObjectType::Area)}},
        {kStaffToolsPalette,
         {t(ObjectType::Staff), t(ObjectType::Stretcher), kNone, t(ObjectType::Clef), t(ObjectType::KeySignature),
          kNone, t(ObjectType::Label), kNone, kNone}},
        // Button 0 turns the value buttons to rests, which then arm the Rest type.
        {kNotesPalette,
         {t(ObjectType::Note), t(ObjectType::Rest), t(ObjectType::Rest), t(ObjectType::Rest), t(ObjectType::Rest),
          t(ObjectType::Rest), t(ObjectType::Rest), t(ObjectType::Note), t(ObjectType::Note), t(ObjectType::Note),
          t(ObjectType::Note), t(ObjectType::Note), t(ObjectType::Note), t(ObjectType::Note), t(ObjectType::Note),
          t(ObjectType::Note)}},
        {kGraphicsPalette,
         {t(ObjectType::Slur), t(ObjectType::Tie), t(ObjectType::Hairpin), t(ObjectType::RepeatEnding),
          t(ObjectType::Octave), t(ObjectType::PedalBracket), t(ObjectType::Box), t(ObjectType::Circle),
          t(ObjectType::Line), t(ObjectType::Picture)}},
        {kTextSymbolsPalette,
         {t(ObjectType::Text), t(ObjectType::TextBox), t(ObjectType::Lyric), t(ObjectType::Text),
          t(ObjectType::Chord), t(ObjectType::Text), t(ObjectType::Text), t(ObjectType::Text), t(ObjectType::Text),
          t(ObjectType::Text)}},
        {kPerformancePalette,
         {t(ObjectType::Dynamic), t(ObjectType::Dynamic), t(ObjectType::Dynamic), kNone, t(ObjectType::Tempo),
          t(ObjectType::Tempo), t(ObjectType::Tempo), t(ObjectType::Pedal)}},
    };
    return table;
}

// The Main button of a palette's group.
int GroupButtonOf(int palette) {
    switch (palette) {
        case kStaffToolsPalette: return 0;
        case kNotesPalette: return 1;
        case kGraphicsPalette: return 2;
        case kTextSymbolsPalette: return 3;
        case kPerformancePalette: return 4;
        default: return -1;
    }
}

class ToolRecordsTest : public EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        ASSERT_TRUE(CreateToolPalettes(window_));
        SetCurrentToolGroup(ToolGroup::Pointer);
        UpdateBeatMaps(view_, 1);
        view_->visibleRect = gfx::Rect{-32768, -32768, 32767, 32767};
        view_->voiceMask = 1;
    }
    void TearDown() override {
        DestroyToolPalettes();
        EditingTest::TearDown();
    }
    static int ArmedType() { return TheSelectionState()->armed != 0 ? TheSelectionState()->toolType : kNone; }
    // The press of a button as the user makes it: first its group on the Main palette.
    void Press(int palette, int index) {
        if (GroupButtonOf(palette) >= 0) DrawToolButtonPressed(view_, kMainPalette, GroupButtonOf(palette));
        DrawToolButtonPressed(view_, palette, index);
    }
};

TEST_F(ToolRecordsTest, APressOnEachButtonArmsTheToolItsRecordNames) {
    for (const Expected& palette : ExpectedTypes()) {
        ASSERT_EQ(static_cast<int>(palette.types.size()), ToolRecordCount(palette.palette)) << palette.palette;
        for (size_t i = 0; i < palette.types.size(); ++i) {
            const int index = static_cast<int>(i);
            DrawToolButtonPressed(view_, kMainPalette, 5);  // back to the Pointer between presses
            Press(palette.palette, index);
            EXPECT_EQ(PaletteCurrentButton(palette.palette),
                      IsMomentaryButton(palette.palette, index) ? PaletteSpecOf(palette.palette).first : index)
                << palette.palette << " " << index;
            if (palette.types[i] != kNone && !IsMomentaryButton(palette.palette, index)) {
                EXPECT_EQ(ArmedType(), palette.types[i]) << "palette " << palette.palette << " button " << index;
            }
        }
    }
}

// The buttons the user can press each have a handler; the ones still without one are
// known and few.
TEST_F(ToolRecordsTest, EveryButtonHasAHandler) {
    std::vector<std::pair<int, int>> missing;
    for (int p = 0; p < kPaletteCount; ++p)
        for (int i = 0; i < ToolRecordCount(p); ++i)
            if (ToolRecordOf(p, i)->handler == nullptr) missing.emplace_back(p, i);
    EXPECT_TRUE(missing.empty()) << missing.size() << " buttons lack a handler";
    EXPECT_EQ(ToolRecordOf(kPerformancePalette, 3)->handler, &MidiEventToolHandler);
    for (int p = 0; p < kPaletteCount; ++p) EXPECT_EQ(ToolRecordCount(p), PaletteSpecOf(p).buttons) << p;
}

// With Notes current on the Main palette and Toggle Dots on the Notes palette, a click
// in the view reaches the dots tool through the Notes tool.
TEST_F(ToolRecordsTest, TheNotesButtonHandsAClickToTheNotesPalettesTool) {
    State().locate.ForceLocationUpdate = 1;
    SetCurrentMeasure(view_, 1, 2);
    EventRecord* note = AddEventToVoice(view_, view_->currentCell, 0, 0, 10, 0);
    ASSERT_NE(note, nullptr);
    SetNotePosition(*note, -4);
    Press(kNotesPalette, 8);
    EXPECT_EQ(CurrentToolGroup(), ToolGroup::Note);
    EXPECT_EQ(ArmedType(), TypeCode(ObjectType::Note));
    State().locate.ForceLocationUpdate = 1;
    SetCurrentMeasure(view_, 1, 2);
    const LogicalPoint at = GetEventPosition(note, view_);
    const gfx::Point client = Client(at.x, at.y);
    EXPECT_EQ(DispatchToCurrentTool(view_, window_, win::Message::LeftButtonDown, 0,
                                    win::PackPoint({client.x, client.y}), false),
              1);
    EXPECT_EQ(note->word2 & kEventDotsMask, 1);  // the dots button's first face: one dot
}

// Pressing a current cycle button steps its face; note entry reads the strips shown.
TEST_F(ToolRecordsTest, CycleButtonsStepTheirFacesAndNoteEntryFollows) {
    Press(kNotesPalette, 6);
    const std::vector<int> faces = {37, 38, 15, 37};
    for (int face : faces) {
        DrawToolButtonPressed(view_, kNotesPalette, 6);
        EXPECT_EQ(PaletteButtonFace(kNotesPalette, 6).bitmapId, face);
        EXPECT_EQ(State().notes.NoteTools.strips[6], face);
    }
    DrawToolButtonPressed(view_, kNotesPalette, 0);  // to rests: the short values' rest faces
    EXPECT_EQ(PaletteButtonFace(kNotesPalette, 6).bitmapId, 34);
    DrawToolButtonPressed(view_, kNotesPalette, 6);
    EXPECT_EQ(PaletteButtonFace(kNotesPalette, 6).bitmapId, 35);

    Press(kPerformancePalette, 7);
    DrawToolButtonPressed(view_, kPerformancePalette, 7);
    EXPECT_EQ(PaletteButtonFace(kPerformancePalette, 7).bitmapId, 232);
    DrawToolButtonPressed(view_, kPerformancePalette, 7);
    EXPECT_EQ(PaletteButtonFace(kPerformancePalette, 7).bitmapId, 231);
}

// An opener pressed again shows its pop-up palette; an entry chosen there goes onto
// the opener's face and is what the tool places next.
TEST_F(ToolRecordsTest, PopUpEntriesPutTheirFaceOnTheirOpener) {
    DrawToolButtonPressed(view_, kMainPalette, 4);  // Performance, with "Dynamics..." current
    EXPECT_FALSE(win::IsWindowVisible(PaletteWindow(kDynamicsPalette)));
    DrawToolButtonPressed(view_, kPerformancePalette, 0);
    EXPECT_TRUE(win::IsWindowVisible(PaletteWindow(kDynamicsPalette)));
    DrawToolButtonPressed(view_, kDynamicsPalette, 3);
    EXPECT_EQ(PaletteButtonFace(kPerformancePalette, 0).bitmapId, kDynamicsStrip);
    EXPECT_EQ(PaletteButtonFace(kPerformancePalette, 0).imageIndex, 3);
    EXPECT_EQ(MarkTools().dynamicsEntry, 3);
    EXPECT_EQ(ArmedType(), TypeCode(ObjectType::Dynamic));  // the dynamics tool stays armed

    DrawToolButtonPressed(view_, kHeadsPalette, 5);
    EXPECT_EQ(PaletteButtonFace(kNotesPalette, 7).bitmapId, kHeadsStrip);
    EXPECT_EQ(PaletteButtonFace(kNotesPalette, 7).imageIndex, 5);
    EXPECT_EQ(State().notes.NoteTools.noteHeadEntry, 5);
}

// What each dynamics button shows is what the tool places: the opener's first face
// (mf) before any entry is chosen, each Dynamics entry the letters on its face, and
// the Performance palette's two word buttons cresc. and dim.
TEST_F(ToolRecordsTest, DynamicsButtonsPlaceTheMarksTheyShow) {
    constexpr std::string_view kFaces[] = {"pppp", "ppp", "pp", "p", "mp", "fp", "sfz", "sf",
                                           "fz",   "rfz", "ffff", "fff", "ff", "f", "mf"};
    const auto placed = [] { return std::string(DynamicOfGlyph(DynamicFromPalettes(MarkTools()).symbol)->letters); };
    MarkTools() = MarkToolState{};
    DrawToolButtonPressed(view_, kMainPalette, 4);
    DrawToolButtonPressed(view_, kPerformancePalette, 0);
    EXPECT_EQ(placed(), "mf");
    for (int entry = 0; entry < kDynamicsPaletteEntries; ++entry) {
        DrawToolButtonPressed(view_, kDynamicsPalette, entry);
        EXPECT_EQ(placed(), kFaces[entry]) << entry;
    }
    DrawToolButtonPressed(view_, kPerformancePalette, 1);
    EXPECT_EQ(placed(), "cresc.");
    DrawToolButtonPressed(view_, kPerformancePalette, 2);
    EXPECT_EQ(placed(), "dim.");
}

// Every tooltip comes from the button's record; buttons without one show none.
TEST_F(ToolRecordsTest, TooltipsAreTheRecordsTexts) {
    const platform::WindowHandle tip = PaletteTooltipWindow();
    EXPECT_EQ(ui::GetTooltipToolText(tip, PaletteButton(kTextSymbolsPalette, 2)), "Lyric");
    EXPECT_EQ(ui::GetTooltipToolText(tip, PaletteButton(kPerformancePalette, 4)), "Metronome Setting");
    EXPECT_EQ(ui::GetTooltipToolText(tip, PaletteButton(kGraphicsPalette, 9)), "Paste Picture");
    EXPECT_EQ(ui::GetTooltipToolText(tip, PaletteButton(kTextSymbolsPalette, 7)), "");
    for (int p = 0; p < kPaletteCount; ++p)
        for (int i = 0; i < ToolRecordCount(p); ++i)
            EXPECT_EQ(std::string(PaletteButtonTooltip(p, i)), ToolTipText(ToolRecordOf(p, i)->tooltipId));
    EXPECT_STREQ(ToolTipText(0), "");
    EXPECT_STREQ(ToolTipText(1000), "");
}

// A right click on the Main palette asks the frame for the band (command 3062). In
// the band the floating palette is hidden and stays hidden when the palettes are
// shown again; out of it, it floats and shows.
TEST_F(ToolRecordsTest, RightClickOnMainPostsTheBandCommand) {
    ShowAllPalettes();
    win::SendMessage(PaletteButton(kMainPalette, 1), win::Message::RightButtonDown, 0, 0);
    bool posted = false;
    win::QueuedMessage next;
    for (int n = 0; n < 64 && win::PeekMessage(next); ++n)
        posted = posted || (next.message == win::Message::Command &&
                            (next.word & 0xffff) == static_cast<uint32_t>(kMainPaletteBandCommand));
    EXPECT_TRUE(posted);
    SetMainPaletteInBand(true);
    EXPECT_FALSE(win::IsWindowVisible(PaletteWindow(kMainPalette)));
    HideAllPalettes();
    ShowAllPalettes();
    EXPECT_FALSE(win::IsWindowVisible(PaletteWindow(kMainPalette)));
    SetMainPaletteInBand(false);
    EXPECT_TRUE(win::IsWindowVisible(PaletteWindow(kMainPalette)));
}

}  // namespace
}  // namespace ql::testing_editing
