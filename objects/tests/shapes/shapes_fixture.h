// Fixture of the box, circle, line, guide, margin and picture tests: a fresh program
// state with the object classes registered, a selection state, a new score in page
// view, helpers that build an object's handles and drive its drags as the mouse
// processor does (focused chain, current handle, drag offset), a window whose
// backing store the view draws on (zoom 16: one device pixel per 8 units) for pixel
// checks, and the score written and read back through the score file's stream.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/model/score_document.h"
#include "files/read/score_reader.h"
#include "core/objects/hit_record.h"
#include "core/objects/score_object.h"
#include "objects/graphics/graphic_object.h"
#include "platform/handles.h"

namespace ql::testing_shapes {

constexpr int32_t kPageOrigin = -30720;  // the page's top-left corner, logical

// A packed field as a value, so that the test macros do not bind a reference to it.
template <typename T>
T V(T value) {
    return value;
}

class ShapesTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A page item of a type (box, circle, line) with its top-left or start point
    // at a page point and the given extent, in the current page's list.
    ScoreObject* Graphic(ObjectType type, LogicalPoint at, int32_t width, int32_t height);
    GraphicBody& Body(ScoreObject* object) { return AsGraphicObject(object)->body; }
    // The object's stored anchor as a logical point.
    LogicalPoint Anchor(ScoreObject* object);

    // Builds the object's handles and makes them the focused chain, with the
    // index-th handle current; the handle.
    HitRecord* Grab(ScoreObject* object, int index);
    // One pointer movement: the drag offset set, constrained when asked, then
    // tracked (an end or corner) or moved (a whole-object handle).
    void Move(ScoreObject* object, int32_t dx, int32_t dy, bool constrain = false);
    void MoveWhole(ScoreObject* object, int32_t dx, int32_t dy);
    int Commit(ScoreObject* object);
    // Frees the focused chain.
    void Release();

    // A window of the given device size showing the page from its top-left corner.
    void OpenWindow(int width, int height);
    // Device pixel of a page point; the pixel's colour.
    gfx::Point Device(int32_t x, int32_t y);
    uint32_t Pixel(int32_t x, int32_t y);
    // Dark pixels of a device row between two device columns, and of a column.
    int DarkInRow(int row, int from, int to);
    int DarkInColumn(int column, int from, int to);
    void ClearWindow();
    // Writes the window's image to the build's test-output folder.
    void SavePicture(const std::string& name);

    // The score written as a file would hold it and read back into a new document
    // (freed with the fixture); null (a failure recorded) when either step failed.
    ScoreDocument* Reload();
    // The objects of a type in a page's list, in list order (under the page's pools).
    static std::vector<ScoreObject*> ItemsOf(ScorePage* page, ObjectType type);

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    platform::WindowHandle window_{};
    HitRecord* chain_ = nullptr;
    std::vector<ScoreLoad> loads_;
};

}  // namespace ql::testing_shapes
