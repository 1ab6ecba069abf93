// Helpers of the program tests on the display: the program started on the display,
// and a score written by a headless run before the display backend goes in.
#pragma once

#include <string>

#include "shell/tests/gtk/display_settle.h"
#include "shell/tests/program/program_fixture.h"

namespace ql::testing {

class ProgramOnDisplayFixture : public ProgramFixture {
  protected:
    // The score is written by a headless run first (the writer needs the core up).
    std::string ScoreWrittenBeforehand(const std::string& name = "shown.ql");
    // Starts the program on the display with these arguments and no splash; false
    // when there is no display.
    bool StartOnDisplay(std::vector<std::string> arguments);
};

}  // namespace ql::testing
