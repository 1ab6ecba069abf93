// Fixture of the program tests: the settings fixture's scratch folders and fresh
// window layer, the program started on the headless backend without its splash,
// score files written for the tests to open, and the loop run to its end.
#pragma once

#include <string>

#include "shell/program/startup.h"
#include "shell/tests/settings_fixture.h"

namespace ql::testing {

class ProgramFixture : public SettingsFixture {
  protected:
    void TearDown() override;

    // Starts the program with these arguments (no splash).
    StartupCode Start(std::vector<std::string> arguments = {});
    // Runs the posted messages; the frame stays.
    void Pump();
    // Closes the frame and runs the loop to its end; the exit code.
    int32_t CloseAndRun();
    // A new one-page score saved at `name` in the scratch folder (the program must
    // have started); its full path.
    std::string WriteScore(const std::string& name);
    // The captions of the score windows, in the document client's order of creation.
    std::vector<std::string> Captions() const;

    bool running_ = false;
};

// The program fixture with the build's MusicXML converter program in use.
class MusicXmlProgramFixture : public ProgramFixture {
  protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace ql::testing
