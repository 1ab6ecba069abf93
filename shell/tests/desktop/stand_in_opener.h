// The desktop's opener as a scenario sets it. The program's PATH is a folder of the
// scenario's own that holds a stand-in "xdg-open" or none, so the machine's own
// opener (a real browser, one that finds none, or none at all) plays no part: the
// stand-in writes down each page it is given and ends well, or ends with the error
// of an opener that finds no browser, or is not there.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {

enum class OpenerAnswer { kMissing, kFails, kOpens };

class StandInOpener {
public:
    // Makes the folder in the home and points the program's PATH at it alone.
    StandInOpener(const std::filesystem::path& home, Environment& environment);
    // The opener from now on (the program finds it on each request).
    void Answer(OpenerAnswer answer);
    // The next page handed to an opener that opens, once one was (bounded wait).
    std::optional<std::string> NextOpened();

private:
    std::filesystem::path folder_;
    std::filesystem::path opened_;
};

}  // namespace ql::desktop
