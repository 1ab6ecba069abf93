// Help requests, handed to the installed viewer (the headless one records them).
#include "platform/sys/help.h"

#include "platform/sys/headless.h"

namespace ql::sys {
namespace {

class HeadlessHelpViewer final : public HelpViewer {
public:
    bool Show(const HelpRequest& request) override {
        requests.push_back(request);
        return opens;
    }
    std::vector<HelpRequest> requests;
    bool opens = true;
};

std::unique_ptr<HelpViewer>& ViewerSlot() {
    static std::unique_ptr<HelpViewer> viewer = std::make_unique<HeadlessHelpViewer>();
    return viewer;
}

HeadlessHelpViewer* HeadlessViewer() { return dynamic_cast<HeadlessHelpViewer*>(ViewerSlot().get()); }

}  // namespace

bool ShowHelp(const HelpRequest& request) { return ViewerSlot()->Show(request); }

void InstallHelpViewer(std::unique_ptr<HelpViewer> viewer) {
    ViewerSlot() = viewer ? std::move(viewer) : std::make_unique<HeadlessHelpViewer>();
}

namespace headless {

const std::vector<HelpRequest>& HelpRequests() {
    static const std::vector<HelpRequest> kNone;
    HeadlessHelpViewer* viewer = HeadlessViewer();
    return viewer ? viewer->requests : kNone;
}

void SetHelpViewerAnswer(bool opens) {
    if (HeadlessHelpViewer* viewer = HeadlessViewer()) viewer->opens = opens;
}

void ResetHelp() { InstallHelpViewer(nullptr); }

}  // namespace headless
}  // namespace ql::sys
