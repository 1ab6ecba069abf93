// Every record of the file format encoded from two documents holding the same score
// gives the same bytes: nothing of the documents' memory that carries no meaning in
// a file (handles, pools, stale bytes after a text's NUL, run-time caches) reaches
// the bytes. Both documents are built after the fresh slots of their pools and the
// encoders' scratch buffers were filled with 0xA5, and the second one's records lie
// at other places of its pools. Encoding one document twice gives the same bytes too.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/objects/midi_action.h"
#include "core/text/text_object.h"
#include "files/bytes/byte_writer_test_seam.h"
#include "files/records/face_name_table.h"
#include "files/records/font_records.h"
#include "files/records/header_record.h"
#include "files/records/measure_records_io.h"
#include "files/records/music_records.h"
#include "files/records/object_records.h"
#include "files/records/page_records_io.h"
#include "files/records/rest_records.h"
#include "files/records/staff_records.h"
#include "files/records/text_record_io.h"
#include "files/score_file.h"
#include "files/tests/files_fixture.h"
#include "notes/accidentals/accidental.h"
#include "notes/rests/rest.h"
#include "objects/picture/picture_object.h"
#include "objects/text_box/text_box.h"

namespace ql {
namespace {

using testing_files::FilesTest;

constexpr uint8_t kStale = 0xA5;
constexpr int kStaves = 2;
constexpr int kMeasures = 2;

// Fills the slots no record has taken yet in every block of the document's pools.
void FillFreshSlots(ScoreDocument* doc) {
    for (int pool = 2; pool < kDocumentPoolCount; ++pool) {
        RecordPool& descriptor = doc->pools.pools[pool];
        for (int block = 0; block < descriptor.blockCount; ++block) {
            PoolBlock& entry = descriptor.blocks[block];
            if (!entry.base || entry.nextFresh >= entry.capacity) continue;
            size_t slot = size_t{1} << descriptor.shift;
            std::memset(entry.base.get() + entry.nextFresh * slot, kStale,
                        (entry.capacity - entry.nextFresh) * slot);
        }
    }
}

// Every stored type, with texts, data and fields that are easy to get wrong.
void FillCell(ScoreDocument* doc, MeasureCell* cell) {
    ScoreObject* list = GetOrCreateCellObjectList(cell);
    for (uint8_t type : {4,  6,  7,  8,  9,  10, 14, 15, 18, 21, 22, 24,
                         25, 26, 33, 38, 39, 46, 47, 48, 49, 51, 52, 53}) {
        ScoreObject* object = ConstructObject(type);
        ASSERT_NE(object, nullptr) << int(type);
        if (type == 18 || type == 39 || type == 48) {
            ASSERT_GE(SetTextObjectString(AsTextObject(object), "text with a string"), 0);
            AsTextObject(object)->body.flags |= kTextOwnsString;
        }
        if (type == 6) {
            ASSERT_TRUE(SetTextBoxText(&AsTextBox(object)->body, "box", 3));
        }
        if (type == 53) AsPicture(object)->data = PushDocumentRecord(doc, {9, 8, 7, 6, 5});
        if (type == 25) {
            MidiAction* action = MidiActionOfText(object);
            SetMidiActionKind(action, kMidiKindData, 0);
            const uint8_t data[] = {0xF0, 1, 2, 0xF7};
            ASSERT_GE(SetMidiActionData(action, data, sizeof data), 0);
            action->head.data.length = sizeof data;
        }
        object->subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);  // as its list says
        InsertObjectAfter(list, object);
    }
}

void FillVoices(ScoreView* view, MeasureCell* cell) {
    EventRecord* first = AddEventToVoice(view, cell, 0, 0, 9, 2);
    EventRecord* second = AddEventToVoice(view, cell, 0, 512, 9, 4);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    first->flags = static_cast<uint16_t>(first->flags | (1 << 1));  // a sharp
    ScoreObject* accidental = NewAccidentalForNote(view, first);
    ASSERT_NE(accidental, nullptr);
    ApplyAccidentalWord(accidental, AccidentalWord{-120, false, true});
    for (uint8_t type : {5, 18, 51}) {
        ScoreObject* attached = ConstructObject(type);
        attached->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
        ASSERT_EQ(AttachObjectToNote(view, first, attached), 1);
    }
    first->beamNext = HandleOfEvent(second);
    second->beamPrev = HandleOfEvent(first);
    ScoreObject* rest = ConstructObject(TypeCode(ObjectType::Rest));
    ASSERT_NE(rest, nullptr);
    *RestBodyOf(rest) = RestBody{1024, 1, 10, 0, -4, 0, 0, 0, 1};
    ASSERT_TRUE(InsertIntoVoiceList(GetOrCreateVoiceElementList(cell, 1), rest));
}

void BuildScore(ScoreDocument* doc, ScoreView* view) {
    ScopedPoolSet pools(doc->pools);
    FillFreshSlots(doc);
    doc->header.staffCount = kStaves;
    doc->header.measureCount = kMeasures;
    for (int s = 0; s <= kStaves; ++s) {
        StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view);
        ASSERT_NE(staff, nullptr);
        doc->staves->staves[s] = Ref32<StaffRecord>::To(staff);
    }
    ScoreObject* label = ConstructObject(TypeCode(ObjectType::Label));
    ASSERT_TRUE(SetTextBoxText(&AsTextBox(label)->body, "Flute", 5));
    InsertObjectAfter(StaffRecordOf(doc, 1)->objects.get(), label);
    auto* entry = AllocRecordAs<SpacingEntry>(kSpacingEntryPool);
    *entry = SpacingEntry{0, 0, 4096, 0x0100};
    doc->measureTable[1].spacing = PtrToHandle(kSpacingEntryPool, entry);
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc, 1), doc, 1);
    view->currentCell = cell;
    FillCell(doc, cell);
    FillVoices(view, cell);
    ScoreObject* pageGuide = ConstructObject(TypeCode(ObjectType::Guide));
    InsertObjectAfter(doc->firstPage->margins.get(), pageGuide);
}

void Put(ByteWriter& writer) {
    ASSERT_EQ(WriteScoreBytes(writer.Data(), static_cast<uint32_t>(writer.Size())), 1);
    writer.Clear();
}

void WriteList(ScoreDocument* doc, ScoreObject* first, ObjectListMode mode, ByteWriter& writer) {
    writer.U16(static_cast<uint16_t>(CountStoredObjects(first)));
    Put(writer);
    ASSERT_EQ(WriteScoreObjectList(doc, first, mode), 0);
}

void WriteVoice(ScoreDocument* doc, MeasureCell* cell, int voice, ByteWriter& writer) {
    std::vector<EventRecord*> events;
    for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e))
        events.push_back(e);
    auto position = [&](RecordHandle handle) -> uint16_t {
        for (size_t i = 0; i < events.size(); ++i)
            if (HandleOfEvent(events[i]) == handle) return static_cast<uint16_t>(i + 1);
        return 0;
    };
    writer.U16(static_cast<uint16_t>(events.size()));
    for (EventRecord* e : events) {
        ScoreObject* head = GetEventAttachment(e);
        ScoreObject* attached = head != nullptr ? head->next.get() : nullptr;
        StoredEventLinks links{static_cast<uint16_t>(CountStoredObjects(attached)),
                               position(e->beamPrev), position(e->beamNext)};
        EncodeStoredEvent(*e, links, writer);
        if (AccidentalCodeOf(*e) != 0) writer.U16(EncodeAccidentalWord(AccidentalWordOf(head)));
        Put(writer);
        ASSERT_EQ(WriteScoreObjectList(doc, attached, ObjectListMode::NoteAttachment), 0);
    }
    writer.U16(CountVoiceRests(cell, voice));
    EncodeVoiceRests(cell, voice, writer);
}

void WritePages(ScoreDocument* doc, ByteWriter& writer) {
    writer.Tag("PAGE");
    writer.U16(doc->header.pageCount);
    for (ScorePage* page = doc->leftMaster; page != nullptr; page = page->next.get()) {
        EncodePageRecord(*page, writer);
        if (page->pageNumber >= 0)
            for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get()) {
                EncodeSystemRecord(*s, kStaves, writer);
                EncodeSystemOffsets(*s, kStaves, writer);
                EncodeSystemFlags(*s, kStaves, writer);
            }
        WriteList(doc, page->margins.get(), ObjectListMode::Page, writer);
    }
}

// Every record of the format, in the order of the stream.
std::vector<uint8_t> Save(ScoreDocument* doc, ScoreView* view) {
    ScopedPoolSet pools(doc->pools);
    CreateScoreImageForWrite();
    ByteWriter w;
    EncodeScorePrologue(w);
    EncodeScoreFileHeader(doc->header, w);
    EncodeFaceNameTable(doc->faceNames, w);
    ScoreSystem* system = doc->firstPage->firstSystem.get();
    EncodeSystemRecord(*system, kStaves, w);
    EncodeSystemOffsets(*system, kStaves, w);
    EncodeSystemFlags(*system, kStaves, w);
    for (int s = 1; s <= kStaves; ++s) EncodeStaffRecord(*StaffRecordOf(doc, s), w);
    for (int s = 1; s <= kStaves; ++s)
        EncodeStaffLabel(GetStaffLabelObject(StaffRecordOf(doc, s)), w);
    w.Tag("STIK");
    for (int m = 1; m <= kMeasures + 1; ++m) EncodeMeasureWithSpacing(doc->measureTable[m], w);
    w.Tag("MUSE");
    for (int s = 1; s <= kStaves; ++s)
        for (int m = 1; m <= kMeasures; ++m) {
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc, s), doc, m);
            EncodeCellHeader(*cell, w);
            ScoreObject* head = cell->objects.get();
            WriteList(doc, head != nullptr ? head->next.get() : nullptr,
                      ObjectListMode::MeasureCell, w);
            for (int voice = 0; voice < 4; ++voice) WriteVoice(doc, cell, voice, w);
        }
    WritePages(doc, w);
    EncodeFontSection(doc->fonts, w);
    EncodeCharsetSection(doc->fonts, w);
    Put(w);
    (void)view;
    CloseScoreFile();
    return TakeScoreImage();
}

class SameBytes : public FilesTest {
  protected:
    void TearDown() override {
        if (view2_ != nullptr) FreeView(view2_);
        if (doc2_ != nullptr) FreeDocument(doc2_);
        FilesTest::TearDown();
    }
    ScoreView* view2_ = nullptr;
    ScoreDocument* doc2_ = nullptr;
};

TEST_F(SameBytes, TwoDocumentsOfOneScoreGiveTheSameBytes) {
    SetScratchFillForTests(kStale);
    BuildScore(doc_, view_);
    std::vector<uint8_t> first = Save(doc_, view_);
    std::vector<uint8_t> again = Save(doc_, view_);
    EXPECT_EQ(first, again) << "one document saved twice";
    view2_ = InitView(AllocView());
    doc2_ = AllocDocument();
    ASSERT_EQ(CreateDocument(doc2_, view2_, nullptr), doc2_);
    {
        // Records taken first put the second score's records at other places.
        ScopedPoolSet pools(doc2_->pools);
        for (int pool : {2, 3, 4, 5, 6, 7, 8, 9})
            for (int i = 0; i < 5; ++i) ASSERT_NE(AllocRecord(pool), nullptr);
    }
    BuildScore(doc2_, view2_);
    std::vector<uint8_t> second = Save(doc2_, view2_);
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i)
        ASSERT_EQ(first[i], second[i]) << "the saves differ at byte " << i;
    EXPECT_GT(first.size(), 1000u);
}

}  // namespace
}  // namespace ql
