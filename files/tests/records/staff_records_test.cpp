// The face-name table, staff records and staff labels of the staff section, written
// by hand from their tables.
#include "files/records/staff_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/model/document.h"
#include "core/state.h"
#include "files/records/face_name_table.h"
#include "files/records/file_codes.h"
#include "files/records/file_version.h"
#include "files/score_file.h"
#include "files/tests/files_fixture.h"
#include "objects/object_services.h"
#include "objects/text_box/text_box.h"

namespace ql {
namespace {

// The hand-written records keep one field (or one group of fields) per line.
// clang-format off

using testing_files::FilesTest;
using testing_files::HandBytes;
using testing_files::V;

using StaffSection = FilesTest;

// The table stores its leading non-empty entries: 34 bytes each, zeros after the
// name's NUL and in the two trailing bytes whatever memory holds.
TEST_F(StaffSection, FaceNameTableStoresLeadingEntries) {
    FaceNameEntry names[kFaceNameCount] = {};
    std::memset(names[0].name, 'x', kFaceNameChars);
    std::memcpy(names[0].name, "Glyphora", 9);
    names[0].trailing[0] = 0x77;
    std::memcpy(names[1].name, "Arial", 6);
    std::memcpy(names[3].name, "Hidden", 7);  // after an empty entry: not stored
    ByteWriter writer;
    EncodeFaceNameTable(names, writer);
    HandBytes expected;
    expected.u16(2)                              // count
        .text("Glyphora", 32).u8(0).u8(0)        // entry 1
        .text("Arial", 32).u8(0).u8(0);          // entry 2
    EXPECT_EQ(writer.Buffer(), expected.get());
    FaceNameEntry empty[kFaceNameCount] = {};
    EXPECT_EQ(StoredFaceNameCount(empty), 0);
    for (FaceNameEntry& entry : empty) std::memcpy(entry.name, "F", 2);
    EXPECT_EQ(StoredFaceNameCount(empty), kFaceNameCount);
}

// Reading: entries 1..32 over the table with byte 31 forced to NUL; further entries
// read and dropped (damaged); a negative count refused (1030); too few bytes for the
// count refused (1031) with the table untouched.
TEST_F(StaffSection, FaceNameTableReads) {
    FaceNameEntry names[kFaceNameCount] = {};
    HandBytes many;
    many.u16(34);
    for (int i = 0; i < 34; ++i) many.text(std::string(32, static_cast<char>('A' + i % 26)), 32).u16(0x9999);
    many.u8(0xEE);  // the byte after the table
    Feed(many);
    bool damaged = false;
    ASSERT_EQ(ReadFaceNameTable(names, &damaged), 0);
    EXPECT_TRUE(damaged);
    EXPECT_EQ(names[31].name[31], '\0');
    EXPECT_EQ(std::string(names[31].name), std::string(31, static_cast<char>('A' + 31 % 26)));
    EXPECT_EQ(names[0].trailing[0], 0);
    uint8_t next = 0;
    ASSERT_EQ(ReadScoreBytes(&next, 1), 1);
    EXPECT_EQ(next, 0xEE) << "the stream stays in step";
    Feed(HandBytes().u16(0xFFFF));
    EXPECT_EQ(ReadFaceNameTable(names, &damaged), file_code::kPortCount);
    FaceNameEntry kept[kFaceNameCount] = {};
    std::memcpy(kept[0].name, "Kept", 5);
    Feed(HandBytes().u16(2).text("New", 32).u16(0));
    EXPECT_EQ(ReadFaceNameTable(kept, &damaged), file_code::kPortEntries);
    EXPECT_STREQ(kept[0].name, "Kept");
}

// A staff record's leading 40 bytes, field by field.
TEST_F(StaffSection, StaffRecord) {
    BuildStaves(1, 1);
    StaffRecord staff = *StaffRecordOf(doc_, 1);
    staff.transpositionWord = 0x1234;
    staff.flags = 0x0500;
    staff.baseKeyVelocity = -3;
    staff.semitones = 2;
    for (int i = 0; i < 4; ++i) staff.timbres[i] = StaffTimbre{static_cast<uint8_t>(i), 9, 40, 0xEE};
    for (int i = 0; i < 18; ++i) staff.staffData22[i] = static_cast<uint8_t>(0x60 + i);
    ByteWriter writer;
    EncodeStaffRecord(staff, writer);
    HandBytes expected;
    expected.u16(0x1234)                   // 0: transposition word
        .u16(0x0500)                       // 2: flags
        .u8(0xFD).u8(2)                    // 4: velocity, semitones
        .u8(0).u8(9).u8(40).u8(0xEE)       // 6: timbre 1 (port at 6)
        .u8(1).u8(9).u8(40).u8(0xEE)       // 10: timbre 2
        .u8(2).u8(9).u8(40).u8(0xEE)       // 14: timbre 3
        .u8(3).u8(9).u8(40).u8(0xEE);      // 18: timbre 4
    for (int i = 0; i < 18; ++i) expected.u8(0x60 + i);  // 22: further staff bytes
    EXPECT_EQ(writer.Buffer(), expected.get());
    StaffRecord back{};
    ByteReader reader(writer.Data(), writer.Size());
    DecodeStaffRecord(reader, &back);
    EXPECT_EQ(std::memcmp(&back, &staff, kStoredStaffBytes), 0);
}

// Labels: none is a single zero word; an empty text is written as "no name"; a label
// reads back as a staff label (type 28, anchoring 4) whose text has its own record.
TEST_F(StaffSection, StaffLabels) {
    ByteWriter none;
    EncodeStaffLabel(nullptr, none);
    EXPECT_EQ(none.Buffer(), (std::vector<uint8_t>{0, 0}));
    ScoreObject* label = Make(ObjectType::Label);
    TextBoxBody& body = AsTextBox(label)->body;
    body.location = ObjectLocation{5, 0, 1, 0};
    ByteWriter empty;
    EncodeStaffLabel(label, empty);
    HandBytes expected;
    expected.u16(7)                                  // L
        .u32(5).u8(0).u8(1).u16(0)                   // 0: location
        .u16(0xFD80).u16(0xFE80)                     // 8: width -640, height -384
        .u16(14)                                     // 12: leading
        .u16(body.style)                             // 14: style word
        .u16(0).u8(0).u8(0).u16(0).u8(0).u8(0).u16(0)  // 16..25
        .text("no name", 7);                         // the text
    EXPECT_EQ(empty.Buffer(), expected.get());
    ASSERT_TRUE(SetTextBoxText(&body, "Violin", 6));
    ByteWriter named;
    EncodeStaffLabel(label, named);
    Feed(named.Buffer());
    LabelRead read = ReadStaffLabel(kCurrentFileVersion);
    ASSERT_EQ(read.code, 0);
    ASSERT_NE(read.label, nullptr);
    EXPECT_EQ(read.label->type, TypeCode(ObjectType::Label));
    EXPECT_EQ(read.label->subtype, SubtypeCode(ObjectSubtype::StaffLabelList));
    EXPECT_STREQ(GetTextBoxString(read.label), "Violin");
    EXPECT_EQ(V(AsTextBox(read.label)->body.width), -640);
}

// A negative length ends the staff section; a text longer than the bytes left fails
// with 1211 before anything is allocated; old files read 25-byte records.
TEST_F(StaffSection, LabelReadFailuresAndOldRecords) {
    Feed(HandBytes().u16(0xFFFF));
    LabelRead skip = ReadStaffLabel(kCurrentFileVersion);
    EXPECT_EQ(skip.code, 0);
    EXPECT_TRUE(skip.endsStaffSection);
    int live = LiveRecords();
    Feed(HandBytes().u16(500).zeros(26).text("short", 5));
    LabelRead tooLong = ReadStaffLabel(kCurrentFileVersion);
    EXPECT_EQ(tooLong.code, file_code::kLabelText);
    EXPECT_EQ(tooLong.label, nullptr);
    EXPECT_EQ(LiveRecords(), live);
    Feed(HandBytes().u16(2).zeros(25).text("ok", 2));
    LabelRead old = ReadStaffLabel(14);
    ASSERT_EQ(old.code, 0);
    EXPECT_STREQ(GetTextBoxString(old.label), "ok");
    Feed(HandBytes().u16(2).zeros(20).u16(0x0409).u8(0x0F).u8(0x22).zeros(2).text("ok", 2));
    LabelRead v29 = ReadStaffLabel(29);
    ASSERT_EQ(v29.code, 0);
    EXPECT_EQ(V(AsTextBox(v29.label)->body.keyboardLayout), 0);
    EXPECT_EQ(V(AsTextBox(v29.label)->body.carriedFlags[0]), 0) << "bits 0-3 of byte 22";
    EXPECT_EQ(V(AsTextBox(v29.label)->body.carriedFlags[1]), 0);
}

// An undecided version 15 reads 26 bytes; when their last two are not 0 the record
// was the shorter one: the older variant is decided and the file steps back a byte.
TEST_F(StaffSection, FixedFieldDecidesTheVersion15Variant) {
    State().files.FileVersion = 15;
    State().files.VersionChoice = kVersionChoiceNone;
    Feed(HandBytes().zeros(24).u8(0).u8(0).u8(0xAB));
    uint8_t buffer[26];
    EXPECT_EQ(ReadFixedField(buffer, 26), 26u);
    EXPECT_EQ(V(State().files.VersionChoice), kVersionChoiceNone);
    Feed(HandBytes().zeros(24).u8(0).u8(0x41).u8(0xAB));
    EXPECT_EQ(ReadFixedField(buffer, 26), 26u);
    EXPECT_EQ(V(State().files.VersionChoice), kVersionChoiceShorter);
    EXPECT_EQ(ScoreFilePosition(), 25u);
    EXPECT_EQ(ReadFixedField(buffer, 2), 1u) << "decided: one byte shorter";
    State().files.VersionChoice = kVersionChoiceNone;
}

// clang-format on

}  // namespace
}  // namespace ql
