// The tuplet group scan (see tuplet_groups.h). The walk over a voice keeps two
// cursors, one on the chords and one on the rests, and never allocates.
#include "objects/tuplets/tuplet_groups.h"

#include <algorithm>

#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "display/hit_test.h"
#include "notes/rests/rest.h"

namespace ql {
namespace {

constexpr int kFreeKind = 2;
constexpr int kTableKind = 1;
constexpr int kVoices = 4;
constexpr int kMaxDots = 3;
constexpr int kLongestCode = 16;
// The number to fill stops doubling here (only damaged voices reach it).
constexpr int kLargestFill = 1 << 20;

struct Member {
    EventRecord* note = nullptr;  // chord head, or null for a rest
    ScoreObject* rest = nullptr;
    int time = 0;
    int code = 0;
    int dots = 0;
    uint8_t kind = 0;
    uint8_t ratio = 0;
    uint8_t nested = 0;
    bool stemUp = false;
};

bool CarriesRatio(const Member& m) {
    return ReadTupletNumbers(m.kind, m.ratio, m.nested).first != 0;
}

EventRecord* NextChordHead(EventRecord* note) {
    int guard = 0;
    for (EventRecord* e = NextEvent(note); e != nullptr && guard < kMaxChainLength; e = NextEvent(e), ++guard)
        if (IsFirstOfChord(e)) return e;
    return nullptr;
}

// Notes chord by chord and rests merged by time; a note and a rest at one time both
// drop out of that step, the note first.
class MemberCursor {
  public:
    explicit MemberCursor(TupletScanPosition at) : note_(at.note), rest_(at.rest) {
        if (note_ != nullptr && !IsFirstOfChord(note_)) note_ = NextChordHead(note_);
        Settle();
    }
    // The chord and rest not taken yet (the current member included).
    TupletScanPosition Position() const { return TupletScanPosition{note_, rest_}; }
    bool AtEnd() const { return end_; }
    const Member& Current() const { return current_; }
    void Advance() {
        if (current_.note != nullptr)
            note_ = NextChordHead(note_);
        else if (rest_ != nullptr)
            rest_ = rest_->next.get();
        Settle();
    }

  private:
    void Settle() {
        while (steps_++ < 2 * kMaxChainLength) {
            if (rest_ != nullptr && ElementTime(rest_) == kRestListHeadTick) {
                rest_ = rest_->next.get();
                continue;
            }
            if (note_ != nullptr && rest_ != nullptr && note_->time == ElementTime(rest_)) {
                note_ = NextChordHead(note_);
                continue;
            }
            if (note_ != nullptr && (rest_ == nullptr || note_->time < ElementTime(rest_))) {
                current_ = NoteMember(note_);
                return;
            }
            if (rest_ != nullptr && RestBodyOf(rest_) != nullptr) {
                current_ = RestMember(rest_);
                return;
            }
            break;
        }
        end_ = true;
        current_ = Member{};
    }
    static Member NoteMember(EventRecord* note) {
        Member m;
        m.note = note;
        m.time = note->time;
        m.code = note->duration;
        m.dots = note->word2 & kEventDotsMask;
        m.kind = note->tupletKind;
        m.ratio = note->tupletRatio;
        m.nested = note->outerRatio;
        m.stemUp = note->stemLength < 0;
        return m;
    }
    static Member RestMember(ScoreObject* rest) {
        const RestBody& body = *RestBodyOf(rest);
        Member m;
        m.rest = rest;
        m.time = body.tick;
        m.code = body.code;
        m.dots = RestDots(body);
        m.kind = body.tupletKind;
        m.ratio = body.tupletValue;
        m.nested = body.extraRatio;
        return m;
    }

    EventRecord* note_;
    ScoreObject* rest_;
    Member current_{};
    bool end_ = false;
    int steps_ = 0;
};

bool SameRatio(const Member& m, const TupletGroup& g) {
    return m.kind == g.kind && m.ratio == g.ratio && m.nested == g.nested;
}

// Adds a member's length to the group's count in its unit, halving the unit first
// while the member (or its last dot) is shorter.
void AddLength(TupletGroup* g, const Member& m) {
    const int dots = std::clamp(m.dots, 0, kMaxDots);
    const int smallest = std::clamp(m.code - dots, 0, kLongestCode);
    while (g->unitCode > smallest) {
        --g->unitCode;
        g->count *= 2;
        if (g->toFill < kLargestFill) g->toFill *= 2;
    }
    const int shift = std::min(smallest - g->unitCode, kLongestCode);
    g->count += ((2 << dots) - 1) << shift;
    while (g->count > g->toFill && g->toFill < kLargestFill) g->toFill *= 2;
}

void AddMember(TupletGroup* g, const Member& m) {
    if (m.note != nullptr) {
        if (g->firstNote == nullptr) g->firstNote = m.note;
        g->lastNote = m.note;
        ++(m.stemUp ? g->stemsUp : g->stemsDown);
    } else {
        if (g->firstRest == nullptr) g->firstRest = m.rest;
        g->lastRest = m.rest;
    }
    g->lastTime = m.time;
    ++g->members;
}

// Takes in a nested group's members, stem counts and end, counting it as one unit.
void AddNestedGroup(TupletGroup* outer, const TupletGroup& inner) {
    outer->count += 1;
    while (outer->count > outer->toFill && outer->toFill < kLargestFill) outer->toFill *= 2;
    outer->stemsUp += inner.stemsUp;
    outer->stemsDown += inner.stemsDown;
    outer->members += inner.members;
    if (outer->firstNote == nullptr) outer->firstNote = inner.firstNote;
    if (inner.lastNote != nullptr) outer->lastNote = inner.lastNote;
    if (outer->firstRest == nullptr) outer->firstRest = inner.firstRest;
    if (inner.lastRest != nullptr) outer->lastRest = inner.lastRest;
    outer->lastTime = std::max(outer->lastTime, inner.lastTime);
}

void FinishGroup(TupletGroup* g) {
    g->unitTicks = ComputeDurationTicks(g->kind, 0, g->unitCode, g->nested, g->ratio, g->ratio >> 4,
                                        g->ratio & 0x0F, g->nested >> 4, g->nested & 0x0F);
    g->groupTicks = g->unitTicks * g->count;
}

// Scans the group starting at the cursor's member; its index in the table, or -1
// when the table is full. The cursor ends after the group's last member.
int ScanGroup(MemberCursor& cursor, TupletGroupTable& table) {
    if (table.count >= kTupletGroupLimit) return -1;
    const int index = table.count++;
    TupletGroup& g = table.groups[index];
    const Member& m = cursor.Current();
    const TupletNumbers numbers = ReadTupletNumbers(m.kind, m.ratio, m.nested);
    g = TupletGroup{};
    g.kind = m.kind;
    g.ratio = m.ratio;
    g.nested = m.nested;
    g.first = numbers.first;
    g.second = numbers.second;
    g.startTime = m.time;
    g.toFill = numbers.first;
    g.unitCode = std::clamp(m.code, 0, kLongestCode);
    AddLength(&g, m);
    AddMember(&g, m);
    cursor.Advance();
    while (!cursor.AtEnd() && g.count < g.toFill) {
        const Member& next = cursor.Current();
        if (g.nested == 0 && next.nested != 0 && CarriesRatio(next)) {
            if (table.count >= kTupletGroupLimit - 1) break;
            const int inner = ScanGroup(cursor, table);
            table.groups[inner].contained = true;
            AddNestedGroup(&g, table.groups[inner]);
            continue;
        }
        if (!SameRatio(next, g)) break;
        AddLength(&g, next);
        AddMember(&g, next);
        cursor.Advance();
    }
    FinishGroup(&g);
    return index;
}

bool ChainHolds(MeasureCell* cell, int voice, const EventRecord* note) {
    int n = 0;
    for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr && n < kMaxChainLength; e = NextEvent(e), ++n)
        if (e == note) return true;
    return false;
}

int VoiceOfNote(ScoreView* view, const EventRecord* note) {
    for (int voice = 0; voice < kVoices; ++voice)
        if (ChainHolds(view->currentCell, voice, note)) return voice;
    return FirstSelectedVoice(view);
}

// The chord's outer note on the side: the highest for a mark above, the lowest below.
EventRecord* OuterNote(EventRecord* head, int side) {
    if (head == nullptr) return nullptr;
    return side < 0 ? GetLastEventOfChord(head) : GetFirstEventOfChord(head);
}

}  // namespace

namespace {
TupletGroupTable ScanFrom(TupletScanPosition at) {
    TupletGroupTable table;
    MemberCursor cursor(at);
    while (!cursor.AtEnd() && table.count < kTupletGroupLimit) {
        if (CarriesRatio(cursor.Current()))
            ScanGroup(cursor, table);
        else
            cursor.Advance();
    }
    table.full = table.count == kTupletGroupLimit && !cursor.AtEnd();
    if (table.full) table.next = cursor.Position();
    return table;
}
}  // namespace

TupletGroupTable ScanTupletGroups(MeasureCell* cell, int voice) {
    if (cell == nullptr || voice < 0 || voice >= kVoices) return TupletGroupTable{};
    return ScanFrom(TupletScanPosition{GetVoiceFirstEvent(cell, voice), GetVoiceFirstElement(cell, voice)});
}

TupletGroupTable ContinueTupletScan(const TupletGroupTable& previous) {
    if (!previous.full) return TupletGroupTable{};
    return ScanFrom(previous.next);
}

int TupletSideOf(const TupletGroup& group) {
    if (group.stemsUp < group.stemsDown) return group.stemsUp > 0 ? 2 : 1;
    return group.stemsDown > 0 ? -2 : -1;
}

TupletGroupOfNote FindTupletGroupOfNote(ScoreView* view, EventRecord* note) {
    TupletGroupOfNote result;
    if (view == nullptr || note == nullptr || GetNoteTupletNumerator(*note) == 0) return result;
    result.voice = VoiceOfNote(view, note);
    const TupletGroupTable table = ScanTupletGroups(view->currentCell, result.voice);
    for (int i = 0; i < table.count; ++i) {
        const TupletGroup& g = table.groups[i];
        if (note->time < g.startTime || note->time > g.lastTime) continue;
        if (g.kind != note->tupletKind || g.ratio != note->tupletRatio || g.nested != note->outerRatio) continue;
        result.found = true;
        result.group = g;
        result.side = TupletSideOf(g);
        result.firstChord = OuterNote(g.firstNote, result.side);
        result.lastChord = OuterNote(g.lastNote, result.side);
        return result;
    }
    return result;
}

}  // namespace ql
