// The edits of the note commands (see note_commands.h), each run over the notes the
// command acts on: note by note, chord by chord or beam group by beam group, the view
// standing on each item's staff, measure and voice while the note-editing services
// work on it, and given its own place back at the end.
#include <algorithm>
#include <map>
#include <set>

#include "core/constants.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/handle_flags.h"
#include "core/objects/hit_record.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "display/hit_test.h"
#include "editing/note_command_edits.h"
#include "editing/note_commands.h"
#include "notes/drawing/note_fields.h"
#include "notes/entry/note_edits.h"
#include "notes/entry/note_entry.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/respell/respell.h"
#include "notes/rests/rest.h"
#include "notes/settings/note_settings_dialog.h"
#include "notes/stems/stems.h"
#include "notes/transpose/transpose.h"

namespace ql {
namespace {

constexpr int kLowestStep = -128;
constexpr int kHighestStep = 127;
constexpr int kAttachmentLimit = 256;
constexpr uint16_t kSoundHidden = 0x0200;  // flags bit 9
constexpr uint16_t kFanLeftStyle = 1;
constexpr uint16_t kFanRightStyle = 2;
constexpr int kSizeShift = 4;
constexpr int kSizeBits = 0x03;

// The note of the grabbed handle when it is a note head's (kind 3 or more).
EventRecord* GrabbedNote() {
    const SelectionState* s = TheSelectionState();
    const HitRecord* grabbed = s != nullptr ? s->grabbedRecord.get() : nullptr;
    if (grabbed == nullptr || grabbed->kind < kFirstNoteHeadHandle) return nullptr;
    EventRecord* note = grabbed->noteEvent.get();
    return note != nullptr && HandleOfEvent(note) && !IsHeadSentinel(*note) ? note : nullptr;
}

template <typename Fn>
int ForEachNote(ScoreView* view, const std::vector<WalkedItem>& items, Fn fn) {
    if (items.empty()) return 0;
    ViewPlaceKeeper keep(view);
    int changed = 0;
    for (const WalkedItem& item : items) {
        StandOnItem(view, item);
        changed |= fn(item.note, item);
    }
    return changed;
}

// Each chord once, through its first event (the one carrying stem and beam).
template <typename Fn>
int ForEachChord(ScoreView* view, const std::vector<WalkedItem>& items, Fn fn) {
    std::set<EventRecord*> seen;
    return ForEachNote(view, items, [&](EventRecord* note, const WalkedItem& item) {
        EventRecord* head = GetFirstEventOfChord(note);
        if (head == nullptr || !seen.insert(head).second) return 0;
        return fn(head, item);
    });
}

// Each beam group once (an unbeamed chord is a group of its own), through its first
// chord.
template <typename Fn>
int ForEachGroup(ScoreView* view, const std::vector<WalkedItem>& items, Fn fn) {
    std::set<EventRecord*> seen;
    return ForEachChord(view, items, [&](EventRecord* head, const WalkedItem& item) {
        EventRecord* first = IsChordBeamed(head) ? GetLastChordOfBeamGroup(head) : head;
        if (first == nullptr || !seen.insert(first).second) return 0;
        return fn(first, item);
    });
}

int ApplyToTargets(ScoreView* view, const std::vector<WalkedItem>& items,
                   void (*edit)(EventRecord&, int), int value) {
    return ForEachNote(view, items, [&](EventRecord* note, const WalkedItem&) {
        edit(*note, value);
        return 1;
    });
}

// The longest duration code a grace note takes a slash at, as the slash key has it.
constexpr uint8_t kLongestSlashedGrace = 9;

// With "Auto slash grace notes" on, a note made a grace note gets its slash when it
// heads its chord and its value is short enough.
void WriteSize(EventRecord& note, int size) {
    note.flags = static_cast<uint16_t>((note.flags & ~kEventSizeClassMask) |
                                       ((size & kSizeBits) << kSizeShift));
    if (size == kSizeGrace && Options().AutoSlash != 0 && GetFirstEventOfChord(&note) == &note &&
        note.duration <= kLongestSlashedGrace)
        note.stemWord |= kStemGraceSlash;
}

// Hide masks as bits of the three words they live in.
void ToggleHide(EventRecord& note, int mask) {
    if (mask & kHideSoundMask) note.flags ^= kSoundHidden;
    if (mask & kHideHeadMask) note.word2 ^= kNoteHeadHidden;
    if (mask & kHideStemMask) note.word2 ^= kNoteStemHidden;
    if (mask & kHideBeamsMask) note.stemWord ^= kStemBeamsHidden;
    if (mask & kHideLowestBeamMask) note.stemWord ^= kStemInnermostHidden;
}

constexpr uint16_t kAllWord2Hidden = kNoteHeadHidden | kNoteStemHidden;
constexpr uint16_t kAllStemWordHidden = kStemBeamsHidden | kStemInnermostHidden;

bool HasHiddenPart(const EventRecord& note) {
    return (note.word2 & kAllWord2Hidden) != 0 || (note.stemWord & kAllStemWordHidden) != 0;
}

void SetHiddenParts(EventRecord& note, int hide) {
    if (hide != 0) {
        note.word2 |= kAllWord2Hidden;
        note.stemWord |= kAllStemWordHidden;
    } else {
        note.word2 &= static_cast<uint16_t>(~kAllWord2Hidden);
        note.stemWord &= static_cast<uint16_t>(~kAllStemWordHidden);
    }
}

int ToggleRestsHidden(ScoreView* view) {
    int changed = 0;
    for (const WalkedItem& item : CollectMarqueeRests(view)) {
        RestBodyOf(item.rest)->flags ^= kRestHidden;
        changed = 1;
    }
    return changed;
}

int SetRestSizes(ScoreView* view, int size) {
    int changed = 0;
    for (const WalkedItem& item : CollectMarqueeRests(view)) {
        RestBody& body = *RestBodyOf(item.rest);
        body.flags = static_cast<uint8_t>((body.flags & ~kRestSizeMask) |
                                          ((size << kRestSizeShift) & kRestSizeMask));
        changed = 1;
    }
    return changed;
}

int ClampToInt8(int value) {
    return std::clamp(value, -128, 127);
}

}  // namespace

std::vector<WalkedItem> NoteCommandTargets(ScoreView* view) {
    std::vector<WalkedItem> items = CollectMarqueeNotes(view);
    if (!items.empty() || view == nullptr) return items;
    if (EventRecord* note = GrabbedNote(); note != nullptr && view->currentCell != nullptr)
        items.push_back(WalkedItem{note, nullptr, view->currentStaff, view->currentMeasure,
                                   FindVoiceOfEvent(view->currentCell, note, EntryVoice(view))});
    return items;
}

int ToggleNoteHideBits(ScoreView* view, int mask) {
    return ApplyToTargets(view, NoteCommandTargets(view), ToggleHide, mask);
}

int ToggleHideAll(ScoreView* view) {
    const std::vector<WalkedItem> items = NoteCommandTargets(view);
    const bool anyHidden = std::any_of(items.begin(), items.end(),
                                       [](const WalkedItem& i) { return HasHiddenPart(*i.note); });
    const int notes = ApplyToTargets(view, items, SetHiddenParts, anyHidden ? 0 : 1);
    return ToggleRestsHidden(view) | notes;
}

int SetElementSize(ScoreView* view, int size) {
    const int notes = ApplyToTargets(view, NoteCommandTargets(view), WriteSize, size);
    return SetRestSizes(view, size) | notes;
}

int FlipMarqueeStems(ScoreView* view) {
    // Every direction is read before any chord turns: a beam group restemmed for its
    // first chord would otherwise turn back at its second.
    struct Turn {
        EventRecord* head;
        WalkedItem item;
        uint8_t up;
    };
    std::vector<Turn> turns;
    ForEachChord(view, NoteCommandTargets(view), [&](EventRecord* head, const WalkedItem& item) {
        turns.push_back(Turn{head, item, static_cast<uint8_t>((head->flags & kEventStemFlag) == 0)});
        return 0;
    });
    if (turns.empty()) return 0;
    ViewPlaceKeeper keep(view);
    NotesGlobals& notes = State().notes;
    const uint8_t savedKeep = notes.KeepStemDirection;
    const uint8_t savedDirection = notes.KeptStemDirection;
    for (const Turn& turn : turns) {
        StandOnItem(view, turn.item);
        notes.KeepStemDirection = 1;
        notes.KeptStemDirection = turn.up;
        UpdateBeamForNote(view, turn.head);
    }
    notes.KeepStemDirection = savedKeep;
    notes.KeptStemDirection = savedDirection;
    return 1;
}

int ApplyNoteHeadResult(ScoreView* view, intptr_t result, int chosenHead) {
    if (result == kNoteHeadDialogOk)
        return ApplyToTargets(view, NoteCommandTargets(view), SetNoteHeadKind, chosenHead + 1);
    if (result >= kNoteHeadDialogReset)
        return ApplyToTargets(view, NoteCommandTargets(view), SetNoteHeadKind, 0);
    return 0;  // -1 (not shown), 0 and Cancel
}

int ToggleNoteMarks(ScoreView* view, uint16_t bit) {
    return ForEachChord(view, NoteCommandTargets(view), [&](EventRecord* head, const WalkedItem&) {
        return ToggleChordMark(view, head, bit);
    });
}

int ToggleSlashStems(ScoreView* view) {
    return ForEachChord(view, NoteCommandTargets(view), [&](EventRecord* head, const WalkedItem&) {
        return ToggleGraceSlash(view, head);
    });
}

int RespellEnharmonically(ScoreView* view) {
    return ForEachNote(view, NoteCommandTargets(view), [&](EventRecord* note, const WalkedItem& item) {
        EnharmonicChangeNote(view, note, view->currentCell, item.voice);
        UpdateBeamForNote(view, note);
        return 1;
    });
}

int ResetAttachments(ScoreView* view) {
    return ForEachNote(view, NoteCommandTargets(view), [&](EventRecord* note, const WalkedItem&) {
        int n = 0;
        for (ScoreObject* a = GetEventAttachment(note); a != nullptr && n < kAttachmentLimit;
             a = a->next.get(), ++n)
            ClassOf(a).ResetState(a, view);
        return n > 0 ? 1 : 0;
    });
}

int MoveNotes(ScoreView* view, int dx, int dy) {
    return ForEachNote(view, NoteCommandTargets(view), [&](EventRecord* note, const WalkedItem&) {
        const int step = std::clamp(SignedStep(*note) + dy, kLowestStep, kHighestStep);
        const int nudge = ClampToInt8(note->nudge + dx);
        if (step == SignedStep(*note) && nudge == note->nudge) return 0;
        note->step = static_cast<uint8_t>(static_cast<int8_t>(step));
        note->nudge = static_cast<int8_t>(nudge);
        UpdateBeamForNote(view, note);
        return 1;
    });
}

int AddIntervalToChords(ScoreView* view, int steps, bool above) {
    return ForEachChord(view, NoteCommandTargets(view), [&](EventRecord* head, const WalkedItem&) {
        EventRecord* from = above ? head : GetLastEventOfChord(head);
        if (from == nullptr) return 0;
        return AddNoteToChord(view, from, above ? -steps : steps) != nullptr ? 1 : 0;
    });
}

int FanBeams(ScoreView* view, bool right) {
    return ForEachGroup(view, NoteCommandTargets(view), [&](EventRecord* first, const WalkedItem&) {
        if (!IsChordBeamed(first)) return 0;
        first->stemWord = static_cast<uint16_t>((first->stemWord & ~kStemBeamStyleMask) |
                                                (right ? kFanRightStyle : kFanLeftStyle));
        return 1;
    });
}

int ToggleCrossStaffGroups(ScoreView* view, int wanted) {
    // Each group goes as a whole: to the state asked for, or to the other state of
    // its first chord, decided before any chord moves.
    const std::vector<WalkedItem> items = NoteCommandTargets(view);
    std::map<EventRecord*, bool> groups;
    ForEachGroup(view, items, [&](EventRecord* first, const WalkedItem&) {
        groups[first] = wanted >= 0 ? wanted != 0 : !IsCrossStaff(*first);
        return 0;
    });
    return ForEachChord(view, items, [&](EventRecord* head, const WalkedItem&) {
        const auto group = groups.find(IsChordBeamed(head) ? GetLastChordOfBeamGroup(head) : head);
        if (group == groups.end() || IsCrossStaff(*head) == group->second) return 0;
        return ToggleCrossStaffNote(view, head);
    });
}

int ApplyNoteDialogValue(ScoreView* view, int command, int value) {
    const std::vector<WalkedItem> items = NoteCommandTargets(view);
    switch (command) {
        case note_cmd::kKeyVelocity:
            return ApplyToTargets(view, items, [](EventRecord& n, int v) {
                n.velocity = static_cast<int8_t>(std::clamp(v, -127, 127));
            }, value);
        case note_cmd::kAttackDelay:
            return ApplyToTargets(view, items, [](EventRecord& n, int v) {
                const DelayLimits limits = ResetNoteDefaults(&n);
                n.attack = static_cast<int16_t>(std::clamp(v, -limits.limit, limits.limit));
            }, value);
        case note_cmd::kReleaseDelay:
            return ApplyToTargets(view, items, [](EventRecord& n, int v) {
                const DelayLimits limits = ResetNoteDefaults(&n);
                n.release = static_cast<int16_t>(std::clamp(v, -limits.limit, limits.releaseMax));
            }, value);
        case note_cmd::kTimbre:
            return ApplyToTargets(view, items, [](EventRecord& n, int v) {
                SetNoteTimbre(n, std::clamp(v, -1, 3) + 1);
            }, value);
        case note_cmd::kCrossStaff:
            return ToggleCrossStaffGroups(view, value != 0 ? 1 : 0);
        case note_cmd::kTranspose:
            return TransposeNotes(view, items, value);
        default:
            return 0;
    }
}

int TransposeNotes(ScoreView* view, const std::vector<WalkedItem>& items, int semitones) {
    if (items.empty() || semitones == 0) return 0;
    MeasureBlock block{items.front().staff, items.front().staff, items.front().measure,
                       items.front().measure};
    for (const WalkedItem& item : items) {
        block.firstStaff = std::min(block.firstStaff, item.staff);
        block.lastStaff = std::max(block.lastStaff, item.staff);
        block.firstMeasure = std::min(block.firstMeasure, item.measure);
        block.lastMeasure = std::max(block.lastMeasure, item.measure);
    }
    ViewPlaceKeeper keep(view);
    const TransposeOutcome outcome = TransposeSelection(view, block, semitones);
    return !outcome.refused && outcome.notesMoved > 0 ? 1 : 0;
}

}  // namespace ql
