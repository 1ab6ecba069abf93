// Clef and key changes inside a measure of a NIFF import. The object's anchor is a
// time anchor of its own measure: the tick, no x offset, and the y from the staff's
// bottom line where the clef and key tools anchor theirs (a clef at its kind's glyph
// offset, a key signature the key lift above), so that the glyphs sit on their lines.
#include "interchange/niff/niff_sign_changes.h"

#include <cstring>
#include <vector>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/signature_fields.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/ui/shell_services.h"
#include "display/view_location.h"
#include "interchange/niff/niff_import_state.h"
#include "layout/page_format.h"
#include "objects/object_anchor.h"
#include "objects/text_marks/text_marks.h"
#include "staves/clef_key_create.h"
#include "staves/clef_key_objects.h"
#include "staves/clef_key_tables.h"

namespace ql::niff {
void MakeNiffSignChange(NiffImportState& import, const NiffSignChange& change, int32_t x) {
    ScoreView* view = import.view;
    ScoreDocument* document = import.document;
    if (change.staff < 1 || change.staff > document->header.staffCount ||
        MeasureRecordOf(document, change.measure) == nullptr) {
        import.report.Count(kNiffUnmadeSignChanges);
        return;
    }
    ShowPageInView(view, PageIndexOfMeasure(document, change.measure));
    SetCurrentMeasureQuick(view, change.staff, change.measure);
    ScoreObject* object = view->currentCell != nullptr
                              ? ConstructObject(TypeCode(change.key ? ObjectType::KeySignature : ObjectType::Clef))
                              : nullptr;
    if (object == nullptr) {
        import.report.Count(kNiffUnmadeSignChanges);
        return;
    }
    TextObject* text = AsTextObject(object);
    if (change.key) {
        SetKeyCodeOfObject(object, change.code);
    } else {
        text->body.style = kClefStyle;
        SetClefKindOfObject(object, change.code);
    }
    const int32_t y = change.key ? -kKeyAnchorLift : ClefGlyphOffset(change.code);
    const AnchorPoint anchor{{0, static_cast<uint16_t>(change.tick)}, static_cast<int16_t>(x), static_cast<int16_t>(y)};
    static_assert(sizeof anchor == sizeof text->body.location);
    std::memcpy(&text->body.location, &anchor, sizeof anchor);
    SetSignatureTickOfObject(object, static_cast<uint16_t>(change.tick));
    object->subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
    InsertObjectBySubtype(view, object);
    ClassOf(object).Measure(object, view);  // a key's box follows its accidentals
    if (!change.key) RecountCellClefChanges(view->currentCell);
}

void MakeNiffSignChanges(NiffImportState& import) {
    if (import.view == nullptr || import.document == nullptr) return;
    const std::vector<NiffSignChange>& changes = import.frame.signChanges;
    for (size_t i = 0; i < changes.size(); ++i) {
        const NiffSignChange& change = changes[i];
        // The handlers leave the changes of one time next to one another.
        const auto clefBeside = [&](size_t at) {
            return at < changes.size() && !changes[at].key && changes[at].staff == change.staff &&
                   changes[at].measure == change.measure && changes[at].tick == change.tick;
        };
        const size_t clef = clefBeside(i - 1) ? i - 1 : clefBeside(i + 1) ? i + 1 : changes.size();
        const int32_t x = change.key && clef < changes.size()
                              ? KeyBesideClefChange(*import.document, changes[clef].code, change.code)
                              : 0;
        MakeNiffSignChange(import, change, x);
    }
    ShowPageInView(import.view, 0);
}

}  // namespace ql::niff
