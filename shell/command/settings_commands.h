// The settings commands of a score view: a fixed map from command id to the dialog
// it opens (or the action it runs), run for the active view, with the closing steps
// every command shares: the focus goes back to the active view and the modal flag
// is cleared.
#pragma once

#include <cstdint>
#include <vector>

namespace ql {

struct ScoreView;

// Ids of the settings commands the menus name.
namespace settings_cmd {
constexpr int32_t kPlaybackSetup = 40165;
constexpr int32_t kQuickFonts = 40169;
constexpr int32_t kMidiPorts = 40173;
constexpr int32_t kRecordSetup = 40175;
constexpr int32_t kMidiSync = 40200;
constexpr int32_t kLooseness = 40207;
constexpr int32_t kAccidentalInterpretation = 40217;
constexpr int32_t kQuantization = 40367;
constexpr int32_t kMidiThru = 40372;
constexpr int32_t kFilters = 40373;
constexpr int32_t kPatchCache = 40376;
constexpr int32_t kMetronome = 40412;
constexpr int32_t kDefaultDurations = 40416;
constexpr int32_t kToolbarOptions = 42079;
constexpr int32_t kPaletteOptions = 42080;
}  // namespace settings_cmd

struct SettingsCommand {
    int32_t command;
    int32_t dialog;  // the dialog's template id; 0 for an action without a dialog
    intptr_t (*run)(ScoreView* view);
    bool needsView = true;  // false: runs without a score too
};

// Every entry of the map, in command order.
const std::vector<SettingsCommand>& SettingsCommands();
// The entry of a command; null when the command is not a settings command.
const SettingsCommand* FindSettingsCommand(int32_t command);

// RunSettingsCommand, which the staff tools call too, is in core/ui/shell_services.h;
// its table's slot is filled with this one.
namespace program {
intptr_t RunSettingsCommand(ScoreView* view, int32_t command);
}  // namespace program

// The message Export posts to the sequencer window, which exports the active score
// as a Standard MIDI File.
constexpr uint32_t kExportMidiMessageOffset = 0x0F;

}  // namespace ql
