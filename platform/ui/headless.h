// Test controls of the headless user-interface backend.
// A test installs a script per dialog id: when that dialog runs modally, the
// script gets a DialogDriver after InitDialog and reads and sets controls and
// presses buttons as a user would; waiting messages are delivered before the
// script and after it. A dialog without a script is answered with Escape (its
// Cancel), and so is a dialog its script left open; one that stays
// open even then ends with kDialogFailed. Message boxes take their answers from
// a queue (the box's first button when the queue is empty); popup menus take
// theirs from another (dismissed when empty). A queued box answer that is not
// one of the box's buttons is used up and the first button answers. Every box,
// beep, status text, dialog and popup is recorded in order.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/resources.h"
#include "platform/ui/controls.h"
#include "platform/ui/message_box.h"
#include "platform/ui/status_bar.h"
#include "platform/win/messages.h"

namespace ql::ui::headless {

// Drives one open dialog by control id. Every action is refused (false, nothing
// happens) when the control is missing, hidden or disabled, as a user could not
// reach it; reads work on any control.
class DialogDriver {
public:
    explicit DialogDriver(WindowHandle dialog) : dialog_(dialog) {}
    WindowHandle Dialog() const { return dialog_; }
    WindowHandle Item(int32_t id) const;

    // Reads.
    std::string Text(int32_t id) const;
    std::optional<int32_t> Int(int32_t id) const;
    bool IsChecked(int32_t id) const;
    bool IsEnabled(int32_t id) const;
    bool IsVisible(int32_t id) const;
    int32_t Selection(int32_t id) const;  // combo or single-selection list

    // Actions.
    bool Type(int32_t id, std::string_view text);  // focus the edit, replace all its text
    bool Click(int32_t id);                         // a button
    bool SetChecked(int32_t id, bool checked);      // clicks when the state differs
    bool StepUpDown(int32_t id, int presses);       // > 0 up arrow, < 0 down arrow
    // A combo item (the combo drops down, changes and closes up), a list item, or
    // in a multiple-selection list, toggles the item.
    bool Select(int32_t id, int32_t index);
    bool SelectByText(int32_t id, std::string_view text);
    bool Scroll(int32_t id, win::ScrollCode code, int32_t position = 0);  // a scroll bar or a trackbar
    bool Focus(int32_t id);
    bool RequestHelp(int32_t id);  // F1 with the pointer over the control
    bool RequestDraw(int32_t id, uint32_t itemState, win::DrawAction action = win::DrawAction::DrawEntire);
    bool PressEnter();   // the default button
    bool PressEscape();  // Cancel
    bool IsOpen() const;
    // Dispatches the messages waiting in the queue, as the dialog's loop would
    // between two user actions. False when a Quit was taken (it is posted again).
    bool PumpMessages();

private:
    WindowHandle dialog_;
};

using DialogScript = std::function<void(DialogDriver&)>;
// Replaces the script of a dialog id; an empty function removes it.
void SetDialogScript(const sys::ResourceId& templateId, DialogScript script);

// The user opens the menus of the window's menu bar that lead to `command` and
// chooses it: InitMenu, InitMenuPopup for each popup on the way (the window menu
// of a document-window client lists its windows), then Command(command, 0) is
// posted to the window. False, and nothing posted, when no item has the command
// or the item cannot be chosen once its popup was opened.
bool ChooseMenuCommand(WindowHandle owner, int32_t command);

void QueueMessageBoxAnswer(int result);
void QueuePopupMenuChoice(int32_t command);

struct MessageBoxRecord {
    WindowHandle owner;
    std::string text;
    std::string caption;
    uint32_t style = 0;
    int result = 0;
    bool answerRefused = false;  // the queued answer was not one of the box's buttons
};
struct StatusTextRecord {
    WindowHandle bar;
    int part = 0;
    std::string text;
    StatusTextStyle style = StatusTextStyle::Plain;
};
struct DialogRecord {
    sys::ResourceId templateId{0};
    int depth = 0;  // 1 for a dialog run from no other dialog
    intptr_t result = 0;
};
struct PopupMenuRecord {
    platform::MenuHandle menu;
    win::Point point;
    int32_t result = 0;
};

const std::vector<MessageBoxRecord>& MessageBoxes();
const std::vector<BeepKind>& Beeps();
const std::vector<StatusTextRecord>& StatusTexts();
const std::vector<DialogRecord>& Dialogs();  // in the order they ended
const std::vector<PopupMenuRecord>& PopupMenus();
// Modal dialogs open now.
int OpenDialogDepth();

// Clears scripts, queued answers and records, and installs a fresh headless backend.
void ResetUi();

}  // namespace ql::ui::headless
