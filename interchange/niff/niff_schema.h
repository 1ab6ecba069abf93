// The NIFF chunk and tag schemas: for every chunk id the size of its fixed part
// and the types of its fields, for every tag number the types of its value, and
// how those fields lie in the file and in memory. Each import reads through its
// own copy (NiffSchemas), since a file's chunk-length table may change fixed sizes
// and the width of string offsets for that file alone.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace ql::niff {

using FourCC = std::array<uint8_t, 4>;

constexpr FourCC MakeFourCC(const char (&text)[5]) {
    return {static_cast<uint8_t>(text[0]), static_cast<uint8_t>(text[1]),
            static_cast<uint8_t>(text[2]), static_cast<uint8_t>(text[3])};
}

enum NiffFieldType : uint8_t {
    kNiffEnd = 0x00,
    kNiffByte = 0x01,
    kNiffChar8 = 0x08,
    kNiffSignedByte = 0x11,
    kNiffSignedShort = 0x12,
    kNiffSignedLong = 0x14,
    kNiffRational = 0x16,
    kNiffFourCC = 0x44,
    kNiffFontIndex = 0x82,
    kNiffStringOffset = 0x84,
};

inline constexpr int kNiffChunkFields = 9;
inline constexpr int kNiffTagFields = 7;
inline constexpr int kNiffChunkTypes = 80;
inline constexpr int kNiffKnownTags = 48;  // tags 1 to 48
inline constexpr int kNiffTagNumbers = kNiffKnownTags + 1;
inline constexpr uint8_t kNiffTag255 = 255;
inline constexpr int32_t kNiffRaw = -1;  // fixed size of a chunk read raw, with no tags

struct NiffChunkRecord {
    FourCC id;
    int32_t fixedSize;  // bytes of the fixed part in the file, or kNiffRaw
    std::array<uint8_t, kNiffChunkFields + 1> fields;
};

struct NiffTagRecord {
    uint8_t tag;
    std::array<uint8_t, kNiffTagFields + 1> fields;
};

// The built-in tables, sorted by id (byte order) and by tag number.
std::span<const NiffChunkRecord, kNiffChunkTypes> BuiltInNiffChunkSchema();
// Tags 0 to 48, then tag 255.
std::span<const NiffTagRecord, kNiffTagNumbers + 1> BuiltInNiffTagSchema();

// Bytes a field takes in the file; string offsets take `stringOffsetWidth`.
// (Inline: the reader asks for every field it converts.)
constexpr int NiffFieldFileWidth(uint8_t type, int stringOffsetWidth) {
    switch (type) {
        case kNiffByte:
        case kNiffSignedByte:
            return 1;
        case kNiffSignedShort:
        case kNiffFontIndex:
            return 2;
        case kNiffSignedLong:
        case kNiffRational:
        case kNiffFourCC:
            return 4;
        case kNiffChar8:
            return 8;
        case kNiffStringOffset:
            return stringOffsetWidth;
        default:
            return 0;
    }
}
// Bytes a field takes in memory, and whether it starts at an even offset there.
constexpr int NiffFieldMemoryWidth(uint8_t type) {
    return type == kNiffStringOffset ? 4 : NiffFieldFileWidth(type, 4);
}
constexpr bool NiffFieldAligned(uint8_t type) {
    return type != kNiffChar8 && NiffFieldMemoryWidth(type) % 2 == 0;
}
// Memory size of a converted field list (trailing byte added to keep an even
// size when any field is aligned).
int NiffFieldsMemorySize(const uint8_t* fields);

// How a list of fields is converted from the file, worked out once: for each
// field the bytes it takes in the file, where it starts in memory and how its
// bytes are turned (numbers from big-endian order, the halves of a rational each
// on its own, ids and names kept, string offsets widened to 32 bits).
// Every converted fixed part and tag value fits in this many bytes (checked when
// the schemas are built).
inline constexpr int kNiffConvertedBytes = 16;
enum class NiffFieldTurn : uint8_t { kByte, kShort, kLong, kRational, kKeep, kStringOffset };
struct NiffFieldStep {
    NiffFieldTurn turn;
    uint8_t width;  // in the file
    uint8_t to;     // offset in memory
};
// A whole field list converted in one go, made at compile time for the plans
// of the schemas: the file holds all of the plan's bytes at `from`.
using NiffWholeConversion = void (*)(const uint8_t* from, uint8_t* out);
struct NiffFieldPlan {
    std::array<NiffFieldStep, kNiffChunkFields> steps{};
    int count = 0;
    int memorySize = 0;
    int fileBytes = 0;
    NiffWholeConversion whole = nullptr;  // null for plans made at run time
};
NiffFieldPlan MakeNiffFieldPlan(const uint8_t* fields, int stringOffsetWidth);

// An id's four bytes as one number, in the machine's order (the look-up's key).
inline uint32_t NiffIdKey(const uint8_t* id) {
    uint32_t key;
    std::memcpy(&key, id, sizeof key);
    return key;
}
constexpr uint32_t NiffIdKey(const FourCC& id) {
    static_assert(std::endian::native == std::endian::little, "keys are read in little-endian order");
    return uint32_t{id[0]} | (uint32_t{id[1]} << 8) | (uint32_t{id[2]} << 16) | (uint32_t{id[3]} << 24);
}

// A chunk id's entry in the look-up table: its key, its index in the schema (-1
// for none), and the bytes its fixed part takes in the file as FixedPartBytes
// gives them, or kNiffRaw for a raw chunk, or kNiffFixedPartBeyondEntry when
// they do not fit (a file's chunk-length table declared that many).
inline constexpr int16_t kNiffFixedPartBeyondEntry = -2;
struct NiffIdEntry {
    uint32_t key = 0;
    int16_t fixedPartBytes = kNiffRaw;
    int8_t index = -1;
};
static_assert(sizeof(NiffIdEntry) == 8, "an entry is read in one load");

// One import's schemas: the built-in fixed sizes, changed only by that file's
// chunk-length table, and the string-offset width.
class NiffSchemas {
  public:
    NiffSchemas();

    // Index into the chunk schema, or -1 for an id it does not hold.
    int FindChunk(const FourCC& id) const { return LookUpChunk(id.data()).index; }
    // The entry of the id whose four bytes lie at `id` (its index -1 when the
    // schema does not hold it). (Inline: the reader looks up every chunk.)
    NiffIdEntry LookUpChunk(const uint8_t* id) const {
        const uint32_t key = NiffIdKey(id);
        const NiffIdEntry entry = entries_[IdSlot(key)];
        return entry.key == key ? entry : NiffIdEntry{};
    }
    const NiffChunkRecord& Chunk(int index) const { return chunks_[static_cast<size_t>(index)]; }
    // Memory size of a chunk's converted fixed part, and the file bytes of its
    // fields at the current string-offset width.
    int MemorySize(int index) const { return chunkPlans_[static_cast<size_t>(index)].memorySize; }
    int FieldsFileBytes(int index) const { return chunkPlans_[static_cast<size_t>(index)].fileBytes; }
    // The conversion of a chunk's fixed part.
    const NiffFieldPlan& ChunkPlan(int index) const { return chunkPlans_[static_cast<size_t>(index)]; }
    // The conversion of a known tag's value (1-48, 255), else null.
    const NiffFieldPlan* TagPlan(int number) const {
        if (number >= 1 && number <= kNiffKnownTags) return &tagPlans_[static_cast<size_t>(number)];
        return number == kNiffTag255 ? &tagPlans_[kNiffTagNumbers] : nullptr;
    }
    // The conversion of tag 1 to 48, unchecked.
    const NiffFieldPlan& KnownTagPlan(int number) const {
        return tagPlans_[static_cast<size_t>(number)];
    }
    // The whole conversion of a chunk's fixed part (null when it has no fields) and
    // the file bytes it takes, kept apart from the plans so that the reader reads little.
    NiffWholeConversion ChunkWhole(int index) const { return chunkWholes_[static_cast<size_t>(index)]; }
    int ChunkWholeBytes(int index) const { return chunkWholeBytes_[static_cast<size_t>(index)]; }
    // Memory size of a known tag's converted value.
    int TagMemorySize(int number) const {
        const NiffFieldPlan* plan = TagPlan(number);
        return plan != nullptr ? plan->memorySize : 0;
    }
    // Whether the file's chunk-length table declared this chunk's fixed size.
    bool Declared(int index) const { return declared_[static_cast<size_t>(index)]; }
    // The bytes a chunk's fixed part takes in the file: the declared size when the
    // file's chunk-length table gave one, else as far as the fields reach within
    // the built-in size; kNiffRaw for a chunk read raw.
    int32_t FixedPartBytes(int index) const { return fixedPartBytes_[static_cast<size_t>(index)]; }
    // The tag record of a known tag number (1-48, 255), else null.
    const NiffTagRecord* Tag(int number) const;

    // A chunk-length table entry: changes the fixed size of a typed chunk (raw
    // chunks and sizes below 0 are left alone); `part` also sets the width of
    // string offsets (2 when its fixed part is 13 bytes or less, else 4).
    void ApplyChunkLength(const FourCC& id, int32_t size);
    int StringOffsetWidth() const { return stringOffsetWidth_; }

  private:
    void MakePlans();

    std::array<NiffChunkRecord, kNiffChunkTypes> chunks_;
    // The ids' entries, hashed by key with a multiplier that gives every id of
    // the schema a slot of its own: a chunk's id is found with one probe, and its
    // fixed part's size with it.
    static constexpr int kIdSlotBits = 9;
    static constexpr size_t kIdSlots = size_t{1} << kIdSlotBits;
    // The first multiplier tried (odd ones, from a golden-ratio start) under which
    // no two ids share a slot; the schema's construction checks it.
    static constexpr uint32_t kIdMultiplier = 0x7F50C849u;
    static constexpr size_t IdSlot(uint32_t key, uint32_t multiplier = kIdMultiplier) {
        return (key * multiplier) >> (32 - kIdSlotBits);
    }
    static constexpr uint32_t FirstDistinctIdMultiplier();
    // Sets the size kept in an id's entry from fixedPartBytes_.
    void MirrorFixedPart(size_t index);
    std::array<NiffIdEntry, kIdSlots> entries_{};
    std::array<bool, kNiffChunkTypes> declared_{};
    std::array<int32_t, kNiffChunkTypes> fixedPartBytes_{};
    std::array<NiffFieldPlan, kNiffChunkTypes> chunkPlans_{};
    std::array<NiffFieldPlan, kNiffTagNumbers + 1> tagPlans_{};
    std::array<NiffWholeConversion, kNiffChunkTypes> chunkWholes_{};
    std::array<uint8_t, kNiffChunkTypes> chunkWholeBytes_{};
    int stringOffsetWidth_ = 4;
};

}  // namespace ql::niff
