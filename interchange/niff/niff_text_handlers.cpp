// The text-like marks of a NIFF file: free text, chord symbols, tempo marks and
// rehearsal marks, each placed from its tags and kept in the import's frame.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "interchange/niff/niff_chord_parser.h"
#include "interchange/niff/niff_handlers.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_marks.h"
#include "interchange/niff/niff_placement.h"
#include "interchange/niff/niff_values.h"

namespace ql::niff {
namespace {

constexpr int kTagPlacement = 1;
constexpr int kTagFont = 13;
constexpr int kTagInvisible = 19;
constexpr int kTagSide = 22;
constexpr int kTagVerticalOffset = 34;
constexpr int kSideAbove = 1;
constexpr int kSideBelow = 2;
constexpr int kTextStyle = 4;
constexpr int kChordStyle = 6;
constexpr int kTempoStyle = 7;
constexpr int kRehearsalStyle = 11;
constexpr int kLyricDefault = 2;  // indexes into the six default fonts
constexpr int kChordDefault = 3;
constexpr int kRehearsalDefault = 5;
constexpr int32_t kAboveStaff = -768;
constexpr int32_t kBelowStaff = 640;
constexpr size_t kMaxChordText = 63;

NiffMark NewMark(NiffImportState& import, NiffMarkKind kind, std::string text, int style,
                 int defaultFont, int32_t defaultVertical, uint8_t alignY = 2) {
    NiffMark mark;
    mark.kind = kind;
    mark.text = std::move(text);
    mark.style = style;
    mark.fontSlot = NiffMarkFont(import, defaultFont);
    mark.hidden = HasNiffTag(import.tags, kTagInvisible);
    PlaceNiffMark(import, defaultVertical, mark);
    AlignNiffMark(import.tags, 1, alignY, mark);
    return mark;
}

}  // namespace

int NiffMarkFont(const NiffImportState& import, int defaultIndex) {
    if (!HasNiffTag(import.tags, kTagFont)) return -1;
    const int index = NiffTagShort(import.tags, kTagFont, 0);
    const int fallback = import.defaultFonts[static_cast<size_t>(defaultIndex)];
    if (index < 0 || index >= static_cast<int>(import.fonts.size()) || index == fallback) return -1;
    return index;
}

int64_t NiffVerticalUnits(const NiffImportState& import, int staff, int64_t value) {
    const int size = import.frame.staves[static_cast<size_t>(std::clamp(staff, 0, kNiffStaffSlots - 1))].sizePercent;
    if (size > 0 && size < 100) value = value * 100 / size;
    return static_cast<int64_t>(static_cast<double>(value) * import.unitScale);
}

void PlaceNiffMark(NiffImportState& import, int32_t defaultVertical, NiffMark& mark) {
    const NiffTagState& tags = import.tags;
    NiffFrame& frame = import.frame;
    mark.staff = frame.staffNumber > 0 ? frame.staffNumber : 1;
    mark.page = frame.pages.empty() ? 0 : static_cast<int>(frame.pages.size()) - 1;
    mark.measure = frame.measures[frame.currentMeasure].number;
    mark.tick = frame.currentTick;
    const bool onPage = NiffPlacedOnPage(tags);
    if (!HasNiffTag(tags, kTagPlacement) && !onPage) {
        mark.anchor = NiffAnchor::kTime;
        mark.x = 0;
        mark.y = defaultVertical;
        return;
    }
    // Marks of the measures are kept as offsets from the measure's start.
    if (!onPage) ResolveNiffPlacement(import, NiffAnchorLevel::kEventSlice);
    mark.x = static_cast<int32_t>(NiffTagShort(tags, kTagPlacement, 0) * import.unitScale);
    mark.y = static_cast<int32_t>(NiffVerticalUnits(import, mark.staff, NiffTagShort(tags, kTagPlacement, 2)));
    if (!HasNiffTag(tags, kTagPlacement)) mark.y = defaultVertical;
    mark.anchor = onPage ? NiffAnchor::kPage : NiffAnchor::kMeasure;
}

int ReadNiffText(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (fixedPart == nullptr || SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    std::string text = NiffString(import, NiffFixedLong(fixedPart, 0));
    if (import.pendingMultiMeasure > 0) {
        const int count = import.pendingMultiMeasure;
        import.pendingMultiMeasure = 0;
        if (std::atoi(text.c_str()) == count + 1) return 1;  // the number over the rest
    }
    // A text the file puts below its staff (logical placement) starts below it.
    const bool below =
        HasNiffTag(import.tags, kTagSide) && import.tags.values[kTagSide][1] == kSideBelow;
    import.frame.marks.push_back(NewMark(import, NiffMarkKind::kTextLine, std::move(text),
                                         kTextStyle, kLyricDefault, below ? kBelowStaff : 0));
    return 1;
}

int ReadNiffChordSymbol(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (fixedPart == nullptr || SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    const std::string text = NiffString(import, NiffFixedLong(fixedPart, 0), kMaxChordText);
    if (text.empty()) return 1;
    // A chord symbol the file puts above its staff (logical placement) starts above it.
    const bool above = HasNiffTag(import.tags, kTagSide) && import.tags.values[kTagSide][1] == kSideAbove;
    NiffMark mark = NewMark(import, NiffMarkKind::kTextLine, text, kChordStyle, kChordDefault, above ? kAboveStaff : 0);
    if (const std::optional<NiffChord> chord = ParseNiffChordSymbol(text)) {
        MakeNiffChordSymbol(import, *chord, mark);
        return 1;
    }
    mark.style = kTextStyle;
    import.frame.marks.push_back(std::move(mark));
    return 1;
}

int ReadNiffTempo(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (fixedPart == nullptr || SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    NiffTempoRequest tempo;
    tempo.text = NiffString(import, NiffFixedLong(fixedPart, 0));
    tempo.beat = NiffDurationToNoteValue(NiffFixedShort(fixedPart, 4), NiffFixedShort(fixedPart, 6));
    tempo.beatsPerMinute = NiffFixedShort(fixedPart, 8);
    tempo.glyph = NiffTempoGlyph(tempo.beat);
    if (tempo.glyph == 0) {
        import.report.Count("tempo marks of other beats");
        return 1;
    }
    if (const int glyph = NiffTempoTextGlyph(tempo.text); glyph != 0) tempo.glyph = glyph;
    NiffMark mark = NewMark(import, NiffMarkKind::kTextLine, tempo.text, kTempoStyle, 0, kAboveStaff);
    MakeNiffTempoMark(import, tempo, mark);
    return 1;
}

int ReadNiffRehearsalMark(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (fixedPart == nullptr || SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    int32_t vertical = kAboveStaff;
    if (HasNiffTag(import.tags, kTagVerticalOffset))
        vertical = static_cast<int32_t>(NiffTagShort(import.tags, kTagVerticalOffset, 0) *
                                        import.unitScale) -
                   512;
    NiffMark mark = NewMark(import, NiffMarkKind::kRehearsal, NiffString(import, NiffFixedLong(fixedPart, 0)),
                            kRehearsalStyle, kRehearsalDefault, vertical, 1);
    mark.boxed = fixedPart[4] == 1;
    mark.circled = fixedPart[4] == 2;
    import.frame.marks.push_back(std::move(mark));
    return 1;
}

}  // namespace ql::niff
