// Placing the marks: anchoring at the pointer, inserting and focusing, the redraw
// around a key change and the always-commit byte (see mark_internal.h).
#include "core/draw/colour_sets.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "objects/midi_marks/mark_internal.h"

namespace ql {
namespace {

bool alwaysCommit = false;

}  // namespace

void AnchorTextAtPointer(ScoreView* view, TextObject* text) {
    if (view == nullptr || text == nullptr) return;
    const LogicalPoint pointer = view->pointerPoint;
    if (text->header.subtype == SubtypeCode(ObjectSubtype::PageList))
        EncodePageAnchors(view, &text->body.location, &pointer, 1);
    else
        EncodeTimeAnchors(view, &pointer, &text->body.location, 0);
}

bool InsertAndFocus(ScoreView* view, ScoreObject* object) {
    InsertObjectBySubtype(view, object);
    if (!object->prev) {
        ReleaseObjectByType(view->document, object);
        return false;
    }
    if (SelectionState* selection = TheSelectionState())
        selection->focusedObject = Ref32<ScoreObject>::To(object);
    ClassOf(object).Measure(object, view);
    return true;
}

void EraseBeforeChange(ScoreObject* object, ScoreView* view) {
    if (view == nullptr || !view->ViewWindow) return;
    BeginSelectionDraw(view);
    ClassOf(object).Draw(object, view);
    EndHighlightDraw(view);
}

void RedrawAfterChange(ScoreObject* object, ScoreView* view) {
    if (view == nullptr || !view->ViewWindow) return;
    BeginHighlightDraw(view);
    ClassOf(object).Draw(object, view);
    EndHighlightDraw(view);
}

bool AlwaysCommit() {
    return alwaysCommit;
}

ScopedAlwaysCommit::ScopedAlwaysCommit() : saved_(alwaysCommit) {
    alwaysCommit = true;
}

ScopedAlwaysCommit::~ScopedAlwaysCommit() {
    alwaysCommit = saved_;
}

}  // namespace ql
