// Templates of the staff-management dialogs, laid out on a grid of rows and columns:
// "Staff Management" (what is hidden, the range, size, lines, ossia and the three
// sub-dialog buttons), "Unhide Staves", "Staff MIDI Setup" (a column per timbre) and
// the staff's "Transpose". The texts are the dialogs' own.
#include "staves/staff_dialog_resources.h"

#include <utility>

#include "core/ui/dialog_grid.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using dialog_grid::DialogGrid;

constexpr dialog_grid::GridSizes kSizes{110, 28, 60};
constexpr uint32_t kTab = win::kStyleVisible | win::kStyleTabStop;

// A push button a button wide.
void Button(DialogGrid& g, int32_t id, const char* text, int column, int row) {
    g.Add(ui::kButtonClass, id, text, column, row, kSizes.buttonWidth, kTab);
}

void Combo(DialogGrid& g, int32_t id, int column, int row) {
    g.Add(ui::kComboBoxClass, id, "", column, row, kSizes.columnWidth - dialog_grid::kMargin,
          kTab | ui::kComboDropDownList);
}

ui::DialogTemplate StaffManagementTemplate() {
    using namespace staff_management_dialog;
    DialogGrid g("Staff Management", 4, 10, kSizes);
    g.Label("Staff 00", 0, 0, kHeader);
    g.Label("", 1, 0, kLabel);
    g.Label("Hide", 0, 1);
    g.Check(kHideStaff, "Staff", 0, 2);
    g.Check(kHideClef, "Clef", 0, 3);
    g.Check(kHideTime, "Time sig", 0, 4);
    g.Check(kHideKey, "Key sig", 0, 5);
    g.Check(kHideName, "Staff Name", 0, 6);
    g.Radio(kThisStaffOnly, "This staff only", 1, 2, true);
    g.Radio(kAllStavesInSystem, "All staves in system", 1, 3);
    g.Radio(kThisSystemOnly, "This system only", 1, 4, true);
    g.Radio(kAllSystemsOnPage, "All systems on page", 1, 5);
    g.Radio(kThisPageOnly, "This page only", 1, 6, true);
    g.Radio(kThisPageToEnd, "This page to end", 1, 7);
    g.Label("Staff size", 2, 1);
    g.Edit(kStaffSize, 2, 2);
    g.Label("(50-100%)", 2, 3);
    g.Label("Staff lines", 2, 4);
    g.SpinEdit(kLinesSpin, 2, 5);
    g.Label("(1-15)", 2, 6);
    g.Check(kOssia, "Ossia Staff", 2, 7);
    g.Check(kToStaffAbove, "to Staff Above", 2, 8);
    g.Check(kConnectStaves, "Connect Staves", 2, 9);
    g.Buttons(3, 1);
    Button(g, kMidiSetup, "MIDI Setup...", 3, 4);
    Button(g, kUnhide, "Unhide staves...", 3, 5);
    Button(g, kTranspose, "Transpose...", 3, 6);
    return g.dialog;
}

ui::DialogTemplate UnhideStavesTemplate() {
    using namespace unhide_staves_dialog;
    DialogGrid g("Unhide Staves", 3, 4, kSizes);
    g.Radio(kUnhideAll, "Unhide all staves", 0, 0, true);
    g.Radio(kUnhideOne, "Unhide this staff", 0, 1);
    Combo(g, kHiddenStaves, 1, 1);
    g.Buttons(2, 0);
    return g.dialog;
}

// A timbre's port: a letter or "NONE", stepped by the dialog itself (the up-down
// writes no number into it).
void PortField(DialogGrid& g, int32_t id, int column, int row) {
    g.Edit(id, column, row);
    g.AddAt(ui::kUpDownClass, id - 1, "", static_cast<int16_t>(g.X(column) + kSizes.numberWidth), row,
            dialog_grid::kSpinWidth, win::kStyleVisible | ui::kUpDownArrowKeys);
}

ui::DialogTemplate StaffMidiTemplate() {
    using namespace staff_midi_dialog;
    static const char* const kTimbreNames[kTimbres] = {"Timbre 1", "Timbre 2", "Timbre 3", "Timbre 4"};
    static const char* const kStemNames[kTimbres] = {"Principal (1)", "Principal (2)", "Auxiliary (3)",
                                                     "Auxiliary (4)"};
    DialogGrid g("Staff MIDI Setup", 6, 11, kSizes);
    g.Label("Staff 00", 0, 0, kHeader);
    g.Label(kNoStaffLabel, 1, 0, kLabel);
    for (const auto& [row, text] : {std::pair{3, "Port"}, {4, "Channel"}, {5, "Patch"}, {7, "Initial"}})
        g.Label(text, 0, row);
    for (int t = 0; t < kTimbres; ++t) {
        const int column = t + 1;
        g.Label(kTimbreNames[t], column, 1);
        g.Label(kStemNames[t], column, 2);
        PortField(g, kFirstPort + kIdStep * t, column, 3);
        g.SpinEdit(kFirstChannel + kIdStep * t - 1, column, 4);
        g.SpinEdit(kFirstPatch + kIdStep * t - 1, column, 5);
        Combo(g, kFirstPatchCombo + t, column, 6);
        g.SpinEdit(kFirstInitial + kIdStep * t - 1, column, 7);
    }
    g.Label("Base Key velocity:", 0, 9);
    g.SpinEdit(kVelocitySpin, 1, 9);
    g.Label("Patch offset:", 2, 9);
    g.Radio(kOffsetZero, "0", 3, 9, true);
    g.Radio(kOffsetOne, "1", 4, 9);
    Button(g, kReset, "&Reset", 5, 3);
    g.Buttons(5, 1);
    return g.dialog;
}

ui::DialogTemplate StaffTransposeTemplate() {
    using namespace staff_transpose_dialog;
    static const char* const kIntervals[] = {"Second", "Third", "Fourth", "Fifth", "Sixth", "Seventh", "Octave"};
    static const char* const kDirections[] = {"None", "Up", "Down"};
    DialogGrid g("Transpose", 4, 10, kSizes);
    g.Label("Staff 00", 0, 0, kHeader);
    g.Label("", 1, 0, kLabel);
    for (int i = 0; i <= kLastInterval - kFirstInterval; ++i)
        g.Radio(kFirstInterval + i, kIntervals[i], 0, 1 + i, i == 0);
    for (int i = 0; i <= kDirectionDown - kDirectionNone; ++i)
        g.Radio(kDirectionNone + i, kDirections[i], 1, 1 + i, i == 0);
    g.Radio(kQualityPlain, "Major", 1, 5, true);
    g.Radio(kQualityLowered, "Minor", 1, 6);
    g.LabelBeforeEdit("Octaves", 1, 7);
    g.RightEdit(kOctaves, 1, 7);
    g.Radio(kForPlayback, "Transpose MIDI playback", 2, 1, true);
    g.Radio(kForParts, "Transpose part extraction", 2, 2);
    g.Check(kMinorKey, "Minor key", 2, 4);
    g.Buttons(3, 1);
    return g.dialog;
}

}  // namespace

void AddStaffDialogResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(staff_management_dialog::kStaffManagementDialog, StaffManagementTemplate());
    bundle.dialogs.emplace(unhide_staves_dialog::kUnhideStavesDialog, UnhideStavesTemplate());
    bundle.dialogs.emplace(staff_midi_dialog::kStaffMidiDialog, StaffMidiTemplate());
    bundle.dialogs.emplace(staff_transpose_dialog::kStaffTransposeDialog, StaffTransposeTemplate());
}

void RegisterStaffDialogResources() {
    dialog_grid::AddToProgramBundle(AddStaffDialogResources);
}

}  // namespace ql
