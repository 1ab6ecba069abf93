// The templates of the note dialogs (see note_dialog_resources.h). Dialog 893 shows
// the major intervals in a column on the left and the minor ones on the right, each
// row a pair of radios, with the staff picture across the top and the buttons below.
#include "notes/settings/note_dialog_resources.h"

#include "core/ui/dialog_grid.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

namespace aid = accidental_interpretation_dialog;

constexpr int16_t kWidth = 300;
constexpr int16_t kHeight = 176;
constexpr int16_t kMargin = 8;
constexpr int16_t kPictureHeight = 50;
constexpr int16_t kGroupTop = kMargin + kPictureHeight + 4;
constexpr int16_t kRowHeight = 14;
constexpr int16_t kGroupWidth = (kWidth - 3 * kMargin) / 2;
constexpr int16_t kLabelWidth = 52;
constexpr int16_t kRadioWidth = 34;
constexpr int16_t kButtonWidth = 50;
constexpr int16_t kButtonHeight = 14;
constexpr int16_t kButtonTop = kHeight - kMargin - kButtonHeight;
constexpr int kTritoneRow = 2;

constexpr const char* kRowLabels[aid::kEditedIntervalCount] = {"Unison/2nd", "2nd/3rd", "4th/5th",
                                                               "5th/6th", "6th/7th"};

constexpr uint32_t kVisible = win::kStyleVisible;

void AddGroup(ui::DialogTemplate& dialog, bool minor) {
    const int16_t left = minor ? static_cast<int16_t>(2 * kMargin + kGroupWidth) : kMargin;
    const int16_t groupHeight =
        static_cast<int16_t>(kRowHeight * (aid::kEditedIntervalCount + 1) + 4);
    dialog.controls.push_back({ui::kButtonClass,
                               ui::kUnusedControlId,
                               minor ? "Minor Keys..." : "Major Keys...",
                               {left, kGroupTop, kGroupWidth, groupHeight},
                               kVisible | ui::kButtonGroupBox,
                               0});
    for (int row = 0; row < aid::kEditedIntervalCount; ++row) {
        const int16_t y = static_cast<int16_t>(kGroupTop + kRowHeight * (row + 1));
        const int16_t x = static_cast<int16_t>(left + 4);
        dialog.controls.push_back({ui::kStaticClass,
                                   ui::kUnusedControlId,
                                   kRowLabels[row],
                                   {x, y, kLabelWidth, 10},
                                   kVisible | ui::kStaticLeft,
                                   0});
        dialog.controls.push_back(
            {ui::kButtonClass,
             aid::SharpRadio(minor, row),
             "Aug",
             {static_cast<int16_t>(x + kLabelWidth), y, kRadioWidth, 10},
             kVisible | ui::kButtonAutoRadio | win::kStyleGroup | win::kStyleTabStop,
             0});
        dialog.controls.push_back(
            {ui::kButtonClass,
             aid::FlatRadio(minor, row),
             row == kTritoneRow ? "Dim" : "Min",
             {static_cast<int16_t>(x + kLabelWidth + kRadioWidth), y, kRadioWidth, 10},
             kVisible | ui::kButtonAutoRadio,
             0});
    }
}

void AddButton(ui::DialogTemplate& dialog, int32_t id, const char* text, int index, uint32_t kind) {
    const int16_t x = static_cast<int16_t>(kWidth - (kMargin + kButtonWidth) * (3 - index));
    dialog.controls.push_back({ui::kButtonClass,
                               id,
                               text,
                               {x, kButtonTop, kButtonWidth, kButtonHeight},
                               kVisible | win::kStyleTabStop | kind,
                               0});
}

ui::DialogTemplate AccidentalInterpretationTemplate() {
    ui::DialogTemplate dialog;
    dialog.caption = "Accidental Interpretation";
    dialog.rect = {0, 0, kWidth, kHeight};
    dialog.style = ui::kDialogCentre | ui::kDialogModalFrame | win::kStyleCaption;
    dialog.controls.push_back(  // the staff picture, drawn by the dialog
        {ui::kButtonClass,
         aid::kPicture,
         "",
         {kMargin, kMargin, static_cast<int16_t>(kWidth - 2 * kMargin), kPictureHeight},
         kVisible | ui::kButtonOwnerDraw,
         0});
    AddGroup(dialog, false);
    AddGroup(dialog, true);
    AddButton(dialog, ui::kIdOk, "&OK", 0, ui::kButtonDefaultPush);
    AddButton(dialog, ui::kIdCancel, "&Cancel", 1, ui::kButtonPush);
    AddButton(dialog, aid::kReset, "&Reset", 2, ui::kButtonPush);
    return dialog;
}

// Dialog 827: six check boxes on the left, four numbers with their scroll bars and
// ranges on the right, the duration name above, the buttons below.
namespace nsd = note_settings_dialog;
constexpr int16_t kSettingsWidth = 262;
constexpr int16_t kSettingsHeight = 150;
constexpr int16_t kCheckWidth = 80;
constexpr int16_t kNumberLeft = 96;
constexpr int16_t kNumberLabelWidth = 56;
constexpr int16_t kEditWidth = 36;
constexpr int16_t kBarWidth = 10;
constexpr int16_t kRangeWidth = 56;
constexpr int16_t kFirstRowTop = 24;

void AddCheck(ui::DialogTemplate& dialog, int32_t id, const char* text, int row) {
    dialog.controls.push_back(
        {ui::kButtonClass,
         id,
         text,
         {kMargin, static_cast<int16_t>(kFirstRowTop + kRowHeight * row), kCheckWidth, 10},
         kVisible | ui::kButtonAutoCheckBox | win::kStyleTabStop,
         0});
}

void AddNumber(ui::DialogTemplate& dialog, int32_t editId, const char* label, const char* range,
               int32_t rangeId, int row) {
    const int16_t y = static_cast<int16_t>(kFirstRowTop + kRowHeight * row * 3 / 2);
    int16_t x = kNumberLeft;
    dialog.controls.push_back({ui::kStaticClass,
                               ui::kUnusedControlId,
                               label,
                               {x, y, kNumberLabelWidth, 10},
                               kVisible | ui::kStaticLeft,
                               0});
    x = static_cast<int16_t>(x + kNumberLabelWidth);
    dialog.controls.push_back({ui::kEditClass,
                               editId,
                               "",
                               {x, y, kEditWidth, 12},
                               kVisible | win::kStyleTabStop | ui::kEditAutoHorizontalScroll,
                               0});
    x = static_cast<int16_t>(x + kEditWidth);
    dialog.controls.push_back({ui::kScrollBarClass,
                               editId - 1,
                               "",
                               {x, y, kBarWidth, 12},
                               kVisible | ui::kScrollBarVertical,
                               0});
    x = static_cast<int16_t>(x + kBarWidth + 2);
    dialog.controls.push_back(
        {ui::kStaticClass, rangeId, range, {x, y, kRangeWidth, 10}, kVisible | ui::kStaticLeft, 0});
}

ui::DialogTemplate NoteSettingsTemplate() {
    ui::DialogTemplate dialog;
    dialog.caption = "Note Settings";
    dialog.rect = {0, 0, kSettingsWidth, kSettingsHeight};
    dialog.style = ui::kDialogCentre | ui::kDialogModalFrame | win::kStyleCaption;
    dialog.controls.push_back({ui::kStaticClass,
                               nsd::kDurationName,
                               "",
                               {kMargin, kMargin, 120, 10},
                               kVisible | ui::kStaticLeft,
                               0});
    AddCheck(dialog, nsd::kStaccato, "Staccato", 0);
    AddCheck(dialog, nsd::kLegato, "Legato", 1);
    AddCheck(dialog, nsd::kCrossStaff, "Cross staff", 2);
    AddCheck(dialog, nsd::kHideSound, "Hide sound", 3);
    AddCheck(dialog, nsd::kHideStem, "Hide stem", 4);
    AddCheck(dialog, nsd::kHideHead, "Hide note-head", 5);
    AddNumber(dialog, nsd::kTimbre, "Timbre:", "(0 - 4)", ui::kUnusedControlId, 0);
    AddNumber(dialog, nsd::kVelocity, "Relative Kv:", "(-127 - 127)", ui::kUnusedControlId, 1);
    AddNumber(dialog, nsd::kAttack, "Attack delay:", "", nsd::kAttackRange, 2);
    AddNumber(dialog, nsd::kRelease, "Release delay:", "", nsd::kReleaseRange, 3);
    dialog.controls.push_back(
        {ui::kButtonClass,
         nsd::kLogo,
         "",
         {kMargin, static_cast<int16_t>(kSettingsHeight - kMargin - 24), 24, 24},
         kVisible | ui::kButtonOwnerDraw,
         0});
    const int16_t top = static_cast<int16_t>(kSettingsHeight - kMargin - kButtonHeight);
    dialog.controls.push_back({ui::kButtonClass,
                               ui::kIdOk,
                               "&OK",
                               {static_cast<int16_t>(kSettingsWidth - 2 * (kMargin + kButtonWidth)),
                                top, kButtonWidth, kButtonHeight},
                               kVisible | win::kStyleTabStop | ui::kButtonDefaultPush,
                               0});
    dialog.controls.push_back({ui::kButtonClass,
                               ui::kIdCancel,
                               "&Cancel",
                               {static_cast<int16_t>(kSettingsWidth - kMargin - kButtonWidth), top,
                                kButtonWidth, kButtonHeight},
                               kVisible | win::kStyleTabStop | ui::kButtonPush,
                               0});
    return dialog;
}

}  // namespace

void AddNoteDialogResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(nsd::kDialogId, NoteSettingsTemplate());
    bundle.dialogs.emplace(aid::kDialogId, AccidentalInterpretationTemplate());
}

void RegisterNoteDialogResources() {
    dialog_grid::AddToProgramBundle(&AddNoteDialogResources);
}

}  // namespace ql
