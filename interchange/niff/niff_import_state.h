// The state one NIFF import keeps while its passes run, handed to every handler
// through the reader's context: the tag state (the tags of the chunk being
// handled and those made persistent by "taga" and "tagi"), and what the handlers
// of later stages share.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "interchange/niff/niff_reader.h"

namespace ql {
struct ScoreDocument;
}

namespace ql::niff {

inline constexpr int kNiffTagValueBytes = 10;  // the widest stored tag value

// Presence flags of a tag.
inline constexpr uint8_t kNiffTagGiven = 1;      // written on the chunk being handled
inline constexpr uint8_t kNiffTagInherited = 2;  // from the persistent set

struct NiffTagState {
    using Value = std::array<uint8_t, kNiffTagValueBytes>;
    std::array<Value, kNiffTagNumbers> values{};
    std::array<uint8_t, kNiffTagNumbers> flags{};
    std::array<Value, kNiffTagNumbers> persistentValues{};
    std::array<uint8_t, kNiffTagNumbers> persistentFlags{};
    // Bit t set: values[t] (or persistentValues[t]) may be other than zero. Loading
    // a chunk's state touches only these.
    uint64_t written = 0;
    uint64_t persistentWritten = 0;
};

struct NiffImportState {
    NiffTagState tags;
    int32_t noteReference = -1;  // the note builder's reference, reset at each chunk
    double unitScale = 128.0;    // score units per NIFF unit, set by the staff header
    ScoreDocument* document = nullptr;
};

// A signed 16-bit field of a tag's current value (fields at even offsets).
int16_t NiffTagShort(const NiffTagState& tags, int tag, int byteOffset);

// Start handler of the chunks of the main pass: loads the tag state for the new
// chunk (a staff header clears the persistent set first).
int BeginNiffChunk(NiffChunkContext& context, const uint8_t* fixedPart);
// Tag handler of every known tag: stores the tag in the current record.
void StoreNiffTag(NiffTagContext& context, const uint8_t* value);
// Data handlers of "taga" and "tagi".
int ActivateNiffTags(NiffChunkContext& context, const uint8_t* fixedPart);
int DeactivateNiffTags(NiffChunkContext& context, const uint8_t* fixedPart);

}  // namespace ql::niff
