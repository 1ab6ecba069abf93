// The tables through which the layers below call the editor, the sequencer, the
// importers and the shell: with a table left empty each call answers what its
// header promises for a program without that layer, and once the program has
// filled the tables the same calls reach the layer's own functions.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/ui/block_edit_services.h"
#include "core/ui/import_services.h"
#include "core/ui/midi_services.h"
#include "core/ui/palette_index.h"
#include "core/ui/selection_services.h"
#include "core/ui/shell_services.h"
#include "core/ui/tool_services.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

constexpr int kCancelled = 2;

intptr_t EndAtOnce(platform::WindowHandle, win::Message, uint32_t, intptr_t) {
    return 1;
}

// One call through a table and the answer it must give while the table is empty.
struct EmptySlotCase {
    const char* name;
    std::function<intptr_t()> call;
    intptr_t answer;
};

std::vector<EmptySlotCase> EmptySlotCases() {
    return {
        {"RunEditorDialog", [] { return RunEditorDialog(nullptr, &EndAtOnce, 884); }, kCancelled},
        {"FindRecordUnderPointer",
         [] { return reinterpret_cast<intptr_t>(FindRecordUnderPointer(nullptr)); }, 0},
        {"ApplyNoteCommand", [] { return intptr_t{ApplyNoteCommand(nullptr, 1, 0)}; }, 0},
        {"ObjectToolHandler",
         [] {
             return ObjectToolHandler(nullptr, ToolAction::Select, nullptr, {}, win::Message::Null,
                                      0, 0, 3);
         },
         0},
        {"BindArmedTool",
         [] { return intptr_t{BindArmedTool(nullptr, win::Message::Null, {}, 3)}; }, 0},
        {"HandleToolMouseMessage",
         [] { return HandleToolMouseMessage(nullptr, {}, win::Message::Null, 0, 0); }, 0},
        {"ToolRecordOf", [] { return reinterpret_cast<intptr_t>(ToolRecordOf(kNotesPalette, 0)); },
         0},
        {"PasteMarkedStaffBlock", [] { return intptr_t{PasteMarkedStaffBlock(nullptr)}; }, 0},
        {"EditBlockAllStaves", [] { return intptr_t{EditBlockAllStaves(nullptr, nullptr, 1)}; }, 0},
        {"RunMidiValueDialog", [] { return intptr_t{RunMidiValueDialog(nullptr, 57)}; }, 57},
        {"EditOutputDestination", [] { return intptr_t{EditOutputDestination(nullptr, nullptr)}; },
         kCancelled},
        {"EditTransition", [] { return intptr_t{EditTransition(nullptr, nullptr)}; }, kCancelled},
        {"OpenMidiEventDialog", [] { return intptr_t{OpenMidiEventDialog(nullptr, nullptr)}; },
         kCancelled},
        {"DeviceOfLogicalPort", [] { return reinterpret_cast<intptr_t>(DeviceOfLogicalPort(0)); },
         0},
        {"RunDeviceOfLogicalPort",
         [] { return reinterpret_cast<intptr_t>(RunDeviceOfLogicalPort(0)); }, 0},
        {"ToggleViewStaffMute", [] { return intptr_t{ToggleViewStaffMute(nullptr, 1)}; }, 0},
        {"OpenMidiPortsWithPatchCache",
         [] { return intptr_t{OpenMidiPortsWithPatchCache(nullptr)}; }, 0},
        {"ImportFileByExtension",
         [] { return reinterpret_cast<intptr_t>(ImportFileByExtension("a.mid")); }, 0},
        {"ChooseAndImportFile", [] { return reinterpret_cast<intptr_t>(ChooseAndImportFile()); },
         0},
        {"CreateScoreWindow",
         [] { return reinterpret_cast<intptr_t>(CreateScoreWindow(nullptr, "x", false)); }, 0},
        {"CloseScoreWindow", [] { return intptr_t{CloseScoreWindow({})}; }, 0},
        {"RunSettingsCommand", [] { return RunSettingsCommand(nullptr, 1400); }, 0},
        {"SequencerWindow", [] { return static_cast<intptr_t>(SequencerWindow() ? 1 : 0); }, 0},
    };
}

class ServiceTablesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetSelectionServices({});
        SetToolServices({});
        SetBlockEditServices({});
        SetMidiServices({});
        SetImportServices({});
        SetShellServices({});
    }
    // The tables as the program fills them, for the tests that run after.
    void TearDown() override { InstallShellServices(); }
};

TEST_F(ServiceTablesTest, EmptySlotsAnswerAsWithoutTheLayer) {
    for (const EmptySlotCase& c : EmptySlotCases()) EXPECT_EQ(c.call(), c.answer) << c.name;
}

// A call through an empty slot must not reach the null function pointer.
TEST_F(ServiceTablesTest, EmptySlotsWithoutAnAnswerDoNothing) {
    ResetSelection(nullptr, 0);
    EndFocus(nullptr, 0);
    UnfocusElement(nullptr);
    CommitFocusedElement(nullptr);
    ClearFocusState();
    ClearHoverState();
    ClearHandleState();
    SetEditMode(1);
    DestroyMarquee(nullptr);
    SelectToolType(nullptr, 3);
    DeselectTool(nullptr);
    HideAllPalettes();
    ShowAllPalettes();
    UpdatePagersToolbar(nullptr);
    HideCursorAndPopUpNotePalette(nullptr);
    CloseMidiOutputPorts();
    BuildPerformanceBlock(nullptr);
    RegisterMidiEventObjectClass();
    RefreshRulers(nullptr, kBothRulers);
    InvalidateRulers(nullptr);
    ForceCloseScoreWindow({});
}

TEST_F(ServiceTablesTest, FilledTablesReachTheLayersFunctions) {
    InstallShellServices();
    // The palettes' records are the editor's and live as long as the program.
    EXPECT_NE(ToolRecordOf(kNotesPalette, 0), nullptr);
    EXPECT_EQ(ToolRecordOf(kNotesPalette, -1), nullptr);
    // The shell closes what is not a score window at once (1); the empty slot
    // refuses (0).
    EXPECT_EQ(CloseScoreWindow({}), 1);
}

}  // namespace
}  // namespace ql
