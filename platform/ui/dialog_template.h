// Dialog templates: the data from which dialogs are built (kept in the program's
// resource bundles, sys/resources.h). Positions and sizes are in dialog units:
// a quarter of the dialog font's average character width across, an eighth of
// its height down. Controls are listed in tab order; the control classes are
// the layer's own (kButtonClass, kEditClass, ...), compared without regard to case.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ql::ui {

constexpr char kButtonClass[] = "Button";
constexpr char kEditClass[] = "Edit";
constexpr char kStaticClass[] = "Static";
constexpr char kScrollBarClass[] = "ScrollBar";
constexpr char kUpDownClass[] = "UpDown";
constexpr char kComboBoxClass[] = "ComboBox";
constexpr char kListBoxClass[] = "ListBox";
constexpr char kProgressBarClass[] = "ProgressBar";
// The class of dialog windows themselves.
constexpr char kDialogClass[] = "Dialog";

// Control id of static texts and group boxes that are never addressed.
constexpr int32_t kUnusedControlId = -1;

// Button kinds (low 4 bits of a button's style) and notification codes.
constexpr uint32_t kButtonPush = 0x0;
constexpr uint32_t kButtonDefaultPush = 0x1;
constexpr uint32_t kButtonCheckBox = 0x2;
constexpr uint32_t kButtonAutoCheckBox = 0x3;
constexpr uint32_t kButtonRadio = 0x4;
constexpr uint32_t kButtonAutoRadio = 0x5;
constexpr uint32_t kButtonGroupBox = 0x6;
constexpr uint32_t kButtonOwnerDraw = 0x7;
constexpr uint32_t kButtonKindMask = 0xF;
// An owner-drawn button with this option also tells its parent of the press and the
// release: a DrawItem selection change, "selected" on button-down and not on button-up.
constexpr uint32_t kButtonNotifyPress = 0x4000;
constexpr uint32_t kButtonClicked = 0;

// Edit options and notification codes.
constexpr uint32_t kEditMultiLine = 0x0001;
constexpr uint32_t kEditReadOnly = 0x0002;
constexpr uint32_t kEditDigitsOnly = 0x0004;
constexpr uint32_t kEditAutoHorizontalScroll = 0x0008;
constexpr uint32_t kEditCentre = 0x0010;
constexpr uint32_t kEditRight = 0x0020;
constexpr uint32_t kEditSetFocus = 0x0100;
constexpr uint32_t kEditKillFocus = 0x0200;
constexpr uint32_t kEditChange = 0x0300;

// Static kinds.
constexpr uint32_t kStaticLeft = 0x0000;
constexpr uint32_t kStaticCentre = 0x0001;
constexpr uint32_t kStaticRight = 0x0002;
constexpr uint32_t kStaticGreyRect = 0x0003;
constexpr uint32_t kStaticSunken = 0x1000;

// Scroll-bar orientation.
constexpr uint32_t kScrollBarHorizontal = 0x0000;
constexpr uint32_t kScrollBarVertical = 0x0001;

// Up-down options.
constexpr uint32_t kUpDownWrap = 0x0001;
constexpr uint32_t kUpDownSetBuddyInt = 0x0002;  // writes its position into the buddy
constexpr uint32_t kUpDownAlignRight = 0x0004;
constexpr uint32_t kUpDownAutoBuddy = 0x0010;  // the buddy is the control before it
constexpr uint32_t kUpDownArrowKeys = 0x0020;
constexpr uint32_t kUpDownHorizontal = 0x0040;

// Combo box kinds and notification codes.
constexpr uint32_t kComboDropDownList = 0x0003;
constexpr uint32_t kComboSort = 0x0100;
constexpr uint32_t kComboSelectionChanged = 1;
constexpr uint32_t kComboSetFocus = 3;
constexpr uint32_t kComboKillFocus = 4;
constexpr uint32_t kComboDroppedDown = 7;
constexpr uint32_t kComboClosedUp = 8;

// List box options and notification codes.
constexpr uint32_t kListNotify = 0x0001;
constexpr uint32_t kListSort = 0x0002;
constexpr uint32_t kListMultipleSelection = 0x0008;
constexpr uint32_t kListSelectionChanged = 1;
constexpr uint32_t kListDoubleClicked = 2;

// Dialog styles (low 16 bits of a dialog's style; the window styles are above).
constexpr uint32_t kDialogCentre = 0x0001;
constexpr uint32_t kDialogModalFrame = 0x0002;

struct DialogUnitRect {
    int16_t x = 0;
    int16_t y = 0;
    int16_t cx = 0;
    int16_t cy = 0;
};

struct ControlTemplate {
    std::string className;
    int32_t id = kUnusedControlId;
    std::string text;
    DialogUnitRect rect;
    uint32_t style = 0;  // window styles (kStyleVisible, kStyleTabStop, ...) | class bits
    uint32_t extendedStyle = 0;
};

struct DialogTemplate {
    std::string caption;
    DialogUnitRect rect;
    uint32_t style = 0;
    std::string fontFace;  // empty: the layer's dialog font
    int32_t fontPoints = 8;
    std::vector<ControlTemplate> controls;
};

}  // namespace ql::ui
