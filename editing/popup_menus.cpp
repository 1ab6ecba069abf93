// The right-button popup menus of the score editor: the menu chosen by the type of
// the object under the pointer, loaded from the "POPUPMENUS" menu, and the chosen
// command replayed as the key its item names (or posted to the frame, or replayed
// as a double click that opens the object's dialog).
#include <algorithm>
#include <cctype>
#include <iterator>
#include <string>

#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/handle_flags.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "editing/mouse_processor.h"
#include "editing/mouse_processor_internal.h"
#include "editing/selection.h"
#include "editing/selection_internal.h"
#include "editing/status_readout.h"
#include "editing/tools.h"
#include "platform/ui/menu.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql {

using namespace selection;

namespace {

using win::Key;

constexpr const char* kPopupMenus = "POPUPMENUS";
constexpr size_t kMenuNameChars = 63;
constexpr int32_t kMenuSideOffset = 16;  // the menu opens this far beside the click
constexpr int32_t kDelete = 57632;
constexpr int32_t kToRest = 42125;
constexpr int32_t kSolo = 42112;
constexpr int32_t kMute = 42113;

struct TypeMenu {
    uint8_t type;
    const char* menu;
};
constexpr TypeMenu kTypeMenus[] = {
    {0, "MARQUEEMENU"},  {29, "NOTEMENU"},    {45, "RESTMENU"},    {18, "TEXTMENU"},    {50, "TEXTMENU"},
    {6, "TEXTBOXMENU"},  {28, "TEXTBOXMENU"}, {4, "SLURMENU"},     {5, "SLURMENU"},     {7, "HAIRPINMENU"},
    {39, "HAIRPINMENU"}, {14, "MIDIMSGMENU"}, {21, "MIDIMSGMENU"}, {22, "MIDIMSGMENU"}, {24, "MIDIMSGMENU"},
    {25, "MIDIMSGMENU"}, {34, "MIDIMSGMENU"}, {48, "MIDIMSGMENU"}, {49, "MIDIMSGMENU"}, {53, "MIDIMSGMENU"},
    {26, "ACCIMENU"},    {38, "ACCIMENU"},    {8, "GRAPHICMENU"},  {9, "GRAPHICMENU"},  {10, "GRAPHICMENU"},
    {27, "BARLINEMENU"}, {13, "STAFFMENU"},
};

// The keys the menu items name.
struct CommandKey {
    int32_t command;
    uint32_t key;
};
constexpr CommandKey kCommandKeys[] = {
    {42102, 'H'}, {42056, 'H'}, {42103, static_cast<uint32_t>(Key::Shift)},
    {42105, static_cast<uint32_t>(Key::Insert)}, {42108, 'O'}, {42110, 'D'}, {42111, 'C'}, {42112, 'S'},
    {40162, 'S'}, {42113, 'M'}, {42114, 'P'}, {42126, static_cast<uint32_t>(Key::RightBracket)},
    {42127, static_cast<uint32_t>(Key::LeftBracket)}, {40163, 'L'}, {40222, 'B'}, {40223, 'I'},
    {40224, 'U'}, {40226, 'G'}, {40352, 'F'}, {40353, 'E'}, {40452, 'X'},
};

// Commands the frame carries out: the lowest-beam item goes with the other hide
// items; the measure-number, hidden-objects, margins, staff-size and page-number
// dialogs are the frame's too.
constexpr int32_t kFrameCommands[] = {40116, 40161, 40178, 40212, 40216, 40355, 40356, 40357,
                                      40370, 40371, 40415, 40426, 42054, 42055, 42085, 42115,
                                      42116, 42117, 42118, 42119, 57634, 57635, 57642};

bool SameIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && b[i] == '\0';
}

bool IsNoteHeadHandle(const HitRecord* record) {
    return record != nullptr && record->kind >= kFirstNoteHeadHandle && record->noteEvent;
}

// The submenu named `name` of the loaded menu; the loaded menu to destroy in `bar`.
platform::MenuHandle FindPopup(const char* name, platform::MenuHandle* bar) {
    *bar = ui::LoadMenu(kPopupMenus);
    if (!*bar) return {};
    const int32_t count = ui::GetMenuItemCount(*bar);
    for (int32_t i = 0; i < count; ++i) {
        std::string text = ui::GetMenuItemText(*bar, i);
        if (text.size() > kMenuNameChars) text.resize(kMenuNameChars);
        if (SameIgnoringCase(text, name)) return ui::GetSubmenu(*bar, i);
    }
    return {};
}

bool NoteIsAloneInChord(EventRecord* note) {
    if (note == nullptr) return false;
    return GetFirstEventOfChord(note) == GetLastEventOfChord(note);
}

void MarkItems(ScoreView* view, platform::MenuHandle popup, const ScoreObject* owner, const HitRecord* record) {
    if (owner == nullptr) return;
    if (owner->type == TypeCode(ObjectType::Staff)) {
        const int staff = view->currentStaff;
        if (staff >= 0 && staff < kMixerStaves) {
            ui::CheckMenuItem(popup, kSolo, view->document->staffMix[staff].solo != 0);
            ui::CheckMenuItem(popup, kMute, view->document->staffMix[staff].mute != 0);
        }
    }
    if (owner->type == TypeCode(ObjectType::Note) && !NoteIsAloneInChord(record->noteEvent.get()))
        ui::EnableMenuItem(popup, kToRest, ui::MenuItemState::Grayed);
}

// Runs the menu at the click; the command chosen, 0 when none.
int32_t ShowPopup(ScoreView* view, platform::WindowHandle window, const char* name, gfx::Point client) {
    SelectionState* s = Sel();
    platform::MenuHandle bar;
    platform::MenuHandle popup = FindPopup(name, &bar);
    int32_t command = 0;
    if (popup) {
        MarkItems(view, popup, s->hoverObject.get(), s->hoverRecord.get());
        const win::Point screen = win::ClientToScreen(window, win::Point{client.x, client.y});
        const bool leftHalf = screen.x < win::GetSystemMetric(win::SystemMetric::ScreenWidth) / 2;
        const win::Point at{leftHalf ? screen.x + kMenuSideOffset : screen.x - kMenuSideOffset, screen.y};
        command = ui::TrackPopupMenu(popup, ui::kTrackRightButton | ui::kTrackReturnCommand, at, window);
    }
    if (bar) ui::DestroyMenu(bar);
    return command;
}

intptr_t ReplayKey(ScoreView* view, platform::WindowHandle window, uint32_t key) {
    return HandleToolMouseMessage(view, window, win::Message::KeyDown, key, 0);
}

void RunCommand(ScoreView* view, platform::WindowHandle window, int32_t command, intptr_t clickData) {
    SelectionState* s = Sel();
    const ScoreObject* owner = s->hoverObject.get();
    if (command == kDelete) {
        ReplayKey(view, window, static_cast<uint32_t>(Key::Delete));
        return;
    }
    if (command == kToRest) {
        if (owner != nullptr && (owner->type == TypeCode(ObjectType::Note) || owner->type == TypeCode(ObjectType::Rest))) {
            State().input.KeepTimeOnDelete = 1;
            ReplayKey(view, window, static_cast<uint32_t>(Key::Delete));
            State().input.KeepTimeOnDelete = 0;
        }
    } else if (const CommandKey* ck = [&]() -> const CommandKey* {
                   for (const CommandKey& c : kCommandKeys)
                       if (c.command == command) return &c;
                   return nullptr;
               }()) {
        ReplayKey(view, window, ck->key);
    } else if (std::find(std::begin(kFrameCommands), std::end(kFrameCommands), command) != std::end(kFrameCommands)) {
        if (owner != nullptr && owner->type == TypeCode(ObjectType::Note) && !IsFocused()) {
            FocusHoveredElement(view);
            s->commitAfterMessage = 0;
        }
        win::PostMessage(State().dialogs.FrameWindow, win::Message::Command, win::MakeCommandWord(command, 0), 0);
    } else {
        HandleToolMouseMessage(view, window, win::Message::LeftButtonDoubleClick, 0, clickData);
    }
    if (HitRecord* status = s->statusRecord.get(); status != nullptr && status->owner)
        ShowObjectStatus(view, status, status->owner.get()->type);
}

}  // namespace

const char* PopupMenuNameOfType(int type) {
    if (type < 0) return "PAGEMENU";
    for (const TypeMenu& m : kTypeMenus)
        if (m.type == type) return m.menu;
    return "IMAGEMENU";
}

intptr_t RightButtonPress(ScoreView* view, platform::WindowHandle window, intptr_t data) {
    // "Use Popup Menus" off: the right button deletes what it is on, as Delete does.
    if (Options().UsePopupMenus == 0) return ToolKeyDown(view, window, static_cast<uint32_t>(Key::Delete));
    SelectionState* s = Sel();
    SetPointerFromMessage(view, data);
    HitTestSelectionLists(view, 1);
    const HitRecord* record = s->hoverFlag ? s->hoverRecord.get() : nullptr;
    const ScoreObject* owner = record != nullptr ? record->owner.get() : nullptr;
    if (record != nullptr && !IsUsableObject(owner)) return 1;
    const int type = owner != nullptr ? owner->type : -1;
    if (type == TypeCode(ObjectType::Note) && !IsNoteHeadHandle(record)) return 1;
    if (FocusedObject() != nullptr && FocusedObject()->type == kMarqueeType && type != kMarqueeType) return 1;
    const win::Point click = win::UnpackPoint(data);
    const int32_t command = ShowPopup(view, window, PopupMenuNameOfType(type), gfx::Point{click.x, click.y});
    if (command == 0) return 1;
    WarpToLogical(view, view->pointerPoint);
    RunCommand(view, window, command, data);
    return 1;
}

}  // namespace ql
