// Starts every settings test from nothing: program state, preference defaults and
// options at their defaults, no language bundle, the window layer fresh, and the
// settings and lock folders in a scratch folder of the test's own (XDG_CONFIG_HOME
// and XDG_RUNTIME_DIR point there, so nothing reaches the user's own files).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/settings/settings_store.h"
#include "core/state.h"
#include "platform/sys/file_lock.h"
#include "platform/sys/folders.h"
#include "platform/sys/settings_store.h"
#include "platform/tests/sys/scratch_folder.h"
#include "platform/tests/win/win_test_fixture.h"

namespace ql::testing {

class SettingsFixture : public FreshWindowLayer {
  protected:
    SettingsFixture()
        : config_("XDG_CONFIG_HOME", (scratch / "config").string()),
          runtime_("XDG_RUNTIME_DIR", scratch.Path().string()) {}

    void SetUp() override {
        FreshWindowLayer::SetUp();
        ResetSettings();
        sys::SetProgramFolder(scratch / "program");
        std::filesystem::create_directories(scratch / "program");
    }
    void TearDown() override {
        ResetSettings();
        sys::SetProgramFolder({});
        FreshWindowLayer::TearDown();
    }

    // Everything the settings load into back to its defaults, the store closed.
    static void ResetSettings() {
        ResetProgramState();
        ResetPreferenceDefaults();
        ResetProgramOptions();
        sys::CloseProgramSettings();
        SetProfilePath({});
        sys::SetLanguageBundle(nullptr);
    }

    std::filesystem::path SettingsFolder() const {
        return scratch / "config" / kSettingsFolderName;
    }
    std::filesystem::path SettingsFile() const { return SettingsFolder() / sys::kSettingsFileName; }
    std::filesystem::path BadFile() const {
        return SettingsFolder() / sys::kDamagedSettingsFileName;
    }
    std::filesystem::path ProfileFile() const { return scratch / "program" / kProfileFileName; }

    // The store as start-up opens it (with the profile file in the program folder).
    sys::SettingsFileState Open() { return OpenSettingsFiles(); }
    void WriteSettings(const std::string& text) {
        std::filesystem::create_directories(SettingsFolder());
        WriteFileBytes(SettingsFile(), text);
    }
    std::string SettingsText() const { return ReadFileBytes(SettingsFile()); }
    // A value as the settings file holds it now (read afresh from disk).
    std::optional<std::string> Stored(const std::string& subkey, const std::string& key) const {
        sys::SettingsStore store(SettingsFile());
        store.Load();
        return store.ReadText(subkey, key);
    }

    ScratchFolder scratch;

  private:
    ScopedEnvironment config_;
    ScopedEnvironment runtime_;
};

}  // namespace ql::testing
