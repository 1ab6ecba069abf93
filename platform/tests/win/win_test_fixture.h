// A test fixture that starts every test of the window, user-interface and
// resource layers from nothing: no windows, classes, scripts, records or bundles.
#pragma once

#include <gtest/gtest.h>

#include "platform/sys/headless.h"
#include "platform/sys/resources.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql::testing {

class FreshWindowLayer : public ::testing::Test {
protected:
    void SetUp() override { ResetAll(); }
    void TearDown() override { ResetAll(); }

    static void ResetAll() {
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        sys::SetProgramBundle(nullptr);
        sys::SetLanguageBundle(nullptr);
        sys::headless::ResetHelp();
    }
};

}  // namespace ql::testing
