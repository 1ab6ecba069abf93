// MidiAction construction, copying, pooled data and file form. The data-carrying
// test decides what bytes 0-3 mean; every path that leaves an action without usable
// data turns it into a plain kind-2 action with bytes 0-3 zero, so a value can never
// be read as a handle or the other way round.
#include "core/objects/midi_action.h"
#include "core/services/file_services.h"

#include <algorithm>
#include <cstring>


namespace ql {

namespace {

constexpr uint8_t kTimingMask = 0xF0;
constexpr int kLengthAndKindBytes = 2;

void ClearHead(MidiAction* action) {
    action->head.data = MidiActionData{};
}

bool IsDataPool(int pool) {
    return pool >= kMidiDataPoolFirst && pool <= kMidiDataPoolLast;
}

// Copies at most one slot of the pool, whatever a damaged length says.
size_t ClampToSlot(int pool, size_t length) {
    return std::min(length, PoolSlotBytes(pool));
}

// Bytes 0-1 of a data-carrying action are written as 0: the data's handle means
// nothing in a file, and writing it would make two saves of one score differ.
void EncodeFileBytes(const MidiAction& action, uint8_t out[kMidiActionFileBytes]) {
    uint16_t first = 0;
    uint16_t second = 0;
    if (IsDataCarrying(action)) {
        second = static_cast<uint16_t>(action.head.data.pool | (action.head.data.length << 8));
    } else {
        first = static_cast<uint16_t>(action.head.values.value);
        second = static_cast<uint16_t>(action.head.values.finalValue);
    }
    out[0] = static_cast<uint8_t>(first);
    out[1] = static_cast<uint8_t>(first >> 8);
    out[2] = static_cast<uint8_t>(second);
    out[3] = static_cast<uint8_t>(second >> 8);
    out[4] = static_cast<uint8_t>(action.flags);
    out[5] = static_cast<uint8_t>(action.flags >> 8);
    out[6] = action.destinationTiming;
    out[7] = action.namedStaff;
    out[8] = action.interval;
    out[9] = action.controller;
}

void DecodeFileBytes(const uint8_t in[kMidiActionFileBytes], MidiAction* action) {
    action->flags = static_cast<uint16_t>(in[4] | (in[5] << 8));
    action->destinationTiming = in[6];
    action->namedStaff = in[7];
    action->interval = in[8];
    action->controller = in[9];
    if (IsDataCarrying(*action)) {
        action->head.data.handle = RecordHandle(static_cast<uint16_t>(in[0] | (in[1] << 8)));
        action->head.data.pool = in[2];
        action->head.data.length = in[3];
    } else {
        action->head.values.value = static_cast<int16_t>(in[0] | (in[1] << 8));
        action->head.values.finalValue = static_cast<int16_t>(in[2] | (in[3] << 8));
    }
}

}  // namespace

void MakePlainAction(MidiAction* action) {
    action->flags = static_cast<uint16_t>((action->flags & ~kMidiKindMask) |
                                          (kMidiKindPlain << kMidiKindShift));
    action->destinationTiming = static_cast<uint8_t>(action->destinationTiming & ~kTimingMask);
    ClearHead(action);
}

void ConstructMidiAction(MidiAction* action) {
    *action = MidiAction{};
    action->classId = kMidiActionClass;
    action->flags = kMidiActionDefaultFlags;
    action->namedStaff = kMidiActionDefaultStaff;
    action->interval = kMidiActionDefaultInterval;
}

void ConstructMidiActionAt(MidiAction* action) {
    ConstructMidiAction(action);
}

std::byte* MidiActionDataBytes(const MidiAction& action) {
    if (!IsDataCarrying(action) || !action.head.data.handle) return nullptr;
    int pool = action.head.data.pool;
    if (!IsDataPool(pool)) return nullptr;
    void* record = HandleToPtr(pool, action.head.data.handle);
    if (record == nullptr || !IsLiveRecord(CurrentPoolSet(), pool, record)) return nullptr;
    return static_cast<std::byte*>(record);
}

void SetMidiActionKind(MidiAction* action, uint8_t kind, uint8_t timing) {
    bool wasData = IsDataCarrying(*action);
    MidiAction changed = *action;
    changed.flags = static_cast<uint16_t>((changed.flags & ~kMidiKindMask) |
                                          ((kind << kMidiKindShift) & kMidiKindMask));
    changed.destinationTiming = static_cast<uint8_t>(
        (changed.destinationTiming & kMidiDestinationMask) | (timing << kMidiTimingShift));
    if (wasData != IsDataCarrying(changed)) {
        if (wasData) DestroyMidiAction(action);
        ClearHead(&changed);
    }
    *action = changed;
}

bool CopyConstructMidiAction(MidiAction* target, const MidiAction* source) {
    *target = *source;
    target->classId = kMidiActionClass;
    if (!IsDataCarrying(*source) || !source->head.data.handle || source->head.data.length == 0)
        return true;
    const std::byte* from = MidiActionDataBytes(*source);
    int pool = source->head.data.pool;
    void* copy = from != nullptr ? AllocRecord(pool) : nullptr;
    if (copy == nullptr) {
        MakePlainAction(target);
        return false;
    }
    std::memcpy(copy, from, ClampToSlot(pool, source->head.data.length));
    target->head.data.handle = PtrToHandle(pool, copy);
    return true;
}

void DestroyMidiAction(MidiAction* action) {
    if (!IsDataCarrying(*action)) return;
    if (std::byte* data = MidiActionDataBytes(*action)) FreeRecord(action->head.data.pool, data);
    ClearHead(action);
}

int SetMidiActionData(MidiAction* action, const void* bytes, size_t length) {
    if (bytes == nullptr || !IsDataCarrying(*action) || length > kMidiDataMaxBytes) return -1;
    if (length == 0) {
        DestroyMidiAction(action);
        MakePlainAction(action);
        return -1;
    }
    int pool = PoolForSize(length);
    std::byte* existing = MidiActionDataBytes(*action);
    if (existing != nullptr && pool == action->head.data.pool) {
        if (existing != bytes) std::memmove(existing, bytes, ClampToSlot(pool, length));
        return pool;
    }
    int newPool = 0;
    void* record = AllocRecordBySize(length, &newPool);
    if (record == nullptr) return -1;
    std::memcpy(record, bytes, ClampToSlot(newPool, length));
    if (existing != nullptr) FreeRecord(action->head.data.pool, existing);
    action->head.data.pool = static_cast<uint8_t>(newPool);
    action->head.data.handle = PtrToHandle(newPool, record);
    return newPool;
}

// True when a data-carrying action's data can be written: a live record that holds
// all `length` bytes (a damaged length longer than the slot would read past it).
bool HasWritableData(const MidiAction& action) {
    uint8_t length = action.head.data.length;
    return length != 0 && length <= PoolSlotBytes(action.head.data.pool) &&
           MidiActionDataBytes(action) != nullptr;
}

// The action itself is never changed: one whose data cannot be written is written
// as the plain kind-2 action it reads back as.
int WriteMidiAction(MidiAction* action, ScoreByteWriter write) {
    MidiAction stored = *action;
    if (IsDataCarrying(stored) && !HasWritableData(stored)) MakePlainAction(&stored);
    uint8_t bytes[kMidiActionFileBytes];
    EncodeFileBytes(stored, bytes);
    if (!write(bytes, kMidiActionFileBytes)) return 0;
    if (!IsDataCarrying(stored)) return kMidiActionFileBytes;
    const uint8_t lengthAndKind[kLengthAndKindBytes] = {bytes[3], bytes[4]};
    if (!write(lengthAndKind, kLengthAndKindBytes)) return 0;
    if (!write(MidiActionDataBytes(stored), stored.head.data.length)) return 0;
    return kMidiActionFileBytes;
}

int WriteMidiAction(MidiAction* action) {
    return WriteMidiAction(action, files::WriteScoreBytes);
}

// The length byte and the kind byte after it repeat what the ten bytes held; the
// kind stays as the ten bytes gave it, so a damaged copy cannot change the meaning
// of bytes 0-3 after they were read.
int ReadMidiAction(MidiAction* action, ScoreByteReader read) {
    uint8_t bytes[kMidiActionFileBytes];
    if (!read(bytes, kMidiActionFileBytes)) {
        MakePlainAction(action);
        return 0;
    }
    DecodeFileBytes(bytes, action);
    action->classId = kMidiActionClass;
    if (!IsDataCarrying(*action)) return kMidiActionFileBytes;
    ClearHead(action);
    uint8_t lengthAndKind[kLengthAndKindBytes];
    if (!read(lengthAndKind, kLengthAndKindBytes)) {
        MakePlainAction(action);
        return 0;
    }
    uint8_t length = lengthAndKind[0];
    if (length == 0) {
        MakePlainAction(action);
        return kMidiActionFileBytes;
    }
    if (!read.CanHold(length)) {
        MakePlainAction(action);
        return 0;
    }
    int pool = 0;
    void* record = AllocRecordBySize(length, &pool);
    if (record == nullptr || !read(record, length)) {
        if (record != nullptr) FreeRecord(pool, record);
        MakePlainAction(action);
        return 0;
    }
    action->head.data.handle = PtrToHandle(pool, record);
    action->head.data.pool = static_cast<uint8_t>(pool);
    action->head.data.length = length;
    return kMidiActionFileBytes;
}

int ReadMidiAction(MidiAction* action) {
    return ReadMidiAction(action, ScoreFileReader());
}

ScoreByteReader ScoreFileReader() {
    return ScoreByteReader(&files::ReadScoreBytes, &files::ScoreBytesLeft);
}

MidiAction* MidiActionOfText(ScoreObject* text) {
    if (text == nullptr) return nullptr;
    return &MidiTextRecordOfText(text)->action;
}

MidiTextRecord* MidiTextRecordOfText(ScoreObject* text) {
    if (text == nullptr) return nullptr;
    return reinterpret_cast<MidiTextRecord*>(reinterpret_cast<std::byte*>(text) -
                                             offsetof(MidiTextRecord, text));
}

void FreeObjectWithMidiAction(MidiTextRecord* record) {
    if (record != nullptr) FreeRecord(kMidiTextRecordPool, record);
}

}  // namespace ql
