// Failing allocations and hostile sequences: a refused record leaves no object in
// the page list, a refused handle leaves no handle behind (and beeps), and a random
// mix of creations, drags, squarings, straightenings, commits and copies keeps every
// object's extent positive after its commit and the handle pool as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "objects/graphics/graphic_class.h"
#include "objects/tests/shapes/shapes_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_shapes {
namespace {

class ShapesFailureTest : public ShapesTest {
  protected:
    // Live records of a pool of the static set.
    int LiveHandles() {
        PoolSet set(TheStaticPoolSet());
        ScopedPoolSet scope(set);
        int live = 0;
        const RecordPool& pool = set.pools[kHitRecordPool];
        for (int block = 0; block < pool.blockCount; ++block)
            for (int slot = 1; slot < pool.blocks[block].nextFresh; ++slot)
                if (IsLiveRecord(set, kHitRecordPool, PoolSlotAddress(kHitRecordPool, block, slot))) ++live;
        return live;
    }
    int PageObjects() {
        int count = 0;
        for (ScoreObject* o = PageObjectListOf(view_)->next.get(); o != nullptr; o = o->next.get()) ++count;
        return count;
    }
};

// A refused record: no object, nothing linked; a refused handle at any of the
// object's handles: no handles left behind, one beep.
TEST_F(ShapesFailureTest, RefusedAllocationsLeaveNothing) {
    for (ObjectType type : {ObjectType::Box, ObjectType::Circle, ObjectType::Line}) {
        ScoreObject* prototype = ConstructObject(TypeCode(type));
        int objects = PageObjects();
        FailNextRecordAllocations(1);
        EXPECT_EQ(ClassOf(prototype).CreateAtClick(prototype, view_), nullptr);
        EXPECT_EQ(PageObjects(), objects);
        ScoreObject* made = ClassOf(prototype).CreateAtClick(prototype, view_);
        ASSERT_NE(made, nullptr);
        int handles = type == ObjectType::Line ? kLineHandleCount : kBoxHandleCount;
        int live = LiveHandles();
        for (int successes = 0; successes < handles; ++successes) {
            size_t beeps = ui::headless::Beeps().size();
            FailRecordAllocationAfter(successes);
            EXPECT_EQ(ClassOf(made).BuildHandles(made, view_), nullptr) << successes;
            EXPECT_EQ(LiveHandles(), live) << successes;
            EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
            FailNextRecordAllocations(0);
        }
        FreeRecord(kTextObjectPool, prototype);
    }
}

// A random mix of the shapes' operations: after every commit the extents of a box
// are positive and its anchor is its top-left handle; no handle outlives its chain.
TEST_F(ShapesFailureTest, HostileSequencesKeepShapesSound) {
    std::mt19937 random(3601);
    int live = LiveHandles();
    const ObjectType types[] = {ObjectType::Box, ObjectType::Circle, ObjectType::Line};
    for (int round = 0; round < 300; ++round) {
        ObjectType type = types[random() % 3];
        ScoreObject* object = Graphic(type, {static_cast<int32_t>(random() % 4000), static_cast<int32_t>(random() % 4000)},
                                      64 + static_cast<int32_t>(random() % 900), static_cast<int32_t>(random() % 900));
        int handles = type == ObjectType::Line ? kLineHandleCount : kBoxHandleCount;
        for (int step = 0; step < 6; ++step) {
            Grab(object, static_cast<int>(random() % handles));
            int32_t dx = static_cast<int32_t>(random() % 2001) - 1000;
            int32_t dy = static_cast<int32_t>(random() % 2001) - 1000;
            switch (random() % 4) {
            case 0: Move(object, dx, dy, random() % 2 == 0); break;
            case 1: MoveWhole(object, dx, dy); break;
            case 2: ClassOf(object).Invalidate(object, view_); break;
            default: {
                PoolSet set(doc_->pools);
                ScoreObject* copy = ClassOf(object).Clone(object, view_, set, set);
                ASSERT_NE(copy, nullptr);
                EXPECT_EQ(std::memcmp(&Body(copy), &Body(object), sizeof(GraphicBody)), 0);
                FreeRecord(kTextObjectPool, copy);
            }
            }
            Commit(object);
            if (type != ObjectType::Line) {
                EXPECT_GE(V(Body(object).width), 0);
                EXPECT_GE(V(Body(object).height), 0);
                EXPECT_EQ(Anchor(object).x, chain_->point.x);
                EXPECT_EQ(Anchor(object).y, chain_->point.y);
            }
        }
        Release();
        EXPECT_EQ(LiveHandles(), live);
        UnlinkObject(object);
        FreeRecord(kTextObjectPool, object);
    }
}

}  // namespace
}  // namespace ql::testing_shapes
