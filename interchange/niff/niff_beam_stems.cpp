// Beam groups of an imported voice: the positions are staff steps (negative up), a
// stem end and a beam's height are in units of a step of 64 from the same line.
#include "interchange/niff/niff_beam_stems.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "notes/drawing/beam_layout.h"
#include "notes/drawing/note_fields.h"

namespace ql::niff {

namespace {

constexpr int32_t kStep = 64;
constexpr int kMiddleLine = -4;             // the position of the staff's middle line
constexpr int32_t kMaxRise = 2 * 2 * kStep;  // two spaces over the group
constexpr int32_t kBeamSeparation = 96;      // between beam levels, at full size
constexpr int kMaxGroupChords = 128;
constexpr int32_t kBeamThickness = 64;  // a beam level's depth, at full size
constexpr int32_t kHeadHalf = kStep;     // half a head's height
constexpr int32_t kHeadGap = 32;         // between a beam and another voice's head
constexpr int kMaxClearings = 16;

struct GroupChord {
    size_t first = 0;  // the chord's events [first, end)
    size_t end = 0;
    int top = 0;  // highest and lowest position
    int bottom = 0;
};

int32_t BaseLength(const NiffEvent& head) {
    return head.grace ? kGraceStemLength : head.cue ? kPetiteStemLength : kNormalStemLength;
}

std::vector<GroupChord> GroupFrom(const std::vector<NiffEvent>& events, size_t first) {
    std::vector<GroupChord> group;
    for (int head = static_cast<int>(first); head >= 0 && static_cast<size_t>(head) < events.size() &&
                                             group.size() < kMaxGroupChords;
         head = events[static_cast<size_t>(head)].beamNext) {
        GroupChord c;
        c.first = static_cast<size_t>(head);
        c.end = c.first + 1;
        while (c.end < events.size() && !events[c.end].chordHead) ++c.end;
        c.top = c.bottom = events[c.first].position;
        for (size_t i = c.first; i < c.end; ++i) {
            c.top = std::min(c.top, events[i].position);
            c.bottom = std::max(c.bottom, events[i].position);
        }
        if (!group.empty() && c.first <= group.back().first) break;  // a link back: the group ends
        group.push_back(c);
    }
    return group;
}

// The direction the group's chords share, else the one its note farthest from the
// middle line asks for (stems down from a note above it), else the first chord's.
int GroupDirection(const std::vector<NiffEvent>& events, const std::vector<GroupChord>& group) {
    const int first = events[group.front().first].direction;
    if (std::all_of(group.begin(), group.end(), [&](const GroupChord& c) { return events[c.first].direction == first; }))
        return first;
    int above = 0, below = 0;
    for (const GroupChord& c : group) {
        above = std::max(above, kMiddleLine - c.top);
        below = std::max(below, c.bottom - kMiddleLine);
    }
    return above > below ? 1 : below > above ? -1 : first;
}

// The y of the chord's outer note on the stem's side.
int32_t SideY(const GroupChord& c, bool up) {
    return (up ? c.top : c.bottom) * kStep;
}

// A stem's end at its plain length from the chord's outer note, reaching the
// middle line.
int32_t PlainEnd(const GroupChord& c, bool up, int32_t length) {
    const int32_t end = SideY(c, up) + (up ? -length : length);
    return up ? std::min(end, kMiddleLine * kStep) : std::max(end, kMiddleLine * kStep);
}

// An unbeamed chord's stem reaches past its outer note on the stem's side by its
// plain length (a stem measured from its first note alone may stop in the chord).
void SettleChord(std::vector<NiffEvent>& events, const GroupChord& c) {
    const NiffEvent& head = events[c.first];
    if (head.direction == 0 || c.top == c.bottom) return;
    const bool up = head.direction < 0;
    const int32_t length = PlainEnd(c, up, BaseLength(head)) - head.position * kStep;
    if (std::abs(length) <= std::abs(int32_t{head.stemLength})) return;
    for (size_t k = c.first; k < c.end; ++k)
        events[k].stemLength = static_cast<int16_t>(std::clamp<int32_t>(length, INT16_MIN, INT16_MAX));
}

void SettleGroup(std::vector<NiffEvent>& events, const std::vector<GroupChord>& group) {
    const int direction = GroupDirection(events, group);
    const bool up = direction < 0;
    const int32_t sign = up ? -1 : 1;
    const NiffEvent& lead = events[group.front().first];
    const int32_t length = BaseLength(lead);
    const int32_t shortest = length * 5 / 7;
    const int32_t separation = kBeamSeparation * length / kNormalStemLength;
    const auto side = [&](const GroupChord& c) { return SideY(c, up); };
    int32_t y0 = PlainEnd(group.front(), up, length);
    int32_t y1 = PlainEnd(group.back(), up, length);
    // No steeper than the rise allows: the end nearer the notes moves away from them.
    if (up) {
        y0 = std::min(y0, y1 + kMaxRise);
        y1 = std::min(y1, y0 + kMaxRise);
    } else {
        y0 = std::max(y0, y1 - kMaxRise);
        y1 = std::max(y1, y0 - kMaxRise);
    }
    // Chords along the beam by their ticks (grace notes of one tick by their order).
    const int32_t t0 = events[group.front().first].tick;
    const int32_t span = events[group.back().first].tick - t0;
    const auto along = [&](size_t i) {
        const int32_t num = span > 0 ? events[group[i].first].tick - t0 : static_cast<int32_t>(i);
        const int32_t den = span > 0 ? span : static_cast<int32_t>(group.size() - 1);
        return den > 0 ? y0 + static_cast<int32_t>(int64_t{y1 - y0} * num / den) : y0;
    };
    int32_t shift = 0;
    for (size_t i = 0; i < group.size(); ++i) {
        const int32_t need = shortest + (BeamCountOf(events[group[i].first].code) - 1) * separation;
        const int32_t reach = sign * (along(i) - side(group[i]));  // the stem's length as it stands
        shift = std::max(shift, need - reach);
    }
    y0 += sign * shift;
    y1 += sign * shift;
    for (size_t i = 0; i < group.size(); ++i) {
        const int32_t beam = along(i);
        for (size_t k = group[i].first; k < group[i].end; ++k) {
            events[k].direction = direction;
            events[k].stemLength = static_cast<int16_t>(std::clamp<int32_t>(
                beam - events[group[i].first].position * kStep, INT16_MIN, INT16_MAX));
        }
    }
}

// The distance the group's beam must move away from its notes to stand clear of the
// heads of `other` between its ends (0 when it is clear). The beam's y at a tick is
// the line through its end chords' stem ends; its levels reach toward the notes. A
// grace note stands before its note's tick (after it with a positive nudge), so
// anywhere up to the group's chord on that side: the beam clears it at both ticks
// (one before the group's first chord or after its last stands beyond the beam).
int32_t ClearingOf(const std::vector<NiffEvent>& events, const std::vector<GroupChord>& group,
                   const NiffVoice& other) {
    const NiffEvent& first = events[group.front().first];
    const NiffEvent& last = events[group.back().first];
    const int32_t t0 = first.tick;
    const int32_t span = last.tick - t0;
    if (span <= 0 || first.direction == 0) return 0;
    const int32_t sign = first.direction < 0 ? -1 : 1;  // from the notes toward the beam
    const int32_t y0 = first.position * kStep + first.stemLength;
    const int32_t y1 = last.position * kStep + last.stemLength;
    const int32_t length = BaseLength(first);
    const int32_t separation = kBeamSeparation * length / kNormalStemLength;
    const int32_t thickness = kBeamThickness * length / kNormalStemLength;
    int levels = 1;
    for (const GroupChord& c : group) levels = std::max(levels, BeamCountOf(events[c.first].code));
    const int32_t depth = (levels - 1) * separation + thickness;  // from the beam toward the notes
    int32_t shift = 0;
    const auto clear = [&](const NiffEvent& head, int32_t tick) {
        const int32_t beam = y0 + static_cast<int32_t>(int64_t{y1 - y0} * (tick - t0) / span);
        // Along the stems (sign > 0 toward the beam): the head's far edge and the
        // beam's inner edge.
        const int32_t headFar = sign * head.position * kStep + kHeadHalf;
        const int32_t headNear = sign * head.position * kStep - kHeadHalf;
        const int32_t outer = sign * beam;
        const int32_t inner = outer - depth;
        if (inner >= headFar + kHeadGap || outer + kHeadGap <= headNear) return;  // clear
        shift = std::max(shift, headFar + kHeadGap - inner);
    };
    for (const NiffEvent& head : other.events) {
        if (head.tick < t0 || head.tick > last.tick) continue;
        if (head.grace && head.tick == (head.nudge > 0 ? last.tick : t0)) continue;
        clear(head, head.tick);
        if (!head.grace) continue;
        // The group's chord beside the grace note, on its side of its tick.
        int32_t beside = head.nudge > 0 ? last.tick + 1 : t0 - 1;
        for (const GroupChord& c : group) {
            const int32_t tick = events[c.first].tick;
            if (head.nudge > 0 ? tick > head.tick && tick < beside : tick < head.tick && tick > beside) beside = tick;
        }
        if (beside >= t0 && beside <= last.tick) clear(head, beside);
    }
    return shift;
}

}  // namespace

void ClearNiffBeamsOfOtherVoices(NiffStaffMeasure& measure) {
    for (size_t v = 0; v < kNiffVoices; ++v) {
        std::vector<NiffEvent>& events = measure.voices[v].events;
        for (size_t i = 0; i < events.size(); ++i) {
            if (!events[i].chordHead || events[i].beamPrev >= 0 || events[i].beamNext < 0) continue;
            const std::vector<GroupChord> group = GroupFrom(events, i);
            if (group.size() < 2) continue;
            // A move past one head may bring the beam onto another beyond it.
            for (int round = 0; round < kMaxClearings; ++round) {
                int32_t shift = 0;
                for (size_t o = 0; o < kNiffVoices; ++o)
                    if (o != v) shift = std::max(shift, ClearingOf(events, group, measure.voices[o]));
                if (shift <= 0) break;
                for (const GroupChord& c : group)
                    for (size_t k = c.first; k < c.end; ++k) {
                        const int32_t sign = events[k].direction < 0 ? -1 : 1;
                        events[k].stemLength = static_cast<int16_t>(
                            std::clamp<int32_t>(events[k].stemLength + sign * shift, INT16_MIN, INT16_MAX));
                    }
            }
        }
    }
}

void SettleNiffBeamStems(NiffVoice& voice) {
    std::vector<NiffEvent>& events = voice.events;
    for (size_t i = 0; i < events.size(); ++i) {
        if (!events[i].chordHead || events[i].beamPrev >= 0) continue;
        const std::vector<GroupChord> group = GroupFrom(events, i);
        if (group.size() >= 2)
            SettleGroup(events, group);
        else if (events[i].beamNext < 0)
            SettleChord(events, group.front());
    }
}

}  // namespace ql::niff
