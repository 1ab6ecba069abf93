// The "Set Measure Number" dialog (884): gives the barline's measure a number and
// renumbers the measures after it by the numbering rule, up to the next numbering
// break, a chosen number, or the end of the piece. Without free numbering only
// measure 1 can be renumbered, and only to 0, 1 or 2.
#include <algorithm>
#include <cstdio>
#include <optional>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "layout/measure_spacing.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "staves/barline_dialog_resources.h"
#include "staves/measure_dialogs.h"
#include "staves/measure_shift.h"

namespace ql {

namespace {

using namespace measure_number_dialog;
using platform::WindowHandle;

constexpr int kMostFixedNumber = 2;

bool g_freeNumbering = false;

void ShowBox(const char* text) {
    ModalMessageBox(text, ProgramString(kStrProductName), ui::kBoxOk | ui::kBoxIconExclamation);
}

// The first measure after `measure` whose number breaks the numbering rule; count + 1
// when none does.
int NextNumberBreak(ScoreDocument* document, int measure) {
    const int count = document->header.measureCount;
    for (int m = measure + 1; m <= count; ++m)
        if (MeasureRecordOf(document, m)->number != NumberAfter(document, m - 1)) return m;
    return count + 1;
}

// The three range radios: their ids are not in one run, so each is set on its own.
void CheckRange(WindowHandle dialog, int32_t chosen) {
    for (int32_t id : {kToNextChange, kToEnd, kToNumber}) ui::CheckItem(dialog, id, id == chosen);
}

void InitNumberDialog(WindowHandle dialog, ScoreDocument* document, int measure) {
    ui::SetItemInt(dialog, kNumber, MeasureRecordOf(document, measure)->number);
    if (!g_freeNumbering) {
        CheckRange(dialog, kToEnd);
        ui::SetItemInt(dialog, kToNumberEdit, document->header.measureCount);
        EnableDlgControls(dialog, false, {kToNextChange, kToEnd, kToNumber});
        return;
    }
    CheckRange(dialog, kToNextChange);
    const int next = NextNumberBreak(document, measure);
    const MeasureRecord* record = MeasureRecordOf(document, std::min<int>(next, document->header.measureCount));
    ui::SetItemInt(dialog, kToNumberEdit, record->number);
}

// The end index of the choice; 0 keeps the dialog open.
int ChosenEnd(WindowHandle dialog, ScoreDocument* document, int measure) {
    const int count = document->header.measureCount;
    if (ui::IsItemChecked(dialog, kToEnd)) return count + 1;
    if (ui::IsItemChecked(dialog, kToNextChange)) return NextNumberBreak(document, measure);
    const std::optional<int32_t> number = ui::GetItemInt(dialog, kToNumberEdit);
    if (!number) {
        ui::Beep(ui::BeepKind::Stop);
        return 0;
    }
    for (int m = measure + 1; m <= count; ++m) {
        const MeasureRecord* record = MeasureRecordOf(document, m);
        if (*number >= record->number && *number <= record->number + record->extra) return m;
    }
    char text[64];
    std::snprintf(text, sizeof text, kUnableToFindNumber, *number);
    ShowBox(text);
    return 0;
}

bool ApplyNumberDialog(WindowHandle dialog, ScoreView* view, int measure) {
    ScoreDocument* document = view->document;
    int end = ChosenEnd(dialog, document, measure);
    if (end == 0) return false;
    const std::optional<int32_t> number = ui::GetItemInt(dialog, kNumber);
    if (!number || *number < 0 || *number > UINT16_MAX) {
        ui::Beep(ui::BeepKind::Stop);
        return false;
    }
    if (!g_freeNumbering && *number > kMostFixedNumber) {
        ShowBox(kStartingNumberLimit);
        return false;
    }
    UndoStep step(document, view, UndoKind::Measure, TypeCode(ObjectType::Measure), UndoVerb::Change);
    MeasureRecordOf(document, measure)->number = static_cast<uint16_t>(*number);
    if (end >= document->header.measureCount) end = document->header.measureCount + 1;
    for (int m = measure + 1; m < end; ++m)
        MeasureRecordOf(document, m)->number = static_cast<uint16_t>(NumberAfter(document, m - 1));
    RebuildMeasureIndex(document);
    SetDocumentModified(document);
    InvalidateLinkedViews(view);
    return true;
}

}  // namespace

bool IsFreeMeasureNumbering() {
    return g_freeNumbering;
}

void SetFreeMeasureNumbering(bool on) {
    g_freeNumbering = on;
}

int SetMeasureNumberDialog(ScoreView* view, const BarlineRef& barline) {
    if (view == nullptr || view->document == nullptr) return ui::kIdCancel;
    const int measure = barline.measure;
    if (MeasureRecordOf(view->document, measure) == nullptr || measure > view->document->header.measureCount)
        return ui::kIdCancel;
    if (!g_freeNumbering && measure != 1) return ui::kIdCancel;
    const intptr_t result = ModalDialogBox(
        view, kMeasureNumberDialog,
        [view, measure](WindowHandle dialog, win::Message message, uint32_t word, intptr_t) -> intptr_t {
            if (message == win::Message::InitDialog) {
                if (GetActiveView(dialog) == nullptr) ui::EndDialog(dialog, ui::kIdCancel);
                else InitNumberDialog(dialog, view->document, measure);
                return 0;
            }
            if (message != win::Message::Command) return 0;
            const uint32_t id = win::CommandId(word);
            if (id == ui::kIdOk && ApplyNumberDialog(dialog, view, measure)) ui::EndDialog(dialog, ui::kIdOk);
            if (id == ui::kIdCancel) ui::EndDialog(dialog, ui::kIdCancel);
            return id == ui::kIdOk || id == ui::kIdCancel ? 1 : 0;
        });
    return result == ui::kIdOk ? ui::kIdOk : ui::kIdCancel;
}

}  // namespace ql
