// MidiAction: constructor defaults, the data-carrying rule, pooled data, copying,
// and the ten-byte file form with its faulty inputs.
#include "core/objects/midi_action.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "core/objects/midi_action_text.h"
#include "core/memory/pool.h"
#include "core/state.h"
#include "core/text/text_object.h"

namespace ql {
namespace {

// An in-memory score file: written bytes, and a reader that can be cut short.
std::vector<uint8_t> g_written;
std::vector<uint8_t> g_input;
size_t g_readAt = 0;
int g_writesBeforeFailure = -1;

int WriteToBuffer(const void* bytes, uint32_t count) {
    if (g_writesBeforeFailure == 0) return 0;
    if (g_writesBeforeFailure > 0) --g_writesBeforeFailure;
    auto* b = static_cast<const uint8_t*>(bytes);
    g_written.insert(g_written.end(), b, b + count);
    return 1;
}

int ReadFromBuffer(void* buffer, uint32_t count) {
    if (g_readAt + count > g_input.size()) return 0;
    std::memcpy(buffer, g_input.data() + g_readAt, count);
    g_readAt += count;
    return 1;
}

uint64_t BufferBytesLeft() {
    return g_input.size() - g_readAt;
}

std::array<uint8_t, kMidiActionFileBytes> TenBytes(const MidiAction& action) {
    std::array<uint8_t, kMidiActionFileBytes> bytes;
    std::memcpy(bytes.data(), reinterpret_cast<const uint8_t*>(&action) + sizeof(ClassId),
                kMidiActionFileBytes);
    return bytes;
}

class MidiActionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        InitDocumentPoolSet(set_);
        SetCurrentPoolSet(PoolSet(set_));
        g_written.clear();
        g_input.clear();
        g_readAt = 0;
        g_writesBeforeFailure = -1;
    }
    void TearDown() override {
        FreeDocumentPoolSet(set_);
        ResetProgramState();
    }

    // A data-carrying action (kind 6) holding the given bytes.
    MidiAction DataAction(const std::vector<uint8_t>& data) {
        MidiAction action;
        ConstructMidiAction(&action);
        SetMidiActionKind(&action, kMidiKindData, 0);
        EXPECT_GE(SetMidiActionData(&action, data.data(), data.size()), 0);
        action.head.data.length = static_cast<uint8_t>(data.size());
        return action;
    }

    DocumentPoolSet set_{};
};

using MidiActionDefaults = MidiActionTest;
using MidiActionData = MidiActionTest;
using MidiActionFile = MidiActionTest;

// A new action reads, byte for byte, 00 00 00 00 20 11 00 01 10 00.
TEST_F(MidiActionDefaults, NewActionHasTheDefaultBytes) {
    MidiAction action;
    std::memset(static_cast<void*>(&action), 0xCC, sizeof(action));
    ConstructMidiAction(&action);
    std::array<uint8_t, kMidiActionFileBytes> expected = {0x00, 0x00, 0x00, 0x00, 0x20,
                                                          0x11, 0x00, 0x01, 0x10, 0x00};
    EXPECT_EQ(TenBytes(action), expected);
    EXPECT_EQ(action.classId, kMidiActionClass);
    EXPECT_FALSE(IsDataCarrying(action));
}

// Kind 6 or timing nibble 2 make an action data-carrying; nothing else does.
TEST_F(MidiActionDefaults, DataCarryingIsKindSixOrTimingTwo) {
    MidiAction action;
    ConstructMidiAction(&action);
    SetMidiActionKind(&action, kMidiKindData, 0);
    EXPECT_TRUE(IsDataCarrying(action));
    SetMidiActionKind(&action, kMidiKindPlain, kMidiTimingData);
    EXPECT_TRUE(IsDataCarrying(action));
    SetMidiActionKind(&action, 4, 1);
    EXPECT_FALSE(IsDataCarrying(action));
}

// Changing into data-carrying clears the values; changing out frees the data.
TEST_F(MidiActionData, ChangeOfKindRewritesBytesZeroToThree) {
    MidiAction action;
    ConstructMidiAction(&action);
    action.head.values = MidiActionValues{-300, 127};
    SetMidiActionKind(&action, kMidiKindData, 0);
    EXPECT_FALSE(action.head.data.handle);
    EXPECT_EQ(MidiActionDataBytes(action), nullptr);

    MidiAction carrying = DataAction({1, 2, 3});
    std::byte* data = MidiActionDataBytes(carrying);
    ASSERT_NE(data, nullptr);
    SetMidiActionKind(&carrying, kMidiKindPlain, 0);
    EXPECT_TRUE(IsFreeRecord(data));
    EXPECT_EQ(carrying.head.values.value, 0);
    EXPECT_EQ(carrying.head.values.finalValue, 0);
}

// Data moves to a record of the pool its length needs; the old record is freed.
TEST_F(MidiActionData, LongerDataMovesToALargerPoolAndFreesTheOld) {
    MidiAction action = DataAction({9, 8, 7});
    std::byte* small = MidiActionDataBytes(action);
    std::vector<uint8_t> longer(40, 0x42);
    EXPECT_EQ(SetMidiActionData(&action, longer.data(), longer.size()), PoolForSize(40));
    EXPECT_TRUE(IsFreeRecord(small));
    EXPECT_EQ(std::memcmp(MidiActionDataBytes(action), longer.data(), longer.size()), 0);
}

// Length 0 frees the data, clears bytes 0-3 and leaves a plain kind-2 action.
TEST_F(MidiActionData, EmptyDataFreesTheRecordAndMakesAPlainAction) {
    MidiAction action = DataAction({5, 5});
    std::byte* data = MidiActionDataBytes(action);
    uint8_t none = 0;
    EXPECT_EQ(SetMidiActionData(&action, &none, 0), -1);
    EXPECT_TRUE(IsFreeRecord(data));
    EXPECT_EQ(MidiKindOf(action), kMidiKindPlain);
    EXPECT_FALSE(IsDataCarrying(action));
    EXPECT_FALSE(action.head.data.handle);
}

// A plain action refuses data and stays unchanged.
TEST_F(MidiActionData, PlainActionRefusesData) {
    MidiAction action;
    ConstructMidiAction(&action);
    uint8_t byte = 1;
    EXPECT_EQ(SetMidiActionData(&action, &byte, 1), -1);
    EXPECT_EQ(TenBytes(action)[4], 0x20);
}

// A copy owns its own data record; destroying one leaves the other intact.
TEST_F(MidiActionData, CopyOwnsItsOwnData) {
    MidiAction source = DataAction({1, 2, 3, 4});
    MidiAction copy;
    ASSERT_TRUE(CopyConstructMidiAction(&copy, &source));
    ASSERT_NE(MidiActionDataBytes(copy), MidiActionDataBytes(source));
    DestroyMidiAction(&source);
    ASSERT_NE(MidiActionDataBytes(copy), nullptr);
    EXPECT_EQ(std::to_integer<int>(MidiActionDataBytes(copy)[3]), 4);
}

// A copy whose data record cannot be had becomes a plain action, never a sharer.
TEST_F(MidiActionData, FailedCopyIsAPlainActionWithoutData) {
    MidiAction source = DataAction({1, 2});
    FailNextRecordAllocations(1);
    MidiAction copy;
    EXPECT_FALSE(CopyConstructMidiAction(&copy, &source));
    EXPECT_FALSE(IsDataCarrying(copy));
    EXPECT_FALSE(copy.head.data.handle);
}

// Destroy treats bytes 0-1 as a handle only for a data-carrying action.
TEST_F(MidiActionData, DestroyLeavesValuesOfAPlainActionAlone) {
    auto* victim = AllocRecord(kSmallArrayPool);
    MidiAction action;
    ConstructMidiAction(&action);
    // Read as a handle, these values would name the record: pool 3, length 1.
    action.head.values.value = static_cast<int16_t>(PtrToHandle(kSmallArrayPool, victim).bits);
    action.head.values.finalValue = static_cast<int16_t>(kSmallArrayPool | (1 << 8));
    DestroyMidiAction(&action);
    EXPECT_FALSE(IsFreeRecord(victim));
}

// Writing and reading back a data-carrying action gives the same bytes and data.
TEST_F(MidiActionFile, DataCarryingActionRoundTrips) {
    MidiAction action = DataAction({0xF0, 0x7E, 0xF7});
    action.namedStaff = 3;
    action.controller = 7;
    ASSERT_EQ(WriteMidiAction(&action, WriteToBuffer), kMidiActionFileBytes);
    EXPECT_EQ(g_written.size(), static_cast<size_t>(kMidiActionFileBytes + 2 + 3));
    g_input = g_written;
    MidiAction read;
    ConstructMidiAction(&read);
    ASSERT_EQ(ReadMidiAction(&read, ReadFromBuffer), kMidiActionFileBytes);
    EXPECT_EQ(read.flags, action.flags);
    EXPECT_EQ(read.namedStaff, 3);
    EXPECT_EQ(read.controller, 7);
    ASSERT_EQ(read.head.data.length, 3);
    EXPECT_EQ(std::memcmp(MidiActionDataBytes(read), MidiActionDataBytes(action), 3), 0);
}

// A plain action's two values round-trip as signed little-endian words.
TEST_F(MidiActionFile, PlainValuesRoundTrip) {
    MidiAction action;
    ConstructMidiAction(&action);
    action.head.values = MidiActionValues{-2, 300};
    ASSERT_EQ(WriteMidiAction(&action, WriteToBuffer), kMidiActionFileBytes);
    std::vector<uint8_t> expected = {0xFE, 0xFF, 0x2C, 0x01, 0x20, 0x11, 0x00, 0x01, 0x10, 0x00};
    EXPECT_EQ(g_written, expected);
    g_input = g_written;
    MidiAction read;
    ASSERT_EQ(ReadMidiAction(&read, ReadFromBuffer), kMidiActionFileBytes);
    EXPECT_EQ(read.head.values.value, -2);
    EXPECT_EQ(read.head.values.finalValue, 300);
}

// A kind-6 action with length 0 writes ten bytes with kind nibble 2 and no data.
TEST_F(MidiActionFile, DataActionWithoutDataIsWrittenAsKindTwo) {
    MidiAction action;
    ConstructMidiAction(&action);
    SetMidiActionKind(&action, kMidiKindData, kMidiTimingData);
    ASSERT_EQ(WriteMidiAction(&action, WriteToBuffer), kMidiActionFileBytes);
    ASSERT_EQ(g_written.size(), static_cast<size_t>(kMidiActionFileBytes));
    EXPECT_EQ(g_written[4] >> 4, kMidiKindPlain);
    EXPECT_EQ(g_written[6] >> 4, 0) << "timing 2 would still claim data";
}

// A data length longer than the data record (damaged bytes) is never read past the
// record: the action is written as a plain kind-2 action, and the action in memory
// (with its record) is left as it was.
TEST_F(MidiActionFile, LengthBeyondTheRecordIsWrittenAsKindTwo) {
    MidiAction action = DataAction({1, 2, 3});
    std::byte* data = MidiActionDataBytes(action);
    ASSERT_EQ(action.head.data.pool, kListNodePool);
    action.head.data.length = 200;
    MidiAction before = action;
    ASSERT_EQ(WriteMidiAction(&action, WriteToBuffer), kMidiActionFileBytes);
    EXPECT_EQ(g_written.size(), static_cast<size_t>(kMidiActionFileBytes));
    EXPECT_EQ(g_written[4] >> 4, kMidiKindPlain);
    EXPECT_EQ(std::memcmp(&action, &before, sizeof action), 0) << "the writer changed the action";
    EXPECT_FALSE(IsFreeRecord(data));
}

// A kind-6 action whose length is 0 is written as kind 2 with zero values; its record
// stays the action's until the action is destroyed.
TEST_F(MidiActionFile, EmptyLengthIsWrittenAsKindTwoWithoutTouchingTheAction) {
    MidiAction action = DataAction({1, 2, 3});
    std::byte* data = MidiActionDataBytes(action);
    action.head.data.length = 0;
    ASSERT_EQ(WriteMidiAction(&action, WriteToBuffer), kMidiActionFileBytes);
    std::vector<uint8_t> expected = {0, 0, 0, 0, 0x20, 0x11, 0x00, 0x01, 0x10, 0x00};
    EXPECT_EQ(g_written, expected);
    EXPECT_FALSE(IsFreeRecord(data));
    EXPECT_TRUE(IsDataCarrying(action));
}

// The first word of a data-carrying action (the data's handle in memory) is written
// as 0, so two saves of one score give the same bytes wherever the data record lies;
// the pool and length bytes stay.
TEST_F(MidiActionFile, DataHandleIsWrittenAsZero) {
    MidiAction action = DataAction({0xF0, 0xF7});
    ASSERT_NE(action.head.data.handle.bits, 0);
    ASSERT_EQ(WriteMidiAction(&action, WriteToBuffer), kMidiActionFileBytes);
    EXPECT_EQ(g_written[0], 0);
    EXPECT_EQ(g_written[1], 0);
    EXPECT_EQ(g_written[2], action.head.data.pool);
    EXPECT_EQ(g_written[3], 2);
}

// Data longer than the one-byte length can say is refused and changes nothing.
TEST_F(MidiActionData, MoreThanTwoHundredFiftyFiveBytesAreRefused) {
    MidiAction action = DataAction({1, 2, 3});
    std::byte* data = MidiActionDataBytes(action);
    std::vector<uint8_t> tooLong(256, 0x55);
    EXPECT_EQ(SetMidiActionData(&action, tooLong.data(), tooLong.size()), -1);
    EXPECT_EQ(MidiActionDataBytes(action), data);
    EXPECT_EQ(static_cast<uint8_t>(data[0]), 1);
}

// A failed write of the data bytes reports 0.
TEST_F(MidiActionFile, WriteErrorOfTheDataReportsFailure) {
    MidiAction action = DataAction({1, 2, 3});
    g_writesBeforeFailure = 2;
    EXPECT_EQ(WriteMidiAction(&action, WriteToBuffer), 0);
}

// The handle bytes of the file are never used as a handle: data comes from the file.
TEST_F(MidiActionFile, StoredHandleBytesAreIgnored) {
    g_input = {0x34, 0x12, 0x03, 0x02, 0x60, 0x11, 0x00, 0x01, 0x10, 0x00, 0x02, 0x60, 0xAA, 0xBB};
    MidiAction read;
    ASSERT_EQ(ReadMidiAction(&read, ReadFromBuffer), kMidiActionFileBytes);
    EXPECT_NE(read.head.data.handle.bits, 0x1234);
    EXPECT_EQ(read.head.data.pool, PoolForSize(2));
    EXPECT_EQ(std::to_integer<int>(MidiActionDataBytes(read)[1]), 0xBB);
}

// Length 0, a cut-off length, cut-off data or no memory: a plain kind-2 action with
// bytes 0-3 zero; only length 0 counts as a successful read.
TEST_F(MidiActionFile, FaultyInputLeavesAPlainAction) {
    const std::vector<uint8_t> head = {0x01, 0x00, 0x03, 0x02, 0x60, 0x11, 0x20, 0x01, 0x10, 0x00};
    struct Case {
        std::vector<uint8_t> tail;
        bool failAllocation;
        int result;
    };
    const Case cases[] = {
        {{0x00, 0x60}, false, kMidiActionFileBytes},  // length 0
        {{0x04}, false, 0},                           // length cut off
        {{0x04, 0x60, 0x01, 0x02}, false, 0},         // data cut off
        {{0x02, 0x60, 0x01, 0x02}, true, 0},          // no record for the data
    };
    for (const Case& c : cases) {
        g_input = head;
        g_input.insert(g_input.end(), c.tail.begin(), c.tail.end());
        g_readAt = 0;
        FailNextRecordAllocations(c.failAllocation ? 1 : 0);
        MidiAction read;
        ConstructMidiAction(&read);
        EXPECT_EQ(ReadMidiAction(&read, ReadFromBuffer), c.result);
        EXPECT_EQ(MidiKindOf(read), kMidiKindPlain);
        EXPECT_EQ(MidiTimingOf(read), 0);
        EXPECT_EQ(read.head.values.value, 0);
        EXPECT_EQ(read.head.values.finalValue, 0);
    }
    FailNextRecordAllocations(0);
}

// A stored data length the source cannot hold is refused before any record is
// made for it: the armed allocation failure is still waiting afterwards.
TEST_F(MidiActionFile, LengthBeyondTheSourceAllocatesNothing) {
    g_input = {0x01, 0x00, 0x03, 0x02, 0x60, 0x11, 0x20, 0x01, 0x10, 0x00, 0xC8, 0x60, 0x01, 0x02};
    g_readAt = 0;
    FailNextRecordAllocations(1);
    MidiAction read;
    ConstructMidiAction(&read);
    EXPECT_EQ(ReadMidiAction(&read, ScoreByteReader(ReadFromBuffer, BufferBytesLeft)), 0);
    EXPECT_EQ(MidiKindOf(read), kMidiKindPlain);
    EXPECT_EQ(AllocRecordBySize(8, nullptr), nullptr);  // the failure was not used up
    FailNextRecordAllocations(0);
}

// The outer record: the action sits right before the inner text object.
TEST_F(MidiActionDefaults, ActionIsFoundRightBeforeTheTextObject) {
    MidiTextRecord record{};
    EXPECT_EQ(MidiActionOfText(&record.text), &record.action);
    EXPECT_EQ(MidiTextRecordOfText(&record.text), &record);
    EXPECT_EQ(MidiActionOfText(nullptr), nullptr);
}

// A MIDI-carrying text object in its own set: a string and a data-carrying action.
class MidiTextTest : public MidiActionTest {
  protected:
    void SetUp() override {
        MidiActionTest::SetUp();
        ResetObjectClassTable();
        RegisterTextObjectClasses();
        RegisterMidiTextObjectClass();
    }
    void TearDown() override {
        ResetObjectClassTable();
        MidiActionTest::TearDown();
    }

    ScoreObject* NewMark(const char* text, const std::vector<uint8_t>& data) {
        auto* outer = static_cast<MidiTextRecord*>(AllocRecord(kMidiTextRecordPool));
        EXPECT_NE(outer, nullptr);
        outer->action = DataAction(data);
        TextObject* inner = AsTextObject(&outer->text);
        ConstructTextObject(inner);
        inner->header.classId = kMidiTextObjectClass;
        inner->header.type = TypeCode(ObjectType::Dynamic);
        EXPECT_GE(SetTextObjectString(inner, text), 0);
        inner->body.flags |= kTextOwnsString;
        return &inner->header;
    }

    static std::string TextOfMark(ScoreObject* mark) {
        const char* text = TextObjectString(AsTextObject(mark));
        return text != nullptr ? std::string(text) : std::string();
    }
};

using MidiTextObject = MidiTextTest;

// The text record, its string, the action and its data read back as written.
TEST_F(MidiTextObject, WriteAndReadBackTextActionAndData) {
    ScoreObject* mark = NewMark("sfz", {0xB0, 0x07, 0x64});
    ASSERT_EQ(WriteObjectWithMidiAction(mark, WriteToBuffer), 1);
    g_input = g_written;
    ScoreObject* read = NewMark("x", {0});
    DestroyMidiAction(MidiActionOfText(read));
    ASSERT_EQ(ReadObjectWithMidiAction(read, ReadFromBuffer), 1);
    EXPECT_EQ(TextOfMark(read), "sfz");
    const MidiAction& action = *MidiActionOfText(read);
    ASSERT_EQ(action.head.data.length, 3);
    EXPECT_EQ(std::to_integer<int>(MidiActionDataBytes(action)[2]), 0x64);
}

// A cut-off action after a good text record fails the read.
TEST_F(MidiTextObject, TruncatedActionFailsTheRead) {
    ScoreObject* mark = NewMark("p", {1, 2});
    ASSERT_EQ(WriteObjectWithMidiAction(mark, WriteToBuffer), 1);
    g_input.assign(g_written.begin(), g_written.end() - 3);
    ScoreObject* read = NewMark("x", {0});
    EXPECT_EQ(ReadObjectWithMidiAction(read, ReadFromBuffer), 0);
    EXPECT_FALSE(IsDataCarrying(*MidiActionOfText(read)));
}

// A clone into another document's set owns its string and data there; the source
// can go without touching the copy; the copy keeps the outer classes.
TEST_F(MidiTextObject, CloneIntoAnotherSetOwnsItsStringAndData) {
    ScoreObject* mark = NewMark("cresc.", {7, 8, 9, 10});
    DocumentPoolSet other{};
    InitDocumentPoolSet(other);
    ScoreObject* copy = ClassOf(mark).Clone(mark, nullptr, PoolSet(set_), PoolSet(other));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(CurrentPoolSet(), PoolSet(set_)) << "the current set is restored";
    EXPECT_TRUE(IsLiveRecord(PoolSet(other), kMidiTextRecordPool, MidiTextRecordOfText(copy)));
    EXPECT_EQ(&ClassOf(copy), &TheMidiTextObjectClass());
    EXPECT_EQ(copy->type, TypeCode(ObjectType::Dynamic));
    DestroyMidiAction(MidiActionOfText(mark));
    DestroyTextObject(AsTextObject(mark));
    {
        ScopedPoolSet inOther{PoolSet(other)};
        EXPECT_EQ(TextOfMark(copy), "cresc.");
        std::byte* data = MidiActionDataBytes(*MidiActionOfText(copy));
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(std::to_integer<int>(data[3]), 10);
    }
    FreeDocumentPoolSet(other);
}

// No outer record in the target set: the clone is null and the target set is untouched.
TEST_F(MidiTextObject, CloneWithoutMemoryGivesNull) {
    ScoreObject* mark = NewMark("f", {1});
    FailNextRecordAllocations(1);
    EXPECT_EQ(CloneObjectWithMidiAction(mark, PoolSet(set_), PoolSet(set_)), nullptr);
    FailNextRecordAllocations(0);
}

}  // namespace
}  // namespace ql
