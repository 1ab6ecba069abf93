// The calls of the object kinds' service table, each doing nothing while its slot
// is empty.
#include "core/services/score_object_services.h"

#include "core/services/service_call.h"

namespace ql {
namespace {

ScoreObjectServices& Table() {
    static ScoreObjectServices table;
    return table;
}

template <auto Slot, typename... Args>
auto Call(Args... args) {
    return CallSlot(Table().*Slot, args...);
}

}  // namespace

void SetScoreObjectServices(const ScoreObjectServices& services) {
    Table() = services;
}

namespace objects {

void DestroyTextBox(ScoreObject* object) {
    Call<&ScoreObjectServices::destroyTextBox>(object);
}
void DestroyTupletBody(ScoreObject* object) {
    Call<&ScoreObjectServices::destroyTupletBody>(object);
}
void DestroyPicture(ScoreObject* object) {
    Call<&ScoreObjectServices::destroyPicture>(object);
}
void FreeArea(ScoreObject* object) {
    Call<&ScoreObjectServices::freeArea>(object);
}
void DestroyNotesHandler(ScoreObject* object) {
    Call<&ScoreObjectServices::destroyNotesHandler>(object);
}
void DestroyRest(ScoreObject* rest) {
    Call<&ScoreObjectServices::destroyRest>(rest);
}
void FreeRepeatEndingList(ScoreDocument* document) {
    Call<&ScoreObjectServices::freeRepeatEndingList>(document);
}
int BuildDefaultObjects(ScoreView* view, ScoreObject** prototypes, PoolSet pools) {
    return Call<&ScoreObjectServices::buildDefaultObjects>(view, prototypes, pools);
}
int CorrectTieCurveHeight(ScoreDocument* document) {
    return Call<&ScoreObjectServices::correctTieCurveHeight>(document);
}
int EditLyricInPlace(ScoreObject* object, ScoreView* view) {
    auto slot = Table().editLyricInPlace;
    return slot != nullptr ? slot(object, view) : kNoLyricEntry;
}
int InsertClefInMeasure(ScoreView* view, ScoreObject* clef) {
    return Call<&ScoreObjectServices::insertClefInMeasure>(view, clef);
}

}  // namespace objects
}  // namespace ql
