// Help by context id. The program asks for a topic, a popup for a control, the
// contents, a keyword search, help on help, or closing the viewer. The headless
// viewer records every request (sys/headless.h); BrowserHelpViewer (sys/browser_help.h)
// shows HTML help in the browser.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/handles.h"

namespace ql::sys {

enum class HelpCommand : uint32_t {
    Context = 1,       // the topic `contextId`
    Quit = 2,          // close the viewer for this file
    Contents = 3,      // the contents page
    HelpOnHelp = 4,
    ContextPopup = 8,  // a popup with the topic `contextId`
    Macro = 0x102,     // run `text` as a viewer command ("Contents()")
    PartialKey = 0x105,  // keyword search for `text`
};

struct HelpRequest {
    platform::WindowHandle window;
    std::string file;
    HelpCommand command = HelpCommand::Context;
    uint32_t contextId = 0;
    std::string text;
};

// False when the viewer could not open the file.
bool ShowHelp(const HelpRequest& request);

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual bool Show(const HelpRequest& request) = 0;
};
// Null restores the headless viewer.
void InstallHelpViewer(std::unique_ptr<HelpViewer> viewer);

}  // namespace ql::sys
