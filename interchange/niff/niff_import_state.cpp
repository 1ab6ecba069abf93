// The tag state of a NIFF import: loading it for each chunk, storing tags, and
// making tags persistent or ending them.
#include "interchange/niff/niff_import_state.h"

#include <algorithm>
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
    if (context.id == kStaffHeader) {
        tags.persistentFlags.fill(0);
        tags.persistentValues = {};
    }
    tags.flags = tags.persistentFlags;
    tags.values = tags.persistentValues;
    SetShort(tags.values[kTagPresetMinus2], -2);
    SetShort(tags.values[kTagPresetMinus1a], -1);
    SetShort(tags.values[kTagPresetMinus1b], -1);
    import.noteReference = -1;
    return 1;
}

void StoreNiffTag(NiffTagContext& context, const uint8_t* value) {
    const int tag = context.tag;
    if (tag < 1 || tag > kNiffKnownTags) return;
    NiffImportState& import = *context.import;
    NiffTagState& tags = import.tags;
    tags.flags[static_cast<size_t>(tag)] = kNiffTagGiven;
    NiffTagState::Value& stored = tags.values[static_cast<size_t>(tag)];
    stored = {};
    std::copy_n(value, std::min<size_t>(context.value.size(), stored.size()), stored.begin());
    if (tag == kTagPresetMinus1b) SetShort(stored, std::min(ShortAt(stored.data()), kTag47Highest));
    if (tag == kTagLyricOffset) ApplyLyricOffset(import, stored.data());
}

int ActivateNiffTags(NiffChunkContext& context, const uint8_t*) {
    NiffTagState& tags = context.import->tags;
    for (size_t tag = 1; tag < kNiffTagNumbers; ++tag) {
        if ((tags.flags[tag] & kNiffTagGiven) == 0) continue;
        tags.persistentFlags[tag] = kNiffTagInherited;
        tags.persistentValues[tag] = tags.values[tag];
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
    }
    if (!anyGiven) {
        tags.persistentFlags.fill(0);
        tags.persistentValues = {};
    }
    return 1;
}

}  // namespace ql::niff
