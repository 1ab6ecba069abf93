// Ties between notes apart, as slurs (see musicxml_ties.h).
//
// Times are whole-note fractions from the score's start, each measure as long as
// the converted score makes it, so a note that ends at its barline meets the next
// measure's first beat.
#include "interchange/musicxml/musicxml_ties.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "interchange/musicxml/musicxml_measures.h"

namespace ql::musicxml {
namespace {

// `time` plus `num`/`den` whole notes, reduced so that equal times compare equal.
WholeNotes Plus(const WholeNotes& time, int64_t num, int64_t den) {
    return ReducedWholeNotes(time.num * den + num * time.den, time.den * den);
}

bool Before(const WholeNotes& a, const WholeNotes& b) {
    return a.num * b.den < b.num * a.den;
}

struct TiedNote {
    WholeNotes start;
    WholeNotes end;
    size_t order = 0;  // document order
    MxlNote* note = nullptr;
};

constexpr int kFirstTieSlur = 17;  // slur numbers above the file's 1..16
constexpr int64_t kQuartersPerWhole = 4;  // divisions count quarter notes

// The part's notes that start or end a tie, of all its staves, in time order.
std::vector<TiedNote> TiedNotesOf(MxlPart& part, const std::vector<WholeNotes>& lengths) {
    std::vector<TiedNote> notes;
    WholeNotes measureStart;
    int64_t divisions = 1;
    size_t order = 0;
    for (size_t m = 0; m < part.measures.size() && m < lengths.size(); ++m) {
        MxlMeasure& measure = part.measures[m];
        if (measure.divisions != 0) divisions = measure.divisions;
        const int64_t perWhole = kQuartersPerWhole * divisions;
        int64_t cursor = 0, onset = 0;
        for (MxlItem& item : measure.items) {
            if (item.kind == MxlItemKind::Backup) cursor = std::max<int64_t>(0, cursor - item.amount);
            if (item.kind == MxlItemKind::Forward) cursor += item.amount;
            if (item.kind != MxlItemKind::Note) continue;
            MxlNote& note = item.note;
            if (!note.chord) onset = cursor;
            if (!note.rest && (note.tieStart || note.tieStop))
                notes.push_back({Plus(measureStart, onset, perWhole),
                                              Plus(measureStart, onset + note.duration, perWhole), order++, &note});
            if (!note.chord) cursor += note.duration;
        }
        measureStart = Plus(measureStart, lengths[m].num, lengths[m].den);
    }
    std::stable_sort(notes.begin(), notes.end(), [](const TiedNote& a, const TiedNote& b) {
        return Before(a.start, b.start) || (!Before(b.start, a.start) && a.order < b.order);
    });
    return notes;
}

int PitchOf(const MxlNote& note) {
    static constexpr char kSteps[] = "CDEFGAB";
    const char* step = std::find(kSteps, kSteps + 7, note.step);
    return (note.octave * 7 + static_cast<int>(step - kSteps)) * 8 + note.alter;
}

// The first note's tie becomes a slur to the second.
void RewriteAsSlur(MxlNote& first, MxlNote& second, int number) {
    first.tieStart = false;
    second.tieStop = false;
    first.slurs.push_back({number, true, first.tieSide});
    second.slurs.push_back({number, false, 0});
}

}  // namespace

void TiesApartAsSlurs(MxlScore& score, ImportReport& skipped) {
    const std::vector<WholeNotes> lengths = PlanMeasures(score).lengths;
    for (MxlPart& part : score.parts) {
        int nextSlur = kFirstTieSlur;
        // (staff, voice, pitch) -> its start
        std::map<std::tuple<int, int, int>, const TiedNote*> open;
        for (const TiedNote& tied : TiedNotesOf(part, lengths)) {
            MxlNote& note = *tied.note;
            const int pitch = PitchOf(note);
            // A stop ends the open tie of its staff, voice and pitch; else one of its
            // pitch in another voice, on its staff before another staff.
            auto started = open.find({note.staff, note.voice, pitch});
            for (const bool sameStaff : {true, false})
                if (note.tieStop && started == open.end())
                    started = std::find_if(open.begin(), open.end(), [&](const auto& entry) {
                        return std::get<2>(entry.first) == pitch && (!sameStaff || std::get<0>(entry.first) == note.staff);
                    });
            if (started != open.end()) {
                const TiedNote& from = *started->second;
                open.erase(started);
                if (from.note->grace || note.grace || from.note->staff != note.staff) {
                    from.note->tieStart = false;
                    note.tieStop = false;
                    skipped.Count(from.note->staff != note.staff ? kTiesAcrossStaves : kTiesOnGraceNotes);
                } else if (Before(from.end, tied.start) || Before(tied.start, from.end)) {
                    RewriteAsSlur(*from.note, note, nextSlur++);
                    skipped.Count(kTiesAsSlurs);
                }
            }
            if (note.tieStart) open[{note.staff, note.voice, pitch}] = &tied;
        }
    }
}

}  // namespace ql::musicxml
