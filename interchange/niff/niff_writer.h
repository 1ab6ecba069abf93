// Writing NIFF files: the RIFX form, lists, chunks whose fixed parts and tags are
// written by the types the schemas give, raw bytes, and the even padding, in
// big-endian order into memory. The same calls always give the same bytes. For
// damaged files, a length can be told instead of counted and padding left out.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/niff/niff_schema.h"

namespace ql::niff {

// One field value: a number, a rational, or the text of a FOURCC or CHAR[8].
struct NiffField {
    NiffField(int64_t value) : number(value) {}  // NOLINT: fields read as plain values
    template <size_t N>
    NiffField(const char (&value)[N]) : text(value, N - 1) {}  // NOLINT
    static NiffField Rational(int16_t numerator, int16_t denominator) {
        return NiffField((int64_t{static_cast<uint16_t>(numerator)} << 16) |
                         static_cast<uint16_t>(denominator));
    }
    int64_t number = 0;
    std::string_view text;
};

class NiffWriter {
  public:
    explicit NiffWriter(int stringOffsetWidth = 4) : stringOffsetWidth_(stringOffsetWidth) {}

    // "RIFX" with its form type, and "LIST" with its type; each ends with EndList.
    void BeginForm(const char (&formType)[5]) { BeginListChunk("RIFX", formType); }
    void BeginList(const char (&listType)[5]) { BeginListChunk("LIST", listType); }
    void EndList() { EndOpen(); }

    // A chunk: its fixed part written by the chunk schema's types (none for raw
    // chunks). Tags and raw bytes may follow; EndChunk closes it.
    void BeginChunk(const char (&id)[5], std::initializer_list<NiffField> fixedPart = {});
    void EndChunk() { EndOpen(); }
    // A tag written by the tag schema's types.
    void Tag(uint8_t number, std::initializer_list<NiffField> value = {});
    // A tag with its length and bytes as given (and a pad byte when odd).
    void RawTag(uint8_t number, uint8_t length, std::span<const uint8_t> bytes);
    void Bytes(std::span<const uint8_t> bytes);
    void Text(std::string_view text);

    // Damaged files: the next list or chunk closed gets this length instead of its
    // own; padding after odd lengths can be left out.
    void SetNextLength(uint32_t length) { nextLength_ = length; }
    void SetPadding(bool on) { padding_ = on; }

    const std::vector<uint8_t>& bytes() const { return out_; }
    // Writes the bytes so far to a new (or truncated) file; false on failure.
    bool WriteToFile(const std::string& path) const;
    std::vector<uint8_t> Take() { return std::move(out_); }

  private:
    void BeginListChunk(const char (&id)[5], const char (&type)[5]);
    void EndOpen();
    void Field(uint8_t type, const NiffField& value);
    void PutBigEndian(uint64_t value, int bytes);

    std::vector<uint8_t> out_;
    std::vector<size_t> open_;  // where the length field of each open list or chunk sits
    std::optional<uint32_t> nextLength_;
    bool padding_ = true;
    int stringOffsetWidth_;
};

}  // namespace ql::niff
