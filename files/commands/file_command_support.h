// What the file commands share: the boxes they show, the score window that already
// shows a file, the refusal to write over an open score, and whether a file on disk
// is read-only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace ql {

struct ScoreView;

// `format` with its one "%s" replaced by `name`.
std::string FormatFileText(const char* format, const std::string& name);

// 'File "name" reason', the notice of a file open elsewhere.
std::string FormatFileNotice(const std::string& name, const char* reason);

// A box owned by the frame with the product name as caption; the button chosen.
int ShowFileBox(const std::string& text, uint32_t style);

// The first view of the program's view list whose document has the file `path`
// (compared in canonical form), or null.
ScoreView* FindViewShowingFile(const std::filesystem::path& path);

// What LockFileToReplace gives when the file may not be replaced.
constexpr int kLockRefused = -2;
// Before Save As or Print to file writes over `path`: kLockRefused (the user told
// with the notice) when a score window of this program shows the file or another
// process holds it open; else the lock now taken on it (-1 when the file could not
// be guarded), for the caller to release.
int LockFileToReplace(const std::filesystem::path& path);

// The file exists and nobody may write it (no write permission bit is set).
bool IsReadOnlyFile(const std::filesystem::path& path);

}  // namespace ql
