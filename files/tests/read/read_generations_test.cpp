// Generations of a score through the writer and the reader: G1 = write(Doc0),
// Doc1 = read(G1), G2 = write(Doc1), Doc2 = read(G2), G3 = write(Doc2). G2 and G3
// are the same bytes; G1 and G2 differ only in the scroll view's galley system and
// the fields the reader rewrites (masked field by field through the walk's
// observer); the models of Doc1 and Doc2 agree, links included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/settings/metrics_table.h"
#include "core/state.h"
#include "files/read/score_read_rules.h"
#include "files/records/file_version.h"
#include "files/records/staff_records.h"
#include "files/tests/read/read_fixture.h"
#include "files/tests/stream/stream_fixtures.h"
#include "objects/curves/curve_objects.h"
#include "objects/object_services.h"
#include "objects/text_box/text_box.h"

namespace ql {
namespace {

using testing_files::ReadTest;
using testing_files::V;
namespace tf = testing_files;

// Bytes of one field that the reader rewrites, as offsets within the field, and the
// bits of them it may change.
struct Rewritten {
    size_t at;
    size_t size;
    uint8_t bits = 0xFF;
};

// A tie record's voice bits: the high nibble of its shape word (after the record's
// two-byte header). A label's string pool: the low nibble of its style word (after
// the two-byte length).
constexpr Rewritten kTieVoiceBits{11, 1, 0xF0};
constexpr Rewritten kLabelStringPool{16, 1, 0x0F};

// The fields a read may give other bytes than a written document held: the header's
// paper and staff-size words (80, 82, 84, 240, 242, 246) and margins (248-263);
// measure word 14, and the display number and extra of the spare record M + 1; page
// and system numbers and measure ranges; the first four "QFCS" slots; a tie's voice
// bits (the voice it is read for); the pool of a label's string (chosen by the text
// read, "no name" for an empty one). The galley system is not kept by a read at all.
std::vector<Rewritten> ReaderRewrites(StreamField field, const std::vector<uint8_t>& bytes, bool spareMeasure) {
    switch (field) {
        case StreamField::Header:
            return {{80, 6}, {240, 4}, {246, 18}};
        case StreamField::MeasureRecord:
            if (spareMeasure) return {{14, 3}, {26, 2}};
            return {{14, 2}};
        case StreamField::PageRecord:
            return {{8, 4}, {14, 2}};
        case StreamField::SystemRecord:
            return {{0, 1}, {2, 4}};
        case StreamField::Charsets:
            return {{0, 4}};
        case StreamField::Label:
            return {kLabelStringPool};
        case StreamField::ObjectRecord:
            if (!bytes.empty() && bytes[0] == static_cast<uint8_t>(ObjectType::Tie)) return {kTieVoiceBits};
            return {};
        default:
            return {};
    }
}

// The offsets where two fields differ, with both bytes (empty when they agree).
std::string DifferingBytes(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    std::string text;
    if (a.size() != b.size()) text = "length " + std::to_string(a.size()) + "/" + std::to_string(b.size()) + " ";
    for (size_t k = 0; k < std::min(a.size(), b.size()); ++k)
        if (a[k] != b[k]) text += std::to_string(k) + ":" + std::to_string(a[k]) + "/" + std::to_string(b[k]) + " ";
    return text;
}

bool IsGalley(StreamField field) {
    return field == StreamField::GalleyRecord || field == StreamField::GalleyOffsets ||
           field == StreamField::GalleyFlags;
}

std::vector<uint8_t> BytesOf(const std::vector<uint8_t>& stream, const tf::FieldAt& field) {
    const auto from = stream.begin() + static_cast<std::ptrdiff_t>(field.offset);
    return std::vector<uint8_t>(from, from + static_cast<std::ptrdiff_t>(field.length));
}

class ReadGenerations : public ReadTest {
  protected:
    // The fields of a stream the walk reads whole, covering every byte.
    std::vector<tf::FieldAt> FieldsOf(const std::vector<uint8_t>& stream) {
        int code = -1;
        std::vector<tf::FieldAt> fields = tf::StreamFieldsOf(stream, view_, &code);
        EXPECT_EQ(code, 0);
        uint64_t next = 0;
        for (const tf::FieldAt& field : fields) {
            EXPECT_EQ(field.offset, next) << "a gap before field " << static_cast<int>(field.field);
            next = field.offset + field.length;
        }
        EXPECT_EQ(next, stream.size()) << "the walk left bytes unread";
        return fields;
    }
    // G1 and G2 field by field: the same fields, the same bytes outside the reader's
    // rewrites (compared by field, so a field of another length does not shift the rest).
    void ExpectSameOutsideRewrites(const std::vector<uint8_t>& g1, const std::vector<uint8_t>& g2) {
        const std::vector<tf::FieldAt> a = FieldsOf(g1), b = FieldsOf(g2);
        ASSERT_EQ(a.size(), b.size());
        const auto measureRecords = std::count_if(
            a.begin(), a.end(), [](const tf::FieldAt& f) { return f.field == StreamField::MeasureRecord; });
        int measure = 0;
        for (size_t i = 0; i < a.size(); ++i) {
            ASSERT_EQ(a[i].field, b[i].field) << "field " << i;
            if (a[i].field == StreamField::MeasureRecord) ++measure;
            if (IsGalley(a[i].field)) continue;
            std::vector<uint8_t> first = BytesOf(g1, a[i]), second = BytesOf(g2, b[i]);
            for (const Rewritten& r : ReaderRewrites(a[i].field, first, measure == measureRecords))
                for (size_t k = r.at; k < r.at + r.size; ++k) {
                    const auto kept = static_cast<uint8_t>(~r.bits);
                    if (k < first.size()) first[k] &= kept;
                    if (k < second.size()) second[k] &= kept;
                }
            EXPECT_EQ(DifferingBytes(first, second), "")
                << "field " << i << " (kind " << static_cast<int>(a[i].field) << ") at " << a[i].offset;
        }
    }
    // Line by line, so that a difference names its record.
    static void ExpectSameModel(const std::vector<std::string>& a, const std::vector<std::string>& b) {
        EXPECT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) EXPECT_EQ(a[i], b[i]) << "model line " << i;
    }
    // Runs the three generations from the fixture's document.
    void RunGenerations() {
        const std::vector<uint8_t> g1 = Write(doc_, view_);
        ASSERT_FALSE(g1.empty());
        ScoreLoad doc1 = Read(g1);
        ASSERT_EQ(doc1.code, 0);
        EXPECT_FALSE(doc1.damaged);
        const std::vector<uint8_t> g2 = Rewrite(doc1);
        ScoreLoad doc2 = Read(g2);
        ASSERT_EQ(doc2.code, 0);
        const std::vector<uint8_t> g3 = Rewrite(doc2);
        EXPECT_EQ(g2, g3) << "a second generation changed the bytes";
        ExpectSameOutsideRewrites(g1, g2);
        ExpectSameModel(tf::SummariseModel(doc1.document), tf::SummariseModel(doc2.document));
    }
};

// One staff, one measure, two beamed notes.
TEST_F(ReadGenerations, SmallScore) {
    BuildSmallScore(1, 1);
    RunGenerations();
}

// The stream fixtures' full score: three staves, two pages, labels, spacing lists,
// accidentals, attached objects, rests and one object of every stored type.
TEST_F(ReadGenerations, FullScore) {
    BuildFull();
    // The fixture's header is a pattern of bytes; its metric words are put in range,
    // as a score made by the program holds them (the read's repair has its own tests).
    RepairMetricWords(doc_->header);
    RunGenerations();
}

// A score of no staves is a legal score: it reads back, and its next generation is
// the same bytes.
TEST_F(ReadGenerations, ScoreWithoutStaves) {
    BuildStaves(0, 1);
    const std::vector<uint8_t> g1 = Write(doc_, view_);
    ASSERT_FALSE(g1.empty());
    ASSERT_EQ(g1[tf::kStaffCountAt], 0);
    ScoreLoad doc1 = Read(g1);
    ASSERT_EQ(doc1.code, 0);
    EXPECT_FALSE(doc1.damaged);
    EXPECT_EQ(V(doc1.document->header.staffCount), 0);
    const std::vector<uint8_t> g2 = Rewrite(doc1);
    ScoreLoad doc2 = Read(g2);
    ASSERT_EQ(doc2.code, 0);
    EXPECT_EQ(Rewrite(doc2), g2);
}

// A loaded score is whole: unmodified, with no history, its view on page 1, the
// reader's flag down, and the document in the program's list.
TEST_F(ReadGenerations, LoadedScoreIsReadyToEdit) {
    BuildFull();
    ScoreLoad load = Read(Write(doc_, view_));
    ASSERT_EQ(load.code, 0);
    EXPECT_EQ(V(load.document->changeCounter), 0);
    EXPECT_EQ(load.document->undoStack, nullptr);
    EXPECT_EQ(load.view->currentPage, load.document->firstPage);
    ASSERT_NE(load.view->currentSystem, nullptr);
    EXPECT_EQ(State().files.ScoreFileReading, 0);
    EXPECT_TRUE(IsDocumentListed(load.document));
    EXPECT_EQ(V(load.document->laterMajorVersion), 0);
}

}  // namespace
}  // namespace ql
