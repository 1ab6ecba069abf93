// The rest's record: its class and constructor, copies, the stored form of a voice's
// rests, release by type and chains, and damaged voice lists drawn without harm.
#include <gtest/gtest.h>

#include <random>

#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "files/score_file.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"
#include "notes/tests/rests/rest_fixture.h"

namespace ql::testing_rests {
namespace {

// The constructor registered for type 45: pool 8, class, subtype 0, body zero; the
// class reports a 10-byte body, answers edit commands and does not clone.
TEST_F(RestTest, ConstructedFromTheClassTable) {
    ScoreObject* rest = ConstructObject(TypeCode(ObjectType::Rest));
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(rest->type, TypeCode(ObjectType::Rest));
    EXPECT_EQ(rest->subtype, 0);
    EXPECT_EQ(&ClassOf(rest), &rests::TheRestClass());
    EXPECT_EQ(ClassOf(rest).GetBodySize(rest), kRestBodyBytes);
    const RestBody zero{};
    EXPECT_EQ(std::memcmp(RestBodyOf(rest), &zero, kRestBodyBytes), 0);
    RestBodyOf(rest)->code = 10;
    ScoreObject* copy = ClassOf(rest).Clone(rest, view_, CurrentPoolSet(), CurrentPoolSet());
    ASSERT_NE(copy, nullptr) << "a rest copies itself, as a block paste copies it";
    EXPECT_NE(copy, rest);
    EXPECT_EQ(std::memcmp(RestBodyOf(copy), RestBodyOf(rest), kRestBodyBytes), 0);
    DestroyRest(copy);
    DestroyRest(rest);
}

// A copy takes body, type and subtype, never the links.
TEST_F(RestTest, CopyFromTakesTheBody) {
    ScoreObject* rest = Rest(0, 1024, kEighth, 2);
    Body(rest).fineY = 5;
    ScoreObject* copy = AllocRestRecord();
    CopyRestFrom(copy, rest);
    EXPECT_EQ(std::memcmp(RestBodyOf(copy), RestBodyOf(rest), kRestBodyBytes), 0);
    EXPECT_FALSE(copy->prev);
    EXPECT_FALSE(copy->next);
    DestroyRest(copy);
}

// The stored form: ten bytes per rest, little-endian, in list order.
TEST_F(RestTest, WritesTheVoicesRests) {
    ScoreObject* a = Rest(1, 0x0102, kEighth, 1);
    Body(a).xOffset = -2;
    Body(a).fineY = 7;
    Body(a).tupletKind = 1;
    Body(a).tupletValue = 3;
    Body(a).extraRatio = 0x32;
    Rest(1, 0x0800, kHalf);
    CreateScoreImageForWrite();
    EXPECT_EQ(WriteVoiceRests(cell_, 1), 0);
    const std::vector<uint8_t> image = TakeScoreImage();
    CloseScoreFile();
    // Voice 1 alone beside an empty voice 0 takes the lower row: -1 and 0.
    const std::vector<uint8_t> expected = {0x02, 0x01, 0xFE, 9, 7, 0xFF, 1, 3, 0x32, 1,
                                           0x00, 0x08, 0x00, 11, 0, 0x00, 0, 0, 0, 0};
    EXPECT_EQ(image, expected);
    // An empty voice writes nothing.
    CreateScoreImageForWrite();
    EXPECT_EQ(WriteVoiceRests(cell_, 3), 0);
    EXPECT_TRUE(TakeScoreImage().empty());
    CloseScoreFile();
}

// A write error stops the voice with result 2.
TEST_F(RestTest, WriteErrorStops) {
    Rest(0, 0, kQuarter);
    CloseScoreFile();  // nothing open: the writer fails
    EXPECT_EQ(WriteVoiceRests(cell_, 0), 2);
}

// Release by type code and the chain delete give every record back.
TEST_F(RestTest, ReleaseGivesTheRecordsBack) {
    ScoreObject* head = GetOrCreateVoiceElementList(cell_, 0);
    const std::vector<uint8_t> empty = PoolBytes();
    ScoreObject* rest = Rest(0, 0, kQuarter);
    UnlinkObject(rest);
    ReleaseObjectByType(doc_, rest);
    EXPECT_TRUE(IsFreeRecord(rest));
    for (int tick : {0, 1024, 2048}) Rest(0, tick, kQuarter);
    ScoreObject* kept = VoiceRests(0).front();
    DeleteRestChain(kept);
    EXPECT_EQ(VoiceRests(0), std::vector<ScoreObject*>{kept});
    DeleteRestChain(head);
    EXPECT_TRUE(VoiceRests(0).empty());
    EXPECT_TRUE(IsFreeRecord(kept));
}

// Damaged rests and voice lists (fixed seeds): random bodies and links are drawn,
// measured, hit-tested and written without a crash, and drawing writes no pool byte.
TEST_F(RestTest, DamagedListsAreHarmless) {
    StartRecording();
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        UseMeasure(1 + seed % 4);
        for (int voice = 0; voice < 4; ++voice)
            for (int i = 0; i < 3; ++i) Rest(voice, static_cast<int>(random() % 4096), 4 + random() % 10);
        std::vector<ScoreObject*> all;
        for (int voice = 0; voice < 4; ++voice)
            for (ScoreObject* r : VoiceRests(voice)) all.push_back(r);
        for (ScoreObject* r : all) {
            auto* bytes = reinterpret_cast<uint8_t*>(RestBodyOf(r));
            for (size_t k = 0; k < kRestBodyBytes; ++k)
                if (random() % 3 == 0) bytes[k] = static_cast<uint8_t>(random());
            if (random() % 5 == 0) r->next = Ref32<ScoreObject>{static_cast<uint32_t>(random())};
        }
        const std::vector<uint8_t> before = PoolBytes();
        const uint16_t edits = doc_->changeCounter;
        for (int voice = 0; voice < 4; ++voice) {
            for (ScoreObject* r = rests::NextElement(GetVoiceElementList(cell_, voice)); r != nullptr;
                 r = rests::NextElement(r)) {
                ClassOf(r).Draw(r, view_);
                RestIntersectsRect(view_, r, RecordRect{-30000, -30000, 30000, 30000});
                RestStaffOffset(cell_, RestBodyOf(r)->code, voice);
            }
        }
        DrawMeasureRest(view_);
        EXPECT_EQ(PoolBytes(), before) << "seed " << seed;
        EXPECT_EQ(doc_->changeCounter, edits) << "seed " << seed;
        CreateScoreImageForWrite();
        for (int voice = 0; voice < 4; ++voice) WriteVoiceRests(cell_, voice);
        CloseScoreFile();
        for (int voice = 0; voice < 4; ++voice) {
            if (ScoreObject* head = GetVoiceElementList(cell_, voice)) DeleteRestChain(head);
        }
    }
    EXPECT_GT(StopRecording(), 0u);
}

}  // namespace
}  // namespace ql::testing_rests
