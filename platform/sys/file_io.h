// Kernel file services for the program's own files: open for reading with or without
// sharing, create for writing, read, write, seek, size, close, and the system's text
// of an error number. Sharing follows the program's design: a file opened without
// sharing holds an exclusive advisory lock (flock), a shared open holds a shared one,
// so an unshared open fails while anyone else has the file open and a shared open
// fails while someone holds it unshared. Every call reports failure by its result and
// leaves the error number (errno) in *error; nothing is shown from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ql::sys {

enum class FileShare : uint8_t {
    None,       // no other open may coexist
    ReadWrite,  // others may read and write meanwhile
};

// A file descriptor, or -1.
using FileDescriptor = int;
constexpr FileDescriptor kNoFile = -1;

// The error number of a path that names a pipe, a device or a socket where a
// regular file is wanted (outside the system's numbers; SystemErrorText says so).
constexpr int kNotRegularFile = 0x10000;

// Opens an existing regular file for reading; kNoFile on failure. Nothing else is
// ever waited for: a named pipe or a device is refused (kNotRegularFile, EISDIR for
// a folder) without blocking.
FileDescriptor OpenFileForRead(const std::string& path, FileShare share, int* error);
// Creates (or truncates) a file for writing, unshared; kNoFile on failure. A named
// pipe without a reader fails at once instead of waiting for one.
FileDescriptor CreateFileForWrite(const std::string& path, int* error);
// Creates a file that did not exist, for writing, unshared: its name is `prefix`,
// six characters chosen here, then `suffix`, and it is readable and writable by its
// owner only. The name goes to *path; kNoFile on failure.
FileDescriptor CreateUniqueFile(const std::string& prefix, const std::string& suffix, std::string* path,
                                int* error);
// Makes a new hard link to `existing` under a name no file had (`prefix`, six
// characters, `suffix`), the name in *path; 0 or the error number.
int LinkUnderUniqueName(const std::string& existing, const std::string& prefix, const std::string& suffix,
                        std::string* path);
// The permission bits a new file gets from the process's umask (0666 masked).
unsigned NewFilePermissions();

// Reads up to `count` bytes; the number read (0 at the end), or -1 on failure.
int64_t ReadFileBytes(FileDescriptor file, void* buffer, size_t count, int* error);
// Writes all `count` bytes (retrying short writes); false on failure.
bool WriteFileBytes(FileDescriptor file, const void* bytes, size_t count, int* error);
// Moves to an absolute position; false on failure.
bool SeekFile(FileDescriptor file, uint64_t position, int* error);
// The size in bytes; false on failure.
bool FileSize(FileDescriptor file, uint64_t* size, int* error);
// Closes the descriptor (its lock goes with it); false when the close failed.
bool CloseFile(FileDescriptor file, int* error);

// The system's message for an error number; empty when the system has none.
std::string SystemErrorText(int error);

}  // namespace ql::sys
