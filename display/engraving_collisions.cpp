// The pairs of marks the engraving check names. A grid of square cells holds each
// mark in every cell its box covers; a pair is read only in the cell holding the
// top-left corner of the boxes' overlap, so each pair is read once and the work
// follows the marks that stand near one another, not the square of all marks.
#include "display/engraving_collisions.h"

#include <algorithm>
#include <compare>
#include <cstdlib>
#include <optional>
#include <set>
#include <tuple>
#include <utility>

#include "core/constants.h"
#include "core/objects/score_object.h"

namespace ql {

namespace {

constexpr int32_t kCell = 512;  // a staff's height
constexpr int32_t kMaxCellsPerAxis = 4096;

int32_t CellOf(int32_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{v} / kCell, 0, kMaxCellsPerAxis - 1));
}
int64_t Key(int32_t cx, int32_t cy) {
    return int64_t{cy} * kMaxCellsPerAxis + cx;
}

bool IsDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}
bool IsWording(Mark m) {
    return m == Mark::Label || m == Mark::Text || m == Mark::Number;
}
bool IsObstacle(Mark m) {
    return IsSign(m) || m == Mark::Head || m == Mark::Rest;
}
// What a measure number stands clear of besides the obstacles of every wording: the
// accidentals, dots and other signs of the notes and their ledger lines.
bool IsNumberObstacle(Mark m) {
    return IsObstacle(m) || m == Mark::NoteMark || m == Mark::Ledger;
}
bool SpansStaves(Mark m) {
    return m == Mark::Brace || m == Mark::Barline;
}
bool IsStroke(const InkMark& m) {
    return m.path.size() >= 2;
}
bool BoxesMeet(const gfx::Rect& a, const gfx::Rect& b) {
    return std::min(a.right, b.right) > std::max(a.left, b.left) &&
           std::min(a.bottom, b.bottom) > std::max(a.top, b.top);
}
bool IsNoteInk(Mark m) {
    return m == Mark::Head || m == Mark::Rest || m == Mark::Stem || m == Mark::Beam ||
           m == Mark::Ledger || m == Mark::NoteMark;
}

// One owner draws both: one object, or one chord's note parts. One mark drawn
// twice on one place shows as one.
bool SameOwner(const InkMark& a, const InkMark& b) {
    if (a.mark == b.mark && a.text == b.text && a.box.left == b.box.left &&
        a.box.top == b.box.top && a.box.right == b.box.right && a.box.bottom == b.box.bottom)
        return true;
    if (a.object != nullptr || b.object != nullptr) return a.object == b.object;
    return a.note.chord != nullptr && a.note.chord == b.note.chord;
}

// Whether the two marks' inks meet: a stroke by its path, a glyph by its box; two
// strokes by their two paths.
bool InksMeet(const InkMark& a, const InkMark& b) {
    if (IsStroke(a) && !InkMeets(a, b.box)) return false;
    if (IsStroke(b) && !InkMeets(b, a.box)) return false;
    return !IsStroke(a) || !IsStroke(b) || StrokesMeet(a, b);
}

// A mark that has no business over a measure number: dynamics, texts, labels,
// lyrics, clefs, signatures, and the signs and lines of objects, their slurs and the
// ties of notes.
bool StandsOverNumbers(const InkMark& m) {
    switch (m.mark) {
        case Mark::Curve:
            return m.object != nullptr && (m.object->type == TypeCode(ObjectType::Slur) ||
                                           m.object->type == TypeCode(ObjectType::Tie));
        case Mark::Dynamic:
        case Mark::Text:
        case Mark::Label:
        case Mark::Lyric:
        case Mark::Clef:
        case Mark::Signature:
        case Mark::Other:
        case Mark::Line:
            return true;
        default:
            return false;
    }
}

// A head at either end of a slur or tie (its leftmost and rightmost ink; a filled
// curve's outline comes back to its start): the one it starts or ends at.
bool AtCurveEnd(const InkMark& curve, const InkMark& head, int32_t headWidth) {
    const auto near = [&](int32_t x) {
        return head.box.right > x - headWidth && head.box.left < x + headWidth;
    };
    return near(curve.box.left + curve.pen / 2) || near(curve.box.right - curve.pen / 2);
}

// The finding for `a` standing over `b`, when the check has a rule for that pair
// (a mark over a measure number is named so whichever of the two comes first):
// the rules that name the marks, or with `general` the one for any two marks of
// two staves, systems or objects.
std::optional<FindingKind> Rule(const InkMark& a, const InkMark& b, int32_t headWidth,
                                bool general) {
    if ((IsStroke(a) || IsStroke(b)) && !InksMeet(a, b)) return std::nullopt;
    const bool sameStaff = a.system == b.system && a.staff == b.staff;
    if ((b.mark == Mark::Number && StandsOverNumbers(a)) || (a.mark == Mark::Number && StandsOverNumbers(b)))
        return FindingKind::MarkOverNumber;
    if (a.mark == Mark::Lyric && b.mark == Mark::Lyric) return FindingKind::LyricOverLyric;
    if (IsWording(a.mark) && (a.mark == Mark::Number ? IsNumberObstacle(b.mark) : IsObstacle(b.mark)))
        return a.mark == Mark::Label  ? FindingKind::LabelOverSign
               : a.mark == Mark::Text ? FindingKind::TextOverSign
                                      : FindingKind::NumberOverSign;
    if (IsWording(a.mark) && IsTextMark(b.mark)) return FindingKind::TextOverText;
    if (IsSign(a.mark) && IsSign(b.mark)) {
        // The digits of one time signature are drawn to meet.
        if (sameStaff && IsDigits(a.text) && IsDigits(b.text)) return std::nullopt;
        return FindingKind::SignOverSign;
    }
    if (a.mark == Mark::Head && b.mark == Mark::Head) {
        // Two voices' notes of one pitch and time share one head (a cue note's
        // small head lies inside the part's own, on its middle).
        const bool shared = sameStaff && a.note.voice != b.note.voice &&
                            std::abs(a.box.left - b.box.left) <= kTouch &&
                            std::abs((a.box.top + a.box.bottom) - (b.box.top + b.box.bottom)) <= 2 * kTouch;
        return shared ? std::nullopt : std::optional(FindingKind::HeadOverHead);
    }
    if (a.mark == Mark::Dynamic && !SpansStaves(b.mark)) return FindingKind::DynamicOverMark;
    if ((a.mark == Mark::Curve || a.mark == Mark::Beam) && b.mark == Mark::Head) {
        const bool own = a.mark == Mark::Beam
                             ? a.note.group != nullptr && a.note.group == b.note.group
                             : AtCurveEnd(a, b, headWidth);
        return own ? std::nullopt : std::optional(FindingKind::LineThroughHead);
    }
    if (a.mark == Mark::Lyric &&
        (IsNoteInk(b.mark) || b.mark == Mark::StaffLine || b.mark == Mark::Curve))
        return FindingKind::LyricOverNote;
    // Slurs and ties meet one another at the notes they share, or lie one inside
    // the other.
    if (!general || SpansStaves(a.mark) || SpansStaves(b.mark) || a.mark == Mark::StaffLine ||
        b.mark == Mark::StaffLine || (a.mark == Mark::Curve && b.mark == Mark::Curve))
        return std::nullopt;
    const bool apart = a.system != 0 && b.system != 0 && !sameStaff;
    const bool twoObjects = a.object != nullptr && b.object != nullptr;
    // A rest over a note head of another chord or voice.
    const bool restOnNote = (a.mark == Mark::Rest && b.mark == Mark::Head) ||
                            (a.mark == Mark::Head && b.mark == Mark::Rest);
    if (apart || twoObjects || restOnNote) return FindingKind::MarkOverMark;
    return std::nullopt;
}

// What a mark is a part of, for telling a collision once: a stem drawn as a line and
// a bar, a beam's levels, the five lines of a staff, a text's runs are one part.
struct Part {
    const void* owner;
    Mark mark;
    int system;
    int staff;
    auto operator<=>(const Part&) const = default;
};

Part PartOf(const InkMark& m) {
    const void* owner = m.object != nullptr ? static_cast<const void*>(m.object)
                        : m.mark == Mark::Beam && m.note.group != nullptr
                            ? static_cast<const void*>(m.note.group)
                        : m.note.chord != nullptr ? static_cast<const void*>(m.note.chord)
                                                  : nullptr;
    // A glyph of no owner (a clef, a signature, a rest of the staff) is its own part.
    if (owner == nullptr && !IsStroke(m)) owner = &m;
    return Part{owner, m.mark, m.system, m.staff};
}

std::string Described(const InkMark& m) {
    std::string out = MarkName(m.mark);
    if (!m.text.empty()) out += " \"" + m.text + "\"";
    if (m.note.voice >= 0) out += " (voice " + std::to_string(m.note.voice + 1) + ")";
    if (m.system != 0)
        out += " of system " + std::to_string(m.system) + " staff " + std::to_string(m.staff);
    return out + " at " + Place(m.box);
}

}  // namespace

void FindCollisions(const std::vector<InkMark>& marks, int32_t headWidth,
                    const CollisionFound& found) {
    std::vector<std::pair<int64_t, int>> entries;  // (cell, mark), sorted by cell
    for (int i = 0; i < static_cast<int>(marks.size()); ++i) {
        const gfx::Rect& b = marks[static_cast<size_t>(i)].box;
        for (int32_t cy = CellOf(b.top - kLogicalOrigin); cy <= CellOf(b.bottom - kLogicalOrigin);
             ++cy)
            for (int32_t cx = CellOf(b.left - kLogicalOrigin);
                 cx <= CellOf(b.right - kLogicalOrigin); ++cx)
                entries.emplace_back(Key(cx, cy), i);
    }
    std::sort(entries.begin(), entries.end());
    std::set<std::tuple<FindingKind, Part, Part>> told;
    std::vector<int> members;
    for (size_t start = 0, end = 0; start < entries.size(); start = end) {
        const int64_t key = entries[start].first;
        members.clear();
        for (end = start; end < entries.size() && entries[end].first == key; ++end)
            members.push_back(entries[end].second);
        for (size_t i = 0; i < members.size(); ++i) {
            const InkMark& a = marks[static_cast<size_t>(members[i])];
            for (size_t j = i + 1; j < members.size(); ++j) {
                const InkMark& b = marks[static_cast<size_t>(members[j])];
                // Glyphs meet when their boxes overlap past touching; a stroke's
                // path is followed by the rules.
                const bool strokes = IsStroke(a) || IsStroke(b);
                if (!(strokes ? BoxesMeet(a.box, b.box) : Overlap(a.box, b.box)) || SameOwner(a, b))
                    continue;
                const int32_t left = std::max(a.box.left, b.box.left) - kLogicalOrigin;
                const int32_t top = std::max(a.box.top, b.box.top) - kLogicalOrigin;
                if (Key(CellOf(left), CellOf(top)) != key) continue;
                std::optional<FindingKind> kind = Rule(a, b, headWidth, false);
                bool swapped = false;
                if (!kind) {
                    kind = Rule(b, a, headWidth, false);
                    swapped = kind.has_value();
                }
                if (!kind) kind = Rule(a, b, headWidth, true);
                if (!kind) continue;
                const InkMark& first = swapped ? b : a;
                const InkMark& second = swapped ? a : b;
                if (!told.emplace(*kind, PartOf(first), PartOf(second)).second) continue;
                const InkMark& at = first.system != 0 ? first : second;
                found(*kind, at, Described(first) + " over " + Described(second));
            }
        }
    }
}

}  // namespace ql
