// The calls of the layout's service table, each doing nothing while its slot is
// empty.
#include "core/services/layout_services.h"

#include "core/services/service_call.h"

namespace ql {
namespace {

LayoutServices& Table() {
    static LayoutServices table;
    return table;
}

template <auto Slot, typename... Args>
auto Call(Args... args) {
    return CallSlot(Table().*Slot, args...);
}

}  // namespace

void SetLayoutServices(const LayoutServices& services) {
    Table() = services;
}

namespace layout {

int BuildInitialScoreLayout(ScoreView* view) {
    return Call<&LayoutServices::buildInitialScoreLayout>(view);
}
void FormatMeasures(ScoreView* view, ScorePage* page) {
    Call<&LayoutServices::formatMeasures>(view, page);
}
int UpdateBeatMaps(ScoreView* view, int redraw) {
    return Call<&LayoutServices::updateBeatMaps>(view, redraw);
}
int UpdateBeatMapsInPlace(ScoreView* view, int redraw) {
    return Call<&LayoutServices::updateBeatMapsInPlace>(view, redraw);
}
int32_t MeasureSlotX(ScoreView* view, const ScoreSystem* system, int slot) {
    return Call<&LayoutServices::measureSlotX>(view, system, slot);
}

}  // namespace layout
}  // namespace ql
