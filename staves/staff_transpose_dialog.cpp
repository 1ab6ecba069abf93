// The staff's "Transpose" dialog (857): the interval, direction, quality and use of
// the staff's transposition word with an octave count; OK stores the word and the
// semitone offset they make, and copies "Minor key" to every staff of the score.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/undo.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "staves/staff_dialog_resources.h"
#include "staves/staff_dialogs.h"

namespace ql {

namespace {

using namespace staff_transpose_dialog;
using platform::WindowHandle;

constexpr uint8_t kStaffUndoType = 4;
constexpr int kSemitonesPerOctave = 12;
// Fields of the transposition word.
constexpr uint16_t kIntervalMask = 0x000F;
constexpr uint16_t kDirectionMask = 0x0300;
constexpr int kDirectionShift = 8;
constexpr uint16_t kLoweredQuality = 0x0400;
constexpr uint16_t kForPartExtraction = 0x0800;
constexpr uint16_t kMinorKeyBit = 0x1000;
constexpr uint16_t kDialogBits = kIntervalMask | kDirectionMask | kLoweredQuality | kForPartExtraction | kMinorKeyBit;
constexpr int kDirectionUp = 1;
// Semitones of Second..Octave (interval index 0..6).
constexpr int kIntervalSemitones[] = {2, 4, 5, 7, 9, 11, 12};
constexpr int kIntervals = static_cast<int>(std::size(kIntervalSemitones));
static_assert(kIntervals == kLastInterval - kFirstInterval + 1);

// Fourth, Fifth and Octave are perfect or diminished; the others major or minor.
bool IsPerfectInterval(int interval) {
    return interval == 2 || interval == 3 || interval == kIntervals - 1;
}

int CheckedInterval(WindowHandle dialog) {
    for (int i = 0; i < kIntervals; ++i)
        if (ui::IsItemChecked(dialog, kFirstInterval + i)) return i;
    return 0;
}

void LabelQuality(WindowHandle dialog, int interval) {
    const bool perfect = IsPerfectInterval(interval);
    ui::SetItemText(dialog, kQualityPlain, ProgramString(perfect ? kStrPerfect : kStrMajor));
    ui::SetItemText(dialog, kQualityLowered, ProgramString(perfect ? kStrDiminished : kStrMinor));
}

void InitTranspose(WindowHandle dialog, const StaffRecord& staff, int number) {
    char header[64];
    std::snprintf(header, sizeof header, kStaffHeaderFormat, ProgramString(kStrStaff).c_str(), number);
    ui::SetItemText(dialog, kHeader, header);
    const uint16_t word = staff.transpositionWord;
    const int interval = std::min<int>(word & kIntervalMask, kIntervals - 1);
    const int direction = std::min<int>((word & kDirectionMask) >> kDirectionShift, kDirectionDown - kDirectionNone);
    ui::CheckRadioButton(dialog, kFirstInterval, kLastInterval, kFirstInterval + interval);
    ui::CheckRadioButton(dialog, kDirectionNone, kDirectionDown, kDirectionNone + direction);
    ui::CheckRadioButton(dialog, kQualityPlain, kQualityLowered,
                         (word & kLoweredQuality) != 0 ? kQualityLowered : kQualityPlain);
    ui::CheckRadioButton(dialog, kForPlayback, kForParts, (word & kForPartExtraction) != 0 ? kForParts : kForPlayback);
    ui::CheckItem(dialog, kMinorKey, (word & kMinorKeyBit) != 0);
    ui::SetItemInt(dialog, kOctaves, TranspositionOctaves(staff.semitones));
    LabelQuality(dialog, interval);
}

uint16_t DialogWord(WindowHandle dialog) {
    uint16_t word = static_cast<uint16_t>(CheckedInterval(dialog));
    for (int d = 0; d <= kDirectionDown - kDirectionNone; ++d)
        if (ui::IsItemChecked(dialog, kDirectionNone + d)) word |= static_cast<uint16_t>(d << kDirectionShift);
    if (ui::IsItemChecked(dialog, kQualityLowered)) word |= kLoweredQuality;
    if (ui::IsItemChecked(dialog, kForParts)) word |= kForPartExtraction;
    if (ui::IsItemChecked(dialog, kMinorKey)) word |= kMinorKeyBit;
    return word;
}

void ApplyTranspose(WindowHandle dialog, ScoreView* view, int number) {
    ScoreDocument* document = view->document;
    const UndoStep edit(document, view, UndoKind::Staff, kStaffUndoType, UndoVerb::Modify);
    StaffRecord* staff = StaffRecordOf(document, number);
    const uint16_t word = DialogWord(dialog);
    const int semitones = TranspositionSemitones(word, ui::GetItemInt(dialog, kOctaves).value_or(0));
    staff->transpositionWord = static_cast<uint16_t>((staff->transpositionWord & ~kDialogBits) | word);
    staff->semitones = static_cast<int8_t>(semitones);
    for (int s = 1; s <= document->header.staffCount; ++s) {
        StaffRecord* each = StaffRecordOf(document, s);
        if (each == nullptr) continue;
        each->transpositionWord = static_cast<uint16_t>((each->transpositionWord & ~kMinorKeyBit) | (word & kMinorKeyBit));
    }
    SetDocumentModified(document);
}

}  // namespace

int TranspositionSemitones(uint16_t word, int octaves) {
    const int direction = (word & kDirectionMask) >> kDirectionShift;
    if (direction == 0) return 0;
    const int interval = std::min<int>(word & kIntervalMask, kIntervals - 1);
    int semitones = kIntervalSemitones[interval] + kSemitonesPerOctave * octaves;
    if ((word & kLoweredQuality) != 0) --semitones;
    return direction == kDirectionUp ? semitones : -semitones;
}

int TranspositionOctaves(int semitones) {
    if (semitones > kSemitonesPerOctave) return (semitones - 1) / kSemitonesPerOctave;
    if (semitones < -kSemitonesPerOctave) return (-semitones - 1) / kSemitonesPerOctave;
    return 0;
}

int RunStaffTransposeDialog(ScoreView* view, int number) {
    if (view == nullptr || view->document == nullptr) return 0;
    const StaffRecord* staff = StaffRecordOf(view->document, number);
    if (staff == nullptr || number < 1 || number > view->document->header.staffCount) return 0;
    const intptr_t result = ModalDialogBox(
        view, kStaffTransposeDialog,
        [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t) -> intptr_t {
            if (message == win::Message::InitDialog) {
                InitTranspose(dialog, *staff, number);
                return 0;
            }
            if (message != win::Message::Command) return 0;
            const uint32_t id = win::CommandId(word);
            if (id >= static_cast<uint32_t>(kFirstInterval) && id <= static_cast<uint32_t>(kLastInterval)) {
                LabelQuality(dialog, static_cast<int>(id) - kFirstInterval);
                return 0;
            }
            if (id != ui::kIdOk && id != ui::kIdCancel) return 0;
            if (id == ui::kIdOk) ApplyTranspose(dialog, view, number);
            ui::EndDialog(dialog, id);
            return 1;
        });
    return result == ui::kIdOk ? 1 : 0;
}

}  // namespace ql
