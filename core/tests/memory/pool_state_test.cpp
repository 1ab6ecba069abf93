// The program state: start-up defaults, the reset used by tests, and switching the
// current pool set for one scope.
#include <stdexcept>

#include "core/undo/autosave.h"
#include "core/constants.h"
#include "core/undo/undo.h"
#include "core/tests/memory/pool_fixture.h"

namespace ql::testing_pools {
namespace {

using ProgramStateReset = PoolTest;
using PoolSetSwitching = PoolTest;

// Start-up sets the measure and slot limits and the default block-size table.
TEST_F(ProgramStateReset, StartUpDefaultsAreApplied) {
    EXPECT_EQ(State().pools.MaxMeasures, 1024);
    EXPECT_EQ(State().pools.MaxSystemSlots, 24);
    const uint16_t defaults[kDocumentPoolCount] = {0, 0, 16, 8, 64, 64, 64, 32, 64, 64, 64};
    for (int pool = 0; pool < kDocumentPoolCount; ++pool) EXPECT_EQ(State().pools.DocumentBlockKb[pool], defaults[pool]);
}

// A configured block size survives start-up; only zero entries get defaults.
TEST_F(ProgramStateReset, ConfiguredBlockSizesSurviveStartUp) {
    State().pools.DocumentBlockKb[kStaffRecordPool] = 16;
    State().pools.DocumentBlockKb[kEventRecordPool] = 0;
    ClearStaticPoolTables();
    EXPECT_EQ(State().pools.DocumentBlockKb[kStaffRecordPool], 16);
    EXPECT_EQ(State().pools.DocumentBlockKb[kEventRecordPool], 64);
}

// The reset clears every group and gives the static blocks back to the arena.
TEST_F(ProgramStateReset, ResetClearsFlagsAndReleasesStaticBlocks) {
    size_t before = ArenaBytesInUse();
    ASSERT_EQ(InitStaticPoolSet(), 1);
    EXPECT_GT(ArenaBytesInUse(), before);
    State().files.ScoreFileWriting = 1;
    State().files.EmergencySaveActive = 3;
    State().stacks.shortValues.count = 2;
    PlaybackFlags().PlaybackActive.store(1);
    State().text.status[0] = 'x';
    SetUndoSuspended(true);
    AutoSaveSettings().enabled = 1;
    ResetProgramState();
    EXPECT_FALSE(UndoSuspended()) << "a suspension must not leak into the next test";
    EXPECT_EQ(AutoSaveSettings().enabled, 0);
    EXPECT_EQ(ArenaBytesInUse(), before);
    EXPECT_EQ(State().files.ScoreFileWriting, 0);
    EXPECT_EQ(State().files.EmergencySaveActive, 0u);
    EXPECT_EQ(State().stacks.shortValues.count, 0);
    EXPECT_EQ(PlaybackFlags().PlaybackActive.load(), 0);
    EXPECT_EQ(State().text.status[0], '\0');
    EXPECT_FALSE(CurrentPoolSet());
    EXPECT_EQ(TheStaticPoolSet().pools[kSequencerStaticPool].blockCount, 0);
}

// The scope guard restores the previous set on normal exit and on an exception.
TEST_F(PoolSetSwitching, ScopedSetIsRestoredOnEveryPath) {
    DocumentPoolSet other{};
    InitDocumentPoolSet(other);
    {
        ScopedPoolSet use(other);
        EXPECT_EQ(CurrentPoolSet(), PoolSet(other));
        void* record = AllocRecord(kEventRecordPool);
        EXPECT_TRUE(IsLiveRecord(other, kEventRecordPool, record));
        EXPECT_FALSE(IsLiveRecord(doc_, kEventRecordPool, record));
    }
    EXPECT_EQ(CurrentPoolSet(), PoolSet(doc_));
    try {
        ScopedPoolSet use(other);
        throw std::runtime_error("copy failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(CurrentPoolSet(), PoolSet(doc_));
    FreeDocumentPoolSet(other);
}

// Handles are relative to their set: the same handle names different records.
TEST_F(PoolSetSwitching, HandlesResolveInTheCurrentSet) {
    DocumentPoolSet other{};
    InitDocumentPoolSet(other);
    void* mine = AllocRecord(kEventRecordPool);
    void* theirs = nullptr;
    {
        ScopedPoolSet use(other);
        theirs = AllocRecord(kEventRecordPool);
        EXPECT_EQ(HandleToPtr(kEventRecordPool, RecordHandle{1}), theirs);
    }
    EXPECT_EQ(HandleToPtr(kEventRecordPool, RecordHandle{1}), mine);
    EXPECT_NE(mine, theirs);
    FreeDocumentPoolSet(other);
}

}  // namespace
}  // namespace ql::testing_pools
