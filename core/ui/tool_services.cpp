// The calls of the tools' service table, each doing nothing while its slot is
// empty.
#include "core/ui/tool_services.h"

#include "core/services/service_call.h"

namespace ql {
namespace {

ToolServices& Table() {
    static ToolServices table;
    return table;
}

template <auto Slot, typename... Args>
auto Call(Args... args) {
    return CallSlot(Table().*Slot, args...);
}

}  // namespace

void SetToolServices(const ToolServices& services) {
    Table() = services;
}

intptr_t ObjectToolHandler(ScoreView* view, int action, ToolRecord* record,
                           platform::WindowHandle window, win::Message message, uint32_t word,
                           intptr_t data, int objectType) {
    return Call<&ToolServices::objectToolHandler>(view, action, record, window, message, word, data,
                                                  objectType);
}
int BindArmedTool(ScoreView* view, win::Message message, platform::WindowHandle window,
                  int objectType) {
    return Call<&ToolServices::bindArmedTool>(view, message, window, objectType);
}
void SelectToolType(ScoreView* view, int objectType) {
    Call<&ToolServices::selectToolType>(view, objectType);
}
void DeselectTool(ScoreView* view) {
    Call<&ToolServices::deselectTool>(view);
}
intptr_t HandleToolMouseMessage(ScoreView* view, platform::WindowHandle window,
                                win::Message message, uint32_t word, intptr_t data) {
    return Call<&ToolServices::handleToolMouseMessage>(view, window, message, word, data);
}
void DrawToolButtonPressed(ScoreView* view, int palette, int button) {
    Call<&ToolServices::drawToolButtonPressed>(view, palette, button);
}
void SelectToolButtonByKey(ScoreView* view, int palette, int index) {
    Call<&ToolServices::selectToolButtonByKey>(view, palette, index);
}
void HideAllPalettes() {
    Call<&ToolServices::hideAllPalettes>();
}
void ShowAllPalettes() {
    Call<&ToolServices::showAllPalettes>();
}
void LayoutPagersToolbar(ScoreView* view) {
    Call<&ToolServices::layoutPagersToolbar>(view);
}
void UpdatePagersToolbar(ScoreView* view) {
    Call<&ToolServices::updatePagersToolbar>(view);
}
ToolRecord* ToolRecordOf(int palette, int index) {
    return Call<&ToolServices::toolRecordOf>(palette, index);
}
void HideCursorAndPopUpNotePalette(ScoreView* view) {
    Call<&ToolServices::hideCursorAndPopUpNotePalette>(view);
}

}  // namespace ql
