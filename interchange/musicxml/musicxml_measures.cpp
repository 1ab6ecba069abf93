// Measure lengths of a converted score. Each part's measure is read for the time
// signature in force at its start (a signature at the measure's start governs it,
// one inside it governs from the next barline) and the length of its music (the
// furthest point its notes, forwards and backups reach). The score's measure is
// the longest its parts ask for; a part with no music in a measure asks nothing
// unless none has any, when the signature holds.
#include "interchange/musicxml/musicxml_measures.h"

#include <algorithm>
#include <numeric>

namespace ql::musicxml {
namespace {

constexpr int kWholeType = 1;          // MxlNote::type of a whole note
constexpr int64_t kQuartersPerWhole = 4;  // divisions count quarter notes
constexpr int kMostBeats = 99;
constexpr int64_t kLargestBeatType = 64;
constexpr int kQuarterBeat = 4;

bool IsLonger(const WholeNotes& a, const WholeNotes& b) { return a.num * b.den > b.num * a.den; }

const WholeNotes& Longer(const WholeNotes& a, const WholeNotes& b) { return IsLonger(b, a) ? b : a; }

// One part's measure as the file gives it.
struct PartMeasure {
    bool present = false;
    bool implicit = false;
    bool signatureAtStart = false;  // the measure opens with a time signature
    WholeNotes signature{1, 1};     // in force at its start
    WholeNotes music;               // 0 when it has none
};

// Every part's measures, with the signatures in force from `initial` on.
std::vector<std::vector<PartMeasure>> ReadParts(const MxlScore& score, size_t measures, const WholeNotes& initial) {
    std::vector<std::vector<PartMeasure>> parts;
    for (const MxlPart& part : score.parts) {
        std::vector<PartMeasure>& read = parts.emplace_back(measures);
        int divisions = 1;
        WholeNotes signature = initial;
        for (size_t m = 0; m < part.measures.size(); ++m) {
            const MxlMeasure& measure = part.measures[m];
            if (measure.divisions != 0) divisions = measure.divisions;
            PartMeasure& here = read[m];
            here.present = true;
            here.implicit = measure.implicit;
            WholeNotes next = signature;
            int64_t cursor = 0, end = 0;
            for (const MxlItem& item : measure.items) {
                if (item.kind == MxlItemKind::Backup) cursor = std::max<int64_t>(0, cursor - item.amount);
                else if (item.kind == MxlItemKind::Forward) cursor += item.amount;
                else if (item.kind == MxlItemKind::Note && !item.note.chord) cursor += item.note.duration;
                else if (item.kind == MxlItemKind::Time) {
                    next = item.symbol == 0 ? ReducedWholeNotes(item.line, item.extra) : WholeNotes{1, 1};
                    if (end == 0) signature = next, here.signatureAtStart = true;
                }
                end = std::max(end, cursor);
            }
            here.signature = signature;
            here.music = ReducedWholeNotes(end, kQuartersPerWhole * divisions);
            signature = next;
        }
    }
    return parts;
}

// The length of the first full measure of a score without a time signature
// (before the first one it gives): the first measure with music that is neither
// implicit nor shorter than the measure after it (a pickup); else the longest.
WholeNotes FirstFullMeasure(const std::vector<std::vector<PartMeasure>>& parts, size_t measures) {
    std::vector<WholeNotes> music;
    std::vector<bool> implicit;
    for (size_t m = 0; m < measures; ++m) {
        WholeNotes longest;
        bool given = false, marked = false;
        for (const std::vector<PartMeasure>& part : parts) {
            longest = Longer(longest, part[m].music);
            given = given || part[m].signatureAtStart;
            marked = marked || part[m].implicit;
        }
        if (given) break;
        music.push_back(longest);
        implicit.push_back(marked);
    }
    WholeNotes longest;
    for (size_t m = 0; m < music.size(); ++m) {
        const bool pickup = m + 1 < music.size() && IsLonger(music[m + 1], music[m]);
        if (music[m].num > 0 && !implicit[m] && !pickup) return music[m];
        longest = Longer(longest, music[m]);
    }
    return longest;
}

// The time signature of a length: quarters when it is a whole number of them,
// else eighths, sixteenths ... as far as sixty-fourths; false when none fits.
bool SignatureOf(const WholeNotes& length, int& beats, int& beatType) {
    if (length.num <= 0 || (length.den & (length.den - 1)) != 0) return false;
    const int64_t type = std::max<int64_t>(length.den, kQuarterBeat);
    if (type > kLargestBeatType) return false;
    const int64_t count = length.num * type / length.den;
    if (count > kMostBeats) return false;
    beats = static_cast<int>(count);
    beatType = static_cast<int>(type);
    return true;
}

}  // namespace

WholeNotes ReducedWholeNotes(int64_t num, int64_t den) {
    // No length has a denominator of 0: such a value is nothing.
    const int64_t divisor = std::gcd(num, den);
    return den == 0 ? WholeNotes{0, 1} : WholeNotes{num / divisor, den / divisor};
}

MeasurePlan PlanMeasures(const MxlScore& score) {
    MeasurePlan plan;
    size_t measures = 0;
    for (const MxlPart& part : score.parts) measures = std::max(measures, part.measures.size());
    WholeNotes initial{1, 1};
    std::vector<std::vector<PartMeasure>> parts = ReadParts(score, measures, initial);
    const bool given = std::any_of(parts.begin(), parts.end(),
                                   [](const std::vector<PartMeasure>& part) { return !part.empty() && part[0].signatureAtStart; });
    plan.signatureUnwritten = !score.timeWritten;
    if (!given && SignatureOf(FirstFullMeasure(parts, measures), plan.beats, plan.beatType)) {
        initial = ReducedWholeNotes(plan.beats, plan.beatType);
        parts = ReadParts(score, measures, initial);
    }
    for (size_t m = 0; m < measures; ++m) {
        WholeNotes length, signature;
        for (const std::vector<PartMeasure>& part : parts) {
            const PartMeasure& here = part[m];
            if (!here.present) continue;
            signature = Longer(signature, here.signature);
            if (here.music.num == 0) continue;
            const bool asMusic = here.implicit || plan.signatureUnwritten || (m == 0 && IsLonger(here.signature, here.music));
            length = Longer(length, asMusic ? here.music : Longer(here.signature, here.music));
        }
        plan.lengths.push_back(length.num > 0 ? length : signature);
    }
    return plan;
}

bool FillsMeasure(const MxlNote& rest, int64_t cursor, int64_t measureDivisions) {
    if (!rest.rest || rest.chord) return false;
    if (rest.measureRest) return true;
    return cursor == 0 && (rest.type == kWholeType || rest.type == 0) && rest.duration == measureDivisions;
}

int64_t OffsetTime(int64_t cursor, int64_t offset, int64_t measureDivisions) {
    const int64_t moved = cursor + offset;
    const bool inside = moved >= 0 && (measureDivisions < 0 || moved < measureDivisions);
    return inside ? moved : cursor;
}

}  // namespace ql::musicxml
