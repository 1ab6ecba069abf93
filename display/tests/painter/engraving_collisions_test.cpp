// The pairs of marks the engraving check names, each from two marks as a page paint
// records them: what they are, where their ink stands and what they belong to. A
// case with no kind is a pair the check leaves alone (a chord's own parts, a beam's
// own heads, a tie at its notes, two voices' shared head, a time signature's
// digits, two strokes whose boxes overlap while their paths stay apart). Marks over
// a measure number are named so, whichever comes first. Every pair is also read with
// the marks the other way round and among many marks far from both, which the grid
// of cells must keep apart.
#include "display/engraving_collisions.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/constants.h"
#include "core/objects/score_object.h"

namespace ql {
namespace {

constexpr int32_t O = kLogicalOrigin;
constexpr int32_t kHead = 167;

int g_chords[4];  // stand-ins for the events that own note parts, and for objects
const ScoreObject* const kObjectA = reinterpret_cast<const ScoreObject*>(&g_chords[2]);
const ScoreObject* const kObjectB = reinterpret_cast<const ScoreObject*>(&g_chords[3]);
// A slur's and a tie's records: a measure number tells either over it.
ScoreObject ObjectOfType(ObjectType type) {
    ScoreObject object{};
    object.type = TypeCode(type);
    return object;
}
const ScoreObject g_slur = ObjectOfType(ObjectType::Slur);
const ScoreObject g_tie = ObjectOfType(ObjectType::Tie);

InkMark Glyph(Mark mark, int32_t x, int32_t y, int32_t w, int32_t h, int staff = 1, int voice = 0,
              int chord = 0, const ScoreObject* object = nullptr) {
    InkMark m;
    m.mark = mark;
    m.box = gfx::Rect{O + x, O + y, O + x + w, O + y + h};
    m.system = 1;
    m.staff = staff;
    m.object = object;
    m.note.voice = voice;
    m.note.chord = chord >= 0 ? reinterpret_cast<const EventRecord*>(&g_chords[chord]) : nullptr;
    return m;
}

InkMark Head(int32_t x, int32_t y, int staff = 1, int voice = 0, int chord = 0) {
    return Glyph(Mark::Head, x, y, kHead, 140, staff, voice, chord);
}

// A stroke from (x1, y1) to (x2, y2) of a pen `pen` wide.
InkMark Stroke(Mark mark, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t pen,
               const ScoreObject* object = nullptr, int group = -1) {
    InkMark m;
    m.mark = mark;
    m.path = {{O + x1, O + y1}, {O + x2, O + y2}};
    m.pen = pen;
    m.box = gfx::Rect{O + std::min(x1, x2) - pen / 2, O + std::min(y1, y2) - pen / 2,
                      O + std::max(x1, x2) + pen / 2, O + std::max(y1, y2) + pen / 2};
    m.system = 1;
    m.staff = 1;
    m.object = object;
    m.note.group = group >= 0 ? reinterpret_cast<const EventRecord*>(&g_chords[group]) : nullptr;
    return m;
}

InkMark OnStaff(InkMark m, int staff) {
    m.staff = staff;
    return m;
}

InkMark Texted(InkMark m, const char* text) {
    m.text = text;
    return m;
}

TEST(EngravingCollisionsTest, EachPairIsNamedOrLeftAlone) {
    const InkMark beamedHead = [] {
        InkMark h = Head(1000, 1000, 1, 0, 1);
        h.note.group = reinterpret_cast<const EventRecord*>(&g_chords[1]);
        return h;
    }();
    struct Case {
        const char* name;
        InkMark a, b;
        std::optional<FindingKind> kind;
    };
    const Case cases[] = {
        {"heads of one voice", Head(1000, 1000, 1, 0, 0), Head(1100, 1000, 1, 0, 1),
         FindingKind::HeadOverHead},
        {"heads of two staves", Head(1000, 1000, 1), Head(1050, 1040, 2, 0, 1),
         FindingKind::HeadOverHead},
        {"two voices share a head", Head(1000, 1000, 1, 0, 0), Head(1000, 1000, 1, 1, 1),
         std::nullopt},
        {"a cue head inside another voice's", Head(1000, 1000, 1, 0, 0),
         Glyph(Mark::Head, 1000, 1017, kHead * 3 / 4, 106, 1, 1, 1), std::nullopt},
        {"a cue head a step off another voice's", Head(1000, 1000, 1, 0, 0),
         Glyph(Mark::Head, 1000, 1081, kHead * 3 / 4, 106, 1, 1, 1), FindingKind::HeadOverHead},
        {"a second in one chord", Head(1000, 1000), Head(1000, 1064), std::nullopt},
        {"a dynamic on a stem", Glyph(Mark::Dynamic, 1000, 1000, 200, 150, 1, -1, -1, kObjectA),
         Stroke(Mark::Stem, 1100, 800, 1100, 1300, 12), FindingKind::DynamicOverMark},
        {"a dynamic on a staff line",
         Glyph(Mark::Dynamic, 1000, 1000, 200, 150, 1, -1, -1, kObjectA),
         Stroke(Mark::StaffLine, 0, 1080, 5000, 1080, 10), FindingKind::DynamicOverMark},
        {"a dynamic beside a stem", Glyph(Mark::Dynamic, 1000, 1000, 200, 150, 1, -1, -1, kObjectA),
         Stroke(Mark::Stem, 1240, 800, 1240, 1300, 12), std::nullopt},
        {"a slur through a head", Stroke(Mark::Curve, 0, 1070, 3000, 1070, 12, kObjectA),
         Head(1500, 1000), FindingKind::LineThroughHead},
        {"a tie at its note", Stroke(Mark::Curve, 1100, 1070, 3000, 1070, 12, kObjectA),
         Head(1000, 1000), std::nullopt},
        {"a beam through another voice's head",
         Stroke(Mark::Beam, 0, 1070, 3000, 1070, 50, nullptr, 0), beamedHead,
         FindingKind::LineThroughHead},
        {"a beam at its own head", Stroke(Mark::Beam, 0, 1070, 3000, 1070, 50, nullptr, 1),
         beamedHead, std::nullopt},
        {"a slanted beam past a head's corner",
         Stroke(Mark::Beam, 0, 700, 1010, 960, 50, nullptr, 0), Head(1000, 1000, 1, 0, 1),
         std::nullopt},
        {"a lyric on a head",
         Texted(Glyph(Mark::Lyric, 950, 1050, 300, 200, 1, 0, -1, kObjectA), "la"),
         Head(1000, 1000, 2, 0, 1), FindingKind::LyricOverNote},
        {"a lyric on a staff line",
         Texted(Glyph(Mark::Lyric, 950, 1050, 300, 200, 1, 0, -1, kObjectA), "la"),
         Stroke(Mark::StaffLine, 0, 1150, 5000, 1150, 10), FindingKind::LyricOverNote},
        {"clefs of two staves", Glyph(Mark::Clef, 100, 1000, 330, 900, 1, -1, -1),
         Glyph(Mark::Clef, 100, 1800, 330, 900, 2, -1, -1), FindingKind::SignOverSign},
        {"a time signature's digits",
         Texted(Glyph(Mark::Signature, 500, 1000, 150, 260, 1, -1, -1), "3"),
         Texted(Glyph(Mark::Signature, 500, 1240, 150, 260, 1, -1, -1), "4"), std::nullopt},
        {"a stem of the staff below", Stroke(Mark::Stem, 1100, 800, 1100, 1300, 12),
         Glyph(Mark::Rest, 1050, 1000, 150, 300, 2, 0, 1), FindingKind::MarkOverMark},
        {"two objects' marks", Glyph(Mark::Other, 1000, 1000, 200, 200, 1, 0, -1, kObjectA),
         Glyph(Mark::Other, 1050, 1100, 200, 200, 1, 0, -1, kObjectB), FindingKind::MarkOverMark},
        {"another voice's rest on a head",
         Glyph(Mark::Rest, 1050, 1000, 150, 300, 1, 1, -1, kObjectA), Head(1000, 1100, 1, 0, 1),
         FindingKind::MarkOverMark},
        {"one object's marks", Glyph(Mark::Other, 1000, 1000, 200, 200, 1, 0, -1, kObjectA),
         Glyph(Mark::Other, 1050, 1100, 200, 200, 1, 0, -1, kObjectA), std::nullopt},
        {"a dynamic on a measure number", Glyph(Mark::Dynamic, 1000, 1000, 200, 150, 1, -1, -1, kObjectA),
         Texted(Glyph(Mark::Number, 1100, 1050, 120, 100, 1, -1, -1), "12"), FindingKind::MarkOverNumber},
        {"a text on a measure number", Texted(Glyph(Mark::Text, 1000, 1000, 400, 150, 1, -1, -1, kObjectA), "dolce"),
         Texted(Glyph(Mark::Number, 1100, 1050, 120, 100, 1, -1, -1), "12"), FindingKind::MarkOverNumber},
        {"a clef on a measure number", Glyph(Mark::Clef, 1000, 900, 330, 900, 1, -1, -1),
         Texted(Glyph(Mark::Number, 1100, 850, 120, 100, 1, -1, -1), "12"), FindingKind::MarkOverNumber},
        {"a lyric on a measure number", Texted(Glyph(Mark::Lyric, 1000, 1000, 300, 150, 1, 0, -1, kObjectA), "la"),
         Texted(Glyph(Mark::Number, 1100, 1050, 120, 100, 1, -1, -1), "12"), FindingKind::MarkOverNumber},
        {"an octave sign on a measure number",
         Texted(Glyph(Mark::Other, 1050, 1000, 260, 150, 1, -1, -1, kObjectA), "8va"),
         Texted(Glyph(Mark::Number, 1100, 1050, 120, 100, 1, -1, -1), "6"), FindingKind::MarkOverNumber},
        {"an octave line through a measure number", Stroke(Mark::Line, 900, 1100, 3000, 1100, 10, kObjectA),
         Texted(Glyph(Mark::Number, 1100, 1050, 120, 100, 1, -1, -1), "8"), FindingKind::MarkOverNumber},
        {"a slur through a measure number", Stroke(Mark::Curve, 0, 1090, 3000, 1090, 12, &g_slur),
         Texted(Glyph(Mark::Number, 1100, 1050, 120, 100, 1, -1, -1), "2"), FindingKind::MarkOverNumber},
        {"a tie through a measure number", Stroke(Mark::Curve, 0, 1090, 3000, 1090, 12, &g_tie),
         Texted(Glyph(Mark::Number, 1100, 1050, 120, 100, 1, -1, -1), "2"), FindingKind::MarkOverNumber},
        {"a line under a measure number", Stroke(Mark::Line, 900, 1200, 3000, 1200, 10, kObjectA),
         Texted(Glyph(Mark::Number, 1100, 1050, 120, 100, 1, -1, -1), "8"), std::nullopt},
        {"a measure number on a head", Texted(Glyph(Mark::Number, 1000, 1000, 120, 100, 1, -1, -1), "12"),
         Head(1000, 1040), FindingKind::NumberOverSign},
        {"a measure number on an accidental", Texted(Glyph(Mark::Number, 1000, 1000, 120, 100, 1, -1, -1), "14"),
         Glyph(Mark::NoteMark, 1050, 1060, 60, 200, 1, 0, 1), FindingKind::NumberOverSign},
        {"a measure number on a ledger line", Texted(Glyph(Mark::Number, 1000, 1000, 120, 100, 1, -1, -1), "16"),
         Stroke(Mark::Ledger, 950, 1080, 1200, 1080, 10, nullptr, 1), FindingKind::NumberOverSign},
        {"a measure number over a ledger line", Texted(Glyph(Mark::Number, 1000, 1000, 120, 100, 1, -1, -1), "16"),
         Stroke(Mark::Ledger, 950, 1150, 1200, 1150, 10, nullptr, 1), std::nullopt},
        {"a slur along a sloping beam of the staff below",
         Stroke(Mark::Curve, 1000, 1000, 3000, 1300, 12, kObjectA),
         OnStaff(Stroke(Mark::Beam, 1000, 1100, 3000, 1400, 50, nullptr, 0), 2), std::nullopt},
        {"a slur across a sloping beam of the staff below",
         Stroke(Mark::Curve, 1000, 1000, 3000, 1300, 12, kObjectA),
         OnStaff(Stroke(Mark::Beam, 1000, 1300, 3000, 1000, 50, nullptr, 0), 2), FindingKind::MarkOverMark},
        {"a barline of the staves", Stroke(Mark::Barline, 1100, 0, 1100, 3000, 16),
         Glyph(Mark::Other, 1050, 1100, 200, 200, 2, 0, -1, kObjectB), std::nullopt},
    };
    for (const Case& c : cases) {
        for (const bool reversed : {false, true}) {
            SCOPED_TRACE(::testing::Message() << c.name << (reversed ? " (reversed)" : ""));
            std::vector<InkMark> marks;
            for (int i = 0; i < 40; ++i)
                marks.push_back(Head(20000 + 300 * i, 20000 + 200 * i, 1, 0, i % 2));
            marks.insert(marks.begin() + 17, reversed ? c.b : c.a);
            marks.push_back(reversed ? c.a : c.b);
            std::vector<FindingKind> found;
            FindCollisions(marks, kHead, [&](FindingKind kind, const InkMark&, std::string) {
                found.push_back(kind);
            });
            ASSERT_EQ(found.size(), c.kind ? 1u : 0u);
            if (c.kind) {
                EXPECT_EQ(found[0], *c.kind);
            }
        }
    }
}

}  // namespace
}  // namespace ql
