// The calls of the shell's service table, each doing nothing while its slot is
// empty.
#include "core/ui/shell_services.h"

#include "core/services/service_call.h"

namespace ql {
namespace {

ShellServices& Table() {
    static ShellServices table;
    return table;
}

template <auto Slot, typename... Args>
auto Call(Args... args) {
    return CallSlot(Table().*Slot, args...);
}

}  // namespace

void SetShellServices(const ShellServices& services) { Table() = services; }

ScoreView* HandleViewActivation(ScoreView* view) {
    return Call<&ShellServices::handleViewActivation>(view);
}
void ShowPageInView(ScoreView* view, int pageIndex) {
    Call<&ShellServices::showPageInView>(view, pageIndex);
}
void ShowPageFromTop(ScoreView* view, int pageIndex) {
    Call<&ShellServices::showPageFromTop>(view, pageIndex);
}
void ShowViewOrigin(ScoreView* view) { Call<&ShellServices::showViewOrigin>(view); }
void FocusActiveView() { Call<&ShellServices::focusActiveView>(); }
void UpdateToolbarButtons(ScoreView* view) { Call<&ShellServices::updateToolbarButtons>(view); }
void UpdateViewToolbarButtons(ScoreView* view, Toolbar* toolbar) {
    Call<&ShellServices::updateViewToolbarButtons>(view, toolbar);
}
void UpdateVoiceButtons(ScoreView* view) { Call<&ShellServices::updateVoiceButtons>(view); }
void AddToPickList(const std::string& path) { Call<&ShellServices::addToPickList>(path); }
void RefreshRulers(ScoreView* view, int which) { Call<&ShellServices::refreshRulers>(view, which); }
void InvalidateRulers(ScoreView* view) { Call<&ShellServices::invalidateRulers>(view); }
ScoreView* CreateScoreWindow(ScoreView* view, const std::string& caption, bool maximize) {
    return Call<&ShellServices::createScoreWindow>(view, caption, maximize);
}
int CloseScoreWindow(platform::WindowHandle window) { return Call<&ShellServices::closeScoreWindow>(window); }
void ForceCloseScoreWindow(platform::WindowHandle window) { Call<&ShellServices::forceCloseScoreWindow>(window); }
intptr_t RunSettingsCommand(ScoreView* view, int32_t command) {
    return Call<&ShellServices::runSettingsCommand>(view, command);
}
intptr_t RunNoteHeadDialog(ScoreView* view, int* head) {
    if (Table().runNoteHeadDialog == nullptr) return -1;
    return Table().runNoteHeadDialog(view, head);
}
platform::WindowHandle SequencerWindow() { return Call<&ShellServices::sequencerWindow>(); }

}  // namespace ql
