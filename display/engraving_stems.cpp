// Stems, heads and beams read chord by chord and group by group from the marks of a
// page paint. A chord whose heads take a stem (by the value and head kind the
// paint gives them) has one. A stem's strokes (its line and its bar) are taken as one upright
// span; a beam's filled outline is cut by the upright through a stem to give the
// beam's top and bottom there.
#include "display/engraving_stems.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <set>
#include <utility>

#include "core/constants.h"

namespace ql {

namespace {

struct Span {
    int32_t left = 0;
    int32_t right = 0;
    int32_t top = 0;
    int32_t bottom = 0;
};

// The span of a stroke's points (not its pen).
Span PathSpan(const InkMark& m) {
    Span s{m.path.front().x, m.path.front().x, m.path.front().y, m.path.front().y};
    for (const gfx::Point& p : m.path) {
        s.left = std::min(s.left, p.x);
        s.right = std::max(s.right, p.x);
        s.top = std::min(s.top, p.y);
        s.bottom = std::max(s.bottom, p.y);
    }
    return s;
}

// The beam's top and bottom on the upright at x; none when the beam does not reach x.
std::optional<std::pair<int32_t, int32_t>> BeamAt(const InkMark& beam, int32_t x) {
    std::optional<std::pair<int32_t, int32_t>> out;
    const size_t n = beam.path.size();
    for (size_t i = 0; i < n; ++i) {
        const gfx::Point a = beam.path[i], b = beam.path[(i + 1) % n];
        if (x < std::min(a.x, b.x) || x > std::max(a.x, b.x)) continue;
        const auto add = [&out](int32_t y) {
            out = out ? std::pair{std::min(out->first, y), std::max(out->second, y)} : std::pair{y, y};
        };
        if (a.x == b.x) {
            add(a.y);
            add(b.y);
        } else {
            add(static_cast<int32_t>(a.y + int64_t{b.y - a.y} * (x - a.x) / (b.x - a.x)));
        }
    }
    return out;
}

struct ChordInk {
    std::vector<const InkMark*> heads;
    std::vector<const InkMark*> stems;
};

struct StemFacts {
    Span stem;
    int32_t headsTop = 0;     // the chord's heads, top of the highest
    int32_t headsBottom = 0;  // and bottom of the lowest
    bool up = false;          // the tip is the stem's top
};

std::string At(const Span& s) {
    return "(" + std::to_string(s.left - kLogicalOrigin) + ", " + std::to_string(s.top - kLogicalOrigin) + ")-(" +
           std::to_string(s.right - kLogicalOrigin) + ", " + std::to_string(s.bottom - kLogicalOrigin) + ")";
}

// An unbeamed stem points the way it reaches past its heads: up, it stands on the
// right of its heads (a head of the chord left of it) and reaches from the lowest
// head's middle to above the highest; down, on the left, from the highest head's
// middle to below the lowest. True when it stands so.
bool UnbeamedStemStands(const ChordInk& chord, const StemFacts& f, int left, int right,
                        const CollisionFound& found) {
    const bool up = f.headsTop - f.stem.top > f.stem.bottom - f.headsBottom;
    const InkMark* outer = chord.heads.front();  // the head the stem starts from
    for (const InkMark* h : chord.heads)
        if (up ? h->box.bottom > outer->box.bottom : h->box.top < outer->box.top) outer = h;
    const int32_t outerMiddle = (outer->box.top + outer->box.bottom) / 2;
    const bool side = up ? left > 0 : right > 0;
    const bool starts = up ? f.stem.bottom >= outerMiddle - kTouch : f.stem.top <= outerMiddle + kTouch;
    const bool passes = up ? f.stem.top < f.headsTop : f.stem.bottom > f.headsBottom;
    if (side && starts && passes) return true;
    found(FindingKind::StemShortOfHead, *chord.stems.front(),
          "stem at " + At(f.stem) + " pointing " + (up ? "up" : "down") +
              (!side    ? (up ? " stands left of its note heads" : " stands right of its note heads")
               : !starts ? " does not start at its outer note head at " + Place(outer->box)
                         : " does not reach past its note heads"));
    return false;
}

// A chord's stem against its heads; its facts for the beam check when it has heads.
std::optional<StemFacts> CheckChord(const ChordInk& chord, const CollisionFound& found) {
    const InkMark& first = *chord.stems.front();
    StemFacts f;
    f.stem = PathSpan(first);
    for (const InkMark* m : chord.stems) {
        const Span s = PathSpan(*m);
        f.stem = Span{std::min(f.stem.left, s.left), std::max(f.stem.right, s.right), std::min(f.stem.top, s.top),
                      std::max(f.stem.bottom, s.bottom)};
    }
    if (chord.heads.empty()) {
        found(FindingKind::StemShortOfHead, first, "stem at " + At(f.stem) + " with no head of its chord");
        return std::nullopt;
    }
    const int32_t middle = (f.stem.left + f.stem.right) / 2;
    int left = 0, right = 0;
    f.headsTop = chord.heads.front()->box.top;
    f.headsBottom = chord.heads.front()->box.bottom;
    for (const InkMark* h : chord.heads) {
        f.headsTop = std::min(f.headsTop, h->box.top);
        f.headsBottom = std::max(f.headsBottom, h->box.bottom);
        ((h->box.left + h->box.right) / 2 < middle ? left : right) += 1;
        const bool reaches = f.stem.top <= h->box.bottom - kTouch && f.stem.bottom >= h->box.top + kTouch;
        const bool beside = f.stem.right >= h->box.left - kTouch && f.stem.left <= h->box.right + kTouch;
        if (reaches && beside) continue;
        found(FindingKind::StemShortOfHead, first,
              "stem at " + At(f.stem) + (reaches ? " stands away from" : " stops short of") + " its note head at " +
                  Place(h->box));
        return std::nullopt;
    }
    // A stem right of all its heads points up, left of them down; a chord with heads
    // on both sides (a second) points away from the heads' middle.
    if (left == 0 || right == 0)
        f.up = right == 0;
    else
        f.up = (f.headsTop + f.headsBottom) / 2 - f.stem.top > f.stem.bottom - (f.headsTop + f.headsBottom) / 2;
    if (chord.stems.front()->note.group == nullptr && !UnbeamedStemStands(chord, f, left, right, found))
        return std::nullopt;
    return f;
}

// A stem of a beam group against the group's beams.
// True when it found a fault.
bool CheckBeamedStem(const InkMark& stem, const StemFacts& f, const std::vector<const InkMark*>& beams,
                     const CollisionFound& found) {
    const int32_t x = (f.stem.left + f.stem.right) / 2;
    const int32_t tip = f.up ? f.stem.top : f.stem.bottom;
    bool any = false, onTip = false;
    for (const InkMark* beam : beams) {
        const auto at = BeamAt(*beam, x);
        if (!at) continue;
        any = true;
        onTip = onTip || (tip >= at->first - kTouch && tip <= at->second + kTouch);
        const bool clear = f.up ? at->second <= f.headsTop + kTouch : at->first >= f.headsBottom - kTouch;
        if (clear) continue;
        found(FindingKind::BeamOffStem, stem,
              "beam at " + Place(beam->box) + " on the heads of the stem at " + At(f.stem) + " (heads from y " +
                  std::to_string(f.headsTop - kLogicalOrigin) + " to " + std::to_string(f.headsBottom - kLogicalOrigin) +
                  ")");
        return true;
    }
    if (!any || onTip) return false;
    found(FindingKind::BeamOffStem, stem,
          "stem at " + At(f.stem) + " ends at y " + std::to_string(tip - kLogicalOrigin) + ", off its group's beams");
    return true;
}

// Each end of a beam stands on a stem of its group; a stub (no longer than the
// group's widest head and a half) needs one end only. True when it found a fault.
bool CheckBeamEnds(const InkMark& beam, const std::vector<Span>& stems, int32_t headWidth,
                   const CollisionFound& found) {
    const Span s = PathSpan(beam);
    const auto onStem = [&](int32_t x) {
        return std::any_of(stems.begin(), stems.end(), [&](const Span& stem) {
            return x >= stem.left - kTouch && x <= stem.right + kTouch;
        });
    };
    const bool left = onStem(s.left), right = onStem(s.right);
    const bool stub = s.right - s.left <= headWidth * 3 / 2;
    if ((left && right) || (stub && (left || right))) return false;
    found(FindingKind::BeamOffStem, beam, "beam at " + Place(beam.box) + " has no stem of its group at its " +
                                              (left ? "right" : right ? "left" : "two") + " end" +
                                              (left || right ? "" : "s"));
    return true;
}

}  // namespace

void FindStemFaults(const std::vector<InkMark>& marks, const CollisionFound& found) {
    std::map<const EventRecord*, ChordInk> chords;
    std::vector<const EventRecord*> order;  // chords as the paint drew them
    std::map<const EventRecord*, std::vector<const InkMark*>> beams;
    for (const InkMark& m : marks) {
        if (m.mark == Mark::Beam && m.note.group != nullptr && m.path.size() >= 3) beams[m.note.group].push_back(&m);
        if ((m.mark != Mark::Head && m.mark != Mark::Stem) || m.note.chord == nullptr) continue;
        if (m.mark == Mark::Stem && m.path.empty()) continue;
        auto [it, made] = chords.try_emplace(m.note.chord);
        if (made) order.push_back(m.note.chord);
        (m.mark == Mark::Head ? it->second.heads : it->second.stems).push_back(&m);
    }
    // One finding for a group's stems and one for its beams.
    std::map<const EventRecord*, std::vector<Span>> groupStems;
    std::map<const EventRecord*, int32_t> groupHeadWidth;
    std::vector<const EventRecord*> groups;  // as the paint drew them
    std::set<const EventRecord*> told;
    for (const EventRecord* key : order) {
        const ChordInk& chord = chords[key];
        if (chord.stems.empty()) {
            const auto due = std::find_if(chord.heads.begin(), chord.heads.end(),
                                          [](const InkMark* h) { return h->note.stemDue; });
            if (due != chord.heads.end())
                found(FindingKind::StemShortOfHead, **due,
                      "note head at " + Place((*due)->box) + " takes a stem and is drawn with none");
            continue;
        }
        const std::optional<StemFacts> facts = CheckChord(chord, found);
        const InkMark& stem = *chord.stems.front();
        const EventRecord* group = stem.note.group;
        if (!facts || group == nullptr) continue;
        if (!groupStems.contains(group)) groups.push_back(group);
        groupStems[group].push_back(facts->stem);
        int32_t& width = groupHeadWidth[group];
        for (const InkMark* h : chord.heads) width = std::max(width, h->box.right - h->box.left);
        const auto groupBeams = beams.find(group);
        if (groupBeams == beams.end() || told.contains(group)) continue;
        if (CheckBeamedStem(stem, *facts, groupBeams->second, found)) told.insert(group);
    }
    for (const EventRecord* group : groups) {
        const auto groupBeams = beams.find(group);
        if (groupBeams == beams.end()) continue;
        for (const InkMark* beam : groupBeams->second)
            if (CheckBeamEnds(*beam, groupStems[group], groupHeadWidth[group], found)) break;
    }
}

}  // namespace ql
