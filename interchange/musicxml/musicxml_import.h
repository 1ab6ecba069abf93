// The import of a MusicXML file (".xml" or ".mxl", any case) into a new score
// window named after the file with "_XML" appended: the converter program turns
// the file into a temporary NIFF file in a child process, and the NIFF import
// builds the score from it.
#pragma once

#include <filesystem>

namespace ql {

struct ScoreView;

inline constexpr char kImportXmlCaption[] = "Import XML";
inline constexpr char kConverterProgram[] = "ql-mxl2niff";
inline constexpr char kConverterMissingText[] = "Unable to locate file %s";
inline constexpr char kConverterFunctionText[] = "Unable to locate XML import function";
inline constexpr char kConverterStoppedText[] = "The MusicXML converter stopped before it finished.";

// The converter program: in the program folder, unless a test set another.
std::filesystem::path MusicXmlConverterPath();
void SetMusicXmlConverterPath(const std::filesystem::path& path);

// True when the converter exists and is executable (the start-up probe).
bool MusicXmlConverterAvailable();

// The new score's view while its window is open; null when the file could not be
// converted or imported (the user was told why). The temporary file is removed
// after every outcome.
ScoreView* ImportMusicXml(const std::filesystem::path& path);

}  // namespace ql
