// The shared score-file handle (see score_file_handle.h). A file being read is read
// whole at its first read, or buffered 64 KiB at a time above the whole-read limit; a
// file being written collects 64 KiB before each write.
#include "files/bytes/score_file_handle.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <unistd.h>  // fsync

#include "files/bytes/file_faults.h"

namespace ql {

ScoreFile& TheScoreFile() {
    static ScoreFile file;
    return file;
}

void ScoreFile::Reset() {
    mode_ = Mode::Closed;
    file_ = sys::kNoFile;
    image_.clear();
    image_.shrink_to_fit();
    scratch_.clear();
    scratch_.shrink_to_fit();
    whole_.reset();
    wholeBytes_ = 0;
    readWhole_ = false;
    bufferStart_ = 0;
    SetWindow(nullptr, 0, 0);
    position_ = size_ = 0;
}

bool ScoreFile::OpenFile(const std::string& path, sys::FileShare share) {
    Close();
    Reset();
    error_ = 0;
    sys::FileDescriptor file = sys::OpenFileForRead(path, share, &error_);
    if (file == sys::kNoFile) return false;
    uint64_t size = 0;
    if (!sys::FileSize(file, &size, &error_)) {
        sys::CloseFile(file, nullptr);
        return false;
    }
    file_ = file;
    mode_ = Mode::ReadFile;
    size_ = size;
    return true;
}

bool ScoreFile::CreateFile(const std::string& path) {
    Close();
    Reset();
    error_ = 0;
    return StartWriting(sys::CreateFileForWrite(path, &error_));
}

bool ScoreFile::CreateUniqueFile(const std::string& prefix, const std::string& suffix, std::string* path) {
    Close();
    Reset();
    error_ = 0;
    return StartWriting(sys::CreateUniqueFile(prefix, suffix, path, &error_));
}

bool ScoreFile::StartWriting(sys::FileDescriptor file) {
    if (file == sys::kNoFile) return false;
    file_ = file;
    mode_ = Mode::WriteFile;
    writeBuffer_.resize(kScoreFileBufferBytes);  // kept from one file to the next
    writeFill_ = 0;
    return true;
}

void ScoreFile::OpenImage(std::vector<uint8_t> image) {
    Close();
    Reset();
    error_ = 0;
    image_ = std::move(image);
    size_ = image_.size();
    SetWindow(image_.data(), 0, size_);
    mode_ = Mode::ReadImage;
}

void ScoreFile::CreateImage() {
    Close();
    Reset();
    error_ = 0;
    mode_ = Mode::WriteImage;
}

// The file's bytes from its start, as many as it holds up to its size at the open,
// in one buffer left uninitialised until the reads fill it. The test hook is asked
// once for the whole read.
bool ScoreFile::ReadWhole() {
    if (readWhole_) return true;
    if (Injected(FileStep::Read)) return false;
    if (!sys::SeekFile(file_, 0, &error_)) return false;
    auto bytes = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(size_));
    uint64_t got = 0;
    while (got < size_) {
        const int64_t read = sys::ReadFileBytes(file_, bytes.get() + got, static_cast<size_t>(size_ - got), &error_);
        if (read < 0) return false;
        if (read == 0) break;  // the file was cut short since it was opened
        got += static_cast<uint64_t>(read);
    }
    whole_ = std::move(bytes);
    wholeBytes_ = got;
    readWhole_ = true;
    SetWindow(whole_.get(), 0, wholeBytes_);
    return true;
}

// Loads the buffer with the file bytes from the current position on (a file above
// the whole-read limit); the test hook is asked once for each read of the device.
bool ScoreFile::FillBuffer() {
    if (Injected(FileStep::Read)) return false;
    image_.resize(kScoreFileBufferBytes);
    SetWindow(nullptr, 0, 0);
    if (!sys::SeekFile(file_, position_, &error_)) return false;
    int64_t got = sys::ReadFileBytes(file_, image_.data(), image_.size(), &error_);
    if (got < 0) {
        image_.clear();
        return false;
    }
    image_.resize(static_cast<size_t>(got));
    bufferStart_ = static_cast<size_t>(position_);
    SetWindow(image_.data(), bufferStart_, bufferStart_ + image_.size());
    return true;
}

// Copies from the window, refilling the buffer of a large file as it goes; a file
// read whole has all it holds in the window already.
bool ScoreFile::ReadFromFile(uint8_t* out, size_t count) {
    while (count > 0) {
        if (!InWindow(1)) {
            if (readWhole_ || !FillBuffer() || image_.empty()) return false;
        }
        const size_t take = static_cast<size_t>(std::min<uint64_t>(count, windowEnd_ - position_));
        std::memcpy(out, window_ + (position_ - windowStart_), take);
        out += take;
        count -= take;
        position_ += take;
        lastCount_ += static_cast<uint32_t>(take);
    }
    return true;
}

bool ScoreFile::Read(void* buffer, size_t count) {
    lastCount_ = 0;
    if (!IsReading()) {
        error_ = EBADF;
        return false;
    }
    if (count == 0) return true;
    if (count > Remaining()) {
        // A short read: what there was is taken and the read fails.
        size_t left = static_cast<size_t>(Remaining());
        if (left > 0) Read(buffer, left);
        lastCount_ = static_cast<uint32_t>(left);
        return false;
    }
    if (mode_ == Mode::ReadFile && size_ <= wholeReadLimit_ && !ReadWhole()) return false;
    if (InWindow(count)) {
        std::memcpy(buffer, window_ + (position_ - windowStart_), count);
        position_ += count;
        lastCount_ = static_cast<uint32_t>(count);
        return true;
    }
    return mode_ == Mode::ReadFile && ReadFromFile(static_cast<uint8_t*>(buffer), count);
}

// Borrow where its bytes are not in the window yet: the first read of a file, a
// buffer to refill, or a read past the end.
const uint8_t* ScoreFile::BorrowOutsideWindow(size_t count) {
    const bool inPlace = IsReading() && count > 0 && count <= Remaining();
    if (inPlace && mode_ == Mode::ReadFile) {
        lastCount_ = 0;
        if (size_ <= wholeReadLimit_) {
            if (!ReadWhole()) return nullptr;
        } else if (count <= kScoreFileBufferBytes && !FillBuffer()) {
            return nullptr;
        }
        if (InWindow(count)) return Borrow(count);
    }
    scratch_.resize(count);
    return Read(scratch_.data(), count) ? scratch_.data() : nullptr;
}

bool ScoreFile::Write(const void* bytes, size_t count) {
    lastCount_ = 0;
    if (mode_ != Mode::WriteFile && mode_ != Mode::WriteImage) {
        error_ = EBADF;
        return false;
    }
    if (count == 0) return true;
    auto* from = static_cast<const uint8_t*>(bytes);
    if (mode_ == Mode::WriteFile) return WriteToFile(from, count);
    image_.insert(image_.end(), from, from + count);
    position_ += count;
    size_ = position_;
    lastCount_ = static_cast<uint32_t>(count);
    return true;
}

bool ScoreFile::WriteToFile(const uint8_t* from, size_t count) {
    if (Injected(FileStep::Write)) return false;
    if (count > kScoreFileBufferBytes - writeFill_) {
        if (!Flush()) return false;
        if (count >= kScoreFileBufferBytes) {
            if (!sys::WriteFileBytes(file_, from, count, &error_)) return false;
            position_ += count;
            size_ = position_;
            lastCount_ = static_cast<uint32_t>(count);
            return true;
        }
    }
    std::memcpy(writeBuffer_.data() + writeFill_, from, count);
    Commit(count);
    return true;
}

bool ScoreFile::Flush() {
    if (mode_ != Mode::WriteFile || writeFill_ == 0) return true;
    const size_t fill = writeFill_;
    writeFill_ = 0;  // a failed buffer is dropped: the save stops at its first failure
    if (Injected(FileStep::Flush)) return false;
    return sys::WriteFileBytes(file_, writeBuffer_.data(), fill, &error_);
}

bool ScoreFile::Sync() {
    if (mode_ != Mode::WriteFile) return true;
    if (!Flush()) return false;
    if (Injected(FileStep::Sync)) return false;
    if (::fsync(file_) == 0) return true;
    error_ = errno;
    return false;
}

bool ScoreFile::Injected(FileStep step) {
    int error = InjectedFileFault(step);
    if (error != 0) error_ = error;
    return error != 0;
}

bool ScoreFile::Seek(uint64_t position) {
    if (!IsReading() || position > size_) {
        error_ = EINVAL;
        return false;
    }
    position_ = position;
    return true;
}

bool ScoreFile::Close() {
    if (mode_ == Mode::Closed) return true;
    bool flushed = Flush();
    bool closed = sys::CloseFile(file_, flushed ? &error_ : nullptr);
    Mode was = mode_;
    std::vector<uint8_t> written;
    if (was == Mode::WriteImage) written = std::move(image_);
    Reset();
    if (was == Mode::WriteImage) image_ = std::move(written);  // kept for TakeImage
    return flushed && closed;
}

void ScoreFile::Discard() {
    writeFill_ = 0;
    Close();
}

std::vector<uint8_t> ScoreFile::TakeImage() {
    std::vector<uint8_t> image = std::move(image_);
    image_.clear();
    if (mode_ == Mode::WriteImage) position_ = size_ = 0;
    return image;
}

}  // namespace ql
