#include "interchange/musicxml/musicxml_slurs.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

namespace ql::musicxml {
namespace {

// One end of a slur: where it stands in time, and the note that holds it.
struct SlurEnd {
    size_t measure = 0;
    int64_t time = 0;   // divisions from the measure's start
    size_t order = 0;   // document order
    MxlNote* note = nullptr;
    size_t index = 0;   // in the note's slurs
    bool Start() const { return note->slurs[index].start; }
};

// A note's place among the notes of its time: grace notes before their note
// (< 0), the note (0), grace notes after it (> 0).
int PlaceAtTime(const MxlNote& note) {
    return note.grace ? note.graceOffset : 0;
}

// The part's slur ends in time order (grace notes at their places about their
// note); stops come before starts at one place, so a number that ends and starts
// again on one chord pairs as two slurs.
std::vector<SlurEnd> SlurEndsOf(MxlPart& part) {
    std::vector<SlurEnd> ends;
    size_t order = 0;
    for (size_t m = 0; m < part.measures.size(); ++m) {
        int64_t cursor = 0, onset = 0;
        for (MxlItem& item : part.measures[m].items) {
            if (item.kind == MxlItemKind::Backup) cursor = std::max<int64_t>(0, cursor - item.amount);
            if (item.kind == MxlItemKind::Forward) cursor += item.amount;
            if (item.kind != MxlItemKind::Note) continue;
            if (!item.note.chord) onset = cursor;
            for (size_t i = 0; i < item.note.slurs.size(); ++i) ends.push_back({m, onset, order++, &item.note, i});
            if (!item.note.chord) cursor += item.note.duration;
        }
    }
    std::stable_sort(ends.begin(), ends.end(), [](const SlurEnd& a, const SlurEnd& b) {
        return std::tuple(a.measure, a.time, PlaceAtTime(*a.note), a.Start(), a.order) <
               std::tuple(b.measure, b.time, PlaceAtTime(*b.note), b.Start(), b.order);
    });
    return ends;
}

constexpr int kDropped = -1;  // the number of a slur end to be removed

}  // namespace

void DropSlursAcrossStaves(MxlScore& score, ImportReport& skipped) {
    for (MxlPart& part : score.parts) {
        // (voice, slur number) -> its start; as the writer does, a stop takes the
        // start of its own voice, else one of another voice with its number.
        std::map<std::pair<int, int>, SlurEnd> open;
        bool any = false;
        for (const SlurEnd& end : SlurEndsOf(part)) {
            MxlSlur& slur = end.note->slurs[end.index];
            if (slur.start) {
                open.try_emplace({end.note->voice, slur.number}, end);  // a second start is the writer's to count
                continue;
            }
            auto started = open.find({end.note->voice, slur.number});
            if (started == open.end())
                started = std::find_if(open.begin(), open.end(),
                                       [&](const auto& entry) { return entry.first.second == slur.number; });
            if (started == open.end()) continue;
            MxlNote* first = started->second.note;
            if (first->staff != end.note->staff) {
                first->slurs[started->second.index].number = kDropped;
                slur.number = kDropped;
                skipped.Count(kSlursAcrossStaves);
                any = true;
            }
            open.erase(started);
        }
        if (!any) continue;
        for (MxlMeasure& measure : part.measures)
            for (MxlItem& item : measure.items)
                std::erase_if(item.note.slurs, [](const MxlSlur& slur) { return slur.number == kDropped; });
    }
}

}  // namespace ql::musicxml
