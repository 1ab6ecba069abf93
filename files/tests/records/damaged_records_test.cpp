// Damaged input: every record decoder is fed its sample record cut at every byte and
// then mutated at random (at least 10,000 cases per decoder, in a random file version
// and version-15 variant), under the sanitizers. Each read must end in success or a
// named code, a refused record must leave nothing allocated and nothing linked, and
// every record read must be given back in full when its object is destroyed. The
// seed and the case are printed with any failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/state.h"
#include "files/records/face_name_table.h"
#include "files/records/file_codes.h"
#include "files/records/file_version.h"
#include "files/records/font_records.h"
#include "files/records/header_record.h"
#include "files/records/measure_records_io.h"
#include "files/records/music_records.h"
#include "files/records/object_records.h"
#include "files/records/page_records_io.h"
#include "files/records/rest_records.h"
#include "files/records/staff_records.h"
#include "files/score_file.h"
#include "files/tests/files_fixture.h"
#include "files/tests/records/sample_objects.h"
#include "notes/rests/rest.h"
#include "objects/object_services.h"
#include "objects/text_box/text_box.h"

namespace ql {
namespace {

using testing_files::FilesTest;
using testing_files::HandBytes;

constexpr int kMutations = 10000;
constexpr uint8_t kHighestVersion = 40;

const std::set<int>& ItemCodes() {
    static const std::set<int> codes = {
        item_code::kHeader,        item_code::kTypeNotAccepted, item_code::kTextBoxVariantLength,
        item_code::kSelectionBody, item_code::kNoRecord,        item_code::kSlurBody,
        item_code::kTieBody,       item_code::kTextBoxRecord,   item_code::kTextBoxString,
        item_code::kHairpinBody,   item_code::kGraphicBody,     item_code::kTextRecord,
        item_code::kMidiRecord,    item_code::kMarginBody,      item_code::kChordText,
        item_code::kChordFields,   item_code::kSpannerText,     item_code::kSpannerEndpoint,
        item_code::kRepeatPasses,  item_code::kTupletAnchor,    item_code::kGuideBody,
        item_code::kPictureFixed,  item_code::kPictureData,     item_code::kAccidentalText};
    return codes;
}

// Damages bytes as a broken file would: cut short, bytes changed or flipped, a word
// turned into a lying length, garbage added.
void Mutate(std::vector<uint8_t>* bytes, std::mt19937& random) {
    int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !bytes->empty(); ++e) {
        std::vector<uint8_t>& b = *bytes;
        size_t at = random() % b.size();
        switch (random() % 6) {
            case 0:
                b.resize(at);
                break;
            case 1:
                b[at] = static_cast<uint8_t>(random());
                break;
            case 2:
                b[at] ^= static_cast<uint8_t>(1u << (random() % 8));
                break;
            case 3:
                if (at + 1 < b.size()) {
                    static const uint16_t kLies[] = {0xFFFF, 0x8000, 0x7FFF,
                                                     0x01F5, 0x0800, 0x00FF};
                    uint16_t lie = kLies[random() % 6];
                    b[at] = static_cast<uint8_t>(lie);
                    b[at + 1] = static_cast<uint8_t>(lie >> 8);
                }
                break;
            case 4:
                b[at] = 0;
                break;
            default:
                for (int k = static_cast<int>(random() % 12); k >= 0; --k)
                    b.push_back(static_cast<uint8_t>(random()));
                break;
        }
    }
}

class DamagedRecords : public FilesTest {
  protected:
    void TearDown() override {
        State().files.VersionChoice = kVersionChoiceNone;
        FilesTest::TearDown();
    }

    // Every truncation of `sample`, then kMutations mutated copies, each read by `read`
    // in a random version.
    template <typename Read>
    void Drive(const std::vector<uint8_t>& sample, uint32_t seed, Read read) {
        std::mt19937 random(seed);
        for (size_t cut = 0; cut <= sample.size(); ++cut) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", cut at " + std::to_string(cut));
            Version(random);
            read(std::vector<uint8_t>(sample.begin(), sample.begin() + static_cast<long>(cut)));
            if (HasFatalFailure()) return;
        }
        for (int i = 0; i < kMutations; ++i) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", case " + std::to_string(i));
            std::vector<uint8_t> bytes = sample;
            Mutate(&bytes, random);
            Version(random);
            read(bytes);
            if (HasFatalFailure()) return;
        }
    }

    void Version(std::mt19937& random) {
        State().files.FileVersion = random() % 3 == 0
                                        ? static_cast<uint8_t>(random() % (kHighestVersion + 1))
                                        : kCurrentFileVersion;
        State().files.VersionChoice =
            random() % 4 == 0 ? kVersionChoiceShorter : kVersionChoiceNone;
    }

    // One object record read into the list (or thrown away).
    void ReadObjectRecord(const std::vector<uint8_t>& bytes, bool keep) {
        int live = LiveRecords();
        size_t buffers = doc_->ownedRecords.size();
        Feed(bytes);
        int result = ReadScoreObject(view_, keep ? ListHead() : nullptr, 1);
        ASSERT_TRUE(result == 0 || ItemCodes().count(result) != 0) << "code " << result;
        if (result != 0 || !keep) {
            ASSERT_EQ(ListHead()->next.get(), nullptr) << "a refused record was linked";
            ASSERT_EQ(LiveRecords(), live) << "a refused record left records behind";
            ASSERT_EQ(doc_->ownedRecords.size(), buffers) << "a refused picture kept its bytes";
        }
        ClearList();
        ASSERT_EQ(LiveRecords(), live) << "destroying the object read left records behind";
    }

    std::vector<uint8_t> SampleRecord(uint8_t type) {
        if (type == TypeCode(ObjectType::Selection)) return HandBytes().u8(0).u8(0).zeros(16);
        ScopedPoolSet pools(doc_->pools);
        ScoreObject* object = testing_files::MakeSampleObject(doc_, type);
        EXPECT_NE(object, nullptr) << int(type);
        if (object == nullptr) return {};
        std::vector<uint8_t> bytes = EncodeObject(object);
        ReleaseObjectByType(doc_, object);
        return bytes;
    }
};

// Every object record, read into a list.
TEST_F(DamagedRecords, ObjectRecordsReadIntoAList) {
    for (uint8_t type : testing_files::StoredTypeCodes()) {
        SCOPED_TRACE("type " + std::to_string(type));
        std::vector<uint8_t> sample = SampleRecord(type);
        Drive(sample, 0xD00D0000u + type,
              [&](const std::vector<uint8_t>& bytes) { ReadObjectRecord(bytes, true); });
        if (HasFatalFailure()) return;
    }
}

// Every object record, read and thrown away (a verified or skipped list).
TEST_F(DamagedRecords, ObjectRecordsThrownAway) {
    for (uint8_t type : testing_files::StoredTypeCodes()) {
        SCOPED_TRACE("type " + std::to_string(type));
        std::vector<uint8_t> sample = SampleRecord(type);
        Drive(sample, 0xBEEF0000u + type,
              [&](const std::vector<uint8_t>& bytes) { ReadObjectRecord(bytes, false); });
        if (HasFatalFailure()) return;
    }
}

// The face-name table: 0, 1030 or 1031, and only a whole table is taken.
TEST_F(DamagedRecords, FaceNameTable) {
    ByteWriter writer;
    EncodeFaceNameTable(doc_->faceNames, writer);
    Drive(writer.Buffer(), 0xFACE, [&](const std::vector<uint8_t>& bytes) {
        FaceNameEntry names[kFaceNameCount] = {};
        Feed(bytes);
        bool damaged = false;
        int result = ReadFaceNameTable(names, &damaged);
        ASSERT_TRUE(result == 0 || result == file_code::kPortCount ||
                    result == file_code::kPortEntries);
        for (const FaceNameEntry& entry : names) ASSERT_EQ(entry.name[kFaceNameChars - 1], '\0');
    });
}

// A staff label: success gives a label whose text resolves; a failure leaves none.
TEST_F(DamagedRecords, StaffLabel) {
    ScopedPoolSet pools(doc_->pools);
    ScoreObject* label = ConstructObject(TypeCode(ObjectType::Label));
    ASSERT_TRUE(SetTextBoxText(&AsTextBox(label)->body, "Oboe d'amore", 12));
    ByteWriter writer;
    EncodeStaffLabel(label, writer);
    ReleaseObjectByType(doc_, label);
    Drive(writer.Buffer(), 0x1ABE1, [&](const std::vector<uint8_t>& bytes) {
        int live = LiveRecords();
        Feed(bytes);
        LabelRead read = ReadStaffLabel(State().files.FileVersion);
        static const std::set<int> codes = {0, file_code::kLabelLength, file_code::kLabelObject,
                                            file_code::kLabelRecord, file_code::kLabelText};
        ASSERT_EQ(codes.count(read.code), 1u) << read.code;
        if (read.code != 0 || read.label == nullptr) {
            ASSERT_EQ(read.label, nullptr);
            ASSERT_EQ(LiveRecords(), live);
            return;
        }
        ASSERT_NE(GetTextBoxString(read.label), nullptr);
        ReleaseObjectByType(doc_, read.label);
        ASSERT_EQ(LiveRecords(), live);
    });
}

// A spacing list (its count, then its entries): chained entries, or nothing.
TEST_F(DamagedRecords, SpacingList) {
    HandBytes sample;
    sample.u16(3);
    for (int i = 0; i < 3; ++i) sample.u16(0).u16(i * 1024).u16(1024).u16(0x0100);
    Drive(sample, 0x5BAC, [&](const std::vector<uint8_t>& bytes) {
        ScopedPoolSet pools(doc_->pools);
        int live = LiveRecords();
        Feed(bytes);
        uint8_t word[2] = {};
        if (!ReadScoreBytes(word, 2)) return;
        RecordHandle first{};
        int count = static_cast<int16_t>(LoadLe16(word));
        int result = ReadSpacingList(count, &first);
        ASSERT_TRUE(result == 0 || result == file_code::kSpacingAlloc ||
                    result == file_code::kSpacingEntry);
        MeasureRecord measure{};
        measure.spacing = first;
        ASSERT_EQ(CountSpacingEntries(measure), result == 0 && count > 0 ? count : 0);
        for (RecordHandle h = first; h;) {
            auto* entry = FindRecord<SpacingEntry>(kSpacingEntryPool, h);
            h = RecordHandle{entry->next};
            FreeRecord(kSpacingEntryPool, entry);
        }
        ASSERT_EQ(LiveRecords(), live);
    });
}

// A voice's rests: 0 or 2; every rest made is in the voice's list.
TEST_F(DamagedRecords, RestChain) {
    BuildStaves(1, 1);
    MeasureCell* cell = Cell(1, 1);
    ScopedPoolSet pools(doc_->pools);
    ScoreObject* list = GetOrCreateVoiceElementList(cell, 0);
    ASSERT_NE(list, nullptr);
    HandBytes sample;
    sample.u16(3);
    for (int i = 0; i < 3; ++i)
        sample.u16(i * 1024).u8(0).u8(10).u8(0).u8(0xFC).u8(0).u8(0).u8(0).u8(1);
    Drive(sample, 0x4E57, [&](const std::vector<uint8_t>& bytes) {
        int live = LiveRecords();
        Feed(bytes);
        uint8_t word[2] = {};
        if (!ReadScoreBytes(word, 2)) return;
        int result = ReadRecordChain(cell, 0, static_cast<int16_t>(LoadLe16(word)), 4096);
        ASSERT_TRUE(result == 0 || result == kRestChainFailed);
        for (ScoreObject* rest = list->next.get(); rest != nullptr; rest = rest->next.get())
            ASSERT_LT(RestBodyOf(rest)->tick, 4096);
        DeleteRestChain(list);
        ASSERT_EQ(LiveRecords(), live);
    });
}

// A system's staff arrays, for a staff count taken from the damaged bytes.
TEST_F(DamagedRecords, SystemArrays) {
    BuildStaves(3, 1);
    ScoreSystem* system = doc_->firstPage->firstSystem.get();
    HandBytes sample;
    sample.u8(3).u16(0x100).u16(0x200).u16(0x300).u8(0).u8(0xFF).u8(4);
    Drive(sample, 0x5757, [&](const std::vector<uint8_t>& bytes) {
        Feed(bytes);
        uint8_t staves = 0;
        if (!ReadScoreBytes(&staves, 1)) return;
        int result = ReadSystemArrays(system, staves, 1, 2);
        ASSERT_TRUE(result == 0 || result == 1 || result == 2);
    });
}

// The character sets: 0, 1860 or 1863.
TEST_F(DamagedRecords, Charsets) {
    HandBytes sample;
    sample.u16(24);
    for (int i = 0; i < 24; ++i) sample.u8(i);
    Drive(sample, 0xC5C5, [&](const std::vector<uint8_t>& bytes) {
        Feed(bytes);
        int result = ReadCharsets(doc_->fonts);
        ASSERT_TRUE(result == 0 || result == file_code::kCharsetCount ||
                    result == file_code::kCharsetCountTooLarge);
    });
}

// The fixed records decoded from memory: the header and the records of the staff,
// measure, music and page sections never read past their bytes.
TEST_F(DamagedRecords, FixedRecords) {
    ByteWriter writer;
    EncodeScoreFileHeader(doc_->header, writer);
    Drive(writer.Buffer(), 0x4EAD, [&](const std::vector<uint8_t>& bytes) {
        ScoreHeader header{};
        bool decoded = DecodeScoreFileHeader(bytes.data(), bytes.size(), &header);
        ASSERT_EQ(decoded, bytes.size() >= kShortScoreFileHeaderBytes);
        std::vector<uint8_t> copy(bytes);
        ByteReader measure(copy.data(), copy.size());
        MeasureRecord record{};
        DecodeMeasureRecord(measure, &record);
        ASSERT_EQ(measure.Ok(), copy.size() >= kStoredMeasureBytes);
        ByteReader event(copy.data(), copy.size());
        EventRecord stored{};
        DecodeStoredEvent(event, &stored);
        ByteReader page(copy.data(), copy.size());
        ScorePage pageRecord{};
        DecodePageRecord(page, &pageRecord);
        ByteReader font(copy.data(), copy.size());
        QuickFontRecord fontRecord{};
        DecodeFontRecord(font, &fontRecord);
        ASSERT_EQ(fontRecord.face[31], '\0');
        ByteReader staff(copy.data(), copy.size());
        StaffRecord staffRecord{};
        DecodeStaffRecord(staff, &staffRecord);
    });
}

}  // namespace
}  // namespace ql
