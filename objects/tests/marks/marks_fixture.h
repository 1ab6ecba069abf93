// Fixture of the mark tests (dynamics, pedal and tempo marks, hairpins, chord
// symbols): the drawing scene of the note-drawing tests with the object classes
// registered and a selection state, a score of one page laid out by the beat map,
// placing at a point as the mouse processor does (pointer point, location), the
// status bar, the mark dialogs' templates, and counters of undo steps and changes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/model/score_document.h"
#include "core/objects/midi_action.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "notes/tests/drawing/drawing_window_fixture.h"

namespace ql::testing_marks {

constexpr int32_t kMarksZoom = 16;
constexpr int kMeasuresPerSystem = 4;

class MarksTest : public ::ql::testing::DrawingWindowTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // One page of `systems` systems of four measures on `staves` staves.
    void BuildScore(int staves, int systems = 1);
    // A one-staff score in the active view, with handles `handleHalf` units from
    // their points and the keyboard focus on the window, as the tools find them.
    void BuildScoreForTools(int32_t handleHalf);
    // The logical point `x` units into a measure's slot, on a staff's middle line.
    LogicalPoint PointIn(int staff, int measure, int32_t x);
    // Moves the pointer and the view's location there, as a click does.
    void PointAt(LogicalPoint point);
    // Runs the prototype's CreateAtClick at a point (the view's location set there).
    ScoreObject* Place(ObjectType type, LogicalPoint point);

    ScoreObject* Prototype(ObjectType type) const { return doc_->prototypes[TypeCode(type)]; }
    MidiAction& Action(ScoreObject* mark) const { return *MidiActionOfText(mark); }
    TextObjectBody& Text(ScoreObject* mark) const { return AsTextObject(mark)->body; }
    // The objects of a cell's list, in order.
    std::vector<ScoreObject*> CellObjects(int staff, int measure) const;

    int UndoSteps() const;
    uint32_t ChangeCount() const;
    // The last text shown in a status-bar part ("" when none).
    std::string StatusText(int part) const;
    // Registers the mark dialogs' templates in the program bundle.
    void UseDialogs();

    // Writes the window's image to test-output and counts ink pixels in a device
    // rectangle.
    int InkIn(int left, int top, int right, int bottom) const;
    void ClearWindow();
};

}  // namespace ql::testing_marks
