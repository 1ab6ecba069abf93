// Tablature: the tuning row of a staff, strings under lines, frets to keys and back.
#include "notes/pitch/tablature.h"

#include "notes/pitch/pitch_tables.h"

namespace ql {
namespace {

const TabTuningRow* RowOf(int row) {
    const std::span<const TabTuningRow> rows = TabTuningRows();
    if (row < 0 || row >= static_cast<int>(rows.size())) return nullptr;
    return &rows[static_cast<size_t>(row)];
}

bool ServesProgram(const TabTuningRow& row, int program) {
    const int p = static_cast<int8_t>(program);
    return row.lowestProgram <= p && p <= row.highestProgram;
}

// The string under a line of the staff, through the staff's own tuning row.
int StaffString(const StaffRecord& staff, int line, int* row) {
    const int lines = StaffLineCount(staff);
    *row = TabTuningRowFor(StaffProgram(staff), lines);
    return TabStringOfLine(*row, lines, line);
}

}  // namespace

int TabTuningRowFor(int program, int lineCount) {
    const std::span<const TabTuningRow> rows = TabTuningRows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (ServesProgram(rows[i], program) && rows[i].stringCount >= lineCount)
            return static_cast<int>(i);
    return 0;
}

int TabStringOfLine(int row, int lineCount, int line) {
    const TabTuningRow* tuning = RowOf(row);
    if (tuning == nullptr || line < 0) return kTabRefused;
    const int string = tuning->stringCount - lineCount + line;
    return string >= 0 && string < tuning->stringCount ? string : kTabRefused;
}

int TabOpenStringKey(int row, int string) {
    const TabTuningRow* tuning = RowOf(row);
    if (tuning == nullptr || string < 0 || string >= tuning->stringCount) return kTabRefused;
    return tuning->openKeys[string];
}

int TabFretKey(int row, int string, int fret) {
    const int open = TabOpenStringKey(row, string);
    if (open == kTabRefused || fret < 0 || fret > kHighestTabFret) return kTabRefused;
    return open + fret;
}

int TabFretOfKey(int row, int string, int midiKey) {
    const int open = TabOpenStringKey(row, string);
    if (open == kTabRefused) return kTabRefused;
    const int fret = midiKey - open;
    return fret >= 0 && fret <= kHighestTabFret ? fret : kTabRefused;
}

int TabLineOfPosition(int position) {
    const int u = -position;
    if (u < 0 || u % 2 != 0 || u / 2 >= kMaxTabStrings) return kTabRefused;
    return u / 2;
}

int NoteTabFret(const EventRecord& note) {
    const int kind = NoteHeadKind(note);
    return kind >= kTabFretBase ? kind - kTabFretBase : 0;
}

bool SetNoteTabFret(EventRecord& note, int fret) {
    if (fret < 0 || fret > kHighestTabFret) return false;
    SetNoteHeadKind(note, kTabFretBase + fret);
    return true;
}

int TabNoteToMidiKey(const StaffRecord* staff, const EventRecord& note) {
    const int line = TabLineOfPosition(NotePosition(note));
    if (staff == nullptr || line == kTabRefused) return kTabNoStringKey;
    int row = 0;
    const int string = StaffString(*staff, line, &row);
    const int open = TabOpenStringKey(row, string);
    if (open == kTabRefused) return kTabNoStringKey;
    return open + NoteTabFret(note) + staff->semitones;
}

int TabStaffFretOfKey(const StaffRecord& staff, int line, int midiKey) {
    int row = 0;
    const int string = StaffString(staff, line, &row);
    return TabFretOfKey(row, string, midiKey - staff.semitones);
}

}  // namespace ql
