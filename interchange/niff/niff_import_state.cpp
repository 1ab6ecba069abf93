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

int16_t ShortAt(const uint8_t* bytes) {
    int16_t number = 0;
    std::memcpy(&number, bytes, sizeof number);
    return number;
}

constexpr uint64_t Bit(size_t tag) {
    return uint64_t{1} << tag;
}

void ApplyLyricOffset(NiffImportState& import, const uint8_t* value) {
    const uint8_t line = value[2];
    if (import.document == nullptr || line >= kLyricLevelCount) return;
    const double scaled = ShortAt(value) * import.unitScale;
    import.document->header.lyricLevels[line] = static_cast<uint16_t>(static_cast<int32_t>(scaled));
    import.lyricLinesGiven = true;
}

}  // namespace

int16_t NiffTagShort(const NiffTagState& tags, int tag, int byteOffset) {
    if (tag < 0 || tag >= kNiffTagNumbers || byteOffset < 0 || byteOffset + 2 > kNiffTagValueBytes)
        return 0;
    return ShortAt(tags.values[static_cast<size_t>(tag)].data() + byteOffset);
}

int BeginNiffChunk(NiffChunkContext& context, const uint8_t*) {
    BeginNiffChunkState(*context.import, context.id);
    return 1;
}

void StoreNiffTag(NiffTagContext& context, const uint8_t* value) {
    const int tag = context.tag;
    if (tag < 1 || tag > kNiffKnownTags) return;
    StoreNiffTagValue(context.import->tags, tag, value);
    if (tag == kTagLyricOffset) ApplyLyricOffset(*context.import, value);
}

void ApplyNiffLyricOffsetTag(NiffTagContext& context, const uint8_t* value) {
    if (context.tag == kTagLyricOffset) ApplyLyricOffset(*context.import, value);
}

void RegisterNiffTagStorage(NiffReader& reader, int tag) {
    if (reader.import == nullptr) return;
    RegisterNiffTagStore(reader, tag, reader.import->tags);
    if (tag == kTagLyricOffset) RegisterNiffTagHandler(reader, tag, ApplyNiffLyricOffsetTag);
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
        ClearNiffPersistentTags(tags);
    }
    return 1;
}

}  // namespace ql::niff
