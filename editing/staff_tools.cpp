// The Staff Tools palette's own tools: Edit Staff and Measure Ruler (standard object
// tools), MIDI Setup, and the one handler of System Bracket and System Brace with the
// joins it toggles. The joins are read and written only through the staff group
// accessors (staves/staff_group_bits.h), as a value: 1 joined above, 2 joined below,
// 4 a bracket or brace around the staff alone.
#include <cstdlib>

#include "core/constants.h"
#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/shell_services.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "display/view_pointer.h"
#include "editing/group_tools.h"
#include "editing/group_tools_internal.h"
#include "editing/selection.h"
#include "staves/staff_group_bits.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr int kJoinAbove = 1;
constexpr int kJoinBelow = 2;
constexpr int kOneStaff = 4;
constexpr int32_t kJoinStepUnits = 64;
constexpr int kBracketReachAbove = -8;     // steps above the line that still mean one staff
constexpr int kConnectionReachAbove = -4;  // the connection's limit for the pair above
constexpr int kBracketButton = 7;
constexpr int kBraceButton = 8;
constexpr int32_t kMidiSetupCommand = 1400;
constexpr char kMidiSetupStatus[] = " MIDI Setup. Click on a staff.";
constexpr char kBracketStatus[] = "  Bracket Staves";
constexpr char kAlreadyBracketed[] = "Already bracketed";
constexpr char kAlreadyBraced[] = "Already braced";

GroupKind GroupKindOf(JoinKind kind) {
    switch (kind) {
        case JoinKind::Bracket:
            return GroupKind::Bracket;
        case JoinKind::Brace:
            return GroupKind::Brace;
        case JoinKind::Connection:
            break;
    }
    return GroupKind::Barline;
}

int JoinValue(const StaffRecord& staff, GroupKind kind) {
    return (JoinsStaffAbove(staff, kind) ? kJoinAbove : 0) |
           (JoinsStaffBelow(staff, kind) ? kJoinBelow : 0) |
           (IsOneStaffGroup(staff, kind) ? kOneStaff : 0);
}

void SetJoinValue(StaffRecord& staff, GroupKind kind, int value) {
    SetJoinsStaffAbove(staff, kind, (value & kJoinAbove) != 0);
    SetJoinsStaffBelow(staff, kind, (value & kJoinBelow) != 0);
    SetOneStaffGroup(staff, kind, (value & kOneStaff) != 0);
}

// A staff alone: 4 goes back to 0, 0 becomes 4, a staff joined to a neighbour keeps
// its join and the user is told.
bool ToggleSingle(StaffRecord& staff, GroupKind kind, const char* refusal) {
    const int value = JoinValue(staff, kind);
    if (value == kOneStaff || value == 0) {
        SetJoinValue(staff, kind, value == 0 ? kOneStaff : 0);
        return true;
    }
    ShowLabelledNotice(refusal);
    return false;
}

// A pair: the lower staff's join above and the upper staff's join below come or go
// together. A bracket around one staff of the pair counts as no join.
void TogglePair(StaffRecord& upper, StaffRecord& lower, GroupKind kind) {
    int up = JoinValue(upper, kind);
    int low = JoinValue(lower, kind);
    if (up == kOneStaff) up = 0;
    if (low == kOneStaff) low = 0;
    if (low & kJoinAbove) {
        low &= ~kJoinAbove;
        up &= ~kJoinBelow;
    } else {
        low |= kJoinAbove;
        up |= kJoinBelow;
    }
    SetJoinValue(upper, kind, up);
    SetJoinValue(lower, kind, low);
}

int ApplyJoin(ScoreView* view, JoinKind kind, const char* refusal) {
    if (view == nullptr || view->document == nullptr) return 0;
    const JoinTarget target = ChooseJoinTarget(view, kind);
    if (!target.valid) {
        PlayAlertBeep(0);
        return 0;
    }
    StaffRecord* upper = StaffRecordOf(view->document, target.upper);
    StaffRecord* lower = StaffRecordOf(view->document, target.lower);
    if (upper == nullptr || lower == nullptr) {
        PlayAlertBeep(0);
        return 0;
    }
    const GroupKind group = GroupKindOf(kind);
    if (target.single) {
        if (!ToggleSingle(*upper, group, refusal)) return 0;
    } else {
        TogglePair(*upper, *lower, group);
    }
    SetDocumentModified(view->document);
    InvalidateLinkedViews(view);
    return 1;
}

void ArmStaffSecondary(ScoreView* /*view*/) {
    SelectionState* s = TheSelectionState();
    if (s == nullptr) return;
    s->secondaryType = TypeCode(ObjectType::Measure);
    s->pendingRecord = {};
}

}  // namespace

void NoteArmedToolCode(const ToolRecord* record) {
    if (record != nullptr) State().locate.ArmedToolCode = static_cast<uint8_t>(record->bitmapId);
}

int SelectObjectToolFirst(ScoreView* view, int action, ToolRecord* record,
                          platform::WindowHandle window, win::Message message, uint32_t word,
                          intptr_t data, int type, void (*afterSelect)(ScoreView*)) {
    const SelectionState* s = TheSelectionState();
    const bool armed = s != nullptr && s->armed != 0;
    if (action != ToolAction::Select && action != ToolAction::SelectThenMessage &&
        (action != ToolAction::Message || armed))
        return action;
    ObjectToolHandler(view, ToolAction::Select, record, window, message, word, data, type);
    if (afterSelect != nullptr) afterSelect(view);
    return action == ToolAction::Select ? -1 : ToolAction::Message;
}

JoinTarget ChooseJoinTarget(const ScoreView* view, JoinKind kind) {
    JoinTarget target;
    if (view == nullptr || view->document == nullptr) return target;
    int32_t distance = view->pointerPoint.y - view->staffY;
    if (view->zoomFactor > 0) distance = static_cast<int32_t>(distance / view->zoomFactor);
    int steps = (std::abs(distance) + kJoinStepUnits / 2) / kJoinStepUnits;
    if (distance < 0) steps = -steps;
    const int staff = view->currentStaff;
    const int reach = kind == JoinKind::Connection ? kConnectionReachAbove : kBracketReachAbove;
    if (kind != JoinKind::Connection && steps >= reach && steps <= 0) {
        target.single = true;
        target.upper = target.lower = staff;
    } else if (steps > 0 || (kind == JoinKind::Connection && steps >= reach)) {
        target.upper = staff;
        target.lower = staff + 1;
    } else {
        target.upper = staff - 1;
        target.lower = staff;
    }
    target.valid = target.upper >= 1 && target.lower <= view->document->header.staffCount;
    return target;
}

int AddBracket(ScoreView* view) {
    return ApplyJoin(view, JoinKind::Bracket, kAlreadyBracketed);
}

int AddBrace(ScoreView* view) {
    return ApplyJoin(view, JoinKind::Brace, kAlreadyBraced);
}

int ToggleStaffConnection(ScoreView* view) {
    return ApplyJoin(view, JoinKind::Connection, nullptr);
}

intptr_t StaffToolHandler(ScoreView* view, int action, ToolRecord* record,
                          platform::WindowHandle window, win::Message message, uint32_t word,
                          intptr_t data) {
    if (view == nullptr) return 0;
    const int staff = TypeCode(ObjectType::Staff);
    action = SelectObjectToolFirst(view, action, record, window, message, word, data, staff,
                                   ArmStaffSecondary);
    if (action < 0) return 1;
    return ObjectToolHandler(view, action, record, window, message, word, data, staff);
}

intptr_t StretcherToolHandler(ScoreView* view, int action, ToolRecord* record,
                              platform::WindowHandle window, win::Message message, uint32_t word,
                              intptr_t data) {
    return ObjectToolHandler(view, action, record, window, message, word, data,
                             TypeCode(ObjectType::Stretcher));
}

intptr_t MidiSetupToolHandler(ScoreView* view, int action, ToolRecord* record,
                              platform::WindowHandle /*window*/, win::Message message,
                              uint32_t /*word*/, intptr_t data) {
    if (action == ToolAction::Select) {
        SetStatusText(0, kMidiSetupStatus);
        return 1;
    }
    if (action != ToolAction::Message || view == nullptr) return 0;
    NoteArmedToolCode(record);
    SelectionState* s = TheSelectionState();
    switch (message) {
        case win::Message::MouseMove:
            if (s != nullptr && s->toolCursor) win::SetCursor(s->toolCursor);
            if (view->ViewWindow) win::SetFocus(view->ViewWindow);
            if (HitTestSelectionLists(view, 1) == 0)
                PointerToLogicalPoint(view, static_cast<uint32_t>(data));
            return 1;
        case win::Message::LeftButtonDown:
            if (view->ViewWindow) win::SetFocus(view->ViewWindow);
            PointerToLogicalPoint(view, static_cast<uint32_t>(data));  // the staff clicked
            RunSettingsCommand(view, kMidiSetupCommand);
            return 1;
        default:
            return 0;
    }
}

intptr_t BracketToolHandler(ScoreView* view, int action, ToolRecord* record,
                            platform::WindowHandle /*window*/, win::Message message, uint32_t word,
                            intptr_t data) {
    if (action == ToolAction::Select) SetStatusText(0, kBracketStatus);
    if (action != ToolAction::Message) return 1;
    if (view == nullptr || view->document == nullptr) return 0;
    NoteArmedToolCode(record);
    if (message == win::Message::MouseMove) {
        PointerToLogicalPoint(view, static_cast<uint32_t>(data));
        return 1;
    }
    if (message != win::Message::LeftButtonDown) return 0;
    PointerToLogicalPoint(view, static_cast<uint32_t>(data));
    const int button = record != nullptr ? record->imageIndex : kBracketButton;
    UndoStep step(view->document, view, UndoKind::Brace, 0, UndoVerb::Modify);
    const bool ctrl = (word & win::kMouseControl) != 0 || CtrlHeld();
    if (ctrl && (button == kBracketButton || button == kBraceButton))
        ToggleStaffConnection(view);
    else if (button == kBracketButton)
        AddBracket(view);
    else if (button == kBraceButton)
        AddBrace(view);
    return 1;
}

}  // namespace ql
