// The "Printing ..." box 841 and the texts of printing, as entries of the
// program's resource bundle. The print file is the finished PDF, so its filter
// names ".pdf" where print files of a printer driver were meant.
#include "shell/resources/print_resources.h"

#include <memory>
#include <utility>

#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

// Box 841: the document's name above a centred Cancel.
constexpr int16_t kBoxWidth = 160;
constexpr int16_t kBoxHeight = 60;
constexpr int16_t kMargin = 8;
constexpr int16_t kTextHeight = 12;
constexpr int16_t kButtonWidth = 50;
constexpr int16_t kButtonHeight = 14;
constexpr int16_t kButtonTop = kMargin + kTextHeight + kMargin;

ui::DialogTemplate PrintAbortTemplate() {
    constexpr uint32_t kVisible = win::kStyleVisible;
    ui::DialogTemplate dialog;
    dialog.caption = "Printing ...";
    dialog.rect = {0, 0, kBoxWidth, kBoxHeight};
    dialog.style = ui::kDialogCentre | ui::kDialogModalFrame | win::kStyleCaption;
    dialog.controls.push_back({ui::kStaticClass,
                               kPrintAbortTextId,
                               "",
                               {kMargin, kMargin, kBoxWidth - 2 * kMargin, kTextHeight},
                               kVisible,
                               0});
    dialog.controls.push_back(
        {ui::kButtonClass,
         ui::kIdCancel,
         "Cancel",
         {(kBoxWidth - kButtonWidth) / 2, kButtonTop, kButtonWidth, kButtonHeight},
         kVisible | win::kStyleTabStop | ui::kButtonDefaultPush,
         0});
    return dialog;
}

struct PrintString {
    int32_t id;
    const char* text;
};

constexpr PrintString kPrintStrings[] = {
    {kStrPrintFileFilter, " Print (*.pdf)~*.pdf~~"},
    {kStrUsingDefaultDriver, "Using default driver setup."},
    {kStrUserCanceledPrint, "User canceled print."},
    {kStrPrintError, "Print error"},
    {kStrPageRangeBox, "Enter one or more page numbers (%d - %d),\nseparated by commas or spaces."},
    {kStrPageNotFound, "Page %d not found in document."},
};

}  // namespace

void AddPrintResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(kPrintAbortDialogId, PrintAbortTemplate());
    for (const PrintString& entry : kPrintStrings) bundle.strings.emplace(entry.id, entry.text);
}

void RegisterPrintResources() {
    std::shared_ptr<const sys::ResourceBundle> current = sys::GetProgramBundle();
    auto bundle = current ? std::make_shared<sys::ResourceBundle>(*current)
                          : std::make_shared<sys::ResourceBundle>();
    if (!current) bundle->name = "program";
    AddPrintResources(*bundle);
    sys::SetProgramBundle(std::move(bundle));
}

}  // namespace ql
