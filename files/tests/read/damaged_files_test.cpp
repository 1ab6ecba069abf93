// The randomised damaged-file driver: the reader fixtures' streams (the full score
// in the current layout and in those of older versions; a small score in the
// layouts of versions below 9, which the full score's page objects do not fit),
// truncated at
// every section boundary and then changed at random (a fixed number of cases from a
// fixed seed), each read through the memory source into a new document. Every read
// ends in success or a named code; a success writes back a stream that verifies
// and is its own next generation; after every case the arena, the document list,
// the current document and the reader's flag are as before. A failing case prints
// the seed and its number. A small score is also cut at every byte, so at every
// record boundary; copies of object records are put into lists of other kinds;
// and some drivers format and paint each score that loads, as opening it in a
// window does. With QL_READER_CORPUS naming a folder the fixtures (and the first
// scores with objects put into other lists) are written there as the fuzz entry
// point's seed corpus.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/memory/arena.h"
#include "core/model/event_record.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/painter.h"
#include "files/records/file_codes.h"
#include "files/score_file.h"
#include "files/stream/score_stream_walker.h"
#include "files/tests/read/read_fixture.h"
#include "layout/measure_format.h"
#include "objects/curves/curve_objects.h"
#include "platform/ui/headless.h"

namespace ql {
namespace {

using testing_files::ReadTest;
namespace tf = testing_files;
namespace fc = file_code;

using ByteVec = std::vector<uint8_t>;

constexpr int kCases = 20000;
constexpr int kOldestCases = 4000;
constexpr uint32_t kSeed = 0x51ED2026;
constexpr int kMostChanges = 4;
constexpr int kFormattedCases = 4000;
constexpr uint32_t kLongestCopy = 64;
constexpr int kTransplantCases = 8000;
constexpr int kTransplantSeeds = 32;  // written to the fuzz corpus

// The codes a read may end with.
const std::set<int>& NamedCodes() {
    static const std::set<int> codes = {
        fc::kHeader, fc::kTooManyStaves, fc::kGalleySystem, fc::kPortCount, fc::kPortEntries,
        fc::kSystemRecord, fc::kSystemOffsets, fc::kSystemFlags, fc::kStaffRecordsAlloc, fc::kStaffRecords,
        fc::kStaffZero, fc::kStaff, fc::kLabelLength, fc::kSkipToMeasures, fc::kLabelObject, fc::kLabelRecord,
        fc::kLabelText, fc::kMeasureTag, fc::kMeasureTagMismatch, fc::kMeasureRecord, fc::kSpacingAlloc,
        fc::kSpacingEntry, fc::kMusicTag, fc::kMusicTagMismatch, fc::kCellHeader, fc::kCellObjectCount,
        fc::kCellObjectsVariant, fc::kSkipToPagesAfterCell, fc::kEventCount, fc::kVoiceHead, fc::kEvent,
        fc::kEventMemory, fc::kAccidentalWord, fc::kAccidental, fc::kSkipToPagesAfterEvent, fc::kRestCount,
        fc::kRestBlocks, fc::kPageTag, fc::kPageTagMismatch, fc::kPageCount, fc::kPageAlloc, fc::kPageRecord,
        fc::kSystemAlloc, fc::kPageSystemRecord, fc::kPageSystemOffsets, fc::kPageSystemFlags,
        fc::kPageObjectCount, fc::kPageObjects, fc::kMasterSystemsLeft, fc::kMasterSystemsRight, fc::kFontTag,
        fc::kFontCount, fc::kCharsetCount, fc::kCharsetCountTooLarge};
    return codes;
}

// Words that sit on the edges of counts and lengths, and longs on the edges of
// coordinates.
constexpr uint16_t kEdgeWords[] = {0, 1, 2, 0x7FFF, 0x8000, 0xFFFF, 24, 25, 1020, 1021};
constexpr uint32_t kEdgeLongs[] = {0x80000000, 0x80007800, 0x7FFFFFFF, 0xFFFFFFFF, 0x00007800};

class DamagedFiles : public ReadTest {
  protected:
    void SetUp() override {
        ReadTest::SetUp();
        ui::headless::ResetUi();
    }
    // The truncations of a stream at its section boundaries (and a few bytes around).
    static std::vector<ByteVec> Truncations(const ByteVec& stream) {
        std::vector<size_t> bounds = {0, 1, 26, 28, tf::kPortCountAt, tf::kPortCountAt + 2};
        for (const char* tag : {"STIK", "MUSE", "PAGE", "FONT", "QFCS"}) {
            const size_t at = tf::FindTag(stream, tag);
            for (size_t d : {size_t{0}, size_t{2}, size_t{4}, size_t{6}}) bounds.push_back(at + d);
        }
        std::vector<ByteVec> cuts;
        for (size_t b : bounds)
            if (b < stream.size()) cuts.emplace_back(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(b));
        return cuts;
    }
    // With `longs`, a fifth kind of change writes an edge long; with `copies`, a
    // sixth repeats a run of bytes in place (a record read twice).
    static ByteVec Mutate(ByteVec bytes, std::mt19937& random, bool longs = false, bool copies = false) {
        const int changes = 1 + static_cast<int>(random() % kMostChanges);
        for (int i = 0; i < changes && bytes.size() > (longs ? 4u : 2u); ++i) {
            const size_t at = random() % (bytes.size() - 1);
            const uint32_t kind = random() % (copies ? 6 : longs ? 5 : 4);
            if (kind == 5) {
                const size_t length = std::min<size_t>(1 + random() % kLongestCopy, bytes.size() - at);
                const ByteVec run(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                  bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
                bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at + length), run.begin(), run.end());
                continue;
            }
            if (kind == 4) {
                const uint32_t value = kEdgeLongs[random() % std::size(kEdgeLongs)];
                const size_t where = std::min(at, bytes.size() - 4);
                tf::PutU16(bytes, where, static_cast<uint16_t>(value & 0xFFFF));
                tf::PutU16(bytes, where + 2, static_cast<uint16_t>(value >> 16));
                continue;
            }
            switch (kind) {
                case 0: bytes[at] = static_cast<uint8_t>(random()); break;
                case 1: tf::PutU16(bytes, at, kEdgeWords[random() % std::size(kEdgeWords)]); break;
                case 2: bytes[at] ^= static_cast<uint8_t>(1u << (random() % 8)); break;
                default: bytes.resize(at); break;
            }
        }
        return bytes;
    }
    // One case; false (after a failure message) when it broke a rule.
    bool RunCase(const ByteVec& bytes, const std::string& name) {
        const size_t arena = ArenaBytesInUse();
        ScoreDocument* const current = State().documents.CurrentDocument;
        ScoreDocument* const firstListed = State().documents.FirstDocument;
        OpenScoreImageForRead(bytes);
        ScoreLoad load = ReadScoreIntoNewDocument();
        CloseScoreFile();
        bool sound = true;
        if (load.code == 0) {
            if (show_) Show(load);
            sound = CheckLoaded(load, name);
            FreeLoadedScore(load);
        } else if (NamedCodes().count(load.code) == 0 || load.document != nullptr || load.view != nullptr) {
            ADD_FAILURE() << name << ": code " << load.code << " is not a named code, or something was built";
            sound = false;
        }
        if (load.code != 0 && State().documents.CurrentDocument != current) sound = false;
        if (ArenaBytesInUse() != arena || State().documents.FirstDocument != firstListed ||
            State().files.ScoreFileReading != 0) {
            ADD_FAILURE() << name << ": the load left something behind (code " << load.code << ")";
            sound = false;
        }
        ui::headless::ResetUi();
        return sound;
    }
    // G2 verifies and G3 == G2.
    bool CheckLoaded(const ScoreLoad& load, const std::string& name) {
        const ByteVec g2 = Rewrite(load);
        OpenScoreImageForRead(g2);
        const int verified = VerifyScoreFile(load.document, load.view);
        CloseScoreFile();
        OpenScoreImageForRead(g2);
        ScoreLoad again = ReadScoreIntoNewDocument();
        CloseScoreFile();
        const ByteVec g3 = again.code == 0 ? Rewrite(again) : ByteVec{};
        const bool stable = again.code == 0 && g3 == g2;
        FreeLoadedScore(again);
        if (g2.empty() || verified != 0 || !stable) {
            size_t at = 0;
            while (at < g2.size() && at < g3.size() && g2[at] == g3[at]) ++at;
            ADD_FAILURE() << name << ": a loaded score wrote " << g2.size() << " bytes, verify " << verified
                          << ", the next generation differs at " << at << " (STIK " << tf::FindTag(g2, "STIK")
                          << ", MUSE " << tf::FindTag(g2, "MUSE") << ", PAGE " << tf::FindTag(g2, "PAGE") << ")";
            return false;
        }
        return true;
    }
    // Every fixture and its truncations, then `cases` mutations in all from `seed`.
    void RunDriver(const std::vector<ByteVec>& fixtures, int cases, uint32_t seed, bool longs, bool copies = false) {
        std::vector<ByteVec> seeds = fixtures;
        for (const ByteVec& fixture : fixtures)
            for (ByteVec& cut : Truncations(fixture)) seeds.push_back(std::move(cut));
        int n = 0;
        for (; n < static_cast<int>(seeds.size()); ++n)
            ASSERT_TRUE(RunCase(seeds[static_cast<size_t>(n)], "truncation " + std::to_string(n)));
        std::mt19937 random(seed);
        for (; n < cases; ++n) {
            const ByteVec& from = fixtures[random() % fixtures.size()];
            if (!RunCase(Mutate(from, random, longs, copies), "case " + std::to_string(n))) {
                FAIL() << "seed " << seed << ", case " << n;
            }
        }
    }
    // What a score window does with a loaded score: formats it, then paints each
    // page. The view is left on the first page.
    static void Show(const ScoreLoad& load) {
        ScoreView* view = load.view;
        FormatMeasuresOfAllPages(view);
        for (ScorePage* page = load.document->firstPage; page != nullptr; page = page->next.get()) {
            view->currentPage = page;
            view->currentSystem = page->firstSystem.get();
            BeginViewDraw(view);
            DrawScoreContents(view);
            EndViewDraw(view);
        }
        view->currentPage = load.document->firstPage;
        view->currentSystem = load.document->firstPage->firstSystem.get();
    }
    // Every prefix of the stream.
    void CutAtEveryByte(const ByteVec& stream, const std::string& name) {
        for (size_t n = 0; n < stream.size(); ++n)
            ASSERT_TRUE(RunCase(ByteVec(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(n)),
                                name + " cut at " + std::to_string(n)));
    }
    // Where a stream's object records lie, and each list's count word and first
    // record (a cell's, a note's and a page's list).
    struct ObjectLists {
        std::vector<std::pair<size_t, size_t>> records;  // offset, length
        std::vector<std::pair<size_t, size_t>> lists;    // count word, first record
    };
    ObjectLists ListsOf(const ByteVec& stream) {
        int code = 0;
        const std::vector<tf::FieldAt> fields = tf::StreamFieldsOf(stream, view_, &code);
        EXPECT_EQ(code, 0);
        ObjectLists found;
        for (size_t i = 0; i < fields.size(); ++i) {
            const tf::FieldAt& at = fields[i];
            const size_t end = at.offset + at.length;
            if (at.field == StreamField::ObjectRecord) found.records.emplace_back(at.offset, at.length);
            if (at.field == StreamField::ObjectCount) found.lists.emplace_back(at.offset, end);
            if (at.field != StreamField::Event) continue;
            // A note's list follows its record and its accidental word; its count
            // is the record's attachment word.
            const bool word = i + 1 < fields.size() && fields[i + 1].field == StreamField::AccidentalWord;
            found.lists.emplace_back(at.offset + offsetof(EventRecord, attachment),
                                     word ? fields[i + 1].offset + fields[i + 1].length : end);
        }
        return found;
    }
    // Objects of one class in another's list: a copy of one record put first in a
    // list (of any kind), whose count grows by one.
    static ByteVec Transplant(const ByteVec& from, const ObjectLists& lists, std::mt19937& random) {
        const auto [offset, length] = lists.records[random() % lists.records.size()];
        const auto [count, first] = lists.lists[random() % lists.lists.size()];
        ByteVec bytes = from;
        tf::PutU16(bytes, count, static_cast<uint16_t>(tf::GetU16(bytes, count) + 1));
        const auto record = from.begin() + static_cast<std::ptrdiff_t>(offset);
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(first), record,
                     record + static_cast<std::ptrdiff_t>(length));
        return bytes;
    }
    static void WriteCorpus(const std::vector<ByteVec>& fixtures, const std::string& prefix = "fixture-") {
        const char* folder = std::getenv("QL_READER_CORPUS");
        if (folder == nullptr) return;
        for (size_t i = 0; i < fixtures.size(); ++i) {
            std::ofstream out(std::string(folder) + "/" + prefix + std::to_string(i) + ".ql", std::ios::binary);
            out.write(reinterpret_cast<const char*>(fixtures[i].data()), static_cast<std::streamsize>(fixtures[i].size()));
        }
    }

    bool show_ = false;
};

TEST_F(DamagedFiles, TruncatedAndMutatedStreamsLoadOrFailCleanly) {
    BuildFull();
    std::vector<ByteVec> fixtures = {Write(doc_, view_)};
    ASSERT_FALSE(fixtures[0].empty());
    // The same score in the layouts of older versions, both forms of 15 among them.
    struct Older {
        uint8_t version;
        bool oneByte;
        uint8_t raw;
    };
    for (Older o : {Older{31, false, 0}, Older{19, false, 0}, Older{15, false, 0}, Older{15, true, 15},
                    Older{12, true, 12}, Older{9, true, 9}}) {
        ByteVec older = tf::AsOlderVersion(fixtures[0], o.version, o.oneByte, o.raw, doc_->header.measureCount);
        ASSERT_FALSE(older.empty()) << "version " << int(o.version);
        fixtures.push_back(std::move(older));
    }
    WriteCorpus(fixtures);
    RunDriver(fixtures, kCases, kSeed, false);
}

// Versions below 9 (their old margin records, short measures and spacing entries,
// and before 3 the system origin) with edge longs among the changes.
TEST_F(DamagedFiles, OldestVersionsLoadOrFailCleanly) {
    BuildSmallScore(2, 3);
    const ByteVec current = Write(doc_, view_);
    ASSERT_FALSE(current.empty());
    struct Older {
        uint8_t version;
        bool oneByte;
        uint8_t raw;
    };
    std::vector<ByteVec> fixtures;
    for (Older o : {Older{8, true, 8}, Older{5, true, 5}, Older{3, true, 3}, Older{2, true, 0x12},
                    Older{2, false, 0}, Older{0, true, 0x10}}) {
        ByteVec older = tf::AsOlderVersion(current, o.version, o.oneByte, o.raw, doc_->header.measureCount);
        ASSERT_FALSE(older.empty()) << "version " << int(o.version);
        fixtures.push_back(std::move(older));
    }
    RunDriver(fixtures, kOldestCases, kSeed + 1, true);
}

// Objects of one class in another's list (a tie among a page's objects, a page's
// picture on a note, a cell's dynamic on a page ...), each case now and then
// changed further at random (a list that fails loses the rest of the music): every
// score that loads is formatted and painted, and writes back a stream that is its
// own next generation.
TEST_F(DamagedFiles, ObjectsInAnotherClassesListLoadAndWriteBack) {
    BuildFull();
    const ByteVec full = Write(doc_, view_);
    const ObjectLists lists = ListsOf(full);
    ASSERT_FALSE(lists.records.empty() || lists.lists.empty());
    show_ = true;
    std::mt19937 random(kSeed + 3);
    std::vector<ByteVec> seeds;
    for (int n = 0; n < kTransplantCases; ++n) {
        ByteVec bytes = Transplant(full, lists, random);
        if (n < kTransplantSeeds) seeds.push_back(bytes);
        if (random() % 2 == 0) bytes = Mutate(std::move(bytes), random);
        ASSERT_TRUE(RunCase(bytes, "transplant " + std::to_string(n))) << "seed " << kSeed + 3 << ", case " << n;
    }
    WriteCorpus(seeds, "transplant-");
}

// A tie among the last page's objects keeps the voice it was stored with, also
// when a note's list that fails has lost the rest of the music before the pages
// are read: reading and saving gives the same bytes twice.
TEST_F(DamagedFiles, ATieAmongAPagesObjectsKeepsItsStoredVoice) {
    constexpr size_t kTieShapeAt = 2 + 8;  // the record's header, then the body's shape word
    constexpr uint8_t kNotAType = 17;
    BuildFull();
    const ByteVec full = Write(doc_, view_);
    int code = 0;
    const std::vector<tf::FieldAt> fields = tf::StreamFieldsOf(full, view_, &code);
    ASSERT_EQ(code, 0);
    // The last count and the last record are the last page's.
    size_t tie = 0, pageCount = 0, pageEnd = 0, noteRecord = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        const tf::FieldAt& at = fields[i];
        if (at.field == StreamField::ObjectRecord && full[at.offset] == TypeCode(ObjectType::Tie)) tie = at.offset;
        if (at.field == StreamField::ObjectRecord) pageEnd = at.offset + at.length;
        if (at.field == StreamField::ObjectCount) pageCount = at.offset;
        // The first record attached to a note.
        const bool attached = at.field == StreamField::Event &&
                              tf::GetU16(full, at.offset + offsetof(EventRecord, attachment)) > 0;
        if (attached && noteRecord == 0)
            noteRecord = fields.at(i + (fields.at(i + 1).field == StreamField::AccidentalWord ? 2 : 1)).offset;
    }
    ASSERT_TRUE(tie != 0 && pageCount != 0 && pageEnd > pageCount && noteRecord != 0);
    for (const bool musicLost : {false, true})
        for (uint16_t voice = 0; voice < 4; ++voice) {
            ByteVec bytes = full;
            ByteVec record(full.begin() + static_cast<std::ptrdiff_t>(tie),
                           full.begin() + static_cast<std::ptrdiff_t>(tie + kTieShapeAt + 2));
            tf::PutU16(record, kTieShapeAt,
                       static_cast<uint16_t>((tf::GetU16(record, kTieShapeAt) & ~kTieVoiceMask) | voice << kTieVoiceShift));
            tf::PutU16(bytes, pageCount, static_cast<uint16_t>(tf::GetU16(bytes, pageCount) + 1));
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(pageEnd), record.begin(), record.end());
            if (musicLost) bytes[noteRecord] = kNotAType;  // the note's first attached object
            const std::string name = "voice " + std::to_string(voice) + (musicLost ? ", music lost" : "");
            const ScoreLoad load = Read(bytes);
            ASSERT_EQ(load.code, 0) << name;
            ScoreObject* last = load.document->firstPage->next->margins.get();
            while (last->next.get() != nullptr) last = last->next.get();
            ASSERT_EQ(last->type, TypeCode(ObjectType::Tie)) << name;
            EXPECT_EQ((AsTie(last)->body.shape & kTieVoiceMask) >> kTieVoiceShift, voice) << name;
            EXPECT_TRUE(CheckLoaded(load, name));
        }
}

// A small score, in the current layout and in an older one, cut at every byte;
// what loads is formatted and painted too.
TEST_F(DamagedFiles, CutAtEveryByteLoadsOrFailsCleanly) {
    BuildSmallScore(2, 3);
    const ByteVec current = Write(doc_, view_);
    ASSERT_FALSE(current.empty());
    show_ = true;
    CutAtEveryByte(current, "current");
    const ByteVec older = tf::AsOlderVersion(current, 12, true, 12, doc_->header.measureCount);
    ASSERT_FALSE(older.empty());
    CutAtEveryByte(older, "version 12");
}

// Changes that repeat runs of bytes (records read twice) among the others; every
// score that loads is formatted and painted as a window shows it before its G2 is
// written.
TEST_F(DamagedFiles, LoadedDamageShowsAndWritesBack) {
    BuildFull();
    const ByteVec full = Write(doc_, view_);
    ASSERT_FALSE(full.empty());
    show_ = true;
    RunDriver({full}, kFormattedCases, kSeed + 2, true, true);
}

}  // namespace
}  // namespace ql
