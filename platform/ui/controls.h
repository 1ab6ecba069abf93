// The controls of dialogs: buttons (push, default push, check, radio, group box,
// owner-drawn), edits, statics, scroll bars, up-downs, drop-down list combos, list
// boxes and progress bars. Functions take the control's window; the *Item forms
// take a dialog and a control id. Calls on a window of another class fail (false,
// -1 or an empty value) and change nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/dialog_template.h"
#include "platform/win/messages.h"

namespace ql::ui {

using platform::WindowHandle;

// Registers the control window classes, for controls made outside a dialog (the
// buttons of a tool palette); dialogs register them themselves.
void RegisterControlClasses();

// --- Any control, by dialog and id -------------------------------------------
// Setting an edit's text sends the edit's change notification to the dialog.
bool SetItemText(WindowHandle dialog, int32_t id, std::string_view text);
std::string GetItemText(WindowHandle dialog, int32_t id);
// Writes the number in decimal (signed or unsigned reading of `value`).
bool SetItemInt(WindowHandle dialog, int32_t id, int32_t value, bool isSigned = true);
// Reads the text as a decimal number: blanks around it are allowed, a leading '-'
// only when signed; empty, non-digit or out-of-range text gives nullopt.
std::optional<int32_t> GetItemInt(WindowHandle dialog, int32_t id);
std::optional<uint32_t> GetItemUnsigned(WindowHandle dialog, int32_t id);
bool EnableItem(WindowHandle dialog, int32_t id, bool enable);
bool ShowItem(WindowHandle dialog, int32_t id, bool show);

// --- Buttons -----------------------------------------------------------------
enum class CheckState : uint8_t { Unchecked = 0, Checked = 1, Indeterminate = 2 };
bool SetButtonCheck(WindowHandle button, CheckState state);
CheckState GetButtonCheck(WindowHandle button);
bool CheckItem(WindowHandle dialog, int32_t id, bool checked);
bool IsItemChecked(WindowHandle dialog, int32_t id);
// Checks `checkId` and unchecks the other buttons with ids first..last.
bool CheckRadioButton(WindowHandle dialog, int32_t firstId, int32_t lastId, int32_t checkId);
// A click as the user makes it: nothing for a disabled or hidden button; an auto
// check box toggles, an auto radio button checks itself and unchecks the other
// auto radios of its group; then the parent gets Command(id, kButtonClicked).
bool ClickButton(WindowHandle button);
uint32_t GetButtonKind(WindowHandle button);  // kButton*

// --- Edits -------------------------------------------------------------------
// 0 means no limit. Text longer than the limit is cut when typed or replaced.
bool SetEditLimit(WindowHandle edit, uint32_t maxCharacters);
uint32_t GetEditLimit(WindowHandle edit);
// Selection in characters; end -1 means the end of the text.
bool SelectEditText(WindowHandle edit, int32_t start, int32_t end);
bool SelectAllEditText(WindowHandle edit);
struct EditSelection {
    int32_t start = 0;
    int32_t end = 0;
};
EditSelection GetEditSelection(WindowHandle edit);
// Replaces the selection with `text` (as typing does, so the change is
// notified); refused for a read-only edit.
bool ReplaceEditSelection(WindowHandle edit, std::string_view text);
bool SetEditReadOnly(WindowHandle edit, bool readOnly);
bool IsEditReadOnly(WindowHandle edit);
bool IsEditMultiLine(WindowHandle edit);
// The font an edit shows its text in, where it is not the dialog's own (a preview of
// a text object in that object's font): the face, the characters' cell height in
// pixels, and the attributes. Without one the edit uses the dialog's font.
struct ControlFont {
    std::string face;
    int32_t height = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    uint8_t charset = 0;
    bool operator==(const ControlFont&) const = default;
};
// Refused for a window that is not an edit, or for a height below 1.
bool SetEditFont(WindowHandle edit, const ControlFont& font);
std::optional<ControlFont> GetEditFont(WindowHandle edit);

// --- Up-downs ------------------------------------------------------------------
// The range may run either way (lower > upper reverses the arrows).
bool SetUpDownRange(WindowHandle upDown, int32_t lower, int32_t upper);
struct UpDownRange {
    int32_t lower = 0;
    int32_t upper = 0;
};
UpDownRange GetUpDownRange(WindowHandle upDown);
// Clamped into the range; writes the buddy when kUpDownSetBuddyInt. Returns the
// previous position.
int32_t SetUpDownPosition(WindowHandle upDown, int32_t position);
int32_t GetUpDownPosition(WindowHandle upDown);
bool SetUpDownBase(WindowHandle upDown, int32_t base);  // 10 or 16
int32_t GetUpDownBase(WindowHandle upDown);
WindowHandle SetUpDownBuddy(WindowHandle upDown, WindowHandle buddy);  // returns the previous
WindowHandle GetUpDownBuddy(WindowHandle upDown);
// One press of an arrow (up: +1 toward upper): moves the position (wrapping with
// kUpDownWrap, else stopping at the end), writes the buddy when kUpDownSetBuddyInt,
// then sends the parent one VerticalScroll (HorizontalScroll with
// kUpDownHorizontal) with LineUp/LineDown and the new position, data = the
// up-down. The message is sent even at the end of the range, as the arrows still
// click there.
bool PressUpDownArrow(WindowHandle upDown, bool up);

// --- Combo boxes (drop-down lists) --------------------------------------------
// Index of the new item, -1 on failure. A sorted combo inserts in order.
int32_t ComboAddString(WindowHandle combo, std::string_view text);
int32_t ComboInsertString(WindowHandle combo, int32_t index, std::string_view text);  // -1 appends
bool ComboDeleteString(WindowHandle combo, int32_t index);
bool ComboResetContent(WindowHandle combo);
int32_t ComboGetCount(WindowHandle combo);
std::string ComboGetItemText(WindowHandle combo, int32_t index);
// -1 clears the selection. Returns the index selected, -1 when out of range.
int32_t ComboSetSelection(WindowHandle combo, int32_t index);
int32_t ComboGetSelection(WindowHandle combo);
int32_t ComboFindExact(WindowHandle combo, std::string_view text);  // case ignored; -1
bool ComboSetItemData(WindowHandle combo, int32_t index, intptr_t data);
intptr_t ComboGetItemData(WindowHandle combo, int32_t index);

// --- List boxes -----------------------------------------------------------------
int32_t ListAddString(WindowHandle list, std::string_view text);
int32_t ListInsertString(WindowHandle list, int32_t index, std::string_view text);
bool ListDeleteString(WindowHandle list, int32_t index);
bool ListResetContent(WindowHandle list);
int32_t ListGetCount(WindowHandle list);
std::string ListGetItemText(WindowHandle list, int32_t index);
bool ListSetItemData(WindowHandle list, int32_t index, intptr_t data);
intptr_t ListGetItemData(WindowHandle list, int32_t index);
// Single selection: the selected item, or -1 to clear.
int32_t ListSetSelection(WindowHandle list, int32_t index);
int32_t ListGetSelection(WindowHandle list);  // -1 when none
// Multiple selection lists: select or deselect one item (-1: all items).
bool ListSetItemSelected(WindowHandle list, int32_t index, bool selected);
bool ListIsItemSelected(WindowHandle list, int32_t index);
std::vector<int32_t> ListGetSelectedItems(WindowHandle list);

// --- Progress bars ---------------------------------------------------------------
bool SetProgressRange(WindowHandle bar, int32_t low, int32_t high);
int32_t SetProgressPosition(WindowHandle bar, int32_t position);  // clamped; returns previous
int32_t GetProgressPosition(WindowHandle bar);
struct ProgressRange {
    int32_t low = 0;
    int32_t high = 100;
};
ProgressRange GetProgressRange(WindowHandle bar);

// Scroll-bar controls use win::SetScrollRange/SetScrollPosition with ScrollBar::Control.

}  // namespace ql::ui
