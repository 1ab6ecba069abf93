// The tag state of a NIFF import: loading it for each chunk, storing tags, and
// making tags persistent or ending them.
#include "interchange/niff/niff_import_state.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/model/score_document.h"

namespace ql::niff {
namespace {

constexpr int kTagLyricOffset = 23;
constexpr int kTagPresetMinus2 = 18;
constexpr int kTagPresetMinus1a = 32;
constexpr int kTagPresetMinus1b = 47;
constexpr int16_t kTag47Highest = 3;
constexpr FourCC kStaffHeader = MakeFourCC("sthd");

void SetShort(NiffTagState::Value& value, int16_t number) {
    std::memcpy(value.data(), &number, sizeof number);
}

int16_t ShortAt(const uint8_t* bytes) {
    int16_t number = 0;
    std::memcpy(&number, bytes, sizeof number);
    return number;
}

constexpr uint64_t Bit(size_t tag) {
    return uint64_t{1} << tag;
}

// Zeroes the values and flags of the tags in `mask`.
void ClearTags(std::array<NiffTagState::Value, kNiffTagNumbers>& values,
               std::array<uint8_t, kNiffTagNumbers>& flags, uint64_t mask) {
    for (; mask != 0; mask &= mask - 1) {
        const size_t tag = static_cast<size_t>(std::countr_zero(mask));
        values[tag] = {};
        flags[tag] = 0;
    }
}

void ApplyLyricOffset(NiffImportState& import, const uint8_t* value) {
    const uint8_t line = value[2];
    if (import.document == nullptr || line >= kLyricLevelCount) return;
    const double scaled = ShortAt(value) * import.unitScale;
    import.document->header.lyricLevels[line] = static_cast<uint16_t>(static_cast<int32_t>(scaled));
}

}  // namespace

int16_t NiffTagShort(const NiffTagState& tags, int tag, int byteOffset) {
    if (tag < 0 || tag >= kNiffTagNumbers || byteOffset < 0 || byteOffset + 2 > kNiffTagValueBytes)
        return 0;
    return ShortAt(tags.values[static_cast<size_t>(tag)].data() + byteOffset);
}

int BeginNiffChunk(NiffChunkContext& context, const uint8_t*) {
    NiffImportState& import = *context.import;
    NiffTagState& tags = import.tags;
    if (std::bit_cast<uint32_t>(context.id) == std::bit_cast<uint32_t>(kStaffHeader)) {
        tags.written |= tags.persistentWritten;
        ClearTags(tags.persistentValues, tags.persistentFlags, tags.persistentWritten);
        tags.persistentWritten = 0;
    }
    // Only the tags changed since the last load can differ from what this one
    // gives them: the persistent value and flag, else none.
    for (uint64_t changed = tags.written; changed != 0; changed &= changed - 1) {
        const size_t tag = static_cast<size_t>(std::countr_zero(changed));
        if ((tags.persistentWritten & Bit(tag)) != 0) {
            tags.values[tag] = tags.persistentValues[tag];
            tags.flags[tag] = tags.persistentFlags[tag];
        } else {
            tags.values[tag] = {};
            tags.flags[tag] = 0;
        }
    }
    // A preset tag then takes its number, keeping a persistent value's bytes past it.
    if ((tags.written & kNiffPresetTags) != 0) {
        if ((tags.written & Bit(kTagPresetMinus2)) != 0)
            SetShort(tags.values[kTagPresetMinus2], -2);
        if ((tags.written & Bit(kTagPresetMinus1a)) != 0)
            SetShort(tags.values[kTagPresetMinus1a], -1);
        if ((tags.written & Bit(kTagPresetMinus1b)) != 0)
            SetShort(tags.values[kTagPresetMinus1b], -1);
    }
    tags.written = 0;
    import.noteReference = -1;
    return 1;
}

void StoreNiffTag(NiffTagContext& context, const uint8_t* value) {
    const int tag = context.tag;
    if (tag < 1 || tag > kNiffKnownTags) return;
    NiffImportState& import = *context.import;
    NiffTagState& tags = import.tags;
    tags.flags[static_cast<size_t>(tag)] = kNiffTagGiven;
    tags.written |= Bit(static_cast<size_t>(tag));
    NiffTagState::Value& stored = tags.values[static_cast<size_t>(tag)];
    // The reader's value runs on in zeros: one copy of fixed size stores the value
    // and clears the rest.
    static_assert(sizeof stored <= kNiffTagValueBuffer);
    std::memcpy(stored.data(), value, sizeof stored);
    if (tag == kTagPresetMinus1b) SetShort(stored, std::min(ShortAt(stored.data()), kTag47Highest));
    if (tag == kTagLyricOffset) ApplyLyricOffset(import, stored.data());
}

int ActivateNiffTags(NiffChunkContext& context, const uint8_t*) {
    NiffTagState& tags = context.import->tags;
    for (size_t tag = 1; tag < kNiffTagNumbers; ++tag) {
        if ((tags.flags[tag] & kNiffTagGiven) == 0) continue;
        tags.persistentFlags[tag] = kNiffTagInherited;
        tags.persistentValues[tag] = tags.values[tag];
        tags.persistentWritten |= Bit(tag);
    }
    return 1;
}

int DeactivateNiffTags(NiffChunkContext& context, const uint8_t*) {
    NiffTagState& tags = context.import->tags;
    bool anyGiven = false;
    for (size_t tag = 1; tag < kNiffTagNumbers; ++tag) {
        if ((tags.flags[tag] & kNiffTagGiven) == 0) continue;
        anyGiven = true;
        tags.persistentFlags[tag] = 0;
        tags.persistentValues[tag] = {};
        tags.persistentWritten &= ~Bit(tag);
    }
    if (!anyGiven) {
        tags.written |= tags.persistentWritten;
        ClearTags(tags.persistentValues, tags.persistentFlags, tags.persistentWritten);
        tags.persistentWritten = 0;
    }
    return 1;
}

}  // namespace ql::niff
