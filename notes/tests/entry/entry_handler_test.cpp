// The notes handler's records: a handle object from static pool 0 goes back there with
// its hit records when it is released by type; its class answers the fixed slots.
#include <gtest/gtest.h>

#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "notes/handler/notes_handler.h"
#include "notes/tests/entry/entry_fixture.h"

namespace ql::testing_entry {
namespace {

using EntryHandler = EntryTest;

bool IsLiveStatic(const void* record) {
    return IsLiveRecord(PoolSet(TheStaticPoolSet()), kHitRecordStaticPool, record);
}

// Released by type: the object and its handle chain are back on the free list.
TEST_F(EntryHandler, ReleaseReturnsTheRecordAndItsHandles) {
    ScoreObject* handler = NewNotesHandler();
    ASSERT_NE(handler, nullptr);
    EXPECT_EQ(handler->type, TypeCode(ObjectType::Note));
    HitRecord* hit = AllocHitRecord();
    ASSERT_NE(hit, nullptr);
    handler->handleChain = Ref32<HitRecord>::To(hit);
    ASSERT_TRUE(IsLiveStatic(handler));
    ReleaseObjectByType(doc_, handler);
    EXPECT_FALSE(IsLiveStatic(handler));
    EXPECT_FALSE(IsLiveStatic(hit));
}

// The fixed answers: body size 50, insert key 1, never cloned.
TEST_F(EntryHandler, ClassAnswersItsFixedSlots) {
    ScoreObject* handler = NewNotesHandler();
    ASSERT_NE(handler, nullptr);
    const ScoreObjectClass& cls = ClassOf(handler);
    EXPECT_EQ(cls.GetBodySize(handler), kNotesHandlerBodyBytes);
    EXPECT_EQ(cls.OnInsertKey(handler, view_, nullptr, nullptr), 1);
    EXPECT_EQ(cls.Clone(handler, view_, PoolSet(doc_->pools), PoolSet(doc_->pools)), nullptr);
    EXPECT_EQ(cls.OnKey(handler, view_, 'D'), 0) << "no focused note";
    ReleaseObjectByType(doc_, handler);
}

}  // namespace
}  // namespace ql::testing_entry
