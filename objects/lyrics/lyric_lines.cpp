#include "objects/lyrics/lyric_lines.h"

#include <algorithm>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "layout/spacing/accidental_columns.h"
#include "layout/spacing/spacing_collect.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "objects/lyrics/lyric.h"

namespace ql {
namespace {

constexpr int32_t kUnitsPerStep = 64;
constexpr int32_t kHalfHead = 32;
// How far below its note's line an accidental's ink reaches: a sharp's or a
// natural's foot, and a flat's belly.
constexpr int32_t kUprightSignDrop = 3 * kUnitsPerStep;
constexpr int32_t kFlatSignDrop = kUnitsPerStep;

// The lowest ink of an event under the bottom line: its head and its accidental,
// and the end of a stem that points down.
int32_t EventInk(const EventRecord& event) {
    const int32_t head = static_cast<int8_t>(event.step) * kUnitsPerStep;
    const int32_t stemEnd = event.stemLength > 0 ? head + event.stemLength : head;
    int32_t sign = 0;
    if (NoteHasAccidental(event)) {
        const int code = NoteAccidentalCode(event);
        sign = code == CodeOf(AccidentalCode::Sharp) || code == CodeOf(AccidentalCode::Natural) ? kUprightSignDrop
                                                                                                : kFlatSignDrop;
    }
    return std::max({head + kHalfHead, head + sign, stemEnd});
}

}  // namespace

void PlanLyricLines(const LyricLineNeeds& needs, uint16_t levels[4]) {
    const int32_t first = std::max(kLeastFirstLyricLine, needs.lowestInk + kLyricLineGap + needs.ascent);
    const int32_t step = std::max(needs.height, kUnitsPerStep) + kLyricLineGap / 2;
    for (int line = 0; line < kVerseCount; ++line)
        levels[line] = static_cast<uint16_t>(std::min<int32_t>(first + line * step, INT16_MAX));
}

LyricLineNeeds MeasureLyricLineNeeds(ScoreDocument* document) {
    LyricLineNeeds needs;
    if (document == nullptr) return needs;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        bool lyrics = false;
        int32_t lowest = 0;
        for (int measure = 0; measure <= document->header.measureCount; ++measure) {
            MeasureCell* cell = FindMeasureCell(document, staff, measure);
            for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice) {
                EventRecord* e = GetVoiceFirstEvent(cell, voice);
                for (int walked = 0; e != nullptr && walked < kMaxChainLength; e = NextEvent(e), ++walked) {
                    if (IsHeadSentinel(*e)) continue;
                    lowest = std::max(lowest, EventInk(*e));
                    for (int verse = 0; verse < kVerseCount; ++verse) {
                        const TextObject* lyric = FindLyricOnNote(e, verse);
                        if (lyric == nullptr) continue;
                        lyrics = true;
                        needs.ascent = std::max<int32_t>(needs.ascent, lyric->body.baseline);
                        needs.height = std::max(needs.height, lyric->body.height);
                    }
                }
            }
        }
        if (!lyrics) continue;
        needs.any = true;
        needs.lowestInk = std::max(needs.lowestInk, lowest);
    }
    return needs;
}

bool PlaceLyricLines(ScoreDocument* document) {
    const LyricLineNeeds needs = MeasureLyricLineNeeds(document);
    if (!needs.any) return false;
    PlanLyricLines(needs, document->header.lyricLevels);
    return true;
}

}  // namespace ql
