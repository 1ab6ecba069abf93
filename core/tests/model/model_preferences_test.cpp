// The default time signature a new score takes: checked when preferences load, and
// never changed by creating a document.
#include "core/tests/model/model_fixture.h"

namespace ql::testing_model {
namespace {

using PreferencesTest = ModelTest;

// A beat-unit exponent outside 4..13 becomes the quarter (10); others stay.
TEST_F(PreferencesTest, LoadedExponentOutsideRangeBecomesQuarter) {
    PreferenceDefaults& prefs = ProgramPreferences();
    for (auto [given, kept] : {std::pair{3, 10}, {4, 4}, {9, 9}, {13, 13}, {14, 10}, {255, 10}}) {
        prefs.timeBeatUnitExponent = static_cast<uint8_t>(given);
        SanitizeTimeSignatureDefaults(prefs);
        EXPECT_EQ(prefs.timeBeatUnitExponent, kept) << given;
    }
}

// A user's 6/8 stays 6/8 through creation: measures and new cells agree.
TEST_F(PreferencesTest, SixEightDefaultsGiveSixEightMeasures) {
    PreferenceDefaults& prefs = ProgramPreferences();
    prefs.timeBeats = 6;
    prefs.timeBeatUnitExponent = 9;
    ScoreView* view = InitView(AllocView());
    ScoreDocument* other = AllocDocument();
    ASSERT_EQ(CreateDocument(other, view, nullptr), other);
    EXPECT_EQ(prefs.timeBeatUnitExponent, 9);
    EXPECT_EQ(MeasureRecordOf(other, 1)->lengthTicks, 3072);
    EXPECT_EQ(MeasureRecordOf(other, 1)->width, 3072 / 16 * 2816 / 256);
    MeasureCell cell{};
    InitMeasureCell(&cell);
    EXPECT_EQ(cell.beats, 6);
    EXPECT_EQ(cell.beatUnit, 9);
    ReleaseObjectByType(other, cell.objects.get());
    FreeView(view);
    FreeDocument(other);
    SetCurrentPoolSet(doc_->pools);
}

}  // namespace
}  // namespace ql::testing_model
