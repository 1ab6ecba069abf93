// The score-file readers fed random and damaged bytes: the MIDI action, the text
// object's stored form (every file version) and the MIDI-carrying text object. Each
// read either refuses cleanly or gives a record that keeps its rules, reads only the
// bytes it owns, and leaves no pool record behind once the record is destroyed.
// Fixed seeds, so every run feeds the same cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <random>
#include <vector>

#include "core/objects/midi_action.h"
#include "core/objects/midi_action_text.h"
#include "core/memory/pool.h"
#include "core/state.h"
#include "core/text/text_object.h"

namespace ql {
namespace {

constexpr int kCases = 3000;
constexpr size_t kMidiKindAt = 4;    // low byte of the flags word
constexpr size_t kMidiTimingAt = 6;  // destination and timing
constexpr size_t kMidiLengthAt = kMidiActionFileBytes;
constexpr size_t kMidiDataAt = kMidiActionFileBytes + 2;
constexpr size_t kTextFlagsAt = 8;
constexpr size_t kTextCharacterAt = 22;
constexpr size_t kTextLengthAt = kTextRecordBytes;
constexpr size_t kTextStringAt = kTextRecordBytes + 2;
constexpr int kLongestStoredString = 2046;
constexpr uint8_t kLastFileVersion = 40;

// The score file being read: the reader takes bytes in order and fails past the end.
std::vector<uint8_t> g_input;
size_t g_readAt = 0;
std::vector<uint8_t> g_written;

int ReadInput(void* buffer, uint32_t count) {
    if (g_readAt + count > g_input.size()) return 0;
    std::memcpy(buffer, g_input.data() + g_readAt, count);
    g_readAt += count;
    return 1;
}

int WriteOutput(const void* bytes, uint32_t count) {
    auto* b = static_cast<const uint8_t*>(bytes);
    g_written.insert(g_written.end(), b, b + count);
    return 1;
}

uint16_t Word(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// What the file form says a MIDI action read from `bytes` at `at` must give.
struct MidiOutcome {
    int result = 0;
    bool carriesData = false;
    bool keepsValues = false;  // a plain action whose values come from the file
    size_t length = 0;
    size_t consumed = 0;
};

MidiOutcome ExpectedMidiRead(const std::vector<uint8_t>& bytes, size_t at) {
    MidiOutcome out;
    size_t left = bytes.size() - std::min(at, bytes.size());
    if (left < kMidiActionFileBytes) return out;
    uint8_t kind = bytes[at + kMidiKindAt] >> kMidiKindShift;
    uint8_t timing = bytes[at + kMidiTimingAt] >> kMidiTimingShift;
    out.consumed = kMidiActionFileBytes;
    if (kind != kMidiKindData && timing != kMidiTimingData) {
        out.result = kMidiActionFileBytes;
        out.keepsValues = true;
        return out;
    }
    if (left < kMidiDataAt) return out;
    out.length = bytes[at + kMidiLengthAt];
    out.consumed = kMidiDataAt + out.length;
    if (out.length == 0) out.result = kMidiActionFileBytes;
    if (out.length == 0 || left < out.consumed) return out;
    out.result = kMidiActionFileBytes;
    out.carriesData = true;
    return out;
}

// What the stored form says a text record read from `bytes` must give.
struct TextOutcome {
    int result = 0;
    bool ownsString = false;
    size_t length = 0;
    size_t consumed = 0;
};

TextOutcome ExpectedTextRead(const std::vector<uint8_t>& bytes) {
    TextOutcome out;
    if (bytes.size() < kTextRecordBytes) return out;
    out.consumed = kTextRecordBytes;
    if ((bytes[kTextFlagsAt] & kTextOwnsString) == 0) {
        out.result = kTextReadResult;
        return out;
    }
    if (bytes.size() < kTextStringAt) return out;
    auto length = static_cast<int16_t>(Word(bytes, kTextLengthAt));
    if (length < 0 || length > kLongestStoredString) return out;
    out.length = static_cast<size_t>(length);
    out.consumed = kTextStringAt + out.length;
    if (length == 0) out.result = kTextReadResult;
    if (length == 0 || bytes.size() < out.consumed) return out;
    out.result = kTextReadResult;
    // A string cut short by a NUL keeps what is shown; nothing shown, no string.
    size_t shown = 0;
    while (shown < out.length && bytes[kTextStringAt + shown] != 0) ++shown;
    out.length = shown;
    out.ownsString = shown > 0;
    return out;
}

// Damages a valid buffer as a broken file would: cut short, a lying or huge length,
// a flipped kind, timing or flag, stray bytes, or garbage after the end.
void Damage(std::vector<uint8_t>* bytes, std::mt19937& random, size_t lengthAt, size_t kindAt,
            size_t timingAt, bool wordLength) {
    int mutations = 1 + static_cast<int>(random() % 3);
    for (int m = 0; m < mutations && !bytes->empty(); ++m) {
        auto& b = *bytes;
        switch (random() % 6) {
            case 0:
                b.resize(random() % b.size());
                break;
            case 1:
                if (b.size() > lengthAt + 1) {
                    static const uint16_t kLies[] = {0xFFFF, 0x8000, 0x7FFF, 0x07FE, 0x07FF, 0xFF};
                    uint16_t lie = static_cast<uint16_t>(random());
                    if (random() % 2) lie = kLies[random() % std::size(kLies)];
                    b[lengthAt] = static_cast<uint8_t>(lie);
                    if (wordLength) b[lengthAt + 1] = static_cast<uint8_t>(lie >> 8);
                }
                break;
            case 2:
                if (b.size() > kindAt) b[kindAt] ^= static_cast<uint8_t>((random() % 16) << 4 | 1);
                break;
            case 3:
                if (b.size() > timingAt) b[timingAt] ^= static_cast<uint8_t>((random() % 16) << 4);
                break;
            case 4:
                b[random() % b.size()] = static_cast<uint8_t>(random());
                break;
            default:
                for (int k = random() % 8; k >= 0; --k) b.push_back(static_cast<uint8_t>(random()));
                break;
        }
    }
}

std::vector<uint8_t> RandomBytes(std::mt19937& random, size_t longest) {
    std::vector<uint8_t> bytes(random() % (longest + 1));
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

class ReaderRandomInput : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        InitDocumentPoolSet(set_);
        SetCurrentPoolSet(PoolSet(set_));
        ResetObjectClassTable();
        RegisterTextObjectClasses();
        RegisterMidiTextObjectClass();
    }
    void TearDown() override {
        FailNextRecordAllocations(0);
        ResetObjectClassTable();
        FreeDocumentPoolSet(set_);
        ResetProgramState();
    }

    // Records handed out and not given back, in every pool of the set.
    int LiveRecords() {
        int live = 0;
        for (int pool = 0; pool < kDocumentPoolCount; ++pool)
            for (int block = 0; block < kMaxPoolBlocks; ++block)
                for (int slot = 1; slot < set_.pools[pool].blocks[block].nextFresh; ++slot) {
                    void* record = PoolSlotAddress(pool, block, slot);
                    if (record != nullptr && IsLiveRecord(PoolSet(set_), pool, record)) ++live;
                }
        return live;
    }

    void Feed(std::vector<uint8_t> bytes) {
        g_input = std::move(bytes);
        g_readAt = 0;
    }

    // A valid action in its file form: plain, or carrying 1..255 random data bytes.
    std::vector<uint8_t> ValidActionBytes(std::mt19937& random) {
        MidiAction action;
        ConstructMidiAction(&action);
        if (random() % 4 != 0) {
            SetMidiActionKind(&action, random() % 2 ? kMidiKindData : kMidiKindPlain,
                              kMidiTimingData);
            std::vector<uint8_t> data = RandomBytes(random, kMidiDataMaxBytes);
            if (data.empty()) data.push_back(0xF7);
            EXPECT_GE(SetMidiActionData(&action, data.data(), data.size()), 0);
            action.head.data.length = static_cast<uint8_t>(data.size());
        } else {
            action.head.values = MidiActionValues{static_cast<int16_t>(random()),
                                                  static_cast<int16_t>(random())};
        }
        g_written.clear();
        EXPECT_EQ(WriteMidiAction(&action, WriteOutput), kMidiActionFileBytes);
        DestroyMidiAction(&action);
        return g_written;
    }

    // A valid text record with no string, or one of 1..300 random bytes.
    std::vector<uint8_t> ValidTextBytes(std::mt19937& random) {
        TextObject text;
        ConstructTextObject(&text);
        text.body.flags = static_cast<uint16_t>(random() & ~kTextOwnsString);
        text.body.string = static_cast<uint16_t>(random());
        if (random() % 4 != 0) {
            std::string value(1 + random() % 300, 'a');
            for (char& c : value) c = static_cast<char>('!' + random() % 90);
            EXPECT_GE(SetTextObjectString(&text, value.c_str()), 0);
            text.body.flags |= kTextOwnsString;
        }
        g_written.clear();
        EXPECT_GT(WriteTextObjectString(&text, WriteOutput), 0);
        DestroyTextObject(&text);
        return g_written;
    }

    // Reads an action from the fed bytes and checks it against the file form.
    void CheckActionRead(bool failAllocation) {
        MidiOutcome expected = ExpectedMidiRead(g_input, 0);
        MidiAction action;
        ConstructMidiAction(&action);
        FailNextRecordAllocations(failAllocation ? 1 : 0);
        int result = ReadMidiAction(&action, ReadInput);
        FailNextRecordAllocations(0);
        if (failAllocation && expected.carriesData) expected = MidiOutcome{};
        ASSERT_EQ(result, expected.result);
        CheckAction(action, expected, 0);
        if (result != 0) { ASSERT_EQ(g_readAt, expected.consumed) << "the read took other bytes"; }
        DestroyMidiAction(&action);
        ASSERT_EQ(LiveRecords(), 0) << "a data record leaked";
    }

    // The rules of an action read from the bytes at `at`.
    void CheckAction(const MidiAction& action, const MidiOutcome& expected, size_t at) {
        ASSERT_EQ(ClassId{action.classId}, kMidiActionClass);
        ASSERT_EQ(IsDataCarrying(action), expected.carriesData);
        if (expected.carriesData) {
            const std::byte* data = MidiActionDataBytes(action);
            ASSERT_NE(data, nullptr) << "the data record is not live";
            ASSERT_EQ(size_t{action.head.data.length}, expected.length);
            ASSERT_EQ(int{action.head.data.pool}, PoolForSize(expected.length));
            ASSERT_LE(expected.length, PoolSlotBytes(action.head.data.pool));
            ASSERT_EQ(std::memcmp(data, g_input.data() + at + kMidiDataAt, expected.length), 0);
        } else if (expected.keepsValues) {
            ASSERT_EQ(static_cast<uint16_t>(action.head.values.value), Word(g_input, at));
            ASSERT_EQ(static_cast<uint16_t>(action.head.values.finalValue), Word(g_input, at + 2));
        } else {
            ASSERT_EQ(MidiKindOf(action), kMidiKindPlain);
            ASSERT_EQ(MidiTimingOf(action), 0);
            ASSERT_EQ(int{action.head.values.value}, 0);
            ASSERT_EQ(int{action.head.values.finalValue}, 0);
        }
    }

    // The rules of a text body read from the fed bytes in `version`.
    void CheckText(const TextObject& text, const TextOutcome& expected, uint8_t version) {
        ASSERT_EQ(uint32_t{text.body.fontCache}, 0u);  // packed fields are copied out
        ASSERT_EQ(uint32_t{text.body.bitmapCache}, 0u);
        const char* string = TextObjectString(&text);
        if (expected.ownsString) {
            ASSERT_NE(string, nullptr) << "the string record is not live";
            ASSERT_EQ(int{text.body.stringPool}, PoolForSize(expected.length + 2));
            ASSERT_EQ(std::memcmp(string, g_input.data() + kTextStringAt, expected.length), 0);
            ASSERT_EQ(string[expected.length], '\0');
        } else {
            ASSERT_EQ(string, nullptr);
        }
        if (expected.result == 0) return;
        if (version < kExtraWordFileVersion) { ASSERT_EQ(int{text.body.extra}, 0); }
        if ((g_input[kTextFlagsAt] & kTextOwnsString) == 0) {
            ASSERT_EQ(uint16_t{text.body.string}, Word(g_input, kTextCharacterAt))
                << "the character is kept";
        }
    }

    // Reads a text record from the fed bytes and checks it against the stored form.
    void CheckTextRead(uint8_t version, bool failAllocation) {
        State().files.FileVersion = version;
        TextOutcome expected = ExpectedTextRead(g_input);
        TextObject text;
        ConstructTextObject(&text);
        FailNextRecordAllocations(failAllocation ? 1 : 0);
        int result = ReadTextObjectString(&text, ReadInput);
        FailNextRecordAllocations(0);
        if (failAllocation && expected.ownsString) expected = TextOutcome{};
        ASSERT_EQ(result, expected.result);
        CheckText(text, expected, version);
        if (result != 0) { ASSERT_EQ(g_readAt, expected.consumed) << "the read took other bytes"; }
        DestroyTextObject(&text);
        ASSERT_EQ(LiveRecords(), 0) << "a string record leaked";
    }

    // Reads a MIDI-carrying text object: the text record, then the action after it.
    void CheckMidiTextRead(uint8_t version) {
        State().files.FileVersion = version;
        TextOutcome textExpected = ExpectedTextRead(g_input);
        MidiOutcome actionExpected;
        if (textExpected.result != 0)
            actionExpected = ExpectedMidiRead(g_input, textExpected.consumed);
        MidiTextRecord record{};
        ConstructMidiAction(&record.action);
        ConstructTextObject(AsTextObject(&record.text));
        record.text.classId = kMidiTextObjectClass;
        int result = ReadObjectWithMidiAction(&record.text, ReadInput);
        ASSERT_EQ(result, textExpected.result != 0 && actionExpected.result != 0 ? 1 : 0);
        CheckText(*AsTextObject(&record.text), textExpected, version);
        if (textExpected.result != 0) {
            CheckAction(record.action, actionExpected, textExpected.consumed);
        } else {
            ASSERT_FALSE(IsDataCarrying(record.action)) << "a refused text leaves the action alone";
        }
        DestroyMidiAction(&record.action);
        DestroyTextObject(AsTextObject(&record.text));
        ASSERT_EQ(LiveRecords(), 0) << "a string or data record leaked";
    }

    DocumentPoolSet set_{};
};

uint8_t RandomVersion(std::mt19937& random) {
    return static_cast<uint8_t>(random() % (kLastFileVersion + 1));
}

// ---- MIDI actions ----

// Random bytes give either a refusal with a plain action, or an action whose bytes
// 0-3 match its kind; no data record outlives the action.
TEST_F(ReaderRandomInput, RandomBytesGiveAConsistentActionOrARefusal) {
    std::mt19937 random(0x5EED01);
    for (int i = 0; i < kCases; ++i) {
        std::vector<uint8_t> bytes = RandomBytes(random, 40);
        // Half the cases claim data, so the length byte and the data are exercised.
        if (bytes.size() > kMidiKindAt && random() % 2)
            bytes[kMidiKindAt] = static_cast<uint8_t>((bytes[kMidiKindAt] & ~kMidiKindMask) |
                                                      kMidiKindData << kMidiKindShift);
        Feed(bytes);
        ASSERT_NO_FATAL_FAILURE(CheckActionRead(random() % 8 == 0)) << "case " << i;
    }
}

// Written actions, cut short, with lying or huge lengths and flipped kind and timing
// nibbles, read back as the damaged bytes say or are refused.
TEST_F(ReaderRandomInput, DamagedActionsAreReadOrRefusedCleanly) {
    std::mt19937 random(0x5EED02);
    for (int i = 0; i < kCases; ++i) {
        std::vector<uint8_t> bytes = ValidActionBytes(random);
        Damage(&bytes, random, kMidiLengthAt, kMidiKindAt, kMidiTimingAt, false);
        Feed(bytes);
        ASSERT_NO_FATAL_FAILURE(CheckActionRead(random() % 8 == 0)) << "case " << i;
    }
}

// ---- Text records ----

// Random bytes in any file version give a refusal or a body whose string, when it
// owns one, is a live record holding exactly the stored bytes.
TEST_F(ReaderRandomInput, RandomBytesGiveAConsistentTextOrARefusal) {
    std::mt19937 random(0x5EED03);
    for (int i = 0; i < kCases; ++i) {
        std::vector<uint8_t> bytes = RandomBytes(random, 64);
        if (bytes.size() > kTextStringAt && random() % 2) {
            bytes[kTextFlagsAt] |= kTextOwnsString;
            bytes[kTextLengthAt + 1] = static_cast<uint8_t>(random() % 9);  // up to 2303
        }
        Feed(bytes);
        ASSERT_NO_FATAL_FAILURE(CheckTextRead(RandomVersion(random), random() % 8 == 0))
            << "case " << i;
    }
}

// Written text records, damaged as a broken file would be, read back in every file
// version as the bytes say or are refused, without leaving a string behind.
TEST_F(ReaderRandomInput, DamagedTextRecordsAreReadOrRefusedCleanly) {
    std::mt19937 random(0x5EED04);
    for (int i = 0; i < kCases; ++i) {
        std::vector<uint8_t> bytes = ValidTextBytes(random);
        Damage(&bytes, random, kTextLengthAt, kTextFlagsAt, kTextFlagsAt + 1, true);
        Feed(bytes);
        ASSERT_NO_FATAL_FAILURE(CheckTextRead(RandomVersion(random), random() % 8 == 0))
            << "case " << i;
    }
}

// ---- MIDI-carrying text objects ----

// A text record followed by an action, either of them damaged: success only when
// both read, and the object always destroys back to no records at all.
TEST_F(ReaderRandomInput, DamagedMidiTextObjectsAreReadOrRefusedCleanly) {
    std::mt19937 random(0x5EED05);
    for (int i = 0; i < kCases; ++i) {
        std::vector<uint8_t> text = ValidTextBytes(random);
        std::vector<uint8_t> action = ValidActionBytes(random);
        if (random() % 2)
            Damage(&text, random, kTextLengthAt, kTextFlagsAt, kTextFlagsAt + 1, true);
        else
            Damage(&action, random, kMidiLengthAt, kMidiKindAt, kMidiTimingAt, false);
        text.insert(text.end(), action.begin(), action.end());
        Feed(text);
        ASSERT_NO_FATAL_FAILURE(CheckMidiTextRead(RandomVersion(random))) << "case " << i;
    }
}

}  // namespace
}  // namespace ql
