// Fills the layout's service table with the layout's own calls.
#include "layout/layout_services_install.h"

#include "core/services/layout_services.h"
#include "layout/measure_format.h"
#include "layout/page_format.h"
#include "notes/beatmap/beat_map.h"

namespace ql {
namespace {

int UpdateBeatMapsHoldingPlacement(ScoreView* view, int redraw) {
    const SystemPlacementHold hold;
    return UpdateBeatMaps(view, redraw);
}

}  // namespace

void InstallLayoutServices() {
    LayoutServices services;
    services.buildInitialScoreLayout = &BuildInitialScoreLayout;
    services.formatMeasures = &FormatMeasures;
    services.updateBeatMaps = &UpdateBeatMaps;
    services.updateBeatMapsInPlace = &UpdateBeatMapsHoldingPlacement;
    services.measureSlotX = &MeasureSlotX;
    SetLayoutServices(services);
}

}  // namespace ql
