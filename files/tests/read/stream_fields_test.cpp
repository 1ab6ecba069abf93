// The walk's account of a damaged stream, field by field: a recovery's skipped bytes
// are named as such, and a walk that fails is named as far as it read. (A whole
// stream named byte for byte is the generation tests' ground.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "files/tests/read/read_fixture.h"
#include "files/tests/stream/stream_fixtures.h"

namespace ql {
namespace {

using testing_files::FieldAt;
using testing_files::ReadTest;
namespace tf = testing_files;

class StreamFields : public ReadTest {
  protected:
    std::vector<FieldAt> Fields(const std::vector<uint8_t>& bytes, int* code, bool recover = false) {
        return tf::StreamFieldsOf(bytes, view_, code, recover);
    }
    // The fields follow one another without a gap from the stream's start; the end.
    static uint64_t ExpectContiguous(const std::vector<FieldAt>& fields) {
        uint64_t next = 0;
        for (const FieldAt& field : fields) {
            EXPECT_EQ(field.offset, next);
            EXPECT_GT(field.length, 0u);
            next = field.offset + field.length;
        }
        return next;
    }
};

// A negative label length: the length word is the label's field, and the bytes up to
// and including "STIK" are named as skipped.
TEST_F(StreamFields, ARecoveryNamesTheBytesItSkipped) {
    BuildFull();
    std::vector<uint8_t> bytes = Write(doc_, view_);
    int code = -1;
    const std::vector<FieldAt> clean = Fields(bytes, &code);
    const auto first = std::find_if(clean.begin(), clean.end(),
                                    [](const FieldAt& f) { return f.field == StreamField::Label; });
    ASSERT_NE(first, clean.end());
    const size_t at = first->offset;
    tf::PutU16(bytes, at, 0xFFFF);
    const std::vector<FieldAt> fields = Fields(bytes, &code, true);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ExpectContiguous(fields), bytes.size());
    const auto label = std::find_if(fields.begin(), fields.end(),
                                    [](const FieldAt& f) { return f.field == StreamField::Label; });
    ASSERT_NE(label, fields.end());
    EXPECT_EQ(label->offset, at);
    EXPECT_EQ(label->length, 2u);
    ASSERT_NE(label + 1, fields.end());
    EXPECT_EQ(label[1].field, StreamField::Skipped);
    EXPECT_EQ(label[1].offset + label[1].length, tf::FindTag(bytes, "STIK") + 4);
    EXPECT_EQ(label[2].field, StreamField::MeasureRecord);
}

// A stream cut inside the last object record: the walk fails, and the fields it
// names run up to the cut, the broken record last, as far as it was read.
TEST_F(StreamFields, AFailedWalkIsNamedAsFarAsItRead) {
    BuildFull();
    const std::vector<uint8_t> whole = Write(doc_, view_);
    int code = -1;
    const std::vector<FieldAt> all = Fields(whole, &code);
    const auto last = std::find_if(all.rbegin(), all.rend(), [](const FieldAt& f) {
        return f.field == StreamField::ObjectRecord && f.length > 4;
    });
    ASSERT_NE(last, all.rend());
    const size_t cutAt = last->offset + last->length - 1;
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cutAt));
    const std::vector<FieldAt> fields = Fields(cut, &code);
    EXPECT_NE(code, 0);
    const uint64_t end = ExpectContiguous(fields);
    EXPECT_LE(end, cutAt);
    ASSERT_FALSE(fields.empty());
    EXPECT_EQ(fields.back().field, StreamField::ObjectRecord);
    EXPECT_EQ(fields.back().offset, last->offset);
}

}  // namespace
}  // namespace ql
