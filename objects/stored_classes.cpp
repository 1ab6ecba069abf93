// The classes and constructors of the stored object types (see stored_classes.h).
#include "objects/stored_classes.h"

#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/text/text_object.h"
#include "core/ui/midi_services.h"
#include "objects/chord/chord_class.h"
#include "objects/chord/chord_symbol.h"
#include "objects/curves/curve_objects.h"
#include "objects/curves/slur_class.h"
#include "objects/graphics/graphic_class.h"
#include "objects/graphics/graphic_object.h"
#include "objects/guide/guide_class.h"
#include "objects/guide/guide_line.h"
#include "objects/hairpin/hairpin.h"
#include "objects/hairpin/hairpin_class.h"
#include "objects/margin/margin_class.h"
#include "objects/margin/margin_object.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/midi_marks.h"
#include "objects/picture/picture_class.h"
#include "objects/picture/picture_object.h"
#include "objects/runtime/area_class.h"
#include "objects/runtime/runtime_objects.h"
#include "objects/runtime/stretcher_class.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_interface_class.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/text_box/text_box.h"
#include "objects/text_marks/text_classes.h"
#include "objects/text_marks/text_marks.h"
#include "objects/tuplets/tuplet_class.h"
#include "notes/articulations/articulation_class.h"
#include "notes/ties/ties.h"
#include "staves/clef_key_objects.h"

namespace ql {
namespace {

struct StoredType {
    ObjectType type;
    int pool;
    ObjectConstructor construct;
    const ScoreObjectClass* cls;  // nullptr: the type's own code registers its class
    uint8_t objectOffset = 0;
};

// clang-format off
const StoredType kStoredTypes[] = {
    {ObjectType::Slur, kLargeObjectPool, &ConstructSlurObject, &TheSlurClass()},
    {ObjectType::Tie, kTextObjectPool, &ConstructTieObject, nullptr},
    {ObjectType::TextBox, kTextObjectPool, &ConstructTextBoxObject, nullptr},
    {ObjectType::Hairpin, kLargeObjectPool, &ConstructHairpin, &HairpinClass()},
    {ObjectType::Line, kTextObjectPool, &ConstructLineObject, &TheLineClass()},
    {ObjectType::Circle, kTextObjectPool, &ConstructCircleObject, &TheCircleClass()},
    {ObjectType::Box, kTextObjectPool, &ConstructBoxObject, &TheBoxClass()},
    {ObjectType::Stretcher, kTextObjectPool, &ConstructStretcherObject, &TheStretcherClass()},
    {ObjectType::Clef, kTextObjectPool, &ConstructClefObject, nullptr},
    {ObjectType::KeySignature, kTextObjectPool, &ConstructKeySignatureObject, nullptr},
    {ObjectType::Text, kTextObjectPool, &ConstructTextLineObject, nullptr},
    {ObjectType::Area, kTextObjectPool, &ConstructAreaObject, &TheAreaClass()},
    {ObjectType::Dynamic, kMidiTextRecordPool, &ConstructDynamicForRead, &DynamicMarkClass(), kMidiTextObjectOffset},
    {ObjectType::Pedal, kMidiTextRecordPool, &ConstructPedalForRead, &PedalMarkClass(), kMidiTextObjectOffset},
    {ObjectType::Tempo, kMidiTextRecordPool, &ConstructTempoForRead, &TempoMarkClass(), kMidiTextObjectOffset},
    {ObjectType::MidiEvent, kMidiTextRecordPool, &ConstructMidiEventForRead, nullptr, kMidiTextObjectOffset},
    {ObjectType::NoteArticulation, kMidiTextRecordPool, &ConstructArticulationForRead, nullptr, kMidiTextObjectOffset},
    {ObjectType::Label, kTextObjectPool, &ConstructStaffLabel, nullptr},
    {ObjectType::Margin, kTextObjectPool, &ConstructMarginObject, &TheMarginClass()},
    {ObjectType::Chord, kLargeObjectPool, &ConstructChordSymbol, &ChordSymbolClass()},
    {ObjectType::PedalBracket, kTextObjectPool, &ConstructWickette, &TheWicketteClass()},
    {ObjectType::Widget, kLargeObjectPool, &ConstructWidgetBracket, &TheWidgetBracketClass()},
    {ObjectType::RepeatEnding, kLargeObjectPool, &ConstructRepeatEnding, &TheRepeatEndingClass()},
    {ObjectType::Octave, kLargeObjectPool, &ConstructOctaveLine, &TheOctaveLineClass()},
    {ObjectType::Lyric, kTextObjectPool, &ConstructLyricObject, nullptr},
    {ObjectType::Tuplet, kLargeObjectPool, &ConstructTuplet, &TheTupletClass()},
    {ObjectType::Guide, kRootObjectPool, &ConstructGuideLine, &TheGuideLineClass()},
    {ObjectType::Picture, kLargeObjectPool, &ConstructPictureObject, &ThePictureClass()},
};
// clang-format on

}  // namespace

void ConstructStoredHeader(ScoreObject* object, ObjectType type, ObjectSubtype subtype) {
    ConstructScoreObject(object);
    object->classId = ClassOfType(type);
    object->type = TypeCode(type);
    object->subtype = SubtypeCode(subtype);
}

void RegisterStoredObjectClasses() {
    for (const StoredType& entry : kStoredTypes) {
        if (entry.cls != nullptr) RegisterObjectClass(ClassOfType(entry.type), entry.cls);
        RegisterObjectType(TypeCode(entry.type), {entry.pool, entry.construct, entry.objectOffset});
    }
    RegisterSpannerInterfaceClasses();
    RegisterTieClass();
    RegisterClefKeyObjectClasses();
    RegisterScoreTextClasses();
    RegisterNoteArticulationClass();
    RegisterMidiEventObjectClass();
}

}  // namespace ql
