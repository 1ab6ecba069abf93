// The text-line class: creation at a click (typed text, rehearsal marks, font
// symbols), attribute editing, its copy, the move to the page and retyping in place
// (see text_line.h).
#include "objects/text_marks/text_line.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/undo/undo.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "objects/lyrics/lyric.h"
#include "objects/object_services.h"
#include "objects/quick_fonts/text_fonts.h"
#include "objects/text_marks/placing_object.h"
#include "objects/text_marks/set_image_dialog.h"
#include "objects/text_marks/symbol_picker.h"
#include "objects/text_marks/text_entry.h"
#include "objects/text_marks/text_marks.h"
#include "platform/gfx/objects.h"

namespace ql {
namespace {

constexpr int32_t kAboveNoteLift = 128;   // a text on a note starts this far above the pointer
constexpr int32_t kAboveStaffLift = 640;  // ... and at least this far above the staff
constexpr uint8_t kTextUndoType = 44;     // retyping any text object
constexpr int kEmptyStringPool = 2;

TextToolState g_tool;

bool IsFixedSymbol(TextToolVariant variant) {
    return variant >= TextToolVariant::FirstFixedSymbol &&
           variant <= TextToolVariant::LastFixedSymbol;
}

uint8_t ObjectSubtypeFor(ScoreView* view) {
    return SubtypeCode(PlacesOnPage(view) ? ObjectSubtype::PageList
                                          : ObjectSubtype::MeasureTimeList);
}

}  // namespace

bool GiveEmptyTextString(TextObject* text) {
    void* record = AllocRecord(kEmptyStringPool);
    if (record == nullptr) return false;
    std::memset(record, 0, PoolSlotBytes(kEmptyStringPool));
    text->body.stringPool = kEmptyStringPool;
    text->body.string = PtrToHandle(kEmptyStringPool, record).bits;
    text->body.flags |= kTextOwnsString;
    return true;
}

namespace {

// A text line of the view with the text-line default font and an empty string.
TextObject* NewTextLine(ScoreView* view) {
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::Text));
    if (object == nullptr) return nullptr;
    TextObject* text = AsTextObject(object);
    object->subtype = ObjectSubtypeFor(view);
    ApplyDefaultTextFont(text, view->document, DefaultTextFont::TextLine);
    if (!GiveEmptyTextString(text)) {
        ReleaseObjectByType(view->document, object);
        return nullptr;
    }
    return text;
}

// The note under the pointer, or places the object at the pointer.
EventRecord* PlaceAtPointer(ScoreView* view, TextObject* text, TextToolVariant variant) {
    EventRecord* note = HitTestSelectedVoice(view);
    const bool onNote =
        note != nullptr && !g_tool.keyCreation &&
        (variant == TextToolVariant::TextLine || variant == TextToolVariant::FontSymbol);
    const LogicalPoint pointer = view->pointerPoint;
    if (onNote) {
        int32_t y = std::min(pointer.y - kAboveNoteLift, view->staffY - kAboveStaffLift);
        if (ViewScale(view) > 0.0) y = static_cast<int32_t>(y * ViewScale(view));
        MovePointerToPoint(view, pointer.x, y);
        text->header.subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
        return note;
    }
    if (text->header.subtype == SubtypeCode(ObjectSubtype::PageList))
        EncodePageAnchors(view, &text->body.location, &pointer, 1);
    else
        EncodeTimeAnchors(view, &pointer, &text->body.location, 0);
    return nullptr;
}

void FreeOwnedString(TextObject* text) {
    if (char* string = TextObjectString(text)) FreeRecord(text->body.stringPool, string);
    text->body.string = 0;
    text->body.flags = static_cast<uint16_t>(text->body.flags & ~kTextOwnsString);
}

// A single symbol of quick-font slot 3.
void MakeSymbol(TextObject* text, uint8_t code) {
    FreeOwnedString(text);
    text->body.flags = static_cast<uint16_t>(text->body.flags & ~kTextOwnFont);
    text->body.style = kSymbolSlot;
    text->body.string = code;
}

// Links the object to its note (freed when that fails) or by its subtype; false when
// it was freed.
bool LinkNewText(ScoreView* view, TextObject* text, EventRecord* note) {
    ScoreObject* object = &text->header;
    if (note == nullptr || object->subtype != SubtypeCode(ObjectSubtype::NoteAttachment)) {
        InsertObjectBySubtype(view, object);
        return true;
    }
    if (AttachObjectToNote(view, note, object) != 0) {
        PointToNoteAnchor(view, object, &text->body.location, view->pointerPoint);
        return true;
    }
    ReleaseObjectByType(view->document, object);
    return false;
}

ScoreObject* FinishSymbol(ScoreView* view, TextObject* text, EventRecord* note) {
    if (!LinkNewText(view, text, note)) return nullptr;
    ClassOf(&text->header).Measure(&text->header, view);
    return &text->header;
}

// The entry font of a new text line or rehearsal mark.
platform::FontHandle EntryFontFor(ScoreView* view, const TextObject* text) {
    return CreateEntryFont(view, TextObjectFontRecord(text, view->document));
}

ScoreObject* CreateTypedText(ScoreView* view, TextObject* text, EventRecord* note,
                             TextToolVariant variant) {
    if (variant == TextToolVariant::RehearsalMark) {
        text->body.flags =
            static_cast<uint16_t>((text->body.flags & ~(kTextFrameMask | kTextOwnFont)) |
                                  (g_tool.rehearsalFrame << kTextFrameShift));
        text->body.style = kRehearsalSlot;
    }
    const char* initial = TextObjectString(text);
    TextEntryRequest request;
    request.view = view;
    request.initial = initial != nullptr ? initial : "";
    request.font = EntryFontFor(view, text);
    const TextEntryOutcome outcome = RunTextEntryWindow(request);
    if (request.font) gfx::DeleteObject(request.font);
    ScoreObject* object = &text->header;
    if (outcome.result != kEntryClosed) {
        ReleaseObjectByType(view->document, object);
        return nullptr;
    }
    if (!LinkNewText(view, text, note)) return nullptr;
    if (IsBlankText(outcome.text)) {
        UnlinkObject(object);
        ReleaseObjectByType(view->document, object);
        return nullptr;
    }
    SetDocumentModified(view->document);
    SetTextObjectString(text, outcome.text.c_str());
    ClassOf(object).Measure(object, view);
    if (std::strchr(outcome.text.c_str(), '%') != nullptr) MoveTextToPage(view, object);
    return object;
}

class TextLineClass final : public TextObjectClass {
  public:
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    int EditAttributes(ScoreObject* object, ScoreView* view) const override;
    ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source,
                       PoolSet target) const override;
};

ScoreObject* TextLineClass::CreateAtClick(ScoreObject*, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return nullptr;
    TextObject* text = NewTextLine(view);
    if (text == nullptr) return nullptr;
    const TextToolVariant variant = g_tool.variant;
    EventRecord* note = PlaceAtPointer(view, text, variant);
    const PlacingObject placing(&text->header);
    if (IsFixedSymbol(variant)) {
        const int index =
            static_cast<int>(variant) - static_cast<int>(TextToolVariant::FirstFixedSymbol);
        MakeSymbol(text, kFixedSymbolCodes[index]);
        return FinishSymbol(view, text, note);
    }
    if (variant == TextToolVariant::FontSymbol) {
        // By key: the quote-mark symbol at once; by click: picked in "Select Symbol".
        MakeSymbol(text, g_tool.keyCreation ? kKeySymbolCode : 0);
        if (!g_tool.keyCreation && RunSelectSymbolDialog(view, &text->body) != kEntryClosed) {
            ReleaseObjectByType(view->document, &text->header);
            return nullptr;
        }
        return FinishSymbol(view, text, note);
    }
    return CreateTypedText(view, text, note, variant);
}

int TextLineClass::EditAttributes(ScoreObject* object, ScoreView* view) const {
    const int result = OpenTextPropertiesDialog(object, view);
    const char* string = TextObjectString(AsTextObject(object));
    if (result != 0 && string != nullptr && std::strchr(string, '%') != nullptr)
        MoveTextToPage(view, object);
    return result;
}

ScoreObject* TextLineClass::Clone(ScoreObject* object, ScoreView* view, PoolSet source,
                                  PoolSet target) const {
    ScoreObject* copy = TextObjectClass::Clone(object, view, source, target);
    if (copy != nullptr) copy->classId = object->classId;
    return copy;
}

const TextLineClass kTextLineClass;

}  // namespace

TextToolState& TheTextToolState() {
    return g_tool;
}

void ResetTextToolState() {
    g_tool = TextToolState{};
}

void RegisterTextLineClass() {
    RegisterObjectClass(ClassOfType(ObjectType::Text), &kTextLineClass);
    RegisterObjectType(TypeCode(ObjectType::Text), {kTextObjectPool, &ConstructTextLineObject});
}

ScoreObject* ConstructTextLineWithText(ScoreView* view, const char* text) {
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::Text));
    if (object == nullptr) return nullptr;
    TextObject* line = AsTextObject(object);
    if (view != nullptr) object->subtype = ObjectSubtypeFor(view);
    line->body.style = g_tool.importedTextSlot;
    if (SetTextObjectString(line, text != nullptr ? text : "") < 0) {
        ReleaseObjectByType(view != nullptr ? view->document : nullptr, object);
        return nullptr;
    }
    line->body.flags |= kTextOwnsString;
    return object;
}

bool MoveTextToPage(ScoreView* view, ScoreObject* object) {
    if (view == nullptr || object == nullptr) return false;
    const bool inMeasure = object->subtype == SubtypeCode(ObjectSubtype::MeasureTimeList) ||
                           object->subtype == SubtypeCode(ObjectSubtype::MeasureAnchorList);
    if (!inMeasure) return false;
    const LogicalPoint point = TextObjectAnchorPoint(object, view);
    UnlinkObject(object);
    object->subtype = SubtypeCode(ObjectSubtype::PageList);
    EncodePageAnchors(view, &AsTextObject(object)->body.location, &point, 1);
    InsertObjectBySubtype(view, object);
    return true;
}

int RetypeTextInPlace(ScoreObject* object, ScoreView* view) {
    if (object == nullptr || view == nullptr || view->document == nullptr) return kEntryCancelled;
    TextObject* text = AsTextObject(object);
    if ((text->body.flags & kTextOwnsString) == 0) {
        const char symbol[2] = {static_cast<char>(text->body.string & 0xFF), '\0'};
        text->body.string = 0;
        if (SetTextObjectString(text, symbol) < 0) return kEntryCancelled;
        text->body.flags |= kTextOwnsString;
    }
    const char* old = TextObjectString(text);
    const std::string before = old != nullptr ? old : "";
    const LogicalPoint point = TextObjectAnchorPoint(object, view);
    MovePointerToPoint(view, point.x, point.y);
    TextEntryRequest request;
    request.view = view;
    request.initial = before;
    request.font = EntryFontFor(view, text);
    const TextEntryOutcome outcome = RunTextEntryWindow(request);
    if (request.font) gfx::DeleteObject(request.font);
    if (outcome.result != kEntryClosed) return kEntryCancelled;
    if (outcome.text != before) {
        UndoStep step(view->document, view, UndoKind::Item, kTextUndoType, UndoVerb::Modify);
        SetDocumentModified(view->document);
        SetTextObjectString(text, outcome.text.c_str());
        ClassOf(object).Measure(object, view);
    }
    return kEntryClosed;
}

}  // namespace ql
