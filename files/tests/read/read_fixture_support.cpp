// Set-up and helpers of the reader's tests (see read_fixture.h).
#include <cstdio>
#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "files/bytes/byte_writer.h"
#include "files/records/measure_records_io.h"
#include "files/records/page_records_io.h"
#include "files/records/music_records.h"
#include "files/records/rest_records.h"
#include "files/score_file.h"
#include "files/stream/score_stream_writer.h"
#include "files/tests/read/read_fixture.h"
#include "files/tests/stream/stream_fixtures.h"
#include "layout/measure_spacing.h"

namespace ql::testing_files {

void ReadTest::TearDown() {
    for (ScoreLoad& load : loads_) FreeLoadedScore(load);
    loads_.clear();
    SaveTest::TearDown();
}

std::vector<uint8_t> ReadTest::Write(ScoreDocument* document, ScoreView* view) {
    CreateScoreImageForWrite();
    int code = WriteScoreStream(document, view);
    std::vector<uint8_t> bytes = TakeScoreImage();
    CloseScoreFile();
    return code == 0 ? bytes : std::vector<uint8_t>{};
}

ScoreLoad ReadTest::Read(const std::vector<uint8_t>& bytes) {
    OpenScoreImageForRead(bytes);
    ScoreLoad load = ReadScoreIntoNewDocument();
    CloseScoreFile();
    if (load.document != nullptr) loads_.push_back(load);
    return load;
}

void ReadTest::BuildFull() {
    State().files.TrimPagesOption = 0;
    ScopedPoolSet pools(doc_->pools);
    ASSERT_TRUE(BuildFullScore(doc_, view_));
}

size_t FindTag(const std::vector<uint8_t>& bytes, const char* tag, size_t from) {
    for (size_t at = from; at + 4 <= bytes.size(); ++at)
        if (bytes[at] == tag[0] && bytes[at + 1] == tag[1] && bytes[at + 2] == tag[2] && bytes[at + 3] == tag[3])
            return at;
    return bytes.size();
}

void PutU16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes.at(at) = static_cast<uint8_t>(value & 0xFF);
    bytes.at(at + 1) = static_cast<uint8_t>(value >> 8);
}

uint16_t GetU16(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint16_t>(bytes.at(at) | (bytes.at(at + 1) << 8));
}

namespace {

class FieldRecorder : public ScoreStreamObserver {
  public:
    void Field(uint64_t offset, uint64_t length, StreamField field) override {
        fields.push_back(FieldAt{offset, length, field});
    }
    std::vector<FieldAt> fields;
};

// The verifier's sink that takes both recoveries.
class RecoveringSink : public DiscardingStreamSink {
  public:
    using DiscardingStreamSink::DiscardingStreamSink;
    int Recover(StreamRecovery recovery, int code) override {
        (void)recovery, (void)code;
        return 0;
    }
};

}  // namespace

std::vector<FieldAt> StreamFieldsOf(const std::vector<uint8_t>& bytes, ScoreView* view, int* code, bool recover) {
    const FileFlags saved = State().files;
    OpenScoreImageForRead(bytes);
    DiscardingStreamSink discarding(view->document);
    RecoveringSink recovering(view->document);
    ScoreStreamSink& sink = recover ? recovering : discarding;
    FieldRecorder recorder;
    *code = WalkScoreStream(view, sink, &recorder);
    CloseScoreFile();
    State().files = saved;
    return recorder.fields;
}

namespace {

std::string Hex(const void* data, size_t size) {
    std::string text;
    char byte[4];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(byte, sizeof byte, "%02x", static_cast<const uint8_t*>(data)[i]);
        text += byte;
    }
    return text;
}

// The types of a list from `first` on (bounded).
std::string ListTypes(const ScoreObject* first) {
    std::string text;
    int walked = 0;
    for (const ScoreObject* o = first; o != nullptr && walked < 4096; o = o->next.get(), ++walked)
        text += std::to_string(o->type) + " ";
    return text;
}

int PositionOf(const std::vector<EventRecord*>& events, RecordHandle handle) {
    if (!handle) return 0;
    EventRecord* target = ResolveEvent(handle);
    for (size_t i = 0; i < events.size(); ++i)
        if (events[i] == target) return static_cast<int>(i + 1);
    return -1;  // a partner outside the voice
}

void SummariseVoice(MeasureCell* cell, int voice, std::vector<std::string>& lines) {
    std::vector<EventRecord*> events;
    for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr && events.size() < 4096; e = NextEvent(e))
        events.push_back(e);
    for (EventRecord* e : events) {
        EventRecord plain = *e;
        plain.attachment = plain.beamPrev = plain.beamNext = plain.prev = plain.next = RecordHandle{};
        ScoreObject* head = GetEventAttachment(e);
        lines.push_back("  event " + Hex(&plain, kStoredEventBytesInFile) + " beams " +
                        std::to_string(PositionOf(events, e->beamPrev)) + "/" +
                        std::to_string(PositionOf(events, e->beamNext)) + " attached " +
                        (head != nullptr ? ListTypes(head) + "word " + std::to_string(EncodeAccidentalWord(AccidentalWordOf(head))) : ""));
    }
    std::string rests = "  rests";
    ScoreObject* list = GetVoiceElementList(cell, voice);
    int walked = 0;
    for (ScoreObject* r = list != nullptr ? list->next.get() : nullptr; r != nullptr && walked < 4096;
         r = r->next.get(), ++walked)
        rests += " " + std::to_string(ElementTime(r));
    lines.push_back(rests);
}

void SummarisePages(ScoreDocument* document, std::vector<std::string>& lines) {
    size_t walked = 0;
    for (ScorePage* p = document->leftMaster; p != nullptr && walked < 4096; p = p->next.get(), ++walked) {
        ByteWriter stored;
        EncodePageRecord(*p, stored);
        lines.push_back("page " + Hex(stored.Data(), stored.Size()) + " objects " + ListTypes(p->margins.get()));
        // The systems of the master pages are built by the reader, not stored.
        int systems = 0;
        for (ScoreSystem* s = p->pageNumber < 0 ? nullptr : p->firstSystem.get(); s != nullptr && systems < 4096;
             s = s->next.get(), ++systems) {
            std::string line = "  system " + std::to_string(s->firstMeasure) + "-" + std::to_string(s->lastMeasure) +
                               " at " + std::to_string(s->x) + "," + std::to_string(s->y) + " staves";
            const uint16_t* offsets = StaffOffsetsOf(s);
            const int8_t* flags = StaffFlagsOf(s);
            for (int i = 1; offsets != nullptr && flags != nullptr && i <= document->header.staffCount; ++i)
                line += " " + std::to_string(LoadField<uint16_t>(offsets + i)) + "/" + std::to_string(flags[i]);
            lines.push_back(line);
        }
    }
}

}  // namespace

std::vector<std::string> SummariseModel(ScoreDocument* document) {
    ScopedPoolSet pools(document->pools);
    std::vector<std::string> lines;
    const int staves = document->header.staffCount;
    const int measures = document->header.measureCount;
    lines.push_back("staves " + std::to_string(staves) + " measures " + std::to_string(measures));
    for (int s = 1; s <= staves; ++s) {
        StaffRecord* staff = StaffRecordOf(document, s);
        lines.push_back("staff " + Hex(staff, kStoredStaffBytes) + " label " +
                        (GetStaffLabelObject(staff) != nullptr ? "yes" : "no"));
    }
    for (int m = 1; m <= measures + 1; ++m) {
        MeasureRecord record = document->measureTable[m];
        std::string line = "measure " + std::to_string(m) + " spacing";
        for (RecordHandle h = record.spacing; h;) {
            auto* entry = FindRecord<SpacingEntry>(kSpacingEntryPool, h);
            if (entry == nullptr) break;
            line += " " + std::to_string(entry->time) + "+" + std::to_string(entry->ticksToNext);
            h = RecordHandle{entry->next};
        }
        record.spacing = RecordHandle{};
        lines.push_back(line + " " + Hex(&record, sizeof record));
    }
    for (int s = 1; s <= staves; ++s)
        for (int m = 1; m <= measures; ++m) {
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, s), document, m);
            ScoreObject* head = cell->objects.get();
            lines.push_back("cell " + std::to_string(s) + "/" + std::to_string(m) + " " + Hex(cell, kStoredCellBytes) +
                            " objects " + ListTypes(head != nullptr ? head->next.get() : nullptr));
            for (int voice = 0; voice < 4; ++voice) SummariseVoice(cell, voice, lines);
        }
    SummarisePages(document, lines);
    // Slot 0 is not stored.
    for (int slot = 1; slot < kScoreFontCount; ++slot) {
        const QuickFontRecord& font = document->fonts[slot];
        lines.push_back("font " + std::string(font.name) + "|" + font.face + "|" + std::to_string(font.height) + "|" +
                        std::to_string(font.charset));
    }
    return lines;
}

namespace {

using ByteVec = std::vector<uint8_t>;

constexpr size_t kMagicBytes = 26;
constexpr size_t kShortHeader = 230;
constexpr size_t kSpacingEntryBytes = 8;
constexpr size_t kSpacingCountAt = 8;
constexpr size_t kStretchAt = 18;
constexpr size_t kSpacingWord6 = 6;

size_t MeasureBytesOf(uint8_t version) {
    return version < 4 ? 20 : version < 13 ? 24 : 28;
}

// The current stream's measure table (after "STIK") in an older version's layout.
ByteVec OldMeasureTable(const ByteVec& current, size_t at, int records, uint8_t version) {
    ByteVec out;
    for (int m = 0; m < records; ++m) {
        ByteVec record(current.begin() + static_cast<long>(at), current.begin() + static_cast<long>(at + kMeasureBytes));
        const uint16_t entries = GetU16(record, kSpacingCountAt);
        const uint16_t stretch = GetU16(record, kStretchAt);
        at += kMeasureBytes;
        // Before 5 the stretch's high byte was stored alone: in byte 1 before 4.
        if (version < 4) record[1] = static_cast<uint8_t>(stretch >> 8);
        else if (version < 5) PutU16(record, kStretchAt, static_cast<uint16_t>(stretch >> 8));
        out.insert(out.end(), record.begin(), record.begin() + static_cast<long>(MeasureBytesOf(version)));
        for (uint16_t e = 0; e < entries; ++e, at += kSpacingEntryBytes) {
            ByteVec entry(current.begin() + static_cast<long>(at), current.begin() + static_cast<long>(at + kSpacingEntryBytes));
            const uint16_t word6 = GetU16(entry, kSpacingWord6);
            if (version < 5) PutU16(entry, kSpacingWord6, static_cast<uint16_t>(word6 >> 8));
            out.insert(out.end(), entry.begin(), entry.begin() + (version < 4 ? 7 : 8));
        }
    }
    out.insert(out.end(), current.begin() + static_cast<long>(at), current.end());
    return out;
}

// Up to version 8 a page's margin object held only its four distances. Pages that
// hold only margins are rewritten record by record; any other object fails.
bool OldMargins(ByteVec& bytes, int staves) {
    constexpr uint8_t kMarginType = 33;
    constexpr size_t kPageBytes = 16, kSystemBytes = 16, kOldMarginBody = 8, kMarginBody = 16;
    size_t at = FindTag(bytes, "PAGE", FindTag(bytes, "MUSE")) + 4;
    const int pages = GetU16(bytes, at);
    at += 2;
    for (int index = 0; index < pages + 2; ++index) {
        const auto systems = static_cast<int8_t>(bytes.at(at + 12));
        at += kPageBytes;
        if (index >= 2) at += static_cast<size_t>(systems) * (kSystemBytes + 3 * static_cast<size_t>(staves));
        const int objects = GetU16(bytes, at);
        at += 2;
        for (int o = 0; o < objects; ++o) {
            if (bytes.at(at) != kMarginType) return false;
            const auto body = static_cast<long>(at + 2);
            bytes.erase(bytes.begin() + body + static_cast<long>(kOldMarginBody), bytes.begin() + body + static_cast<long>(kMarginBody));
            at += 2 + kOldMarginBody;
        }
    }
    return true;
}

}  // namespace

std::vector<uint8_t> AsOlderVersion(const std::vector<uint8_t>& current, uint8_t version, bool oneByte, uint8_t raw,
                                    int measures) {
    const size_t stik = FindTag(current, "STIK");
    const bool shortHeader = oneByte && raw < 18;
    ByteVec out(current.begin(), current.begin() + kMagicBytes);
    if (oneByte) out.push_back(raw);
    else out.insert(out.end(), {0, version});
    const size_t headerEnd = kHeaderAt + (shortHeader ? kShortHeader : 264);
    out.insert(out.end(), current.begin() + kHeaderAt, current.begin() + static_cast<long>(headerEnd));
    out.insert(out.end(), current.begin() + kPortCountAt, current.begin() + static_cast<long>(stik + 4));
    ByteVec table = OldMeasureTable(current, stik + 4, measures + 1, version);
    out.insert(out.end(), table.begin(), table.end());
    if (version <= 8 && !OldMargins(out, current[kStaffCountAt])) return {};
    return out;
}

}  // namespace ql::testing_files
