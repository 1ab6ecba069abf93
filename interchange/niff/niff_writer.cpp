// The NIFF writer.
#include "interchange/niff/niff_writer.h"

#include <stdexcept>

#include "platform/sys/file_io.h"

namespace ql::niff {
namespace {

const NiffSchemas& BuiltInSchemas() {
    static const NiffSchemas schemas;
    return schemas;
}

const NiffChunkRecord& ChunkRecordOf(const FourCC& id) {
    const NiffSchemas& schemas = BuiltInSchemas();
    const int index = schemas.FindChunk(id);
    if (index < 0) throw std::invalid_argument("chunk id not in the schema");
    return schemas.Chunk(index);
}

}  // namespace

void NiffWriter::PutBigEndian(uint64_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out_.push_back(static_cast<uint8_t>(value >> shift));
}

void NiffWriter::BeginListChunk(const char (&id)[5], const char (&type)[5]) {
    out_.insert(out_.end(), id, id + 4);
    open_.push_back(out_.size());
    PutBigEndian(0, 4);
    out_.insert(out_.end(), type, type + 4);
}

void NiffWriter::EndOpen() {
    if (open_.empty()) throw std::logic_error("nothing open to end");
    const size_t at = open_.back();
    open_.pop_back();
    const size_t length = out_.size() - at - 4;
    const uint32_t stored = nextLength_.value_or(static_cast<uint32_t>(length));
    nextLength_.reset();
    for (int i = 0; i < 4; ++i)
        out_[at + static_cast<size_t>(i)] = static_cast<uint8_t>(stored >> (24 - 8 * i));
    if (padding_ && (length & 1) != 0) out_.push_back(0);
}

void NiffWriter::Field(uint8_t type, const NiffField& value) {
    switch (type) {
        case kNiffFourCC:
        case kNiffChar8: {
            const size_t width = type == kNiffFourCC ? 4 : 8;
            for (size_t i = 0; i < width; ++i)
                out_.push_back(i < value.text.size() ? static_cast<uint8_t>(value.text[i]) : 0);
            return;
        }
        case kNiffStringOffset:
            PutBigEndian(static_cast<uint64_t>(value.number), stringOffsetWidth_);
            return;
        default:
            PutBigEndian(static_cast<uint64_t>(value.number), NiffFieldFileWidth(type, 4));
    }
}

void NiffWriter::BeginChunk(const char (&id)[5], std::initializer_list<NiffField> fixedPart) {
    const NiffChunkRecord& record = ChunkRecordOf(MakeFourCC(id));
    out_.insert(out_.end(), id, id + 4);
    open_.push_back(out_.size());
    PutBigEndian(0, 4);
    if (record.fixedSize == kNiffRaw) {
        if (fixedPart.size() != 0) throw std::invalid_argument("a raw chunk has no fixed part");
        return;
    }
    size_t i = 0;
    for (const NiffField& value : fixedPart) {
        if (i >= kNiffChunkFields || record.fields[i] == kNiffEnd)
            throw std::invalid_argument("more fields than the schema gives");
        Field(record.fields[i++], value);
    }
    if (record.fields[i] != kNiffEnd)
        throw std::invalid_argument("fewer fields than the schema gives");
}

void NiffWriter::Tag(uint8_t number, std::initializer_list<NiffField> value) {
    const NiffTagRecord* record = BuiltInSchemas().Tag(number);
    if (record == nullptr) throw std::invalid_argument("unknown tag");
    out_.push_back(number);
    const size_t lengthAt = out_.size();
    out_.push_back(0);
    size_t i = 0;
    for (const NiffField& field : value) {
        if (i >= kNiffTagFields || record->fields[i] == kNiffEnd)
            throw std::invalid_argument("more tag fields than the schema gives");
        Field(record->fields[i++], field);
    }
    const size_t length = out_.size() - lengthAt - 1;
    out_[lengthAt] = static_cast<uint8_t>(length);
    if (padding_ && (length & 1) != 0) out_.push_back(0);
}

void NiffWriter::RawTag(uint8_t number, uint8_t length, std::span<const uint8_t> bytes) {
    out_.push_back(number);
    out_.push_back(length);
    Bytes(bytes);
    if (padding_ && (bytes.size() & 1) != 0) out_.push_back(0);
}

void NiffWriter::Bytes(std::span<const uint8_t> bytes) {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
}

void NiffWriter::Text(std::string_view text) {
    out_.insert(out_.end(), text.begin(), text.end());
}

bool NiffWriter::WriteToFile(const std::string& path) const {
    const sys::FileDescriptor file = sys::CreateFileForWrite(path, nullptr);
    if (file == sys::kNoFile) return false;
    const bool written = sys::WriteFileBytes(file, out_.data(), out_.size(), nullptr);
    return sys::CloseFile(file, nullptr) && written;
}

}  // namespace ql::niff
