// The frame a NIFF import reads before it becomes a score: pages with their
// systems and the staves' places in them, the measure chain with each measure's
// length, and the text-like marks with their anchors. The handlers fill it during
// the main pass; the builder turns it into the document.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "interchange/niff/niff_attachments.h"
#include "interchange/niff/niff_placement.h"
#include "interchange/niff/niff_spanner_records.h"
#include "interchange/niff/niff_voices.h"

namespace ql {
struct ScoreObject;
}

namespace ql::niff {

inline constexpr int kNiffStaffSlots = 45;  // staves 0..44
inline constexpr uint8_t kNiffStaffHidden = 0x80;
inline constexpr uint8_t kNiffStaffContinued = 0x40;

struct NiffSystemFrame {
    int32_t left = 0;  // score units, as the document keeps a system's left edge
    int32_t top = 0;
    int32_t placementX = 0;  // file units
    int32_t placementY = 0;
    int32_t rightEdge = 0;  // placement plus width, file units
    int firstMeasure = 1;
    int lastMeasure = 1;
    bool placed = false;  // the file gave the system's place
    std::array<int32_t, kNiffStaffSlots> staffOffsets{};
    std::array<uint8_t, kNiffStaffSlots> staffFlags{};
};

struct NiffPageMargins {
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // score units
};

struct NiffPageFrame {
    int index = 0;
    int firstMeasure = 1;
    int lastMeasure = 1;
    int32_t placementX = 0;
    int32_t placementY = 0;
    std::vector<NiffSystemFrame> systems;
    NiffPageMargins margins;
};

// What a mark is anchored to: a page position, a measure offset, or (without a
// placement of its own) a time in its measure.
enum class NiffAnchor : uint8_t { kPage, kMeasure, kTime };

enum class NiffMarkKind : uint8_t {
    kTextLine,
    kRehearsal,
    kStaffLabel,
    kChordSymbol,
    kTempo,
    kDynamic,
    kPedal,
    kPedalBracket,
};

// An articulation or ornament the import attached to a note; `placed` when the
// file gave its side and place.
struct NiffNoteMarkRecord {
    ScoreObject* object = nullptr;
    int staff = 1;
    int measure = 1;
    bool placed = false;
};

struct NiffMark {
    NiffMarkKind kind = NiffMarkKind::kTextLine;
    std::string text;
    NiffAnchor anchor = NiffAnchor::kMeasure;
    int page = 0;
    int measure = 1;
    int tick = 0;
    int staff = 1;
    int32_t x = 0;  // score units: from the page, the measure, or the time
    int32_t y = 0;
    int style = 4;
    int fontSlot = -1;  // the file's font description (tag 13), -1 for the style's font
    bool hidden = false;
    bool boxed = false;
    bool circled = false;
    // Tag 33's alignment: horizontal 1 centred, 2 right-aligned; vertical 1 above
    // the point, 3 centred on it; 0 neither.
    uint8_t alignX = 0;
    uint8_t alignY = 0;
    NiffMarkDetail detail;
};

inline constexpr int kNiffMostMeasures = 1016;
inline constexpr uint8_t kNiffNoKey = 7;  // the key code without accidentals  // no measure node past this number

struct NiffMeasureNode {
    int number = 1;
    int lengthTicks = 0;
    // The start the file gives (in whole notes) and in ticks from the score's
    // start; a node a system header made has no start until a slice claims it.
    bool started = false;
    double start = 0;
    int32_t startTick = 0;
    // The measure's barline word: two four-bit codes, and the repeat byte.
    uint8_t barline = 0;
    uint8_t repeatCount = 0;
    int shownNumber = -1;  // the number a `meas` chunk shows, -1 none
    std::vector<NiffStaffMeasure> staves;  // each staff's voices, once closed
    // The time signature of the measure, and each staff's clef kind and key code
    // at its start.
    uint8_t beats = 4;
    uint8_t exponent = 10;
    bool timeHidden = false;  // its time signature is invisible in the file
    std::array<uint8_t, kNiffStaffSlots> clefs{};
    std::array<uint8_t, kNiffStaffSlots> keys{};
    NiffMeasureNode() { keys.fill(kNiffNoKey); }
};

// The length of a measure's time signature.
inline int32_t NiffSignatureTicks(const NiffMeasureNode& node) {
    return int32_t{node.beats} << node.exponent;
}

// A stem (or a rest): the events built after it share its voice and tick.
struct NiffStemGroup {
    int voice = 0;
    int fileVoice = -1;  // tag 47 of the stem, -1 without
    int32_t tick = 0;
    int events = 0;  // notes and rests built in the group
};

// What the stems, notes, rests and beams of the open staff measure leave.
struct NiffNoteGroup {
    std::vector<NiffEvent> events;
    std::vector<NiffStemGroup> stemGroups;
    int currentGroup = -1;
    int highestVoice = -1;
    int beamId = -1;
    int currentEvent = -1;  // the event the last note or rest made; -1 after a stem
    int stemRequest = 0;  // 1 up, 2 down, else free
    bool stemHidden = false;  // the open stem carries tag 19 (invisible)
    bool beamHidden = false;  // the last beam does
};

// What the file gave since the last event slice that a measure start turns into
// the new measure's barline word.
struct NiffBarlineMarks {
    static constexpr int kMostBarlines = 8;
    uint8_t types[kMostBarlines]{};
    int count = 0;
    uint8_t repeatKinds[2]{};  // the two repeat records' kinds (0 none)
    int repeatCount = 0;
};

// Per staff (1..44): what the file says of it.
struct NiffStaffFrame {
    std::string label;
    int lines = 5;
    int sizePercent = 100;  // below 100 for a reduced staff, never below 50
    int channel = -1;
    int transposition = 0;
    uint8_t clef = 0;  // the clef kind and key code in force
    uint8_t key = kNiffNoKey;
    bool clefGiven = false;
    bool keyGiven = false;
    uint8_t groupBits = 0;  // a staff group's bracket (0x10 above, 0x20 below) or brace (0x01, 0x02)
};

// A clef or key change inside a measure of a staff, made as a cell object.
struct NiffSignChange {
    bool key = false;  // a key signature, else a clef
    int staff = 1;
    int measure = 1;
    int32_t tick = 0;
    uint8_t code = 0;  // the clef kind or key code
};

struct NiffFrame {
    std::vector<NiffPageFrame> pages;
    std::vector<NiffMeasureNode> measures{NiffMeasureNode{}};
    std::vector<NiffMark> marks;
    std::vector<NiffNoteAttachments> attachments;  // by NiffEvent::attachments
    // Articulations and ornaments attached without a place from the file, put at
    // their notes' places once the pages are laid out.
    std::vector<NiffNoteMarkRecord> noteMarks;
    std::vector<NiffPedalRecord> pedals;
    NiffNumbering numbering;
    std::array<NiffStaffFrame, kNiffStaffSlots> staves{};
    // The current place of the main pass.
    int currentStaff = 0;  // 1-based in the system, from the staff headers
    int staffNumber = 0;   // the document staff the current staff header names
    int firstStaff = -1;
    int32_t staffPlacementY = 0;
    NiffAnchorOffsets anchors;  // the offsets of the anchors below the staff
    bool skippingStaff = false;  // a staff header out of range: its list is skipped
    size_t currentMeasure = 0;   // index into measures
    // The started nodes as (start, index), sorted by start. A node is started only
    // when no node has its start yet, so each start names one node.
    std::vector<std::pair<double, size_t>> startedMeasures;
    // A measure-start slice of the current staff opened the current measure, and
    // nothing has closed it for that staff yet.
    bool measureOpen = false;
    // Something followed the open measure's start; a start with nothing after it
    // before the staff ends only marks where the staff's last measure ended.
    bool measureHasContent = false;
    // Past the measure limit: no current measure until the next page.
    bool pastMeasureLimit = false;
    bool measureLimitShown = false;
    int32_t currentTick = 0;
    int32_t previousTick = 0;
    NiffBarlineMarks barlines;
    // The barline word of a measure start at the score's end, which closes the
    // last measure and opens none: the barline after the last measure.
    uint16_t closingBarline = 0;
    NiffNoteGroup notes;
    NiffSpannerState spanners;  // spanners, ties and tuplets, and what they ask for
    std::vector<NiffSignChange> signChanges;
    static_assert(kNiffTieStaffSlots == kNiffStaffSlots);

    NiffPageFrame* Page() { return pages.empty() ? nullptr : &pages.back(); }
    NiffSystemFrame* System() {
        NiffPageFrame* page = Page();
        return page == nullptr || page->systems.empty() ? nullptr : &page->systems.back();
    }
};

}  // namespace ql::niff
