// Saving and reading native score files (module FILEIO): the entry points the
// score model uses for saving, autosave and the emergency copy, and the byte layer
// over the one shared score file (files/bytes/score_file_handle.h) that every record
// is written and read through.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/ui/system_error.h"

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

// The number of system-error boxes shown for failed score-file writes so far.
uint32_t ScoreWriteErrorsShown();

// The lead text of the system-error box of a failed write.
inline constexpr const char* kScoreWriteErrorText = kSaveIoErrorText;

// ---- The byte layer ----

// Writes bytes to the score file being written: count 0 succeeds at once. 1 on
// success; on failure shows the system-error box (kScoreWriteErrorText and the
// system's text of the failing call) and returns 0.
int WriteScoreBytes(const void* bytes, uint32_t count);
// Reads exactly `count` bytes from the score file (or image) being read: count 0
// gives 1; else `count`, or 0 on a short read.
int ReadScoreBytes(void* buffer, uint32_t count);
// ReadScoreBytes without a copy where it can be had: the next `count` bytes (at
// least one), valid until the next call on the score file; null where
// ReadScoreBytes gives 0.
const uint8_t* BorrowScoreBytes(uint32_t count);
// Bytes left to read in the score file (0 when none is open for reading).
uint64_t ScoreBytesLeft();
// Writes out what the file's buffer holds: 1, or 0 after the system-error box.
int FlushScoreFile();
// The read position, and moving it (within the file or image being read; 1 or 0).
uint64_t ScoreFilePosition();
int SeekScoreFile(uint64_t position);

// Opens a file for reading into the shared handle, unshared, existing files only.
// 1 on success, 0 on failure (nothing is shown).
int OpenScoreFileForRead(const std::string& path);
// Creates the file for writing into the shared handle, unshared. 1 or 0.
int CreateScoreFileForWrite(const std::string& path);
// Creates a new file (never an existing one) for writing into the shared handle,
// unshared and private to its owner, named `prefix`, six characters chosen here and
// `suffix`; the name in *path. 1 or 0.
int CreateUniqueScoreFileForWrite(const std::string& prefix, const std::string& suffix, std::string* path);
// The in-memory forms: read from an image, or write into one and take it.
void OpenScoreImageForRead(std::vector<uint8_t> image);
void CreateScoreImageForWrite();
std::vector<uint8_t> TakeScoreImage();
// Closes the shared handle when it is open (a failed flush shows the system-error
// box once); returns 0.
int CloseScoreFile();
// 1 when the file can be opened for reading with read and write sharing (it is
// closed again at once), else 0. The shared handle is not touched.
int FileExists(const std::string& path);

}  // namespace ql
