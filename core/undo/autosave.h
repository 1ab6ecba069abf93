// Autosave: every set number of edits (settings "AutoSaveCount", "AutoSaveChanges")
// a copy of the score is written next to it with the extension ".AUT", without
// backups, verification or a recent-files entry; the score stays marked modified.
#pragma once

#include <cstdint>
#include <string>

namespace ql {

struct ScoreDocument;
struct ScoreView;

constexpr uint8_t kDefaultAutoSaveCount = 100;
constexpr char kAutoSaveExtension[] = ".AUT";

// The two settings, bound to "AutoSaveCount" and "AutoSaveChanges" by the settings
// table. A count of 0 never saves.
struct AutoSaveConfig {
    uint8_t count = kDefaultAutoSaveCount;  // "AutoSaveCount"
    uint8_t enabled = 0;                    // "AutoSaveChanges": 0 = off
};
AutoSaveConfig& AutoSaveSettings();

// The autosave file of a score path: the extension of the file-name part (after the
// last '/') replaced by ".AUT", or ".AUT" appended when the name has none. A leading
// dot of a hidden file's name is not an extension. The folder never changes, and
// the result is never the path itself: "x.AUT" gives "x.AUT.AUT".
std::string AutoSaveName(const std::string& path);

// `copy`, with ".AUT" added for as long as it names the score's own file (the same
// path made absolute, or the file the score's path names through a link): a copy
// never replaces the score it is a copy of. Autosave and the emergency copy take
// their paths through it.
std::string CopyPathApartFrom(std::string copy, const std::string& scorePath);

enum class AutoSaveResult { Skipped, Saved, Failed };

// Counts one edit that changed the score; saves when the count reaches the setting.
void NoteEditForAutoSave(ScoreDocument* document, ScoreView* view);

// Writes the autosave copy now (nothing while a file is read or written, a MIDI file
// is transferred or playback runs). The writer fills a new temporary file in the
// score's folder (the document's path names it while the writer runs); only a
// complete copy replaces the old one, by a rename. The path, the view position and
// the modified mark are kept.
AutoSaveResult AutoSave(ScoreDocument* document, ScoreView* view);

// The writer the autosave runs (the native score writer by default); tests install
// their own. Non-zero on success. Null restores the default.
using AutoSaveWriter = int (*)(ScoreDocument* document, ScoreView* view);
void SetAutoSaveWriter(AutoSaveWriter writer);

}  // namespace ql
