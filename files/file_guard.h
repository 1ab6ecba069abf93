// The one-open guard of a score file: while a document has its file open it holds the
// file's lock (platform/sys/file_lock.h) in ScoreDocument::fileLock. Another process
// holding the file is told to the user and the file is not opened; a lock that cannot
// be made leaves the file open unguarded.
#pragma once

#include <string>

namespace ql {

struct ScoreFileGuard {
    bool openElsewhere = false;  // another process holds the file: open nothing
    int lock = -1;               // the descriptor the document keeps; -1 for none
};

// Takes the lock of `path`. When another process holds it, shows 'File "path" is
// already open in another process.' in a box owned by the frame and makes the
// previously active view active again.
ScoreFileGuard CheckFileOpenElsewhere(const std::string& path);

}  // namespace ql
