// The document's repeat-ending list and the pass numbers of an ending's label (see
// repeat_ending_list.h). One pass over the measures, staves in order, reading each
// existing cell's object list up to the first ending.
#include "objects/spanners/repeat_ending_list.h"

#include <algorithm>
#include <cctype>
#include <new>

#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "objects/spanners/spanner_objects.h"

namespace ql {
namespace {

constexpr int kMaxListObjects = 64 * 1024;  // bound on one cell's object list
constexpr int kPassCount = 4;
constexpr int kLabelScanLimit = 32;  // characters of an owned label read for passes
constexpr int kLargestPass = 255;

// The first repeat ending in the cells of a measure, staves in order; null when none.
const RepeatEndingObject* FirstEndingOfMeasure(ScoreDocument* document, int measure) {
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
        ScoreObject* object = cell != nullptr ? cell->objects.get() : nullptr;
        for (int i = 0; object != nullptr && i < kMaxListObjects; ++i, object = object->next.get())
            if (object->type == TypeCode(ObjectType::RepeatEnding)) return AsRepeatEnding(object);
    }
    return nullptr;
}

// Each measure's answer, the earlier range in list order winning.
void IndexMeasures(RepeatEndingList* list, int measureCount) {
    list->rangeOfMeasure.assign(static_cast<size_t>(measureCount) + 1, int16_t{-1});
    for (size_t i = 0; i < list->ranges.size(); ++i) {
        const RepeatEndingRange& range = list->ranges[i];
        for (int m = range.firstMeasure; m <= range.lastMeasure && m <= measureCount; ++m)
            if (list->rangeOfMeasure[m] < 0) list->rangeOfMeasure[m] = static_cast<int16_t>(i);
    }
}

RepeatEndingList* BuildRepeatEndingList(ScoreDocument* document) {
    auto* list = new (std::nothrow) RepeatEndingList;
    if (list == nullptr) return nullptr;
    const int count = document->header.measureCount;
    for (int m = 1; m <= count; ++m) {
        const RepeatEndingObject* ending = FirstEndingOfMeasure(document, m);
        if (ending == nullptr) continue;
        RepeatEndingRange range;
        range.firstMeasure = static_cast<int16_t>(m);
        range.lastMeasure = static_cast<int16_t>(RepeatEndingLastMeasure(m, ending->span, count));
        std::copy(ending->passes, ending->passes + kPassCount, range.passes);
        list->ranges.push_back(range);
    }
    std::reverse(list->ranges.begin(), list->ranges.end());
    IndexMeasures(list, count);
    return list;
}

// The list, built when absent.
RepeatEndingList* EnsureRepeatEndingList(ScoreDocument* document) {
    if (document == nullptr) return nullptr;
    if (document->repeatEndings != nullptr && document->repeatEndings->holds > 0)
        document->repeatEndings->generation = document->editGeneration;
    if (document->repeatEndings != nullptr && document->repeatEndings->generation != document->editGeneration)
        FreeRepeatEndingList(document);
    if (document->repeatEndings == nullptr) {
        document->repeatEndings = BuildRepeatEndingList(document);
        if (document->repeatEndings != nullptr) document->repeatEndings->generation = document->editGeneration;
    }
    return document->repeatEndings;
}

// Up to four runs of digits of `text`, in order, into `passes`.
void ParsePassDigits(const char* text, uint8_t* passes) {
    int at = 0;
    for (int pass = 0; pass < kPassCount; ++pass) {
        while (at < kLabelScanLimit && text[at] != '\0' &&
               !std::isdigit(static_cast<unsigned char>(text[at])))
            ++at;
        if (at >= kLabelScanLimit || text[at] == '\0') return;
        int value = 0;
        while (at < kLabelScanLimit && std::isdigit(static_cast<unsigned char>(text[at]))) {
            value = std::min(value * 10 + (text[at] - '0'), kLargestPass + 1);
            ++at;
        }
        passes[pass] = static_cast<uint8_t>(value > kLargestPass ? 0 : value);
    }
}

}  // namespace

int RepeatEndingLastMeasure(int first, int span, int measureCount) {
    return std::min(std::max(first, first + span - 1), std::max(first, measureCount));
}

void FreeRepeatEndingList(ScoreDocument* document) {
    if (document == nullptr) return;
    delete document->repeatEndings;
    document->repeatEndings = nullptr;
}

const RepeatEndingList* GetRepeatEndingList(ScoreDocument* document) {
    const RepeatEndingList* list = EnsureRepeatEndingList(document);
    return list != nullptr && !list->ranges.empty() ? list : nullptr;
}

RepeatEndingListHold::RepeatEndingListHold(ScoreDocument* document)
    : document_(document), held_(EnsureRepeatEndingList(document)) {
    if (held_ != nullptr) ++held_->holds;
}

RepeatEndingListHold::~RepeatEndingListHold() {
    if (held_ != nullptr && document_->repeatEndings == held_) --held_->holds;
}

const RepeatEndingRange* FindRepeatEndingAtMeasure(ScoreDocument* document, ScoreView* /*view*/,
                                                   int measure) {
    const RepeatEndingList* list = EnsureRepeatEndingList(document);
    if (list == nullptr || measure < 0 || measure >= static_cast<int>(list->rangeOfMeasure.size()))
        return nullptr;
    const int16_t index = list->rangeOfMeasure[measure];
    return index >= 0 ? &list->ranges[index] : nullptr;
}

void ParsePassesOfLabel(const TextObject& label, uint8_t* passes) {
    std::fill(passes, passes + kPassCount, uint8_t{0});
    if ((label.body.flags & kTextOwnsString) == 0) {
        const uint16_t code = label.body.string;
        if (code < 0x80 && std::isdigit(code)) passes[0] = static_cast<uint8_t>(code - '0');
        return;
    }
    if (const char* text = TextObjectString(&label)) ParsePassDigits(text, passes);
}

void ParseRepeatPasses(RepeatEndingObject* ending) {
    ParsePassesOfLabel(ending->text, ending->passes);
}

}  // namespace ql
