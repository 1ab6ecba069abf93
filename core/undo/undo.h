// Undo, redo and checkpoints on memory: each shadowed pool block keeps its live half
// as of the last capture, and the document keeps baselines of its descriptors, measure
// table and header. A bracketed edit (UndoStep) records the old bytes of what differs;
// applying a record swaps them back, so one record serves undo and redo. Brackets nest:
// only the outermost captures, after absorbing unrecorded changes made between edits.
#pragma once

#include <cstdint>
#include <vector>

#include "core/model/grid_records.h"
#include "core/memory/pool.h"
#include "core/model/score_document.h"
#include "core/model/staff_mix.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScorePage;
struct ScoreSystem;

constexpr int kUndoStackLimit = 17;  // undo records kept; older ones are freed
constexpr int kFirstUndoPool = 2;    // pools 2..10 are compared and restored
constexpr int kLastUndoPool = 10;

// Verb of an edit (first word of the Undo label).
enum class UndoVerb : uint8_t {
    None = 0,
    Add = 1,
    Place = 2,
    Insert = 3,
    Paste = 4,
    Change = 5,
    Modify = 6,
    Move = 7,
    Hide = 8,
    Unhide = 9,
    Renum = 10,
    Format = 11,
    Delete = 12,
    Flip = 13,
    Expand = 14,
    Create = 15,
    Fan = 16,
    Copy = 17,
};
// What was edited (second word of the Undo label); Item means "use the type name".
enum class UndoKind : uint8_t {
    None = 0,
    Item = 1,
    Page = 2,
    System = 3,
    Staff = 4,
    Measure = 5,
    Barline = 6,
    Note = 7,
    Stem = 8,
    Sound = 9,
    NoteHead = 10,
    Beam = 11,
    Brace = 12,
    Bracket = 13,
    Block = 14,
    Second = 15,
    MMR = 16,
    Dots = 17,
    Font = 18,
    Enharmonic = 19,
    Pitch = 20,
    Velocity = 21,
    Attack = 22,
    Release = 23,
    Timbre = 24,
    Margin = 25,
    Setting = 26,
};
constexpr int kUndoVerbCount = 18;
constexpr int kUndoKindCount = 27;

// The view position before or after an edit.
struct UndoViewState {
    ScoreView* view = nullptr;
    ScorePage* currentPage = nullptr;
    ScoreSystem* currentSystem = nullptr;
    ScorePage* galleyPage = nullptr;
    ScoreSystem* galleySystem = nullptr;
    int32_t originX = 0;
    int32_t originY = 0;
    uint16_t measure = 0;
    uint8_t staff = 0;
    uint8_t zoom = 0;
    uint8_t pageView = 0;
};

// A pool descriptor as it was (or, after an apply, as it is to become again).
struct DescriptorDiff {
    RecordPool descriptor;
    uint16_t pool;
};

// A run of consecutive slots of one block and their other bytes.
struct SlotRun {
    uint16_t count = 0;
    uint16_t firstSlot = 0;
    uint16_t slotSize = 0;
    uint8_t pool = 0;
    uint8_t block = 0;
    std::vector<std::byte> bytes;  // count x slotSize
};

// A run of consecutive measure records and their other contents.
struct MeasureRun {
    uint16_t first = 0;
    uint16_t count = 0;
    std::vector<MeasureRecord> records;
};

// An entry of the document's face-name table as it was (a face a paste from
// another score added, say).
struct FaceDiff {
    FaceNameEntry entry;
    uint8_t index = 0;
};

// One step of the undo or redo stack. Outside the pools; owned by the stack it is on
// (the document's undoStack/redoStack), freed by FreeUndoStack.
struct UndoRecord {
    UndoRecord* self = nullptr;  // its own address; anything else ends a stack
    UndoRecord* next = nullptr;  // next older record of the same stack
    ScoreHeader header{};        // the header on the other side of the edit
    std::vector<DescriptorDiff> descriptorDiffs;
    std::vector<SlotRun> slotRuns;
    std::vector<MeasureRun> measureRuns;
    std::vector<FaceDiff> faceDiffs;
    // The mix of the staves the last apply took away (an undone insertion's staff),
    // given back when the next apply brings them back; not counted in `size`.
    StaffMixByRecord departedStaffMix;
    uint32_t size = 0;          // bytes held by the record and its nodes
    uint32_t changes = 0;       // descriptors + slots + measure records + header
    UndoViewState stateBefore;  // position to return to when this record is applied
    UndoViewState stateAfter;
    uint16_t sequence = 0;   // 1 + the sequence of the record below it
    uint8_t kind = 0;        // UndoKind
    uint8_t objectType = 0;  // ObjectType code
    uint8_t verb = 0;        // UndoVerb
};

// ---- Brackets ----

// Opens an edit. Only the outermost call notes the start state (after absorbing
// changes made since the last capture); inner calls only fill kind, type and verb
// where these are still 0. Nothing while a checkpoint is active or undo is suspended.
void BeginUndoableEdit(ScoreDocument* document, int32_t word1, int32_t word2, int32_t word3,
                       ScoreView* view, UndoKind kind, uint8_t objectType, UndoVerb verb);
// Closes an edit. The outermost call captures when the change counter moved, the verb
// is not None and a start state exists, then counts the edit towards autosave.
void EndUndoableEdit(ScoreDocument* document, int32_t word1, int32_t word2, int32_t word3,
                     ScoreView* view, UndoKind kind, uint8_t objectType, UndoVerb verb);

// Scope guard: Begin on construction, End with the same arguments on every exit.
class UndoStep {
  public:
    UndoStep(ScoreDocument* document, ScoreView* view, UndoKind kind, uint8_t objectType,
             UndoVerb verb);
    ~UndoStep();
    UndoStep(const UndoStep&) = delete;
    UndoStep& operator=(const UndoStep&) = delete;

  private:
    ScoreDocument* document_;
    ScoreView* view_;
    UndoKind kind_;
    uint8_t objectType_;
    UndoVerb verb_;
};

// Bulk operations (Standard MIDI File import, staff removal) suspend undo while they
// run: no step is opened or closed. Program-wide.
bool UndoSuspended();
void SetUndoSuspended(bool suspended);
class ScopedUndoSuspension {
  public:
    ScopedUndoSuspension() : saved_(UndoSuspended()) { SetUndoSuspended(true); }
    ~ScopedUndoSuspension() { SetUndoSuspended(saved_); }
    ScopedUndoSuspension(const ScopedUndoSuspension&) = delete;
    ScopedUndoSuspension& operator=(const ScopedUndoSuspension&) = delete;

  private:
    bool saved_;
};

// ---- Baseline, capture, apply ----

// Copies descriptors, live halves (pools 2..10), measure table, header and face
// table into the baseline and shadows; marks the baseline valid; makes the document's set current.
ScoreDocument* TakeUndoBaseline(ScoreDocument* document);
// The reverse copy of all five; makes the document's set current. Nothing while no
// baseline is valid (StartUndoHistory leaves it to the first edit).
void RestoreUndoBaseline(ScoreDocument* document);
// → 1 when a record was pushed on the undo stack, else 0.
int CaptureUndoRecord(ScoreDocument* document);
// Swaps the record's contents with the document's, repairs what depends on them
// (first page, internal distances, caches, selection, every view's position) and
// exchanges the record's before and after states.
void ApplyUndoRecord(ScoreDocument* document, ScoreView* view, UndoRecord* record);

// ---- Commands ----

// Undo and Redo, like the outermost Begin, first take changes made since the last
// capture into the baseline unrecorded. When such changes left a record live in a
// pool (a galley page, a note of MIDI step entry) or freed one the history knows (a
// note deleted by step entry), the first record that would restore that pool's
// descriptor or a place the changes rewrote is dropped with the records beyond it:
// it would hand a live record out a second time, link a freed one again or lose its
// slot.
void UndoCommand(ScoreDocument* document, ScoreView* view);  // command 57643
void RedoCommand(ScoreDocument* document, ScoreView* view);  // command 57644
// Frees a stack from the record down; stops at a record whose self is wrong.
void FreeUndoStack(UndoRecord* record);
// Frees both stacks, takes a new baseline, clears the availability flags and the
// verb, and disables the Undo and Redo buttons.
void ClearUndoHistory(ScoreDocument* document);
// ClearUndoHistory for a score just made or read, which has no history yet: the
// baseline is left to the first edit (BeginUndoableEdit takes it when none is
// valid), so that a score opened only to be read or printed never copies its pools.
// While a checkpoint is active the baseline is taken at once, as Revert needs it.
void StartUndoHistory(ScoreDocument* document);
void CheckpointStart(ScoreDocument* document);                        // command 40208
void RevertToUndoBaseline(ScoreDocument* document, ScoreView* view);  // command 40209

// Records on each stack (stopping at a record whose self is wrong).
int UndoDepth(const ScoreDocument* document);
int RedoDepth(const ScoreDocument* document);

// Test hook: after `skip` more successful allocations of undo records or nodes, the
// next `count` fail as if memory were exhausted. A count of 0 switches it off.
void FailNextUndoAllocations(int count, int skip = 0);

}  // namespace ql
