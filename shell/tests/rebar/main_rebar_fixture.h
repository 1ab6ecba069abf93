// The fixture of the main bar's tests: the settings opened, a frame, and the bar
// made from the settings as start-up makes it, saved and made again for a restart.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "core/settings/program_options.h"
#include "editing/page_band.h"
#include "editing/palette_windows.h"
#include "platform/ui/controls.h"
#include "platform/ui/rebar.h"
#include "platform/win/window.h"
#include "shell/rebar/main_rebar.h"
#include "shell/tests/settings_fixture.h"

namespace ql {

using Ids = std::vector<int32_t>;

class MainRebarTest : public testing::SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        ui::RegisterControlClasses();
        win::WindowClass cls;
        cls.name = "Frame";
        cls.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(cls);
    }
    void TearDown() override {
        DestroyMainRebar();
        DestroyPagersToolbar();
        SetMainPaletteInBand(false);
        SettingsFixture::TearDown();
    }
    // Start-up as far as the bar: the settings read, the frame and its bar made.
    void Start() {
        Open();
        LoadPreferences();
        win::WindowParams params;
        params.className = "Frame";
        params.style = win::kStyleVisible;
        params.rect = {0, 0, 1200, 800};
        frame_ = win::CreateWindow(params);
        ASSERT_TRUE(CreateMainRebar(frame_, 0));
    }
    // A restart: the layout saved, the bar gone, the options read again.
    void Restart() {
        SaveRebarLayout();
        DestroyMainRebar();
        ResetProgramOptions();
        LoadPreferences();
        ASSERT_TRUE(CreateMainRebar(frame_, 0));
    }
    static Ids Order() {
        Ids ids;
        for (int i = 0; i < ui::RebarBandCount(MainRebarWindow()); ++i)
            ids.push_back(ui::GetRebarBand(MainRebarWindow(), i)->id);
        return ids;
    }
    static ui::RebarBand Band(int32_t id) {
        return *ui::GetRebarBand(MainRebarWindow(), ui::RebarIdToIndex(MainRebarWindow(), id));
    }
    static bool Hidden(int32_t id) { return (Band(id).style & ui::kBandHidden) != 0; }
    platform::WindowHandle frame_;
};

}  // namespace ql
