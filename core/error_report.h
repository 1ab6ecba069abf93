// Error reports and the emergency copy: the error box, the alert beep, the
// emergency copy of the current score and the internal-error report shown when a
// broken invariant is found at run time.
//
// The emergency copy is "AUTOERR.QL" in the score's own folder when that folder is
// writable, else in the program's data folder; the report names the full path and
// says whether the save failed. The copy is written in autosave mode (no backups,
// no verification, no recent-files entry) and the score stays modified afterwards.
// EmergencySaveActive counts the reports: a score writer that sees it change while
// it runs stops, so a report during a save or a load never shows a box.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ql {

struct ScoreDocument;
struct ScoreView;

inline constexpr char kEmergencyFileName[] = "AUTOERR.QL";

// A modal message box with the text, the product name as caption and the stop
// icon; the box's result.
int ErrorBox(std::string_view text);

// The alert beep of a box style or icon number (0 = the default sound).
void PlayAlertBeep(uint32_t type);

// Where the emergency copy of a document goes: AUTOERR.QL in the folder of the
// document's path when that folder exists and is writable, else in the program's
// data folder ($XDG_DATA_HOME/quaverline, or ~/.local/share/quaverline). A score
// opened from that file keeps it: the copy is then "AUTOERR.QL.AUT".
std::string EmergencyCopyPath(const ScoreDocument& document);

// Saves the view's document to its emergency copy; non-zero when the save
// succeeded. pathOut (optional) receives the full path the copy was written to, for
// callers that tell the user. Nothing is saved while a score file is being read or
// written.
int SaveEmergencyCopy(ScoreView* view, std::string* pathOut = nullptr);

// Reports a broken invariant: saves the current document to its emergency copy and
// shows the report naming the copy, the module tag, the source line and the
// offending value. Returns 1 ("abandon this operation"); while a score file is
// being read or written, or with no current document, returns 1 at once and shows
// nothing.
int InternalError(const char* module, int line, uintptr_t pointer);

}  // namespace ql
