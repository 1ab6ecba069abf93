// The engraving check: paints every page of a score as the screen would, keeps the
// ink of every glyph, text run, stroke and filled shape the paint draws (with the
// system, staff and measure being drawn, the object or note it belongs to, and what
// kind of mark it is: display/engraving_marks.h), and reads the layout of systems,
// barlines and note columns, then reports what a musician would see as broken:
// systems or ink off the page or in its margins, systems overlapping, notes and
// rests outside their measure's barlines, two times of one voice in one column or
// out of order, marks over one another (display/engraving_collisions.h), spanner
// lines inside a staff, and stems off their heads or beams (display/engraving_stems.h). Used
// by the tests and their seeded drivers; not a command of the program.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace ql {

struct ScorePage;
struct ScoreView;

enum class FindingKind : uint8_t {
    SystemOffPage,        // a system's staves reach past the page's edges
    GlyphOffPage,         // a glyph, text run or stroke inked past the page's edges
    SystemsOverlap,       // a system's staves reach into the next system's
    EventOutsideMeasure,  // a note head or rest inked past its measure's barlines
    SharedColumn,         // two times of one voice nearer than a note head's width
    TimeGoesBack,         // a later time of a voice drawn left of an earlier one
    LabelOverSign,        // a staff label over a clef, signature, note head or rest
    TextOverSign,         // a text over a clef, signature, note head or rest
    NumberOverSign,       // a measure number over a note head or rest
    TextOverText,         // a label, text or number over another text
    SignOverSign,         // clefs, key and time signatures over one another, of one staff or two
    LyricOverLyric,       // two lyrics over one another
    HeadOverHead,         // two note heads over one another (one voice, two voices, two staves)
    DynamicOverMark,      // a dynamic over any other mark
    LineThroughHead,      // a slur, tie or beam through a note head it does not belong to
    LyricOverNote,        // a lyric over a note, rest, stem, beam, slur or staff line
    MarkOverMark,         // a mark over a mark of another staff, system or object
    InkInMargin,          // a system's staff lines or barlines past the page's margins
    LineInStaff,          // a hairpin, octave line, pedal bracket, ending or bracket drawn
                          // between a staff's top and bottom lines, not above or below it
    MarkOverNumber,       // a dynamic, text, label, lyric, clef, signature, line, slur or tie
                          // over a measure number
    StemShortOfHead,      // a stem that stops short of a head of its chord, stands away from
                          // it, or has no head at all; or heads that take a stem without one
    BeamOffStem,          // a stem of a beam group whose end is not on its beam (short of it,
                          // through it, or the beam on its heads' side), or a beam end no
                          // stem of its group meets
};
constexpr int kFindingKindCount = static_cast<int>(FindingKind::BeamOffStem) + 1;

// Where a finding is: page index from 1, system from 1 on its page, staff and
// measure numbers; 0 where the finding has none (a page's title has no staff).
struct EngravingFinding {
    FindingKind kind = FindingKind::SystemOffPage;
    int page = 0;
    int system = 0;
    int staff = 0;
    int measure = 0;
    std::string what;  // what collides, in words
};

// Every finding on every page of the view's score. The view is left on its page,
// system and location; the document is not changed.
std::vector<EngravingFinding> CheckEngraving(ScoreView* view);

// Paints every page of the view's score in turn as the screen paints it, on one
// recording surface (the music fonts and colour sets made for the run when the
// program has none): `visit` gets the page, its index from 1, the surface and the
// paint to run, and returns false to stop. The view is put back on its page and
// system; false when a visit stopped the walk.
using PageVisit = std::function<bool(ScorePage* page, int index, platform::DcHandle surface,
                                     const std::function<void()>& paint)>;
bool PaintEachPage(ScoreView* view, const PageVisit& visit);

const char* FindingKindName(FindingKind kind);
// "page 2 system 1 staff 3 measure 14: <kind>: <what>".
std::string DescribeFinding(const EngravingFinding& finding);

}  // namespace ql
