// The import of files that are not native scores: Standard MIDI Files (".mid", and
// ".rmi" in a RIFF wrapper), NIFF files (".nif") and MusicXML (".xml", ".mxl"), each
// into a new score window. Both operations return the new view, or null when
// nothing was made (the user was told why).
#pragma once

#include <filesystem>
#include <string>

namespace ql {

struct ScoreView;

// The boxes shown for a file whose import is not in the program yet, and for the
// Import command while no importer is.
inline constexpr char kImportNotAvailableText[] = "Cannot import this file type yet: \"%s\"";
inline constexpr char kImportCommandNotAvailableText[] = "Cannot import this file type yet.";

// Imports the file by its extension (any case): ".nif" as NIFF, ".xml" and ".mxl" as
// MusicXML, anything else as a Standard MIDI File.
ScoreView* ImportFileByExtension(const std::filesystem::path& path);

// The Import command's open-file dialog, then ImportFileByExtension on the chosen
// file; null when the dialog is cancelled.
ScoreView* ChooseAndImportFile();

// The text of the box shown for `path` when its import is not available.
std::string ImportNotAvailableNotice(const std::filesystem::path& path);

}  // namespace ql
