// Stems against their heads and beams, from marks as a page paint records them: a
// table of chords and beam groups, each well drawn or with one fault the check
// names (a stem short of a head or away from it, a stem with no head, a head that
// takes a stem with none, a stem off its beam, a beam on its own heads, a beam end
// on no stem). Grace chords beside their main chord, stubs, whole notes and groups
// with their stems down are left alone.
#include "display/engraving_stems.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/constants.h"

namespace ql {
namespace {

constexpr int32_t O = kLogicalOrigin;
constexpr int32_t kHead = 167;
constexpr int32_t kHeadHeight = 140;
constexpr int32_t kStem = 12;
constexpr int32_t kBeam = 50;

int g_events[8];  // stand-ins for the chords' and groups' first notes
const EventRecord* Event(int n) {
    return reinterpret_cast<const EventRecord*>(&g_events[n]);
}

InkMark Head(int chord, int32_t x, int32_t y, int32_t width = kHead, int32_t height = kHeadHeight) {
    InkMark m;
    m.note.stemDue = true;
    m.mark = Mark::Head;
    m.box = gfx::Rect{O + x, O + y, O + x + width, O + y + height};
    m.system = 1;
    m.staff = 1;
    m.note.chord = Event(chord);
    return m;
}

// A stem from (x, y1) to (x, y2), of a beam group's chord when group >= 0.
InkMark Stem(int chord, int32_t x, int32_t y1, int32_t y2, int group = -1) {
    InkMark m;
    m.mark = Mark::Stem;
    m.path = {{O + x, O + y1}, {O + x, O + y2}};
    m.pen = kStem;
    m.box = gfx::Rect{O + x - kStem / 2, O + std::min(y1, y2), O + x + kStem / 2, O + std::max(y1, y2)};
    m.system = 1;
    m.staff = 1;
    m.note.chord = Event(chord);
    m.note.group = group >= 0 ? Event(group) : nullptr;
    return m;
}

// A beam's filled outline from (x1, y1) to (x2, y2), kBeam thick downward.
InkMark Beam(int group, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    InkMark m;
    m.mark = Mark::Beam;
    m.path = {{O + x1, O + y1}, {O + x2, O + y2}, {O + x2, O + y2 + kBeam}, {O + x1, O + y1 + kBeam}};
    m.closed = true;
    m.box = gfx::Rect{O + x1, O + std::min(y1, y2), O + x2, O + std::max(y1, y2) + kBeam};
    m.system = 1;
    m.staff = 1;
    m.note.group = Event(group);
    return m;
}

// A head whose value takes no stem (a whole note, or a stem the score hides).
InkMark Whole(int chord, int32_t x, int32_t y) {
    InkMark m = Head(chord, x, y);
    m.note.stemDue = false;
    return m;
}

// A chord of one head at (x, y) with its stem up to `tip` at the head's right side.
std::vector<InkMark> UpChord(int chord, int32_t x, int32_t y, int32_t tip, int group = -1) {
    return {Head(chord, x, y), Stem(chord, x + kHead - kStem / 2, tip, y + kHeadHeight / 2, group)};
}

std::vector<InkMark> Joined(std::initializer_list<std::vector<InkMark>> parts) {
    std::vector<InkMark> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(EngravingStemsTest, EachChordAndGroupIsReadRight) {
    struct Case {
        const char* name;
        std::vector<InkMark> marks;
        std::optional<FindingKind> kind;
    };
    constexpr int32_t x2 = 1600;  // the second chord of a group
    const Case cases[] = {
        {"a stem up from its head", UpChord(0, 1000, 1000, 600), std::nullopt},
        {"a stem down from its head", {Head(0, 1000, 1000), Stem(0, 1000 + kStem / 2, 1070, 1450)}, std::nullopt},
        {"a stem short of its head", {Head(0, 1000, 1000), Stem(0, 1160, 600, 950)}, FindingKind::StemShortOfHead},
        {"a stem away from its head", {Head(0, 1000, 1000), Stem(0, 1400, 600, 1070)}, FindingKind::StemShortOfHead},
        {"a stem with no head", {Stem(0, 1160, 600, 1070)}, FindingKind::StemShortOfHead},
        {"a quarter's head with no stem", {Head(0, 1000, 1000)}, FindingKind::StemShortOfHead},
        {"a whole note's head", {Whole(0, 1000, 1000)}, std::nullopt},
        {"a chord's stem short of its lower head",
         {Head(0, 1000, 1000), Head(0, 1000, 1300), Stem(0, 1160, 600, 1070)}, FindingKind::StemShortOfHead},
        {"a second's heads on both sides of the stem",
         {Head(0, 1000, 1064), Head(0, 1160, 1000), Stem(0, 1163, 600, 1134)}, std::nullopt},
        {"a grace chord beside its main chord",
         Joined({{Head(1, 700, 1020, kHead * 3 / 5, kHeadHeight * 3 / 5), Stem(1, 700 + kHead * 3 / 5 - 4, 750, 1060)},
                 UpChord(0, 1000, 1000, 600)}),
         std::nullopt},
        {"a beamed pair", Joined({UpChord(0, 1000, 1000, 625, 0), UpChord(1, x2, 1000, 625, 0), {Beam(0, 1160, 600, x2 + 160, 600)}}),
         std::nullopt},
        {"a beamed pair, stems down",
         Joined({{Head(0, 1000, 1000), Stem(0, 1006, 1070, 1425, 0), Head(1, x2, 1000), Stem(1, x2 + 6, 1070, 1425, 0)},
                 {Beam(0, 1000, 1400, x2 + 12, 1400)}}),
         std::nullopt},
        {"a sixteenth's stub",
         Joined({UpChord(0, 1000, 1000, 625, 0), UpChord(1, x2, 1000, 625, 0),
                 {Beam(0, 1160, 600, x2 + 160, 600), Beam(0, 1160, 700, 1300, 700)}}),
         std::nullopt},
        {"a stem through its beam",
         Joined({UpChord(0, 1000, 1000, 500, 0), UpChord(1, x2, 1000, 625, 0), {Beam(0, 1160, 600, x2 + 160, 600)}}),
         FindingKind::BeamOffStem},
        {"a stem short of its beam",
         Joined({UpChord(0, 1000, 1000, 720, 0), UpChord(1, x2, 1000, 625, 0), {Beam(0, 1160, 600, x2 + 160, 600)}}),
         FindingKind::BeamOffStem},
        {"a middle head over the beam",
         Joined({UpChord(0, 1000, 1000, 625, 0), UpChord(2, 1300, 560, 625, 0), UpChord(1, x2, 1000, 625, 0),
                 {Beam(0, 1160, 600, x2 + 160, 600)}}),
         FindingKind::BeamOffStem},
        {"a beam past its last stem",
         Joined({UpChord(0, 1000, 1000, 625, 0), UpChord(1, x2, 1000, 625, 0), {Beam(0, 1160, 600, x2 + 600, 600)}}),
         FindingKind::BeamOffStem},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<FindingKind> found;
        std::vector<std::string> said;
        FindStemFaults(c.marks, [&](FindingKind kind, const InkMark&, std::string what) {
            found.push_back(kind);
            said.push_back(what);
        });
        ASSERT_EQ(found.size(), c.kind ? 1u : 0u) << (said.empty() ? "" : said.front());
        if (c.kind) {
            EXPECT_EQ(found[0], *c.kind) << said.front();
        }
    }
}

}  // namespace
}  // namespace ql
