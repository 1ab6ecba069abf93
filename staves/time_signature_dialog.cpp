// The "Time Signature" dialog (852): the upper number with its spin, the beat's note
// value shown as a music-font note and stepped by its own spin, the common/cut
// choice, and how far the signature reaches. OK sets it through SetTimeSignature;
// a refusal (the limit box) or a field that holds no number (a beep) keeps the
// dialog open.
#include "staves/time_signature_dialog.h"

#include <algorithm>
#include <optional>
#include <string>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/modal_boxes.h"
#include "layout/spacing/spacing_collect.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "staves/barline_dialog_resources.h"
#include "staves/dialog_glyphs.h"
#include "staves/time_signature.h"

namespace ql {

namespace {

using namespace time_signature_dialog;
using platform::WindowHandle;

// The note glyphs of codes 7..11 are 177..181; the whole note is 'F'.
constexpr int kFirstNoteGlyph = 177;
constexpr char kWholeNoteGlyph = 'F';
// The note spin runs over positions 7..12; up shows a smaller value (a lower code).
constexpr int kSpinMirror = kShortestBeatCode + kWholeBeatCode;
// The note's baseline stands a sixth of its box above the box's foot.
constexpr int kNoteFootDivisor = 6;

struct TimeDialogState {
    ScoreView* view = nullptr;
    int code = kQuarterBeatCode;
    bool ready = false;  // set once the fields are filled: later edits are the user's
};

std::string NoteGlyph(int code) {
    if (code >= kWholeBeatCode) return std::string(1, kWholeNoteGlyph);
    return std::string(1, static_cast<char>(kFirstNoteGlyph + code - kShortestBeatCode));
}

void ShowCode(WindowHandle dialog, TimeDialogState& state) {
    ui::SetItemText(dialog, kNoteValue, NoteGlyph(state.code));
    win::InvalidateRect(ui::GetDialogItem(dialog, kNoteValue), nullptr, true);
    ui::SetUpDownPosition(ui::GetDialogItem(dialog, kNoteSpin), kSpinMirror - state.code);
    ui::SetUpDownRange(ui::GetDialogItem(dialog, kBeatsSpin), 1, MostBeatsForCode(state.code));
}

void EnableCommonCut(WindowHandle dialog, const TimeDialogState& state) {
    const std::optional<int32_t> beats = ui::GetItemInt(dialog, kBeats);
    const bool symbol = beats && ((*beats == kCommonTimeBeats && state.code == kQuarterBeatCode) ||
                                  (*beats == kCutTimeBeats && state.code == kHalfBeatCode));
    ui::EnableItem(dialog, kCommonCut, symbol);
}

void InitTimeDialog(WindowHandle dialog, TimeDialogState& state) {
    ScoreDocument* document = state.view->document;
    const int measure = state.view->currentMeasure;
    const MeasureCell* cell = FindMeasureCell(document, 1, measure);
    const int beats = cell != nullptr ? cell->beats : kCommonTimeBeats;
    state.code = std::clamp<int>(cell != nullptr ? cell->beatUnit : kQuarterBeatCode, kShortestBeatCode, kWholeBeatCode);
    ui::SetUpDownRange(ui::GetDialogItem(dialog, kNoteSpin), kShortestBeatCode, kWholeBeatCode);
    SetupSpinControl(dialog, kBeats, 1, MostBeatsForCode(state.code), beats, true);
    ShowCode(dialog, state);
    ui::CheckItem(dialog, kCommonCut, Options().CommonCut != 0);
    EnableCommonCut(dialog, state);
    ui::CheckRadioButton(dialog, kToFirstChange, kThrough, kToFirstChange);
    const int count = document->header.measureCount;
    SetupSpinControl(dialog, kPlusCount, 1, std::max(1, count - measure), 1, false);
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    const int number = record != nullptr ? record->number : measure;
    const MeasureRecord* lastRecord = MeasureRecordOf(document, count);
    SetupSpinControl(dialog, kThroughNumber, number, std::max<int>(number, lastRecord->number), number, false);
    ui::SetItemInt(dialog, kThroughNumber, number);
    ui::SetItemInt(dialog, kPlusCount, 1);
}

// The note spin moved: the code follows, lowered while the upper number does not fit.
void StepCode(WindowHandle dialog, TimeDialogState& state, int position) {
    state.code = std::clamp(kSpinMirror - position, kShortestBeatCode, kWholeBeatCode);
    const int beats = ui::GetItemInt(dialog, kBeats).value_or(1);
    while (state.code > kShortestBeatCode && beats > MostBeatsForCode(state.code)) --state.code;
    ShowCode(dialog, state);
    EnableCommonCut(dialog, state);
}

// The end measure of the choice, or nullopt (with a beep) for a field without a number.
std::optional<int> ChosenEnd(WindowHandle dialog, ScoreView* view) {
    ScoreDocument* document = view->document;
    const int measure = view->currentMeasure;
    const int count = document->header.measureCount;
    if (ui::IsItemChecked(dialog, kThisMeasure)) return measure;
    if (ui::IsItemChecked(dialog, kToEnd)) return count + kSpareMeasures;
    if (ui::IsItemChecked(dialog, kMeasurePlus)) {
        const std::optional<int32_t> n = ui::GetItemInt(dialog, kPlusCount);
        if (!n || *n < 1) return std::nullopt;
        return measure + *n;
    }
    if (ui::IsItemChecked(dialog, kThrough)) {
        const std::optional<int32_t> n = ui::GetItemInt(dialog, kThroughNumber);
        if (!n) return std::nullopt;
        return std::max(measure, MeasureHoldingNumber(document, measure, *n));
    }
    return kUpToFirstChange;
}

bool ApplyTimeDialog(WindowHandle dialog, TimeDialogState& state) {
    const std::optional<int32_t> beats = ui::GetItemInt(dialog, kBeats);
    const std::optional<int> end = ChosenEnd(dialog, state.view);
    if (!beats || !end) {
        ui::Beep(ui::BeepKind::Stop);
        return false;
    }
    if (win::IsWindowEnabled(ui::GetDialogItem(dialog, kCommonCut)))
        Options().CommonCut = ui::IsItemChecked(dialog, kCommonCut) ? 1 : 0;
    return SetTimeSignature(state.view, *beats, state.code, *end) != 0;
}

// Using the edit or spin of a range selects its radio.
void SelectRangeOfControl(WindowHandle dialog, uint32_t id) {
    if (id == kPlusCount || id == kPlusSpin) ui::CheckRadioButton(dialog, kToFirstChange, kThrough, kMeasurePlus);
    if (id == kThroughNumber || id == kThroughSpin) ui::CheckRadioButton(dialog, kToFirstChange, kThrough, kThrough);
}

// The beat's note value, a note of the music font standing in its box.
intptr_t DrawNoteValue(const win::DrawItemInfo* item, const TimeDialogState& state) {
    if (item == nullptr || !item->dc || item->controlId != kNoteValue) return 0;
    const gfx::Rect r = item->rect;
    const gfx::BrushHandle paper = gfx::CreateSolidBrush(gfx::kWhite);
    gfx::FillRect(item->dc, r, paper);
    gfx::DeleteObject(paper);
    gfx::SetTextColour(item->dc, gfx::kBlack);
    gfx::SetBackgroundMode(item->dc, gfx::BackgroundMode::Transparent);
    // The music font, as high as the box, is four staff spaces high: a note's head
    // sits on its baseline and its stem reaches about three spaces up.
    DrawDialogGlyph(item->dc, MusicFaceName(), r.Height(), text::kWeightNormal, (r.left + r.right) / 2,
                    r.bottom - r.Height() / kNoteFootDivisor, NoteGlyph(state.code)[0]);
    return 1;
}

intptr_t TimeDialogCommand(WindowHandle dialog, TimeDialogState& state, uint32_t word) {
    const uint32_t id = win::CommandId(word);
    if (id == ui::kIdOk) {
        if (ApplyTimeDialog(dialog, state)) ui::EndDialog(dialog, ui::kIdOk);
        return 1;
    }
    if (id == ui::kIdCancel) {
        ui::EndDialog(dialog, ui::kIdCancel);
        return 1;
    }
    if (win::CommandCode(word) == ui::kEditChange) {
        if (id == kBeats) EnableCommonCut(dialog, state);
        else if (state.ready) SelectRangeOfControl(dialog, id);
    }
    return 0;
}

}  // namespace

int MeasureHoldingNumber(ScoreDocument* document, int from, int number) {
    const int count = document->header.measureCount;
    for (int m = std::max(from, 1); m <= count; ++m) {
        const MeasureRecord* record = MeasureRecordOf(document, m);
        if (number >= record->number && number <= record->number + record->extra) return m;
    }
    return count + 1;
}

int TimeSignatureDialog(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || !view->document->measureTable) return ui::kIdCancel;
    TimeDialogState state;
    state.view = view;
    const intptr_t result = ModalDialogBox(
        view, kTimeSignatureDialog,
        [&state](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
            if (message == win::Message::InitDialog) {
                if (GetActiveView(dialog) == nullptr) {
                    ui::EndDialog(dialog, ui::kIdCancel);
                    return 0;
                }
                InitTimeDialog(dialog, state);
                state.ready = true;
                return 0;
            }
            if (message == win::Message::Command) return TimeDialogCommand(dialog, state, word);
            if (message == win::Message::DrawItem)
                return DrawNoteValue(reinterpret_cast<const win::DrawItemInfo*>(data), state);
            if (message == win::Message::VerticalScroll) {
                if (static_cast<uint32_t>(data) == ui::GetDialogItem(dialog, kNoteSpin).bits)
                    StepCode(dialog, state, win::ScrollPositionOf(word));
                else if (static_cast<uint32_t>(data) == ui::GetDialogItem(dialog, kPlusSpin).bits)
                    SelectRangeOfControl(dialog, kPlusSpin);
                else if (static_cast<uint32_t>(data) == ui::GetDialogItem(dialog, kThroughSpin).bits)
                    SelectRangeOfControl(dialog, kThroughSpin);
                return 0;
            }
            return 0;
        });
    return static_cast<int>(result);
}

}  // namespace ql
