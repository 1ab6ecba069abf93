// The document's prototype objects (module ITEM), built in the document's pools while
// the program-wide building flag is set (see default_objects.h).
#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "files/default_objects.h"
#include "objects/midi_marks/midi_marks.h"
#include "objects/text_marks/text_marks.h"

namespace ql {
namespace {

// The codes built through their registered classes.
constexpr uint8_t kClassPrototypes[] = {0,  4,  5,  6,  7,  8,  9,  10, 12, 13, 14, 15,
                                        18, 19, 21, 22, 24, 25, 26, 27, 28, 29, 33, 38,
                                        39, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53};
constexpr uint8_t kNullPrototypes[] = {16, 23};

// Sets the building flag for one scope, restoring it on every path.
class BuildingPrototypes {
  public:
    BuildingPrototypes() : saved_(State().files.BuildingPrototypes) {
        State().files.BuildingPrototypes = 1;
    }
    ~BuildingPrototypes() { State().files.BuildingPrototypes = saved_; }
    BuildingPrototypes(const BuildingPrototypes&) = delete;
    BuildingPrototypes& operator=(const BuildingPrototypes&) = delete;

  private:
    uint8_t saved_;
};

ScoreObject* PlainTextPrototype(ObjectType type) {
    auto* record = static_cast<ScoreObject*>(AllocRecord(kTextObjectPool));
    if (record != nullptr) ConstructPlainTextObject(record, type);
    return record;
}

ScoreObject* PlainMidiTextPrototype() {
    auto* record = static_cast<MidiTextRecord*>(AllocRecord(kMidiTextRecordPool));
    if (record == nullptr) return nullptr;
    ConstructPlainMidiText(&record->text);
    return &record->text;
}

}  // namespace

int BuildDefaultObjects(ScoreView* /*view*/, ScoreObject** prototypes, PoolSet pools) {
    ScopedPoolSet scope(pools);
    BuildingPrototypes building;
    for (uint8_t type : kNullPrototypes) prototypes[type] = nullptr;
    for (uint8_t type : kClassPrototypes) {
        prototypes[type] = nullptr;
        if (FindObjectType(type).construct == nullptr) continue;
        prototypes[type] = ConstructObject(type);
        if (prototypes[type] == nullptr) return 0;
    }
    prototypes[TypeCode(ObjectType::Image2)] = PlainTextPrototype(ObjectType::Image2);
    prototypes[TypeCode(ObjectType::Image3)] = PlainTextPrototype(ObjectType::Image3);
    prototypes[TypeCode(ObjectType::MidiImage)] = PlainMidiTextPrototype();
    return prototypes[TypeCode(ObjectType::Image2)] != nullptr &&
                   prototypes[TypeCode(ObjectType::Image3)] != nullptr &&
                   prototypes[TypeCode(ObjectType::MidiImage)] != nullptr
               ? 1
               : 0;
}

}  // namespace ql
