// Field conversion: the whole conversions made at compile time for the schemas'
// plans give, for every chunk and tag and both string-offset widths, the bytes the
// field-by-field conversion gives, and the field-by-field way is kept for bytes
// that end inside the fields.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <string>

#include "interchange/niff/niff_known_tags.h"
#include "interchange/niff/niff_reader.h"
#include "interchange/niff/niff_schema.h"
#include "interchange/niff/niff_tag_state.h"

namespace ql::niff {
namespace {

// Converts with the plan as it is and with its whole conversion taken away, over
// the same bytes, and compares the results for every byte bound from none to
// past the fields.
void ExpectWholeMatchesStepwise(const NiffFieldPlan& plan, const std::string& what,
                                std::mt19937& random) {
    ASSERT_NE(plan.whole, nullptr) << what;
    NiffFieldPlan stepwise = plan;
    stepwise.whole = nullptr;
    for (int round = 0; round < 8; ++round) {
        std::array<uint8_t, 32> bytes;
        for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
        for (int maxBytes = 0; maxBytes <= plan.fileBytes + 2; ++maxBytes) {
            std::array<uint8_t, kNiffConvertedBytes> whole;
            std::array<uint8_t, kNiffConvertedBytes> byField;
            whole.fill(0xEE);
            byField.fill(0xDD);
            const int wholeTook = ConvertNiffFields(bytes.data(), whole.data(), plan, maxBytes);
            const int byFieldTook =
                ConvertNiffFields(bytes.data(), byField.data(), stepwise, maxBytes);
            EXPECT_EQ(wholeTook, byFieldTook) << what << " bound " << maxBytes;
            EXPECT_EQ(whole, byField) << what << " bound " << maxBytes;
        }
    }
}

TEST(NiffFieldConversion, WholeConversionsMatchFieldByFieldForEverySchemaRecord) {
    std::mt19937 random(41);
    for (const int width : {4, 2}) {
        NiffSchemas schemas;
        if (width == 2) schemas.ApplyChunkLength(MakeFourCC("part"), 10);
        ASSERT_EQ(schemas.StringOffsetWidth(), width);
        for (int index = 0; index < kNiffChunkTypes; ++index) {
            const FourCC& id = schemas.Chunk(index).id;
            ExpectWholeMatchesStepwise(
                schemas.ChunkPlan(index),
                std::string(id.begin(), id.end()) + " width " + std::to_string(width), random);
        }
        for (int tag = 1; tag <= kNiffKnownTags; ++tag)
            ExpectWholeMatchesStepwise(
                *schemas.TagPlan(tag),
                "tag " + std::to_string(tag) + " width " + std::to_string(width), random);
    }
}

// The reader's direct conversion of each known tag writes what the tag's plan
// gives field by field, at either string-offset width, and takes the plan's
// file bytes.
TEST(NiffFieldConversion, DirectTagConversionsMatchTheTagPlans) {
    std::mt19937 random(43);
    for (const int width : {4, 2}) {
        NiffSchemas schemas;
        if (width == 2) schemas.ApplyChunkLength(MakeFourCC("part"), 10);
        for (int tag = 1; tag <= kNiffKnownTags; ++tag) {
            NiffFieldPlan stepwise = *schemas.TagPlan(tag);
            stepwise.whole = nullptr;
            EXPECT_EQ(kNiffKnownTagFileBytes[static_cast<size_t>(tag)], stepwise.fileBytes) << "tag " << tag;
            for (int round = 0; round < 8; ++round) {
                std::array<uint8_t, 32> bytes;
                for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
                std::array<uint8_t, kNiffConvertedBytes> direct;
                std::array<uint8_t, kNiffConvertedBytes> byField;
                direct.fill(0xEE);
                byField.fill(0xDD);
                ConvertKnownNiffTag(tag, bytes.data(), direct.data());
                ConvertNiffFields(bytes.data(), byField.data(), stepwise, stepwise.fileBytes);
                EXPECT_EQ(direct, byField) << "tag " << tag << " width " << width;
            }
        }
    }
}

// The reader's in-line store of a tag leaves the tag state as storing its
// field-by-field conversion does, for every known tag and every value length
// from none to past its fields; a value shorter than the fields is refused with
// nothing stored (the reader converts it field by field instead).
TEST(NiffFieldConversion, InLineTagStoresMatchStoringTheConversion) {
    std::mt19937 random(47);
    const NiffSchemas schemas;
    for (int tag = 1; tag <= kNiffKnownTags; ++tag) {
        NiffFieldPlan stepwise = schemas.KnownTagPlan(tag);
        stepwise.whole = nullptr;
        for (int length = 0; length <= stepwise.fileBytes + 2; ++length) {
            std::array<uint8_t, 32> bytes;
            for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
            NiffTagState before;
            for (auto& value : before.values)
                for (uint8_t& byte : value) byte = static_cast<uint8_t>(random());
            before.written = 0;
            NiffTagState inLine = before;
            NiffTagState converted = before;
            const bool stored = StoreKnownNiffTag(inLine, tag, length, bytes.data());
            EXPECT_EQ(stored, length >= stepwise.fileBytes) << "tag " << tag << " length " << length;
            if (!stored) {
                EXPECT_EQ(inLine.values, before.values) << "tag " << tag << " length " << length;
                EXPECT_EQ(inLine.flags, before.flags) << "tag " << tag << " length " << length;
                EXPECT_EQ(inLine.written, 0u) << "tag " << tag << " length " << length;
                continue;
            }
            std::array<uint8_t, kNiffConvertedBytes> value;
            ConvertNiffFields(bytes.data(), value.data(), stepwise, length);
            StoreNiffTagValue(converted, tag, value.data());
            EXPECT_EQ(inLine.values, converted.values) << "tag " << tag << " length " << length;
            EXPECT_EQ(inLine.flags, converted.flags) << "tag " << tag << " length " << length;
            EXPECT_EQ(inLine.written, converted.written) << "tag " << tag << " length " << length;
        }
    }
}

// The string offsets of a 2-byte file are widened, the halves of a rational each
// turned, and a field the bound cuts is left zero with those after it.
TEST(NiffFieldConversion, ShortStringOffsetsAndCutFields) {
    NiffSchemas schemas;
    schemas.ApplyChunkLength(MakeFourCC("part"), 10);
    const int tmpo = schemas.FindChunk(MakeFourCC("tmpo"));  // STROFFSET, RATIONAL, SIGNEDSHORT
    ASSERT_GE(tmpo, 0);
    const uint8_t file[] = {0x12, 0x34, 0x00, 0x03, 0x00, 0x08, 0xFF, 0xFE};
    std::array<uint8_t, kNiffConvertedBytes> out;
    EXPECT_EQ(ConvertNiffFields(file, out.data(), schemas.ChunkPlan(tmpo), 8), 8);
    uint32_t offset = 0;
    int16_t numerator = 0, denominator = 0, last = 0;
    std::memcpy(&offset, out.data(), 4);
    std::memcpy(&numerator, out.data() + 4, 2);
    std::memcpy(&denominator, out.data() + 6, 2);
    std::memcpy(&last, out.data() + 8, 2);
    EXPECT_EQ(offset, 0x1234u);
    EXPECT_EQ(numerator, 3);
    EXPECT_EQ(denominator, 8);
    EXPECT_EQ(last, -2);
    EXPECT_EQ(ConvertNiffFields(file, out.data(), schemas.ChunkPlan(tmpo), 7), 6);
    std::memcpy(&last, out.data() + 8, 2);
    EXPECT_EQ(last, 0);
    EXPECT_EQ(ConvertNiffFields(file, out.data(), schemas.ChunkPlan(tmpo), 5), 2);
    std::memcpy(&numerator, out.data() + 4, 2);
    EXPECT_EQ(numerator, 0);
}

}  // namespace
}  // namespace ql::niff
