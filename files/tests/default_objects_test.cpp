// The document's prototype objects: one per listed type code, built in the
// document's pools while the building flag is set, never in a list, entries 16 and
// 23 null, and a failure reported when a record cannot be had.
#include "files/default_objects.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/objects/class_table.h"
#include "core/objects/midi_action.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "files/tests/files_fixture.h"

namespace ql {
namespace {

using testing_files::FilesTest;
using testing_files::V;

constexpr uint8_t kListed[] = {0,  2,  3,  4,  5,  6,  7,  8,  9,  10, 12, 13, 14,
                               15, 18, 19, 20, 21, 22, 24, 25, 26, 27, 28, 29, 33,
                               38, 39, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53};

uint8_t g_flagSeen = 0;
bool g_inDocumentPools = false;
PoolSet g_expectedPools{};

void ConstructWatchingObject(ScoreObject* object) {
    ConstructScoreObject(object);
    object->type = TypeCode(ObjectType::Staff);
    g_flagSeen = State().files.BuildingPrototypes;
    g_inDocumentPools = CurrentPoolSet() == g_expectedPools;
}

using DefaultObjects = FilesTest;

// Every listed code gets a complete object of its type when its class is registered
// (2, 3, 20 and 44 always); 16 and 23 are null; none is in a list.
TEST_F(DefaultObjects, EveryListedPrototypeIsBuilt) {
    ScoreObject** table = doc_->prototypes;
    EXPECT_EQ(table[16], nullptr);
    EXPECT_EQ(table[23], nullptr);
    for (uint8_t code : kListed) {
        bool registered =
            FindObjectType(code).construct != nullptr || code == 2 || code == 3 || code == 20;
        SCOPED_TRACE("code " + std::to_string(code));
        if (!registered) {
            EXPECT_EQ(table[code], nullptr);
            continue;
        }
        ASSERT_NE(table[code], nullptr);
        EXPECT_EQ(table[code]->type, code);
        EXPECT_EQ(table[code]->next.get(), nullptr);
        EXPECT_EQ(table[code]->prev.get(), nullptr);
    }
    EXPECT_EQ(table[1], nullptr) << "unlisted entries are left alone";
    const MidiAction* action = MidiActionOfText(table[20]);
    EXPECT_EQ(V(action->classId), kMidiActionClass);
    EXPECT_EQ(V(table[20]->classId), kMidiTextObjectClass);
    EXPECT_EQ(V(table[2]->classId), kTextObjectClass);
    EXPECT_TRUE(
        IsLiveRecord(PoolSet(doc_->pools), kMidiTextRecordPool, MidiTextRecordOfText(table[20])));
}

// The prototypes are built in the given pools with the building flag set; the flag
// and the current pool set are restored afterwards.
TEST_F(DefaultObjects, BuiltInTheGivenPoolsWithTheFlagSet) {
    RegisterObjectType(TypeCode(ObjectType::Staff), {kTextObjectPool, &ConstructWatchingObject});
    g_expectedPools = PoolSet(doc_->pools);
    ScoreObject* table[kObjectTypeCount] = {};
    PoolSet before = CurrentPoolSet();
    {
        ScopedPoolSet elsewhere(TheStaticPoolSet());
        ASSERT_EQ(BuildDefaultObjects(view_, table, PoolSet(doc_->pools)), 1);
        EXPECT_EQ(CurrentPoolSet(), PoolSet(TheStaticPoolSet()));
    }
    EXPECT_EQ(CurrentPoolSet(), before);
    EXPECT_EQ(g_flagSeen, 1);
    EXPECT_TRUE(g_inDocumentPools);
    EXPECT_EQ(State().files.BuildingPrototypes, 0);
    ASSERT_NE(table[TypeCode(ObjectType::Staff)], nullptr);
}

// A record that cannot be had fails the build.
TEST_F(DefaultObjects, FailedRecordFailsTheBuild) {
    ScoreObject* table[kObjectTypeCount] = {};
    for (int n : {0, 5, 20}) {
        FailRecordAllocationAfter(n);
        EXPECT_EQ(BuildDefaultObjects(view_, table, PoolSet(doc_->pools)), 0) << n;
        FailNextRecordAllocations(0);
    }
}

}  // namespace
}  // namespace ql
