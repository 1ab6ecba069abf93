// Fills the display's service table with the display's own calls.
#include "display/display_services_install.h"

#include "core/services/display_services.h"
#include "display/anchors.h"
#include "display/linked_views.h"
#include "display/staff_groups.h"
#include "display/system_drawing.h"
#include "display/view_location.h"
#include "display/view_modes.h"

namespace ql {

void InstallDisplayServices() {
    DisplayServices services;
    services.setCurrentSystemAndMeasure = &SetCurrentSystemAndMeasure;
    services.setCurrentMeasure = &SetCurrentMeasure;
    services.setCurrentMeasureQuick = &SetCurrentMeasureQuick;
    services.setLocationFromPoint = &SetLocationFromPoint;
    services.systemOfMeasure = &SystemOfMeasure;
    services.validateCurrentPage = &ValidateCurrentPage;
    services.movePointerToPoint = &MovePointerToPoint;
    services.redrawCurrentMeasure = &RedrawCurrentMeasure;
    services.invalidateLinkedViews = &InvalidateLinkedViews;
    services.repaintScoreView = &RepaintScoreView;
    services.buildBeatMapsOnLinkedViews = &BuildBeatMapsOnLinkedViews;
    services.enterPageView = &EnterPageView;
    services.enterScrollView = &EnterScrollView;
    services.scrollViewStep = &ScrollViewStep;
    services.placesOnPage = &PlacesOnPage;
    services.encodeAnchors = &EncodeAnchors;
    services.encodePageAnchors = &EncodePageAnchors;
    services.decodeAnchors = &DecodeAnchors;
    services.noteAnchorToPoint = &NoteAnchorToPoint;
    services.pointToNoteAnchor = &PointToNoteAnchor;
    services.clampAnchorsToPage = &ClampAnchorsToPage;
    services.showsOffPageItems = &ShowsOffPageItems;
    services.restoreHiddenEmptyStavesOf = &RestoreHiddenEmptyStavesOf;
    services.firstStaffOfBarGroup = &FirstStaffOfBarGroup;
    services.lastStaffOfBarGroup = &LastStaffOfBarGroup;
    services.firstStaffOfBrace = &FirstStaffOfBrace;
    services.lastStaffOfBrace = &LastStaffOfBrace;
    SetDisplayServices(services);
}

}  // namespace ql
