// Where an interchange file (Standard MIDI File, NIFF) is read from: a file
// through an 8 KiB buffer, or a memory image. Reads are byte by byte or in runs;
// a seek outside the buffer re-fills it at the new position.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
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

    // Copies at most 8 bytes with copies of fixed sizes (no call to a library copy).
    static void CopyShort(uint8_t* out, const uint8_t* from, size_t count) {
        switch (count) {
            case 8: std::memcpy(out, from, 8); return;
            case 4: std::memcpy(out, from, 4); return;
            case 2: std::memcpy(out, from, 2); return;
            case 1: *out = *from; return;
            default:
                for (size_t i = 0; i < count; ++i) {
                    if (i + 2 <= count) {
                        std::memcpy(out + i, from + i, 2);
                        ++i;
                    } else {
                        out[i] = from[i];
                    }
                }
        }
    }

    // The next byte, or -1 at the end (or after a read failure).
    int ReadByte() { return next_ < valid_ ? bytes_[next_++] : ReadByteRefilling(); }
    // Reads up to `count` bytes; the number read. The short reads of the readers'
    // fields are copied in place while the buffer holds them.
    size_t Read(uint8_t* out, size_t count) {
        if (count > kShortRead || count > valid_ - next_) return ReadRefilling(out, count);
        CopyShort(out, bytes_.data() + next_, count);
        next_ += count;
        return count;
    }
    // The next `count` bytes in place when the buffer holds them all, moving past
    // them; null (nothing moved) when it does not. The bytes stay valid until the
    // next read, seek or refill.
    const uint8_t* Take(size_t count) {
        if (count > valid_ - next_) return nullptr;
        const uint8_t* at = bytes_.data() + next_;
        next_ += count;
        return at;
    }
    // The bytes the buffer holds from the current position on, without moving;
    // valid until the next read, seek or refill.
    std::span<const uint8_t> Buffered() const { return {bytes_.data() + next_, valid_ - next_}; }
    // Moves past `count` bytes of those Buffered() gave.
    void Advance(size_t count) {
        assert(count <= valid_ - next_);
        next_ += count;
    }
    // A file is read from the next refill on in runs of `bytes` (never fewer than
    // the 8 KiB it starts with); what the buffer holds stays. A memory image is
    // left as it is.
    void WidenBuffer(size_t bytes);
    // Moves to an absolute position; false when it lies past the end.
    bool Seek(uint64_t position);

    uint64_t Position() const { return base_ + next_; }
    uint64_t Size() const { return size_; }

  private:
    static constexpr size_t kShortRead = 8;

    ByteSource() = default;
    bool Refill();
    int ReadByteRefilling();
    size_t ReadRefilling(uint8_t* out, size_t count);

    sys::FileDescriptor file_ = sys::kNoFile;
    std::vector<uint8_t> bytes_;  // the memory image, or the file's buffer
    uint64_t base_ = 0;           // file position of bytes_[0]
    size_t next_ = 0;             // next byte in bytes_
    size_t valid_ = 0;            // bytes of bytes_ that hold data
    uint64_t size_ = 0;
};

}  // namespace ql
