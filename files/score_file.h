// Saving and reading native score files (module FILEIO): the entry points the
// score model uses for saving, autosave and the emergency copy, and the shared
// byte writer and reader that object bodies are written and read with.
#pragma once

#include <cstdint>
#include <functional>

namespace ql {

struct ScoreDocument;
struct ScoreView;

// Writes the document to the file named by its path (temporary file, backups,
// verification) and clears its modified mark. Non-zero on success, 0 on failure.
// While AutoSaving is set it skips backups, verification, the recent-file entry
// and the clearing of the modified mark.
int SaveScoreFile(ScoreDocument* document, ScoreView* view);

// Tests stand in for the writer with a hook (to observe a save or make it fail);
// an empty function restores the writer.
using SaveScoreFileHook = std::function<int(ScoreDocument* document, ScoreView* view)>;
void SetSaveScoreFileHookForTests(SaveScoreFileHook hook);

// Writes bytes to the score file being written. Non-zero on success; on failure
// shows the I/O error box and returns 0.
int WriteScoreBytes(const void* bytes, uint32_t count);

// Reads bytes from the score file (or its image) being loaded. Non-zero on success.
int ReadScoreBytes(void* buffer, uint32_t count);

}  // namespace ql
