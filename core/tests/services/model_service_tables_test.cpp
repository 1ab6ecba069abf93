// The tables the score model calls the display, the layout, the object kinds and the
// score files through: an empty slot does nothing and gives its result type's empty
// value (a lyric entry: none started), a filled slot gets the arguments and gives its
// result, and the program's own tables are back in place after each test.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "core/services/display_services.h"
#include "core/services/file_services.h"
#include "core/services/layout_services.h"
#include "core/services/score_object_services.h"
#include "display/display_services_install.h"
#include "files/file_services_install.h"
#include "layout/layout_services_install.h"
#include "objects/score_object_services_install.h"

namespace ql::testing_services {
namespace {

// What the last filled slot was called with.
struct Seen {
    int calls = 0;
    const void* first = nullptr;
    const void* second = nullptr;
    int64_t number = 0;
};
Seen g_seen;

void Record(const void* first, const void* second, int64_t number) {
    ++g_seen.calls;
    g_seen.first = first;
    g_seen.second = second;
    g_seen.number = number;
}

// Stand-ins for the records the slots are handed; the calls only pass them on.
alignas(16) std::byte g_viewBytes[16];
alignas(16) std::byte g_otherBytes[16];
ScoreView* const kView = reinterpret_cast<ScoreView*>(g_viewBytes);
ScoreSystem* const kSystem = reinterpret_cast<ScoreSystem*>(g_otherBytes);
ScoreObject* const kObject = reinterpret_cast<ScoreObject*>(g_otherBytes);

class ModelServiceTablesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_seen = {};
        SetDisplayServices({});
        SetLayoutServices({});
        SetScoreObjectServices({});
        SetFileServices({});
    }
    void TearDown() override {
        InstallDisplayServices();
        InstallLayoutServices();
        InstallScoreObjectServices();
        InstallFileServices();
    }
};

TEST_F(ModelServiceTablesTest, EmptySlotsDoNothingAndGiveTheEmptyValue) {
    display::SetCurrentSystemAndMeasure(kView, kSystem, 1, 2, true);
    display::RestoreHiddenEmptyStavesOf(nullptr);
    objects::DestroyRest(kObject);
    EXPECT_EQ(display::SystemOfMeasure(kView, 3), nullptr);
    EXPECT_FALSE(display::PlacesOnPage(kView));
    EXPECT_FALSE(display::ClampAnchorsToPage(kView, nullptr, 0, nullptr, 1, 1, 0));
    EXPECT_EQ(display::EnterScrollView(kView), 0);
    EXPECT_EQ(display::LastStaffOfBrace(kView, 2), 0);
    EXPECT_EQ(layout::BuildInitialScoreLayout(kView), 0);
    EXPECT_EQ(layout::UpdateBeatMapsInPlace(kView, 1), 0);
    EXPECT_EQ(layout::MeasureSlotX(kView, kSystem, 2), 0);
    EXPECT_EQ(objects::BuildDefaultObjects(kView, nullptr, PoolSet{}), 0);
    EXPECT_EQ(objects::InsertClefInMeasure(kView, kObject), 0);
    EXPECT_EQ(objects::EditLyricInPlace(kObject, kView), objects::kNoLyricEntry);
    EXPECT_EQ(files::SaveScoreFile(nullptr, kView), 0);
    EXPECT_EQ(files::WriteScoreBytes(g_otherBytes, 1), 0);
    EXPECT_EQ(files::ScoreBytesLeft(), 0u);
    EXPECT_EQ(g_seen.calls, 0);
}

TEST_F(ModelServiceTablesTest, FilledSlotsGetTheArgumentsAndGiveTheirResult) {
    DisplayServices displayTable;
    displayTable.setCurrentSystemAndMeasure = [](ScoreView* view, ScoreSystem* system, int staff,
                                                 int measure, bool force) {
        Record(view, system, staff * 1000 + measure * 10 + (force ? 1 : 0));
    };
    displayTable.systemOfMeasure = [](ScoreView* view, int measure) {
        Record(view, nullptr, measure);
        return kSystem;
    };
    SetDisplayServices(displayTable);
    display::SetCurrentSystemAndMeasure(kView, kSystem, 3, 7);
    EXPECT_EQ(g_seen.first, kView);
    EXPECT_EQ(g_seen.second, kSystem);
    EXPECT_EQ(g_seen.number, 3070);  // force left false
    EXPECT_EQ(display::SystemOfMeasure(kView, 12), kSystem);
    EXPECT_EQ(g_seen.number, 12);

    LayoutServices layoutTable;
    layoutTable.updateBeatMapsInPlace = [](ScoreView* view, int redraw) {
        Record(view, nullptr, redraw);
        return 5;
    };
    SetLayoutServices(layoutTable);
    EXPECT_EQ(layout::UpdateBeatMapsInPlace(kView, 1), 5);
    EXPECT_EQ(layout::UpdateBeatMaps(kView, 1), 0);  // another slot, still empty

    ScoreObjectServices objectTable;
    objectTable.editLyricInPlace = [](ScoreObject* object, ScoreView* view) {
        Record(object, view, 0);
        return 0;
    };
    SetScoreObjectServices(objectTable);
    EXPECT_EQ(objects::EditLyricInPlace(kObject, kView), 0);
    EXPECT_EQ(g_seen.first, kObject);
    EXPECT_EQ(g_seen.second, kView);

    FileServices fileTable;
    fileTable.writeScoreBytes = [](const void* bytes, uint32_t count) {
        Record(bytes, nullptr, count);
        return 1;
    };
    SetFileServices(fileTable);
    EXPECT_EQ(files::WriteScoreBytes(g_otherBytes, 9), 1);
    EXPECT_EQ(g_seen.first, g_otherBytes);
    EXPECT_EQ(g_seen.number, 9);
    EXPECT_EQ(g_seen.calls, 5);
}

// The program's table reaches the score files: writing no bytes succeeds at once
// there, where an empty slot gives 0.
TEST_F(ModelServiceTablesTest, TheInstalledFileTableReachesTheScoreFiles) {
    EXPECT_EQ(files::WriteScoreBytes(nullptr, 0), 0);
    InstallFileServices();
    EXPECT_EQ(files::WriteScoreBytes(nullptr, 0), 1);
    EXPECT_EQ(files::ReadScoreBytes(nullptr, 0), 1);
}

}  // namespace
}  // namespace ql::testing_services
