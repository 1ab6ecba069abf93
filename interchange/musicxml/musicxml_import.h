// The import of a MusicXML file (".xml" or ".mxl", any case) into a new score
// window named after the file with "_XML" appended: the file is converted to NIFF
// and the NIFF import builds the score.
#pragma once

#include <filesystem>

namespace ql {

struct ScoreView;

inline constexpr char kImportXmlCaption[] = "Import XML";

// The new score's view while its window is open; null when the file could not be
// converted or imported (the user was told why).
ScoreView* ImportMusicXml(const std::filesystem::path& path);

}  // namespace ql
