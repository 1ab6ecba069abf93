// Measure numbering and staff groups of a NIFF import: what a `meas` chunk asks of
// the document's measure numbers and the number it shows on the current measure,
// the bracket or brace a `stfg` chunk puts over a range of staves, and the brace
// that joins the staves of each part of more than one staff.
#include <algorithm>

#include "interchange/niff/niff_handlers.h"
#include "interchange/niff/niff_import_state.h"

namespace ql::niff {
namespace {

constexpr int kNumberingOff = 0;
constexpr int kNumberingEvery = 2;
constexpr int kNumberingAtSystems = 1;
constexpr int kEnclosureBox = 2;
constexpr int kBracketGroup = 3;
constexpr int kBraceGroup = 2;
// The document's measure-number settings have no enclosure: a boxed numbering is
// read, shown without its box and listed in the import report.
constexpr char kEnclosureKind[] = "measure-number enclosures";
// Group bits of the first, inner and last staves of a group.
constexpr uint8_t kBracketBits[] = {0x20, 0x30, 0x10};
constexpr uint8_t kBraceBits[] = {0x02, 0x03, 0x01};

}  // namespace

int ReadNiffMeasureNumbering(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (fixedPart == nullptr || SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    NiffFrame& frame = import.frame;
    NiffNumbering& numbering = frame.numbering;
    const int which = fixedPart[0];
    if (which == 0) {
        numbering.mode = kNumberingOff;
        return 1;
    }
    if (which == 1) {
        numbering.mode = kNumberingEvery;
        numbering.every = std::max<int>(fixedPart[1], 1);
    } else if (which == 2 || which == 3) {
        numbering.mode = kNumberingAtSystems;
    }
    if (frame.measureOpen && !frame.pastMeasureLimit && frame.currentMeasure < frame.measures.size())
        frame.measures[frame.currentMeasure].shownNumber = NiffFixedShort(fixedPart, 2);
    numbering.enclosed = fixedPart[7] == kEnclosureBox;
    if (numbering.enclosed) import.report.Count(kEnclosureKind);
    return 1;
}

int ReadNiffStaffGroup(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (fixedPart == nullptr || SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    const int type = fixedPart[0];
    if (type != kBracketGroup && type != kBraceGroup) return 1;
    const int staves = std::min(import.staffCount, kNiffStaffSlots - 1);
    const int first = std::max<int>(NiffFixedShort(fixedPart, 2), 1);
    const int last = std::min<int>(NiffFixedShort(fixedPart, 4), staves);
    const uint8_t* bits = type == kBracketGroup ? kBracketBits : kBraceBits;
    for (int staff = first; staff <= last; ++staff) {
        const uint8_t set = staff == first ? bits[0] : staff == last ? bits[2] : bits[1];
        import.frame.staves[static_cast<size_t>(staff)].groupBits |= set;
    }
    return 1;
}

void BraceNiffParts(NiffImportState& import) {
    NiffFrame& frame = import.frame;
    const int staves = std::min(import.staffCount, kNiffStaffSlots - 1);
    const auto bitsOf = [&](int staff) -> uint8_t& { return frame.staves[static_cast<size_t>(staff)].groupBits; };
    constexpr uint8_t kBraceMask = kBraceBits[1];
    int first = 1;
    for (const int count : import.partStavesFound) {
        const int last = std::min(first + count - 1, staves);
        if (count > 1 && last > first) {
            // A brace from the file that joins a staff of the part to one outside it
            // gives way to the part's own.
            if (first > 1) bitsOf(first - 1) &= static_cast<uint8_t>(~kBraceBits[0]);
            if (last < staves) bitsOf(last + 1) &= static_cast<uint8_t>(~kBraceBits[2]);
            for (int staff = first; staff <= last; ++staff) {
                const uint8_t set = staff == first ? kBraceBits[0] : staff == last ? kBraceBits[2] : kBraceBits[1];
                bitsOf(staff) = static_cast<uint8_t>((bitsOf(staff) & ~kBraceMask) | set);
            }
        }
        first += count;
        if (first > staves) break;
    }
}

}  // namespace ql::niff
