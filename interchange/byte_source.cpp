// The byte source of the interchange readers.
#include "interchange/byte_source.h"

#include <algorithm>
#include <cstring>

namespace ql {

std::unique_ptr<ByteSource> ByteSource::FromFile(sys::FileDescriptor file) {
    std::unique_ptr<ByteSource> source(new ByteSource);
    source->file_ = file;
    int error = 0;
    if (!sys::FileSize(file, &source->size_, &error)) source->size_ = 0;
    source->bytes_.resize(kBufferBytes);
    return source;
}

std::unique_ptr<ByteSource> ByteSource::FromMemory(std::span<const uint8_t> bytes) {
    std::unique_ptr<ByteSource> source(new ByteSource);
    source->bytes_.assign(bytes.begin(), bytes.end());
    source->valid_ = bytes.size();
    source->size_ = bytes.size();
    return source;
}

ByteSource::~ByteSource() {
    int error = 0;
    if (file_ != sys::kNoFile) sys::CloseFile(file_, &error);
}

void ByteSource::WidenBuffer(size_t bytes) {
    if (file_ == sys::kNoFile || bytes <= bytes_.size()) return;
    bytes_.resize(bytes);
}

bool ByteSource::Refill() {
    if (file_ == sys::kNoFile) return false;
    base_ += valid_;
    next_ = 0;
    valid_ = 0;
    int error = 0;
    const int64_t got = sys::ReadFileBytes(file_, bytes_.data(), bytes_.size(), &error);
    if (got <= 0) return false;
    valid_ = static_cast<size_t>(got);
    return true;
}

int ByteSource::ReadByteRefilling() {
    if (next_ >= valid_ && !Refill()) return -1;
    return bytes_[next_++];
}

size_t ByteSource::ReadRefilling(uint8_t* out, size_t count) {
    size_t done = 0;
    while (done < count) {
        if (next_ >= valid_ && !Refill()) break;
        const size_t run = std::min(count - done, valid_ - next_);
        std::memcpy(out + done, bytes_.data() + next_, run);
        next_ += run;
        done += run;
    }
    return done;
}

bool ByteSource::Seek(uint64_t position) {
    if (position > size_) return false;
    if (file_ == sys::kNoFile) {
        next_ = static_cast<size_t>(position);
        return true;
    }
    if (position >= base_ && position <= base_ + valid_) {
        next_ = static_cast<size_t>(position - base_);
        return true;
    }
    int error = 0;
    if (!sys::SeekFile(file_, position, &error)) return false;
    base_ = position;
    next_ = 0;
    valid_ = 0;
    return true;
}

}  // namespace ql
