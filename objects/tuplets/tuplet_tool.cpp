// The "Tuplets" dialog (879) and the tuplet tool of the Notes palette. The dialog
// edits a working copy of the program-wide tuplet numbers (the note tool's toggle
// state); OK checks each number against 2..15, stores them, arms the note tool's
// tuplet entry and gives the palette's tuplet record command value 60 and the ratio
// index of the pair (a pair outside the table takes an index by its first number,
// 9 and above reading back as no ratio). The index never becomes a note's ratio:
// entered notes take the numbers themselves. Cancel changes nothing.
#include <array>

#include "core/core_strings.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/state/note_tool_state.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/selection_services.h"
#include "core/ui/tool_record.h"
#include "core/ui/tool_services.h"
#include "objects/object_dialogs.h"
#include "objects/spanners/spanner_dialog_resources.h"
#include "objects/tuplets/tuplet_tool.h"
#include "platform/sys/help.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using namespace spanner_dialog;
using platform::WindowHandle;

constexpr int kLeastNumber = 2;
constexpr int kMostNumber = 15;
constexpr int32_t kHelpCommand = 998;
constexpr char kRangeText[] = "Tuplet value must be in range 2-15.";
// The index a pair outside the ratio table takes, by its first number (2..15).
constexpr std::array<uint8_t, kMostNumber + 1> kIndexByFirst = {0, 0, 6, 0, 7, 1, 2, 3, 9, 4, 10, 5, 11, 12, 13, 14};

struct TupletsRun {
    ToolRecord* record = nullptr;
    bool nested = false;
};
TupletsRun g_run;

void ShowNumber(WindowHandle dialog, int32_t id, int value) { ui::SetItemInt(dialog, id, value); }

void InitTuplets(WindowHandle dialog) {
    const NoteToolState& tools = State().notes.NoteTools;
    ui::CheckItem(dialog, kTupletNested, g_run.nested);
    ShowNumber(dialog, kTupletFirst, tools.tupletActual);
    ShowNumber(dialog, kTupletSecond, tools.tupletNormal);
    ShowNumber(dialog, kNestedFirst, tools.secondActual);
    ShowNumber(dialog, kNestedSecond, tools.secondNormal);
}

// The number in a field, or 0 (after the message, the field focused) when it is
// missing or outside 2..15.
int CheckedNumber(WindowHandle dialog, int32_t id) {
    const std::optional<int32_t> value = ui::GetItemInt(dialog, id);
    if (value && *value >= kLeastNumber && *value <= kMostNumber) return *value;
    ModalMessageBox(kRangeText, ProgramString(kStrProductName), ui::kBoxOk | ui::kBoxIconInformation);
    win::SetFocus(ui::GetDialogItem(dialog, id));
    return 0;
}

void OnOk(WindowHandle dialog) {
    const int first = CheckedNumber(dialog, kTupletFirst);
    if (first == 0) return;
    const int second = CheckedNumber(dialog, kTupletSecond);
    if (second == 0) return;
    int nestedFirst = 0, nestedSecond = 0;
    if (g_run.nested) {
        if ((nestedFirst = CheckedNumber(dialog, kNestedFirst)) == 0) return;
        if ((nestedSecond = CheckedNumber(dialog, kNestedSecond)) == 0) return;
    }
    NoteToolState& tools = State().notes.NoteTools;
    tools.tupletActual = static_cast<uint8_t>(first);
    tools.tupletNormal = static_cast<uint8_t>(second);
    tools.secondTupletOn = g_run.nested ? 1 : 0;
    if (g_run.nested) {
        tools.secondActual = static_cast<uint8_t>(nestedFirst);
        tools.secondNormal = static_cast<uint8_t>(nestedSecond);
    }
    tools.tupletOn = 1;
    if (g_run.record != nullptr) {
        g_run.record->commandValue = kTupletEntryCommand;
        g_run.record->ratioIndex = static_cast<uint8_t>(TupletRatioIndexOfPair(first, second));
    }
    ui::EndDialog(dialog, ui::kIdOk);
}

intptr_t OnCommand(WindowHandle dialog, int32_t id) {
    switch (id) {
    case ui::kIdOk: OnOk(dialog); return 1;
    case ui::kIdCancel: ui::EndDialog(dialog, ui::kIdCancel); return 1;
    case kTupletNested: g_run.nested = !g_run.nested; return 1;
    case kHelpCommand: return ShowHelp(dialog, sys::HelpCommand::Context, kTupletsHelp, nullptr);
    default: return 0;
    }
}

intptr_t TupletsDialogProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t) {
    switch (message) {
    case win::Message::InitDialog: InitTuplets(dialog); return 1;
    case win::Message::Command: return OnCommand(dialog, static_cast<int32_t>(win::CommandId(word)));
    case win::Message::Help: return ShowHelp(dialog, sys::HelpCommand::Context, kTupletsHelp, nullptr);
    default: return 0;
    }
}

}  // namespace

int TupletRatioIndexOfPair(int first, int second) {
    const int index = FixedTupletRatioIndex(first, second);
    if (index >= 0) return index;
    return first >= 0 && first <= kMostNumber ? kIndexByFirst[first] : 0;
}

int RunTupletsDialog(ScoreView* view, ToolRecord* record) {
    g_run = TupletsRun{};
    g_run.record = record;
    g_run.nested = State().notes.NoteTools.secondTupletOn != 0;
    // A tool's dialog, not an object's: the selection's focus is left as it is.
    const intptr_t result = ModalDialogBox(view, kTupletsDialog, &TupletsDialogProc);
    g_run = TupletsRun{};
    return result == ui::kIdOk ? 1 : 0;
}

intptr_t TupletToolHandler(ScoreView* view, int action, ToolRecord* record, WindowHandle window,
                           win::Message message, uint32_t word, intptr_t data) {
    if (view == nullptr || view->document == nullptr || view->document->header.staffCount == 0) return 0;
    if (action == ToolAction::AlternateChosen) return 0;
    if (action == ToolAction::Reclick) {
        if (record != nullptr && record->paletteWindow && !win::IsWindowVisible(record->paletteWindow)) {
            win::ShowWindow(record->paletteWindow, win::ShowCommand::Show);
            return 1;
        }
        RunTupletsDialog(view, record);
        return 1;
    }
    // Reached through the Notes tool, which armed note entry: the tuplet tool takes
    // over before the message is handled.
    SelectionState* selection = TheSelectionState();
    ScoreObject* prototype = selection != nullptr ? selection->defaultObject.get() : nullptr;
    if (selection != nullptr && (prototype == nullptr || prototype->type != TypeCode(ObjectType::Tuplet))) {
        EndFocus(view, 0);
        selection->bound = 0;
        if (action == ToolAction::Message) action = ToolAction::SelectThenMessage;
    }
    return ObjectToolHandler(view, action, record, window, message, word, data, TypeCode(ObjectType::Tuplet));
}

}  // namespace ql
