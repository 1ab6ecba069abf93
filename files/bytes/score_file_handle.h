// ScoreFile: the one program-wide score-file handle every byte of a native score file
// passes through. It reads from a file or from a memory image, and writes to a file
// (through a 64 KiB buffer) or to memory; it knows its position and size, so every
// decoder can be bounded by the bytes left. A file being read is read whole into
// memory at its first read (one read of the device), unless it is larger than the
// handle's whole-read limit: then it is read 64 KiB at a time. Either way the bytes
// in memory form a window that reads and borrows are served from without a call.
// Only one score file is open at a time: opening another closes the first. The error
// number of a failed call is kept for the system-error box; nothing is shown from
// here. User-interface thread only.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "files/bytes/file_faults.h"
#include "platform/sys/file_io.h"

namespace ql {

// The largest file read whole into memory (a larger one is read through the buffer).
constexpr uint64_t kWholeScoreFileReadLimit = 64ull * 1024 * 1024;

class ScoreFile {
  public:
    enum class Mode : uint8_t { Closed, ReadFile, WriteFile, ReadImage, WriteImage };

    explicit ScoreFile(uint64_t wholeReadLimit = kWholeScoreFileReadLimit) : wholeReadLimit_(wholeReadLimit) {}
    ScoreFile(const ScoreFile&) = delete;
    ScoreFile& operator=(const ScoreFile&) = delete;

    // Opens an existing file for reading; false (with LastError) on failure.
    bool OpenFile(const std::string& path, sys::FileShare share);
    // Creates or replaces a file for writing, unshared.
    bool CreateFile(const std::string& path);
    // Creates a new file for writing, unshared, private to its owner, under a name
    // no file had: `prefix`, six characters, `suffix` (the name in *path).
    bool CreateUniqueFile(const std::string& prefix, const std::string& suffix, std::string* path);
    // Reads from a copy of `image`.
    void OpenImage(std::vector<uint8_t> image);
    // Writes into memory; TakeImage hands the bytes over.
    void CreateImage();

    // Exactly `count` bytes or false (a short read takes what there was and fails).
    bool Read(void* buffer, size_t count);
    // The same read without a copy where it can be had: the `count` bytes (at least
    // one) in place in the image or the file's bytes in memory, else gathered in a
    // scratch buffer; valid until the next call on the file. Null where Read fails.
    const uint8_t* Borrow(size_t count) {
        if (count > 0 && InWindow(count)) {
            const uint8_t* at = window_ + (position_ - windowStart_);
            position_ += count;
            lastCount_ = static_cast<uint32_t>(count);
            return at;
        }
        return BorrowOutsideWindow(count);
    }
    // The bytes from the read position on that are in memory now (`*count` of them,
    // at most `most`), without reading or moving: null (and 0) when none are. A file
    // read whole holds all of them after its first read.
    const uint8_t* Ahead(uint64_t most, size_t* count) const {
        const bool inside = window_ != nullptr && position_ >= windowStart_ && position_ < windowEnd_;
        *count = inside ? static_cast<size_t>(std::min(most, windowEnd_ - position_)) : 0;
        return *count > 0 ? window_ + (position_ - windowStart_) : nullptr;
    }
    // Moves the read position past `count` bytes that Ahead showed, as a Borrow of
    // them would.
    void Pass(size_t count) {
        position_ += count;
        lastCount_ = static_cast<uint32_t>(count);
    }
    // False on failure; the bytes may sit in the buffer until Flush.
    bool Write(const void* bytes, size_t count);
    // Writes out the buffer of a file being written; true for every other mode.
    bool Flush();
    // Flushes a file being written and forces it to the device (fsync); true for
    // every other mode.
    bool Sync();
    // A read position (reading modes only).
    bool Seek(uint64_t position);
    // Flushes (a failure is kept in LastError and returned) and closes.
    bool Close();
    // Closes without writing out what the buffer holds (after a failure).
    void Discard();
    // A write for the common case, encoded in place without a call: room for `count`
    // bytes in the buffer of a file being written while no test fault is set, else
    // null (Write is then the call to make). Commit makes the `count` bytes put there
    // part of the file, as Write would.
    uint8_t* WriteRoom(size_t count) {
        if (mode_ != Mode::WriteFile || count > writeBuffer_.size() - writeFill_ || FileFaultSet()) return nullptr;
        return writeBuffer_.data() + writeFill_;
    }
    void Commit(size_t count) {
        writeFill_ += count;
        position_ += count;
        size_ = position_;
        lastCount_ = static_cast<uint32_t>(count);
    }

    Mode GetMode() const { return mode_; }
    bool IsOpen() const { return mode_ != Mode::Closed; }
    bool IsReading() const { return mode_ == Mode::ReadFile || mode_ == Mode::ReadImage; }
    uint64_t Position() const { return position_; }
    uint64_t Size() const { return size_; }
    // Bytes left to read (0 when not reading).
    uint64_t Remaining() const { return IsReading() ? size_ - position_ : 0; }
    // The bytes moved by the last Read or Write.
    uint32_t LastCount() const { return lastCount_; }
    // The error number saved at the last failing call (0 none).
    int LastError() const { return error_; }
    // The bytes written in memory mode (moved out; the image is then empty).
    std::vector<uint8_t> TakeImage();

  private:
    // True (with the error number kept) when the test hook fails this call.
    bool Injected(FileStep step);
    // Whether `count` bytes from the read position are in the window.
    bool InWindow(size_t count) const {
        return position_ >= windowStart_ && position_ <= windowEnd_ && count <= windowEnd_ - position_;
    }
    void SetWindow(const uint8_t* bytes, uint64_t start, uint64_t end) {
        window_ = bytes;
        windowStart_ = start;
        windowEnd_ = end;
    }
    const uint8_t* BorrowOutsideWindow(size_t count);
    // A file being read that fits the whole-read limit: its bytes read into memory
    // once. True when they are (or were already).
    bool ReadWhole();
    bool FillBuffer();
    // Takes a file just made for writing (kNoFile: false).
    bool StartWriting(sys::FileDescriptor file);
    bool ReadFromFile(uint8_t* out, size_t count);
    // Collects bytes in the write buffer (a full buffer is written out first; a run
    // of at least a buffer's size goes to the file directly).
    bool WriteToFile(const uint8_t* from, size_t count);
    void Reset();

    uint64_t wholeReadLimit_;
    Mode mode_ = Mode::Closed;
    sys::FileDescriptor file_ = sys::kNoFile;
    std::vector<uint8_t> image_;  // memory image, or the file buffer
    std::vector<uint8_t> scratch_;  // Borrow's bytes that are not in place
    // ReadFile read whole: the file's bytes (wholeBytes_ of them; fewer than size_
    // when the file was cut short after it was opened).
    std::unique_ptr<uint8_t[]> whole_;
    uint64_t wholeBytes_ = 0;
    bool readWhole_ = false;
    size_t bufferStart_ = 0;      // ReadFile: file offset of image_[0]
    // The bytes of the stream in memory: stream offsets windowStart_..windowEnd_ at
    // window_ (the image, the whole file, or the buffer; null when none).
    const uint8_t* window_ = nullptr;
    uint64_t windowStart_ = 0;
    uint64_t windowEnd_ = 0;
    uint64_t position_ = 0;
    uint64_t size_ = 0;
    uint32_t lastCount_ = 0;
    int error_ = 0;
    // WriteFile: the buffer of bytes not yet written, and how many it holds.
    std::vector<uint8_t> writeBuffer_;
    size_t writeFill_ = 0;
};

// The shared handle.
ScoreFile& TheScoreFile();

// The buffer size of file reads and writes.
constexpr size_t kScoreFileBufferBytes = 64 * 1024;

}  // namespace ql
