// The stream walk (see score_stream_walker.h). Fixed records are fetched whole and
// decoded with the record decoders; object lists go through the object-record reader
// with the sink's list; a count n of records of s bytes is refused unless n x s bytes
// are left, so no loop or table is ever sized by a number the file cannot back.
#include "files/stream/score_stream_walker.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/event_record.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "files/bytes/byte_reader.h"
#include "files/bytes/score_file_handle.h"
#include "files/read/old_versions.h"
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

// What an older header takes from the program: the measure-number alignment bits of
// the page record and the note playback percent.
OldHeaderDefaults OldHeaderDefaultsNow() {
    const ScoreHeader& defaults = ProgramPreferences().header;
    return OldHeaderDefaults{defaults.pageGeometry.measureNumberAlign, defaults.notePlaybackPercent};
}

class StreamIn {
  public:
    StreamIn(ScoreView* view, ScoreStreamSink& sink, ScoreStreamObserver* observer)
        : view_(view), sink_(sink), observer_(observer) {}

    int Run();

  private:
    // Exactly `count` bytes, read as `field`, or false. They are looked at where the
    // byte layer holds them (bytes_, valid until the next read); Own copies them
    // into buffer_ for the conversions that rewrite them.
    bool Fetch(size_t count, StreamField field) {
        if (count > Left()) return false;
        const uint64_t from = observer_ != nullptr ? ScoreFilePosition() : 0;
        bytes_ = count == 0 ? nullptr : Borrow(count);
        size_ = bytes_ != nullptr ? count : 0;
        if (observer_ != nullptr) Report(from, field);
        return count == 0 || bytes_ != nullptr;
    }
    // The byte layer's BorrowScoreBytes and ScoreBytesLeft, on the handle itself.
    const uint8_t* Borrow(size_t count) {
        const uint8_t* bytes = file_.Borrow(count);
        files_.BytesMoved = file_.LastCount();
        return bytes;
    }
    uint64_t Left() const { return file_.Remaining(); }
    uint8_t* Own() {
        if (bytes_ == buffer_.data()) return buffer_.data();
        buffer_.assign(bytes_, bytes_ + size_);
        bytes_ = buffer_.data();
        return buffer_.data();
    }
    // Makes `bytes` the bytes fetched (a conversion's result).
    void Replace(std::vector<uint8_t> bytes) {
        buffer_ = std::move(bytes);
        bytes_ = buffer_.data();
        size_ = buffer_.size();
    }
    std::vector<uint8_t> Fetched() const { return std::vector<uint8_t>(bytes_, bytes_ + size_); }
    // Tells the observer of the bytes read since `from`, as `field`.
    void Report(uint64_t from, StreamField field) {
        if (observer_ == nullptr) return;
        const uint64_t to = ScoreFilePosition();
        if (to > from) observer_->Field(from, to - from, field);
    }
    ByteReader Bytes() const { return ByteReader(bytes_, size_); }
    // A signed count; false on a short read or a negative value.
    bool Count(int* out, StreamField field) {
        if (!Fetch(kCountBytes, field)) return false;
        *out = static_cast<int16_t>(LoadLe16(bytes_));
        return *out >= 0;
    }
    // A count of records of `size` bytes each that the bytes left can hold.
    bool BoundedCount(int* out, size_t size, StreamField field) {
        return Count(out, field) && static_cast<uint64_t>(*out) * size <= Left();
    }
    bool SkipPast(const char* tag);
    int Tag(const char* tag, int readCode, int mismatchCode);
    int Objects(int count, int code, ObjectListMode list);
    int MusicObjects(int count, int code, ObjectListMode list);
    int Prologue();
    int FaceNames();
    int StaffSection();
    int Labels();
    // The fields of a system's record, offsets and flags.
    using SystemFields = StreamField[3];
    int ReadSystem(StreamSystem* system, const int (&codes)[3], const SystemFields& fields);
    int MeasureTable();
    int Music();
    int Voice(int staff, int voice);
    int PlainEventRun(int voice, int most, int* passed);
    // The next `counts` counts when all of them are 0 (an empty object list, or a
    // voice with no events and no rests), passed at once when the walk tells no
    // observer of its fields (an older layout reads its counts as ever). False, with
    // nothing read, when any is not 0 or the bytes are not in memory.
    bool PassZeroCounts(int counts) {
        if (observer_ != nullptr || Older()) return false;
        const size_t bytes = kCountBytes * static_cast<size_t>(counts);
        size_t ahead = 0;
        const uint8_t* at = file_.Ahead(bytes, &ahead);
        if (ahead < bytes) return false;
        uint32_t any = 0;
        for (int c = 0; c < counts; ++c) any |= LoadLe16(at + kCountBytes * static_cast<size_t>(c));
        if (any != 0) return false;
        for (int c = 0; c < counts; ++c) file_.Pass(kCountBytes);
        files_.BytesMoved = file_.LastCount();
        return true;
    }
    int Event(int staff, int voice);
    int Pages();
    int Page(int index);
    int Fonts();
    int Charsets();
    int Version(const OldPrologue& prologue);
    void UpgradeSpacingEntries(int entries, size_t entryBytes);
    int HeaderRecord(size_t headerBytes, bool abbreviated);
    bool Older() const { return version_ < kCurrentFileVersion; }
    // The bytes just fetched, converted from the file's version to the current form.
    template <size_t N>
    std::span<uint8_t, N> Stored() {
        return std::span<uint8_t, N>(Own(), N);
    }

    ScoreView* view_;
    ScoreStreamSink& sink_;
    ScoreStreamObserver* observer_;  // borrowed; may be null
    ScoreFile& file_ = TheScoreFile();
    FileFlags& files_ = State().files;
    const uint8_t* bytes_ = nullptr;  // the bytes fetched last
    size_t size_ = 0;
    std::vector<uint8_t> buffer_;  // their copy, when a conversion rewrites them
    int staves_ = 0;
    int measures_ = 0;
    bool musicLost_ = false;
    // The version whose layout the file holds (an undecided or chosen form of version
    // 15 reads as 14, 15 or 16), and whether version 15 reads as 14.
    uint8_t version_ = kCurrentFileVersion;
    bool readAs14_ = false;
    std::vector<uint8_t> previousMeasure_;  // the converted record of the measure before
    std::vector<RestBody> rests_;           // the voice's rests, the buffer kept between voices
};

int StreamIn::Tag(const char* tag, int readCode, int mismatchCode) {
    if (!Fetch(kTagBytes, StreamField::Tag)) return readCode;
    for (size_t i = 0; i < kTagBytes; ++i)
        if (std::toupper(bytes_[i]) != tag[i]) return mismatchCode;
    return 0;
}

// Reads on until the four letters of `tag` have been read, exactly; after a
// mismatch the match restarts at the tag's first letter. False at the end of file.
bool StreamIn::SkipPast(const char* tag) {
    const uint64_t from = ScoreFilePosition();
    size_t matched = 0;
    uint8_t byte = 0;
    while (matched < kTagBytes) {
        if (ReadScoreBytes(&byte, 1) == 0) {
            Report(from, StreamField::Skipped);
            return false;
        }
        if (byte == static_cast<uint8_t>(tag[matched]))
            ++matched;
        else
            matched = byte == static_cast<uint8_t>(tag[0]) ? 1 : 0;
    }
    Report(from, StreamField::Skipped);
    return true;
}

int StreamIn::Objects(int count, int code, ObjectListMode list) {
    if (count == 0) return 0;
    ObjectRecordSpans spans;
    if (observer_ != nullptr)
        spans = [this](uint64_t offset, uint64_t length) { observer_->Field(offset, length, StreamField::ObjectRecord); };
    int result = ReadScoreObject(view_, sink_.ObjectTail(), count, spans, list);
    if (result == item_code::kTextBoxVariantLength) return fc::kCellObjectsVariant;
    return result != 0 ? code : 0;
}

// A cell's or an event's list: a failure other than the variant length loses the
// rest of the music when the sink accepts the recovery; the walk goes on at "PAGE".
int StreamIn::MusicObjects(int count, int code, ObjectListMode list) {
    if (count == 0) return 0;
    const bool fits = static_cast<uint64_t>(count) * kLeastObjectBytes <= Left();
    int result = fits ? Objects(count, code, list) : code;
    if (result == 0 || result == fc::kCellObjectsVariant) return result;
    if (int refused = sink_.Recover(StreamRecovery::MusicLost, code)) return refused;
    if (!SkipPast("PAGE")) return code;
    musicLost_ = true;
    return 0;
}

// The prologue: the two-letter abbreviation (no header), or the magic with a one-byte
// version field (its low four bits kept; a 230-byte header below 18) or a two-byte
// one (a 264-byte header). Versions up to 32 are read; later ones are refused.
int StreamIn::Prologue() {
    constexpr size_t kFirstBytes = 2;
    if (!Fetch(kFirstBytes, StreamField::Prologue)) {
        sink_.RefusedPrologue(PrologueFault::ShortRead);
        return fc::kHeader;
    }
    std::vector<uint8_t> head = Fetched();
    OldPrologue prologue = ReadOldPrologue(head);
    // The magic, then each byte of the version field, only as far as the file needs.
    for (size_t want = kScoreFileMagicBytes + 1; prologue.status == OldPrologueStatus::ShortRead &&
                                                  want <= kScoreFileMagicBytes + 2;
         ++want) {
        if (std::memcmp(head.data(), kScoreFileMagic, std::min(head.size(), kScoreFileMagicBytes)) != 0) {
            prologue.status = OldPrologueStatus::NotScoreFile;
            break;
        }
        if (!Fetch(want - head.size(), StreamField::Prologue)) break;
        head.insert(head.end(), bytes_, bytes_ + size_);
        prologue = ReadOldPrologue(head);
    }
    if (prologue.status != OldPrologueStatus::Ok) {
        sink_.RefusedPrologue(prologue.status == OldPrologueStatus::NotScoreFile ? PrologueFault::NotScoreFile
                                                                                   : PrologueFault::ShortRead);
        return fc::kHeader;
    }
    if (int code = Version(prologue)) return code;
    return HeaderRecord(prologue.headerBytes, prologue.abbreviated);
}

// The version the records are read as: version 15 by the remembered choice. A
// one-byte field masked to 0 takes every conversion, as version 1 does; a two-byte
// field of 0 or of a later version is refused.
int StreamIn::Version(const OldPrologue& prologue) {
    const bool maskedZero = prologue.version == 0 && prologue.fieldWidth == 1;
    if ((prologue.version == 0 && !maskedZero) || prologue.version > kCurrentFileVersion) {
        sink_.RefusedPrologue(PrologueFault::OtherVersion);
        return fc::kHeader;
    }
    version_ = prologue.version;
    if (version_ == kAmbiguousVersion) {
        const uint8_t choice = State().files.VersionChoice;
        if (choice == kVersionChoiceOlder || choice == kVersionChoiceNewer) version_ = choice;
        readAs14_ = choice == kVersionChoiceOlder;
    }
    State().files.FileVersion = version_;
    State().files.VersionFieldWidth = prologue.fieldWidth;
    return 0;
}

// A file without a header keeps the header of the new document it is read into.
int StreamIn::HeaderRecord(size_t headerBytes, bool abbreviated) {
    ScoreHeader header = view_->document->header;
    if (!abbreviated) {
        if (!Fetch(headerBytes, StreamField::Header)) return fc::kHeader;
        if (Older() || headerBytes != kScoreFileHeaderBytes) {
            std::vector<uint8_t> upgraded(kScoreFileHeaderBytes);
            UpgradeHeader(std::span<const uint8_t>(bytes_, size_), version_, OldHeaderDefaultsNow(),
                          std::span<uint8_t, kFullHeaderBytes>(upgraded.data(), kFullHeaderBytes));
            Replace(std::move(upgraded));
        }
        if (!DecodeScoreFileHeader(bytes_, size_, &header)) return fc::kHeader;
    }
    if (header.staffCount > kMaxStaves) return fc::kTooManyStaves;
    staves_ = header.staffCount;
    measures_ = header.measureCount;
    if (measures_ < 1 || measures_ > kMaxStoredMeasures) return fc::kHeader;
    return sink_.Header(header, State().files.FileVersion);
}

// Entries beyond the table are read and dropped so the stream stays in step.
int StreamIn::FaceNames() {
    int count = 0;
    if (!BoundedCount(&count, kFaceNameEntryBytes, StreamField::FaceNameCount)) return fc::kPortCount;
    if (!Fetch(kFaceNameEntryBytes * static_cast<size_t>(count), StreamField::FaceNameEntries)) return fc::kPortEntries;
    std::vector<FaceNameEntry> entries;
    for (int i = 0; i < std::min(count, kFaceNameCount); ++i)
        entries.push_back(DecodeFaceNameEntry(bytes_ + kFaceNameEntryBytes * static_cast<size_t>(i)));
    return sink_.FaceNames(entries, count > kFaceNameCount);
}

int StreamIn::ReadSystem(StreamSystem* system, const int (&codes)[3], const SystemFields& fields) {
    if (!Fetch(kSystemRecordBytes, fields[0])) return codes[0];
    if (Older()) UpgradeSystemRecord(Stored<kSystemRecordBytes>(), version_);
    ByteReader record = Bytes();
    DecodeSystemRecord(record, &system->record);
    if (!Fetch(2 * static_cast<size_t>(staves_), fields[1])) return codes[1];
    ByteReader offsets = Bytes();
    system->offsets.resize(static_cast<size_t>(staves_));
    for (uint16_t& offset : system->offsets) offset = offsets.U16();
    if (!Fetch(static_cast<size_t>(staves_), fields[2])) return codes[2];
    system->flags.assign(bytes_, bytes_ + size_);
    return 0;
}

int StreamIn::StaffSection() {
    if (int code = FaceNames()) return code;
    StreamSystem galley;
    if (int code = ReadSystem(&galley, {fc::kSystemRecord, fc::kSystemOffsets, fc::kSystemFlags},
                              {StreamField::GalleyRecord, StreamField::GalleyOffsets, StreamField::GalleyFlags}))
        return code;
    if (int code = sink_.GalleySystem(galley)) return code;
    if (!Fetch(kStoredStaffBytes * static_cast<size_t>(staves_), StreamField::StaffRecords)) return fc::kStaffRecords;
    std::vector<uint8_t> records = Fetched();
    for (int s = 1; s <= staves_; ++s) {
        uint8_t* record = records.data() + kStoredStaffBytes * static_cast<size_t>(s - 1);
        if (Older()) UpgradeStaffRecord(std::span<uint8_t, kStoredStaffBytes>(record, kStoredStaffBytes), version_);
        if (int code = sink_.Staff(s, record)) return code;
    }
    return Labels();
}

// A negative label length ends the staff section: the labels of the staves left are
// lost and the walk goes on after the next "STIK".
int StreamIn::Labels() {
    for (int s = 1; s <= staves_; ++s) {
        const uint64_t from = ScoreFilePosition();
        LabelRead label = ReadStaffLabel(version_);
        Report(from, StreamField::Label);
        if (label.endsStaffSection) {
            if (int refused = sink_.Recover(StreamRecovery::LabelsLost, fc::kLabelLength)) return refused;
            return SkipPast("STIK") ? 0 : fc::kSkipToMeasures;
        }
        if (label.code != 0) return label.code;
        if (int code = sink_.Label(s, label.label)) return code;
    }
    return Tag("STIK", fc::kMeasureTag, fc::kMeasureTagMismatch);
}

// Older files hold shorter measure records and spacing entries; each is brought to
// the current form before it is decoded.
int StreamIn::MeasureTable() {
    const size_t recordBytes = MeasureRecordBytes(version_);
    const size_t entryBytes = SpacingEntryBytes(version_);
    for (int m = 1; m <= measures_ + 1; ++m) {
        if (!Fetch(recordBytes, StreamField::MeasureRecord)) return fc::kMeasureRecord;
        if (Older()) {
            std::vector<uint8_t> upgraded(kStoredMeasureBytes);
            UpgradeMeasureRecord(std::span<const uint8_t>(bytes_, size_), version_, previousMeasure_,
                                 std::span<uint8_t, kStoredMeasureBytes>(upgraded.data(), kStoredMeasureBytes));
            previousMeasure_ = upgraded;
            Replace(std::move(upgraded));
        }
        MeasureRecord record{};
        ByteReader in = Bytes();
        // The entry count is signed: a negative one, or one the bytes left cannot
        // hold, fails as the count's read.
        const int entries = static_cast<int16_t>(DecodeMeasureRecord(in, &record));
        if (entries < 0 || static_cast<uint64_t>(entries) * entryBytes > ScoreBytesLeft()) return fc::kSpacingAlloc;
        if (!Fetch(entryBytes * static_cast<size_t>(entries), StreamField::SpacingEntries)) return fc::kSpacingEntry;
        if (Older()) UpgradeSpacingEntries(entries, entryBytes);
        std::vector<SpacingEntry> spacing(static_cast<size_t>(entries));
        ByteReader list = Bytes();
        for (SpacingEntry& entry : spacing) entry = DecodeSpacingEntry(list);
        if (int code = sink_.Measure(m, record, spacing)) return code;
    }
    return 0;
}

void StreamIn::UpgradeSpacingEntries(int entries, size_t entryBytes) {
    std::vector<uint8_t> upgraded(kStoredSpacingBytes * static_cast<size_t>(entries));
    for (size_t i = 0; i < static_cast<size_t>(entries); ++i)
        UpgradeSpacingEntry(std::span<const uint8_t>(bytes_ + i * entryBytes, entryBytes), version_,
                            std::span<uint8_t, kStoredSpacingBytes>(upgraded.data() + i * kStoredSpacingBytes,
                                                                    kStoredSpacingBytes));
    Replace(std::move(upgraded));
}

int StreamIn::Event(int staff, int voice) {
    if (!Fetch(kStoredEventBytesInFile, StreamField::Event)) return fc::kEvent;
    if (Older()) {
        // The measure's length bound is the sink's; the walk only converts the layout.
        const EventPlace place{staff, staves_, UINT16_MAX, readAs14_};
        UpgradeEventRecord(Stored<kStoredEventBytesInFile>(), version_, place);
    }
    EventRecord scratch;
    EventRecord* target = nullptr;
    if (int code = sink_.EventRecordFor(voice, &target)) return code;
    EventRecord& event = target != nullptr ? *target : scratch;
    StoredEventLinks links = DecodeStoredEventInPlace(bytes_, &event);
    AccidentalWord word;
    const bool hasWord = AccidentalCodeOf(event) != 0;
    if (hasWord) {
        if (!Fetch(kAccidentalWordBytes, StreamField::AccidentalWord)) return fc::kAccidentalWord;
        const uint16_t stored = LoadLe16(bytes_);
        // Files before version 10 hold the offset itself.
        if (version_ < version_gate::kAccidentalWord)
            word.offset = static_cast<int16_t>(stored);
        else
            word = DecodeAccidentalWord(stored);
    }
    if (int code = sink_.Event(voice, event, links, hasWord ? &word : nullptr)) return code;
    files_.AttachedObjectTime = event.time;
    return MusicObjects(links.attachments, fc::kSkipToPagesAfterEvent, ObjectListMode::NoteAttachment);
}

// The run of plain events (no accidental word, no attached objects) from the read
// position on, at most `most`, handed to the sink at once; `passed` tells how many.
// None when an observer is told of each field, or for an older layout (its events
// are converted one by one). Only an event's own attached objects read the time of
// the event before them, so a run leaves that time alone.
int StreamIn::PlainEventRun(int voice, int most, int* passed) {
    *passed = 0;
    if (observer_ != nullptr || Older()) return 0;
    size_t ahead = 0;
    const uint8_t* stored = file_.Ahead(static_cast<uint64_t>(most) * kStoredEventBytesInFile, &ahead);
    const size_t whole = ahead / kStoredEventBytesInFile;
    size_t count = 0;
    while (count < whole && IsPlainStoredEvent(stored + count * kStoredEventBytesInFile)) ++count;
    if (count == 0) return 0;
    file_.Pass(count * kStoredEventBytesInFile);
    files_.BytesMoved = file_.LastCount();
    *passed = static_cast<int>(count);
    return sink_.PlainEvents(voice, stored, static_cast<int>(count));
}

int StreamIn::Voice(int staff, int voice) {
    if (PassZeroCounts(2)) return sink_.EmptyVoice(voice);
    int events = 0;
    if (!BoundedCount(&events, kStoredEventBytesInFile, StreamField::EventCount)) return fc::kEventCount;
    if (int code = sink_.VoiceStart(voice, events)) return code;
    for (int e = 0; e < events && !musicLost_;) {
        int passed = 0;
        if (int code = PlainEventRun(voice, events - e, &passed)) return code;
        e += passed;
        if (e == events) break;
        if (int code = Event(staff, voice)) return code;
        ++e;
    }
    if (musicLost_) return 0;
    int rests = 0;
    if (!BoundedCount(&rests, kStoredRestBytes, StreamField::RestCount)) return fc::kRestCount;
    if (!Fetch(kStoredRestBytes * static_cast<size_t>(rests), StreamField::RestBlocks)) return fc::kRestBlocks;
    rests_.resize(static_cast<size_t>(rests));
    ByteReader in = Bytes();
    for (RestBody& block : rests_) block = DecodeRestBlock(in);
    return sink_.Rests(voice, rests_);
}

// The cells, staff by staff; a recovery ends the section (the walk is then past "PAGE").
int StreamIn::Music() {
    if (int code = Tag("MUSE", fc::kMusicTag, fc::kMusicTagMismatch)) return code;
    for (int s = 1; s <= staves_; ++s)
        for (int m = 1; m <= measures_; ++m) {
            if (!Fetch(kCellHeaderBytes, StreamField::CellHeader)) return fc::kCellHeader;
            if (Older()) UpgradeCellHeader(std::span<uint8_t>(Own(), size_), version_);
            MeasureCell cell{};
            DecodeCellHeaderInPlace(bytes_, &cell);
            if (int code = sink_.Cell(s, m, cell)) return code;
            if (!PassZeroCounts(1)) {
                int objects = 0;
                if (!BoundedCount(&objects, kLeastObjectBytes, StreamField::ObjectCount))
                    return fc::kCellObjectCount;
                if (int code = MusicObjects(objects, fc::kSkipToPagesAfterCell, ObjectListMode::MeasureCell))
                    return code;
            }
            for (int voice = 0; voice < kVoiceCount && !musicLost_; ++voice)
                if (int code = Voice(s, voice)) return code;
            if (musicLost_) return 0;
        }
    return Tag("PAGE", fc::kPageTag, fc::kPageTagMismatch);
}

int StreamIn::Page(int index) {
    if (!Fetch(kStoredPageBytes, StreamField::PageRecord)) return fc::kPageRecord;
    if (Older()) UpgradePageRecord(Stored<kStoredPageBytes>(), version_);
    ScorePage page{};
    ByteReader in = Bytes();
    DecodePageRecord(in, &page);
    auto systems = static_cast<int8_t>(bytes_[kPageSystemCountAt]);
    if (systems < 0) return fc::kPageRecord;
    if (int code = sink_.Page(index, page)) return code;
    const int codes[3] = {fc::kPageSystemRecord, fc::kPageSystemOffsets, fc::kPageSystemFlags};
    for (int s = 0; index >= 2 && s < systems; ++s) {
        StreamSystem system;
        if (int code = ReadSystem(&system, codes,
                                  {StreamField::SystemRecord, StreamField::SystemOffsets, StreamField::SystemFlags}))
            return code;
        if (int code = sink_.System(system)) return code;
    }
    int objects = 0;
    if (!BoundedCount(&objects, kLeastObjectBytes, StreamField::ObjectCount)) return fc::kPageObjectCount;
    if (int code = Objects(objects, fc::kPageObjects, ObjectListMode::Page)) return code;
    return sink_.PageDone(index);
}

// Entries 1 and 2 are the master pages (no systems), then the P pages.
int StreamIn::Pages() {
    int pages = 0;
    if (!BoundedCount(&pages, kStoredPageBytes, StreamField::PageCount)) return fc::kPageCount;
    for (int index = 0; index < pages + 2; ++index)
        if (int code = Page(index)) return code;
    return 0;
}

// A file whose next tag is not "FONT" has no font sections; a short read among the
// slots ends them without error.
int StreamIn::Fonts() {
    if (!Fetch(kTagBytes, StreamField::Tag)) return fc::kFontTag;
    for (size_t i = 0; i < kTagBytes; ++i)
        if (std::toupper(bytes_[i]) != "FONT"[i]) return 0;
    int fonts = 0;
    if (!Count(&fonts, StreamField::FontCount)) return fc::kFontCount;
    for (int f = 0; f < fonts; ++f) {
        if (!Fetch(kSlotNumberBytes + kStoredFontBytes, StreamField::FontRecord)) return 0;
        int slot = static_cast<int16_t>(LoadLe16(bytes_));
        QuickFontRecord font{};
        ByteReader in(bytes_ + kSlotNumberBytes, kStoredFontBytes);
        DecodeFontRecord(in, &font);
        if (int code = sink_.Font(slot, font)) return code;
    }
    return Charsets();
}

// "QFCS": a missing tag ends the walk; the count may not pass the 24 slots; the
// bytes the file still holds are taken.
int StreamIn::Charsets() {
    if (version_ < version_gate::kCellBits || !Fetch(kTagBytes, StreamField::Tag)) return 0;
    int charsets = 0;
    if (!Count(&charsets, StreamField::CharsetCount)) return fc::kCharsetCount;
    if (charsets > kScoreFontCount) return fc::kCharsetCountTooLarge;
    size_t available = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(charsets), ScoreBytesLeft()));
    if (!Fetch(available, StreamField::Charsets)) return 0;
    return sink_.Charsets(Fetched());
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

int ScoreStreamSink::PlainEvents(int voice, const uint8_t* stored, int count) {
    for (int e = 0; e < count; ++e, stored += kStoredEventBytesInFile) {
        EventRecord scratch;
        EventRecord* target = nullptr;
        if (int code = EventRecordFor(voice, &target)) return code;
        EventRecord& event = target != nullptr ? *target : scratch;
        const StoredEventLinks links = DecodeStoredEventInPlace(stored, &event);
        if (int code = Event(voice, event, links, nullptr)) return code;
    }
    return 0;
}

int ScoreStreamSink::EmptyVoice(int voice) {
    if (int code = VoiceStart(voice, 0)) return code;
    return Rests(voice, std::vector<RestBody>());
}

int DiscardingStreamSink::Label(int staff, ScoreObject* label) {
    (void)staff;
    if (label != nullptr) ReleaseObjectByType(document_, label);
    return 0;
}

int WalkScoreStream(ScoreView* view, ScoreStreamSink& sink, ScoreStreamObserver* observer) {
    if (view == nullptr || view->document == nullptr) return fc::kHeader;
    ScopedPoolSet pools(view->document->pools);
    StreamIn in(view, sink, observer);
    return in.Run();
}

int VerifyScoreFile(ScoreDocument* document, ScoreView* view) {
    SavedVersionState saved;
    State().files.QuietRead = 1;
    DiscardingStreamSink sink(document);
    return WalkScoreStream(view, sink);
}

}  // namespace ql
