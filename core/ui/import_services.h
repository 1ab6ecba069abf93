// What the file commands ask of the importers (interchange/): a file opened or
// chosen that is not a score of the program's own is imported by its extension.
// The importers fill the table when the program starts
// (interchange/import_commands.h); until then, as in a program built without
// them, each call imports nothing and answers null.
#pragma once

#include <filesystem>

namespace ql {

struct ScoreView;

struct ImportServices {
    ScoreView* (*importFileByExtension)(const std::filesystem::path& path) = nullptr;
    ScoreView* (*chooseAndImportFile)() = nullptr;
};

void SetImportServices(const ImportServices& services);

// Imports the file by its extension (any case): ".nif" as NIFF, ".xml" and ".mxl" as
// MusicXML, anything else as a Standard MIDI File.
ScoreView* ImportFileByExtension(const std::filesystem::path& path);

// The Import command's open-file dialog, then ImportFileByExtension on the chosen
// file; null when the dialog is cancelled.
ScoreView* ChooseAndImportFile();

}  // namespace ql
