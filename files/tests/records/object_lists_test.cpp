// Object lists: which types are stored and counted, the subtype the list writer
// brings into line (while the record keeps the old one), the boxes of a failed
// write, and the reader's list building: failures that leave nothing behind, the
// throw-away mode, and a short record header that shows nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "files/records/file_codes.h"
#include "files/records/object_records.h"
#include "files/records/text_record_io.h"
#include "files/score_file.h"
#include "files/tests/files_fixture.h"
#include "objects/picture/picture_object.h"
#include "objects/text_box/text_box.h"
#include "platform/ui/headless.h"

namespace ql {
namespace {

using testing_files::FilesTest;
using testing_files::HandBytes;
using testing_files::V;

class ObjectLists : public FilesTest {
  protected:
    // A list head followed by objects of the given types.
    ScoreObject* List(std::initializer_list<ObjectType> types) {
        ScoreObject* head = AllocRootObject();
        ScoreObject* tail = head;
        for (ObjectType type : types) {
            ScoreObject* object = Make(type);
            EXPECT_NE(object, nullptr) << int(TypeCode(type));
            InsertObjectAfter(tail, object);
            tail = object;
        }
        return head;
    }
    std::vector<uint8_t> WriteList(ScoreObject* first, ObjectListMode mode, int* result) {
        CreateScoreImageForWrite();
        *result = WriteScoreObjectList(doc_, first, mode);
        CloseScoreFile();
        return TakeScoreImage();
    }
};

// Run-time objects (stretcher, area, staff label, list heads) are never stored: a
// list of them counts and writes nothing; stored ones count in list order.
TEST_F(ObjectLists, OnlyStoredTypesAreCountedAndWritten) {
    ScoreObject* runtime = List({ObjectType::Stretcher, ObjectType::Area, ObjectType::Label});
    EXPECT_EQ(CountStoredObjects(runtime), 0u);
    int result = -1;
    EXPECT_TRUE(WriteList(runtime, ObjectListMode::MeasureCell, &result).empty());
    EXPECT_EQ(result, 0);
    ScoreObject* mixed = List({ObjectType::Box, ObjectType::Area, ObjectType::Guide});
    EXPECT_EQ(CountStoredObjects(mixed), 2u);
    EXPECT_EQ(CountStoredObjects(nullptr), 0u);
    std::vector<uint8_t> bytes = WriteList(mixed, ObjectListMode::MeasureCell, &result);
    ASSERT_EQ(bytes.size(), 2u + 16 + 2 + 4);
    EXPECT_EQ(bytes[0], 10);
    EXPECT_EQ(bytes[18], 52);
    for (uint8_t type = 0; type < 64; ++type) {
        bool accepted = type == 0 || IsStoredObjectType(type);
        EXPECT_EQ(IsAcceptedObjectType(type), accepted) << int(type);
    }
}

// The list writer brings each object's subtype into line with its list: a cell
// keeps 0 and 2 and makes others 0, a page makes 1, a note 3. The record holds the
// corrected subtype, so a reload decodes the object's anchors as its list does.
TEST_F(ObjectLists, SubtypeIsCorrectedBeforeTheRecord) {
    ScoreObject* list = List({ObjectType::Box, ObjectType::Circle, ObjectType::Line});
    ScoreObject* box = list->next.get();
    ScoreObject* circle = box->next.get();
    ScoreObject* line = circle->next.get();
    box->subtype = 0;
    circle->subtype = 2;
    line->subtype = 1;
    int result = -1;
    std::vector<uint8_t> page = WriteList(box, ObjectListMode::Page, &result);
    EXPECT_EQ(page[1], 1) << "the record holds the corrected subtype";
    EXPECT_EQ(V(box->subtype), 1);
    box->subtype = 0;
    circle->subtype = 2;
    line->subtype = 1;
    WriteList(box, ObjectListMode::MeasureCell, &result);
    EXPECT_EQ(V(box->subtype), 0);
    EXPECT_EQ(V(circle->subtype), 2);
    EXPECT_EQ(V(line->subtype), 0);
    WriteList(box, ObjectListMode::NoteAttachment, &result);
    EXPECT_EQ(V(line->subtype), 3);
}

// A failed write shows the byte layer's box, then "Disk write error: n", and returns
// 2; nothing further is written.
TEST_F(ObjectLists, FailedWriteShowsBothBoxes) {
    ScoreObject* list = List({ObjectType::Box, ObjectType::Guide});
    CloseScoreFile();  // nothing open: every write fails
    EXPECT_EQ(WriteScoreObjectList(doc_, list, ObjectListMode::MeasureCell), 2);
    const auto& boxes = ui::headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text.rfind(kScoreWriteErrorText, 0), 0u);
    EXPECT_EQ(boxes[1].text, "Disk write error:: " + std::to_string(item_code::kWriteHeader));
}

// A short record header returns 1170 and shows no box; a record that fails leaves
// nothing allocated and is not linked, while the records before it stay.
TEST_F(ObjectLists, FailedRecordsLeaveNothingBehind) {
    int live = LiveRecords();
    EXPECT_EQ(ReadObjects({52}, 32, 1, nullptr), item_code::kHeader);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
    HandBytes bytes;
    bytes.u8(52).u8(1).u8(0).u8(0).u16(5);         // a guide line
    bytes.u8(18).u8(0).zeros(8).u16(1).zeros(13);  // a text record cut short
    ScoreObject* first = nullptr;
    EXPECT_EQ(ReadObjects(bytes, 32, 2, &first), item_code::kTextRecord);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->type, TypeCode(ObjectType::Guide));
    EXPECT_EQ(first->next.get(), nullptr);
    EXPECT_EQ(LiveRecords(), live + 1);
}

// With no list to read into, every object is read and destroyed: nothing stays in
// the pools, and a picture's bytes are skipped, never taken.
TEST_F(ObjectLists, ThrowAwayModeKeepsNothing) {
    ScoreObject* list =
        List({ObjectType::Text, ObjectType::Picture, ObjectType::Tie, ObjectType::Tie});
    ScoreObject* text = list->next.get();
    ASSERT_GE(SetTextObjectString(AsTextObject(text), "kept nowhere"), 0);
    AsTextObject(text)->body.flags |= kTextOwnsString;
    PictureObject* picture = AsPicture(text->next.get());
    picture->data = PushDocumentRecord(doc_, std::vector<uint8_t>(100, 7));
    int result = -1;
    std::vector<uint8_t> bytes = WriteList(text, ObjectListMode::MeasureCell, &result);
    ASSERT_EQ(result, 0);
    int live = LiveRecords();
    size_t buffers = doc_->ownedRecords.size();
    Feed(bytes);
    EXPECT_EQ(ReadScoreObject(view_, nullptr, 4), 0);
    EXPECT_EQ(ScoreBytesLeft(), 0u);
    EXPECT_EQ(LiveRecords(), live);
    EXPECT_EQ(doc_->ownedRecords.size(), buffers);
}

// A count of 0 reads nothing and succeeds.
TEST_F(ObjectLists, EmptyListReadsNothing) {
    Feed({1, 2, 3});
    EXPECT_EQ(ReadScoreObject(view_, ListHead(), 0), 0);
    EXPECT_EQ(ScoreBytesLeft(), 3u);
}

}  // namespace
}  // namespace ql
