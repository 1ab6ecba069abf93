// Fixture of the spanner dialog and record tests: the spanner fixture with the
// spanner and text dialogs registered, a one-staff score whose location and pointer
// stand where a tool's click places a spanner, and a dialog run on an object.
#pragma once

#include <utility>

#include "core/model/document.h"
#include "core/objects/class_table.h"
#include "objects/spanners/spanner_dialog_resources.h"
#include "objects/tests/spanners/spanner_fixture.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/ui/headless.h"

namespace ql::testing_spanners {

class SpannerDialogTest : public SpannerTest {
  protected:
    void SetUp() override {
        SpannerTest::SetUp();
        RegisterSpannerDialogResources();
        RegisterTextDialogResources();
    }
    // Measures 1..count numbered as the measure-number pass numbers them.
    void NumberMeasures(int count) {
        for (int m = 1; m <= count; ++m) MeasureRecordOf(doc_, m)->number = static_cast<uint16_t>(m);
    }
    // One staff of four measures (numbered when asked), the location in measure 2 and
    // the pointer above the staff, 40 units into the measure's content.
    void BuildClickScore(bool numbered = false) {
        BuildScore(1, {1}, 4);
        if (numbered) NumberMeasures(4);
        Locate(1, 2);
        view_->pointerPoint = LogicalPoint{SlotContent(System(0), 2) + 40, view_->staffY - 900};
    }
    // Runs the object's dialog under `script` from an unchanged score; what
    // EditAttributes returned.
    int Edit(ScoreObject* object, int32_t dialog, ui::headless::DialogScript script) {
        ui::headless::SetDialogScript(dialog, std::move(script));
        doc_->changeCounter = 0;
        return ClassOf(object).EditAttributes(object, view_);
    }
};

}  // namespace ql::testing_spanners
