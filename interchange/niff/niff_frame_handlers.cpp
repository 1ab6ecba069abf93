// The frame of a NIFF import: parts and the staves they own, pages, systems and
// staff headers with their geometry. The prescan only counts and measures; the
// main pass builds the pages and systems of the frame and keeps the current place.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "interchange/niff/niff_handlers.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_time_slices.h"
#include "interchange/niff/niff_values.h"

namespace ql::niff {
namespace {

constexpr int kTagPlacement = 1;
constexpr int kTagHeight = 17;
constexpr int kTagId = 18;
constexpr int kTagInvisible = 19;
constexpr int kTagLines = 29;
constexpr int kTagPart = 32;
constexpr int kTagStaffInPart = 47;
constexpr int kTagWidth = 48;
constexpr int32_t kPageOrigin = 30720;
constexpr int32_t kSystemOrigin = 30208;
constexpr int32_t kStaffSpacing = 1536;
constexpr uint8_t kDefaultLines = 5;
constexpr char kSkippedStaffKind[] = "chunks of staves out of range";

int32_t Scaled(const NiffImportState& import, int value) {
    return static_cast<int32_t>(value * import.unitScale);
}

// A node for the chain's next measure, whose start the first slice in it gives.
void AppendPlaceholderMeasure(NiffFrame& frame) {
    NiffMeasureNode node;
    node.number = frame.measures.back().number + 1;
    frame.measures.push_back(std::move(node));
}

void BeginNiffPage(NiffImportState& import) {
    NiffFrame& frame = import.frame;
    NiffPageFrame page;
    if (const NiffPageFrame* previous = frame.Page()) {
        page.firstMeasure = page.lastMeasure = previous->lastMeasure + 1;
        page.index = previous->index + 1;
    }
    page.placementX = NiffTagShort(import.tags, kTagPlacement, 0);
    page.placementY = NiffTagShort(import.tags, kTagPlacement, 2);
    frame.pages.push_back(page);
    // The measure chain reaches the page's first measure, which becomes current.
    while (frame.measures.back().number < std::min(page.firstMeasure, kNiffMostMeasures))
        AppendPlaceholderMeasure(frame);
    for (size_t i = 0; i < frame.measures.size(); ++i)
        if (frame.measures[i].number == page.firstMeasure) frame.currentMeasure = i;
    frame.staffNumber = 0;  // no staff of the new page yet
    frame.firstStaff = -1;
    frame.skippingStaff = false;
}

NiffSystemFrame& BeginSystemIn(NiffImportState& import) {
    NiffFrame& frame = import.frame;
    if (frame.Page() == nullptr) BeginNiffPage(import);
    NiffPageFrame& page = *frame.Page();
    const NiffSystemFrame* previous = page.systems.empty() ? nullptr : &page.systems.back();
    NiffSystemFrame system;
    system.firstMeasure = system.lastMeasure =
        previous != nullptr ? previous->lastMeasure + 1 : page.firstMeasure;
    const NiffTagState& tags = import.tags;
    system.placementX = NiffTagShort(tags, kTagPlacement, 0);
    system.placementY = NiffTagShort(tags, kTagPlacement, 2);
    system.placed = HasNiffTag(tags, kTagPlacement);
    system.rightEdge = system.placementX + NiffTagShort(tags, kTagWidth, 0);
    if (import.writer.generic) {
        system.left = Scaled(import, system.placementX) - kPageOrigin;
    } else {
        system.left = import.margins.left - kPageOrigin;
        system.placementX = static_cast<int32_t>(import.margins.left / import.unitScale);
    }
    if (!HasNiffTag(tags, kTagPlacement) && previous != nullptr) {
        int last = import.staffCount;
        for (int s = import.staffCount; s >= 1; --s)
            if ((previous->staffFlags[static_cast<size_t>(s)] & kNiffStaffHidden) == 0) {
                last = s;
                break;
            }
        const int32_t bottom = previous->top + previous->staffOffsets[static_cast<size_t>(last)] + 512;
        system.placementY = static_cast<int32_t>((bottom + kSystemOrigin) / import.unitScale);
    }
    system.top = Scaled(import, system.placementY) - kSystemOrigin;
    if (!import.writer.generic) system.staffFlags.fill(kNiffStaffHidden);
    // The measure chain reaches the system's measure.
    while (frame.measures.back().number < std::min(system.lastMeasure, kNiffMostMeasures))
        AppendPlaceholderMeasure(frame);
    page.systems.push_back(system);
    page.lastMeasure = system.lastMeasure;
    frame.firstStaff = -1;
    frame.currentStaff = 0;
    frame.skippingStaff = false;
    return page.systems.back();
}

// The place in the parts table of the part a staff header names by tag 32, -1
// when it names none of the table.
int NamedPartIndex(const NiffImportState& import) {
    const int part = NiffTagShort(import.tags, kTagPart, 0);
    if (part < 0 || part >= static_cast<int>(import.parts.size())) return -1;
    for (size_t i = 0; i < import.parts.size(); ++i)
        if (import.parts[i].number == part) return static_cast<int>(i);
    return -1;
}

// Whether a scanning program names the staff by its id (tag 18).
bool NamedById(const NiffImportState& import) {
    return import.writer.smartscore && NiffTagShort(import.tags, kTagId, 0) >= 0;
}

// The staff a staff header names, or 0 when it names none in range. A header that
// names no part keeps its place in the system.
int StaffNumberOf(NiffImportState& import) {
    const NiffTagState& tags = import.tags;
    if (NamedById(import)) return NiffTagShort(tags, kTagId, 0) + 1;
    const int index = NamedPartIndex(import);
    if (index < 0) return import.frame.currentStaff;
    int first = 1;
    for (int i = 0; i < index; ++i) first += import.parts[static_cast<size_t>(i)].staves;
    const int within = NiffTagShort(tags, kTagStaffInPart, 0);
    return within > 0 && within < import.parts[static_cast<size_t>(index)].staves ? first + within : first;
}

// The prescan's record of the staff a header names: the part's staves reach the
// staff within it, or the system's unnamed staves reach the header's place.
void NoteNiffStaffFound(NiffImportState& import) {
    if (NamedById(import)) return;
    const int index = NamedPartIndex(import);
    if (index < 0) {
        import.unnamedStavesFound = std::max(import.unnamedStavesFound, import.frame.currentStaff);
        return;
    }
    if (import.partStavesFound.size() < import.parts.size()) import.partStavesFound.resize(import.parts.size(), 0);
    const int within = std::max<int>(NiffTagShort(import.tags, kTagStaffInPart, 0), 0);
    int& found = import.partStavesFound[static_cast<size_t>(index)];
    found = std::max(found, within + 1);
}

void BeginNiffStaff(NiffImportState& import) {
    NiffFrame& frame = import.frame;
    if (frame.System() == nullptr) {
        // A staff header without a system header before it on its page begins the
        // system and is its first staff.
        BeginSystemIn(import);
        frame.currentStaff = 1;
    }
    const int staff = StaffNumberOf(import);
    if (staff <= 0 || staff > import.reservedStaves || staff >= kNiffStaffSlots) {
        frame.skippingStaff = true;
        import.report.Count(kSkippedStaffKind);
        return;
    }
    frame.skippingStaff = false;
    frame.staffNumber = staff;
    if (staff > import.staffCount) import.staffCount = staff;
    NiffStaffFrame& record = frame.staves[static_cast<size_t>(staff)];
    const NiffTagState& tags = import.tags;
    // The part's name labels its first staff only.
    int first = 1;
    for (NiffPart& part : import.parts) {
        if (staff >= first && staff < first + part.staves) {
            if (!part.nameUsed && part.name != 0) {
                record.label = NiffString(import, part.name);
                while (!record.label.empty() && static_cast<unsigned char>(record.label.back()) <= ' ')
                    record.label.pop_back();
                part.nameUsed = true;
            }
            break;
        }
        first += part.staves;
    }
    record.lines = tags.values[kTagLines][0];
    NiffSystemFrame& system = *frame.System();
    const NiffPageFrame& page = *frame.Page();
    uint8_t& flags = system.staffFlags[static_cast<size_t>(staff)];
    flags = 0;
    if (page.index > 0 || frame.Page()->systems.size() > 1) flags |= kNiffStaffContinued;
    const int height = NiffTagShort(tags, kTagHeight, 0);
    if (HasNiffTag(tags, kTagInvisible) || (HasNiffTag(tags, kTagHeight) && height == 0))
        flags |= kNiffStaffHidden;
    if (NiffTagShort(tags, kTagWidth, 0) != 0) import.lastStaffWidth = NiffTagShort(tags, kTagWidth, 0);
    if (height != 0) {
        import.lastStaffHeight = height;
        // A full-size staff has no reduced size yet to keep.
        const int present = record.sizePercent == 100 ? 0 : record.sizePercent;
        record.sizePercent = NiffStaffSizePercent(height, import.largestStaffHeight, present);
    }
    int32_t placement = NiffTagShort(tags, kTagPlacement, 2);
    if (!HasNiffTag(tags, kTagPlacement))
        placement = static_cast<int32_t>((frame.currentStaff - 1) * kStaffSpacing / import.unitScale);
    system.staffOffsets[static_cast<size_t>(staff)] = Scaled(import, placement);
    frame.staffPlacementY = placement;
    if (frame.firstStaff < 0) frame.firstStaff = staff;
    // The first node of the system, found by halves: numbers rise by one along the chain.
    const auto head = std::partition_point(frame.measures.begin(), frame.measures.end(),
                                            [&](const NiffMeasureNode& node) { return node.number < system.firstMeasure; });
    frame.currentMeasure = head == frame.measures.end() ? 0 : static_cast<size_t>(head - frame.measures.begin());
    char line[64];
    std::snprintf(line, sizeof line, "    staff %d", staff);
    if (ReportNiffProgress(import, line, page.index + 1, static_cast<int>(page.systems.size()), staff))
        import.cancelled = true;
}

// The prescan's staff measure: the tallest staff sets the unit scale and the
// staff size the document is given.
void MeasureNiffStaff(NiffImportState& import) {
    const NiffTagState& tags = import.tags;
    const int lines = tags.values[kTagLines][0] != 0 ? tags.values[kTagLines][0] : kDefaultLines;
    const int height = NiffTagShort(tags, kTagHeight, 0);
    if (height == 0) return;
    import.lastStaffHeight = height;
    // The line spacing on paper of the largest five-line staff, by the unit the file
    // measures in (inches, centimetres or points of its absolute units).
    const NiffFileInformation& info = import.information;
    constexpr double kCentimetresPerInch = 2.54;
    constexpr double kPointsPerInch = 72.0;
    const double perInch = info.standardUnits == 1   ? info.absoluteUnits
                           : info.standardUnits == 2 ? info.absoluteUnits * kCentimetresPerInch
                           : info.standardUnits == 3 ? info.absoluteUnits * kPointsPerInch
                                                     : 0.0;
    if (lines == kDefaultLines && perInch > 0.0)
        import.spaceInches = std::max(import.spaceInches, static_cast<double>(height) / (kDefaultLines - 1) / perInch);
    if (height <= import.largestStaffHeight) return;
    import.largestStaffHeight = height;
    double spacing = static_cast<double>(height) / std::max(lines - 1, 1);
    if (spacing <= 0) spacing = 128.0;
    import.lineSpacing = spacing;
    import.unitScale = 128.0 / spacing;
}

}  // namespace

bool SkipForNiffStaff(NiffChunkContext& context) {
    NiffImportState& import = *context.import;
    if (!import.frame.skippingStaff) return false;
    import.report.Count(kSkippedStaffKind);
    return true;
}

int StoreNiffPart(NiffChunkContext& context, const uint8_t* fixedPart) {
    NiffImportState& import = *context.import;
    if (fixedPart == nullptr || import.parts.size() >= kNiffMaxParts) return 1;
    NiffPart part;
    part.number = NiffFixedShort(fixedPart, 0);
    part.name = NiffFixedLong(fixedPart, 2);
    part.abbreviation = NiffFixedLong(fixedPart, 6);
    part.staves = fixedPart[10];
    // In the main pass a part has at least the staves the systems hold for it.
    const size_t index = import.parts.size();
    if (import.pass == 1 && index < import.partStavesFound.size())
        part.staves = static_cast<uint8_t>(std::clamp(import.partStavesFound[index], int{part.staves}, kNiffMaxStaves));
    part.channel = static_cast<int8_t>(fixedPart[11]);
    part.cable = static_cast<int8_t>(fixedPart[12]);
    part.transposition = static_cast<int8_t>(fixedPart[13]);
    import.parts.push_back(part);
    return 1;
}

int SetupNiffStaves(NiffChunkContext& context, const uint8_t*) {
    NiffImportState& import = *context.import;
    std::vector<int> staves;
    for (const NiffPart& part : import.parts) staves.push_back(part.staves);
    import.staffCount = NiffStaffCount(staves);
    if (import.pass == 0) return 1;
    int staff = 1;
    for (const NiffPart& part : import.parts)
        for (int i = 0; i < part.staves && staff < kNiffStaffSlots; ++i, ++staff) {
            NiffStaffFrame& record = import.frame.staves[static_cast<size_t>(staff)];
            if (part.channel >= 0) record.channel = part.channel;
            if (import.writer.generic) record.transposition = -part.transposition;
        }
    return 1;
}

int ReadNiffPageHeader(NiffChunkContext& context, const uint8_t*) {
    NiffImportState& import = *context.import;
    if (import.pass == 0) {
        ++import.pageCount;
        import.frame.currentStaff = 0;
        import.pageWidthSum += NiffTagShort(import.tags, kTagWidth, 0);
        import.pageHeightSum += NiffTagShort(import.tags, kTagHeight, 0);
        return 1;
    }
    CloseNiffMeasure(import);
    BeginNiffPage(import);
    const int index = import.frame.Page()->index;
    char line[64];
    std::snprintf(line, sizeof line, "  page %d", index + 1);
    if (ReportNiffProgress(import, line, index + 1, 0, 0)) import.cancelled = true;
    return import.cancelled ? 0 : 1;
}

int BeginNiffSystem(NiffChunkContext& context, const uint8_t*) {
    NiffImportState& import = *context.import;
    CloseNiffMeasure(import);
    BeginSystemIn(import);
    char line[64];
    std::snprintf(line, sizeof line, "    system %d", static_cast<int>(import.frame.Page()->systems.size()));
    if (ReportNiffProgress(import, line, import.frame.Page()->index + 1,
                           static_cast<int>(import.frame.Page()->systems.size()), 0))
        import.cancelled = true;
    return import.cancelled ? 0 : 1;
}

int CountNiffSystem(NiffChunkContext& context, const uint8_t*) {
    NiffImportState& import = *context.import;
    if (import.pageCount <= 1) ++import.firstPageSystems;
    import.frame.currentStaff = 0;  // the staff headers count from the system's first
    return 1;
}

void FitNiffPartsToStaves(NiffImportState& import) {
    import.partStavesFound.resize(import.parts.size(), 0);
    int sum = 0;
    for (size_t i = 0; i < import.parts.size(); ++i) {
        int& staves = import.partStavesFound[i];
        staves = std::clamp(std::max<int>(staves, import.parts[i].staves), 0, kNiffMaxStaves);
        sum += staves;
    }
    // The staves past those of every part belong to the last part.
    if (!import.partStavesFound.empty() && import.unnamedStavesFound > sum)
        import.partStavesFound.back() =
            std::min(import.partStavesFound.back() + import.unnamedStavesFound - sum, kNiffMaxStaves);
    import.staffCount = std::max(NiffStaffCount(import.partStavesFound),
                                 std::clamp(import.unnamedStavesFound, 1, kNiffMaxStaves));
}

int BeginNiffStaffHeader(NiffChunkContext& context, const uint8_t* fixedPart) {
    NiffImportState& import = *context.import;
    // The staff before this one ends here, with its last measure.
    CloseNiffMeasure(import);
    BeginNiffChunk(context, fixedPart);
    ++import.frame.currentStaff;
    import.tags.values[kTagLines] = {};
    import.tags.values[kTagLines][0] = kDefaultLines;
    import.tags.written |= uint64_t{1} << kTagLines;
    return 1;
}

int ReadNiffStaffHeader(NiffChunkContext& context, const uint8_t*) {
    NiffImportState& import = *context.import;
    if (import.pass == 0) {
        MeasureNiffStaff(import);
        NoteNiffStaffFound(import);
        return 1;
    }
    BeginNiffStaff(import);
    return import.cancelled ? 0 : 1;
}

int CountUnconvertedNiffChunk(NiffChunkContext& context, const uint8_t*) {
    if (SkipForNiffStaff(context)) return 1;
    const FourCC& id = context.id;
    context.import->report.Count(std::string(id.begin(), id.end()));
    return 1;
}

}  // namespace ql::niff
