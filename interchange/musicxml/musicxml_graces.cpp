// The places of grace notes (see musicxml_graces.h).
#include "interchange/musicxml/musicxml_graces.h"

#include <algorithm>
#include <vector>

namespace ql::musicxml {
namespace {

bool IsGrace(const MxlItem& item) {
    return item.kind == MxlItemKind::Note && item.note.grace;
}

bool IsPrincipal(const MxlItem& item, int voice) {
    return item.kind == MxlItemKind::Note && !item.note.grace && !item.note.chord && item.note.voice == voice;
}

// A direction, sign or mark between a grace note and its note takes no time: it
// does not part them.
bool TakesNoTime(const MxlItem& item) {
    return item.kind != MxlItemKind::Note && item.kind != MxlItemKind::Backup && item.kind != MxlItemKind::Forward;
}

// Numbers the grace chords of items [first, end) from `from` on, one step each.
void Number(std::vector<MxlItem>& items, size_t first, size_t end, int from) {
    int place = from - 1;
    for (size_t k = first; k < end; ++k) {
        if (k == first || !items[k].note.chord) ++place;
        items[k].note.graceOffset = place;
    }
}

int ChordsIn(const std::vector<MxlItem>& items, size_t first, size_t end) {
    int chords = 0;
    for (size_t k = first; k < end; ++k) chords += (k == first || !items[k].note.chord) ? 1 : 0;
    return chords;
}

void PlaceInMeasure(std::vector<MxlItem>& items) {
    for (size_t first = 0; first < items.size();) {
        if (!IsGrace(items[first])) {
            ++first;
            continue;
        }
        const int voice = items[first].note.voice;
        size_t end = first;
        while (end < items.size() && IsGrace(items[end]) && items[end].note.voice == voice) ++end;
        const int chords = ChordsIn(items, first, end);
        size_t before = first;  // the last note of the voice before the graces
        while (before > 0 && !IsPrincipal(items[before - 1], voice)) --before;
        size_t after = end;
        while (after < items.size() && TakesNoTime(items[after])) ++after;
        const bool leads = after < items.size() && IsPrincipal(items[after], voice);
        if (leads || before == 0) {
            Number(items, first, end, -chords);
        } else {
            Number(items, first, end, 1);
            std::rotate(items.begin() + static_cast<long>(before - 1), items.begin() + static_cast<long>(first),
                        items.begin() + static_cast<long>(end));
        }
        first = end;
    }
}

}  // namespace

void PlaceGraceNotes(MxlScore& score) {
    for (MxlPart& part : score.parts)
        for (MxlMeasure& measure : part.measures) PlaceInMeasure(measure.items);
}

}  // namespace ql::musicxml
