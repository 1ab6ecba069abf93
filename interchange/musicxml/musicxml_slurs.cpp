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

// The part's slur ends in time order; stops come before starts at one time, so
// a number that ends and starts again on one chord pairs as two slurs.
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
        return std::tuple(a.measure, a.time, a.Start(), a.order) < std::tuple(b.measure, b.time, b.Start(), b.order);
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

namespace {

// Removes the first start (or stop) of slur `number` from `slurs`; false when there is none.
bool EraseSlurEnd(std::vector<MxlSlur>& slurs, bool start, int number) {
    const auto found = std::find_if(slurs.begin(), slurs.end(), [&](const MxlSlur& slur) {
        return slur.start == start && slur.number == number;
    });
    if (found == slurs.end()) return false;
    slurs.erase(found);
    return true;
}

}  // namespace

void GraceSlurs::Leave(int part, const MxlNote& grace) {
    std::vector<MxlSlur>& waiting = waiting_[{part, grace.voice}];
    for (const MxlSlur& slur : grace.slurs) {
        // A slur from one grace note to another never reaches a principal note.
        if (!slur.start && EraseSlurEnd(waiting, true, slur.number)) {
            skipped_.Count(kSlursOnGraceNotes);
            continue;
        }
        waiting.push_back(slur);
    }
}

void GraceSlurs::Land(int part, MxlNote& note, MxlMeasure& measure) {
    if (note.chord) {
        if (landedMeasure_ != &measure || landedPart_ != part || landedVoice_ != note.voice) return;
        std::vector<MxlSlur>& head = measure.items[landedItem_].note.slurs;
        std::erase_if(landedStarts_, [&](int number) {
            if (!EraseSlurEnd(note.slurs, false, number)) return false;
            EraseSlurEnd(head, true, number);
            skipped_.Count(kSlursOnGraceNotes);
            return true;
        });
        return;
    }
    landedMeasure_ = nullptr;
    landedStarts_.clear();
    const auto found = waiting_.find({part, note.voice});
    if (found == waiting_.end()) return;
    for (const MxlSlur& slur : found->second) {
        if (slur.start && EraseSlurEnd(note.slurs, false, slur.number)) {
            skipped_.Count(kSlursOnGraceNotes);
            continue;
        }
        if (slur.start) landedStarts_.push_back(slur.number);
        note.slurs.push_back(slur);
    }
    waiting_.erase(found);
    landedPart_ = part;
    landedVoice_ = note.voice;
    landedMeasure_ = &measure;
    landedItem_ = measure.items.size();
}

void GraceSlurs::Finish() {
    for (const auto& [voice, slurs] : waiting_) skipped_.Count(kSlursOnGraceNotes, static_cast<int>(slurs.size()));
    waiting_.clear();
}

}  // namespace ql::musicxml
