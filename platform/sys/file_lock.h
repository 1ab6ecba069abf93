// "This file is open in another process": an exclusive, non-blocking flock on a lock
// file in a per-user runtime folder. The lock file is named by a hash of the file's
// real path (of its folder's real path and its name when the file does not exist
// yet), so the same file reached through a symbolic link or a relative path names
// the same lock; names are compared as they are, without case folding. Lock files are
// never removed: removing one races with another process taking it. The kernel
// releases a lock when its descriptor is closed, also when the process dies.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace ql::sys {

enum class FileLockStatus : uint8_t {
    Held = 0,           // this descriptor now holds the lock
    HeldElsewhere = 1,  // another process (or another open of this one) holds it
    Unguarded = 2,      // no lock could be made; the file may be opened unguarded
};

struct FileLock {
    FileLockStatus status = FileLockStatus::Unguarded;
    int descriptor = -1;  // open while Held, -1 otherwise; closing it releases the lock
};

// Tries to take the lock of `file`; never blocks.
FileLock LockFileForEditing(const std::filesystem::path& file);
// Closes a held lock's descriptor and sets it to -1; nothing for -1.
void ReleaseFileLock(int& descriptor);

// The lock file that names `file` (in LockFolder()); empty when the path cannot be
// resolved.
std::filesystem::path LockFilePath(const std::filesystem::path& file);
// $XDG_RUNTIME_DIR/quaverline-locks when that folder is set, else a folder for the
// user under the temporary folder; created with mode 0700 on first use.
std::filesystem::path LockFolder();
// Tests point the locks at a folder of their own; empty restores the default.
void SetLockFolder(const std::filesystem::path& folder);

}  // namespace ql::sys
