// Fills the object kinds' service table with the music layer's own calls.
#include "objects/score_object_services_install.h"

#include "core/services/score_object_services.h"
#include "files/default_objects.h"
#include "notes/handler/notes_handler.h"
#include "notes/rests/rest.h"
#include "notes/ties/ties.h"
#include "objects/object_services.h"
#include "staves/clef_changes.h"

namespace ql {

void InstallScoreObjectServices() {
    ScoreObjectServices services;
    services.destroyTextBox = &DestroyTextBox;
    services.destroyTupletBody = &DestroyTupletBody;
    services.destroyPicture = &DestroyPicture;
    services.freeArea = &FreeArea;
    services.destroyNotesHandler = &DestroyNotesHandler;
    services.destroyRest = &DestroyRest;
    services.freeRepeatEndingList = &FreeRepeatEndingList;
    services.buildDefaultObjects = &BuildDefaultObjects;
    services.correctTieCurveHeight = &CorrectTieCurveHeight;
    services.editLyricInPlace = &EditLyricInPlace;
    services.insertClefInMeasure = &InsertClefInMeasure;
    SetScoreObjectServices(services);
}

}  // namespace ql
