// The tag state of a NIFF import: the tags of the chunk being handled and those
// made persistent by "taga" and "tagi". The reader stores tags into it as it
// reads them, so that a tag costs no handler call.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "interchange/niff/niff_schema.h"

namespace ql::niff {

inline constexpr int kNiffTagValueBytes = 10;  // the widest stored tag value

// Presence flags of a tag.
inline constexpr uint8_t kNiffTagGiven = 1;      // written on the chunk being handled
inline constexpr uint8_t kNiffTagInherited = 2;  // from the persistent set

// The tags whose current value starts each chunk as a number of their own (18 as
// -2, 32 and 47 as -1).
inline constexpr int kNiffTagPresetMinus2 = 18;
inline constexpr int kNiffTagPresetMinus1a = 32;
inline constexpr int kNiffTagPresetMinus1b = 47;
inline constexpr uint64_t kNiffPresetTags = (uint64_t{1} << kNiffTagPresetMinus2) |
                                            (uint64_t{1} << kNiffTagPresetMinus1a) |
                                            (uint64_t{1} << kNiffTagPresetMinus1b);
static_assert(kNiffTagValueBytes <= kNiffConvertedBytes, "a stored value is a converted one's start");

// Tag 47's stored number never exceeds this.
inline constexpr int16_t kNiffTag47Highest = 3;

struct NiffTagState {
    using Value = std::array<uint8_t, kNiffTagValueBytes>;
    std::array<Value, kNiffTagNumbers> values{};
    std::array<uint8_t, kNiffTagNumbers> flags{};
    std::array<Value, kNiffTagNumbers> persistentValues{};
    std::array<uint8_t, kNiffTagNumbers> persistentFlags{};
    // Bit t of `written`: values[t] or flags[t] may differ from what loading a chunk
    // gives tag t (its persistent value and flag, else none, with the preset number
    // of tags 18, 32 and 47); loading a chunk's state touches only these. Whatever
    // changes a current value or flag sets its bit. Bit t of `persistentWritten`:
    // persistentValues[t] or persistentFlags[t] may be other than zero.
    uint64_t written = kNiffPresetTags;
    uint64_t persistentWritten = 0;
};

// Stores known tag `tag` (1 to 48) as given on the current chunk, its converted
// value being `low` (bytes 0-7) and `high` (bytes 8-9). Inline with a constant
// tag, every store lands at a fixed place.
[[gnu::always_inline]] inline void StoreNiffTagWords(NiffTagState& tags, int tag, uint64_t low, uint16_t high) {
    static_assert(kNiffTagValueBytes == sizeof low + sizeof high, "a stored value is two words");
    const auto at = static_cast<size_t>(tag);
    tags.flags[at] = kNiffTagGiven;
    tags.written |= uint64_t{1} << at;
    if (tag == kNiffTagPresetMinus1b) {
        constexpr uint64_t kNumberBits = 0xFFFF;
        const auto number = std::min(static_cast<int16_t>(low & kNumberBits), kNiffTag47Highest);
        low = (low & ~kNumberBits) | static_cast<uint16_t>(number);
    }
    NiffTagState::Value& stored = tags.values[at];
    std::memcpy(stored.data(), &low, sizeof low);
    std::memcpy(stored.data() + sizeof low, &high, sizeof high);
}

// The same with the converted value at `converted`, running on in zeros, at
// least kNiffTagValueBytes bytes.
inline void StoreNiffTagValue(NiffTagState& tags, int tag, const uint8_t* converted) {
    uint64_t low;
    uint16_t high;
    std::memcpy(&low, converted, sizeof low);
    std::memcpy(&high, converted + sizeof low, sizeof high);
    StoreNiffTagWords(tags, tag, low, high);
}

// Loads the tag state for a new chunk: each tag changed since the last load
// takes its persistent value and flag, else none, and the preset tags their
// numbers. Only the tags changed since then can differ from what this gives.
inline void LoadNiffChunkTags(NiffTagState& tags) {
    const uint64_t persistent = tags.persistentWritten;
    for (uint64_t changed = tags.written; changed != 0; changed &= changed - 1) {
        const auto tag = static_cast<size_t>(std::countr_zero(changed));
        if (((persistent >> tag) & 1) != 0) {
            tags.values[tag] = tags.persistentValues[tag];
            tags.flags[tag] = tags.persistentFlags[tag];
        } else {
            tags.values[tag] = {};
            tags.flags[tag] = 0;
        }
    }
    // A preset tag then takes its number, keeping a persistent value's bytes past it.
    if ((tags.written & kNiffPresetTags) != 0) {
        const auto preset = [&tags](int tag, int16_t number) {
            if (((tags.written >> tag) & 1) != 0)
                std::memcpy(tags.values[static_cast<size_t>(tag)].data(), &number, sizeof number);
        };
        preset(kNiffTagPresetMinus2, -2);
        preset(kNiffTagPresetMinus1a, -1);
        preset(kNiffTagPresetMinus1b, -1);
    }
    tags.written = 0;
}

// Loading a chunk's tag state can wait while nothing looks at it: the reader
// runs the loads of chunks whose tags only it stores as DeferNiffChunkTags,
// which notes the tags to load in `pending`, and LoadPendingNiffTags before
// anything else sees the state. Until then a pending tag's value and flag are
// stale unless stored since; a store sets both whole, so a tag stored since the
// last deferred load needs no load. The persistent set may change meanwhile only
// through ClearNiffPersistentTags, which marks what it changes.
inline void DeferNiffChunkTags(NiffTagState& tags, uint64_t& pending) {
    pending |= tags.written;
    tags.written = 0;
}
inline void LoadPendingNiffTags(NiffTagState& tags, uint64_t& pending) {
    if (pending == 0) return;
    const uint64_t stored = tags.written;
    tags.written = pending & ~stored;
    LoadNiffChunkTags(tags);
    tags.written = stored;
    pending = 0;
}

// Ends every persistent tag (a current value it gave is reloaded at the next chunk).
inline void ClearNiffPersistentTags(NiffTagState& tags) {
    tags.written |= tags.persistentWritten;
    for (uint64_t mask = tags.persistentWritten; mask != 0; mask &= mask - 1) {
        const auto tag = static_cast<size_t>(std::countr_zero(mask));
        tags.persistentValues[tag] = {};
        tags.persistentFlags[tag] = 0;
    }
    tags.persistentWritten = 0;
}

}  // namespace ql::niff
