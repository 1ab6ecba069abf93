// What a NIFF import keeps of the objects that span several events: the spanner
// table (one record kind for tuplets, hairpins, slurs, octave signs and endings,
// found by type and the file's ID), the per-staff list of tied notes waiting for
// their partner, and the requests the handlers leave for the builder, which makes
// the score objects once the notes are in the document. Events are named by their
// serial number, given when the note or rest is read.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "interchange/niff/niff_placement.h"

namespace ql {
struct EventRecord;
}

namespace ql::niff {

inline constexpr int kNiffSpannerRecords = 704;
inline constexpr int kNiffTieStaffSlots = 45;  // staves 0..44, as the frame's

enum class NiffSpannerType : uint8_t {
    kFree = 0,
    kBeam = 2,
    kTuplet = 3,
    kHairpin = 4,
    kSlur = 5,
    kOctave = 6,
    kEnding = 7,
    kPedal = 8,
};

inline constexpr int16_t kNiffSpannerFree = -1;
inline constexpr int16_t kNiffSpannerFinished = -2;

// One record of the spanner table. The kind-specific words hold, by type (see the
// kSpanner* indexes of the handlers): a tuplet's two ratio numerators, grouping,
// note count and the notes seen; a slur's side; a hairpin's closing flag and
// height; an octave sign's direction byte and line style; an ending's type and
// string offset.
struct NiffSpannerRecord {
    int16_t id = kNiffSpannerFree;
    int16_t nodesLeft = 0;
    NiffSpannerType type = NiffSpannerType::kFree;
    int staff = 0;
    int measure = 0;  // measure number at the first node, 0 when none was open
    int32_t tick = 0;  // the time slice at the first node
    int32_t vertical = 0;  // score units from the staff's bottom line, negative upwards
    bool placed = false;   // tag 1 was given at the first node
    // The first node was placed on a page (tag 3 names the page header): that
    // page's index and the point there; page -1 otherwise.
    NiffPagePoint pageStart;
    int firstEvent = -1;   // the serial of the event the spanner starts at
    bool complete = false;  // the last node came before the note that ends it
    std::array<int, 6> kind{};  // kind-specific values (above)
    bool Free() const { return id < 0 || type == NiffSpannerType::kFree; }
};

// A slur from one note to another; side 1 above, 2 below, 0 by the stems. A slur
// whose nodes were all placed on one page is one of that page's items, from the
// first node's page point to the last's (side 0 then above), arched for the
// number of measures it spans; its notes play no part.
struct NiffSlurRequest {
    int first = -1;
    int last = -1;
    int side = 0;
    int page = -1;
    int32_t startX = 0, startY = 0;  // score units from the page's corner
    int32_t endX = 0, endY = 0;
    int measures = 0;  // measures spanned past the first
};

// A tie from one note to a later one of the same staff; side 1 above, 2 below,
// 0 as the notes and stems decide.
struct NiffTieRequest {
    int start = -1;
    int end = -1;
    int side = 0;
};

enum class NiffLineKind : uint8_t { kHairpin, kOctave, kEnding };

// A hairpin, octave line or repeat ending from one time of a staff to another.
struct NiffLineRequest {
    NiffLineKind kind = NiffLineKind::kHairpin;
    int staff = 1;
    int startMeasure = 1;
    int32_t startTick = 0;
    int endMeasure = 1;
    int32_t endTick = 0;
    int32_t vertical = 0;  // score units from the staff's bottom line, negative upwards
    bool placed = false;   // the file gave the vertical
    int32_t opening = 0;   // hairpin: half its opening
    bool closing = false;  // hairpin: a decrescendo
    bool above = true;     // octave line: the sign stands above the staff
    bool lineShown = true;
    bool startHook = false;  // ending hooks
    bool endHook = false;
    std::array<uint8_t, 4> passes{1, 0, 0, 0};  // ending numbers, 0 none
    // Both ends placed on the same page: the line is one of the page's items, from
    // (pageStartX, pageY) to (pageEndX, pageY), score units from the page's corner.
    int page = -1;
    int32_t pageStartX = 0;
    int32_t pageEndX = 0;
    int32_t pageY = 0;
};

// The tuplet number over the middle note of a tuplet.
struct NiffTupletRequest {
    int event = -1;
    int digit = 3;
    int bracket = 0;  // 0 none, 1 or 2 the bracket's style; -1 no mark at all
};

// A note waiting on its staff's list for the note its tie goes to.
struct NiffPendingTie {
    int tieId = -1;
    int event = -1;
    int voice = 0;
    int side = 0;  // the side the file gave at this note
};

// Where the builder put an event: its record, staff, measure and voice.
struct NiffPlacedEvent {
    EventRecord* event = nullptr;
    int staff = 0;
    int measure = 0;
    int voice = 0;
};

struct NiffSpannerState {
    std::vector<NiffSpannerRecord> records = std::vector<NiffSpannerRecord>(kNiffSpannerRecords);
    // Records are taken only through the spanner search, lowest free first: those
    // from this index on have never been taken and are all free.
    size_t used = 0;
    int currentTuplet = -1;  // the record of the tuplet the next notes belong to
    // The slur IDs given since the last stem (four at most), -1 for none.
    std::array<int, 4> slurIds{-1, -1, -1, -1};
    int nextSerial = 0;
    std::vector<NiffSlurRequest> slurs;
    std::vector<NiffTieRequest> ties;
    std::vector<NiffLineRequest> lines;
    std::vector<NiffTupletRequest> tuplets;
    // Per staff (1..44): tied notes waiting for their partner.
    std::array<std::vector<NiffPendingTie>, kNiffTieStaffSlots> pendingTies;
    std::vector<NiffPlacedEvent> placed;  // by serial, filled by the builder
};

}  // namespace ql::niff
