// Step entry's handling of one MIDI message: the pedal, a key that starts or joins
// the chord at the cursor, a release that moves the cursor past the chord, and the
// pedal commands. Each key's note goes in through note entry (InsertNoteAtCursor,
// with the entry context's fromMidi set so that the note is spelled from the key and
// not sounded) inside one undoable edit.
#include "notes/step_entry/step_entry.h"

#include <array>

#include "core/constants.h"
#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/tool_services.h"
#include "core/undo/undo.h"
#include "display/view_location.h"
#include "notes/entry/note_entry.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/pitch/spelling.h"
#include "notes/rests/staff_place.h"
#include "notes/step_entry/step_entry_output.h"

namespace ql {

namespace {

constexpr uint32_t kKindMask = 0xF0;
constexpr uint32_t kNoteOffKind = 0x80;
constexpr uint32_t kNoteOnKind = 0x90;
constexpr uint32_t kControllerKind = 0xB0;
constexpr int kDataMask = 0x7F;
constexpr int kData1Shift = 8;
constexpr int kData2Shift = 16;
constexpr uint8_t kNoteType = TypeCode(ObjectType::Note);
// The selection's entry flags after a key was entered.
constexpr uint8_t kStepEntryFlags = 1;

// The pedal commands: key, the Notes palette button it presses (mode 0) and the
// DurationCode of the rest it enters (mode 1). Buttons 1..6 are whole .. 32nd.
struct PedalCommand {
    int key;
    int button;
    int restCode;
};
constexpr std::array<PedalCommand, 6> kPedalCommands = {{
    {55, 1, 12}, {57, 2, 11}, {59, 3, 10}, {60, 4, 9}, {62, 5, 8}, {64, 6, 7},
}};

StepEntryState& StepState() {
    static StepEntryState state;
    return state;
}

int Data1(uint32_t message) { return static_cast<int>(message >> kData1Shift) & kDataMask; }
int Data2(uint32_t message) { return static_cast<int>(message >> kData2Shift) & kDataMask; }

bool CanEnter(const ScoreView* view) {
    return view != nullptr && view->document != nullptr && view->currentCell != nullptr &&
           view->currentStaffRecord != nullptr;
}

// The staff position a key is spelled at under the clef and key of the current cell;
// the position the pointer stands at when spelling refuses (a damaged cell).
int PositionOfKey(ScoreView* view, int key) {
    const MeasureCell& cell = *view->currentCell;
    EventRecord probe{};
    probe.step = static_cast<uint8_t>(StepAtY(view, view->pointerPoint.y));
    SpellPitch(view, CellClef(cell), key, CellClef(cell), CellKey(cell), probe);
    return static_cast<int8_t>(probe.step);
}

// Inserts one note for a key with note entry told that it comes from MIDI.
EventRecord* InsertKey(ScoreView* view, int key) {
    NoteEntryContext& context = State().notes.NoteEntry;
    SetNoteCursorContext(view);
    context.fromMidi = 1;
    context.midiKey = static_cast<int16_t>(key);
    EventRecord* note = InsertNoteAtCursor(view);
    context.fromMidi = 0;
    context.midiKey = -1;
    return note;
}

void RememberFirstNote(int32_t pointerX, const EventRecord& note) {
    StepEntryState& step = StepState();
    step.stepChordOpen = 1;
    step.stepNote = HandleOfEvent(&note);
    step.stepNoteTime = note.time;
    step.stepNoteTicks = EventDurationTicks(note);
    step.stepPointerX = pointerX;
    step.stepNoteCode = note.duration;
    step.stepNoteDots = static_cast<uint8_t>(note.word2 & kEventDotsMask);
}

// A key pressed with the pedal up: the pointer goes to the key's staff position (at
// the open chord's x, so that the note joins the chord) and a note is inserted there.
// The x the chord was entered at is kept, not where entry leaves the pointer.
void EnterKey(ScoreView* view, int key) {
    StepEntryState& step = StepState();
    const int x = step.stepChordOpen != 0 ? step.stepPointerX : view->pointerPoint.x;
    MovePointerToPoint(view, x, PositionY(view, PositionOfKey(view, key)));
    SelectionState* selection = TheSelectionState();
    if (selection != nullptr) selection->rebuildRequested = 1;  // the voice's handles are rebuilt
    EventRecord* note = nullptr;
    {
        UndoStep undo(view->document, view, UndoKind::Item, kNoteType, UndoVerb::Add);
        note = InsertKey(view, key);
    }
    if (note == nullptr) return;
    if (step.stepChordOpen == 0) RememberFirstNote(x, *note);
    if (selection != nullptr) selection->entryFlags = kStepEntryFlags;
}

// A key released with the pedal up closes the chord and moves the cursor past it.
void ReleaseKey(ScoreView* view) {
    StepEntryState& step = StepState();
    if (step.stepChordOpen == 0) return;
    step.stepChordOpen = 0;
    step.stepNote = RecordHandle{};
    ScrollToNoteCursor(view, step.stepNoteTime, step.stepNoteTicks);
}

void PedalKey(ScoreView* view, int key) {
    StepEntryState& step = StepState();
    if (key == kRestModeKey) {
        step.stepRestMode ^= 1u;
        return;
    }
    for (const PedalCommand& command : kPedalCommands) {
        if (command.key != key) continue;
        if (step.stepRestMode == 0) {
            DrawToolButtonPressed(view, kNotesPaletteSet, command.button);
        } else {
            EnterRestAtCursor(view, command.restCode);
        }
        return;
    }
}

void EnterMessage(ScoreView* view, uint32_t message) {
    StepEntryState& step = StepState();
    const uint32_t kind = message & kKindMask;
    const bool isNoteOn = kind == kNoteOnKind && Data2(message) > 0;
    const bool isNoteOff = kind == kNoteOffKind || (kind == kNoteOnKind && Data2(message) == 0);
    if (kind == kControllerKind) {
        if (Data1(message) == kStepPedalController) step.stepPedalDown = Data2(message) != 0 ? 1 : 0;
    } else if (isNoteOn) {
        if (step.stepPedalDown != 0) {
            PedalKey(view, Data1(message));
        } else {
            // "Multinote Mode" off: keys held together are notes one after another.
            if (Options().PolyMode == 0) ReleaseKey(view);
            EnterKey(view, Data1(message));
        }
    } else if (isNoteOff && step.stepPedalDown == 0) {
        ReleaseKey(view);
    }
}

}  // namespace

const StepEntryState& StepEntryNow() { return StepState(); }

void ResetStepEntry() { StepState() = StepEntryState{}; }

bool IsStepEntryActive() {
    return Options().AllowStepEntry != 0 && State().sequencer.StepEntryEnabled != 0 &&
           PlaybackFlags().SequencerRunning.load(std::memory_order_acquire) == 0;
}

void StepEntryFromMidiInput(ScoreView* view, uint32_t message) {
    if (!IsStepEntryActive() || !CanEnter(view)) {
        SendStepThru(message);
        return;
    }
    EchoToStaffPort(view, message);
    EnterMessage(view, message);
}

}  // namespace ql
