// The "Repeat Ending" dialog (859): the measures an ending covers, typed as display
// numbers, its four pass numbers, its dashed style and its label ("Set image..."), on
// a working copy of the edited ending's values; the ending changes only on an OK that
// changes something. The up-downs step the six numbers, never below 0.
// Measure numbers are found from the measure before the view's current one (a
// multi-measure rest answers to every number it stands for); the ending stays in its
// own measure and the typed "From" only counts the span.
#include <algorithm>
#include <cstring>
#include <optional>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/text/text_dialog_controls.h"
#include "core/text/text_object.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/selection_services.h"
#include "core/ui/status_bar.h"
#include "objects/object_services.h"
#include "objects/spanners/repeat_ending_list.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_dialog_resources.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/text_marks/set_image_dialog.h"
#include "platform/sys/help.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using namespace spanner_dialog;
using platform::WindowHandle;

constexpr int kPassCount = 4;
constexpr int kLongestSpan = 127;
constexpr int kPassLimit = 256;
inline constexpr char kRangeNotice[] = "From/To out of range";
inline constexpr char kPassNotice[] = "Repeat # too large";

// What the dialog edits, as the file would store it (the label's run-time caches are
// not part of it).
struct EndingValues {
    TextImage label;
    SpannerEndpoint endpoint{};
    uint16_t span = 1;
    uint8_t passes[kPassCount] = {};
    bool operator==(const EndingValues& other) const {
        return SameStoredImage(label, other.label) && std::memcmp(&endpoint, &other.endpoint, sizeof endpoint) == 0 &&
               span == other.span && std::equal(passes, passes + kPassCount, other.passes);
    }
};

struct EndingDialogRun {
    RepeatEndingObject* ending = nullptr;
    ScoreView* view = nullptr;
    EndingValues working;
};

EndingDialogRun g_run;

EndingValues ValuesOf(const RepeatEndingObject& ending) {
    EndingValues values;
    values.label = TextImageOf(&ending.text);
    values.endpoint = ending.spanner.endpoint;
    values.span = ending.span;
    std::copy(ending.passes, ending.passes + kPassCount, values.passes);
    return values;
}

int MeasureCount() {
    return g_run.view->document->header.measureCount;
}

// The display number of a measure (its own index when the record is missing).
int DisplayNumber(int measure) {
    const MeasureRecord* record = MeasureRecordOf(g_run.view->document, measure);
    return record != nullptr ? record->number : measure;
}

// The first measure from `from` on whose display range holds `number`; 0 when none.
int MeasureOfNumber(int number, int from) {
    for (int m = std::max(from, 1); m <= MeasureCount(); ++m) {
        const MeasureRecord* record = MeasureRecordOf(g_run.view->document, m);
        if (record == nullptr) continue;
        if (number >= record->number && number <= record->number + record->extra) return m;
    }
    return 0;
}

void ShowLabelPreview(WindowHandle dialog) {
    ScratchTextObject shown(g_run.ending->text, g_run.working.label);
    FillTextDialogControls(&shown.get()->header, g_run.view, dialog, kLabelPreview);
}

void ShowPasses(WindowHandle dialog) {
    for (int i = 0; i < kPassCount; ++i) ui::SetItemInt(dialog, kFirstPass + i, g_run.working.passes[i]);
}

// The label edited in the text-properties dialog, on the working copy; the passes
// are read again from the new label.
void SetImage(WindowHandle dialog) {
    win::EnableWindow(dialog, false);
    const bool changed = RunTextImageDialog(g_run.view, &g_run.working.label);
    win::EnableWindow(dialog, true);
    ShowLabelPreview(dialog);
    if (!changed) return;
    ScratchTextObject label(g_run.ending->text, g_run.working.label);
    ParsePassesOfLabel(*label.get(), g_run.working.passes);
    ShowPasses(dialog);
}

// An up-down's arrow steps the number field beside it.
intptr_t OnScroll(WindowHandle dialog, uint32_t word, intptr_t data) {
    const win::ScrollCode code = win::ScrollCodeOf(word);
    if (code != win::ScrollCode::LineUp && code != win::ScrollCode::LineDown) return 0;
    constexpr int32_t kFields[kNumberFieldCount] = {kFromMeasure, kThroughMeasure, kFirstPass,
                                                    kFirstPass + 1, kFirstPass + 2, kLastPass};
    for (int i = 0; i < kNumberFieldCount; ++i) {
        if (static_cast<uint32_t>(data) != ui::GetDialogItem(dialog, kFirstNumberSpin + i).bits) continue;
        StepFieldNonNegative(dialog, kFields[i], code == win::ScrollCode::LineDown);
        return 1;
    }
    return 0;
}

void InitEndingDialog(WindowHandle dialog) {
    const int current = std::max(g_run.view->currentMeasure, 1);
    ui::CheckItem(dialog, kDashedBracket, (g_run.working.endpoint.style & 0x0F) != 0);
    ui::SetItemInt(dialog, kFromMeasure, DisplayNumber(current));
    const int through = std::min(current + std::max<int>(g_run.working.span, 1) - 1, std::max(MeasureCount(), current));
    ui::SetItemInt(dialog, kThroughMeasure, DisplayNumber(through));
    if (g_run.working.passes[0] == 0) ParsePassesOfLabel(g_run.ending->text, g_run.working.passes);
    ShowPasses(dialog);
    ShowLabelPreview(dialog);
}

// Reads the typed range into the working span; false (with the notice) when invalid.
bool ReadSpan(WindowHandle dialog) {
    const std::optional<int32_t> from = ui::GetItemInt(dialog, kFromMeasure);
    const std::optional<int32_t> through = ui::GetItemInt(dialog, kThroughMeasure);
    const int start = std::max(g_run.view->currentMeasure - 1, 1);
    const int first = from ? MeasureOfNumber(*from, start) : 0;
    const int last = through && first > 0 ? MeasureOfNumber(*through, first) : 0;
    const int span = last - first + 1;
    if (first == 0 || last == 0 || span < 1 || span > kLongestSpan) {
        ShowNotice(kRangeNotice);
        return false;
    }
    g_run.working.span = static_cast<uint16_t>(span);
    return true;
}

bool ReadPasses(WindowHandle dialog) {
    uint8_t passes[kPassCount] = {};
    for (int i = 0; i < kPassCount; ++i) {
        const int32_t value = ui::GetItemInt(dialog, kFirstPass + i).value_or(0);
        if (value >= kPassLimit || value < 0) {
            ShowNotice(kPassNotice);
            return false;
        }
        passes[i] = static_cast<uint8_t>(value);
    }
    std::copy(passes, passes + kPassCount, g_run.working.passes);
    return true;
}

void OnOk(WindowHandle dialog) {
    if (!ReadSpan(dialog) || !ReadPasses(dialog)) return;
    RepeatEndingObject* ending = g_run.ending;
    if (g_run.working == ValuesOf(*ending)) {
        ui::EndDialog(dialog, ui::kIdCancel);
        return;
    }
    if (!SameStoredImage(g_run.working.label, TextImageOf(&ending->text))) {
        ApplyTextImage(&ending->text, g_run.working.label);
        ClassOf(&ending->text.header).Measure(&ending->text.header, g_run.view);
    }
    ending->spanner.endpoint = g_run.working.endpoint;
    ending->span = g_run.working.span;
    std::copy(g_run.working.passes, g_run.working.passes + kPassCount, ending->passes);
    SetDocumentModified(g_run.view->document);
    FreeRepeatEndingList(g_run.view->document);
    ui::EndDialog(dialog, ui::kIdOk);
}

intptr_t OnCommand(WindowHandle dialog, int32_t id) {
    if (id == ui::kIdOk) {
        OnOk(dialog);
    } else if (id == ui::kIdCancel) {
        ui::EndDialog(dialog, ui::kIdCancel);
    } else if (id == kDashedBracket) {
        uint8_t& style = g_run.working.endpoint.style;
        style = static_cast<uint8_t>((style & 0xF0) | ((style & 0x0F) == 0 ? 1 : 0));
    } else if (id == kEndingSetImage) {
        SetImage(dialog);
    } else {
        return 0;
    }
    return 1;
}

intptr_t EndingDialogProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
    switch (message) {
    case win::Message::VerticalScroll: return OnScroll(dialog, word, data);
    case win::Message::InitDialog: InitEndingDialog(dialog); return 1;
    case win::Message::Command: return OnCommand(dialog, static_cast<int32_t>(win::CommandId(word)));
    case win::Message::Help: return ShowHelp(dialog, sys::HelpCommand::Context, kRepeatEndingHelp, nullptr);
    default: return 0;
    }
}

}  // namespace

int RunRepeatEndingDialog(ScoreObject* object, ScoreView* view) {
    if (object == nullptr || view == nullptr || view->document == nullptr) return 0;
    g_run = EndingDialogRun{};
    g_run.ending = AsRepeatEnding(object);
    g_run.view = view;
    g_run.working = ValuesOf(*g_run.ending);
    const int result = RunEditorDialog(view, &EndingDialogProc, kRepeatEndingDialog);
    CommitFocusedElement(view);
    g_run = EndingDialogRun{};
    return result == ui::kIdOk ? 1 : 0;
}

}  // namespace ql
