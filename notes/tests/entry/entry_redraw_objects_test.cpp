// What lies under a note's old image besides notes comes back when the image is drawn
// away: the objects of the measure's cell (a slur, a text, a dynamic) and the page's
// items, each a bar across the stem a key flips, also one that starts measures before.
#include <gtest/gtest.h>

#include <vector>

#include "core/constants.h"
#include "core/draw/colour_sets.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "display/system_drawing.h"
#include "notes/beatmap/beat_map.h"
#include "notes/rests/staff_place.h"
#include "notes/stems/stems.h"
#include "notes/tests/entry/measure_redraw_fixture.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/win/keys.h"

namespace ql::testing_entry {
namespace {

constexpr int kBottomLine = 0;
constexpr int32_t kBarThickness = 16;  // two device pixels at zoom 16

// An object class that inks a bar across the whole current measure, centred on a
// staff step: what any measure or page object leaves on the paper. With `reach` the
// bar runs on to the end of the measure that many slots on, as a slur or a hairpin
// over several measures does.
class InkBarClass final : public ScoreObjectClass {
  public:
    int step = 0;
    int reach = 0;
    void Update(ScoreObject* object, ScoreView* view) const override { Draw(object, view); }
    void Paint(ScoreObject* object, ScoreView* view) const override { Draw(object, view); }
    void Draw(ScoreObject*, ScoreView* view) const override {
        const int32_t left = CurrentSlotX(view) + BeatMapTickToX(view, 0) - kUnitsPerStaffSpace;
        const int32_t right = reach == 0
                                  ? CurrentSlotX(view) + BeatMapTickToX(view, view->currentMeasureLength)
                                  : MeasureSlotX(view, view->currentSystem, view->currentSlot + reach + 1);
        const int32_t y = PositionY(view, step);
        gfx::FillRect(view->ViewDC,
                      gfx::Rect{left, y - kBarThickness / 2, right, y + kBarThickness / 2},
                      gfx::GetStockBrush(gfx::StockBrush::Black));
    }
};

class UnderDrawnAwayObjects : public MeasureRedrawTest {
  protected:
    void SetUp() override {
        MeasureRedrawTest::SetUp();
        // Halfway up the stem of a quarter on the bottom line, in a space.
        bar_.step = kBottomLine - 3;
        RegisterObjectClass(ClassOfType(ObjectType::Line), &bar_);
    }
    // A bar object put after the head of a list.
    static void AddBar(ScoreObject* head) {
        ScoreObject* object = AllocRootObject();
        ASSERT_NE(object, nullptr);
        object->type = TypeCode(ObjectType::Line);
        object->classId = ClassOfType(ObjectType::Line);
        InsertObjectAfter(head, object);
    }
    // The measure and its bar drawn from nothing.
    std::vector<uint32_t> FreshPicture() {
        ShowMeasureAfresh();
        BeginViewDraw(view_);
        bar_.Draw(nullptr, view_);
        EndViewDraw(view_);
        return WindowPixels();
    }
    // A quarter on the bottom line with its stem up across the bar; F flips it down.
    // The ink of the fresh picture the screen lacks afterwards.
    int LackingAfterAFlip() {
        EventRecord* note = StemUpNote();
        FreshPicture();
        const std::vector<uint32_t> shown = FlippedOnScreen(note);
        return Lacking(shown, FreshPicture());
    }
    // A quarter on the bottom line of the current measure, its stem up.
    EventRecord* StemUpNote() {
        EventRecord* note = Note(0, 0, kQuarter, kBottomLine);
        UpdateBeamForNote(view_, note);
        return note;
    }
    // The screen after F flipped the note's stem, as the key draws it.
    std::vector<uint32_t> FlippedOnScreen(EventRecord* note) {
        BeginViewDraw(view_);
        BeginHighlightDrawAlt3(view_);
        EXPECT_EQ(Key(note, static_cast<uint32_t>(win::LetterKey('F'))), 1);
        EndHighlightDraw(view_);
        EndViewDraw(view_);
        return WindowPixels();
    }
    // The ink of the fresh picture the shown one lacks.
    static int Lacking(const std::vector<uint32_t>& shown, const std::vector<uint32_t>& fresh) {
        int lacking = 0;
        for (size_t i = 0; i < fresh.size() && i < shown.size(); ++i) lacking += Ink(fresh[i]) && Paper(shown[i]);
        return lacking;
    }

    InkBarClass bar_;
};

// A measure object across the stem stays whole when the stem is drawn away.
TEST_F(UnderDrawnAwayObjects, TheMeasuresObjectsComeBack) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    UseMeasure(1);
    AddBar(GetOrCreateCellObjectList(view_->currentCell));
    EXPECT_EQ(LackingAfterAFlip(), 0) << "the measure's object has a gap where the stem was";
}

// A bar of measure 1 running to the end of measure 3 (a slur over three measures)
// crosses the stem of a note in measure 3: when the stem is drawn away the bar stays
// whole, though its object belongs to a cell two slots left of what was drawn away.
TEST_F(UnderDrawnAwayObjects, ObjectsReachingFromEarlierMeasuresComeBack) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    constexpr int kFirst = 1;
    constexpr int kThird = 3;
    bar_.reach = kThird - kFirst;
    UseMeasure(kFirst);
    AddBar(GetOrCreateCellObjectList(view_->currentCell));
    UseMeasure(kThird);
    EventRecord* note = StemUpNote();
    // The system's grid, the bar and the third measure's note, from nothing.
    const auto fresh = [&] {
        OpenWindow(4 * kWidth, kHeight);
        BeginViewDraw(view_);
        DrawSystemAllStaves(view_);
        UseMeasure(kFirst);
        bar_.Draw(nullptr, view_);
        UseMeasure(kThird);
        DrawStaffNotesAllVoices(view_, view_->currentCell);
        EndViewDraw(view_);
        return WindowPixels();
    };
    fresh();
    const std::vector<uint32_t> shown = FlippedOnScreen(note);
    EXPECT_EQ(Lacking(shown, fresh()), 0) << "the bar from two measures back has a gap where the stem was";
}

// A page item across the stem stays whole too.
TEST_F(UnderDrawnAwayObjects, ThePagesItemsComeBack) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    UseMeasure(1);
    view_->pageView = 1;
    // The page's list, headed as a new page's is.
    if (view_->currentPage->margins.get() == nullptr)
        view_->currentPage->margins = Ref32<ScoreObject>::To(AllocRootObject());
    ScoreObject* items = PageObjectListOf(view_);
    ASSERT_NE(items, nullptr);
    AddBar(items);
    EXPECT_EQ(LackingAfterAFlip(), 0) << "the page's item has a gap where the stem was";
}

}  // namespace
}  // namespace ql::testing_entry
