// Barline types and the one-key barline commands. Every command writes the copy of
// the barline it is pressed on: the system-start nibble and hide bit 6 at a
// system's start, the barline nibble and hide bit 1 elsewhere; H toggles only that
// copy's bit, leaving the other copy as it is.
#include "staves/barline.h"

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "notes/beatmap/beat_map.h"
#include "platform/ui/message_box.h"
#include "staves/score_truncate.h"

namespace ql {

namespace {

constexpr uint8_t kSystemStartHidden = 0x40;
constexpr int kNibbleShift = 4;
constexpr uint8_t kLowNibble = 0x0F;
constexpr int kStatusPart = 0;

constexpr uint8_t Code(BarlineType type) {
    return static_cast<uint8_t>(type);
}

// The type a letter key sets; -1 for other keys.
int TypeOfKey(win::Key key) {
    struct KeyType {
        char letter;
        BarlineType type;
    };
    static constexpr KeyType kKeys[] = {
        {'B', BarlineType::BeginSection}, {'D', BarlineType::Double},
        {'E', BarlineType::EndSection},   {'L', BarlineType::StartRepeat},
        {'R', BarlineType::EndRepeat},    {'S', BarlineType::Single},
        {'T', BarlineType::Thick},
    };
    for (const KeyType& entry : kKeys)
        if (key == win::LetterKey(entry.letter)) return Code(entry.type);
    return -1;
}

void SetLowNibble(MeasureRecord& record, int type) {
    record.barline = static_cast<uint8_t>((record.barline & ~kLowNibble) | (type & kLowNibble));
}

void SetHighNibble(MeasureRecord& record, int type) {
    record.barline = static_cast<uint8_t>((record.barline & kLowNibble) | ((type & kLowNibble) << kNibbleShift));
}

// End: the final barline here, or an end repeat when the barline repeats.
void EndPieceHere(MeasureRecord& record) {
    SetLowNibble(record, Code(record.repeatCount != 0 ? BarlineType::EndRepeat : BarlineType::EndSection));
}

// A letter key on the barline's copy. E and R also set the repeat count on a barline
// inside a system.
void ApplyLetter(ScoreDocument* document, const BarlineRef& barline, MeasureRecord& record,
                 int type) {
    SetBarlineTypeAt(document, barline, type);
    if (barline.atSystemStart) return;
    if (type == Code(BarlineType::EndSection)) record.repeatCount = 0;
    if (type == Code(BarlineType::EndRepeat)) record.repeatCount = 1;
}

void ToggleHidden(MeasureRecord& record, const BarlineRef& barline) {
    record.flags = static_cast<uint8_t>(record.flags ^ BarlineHideBit(barline));
}

}  // namespace

int BarlineTypeShown(ScoreDocument* document, const BarlineRef& barline) {
    const MeasureRecord* record = MeasureRecordOf(document, barline.measure);
    if (record == nullptr) return 0;
    return barline.atSystemStart ? SystemStartBarlineTypeOf(*record) : BarlineTypeOf(*record);
}

uint8_t BarlineHideBit(const BarlineRef& barline) {
    return barline.atSystemStart ? kSystemStartHidden : kMeasureBarlineHidden;
}

void SetBarlineTypeAt(ScoreDocument* document, const BarlineRef& barline, int type) {
    MeasureRecord* record = MeasureRecordOf(document, barline.measure);
    if (record == nullptr) return;
    constexpr int kBoth = Code(BarlineType::BothRepeats);
    if (barline.atSystemStart) {
        if (barline.measure >= 2 && SystemStartBarlineTypeOf(*record) == kBoth && type != kBoth)
            SetLowNibble(*record, Code(BarlineType::EndRepeat));
        SetHighNibble(*record, type);
        return;
    }
    if (barline.closesSystem && BarlineTypeOf(*record) == kBoth && type != kBoth)
        SetHighNibble(*record, Code(BarlineType::StartRepeat));
    SetLowNibble(*record, type);
}

int BarlineKey(ScoreView* view, const BarlineRef& barline, win::Key key, bool ctrl) {
    if (view == nullptr || view->document == nullptr) return 0;
    ScoreDocument* document = view->document;
    MeasureRecord* record = MeasureRecordOf(document, barline.measure);
    const int type = TypeOfKey(key);
    const bool end = key == win::Key::End && !barline.atSystemStart;
    if (record == nullptr || (type < 0 && key != win::LetterKey('H') && !end)) return 0;
    if (end && ctrl && !view->pageView) {
        SetStatusText(kStatusPart, kUsePageViewNotice);
        ui::Beep(ui::BeepKind::Information);
        return 1;
    }
    if (end && ctrl) {
        EndPieceAtBarline(view, barline.measure);
        return 1;
    }
    {
        UndoStep step(document, view, UndoKind::Barline, TypeCode(ObjectType::Measure), UndoVerb::Change);
        if (type >= 0) ApplyLetter(document, barline, *record, type);
        else if (end) EndPieceHere(*record);
        else ToggleHidden(*record, barline);
        SetDocumentModified(document);
        // The room a barline takes goes with its type: the widths it changes belong to
        // the same undoable edit.
        UpdateBeatMaps(view, 1);
    }
    InvalidateLinkedViews(view);
    return 1;
}

}  // namespace ql
