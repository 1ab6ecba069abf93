// The stream writer: each item of the stream is encoded into a ByteWriter, or
// straight into the shared score file's buffer, and is one write of the file, so a
// failing write names the item's step.
#include "files/stream/score_stream_writer.h"
#include "files/stream/music_progress.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "files/bytes/byte_writer.h"
#include "files/bytes/score_file_handle.h"
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
#include "files/stream/stream_limits.h"

namespace ql {
namespace {

namespace fc = file_code;

constexpr int kVoiceCount = 4;
constexpr size_t kLabelLengthBytes = 2;
constexpr size_t kStoredLabelBytes = 26;

// The stream being written: one encoder buffer, emptied by every Put. Each item is
// one write of the shared score file; those that fit its buffer go in without a call.
class StreamOut {
  public:
    explicit StreamOut(ScoreDocument* document) : document_(document) {}
    ByteWriter& W() { return writer_; }
    ScoreDocument* Document() { return document_; }
    // The events of the voice being written (one list reused for every voice).
    std::vector<EventRecord*>& Events() { return events_; }
    // Writes what the buffer holds (from `from` on); 0, or `code` after the box.
    int Put(int code, size_t from = 0) {
        int result = PutBytes(code, writer_.Data() + from, writer_.Size() - from);
        writer_.Clear();
        return result;
    }
    // Writes a part of the buffer and keeps it.
    int PutPart(int code, size_t from, size_t count) { return PutBytes(code, writer_.Data() + from, count); }
    // Writes `count` bytes as one item; 0, or `code` after the box.
    int PutBytes(int code, const uint8_t* bytes, size_t count) {
        if (count == 0) return 0;
        if (uint8_t* room = file_.WriteRoom(count)) {
            std::memcpy(room, bytes, count);
            Committed(count);
            return 0;
        }
        return WriteScoreBytes(bytes, static_cast<uint32_t>(count)) ? 0 : code;
    }
    // Writes an item of `N` bytes that `encode` puts at the address it is given,
    // straight into the file's buffer where it can; 0, or `code` after the box.
    template <size_t N, class Encode>
    int PutEncoded(int code, Encode encode) {
        if (uint8_t* room = file_.WriteRoom(N)) {
            encode(room);
            Committed(N);
            return 0;
        }
        uint8_t bytes[N];
        encode(bytes);
        return WriteScoreBytes(bytes, N) ? 0 : code;
    }
    int Words(int code, uint16_t value) {
        return PutEncoded<2>(code, [value](uint8_t* at) { StoreLe16(at, value); });
    }
    int Tag(int code, const char (&tag)[5]) {
        writer_.Tag(tag);
        return Put(code);
    }
    // An object list: its stored count, then the records (one write each).
    int List(ScoreObject* first, ObjectListMode mode, int countCode, int listCode) {
        if (int code = Words(countCode, static_cast<uint16_t>(CountStoredObjects(first)))) return code;
        EncodeScoreObjectList(document_, first, mode, writer_);
        return Put(listCode);
    }

  private:
    void Committed(size_t count) {
        file_.Commit(count);
        files_.BytesMoved = static_cast<uint32_t>(count);
    }

    ScoreDocument* document_;
    ScoreFile& file_ = TheScoreFile();
    FileFlags& files_ = State().files;
    ByteWriter writer_;
    std::vector<EventRecord*> events_;
};

int SystemsInChain(const ScorePage* page) {
    int count = 0;
    for (const ScoreSystem* s = page->firstSystem.get(); s != nullptr && count <= kMaxSystemsWalked;
         s = s->next.get())
        ++count;
    return count;
}

// The pages from the first one on, in list order (a damaged circular list ends at
// the walk limit).
std::vector<ScorePage*> ListedPages(ScoreDocument* document) {
    std::vector<ScorePage*> pages;
    for (ScorePage* p = document->firstPage; p != nullptr && pages.size() < kMaxPagesWalked;
         p = p->next.get())
        pages.push_back(p);
    return pages;
}

// Header values decided before the header: page count, system counts, the stamp.
// False when a page holds more systems than its count byte can say.
bool PrepareHeader(ScoreDocument* document, const std::vector<ScorePage*>& pages) {
    ScoreHeader& header = document->header;
    header.pageCount = static_cast<uint16_t>(pages.size());
    header.scoreSettingE = kFormatStampFirst;
    header.scoreSettingF = kFormatStampSecond;
    std::vector<ScorePage*> all = {document->leftMaster, document->rightMaster};
    all.insert(all.end(), pages.begin(), pages.end());
    for (ScorePage* page : all) {
        if (page == nullptr) continue;
        int systems = SystemsInChain(page);
        if (systems > kMaxStoredSystemsPerPage) return false;
        page->systemCount = static_cast<uint16_t>(systems);
    }
    return true;
}

int WritePrologueAndHeader(StreamOut& out) {
    ByteWriter& w = out.W();
    w.Bytes(kScoreFileMagic, kScoreFileMagicBytes);
    if (int code = out.Put(fc::kWriteMagic)) return code;
    w.U8(kTwoByteVersionMark);
    if (int code = out.Put(fc::kWriteVersionFirst)) return code;
    w.U8(kCurrentFileVersion);
    if (int code = out.Put(fc::kWriteVersionSecond)) return code;
    EncodeScoreFileHeader(out.Document()->header, w);
    if (int code = out.Put(fc::kWriteHeader)) return code;
    const FaceNameEntry(&names)[kFaceNameCount] = out.Document()->faceNames;
    int count = StoredFaceNameCount(names);
    if (int code = out.Words(fc::kWritePortCount, static_cast<uint16_t>(count))) return code;
    for (int i = 0; i < count; ++i) EncodeFaceNameEntry(names[i], w);
    return out.Put(fc::kWritePortEntries);
}

int WriteSystem(StreamOut& out, const ScoreSystem& system, int staves, const int (&codes)[3]) {
    EncodeSystemRecord(system, staves, out.W());
    if (int code = out.Put(codes[0])) return code;
    EncodeSystemOffsets(system, staves, out.W());
    if (int code = out.Put(codes[1])) return code;
    EncodeSystemFlags(system, staves, out.W());
    return out.Put(codes[2]);
}

// One staff's label: its length, its record and its text, each its own write.
int WriteLabel(StreamOut& out, StaffRecord* staff) {
    ScoreObject* label = GetStaffLabelObject(staff);
    EncodeStaffLabel(label, out.W());
    if (label == nullptr) return out.Put(fc::kWriteNoLabel);
    size_t size = out.W().Size();
    size_t text = kLabelLengthBytes + kStoredLabelBytes;
    int code = out.PutPart(fc::kWriteLabelLength, 0, kLabelLengthBytes);
    if (code == 0) code = out.PutPart(fc::kWriteLabelRecord, kLabelLengthBytes, kStoredLabelBytes);
    if (code == 0 && size > text) code = out.PutPart(fc::kWriteLabelText, text, size - text);
    out.W().Clear();
    return code;
}

int WriteStaffSection(StreamOut& out, ScoreView* view, int staves) {
    ScoreSystem none{};
    const ScoreSystem* galley = view != nullptr && view->galleySystem != nullptr ? view->galleySystem : &none;
    const int codes[3] = {fc::kWriteGalleySystem, fc::kWriteGalleyOffsets, fc::kWriteGalleyFlags};
    if (int code = WriteSystem(out, *galley, staves, codes)) return code;
    ScoreDocument* document = out.Document();
    for (int s = 1; s <= staves; ++s) {
        StaffRecord* staff = StaffRecordOf(document, s);
        if (staff == nullptr) return fc::kScratchStaves;
        EncodeStaffRecord(*staff, out.W());
    }
    if (int code = out.Put(fc::kWriteStaffRecords)) return code;
    for (int s = 1; s <= staves; ++s)
        if (int code = WriteLabel(out, StaffRecordOf(document, s))) return code;
    return 0;
}

int WriteMeasureTable(StreamOut& out, int measures) {
    if (int code = out.Tag(fc::kWriteMeasureTag, "STIK")) return code;
    for (int m = 1; m <= measures + 1; ++m) {
        EncodeMeasureWithSpacing(out.Document()->measureTable[m], out.W());
        if (int code = out.PutPart(fc::kWriteMeasureRecord, 0, kStoredMeasureBytes)) return code;
        if (int code = out.Put(fc::kWriteSpacingEntry, kStoredMeasureBytes)) return code;
    }
    return 0;
}

// The events of a voice in chain order (a looping chain ends at the walk limit),
// into `events`.
void CollectVoiceEvents(MeasureCell* cell, int voice, std::vector<EventRecord*>& events) {
    events.clear();
    for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr && events.size() < kMaxChainLength;
         e = NextEvent(e))
        events.push_back(e);
}

uint16_t PositionIn(const std::vector<EventRecord*>& events, RecordHandle partner) {
    if (!partner) return 0;
    EventRecord* target = ResolveEvent(partner);
    for (size_t i = 0; i < events.size(); ++i)
        if (events[i] == target) return static_cast<uint16_t>(i + 1);
    return 0;
}

int WriteEvent(StreamOut& out, const std::vector<EventRecord*>& events, EventRecord* e) {
    // Most events have nothing attached: no look-up and no count for them.
    ScoreObject* head = e->attachment ? GetEventAttachment(e) : nullptr;
    ScoreObject* attached = head != nullptr ? head->next.get() : nullptr;
    StoredEventLinks links{static_cast<uint16_t>(attached != nullptr ? CountStoredObjects(attached) : 0),
                           PositionIn(events, e->beamPrev), PositionIn(events, e->beamNext)};
    if (int code = out.PutEncoded<kStoredEventBytesInFile>(
            fc::kWriteEvent, [&](uint8_t* stored) { EncodeStoredEvent(*e, links, stored); }))
        return code;
    if (AccidentalCodeOf(*e) != 0)
        if (int code = out.Words(fc::kWriteAccidentalWord, EncodeAccidentalWord(AccidentalWordOf(head)))) return code;
    if (links.attachments == 0) return 0;
    EncodeScoreObjectList(out.Document(), attached, ObjectListMode::NoteAttachment, out.W());
    return out.Put(fc::kWriteAttachedObjects);
}

int WriteVoice(StreamOut& out, MeasureCell* cell, int voice) {
    std::vector<EventRecord*>& events = out.Events();
    CollectVoiceEvents(cell, voice, events);
    if (int code = out.Words(fc::kWriteEventCount, static_cast<uint16_t>(events.size()))) return code;
    for (EventRecord* e : events)
        if (int code = WriteEvent(out, events, e)) return code;
    if (int code = out.Words(fc::kWriteRestCount, CountVoiceRests(cell, voice))) return code;
    EncodeVoiceRests(cell, voice, out.W());
    return out.Put(fc::kWriteRestBlocks);
}

int WriteCell(StreamOut& out, MeasureCell* cell) {
    EncodeCellHeader(*cell, out.W());
    if (int code = out.Put(fc::kWriteCellHeader)) return code;
    ScoreObject* head = cell->objects.get();
    ScoreObject* first = head != nullptr ? head->next.get() : nullptr;
    if (int code = out.List(first, ObjectListMode::MeasureCell, fc::kWriteCellObjectCount,
                            fc::kWriteCellObjects))
        return code;
    for (int voice = 0; voice < kVoiceCount; ++voice)
        if (int code = WriteVoice(out, cell, voice)) return code;
    return 0;
}

int WriteMusic(StreamOut& out, int staves, int measures) {
    if (int code = out.Tag(fc::kWriteMusicTag, "MUSE")) return code;
    ScoreDocument* document = out.Document();
    for (int s = 1; s <= staves; ++s)
        for (int m = 1; m <= measures; ++m) {
            ShowMusicProgress(s, m);
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, s), document, m);
            if (cell == nullptr) return fc::kScratchCell;
            if (int code = WriteCell(out, cell)) return code;
        }
    return 0;
}

int WritePage(StreamOut& out, ScorePage* page, bool withSystems, int staves) {
    EncodePageRecord(*page, out.W());
    if (int code = out.Put(fc::kWritePageRecord)) return code;
    const int codes[3] = {fc::kWriteSystemRecord, fc::kWriteSystemOffsets, fc::kWriteSystemFlags};
    int walked = 0;
    if (withSystems)
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr && walked < page->systemCount;
             s = s->next.get(), ++walked)
            if (int code = WriteSystem(out, *s, staves, codes)) return code;
    return out.List(page->margins.get(), ObjectListMode::Page, fc::kWritePageObjectCount,
                    fc::kWritePageObjects);
}

// The two master pages (by position: no systems), then the pages.
int WritePages(StreamOut& out, const std::vector<ScorePage*>& pages, int staves) {
    if (int code = out.Tag(fc::kWritePageTag, "PAGE")) return code;
    if (int code = out.Words(fc::kWritePageCount, static_cast<uint16_t>(pages.size()))) return code;
    ScoreDocument* document = out.Document();
    for (ScorePage* master : {document->leftMaster, document->rightMaster}) {
        if (master == nullptr) return fc::kWritePageRecord;
        if (int code = WritePage(out, master, false, staves)) return code;
    }
    for (ScorePage* page : pages)
        if (int code = WritePage(out, page, true, staves)) return code;
    return 0;
}

int WriteFonts(StreamOut& out) {
    const QuickFontRecord(&fonts)[kScoreFontCount] = out.Document()->fonts;
    if (int code = out.Tag(fc::kWriteFontTag, "FONT")) return code;
    if (int code = out.Words(fc::kWriteFontCount, kListedFontSlotCount)) return code;
    for (int slot = kFirstListedFontSlot; slot <= kLastListedFontSlot; ++slot) {
        if (int code = out.Words(fc::kWriteFontSlot, static_cast<uint16_t>(slot))) return code;
        EncodeFontRecord(fonts[slot], out.W());
        if (int code = out.Put(fc::kWriteFontRecord)) return code;
    }
    if (int code = out.Tag(fc::kWriteCharsetTag, "QFCS")) return code;
    if (int code = out.Words(fc::kWriteCharsetCount, kCharsetCount)) return code;
    for (const QuickFontRecord& font : fonts) out.W().U8(font.charset);
    return out.Put(fc::kWriteCharsets);
}

}  // namespace

int WriteScoreStream(ScoreDocument* document, ScoreView* view) {
    if (document == nullptr || document->staves == nullptr || !document->measureTable)
        return fc::kScratchStaves;
    ScopedPoolSet pools(document->pools);
    int staves = document->header.staffCount;
    int measures = document->header.measureCount;
    if (staves > kMaxStaves) return fc::kScratchStaves;
    if (measures + 1 >= MaxMeasures) return fc::kWriteMeasureRecord;
    std::vector<ScorePage*> pages = ListedPages(document);
    if (!PrepareHeader(document, pages)) return fc::kWritePageRecord;
    StreamOut out(document);
    if (int code = WritePrologueAndHeader(out)) return code;
    if (int code = WriteStaffSection(out, view, staves)) return code;
    if (int code = WriteMeasureTable(out, measures)) return code;
    if (int code = WriteMusic(out, staves, measures)) return code;
    if (int code = WritePages(out, pages, staves)) return code;
    return WriteFonts(out);
}

}  // namespace ql
