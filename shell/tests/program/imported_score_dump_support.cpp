// The text dump of an imported score.
#include "shell/tests/program/imported_score_dump.h"

#include <sstream>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/state/notation_font_state.h"
#include "core/text/text_object.h"
#include "notes/drawing/note_fields.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/rest.h"
#include "notes/ties/ties.h"
#include "objects/lyrics/lyric.h"

namespace ql::testing {
namespace {

constexpr int kClefMask = 0x0F;
constexpr int kKeyShift = 4;

// One event: tick:value.dots@step and its marks.
void DumpEvent(std::ostringstream& events, EventRecord* e) {
    events << ((e->flags & kEventChordHead) != 0 ? " |" : " ") << e->time << ":" << int{e->duration} << "."
           << (e->word2 & kEventDotsMask) << "@" << int{static_cast<int8_t>(e->step)};
    if (NoteSizeClass(*e) == static_cast<int>(NoteSizeClass::Grace)) events << " grace" << int{e->nudge};
    if (NoteSizeClass(*e) == static_cast<int>(NoteSizeClass::Petite)) events << " petite";
    if ((e->flags & kNoteSoundHidden) != 0) events << " unplayed";
    if (NoteHeadKind(*e) != 0) events << " head" << NoteHeadKind(*e);
    if ((e->word2 & kNoteStaccato) != 0) events << " stacc";
    if ((e->word2 & kNoteLegato) != 0) events << " ten";
    if (NoteAccidentalCode(*e) != 0) events << " acc" << NoteAccidentalCode(*e);
    if (e->tupletKind != 0) events << " tup" << int{e->tupletKind} << "/" << int{e->tupletRatio};
    if (e->beamPrev || e->beamNext) events << " b" << (e->beamPrev ? "<" : "") << (e->beamNext ? ">" : "");
    if ((e->word2 & (kTieStartsHere | kTieEndsHere)) != 0)
        events << " t" << ((e->word2 & kTieEndsHere) != 0 ? "<" : "")
               << ((e->word2 & kTieStartsHere) != 0 ? ">" : "");
    ScoreObject* head = GetEventAttachment(e);
    for (ScoreObject* o = head != nullptr ? head->next.get() : nullptr; o != nullptr; o = o->next.get()) {
        TextObject* text = AsTextObject(o);
        if (o->type == static_cast<uint8_t>(ObjectType::Lyric))
            events << " [" << TextObjectString(text) << "/" << LyricVerse(text) << "]";
        else
            events << " [" << int{o->type} << "]";
    }
}

void DumpCell(std::ostringstream& out, ScoreDocument* document, int staff, int measure) {
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, staff), document, measure);
    if (cell == nullptr) return;
    out << "staff " << staff << " measure " << measure << " length "
        << MeasureRecordOf(document, measure)->lengthTicks << " clef " << (cell->clefKey & kClefMask) << " key "
        << (cell->clefKey >> kKeyShift) << " time " << int{cell->beats} << "/" << int{cell->beatUnit}
        << ((MeasureRecordOf(document, measure)->flags & kMeasureTimeHidden) != 0 ? " hidden" : "") << "\n";
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        std::ostringstream events;
        for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e))
            if (!IsHeadSentinel(*e)) DumpEvent(events, e);
        for (ScoreObject* o = GetVoiceFirstElement(cell, voice); o != nullptr; o = o->next.get())
            if (o->type == static_cast<uint8_t>(ObjectType::Rest)) {
                const RestBody& rest = *RestBodyOf(o);
                events << " rest " << rest.tick << ":" << int{rest.code} << "." << (rest.flags & kRestDotsMask);
                if (rest.tupletKind != 0) events << " tup" << int{rest.tupletKind} << "/" << int{rest.tupletValue};
            }
        if (!events.str().empty()) out << "  v" << voice << ":" << events.str() << "\n";
    }
    std::string objects;
    for (ScoreObject* o = cell->objects ? cell->objects->next.get() : nullptr; o != nullptr; o = o->next.get())
        objects += " " + std::to_string(o->type);
    if (!objects.empty()) out << "  objects:" << objects << "\n";
}

}  // namespace

std::string ImportedScoreDump(ScoreDocument* document) {
    std::ostringstream out;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        const StaffRecord* record = StaffRecordOf(document, staff);
        out << "staff " << staff << " lines " << ((record->flags & kStaffLineCountMask) >> kStaffLineCountShift)
            << "\n";
        for (int measure = 1; measure <= document->header.measureCount; ++measure)
            DumpCell(out, document, staff, measure);
    }
    for (int index = 0; ScorePage* page = GetPageAt(document, index); ++index) {
        out << "page " << index + 1 << " systems";
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get())
            out << " " << s->firstMeasure << "-" << s->lastMeasure;
        out << " texts";
        for (ScoreObject* o = page->margins ? page->margins->next.get() : nullptr; o != nullptr; o = o->next.get())
            if (o->type == static_cast<uint8_t>(ObjectType::Text))
                out << " \"" << TextObjectString(AsTextObject(o)) << "\"";
        out << "\n";
    }
    return out.str();
}

}  // namespace ql::testing
