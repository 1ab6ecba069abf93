// Staff groups and staff facts the display derives from the score grid.
// Group walks: from a staff that joins its neighbour on one side, the walk moves
// that way while the next staff joins back (barline connection, brace or bracket, by
// the accessors of staves/staff_group_bits.h); it never leaves 1..staff count, and a
// joining bit that points out of the score (upward on staff 1, downward on the last
// staff) joins nothing, and is cleared where a walk meets it while painting. The clef and key in force at the end
// of a measure are the cell's start values unless its object list holds a change:
// then the change with the greatest tick, the first in list order among equal ticks.
// One walk of the list finds both. A paint asks for them many times over (the
// signs it draws, and the beat-map rows its margin pass builds again) and checks
// every node it walks, so within one paint a cell's answer is kept: a paint edits
// no list, and the next paint walks again.
#include "display/staff_groups.h"

#include <array>
#include <cstddef>
#include <utility>

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/draw/painting_guard.h"
#include "core/draw/staff_scaling.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/signature_fields.h"
#include "core/objects/score_object.h"
#include "core/ui/status_bar_notes.h"
#include "display/painter.h"
#include "layout/page_chain.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "staves/staff_group_bits.h"

namespace ql {

namespace {

// Bounds the walk of a damaged object list that loops.
constexpr int kMaxCellObjects = 64 * 1024;

constexpr int kUpward = -1;
constexpr int kDownward = 1;
constexpr int kLineSpacing = kFiveLineStaffUnits / 4;
constexpr int kFullStaffLines = 5;
// Staff types 1..4 stand one line spacing higher than a five-line staff.
constexpr int kLastRaisedType = 4;
// Lines missing at the top of a staff of 0..4 lines, against a five-line frame.
constexpr int kTopLinesMissing[kFullStaffLines] = {0, 1, 2, 1, 0};

int StaffCountOf(const ScoreView* view) {
    return view != nullptr && view->document != nullptr ? view->document->header.staffCount : 0;
}

int TopLinesMissing(int type) {
    return type < kFullStaffLines ? kTopLinesMissing[type] : kFullStaffLines - type;
}

int ScaledLength(int length, double scale) {
    return scale > 0.0 ? ScaledValue(length, scale) : length;
}

StaffRecord* GroupStaff(ScoreView* view, int staff) {
    if (staff < 1 || staff > StaffCountOf(view)) return nullptr;
    return StaffRecordOf(view->document, staff);
}

// Clears a joining bit that points past the first or the last staff. Only while
// painting (the repair then never counts as an edit); a walk outside a paint reads
// such a bit as joining nothing and writes no record.
void ClearStrayBits(StaffRecord& record, int staff, int count, GroupKind kind) {
    if (!IsPaintingGuardSet()) return;
    if (staff == 1 && JoinsStaffAbove(record, kind)) SetJoinsStaffAbove(record, kind, false);
    if (staff == count && JoinsStaffBelow(record, kind)) SetJoinsStaffBelow(record, kind, false);
}

bool JoinsToward(const StaffRecord& record, GroupKind kind, int direction) {
    return direction == kUpward ? JoinsStaffAbove(record, kind) : JoinsStaffBelow(record, kind);
}

// The staff at one end of a staff's group; the staff itself when it does not join.
int WalkGroup(ScoreView* view, int staff, GroupKind kind, int direction) {
    const int count = StaffCountOf(view);
    StaffRecord* record = GroupStaff(view, staff);
    if (record == nullptr) return staff;
    ClearStrayBits(*record, staff, count, kind);
    if (!JoinsToward(*record, kind, direction)) return staff;
    int current = staff;
    for (int next = staff + direction; next >= 1 && next <= count; next += direction) {
        StaffRecord* neighbour = GroupStaff(view, next);
        if (neighbour == nullptr) break;
        ClearStrayBits(*neighbour, next, count, kind);
        if (!JoinsToward(*neighbour, kind, -direction)) break;
        current = next;
    }
    return current;
}

// The range without the staves at its ends that the current system does not show.
std::pair<int, int> TrimHidden(ScoreView* view, int first, int last) {
    while (first < last && !IsStaffShownInSystem(view, first)) ++first;
    while (last > first && !IsStaffShownInSystem(view, last)) --last;
    return {first, last};
}

// A node of a cell's list that may be read: a record of the score being worked on
// (the usual case, one check) or of another open score. Only a paint checks: it
// walks lists the user may have damaged and reports them once; the editing and
// layout paths walk the lists they keep sound, at the speed they need.
bool IsReadableNode(const ScoreObject* object) {
    if (!IsPaintingGuardSet()) return true;
    return SoundObjectBytesInSet(CurrentPoolSet(), object) != 0 || IsObjectOfAnOpenScore(object);
}

// The start values, or the last change of each kind in the cell's list.
CellEndSigns WalkCellEndSigns(const MeasureCell& cell) {
    CellEndSigns signs{cell.clefKey >> kKeyNibbleShift, cell.clefKey & kClefNibbleMask};
    const ScoreObject* head = cell.objects.get();
    if (head == nullptr || !IsReadableNode(head)) return signs;
    int keyTick = -1;
    int clefTick = -1;
    const ScoreObject* object = head->next.get();
    for (int i = 0; object != nullptr && i < kMaxCellObjects; ++i, object = object->next.get()) {
        // A damaged link ends the walk (the painter reports it).
        if (!IsReadableNode(object)) break;
        const bool key = object->type == TypeCode(ObjectType::KeySignature);
        if (!key && object->type != TypeCode(ObjectType::Clef)) continue;
        const int tick = SignatureTickOfObject(object);
        int& latest = key ? keyTick : clefTick;
        if (tick <= latest) continue;
        latest = tick;
        if (key)
            signs.key = KeyCodeOfObject(object);
        else
            signs.clef = ClefKindOfObject(object);
    }
    return signs;
}

// The answers of the current paint, by cell. An entry holds while the cell keeps
// its start byte and its list head; the whole memo is dropped when another paint
// begins. Each thread keeps its own.
class PaintSignsMemo {
  public:
    CellEndSigns Of(const MeasureCell& cell) {
        const uint32_t serial = CurrentPaintSerial();
        if (!started_ || serial != serial_) {
            entries_.fill(Entry{});
            serial_ = serial;
            started_ = true;
        }
        Entry& entry = entries_[SlotOf(&cell)];
        const ScoreObject* head = cell.objects.get();
        if (entry.cell != &cell || entry.head != head || entry.clefKey != cell.clefKey)
            entry = Entry{&cell, head, cell.clefKey, WalkCellEndSigns(cell)};
        return entry.signs;
    }

  private:
    static constexpr int kSlotBits = 8;
    static constexpr size_t kSlots = size_t{1} << kSlotBits;
    static constexpr int kShift = 64 - kSlotBits;
    struct Entry {
        const MeasureCell* cell = nullptr;
        const ScoreObject* head = nullptr;
        uint8_t clefKey = 0;
        CellEndSigns signs;
    };
    static size_t SlotOf(const MeasureCell* cell) {
        // Cells lie a pool slot apart: a multiplicative hash spreads them.
        constexpr uint64_t kSpread = 0x9E3779B97F4A7C15ull;
        return static_cast<size_t>((reinterpret_cast<uintptr_t>(cell) * kSpread) >> kShift);
    }

    std::array<Entry, kSlots> entries_{};
    uint32_t serial_ = 0;
    bool started_ = false;
};

// Out of line: the walk outside a paint keeps a short path.
[[gnu::noinline]] CellEndSigns PaintMemoSignsOf(const MeasureCell& cell) {
    thread_local PaintSignsMemo memo;
    return memo.Of(cell);
}

CellEndSigns CellEndSignsOf(const MeasureCell& cell) {
    if (!IsPaintingGuardSet()) return WalkCellEndSigns(cell);
    return PaintMemoSignsOf(cell);
}

}  // namespace

bool IsStaffShownInSystem(const ScoreView* view, int staff) {
    const ScoreSystem* system = view != nullptr ? view->currentSystem : nullptr;
    const int8_t* flags = system != nullptr ? StaffFlagsOf(system) : nullptr;
    if (flags == nullptr || staff < 1 || staff > StaffCountOf(view)) return false;
    return (static_cast<uint8_t>(flags[staff]) & pages::kHiddenStaff) == 0;
}

int FirstStaffOfBarGroup(ScoreView* view, int staff) {
    return WalkGroup(view, staff, GroupKind::Barline, kUpward);
}
int LastStaffOfBarGroup(ScoreView* view, int staff) {
    return WalkGroup(view, staff, GroupKind::Barline, kDownward);
}
int FirstStaffOfBrace(ScoreView* view, int staff) {
    return WalkGroup(view, staff, GroupKind::Brace, kUpward);
}
int LastStaffOfBrace(ScoreView* view, int staff) {
    return WalkGroup(view, staff, GroupKind::Brace, kDownward);
}

int FirstStaffOfBracket(ScoreView* view, int staff, bool skipHidden) {
    const int first = WalkGroup(view, staff, GroupKind::Bracket, kUpward);
    if (!skipHidden) return first;
    return TrimHidden(view, first, WalkGroup(view, staff, GroupKind::Bracket, kDownward)).first;
}
int LastStaffOfBracket(ScoreView* view, int staff, bool skipHidden) {
    const int last = WalkGroup(view, staff, GroupKind::Bracket, kDownward);
    if (!skipHidden) return last;
    return TrimHidden(view, WalkGroup(view, staff, GroupKind::Bracket, kUpward), last).second;
}

void StaffLineOffsets(ScoreView* view, int firstStaff, int secondStaff, int* top, int* bottom) {
    const StaffRecord* upper = GroupStaff(view, firstStaff);
    const StaffRecord* lower = GroupStaff(view, secondStaff);
    const double scale = view != nullptr ? ViewScale(view) : 0.0;
    const int upperType = upper != nullptr ? StaffLineCount(*upper) : kFullStaffLines;
    const int lowerType = lower != nullptr ? StaffLineCount(*lower) : kFullStaffLines;
    if (top != nullptr) *top = ScaledLength(kLineSpacing * TopLinesMissing(upperType), scale);
    if (bottom != nullptr) {
        const bool raised = lowerType >= 1 && lowerType <= kLastRaisedType;
        *bottom = raised ? ScaledLength(-kLineSpacing, scale) : 0;
    }
}

bool StaffHasNoVoices(const MeasureCell* cell) {
    if (cell == nullptr) return true;
    auto* readable = const_cast<MeasureCell*>(cell);  // read only: the lookups take no const
    for (int voice = 0; voice < kVoiceCount; ++voice)
        if (GetVoiceFirstEvent(readable, voice) != nullptr) return false;
    return true;
}

int KeyAtCellEnd(const MeasureCell& cell) {
    return CellEndSignsOf(cell).key;
}

CellEndSigns SignsAtCellEnd(const MeasureCell& cell) {
    return CellEndSignsOf(cell);
}

int ClefAtCellEnd(const MeasureCell& cell) {
    return CellEndSignsOf(cell).clef;
}

// A measure without a cell has the values a new cell would take.
int KeyAtMeasureEnd(ScoreDocument* document, int staff, int measure) {
    const MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
    return cell != nullptr ? KeyAtCellEnd(*cell) : CurrentCellDefaults().key;
}

int ClefAtMeasureEnd(ScoreDocument* document, int staff, int measure) {
    const MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
    return cell != nullptr ? ClefAtCellEnd(*cell) : CurrentCellDefaults().clef;
}

}  // namespace ql
