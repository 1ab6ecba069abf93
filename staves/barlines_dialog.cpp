// The "Barlines" dialog (883): the type of the barline's copy, its hide bit, the
// repeat count and the measure-length override. OK checks the length against the
// system's total (signed arithmetic: a measure of length 0 from a damaged file
// still gives a defined answer), then writes the fields in one undoable edit and
// reformats the page.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/selection_services.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "layout/measure_format.h"
#include "notes/beatmap/beat_map.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/input.h"
#include "platform/win/window.h"
#include "staves/barline_dialog_resources.h"
#include "staves/measure_dialogs.h"

namespace ql {

namespace {

using namespace barline_dialog;
using platform::WindowHandle;

constexpr int kTicksPerThirtySecond = 128;
constexpr int kWidthTicksShift = 4;
constexpr int kStretchShift = 8;
constexpr uint8_t kMostRepeats = 255;

struct BarlinesRun {
    ScoreView* view = nullptr;
    BarlineRef barline;
};

void ShowBox(const char* text) {
    ModalMessageBox(text, ProgramString(kStrProductName), ui::kBoxOk | ui::kBoxIconExclamation);
}

int CheckedType(WindowHandle dialog) {
    for (int id = kFirstBarlineType; id <= kLastBarlineType; ++id)
        if (ui::IsItemChecked(dialog, id)) return id - kFirstBarlineType;
    return 0;
}

// S: the lengths of the measures of the barline's system, in 1/32nds.
int SystemThirtySeconds(ScoreView* view, const BarlineRef& barline) {
    const int inside = barline.closesSystem ? barline.measure - 1 : barline.measure;
    const ScoreSystem* system = SystemOfMeasureInScore(view, inside);
    if (system == nullptr) return MeasureRecordOf(view->document, barline.measure)->lengthTicks / kTicksPerThirtySecond;
    int sum = 0;
    for (int m = system->firstMeasure; m <= system->lastMeasure; ++m)
        if (const MeasureRecord* record = MeasureRecordOf(view->document, m))
            sum += record->lengthTicks / kTicksPerThirtySecond;
    return sum;
}

void InitBarlinesDialog(WindowHandle dialog, const BarlinesRun& run) {
    ScoreDocument* document = run.view->document;
    const MeasureRecord& record = *MeasureRecordOf(document, run.barline.measure);
    char title[32];
    std::snprintf(title, sizeof title, "%s %d", "Barline", record.number);
    ui::SetItemText(dialog, kBarlineTitle, title);
    const int type = std::min(BarlineTypeShown(document, run.barline), kLastBarlineType - kFirstBarlineType);
    ui::CheckRadioButton(dialog, kFirstBarlineType, kLastBarlineType, kFirstBarlineType + type);
    ui::CheckItem(dialog, kHideBarline, (record.flags & (kMeasureBarlineHidden | BarlineHideBit({0, true, false}))) != 0);
    const bool leftBar = document->header.staffCount == 1 && run.barline.measure == 1;
    ui::ShowItem(dialog, kHideLeftBar, leftBar);
    ui::CheckItem(dialog, kHideLeftBar, (MeasureRecordOf(document, 1)->flags & kMeasureLeftBarHidden) != 0);
    ui::SetItemInt(dialog, kRepeatCount, record.repeatCount);
    ui::SetItemInt(dialog, kThirtySeconds, record.lengthTicks / kTicksPerThirtySecond);
    ui::ShowItem(dialog, kMeasureNumberButton, IsFreeMeasureNumbering() || run.view->currentMeasure < 2);
}

// The fields of a valid OK, read before anything changes.
struct BarlineFields {
    int length = 0;
    int repeats = 0;
};

std::optional<BarlineFields> ReadFields(WindowHandle dialog, const BarlinesRun& run) {
    const std::optional<int32_t> n = ui::GetItemInt(dialog, kThirtySeconds);
    const std::optional<int32_t> repeats = ui::GetItemInt(dialog, kRepeatCount);
    if (!n || !repeats || *repeats < 0 || *repeats > kMostRepeats) {
        ui::Beep(ui::BeepKind::Stop);
        return std::nullopt;
    }
    if (*n < 1) {
        ShowBox(kEnterOneOrGreater);
        return std::nullopt;
    }
    const int measureLength = MeasureRecordOf(run.view->document, run.barline.measure)->lengthTicks / kTicksPerThirtySecond;
    if (!IsMeasureLengthAccepted(*n, measureLength, SystemThirtySeconds(run.view, run.barline))) {
        ShowBox(kTooManyBeats);
        return std::nullopt;
    }
    return BarlineFields{*n, *repeats};
}

void ApplyLength(ScoreView* view, MeasureRecord& record, int thirtySeconds) {
    const int ticks = thirtySeconds * kTicksPerThirtySecond;
    if (ticks == record.lengthTicks) return;
    record.width = static_cast<uint16_t>(RescaledMeasureWidth(record.width, record.lengthTicks, ticks, record.stretch));
    record.lengthTicks = static_cast<uint16_t>(ticks);
    if (view->currentSystem != nullptr) BuildStaffBeatMap(view, 1);
}

void Reformat(ScoreView* view) {
    if (!view->pageView || view->currentPage == nullptr) return;
    if (LastHideRange() == HideRange::PageToEnd) FormatMeasuresOfAllPages(view);
    else FormatMeasuresOfCurrentPage(view);
}

bool ApplyBarlinesDialog(WindowHandle dialog, const BarlinesRun& run) {
    const std::optional<BarlineFields> fields = ReadFields(dialog, run);
    if (!fields) return false;
    ScoreDocument* document = run.view->document;
    {
        UndoStep step(document, run.view, UndoKind::Barline, TypeCode(ObjectType::Measure), UndoVerb::Change);
        MeasureRecord& record = *MeasureRecordOf(document, run.barline.measure);
        if (win::IsWindowVisible(ui::GetDialogItem(dialog, kHideLeftBar))) {
            MeasureRecord& first = *MeasureRecordOf(document, 1);
            first.flags = static_cast<uint8_t>((first.flags & ~kMeasureLeftBarHidden) |
                                               (ui::IsItemChecked(dialog, kHideLeftBar) ? kMeasureLeftBarHidden : 0));
        }
        const uint8_t hide = BarlineHideBit(run.barline);
        record.flags = static_cast<uint8_t>((record.flags & ~hide) | (ui::IsItemChecked(dialog, kHideBarline) ? hide : 0));
        SetBarlineTypeAt(document, run.barline, CheckedType(dialog));
        record.repeatCount = static_cast<uint8_t>(fields->repeats);
        ApplyLength(run.view, record, fields->length);
        Reformat(run.view);
        SetDocumentModified(document);
    }
    InvalidateLinkedViews(run.view);
    return true;
}

intptr_t BarlinesCommand(WindowHandle dialog, const BarlinesRun& run, uint32_t word) {
    const int id = static_cast<int>(win::CommandId(word));
    if (id >= kFirstBarlineType && id <= kLastBarlineType) {
        const int type = id - kFirstBarlineType;
        const bool repeats = type == static_cast<int>(BarlineType::EndRepeat) ||
                             type == static_cast<int>(BarlineType::BothRepeats);
        ui::SetItemInt(dialog, kRepeatCount, repeats ? 1 : 0);
        return 1;
    }
    if (id == kHideObjectsButton || id == kMeasureNumberButton) {
        const int result = id == kHideObjectsButton ? HideMeasureObjectsDialog(run.view, run.barline)
                                                    : SetMeasureNumberDialog(run.view, run.barline);
        win::SetFocus(ui::GetDialogItem(dialog, result == ui::kIdOk ? ui::kIdOk : id));
        return 1;
    }
    if (id == ui::kIdOk) {
        if (ApplyBarlinesDialog(dialog, run)) ui::EndDialog(dialog, ui::kIdOk);
        return 1;
    }
    if (id == ui::kIdCancel) {
        InvalidateLinkedViews(run.view);
        ui::EndDialog(dialog, ui::kIdCancel);
        return 1;
    }
    return 0;
}

}  // namespace

bool IsMeasureLengthAccepted(int n, int measureThirtySeconds, int systemThirtySeconds) {
    if (n < 1 || n > kMostThirtySeconds) return false;
    return n <= measureThirtySeconds || n <= measureThirtySeconds - systemThirtySeconds + kMostThirtySeconds;
}

int RescaledMeasureWidth(int width, int oldTicks, int newTicks, int stretch) {
    if (oldTicks <= 0) return ((newTicks >> kWidthTicksShift) * stretch) >> kStretchShift;
    return static_cast<int>(static_cast<int64_t>(width) * newTicks / oldTicks);
}

namespace {

BarlinesRun* g_barlinesRun = nullptr;  // the run of the dialog that is open

intptr_t BarlinesProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t) {
    if (g_barlinesRun == nullptr) return 0;
    if (message == win::Message::InitDialog) {
        if (GetActiveView(dialog) == nullptr) ui::EndDialog(dialog, ui::kIdCancel);
        else InitBarlinesDialog(dialog, *g_barlinesRun);
        return 0;
    }
    return message == win::Message::Command ? BarlinesCommand(dialog, *g_barlinesRun, word) : 0;
}

// Runs "Barlines" on its own, or as the attribute editor of the focused barline
// (through the editor's dialog runner, which holds the selection and the location).
int RunBarlines(ScoreView* view, const BarlineRef& barline, bool asEditor) {
    if (view == nullptr || view->document == nullptr || MeasureRecordOf(view->document, barline.measure) == nullptr)
        return ui::kIdCancel;
    BarlinesRun run{view, barline};
    BarlinesRun* outer = std::exchange(g_barlinesRun, &run);
    const intptr_t result = asEditor ? RunEditorDialog(view, &BarlinesProc, kBarlinesDialog)
                                     : ModalDialogBox(view, kBarlinesDialog, &BarlinesProc);
    g_barlinesRun = outer;
    if (asEditor) CommitFocusedElement(view);
    return result == ui::kIdOk ? ui::kIdOk : ui::kIdCancel;
}

}  // namespace

int BarlinesDialog(ScoreView* view, const BarlineRef& barline) {
    return RunBarlines(view, barline, false);
}

int EditBarlineAttributes(ScoreView* view, const BarlineRef& barline) {
    return RunBarlines(view, barline, true);
}

}  // namespace ql
