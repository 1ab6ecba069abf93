// The import of files that are not native scores: Standard MIDI Files (".mid", and
// ".rmi" in a RIFF wrapper), NIFF files (".nif") and MusicXML (".xml", ".mxl"), each
// into a new score window. Every import returns the new view only while its window
// is open: a refused, failed or cancelled import closes the window it made at once
// (its change counter cleared, so nothing asks to save) and returns null. One
// import at a time, under the long-operation guard; running out of records during
// an import is told in one box, and the import keeps what it made.
#pragma once

#include <filesystem>
#include <string>

#include "core/ui/import_services.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

inline constexpr char kImportTitle[] = "Import Standard MIDI and NIFF files";
inline constexpr char kImportFilter[] =
    " MIDI (*.mid)~*.mid~ NIFF (*.nif)~*.nif~ RIFF MIDI (*.rmi)~*.rmi~ All files  (*.*)~*.*~~";
inline constexpr char kMusicXmlFilterEntry[] = " MXML files (*.xml;*.mxl)~*.xml;*.mxl~";
inline constexpr char kFormat2NotSupportedText[] = " Format 2 files are not supported";
inline constexpr char kNoDataText[] = "No data";
inline constexpr char kAlterLayoutText[] = " You may alter clefs, keys or layout";

// The Import command's filter; with the MusicXML entry after the NIFF one.
std::string ImportFilter(bool musicXml);

// ImportFileByExtension and ChooseAndImportFile, which the file commands call, are
// in core/ui/import_services.h; `InstallImportServices` fills their table with the
// functions of `importing` (the program does it when it starts,
// shell/shell_services.h, as every test, benchmark and fuzz program does as it
// loads).
void InstallImportServices();
namespace importing {
ScoreView* ImportFileByExtension(const std::filesystem::path& path);
ScoreView* ChooseAndImportFile();
}  // namespace importing

// The NIFF and MusicXML imports of the import path.

// Reads the import path's header and makes the new score for it (a staff per
// track after the signature track, one more when that track plays notes, or 16
// for a single-track file); null, with the user told why, when the file cannot be
// imported.
ScoreView* PrescanMidiFile();
// The imported score's staff size (smaller from 13 staves on) and brackets.
void SetupImportStaves(ScoreView* view);
// Dialog 811, "Prepare Import".
intptr_t ImportOptionsDlgProc(platform::WindowHandle dialog, win::Message message, uint32_t word, intptr_t data);


}  // namespace ql
