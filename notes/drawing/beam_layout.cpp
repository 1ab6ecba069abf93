// Stem lengths: a chord standing alone (ChordStemOffset) and a beam group
// (ComputeBeamStems; the method is in beam_layout.h). Vertical values are unscaled
// units from the staff's bottom line; stem offsets are stored from each chord's first
// note, clamped to the 16-bit logical range. Layout only reads the notes (a cross-staff
// note counts at the position it is drawn at) and writes their stem offsets.
#include "notes/drawing/beam_layout.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/constants.h"
#include "core/model/events.h"
#include "notes/drawing/notation_font.h"
#include "notes/drawing/note_draw_internal.h"
#include "notes/drawing/note_fields.h"
#include "notes/stems/stems.h"

namespace ql {

namespace {

constexpr int kStep = kUnitsPerStaffStep;
constexpr int kPlainStemSteps = 7;  // 448 units
constexpr int kMiddleLine = -4;     // of a five-line staff
constexpr int kReachMiddleSteps = 8;
constexpr int kFlagCodeLimit = 8;   // codes below a sixteenth lengthen the stem
constexpr int kExtraShortCode = 7;  // and below a 32nd by 32 more
constexpr int kExtraShortUnits = 32;
constexpr int kPetiteShortBase = 848;  // petite below a sixteenth: 848 - d x 64
constexpr int kGraceShortBase = 803;   // grace: 803 - d x 64
constexpr int32_t kEqualXWidth = 256;  // end chords at one x count as this far apart
constexpr int kSlopeLimitSteps = 3;    // end positions this far apart limit the rise
constexpr int32_t kSlopeLimit = kUnitsPerStaffSpace;
constexpr int kFlatWithin3 = 2;  // flat: ends closer than 2 steps, 3 notes or more
constexpr int kFlatNotes3 = 3;
constexpr int kFlatWithin5 = 3;  // or closer than 3 steps, 5 notes or more
constexpr int kFlatNotes5 = 5;
constexpr int kClearanceNum = 5;  // m = max(5|L|/7, |L| - depth)
constexpr int kClearanceDen = 7;
constexpr int kMaxBeamMoves = 1024;
constexpr int kHistogramSize = 256;

int16_t StoredOffset(int64_t offset) {
    return static_cast<int16_t>(ClampLogical(offset));
}

int NormalStemOffset(const EventRecord& first, int span, int up) {
    const int d = first.duration;
    const int p = SignedStep(first);
    const bool cross = IsCrossStaff(first);
    int extra = 0;
    if (d < kFlagCodeLimit) extra = (kFlagCodeLimit - d) * kStep;
    if (d < kExtraShortCode) extra += kExtraShortUnits;
    if (up) {
        if (p - kMiddleLine >= kReachMiddleSteps && !cross)
            return -(p - kMiddleLine) * kStep - extra;
        return -kPlainStemSteps * kStep - extra;
    }
    const int toMiddle = kMiddleLine - p;
    if (toMiddle > span + kPlainStemSteps && !cross) return toMiddle * kStep + extra;
    return (span + kPlainStemSteps) * kStep + extra;
}

int BaseLength(int sizeClass) {
    if (sizeClass == static_cast<int>(NoteSizeClass::Petite)) return kPetiteStemLength;
    if (sizeClass == static_cast<int>(NoteSizeClass::Grace)) return kGraceStemLength;
    return kNormalStemLength;
}

// The chord heads of a tree's leaves, left to right.
std::vector<EventRecord*> TreeHeads(const BeamNode* root) {
    std::vector<EventRecord*> heads;
    for (const BeamNode* node = root; node != nullptr && heads.size() < size_t{kMaxChainLength};) {
        if (node->chord) {
            if (EventRecord* head = ResolveEvent(node->chord)) heads.push_back(head);
        }
        if (const BeamNode* child = BeamNodeAt(node->firstChild)) {
            node = child;
            continue;
        }
        while (node != root && BeamNodeAt(node->nextSibling) == nullptr)
            node = BeamNodeAt(node->parent);
        node = (node == nullptr || node == root) ? nullptr : BeamNodeAt(node->nextSibling);
    }
    return heads;
}

// One chord end of the beam: its first note's and its nearest note's positions and x.
struct BeamEnd {
    EventRecord* head = nullptr;
    int firstPosition = 0;
    int nearPosition = 0;
    int32_t x = 0;
};

BeamEnd EndOf(ScoreView* view, EventRecord* head, bool up) {
    notedraw::Chord chord;
    notedraw::GatherChord(head, chord);
    BeamEnd end;
    end.head = head;
    end.firstPosition = notedraw::DrawnPosition(view, *chord.First());
    end.nearPosition = notedraw::DrawnPosition(view, up ? *chord.First() : *chord.Last());
    end.x = notedraw::ChordX(view, *head);
    return end;
}

// Kept in one place so that the exemption can be filled in once its counters are
// defined; until then every group takes the flattening tests.
bool FlatteningExempt(const BeamGroupShape& /*shape*/) {
    return false;
}

bool TwoPositionsDominate(const BeamGroupShape& shape) {
    constexpr int kFewestNotes = 2;
    if (shape.noteCount <= kFewestNotes) return false;
    int distinct = 0;
    int most = 0;
    for (int i = 0; i < kHistogramSize; ++i) {
        if (shape.stepHistogram[i] == 0) continue;
        ++distinct;
        most = std::max<int>(most, shape.stepHistogram[i]);
    }
    return distinct == 2 && most * 2 >= shape.noteCount && most >= kFewestNotes;
}

bool IsFlatBeam(const BeamGroupShape& shape, int leftPosition, int rightPosition) {
    if (FlatteningExempt(shape)) return false;
    const int apart = std::abs(leftPosition - rightPosition);
    return (apart < kFlatWithin3 && shape.noteCount >= kFlatNotes3) ||
           (apart < kFlatWithin5 && shape.noteCount >= kFlatNotes5) || TwoPositionsDominate(shape);
}

// The beam line, y0 at the left end x0 and y1 at the right end x1.
struct BeamLine {
    int32_t x0 = 0;
    int32_t x1 = 0;
    int32_t y0 = 0;
    int32_t y1 = 0;
    int32_t At(int32_t x) const { return y0 + notedraw::MulDivOrZero(x - x0, y1 - y0, x1 - x0); }
    void Move(int32_t dy) {
        y0 += dy;
        y1 += dy;
    }
};

// Steps 4 and 5 of the method: clearance from the extreme note, then back toward the notes.
void KeepClearance(BeamLine& line, bool up, int32_t depth, int length, int32_t extremeX,
                   int32_t extremeY, int32_t leftY) {
    const int32_t m = std::max(kClearanceNum * length / kClearanceDen, length - std::abs(depth));
    const int32_t away = up ? -kStep : kStep;
    auto gap = [&] {
        return up ? extremeY - (line.At(extremeX) + depth) : line.At(extremeX) + depth - extremeY;
    };
    for (int i = 0; i < kMaxBeamMoves && gap() < m; ++i) line.Move(away);
    for (int i = 0; i < kMaxBeamMoves; ++i) {
        const int32_t leftStem = std::abs(line.y0 + depth - leftY);
        if (gap() - kStep < m || leftStem <= length) break;
        line.Move(-away);
    }
}

// Step 5: the ends' distances beyond the middle line, in whole steps, both positive.
int MiddlePull(const BeamEnd& left, const BeamEnd& right, int32_t leftOffset, int32_t rightOffset,
               bool up) {
    auto beyond = [&](const BeamEnd& e, int32_t offset) {
        return up ? e.firstPosition + offset / kStep - kMiddleLine
                  : -e.firstPosition + kMiddleLine - offset / kStep;
    };
    const int a = beyond(left, leftOffset);
    const int b = beyond(right, rightOffset);
    if (a <= 0 || b <= 0 || IsCrossStaff(*left.head) || IsCrossStaff(*right.head)) return 0;
    return (a + b) / 2;
}

}  // namespace

int16_t ChordStemOffset(const EventRecord& first, int span, int up) {
    const int sizeClass = NoteSizeClass(first);
    const int d = first.duration;
    if (sizeClass == static_cast<int>(NoteSizeClass::Normal) || sizeClass >= kSizeClassCount)
        return StoredOffset(NormalStemOffset(first, span, up));
    const bool petite = sizeClass == static_cast<int>(NoteSizeClass::Petite);
    int base = BaseLength(sizeClass);
    if (d < kFlagCodeLimit) base = (petite ? kPetiteShortBase : kGraceShortBase) - d * kStep;
    return StoredOffset(up ? -base : span * kStep + base);
}

void ComputeBeamStems(ScoreView* view, const BeamNode* root, const BeamGroupShape& shape) {
    if (view == nullptr) return;
    const std::vector<EventRecord*> heads = TreeHeads(root);
    if (heads.empty()) return;
    const bool up = shape.up != 0;
    const BeamEnd left = EndOf(view, heads.front(), up);
    BeamEnd right = EndOf(view, heads.back(), up);
    if (right.x == left.x) right.x = left.x + kEqualXWidth;
    const int sizeClass = NoteSizeClass(*left.head);
    const int length = BaseLength(sizeClass);
    const int32_t separation = ComputeNotationFontState(view, sizeClass).beamSeparation;
    const int32_t depth = (up ? 1 : -1) * shape.largestLevel * separation;
    BeamLine line{left.x, right.x, left.nearPosition * kStep + (up ? -length : length),
                  right.nearPosition * kStep + (up ? -length : length)};
    if (IsFlatBeam(shape, left.nearPosition, right.nearPosition)) {
        line.y0 = line.y1 = up ? std::min(line.y0, line.y1) : std::max(line.y0, line.y1);
    } else if (std::abs(left.nearPosition - right.nearPosition) >= kSlopeLimitSteps) {
        line.y1 = line.y0 + (right.nearPosition < left.nearPosition ? -kSlopeLimit : kSlopeLimit);
    }
    EventRecord* extreme = shape.extremeNote != nullptr ? shape.extremeNote : left.head;
    const int32_t extremeX = notedraw::ChordX(view, *notedraw::ChordHeadOf(extreme));
    KeepClearance(line, up, depth, length, extremeX,
                  notedraw::DrawnPosition(view, *extreme) * kStep, left.nearPosition * kStep);
    if (sizeClass != static_cast<int>(NoteSizeClass::Grace)) {
        const int pull = MiddlePull(left, right, line.y0 - left.firstPosition * kStep,
                                    line.y1 - right.firstPosition * kStep, up);
        line.Move((up ? -1 : 1) * pull * kStep);
    }
    for (EventRecord* head : heads) {
        const int32_t x = head == heads.back() ? right.x : notedraw::ChordX(view, *head);
        head->stemLength =
            StoredOffset(int64_t{line.At(x)} - notedraw::DrawnPosition(view, *head) * kStep);
    }
}

void ComputeChordStem(EventRecord* first, ScoreView* /*view*/, int up) {
    notedraw::Chord chord;
    if (!notedraw::GatherChord(first, chord)) return;
    SetChordStemDirection(first, up);
    for (int i = 0; i < chord.count; ++i) {
        EventRecord* note = chord.notes[i];
        note->beamPrev = RecordHandle{};
        note->beamNext = RecordHandle{};
        note->duration = first->duration;
        note->flags = static_cast<uint16_t>(i == 0 ? note->flags | kNoteStemCarrier
                                                   : note->flags & ~kNoteStemCarrier);
    }
    const int span = SignedStep(*chord.Last()) - SignedStep(*first);
    first->stemWord = static_cast<uint16_t>((first->stemWord & ~kStemFieldMask) |
                                            ((span << kStemFieldShift) & kStemFieldMask));
    MarkSecondInChord(first);
    first->stemLength = ChordStemOffset(*first, span, up);
}

void SetChordStemDirection(EventRecord* chord, int up) {
    notedraw::Chord notes;
    if (!notedraw::GatherChord(notedraw::ChordHeadOf(chord), notes)) return;
    for (int i = 0; i < notes.count; ++i) {
        EventRecord* note = notes.notes[i];
        note->flags =
            static_cast<uint16_t>(up ? note->flags | kNoteStemUp : note->flags & ~kNoteStemUp);
    }
}

void SetStemSidesAlongBeam(ScoreView* view, EventRecord* chord, int up) {
    if (view == nullptr || chord == nullptr) return;
    EventRecord* c = notedraw::ChordHeadOf(chord);
    EventRecord* first = notedraw::BeamGroupStart(c);
    const int32_t xC = notedraw::ChordX(view, *c);
    const int32_t endC = notedraw::NoteY(view, SignedStep(*c)) + ZoomX(view, c->stemLength);
    const int32_t dy =
        notedraw::NoteY(view, SignedStep(*first)) - notedraw::NoteY(view, SignedStep(*c));
    const int32_t dx = notedraw::ChordX(view, *first) - xC;
    EventRecord* head = first;
    for (int i = 0; head != nullptr && i < kMaxChainLength; ++i) {
        notedraw::Chord notes;
        if (!notedraw::GatherChord(head, notes)) break;
        EventRecord* next = notedraw::NextChordHead(notes);
        const bool last = !notedraw::LinkNames(head->beamNext, next);
        const int32_t d = notedraw::ChordX(view, *head) - xC;
        const int32_t lineY = endC + (d > 0 ? notedraw::MulDivOrZero(d, dy, dx) : 0);
        for (int k = 0; k < notes.count; ++k) {
            EventRecord* note = notes.notes[k];
            const bool noteUp = last ? up != 0 : notedraw::NoteY(view, SignedStep(*note)) >= lineY;
            note->flags = static_cast<uint16_t>(noteUp ? note->flags | kNoteStemUp
                                                       : note->flags & ~kNoteStemUp);
        }
        if (last) break;
        head = next;
    }
}

}  // namespace ql
