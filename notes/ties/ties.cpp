// Finding the notes a tie joins, and making and removing ties.
//
// The end of a tie from note N (end tick e = N's time + its ticks) in measure m:
// while e lies 16 ticks or more before the measure's end, the notes of the voice at
// the first time after N, when that time lies within 16 ticks of e and no rest of the
// voice starts before it; otherwise the notes at tick 0 of the measures that follow
// m in playing order: m + 1 inside an ending range (not its last measure), the first
// measure outside every range after an ending's last measure, else m + 1 and, when it
// begins an ending, the first measure of each further ending. In each place the first
// note of the same pitch counts: the same MIDI key in its cell, or the same clef and
// step with no accidental of its own.
#include "notes/ties/ties.h"

#include <cstdlib>
#include <optional>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "notes/pitch/accidental_state.h"
#include "objects/object_services.h"

namespace ql {

namespace {

constexpr char kReportModule[] = "NOTES";
constexpr int kTieReportLine = 3397;
constexpr int kTieTolerance = 16;  // ticks between a note's end and its tie's end
constexpr uint16_t kAccidentalCodeMask = 0x000E;  // flags bits 1-3
constexpr int kAccidentalCodeShift = 1;

MeasureCell* CellAt(ScoreDocument* document, int staff, int measure) {
    return ExistingMeasureCell(document, staff, measure);
}

int MeasureLength(ScoreDocument* document, int measure) {
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    return record != nullptr ? record->lengthTicks : 0;
}

// The notes of a voice at one time of a cell, in chain order, with the walk of the
// voice to that time and the key each note sounds (read again when the note's pitch
// or tie bits differ from those it was read with).
struct ChordKeys {
    // The bits the key was read with: the flags, the tie continuation bit and the
    // carried accidental.
    struct Note {
        EventRecord* event = nullptr;
        uint16_t flags = 0;
        uint16_t word2 = 0;
        uint16_t stemWord = 0;
        uint8_t step = 0;
        bool read = false;
        int key = 0;
    };

    const StaffRecord* staff = nullptr;
    MeasureCell* cell = nullptr;
    int voice = -1;
    int time = -1;
    int clef = 0;
    std::optional<SoundingKeysAt> walk;
    std::vector<Note> notes;

    bool Holds(const StaffRecord* s, MeasureCell* c, int v, int t) const {
        return cell == c && staff == s && voice == v && time == t;
    }

    void Read(const StaffRecord* s, MeasureCell* c, int v, int t) {
        staff = s;
        cell = c;
        voice = v;
        time = t;
        clef = ClefAtTick(c, t);
        walk.emplace(s, c, v, t);
        notes.clear();
        EventRecord* e = GetVoiceFirstEvent(c, v);
        for (int i = 0; e != nullptr && i < kMaxChainLength; ++i, e = NextEvent(e)) {
            if (e->time > t) break;
            if (e->time == t) notes.push_back(Note{e});
        }
    }

    int KeyOf(Note& note) {
        const EventRecord& e = *note.event;
        const uint16_t word2 = e.word2 & kNoteTieContinuation;
        const uint16_t stemWord = e.stemWord & kNoteTiedAccidentalMask;
        if (!note.read || e.flags != note.flags || word2 != note.word2 || stemWord != note.stemWord ||
            e.step != note.step)
            note = Note{note.event, e.flags, word2, stemWord, e.step, true, walk->KeyOf(e)};
        return note.key;
    }

    // The key of any note of the cell at this time, read or not.
    int KeyOf(const EventRecord& event) {
        for (Note& note : notes)
            if (note.event == &event) return KeyOf(note);
        return walk->KeyOf(event);
    }
};

}  // namespace

// The last chords read while a hold lives, replaced in turn.
struct TieSearchHold::Chords {
    static constexpr size_t kKept = 8;
    ChordKeys kept[kKept];
    size_t next = 0;
};

namespace {

thread_local TieSearchHold::Chords* gHeldChords = nullptr;

// The chord of the voice at `time` of the cell: a kept one while a hold lives, else
// `scratch` read afresh.
ChordKeys& ChordAt(const StaffRecord* staff, MeasureCell* cell, int voice, int time, ChordKeys& scratch) {
    if (gHeldChords == nullptr) {
        scratch.Read(staff, cell, voice, time);
        return scratch;
    }
    for (ChordKeys& chord : gHeldChords->kept)
        if (chord.Holds(staff, cell, voice, time)) return chord;
    ChordKeys& chord = gHeldChords->kept[gHeldChords->next];
    gHeldChords->next = (gHeldChords->next + 1) % TieSearchHold::Chords::kKept;
    chord.Read(staff, cell, voice, time);
    return chord;
}

// The first note at `time` of the voice of the cell with the start note's pitch: the
// same MIDI key, or the same clef and step with no accidental of its own.
EventRecord* MatchAt(ScoreDocument* document, int staff, MeasureCell* startCell,
                     const EventRecord& start, MeasureCell* cell, int time, int voice) {
    const StaffRecord* record = StaffRecordOf(document, staff);
    ChordKeys scratch;
    ChordKeys& from = ChordAt(record, startCell, voice, start.time, scratch);
    const int startKey = from.KeyOf(start);
    const int startClef = from.clef;
    ChordKeys& chord = ChordAt(record, cell, voice, time, scratch);
    for (ChordKeys::Note& note : chord.notes) {
        const EventRecord& e = *note.event;
        if (chord.KeyOf(note) == startKey ||
            (startClef == chord.clef && start.step == e.step && (e.flags & kAccidentalCodeMask) == 0))
            return note.event;
    }
    return nullptr;
}

bool RestStartsBetween(MeasureCell* cell, int voice, int from, int to) {
    ScoreObject* element = GetVoiceFirstElement(cell, voice);
    for (int i = 0; element != nullptr && i < kMaxChainLength; ++i, element = element->next.get()) {
        const int time = ElementTime(element);
        if (time > from && time < to) return true;
    }
    return false;
}

// Within the measure: the chord after the note.
void TargetsInMeasure(ScoreDocument* document, int staff, int measure, MeasureCell* cell,
                      EventRecord* note, int voice, std::vector<TieTarget>& out) {
    const int end = note->time + EventDurationTicks(*note);
    EventRecord* e = NextEvent(note);
    for (int i = 0; e != nullptr && e->time == note->time && i < kMaxChainLength; ++i) e = NextEvent(e);
    if (e == nullptr || IsHeadSentinel(*e) || std::abs(e->time - end) >= kTieTolerance) return;
    if (RestStartsBetween(cell, voice, note->time, e->time)) return;
    if (EventRecord* match = MatchAt(document, staff, cell, *note, cell, e->time, voice))
        out.push_back(TieTarget{match, measure, false});
}

const RepeatEndingRange* EndingAt(ScoreDocument* document, ScoreView* view, int measure) {
    return FindRepeatEndingAtMeasure(document, view, measure);
}

// The measures that follow `measure` in playing order (see the file comment), with
// the flag of the first case.
std::vector<std::pair<int, bool>> FollowingMeasures(ScoreDocument* document, ScoreView* view, int measure) {
    std::vector<std::pair<int, bool>> measures;
    const int last = document->header.measureCount;
    const RepeatEndingRange* range = EndingAt(document, view, measure);
    if (range != nullptr && measure < range->lastMeasure) {
        measures.emplace_back(measure + 1, true);
    } else if (range != nullptr) {
        int m = measure + 1;
        while (m <= last && EndingAt(document, view, m) != nullptr) ++m;
        measures.emplace_back(m, false);
    } else {
        measures.emplace_back(measure + 1, false);
        const RepeatEndingRange* next = EndingAt(document, view, measure + 1);
        while (next != nullptr && next->firstMeasure >= 1) {
            const int after = next->lastMeasure + 1;
            next = after <= last ? EndingAt(document, view, after) : nullptr;
            if (next == nullptr || next->firstMeasure != after) break;
            measures.emplace_back(after, false);
        }
    }
    return measures;
}

void TargetsAcrossBarline(ScoreDocument* document, ScoreView* view, int staff, int measure,
                          MeasureCell* cell, EventRecord* note, int voice, std::vector<TieTarget>& out) {
    for (const auto& [m, flag] : FollowingMeasures(document, view, measure)) {
        if (m > document->header.measureCount) continue;
        MeasureCell* next = CellAt(document, staff, m);
        if (next == nullptr) continue;
        if (EventRecord* match = MatchAt(document, staff, cell, *note, next, 0, voice))
            out.push_back(TieTarget{match, m, flag});
    }
}

// The accidental a tie carries into a continuation on the same step.
void CarryAccidental(const EventRecord& start, EventRecord& target) {
    if (target.step != start.step) return;
    const int code = (start.word2 & kTieEndsHere) != 0
                         ? (start.stemWord & kTiedAccidentalMask) >> kTiedAccidentalShift
                         : (start.flags & kAccidentalCodeMask) >> kAccidentalCodeShift;
    target.stemWord = static_cast<uint16_t>((target.stemWord & ~kTiedAccidentalMask) |
                                            (code << kTiedAccidentalShift));
}

void ClearContinuation(EventRecord* note) {
    note->word2 &= static_cast<uint16_t>(~kTieEndsHere);
    note->stemWord &= static_cast<uint16_t>(~kTiedAccidentalMask);
}

// Unlinks and releases every Tie of the note's attachment chain after its first
// record; a Tie that is the first record stays linked and is only reported.
ScoreObject* TieAfterHead(const EventRecord* note) {
    ScoreObject* object = GetEventAttachment(note);
    if (object == nullptr) return nullptr;
    for (object = object->next.get(); object != nullptr; object = object->next.get())
        if (object->type == TypeCode(ObjectType::Tie)) return object;
    return nullptr;
}

// A Tie object from pool 8 shaped for its first end note, in the voice; null when no
// record.
ScoreObject* NewTieObject(ScoreView* view, EventRecord* note, const TieTarget& first, int voice) {
    auto* tie = static_cast<ScoreObject*>(AllocRecord(kTextObjectPool));
    if (tie == nullptr) return nullptr;
    ConstructTieObject(tie);
    TieBody& body = AsTie(tie)->body;
    body.shape = static_cast<uint16_t>(voice << kTieVoiceShift);
    InitTieBetweenNotes(body, view, note, first.note, first.measure - view->currentMeasure);
    return tie;
}

}  // namespace

std::vector<TieTarget> FindTieTargets(ScoreDocument* document, ScoreView* view, EventRecord* note,
                                      int staff, int measure, int voice) {
    std::vector<TieTarget> targets;
    MeasureCell* cell = document != nullptr ? CellAt(document, staff, measure) : nullptr;
    if (cell == nullptr || note == nullptr) return targets;
    const int end = note->time + EventDurationTicks(*note);
    if (MeasureLength(document, measure) - end >= kTieTolerance) {
        TargetsInMeasure(document, staff, measure, cell, note, voice, targets);
    } else {
        TargetsAcrossBarline(document, view, staff, measure, cell, note, voice, targets);
    }
    return targets;
}

std::vector<TieTarget> FindTiesIntoNote(ScoreDocument* document, ScoreView* view, EventRecord* note,
                                        int staff, int measure, int voice) {
    std::vector<TieTarget> sources;
    if (document == nullptr || note == nullptr) return sources;
    for (int m = measure; m >= 1 && m >= measure - 1; --m) {
        MeasureCell* cell = CellAt(document, staff, m);
        EventRecord* e = cell != nullptr ? GetVoiceFirstEvent(cell, voice) : nullptr;
        for (int i = 0; e != nullptr && i < kMaxChainLength; ++i, e = NextEvent(e)) {
            if ((e->word2 & kTieStartsHere) == 0 || e == note) continue;
            for (const TieTarget& t : FindTieTargets(document, view, e, staff, m, voice))
                if (t.note == note) sources.push_back(TieTarget{e, m, t.acrossEnding});
        }
    }
    return sources;
}

ScoreObject* FindNoteTie(const EventRecord* note) {
    ScoreObject* object = GetEventAttachment(note);
    for (int i = 0; object != nullptr && i < kMaxChainLength; ++i, object = object->next.get())
        if (object->type == TypeCode(ObjectType::Tie)) return object;
    return nullptr;
}

int UntieNote(ScoreView* view, EventRecord* note) {
    if (view == nullptr) return 0;
    return UntieNoteAt(view, note, view->currentStaff, view->currentMeasure, ActiveVoiceOfMask(view->voiceMask));
}

int UntieNoteAt(ScoreView* view, EventRecord* note, int staff, int measure, int voice) {
    if (view == nullptr || note == nullptr) return 0;
    int changed = 0;
    if ((note->word2 & kTieStartsHere) != 0) {
        for (const TieTarget& t : FindTieTargets(view->document, view, note, staff, measure, voice))
            ClearContinuation(t.note);
        note->word2 &= static_cast<uint16_t>(~kTieStartsHere);
        changed = 1;
    }
    for (ScoreObject* tie = TieAfterHead(note); tie != nullptr; tie = TieAfterHead(note)) {
        UnlinkObject(tie);
        ReleaseObjectByType(view->document, tie);
        changed = 1;
    }
    if (changed != 0) SetDocumentModified(view->document);
    return changed;
}

int UntieIncomingTies(ScoreView* view, EventRecord* note, int voice) {
    if (view == nullptr || note == nullptr || (note->word2 & kTieEndsHere) == 0) return 0;
    std::vector<TieTarget> sources = FindTiesIntoNote(view->document, view, note, view->currentStaff,
                                                      view->currentMeasure, voice);
    if (sources.size() > 1)
        std::erase_if(sources, [&](const TieTarget& t) { return t.measure != view->currentMeasure - 1; });
    for (const TieTarget& source : sources) UntieNote(view, source.note);
    ClearContinuation(note);
    SetDocumentModified(view->document);
    return sources.empty() ? 0 : 1;
}

int ToggleTie(ScoreView* view, EventRecord* note, int voice) {
    if (view == nullptr || view->document == nullptr || note == nullptr) return 0;
    if ((note->word2 & kTieStartsHere) != 0 || FindNoteTie(note) != nullptr) return UntieNote(view, note);
    std::vector<TieTarget> targets = FindTieTargets(view->document, view, note, view->currentStaff,
                                                    view->currentMeasure, voice);
    if (targets.empty() || targets.front().measure > view->currentMeasure + 1) return 0;
    ScoreObject* tie = NewTieObject(view, note, targets.front(), voice);
    if (tie == nullptr || AttachObjectToNote(view, note, tie) == 0) {
        if (tie != nullptr) ReleaseObjectByType(view->document, tie);
        ReportLowMemory(kReportModule, kTieReportLine);
        return 0;
    }
    note->word2 |= kTieStartsHere;
    for (TieTarget& t : targets) {
        t.note->word2 |= kTieEndsHere;
        CarryAccidental(*note, *t.note);
    }
    SetDocumentModified(view->document);
    return 1;
}

TieSearchHold::TieSearchHold(ScoreDocument* document)
    : endings_(document), chords_(std::make_unique<Chords>()), outer_(gHeldChords) {
    if (outer_ == nullptr) gHeldChords = chords_.get();
}

TieSearchHold::~TieSearchHold() {
    if (gHeldChords == chords_.get()) gHeldChords = outer_;
}

}  // namespace ql
