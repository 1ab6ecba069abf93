// The stream walk (see score_stream_walker.h). Fixed records are fetched whole and
// decoded with the record decoders; object lists go through the object-record reader
// with the sink's list; a count n of records of s bytes is refused unless n x s bytes
// are left, so no loop or table is ever sized by a number the file cannot back.
#include "files/stream/score_stream_walker.h"

#include <algorithm>
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
constexpr size_t kSystemRecordBytes = 16;
constexpr size_t kStoredPageBytes = 16;
constexpr size_t kStoredStaffBytes = 40;
constexpr size_t kCellHeaderBytes = 8;
constexpr size_t kSlotNumberBytes = 2;
constexpr size_t kTagBytes = 4;
constexpr size_t kCountBytes = 2;
constexpr size_t kAccidentalWordBytes = 2;
// The least an object record takes (its two-byte header).
constexpr size_t kLeastObjectBytes = 2;
constexpr size_t kPageSystemCountAt = 12;

class StreamIn {
  public:
    StreamIn(ScoreView* view, ScoreStreamSink& sink) : view_(view), sink_(sink) {}

    int Run();

  private:
    // Exactly `count` bytes into the buffer, or false.
    bool Fetch(size_t count) {
        if (count > ScoreBytesLeft()) return false;
        buffer_.resize(count);
        return count == 0 || ReadScoreBytes(buffer_.data(), static_cast<uint32_t>(count)) != 0;
    }
    ByteReader Bytes() const { return ByteReader(buffer_.data(), buffer_.size()); }
    // A signed count; false on a short read or a negative value.
    bool Count(int* out) {
        if (!Fetch(kCountBytes)) return false;
        *out = static_cast<int16_t>(LoadLe16(buffer_.data()));
        return *out >= 0;
    }
    // A count of records of `size` bytes each that the bytes left can hold.
    bool BoundedCount(int* out, size_t size) {
        return Count(out) && static_cast<uint64_t>(*out) * size <= ScoreBytesLeft();
    }
    bool SkipPast(const char* tag);
    int Tag(const char* tag, int readCode, int mismatchCode);
    int Objects(int count, int code);
    int MusicObjects(int count, int code);
    int Prologue();
    int FaceNames();
    int StaffSection();
    int Labels();
    int ReadSystem(StreamSystem* system, const int (&codes)[3]);
    int MeasureTable();
    int Music();
    int Voice(int voice);
    int Event(int voice);
    int Pages();
    int Page(int index);
    int Fonts();
    int Charsets();

    ScoreView* view_;
    ScoreStreamSink& sink_;
    std::vector<uint8_t> buffer_;
    int staves_ = 0;
    int measures_ = 0;
    bool musicLost_ = false;
};

int StreamIn::Tag(const char* tag, int readCode, int mismatchCode) {
    if (!Fetch(kTagBytes)) return readCode;
    for (size_t i = 0; i < kTagBytes; ++i)
        if (std::toupper(buffer_[i]) != tag[i]) return mismatchCode;
    return 0;
}

// Reads on until the four letters of `tag` have been read, exactly; after a
// mismatch the match restarts at the tag's first letter. False at the end of file.
bool StreamIn::SkipPast(const char* tag) {
    size_t matched = 0;
    uint8_t byte = 0;
    while (matched < kTagBytes) {
        if (ReadScoreBytes(&byte, 1) == 0) return false;
        if (byte == static_cast<uint8_t>(tag[matched]))
            ++matched;
        else
            matched = byte == static_cast<uint8_t>(tag[0]) ? 1 : 0;
    }
    return true;
}

int StreamIn::Objects(int count, int code) {
    if (count == 0) return 0;
    int result = ReadScoreObject(view_, sink_.ObjectTail(), count);
    if (result == item_code::kTextBoxVariantLength) return fc::kCellObjectsVariant;
    return result != 0 ? code : 0;
}

// A cell's or an event's list: a failure other than the variant length loses the
// rest of the music when the sink accepts the recovery; the walk goes on at "PAGE".
int StreamIn::MusicObjects(int count, int code) {
    const bool fits = static_cast<uint64_t>(count) * kLeastObjectBytes <= ScoreBytesLeft();
    int result = fits ? Objects(count, code) : code;
    if (result == 0 || result == fc::kCellObjectsVariant) return result;
    if (int refused = sink_.Recover(StreamRecovery::MusicLost, code)) return refused;
    if (!SkipPast("PAGE")) return code;
    musicLost_ = true;
    return 0;
}

// Magic, the two-byte version field of the current version, the header.
int StreamIn::Prologue() {
    if (!Fetch(kScoreFileMagicBytes + 2)) {
        sink_.RefusedPrologue(PrologueFault::ShortRead);
        return fc::kHeader;
    }
    if (std::memcmp(buffer_.data(), kScoreFileMagic, kScoreFileMagicBytes) != 0) {
        sink_.RefusedPrologue(PrologueFault::NotScoreFile);
        return fc::kHeader;
    }
    uint8_t mark = buffer_[kScoreFileMagicBytes];
    uint8_t version = buffer_[kScoreFileMagicBytes + 1];
    // Older layouts need the reader's conversions; this walk knows the current one.
    if (mark != kTwoByteVersionMark || version != kCurrentFileVersion) {
        sink_.RefusedPrologue(PrologueFault::OtherVersion);
        return fc::kHeader;
    }
    State().files.FileVersion = version;
    State().files.VersionFieldWidth = 2;
    if (!Fetch(kScoreFileHeaderBytes)) return fc::kHeader;
    ScoreHeader header{};
    if (!DecodeScoreFileHeader(buffer_.data(), buffer_.size(), &header)) return fc::kHeader;
    if (header.staffCount > kMaxStaves) return fc::kTooManyStaves;
    staves_ = header.staffCount;
    measures_ = header.measureCount;
    if (measures_ < 1 || measures_ > kMaxStoredMeasures) return fc::kHeader;
    return sink_.Header(header, version);
}

// Entries beyond the table are read and dropped so the stream stays in step.
int StreamIn::FaceNames() {
    int count = 0;
    if (!BoundedCount(&count, kFaceNameEntryBytes)) return fc::kPortCount;
    if (!Fetch(kFaceNameEntryBytes * static_cast<size_t>(count))) return fc::kPortEntries;
    std::vector<FaceNameEntry> entries;
    for (int i = 0; i < std::min(count, kFaceNameCount); ++i)
        entries.push_back(DecodeFaceNameEntry(buffer_.data() + kFaceNameEntryBytes * static_cast<size_t>(i)));
    return sink_.FaceNames(entries, count > kFaceNameCount);
}

int StreamIn::ReadSystem(StreamSystem* system, const int (&codes)[3]) {
    if (!Fetch(kSystemRecordBytes)) return codes[0];
    ByteReader record = Bytes();
    DecodeSystemRecord(record, &system->record);
    if (!Fetch(2 * static_cast<size_t>(staves_))) return codes[1];
    ByteReader offsets = Bytes();
    system->offsets.resize(static_cast<size_t>(staves_));
    for (uint16_t& offset : system->offsets) offset = offsets.U16();
    if (!Fetch(static_cast<size_t>(staves_))) return codes[2];
    system->flags.assign(buffer_.begin(), buffer_.end());
    return 0;
}

int StreamIn::StaffSection() {
    if (int code = FaceNames()) return code;
    StreamSystem galley;
    if (int code = ReadSystem(&galley, {fc::kSystemRecord, fc::kSystemOffsets, fc::kSystemFlags})) return code;
    if (int code = sink_.GalleySystem(galley)) return code;
    if (!Fetch(kStoredStaffBytes * static_cast<size_t>(staves_))) return fc::kStaffRecords;
    std::vector<uint8_t> records = buffer_;
    for (int s = 1; s <= staves_; ++s)
        if (int code = sink_.Staff(s, records.data() + kStoredStaffBytes * static_cast<size_t>(s - 1)))
            return code;
    return Labels();
}

// A negative label length ends the staff section: the labels of the staves left are
// lost and the walk goes on after the next "STIK".
int StreamIn::Labels() {
    for (int s = 1; s <= staves_; ++s) {
        LabelRead label = ReadStaffLabel(kCurrentFileVersion);
        if (label.endsStaffSection) {
            if (int refused = sink_.Recover(StreamRecovery::LabelsLost, fc::kLabelLength)) return refused;
            return SkipPast("STIK") ? 0 : fc::kSkipToMeasures;
        }
        if (label.code != 0) return label.code;
        if (int code = sink_.Label(s, label.label)) return code;
    }
    return Tag("STIK", fc::kMeasureTag, fc::kMeasureTagMismatch);
}

int StreamIn::MeasureTable() {
    for (int m = 1; m <= measures_ + 1; ++m) {
        if (!Fetch(kStoredMeasureBytes)) return fc::kMeasureRecord;
        MeasureRecord record{};
        ByteReader in = Bytes();
        int entries = DecodeMeasureRecord(in, &record);
        if (!Fetch(kStoredSpacingBytes * static_cast<size_t>(entries))) return fc::kSpacingEntry;
        std::vector<SpacingEntry> spacing(static_cast<size_t>(entries));
        ByteReader list = Bytes();
        for (SpacingEntry& entry : spacing) entry = DecodeSpacingEntry(list);
        if (int code = sink_.Measure(m, record, spacing)) return code;
    }
    return 0;
}

int StreamIn::Event(int voice) {
    if (!Fetch(kStoredEventBytesInFile)) return fc::kEvent;
    EventRecord event{};
    ByteReader in = Bytes();
    StoredEventLinks links = DecodeStoredEvent(in, &event);
    AccidentalWord word;
    const bool hasWord = AccidentalCodeOf(event) != 0;
    if (hasWord) {
        if (!Fetch(kAccidentalWordBytes)) return fc::kAccidentalWord;
        word = DecodeAccidentalWord(LoadLe16(buffer_.data()));
    }
    if (int code = sink_.Event(voice, event, links, hasWord ? &word : nullptr)) return code;
    State().files.AttachedObjectTime = event.time;
    return MusicObjects(links.attachments, fc::kSkipToPagesAfterEvent);
}

int StreamIn::Voice(int voice) {
    int events = 0;
    if (!BoundedCount(&events, kStoredEventBytesInFile)) return fc::kEventCount;
    if (int code = sink_.VoiceStart(voice, events)) return code;
    for (int e = 0; e < events && !musicLost_; ++e)
        if (int code = Event(voice)) return code;
    if (musicLost_) return 0;
    int rests = 0;
    if (!BoundedCount(&rests, kStoredRestBytes)) return fc::kRestCount;
    if (!Fetch(kStoredRestBytes * static_cast<size_t>(rests))) return fc::kRestBlocks;
    std::vector<RestBody> blocks(static_cast<size_t>(rests));
    ByteReader in = Bytes();
    for (RestBody& block : blocks) block = DecodeRestBlock(in);
    return sink_.Rests(voice, blocks);
}

// The cells, staff by staff; a recovery ends the section (the walk is then past "PAGE").
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
            if (!BoundedCount(&objects, kLeastObjectBytes)) return fc::kCellObjectCount;
            if (int code = MusicObjects(objects, fc::kSkipToPagesAfterCell)) return code;
            for (int voice = 0; voice < kVoiceCount && !musicLost_; ++voice)
                if (int code = Voice(voice)) return code;
            if (musicLost_) return 0;
        }
    return Tag("PAGE", fc::kPageTag, fc::kPageTagMismatch);
}

int StreamIn::Page(int index) {
    if (!Fetch(kStoredPageBytes)) return fc::kPageRecord;
    ScorePage page{};
    ByteReader in = Bytes();
    DecodePageRecord(in, &page);
    auto systems = static_cast<int8_t>(buffer_[kPageSystemCountAt]);
    if (systems < 0) return fc::kPageRecord;
    if (int code = sink_.Page(index, page)) return code;
    const int codes[3] = {fc::kPageSystemRecord, fc::kPageSystemOffsets, fc::kPageSystemFlags};
    for (int s = 0; index >= 2 && s < systems; ++s) {
        StreamSystem system;
        if (int code = ReadSystem(&system, codes)) return code;
        if (int code = sink_.System(system)) return code;
    }
    int objects = 0;
    if (!BoundedCount(&objects, kLeastObjectBytes)) return fc::kPageObjectCount;
    if (int code = Objects(objects, fc::kPageObjects)) return code;
    return sink_.PageDone(index);
}

// Entries 1 and 2 are the master pages (no systems), then the P pages.
int StreamIn::Pages() {
    int pages = 0;
    if (!BoundedCount(&pages, kStoredPageBytes)) return fc::kPageCount;
    for (int index = 0; index < pages + 2; ++index)
        if (int code = Page(index)) return code;
    return 0;
}

// A file whose next tag is not "FONT" has no font sections; a short read among the
// slots ends them without error.
int StreamIn::Fonts() {
    if (!Fetch(kTagBytes)) return fc::kFontTag;
    for (size_t i = 0; i < kTagBytes; ++i)
        if (std::toupper(buffer_[i]) != "FONT"[i]) return 0;
    int fonts = 0;
    if (!Count(&fonts)) return fc::kFontCount;
    for (int f = 0; f < fonts; ++f) {
        if (!Fetch(kSlotNumberBytes + kStoredFontBytes)) return 0;
        int slot = static_cast<int16_t>(LoadLe16(buffer_.data()));
        QuickFontRecord font{};
        ByteReader in(buffer_.data() + kSlotNumberBytes, kStoredFontBytes);
        DecodeFontRecord(in, &font);
        if (int code = sink_.Font(slot, font)) return code;
    }
    return Charsets();
}

// "QFCS": a missing tag ends the walk; the count may not pass the 24 slots; the
// bytes the file still holds are taken.
int StreamIn::Charsets() {
    if (!Fetch(kTagBytes)) return 0;
    int charsets = 0;
    if (!Count(&charsets)) return fc::kCharsetCount;
    if (charsets > kScoreFontCount) return fc::kCharsetCountTooLarge;
    size_t available = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(charsets), ScoreBytesLeft()));
    if (!Fetch(available)) return 0;
    return sink_.Charsets(buffer_);
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
