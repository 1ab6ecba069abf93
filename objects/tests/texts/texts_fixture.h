// Test fixture of the text-object tests: a fresh program state with the text classes
// registered over the stored ones, the text dialogs' templates, a selection state, and
// a score of three staves on two systems of two measures each (4/4), the view on
// staff 1, measure 1. Helpers put notes into a measure, script the entry window one
// opening at a time, and read lyrics back.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/text/text_object.h"
#include "platform/ui/headless.h"

namespace ql::testing_texts {

constexpr int kStaves = 3;
constexpr int kMeasuresPerSystem = 2;
constexpr int kQuarterCode = 10;
constexpr int kQuarterTicks = 1024;
constexpr int kEntryDialog = 816;

using EntryScript = std::function<void(ui::headless::DialogDriver&)>;

class TextsTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Makes a staff and measure current; returns its cell.
    MeasureCell* UseMeasure(int staff, int measure);
    // A quarter note in voice 1 of the current cell at a tick.
    EventRecord* Note(int time, int voice = 0);
    // Puts the pointer on a note of the current measure (made by Note).
    void PointAtNote(const EventRecord* note);
    // The next openings of the entry window answered in turn by these scripts (Escape
    // after the last).
    void ScriptEntries(std::vector<EntryScript> scripts);
    int EntryOpenings() const { return *openings_; }
    // Chooses the object as a click on it does (its handle focused), moves the handle by
    // `by` as a drag does, and lets it go: the anchor point it has then.
    LogicalPoint DragAndLetGo(ScoreObject* object, LogicalPoint by);
    // The pooled string of a text object ("" for none).
    static std::string StringOf(ScoreObject* object);
    // The objects of a list after its head.
    static std::vector<ScoreObject*> ListOf(ScoreObject* head);
    // The lyrics attached to a note.
    static std::vector<TextObject*> LyricsOf(EventRecord* note);

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    MeasureCell* cell_ = nullptr;
    std::shared_ptr<int> openings_ = std::make_shared<int>(0);
};

}  // namespace ql::testing_texts
