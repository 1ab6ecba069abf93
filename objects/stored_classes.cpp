// The classes and constructors of the stored object types (see stored_classes.h).
// provisional: the object classes (drawing, handles, tools, dialogs) are not built
// yet; each class here keeps the decoded body, exposes it to copies and undo, and
// draws nothing. They are replaced as the score-object classes land.
#include "objects/stored_classes.h"

#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/text/text_object.h"
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
#include "objects/text_marks/text_marks.h"
#include "objects/tuplets/tuplet_class.h"
#include "sequencer/midi_event_object.h"

namespace ql {
namespace {

// A body at a fixed place after the header.
class StoredBodyClass final : public ScoreObjectClass {
  public:
    constexpr StoredBodyClass(size_t offset, uint32_t size) : offset_(offset), size_(size) {}
    std::byte* GetBody(ScoreObject* object) const override { return object->BodyBytes() + offset_; }
    uint32_t GetBodySize(const ScoreObject*) const override { return size_; }

  private:
    size_t offset_;
    uint32_t size_;
};

// A text object: the text family's operations, drawing nothing. Only a record of the
// text object's own size may be cloned by the text family's Clone.
class StoredTextClass final : public TextObjectClass {
  public:
    explicit constexpr StoredTextClass(bool cloneable) : cloneable_(cloneable) {}
    void Draw(ScoreObject*, ScoreView*) const override {}
    ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source,
                       PoolSet target) const override {
        return cloneable_ ? TextObjectClass::Clone(object, view, source, target) : nullptr;
    }

  private:
    bool cloneable_;
};

class StoredMidiTextClass final : public MidiTextObjectClass {
  public:
    void Draw(ScoreObject*, ScoreView*) const override {}
};

const StoredBodyClass kTieClass{0, kTieBodyBytes};
const StoredBodyClass kTextBoxClass{0, kTextBoxBodyBytes};
const StoredTextClass kPlainTextClass{true};
const StoredMidiTextClass kMidiMarkClass{};

struct StoredType {
    ObjectType type;
    int pool;
    ObjectConstructor construct;
    const ScoreObjectClass* cls;
    uint8_t objectOffset = 0;
};

// clang-format off
const StoredType kStoredTypes[] = {
    {ObjectType::Slur, kLargeObjectPool, &ConstructSlurObject, &TheSlurClass()},
    {ObjectType::Tie, kTextObjectPool, &ConstructTieObject, &kTieClass},
    {ObjectType::TextBox, kTextObjectPool, &ConstructTextBoxObject, &kTextBoxClass},
    {ObjectType::Hairpin, kLargeObjectPool, &ConstructHairpin, &HairpinClass()},
    {ObjectType::Line, kTextObjectPool, &ConstructLineObject, &TheLineClass()},
    {ObjectType::Circle, kTextObjectPool, &ConstructCircleObject, &TheCircleClass()},
    {ObjectType::Box, kTextObjectPool, &ConstructBoxObject, &TheBoxClass()},
    {ObjectType::Stretcher, kTextObjectPool, &ConstructStretcherObject, &TheStretcherClass()},
    {ObjectType::Clef, kTextObjectPool, &ConstructClefObject, &kPlainTextClass},
    {ObjectType::KeySignature, kTextObjectPool, &ConstructKeySignatureObject, &kPlainTextClass},
    {ObjectType::Text, kTextObjectPool, &ConstructTextLineObject, &kPlainTextClass},
    {ObjectType::Area, kTextObjectPool, &ConstructAreaObject, &TheAreaClass()},
    {ObjectType::Dynamic, kMidiTextRecordPool, &ConstructDynamicForRead, &DynamicMarkClass(), kMidiTextObjectOffset},
    {ObjectType::Pedal, kMidiTextRecordPool, &ConstructPedalForRead, &PedalMarkClass(), kMidiTextObjectOffset},
    {ObjectType::Tempo, kMidiTextRecordPool, &ConstructTempoForRead, &TempoMarkClass(), kMidiTextObjectOffset},
    {ObjectType::MidiEvent, kMidiTextRecordPool, &ConstructMidiEventForRead, &TheMidiEventObjectClass(), kMidiTextObjectOffset},
    {ObjectType::NoteArticulation, kMidiTextRecordPool, &ConstructArticulationForRead, &kMidiMarkClass, kMidiTextObjectOffset},
    {ObjectType::Label, kTextObjectPool, &ConstructStaffLabel, &kTextBoxClass},
    {ObjectType::Margin, kTextObjectPool, &ConstructMarginObject, &TheMarginClass()},
    {ObjectType::Chord, kLargeObjectPool, &ConstructChordSymbol, &ChordSymbolClass()},
    {ObjectType::PedalBracket, kTextObjectPool, &ConstructWickette, &TheWicketteClass()},
    {ObjectType::Widget, kLargeObjectPool, &ConstructWidgetBracket, &TheWidgetBracketClass()},
    {ObjectType::RepeatEnding, kLargeObjectPool, &ConstructRepeatEnding, &TheRepeatEndingClass()},
    {ObjectType::Octave, kLargeObjectPool, &ConstructOctaveLine, &TheOctaveLineClass()},
    {ObjectType::Lyric, kTextObjectPool, &ConstructLyricObject, &kPlainTextClass},
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
        RegisterObjectClass(ClassOfType(entry.type), entry.cls);
        RegisterObjectType(TypeCode(entry.type), {entry.pool, entry.construct, entry.objectOffset});
    }
    RegisterSpannerInterfaceClasses();
}

}  // namespace ql
