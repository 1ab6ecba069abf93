// Copy Notes: the notes and rests inside the marquee captured as copies in the
// block pools, and their paste one after another from the cursor's time (a rest
// holds its place in time and writes nothing). An event longer than the
// room left in its measure (by more than 15 ticks) is split: the part that fits takes
// the nearest note value and is tied on into the next measure, which the paste
// extends the score to when needed (stopping at the measure limit with its notice).
// Capturing changes nothing in the score copied from; the pasted lyrics keep the
// faces they were copied in.
#include "editing/note_capture.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "editing/block_clipboard.h"
#include "editing/block_working_pairs.h"
#include "editing/cell_copy.h"
#include "editing/marquee.h"
#include "editing/marquee_walk.h"
#include "editing/selection.h"
#include "editing/tool_dispatch.h"
#include "layout/page_format.h"
#include "notes/ties/ties.h"
#include "platform/win/keys.h"

namespace ql {
namespace {

constexpr int kSplitSlack = 15;      // ticks an event may run over its measure unsplit
constexpr int kOctaveSteps = 7;      // staff steps of an octave
constexpr int kLongestCode = 12;     // a whole note (4096 ticks)
constexpr int kShortestCode = 5;     // a 128th
constexpr int kMostDots = 2;

// The face table of the score the notes were captured from: the pasted notes'
// lyrics name their faces by it, whichever score they are pasted into and
// whether or not the source is still open.
FaceNameEntry* CapturedFaces() {
    static FaceNameEntry faces[kFaceNameCount] = {};
    return faces;
}

PoolSet StaticSet() {
    return PoolSet(TheStaticPoolSet());
}

bool FocusHeld() {
    const SelectionState* s = State().documents.Selection;
    return s != nullptr && s->editMode > 0;
}

CaptureRecord* RecordFor(std::vector<CaptureRecord*>* records, int staff) {
    for (CaptureRecord* record : *records)
        if (record->staff == staff) return record;
    auto* record = static_cast<CaptureRecord*>(AllocStaticRecord(kCapturePool));
    if (record == nullptr) return nullptr;
    record->staff = static_cast<uint8_t>(staff);
    records->push_back(record);
    return record;
}

// The records are made in the order the music is met (measure by measure), so a
// staff with nothing in the first measure comes late: the chain is made in staff
// order, so that its head is the top staff the paste measures from.
CaptureRecord* ChainByStaff(std::vector<CaptureRecord*>* records) {
    std::stable_sort(records->begin(), records->end(),
                     [](const CaptureRecord* a, const CaptureRecord* b) { return a->staff < b->staff; });
    for (size_t i = 0; i < records->size(); ++i)
        (*records)[i]->next = i + 1 < records->size() ? Ref32<CaptureRecord>::To((*records)[i + 1])
                                                      : Ref32<CaptureRecord>{};
    return records->empty() ? nullptr : records->front();
}

// A captured rest is an event of the capture with no pitch: it holds its place in
// time and is never written as a note.
constexpr uint8_t kCapturedRestStep = kSentinelStep;

bool IsCapturedRest(const EventRecord& event) { return event.step == kCapturedRestStep; }

void NoteValueFor(int ticks, uint8_t* code, int* dots);

// Links a captured event (static set) at the end of the record's voice list.
void LinkCaptured(CaptureRecord* record, int voice, EventRecord* copy) {
    ScopedPoolSet set(StaticSet());
    const RecordHandle handle = PtrToHandle(kCaptureEventPool, copy);
    if (EventRecord* last = FindRecord<EventRecord>(kCaptureEventPool, record->last[voice])) {
        last->next = handle;
        copy->prev = record->last[voice];
    } else {
        record->first[voice] = handle;
    }
    record->last[voice] = handle;
}

// Appends a copy of the note to the record's voice list.
bool AppendCopy(ScoreView* view, CaptureRecord* record, int voice, const EventRecord* note) {
    EventRecord* copy = CloneEvent(note, view, CurrentPoolSet(), StaticSet());
    if (copy == nullptr) return false;
    LinkCaptured(record, voice, copy);
    return true;
}

// Appends the rest as a captured rest of its time and length.
bool AppendRest(CaptureRecord* record, int voice, const ScoreObject* rest) {
    EventRecord* copy = InitRestEvent(static_cast<EventRecord*>(AllocStaticRecord(kCaptureEventPool)));
    if (copy == nullptr) return false;
    copy->time = ElementTime(rest);
    copy->step = kCapturedRestStep;
    int dots = 0;
    NoteValueFor(ElementDurationTicks(rest), &copy->duration, &dots);
    copy->word2 = static_cast<uint16_t>((copy->word2 & ~kEventDotsMask) | dots);
    LinkCaptured(record, voice, copy);
    return true;
}

// The notes and rests inside the marquee in page order: measure, staff, voice, time.
std::vector<WalkedItem> CollectMarqueeMusic(ScoreView* view) {
    std::vector<WalkedItem> items = CollectMarqueeNotes(view);
    const std::vector<WalkedItem> rests = CollectMarqueeRests(view);
    items.insert(items.end(), rests.begin(), rests.end());
    auto key = [](const WalkedItem& item) {
        const int time = item.note != nullptr ? item.note->time : ElementTime(item.rest);
        return std::tuple(item.measure, item.staff, item.voice, time);
    };
    std::stable_sort(items.begin(), items.end(),
                     [&key](const WalkedItem& a, const WalkedItem& b) { return key(a) < key(b); });
    return items;
}

// The note value (code and dots) nearest below `ticks`, within 16 ticks when it can.
void NoteValueFor(int ticks, uint8_t* code, int* dots) {
    int c = kLongestCode;
    while (c > kShortestCode && (1 << c) > ticks) --c;
    int d = 0;
    int length = 1 << c;
    while (d < kMostDots && length + (1 << (c - d - 1)) <= ticks) {
        length += 1 << (c - d - 1);
        ++d;
    }
    *code = static_cast<uint8_t>(c);
    *dots = d;
}

struct PastePlace {
    ScoreView* view;
    int staff;
    int measure;
    int tick;
    int voice;
    bool stopped = false;
};

// Moves to the next measure, extending the score when the paste runs past its end.
bool NextMeasure(PastePlace* place) {
    ScoreDocument* document = place->view->document;
    const int next = place->measure + 1;
    if (next > document->header.measureCount) {
        if (next > MeasureLimit) {
            ShowNotice(kMeasureLimitNotice);
            place->stopped = true;
            return false;
        }
        if (!AddMeasures(place->view, next)) {
            place->stopped = true;
            return false;
        }
    }
    place->measure = next;
    place->tick = 0;
    SetCurrentMeasure(place->view, place->staff, place->measure);
    return true;
}

// Places one chord (the notes of `chord`) of `ticks` at the place; returns the notes
// placed, which a split ties on.
std::vector<EventRecord*> PlaceChord(PastePlace* place, const std::vector<const EventRecord*>& chord,
                                     int ticks, int stepShift) {
    ScoreView* view = place->view;
    std::vector<EventRecord*> placed;
    MeasureCell* cell = view->currentCell;
    EventRecord* head = GetOrCreateVoiceChain(cell, view->document, place->voice);
    if (!HandleOfEvent(head)) return placed;
    uint8_t code = 0;
    int dots = 0;
    NoteValueFor(ticks, &code, &dots);
    for (const EventRecord* note : chord) {
        EventRecord* copy = CloneEvent(note, view, StaticSet(), CurrentPoolSet());
        if (copy == nullptr) break;
        copy->time = static_cast<uint16_t>(place->tick);
        copy->step = static_cast<uint8_t>(static_cast<int8_t>(SignedStep(*note) + stepShift));
        if (ticks != EventDurationTicks(*note)) {
            copy->duration = code;
            copy->word2 = static_cast<uint16_t>((copy->word2 & ~kEventDotsMask) | dots);
            copy->tupletKind = 0;
            copy->outerRatio = 0;
        }
        copy->flags &= static_cast<uint16_t>(~kEventChordHead);
        TakeAttachmentFacesFrom(CapturedFaces(), view->document, StaticSet(), note, copy);
        LayoutWalkEventChain(head, view, copy);
        placed.push_back(copy);
    }
    return placed;
}

// Ties the notes placed in `measure` to the notes just placed after them.
void TieFrom(PastePlace* place, const std::vector<EventRecord*>& notes, int measure) {
    SetCurrentMeasure(place->view, place->staff, measure);
    for (EventRecord* from : notes)
        if (FindNoteTie(from) == nullptr) ToggleTie(place->view, from, place->voice);
    SetCurrentMeasure(place->view, place->staff, place->measure);
}

// A captured rest moves the place on by its length, into the next measures when
// it runs past the barline.
void SkipRest(PastePlace* place, int ticks) {
    int left = ticks;
    while (left > 0 && !place->stopped) {
        if (place->tick >= place->view->currentMeasureLength && !NextMeasure(place)) return;
        const int part = std::min(left, place->view->currentMeasureLength - place->tick);
        place->tick += part;
        left -= part;
    }
}

void PasteChord(PastePlace* place, const std::vector<const EventRecord*>& chord, int stepShift) {
    if (IsCapturedRest(*chord.front())) {
        SkipRest(place, EventDurationTicks(*chord.front()));
        return;
    }
    int left = EventDurationTicks(*chord.front());
    std::vector<EventRecord*> tieFrom;
    int tieMeasure = 0;
    while (left > 0 && !place->stopped) {
        if (place->tick >= place->view->currentMeasureLength && !NextMeasure(place)) return;
        const int room = place->view->currentMeasureLength - place->tick;
        const int part = left > room + kSplitSlack ? room : left;
        const std::vector<EventRecord*> placed = PlaceChord(place, chord, part, stepShift);
        if (!tieFrom.empty()) TieFrom(place, tieFrom, tieMeasure);
        place->tick += part;
        left -= part;
        tieFrom = left > 0 ? placed : std::vector<EventRecord*>{};
        tieMeasure = place->measure;
    }
}

std::vector<std::vector<const EventRecord*>> CapturedChords(const CaptureRecord& record, int voice) {
    std::vector<std::vector<const EventRecord*>> chords;
    ScopedPoolSet set(StaticSet());
    const EventRecord* note = FindRecord<EventRecord>(kCaptureEventPool, record.first[voice]);
    for (int i = 0; note != nullptr && i < kMaxChainLength; ++i) {
        const bool sameChord = !chords.empty() && chords.back().back()->time == note->time &&
                               (note->flags & kEventChordHead) == 0;
        if (!sameChord) chords.emplace_back();
        chords.back().push_back(note);
        note = FindRecord<EventRecord>(kCaptureEventPool, note->next);
    }
    return chords;
}

int StepShiftOfKeys() {
    if (win::IsKeyDown(win::Key::Down)) return kOctaveSteps;
    if (win::IsKeyDown(win::Key::Up)) return -kOctaveSteps;
    return 0;
}

}  // namespace

bool NoteCaptureValid() {
    return State().blockClipboard.captured != nullptr;
}

int CaptureMarqueeNotes(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return 0;
    if (!FocusHeld() || CurrentToolGroup() != ToolGroup::Pointer || CurrentMarquee() == nullptr) return 0;
    std::copy(std::begin(view->document->faceNames), std::end(view->document->faceNames), CapturedFaces());
    const std::vector<WalkedItem> music = CollectMarqueeMusic(view);
    std::vector<CaptureRecord*> records;
    for (const WalkedItem& item : music) {
        CaptureRecord* record = RecordFor(&records, item.staff);
        if (record == nullptr) break;
        const bool appended = item.note != nullptr ? AppendCopy(view, record, item.voice, item.note)
                                                   : AppendRest(record, item.voice, item.rest);
        if (!appended) break;
    }
    State().blockClipboard.captured = ChainByStaff(&records);
    return records.empty() ? 0 : 1;
}

void CopyNotes(ScoreView* view, bool keepFocus) {
    ClearBlockClipboard();
    CaptureMarqueeNotes(view);
    if (!keepFocus && view != nullptr) EndFocus(view, 0);
}

void PasteCapturedNotes(ScoreView* view) {
    CaptureRecord* record = State().blockClipboard.captured;
    if (view == nullptr || view->document == nullptr || record == nullptr) return;
    SetDocumentModified(view->document);
    const int firstStaff = record->staff;
    const int startStaff = std::max(view->currentStaff, 1);
    const int startMeasure = std::max(view->currentMeasure, 1);
    const int startTick = std::clamp(XToTime(view, view->pointerPoint.x), 0, std::max(view->currentMeasureLength - 1, 0));
    const uint8_t savedMask = view->voiceMask;
    const int shift = StepShiftOfKeys();
    for (int n = 0; record != nullptr && n < kMaxStaves; ++n, record = record->next.get()) {
        const int staff = startStaff + record->staff - firstStaff;
        if (staff > view->document->header.staffCount) break;
        for (int voice = 0; voice < kVoiceCount; ++voice) {
            const auto chords = CapturedChords(*record, voice);
            if (chords.empty()) continue;
            SetCurrentMeasure(view, staff, startMeasure);
            view->voiceMask = voice == 0 ? static_cast<uint8_t>(savedMask & 1u) : static_cast<uint8_t>(1u << voice);
            PastePlace place{view, staff, startMeasure, startTick, voice};
            for (const auto& chord : chords) {
                if (place.stopped) break;
                PasteChord(&place, chord, shift);
            }
        }
    }
    view->voiceMask = savedMask;
    SetCurrentMeasure(view, startStaff, startMeasure);
    InvalidateLinkedViews(view);
    EndFocus(view, 1);
}

}  // namespace ql
