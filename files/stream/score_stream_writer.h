// The stream writer of native score files: the whole document in the order of the
// ".ql" stream (prologue, header, face names, staff section, "STIK", "MUSE", "PAGE",
// "FONT", "QFCS") through the shared score file, which the caller has opened for
// writing. Handles in memory become what the file holds instead: spacing counts,
// 1-based beam positions in the voice, attachment counts.
#pragma once

namespace ql {

struct ScoreDocument;
struct ScoreView;

// Writes the stream; 0 on success, else the code of the failing step (file_code).
// A failed write has shown the system-error box once; the scratch-allocation steps
// show nothing. Before the header it corrects the document's page count, each page's
// system count and sets the format stamp, so memory and file agree.
int WriteScoreStream(ScoreDocument* document, ScoreView* view);

}  // namespace ql
