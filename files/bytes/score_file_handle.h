// ScoreFile: the one program-wide score-file handle every byte of a native score file
// passes through. It reads from a file or from a memory image, and writes to a file
// (through a 64 KiB buffer) or to memory; it knows its position and size, so every
// decoder can be bounded by the bytes left. Only one score file is open at a time:
// opening another closes the first. The error number of a failed call is kept for
// the system-error box; nothing is shown from here. User-interface thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/bytes/file_faults.h"
#include "platform/sys/file_io.h"

namespace ql {

class ScoreFile {
  public:
    enum class Mode : uint8_t { Closed, ReadFile, WriteFile, ReadImage, WriteImage };

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
    // one) in place in the image or the file's buffer, else gathered in a scratch
    // buffer; valid until the next call on the file. Null where Read fails.
    const uint8_t* Borrow(size_t count);
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
    bool FillBuffer();
    // Takes a file just made for writing (kNoFile: false).
    bool StartWriting(sys::FileDescriptor file);
    bool ReadFromFile(uint8_t* out, size_t count);
    // Collects bytes in the write buffer (a full buffer is written out first; a run
    // of at least a buffer's size goes to the file directly).
    bool WriteToFile(const uint8_t* from, size_t count);
    void Reset();

    Mode mode_ = Mode::Closed;
    sys::FileDescriptor file_ = sys::kNoFile;
    std::vector<uint8_t> image_;  // memory image, or the file buffer
    std::vector<uint8_t> scratch_;  // Borrow's bytes that are not in place
    size_t bufferStart_ = 0;      // ReadFile: file offset of image_[0]
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
