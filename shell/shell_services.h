// The shell's side of the services the score model and the editors call
// (core/ui/shell_services.h): `InstallShellServices` fills their table, as the
// program does when it starts and every test, benchmark and fuzz program of the
// build does as it loads. Besides, the page readout and the command processor of
// a score view, and one toolbar button's state.
#pragma once

#include <cstdint>

#include "core/ui/shell_services.h"

namespace ql {

// Fills the table of core/ui/shell_services.h with the shell's own services and
// the editor's, the sequencer's and the importers' tables (InstallEditingServices,
// InstallSequencerServices, InstallImportServices), and gives ProgramString the
// program's own table of texts as its last resort.
void InstallShellServices();

// The status bar's page readout ("Page: 2 of 3", the page's first and last
// measures) for the view's page; nothing in scroll view.
void ShowPageStatus(ScoreView* view);

// The command processor of a score view (low word of `commandWord`: the command;
// `data` what the command carries, as the page-button index of command 1330):
// 1 when the command was handled, 0 for an id it does not know (and for a few that
// act and then let the frame's default processing run as well).
int ViewOnCommand(ScoreView* view, int commandWord, intptr_t data = 0);

// Sets or clears the enabled state of one toolbar button.
void EnableToolbarButton(Toolbar* toolbar, int command, bool enable);

}  // namespace ql
