// Extender lines of lyrics (see the header).
#include "objects/lyrics/lyric_extender.h"

#include <algorithm>
#include <cstring>

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/view_drawing.h"
#include "core/model/event_record.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "display/view_location.h"
#include "objects/lyrics/lyric.h"
#include "objects/lyrics/lyric_hyphen.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"

namespace ql {

namespace {

constexpr int32_t kUsualHeadAdvance = 160;
constexpr int32_t kGapAfterSyllable = 32;  // a quarter space
constexpr int32_t kShortestLine = 64;      // half a space

// The voice of the cell whose chain holds `note`; -1 when none does.
int VoiceOf(MeasureCell* cell, const EventRecord* note) {
    for (int voice = 0; voice < kVoiceCount; ++voice)
        for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr && !IsHeadSentinel(*e); e = NextEvent(e))
            if (e == note) return voice;
    return -1;
}

struct MelismaEnd {
    int measure = 0;
    int time = 0;
};

// The last note the syllable on `owner` (in the view's current cell) is sung on.
MelismaEnd EndOfMelisma(ScoreView* view, EventRecord* owner, int verse) {
    ScoreDocument* document = view->document;
    MelismaEnd end{view->currentMeasure, owner->time};
    const int voice = VoiceOf(view->currentCell, owner);
    if (voice < 0) return end;
    const int lastMeasure = view->currentSystem->lastMeasure;
    int measure = view->currentMeasure;
    int length = view->currentMeasureLength;
    int next = owner->time + EventDurationTicks(*owner);  // where the next note must start
    EventRecord* e = NextEvent(owner);
    for (int n = 0; n < 2 * kMaxChainLength; ++n) {
        if (e == nullptr || IsHeadSentinel(*e)) {
            if (measure >= lastMeasure || next < length) break;
            ++measure;
            next -= length;
            const MeasureRecord* record = MeasureRecordOf(document, measure);
            MeasureCell* cell = ExistingMeasureCell(document, view->currentStaff, measure);
            if (record == nullptr || cell == nullptr) break;
            length = record->lengthTicks;
            e = GetVoiceFirstEvent(cell, voice);
            continue;
        }
        if (measure == end.measure && e->time == end.time) {  // a note of the same chord
            e = NextEvent(e);
            continue;
        }
        if (e->time != next) break;
        if (FindLyricOnNote(e, verse) != nullptr) break;  // the next syllable's note
        end = {measure, e->time};
        next = e->time + EventDurationTicks(*e);
        e = NextEvent(e);
    }
    return end;
}

}  // namespace

bool EndsWithExtender(std::string_view text) {
    return text.size() > 1 && text.back() == '_' && text[text.size() - 2] != '-' && text[text.size() - 2] != '_';
}

void DrawLyricExtender(ScoreView* view, TextObject* lyric) {
    if (view == nullptr || view->document == nullptr || view->currentCell == nullptr || view->currentSystem == nullptr)
        return;
    const char* string = TextObjectString(lyric);
    if (string == nullptr || !EndsWithExtender(string)) return;
    EventRecord* owner = ClassOf(&lyric->header).GetOwnerNote(&lyric->header);
    if (owner == nullptr) return;
    const MelismaEnd end = EndOfMelisma(view, owner, LyricVerse(lyric));
    if (end.measure == view->currentMeasure && end.time == owner->time) return;
    const int32_t head = std::max(GlyphMetricOf(*view->document, kBlackHeadCode).advance, 0);
    int32_t right = MeasureTickX(view, end.measure, end.time) + (head > 0 ? head : kUsualHeadAdvance);
    // Nor does it reach the next syllable of the verse, on whatever later note of the
    // staff it stands (another voice's, a grace note's), which the tight spacing of
    // its neighbours can bring under the melisma's last note.
    if (const NextSyllable next = FindNextSyllable(view, owner, LyricVerse(lyric)); next.lyric != nullptr)
        right = std::min(right, LeftOfSyllable(view, next) - kGapAfterSyllable);
    const LogicalPoint at = TextObjectAnchorPoint(&lyric->header, view);
    const int32_t left = at.x + lyric->body.width / 2 + kGapAfterSyllable;
    if (right - left < kShortestLine) return;
    BeginViewDraw(view);
    if (platform::DcHandle dc = view->ViewDC) {
        gfx::MoveTo(dc, {left, at.y});
        gfx::LineTo(dc, {right, at.y});
    }
    EndViewDraw(view);
}

}  // namespace ql
