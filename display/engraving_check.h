// The engraving check: paints every page of a score as the screen would, keeps the
// ink box of every glyph and text run the paint draws (with the system, staff and
// measure being drawn and what kind of mark it is), and reads the layout of systems,
// barlines and note columns, then reports what a musician would see as broken:
// systems or glyphs off the page, systems overlapping, notes and rests outside their
// measure's barlines, two times of one voice in one column or out of order, labels,
// texts and numbers over clefs, signatures, note heads or other texts, signs of a
// system's start over one another, and lyrics over lyrics. Used by the tests and
// their seeded drivers; not a command of the program.
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
    GlyphOffPage,         // a glyph or text run inked past the page's edges
    SystemsOverlap,       // a system's staves reach into the next system's
    EventOutsideMeasure,  // a note head or rest inked past its measure's barlines
    SharedColumn,         // two times of one voice less than half a space apart
    TimeGoesBack,         // a later time of a voice drawn left of an earlier one
    LabelOverSign,        // a staff label over a clef, signature, note head or rest
    TextOverSign,         // a text over a clef, signature, note head or rest
    NumberOverSign,       // a measure number over a clef, signature, note head or rest
    TextOverText,         // a label, text or number over another text
    SignOverSign,         // clef, key and time signature of one staff over one another
    LyricOverLyric,       // two lyrics over one another
};
constexpr int kFindingKindCount = 12;

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
