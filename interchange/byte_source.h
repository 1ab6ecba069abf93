// Where an interchange file (Standard MIDI File, NIFF) is read from: a file
// through an 8 KiB buffer, or a memory image. Reads are byte by byte or in runs;
// a seek outside the buffer re-fills it at the new position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/sys/file_io.h"

namespace ql {

class ByteSource {
  public:
    static constexpr size_t kBufferBytes = 8192;

    // Takes ownership of an open descriptor; it is closed with the source.
    static std::unique_ptr<ByteSource> FromFile(sys::FileDescriptor file);
    static std::unique_ptr<ByteSource> FromMemory(std::span<const uint8_t> bytes);
    ~ByteSource();

    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;

    // The next byte, or -1 at the end (or after a read failure).
    int ReadByte();
    // Reads up to `count` bytes; the number read.
    size_t Read(uint8_t* out, size_t count);
    // Moves to an absolute position; false when it lies past the end.
    bool Seek(uint64_t position);

    uint64_t Position() const { return base_ + next_; }
    uint64_t Size() const { return size_; }

  private:
    ByteSource() = default;
    bool Refill();

    sys::FileDescriptor file_ = sys::kNoFile;
    std::vector<uint8_t> bytes_;  // the memory image, or the file's buffer
    uint64_t base_ = 0;           // file position of bytes_[0]
    size_t next_ = 0;             // next byte in bytes_
    size_t valid_ = 0;            // bytes of bytes_ that hold data
    uint64_t size_ = 0;
};

}  // namespace ql
