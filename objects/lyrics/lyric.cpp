// The lyric class and the typing of lyrics from note to note (see lyric.h).
#include "objects/lyrics/lyric.h"

#include <cstring>
#include <string>

#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "display/hit_test.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "objects/lyrics/lyric_extender.h"
#include "objects/lyrics/lyric_hyphen.h"
#include "objects/object_services.h"
#include "objects/quick_fonts/text_fonts.h"
#include "objects/text_marks/set_image_dialog.h"
#include "objects/text_marks/text_entry.h"
#include "objects/text_marks/text_line.h"
#include "objects/text_marks/text_marks.h"
#include "platform/gfx/objects.h"
#include "platform/win/keys.h"

namespace ql {
namespace {

constexpr int kVoiceCount = 4;
constexpr size_t kAtXOffset = 4;  // the note anchor's x and y offsets in the location
constexpr size_t kAtYOffset = 6;
constexpr size_t kLongSyllable = 2;
constexpr size_t kVeryLongSyllable = 6;
constexpr uint32_t kLyricTypingKeys[] = {0x09, 0x0D, 0x20, 0x25, 0x26, 0x27, 0x28};

LyricState g_lyric;

bool IsLyric(const ScoreObject* object) {
    return object != nullptr && object->type == TypeCode(ObjectType::Lyric);
}

bool OnMasterPage(const ScoreView* view) {
    return view->currentPage != nullptr && view->currentPage->pageNumber < 0;
}

// Calls `visit` for every event (not a sentinel) of the current cell's voices.
template <typename Visit>
void ForEachCellEvent(ScoreView* view, Visit visit) {
    MeasureCell* cell = view->currentCell;
    if (cell == nullptr) return;
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        EventRecord* event = ResolveEvent(cell->voices[voice]);
        int guard = 0;
        for (event = event != nullptr ? NextEvent(event) : nullptr;
             event != nullptr && event->time != kSentinelTime && guard < kMaxChainLength;
             event = NextEvent(event), ++guard)
            visit(event);
    }
}

bool TakesLyric(const EventRecord* event) {
    return (event->duration & kNoLyricDurationBit) == 0;
}

// The earliest event of the current cell after `time` (-1: from the start).
EventRecord* EarliestAfter(ScoreView* view, int time) {
    EventRecord* best = nullptr;
    ForEachCellEvent(view, [&](EventRecord* event) {
        if (event->time <= time || !TakesLyric(event)) return;
        if (best == nullptr || event->time < best->time) best = event;
    });
    return best != nullptr ? GetLastEventOfChord(best) : nullptr;
}

EventRecord* OwnerOf(TextObject* lyric) {
    return ClassOf(&lyric->header).GetOwnerNote(&lyric->header);
}

std::string StringOf(TextObject* text) {
    const char* string = TextObjectString(text);
    return string != nullptr ? string : "";
}

void DeleteLyric(ScoreView* view, TextObject* lyric) {
    UnlinkObject(&lyric->header);
    ReleaseObjectByType(view->document, &lyric->header);
}

TextEntryOutcome RunLyricWindow(ScoreView* view, const std::string& initial) {
    TextEntryRequest request;
    request.view = view;
    request.procedure = EntryProcedure::Lyric;
    request.initial = initial;
    request.font =
        CreateEntryFont(view, DefaultTextFontRecord(view->document, DefaultTextFont::Lyric));
    request.onResize = [view] { RefreshCellLyrics(view); };
    TextEntryOutcome outcome = RunTextEntryWindow(request);
    if (request.font) gfx::DeleteObject(request.font);
    return outcome;
}

// While a syllable is typed the lyrics of its cell are drawn straight onto the view,
// the new one still empty (shown as "?"); once its window has closed the cell is
// repainted, so that the view shows what the syllable became (or that it is gone).
void RepaintTypedCell(ScoreView* view) {
    InvalidateCurrentCell(view, false);
}

// Retypes a lyric already there: 1340 and Escape change nothing.
int TypeLyricInPlace(ScoreView* view, TextObject* lyric) {
    const LogicalPoint point = TextObjectAnchorPoint(&lyric->header, view);
    MovePointerToPoint(view, point.x, point.y);
    const std::string before = StringOf(lyric);
    const TextEntryOutcome outcome = RunLyricWindow(view, before);
    RepaintTypedCell(view);
    if (outcome.result == kEntryStopSyllables || outcome.result == kEntryCancelled)
        return outcome.result;
    if (!IsBlankText(outcome.text) && outcome.text != before) {
        SetDocumentModified(view->document);
        SetTextObjectString(lyric, outcome.text.c_str());
        ClassOf(&lyric->header).Measure(&lyric->header, view);
    }
    return outcome.result;
}

class LyricClass final : public TextObjectClass {
  public:
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    int EditAttributes(ScoreObject* object, ScoreView* view) const override;
    void TrackDrag(ScoreObject* object, ScoreView* view) const override;
    int CommitDrag(ScoreObject* object, ScoreView* view) const override;
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t key) const override;
    void Invalidate(ScoreObject* object, ScoreView* view) const override;
    void DrawHandle(ScoreObject* object, ScoreView* view, HitRecord* hit) const override;
    void Draw(ScoreObject* object, ScoreView* view) const override;
    const char* GetDisplayText(ScoreObject* object, ScoreView* view) const override;
    ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source,
                       PoolSet target) const override;
};

ScoreObject* LyricClass::CreateAtClick(ScoreObject*, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return nullptr;
    EventRecord* note = HitTestAnyVoice(view);
    g_lyric.currentVerse = VerseOfMask(g_lyric.verseMask);
    if (note == nullptr || FindLyricOnNote(note, g_lyric.currentVerse) != nullptr) return nullptr;
    RunLyricEntry(view, note, nullptr);
    return nullptr;
}

int LyricClass::EditAttributes(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return 0;
    const UndoStep step(view->document, view, UndoKind::Item, kLyricUndoType, UndoVerb::Modify);
    return OpenTextPropertiesDialog(object, view);
}

void LyricClass::TrackDrag(ScoreObject* object, ScoreView* view) const {
    const bool ctrl = win::IsKeyDown(win::Key::Control);
    const bool shift = win::IsKeyDown(win::Key::Shift);
    SelectionState* selection = TheSelectionState();
    if (ctrl && !shift && selection != nullptr && view != nullptr && view->document != nullptr) {
        const int verse = LyricVerse(AsTextObject(object));
        uint16_t& level = view->document->header.lyricLevels[verse];
        level = static_cast<uint16_t>(static_cast<int16_t>(level) + selection->dragOffsetY);
        g_lyric.verseLineMoved = true;
    }
    TextObjectClass::TrackDrag(object, view);
}

// The text's commit, then a verse line moved by the Ctrl-drag marks the document.
int LyricClass::CommitDrag(ScoreObject* object, ScoreView* view) const {
    const int result = TextObjectClass::CommitDrag(object, view);
    if (g_lyric.verseLineMoved && view != nullptr) SetDocumentModified(view->document);
    g_lyric.verseLineMoved = false;
    return result;
}

int LyricClass::OnKey(ScoreObject* object, ScoreView* view, uint32_t key) const {
    bool typing = false;
    for (uint32_t k : kLyricTypingKeys) typing = typing || k == key;
    if (!typing || view == nullptr || view->document == nullptr)
        return TextObjectClass::OnKey(object, view, key);
    TextObject* lyric = AsTextObject(object);
    g_lyric.currentVerse = LyricVerse(lyric);
    RunLyricEntry(view, OwnerOf(lyric), lyric);
    return 1;
}

// The syllable, then its extender line or its hyphens when it has them.
void LyricClass::Draw(ScoreObject* object, ScoreView* view) const {
    TextObjectClass::Draw(object, view);
    DrawLyricExtender(view, AsTextObject(object));
    DrawLyricHyphens(view, AsTextObject(object));
}

// The syllable without the "_" that marks its extender line or the "-" that marks
// its hyphen (both drawn apart from it).
const char* LyricClass::GetDisplayText(ScoreObject* object, ScoreView* view) const {
    const char* shown = TextObjectClass::GetDisplayText(object, view);
    char* buffer = State().text.display;
    if (shown == buffer && (EndsWithExtender(buffer) || EndsWithHyphen(buffer)))
        buffer[std::strlen(buffer) - 1] = '\0';
    return shown;
}

// The lyric's verse line, across the visible width of the view.
void LyricClass::DrawHandle(ScoreObject* object, ScoreView* view, HitRecord*) const {
    if (view == nullptr || view->document == nullptr) return;
    const int verse = LyricVerse(AsTextObject(object));
    int32_t line = static_cast<int16_t>(view->document->header.lyricLevels[verse]);
    if (ViewScale(view) > 0.0) line = static_cast<int32_t>(line * ViewScale(view));
    const int32_t y = view->staffY + line;
    BeginViewDraw(view);
    DrawLineSegment(view, view->visibleRect.left, y, view->visibleRect.right, y);
    EndViewDraw(view);
}

// The reset of a lyric's place (without Ctrl): half a note head right of its note, on
// its verse line; one undo step.
void LyricClass::Invalidate(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr || win::IsKeyDown(win::Key::Control)) return;
    if (object->subtype != SubtypeCode(ObjectSubtype::NoteAttachment) ||
        OwnerOf(AsTextObject(object)) == nullptr)
        return;
    const UndoStep step(view->document, view, UndoKind::Item, kLyricUndoType, UndoVerb::Modify);
    SetLyricOffsets(AsTextObject(object), LyricOffsetUnderHead(view), 0);
    Measure(object, view);
    SetDocumentModified(view->document);
    if (SelectionState* selection = TheSelectionState())
        selection->currentObject = Ref32<ScoreObject>::To(object);
    const LogicalPoint point = TextObjectAnchorPoint(object, view);
    MovePointerToPoint(view, point.x, point.y);
}

ScoreObject* LyricClass::Clone(ScoreObject* object, ScoreView* view, PoolSet source,
                               PoolSet target) const {
    ScoreObject* copy = TextObjectClass::Clone(object, view, source, target);
    if (copy == nullptr) return nullptr;
    copy->classId = object->classId;
    copy->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
    AsTextObject(copy)->body.flags |= kTextYFromStaff;
    return copy;
}

const LyricClass kLyricClass;

}  // namespace

TextObject* NewLyricOnNote(ScoreView* view, EventRecord* note, int verse) {
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::Lyric));
    if (object == nullptr) return nullptr;
    TextObject* lyric = AsTextObject(object);
    ApplyDefaultTextFont(lyric, view->document, DefaultTextFont::Lyric);
    if (!GiveEmptyTextString(lyric)) {
        ReleaseObjectByType(view->document, object);
        return nullptr;
    }
    lyric->body.flags |= kTextYFromStaff;
    object->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
    SetLyricVerse(lyric, verse);
    SetLyricOffsets(lyric, kLyricStartOffset, 0);
    SetDocumentModified(view->document);
    if (AttachObjectToNote(view, note, object) == 0) {
        ReleaseObjectByType(view->document, object);
        return nullptr;
    }
    return lyric;
}

LyricState& TheLyricState() {
    return g_lyric;
}

void ResetLyricState() {
    g_lyric = LyricState{};
}

int VerseOfMask(uint8_t& mask) {
    if (mask >= kVerseMaskLimit) mask = 0;
    for (int verse = 0; verse < kVerseCount; ++verse)
        if (mask & (1u << verse)) return verse;
    return 0;
}

int LyricVerse(const TextObject* lyric) {
    return (lyric->body.flags & kTextFrameMask) >> kTextFrameShift;
}

void SetLyricVerse(TextObject* lyric, int verse) {
    const auto bits = static_cast<uint16_t>((verse & (kVerseCount - 1)) << kTextFrameShift);
    lyric->body.flags = static_cast<uint16_t>((lyric->body.flags & ~kTextFrameMask) | bits);
}

int16_t LyricXOffset(const TextObject* lyric) {
    int16_t x = 0;
    std::memcpy(&x, reinterpret_cast<const std::byte*>(&lyric->body.location) + kAtXOffset,
                sizeof x);
    return x;
}

void SetLyricOffsets(TextObject* lyric, int16_t x, int16_t y) {
    auto* bytes = reinterpret_cast<std::byte*>(&lyric->body.location);
    std::memcpy(bytes + kAtXOffset, &x, sizeof x);
    std::memcpy(bytes + kAtYOffset, &y, sizeof y);
}

int16_t LyricOffsetUnderHead(const ScoreView* view) {
    return static_cast<int16_t>(view->glyphWidths.black / 2);
}

int16_t SyllableOffset(std::string_view text) {
    int16_t offset = kLyricStartOffset;
    if (text.size() % 2 == 1) offset += kLyricOffsetStep;
    if (text.size() > kLongSyllable) offset += kLyricOffsetStep;
    if (text.size() > kVeryLongSyllable) offset += kLyricOffsetStep;
    return offset;
}

TextObject* FindLyricOnNote(EventRecord* note, int verse) {
    ScoreObject* head = note != nullptr ? GetEventAttachment(note) : nullptr;
    int guard = 0;
    for (ScoreObject* object = head != nullptr ? head->next.get() : nullptr;
         object != nullptr && guard < kMaxChainLength; object = object->next.get(), ++guard)
        if (IsLyric(object) && LyricVerse(AsTextObject(object)) == verse)
            return AsTextObject(object);
    return nullptr;
}

TextObject* FindNoteLyric(ScoreView* view, int time) {
    TextObject* found = nullptr;
    ForEachCellEvent(view, [&](EventRecord* event) {
        if (found == nullptr && event->time == time)
            found = FindLyricOnNote(event, g_lyric.currentVerse);
    });
    return found;
}

void RefreshCellLyrics(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return;
    BeginViewDraw(view);
    ForEachCellEvent(view, [&](EventRecord* event) {
        ScoreObject* head = GetEventAttachment(event);
        int guard = 0;
        for (ScoreObject* object = head != nullptr ? head->next.get() : nullptr;
             object != nullptr && guard < kMaxChainLength; object = object->next.get(), ++guard)
            if (IsLyric(object)) ClassOf(object).Draw(object, view);
    });
    EndViewDraw(view);
}

EventRecord* NextLyricNote(ScoreView* view, EventRecord* note) {
    if (view == nullptr || view->document == nullptr) return nullptr;
    if (EventRecord* next = EarliestAfter(view, note != nullptr ? note->time : -1)) return next;
    const int last = view->document->header.measureCount;
    for (int measure = view->currentMeasure + 1; measure <= last; ++measure) {
        SetCurrentMeasureQuick(view, view->currentStaff, measure);
        if (EventRecord* first = EarliestAfter(view, -1)) return first;
    }
    return nullptr;
}

int CreateLyricAtNote(ScoreView* view, EventRecord* note) {
    if (view == nullptr || view->document == nullptr || note == nullptr) return kEntryCancelled;
    if (OnMasterPage(view)) return kEntryCancelled;
    TextObject* lyric = NewLyricOnNote(view, note, g_lyric.currentVerse);
    if (lyric == nullptr) return kEntryCancelled;
    const LogicalPoint point = TextObjectAnchorPoint(&lyric->header, view);
    MovePointerToPoint(view, point.x - kLyricStartOffset, point.y);
    ScoreSystem* system = view->currentSystem;
    const int staff = view->currentStaff;
    const int measure = view->currentMeasure;
    const TextEntryOutcome outcome = RunLyricWindow(view, "");
    if (system != nullptr) SetCurrentSystemAndMeasureQuick(view, system, staff, measure);
    RepaintTypedCell(view);
    const bool dropped = outcome.result == kEntryCancelled ||
                         outcome.result == kEntryStopSyllables || IsBlankText(outcome.text);
    if (dropped) {
        DeleteLyric(view, lyric);
        return outcome.result;
    }
    SetTextObjectString(lyric, outcome.text.c_str());
    if (outcome.result == kEntryNextSyllable)
        SetLyricOffsets(lyric, SyllableOffset(outcome.text), 0);
    ClassOf(&lyric->header).Measure(&lyric->header, view);
    if (SelectionState* selection = TheSelectionState())
        selection->focusedObject = Ref32<ScoreObject>::To(&lyric->header);
    return outcome.result;
}

void RunLyricEntry(ScoreView* view, EventRecord* note, TextObject* startLyric) {
    if (view == nullptr || view->document == nullptr) return;
    TextObject* lyric = startLyric;
    for (int guard = 0; guard < kMaxChainLength; ++guard) {
        if (lyric == nullptr && note != nullptr)
            lyric = FindLyricOnNote(note, g_lyric.currentVerse);
        if (lyric != nullptr) {
            note = OwnerOf(lyric);
            const UndoStep step(view->document, view, UndoKind::Item, kLyricUndoType,
                                UndoVerb::Modify);
            const int result = TypeLyricInPlace(view, lyric);
            if (result != kEntryNextSyllable) return;
        } else {
            const UndoStep step(view->document, view, UndoKind::Item, kLyricUndoType,
                                UndoVerb::Modify);
            const int result = CreateLyricAtNote(view, note);
            if (result == kEntryClosed || result == kEntryCancelled) return;
        }
        note = NextLyricNote(view, note);
        if (note == nullptr) return;
        lyric = nullptr;
    }
}

void RegisterLyricClass() {
    RegisterObjectClass(ClassOfType(ObjectType::Lyric), &kLyricClass);
    RegisterObjectType(TypeCode(ObjectType::Lyric), {kTextObjectPool, &ConstructLyricObject});
}

int EditLyricInPlace(ScoreObject* object, ScoreView* view) {
    if (object == nullptr || view == nullptr || view->document == nullptr) return kEntryCancelled;
    if (!IsLyric(object)) return RetypeTextInPlace(object, view);
    return TypeLyricInPlace(view, AsTextObject(object));
}

}  // namespace ql
