// MidiAction (14 bytes): a class id word, then the ten bytes of its file form. Bytes
// 0-3 are a pooled data reference when the action is data-carrying (kind 6 or timing
// nibble 2) and two signed values otherwise; a change of kind rewrites them together.
// The MIDI-carrying text object is an outer pool-9 record: a MidiAction, then the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core/memory/pool.h"
#include "core/objects/score_byte_reader.h"
#include "core/objects/score_object.h"

namespace ql {

constexpr int kMidiActionFileBytes = 10;
constexpr uint16_t kMidiActionDefaultFlags = 0x1120;  // kind 2, voice mask 1
constexpr uint8_t kMidiActionDefaultStaff = 1;
constexpr uint8_t kMidiActionDefaultInterval = 16;
constexpr uint16_t kMidiFlagEnabled = 0x0001;
constexpr int kMidiKindShift = 4;
constexpr uint16_t kMidiKindMask = 0x00F0;
constexpr int kMidiVoiceShift = 8;
constexpr uint16_t kMidiVoiceMask = 0x0F00;
constexpr uint8_t kMidiKindPlain = 2;   // what a data-less action becomes
constexpr uint8_t kMidiKindData = 6;    // kind that carries pooled data
constexpr uint8_t kMidiTimingData = 2;  // timing nibble that carries pooled data
constexpr uint8_t kMidiDestinationMask = 0x0F;
constexpr int kMidiTimingShift = 4;
constexpr int kMidiDataPoolFirst = 2;  // data bytes live in document pools 2..10
constexpr int kMidiDataPoolLast = 10;
constexpr size_t kMidiDataMaxBytes = 255;  // the length is one byte

#pragma pack(push, 1)
// Bytes 0-3 of a data-carrying action.
struct MidiActionData {
    RecordHandle handle;  // pooled data bytes; 0 = none
    uint8_t pool;
    uint8_t length;  // 0..255
};
// Bytes 0-3 of any other action.
struct MidiActionValues {
    int16_t value;
    int16_t finalValue;
};
union MidiActionHead {
    MidiActionData data;
    MidiActionValues values;
};

struct MidiAction {
    ClassId classId;            // kMidiActionClass
    MidiActionHead head;        // bytes 0-3: read through IsDataCarrying first
    uint16_t flags;             // bit 0 enabled, bits 4-7 kind, bits 8-11 voice mask
    uint8_t destinationTiming;  // low nibble destination, high nibble timing 0/1/2
    uint8_t namedStaff;
    uint8_t interval;
    uint8_t controller;  // MIDI controller number
};

// The MIDI-carrying text object: the action, then the text object (header + body).
struct MidiTextRecord {
    MidiAction action;
    ScoreObject text;
    std::byte textBody[38];
};
#pragma pack(pop)

static_assert(sizeof(MidiActionHead) == 4);
static_assert(sizeof(MidiAction) == 14);
static_assert(sizeof(MidiAction) - sizeof(ClassId) == kMidiActionFileBytes);
static_assert(sizeof(MidiTextRecord) == 78);
static_assert(std::is_trivially_copyable_v<MidiAction>);
static_assert(std::is_trivially_copyable_v<MidiTextRecord>);

constexpr int kMidiTextRecordPool = 9;

// The kind nibble (bits 4-7 of the flags word) and the timing nibble (byte 6, high).
constexpr uint8_t MidiKindOf(const MidiAction& action) {
    return static_cast<uint8_t>((action.flags & kMidiKindMask) >> kMidiKindShift);
}
constexpr uint8_t MidiTimingOf(const MidiAction& action) {
    return static_cast<uint8_t>(action.destinationTiming >> kMidiTimingShift);
}
constexpr bool IsDataCarrying(const MidiAction& action) {
    return MidiKindOf(action) == kMidiKindData || MidiTimingOf(action) == kMidiTimingData;
}

// Clears the ten bytes and sets the defaults: 00 00 00 00 20 11 00 01 10 00.
void ConstructMidiAction(MidiAction* action);
void ConstructMidiActionAt(MidiAction* action);  // the same

// The pooled data bytes of a data-carrying action in the current pool set, or null
// (not data-carrying, no handle, pool outside 2..10, or the handle does not resolve
// to a live record).
std::byte* MidiActionDataBytes(const MidiAction& action);

// Kind 2, timing 0, bytes 0-3 zero: an action without pooled data. Frees nothing:
// DestroyMidiAction first when the action may still own a record.
void MakePlainAction(MidiAction* action);

// Changes kind and timing together. A change into or out of data-carrying frees the
// old data and clears bytes 0-3, so they never mean two things.
void SetMidiActionKind(MidiAction* action, uint8_t kind, uint8_t timing);

// Copies the ten bytes; a data-carrying source with data gets its own copy of the
// data in a new record of the same pool (current pool set). False when that record
// cannot be had: the target is then a plain action without data.
bool CopyConstructMidiAction(MidiAction* target, const MidiAction* source);

// Frees the data record of a data-carrying action and clears bytes 0-3.
void DestroyMidiAction(MidiAction* action);

// Stores data bytes for a data-carrying action → pool number, or -1 (null bytes, not
// data-carrying, more than 255 bytes, length 0 — which frees the old data and turns the action into a
// plain kind-2 one — or no record). The length byte is stored by the caller.
int SetMidiActionData(MidiAction* action, const void* bytes, size_t length);

// Byte sink of the score file (files/score_file.h by default); non-zero on success.
using ScoreByteWriter = int (*)(const void* bytes, uint32_t count);

// Writes the ten bytes (bytes 0-1 of a data-carrying action as 0), then for a
// data-carrying action the length byte and the byte after it and the data bytes. A
// data-carrying action without writable data is written as a plain kind-2 action;
// the action in memory is left as it is. → 10, or 0 on a write error.
int WriteMidiAction(MidiAction* action, ScoreByteWriter write);
int WriteMidiAction(MidiAction* action);
// Reads the ten bytes and, for a data-carrying action, the data (allocated in the
// current pool set). On length 0 or any failure the action becomes kind 2, timing 0,
// bytes 0-3 zero. → 10, or 0 on failure.
int ReadMidiAction(MidiAction* action, ScoreByteReader read);
int ReadMidiAction(MidiAction* action);

// The action in front of an inner text object of a MIDI-carrying outer record.
MidiAction* MidiActionOfText(ScoreObject* text);
MidiTextRecord* MidiTextRecordOfText(ScoreObject* text);

// Returns an outer record to pool 9 of the current set (its data stays untouched:
// DestroyMidiAction first).
void FreeObjectWithMidiAction(MidiTextRecord* record);

// ---- The MIDI-carrying text object (inner text object `text`) ----

// Writes the text record and its string, then the action and its data; 1 when both
// succeed, else 0.
int WriteObjectWithMidiAction(ScoreObject* text, ScoreByteWriter write);
// Reads both back (data allocated in the current set); 1 or 0.
int ReadObjectWithMidiAction(ScoreObject* text, ScoreByteReader read);
// Copies type code, subtype, the text body with its string (read in sourceSet, made
// in targetSet), the ten action bytes and the data bytes. 0 when a record could not
// be had: the copy then owns no data (a plain action) and no unreadable string.
int CopyObjectWithMidiAction(ScoreObject* target, const ScoreObject* source, PoolSet sourceSet,
                             PoolSet targetSet);
// A new outer record in pool 9 of targetSet with the source's classes, filled by
// CopyObjectWithMidiAction: its inner text object, or null (nothing is left behind).
ScoreObject* CloneObjectWithMidiAction(const ScoreObject* source, PoolSet sourceSet,
                                       PoolSet targetSet);

}  // namespace ql
