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

// Opens an existing file for reading; kNoFile on failure.
FileDescriptor OpenFileForRead(const std::string& path, FileShare share, int* error);
// Creates (or truncates) a file for writing, unshared; kNoFile on failure.
FileDescriptor CreateFileForWrite(const std::string& path, int* error);

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
