// The range a clef, key or time change covers on one staff, from a start measure and
// tick: up to the first change already there, through a given measure, or to the end
// of the piece; and whether notes stand in it. The clef and key operations, their
// tools and dialogs and the time-signature code share it.
//
// Method: the value in force at (start, tick) is read (ClefAtTick, KeySignatureAtTick,
// or the cell's time signature); measures are walked from the start. Mode UpToChange
// stops at the first later measure whose cell value differs (end = that measure, end
// tick 0) or at the first change object that differs: in the start measure the
// nearest after the tick, in later measures the earliest (end = its measure, end tick
// = its tick); time changes are looked for in the cells only. Mode Through stops at
// the given end measure; ToEnd, and every walk that passes measureCount + 2, ends at
// measureCount + 5. Every measure walked whose cell holds an event in any voice sets
// notes = -1 and last = measure + 1. A start past measureCount + 2 gives
// {0, measureCount + 5, 0, start}. Damaged cells (no cell, looping lists, codes out of
// range) are read as they are and never followed past kMaxCellObjects.
#pragma once

namespace ql {

struct ScoreDocument;

enum class ChangeWhat { Clef = 0, Key = 1, Time = 2 };
enum class ChangeRangeMode { UpToChange = 0, Through = 1, ToEnd = 2 };

struct ChangeRange {
    int notes = 0;    // -1 when the range holds notes
    int end = 0;      // first measure after the range (or the measure of a change object)
    int endTick = 0;  // tick of the change object that ends it, else 0
    int last = 0;     // measure after the last one with notes (the start when none)
};

ChangeRange ComputeChangeRange(ScoreDocument* document, ChangeWhat what, ChangeRangeMode mode,
                               int staff, int startMeasure, int startTick, int endMeasure);

}  // namespace ql
