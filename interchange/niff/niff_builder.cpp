// The NIFF score builder.
#include "interchange/niff/niff_builder.h"

#include <algorithm>
#include <cstdlib>
#include <span>
#include <vector>

#include "core/draw/view_metrics.h"
#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/settings/program_options.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/shell_services.h"
#include "core/units/units.h"
#include "editing/tools.h"
#include "interchange/imported_marks.h"
#include "interchange/imported_text_places.h"
#include "interchange/imported_text_room.h"
#include "interchange/niff/niff_document_marks.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_mark_objects.h"
#include "interchange/niff/niff_measure_commit.h"
#include "interchange/niff/niff_messages.h"
#include "interchange/niff/niff_sign_changes.h"
#include "interchange/niff/niff_spanner_objects.h"
#include "interchange/niff/niff_values.h"
#include "layout/measure_format.h"
#include "layout/measure_spacing.h"
#include "layout/page_chain.h"
#include "layout/page_fit.h"
#include "layout/page_format.h"
#include "layout/spacing/system_fill.h"
#include "objects/lyrics/lyric_lines.h"
#include "objects/text_box/text_box.h"
#include "objects/text_box/text_box_class.h"
#include "platform/ui/message_box.h"
#include "platform/win/paint.h"
#include "sequencer/sequencer_services.h"
#include "staves/staff_dialogs.h"
#include "staves/staff_manage.h"

namespace ql::niff {
namespace {

constexpr int32_t kPageOrigin = 30720;
constexpr int32_t kSystemOrigin = 30208;
constexpr double kLetterWidthInches = 8.5;
constexpr double kLetterHeightInches = 11.0;

int32_t Inches(double inches, double unitsPerInch) {
    return static_cast<int32_t>(inches * unitsPerInch);
}

// Lines, transposition and channel of every staff the file describes.
void ApplyNiffStaves(NiffImportState& import) {
    constexpr int kMostLines = 15;
    constexpr int kMostChannel = 15;
    const int staves = std::min(import.staffCount, static_cast<int>(import.document->header.staffCount));
    for (int staff = 1; staff <= staves && staff < kNiffStaffSlots; ++staff) {
        StaffRecord* record = StaffRecordOf(import.document, staff);
        if (record == nullptr) continue;
        const NiffStaffFrame& frame = import.frame.staves[static_cast<size_t>(staff)];
        if (frame.lines > 0) {
            const int lines = std::min(frame.lines, kMostLines);
            record->flags = static_cast<uint16_t>((record->flags & ~kStaffLineCountMask) |
                                                  (lines << kStaffLineCountShift));
        }
        record->semitones = static_cast<int8_t>(frame.transposition);
        if (frame.channel >= 0 && frame.channel <= kMostChannel)
            record->timbres[0].channel = static_cast<uint8_t>(frame.channel);
    }
}

// Each page of the document that the file's pages reach gets that page's margins.
void ApplyNiffMargins(NiffImportState& import) {
    ScoreDocument& document = *import.document;
    for (size_t i = 0; i < import.frame.pages.size(); ++i) {
        ScorePage* page = GetPageAt(&document, static_cast<int>(i));
        if (page == nullptr) break;
        const NiffPageMargins& from = import.frame.pages[i].margins;
        PageMargins margins;
        const int32_t values[4] = {from.left, from.top, from.right, from.bottom};
        for (int side = 0; side < 4; ++side) {
            margins.logical[side] = values[side];
            margins.words[side] = FormatUnitsValue(document, values[side]);
        }
        SetPageMargins(page, margins);
    }
}

// Whether the file gave any system its place on the page.
bool SystemsPlaced(const NiffFrame& frame) {
    for (const NiffPageFrame& page : frame.pages)
        for (const NiffSystemFrame& system : page.systems)
            if (system.placed) return true;
    return false;
}

}  // namespace

NiffPageMargins DefaultNiffMargins(double unitsPerInch) {
    return {Inches(0.5, unitsPerInch), Inches(0.75, unitsPerInch), Inches(0.75, unitsPerInch),
            Inches(0.75, unitsPerInch)};
}

NiffPageSize NiffFilePageSize(const NiffImportState& import) {
    if (import.pageCount > 0 && import.pageWidthSum > 0 && import.pageHeightSum > 0)
        return {static_cast<int32_t>(import.pageWidthSum / import.pageCount * import.unitScale),
                static_cast<int32_t>(import.pageHeightSum / import.pageCount * import.unitScale)};
    return {Inches(kLetterWidthInches, import.unitsPerInch), Inches(kLetterHeightInches, import.unitsPerInch)};
}

NiffPageMargins FinishNiffPage(const NiffImportState& import, const NiffPageFrame& page,
                               int32_t pageWidth, int32_t pageHeight) {
    const NiffPageMargins& defaults = import.margins;
    NiffPageMargins margins = defaults;
    // Only systems the file placed tell where its margins were: a page whose systems
    // the import lays out itself (a converted score's) keeps the default margins.
    const bool placed = std::any_of(page.systems.begin(), page.systems.end(),
                                    [](const NiffSystemFrame& system) { return system.placed; });
    if (!placed) return margins;
    const NiffSystemFrame& first = page.systems.front();
    const int32_t top = first.top + kSystemOrigin;
    margins.top = top > 0 && top <= pageHeight / 2 ? top : defaults.top;
    const NiffSystemFrame& last = page.systems.back();
    int lastVisible = import.staffCount;
    for (int s = import.staffCount; s >= 1; --s)
        if ((last.staffFlags[static_cast<size_t>(s)] & kNiffStaffHidden) == 0) {
            lastVisible = s;
            break;
        }
    const int32_t bottom = last.top + last.staffOffsets[static_cast<size_t>(lastVisible)] + kPageOrigin;
    margins.bottom = bottom > pageHeight / 2 && bottom < pageHeight ? pageHeight - bottom : defaults.bottom;
    int32_t widest = 0;
    int32_t leftmost = first.left;
    for (const NiffSystemFrame& system : page.systems) {
        widest = std::max(widest, static_cast<int32_t>(system.rightEdge * import.unitScale));
        leftmost = std::min(leftmost, system.left);
    }
    if (widest > pageWidth / 2 && widest < pageWidth) {
        margins.right = pageWidth - widest;
        margins.left = leftmost + kPageOrigin;
    }
    return margins;
}

int BuildScoreFromNiff(NiffImportState& import) {
    NiffFrame& frame = import.frame;
    if (frame.pages.empty()) {
        ModalMessageBox(kNiffNoPages, kNiffImportCaption, ui::kBoxIconInformation);
        return 1;
    }
    const NiffPageSize size = NiffFilePageSize(import);
    for (NiffPageFrame& page : frame.pages) page.margins = FinishNiffPage(import, page, size.width, size.height);

    // Measure lengths: the majority signature when the file gave none.
    if (!import.timeSignatureGiven) {
        // The census of measure lengths is a tracked block of the import.
        auto* census = static_cast<int*>(NiffAlloc(import, frame.measures.size() * sizeof(int)));
        size_t count = 0;
        for (const NiffMeasureNode& node : frame.measures)
            if (node.lengthTicks > 0) census[count++] = node.lengthTicks;
        const NiffDerivedSignature signature = DeriveNiffTimeSignature(std::span<const int>(census, count));
        void* block = census;
        FreeNiffBlock(import, &block);
        if (!signature.keepLengths) {
            import.timeNumerator = static_cast<uint8_t>(signature.numerator);
            import.timeExponent = static_cast<uint8_t>(signature.exponent);
        }
    }
    if (import.document != nullptr) {
        // Staves the staff headers named beyond the parts' (a scanning program's file).
        while (import.view != nullptr && import.document->header.staffCount < import.staffCount)
            if (InsertStaves(import.view, kInsertStaffAfter, import.document->header.staffCount) == 0) break;
        ApplyNiffStaves(import);
        // The file's pages, each of the first page's shape.
        while (import.view != nullptr && import.document->header.pageCount < frame.pages.size())
            if (AppendPage(import.view) == 0) break;
        ApplyNiffMargins(import);
        WriteNiffMeasures(import);
        CommitNiffMeasure(import);
        ApplyNiffNumberingAndGroups(import);
        // The staves as small on paper as the file's, when they are smaller.
        TakeFileStaffSize(import.view, import.spaceInches);
    }
    FormatNiffScore(import);
    // Systems taller than the page at the score's staff size take a smaller one.
    FitStaffSizeToSystems(import.view);
    PlaceNiffMarks(import);
    // Titles and credits inside the margins, the first systems below them and
    // indented by the part names.
    SettleImportedPageTexts(import.view);
    PlaceNiffNoteMarks(import);
    // Without lines from the file the lyrics stand clear of the notes above them.
    if (!import.lyricLinesGiven) PlaceLyricLines(import.document);
    MakeNiffSignChanges(import);
    MakeNiffSpanners(import);
    // Nor do they print through the slurs drawn under the notes, or their marks.
    if (!import.lyricLinesGiven) LowerLyricLinesUnderSlursAndMarks(import.view);
    // Lines and texts far above a page's first staff take its system down the page:
    // the pages are laid out again with the marks standing.
    LayOutPagesAgain(import.view);
    // Texts the file did not place stand clear of the music, its slurs included, as
    // do those it placed in its way.
    if (import.view != nullptr)
        PlaceImportedMeasureTexts(import.view, &import.unplacedTexts, &import.placedTexts);
    // Repeat endings stand above all of that.
    RaiseNiffEndingsAboveTheirStaves(import);
    // Every staff takes the room of what it holds; the pages of a file that placed
    // its systems keep them, those of one that did not (a converted score) take as
    // many as they hold.
    LayOutImportedPages(import.view, SystemsPlaced(import.frame) ? PageBreaks::Kept : PageBreaks::ByHeight);
    import.unplacedTexts.clear();
    import.placedTexts.clear();
    if (import.view != nullptr) {
        UpdatePagersToolbar(import.view);
        SetViewScrollRanges(import.view);
        if (Options().CachePatches != 0) OpenMidiPortsWithPatchCache(import.document);
    }
    return 0;
}

namespace {

// The file's own breaks: per page, the measure count of each of its systems.
std::vector<std::vector<int>> NiffBreaks(const NiffFrame& frame) {
    std::vector<std::vector<int>> breaks;
    for (const NiffPageFrame& page : frame.pages) {
        std::vector<int> systems;
        for (const NiffSystemFrame& system : page.systems)
            systems.push_back(std::max(system.lastMeasure - system.firstMeasure + 1, 1));
        if (!systems.empty()) breaks.push_back(std::move(systems));
    }
    return breaks;
}

// Pages of `perPage` systems of `perSystem` measures over `measures` measures, the
// last system and page as short as the measures left make them.
std::vector<std::vector<int>> NiffGridBreaks(int measures, int perSystem, int perPage) {
    std::vector<std::vector<int>> breaks;
    perSystem = std::max(perSystem, 1);
    perPage = std::max(perPage, 1);
    while (measures > 0) {
        std::vector<int> systems;
        for (; measures > 0 && static_cast<int>(systems.size()) < perPage; measures -= perSystem)
            systems.push_back(std::min(perSystem, measures));
        breaks.push_back(std::move(systems));
    }
    return breaks;
}

// The room the part names will take beside the first system: the widest name's
// box, as its label will be measured, and the gap after it.
int32_t NiffLabelIndent(const NiffImportState& import) {
    int32_t widest = -1;
    const int staves = std::min(import.staffCount, static_cast<int>(import.document->header.staffCount));
    for (int staff = 1; staff <= staves && staff < kNiffStaffSlots; ++staff) {
        const std::string& label = import.frame.staves[static_cast<size_t>(staff)].label;
        if (label.empty()) continue;
        ScoreObject* probe = ConstructStaffLabelWithText(import.view, label.c_str());
        if (probe == nullptr) continue;
        MeasureTextBlock(import.view, probe);
        widest = std::max(widest, std::abs(AsTextBox(probe)->body.width));
        ReleaseObjectByType(import.document, probe);
    }
    return widest < 0 ? 0 : widest + kStaffLabelGap;
}

}  // namespace

void FormatNiffScore(NiffImportState& import) {
    ScoreDocument* document = import.document;
    if (import.view == nullptr || document == nullptr) return;
    // The score holds the file's measures: those the new score's first page and
    // the added pages made beyond them go before the measures are dealt out.
    const int measures = static_cast<int>(std::min<size_t>(import.frame.measures.size(), kNiffMostMeasures));
    if (document->header.measureCount > measures) DropAppendedMeasures(document, measures);
    // A generic writer's line and page breaks are kept; a scanning program's file is
    // re-broken on the grid of its most common system, the last system and page
    // ending with the file's last measure.
    ReformatOptions options;
    options.allPages = 1;
    options.rebreak = import.writer.generic ? 0 : 1;
    options.reformat = 1;  // every system spaced by its notes
    options.measuresPerSystem = static_cast<uint16_t>(NiffMeasuresPerSystem(import.frame));
    std::vector<std::vector<int>> breaks =
        import.writer.generic ? NiffBreaks(import.frame)
                              : NiffGridBreaks(document->header.measureCount, options.measuresPerSystem,
                                               pages::SystemsPerPage(document));
    // The systems are filled by width: each holds the measures whose notes fit
    // between the margins at ease, whatever system breaks the file gave; each of
    // its pages keeps its measures.
    FillSystemsByWidth(import.view, 1, breaks, NiffLabelIndent(import), true);
    options.breaks = &breaks;
    ReformatFromPage(import.view, &options, document->firstPage);
}

void ShowPageOfImport(ScoreView* view) {
    if (view == nullptr) return;
    ShowPageInView(view, 0);
    // The window was drawn while the file was read, before its pages were built:
    // the first page is already the current one, so showing it repaints nothing.
    win::InvalidateRect(view->ViewWindow, nullptr, true);
}

}  // namespace ql::niff
