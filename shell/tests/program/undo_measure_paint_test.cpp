// Undo and Redo of a measure inserted or deleted at a barline paint the score as it
// was on each side of the edit: the pool bytes come back whole, and the barlines and
// rests stand where they stood, in the scroll view (drawn from the view's beat map)
// as in the page view.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/model/document_context.h"
#include "core/model/view.h"
#include "core/undo/undo.h"
#include "display/view_modes.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/program_fixture.h"
#include "staves/measure_edit.h"

namespace ql {
namespace {

using UndoMeasurePaintTest = testing::ProgramFixture;
namespace iso = testing::isolation;

enum class Edit { Insert, Delete };

// One measure edit on a new one-staff score shown at `zoom`, in the scroll or page
// view: what it paints before the edit, after it, after Undo and after Redo.
struct Paints {
    std::vector<uint32_t> before;
    std::vector<uint32_t> edited;
    std::vector<uint32_t> undone;
    std::vector<uint32_t> redone;
    bool bytesBack = false;
};

Paints PaintAroundEdit(bool pageView, int zoom, Edit edit, int measure) {
    Paints paints;
    ScoreView* view = iso::NewScoreFromMenu(1);
    if (view == nullptr) return paints;
    {
        const ScopedDocumentContext context(view);
        if (pageView)
            EnterPageView(view);
        else
            EnterScrollView(view);
        SetZoom(view, zoom);
    }
    paints.before = iso::PaintedPixels(view);
    const std::vector<uint8_t> bytes = iso::PoolBytes(view->document);
    {
        const ScopedDocumentContext context(view);
        UndoStep step(view->document, view, UndoKind::Item, 0, UndoVerb::Insert);
        if (edit == Edit::Insert)
            InsertMeasure(view, measure);
        else
            DeleteMeasureAtBarline(view, measure);
    }
    paints.edited = iso::PaintedPixels(view);
    {
        const ScopedDocumentContext context(view);
        UndoCommand(view->document, view);
    }
    paints.undone = iso::PaintedPixels(view);
    paints.bytesBack = iso::PoolBytes(view->document) == bytes;
    {
        const ScopedDocumentContext context(view);
        RedoCommand(view->document, view);
    }
    paints.redone = iso::PaintedPixels(view);
    return paints;
}

// Pixels that differ between two paints of the same size (all of them when the sizes
// differ).
size_t DifferentPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return a.size() + b.size();
    size_t count = 0;
    for (size_t i = 0; i < a.size(); ++i) count += a[i] != b[i];
    return count;
}

// Undo painted what stood before the edit and gave the pools back their bytes; Redo
// painted the edit again.
void ExpectPaintsComeBack(const Paints& paints, const std::string& where) {
    ASSERT_FALSE(paints.before.empty()) << where;
    EXPECT_TRUE(paints.bytesBack) << where;
    EXPECT_EQ(DifferentPixels(paints.before, paints.undone), 0u) << where;
    EXPECT_EQ(DifferentPixels(paints.edited, paints.redone), 0u) << where;
}

// In the scroll view, a measure inserted in the shown strip and undone: the strip is
// painted as before, not with the barlines the inserted measure left; Redo paints
// the inserted measure again. At three zooms, in the first measures and further on.
TEST_F(UndoMeasurePaintTest, ScrollViewBarlinesComeBackAfterAnInsertion) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    for (int zoom : {4, 8, 16})
        for (int measure : {2, 6}) {
            ExpectPaintsComeBack(
                PaintAroundEdit(false, zoom, Edit::Insert, measure),
                "zoom " + std::to_string(zoom) + ", measure " + std::to_string(measure));
        }
}

// The same for a deleted measure: Undo brings its barline back where it stood.
TEST_F(UndoMeasurePaintTest, ScrollViewBarlinesComeBackAfterADeletion) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    for (int zoom : {4, 8})
        for (int measure : {2, 6}) {
            ExpectPaintsComeBack(
                PaintAroundEdit(false, zoom, Edit::Delete, measure),
                "zoom " + std::to_string(zoom) + ", measure " + std::to_string(measure));
        }
}

// The page view paints each side of the edit as it was too.
TEST_F(UndoMeasurePaintTest, PageViewBarlinesComeBackAfterAnInsertion) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ExpectPaintsComeBack(PaintAroundEdit(true, 8, Edit::Insert, 2), "page view");
}

}  // namespace
}  // namespace ql
