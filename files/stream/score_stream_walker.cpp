// The stream walk (see score_stream_walker.h). Fixed records are fetched whole and
// decoded with the record decoders; object lists go through the object-record reader
// with the sink's list; counts are checked against the bytes left before any loop.
#include "files/stream/score_stream_walker.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/event_record.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "files/bytes/byte_reader.h"
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
constexpr size_t kSystemRecordBytes = 16;
constexpr size_t kStoredPageBytes = 16;
constexpr size_t kStoredStaffBytes = 40;
constexpr size_t kCellHeaderBytes = 8;
constexpr size_t kFaceNameBytes = 34;
constexpr size_t kSlotNumberBytes = 2;
constexpr size_t kTagBytes = 4;

class StreamIn {
  public:
    StreamIn(ScoreView* view, ScoreStreamSink& sink) : view_(view), sink_(sink) {}

    int Run();

  private:
    // Exactly `count` bytes into the buffer, or false.
    bool Fetch(size_t count) {
        if (count > ScoreBytesLeft()) return false;
        buffer_.resize(count);
        return ReadScoreBytes(buffer_.data(), static_cast<uint32_t>(count)) != 0;
    }
    ByteReader Bytes() const { return ByteReader(buffer_.data(), buffer_.size()); }
    // A signed count; false on a short read or a negative value.
    bool Count(int* out) {
        if (!Fetch(2)) return false;
        *out = static_cast<int16_t>(LoadLe16(buffer_.data()));
        return *out >= 0;
    }
    int Tag(const char* tag, int readCode, int mismatchCode);
    int Objects(int count, int code);
    int Prologue();
    int StaffSection();
    int SystemArrays(int recordCode, int offsetsCode, int flagsCode);
    int MeasureTable();
    int Music();
    int Voice(int voice);
    int Pages();
    int Fonts();

    ScoreView* view_;
    ScoreStreamSink& sink_;
    std::vector<uint8_t> buffer_;
    int staves_ = 0;
    int measures_ = 0;
};

int StreamIn::Tag(const char* tag, int readCode, int mismatchCode) {
    if (!Fetch(kTagBytes)) return readCode;
    for (size_t i = 0; i < kTagBytes; ++i)
        if (std::toupper(buffer_[i]) != tag[i]) return mismatchCode;
    return 0;
}

int StreamIn::Objects(int count, int code) {
    if (count == 0) return 0;
    int result = ReadScoreObject(view_, sink_.ObjectTail(), count);
    if (result == item_code::kTextBoxVariantLength) return fc::kCellObjectsVariant;
    return result != 0 ? code : 0;
}

// Magic, the two-byte version field of the current version, the header.
int StreamIn::Prologue() {
    if (!Fetch(kScoreFileMagicBytes + 2)) return fc::kHeader;
    if (std::memcmp(buffer_.data(), kScoreFileMagic, kScoreFileMagicBytes) != 0) return fc::kHeader;
    uint8_t mark = buffer_[kScoreFileMagicBytes];
    uint8_t version = buffer_[kScoreFileMagicBytes + 1];
    // Older layouts need the reader's conversions; this walk knows the current one.
    if (mark != kTwoByteVersionMark || version != kCurrentFileVersion) return fc::kHeader;
    State().files.FileVersion = version;
    State().files.VersionFieldWidth = 2;
    if (!Fetch(kScoreFileHeaderBytes)) return fc::kHeader;
    ScoreHeader header{};
    if (!DecodeScoreFileHeader(buffer_.data(), buffer_.size(), &header)) return fc::kHeader;
    if (header.staffCount > kMaxStaves) return fc::kTooManyStaves;
    staves_ = header.staffCount;
    measures_ = header.measureCount;
    if (measures_ + 1 >= MaxMeasures) return fc::kMeasureRecord;
    return sink_.Header(header, version);
}

int StreamIn::SystemArrays(int recordCode, int offsetsCode, int flagsCode) {
    if (!Fetch(kSystemRecordBytes)) return recordCode;
    ScoreSystem system{};
    ByteReader record = Bytes();
    DecodeSystemRecord(record, &system);
    if (!Fetch(2 * static_cast<size_t>(staves_))) return offsetsCode;
    if (!Fetch(static_cast<size_t>(staves_))) return flagsCode;
    return sink_.System(system);
}

int StreamIn::StaffSection() {
    int ports = 0;
    if (!Count(&ports)) return fc::kPortCount;
    if (!Fetch(kFaceNameBytes * static_cast<size_t>(ports))) return fc::kPortEntries;
    if (int code = SystemArrays(fc::kSystemRecord, fc::kSystemOffsets, fc::kSystemFlags)) return code;
    if (!Fetch(kStoredStaffBytes * static_cast<size_t>(staves_))) return fc::kStaffRecords;
    for (int s = 1; s <= staves_; ++s) {
        LabelRead label = ReadStaffLabel(kCurrentFileVersion);
        if (label.endsStaffSection) return fc::kLabelLength;
        if (label.code != 0) return label.code;
        if (int code = sink_.Label(s, label.label)) return code;
    }
    return 0;
}

int StreamIn::MeasureTable() {
    if (int code = Tag("STIK", fc::kMeasureTag, fc::kMeasureTagMismatch)) return code;
    for (int m = 1; m <= measures_ + 1; ++m) {
        if (!Fetch(kStoredMeasureBytes)) return fc::kMeasureRecord;
        MeasureRecord record{};
        ByteReader in = Bytes();
        int entries = DecodeMeasureRecord(in, &record);
        if (!Fetch(kStoredSpacingBytes * static_cast<size_t>(entries))) return fc::kSpacingEntry;
        if (int code = sink_.Measure(m, record)) return code;
    }
    return 0;
}

int StreamIn::Voice(int voice) {
    int events = 0;
    if (!Count(&events)) return fc::kEventCount;
    for (int e = 0; e < events; ++e) {
        if (!Fetch(kStoredEventBytesInFile)) return fc::kEvent;
        EventRecord event{};
        ByteReader in = Bytes();
        StoredEventLinks links = DecodeStoredEvent(in, &event);
        if (AccidentalCodeOf(event) != 0 && !Fetch(2)) return fc::kAccidentalWord;
        if (int code = sink_.Event(voice, event)) return code;
        State().files.AttachedObjectTime = event.time;
        if (int code = Objects(links.attachments, fc::kSkipToPagesAfterEvent)) return code;
    }
    int rests = 0;
    if (!Count(&rests)) return fc::kRestCount;
    if (!Fetch(kStoredRestBytes * static_cast<size_t>(rests))) return fc::kRestBlocks;
    return 0;
}

int StreamIn::Music() {
    if (int code = Tag("MUSE", fc::kMusicTag, fc::kMusicTagMismatch)) return code;
    for (int s = 1; s <= staves_; ++s)
        for (int m = 1; m <= measures_; ++m) {
            if (!Fetch(kCellHeaderBytes)) return fc::kCellHeader;
            MeasureCell cell{};
            ByteReader in = Bytes();
            DecodeCellHeader(in, &cell);
            if (int code = sink_.Cell(s, m, cell)) return code;
            int objects = 0;
            if (!Count(&objects)) return fc::kCellObjectCount;
            if (int code = Objects(objects, fc::kSkipToPagesAfterCell)) return code;
            for (int voice = 0; voice < kVoiceCount; ++voice)
                if (int code = Voice(voice)) return code;
        }
    return 0;
}

// Entries 1 and 2 are the master pages (no systems), then the P pages.
int StreamIn::Pages() {
    if (int code = Tag("PAGE", fc::kPageTag, fc::kPageTagMismatch)) return code;
    int pages = 0;
    if (!Count(&pages)) return fc::kPageCount;
    for (int index = 0; index < pages + 2; ++index) {
        if (!Fetch(kStoredPageBytes)) return fc::kPageRecord;
        ScorePage page{};
        ByteReader in = Bytes();
        DecodePageRecord(in, &page);
        auto systems = static_cast<int8_t>(buffer_[12]);
        if (systems < 0) return fc::kPageRecord;
        if (int code = sink_.Page(index, page)) return code;
        for (int s = 0; index >= 2 && s < systems; ++s)
            if (int code = SystemArrays(fc::kPageSystemRecord, fc::kPageSystemOffsets, fc::kPageSystemFlags))
                return code;
        int objects = 0;
        if (!Count(&objects)) return fc::kPageObjectCount;
        if (int code = Objects(objects, fc::kPageObjects)) return code;
    }
    return 0;
}

int StreamIn::Fonts() {
    if (int code = Tag("FONT", fc::kFontTag, fc::kFontTag)) return code;
    int fonts = 0;
    if (!Count(&fonts)) return fc::kFontCount;
    if (!Fetch((kSlotNumberBytes + kStoredFontBytes) * static_cast<size_t>(fonts))) return fc::kFontCount;
    if (int code = Tag("QFCS", fc::kCharsetCount, fc::kCharsetCount)) return code;
    int charsets = 0;
    if (!Count(&charsets)) return fc::kCharsetCount;
    if (charsets > kScoreFontCount) return fc::kCharsetCountTooLarge;
    return Fetch(static_cast<size_t>(charsets)) ? 0 : fc::kCharsetCount;
}

int StreamIn::Run() {
    if (int code = Prologue()) return code;
    if (int code = StaffSection()) return code;
    if (int code = MeasureTable()) return code;
    if (int code = Music()) return code;
    if (int code = Pages()) return code;
    return Fonts();
}

// Puts the reader's version state back on every path.
class SavedVersionState {
  public:
    SavedVersionState() : saved_(State().files) {}
    ~SavedVersionState() {
        FileFlags& files = State().files;
        files.FileVersion = saved_.FileVersion;
        files.VersionFieldWidth = saved_.VersionFieldWidth;
        files.AttachedObjectTime = saved_.AttachedObjectTime;
        files.QuietRead = saved_.QuietRead;
    }
    SavedVersionState(const SavedVersionState&) = delete;
    SavedVersionState& operator=(const SavedVersionState&) = delete;

  private:
    FileFlags saved_;
};

}  // namespace

int DiscardingStreamSink::Label(int staff, ScoreObject* label) {
    (void)staff;
    if (label != nullptr) ReleaseObjectByType(document_, label);
    return 0;
}

int WalkScoreStream(ScoreView* view, ScoreStreamSink& sink) {
    if (view == nullptr || view->document == nullptr) return fc::kHeader;
    ScopedPoolSet pools(view->document->pools);
    StreamIn in(view, sink);
    return in.Run();
}

int VerifyScoreFile(ScoreDocument* document, ScoreView* view) {
    SavedVersionState saved;
    State().files.QuietRead = 1;
    DiscardingStreamSink sink(document);
    return WalkScoreStream(view, sink);
}

}  // namespace ql
