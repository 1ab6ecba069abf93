// The per-system staff arrays (offsets and flags) of every system, kept in step
// with the score's staff count (module FMTPAGE).
#pragma once

namespace ql {

struct ScoreView;
struct ScoreSystem;

// Re-allocates the staff arrays of every system when the staff count crosses a
// pool size class; called before a staff is inserted. Non-zero on success.
int ResizeSystemStaffArrays(ScoreView* view, int staffCount);

// Adjusts every system's staff arrays to the new count after a staff removal.
// Non-zero on success.
int AddStaffToSystems(ScoreView* view, int count, int newCount);

// Hides a staff in one system: removes its offset and flags and closes the gap.
void RemoveStaffFromSystem(ScoreView* view, ScoreSystem* system, int staff);

// Makes a system's offsets cumulative again from per-staff gaps: the first visible
// staff at 0, a gap of 0 or less taking the staff separation.
void RestackSystemStaves(ScoreView* view, ScoreSystem* system);

// Shows a hidden staff in one system again.
void InsertStaffInSystem(ScoreView* view, int staff, ScoreSystem* system);

}  // namespace ql
