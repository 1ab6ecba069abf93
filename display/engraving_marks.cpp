// The marks of a page paint. Glyphs are told apart by the paint's stage and the
// music font's codes (clefs, heads, rests and braces have their ranges), texts by the
// object drawing them; strokes by the stage (staff lines, barlines), the note part
// being drawn, or the object drawing them.
#include "display/engraving_marks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "core/constants.h"
#include "core/draw/view_drawing.h"
#include "core/objects/score_object.h"

namespace ql {

namespace {

// Glyph codes of the music font.
constexpr uint8_t kFirstClefGlyph = 58;
constexpr uint8_t kLastClefGlyph = 67;
constexpr uint8_t kFirstHeadGlyph = 69;
constexpr uint8_t kLastHeadGlyph = 90;
constexpr uint8_t kFirstRestGlyph = 128;
constexpr uint8_t kLastRestGlyph = 136;
constexpr uint8_t kFirstBraceGlyph = 251;  // brace halves, bracket body and ends
// A Bezier's curve is followed in this many straight steps.
constexpr int kBezierSteps = 8;
constexpr int kBezierStride = 3;
constexpr size_t kMaxText = 24;

Mark MarkOfMusicGlyph(uint8_t code, InkStage stage) {
    if (stage == InkStage::Notes) {
        if (code >= kFirstHeadGlyph && code <= kLastHeadGlyph) return Mark::Head;
        if (code >= kFirstRestGlyph && code <= kLastRestGlyph) return Mark::Rest;
        return Mark::NoteMark;
    }
    if (stage == InkStage::StaffGrid) {
        if (code >= kFirstClefGlyph && code <= kLastClefGlyph) return Mark::Clef;
        if (code >= kFirstBraceGlyph) return Mark::Brace;
        return Mark::Signature;
    }
    return Mark::Other;
}

Mark MarkOfObject(const ScoreObject& object, bool musicFont) {
    switch (static_cast<ObjectType>(object.type)) {
        case ObjectType::Clef:
            return Mark::Clef;
        case ObjectType::KeySignature:
        case ObjectType::TimeSignature:
            return Mark::Signature;
        case ObjectType::Lyric:
            return Mark::Lyric;
        case ObjectType::Label:
            return Mark::Label;
        case ObjectType::Dynamic:
            return Mark::Dynamic;
        case ObjectType::TextBox:
            return object.subtype == static_cast<uint8_t>(ObjectSubtype::StaffLabelList)
                       ? Mark::Label
                       : Mark::Text;
        case ObjectType::Text:
        case ObjectType::Tempo:
        case ObjectType::Chord:
            return musicFont ? Mark::Other : Mark::Text;
        default:
            return Mark::Other;
    }
}

Mark StrokeOfObject(const ScoreObject& object) {
    switch (static_cast<ObjectType>(object.type)) {
        case ObjectType::Slur:
        case ObjectType::Tie:
        case ObjectType::Curve:
        case ObjectType::Arc:
            return Mark::Curve;
        case ObjectType::Dynamic:
            return Mark::Dynamic;
        case ObjectType::Lyric:
            return Mark::Lyric;
        default:
            return Mark::Line;
    }
}

Mark StrokeOfNote(InkPiece piece) {
    switch (piece) {
        case InkPiece::Stem:
            return Mark::Stem;
        case InkPiece::Beam:
            return Mark::Beam;
        case InkPiece::Ledger:
            return Mark::Ledger;
        default:
            return Mark::NoteMark;
    }
}

std::string Printable(std::string_view bytes, std::u16string_view text) {
    std::string out;
    for (char c : bytes) {
        const auto code = static_cast<uint8_t>(c);
        out += code >= ' ' && code < 127 ? std::string(1, c) : "#" + std::to_string(code);
    }
    for (char16_t c : text) out += (c >= u' ' && c < 127) ? static_cast<char>(c) : '?';
    if (out.size() > kMaxText) out = out.substr(0, kMaxText) + "...";
    return out;
}

std::vector<gfx::Point> Flattened(std::span<const gfx::Point> p) {
    std::vector<gfx::Point> out{p[0]};
    for (size_t i = 1; i + 2 < p.size(); i += kBezierStride) {
        const gfx::Point a = p[i - 1], b = p[i], c = p[i + 1], d = p[i + 2];
        for (int step = 1; step <= kBezierSteps; ++step) {
            const double t = static_cast<double>(step) / kBezierSteps, u = 1 - t;
            const double x =
                u * u * u * a.x + 3 * u * u * t * b.x + 3 * u * t * t * c.x + t * t * t * d.x;
            const double y =
                u * u * u * a.y + 3 * u * u * t * b.y + 3 * u * t * t * c.y + t * t * t * d.y;
            out.push_back(gfx::Point{static_cast<int32_t>(x), static_cast<int32_t>(y)});
        }
    }
    return out;
}

// Whether the segment a-b meets the box (Liang-Barsky clipping).
bool SegmentMeets(gfx::Point a, gfx::Point b, const gfx::Rect& box) {
    double t0 = 0, t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const std::array<double, 4> p{-dx, dx, -dy, dy};
    const std::array<double, 4> q{
        static_cast<double>(a.x - box.left), static_cast<double>(box.right - a.x),
        static_cast<double>(a.y - box.top), static_cast<double>(box.bottom - a.y)};
    for (size_t i = 0; i < p.size(); ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1) return false;
    }
    return true;
}

bool Inside(const std::vector<gfx::Point>& polygon, double x, double y) {
    bool in = false;
    for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const gfx::Point a = polygon[i], b = polygon[j];
        if ((a.y > y) != (b.y > y) &&
            x < (b.x - a.x) * (y - a.y) / static_cast<double>(b.y - a.y) + a.x)
            in = !in;
    }
    return in;
}

double Cross(gfx::Point o, gfx::Point a, gfx::Point b) {
    return static_cast<double>(a.x - o.x) * (b.y - o.y) - static_cast<double>(a.y - o.y) * (b.x - o.x);
}

bool SegmentsCross(gfx::Point a, gfx::Point b, gfx::Point c, gfx::Point d) {
    const double abc = Cross(a, b, c), abd = Cross(a, b, d), cda = Cross(c, d, a), cdb = Cross(c, d, b);
    return ((abc > 0 && abd < 0) || (abc < 0 && abd > 0)) && ((cda > 0 && cdb < 0) || (cda < 0 && cdb > 0));
}

double PointToSegment(gfx::Point p, gfx::Point a, gfx::Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length = dx * dx + dy * dy;
    const double t = length > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Whether two segments cross, or come nearer than `reach` to each other.
bool SegmentsMeet(gfx::Point a, gfx::Point b, gfx::Point c, gfx::Point d, double reach) {
    if (SegmentsCross(a, b, c, d)) return true;
    return std::min({PointToSegment(a, c, d), PointToSegment(b, c, d), PointToSegment(c, a, b),
                     PointToSegment(d, a, b)}) < reach;
}

// The segments of a stroke's path, its closing one too when it is an outline.
size_t SegmentCount(const InkMark& m) {
    return m.path.size() - 1 + (m.closed && m.path.size() > 2 ? 1 : 0);
}

}  // namespace

bool StrokesMeet(const InkMark& a, const InkMark& b) {
    if (a.path.size() < 2 || b.path.size() < 2) return false;
    const double reach = (a.pen + b.pen) / 2.0 - kTouch;
    const size_t na = a.path.size(), nb = b.path.size();
    for (size_t i = 0; i < SegmentCount(a); ++i)
        for (size_t j = 0; j < SegmentCount(b); ++j)
            if (SegmentsMeet(a.path[i], a.path[(i + 1) % na], b.path[j], b.path[(j + 1) % nb], reach)) return true;
    return (a.closed && Inside(a.path, b.path[0].x, b.path[0].y)) ||
           (b.closed && Inside(b.path, a.path[0].x, a.path[0].y));
}

const char* MarkName(Mark mark) {
    switch (mark) {
        case Mark::Clef:
            return "clef";
        case Mark::Signature:
            return "signature";
        case Mark::Brace:
            return "brace";
        case Mark::Head:
            return "note head";
        case Mark::Rest:
            return "rest";
        case Mark::NoteMark:
            return "note mark";
        case Mark::Label:
            return "staff label";
        case Mark::Text:
            return "text";
        case Mark::Number:
            return "measure number";
        case Mark::Lyric:
            return "lyric";
        case Mark::Dynamic:
            return "dynamic";
        case Mark::Other:
            return "mark";
        case Mark::Stem:
            return "stem";
        case Mark::Beam:
            return "beam";
        case Mark::Ledger:
            return "ledger line";
        case Mark::Curve:
            return "slur or tie";
        case Mark::Line:
            return "line";
        case Mark::StaffLine:
            return "staff line";
        case Mark::Barline:
            return "barline";
    }
    return "mark";
}

bool IsTextMark(Mark m) {
    return m == Mark::Label || m == Mark::Text || m == Mark::Number || m == Mark::Lyric;
}
bool IsSign(Mark m) {
    return m == Mark::Clef || m == Mark::Signature;
}

InkMark MarkOfText(const text::TextInk& ink, bool music) {
    const InkStage stage = CurrentInkStage();
    InkMark kept;
    kept.box = ink.box;
    kept.object = CurrentInkObject();
    kept.note = CurrentInkNote();
    kept.text = Printable(ink.bytes, ink.text);
    if (kept.object != nullptr)
        kept.mark = MarkOfObject(*kept.object, music);
    else if (stage == InkStage::MeasureNumber)
        kept.mark = Mark::Number;
    else if (music)
        kept.mark =
            MarkOfMusicGlyph(ink.bytes.empty() ? 0 : static_cast<uint8_t>(ink.bytes[0]), stage);
    else
        kept.mark = stage == InkStage::StaffGrid ? Mark::Number : Mark::Text;
    return kept;
}

bool MarkOfStroke(const gfx::StrokeInk& ink, InkMark* out) {
    const InkStage stage = CurrentInkStage();
    if (ink.paper || ink.points.empty() || stage == InkStage::Guides) return false;
    InkMark kept;
    kept.box = ink.box;
    kept.object = CurrentInkObject();
    kept.note = CurrentInkNote();
    kept.pen = ink.penWidth;
    if (kept.object != nullptr)
        kept.mark = StrokeOfObject(*kept.object);
    else if (stage == InkStage::StaffLines)
        kept.mark = Mark::StaffLine;
    else if (stage == InkStage::Barlines || stage == InkStage::StaffGrid)
        kept.mark = Mark::Barline;  // barlines and the lines that join staves
    else if (stage == InkStage::Notes)
        kept.mark = StrokeOfNote(kept.note.piece);
    else if (stage == InkStage::MeasureNumber)
        kept.mark = Mark::Number;
    else
        kept.mark = Mark::Other;
    switch (ink.shape) {
        case gfx::StrokeShape::Bezier:
            kept.path = Flattened(ink.points);
            break;
        case gfx::StrokeShape::Rectangle:
        case gfx::StrokeShape::Ellipse:
        case gfx::StrokeShape::Fill: {
            const gfx::Point a = ink.points.front(), b = ink.points.back();
            kept.path = {a, {b.x, a.y}, b, {a.x, b.y}};
            kept.closed = true;
            break;
        }
        default:
            kept.path.assign(ink.points.begin(), ink.points.end());
            kept.closed = ink.filled;
    }
    *out = std::move(kept);
    return true;
}

bool Overlap(const gfx::Rect& a, const gfx::Rect& b) {
    const int32_t w = std::min(a.right, b.right) - std::max(a.left, b.left);
    const int32_t h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return w > kTouch && h > kTouch;
}

bool InkMeets(const InkMark& mark, const gfx::Rect& box) {
    if (mark.path.size() < 2) return Overlap(mark.box, box);
    // The box less the touch allowance on each side, where it is wide enough to
    // keep some; the path widened by half the pen.
    const int32_t half = mark.pen / 2;
    const int32_t inX = box.right - box.left > 2 * kTouch + 2 ? kTouch : 0;
    const int32_t inY = box.bottom - box.top > 2 * kTouch + 2 ? kTouch : 0;
    const gfx::Rect core{box.left + inX - half, box.top + inY - half, box.right - inX + half,
                         box.bottom - inY + half};
    if (core.left >= core.right || core.top >= core.bottom) return false;
    const size_t n = mark.path.size();
    for (size_t i = 0; i + 1 < n + (mark.closed ? 1 : 0); ++i)
        if (SegmentMeets(mark.path[i], mark.path[(i + 1) % n], core)) return true;
    return mark.closed &&
           Inside(mark.path, (core.left + core.right) / 2.0, (core.top + core.bottom) / 2.0);
}

std::string Place(const gfx::Rect& box) {
    return "(" + std::to_string(box.left - kLogicalOrigin) + ", " +
           std::to_string(box.top - kLogicalOrigin) + ")-(" +
           std::to_string(box.right - kLogicalOrigin) + ", " +
           std::to_string(box.bottom - kLogicalOrigin) + ")";
}

}  // namespace ql
