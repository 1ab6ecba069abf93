// The classes and constructors of the stored object types (see stored_classes.h).
// provisional: the object classes (drawing, handles, tools, dialogs) are not built
// yet; each class here keeps the decoded body, exposes it to copies and undo, and
// draws nothing. They are replaced as the score-object classes land.
#include "objects/stored_classes.h"

#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/text/text_object.h"
#include "objects/chord/chord_symbol.h"
#include "objects/curves/curve_objects.h"
#include "objects/graphics/graphic_object.h"
#include "objects/guide/guide_line.h"
#include "objects/hairpin/hairpin.h"
#include "objects/margin/margin_object.h"
#include "objects/midi_marks/midi_marks.h"
#include "objects/picture/picture_object.h"
#include "objects/runtime/runtime_objects.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/text_box/text_box.h"
#include "objects/text_marks/text_marks.h"

namespace ql {
namespace {

constexpr size_t kInterfaceWord = sizeof(ClassId);

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

const StoredBodyClass kSlurClass{kInterfaceWord, kSlurBodyBytes};
const StoredBodyClass kTieClass{0, kTieBodyBytes};
const StoredBodyClass kTextBoxClass{0, kTextBoxBodyBytes};
const StoredBodyClass kHairpinClass{kHairpinBodyOffset, kHairpinBodyBytes};
const StoredBodyClass kGraphicClass{0, kGraphicBodyBytes};
const StoredBodyClass kStretcherClass{0, kStretcherBodyBytes};
const StoredBodyClass kAreaClass{0, kAreaBodyBytes};
const StoredBodyClass kMarginClass{0, kMarginBodyBytes};
const StoredBodyClass kWicketteClass{kInterfaceWord, kSpannerEndpointBytes};
const StoredBodyClass kGuideClass{0, kGuideBodyBytes};
const StoredBodyClass kPictureClass{0, kPictureBodyBytes};
const StoredTextClass kPlainTextClass{true};
const StoredTextClass kLargeTextClass{false};
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
    {ObjectType::Slur, kLargeObjectPool, &ConstructSlurObject, &kSlurClass},
    {ObjectType::Tie, kTextObjectPool, &ConstructTieObject, &kTieClass},
    {ObjectType::TextBox, kTextObjectPool, &ConstructTextBoxObject, &kTextBoxClass},
    {ObjectType::Hairpin, kLargeObjectPool, &ConstructHairpin, &kHairpinClass},
    {ObjectType::Line, kTextObjectPool, &ConstructLineObject, &kGraphicClass},
    {ObjectType::Circle, kTextObjectPool, &ConstructCircleObject, &kGraphicClass},
    {ObjectType::Box, kTextObjectPool, &ConstructBoxObject, &kGraphicClass},
    {ObjectType::Stretcher, kTextObjectPool, &ConstructStretcherObject, &kStretcherClass},
    {ObjectType::Clef, kTextObjectPool, &ConstructClefObject, &kPlainTextClass},
    {ObjectType::KeySignature, kTextObjectPool, &ConstructKeySignatureObject, &kPlainTextClass},
    {ObjectType::Text, kTextObjectPool, &ConstructTextLineObject, &kPlainTextClass},
    {ObjectType::Area, kTextObjectPool, &ConstructAreaObject, &kAreaClass},
    {ObjectType::Dynamic, kMidiTextRecordPool, &ConstructDynamicForRead, &kMidiMarkClass, kMidiTextObjectOffset},
    {ObjectType::Pedal, kMidiTextRecordPool, &ConstructPedalForRead, &kMidiMarkClass, kMidiTextObjectOffset},
    {ObjectType::Tempo, kMidiTextRecordPool, &ConstructTempoForRead, &kMidiMarkClass, kMidiTextObjectOffset},
    {ObjectType::MidiEvent, kMidiTextRecordPool, &ConstructMidiEventForRead, &kMidiMarkClass, kMidiTextObjectOffset},
    {ObjectType::NoteArticulation, kMidiTextRecordPool, &ConstructArticulationForRead, &kMidiMarkClass, kMidiTextObjectOffset},
    {ObjectType::Label, kTextObjectPool, &ConstructStaffLabel, &kTextBoxClass},
    {ObjectType::Margin, kTextObjectPool, &ConstructMarginObject, &kMarginClass},
    {ObjectType::Chord, kLargeObjectPool, &ConstructChordSymbol, &kLargeTextClass},
    {ObjectType::PedalBracket, kTextObjectPool, &ConstructWickette, &kWicketteClass},
    {ObjectType::Widget, kLargeObjectPool, &ConstructWidgetBracket, &kLargeTextClass},
    {ObjectType::RepeatEnding, kLargeObjectPool, &ConstructRepeatEnding, &kLargeTextClass},
    {ObjectType::Octave, kLargeObjectPool, &ConstructOctaveLine, &kLargeTextClass},
    {ObjectType::Lyric, kTextObjectPool, &ConstructLyricObject, &kPlainTextClass},
    {ObjectType::Tuplet, kLargeObjectPool, &ConstructTuplet, &kLargeTextClass},
    {ObjectType::Guide, kRootObjectPool, &ConstructGuideLine, &kGuideClass},
    {ObjectType::Picture, kLargeObjectPool, &ConstructPictureObject, &kPictureClass},
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
}

}  // namespace ql
