// Runs of plain events (no accidental word, no attached objects) are handed to the
// building sink a run at a time; a walk that tells an observer of every field reads
// them one by one. Both must build the same document from the same bytes: a voice
// longer than one run of records, events with accidentals and attachments among the
// plain ones, beam partners on both sides, damaged event bytes, and records running
// out at every allocation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "files/read/score_build_sink.h"
#include "files/read/score_read_rules.h"
#include "files/records/music_records.h"
#include "files/score_file.h"
#include "files/stream/score_stream_walker.h"
#include "files/tests/read/read_fixture.h"
#include "notes/accidentals/accidental.h"

namespace ql {
namespace {

using testing_files::ReadTest;
namespace tf = testing_files;

using ByteVec = std::vector<uint8_t>;

constexpr int kVoiceEvents = 40;     // more than one run of records
constexpr uint16_t kEventStep = 64;  // ticks between the events
constexpr uint8_t kShortDuration = 6;
constexpr int kMutations = 1500;
constexpr uint32_t kSeed = 0x9A11E7;
constexpr int kBeamCases = 300;

// Tells nothing to anyone: its presence makes the walk read event by event.
class FieldIgnorer : public ScoreStreamObserver {
  public:
    void Field(uint64_t offset, uint64_t length, StreamField field) override {
        (void)offset, (void)length, (void)field;
    }
};

// What a load built: its code, and for a success the model and the bytes it writes.
struct Built {
    int code = 0;
    std::vector<std::string> model;
    ByteVec rewritten;
    std::string chain;  // "" when every event points back to the one before it
    // The event records: each voice's handles in chain order, the event pool's fresh
    // marks, and the handles its next allocations would give.
    std::vector<uint16_t> records;
    bool operator==(const Built&) const = default;
};

class PlainEventRuns : public ReadTest {
  protected:
    // One staff: voice 0 of measure 1 holds kVoiceEvents notes beamed in fours, every
    // seventh with an accidental; voice 1 holds two plain notes.
    void BuildLongVoice() {
        BuildStaves(1, 1);
        ScopedPoolSet pools(doc_->pools);
        MeasureCell* cell = Cell(1, 1);
        ASSERT_NE(cell, nullptr);
        view_->currentCell = cell;
        EventRecord* previous = nullptr;
        for (int i = 0; i < kVoiceEvents; ++i) {
            EventRecord* event =
                AddEventToVoice(view_, cell, 0, static_cast<uint16_t>(i * kEventStep),
                                kShortDuration, static_cast<uint8_t>(i % 9));
            ASSERT_NE(event, nullptr);
            if (i % 7 == 3) {
                ScoreObject* accidental = NewAccidentalForNote(view_, event);
                ASSERT_NE(accidental, nullptr);
                ApplyAccidentalWord(accidental, AccidentalWord{-32, false, true});
                event->flags = static_cast<uint16_t>((event->flags & ~kEventAccidentalMask) |
                                                     (1 << kEventAccidentalShift));
            }
            if (previous != nullptr && i % 4 != 0) {
                previous->beamNext = HandleOfEvent(event);
                event->beamPrev = HandleOfEvent(previous);
            }
            previous = event;
        }
        for (int i = 0; i < 2; ++i)
            ASSERT_NE(AddEventToVoice(view_, cell, 1, static_cast<uint16_t>(i * 1024), 9, 2),
                      nullptr);
    }

    // Why the voices of the loaded score are not chained both ways ("" when they are).
    static std::string ChainFault(ScoreDocument* document) {
        ScopedPoolSet pools(document->pools);
        for (int staff = 1; staff <= document->header.staffCount; ++staff)
            for (int measure = 1; measure <= document->header.measureCount; ++measure) {
                MeasureCell* cell =
                    GetOrCreateMeasureCell(StaffRecordOf(document, staff), document, measure);
                for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice) {
                    EventRecord* head = GetVoiceHead(cell, voice);
                    if (head == nullptr) continue;
                    RecordHandle previous = HandleOfEvent(head);
                    int walked = 0;
                    for (EventRecord* e = NextEvent(head); e != nullptr && walked < 4096;
                         e = NextEvent(e), ++walked) {
                        if (!(e->prev == previous))
                            return "staff " + std::to_string(staff) + " measure " +
                                   std::to_string(measure) + " voice " + std::to_string(voice);
                        previous = HandleOfEvent(e);
                    }
                }
            }
        return "";
    }

    static std::vector<uint16_t> EventRecords(ScoreDocument* document) {
        ScopedPoolSet pools(document->pools);
        std::vector<uint16_t> records;
        for (int staff = 1; staff <= document->header.staffCount; ++staff)
            for (int measure = 1; measure <= document->header.measureCount; ++measure) {
                MeasureCell* cell =
                    GetOrCreateMeasureCell(StaffRecordOf(document, staff), document, measure);
                for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice) {
                    int walked = 0;
                    for (EventRecord* e = GetVoiceHead(cell, voice); e != nullptr && walked < 4096;
                         e = NextEvent(e), ++walked)
                        records.push_back(HandleOfEvent(e).bits);
                }
            }
        const RecordPool& pool = document->pools.pools[kEventRecordPool];
        for (int block = 0; block < pool.blockCount; ++block) records.push_back(pool.blocks[block].nextFresh);
        for (int i = 0; i < 64; ++i) {
            RecordHandle next;
            AllocRecordWithHandle(kEventRecordPool, &next);
            records.push_back(next.bits);
        }
        return records;
    }

    // Reads `bytes` into a new view and document as a load does, with `observer`
    // told of the fields (or none); what was built is summarised and freed.
    Built Load(const ByteVec& bytes, ScoreStreamObserver* observer) {
        const FileFlags files = State().files;
        ScoreDocument* const current = State().documents.CurrentDocument;
        const PoolSet pools = CurrentPoolSet();
        ScoreLoad load;
        load.view = InitView(AllocView());
        LinkView(load.view);
        load.document = AllocDocument();
        Built built;
        if (load.document == nullptr ||
            CreateDocument(load.document, load.view, nullptr) != load.document) {
            built.code = -1;  // records ran out before the read
        } else {
            OpenScoreImageForRead(bytes);
            BuildingStreamSink sink(load.view);
            built.code = WalkScoreStream(load.view, sink, observer);
            if (built.code == 0) built.code = sink.FinishDocument();
            CloseScoreFile();
        }
        if (built.code == 0) {
            built.model = tf::SummariseModel(load.document);
            built.rewritten = Rewrite(load);
            built.chain = ChainFault(load.document);
            built.records = EventRecords(load.document);
        }
        FreeLoadedScore(load);
        State().files = files;
        State().documents.CurrentDocument = current;
        SetCurrentPoolSet(pools);
        return built;
    }

    // Both walks of `bytes`: the same outcome, or a failure naming `what`.
    void ExpectSameBuild(const ByteVec& bytes, const std::string& what) {
        FieldIgnorer observer;
        const Built byRuns = Load(bytes, nullptr);
        const Built byEvents = Load(bytes, &observer);
        EXPECT_EQ(byRuns.code, byEvents.code) << what;
        EXPECT_EQ(byRuns.model, byEvents.model) << what;
        EXPECT_EQ(byRuns.rewritten, byEvents.rewritten) << what;
        EXPECT_EQ(byRuns.chain, "") << what;
    }

    void ExpectSingleAllocations(const ByteVec& bytes, const std::string& what) {
        const Built byRuns = Load(bytes, nullptr);
        FailRecordAllocationAfter(1 << 30);
        const Built bySingles = Load(bytes, nullptr);
        FailNextRecordAllocations(0);
        EXPECT_EQ(byRuns, bySingles) << what;
    }
};

// The long voice reads back as the score it was written from, and both walks build
// it alike.
TEST_F(PlainEventRuns, ALongVoiceWithAccidentalsAndBeamsReadsAlike) {
    BuildLongVoice();
    const ByteVec stream = Write(doc_, view_);
    ASSERT_FALSE(stream.empty());
    const Built built = Load(stream, nullptr);
    ASSERT_EQ(built.code, 0);
    // The music: staves, measures, cells and voices come before the pages.
    const auto music = [](std::vector<std::string> lines) {
        auto page = std::find_if(lines.begin(), lines.end(),
                                 [](const std::string& l) { return l.rfind("page", 0) == 0; });
        lines.erase(page, lines.end());
        return lines;
    };
    EXPECT_EQ(music(built.model), music(tf::SummariseModel(doc_)));
    ExpectSameBuild(stream, "the stream as written");
}

// The full fixture score: objects attached to events and cells among the runs.
TEST_F(PlainEventRuns, TheFullScoreReadsAlike) {
    BuildFull();
    const ByteVec stream = Write(doc_, view_);
    ASSERT_FALSE(stream.empty());
    ExpectSameBuild(stream, "the full score");
}

// Damaged event bytes: flags that call for accidental words, attachment counts,
// beam positions on every side, times past the measure, counts cut short.
TEST_F(PlainEventRuns, DamagedEventsReadAlike) {
    BuildLongVoice();
    const ByteVec stream = Write(doc_, view_);
    ASSERT_FALSE(stream.empty());
    const size_t muse = tf::FindTag(stream, "MUSE");
    const size_t page = tf::FindTag(stream, "PAGE", muse);
    ASSERT_LT(page, stream.size());
    std::mt19937 random(kSeed);
    const uint16_t words[] = {0, 1, 2, 3, 39, 40, 41, 0x000E, 0x0002, 0x7FFF, 0xFFFF, 4096};
    for (int n = 0; n < kMutations; ++n) {
        ByteVec bytes = stream;
        const int changes = 1 + static_cast<int>(random() % 3);
        for (int c = 0; c < changes; ++c) {
            const size_t at = muse + 4 + random() % (page - muse - 4);
            if (random() % 2 == 0)
                tf::PutU16(bytes, at, words[random() % std::size(words)]);
            else
                bytes[at] ^= static_cast<uint8_t>(1u << (random() % 8));
        }
        ExpectSameBuild(bytes, "seed " + std::to_string(kSeed) + ", case " + std::to_string(n));
        if (HasFailure()) return;
    }
}

// Loads whose every record is allocated one at a time (a refusal pending, never
// reached, keeps the pools off their run paths) give each event the record a load by
// runs gives it, and leave the event pool as it leaves it: records taken ahead across
// voices are all given back. Undamaged and damaged streams alike.
TEST_F(PlainEventRuns, EventRecordsAreThoseOfSingleAllocations) {
    BuildLongVoice();
    const ByteVec stream = Write(doc_, view_);
    ASSERT_FALSE(stream.empty());
    ExpectSingleAllocations(stream, "the long voice");
    const size_t muse = tf::FindTag(stream, "MUSE");
    const size_t page = tf::FindTag(stream, "PAGE", muse);
    ASSERT_LT(page, stream.size());
    std::mt19937 random(kSeed + 1);
    for (int n = 0; n < 300; ++n) {
        ByteVec bytes = stream;
        const size_t at = muse + 4 + random() % (page - muse - 4);
        bytes[at] ^= static_cast<uint8_t>(1u << (random() % 8));
        ExpectSingleAllocations(bytes, "case " + std::to_string(n));
        if (HasFailure()) return;
    }
}

TEST_F(PlainEventRuns, TheFullScoreTakesTheRecordsOfSingleAllocations) {
    BuildFull();
    const ByteVec stream = Write(doc_, view_);
    ASSERT_FALSE(stream.empty());
    ExpectSingleAllocations(stream, "the full score");
}

// Records refused at every allocation of the read: the same code and the same
// document from both walks.
TEST_F(PlainEventRuns, RecordsRunningOutReadAlike) {
    BuildLongVoice();
    const ByteVec stream = Write(doc_, view_);
    ASSERT_FALSE(stream.empty());
    FieldIgnorer observer;
    int refused = 0;
    for (int n = 0; n < 200; ++n) {
        FailRecordAllocationAfter(n);
        const Built byRuns = Load(stream, nullptr);
        FailRecordAllocationAfter(n);
        const Built byEvents = Load(stream, &observer);
        FailNextRecordAllocations(0);
        refused += byRuns.code != 0 ? 1 : 0;
        EXPECT_EQ(byRuns, byEvents) << "refused after " << n << " records";
    }
    EXPECT_GT(refused, 0);
}

// Stored beam positions set at random on every event, with durations above the
// beamed ones among them: each event's partners are the events its positions name
// when they lie on the right side within the voice and it is short enough, else
// none, whether or not its neighbours were stored with partners.
TEST_F(PlainEventRuns, BeamPartnersAreThoseTheStoredPositionsName) {
    BuildLongVoice();
    const ByteVec stream = Write(doc_, view_);
    ASSERT_FALSE(stream.empty());
    int code = -1;
    const std::vector<tf::FieldAt> fields = tf::StreamFieldsOf(stream, view_, &code);
    ASSERT_EQ(code, 0);
    std::vector<std::vector<uint64_t>> voices;  // each voice's stored events
    for (const tf::FieldAt& field : fields) {
        if (field.field == StreamField::EventCount) voices.emplace_back();
        if (field.field == StreamField::Event) voices.back().push_back(field.offset);
    }
    std::mt19937 random(kSeed + 2);
    int partners = 0;
    for (int n = 0; n < kBeamCases; ++n) {
        ByteVec bytes = stream;
        std::vector<std::string> expected;
        for (const std::vector<uint64_t>& voice : voices) {
            const int count = static_cast<int>(voice.size());
            for (int own = 1; own <= count; ++own) {
                const size_t at = voice[static_cast<size_t>(own - 1)];
                const auto position = [&]() {
                    return random() % 3 == 0 ? 0 : static_cast<uint16_t>(random() % (count + 3));
                };
                const uint16_t prev = position();
                const uint16_t next = position();
                tf::PutU16(bytes, at + offsetof(EventRecord, beamPrev), prev);
                tf::PutU16(bytes, at + offsetof(EventRecord, beamNext), next);
                if (random() % 6 == 0) bytes[at + offsetof(EventRecord, duration)] = kLongestBeamedDuration + 1;
                const bool beamed = bytes[at + offsetof(EventRecord, duration)] <= kLongestBeamedDuration;
                const int p = beamed && prev >= 1 && prev < own ? prev : 0;
                const int q = beamed && next > own && next <= count ? next : 0;
                partners += (p != 0) + (q != 0);
                expected.push_back(std::to_string(p) + "/" + std::to_string(q));
            }
        }
        const Built built = Load(bytes, nullptr);
        ASSERT_EQ(built.code, 0) << "case " << n;
        std::vector<std::string> read;
        for (const std::string& line : built.model) {
            if (line.rfind("  event ", 0) != 0) continue;
            const size_t beams = line.find(" beams ") + 7;
            read.push_back(line.substr(beams, line.find(' ', beams) - beams));
        }
        EXPECT_EQ(read, expected) << "seed " << kSeed + 2 << ", case " << n;
        if (HasFailure()) return;
    }
    EXPECT_GT(partners, kBeamCases);
}

// What a walk hands a sink that keeps the defaults for runs of plain events and for
// empty voices, one line per hook.
class HookLog : public DiscardingStreamSink {
  public:
    explicit HookLog(ScoreDocument* document) : DiscardingStreamSink(document) {}
    int Cell(int staff, int measure, const MeasureCell& header) override {
        return Log("cell " + std::to_string(staff) + " " + std::to_string(measure) + " " +
                   std::to_string(header.cellWord));
    }
    int VoiceStart(int voice, int events) override {
        return Log("voice " + std::to_string(voice) + " " + std::to_string(events));
    }
    int Event(int voice, const EventRecord& event, const StoredEventLinks& links,
              const AccidentalWord* accidental) override {
        return Log("event " + std::to_string(voice) + " " + std::to_string(event.time) + " " +
                   std::to_string(links.beamPrev) + "/" + std::to_string(links.beamNext) +
                   (accidental != nullptr ? " word" : ""));
    }
    int PlainEvents(int voice, const uint8_t* stored, int count) override {
        return ScoreStreamSink::PlainEvents(voice, stored, count);
    }
    int Rests(int voice, const std::vector<RestBody>& rests) override {
        return Log("rests " + std::to_string(voice) + " " + std::to_string(rests.size()));
    }
    std::vector<std::string> lines;

  private:
    int Log(std::string line) {
        lines.push_back(std::move(line));
        return 0;
    }
};

// A walk that tells no observer passes empty voices and runs of plain events at once;
// a sink keeping the defaults still hears of them as a walk event by event tells it.
TEST_F(PlainEventRuns, DefaultHooksHearWhatAWalkEventByEventTells) {
    BuildFull();
    const ByteVec stream = Write(doc_, view_);
    ASSERT_FALSE(stream.empty());
    const auto walk = [&](ScoreStreamObserver* observer) {
        HookLog log(doc_);
        OpenScoreImageForRead(stream);
        const int code = WalkScoreStream(view_, log, observer);
        CloseScoreFile();
        log.lines.push_back("code " + std::to_string(code));
        return log.lines;
    };
    FieldIgnorer observer;
    const std::vector<std::string> byEvents = walk(&observer);
    EXPECT_EQ(walk(nullptr), byEvents);
    EXPECT_NE(std::find(byEvents.begin(), byEvents.end(), "voice 3 0"), byEvents.end());
    EXPECT_NE(std::find(byEvents.begin(), byEvents.end(), "code 0"), byEvents.end());
}

}  // namespace
}  // namespace ql
