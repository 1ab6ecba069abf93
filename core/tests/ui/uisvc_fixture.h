// Shared set-up of the user-interface services tests: a fresh program state and
// headless window layer, the program's resources registered, a frame 440 pixels
// wide with its status bar, a tool palette with a button, and a valid view (in
// the view list) on a bare document. Test dialogs: kFieldDialog (up-down 101
// with edit 102, decimal steppers 200/202 and 201/202) and kNestDialog (nothing
// but OK and Cancel).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/core_strings.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/ui/ui_services_resources.h"
#include "platform/sys/headless.h"
#include "platform/sys/resources.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/window.h"
#include "shell/resources/program_strings.h"

namespace ql::testing_uisvc {

constexpr int32_t kFieldDialog = 7001;
constexpr int32_t kNestDialog = 7002;
constexpr int32_t kSpinUpDown = 101;
constexpr int32_t kSpinEdit = 102;
constexpr int32_t kIntegerStepper = 200;
constexpr int32_t kHundredthsStepper = 201;
constexpr int32_t kDecimalEdit = 202;
constexpr int32_t kFrameWidth = 440;
constexpr int32_t kFrameHeight = 300;

inline ui::ControlTemplate Control(const char* cls, int32_t id, int16_t y, uint32_t style = 0) {
    return ui::ControlTemplate{cls,
                               id,
                               "",
                               ui::DialogUnitRect{10, y, 60, 12},
                               style | win::kStyleVisible | win::kStyleTabStop,
                               0};
}

inline ui::DialogTemplate TestDialog(std::vector<ui::ControlTemplate> controls) {
    controls.push_back(Control(ui::kButtonClass, ui::kIdOk, 80, ui::kButtonDefaultPush));
    controls.push_back(Control(ui::kButtonClass, ui::kIdCancel, 94));
    return ui::DialogTemplate{
        "Test", ui::DialogUnitRect{0, 0, 200, 120}, ui::kDialogCentre, "", 8, std::move(controls)};
}

// Ends the dialog on OK and Cancel; nothing else.
inline intptr_t EndOnButtons(platform::WindowHandle dialog, win::Message message, uint32_t word,
                             intptr_t) {
    if (message == win::Message::Command &&
        (win::CommandId(word) == ui::kIdOk || win::CommandId(word) == ui::kIdCancel)) {
        ui::EndDialog(dialog, win::CommandId(word));
        return 1;
    }
    return 0;
}

class UiServicesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        win::headless::ResetWindowLayer();
        ui::headless::ResetUi();
        sys::headless::ResetHelp();
        sys::SetLanguageBundle(nullptr);
        sys::SetProgramBundle(nullptr);
        RegisterProgramStrings();
        RegisterUiServiceResources();
        AddTestDialogs();
        MakeFrame();
        MakePalette();
        document_ = std::make_unique<ScoreDocument>();
        view_.self = &view_;
        view_.document = document_.get();
        view_.currentPage = &page_;
        LinkView(&view_);
    }

    void TearDown() override {
        UnlinkView(&view_);
        State().documents.ActiveView = nullptr;
        State().documents.CurrentDocument = nullptr;
        sys::SetProgramBundle(nullptr);
    }

    void AddTestDialogs() {
        auto bundle = std::make_shared<sys::ResourceBundle>(*sys::GetProgramBundle());
        bundle->dialogs[kFieldDialog] = TestDialog({
            Control(ui::kUpDownClass, kSpinUpDown, 10),
            Control(ui::kEditClass, kSpinEdit, 24),
            Control(ui::kUpDownClass, kIntegerStepper, 38),
            Control(ui::kUpDownClass, kHundredthsStepper, 52),
            Control(ui::kEditClass, kDecimalEdit, 66),
        });
        bundle->dialogs[kNestDialog] = TestDialog({});
        sys::SetProgramBundle(std::move(bundle));
    }

    void MakeFrame() {
        win::WindowClass frameClass;
        frameClass.name = "MdiFrame";
        frameClass.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(frameClass);
        win::WindowParams params;
        params.className = "MdiFrame";
        params.style = win::kStyleVisible | win::kStyleOverlappedWindow;
        params.rect = {0, 0, kFrameWidth, kFrameHeight};
        frame_ = win::CreateWindow(params);
        State().dialogs.FrameWindow = frame_;
        CreateStatusBar(frame_);
        LayoutStatusBar(frame_);  // as the frame does on its first size
    }

    void MakePalette() {
        win::WindowClass paletteClass;
        paletteClass.name = "Palette";
        paletteClass.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(paletteClass);
        win::WindowParams params;
        params.className = "Palette";
        params.style = win::kStyleVisible | win::kStylePopup;
        params.rect = {500, 0, 600, 200};
        palette_ = win::CreateWindow(params);
        win::WindowParams button;
        button.className = ui::kButtonClass;
        button.style = win::kStyleVisible | win::kStyleChild;
        button.parent = palette_;
        button.id = 1;
        button.rect = {0, 0, 20, 20};
        paletteButton_ = win::CreateWindow(button);
    }

    bool PalettesEnabled() const {
        return win::IsWindowEnabled(palette_) && win::IsWindowEnabled(paletteButton_);
    }
    bool PalettesDisabled() const {
        return !win::IsWindowEnabled(palette_) && !win::IsWindowEnabled(paletteButton_);
    }

    // Texts sent to a status part, in order.
    static std::vector<std::string> PartTexts(int part) {
        std::vector<std::string> texts;
        for (const auto& record : ui::headless::StatusTexts())
            if (record.part == part) texts.push_back(record.text);
        return texts;
    }
    static std::string LastPartText(int part) {
        std::vector<std::string> texts = PartTexts(part);
        return texts.empty() ? std::string("<none>") : texts.back();
    }

    platform::WindowHandle frame_;
    platform::WindowHandle palette_;
    platform::WindowHandle paletteButton_;
    std::unique_ptr<ScoreDocument> document_;
    ScorePage page_{};
    ScoreView view_;
};

}  // namespace ql::testing_uisvc
