// The staff keys that reach the staff's playback: M mutes and S solos the staff (or
// lifts it again), P sets the patch of its main timbre.
#pragma once

namespace ql {

struct ScoreView;

// Toggle the mute or solo of the view's current staff through the mixer: the
// document's mixer bytes of the staff and the sequencer's live table (the other flag
// cleared when this one comes on), and every mixer of the view. 1 when a staff was
// there.
int ToggleStaffMute(ScoreView* view);
int ToggleStaffSolo(ScoreView* view);

// The patch of the current staff's main timbre through the MIDI value dialog (837),
// as one undoable edit (verb "Modify", kind "Timbre"); Cancel keeps the patch. 1 when
// a staff was there.
int EditStaffPatch(ScoreView* view);

}  // namespace ql
