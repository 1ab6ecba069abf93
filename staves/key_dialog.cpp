// The "Key Selection" dialog (see key_dialog.h): its controls' state while it runs,
// and what OK applies. The key buttons carry the keys' short names; choosing one
// shows the key's full name in the label.
#include "staves/key_dialog.h"
#include "staves/signature_step.h"

#include <algorithm>
#include <array>
#include <optional>

#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/dialog_tooltips.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/status_bar_notes.h"
#include "core/undo/undo.h"
#include "display/staff_groups.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "staves/change_range.h"
#include "staves/clef_key_relayout.h"
#include "staves/key_changes.h"
#include "staves/signature_dialog_resources.h"
#include "staves/time_signature_dialog.h"

namespace ql {

namespace {

using namespace key_dialog;
using platform::WindowHandle;

constexpr std::array<const char*, kKeyCodeCount> kKeyNames = {
    "C-flat (A-flat Minor)", "G-flat (E-flat Minor)", "D-flat (B-flat Minor)",
    "A-flat (F Minor)",      "E-flat (C Minor)",      "B-flat (G Minor)",
    "F (D Minor)",           "C (A Minor)",           "G (E Minor)",
    "D (B Minor)",           "A (F-sharp Minor)",     "E (C-sharp Minor)",
    "B (G-sharp Minor)",     "F-sharp (D-sharp Minor)", "C-sharp (A-sharp Minor)"};
constexpr uint8_t kSingleBarline = 0;
constexpr uint8_t kDoubleBarline = 1;
constexpr uint8_t kBarlineTypeMask = 0x0F;

// What the dialog's controls say when OK is pressed.
struct KeyChoice {
    int key = kNoAccidentalsKey;
    bool minor = false;
    bool within = false;
    int rangeRadio = kUpToFirstChange;
    int throughNumber = 0;
    int plusCount = 0;
    bool transpose = false;
    bool down = false;
    bool keepPitches = false;
    bool allStaves = false;
    bool chordSymbols = true;
};

KeyChoice ReadChoice(WindowHandle dialog, int key) {
    KeyChoice c;
    c.key = key;
    c.minor = ui::IsItemChecked(dialog, kMinor);
    c.within = ui::IsItemChecked(dialog, kWithinMeasure);
    for (int id : {kThisMeasureOnly, kToEndOfPiece, kThroughMeasure, kMeasurePlus})
        if (ui::IsItemChecked(dialog, id)) c.rangeRadio = id;
    c.throughNumber = ui::GetItemInt(dialog, kThroughNumber).value_or(0);
    c.plusCount = std::max(ui::GetItemInt(dialog, kPlusCount).value_or(0), 0);
    c.transpose = ui::IsItemChecked(dialog, kTranspose);
    c.down = ui::IsItemChecked(dialog, kDown);
    c.keepPitches = !c.transpose && ui::IsItemChecked(dialog, kKeepPitches);
    c.allStaves = !c.within && ui::IsItemChecked(dialog, kAllStaves);
    c.chordSymbols = ui::IsItemChecked(dialog, kChordSymbols);
    return c;
}

// Transposing on enables the direction and chord symbols and disables keeping
// pitches; off, the reverse.
void ShowTransposing(WindowHandle dialog, bool on) {
    ui::CheckItem(dialog, kTranspose, on);
    ui::EnableItem(dialog, kKeepPitches, !on);
    EnableDlgControls(dialog, on, {kUp, kDown, kChordSymbols});
}

void ShowKey(WindowHandle dialog, int key) {
    ui::SetItemText(dialog, kKeyLabel, KeyName(key));
}

void InitKeyDialog(WindowHandle dialog, const ScoreView* view, const KeyDialogStart& start) {
    const StaffRecord* first = StaffRecordOf(view->document, 1);
    ui::CheckRadioButton(dialog, kMajor, kMinor,
                         first != nullptr && IsMinorKeyStaff(*first) ? kMinor : kMajor);
    ui::CheckRadioButton(dialog, kFromMeasureStart, kWithinMeasure,
                         start.withinMeasure ? kWithinMeasure : kFromMeasureStart);
    // The edits first: typing into either selects its radio.
    const MeasureRecord* record = MeasureRecordOf(view->document, view->currentMeasure);
    ui::SetItemInt(dialog, kThroughNumber, record != nullptr ? record->number : view->currentMeasure);
    ui::SetItemInt(dialog, kPlusCount, 0);
    ui::CheckRadioButton(dialog, kUpToFirstChange, kMeasurePlus, kUpToFirstChange);
    ui::CheckRadioButton(dialog, kUp, kDown, kUp);
    ui::CheckItem(dialog, kChordSymbols, true);
    ui::EnableItem(dialog, kAllStaves, !start.withinMeasure);
    ShowTransposing(dialog, true);
    ShowKey(dialog, start.key);
    // Each key button names its key (one tooltip window, gone with the dialog).
    const WindowHandle tooltip = AddDialogTooltip(dialog);
    for (int key = 0; key < kKeyCodeCount; ++key) AddDialogTooltipText(tooltip, dialog, kFirstKeyButton + key, KeyName(key));
}

// The end of the range the radio chooses, for one staff.
ChangeRange RangeOf(ScoreDocument* document, const KeyChoice& c, int staff, int measure, int tick) {
    switch (c.rangeRadio) {
    case kThisMeasureOnly:
        return ComputeChangeRange(document, ChangeWhat::Key, ChangeRangeMode::Through, staff, measure, tick, measure + 1);
    case kToEndOfPiece:
        return ComputeChangeRange(document, ChangeWhat::Key, ChangeRangeMode::ToEnd, staff, measure, tick, 0);
    case kThroughMeasure: {
        const int through = MeasureHoldingNumber(document, 1, c.throughNumber);
        return ComputeChangeRange(document, ChangeWhat::Key, ChangeRangeMode::Through, staff, measure, tick,
                                  std::max(through, measure) + 1);
    }
    case kMeasurePlus:
        return ComputeChangeRange(document, ChangeWhat::Key, ChangeRangeMode::Through, staff, measure, tick,
                                  measure + c.plusCount + 1);
    default: break;
    }
    return ComputeChangeRange(document, ChangeWhat::Key, ChangeRangeMode::UpToChange, staff, measure, tick, 0);
}

// Barlines in front of measures from..to (from 2 on): a barline of type `from`
// whose key changes there (or, with whereChanged false, does not) becomes `to`.
void MarkKeyChangeBarlines(ScoreDocument* document, int staff, int first, int last, bool whereChanged,
                           uint8_t fromType, uint8_t toType) {
    for (int m = std::max(first, 2); m <= std::min<int>(last, document->header.measureCount); ++m) {
        MeasureRecord* record = MeasureRecordOf(document, m);
        const MeasureCell* cell = ExistingMeasureCell(document, staff, m);
        if (record == nullptr || cell == nullptr) continue;
        const bool changed = KeyAtMeasureEnd(document, staff, m - 1) != CellKey(*cell);
        if (changed != whereChanged || (record->barline & kBarlineTypeMask) != fromType) continue;
        record->barline = static_cast<uint8_t>((record->barline & ~kBarlineTypeMask) | toType);
    }
}

void SetMinorBits(ScoreDocument* document, bool minor) {
    for (int staff = 0; staff <= document->header.staffCount; ++staff)
        if (StaffRecord* record = StaffRecordOf(document, staff))
            record->transpositionWord = static_cast<uint16_t>(
                minor ? record->transpositionWord | kStaffMinorKey : record->transpositionWord & ~kStaffMinorKey);
}

void ApplyKeyChoice(ScoreView* view, const KeyChoice& c, int tick) {
    ScoreDocument* document = view->document;
    const int measure = view->currentMeasure;
    const int firstStaff = c.allStaves ? 1 : view->currentStaff;
    const int lastStaff = c.allStaves ? document->header.staffCount : view->currentStaff;
    SetMinorBits(document, c.minor);
    for (int staff = firstStaff; staff <= lastStaff; ++staff) {
        const ChangeRange range = RangeOf(document, c, staff, measure, tick);
        if (c.transpose)
            MarkKeyChangeBarlines(document, staff, measure, range.end + 1, true, kDoubleBarline, kSingleBarline);
        KeyRangeChange change;
        change.staff = staff;
        change.firstMeasure = measure;
        change.firstTick = tick;
        change.endMeasure = range.end;
        change.endTick = range.endTick;
        change.key = c.key;
        change.transpose = c.transpose;
        change.direction = c.down ? TransposeDirection::Down : TransposeDirection::Up;
        change.keepPitches = c.keepPitches;
        change.chordSymbols = c.chordSymbols;
        SetMeasureKey(view, change);
        MarkKeyChangeBarlines(document, staff, measure, range.end + 1, true, kSingleBarline, kDoubleBarline);
    }
    SetDocumentModified(document);
}

intptr_t OnCommand(WindowHandle dialog, uint32_t word, int* key, std::optional<KeyChoice>* chosen) {
    const int32_t id = static_cast<int32_t>(win::CommandId(word));
    if (id >= kFirstKeyButton && id <= kLastKeyButton) {
        *key = id - kFirstKeyButton;
        ShowKey(dialog, *key);
    } else if (id == kTranspose) {
        ShowTransposing(dialog, ui::IsItemChecked(dialog, kTranspose));
    } else if (id == kUp || id == kDown) {
        ShowTransposing(dialog, true);
    } else if (id == kFromMeasureStart || id == kWithinMeasure) {
        ui::EnableItem(dialog, kAllStaves, id == kFromMeasureStart);
    } else if ((id == kThroughNumber || id == kPlusCount) && win::CommandCode(word) == ui::kEditChange) {
        ui::CheckRadioButton(dialog, kUpToFirstChange, kMeasurePlus, id - 1);
    } else if (id == ui::kIdOk) {
        *chosen = ReadChoice(dialog, *key);
        ui::EndDialog(dialog, ui::kIdOk);
    } else if (id == ui::kIdCancel) {
        ui::EndDialog(dialog, ui::kIdCancel);
    } else {
        return 0;
    }
    return 1;
}

}  // namespace

const char* KeyName(int key) {
    return IsValidKey(key) ? kKeyNames[key] : "";
}

int KeySelectionDialog(ScoreView* view, const KeyDialogStart& start, int* chosenKey, bool* insertWithin) {
    if (!HasStaffMeasureLocation(view)) return ui::kIdCancel;
    int key = IsValidKey(start.key) ? start.key : kNoAccidentalsKey;
    std::optional<KeyChoice> chosen;
    ModalDialogBox(view, kKeySelectionDialog,
                   [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t) -> intptr_t {
                       if (message == win::Message::InitDialog) {
                           InitKeyDialog(dialog, view, start);
                           return 0;
                       }
                       return message == win::Message::Command ? OnCommand(dialog, word, &key, &chosen) : 0;
                   });
    if (!chosen) return ui::kIdCancel;
    // A change within the measure at tick 0 is a change from the measure's start.
    const int tick = chosen->within ? start.tick : 0;
    {
        const UndoStep edit(view->document, view, UndoKind::Item, TypeCode(ObjectType::KeySignature),
                            UndoVerb::Add);
        ApplyKeyChoice(view, *chosen, tick);
    }
    RelayoutAfterSignatureChange(view, view->currentMeasure);
    if (chosenKey != nullptr) *chosenKey = chosen->key;
    if (insertWithin != nullptr) *insertWithin = chosen->within;
    return ui::kIdOk;
}

}  // namespace ql
