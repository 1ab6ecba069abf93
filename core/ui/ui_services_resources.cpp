// The progress dialog 501 and the Help button's logo bitmap, as entries of the
// program's resource bundle (their texts are in the program's string table).
#include "core/ui/ui_services_resources.h"

#include <memory>
#include <utility>

#include "core/ui/help.h"
#include "core/ui/progress.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

// Dialog 501 "Progress...": the bar across, Cancel centred below it.
constexpr int16_t kProgressWidth = 220;
constexpr int16_t kProgressHeight = 58;
constexpr int16_t kMargin = 10;
constexpr int16_t kBarHeight = 12;
constexpr int16_t kButtonWidth = 50;
constexpr int16_t kButtonHeight = 14;
constexpr int16_t kButtonTop = kMargin + kBarHeight + kMargin;

ui::DialogTemplate ProgressDialogTemplate() {
    constexpr uint32_t kVisible = win::kStyleVisible;
    ui::DialogTemplate dialog;
    dialog.caption = "Progress...";
    dialog.rect = {0, 0, kProgressWidth, kProgressHeight};
    dialog.style = ui::kDialogCentre | ui::kDialogModalFrame | win::kStyleCaption;
    dialog.controls.push_back({ui::kProgressBarClass,
                               kProgressBarId,
                               "Progress1",
                               {kMargin, kMargin, kProgressWidth - 2 * kMargin, kBarHeight},
                               kVisible,
                               0});
    dialog.controls.push_back(
        {ui::kButtonClass,
         ui::kIdCancel,
         "&Cancel",
         {(kProgressWidth - kButtonWidth) / 2, kButtonTop, kButtonWidth, kButtonHeight},
         kVisible | win::kStyleTabStop | ui::kButtonDefaultPush,
         0});
    return dialog;
}

// Bitmap 126: a question mark in a round badge, 24 x 24.
constexpr int kLogoSize = 24;
constexpr gfx::Colour kLogoBackground = 0x00C0C0C0;
constexpr gfx::Colour kLogoBadge = 0x00804000;
constexpr gfx::Colour kLogoMark = 0x00FFFFFF;
constexpr const char* kLogoRows[kLogoSize] = {
    "........................", "........................", ".......oooooooooo.......",
    ".....oooooooooooooo.....", "....oooooo####oooooo....", "...ooooo########ooooo...",
    "...oooo###oooo###oooo...", "..ooooo###oooo###ooooo..", "..ooooooooooo###oooooo..",
    "..oooooooooo###ooooooo..", "..ooooooooo###oooooooo..", "..oooooooo###ooooooooo..",
    "..oooooooo###ooooooooo..", "..oooooooo###ooooooooo..", "..oooooooooooooooooooo..",
    "..oooooooo###ooooooooo..", "...ooooooo###oooooooo...", "...ooooooo###oooooooo...",
    "....oooooooooooooooo....", ".....oooooooooooooo.....", ".......oooooooooo.......",
    "........................", "........................", "........................",
};

sys::BitmapResource HelpLogoBitmap() {
    sys::BitmapResource bitmap;
    bitmap.width = kLogoSize;
    bitmap.height = kLogoSize;
    for (const char* row : kLogoRows) {
        for (int x = 0; x < kLogoSize; ++x) {
            char c = row[x];
            bitmap.pixels.push_back(c == '#' ? kLogoMark : c == 'o' ? kLogoBadge : kLogoBackground);
        }
    }
    return bitmap;
}

}  // namespace

void AddUiServiceResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(kProgressDialogId, ProgressDialogTemplate());
    bundle.bitmaps.emplace(kHelpLogoBitmap, HelpLogoBitmap());
}

void RegisterUiServiceResources() {
    std::shared_ptr<const sys::ResourceBundle> current = sys::GetProgramBundle();
    auto bundle = current ? std::make_shared<sys::ResourceBundle>(*current)
                          : std::make_shared<sys::ResourceBundle>();
    if (!current) bundle->name = "program";
    AddUiServiceResources(*bundle);
    sys::SetProgramBundle(std::move(bundle));
}

}  // namespace ql
