// The painter's two passes over an object list (cell, page or master-page items).
// The first pass draws everything but filled boxes and circles and opaque pictures,
// which the second pass draws over the notes. Lists are walked, never rewritten: a
// node that is not a live object of the document ends the walk, and one "DRAW"
// notice is shown per paint; repairing the list is the reader's and verifier's job.
#include <string>

#include "core/draw/ink_tag.h"
#include "core/draw/painting_guard.h"
#include "core/memory/arena.h"
#include "core/memory/pool.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar.h"
#include "core/units/status_text.h"
#include "display/painter.h"
#include "objects/graphics/graphic_object.h"
#include "objects/picture/picture_object.h"

namespace ql {

namespace {

constexpr char kModuleTag[] = "DRAW";
constexpr char kBadListText[] = "Damaged object list.";
// Boxes and circles with no interior are drawn in the first pass.
constexpr uint8_t kNoInterior = 2;
// Text lines with this flag are page headers and footers (variables expanded).
constexpr uint16_t kTextLineRepeats = 0x0001;
// Most nodes of one list a pass looks at (a cycle ends there).
constexpr int kMaxListNodes = 1 << 16;

// A node failing the check ends the walk; the notice is shown once per paint.
void ReportBadList() {
    PainterState& painter = State().display.painter;
    const uint32_t paint = CurrentPaintSerial();
    if (painter.badListReportSerial == paint) return;
    painter.badListReportSerial = paint;
    const std::string text =
        std::string(FormatModuleLine(kModuleTag, kBadObjectListLine)) + kBadListText;
    ShowLabelledNotice(text.c_str());
}

bool IsType(const ScoreObject* object, ObjectType type) {
    return object->type == TypeCode(type);
}

// A body is read only when the object's record holds it.
template <typename Record>
bool HoldsBody(size_t room) {
    return room >= sizeof(Record);
}

bool IsFilledShape(const ScoreObject* object, size_t room) {
    if (!IsType(object, ObjectType::Box) && !IsType(object, ObjectType::Circle)) return false;
    if (!HoldsBody<GraphicObject>(room)) return false;
    return reinterpret_cast<const GraphicObject*>(object)->body.style != kNoInterior;
}

bool IsOpaquePicture(const ScoreObject* object, size_t room) {
    return IsType(object, ObjectType::Picture) && HoldsBody<PictureObject>(room) &&
           (reinterpret_cast<const PictureObject*>(object)->body.flags & kPictureOpaque) != 0;
}

// A header or footer line is drawn when it has a display text, and not into a
// clipboard picture when that text holds variables.
bool IsRunningTextShown(ScoreObject* object, ScoreView* view, size_t room) {
    if (!HoldsBody<TextObject>(room)) return true;
    const auto& text = reinterpret_cast<const TextObject*>(object)->body;
    if ((text.flags & kTextLineRepeats) == 0) return true;
    const auto* cls = dynamic_cast<const TextObjectClass*>(&ClassOf(object));
    // The stored text decides, not its expansion on the page.
    uint8_t& expanding = State().drawing.PagePaintingFlag;
    const uint8_t kept = expanding;
    expanding = 0;
    const char* shown = cls != nullptr ? cls->GetDisplayText(object, view) : nullptr;
    expanding = kept;
    if (shown == nullptr || *shown == '\0') return false;
    return std::string(shown).find('%') == std::string::npos || !State().drawing.ClipboardRendering;
}

// The first pass brings each object up to date (its Update draws what it draws on
// the page); a running text line whose text is not shown is left out.
void DrawFirstPassObject(ScoreObject* object, ScoreView* view, size_t room) {
    if (IsType(object, ObjectType::Text) && !IsRunningTextShown(object, view, room)) return;
    ClassOf(object).Update(object, view);
}

// Calls `visit` on each sound node of the list; false when a bad node ended it.
template <typename Visit>
bool WalkList(ScoreView* view, ScoreObject* first, Visit visit) {
    int count = 0;
    for (ScoreObject* object = first; object != nullptr; object = object->next.get()) {
        const size_t room = SoundObjectBytes(view->document, object);
        if (room == 0 || ++count > kMaxListNodes) {
            ReportBadList();
            return false;
        }
        const InkObjectScope drawing(object);
        visit(object, room);
    }
    return true;
}

}  // namespace

size_t SoundObjectBytes(const ScoreDocument* document, const ScoreObject* object) {
    if (document == nullptr) return 0;
    return SoundObjectBytesInSet(PoolSet(const_cast<DocumentPoolSet&>(document->pools)), object);
}

bool IsObjectOfAnOpenScore(const ScoreObject* object) {
    if (SoundObjectBytesInSet(CurrentPoolSet(), object) != 0) return true;
    for (const ScoreView* view = State().documents.FirstView; view != nullptr;
         view = view->nextView)
        if (SoundObjectBytes(view->document, object) != 0) return true;
    return false;
}

size_t SoundObjectBytesInSet(PoolSet set, const ScoreObject* object) {
    if (!set || object == nullptr || !IsInArena(object)) return 0;
    const auto* bytes = reinterpret_cast<const std::byte*>(object);
    const std::byte* outer = bytes - sizeof(MidiAction);
    for (int pool = 0; pool < set.poolCount; ++pool) {
        const size_t slot = size_t{1} << set.pools[pool].shift;
        size_t room = 0;
        if (IsLiveRecord(set, pool, bytes))
            room = slot;
        else if (IsInArena(outer) && IsLiveRecord(set, pool, outer) && slot > sizeof(MidiAction))
            room = slot - sizeof(MidiAction);
        if (room >= sizeof(ScoreObject)) return object->type <= kLastObjectType ? room : 0;
    }
    return 0;
}

bool IsSoundObject(const ScoreDocument* document, const ScoreObject* object) {
    return SoundObjectBytes(document, object) != 0;
}

bool DrawObjectsFirstPass(ScoreView* view, ScoreObject* first) {
    bool deferred = false;
    const bool master = view->currentPage != nullptr && view->currentPage->pageNumber < 0;
    WalkList(view, first, [&](ScoreObject* object, size_t room) {
        if (IsType(object, ObjectType::Margin)) return;  // drawn under the music
        if (IsFilledShape(object, room) || IsOpaquePicture(object, room)) {
            deferred = true;
        } else if (IsType(object, ObjectType::Picture)) {
            ClassOf(object).Paint(object, view);
        } else if (master) {
            ClassOf(object).Update(object, view);
        } else {
            DrawFirstPassObject(object, view, room);
        }
    });
    return deferred;
}

void DrawObjectChain(ScoreView* view, ScoreObject* first) {
    WalkList(view, first, [&](ScoreObject* object, size_t room) {
        if (IsFilledShape(object, room))
            ClassOf(object).Update(object, view);
        else if (IsOpaquePicture(object, room))
            ClassOf(object).Paint(object, view);
    });
}

}  // namespace ql
