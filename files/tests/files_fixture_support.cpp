// Shared set-up of the score-file tests (see files_fixture.h).
#include "core/memory/arena.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "files/bytes/byte_writer_test_seam.h"
#include "files/records/object_records.h"
#include "files/score_file.h"
#include "files/tests/files_fixture.h"
#include "notes/accidentals/accidental.h"
#include "notes/rests/rest.h"
#include "objects/stored_classes.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql::testing_files {

HandBytes& HandBytes::u8(uint32_t value) {
    bytes_.push_back(static_cast<uint8_t>(value));
    return *this;
}

HandBytes& HandBytes::u16(uint32_t value) {
    return u8(value & 0xFF).u8((value >> 8) & 0xFF);
}

HandBytes& HandBytes::u32(uint32_t value) {
    return u16(value & 0xFFFF).u16(value >> 16);
}

HandBytes& HandBytes::text(const std::string& value, size_t width) {
    for (size_t i = 0; i < width; ++i) u8(i < value.size() ? static_cast<uint8_t>(value[i]) : 0);
    return *this;
}

HandBytes& HandBytes::zeros(size_t count) {
    bytes_.insert(bytes_.end(), count, 0);
    return *this;
}

HandBytes& HandBytes::bytes(const std::vector<uint8_t>& value) {
    bytes_.insert(bytes_.end(), value.begin(), value.end());
    return *this;
}

HandBytes& HandBytes::tag(const char* letters) {
    for (int i = 0; i < 4; ++i) u8(static_cast<uint8_t>(letters[i]));
    return *this;
}

void RegisterAllObjectClasses() {
    RegisterTextObjectClasses();
    RegisterMidiTextObjectClass();
    RegisterAccidentalClass();
    RegisterRestClass();
    RegisterStoredObjectClasses();
}

void FilesTest::SetUp() {
    ResetProgramState();
    ui::headless::ResetUi();
    win::headless::ResetWindowLayer();
    ResetObjectClassTable();
    ResetPreferenceDefaults();
    RegisterAllObjectClasses();
    SetScratchFillForTests(0);
    arenaBytesAtStart_ = ArenaBytesInUse();
    view_ = InitView(AllocView());
    LinkView(view_);
    doc_ = AllocDocument();
    ASSERT_EQ(CreateDocument(doc_, view_, nullptr), doc_);
    view_->currentPage = doc_->firstPage;
    view_->currentSystem = doc_->firstPage->firstSystem.get();
    head_ = AllocRootObject();
    ASSERT_NE(head_, nullptr);
    State().files.FileVersion = 32;
}

void FilesTest::TearDown() {
    FailNextRecordAllocations(0);
    SetScratchFillForTests(0);
    CloseScoreFile();
    TakeScoreImage();
    FreeView(view_);
    FreeDocument(doc_);
    ResetProgramState();
    ResetObjectClassTable();
    EXPECT_EQ(ArenaBytesInUse(), arenaBytesAtStart_) << "the document left blocks in the arena";
}

void FilesTest::BuildStaves(int staffCount, int measureCount) {
    doc_->header.staffCount = static_cast<uint8_t>(staffCount);
    doc_->header.measureCount = static_cast<uint16_t>(measureCount);
    for (int s = 0; s <= staffCount; ++s) {
        StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view_);
        ASSERT_NE(staff, nullptr);
        ASSERT_TRUE(IsStaffComplete(staff));
        doc_->staves->staves[s] = Ref32<StaffRecord>::To(staff);
    }
}

MeasureCell* FilesTest::Cell(int staff, int measure) {
    return GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
}

ScoreObject* FilesTest::Make(ObjectType type) {
    ScopedPoolSet pools(doc_->pools);
    return ConstructObject(TypeCode(type));
}

std::vector<uint8_t> FilesTest::EncodeObject(ScoreObject* object) {
    ByteWriter writer;
    EncodeScoreObject(object, object->subtype, doc_, writer);
    return BytesOf(writer);
}

std::vector<uint8_t> FilesTest::EncodeBody(ScoreObject* object) {
    std::vector<uint8_t> record = EncodeObject(object);
    return std::vector<uint8_t>(record.begin() + 2, record.end());
}

void FilesTest::Feed(const std::vector<uint8_t>& bytes) {
    OpenScoreImageForRead(bytes);
}

ScoreObject* FilesTest::ListHead() {
    return head_;
}

void FilesTest::ClearList() {
    ReleaseObjectChain(head_, doc_);
}

int FilesTest::ReadObjects(const std::vector<uint8_t>& bytes, uint8_t version, int count,
                           ScoreObject** first) {
    ClearList();
    State().files.FileVersion = version;
    Feed(bytes);
    int result = ReadScoreObject(view_, head_, count);
    if (first != nullptr) *first = head_->next.get();
    return result;
}

ScoreObject* FilesTest::ReadOne(const std::vector<uint8_t>& bytes, uint8_t version) {
    ScoreObject* first = nullptr;
    EXPECT_EQ(ReadObjects(bytes, version, 1, &first), 0);
    return first;
}

int FilesTest::LiveRecords() {
    int live = 0;
    ScopedPoolSet pools(doc_->pools);
    for (int pool = 0; pool < kDocumentPoolCount; ++pool)
        for (int block = 0; block < kMaxPoolBlocks; ++block)
            for (int slot = 1; slot < doc_->pools.pools[pool].blocks[block].nextFresh; ++slot) {
                void* record = PoolSlotAddress(pool, block, slot);
                if (record != nullptr && IsLiveRecord(PoolSet(doc_->pools), pool, record)) ++live;
            }
    return live;
}

}  // namespace ql::testing_files
