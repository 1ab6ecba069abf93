// The "Hide Measure Objects" dialog (882): per staff, which signs of a measure are
// hidden (clef, key and time changes, key cancellation), which voices' element
// lists and events are hidden, and whether the measure number shows; over one
// measure or the measures of the system, one staff or all, and on through the page
// or the rest of the score. A measure-wide hide bit is set only when every staff
// hides that sign.
#include <algorithm>
#include <cstdio>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "layout/measure_format.h"
#include "layout/page_format.h"
#include "layout/spacing/spacing_collect.h"
#include "notes/rests/rest.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "staves/barline_dialog_resources.h"
#include "staves/measure_dialogs.h"

namespace ql {

namespace {

using namespace hide_objects_dialog;
using platform::WindowHandle;

constexpr int kRestMaskShift = 10;
constexpr int kStemMaskShift = 12;
constexpr int kLongestList = 4096;
constexpr int kMostMeasuresPerRun = MaxMeasures;
// Cell hide bits and the dialog's boxes for them; bit 1 (barline) follows the measure.
struct HideBit {
    uint8_t bit;
    int32_t control;
};
constexpr HideBit kSignBits[] = {{kMeasureClefHidden, kClefChange},
                                 {kMeasureKeyHidden, kKeyChange},
                                 {kMeasureTimeHidden, kTimeChange},
                                 {kMeasureNaturalsHidden, kKeyCancel}};
constexpr int32_t kStemBoxes[] = {kUpStems, kUpStemsAux, kDownStems, kDownStemsAux};
constexpr int32_t kRestBoxes[] = {kRestsUp, kRestsDown};
constexpr uint8_t kStartCopyHidden = 0x40;

HideRange g_lastRange = HideRange::None;

// What the boxes say, read once.
struct HideChoice {
    uint8_t signs = 0;
    uint16_t stems = 0;  // bits 0..3
    uint16_t rests = 0;  // bits 0..1
    bool number = false;
};

int StaffOfView(const ScoreView* view) {
    const int count = view->document->header.staffCount;
    return view->currentStaff < 1 || view->currentStaff > count ? count : view->currentStaff;
}

void InitHideDialog(WindowHandle dialog, ScoreView* view, const BarlineRef& barline) {
    const MeasureRecord& record = *MeasureRecordOf(view->document, barline.measure);
    char title[32];
    std::snprintf(title, sizeof title, "%s %d", "Barline", record.number);
    ui::SetItemText(dialog, kTitle, title);
    const MeasureCell* cell = FindMeasureCell(view->document, StaffOfView(view), barline.measure);
    for (const HideBit& entry : kSignBits)
        ui::CheckItem(dialog, entry.control, cell != nullptr && (cell->cellFlags & entry.bit) != 0);
    const int stems = cell != nullptr ? cell->cellWord >> kStemMaskShift : 0;
    const int rests = cell != nullptr ? (cell->cellWord & kCellHiddenRestMask) >> kRestMaskShift : 0;
    for (int i = 0; i < 4; ++i) ui::CheckItem(dialog, kStemBoxes[i], (stems >> i) & 1);
    for (int i = 0; i < 2; ++i) ui::CheckItem(dialog, kRestBoxes[i], (rests >> i) & 1);
    ui::CheckItem(dialog, kMeasureNumber, (record.numberFlags & kMeasureNumberHidden) != 0);
    ui::CheckRadioButton(dialog, kThisMeasure, kAllMeasures, kThisMeasure);
    ui::CheckRadioButton(dialog, kThisStaff, kAllStaves, kThisStaff);
    ui::CheckItem(dialog, kThisSystem, true);
    ui::CheckItem(dialog, kThisPage, true);
}

HideChoice ReadChoice(WindowHandle dialog) {
    HideChoice choice;
    for (const HideBit& entry : kSignBits)
        if (ui::IsItemChecked(dialog, entry.control)) choice.signs |= entry.bit;
    for (int i = 0; i < 4; ++i)
        if (ui::IsItemChecked(dialog, kStemBoxes[i])) choice.stems |= static_cast<uint16_t>(1 << i);
    for (int i = 0; i < 2; ++i)
        if (ui::IsItemChecked(dialog, kRestBoxes[i])) choice.rests |= static_cast<uint16_t>(1 << i);
    choice.number = ui::IsItemChecked(dialog, kMeasureNumber);
    return choice;
}

// The element lists of the voices whose stem bit is set are hidden (their rests
// carry the hidden flag), the others shown. The event record has no hidden mark
// yet: the cell's hidden-rest mask keeps that choice for the drawing.
void MarkElements(MeasureCell* cell, uint16_t stems) {
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        ScoreObject* element = GetVoiceFirstElement(cell, voice);
        for (int guard = 0; element != nullptr && guard < kLongestList; ++guard, element = element->next.get())
            if (RestBody* body = RestBodyOf(element))
                body->flags = static_cast<uint8_t>(((stems >> voice) & 1) ? body->flags | kRestHidden
                                                                          : body->flags & ~kRestHidden);
    }
}

void ApplyToCell(MeasureCell* cell, const HideChoice& choice, bool barlineHidden) {
    constexpr uint8_t kAllSigns = kMeasureClefHidden | kMeasureKeyHidden | kMeasureTimeHidden |
                                  kMeasureNaturalsHidden | kMeasureBarlineHidden;
    cell->cellFlags = static_cast<uint8_t>((cell->cellFlags & ~kAllSigns) | choice.signs |
                                           (barlineHidden ? kMeasureBarlineHidden : 0));
    cell->cellWord = static_cast<uint16_t>((cell->cellWord & ~(kCellHiddenRestMask | kCellHiddenStemMask)) |
                                           (choice.rests << kRestMaskShift) | (choice.stems << kStemMaskShift));
    MarkElements(cell, choice.stems);
}

// One measure over the staves of the range; the measure-wide bits become the AND of
// every staff's.
void ApplyToMeasure(ScoreDocument* document, int measure, int firstStaff, int lastStaff, const HideChoice& choice) {
    MeasureRecord& record = *MeasureRecordOf(document, measure);
    record.numberFlags = static_cast<uint8_t>(choice.number ? record.numberFlags | kMeasureNumberHidden
                                                            : record.numberFlags & ~kMeasureNumberHidden);
    const bool barlineHidden = (record.flags & (kMeasureBarlineHidden | kStartCopyHidden)) != 0;
    for (int staff = firstStaff; staff <= lastStaff; ++staff)
        if (MeasureCell* cell = FindMeasureCell(document, staff, measure)) ApplyToCell(cell, choice, barlineHidden);
    uint8_t all = kMeasureClefHidden | kMeasureKeyHidden | kMeasureTimeHidden | kMeasureNaturalsHidden;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        const MeasureCell* cell = FindMeasureCell(document, staff, measure);
        all &= cell != nullptr ? cell->cellFlags : 0;
    }
    constexpr uint8_t kSigns = kMeasureClefHidden | kMeasureKeyHidden | kMeasureTimeHidden | kMeasureNaturalsHidden;
    record.flags = static_cast<uint8_t>((record.flags & ~kSigns) | all);
}

// The measure after `measure` in the chosen range, or 0 at its end.
int NextMeasureOfRange(ScoreView* view, WindowHandle dialog, int measure) {
    ScoreSystem* system = SystemOfMeasureInScore(view, measure);
    if (system == nullptr) return 0;
    if (ui::IsItemChecked(dialog, kAllMeasures) && measure < system->lastMeasure) return measure + 1;
    if (ui::IsItemChecked(dialog, kSystemToPageEnd) && system->next) return system->next.get()->firstMeasure;
    if (ui::IsItemChecked(dialog, kPageToEnd)) {
        ScorePage* page = PageOfMeasure(view->document, measure);
        ScorePage* next = page != nullptr ? page->next.get() : nullptr;
        if (next != nullptr && page->lastMeasure == system->lastMeasure && next->firstSystem)
            return next->firstSystem.get()->firstMeasure;
        if (next != nullptr && !ui::IsItemChecked(dialog, kSystemToPageEnd) && next->firstMeasure > measure)
            return next->firstMeasure;
    }
    return 0;
}

void RememberRange(WindowHandle dialog) {
    if (ui::IsItemChecked(dialog, kPageToEnd)) g_lastRange = HideRange::PageToEnd;
    else if (ui::IsItemChecked(dialog, kSystemToPageEnd)) g_lastRange = HideRange::SystemToPageEnd;
    else g_lastRange = HideRange::ThisSystem;
}

void ApplyHideDialog(WindowHandle dialog, ScoreView* view, const BarlineRef& barline) {
    ScoreDocument* document = view->document;
    const HideChoice choice = ReadChoice(dialog);
    const bool allStaves = ui::IsItemChecked(dialog, kAllStaves);
    const int firstStaff = allStaves ? 1 : StaffOfView(view);
    const int lastStaff = allStaves ? document->header.staffCount : firstStaff;
    RememberRange(dialog);
    {
        UndoStep step(document, view, UndoKind::Measure, TypeCode(ObjectType::Measure), UndoVerb::Change);
        int measure = barline.measure;
        for (int guard = 0; measure >= 1 && measure <= document->header.measureCount && guard < kMostMeasuresPerRun;
             ++guard) {
            ApplyToMeasure(document, measure, firstStaff, lastStaff, choice);
            const int next = NextMeasureOfRange(view, dialog, measure);
            if (next <= measure) break;
            measure = next;
        }
        SetDocumentModified(document);
    }
    InvalidateLinkedViews(view);
    UpdateLinkedViews(view);
}

}  // namespace

HideRange LastHideRange() {
    return g_lastRange;
}

void ResetMeasureDialogState() {
    g_lastRange = HideRange::None;
    SetFreeMeasureNumbering(false);
}

int HideMeasureObjectsDialog(ScoreView* view, const BarlineRef& barline) {
    if (view == nullptr || view->document == nullptr || MeasureRecordOf(view->document, barline.measure) == nullptr)
        return ui::kIdCancel;
    const intptr_t result = ModalDialogBox(
        view, kHideObjectsDialog,
        [view, &barline](WindowHandle dialog, win::Message message, uint32_t word, intptr_t) -> intptr_t {
            if (message == win::Message::InitDialog) {
                if (GetActiveView(dialog) == nullptr) ui::EndDialog(dialog, ui::kIdCancel);
                else InitHideDialog(dialog, view, barline);
                return 0;
            }
            if (message != win::Message::Command) return 0;
            const uint32_t id = win::CommandId(word);
            if (id == ui::kIdOk) {
                ApplyHideDialog(dialog, view, barline);
                ui::EndDialog(dialog, ui::kIdOk);
            }
            if (id == ui::kIdCancel) ui::EndDialog(dialog, ui::kIdCancel);
            return id == ui::kIdOk || id == ui::kIdCancel ? 1 : 0;
        });
    return result == ui::kIdOk ? ui::kIdOk : ui::kIdCancel;
}

}  // namespace ql
